// The exported interface, loaded as the shared library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "engine_config.h"
#include "ovfc32.h"
#include "test_files.h"

namespace {

using ovfc_test::TempDir;

const std::vector<std::uint8_t> kFrame(256 * 255, 128);

class Api : public ::testing::Test {
  protected:
    void SetUp() override { OvfcDone(); }
    void TearDown() override { OvfcDone(); }
};

// Sets an environment variable for one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST_F(Api, BeforeInitialisationOnlyTheFreeFunctionsWork) {
    char value[40] = "untouched";
    std::uint8_t desc[OVFC_MAX_DESCRIPTOR_SIZE] = {};
    std::int16_t size = -5;
    std::int32_t score = -5;
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_E_NOT_INITIALISED);
    EXPECT_STREQ(value, "untouched");
    EXPECT_EQ(OvfcSetParam("param", "gamma", "1"), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcSaveConfig(""), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcProcessing(kFrame.data(), desc, &size), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcProcessingEx(kFrame.data(), desc, &size, 10, 10), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcLiveProcessingEx(kFrame.data(), desc, &size, 10, 10, nullptr, nullptr),
              OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcMatch(kFrame.data(), kFrame.data(), &score), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcMatchEx(kFrame.data(), kFrame.data(), &score, 10, 10), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcDone(), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(size, -5);
    EXPECT_EQ(score, -5);

    char version[16] = {};
    EXPECT_EQ(OvfcGetVersion(version), OVFC_OK);
    EXPECT_STREQ(version, "0.02.006");
    std::uint16_t count = 0;
    EXPECT_EQ(OvfcFaceInfo(nullptr, nullptr, 0, &count), OVFC_OK);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(OvfcService(1, "OVFCDESC\x03"), OVFC_OK);
    EXPECT_EQ(OvfcService(1, "OVFCDESX"), OVFC_E_DESCRIPTOR);
    EXPECT_EQ(OvfcService(1, "ovfcdesc"), OVFC_E_DESCRIPTOR);
    EXPECT_EQ(OvfcService(2, nullptr), OVFC_E_VERSION) << "no configuration: no version";
    EXPECT_EQ(OvfcService(3, nullptr), OVFC_E_NOT_SUPPORTED);
    EXPECT_EQ(OvfcService(0, nullptr), OVFC_E_NOT_SUPPORTED);
}

TEST_F(Api, LoadInitialisesAndDoneResets) {
    TempDir dir;
    const std::string ini = ovfc_test::writeEngineConfig(dir);
    ASSERT_EQ(OvfcLoadConfig(ini.c_str()), OVFC_OK);
    char value[40] = {};
    EXPECT_EQ(OvfcGetParam("PARAM", "Gamma", value), OVFC_OK);
    EXPECT_STREQ(value, "0");
    EXPECT_EQ(OvfcService(2, nullptr), OVFC_OK);
    EXPECT_EQ(OvfcSetParam("library", "version", "0.02.007"), OVFC_OK);
    EXPECT_EQ(OvfcService(2, nullptr), OVFC_E_VERSION);
    EXPECT_EQ(OvfcDone(), OVFC_OK);
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcDone(), OVFC_E_NOT_INITIALISED);
    EXPECT_EQ(OvfcService(2, nullptr), OVFC_E_VERSION) << "the store is empty after Done";
}

TEST_F(Api, InitReadsOvfcIniFoundAlongPath) {
    TempDir dir, empty;
    ovfc_test::writeEngineConfig(dir);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(empty.path());
    {
        ScopedEnv path("PATH", "/nonexistent:" + dir.path());
        EXPECT_EQ(OvfcInit(), OVFC_OK);
        EXPECT_EQ(OvfcDone(), OVFC_OK);
        EXPECT_EQ(OvfcLoadConfig("/no/such/place/ovfc.ini"), OVFC_OK)
            << "searched by its file name";
        EXPECT_EQ(OvfcDone(), OVFC_OK);
    }
    EXPECT_EQ(OvfcInit(), OVFC_E_FILE) << "neither here nor along PATH";
    std::filesystem::current_path(cwd);
}

TEST_F(Api, LoadFailures) {
    TempDir dir;
    EXPECT_EQ(OvfcLoadConfig(dir.file("none.ini").c_str()), OVFC_E_FILE);
    EXPECT_EQ(OvfcLoadConfig(nullptr), OVFC_E_FILE);

    ovfc_test::writeEngineConfig(dir, "", dir.path() + "/missing/tm.bin");
    std::filesystem::remove(dir.file("tm.bin"));
    EXPECT_EQ(OvfcLoadConfig(dir.file("ovfc.ini").c_str()), OVFC_E_FILE) << "masks file missing";
    char value[40];
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_E_NOT_INITIALISED)
        << "still not initialised";

    ovfc_test::writeEngineConfig(dir, "", "elsewhere/tm.bin");
    {
        ScopedEnv path("PATH", dir.path());
        EXPECT_EQ(OvfcLoadConfig(dir.file("ovfc.ini").c_str()), OVFC_OK)
            << "masks file found by its name along PATH";
    }
    OvfcDone();

    ovfc_test::writeFile(dir.file("nomasks.ini"), "[param]\ngamma = 0\n");
    EXPECT_EQ(OvfcLoadConfig(dir.file("nomasks.ini").c_str()), OVFC_E_CONFIG);

    ovfc_test::writeEngineConfig(dir);
    ovfc_test::writeFile(dir.file("tm.bin"), "OVFCDESC\x04\x00");
    EXPECT_EQ(OvfcLoadConfig(dir.file("ovfc.ini").c_str()), OVFC_E_DESCRIPTOR);
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_E_NOT_INITIALISED);
    ovfc_test::writeFile(dir.file("tm.bin"), "");
    EXPECT_EQ(OvfcLoadConfig(dir.file("ovfc.ini").c_str()), OVFC_E_DESCRIPTOR);
    // A truncated default-mask file: the reader stops at the end of the file.
    auto cut = ovfc_test::blob({{255, 20, 24, 0, 0, 0, 0, 3}});
    cut.resize(cut.size() - 1);
    ovfc_test::writeBytes(dir.file("tm.bin"), cut);
    EXPECT_EQ(OvfcLoadConfig(dir.file("ovfc.ini").c_str()), OVFC_E_DESCRIPTOR);
}

TEST_F(Api, AFailedReloadKeepsTheInitialisedState) {
    TempDir dir;
    const std::string ini = ovfc_test::writeEngineConfig(dir);
    ASSERT_EQ(OvfcLoadConfig(ini.c_str()), OVFC_OK);
    TempDir other;
    ovfc_test::writeFile(other.file("ovfc.ini"), "[param]\nDefaultMasks = nothing.bin\n");
    EXPECT_EQ(OvfcLoadConfig(other.file("ovfc.ini").c_str()), OVFC_E_FILE);
    char value[40];
    EXPECT_EQ(OvfcGetParam("param", "DefaultMasks", value), OVFC_OK) << "the new store is in place";
    EXPECT_STREQ(value, "nothing.bin");
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_E_CONFIG);
}

TEST_F(Api, GetAndSetParameters) {
    TempDir dir;
    ASSERT_EQ(OvfcLoadConfig(ovfc_test::writeEngineConfig(dir).c_str()), OVFC_OK);
    char value[40];
    std::memset(value, 'z', sizeof value);
    EXPECT_EQ(OvfcSetParam("new", "long", "01234567890123456789012345678901"), OVFC_OK);
    EXPECT_EQ(OvfcGetParam("NEW", "LONG", value), OVFC_OK);
    EXPECT_STREQ(value, "01234567890123456789012345678901");
    EXPECT_EQ(OvfcGetParam("new", "short", value), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcGetParam("none", "long", value), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcSetParam("param", "gamma", "1"), OVFC_OK);
    EXPECT_EQ(OvfcGetParam("param", "gamma", value), OVFC_OK);
    EXPECT_STREQ(value, "1");
    const char* names[] = {"s0", "s1", "s2", "s3",  "s4",  "s5", "s6",
                           "s7", "s8", "s9", "s10", "s11", "s12"};
    for (const char* name : names) ASSERT_EQ(OvfcSetParam(name, "k", "v"), 0);
    EXPECT_EQ(OvfcSetParam("seventeenth", "k", "v"), OVFC_E_NO_MEMORY);
    EXPECT_EQ(OvfcSetParam("param", nullptr, "v"), OVFC_E_NOT_SUPPORTED);
}

// A value the file could not hold as given is refused and leaves the store as it was.
TEST_F(Api, SetParamRefusesValuesThatWouldBeCutOrBreakTheFile) {
    TempDir dir;
    ASSERT_EQ(OvfcLoadConfig(ovfc_test::writeEngineConfig(dir).c_str()), OVFC_OK);
    char value[40];
    ASSERT_EQ(OvfcSetParam("library", "OwnScoreTreshold", "170"), OVFC_OK);
    EXPECT_EQ(OvfcSetParam("library", "OwnScoreTreshold", "012345678901234567890123456789012"),
              OVFC_E_CONFIG);
    EXPECT_EQ(OvfcSetParam("library", "OwnScoreTreshold", "1\n[param]\ngamma=1"), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcSetParam("library", "OwnScoreTreshold", "1\r"), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcSetParam("library", "Own\nScore", "1"), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcSetParam("new\nsection", "k", "1"), OVFC_E_CONFIG);
    EXPECT_EQ(OvfcGetParam("library", "OwnScoreTreshold", value), OVFC_OK);
    EXPECT_STREQ(value, "170");
    EXPECT_EQ(OvfcGetParam("new\nsection", "k", value), OVFC_E_CONFIG);
}

TEST_F(Api, SaveConfigPaths) {
    TempDir dir;
    ASSERT_EQ(OvfcLoadConfig(ovfc_test::writeEngineConfig(dir).c_str()), OVFC_OK);
    ASSERT_EQ(OvfcSetParam("library", "OwnScoreTreshold", "170"), OVFC_OK);
    const std::string target = dir.file("saved.ini");
    ASSERT_EQ(OvfcSaveConfig(target.c_str()), OVFC_OK);
    const std::string text = ovfc_test::readFile(target);
    EXPECT_NE(text.find("\n[library]\nOwnScoreTreshold = 170\nversion = 0.02.006\n"),
              std::string::npos);
    EXPECT_EQ(OvfcSaveConfig(dir.file("no/dir/x.ini").c_str()), OVFC_E_FILE);

    // A bare name goes next to the library, which lives in the build's bin directory.
    const std::string bare = "ovfc-save-test-" + std::to_string(getpid()) + ".ini";
    const std::string beside = std::string(OVFC_BIN_DIR) + "/" + bare;
    ASSERT_EQ(OvfcSaveConfig(bare.c_str()), OVFC_OK);
    EXPECT_EQ(ovfc_test::readFile(beside).substr(text.find('\n', 90)),
              text.substr(text.find('\n', 90)));
    std::filesystem::remove(beside);
    std::filesystem::remove(beside + ".lock");

    // An empty name means ovfc.ini there. The tests never write the shipped file: loaded
    // from there and saved without a change, it keeps its bytes and is not even replaced.
    const std::string shipped = std::string(OVFC_BIN_DIR) + "/ovfc.ini";
    if (!std::filesystem::exists(shipped)) GTEST_SKIP() << "no shipped configuration";
    const std::string keep = ovfc_test::readFile(shipped);
    struct stat before {};
    ASSERT_EQ(stat(shipped.c_str(), &before), 0);
    ASSERT_EQ(OvfcLoadConfig(shipped.c_str()), OVFC_OK);
    char value[40];
    ASSERT_EQ(OvfcGetParam("library", "OwnScoreTreshold", value), OVFC_OK);
    ASSERT_EQ(OvfcSetParam("library", "OwnScoreTreshold", value), OVFC_OK) << "the same value";
    ASSERT_EQ(OvfcSaveConfig(""), OVFC_OK);
    struct stat after {};
    ASSERT_EQ(stat(shipped.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ovfc_test::readFile(shipped), keep);
}

TEST_F(Api, ProcessingReportsWhatThePipelineFound) {
    ASSERT_EQ(OvfcLoadConfig(OVFC_SYNTHETIC_CONFIG), OVFC_OK);
    std::vector<std::uint8_t> desc(OVFC_MAX_DESCRIPTOR_SIZE, 0xEE);
    std::int16_t size = -1;
    std::vector<std::uint8_t> frame(256 * 255);
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 31);
    EXPECT_EQ(OvfcProcessing(frame.data(), desc.data(), &size), OVFC_E_GEOMETRY)
        << "no eyes in a pattern";
    EXPECT_EQ(size, -1);
    EXPECT_EQ(desc[0], 0xEE) << "nothing written";
    std::vector<std::uint8_t> diff(16, 0xEE);
    EXPECT_EQ(
        OvfcLiveProcessingEx(frame.data(), desc.data(), &size, 4, 4, frame.data(), diff.data()), 26)
        << "a 4 x 4 image cannot hold the masks";
    EXPECT_EQ(diff[0], 0xEE);
    EXPECT_EQ(OvfcProcessingEx(nullptr, desc.data(), &size, 4, 4), OVFC_E_NOT_SUPPORTED);

    ASSERT_EQ(OvfcSetParam("param", "gamma", "1"), OVFC_OK);
    EXPECT_EQ(OvfcProcessing(kFrame.data(), desc.data(), &size), OVFC_E_FLAT_IMAGE) << "flat image";
    EXPECT_EQ(OvfcProcessingEx(frame.data(), desc.data(), &size, 0, 0), OVFC_E_FLAT_IMAGE)
        << "empty image";
    ASSERT_EQ(OvfcSetParam("param", "Number_of_face_elements", "12"), OVFC_OK);
    EXPECT_EQ(OvfcProcessing(frame.data(), desc.data(), &size), OVFC_E_CONFIG);
}

TEST_F(Api, MissingParametersBecomeCode28) {
    TempDir dir;
    ovfc_test::writeEngineConfig(dir);
    ovfc_test::writeFile(dir.file("small.ini"),
                         "[param]\nDefaultMasks = " + dir.file("tm.bin") + "\n");
    ASSERT_EQ(OvfcLoadConfig(dir.file("small.ini").c_str()), OVFC_OK);
    std::vector<std::uint8_t> desc(OVFC_MAX_DESCRIPTOR_SIZE);
    std::int16_t size = 0;
    std::int32_t score = 0;
    EXPECT_EQ(OvfcProcessing(kFrame.data(), desc.data(), &size), OVFC_E_CONFIG);
    const auto person = ovfc_test::blob({{1, 3, 3, 5, 5, 0, 0, 1}});
    EXPECT_EQ(OvfcMatch(kFrame.data(), person.data(), &score), OVFC_E_CONFIG);
    ASSERT_EQ(OvfcSetParam("param", "Number_of_face_elements", "8"), OVFC_OK);
    ASSERT_EQ(OvfcSetParam("param", "using_descriptors_mask", "1"), OVFC_OK);
    EXPECT_EQ(OvfcProcessing(kFrame.data(), desc.data(), &size), OVFC_E_CONFIG)
        << "gamma is missing";
}

TEST_F(Api, MatchClassifiesItsItems) {
    TempDir dir;
    ovfc_test::writeEngineConfig(dir);
    ASSERT_EQ(OvfcLoadConfig(OVFC_SYNTHETIC_CONFIG), OVFC_OK);
    ASSERT_EQ(OvfcSetParam("param", "gamma", "0"), OVFC_OK);  // flat frames pass the intake
    const auto person = ovfc_test::blob({{1, 3, 3, 5, 5, 0, 0, 1}, {2, 3, 3, 9, 5, 0, 0, 2}});
    std::vector<std::uint8_t> personBuf(OVFC_MAX_DESCRIPTOR_SIZE, 0);
    std::copy(person.begin(), person.end(), personBuf.begin());
    std::int32_t score = 0;
    EXPECT_EQ(OvfcMatch(personBuf.data(), personBuf.data(), &score), OVFC_E_NOT_SUPPORTED)
        << "two descriptors";
    EXPECT_EQ(OvfcMatch(kFrame.data(), personBuf.data(), &score), OVFC_E_GEOMETRY)
        << "no eyes in a flat image";
    EXPECT_EQ(OvfcMatch(personBuf.data(), kFrame.data(), &score), OVFC_E_GEOMETRY);
    EXPECT_EQ(OvfcMatch(kFrame.data(), kFrame.data(), &score), OVFC_E_GEOMETRY);
    EXPECT_EQ(OvfcMatch(nullptr, kFrame.data(), &score), OVFC_E_NOT_SUPPORTED);

    auto v4 = personBuf;
    v4[8] = 4;
    EXPECT_EQ(OvfcMatch(kFrame.data(), v4.data(), &score), OVFC_E_DESCRIPTOR);
    // A record that would reach past the 3072-byte buffer.
    std::vector<std::uint8_t> big(OVFC_MAX_DESCRIPTOR_SIZE, 1);
    const auto head = ovfc_test::blob({{1, 60, 60, 0, 0, 0, 0, 0}});
    std::copy(head.begin(), head.begin() + 24, big.begin());
    EXPECT_EQ(OvfcMatch(big.data(), kFrame.data(), &score), OVFC_E_DESCRIPTOR);
}

// An image of fewer than eight bytes cannot be told from a descriptor by its magic without
// reading past it: at such sizes both items are images.
class TinyMatch : public Api {
  protected:
    void SetUp() override {
        Api::SetUp();
        ASSERT_EQ(OvfcLoadConfig(OVFC_SYNTHETIC_CONFIG), OVFC_OK);
        ASSERT_EQ(OvfcSetParam("param", "gamma", "0"), OVFC_OK);
        const auto blob = ovfc_test::blob({{1, 3, 3, 5, 5, 0, 0, 1}, {2, 3, 3, 9, 5, 0, 0, 2}});
        std::copy(blob.begin(), blob.end(), person.begin());
    }
    std::vector<std::uint8_t> person = std::vector<std::uint8_t>(OVFC_MAX_DESCRIPTOR_SIZE, 0);
    std::int32_t score = 0;
};

TEST_F(TinyMatch, DescriptorsGivenAsTinyImagesAreComparedAsImages) {
    // The first four bytes of the blob as a 2 x 2 image, the same bytes on their own.
    const std::vector<std::uint8_t> head(person.begin(), person.begin() + 4);
    const int asImages = OvfcMatchEx(head.data(), head.data(), &score, 2, 2);
    EXPECT_NE(asImages, OVFC_E_NOT_SUPPORTED);
    EXPECT_NE(asImages, OVFC_OK);
    EXPECT_EQ(OvfcMatchEx(person.data(), person.data(), &score, 2, 2), asImages)
        << "not refused as two descriptors";
    EXPECT_EQ(OvfcMatchEx(person.data(), head.data(), &score, 2, 2), asImages);
    EXPECT_EQ(OvfcMatch(person.data(), person.data(), &score), OVFC_E_NOT_SUPPORTED)
        << "a frame holds the magic";
}

TEST_F(TinyMatch, ReadsNoMoreThanATinyImageHolds) {
    // Buffers of exactly width x height bytes: the sanitizer build reports any byte beyond.
    for (const auto& [w, h] : {std::pair{2, 2}, {1, 1}, {7, 1}, {1, 7}}) {
        const std::vector<std::uint8_t> image(static_cast<std::size_t>(w) * h, 90);
        const std::uint8_t* pixels = image.data();
        const int rc = OvfcMatchEx(pixels, person.data(), &score, w, h);
        EXPECT_EQ(OvfcMatchEx(person.data(), pixels, &score, w, h), rc) << w << " x " << h;
        EXPECT_EQ(OvfcMatchEx(pixels, pixels, &score, w, h), rc) << w << " x " << h;
        EXPECT_NE(rc, 0) << w << " x " << h;
    }
}

TEST_F(Api, FaceInfoOfADescriptor) {
    const auto person = ovfc_test::blob({{255, 4, 6, 128, 120, 255, 0, 1},
                                         {1, 3, 2, 100, 110, 9, 0, 2},
                                         {2, 5, 2, 150, 111, 9, 0, 3},
                                         {254, 2, 2, 127, 160, 0, 0, 4}});
    FaceElementInfo info[8] = {};
    std::uint16_t count = 8;
    EXPECT_EQ(OvfcFaceInfo(person.data(), info, 0, &count), OVFC_OK) << "works uninitialised";
    ASSERT_EQ(count, 2);
    EXPECT_EQ(info[0].id, 1);
    EXPECT_EQ(info[0].x, 100);
    EXPECT_EQ(info[0].y, 110);
    EXPECT_EQ(info[0].height, 2);
    EXPECT_EQ(info[0].width, 3);
    EXPECT_EQ(info[1].id, 2);
    count = 2;
    EXPECT_EQ(OvfcFaceInfo(person.data(), info, 254, &count), OVFC_OK);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(info[0].id, 254);
    EXPECT_EQ(info[1].id, 255);
    EXPECT_EQ(info[1].width, 4);
    count = 1;
    EXPECT_EQ(OvfcFaceInfo(person.data(), info, 256 + 2, &count), OVFC_OK);
    ASSERT_EQ(count, 1) << "ids are the low 8 bits of the index";
    EXPECT_EQ(info[0].id, 2);
    count = 3;
    EXPECT_EQ(OvfcFaceInfo(person.data(), info, 3, &count), OVFC_OK);
    EXPECT_EQ(count, 0);

    auto bad = person;
    bad[8] = 4;
    count = 5;
    EXPECT_EQ(OvfcFaceInfo(bad.data(), info, 0, &count), OVFC_E_DESCRIPTOR);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(OvfcFaceInfo(nullptr, info, 0, nullptr), OVFC_E_NOT_SUPPORTED);
    count = 8;
    EXPECT_EQ(OvfcFaceInfo(nullptr, info, 0, &count), OVFC_OK);
    EXPECT_EQ(count, 0) << "no comparison has reached its score step";
    static_assert(sizeof(FaceElementInfo) == 10);
}

}  // namespace
