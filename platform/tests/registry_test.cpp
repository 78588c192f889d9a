#include "platform/registry.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using platform::RegistryFile;
using platform::RegType;
using platform::RegValue;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SoftWare\\Orvane Technology\\Test";

RegValue dword(std::uint32_t v) {
    return {RegType::Dword,
            {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}};
}

RegValue bytes(RegType type, std::vector<std::uint8_t> data) {
    return {type, std::move(data)};
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Runs body in a child process and returns its exit code (-signal when killed).
template <class Body>
int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int rc = 99;  // the child never returns into the test framework
        try {
            rc = body();
        } catch (...) {
        }
        ::_exit(rc);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

class Registry : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ovplatform_registry_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = (dir_ / "registry.reg").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    std::string file_;
};

TEST_F(Registry, KeepsTypesAndLengthsOfEveryValue) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> large(5000), placement(44);
    for (auto& b : large) b = std::uint8_t(rng());
    for (auto& b : placement) b = std::uint8_t(rng());
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"Path", platform::stringValue("C:\\dir \"quoted\"\\")},
        {"Lines", bytes(RegType::String, {'a', '\n', 'b', 0, '\r'})},
        {"Empty", platform::stringValue("")},
        {"Count", dword(10)},
        {"Byte", bytes(RegType::Dword, {2})},
        {"Placement", bytes(RegType::Dword, placement)},
        {"No bytes", bytes(RegType::Binary, {})},
        {"Large", bytes(RegType::Binary, large)},
        {"Multi", bytes(static_cast<RegType>(7), {'x', 0, 0})},
        {"", platform::stringValue("default value")},
        {"Name \"with\" \\ marks", dword(0xfffffffe)},
    };
    RegistryFile reg(file_);
    ASSERT_TRUE(reg.write(kKey, values[0].first, values[0].second));
    ASSERT_TRUE(reg.writeValues(kKey, {values.begin() + 1, values.end()}));

    const RegistryFile again(file_);
    for (const auto& [name, value] : values) {
        const auto got = again.read(kKey, name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(got->type, value.type) << name;
        EXPECT_EQ(got->data, value.data) << name;
    }
    const std::string text = slurp(file_);
    EXPECT_EQ(text.rfind("REGEDIT4\n\n[", 0), 0u);
    EXPECT_NE(text.find("\n\"Count\"=dword:0000000a\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Byte\"=hex(4):02\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Path\"=\"C:\\\\dir \\\"quoted\\\"\\\\\"\n"), std::string::npos);
    // Long hex data is wrapped, so no line reaches the reader's limit.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(Registry, KeysAndNamesCompareWithoutCaseAndKeepTheirSpelling) {
    RegistryFile reg(file_);
    ASSERT_TRUE(reg.write(kKey, "Round algorithm", dword(1)));
    ASSERT_TRUE(reg.write("hkey_local_machine\\SOFTWARE\\orvane technology\\TEST",
                          "ROUND ALGORITHM", dword(0)));
    EXPECT_EQ(reg.read("Hkey_Local_Machine\\software\\Orvane Technology\\test", "round Algorithm"),
              dword(0));
    const std::string text = slurp(file_);
    EXPECT_NE(text.find(std::string("[") + kKey + "]"), std::string::npos);
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
    EXPECT_EQ(text.find("ROUND"), std::string::npos);
    EXPECT_EQ(text.find("\"Round algorithm\"="), text.rfind("\"Round algorithm\"="));

    EXPECT_TRUE(reg.keyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane Technology"));
    EXPECT_FALSE(reg.keyExists("HKEY_LOCAL_MACHINE\\SoftWare\\Orvane"));
    EXPECT_FALSE(reg.read(kKey, "Round"));
    EXPECT_FALSE(reg.read("HKEY_LOCAL_MACHINE", "Round algorithm"));
}

TEST_F(Registry, RewritesKeepTheOtherKeysAndValues) {
    put(file_,
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n@=\"default\"\r\n"
        "\"Expand\"=hex(2):25,00,50,00,41,00,\\\r\n  54,00,48,00,25,00,00,00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SoftWare\\Orvane Technology\\Test]\r\n\"Kept\"=dword:00000005\r\n");
    const RegistryFile before(file_);
    const auto expand = before.read("HKEY_CURRENT_USER\\Other", "Expand");
    ASSERT_TRUE(expand);
    EXPECT_EQ(expand->type, static_cast<RegType>(2));
    EXPECT_EQ(expand->data.size(), 14u);

    RegistryFile reg(file_);
    ASSERT_TRUE(reg.write(kKey, "New", platform::stringValue("v")));
    EXPECT_EQ(reg.read("HKEY_CURRENT_USER\\Other", "Expand"), expand);
    EXPECT_EQ(reg.read("HKEY_CURRENT_USER\\Other", ""), platform::stringValue("default"));
    EXPECT_EQ(reg.read(kKey, "Kept"), dword(5));
    EXPECT_EQ(reg.read(kKey, "New"), platform::stringValue("v"));
}

TEST_F(Registry, DamagedFilesReadAsWhatParsesAndAreRewrittenClean) {
    std::string noise(300, '\0');
    std::mt19937 rng(11);
    for (char& c : noise) c = static_cast<char>(rng());
    put(file_, "\"orphan\"=dword:00000001\n" + noise +
                   "\n[HKEY_TEST]\n"
                   "\"good1\"=\"ok\"\n"
                   "garbage line = 1\n"
                   "\"unterminated\"=\"text\n"
                   "\"badword\"=dword:zz\n"
                   "\"longword\"=dword:123456789\n"
                   "\"badhex\"=hex:01,0g\n"
                   "\"cut\"=hex:01,02,\\\n"
                   "[HKEY_TEST]\n"
                   "\"trailing\"=\"x\" junk\n"
                   "[-HKEY_TEST]\n"
                   "\"deleted\"=-\n"
                   "[HKEY_TEST\n"
                   "\"lost\"=dword:00000001\n"  // belongs to no key
                   "[HKEY_TEST]\n"
                   "\"good2\"=hex:0a,0b\n"
                   "\"lastcut\"=hex(4):01,\\");
    RegistryFile reg(file_);
    EXPECT_EQ(reg.read("HKEY_TEST", "good1"), platform::stringValue("ok"));
    EXPECT_EQ(reg.read("HKEY_TEST", "good2"), bytes(RegType::Binary, {10, 11}));
    for (const char* bad : {"orphan", "unterminated", "badword", "longword", "badhex", "cut",
                            "trailing", "deleted", "lost", "lastcut"})
        EXPECT_FALSE(reg.read("HKEY_TEST", bad)) << bad;

    ASSERT_TRUE(reg.write("HKEY_TEST", "good3", dword(3)));
    const std::string text = slurp(file_);
    EXPECT_EQ(text,
              "REGEDIT4\n\n[HKEY_TEST]\n\"good1\"=\"ok\"\n\"good2\"=hex:0a,0b\n"
              "\"good3\"=dword:00000003\n\n");

    put(file_, "");
    EXPECT_FALSE(reg.keyExists("HKEY_TEST"));
    ASSERT_TRUE(reg.createKey("HKEY_TEST"));
    EXPECT_TRUE(reg.keyExists("HKEY_TEST"));
}

TEST_F(Registry, ARewriteNeverChangesWhatAFileReadsAs) {
    // Files pieced together from valid, tricky and broken lines.
    // clang-format off
    const char* pieces[] = {
        "REGEDIT4", "", "[K1]", "[ k1 ]", "[K2]", "[K\\\"2]", "[K]3]", "[-K1]", "[K1",
        "\"a\"=\"x\"", "\"b\"=\"back\\\\slash \\\"q\\\"\"", "@=\"d\"", "\"\"=\"e\"",
        "\"c\"=dword:ffffffff", "\"a\"=dword:1", "\"b\"=hex:", "\"c\"=hex(1):41,42,0a",
        "\"a\"=hex(4):01,02,\\", "  03,04", "  05,zz", "\"b\"=hex(7):61,00,\\", "",
        "\"c\"=\"tab\there\" ", "\"a\"=\"cr\"\r", "\"a]b\"=hex(0):", "; comment",
        "\"a\"=\"unterminated", "garbage", "\"c\"=hex(100000000):01",
        "\"b\"=hex(b):01,02,03,04,05,06,07,08", "\"a\"=\"end\\\\\""};
    // clang-format on
    const char* keys[] = {"K1", "K2", "K\\\"2", "K]3"};
    const char* names[] = {"a", "b", "c", "", "a]b"};
    std::mt19937 rng(99);
    for (int round = 0; round < 150; ++round) {
        std::string text;
        const int lines = std::uniform_int_distribution<int>(0, 30)(rng);
        for (int i = 0; i < lines; ++i) {
            text += pieces[rng() % std::size(pieces)];
            text += rng() % 4 == 0 ? "\r\n" : "\n";
        }
        put(file_, text);
        RegistryFile reg(file_);
        std::vector<std::optional<RegValue>> before;
        for (const char* k : keys)
            for (const char* n : names) before.push_back(reg.read(k, n));
        ASSERT_TRUE(reg.write("Other", "z", dword(1))) << text;
        std::size_t i = 0;
        for (const char* k : keys)
            for (const char* n : names)
                ASSERT_EQ(reg.read(k, n), before[i++]) << k << "/" << n << " of\n" << text;
    }
}

TEST_F(Registry, AHugeLineIsSkippedWithinBoundedMemory) {
    constexpr off_t kLine = off_t{128} << 20;  // zero bytes, no line break
    const std::string head = "REGEDIT4\n\n[K]\n\"before\"=dword:00000001\n";
    const std::string tail = "\n\"after\"=dword:00000002\n";
    {
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, head.data(), head.size()), ssize_t(head.size()));
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), off_t(head.size()) + kLine),
                  ssize_t(tail.size()));
        ::close(fd);
    }
    // The child may not map more than 64 MiB beyond what it holds already.
    EXPECT_EQ(inChild([&] {
                  if (!kSanitized) {
                      std::ifstream statm("/proc/self/statm");
                      unsigned long pages = 0;
                      statm >> pages;
                      const rlim_t limit = pages * ::sysconf(_SC_PAGESIZE) + (rlim_t{64} << 20);
                      const rlimit r{limit, limit};
                      if (::setrlimit(RLIMIT_AS, &r) != 0) return 3;
                  }
                  const RegistryFile reg(file_);
                  return reg.read("K", "before") == dword(1) && reg.read("K", "after") == dword(2)
                             ? 0
                             : 1;
              }),
              0);
    RegistryFile reg(file_);
    ASSERT_TRUE(reg.write("K", "new", dword(3)));
    EXPECT_LT(fs::file_size(file_), 200u);
    EXPECT_EQ(reg.read("K", "after"), dword(2));
}

TEST_F(Registry, AKilledWriterLeavesTheOldOrTheNewFile) {
    RegistryFile reg(file_);
    std::vector<std::pair<std::string, RegValue>> fixed;
    for (std::uint32_t i = 0; i < 20; ++i)
        fixed.push_back({"Fixed " + std::to_string(i), dword(i)});
    fixed.push_back({"Placement", bytes(RegType::Dword, std::vector<std::uint8_t>(44, 7))});
    ASSERT_TRUE(reg.writeValues(kKey, fixed));

    // Values only grow: after a kill each lies between the last one the writer reported
    // and the last one it may have begun.
    constexpr std::uint32_t kPairDone = 0x80000000u;
    std::mt19937 rng(2024);
    std::uint32_t next = 1, minCounter = 0, minPair = 0, completed = 0;
    for (int round = 0; round < 120; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            RegistryFile child(file_);
            for (std::uint32_t i = next;; ++i) {
                if (!child.write(kKey, "Counter", dword(i))) ::_exit(2);
                if (::write(fds[1], &i, sizeof i) != sizeof i) ::_exit(3);
                if (!child.writeValues(kKey, {{"Pair A", dword(i)}, {"Pair B", dword(i)}}))
                    ::_exit(2);
                const std::uint32_t done = i | kPairDone;
                if (::write(fds[1], &done, sizeof done) != sizeof done) ::_exit(3);
            }
        }
        ::close(fds[1]);
        ::usleep(std::uniform_int_distribution<int>(0, 6000)(rng));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed: " << status;
        std::uint32_t maxBegun = next;
        for (std::uint32_t r; ::read(fds[0], &r, sizeof r) == sizeof r; ++completed) {
            if (r & kPairDone)
                minPair = r & ~kPairDone, maxBegun = minPair + 1;
            else
                minCounter = r, maxBegun = r;
        }
        ::close(fds[0]);

        const RegistryFile after(file_);
        for (const auto& [name, value] : fixed)
            ASSERT_EQ(after.read(kKey, name), value) << name << " in round " << round;
        for (const char* name : {"Counter", "Pair A"}) {
            const auto v = after.read(kKey, name);
            const std::uint32_t low = name[0] == 'C' ? minCounter : minPair;
            if (!v && low == 0) continue;  // nothing stored yet
            ASSERT_TRUE(v && v->type == RegType::Dword && v->data.size() == 4) << round;
            const std::uint32_t got =
                v->data[0] | v->data[1] << 8 | v->data[2] << 16 | std::uint32_t(v->data[3]) << 24;
            ASSERT_GE(got, low) << name << " in round " << round;
            ASSERT_LE(got, maxBegun) << name << " in round " << round;
        }
        ASSERT_EQ(after.read(kKey, "Pair A"), after.read(kKey, "Pair B")) << round;
        next = maxBegun + 1;
    }
    EXPECT_GT(completed, 0u);  // the kills left the writer time to finish some writes
    // A killed writer leaves at most its temporary file, which the next write removes.
    std::size_t siblings = 0;
    for (const auto& e : fs::directory_iterator(dir_)) siblings += e.path() != file_;
    EXPECT_LE(siblings, 2u);
}

std::string writerValueName(int process, int thread, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "W%d.%d.%d", process, thread, i);
    return name;
}

TEST_F(Registry, ConcurrentWritersLoseNoValue) {
    constexpr int kPerWriter = 25;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char go;
            if (::read(gate[0], &go, 1) != 0) ::_exit(4);  // released when the pipe closes
            bool ok = true;
            auto writer = [&](int thread) {
                RegistryFile reg(file_);
                for (int i = 0; i < kPerWriter; ++i) {
                    const std::string name = writerValueName(process, thread, i);
                    if (!reg.write(kKey, name, dword(std::uint32_t(i)))) ok = false;
                }
            };
            std::thread t0(writer, 0), t1(writer, 1);
            t0.join();
            t1.join();
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const RegistryFile reg(file_);
    for (int process = 0; process < 2; ++process)
        for (int thread = 0; thread < 2; ++thread)
            for (int i = 0; i < kPerWriter; ++i) {
                const std::string name = writerValueName(process, thread, i);
                EXPECT_EQ(reg.read(kKey, name), dword(std::uint32_t(i))) << name;
            }
}

TEST_F(Registry, WritesThatCannotBeMadeReturnFalseAndKeepTheOldFile) {
    RegistryFile reg(file_);
    ASSERT_TRUE(reg.write(kKey, "Old", dword(1)));
    const std::string old = slurp(file_);

    // A full disk: no file may grow beyond the old file's size.
    EXPECT_EQ(inChild([&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit r{old.size() + 16, old.size() + 16};
                  if (::setrlimit(RLIMIT_FSIZE, &r) != 0) return 3;
                  RegistryFile child(file_);
                  return child.write(kKey, "Big",
                                     bytes(RegType::Binary, std::vector<std::uint8_t>(4000, 1)))
                             ? 1
                             : 0;
              }),
              0);
    EXPECT_EQ(slurp(file_), old);
    EXPECT_FALSE(fs::exists(file_ + ".tmp"));

    EXPECT_FALSE(
        reg.write(kKey, "Huge",
                  bytes(RegType::Binary, std::vector<std::uint8_t>(platform::kMaxValueSize + 1))));
    EXPECT_FALSE(reg.write(kKey, "Line\nbreak", dword(1)));
    EXPECT_FALSE(reg.createKey(""));
    EXPECT_EQ(slurp(file_), old);

    if (::geteuid() != 0) {  // permissions do not hold root back
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(reg.write(kKey, "Old", dword(2)));
        fs::permissions(dir_, fs::perms::owner_all);
        EXPECT_EQ(slurp(file_), old);
    }

    put(dir_ / "plain", "not a folder");
    RegistryFile underFile((dir_ / "plain" / "registry.reg").string());
    EXPECT_FALSE(underFile.write(kKey, "Old", dword(2)));
    EXPECT_EQ(slurp(dir_ / "plain"), "not a folder");

    fs::create_directories(dir_ / "folder.reg");
    RegistryFile onFolder((dir_ / "folder.reg").string());
    EXPECT_FALSE(onFolder.write(kKey, "Old", dword(2)));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.reg"));
}

TEST_F(Registry, CreatesTheFolderAndDoesNotRewriteWhatIsUnchanged) {
    const fs::path nested = dir_ / "a" / "b" / "registry.reg";
    RegistryFile reg(nested.string());
    EXPECT_FALSE(reg.keyExists(kKey));
    ASSERT_TRUE(reg.createKey(kKey));
    EXPECT_TRUE(reg.keyExists(kKey));
    EXPECT_EQ(slurp(nested), std::string("REGEDIT4\n\n[") + kKey + "]\n\n");

    ASSERT_TRUE(reg.write(kKey, "Same", dword(4)));
    struct stat first {};
    ASSERT_EQ(::stat(nested.c_str(), &first), 0);
    ASSERT_TRUE(reg.write(kKey, "same", dword(4)));
    ASSERT_TRUE(reg.createKey(kKey));
    struct stat second {};
    ASSERT_EQ(::stat(nested.c_str(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST(RegistryPath, FollowsTheEnvironment) {
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"OVFC_REGISTRY", "XDG_CONFIG_HOME", "HOME"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
    }
    ::setenv("HOME", "/home/tester", 1);
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    ::setenv("OVFC_REGISTRY", "/tmp/own.reg", 1);
    EXPECT_EQ(platform::userRegistryPath(), "/tmp/own.reg");
    ::setenv("OVFC_REGISTRY", "", 1);
    EXPECT_EQ(platform::userRegistryPath(), "/xdg/ovfc/registry.reg");
    ::unsetenv("OVFC_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(platform::userRegistryPath(), "/home/tester/.config/ovfc/registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::userRegistryPath(), "/home/tester/.config/ovfc/registry.reg");
    for (const auto& s : saved) {
        if (s.value)
            ::setenv(s.name, s.value->c_str(), 1);
        else
            ::unsetenv(s.name);
    }
}

}  // namespace
