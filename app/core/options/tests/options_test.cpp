// The options pages: the performance table and its tie rule, reading and applying the
// library page through a recorded configuration and through the real library, the
// application page and its defaults.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "facelib/face_library.h"
#include "options/app_options.h"
#include "options/library_options.h"

using options::Performance;

namespace {

// A configuration in memory that records every call.
struct RecordedLibrary {
    std::map<std::string, std::string> values;  // "section/key" in lower case
    std::vector<std::string> calls;
    int failSetOf = -1;  // index of the set call that fails, -1 none

    static std::string id(const char* section, const char* key) {
        std::string s = std::string(section) + "/" + key;
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }
    options::LibraryCalls calls_() {
        return {[this](const char* section, const char* key, std::string& value) {
                    const auto it = values.find(id(section, key));
                    if (it == values.end()) return false;
                    value = it->second;
                    return true;
                },
                [this](const char* section, const char* key, const char* value) {
                    const int index = static_cast<int>(calls.size());
                    calls.push_back(std::string(section) + " " + key + "=" + value);
                    if (index == failSetOf) return 3;
                    values[id(section, key)] = value;
                    return 0;
                },
                [this](const char* path) {
                    calls.push_back(std::string("save '") + path + "'");
                    return 0;
                }};
    }
};

std::array<std::string, 9> levelTexts(Performance p) {
    std::array<std::string, 9> a;
    const auto& v = options::performanceValues(p);
    std::copy(v.begin(), v.end(), a.begin());
    return a;
}

TEST(Performance, EachLevelReadsBackAsItself) {
    EXPECT_EQ(options::performanceOf(levelTexts(Performance::Faster)), Performance::Faster);
    EXPECT_EQ(options::performanceOf(levelTexts(Performance::Optimal)), Performance::Optimal);
    EXPECT_EQ(options::performanceOf(levelTexts(Performance::Precise)), Performance::Precise);
    EXPECT_STREQ(options::performanceValues(Performance::Precise)[5], ".75");
}

TEST(Performance, AgreementIsNumeric) {
    // Optimal written as other texts of the same numbers.
    const std::array<std::string, 9> optimal = {"2.0", "15",   " 160", "5",  "2",
                                                "0.9", "0.50", "1.5",  "220"};
    EXPECT_EQ(options::performanceOf(optimal), Performance::Optimal);
    EXPECT_TRUE(options::sameValue(".9", "0.9"));
    EXPECT_FALSE(options::sameValue("0.9", "0.91"));
    EXPECT_FALSE(options::sameValue("", "0")) << "a missing value agrees with nothing";
}

TEST(Performance, TieGoesToTheLowerLevel) {
    // Mask_Add of Faster, ScoreMin of Optimal, the two shared values, nothing else: three
    // agreements with Faster and with Optimal, two with Precise.
    const std::array<std::string, 9> tie = {"1", "15", "7", "7", "7", "7", "7", "1.5", "220"};
    EXPECT_EQ(options::performanceOf(tie), Performance::Faster);
    // Optimal and Precise tied: Optimal.
    const std::array<std::string, 9> upper = {"2", "25", "7", "7", "7", "7", "7", "7", "7"};
    EXPECT_EQ(options::performanceOf(upper), Performance::Optimal);
    // Nothing known at all: the lowest level.
    EXPECT_EQ(options::performanceOf({}), Performance::Faster);
}

TEST(LibraryOptions, ApplyMakesTheCallsInOrderThenSaves) {
    RecordedLibrary lib;
    settings::AppSettings s;
    options::LibraryOptions o;
    o.ownThreshold = 170;
    o.searchThreshold = 180;
    o.elements = 5;
    o.descriptors = 9;
    o.caching = -1;
    o.gamma = true;
    o.performance = Performance::Precise;
    ASSERT_EQ(options::applyLibraryOptions(o, s, lib.calls_()), 0);
    const std::vector<std::string> expected = {"library OwnScoreTreshold=170",
                                               "library SearchScoreTreshold=180",
                                               "param Number_of_face_elements=5",
                                               "param Using_Descriptors_Mask=511",
                                               "param UseBase=1",
                                               "param Gamma=1",
                                               "param Mask_Add=3",
                                               "param ScoreMin=25",
                                               "param ScoreMax=190",
                                               "param Face_cand_num=10",
                                               "param Eye_cand=3",
                                               "param Face_x_bord=.75",
                                               "param Face_y_bord_up=.3",
                                               "param Face_y_bord_dn=1.5",
                                               "param FirstTR=220",
                                               "save ''"};
    EXPECT_EQ(lib.calls, expected);
    EXPECT_EQ(s.ownThreshold, 170);
    EXPECT_EQ(s.searchThreshold, 180);

    const options::LibraryOptions back = options::readLibraryOptions(lib.calls_());
    EXPECT_EQ(back, o) << "Precise and every other value read back";
}

TEST(LibraryOptions, DescriptorCountAndMask) {
    RecordedLibrary lib;
    settings::AppSettings s;
    options::LibraryOptions o;
    o.descriptors = 3;
    ASSERT_EQ(options::applyLibraryOptions(o, s, lib.calls_()), 0);
    EXPECT_EQ(lib.values["param/using_descriptors_mask"], "7");
    EXPECT_EQ(lib.values["param/usebase"], "2") << "caching Advanced";
    EXPECT_EQ(lib.values["param/gamma"], "0");
    for (const auto& [mask, n] : std::vector<std::pair<const char*, int>>{
             {"7", 3}, {"511", 9}, {"238", 8}, {"140", 7}, {"15", 4}, {"0", 3}, {"4095", 9}}) {
        lib.values["param/using_descriptors_mask"] = mask;
        EXPECT_EQ(options::readLibraryOptions(lib.calls_()).descriptors, n) << "mask " << mask;
    }
}

TEST(LibraryOptions, UnreadableValuesKeepTheDefaults) {
    RecordedLibrary lib;
    EXPECT_EQ(options::readLibraryOptions(lib.calls_()).ownThreshold, 150);
    lib.values["library/ownscoretreshold"] = "201";
    lib.values["param/number_of_face_elements"] = "many";
    lib.values["param/usebase"] = "0";
    const options::LibraryOptions o = options::readLibraryOptions(lib.calls_());
    EXPECT_EQ(o.ownThreshold, 201);
    EXPECT_EQ(o.searchThreshold, 201) << "the search threshold falls back to the own one";
    EXPECT_EQ(o.elements, 7);
    EXPECT_EQ(o.caching, 0) << "UseBase 0 is Disable";
    lib.values["library/searchscoretreshold"] = "999";
    EXPECT_EQ(options::readLibraryOptions(lib.calls_()).searchThreshold, 400);
}

TEST(LibraryOptions, AFailedSetIsReportedAndNothingSaved) {
    RecordedLibrary lib;
    lib.failSetOf = 1;  // SearchScoreTreshold
    settings::AppSettings s;
    s.searchThreshold = 99;
    options::LibraryOptions o;
    o.ownThreshold = 120;
    EXPECT_EQ(options::applyLibraryOptions(o, s, lib.calls_()), 3);
    EXPECT_EQ(lib.calls.size(), 15u) << "every set tried";
    EXPECT_NE(lib.calls.back().rfind("save", 0), 0u) << "no save after a failure";
    EXPECT_EQ(s.ownThreshold, 120);
    EXPECT_EQ(s.searchThreshold, 99) << "a value the library refused is not kept";
}

TEST(LibraryOptions, DefaultsOfThePage) {
    const options::LibraryOptions d = options::libraryDefaults();
    EXPECT_EQ(d.ownThreshold, 150);
    EXPECT_EQ(d.searchThreshold, 150);
    EXPECT_EQ(d.elements, 7);
    EXPECT_EQ(d.descriptors, 3);
    EXPECT_EQ(d.performance, Performance::Optimal);
    EXPECT_EQ(d.caching, -2);
    EXPECT_FALSE(d.gamma);
}

TEST(LibraryOptions, PreciseThroughTheRealLibrary) {
    ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
    // The library's own file is not written by a test: saving goes to a temporary folder
    // that also holds the configuration's default masks.
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ovfc_options_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path config = OVFC_SYNTHETIC_CONFIG;
    fs::copy_file(config.parent_path() / "synthetic.dsc", dir / "synthetic.dsc",
                  fs::copy_options::overwrite_existing);
    const std::string saved = (dir / "ovfc.ini").string();
    options::LibraryCalls calls = options::faceLibraryCalls();
    std::string savedAs = "none";
    calls.saveConfig = [&](const char* path) {
        savedAs = path;
        return facelib::saveConfig(saved.c_str());
    };
    settings::AppSettings s;
    options::LibraryOptions o = options::readLibraryOptions();
    EXPECT_EQ(o.descriptors, 8) << "mask 238 of the synthetic configuration";
    o.performance = Performance::Precise;
    o.descriptors = 4;
    ASSERT_EQ(options::applyLibraryOptions(o, s, calls), 0);
    EXPECT_EQ(savedAs, "");
    std::string text;
    ASSERT_TRUE(facelib::getParam("param", "face_x_bord", text));
    EXPECT_EQ(text, ".75");
    ASSERT_TRUE(facelib::getParam("param", "using_descriptors_mask", text));
    EXPECT_EQ(text, "15");
    EXPECT_EQ(options::readLibraryOptions().performance, Performance::Precise);

    ASSERT_EQ(facelib::loadConfig(saved), 0);
    EXPECT_EQ(options::readLibraryOptions().performance, Performance::Precise)
        << "the saved file holds the level";
    facelib::done();
    fs::remove_all(dir);
}

TEST(AppOptions, FromSettingsApplyAndDefaults) {
    settings::AppSettings s;
    s.showElements = 4;
    s.roundSearch = 0;
    s.reverseOrder = 0;
    s.personFaceNumber = 8;
    s.searchTimeout = 20;
    const options::AppOptions o = options::appOptionsFrom(s);
    EXPECT_EQ(o.showElements, 4);
    EXPECT_FALSE(o.optimizedSearch);
    EXPECT_FALSE(o.reverseOrder);
    EXPECT_TRUE(o.firstMatched);
    EXPECT_EQ(o.faceAmount, 8);
    EXPECT_EQ(o.timeout, 20);

    const options::AppOptions d = options::appDefaults();
    EXPECT_EQ(d, (options::AppOptions{2, true, true, true, true, 6, 60}));
    options::applyAppOptions(d, s);
    EXPECT_EQ(s.showElements, 2);
    EXPECT_EQ(s.roundSearch, 1);
    EXPECT_EQ(s.reverseOrder, 1u);
    EXPECT_EQ(s.personFaceNumber, 6);
    EXPECT_EQ(s.searchTimeout, 60);
    EXPECT_EQ(options::appOptionsFrom(s), d);

    options::applyAppOptions(options::AppOptions{9, false, false, false, false, 0, 1000}, s);
    EXPECT_EQ(s.showElements, 6) << "clamped to the page's ranges";
    EXPECT_EQ(s.personFaceNumber, 1);
    EXPECT_EQ(s.searchTimeout, 255);
    EXPECT_EQ(s.showOnlyMatched, 0u);
}

TEST(AppOptions, ApplyWritesTheRegistry) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ovfc_options_reg_" + std::to_string(::getpid()) + ".reg"))
                                 .string();
    std::filesystem::remove(path);
    platform::RegistryFile reg(path);
    settings::AppSettings s;
    options::AppOptions o = options::appDefaults();
    o.faceAmount = 5;
    ASSERT_TRUE(options::applyAppOptions(o, s, reg));
    settings::AppSettings back;
    settings::loadRegistry(back, reg);
    EXPECT_EQ(back.personFaceNumber, 5);
    EXPECT_EQ(back.showElements, 2);
    std::filesystem::remove(path);
}

}  // namespace
