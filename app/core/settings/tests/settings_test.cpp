#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using platform::RegistryFile;
using platform::RegType;
using platform::RegValue;
using settings::AppSettings;

constexpr const char* kByteNames[] = {
    "Show elements",     "First matched face",  "Round algorithm",    "Reverse search order",
    "Show only matched", "Show best candidate", "Person face number", "Search timeout"};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

AppSettings changedSettings() {
    AppSettings s;
    s.roundSearch = 0;
    s.bestCandidate = 12;
    s.personFaceNumber = 8;
    s.searchTimeout = 255;
    s.showOnlyMatched = 0;
    s.reverseOrder = 0;
    s.firstMatched = 0;
    s.videoPaused = 1;
    s.showElements = 6;
    s.captureLibrary = "OvVFW";
    s.captureDriver = "Image folder camera \"2\" \\ x";
    return s;
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ovfc_settings_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        reg_.emplace((dir_ / "ovfc" / "registry.reg").string());
    }
    void TearDown() override { fs::remove_all(dir_); }

    void put(const std::string& name, RegValue value, const char* key = settings::kAppKey) {
        ASSERT_TRUE(reg_->write(key, name, value));
    }

    fs::path dir_;
    std::optional<RegistryFile> reg_;
};

TEST_F(Settings, AMissingFileGivesTheDefaults) {
    AppSettings s;
    settings::loadRegistry(s, *reg_);
    EXPECT_EQ(s, AppSettings{});
    EXPECT_EQ(s.captureLibrary, "None");
    EXPECT_FALSE(settings::readPlacement(*reg_));
    EXPECT_FALSE(settings::readImageOptions(*reg_, "Main.live"));
    EXPECT_FALSE(fs::exists(reg_->path()));  // reading creates nothing
}

TEST_F(Settings, EveryValueTravelsThroughTheFile) {
    const AppSettings changed = changedSettings();
    ASSERT_TRUE(settings::saveRegistry(changed, *reg_));
    AppSettings back;
    settings::loadRegistry(back, RegistryFile(reg_->path()));
    EXPECT_EQ(back, changed);

    // The stored types: the byte values as 1-byte DWORDs, the rest as strings.
    for (const char* name : kByteNames) {
        const auto v = reg_->read(settings::kAppKey, name);
        ASSERT_TRUE(v) << name;
        EXPECT_EQ(v->type, RegType::Dword) << name;
        EXPECT_EQ(v->data.size(), 1u) << name;
    }
    EXPECT_EQ(reg_->read(settings::kAppKey, "Video"), platform::stringValue("Pausing"));
    EXPECT_EQ(reg_->read(settings::kAppKey, "Framegrabber library"),
              platform::stringValue("OvVFW"));

    // Stored defaults replace whatever the record held before.
    ASSERT_TRUE(settings::saveRegistry(AppSettings{}, *reg_));
    AppSettings again = changed;
    settings::loadRegistry(again, *reg_);
    EXPECT_EQ(again, AppSettings{});
    EXPECT_EQ(reg_->read(settings::kAppKey, "Video"), platform::stringValue("Live"));
}

TEST_F(Settings, FlagsAreStoredAsOneOrZero) {
    AppSettings s;
    s.showOnlyMatched = 0x100;  // would be 0 if cut to its low byte
    s.reverseOrder = 7;
    s.firstMatched = 0;
    ASSERT_TRUE(settings::saveRegistry(s, *reg_));
    AppSettings back;
    settings::loadRegistry(back, *reg_);
    EXPECT_EQ(back.showOnlyMatched, 1u);
    EXPECT_EQ(back.reverseOrder, 1u);
    EXPECT_EQ(back.firstMatched, 0u);
}

TEST_F(Settings, WrongTypedWrongSizedOrOutOfRangeValuesReadAsAbsent) {
    put("Person face number", {RegType::Dword, {5, 0, 0, 0}});
    put("Search timeout", platform::stringValue("30"));
    put("Round algorithm", {RegType::Dword, {}});
    put("Show best candidate", {RegType::Dword, {4, 0}});
    put("Show only matched", {RegType::Binary, {0}});
    put("Show elements", {RegType::Dword, {7}});
    put("First matched face", {RegType::String, {0}});
    put("Video", {RegType::Dword, {1}});
    put("Framegrabber library", {RegType::Binary, {'O', 'v', 'F'}});
    put("Framegrabber driver", {RegType::Dword, {1, 2, 3, 4}});
    put("Reverse search order", {RegType::Dword, {0}});  // the one valid value
    AppSettings s;
    s.videoPaused = 1;
    settings::loadRegistry(s, *reg_);
    AppSettings expected;
    expected.videoPaused = 1;
    expected.reverseOrder = 0;
    EXPECT_EQ(s, expected);

    put("Person face number", {RegType::Dword, {0}});
    settings::loadRegistry(s, *reg_);
    EXPECT_EQ(s.personFaceNumber, 3);
}

TEST_F(Settings, TextValuesCompareWithoutCase) {
    const std::pair<const char*, std::uint32_t> videos[] = {
        {"PAUSING", 1}, {"pausing", 1}, {"Live", 0}, {"Paused", 0}, {"", 0}};
    for (const auto& [text, paused] : videos) {
        put("Video", platform::stringValue(text));
        AppSettings s;
        s.videoPaused = 1 - paused;
        settings::loadRegistry(s, *reg_);
        EXPECT_EQ(s.videoPaused, paused) << text;
    }
    const std::pair<const char*, const char*> libraries[] = {
        {"ovf", "OvF"}, {"OVVFW", "OvVFW"}, {"OvVfw", "OvVFW"}, {"vfw", "None"}, {"", "None"}};
    for (const auto& [text, normal] : libraries) {
        put("Framegrabber library", platform::stringValue(text));
        AppSettings s;
        s.captureLibrary = "OvF";
        settings::loadRegistry(s, *reg_);
        EXPECT_EQ(s.captureLibrary, normal) << text;
    }
}

TEST_F(Settings, ADamagedFileGivesDefaultsAndIsRewrittenWhole) {
    fs::create_directories(fs::path(reg_->path()).parent_path());
    std::string text = "REGEDIT4\n\n[" + std::string(settings::kAppKey) +
                       "]\n\"Search timeout\"=hex(4):1\x01,\n\"Video\"=\"Pausing\n"
                       "\"Show elements\"=dword:\n\"Person face number\"=hex(4):05,\\\n";
    std::mt19937 rng(5);
    for (int i = 0; i < 2000; ++i) text.push_back(static_cast<char>(rng()));
    std::ofstream(reg_->path(), std::ios::binary) << text;

    AppSettings s;
    settings::loadRegistry(s, *reg_);
    EXPECT_EQ(s, AppSettings{});

    const AppSettings changed = changedSettings();
    ASSERT_TRUE(settings::saveRegistry(changed, *reg_));
    AppSettings back;
    settings::loadRegistry(back, *reg_);
    EXPECT_EQ(back, changed);
    EXPECT_LT(slurp(reg_->path()).size(), 600u);  // the garbage is gone
}

TEST_F(Settings, SavingIntoAnUnwritablePlaceFails) {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "file") << "x";
    RegistryFile reg((dir_ / "file" / "registry.reg").string());
    EXPECT_FALSE(settings::saveRegistry(AppSettings{}, reg));
    EXPECT_FALSE(settings::writePlacement(reg, {}));
    EXPECT_FALSE(settings::writeImageOptions(reg, "Main.live", 1));
}

TEST_F(Settings, PlacementIsThe44ByteLittleEndianRecord) {
    settings::WindowPlacement p;
    p.flags = 2;
    p.showCmd = 3;
    p.minX = -1;
    p.minY = -2;
    p.maxX = 300;
    p.maxY = 0x01020304;
    p.left = 10;
    p.top = 20;
    p.right = 810;
    p.bottom = 620;
    const auto bytes = settings::encodePlacement(p);
    // clang-format off
    const std::vector<std::uint8_t> expected = {
        0x2c, 0x00, 0x00, 0x00,  // length
        0x02, 0x00, 0x00, 0x00,  // flags
        0x03, 0x00, 0x00, 0x00,  // showCmd
        0xff, 0xff, 0xff, 0xff,  // minimum position
        0xfe, 0xff, 0xff, 0xff,
        0x2c, 0x01, 0x00, 0x00,  // maximum position
        0x04, 0x03, 0x02, 0x01,
        0x0a, 0x00, 0x00, 0x00,  // normal rectangle
        0x14, 0x00, 0x00, 0x00,
        0x2a, 0x03, 0x00, 0x00,
        0x6c, 0x02, 0x00, 0x00};
    // clang-format on
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected);

    ASSERT_TRUE(settings::writePlacement(*reg_, p));
    const auto stored = reg_->read(settings::kAppKey, "Placement");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, RegType::Dword);
    EXPECT_EQ(stored->data, expected);
    EXPECT_EQ(settings::readPlacement(RegistryFile(reg_->path())), p);
}

TEST_F(Settings, APlacementOfAnotherSizeTypeOrLengthReadsAsAbsent) {
    std::vector<std::uint8_t> record(44, 0);
    record[0] = 44;
    put("Placement", {RegType::Dword, record});
    ASSERT_TRUE(settings::readPlacement(*reg_));

    put("Placement", {RegType::Binary, record});
    EXPECT_FALSE(settings::readPlacement(*reg_));
    for (std::size_t size : {40u, 43u, 45u, 48u}) {
        std::vector<std::uint8_t> other(size, 0);
        other[0] = static_cast<std::uint8_t>(size);
        put("Placement", {RegType::Dword, other});
        EXPECT_FALSE(settings::readPlacement(*reg_)) << size;
    }
    record[0] = 40;  // 44 bytes whose length word disagrees
    put("Placement", {RegType::Dword, record});
    EXPECT_FALSE(settings::readPlacement(*reg_));
}

TEST_F(Settings, ImageOptionsAreOneBytePerPanel) {
    ASSERT_TRUE(settings::writeImageOptions(*reg_, "Main.live", 1));
    ASSERT_TRUE(settings::writeImageOptions(*reg_, "Main.match", 3));
    EXPECT_EQ(settings::readImageOptions(*reg_, "Main.live"), 1);
    EXPECT_EQ(settings::readImageOptions(*reg_, "main.MATCH"), 3);
    EXPECT_FALSE(settings::readImageOptions(*reg_, "Main.found"));
    const auto stored = reg_->read(settings::kImagesOptionsKey, "Main.match");
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (RegValue{RegType::Dword, {3}}));

    put("Main.found", {RegType::Dword, {2, 0, 0, 0}}, settings::kImagesOptionsKey);
    EXPECT_FALSE(settings::readImageOptions(*reg_, "Main.found"));
    EXPECT_FALSE(reg_->read(settings::kAppKey, "Main.live"));  // a key of its own
}

class Thresholds : public ::testing::Test {
  protected:
    settings::ParamReader reader() {
        return [this](const char* section, const char* key, std::string& value) {
            const auto it = params_.find(std::string(section) + "/" + key);
            if (it == params_.end()) return false;
            value = it->second;
            return true;
        };
    }
    AppSettings load() {
        AppSettings s;
        settings::loadThresholds(s, reader());
        return s;
    }
    std::map<std::string, std::string> params_;
};

TEST_F(Thresholds, BothAreReadFromTheLibrarySection) {
    params_ = {{"library/OwnScoreTreshold", "170"}, {"library/SearchScoreTreshold", " 185"}};
    const AppSettings s = load();
    EXPECT_EQ(s.ownThreshold, 170);
    EXPECT_EQ(s.searchThreshold, 185);
    params_ = {{"param/OwnScoreTreshold", "170"}};  // another section does not count
    EXPECT_EQ(load().ownThreshold, 150);
}

TEST_F(Thresholds, TheSearchThresholdFallsBackToTheOwnOne) {
    params_ = {{"library/OwnScoreTreshold", "165"}};
    EXPECT_EQ(load().searchThreshold, 165);
    params_ = {{"library/OwnScoreTreshold", "165"}, {"library/SearchScoreTreshold", "none"}};
    EXPECT_EQ(load().searchThreshold, 165);
    params_.clear();
    const AppSettings s = load();
    EXPECT_EQ(s.ownThreshold, 150);
    EXPECT_EQ(s.searchThreshold, 150);
    params_ = {{"library/SearchScoreTreshold", "190"}};
    EXPECT_EQ(load().ownThreshold, 150);
    EXPECT_EQ(load().searchThreshold, 190);
}

TEST_F(Thresholds, TextsParseAsDecimalWithinTheThresholdRange) {
    EXPECT_EQ(settings::parseThreshold("150"), 150);
    EXPECT_EQ(settings::parseThreshold("  160xyz"), 160);
    EXPECT_EQ(settings::parseThreshold("+20"), 20);
    EXPECT_EQ(settings::parseThreshold("0x20"), 0);
    EXPECT_EQ(settings::parseThreshold("401"), 400);
    EXPECT_EQ(settings::parseThreshold("99999999999999999999"), 400);
    EXPECT_EQ(settings::parseThreshold("-5"), 0);
    // No digit: not a threshold (a text of garbage must not open the gate at 0).
    EXPECT_FALSE(settings::parseThreshold(""));
    EXPECT_FALSE(settings::parseThreshold("abc"));
    EXPECT_FALSE(settings::parseThreshold("-"));
    params_ = {{"library/OwnScoreTreshold", "abc"}};
    EXPECT_EQ(load().ownThreshold, 150);
}

}  // namespace
