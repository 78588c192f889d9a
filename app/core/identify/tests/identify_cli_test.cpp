// ovfc identify end to end on synthetic faces enrolled with ovfc base enroll.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "facegen.h"

namespace {

namespace fs = std::filesystem;

class IdentifyCliTest : public ::testing::Test {
  protected:
    static constexpr int kPersons = 3;
    static inline fs::path dir;

    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("ovfc_identify_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        std::string error;
        ASSERT_TRUE(facegen::writeFaceSet((dir / "set").string(), kPersons, 5, 7, error)) << error;
        for (int p = 1; p <= kPersons; ++p) {
            std::string images;
            for (int i = 1; i <= 3; ++i) images += " " + image(p, i);
            ASSERT_EQ(ovfc("base --base " + (dir / "Base").string() + " --config " +
                           OVFC_SYNTHETIC_CONFIG + " enroll p" + std::to_string(p) + " 'Person " +
                           std::to_string(p) + "'" + images),
                      0);
        }
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static std::string image(int person, int i) {
        return (dir / "set" / facegen::frameFileName(person, i)).string();
    }
    // Exit status of "ovfc arguments"; the output in lastOut.
    static int ovfc(const std::string& arguments) {
        const fs::path out = dir / "out.txt";
        const std::string command =
            std::string(OVFC_BIN_DIR) + "/ovfc " + arguments + " >" + out.string() + " 2>&1";
        const int rc = std::system(command.c_str());
        std::ifstream in(out, std::ios::binary);
        lastOut.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    static int identify(const std::string& arguments) {
        return ovfc("identify --base " + (dir / "Base").string() + " --config " +
                    OVFC_SYNTHETIC_CONFIG + " " + arguments);
    }
    static inline std::string lastOut;
};

TEST_F(IdentifyCliTest, EveryHeldBackImageNamesItsPerson) {
    std::string images;
    for (int p = 1; p <= kPersons; ++p) images += " " + image(p, 4) + " " + image(p, 5);
    const fs::path json = dir / "out.json";
    ASSERT_EQ(identify("--all-faces --json " + json.string() + images), 0) << lastOut;
    for (int p = 1; p <= kPersons; ++p)
        for (int i : {4, 5})
            EXPECT_NE(lastOut.find(image(p, i) + ": welcome P" + std::to_string(p) + " (Person " +
                                   std::to_string(p) + ")"),
                      std::string::npos)
                << lastOut;
    EXPECT_NE(lastOut.find("recognised 6 of 6"), std::string::npos) << lastOut;
    std::ifstream in(json);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"recognised\": 6, \"total\": 6"), std::string::npos) << text;
    EXPECT_NE(text.find("\"verdict\": \"welcome\", \"user_id\": \"P2\""), std::string::npos)
        << text;
}

TEST_F(IdentifyCliTest, VerificationOfAMissingUserIsDenied) {
    ASSERT_EQ(identify("--user nobody " + image(1, 4)), 1) << lastOut;
    EXPECT_NE(lastOut.find(image(1, 4) + ": access denied, best score 0, no face scored"),
              std::string::npos)
        << lastOut;
}

TEST_F(IdentifyCliTest, VerificationMatchesOnlyThatUser) {
    ASSERT_EQ(identify("--user P2 --sequential --forward " + image(2, 4)), 0) << lastOut;
    EXPECT_NE(lastOut.find("welcome P2 (Person 2)"), std::string::npos) << lastOut;
    EXPECT_NE(lastOut.find("face P2 slot "), std::string::npos) << lastOut;
}

TEST_F(IdentifyCliTest, UnreadableImageCountsAsNotRecognised) {
    ASSERT_EQ(identify(image(1, 4) + " " + (dir / "missing.tif").string()), 1) << lastOut;
    EXPECT_NE(lastOut.find("missing.tif: unreadable"), std::string::npos) << lastOut;
    EXPECT_NE(lastOut.find("recognised 1 of 2"), std::string::npos) << lastOut;
}

TEST_F(IdentifyCliTest, BadArgumentsAndConfiguration) {
    EXPECT_EQ(identify(""), 2) << lastOut;
    EXPECT_EQ(identify("--bogus " + image(1, 4)), 2) << lastOut;
    EXPECT_EQ(ovfc("identify --base " + (dir / "Base").string() + " --config " +
                   (dir / "none.ini").string() + " " + image(1, 4)),
              3)
        << lastOut;
}

}  // namespace
