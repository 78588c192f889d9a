// The one-to-one matching window on generated faces: filling, processing, the match
// buttons, automatic matching, the texts and the sounds.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "facegen.h"
#include "facelib/face_library.h"
#include "one_to_one_dialog.h"
#include "ovio32.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

class OneToOneDialogTest : public MainWindowTest {
  protected:
    std::vector<std::string> played;
    std::unique_ptr<ui::OneToOneDialog> dialog;

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        makeWindow();
        ui::PanelEnvironment env{*device, clipboard, frames, registry, [] { return 2; }};
        dialog = std::make_unique<ui::OneToOneDialog>(
            env, settings, [this](const char* name) { played.emplace_back(name); }, nullptr);
    }
    void TearDown() override {
        dialog.reset();
        MainWindowTest::TearDown();
        facelib::done();
    }
    QString face(int person, int image) {
        const fs::path path =
            dir.path() / QString::asprintf("f%d%d.tif", person, image).toStdString();
        const auto frame = facegen::generateFrame(5, person, image).pixels;
        EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_OK);
        return QString::fromStdString(path.string());
    }
};

TEST_F(OneToOneDialogTest, WithoutADeviceOnlyTheDiskIsASource) {
    EXPECT_FALSE(dialog->findChild<QRadioButton*>("Video")->isEnabled());
    EXPECT_TRUE(dialog->findChild<QRadioButton*>("Disk")->isChecked());
    EXPECT_TRUE(dialog->findChild<QCheckBox*>("Automatic face matching")->isChecked());
}

TEST_F(OneToOneDialogTest, AFilledPanelIsProcessedAndTheSecondIsMatchedAtOnce) {
    settings.ownThreshold = 0;  // any score of the same face counts as identical
    EXPECT_FALSE(dialog->matchRight()->isEnabled());
    dialog->load(dialog->left(), face(2, 1));
    EXPECT_EQ(dialog->statusText()->text(), "Registration done. OK.");
    EXPECT_TRUE(dialog->elapsed()->text().endsWith(" sec."));
    EXPECT_FALSE(dialog->matchRight()->isEnabled());
    EXPECT_TRUE(played.empty());

    dialog->load(dialog->right(), face(2, 2));
    EXPECT_TRUE(dialog->matchRight()->isEnabled());
    EXPECT_TRUE(dialog->matchLeft()->isEnabled());
    EXPECT_TRUE(dialog->statusText()->text().startsWith("Matching score = "));
    EXPECT_TRUE(dialog->statusText()->text().endsWith(". Faces are identical."));
    EXPECT_EQ(played, std::vector<std::string>{"identic.wav"});
    // The matched picture shows the elements the comparison found.
    EXPECT_FALSE(dialog->right()->panel().snapshot().elements.empty());
}

TEST_F(OneToOneDialogTest, BelowTheOwnThresholdTheFacesDiffer) {
    settings.ownThreshold = 400;
    dialog->findChild<QCheckBox*>("Automatic face matching")->setChecked(false);
    dialog->load(dialog->left(), face(1, 1));
    dialog->load(dialog->right(), face(3, 1));
    EXPECT_TRUE(played.empty());
    dialog->matchRight()->click();
    EXPECT_TRUE(dialog->statusText()->text().endsWith(". Faces are NOT identical."));
    EXPECT_EQ(played, std::vector<std::string>{"differnt.wav"});
}

TEST_F(OneToOneDialogTest, AFileThatIsNoImageLeavesTheButtonsOff) {
    const fs::path bad = dir.path() / "bad.tif";
    {
        std::FILE* f = std::fopen(bad.c_str(), "wb");
        std::fputs("not an image", f);
        std::fclose(f);
    }
    dialog->load(dialog->left(), QString::fromStdString(bad.string()));
    dialog->load(dialog->right(), face(1, 1));
    EXPECT_FALSE(dialog->matchRight()->isEnabled());
    EXPECT_EQ(dialog->left()->label()->text(), "No image");
    EXPECT_TRUE(played.empty());
}

}  // namespace
}  // namespace ui_test
