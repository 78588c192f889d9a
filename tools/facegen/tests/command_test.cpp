// The ovfc facegen command: files, names, truth file, determinism and argument errors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "facegen.h"
#include "ovio32.h"
#include "tiff_probe.h"

namespace fs = std::filesystem;
using namespace facegen;
using facegen_test::GreyTiff;
using facegen_test::readGreyTiff;

namespace {

class FacegenCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("ovfc_facegen_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs "ovfc facegen ARGS"; the exit status.
    int run(const std::string& args) const {
        const std::string cmd = std::string(OVFC_BIN_DIR) + "/ovfc facegen " + args + " >" +
                                (root_ / "stdout").string() + " 2>" + (root_ / "stderr").string();
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path root_;
};

}  // namespace

TEST_F(FacegenCommand, WritesNamedFramesAndTheirTruth) {
    const fs::path out = root_ / "set" / "deep";  // created when missing
    ASSERT_EQ(run("--persons 2 --images 3 --out " + out.string() + " --seed 7"), 0)
        << slurp(root_ / "stderr");

    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(out)) names.insert(e.path().filename().string());
    const std::set<std::string> expected = {"00000101.TIF", "00000102.TIF", "00000103.TIF",
                                            "00000201.TIF", "00000202.TIF", "00000203.TIF",
                                            "truth.txt"};
    EXPECT_EQ(names, expected);

    std::istringstream truth(slurp(out / "truth.txt"));
    const std::regex format(R"(0000(\d\d)(\d\d)\.TIF (\d\d)( \d{1,3}\.\d){4})");
    std::string line;
    int lines = 0;
    for (int p = 1; p <= 2; ++p) {
        for (int i = 1; i <= 3; ++i, ++lines) {
            ASSERT_TRUE(std::getline(truth, line));
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, format)) << line;
            EXPECT_EQ(std::stoi(m[1]), p);
            EXPECT_EQ(std::stoi(m[2]), i);
            EXPECT_EQ(std::stoi(m[3]), p);
            // The file holds exactly the frame the library renders, and the line its truth.
            const Frame f = generateFrame(7, p, i);
            EXPECT_EQ(line, truthLine(frameFileName(p, i), p, f.eyes));
            std::istringstream fields(line.substr(16));
            double xl, yl, xr, yr;
            fields >> xl >> yl >> xr >> yr;
            EXPECT_LT(xl, xr);
            // Read back from the text, the truth is the rendered position to the last bit.
            EXPECT_EQ(xl, f.eyes.xl);
            EXPECT_EQ(yl, f.eyes.yl);
            EXPECT_EQ(xr, f.eyes.xr);
            EXPECT_EQ(yr, f.eyes.yr);
            GreyTiff t;
            ASSERT_TRUE(readGreyTiff((out / frameFileName(p, i)).string(), t)) << line;
            EXPECT_EQ(t.width, kWidth);
            EXPECT_EQ(t.height, kHeight);
            EXPECT_EQ(t.pixels, f.pixels) << line;
            // The image file library reads back what it wrote.
            std::vector<std::uint8_t> back(f.pixels.size());
            const std::string path = (out / frameFileName(p, i)).string();
            ASSERT_EQ(OvReadImage(path.c_str(), back.data(), OVIO_FORMAT_TIFF), OVIO_OK);
            EXPECT_EQ(back, f.pixels);
        }
    }
    EXPECT_FALSE(std::getline(truth, line)) << "extra line " << line;
    EXPECT_EQ(lines, 6);
}

TEST_F(FacegenCommand, SameSeedSameBytesOtherSeedOtherBytes) {
    ASSERT_EQ(run("--persons 2 --images 2 --out " + (root_ / "a").string() + " --seed 99"), 0);
    ASSERT_EQ(run("--seed 99 --out=" + (root_ / "b").string() + " --images 2 --persons 2"), 0);
    ASSERT_EQ(run("--persons 2 --images 2 --out " + (root_ / "c").string() + " --seed 100"), 0);
    for (const char* name : {"00000101.TIF", "00000202.TIF", "truth.txt"}) {
        const std::string a = slurp(root_ / "a" / name);
        ASSERT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, slurp(root_ / "b" / name)) << name;
        EXPECT_NE(a, slurp(root_ / "c" / name)) << name;
    }
    // A frame does not depend on the size of the set it belongs to.
    ASSERT_EQ(run("--persons 1 --images 1 --out " + (root_ / "d").string() + " --seed 99"), 0);
    EXPECT_EQ(slurp(root_ / "a" / "00000101.TIF"), slurp(root_ / "d" / "00000101.TIF"));
}

TEST_F(FacegenCommand, RejectsBadArgumentsWithoutWriting) {
    const std::string out = " --out " + (root_ / "x").string();
    EXPECT_EQ(run("--persons 0 --images 2" + out), 2);
    EXPECT_EQ(run("--persons 100 --images 2" + out), 2);
    EXPECT_EQ(run("--persons 2 --images 1x" + out), 2);
    EXPECT_EQ(run("--persons 2 --images 2 --seed -1" + out), 2);
    EXPECT_EQ(run("--persons 2 --images 2 --seed 18446744073709551616" + out), 2);
    EXPECT_EQ(run("--persons 2 --images 2"), 2);
    EXPECT_EQ(run("--persons 2 --images 2 --bogus 1" + out), 2);
    EXPECT_FALSE(fs::exists(root_ / "x"));
    // An output path that cannot be a directory is an error, not a crash.
    std::ofstream(root_ / "file") << "x";
    EXPECT_EQ(run("--persons 1 --images 1 --out " + (root_ / "file").string()), 1);
    EXPECT_NE(slurp(root_ / "stderr").find("ovfc facegen:"), std::string::npos);
    // A frame that cannot be written stops the run with an error and no truth file.
    fs::create_directories(root_ / "y" / "00000102.TIF");
    EXPECT_EQ(run("--persons 1 --images 2 --out " + (root_ / "y").string()), 1);
    EXPECT_NE(slurp(root_ / "stderr").find("00000102.TIF"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "y" / "truth.txt"));
}
