// The Properties sheet: what Apply writes from the controls, what the pages show when they
// open, and the two Defaults buttons.

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <map>

#include "options_sheet.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

// The library's parameters as a map, with the calls in order.
struct FakeParams {
    std::map<std::string, std::string> values;  // "section.key" -> text
    std::vector<std::string> saved;

    options::LibraryCalls calls() {
        return {
            [this](const char* section, const char* key, std::string& value) {
                auto it = values.find(std::string(section) + "." + key);
                if (it == values.end()) return false;
                value = it->second;
                return true;
            },
            [this](const char* section, const char* key, const char* value) {
                values[std::string(section) + "." + key] = value;
                return 0;
            },
            [this](const char* path) {
                saved.emplace_back(path);
                return 0;
            },
        };
    }
};

template <typename T>
T* control(QWidget& sheet, const char* name) {
    T* c = sheet.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class OptionsSheetTest : public ::testing::Test {
  protected:
    settings::AppSettings settings;
    FakeParams params;
    int applied = -1;

    std::unique_ptr<ui::OptionsSheet> open() {
        return std::make_unique<ui::OptionsSheet>(
            settings, params.calls(), [this](int rc) { applied = rc; }, nullptr);
    }
};

TEST_F(OptionsSheetTest, PreciseIsWrittenAndShownAgain) {
    auto sheet = open();
    control<QSlider>(*sheet, "Overall perfomance")->setValue(2);
    EXPECT_EQ(sheet->apply(), 0);
    EXPECT_EQ(applied, 0);
    const std::pair<const char*, const char*> precise[] = {
        {"Mask_Add", "3"},        {"ScoreMin", "25"},        {"ScoreMax", "190"},
        {"Face_cand_num", "10"},  {"Eye_cand", "3"},         {"Face_x_bord", ".75"},
        {"Face_y_bord_up", ".3"}, {"Face_y_bord_dn", "1.5"}, {"FirstTR", "220"}};
    for (const auto& [key, value] : precise)
        EXPECT_EQ(params.values[std::string("param.") + key], value) << key;
    EXPECT_EQ(params.saved, std::vector<std::string>{""});

    auto again = open();
    EXPECT_EQ(control<QSlider>(*again, "Overall perfomance")->value(), 2);
}

TEST_F(OptionsSheetTest, DescriptorCountBecomesAMaskAndTheMaskACountAgain) {
    auto sheet = open();
    control<QSlider>(*sheet, "Number of elements descriptors")->setValue(9);
    sheet->apply();
    EXPECT_EQ(params.values["param.Using_Descriptors_Mask"], "511");
    control<QSlider>(*sheet, "Number of elements descriptors")->setValue(3);
    sheet->apply();
    EXPECT_EQ(params.values["param.Using_Descriptors_Mask"], "7");

    params.values["param.Using_Descriptors_Mask"] = "63";
    auto again = open();
    EXPECT_EQ(control<QSlider>(*again, "Number of elements descriptors")->value(), 6);
}

TEST_F(OptionsSheetTest, LibraryPageAppliesThresholdsCachingGammaAndElements) {
    auto sheet = open();
    control<QSlider>(*sheet, "Own score threshold")->setValue(230);
    control<QSlider>(*sheet, "Search score threshold")->setValue(210);
    control<QSlider>(*sheet, "Number of face elements")->setValue(5);
    control<QSlider>(*sheet, "Face caching")->setValue(-1);
    control<QCheckBox>(*sheet, "Image gamma correction")->setChecked(true);
    sheet->apply();
    EXPECT_EQ(params.values["library.OwnScoreTreshold"], "230");
    EXPECT_EQ(params.values["library.SearchScoreTreshold"], "210");
    EXPECT_EQ(params.values["param.Number_of_face_elements"], "5");
    EXPECT_EQ(params.values["param.UseBase"], "1");
    EXPECT_EQ(params.values["param.Gamma"], "1");
    EXPECT_EQ(settings.ownThreshold, 230);
    EXPECT_EQ(settings.searchThreshold, 210);
}

TEST_F(OptionsSheetTest, LibraryDefaultsSetTheirValuesOnThePage) {
    params.values = {{"library.OwnScoreTreshold", "300"},
                     {"param.Number_of_face_elements", "4"},
                     {"param.UseBase", "0"},
                     {"param.Gamma", "1"}};
    auto sheet = open();
    ASSERT_EQ(control<QSlider>(*sheet, "Own score threshold")->value(), 300);
    control<QPushButton>(*sheet, "OPTIONSLIB.Defaults")->click();
    EXPECT_EQ(control<QSlider>(*sheet, "Own score threshold")->value(), 150);
    EXPECT_EQ(control<QSlider>(*sheet, "Search score threshold")->value(), 150);
    EXPECT_EQ(control<QSlider>(*sheet, "Number of face elements")->value(), 7);
    EXPECT_EQ(control<QSlider>(*sheet, "Number of elements descriptors")->value(), 3);
    EXPECT_EQ(control<QSlider>(*sheet, "Overall perfomance")->value(), 1);
    EXPECT_EQ(control<QSlider>(*sheet, "Face caching")->value(), -2);
    EXPECT_FALSE(control<QCheckBox>(*sheet, "Image gamma correction")->isChecked());
}

TEST_F(OptionsSheetTest, ApplicationPageAppliesItsControlsAndDefaultsResetThem) {
    auto sheet = open();
    control<QRadioButton>(*sheet, "Precise crosses")->setChecked(true);
    control<QRadioButton>(*sheet, "Sequential search algorithm")->setChecked(true);
    control<QCheckBox>(*sheet, "Reverse search order")->setChecked(false);
    control<QSlider>(*sheet, "Faces for manual registration")->setValue(8);
    control<QSpinBox>(*sheet, "Search timeout")->setValue(17);
    sheet->apply();
    EXPECT_EQ(settings.showElements, 6);
    EXPECT_EQ(settings.roundSearch, 0);
    EXPECT_EQ(settings.reverseOrder, 0u);
    EXPECT_EQ(settings.personFaceNumber, 8);
    EXPECT_EQ(settings.searchTimeout, 17);

    control<QPushButton>(*sheet, "OPTIONSAPP.Defaults")->click();
    sheet->apply();
    EXPECT_EQ(settings.showElements, 2);
    EXPECT_EQ(settings.roundSearch, 1);
    EXPECT_EQ(settings.reverseOrder, 1u);
    EXPECT_EQ(settings.firstMatched, 1u);
    EXPECT_EQ(settings.showOnlyMatched, 1u);
    EXPECT_EQ(settings.personFaceNumber, 6);
    EXPECT_EQ(settings.searchTimeout, 60);
}

}  // namespace
}  // namespace ui_test
