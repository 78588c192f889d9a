// Writing the configuration back: what is refused, what is kept, and safe replacement.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config_store.h"
#include "load_config.h"
#include "status.h"
#include "test_files.h"

namespace {

using ovfc::ConfigStore;
using ovfc_test::readFile;
using ovfc_test::TempDir;
using ovfc_test::writeFile;

const char* const kCommented =
    ";-----\n"
    "; Shipped configuration: keep this header\n"
    ";-----\n"
    "\n"
    "[param]\n"
    "zeta = 9\n"
    "; weights\n"
    "UseBase = 1   ; trailing note\n"
    "alpha=2\n"
    "\n"
    "[library]\n"
    "version = 0.02.006\n";

TEST(ConfigSave, ValuesThatCannotBeWrittenBackAreRecognised) {
    EXPECT_EQ(ConfigStore::valueFault(std::string(32, 'v')), ovfc::ValueFault::kNone);
    EXPECT_EQ(ConfigStore::valueFault(std::string(33, 'v')), ovfc::ValueFault::kTooLong);
    EXPECT_EQ(ConfigStore::valueFault("1\n[evil]"), ovfc::ValueFault::kLineBreak);
    EXPECT_EQ(ConfigStore::valueFault("1\r"), ovfc::ValueFault::kLineBreak);
}

TEST(ConfigSave, LineBreaksAreRefusedAndInjectNothing) {
    TempDir dir;
    ConfigStore s;
    EXPECT_EQ(s.set("param", "gamma", "1\n[library]\nversion=9"), ovfc::kConfigError);
    EXPECT_EQ(s.set("param", "gamma\rx", "1"), ovfc::kConfigError);
    EXPECT_EQ(s.set("param]\n[x", "gamma", "1"), ovfc::kConfigError);
    EXPECT_EQ(s.sectionCount(), 0) << "nothing is stored";
    ASSERT_EQ(s.set("param", "gamma", "1"), 0);
    ASSERT_EQ(s.save(dir.file("out.ini")), 0);
    ConfigStore again;
    ASSERT_EQ(again.load(dir.file("out.ini")), 0);
    EXPECT_EQ(again.sectionCount(), 1);
    EXPECT_EQ(again.find("library", "version"), nullptr);
}

TEST(ConfigSave, KeepsCommentsOrderAndSpellingAndChangesOnlyValues) {
    TempDir dir;
    const std::string path = dir.file("ovfc.ini");
    writeFile(path, kCommented);
    ConfigStore s;
    ASSERT_EQ(s.load(path), 0);
    ASSERT_EQ(s.set("PARAM", "usebase", "0"), 0);
    ASSERT_EQ(s.set("param", "beta", "3"), 0);
    ASSERT_EQ(s.set("param", "zeta", "9"), 0) << "the same value changes nothing";
    ASSERT_EQ(s.set("extra", "k", "v"), 0);
    ASSERT_EQ(s.save(path), 0);
    EXPECT_EQ(readFile(path),
              ";-----\n"
              "; Shipped configuration: keep this header\n"
              ";-----\n"
              "\n"
              "[param]\n"
              "zeta = 9\n"
              "; weights\n"
              "UseBase = 0   ; trailing note\n"
              "alpha=2\n"
              "beta = 3\n"
              "\n"
              "[library]\n"
              "version = 0.02.006\n"
              "\n"
              "[extra]\n"
              "k = v\n");
}

TEST(ConfigSave, NothingChangedGivesTheSameBytes) {
    TempDir dir;
    // No final newline, a duplicate section and an include: all kept as they are.
    const std::string text = std::string(kCommented) + "[param]\ndup = 1\n#include part.ini";
    writeFile(dir.file("part.ini"), "[part]\np = 1\n");
    writeFile(dir.file("a.ini"), text);
    writeFile(dir.file("b.ini"), text);
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("a.ini")), 0);
    ASSERT_EQ(s.save(dir.file("a.ini")), 0);
    EXPECT_EQ(readFile(dir.file("a.ini")), text);
    // Into another file of the same content: every value already matches but the
    // included ones, which are added.
    ASSERT_EQ(s.save(dir.file("b.ini")), 0);
    EXPECT_EQ(readFile(dir.file("b.ini")), text + "\n\n[part]\np = 1\n");
}

// Each damaged file stops the reading at the given line; the save is refused and the file
// stays as it was.
TEST(ConfigSave, AFileThatDidNotLoadWholeIsNeverSavedOver) {
    struct Case {
        std::string bad;
        const char* what;
    };
    const Case cases[] = {
        {"[broken\n", "unclosed header"},
        {std::string("k = \x01\x02\xff\x00junk\n", 13), "binary junk"},
        {std::string("[").append(90, 's').append("]\n"), "overlong section name"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.file("ovfc.ini");
        std::string text = "; head\n[param]\na = 1\n";
        text += c.bad;
        for (int i = 0; i < 50; ++i)
            text += "key" + std::to_string(i) + " = " + std::to_string(i) + "\n";
        writeFile(path, text);
        ConfigStore s;
        ASSERT_EQ(s.load(path), 0) << c.what;
        ASSERT_TRUE(s.loadProblem().has_value()) << c.what;
        EXPECT_EQ(s.loadProblem()->line, 4) << c.what;
        EXPECT_EQ(s.loadProblem()->file, path) << c.what;
        EXPECT_FALSE(s.loadProblem()->reason.empty()) << c.what;
        EXPECT_EQ(s.find("param", "a") != nullptr, true) << c.what;
        ASSERT_EQ(s.set("param", "a", "2"), 0);
        EXPECT_EQ(s.save(path), ovfc::kConfigError) << c.what;
        EXPECT_EQ(readFile(path), text) << c.what;

        // Nor is a whole store saved over such a file.
        ConfigStore other;
        ASSERT_EQ(other.set("param", "a", "3"), 0);
        EXPECT_EQ(other.save(path), ovfc::kConfigError) << c.what;
        EXPECT_EQ(readFile(path), text) << c.what;
    }
    ConfigStore fine;
    TempDir dir;
    writeFile(dir.file("ok.ini"), kCommented);
    ASSERT_EQ(fine.load(dir.file("ok.ini")), 0);
    EXPECT_FALSE(fine.loadProblem().has_value());
}

TEST(ConfigSave, InterleavedWritersKeepEachOthersChanges) {
    TempDir dir;
    const std::string path = dir.file("ovfc.ini");
    writeFile(path, kCommented);
    ConfigStore a, b;
    ASSERT_EQ(a.load(path), 0);
    ASSERT_EQ(b.load(path), 0);
    ASSERT_EQ(a.set("param", "alpha", "20"), 0);
    ASSERT_EQ(b.set("param", "zeta", "90"), 0);
    ASSERT_EQ(a.save(path), 0);
    ASSERT_EQ(b.save(path), 0);
    ConfigStore c;
    ASSERT_EQ(c.load(path), 0);
    EXPECT_EQ(*c.find("param", "alpha"), "20");
    EXPECT_EQ(*c.find("param", "zeta"), "90");
}

std::string writerKey(int w) {
    std::string key = "w";
    key += std::to_string(w);
    return key;
}

TEST(ConfigSave, ConcurrentProcessesLoseNoUpdate) {
    TempDir dir;
    const std::string path = dir.file("ovfc.ini");
    writeFile(path, kCommented);
    constexpr int kWriters = 6;
    constexpr int kRounds = 30;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            int failures = 0;
            for (int r = 1; r <= kRounds; ++r) {
                ConfigStore s;
                failures += s.load(path) != 0;
                failures += s.set("param", writerKey(w), std::to_string(r)) != 0;
                failures += s.save(path) != 0;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ConfigStore s;
    ASSERT_EQ(s.load(path), 0);
    for (int w = 0; w < kWriters; ++w) {
        const std::string* v = s.find("param", writerKey(w));
        ASSERT_NE(v, nullptr) << "writer " << w;
        EXPECT_EQ(*v, std::to_string(kRounds)) << "writer " << w;
    }
    EXPECT_EQ(readFile(path).rfind(std::string(kCommented).substr(0, 60), 0), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
            << "left behind: " << entry.path();
}

TEST(ConfigSave, LinksAtTheTemporaryNameAreNotFollowed) {
    TempDir dir;
    const std::string path = dir.file("ovfc.ini");
    const std::string victim = dir.file("victim");
    writeFile(path, kCommented);
    writeFile(victim, "precious\n");
    std::filesystem::create_symlink(victim, path + ".tmp");
    ConfigStore s;
    ASSERT_EQ(s.load(path), 0);
    ASSERT_EQ(s.set("param", "alpha", "5"), 0);
    ASSERT_EQ(s.save(path), 0);
    EXPECT_EQ(readFile(victim), "precious\n");
    EXPECT_NE(readFile(path).find("alpha=5\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::is_symlink(path));

    // A link planted as the lock file is refused rather than followed.
    std::filesystem::remove(path + ".lock");
    std::filesystem::create_symlink(victim, path + ".lock");
    EXPECT_EQ(s.save(path), ovfc::kFileError);
    EXPECT_EQ(readFile(victim), "precious\n");
}

TEST(ConfigSave, AnEmptyNameMeansOvfcIniBesideTheLibrary) {
    const std::string bare = ovfc::savePath("ovfc.ini");
    EXPECT_EQ(ovfc::savePath(""), bare);
    EXPECT_EQ(ovfc::savePath(nullptr), bare);
    ASSERT_GT(bare.size(), std::string("/ovfc.ini").size());
    EXPECT_EQ(bare.substr(bare.size() - 9), "/ovfc.ini");
    EXPECT_EQ(ovfc::savePath("some/dir/x.ini"), "some/dir/x.ini");
}

}  // namespace
