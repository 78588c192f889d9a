// The Versions dialog's rows and the file dialog routine's titles and filters.

#include "file_dialog.h"
#include "ui_fixture.h"
#include "versions_dialog.h"

namespace ui_test {
namespace {

TEST(VersionsDialog, ShowsTheFiveVersionTextsAndTheDevice) {
    const auto rows = ui::versionRows(1000, QStringLiteral("Image folder camera"));
    const char* captions[] = {"Tablib DBF library version:",
                              "Facial Recognition library version:",
                              "Image Input/Output library version:",
                              "Framegrabber capture library version:",
                              "Video For Windows Access library version:",
                              "Framegrabber:"};
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].first, captions[k]);
        EXPECT_FALSE(rows[k].second.isEmpty()) << captions[k];
    }
    EXPECT_EQ(rows[0].second, "1.000");
    EXPECT_EQ(rows[5].second, "Image folder camera");
}

TEST(VersionsDialog, TableEngineVersionHasThreeDecimals) {
    EXPECT_EQ(ui::tableEngineVersion(1000), "1.000");
    EXPECT_EQ(ui::tableEngineVersion(2005), "2.005");
    EXPECT_EQ(ui::tableEngineVersion(12345), "12.345");
    EXPECT_EQ(ui::tableEngineVersion(7), "0.007");
}

TEST(FileDialog, TitlesAndFiltersOfTheFourChoices) {
    using ui::FileKind;
    using ui::FileMode;
    EXPECT_EQ(ui::fileDialogTitle(FileMode::Open, FileKind::Image), "Open Image file");
    EXPECT_EQ(ui::fileDialogTitle(FileMode::Save, FileKind::Image), "Specify Image file");
    EXPECT_EQ(ui::fileDialogTitle(FileMode::Open, FileKind::Log), "Open Log file");
    EXPECT_EQ(ui::fileDialogTitle(FileMode::Save, FileKind::Log), "Specify Log file");
    EXPECT_EQ(ui::fileDialogFilters(FileKind::Image),
              (QStringList{"Image files (*.tif;*.pic;*.bmp)", "All files (*.*)"}));
    EXPECT_EQ(ui::fileDialogFilters(FileKind::Log),
              (QStringList{"Log files (*.log)", "All files (*.*)"}));
}

}  // namespace
}  // namespace ui_test
