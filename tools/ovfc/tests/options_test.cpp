// The option parser: what it accepts, what it refuses, and the exit status of a refusal.
#include "options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ovfc_tool {
namespace {

// One command's options, parsed afresh by each call.
struct Declared {
    std::string config = "ovfc.ini";
    int threads = 1;
    long board = 0;
    std::uint64_t seed = 1;
    double separation = 1.5;
    int eyes[4] = {};
    bool list = false;
    std::vector<std::string> tags;
    Args positional;
    std::string problem;

    bool parse(const Args& args) {
        OptionParser p("test");
        declare(p);
        return p.parse(args, positional, problem);
    }
    void declare(OptionParser& p) {
        p.text("config", config);
        p.integer("threads", threads, 1, 64);
        p.integer("board", board, 0, 5, true);
        p.unsignedInteger("seed", seed, 0, UINT64_MAX);
        p.real("separation", separation, -1e6, 1e6);
        p.integers("eyes", eyes, -100000, 100000);
        p.flag("list", list);
        p.repeated("tag", tags);
        p.text("out", config).alias("-o");
    }
};

TEST(OptionParser, TakesBothFormsAnywhereAndKeepsPositionalOrder) {
    Declared d;
    ASSERT_TRUE(d.parse({"a", "--threads", "4", "b", "--config=x.ini", "--list", "-5", "c"}))
        << d.problem;
    EXPECT_EQ(d.threads, 4);
    EXPECT_EQ(d.config, "x.ini");
    EXPECT_TRUE(d.list);
    EXPECT_EQ(d.positional, (Args{"a", "b", "-5", "c"}));

    Declared e;
    ASSERT_TRUE(e.parse({"--seed", "18446744073709551615", "--separation=-0.25", "--board",
                         "0x5", "--eyes", "10", "-20", "30", "40", "--config="}))
        << e.problem;
    EXPECT_EQ(e.seed, UINT64_MAX);
    EXPECT_DOUBLE_EQ(e.separation, -0.25);
    EXPECT_EQ(e.board, 5);
    EXPECT_EQ(e.eyes[1], -20);
    EXPECT_EQ(e.eyes[3], 40);
    EXPECT_EQ(e.config, "") << "an empty text is a value";
    EXPECT_TRUE(e.positional.empty());
}

TEST(OptionParser, DefaultsStayAndGivenTellsWhatWasThere) {
    std::string config = "ovfc.ini";
    int threads = 3;
    bool list = false;
    OptionParser p("test");
    p.text("config", config).integer("threads", threads, 1, 64).flag("list", list);
    Args positional;
    std::string problem;
    ASSERT_TRUE(p.parse({"--list"}, positional, problem));
    EXPECT_EQ(config, "ovfc.ini");
    EXPECT_EQ(threads, 3);
    EXPECT_TRUE(p.given("list"));
    EXPECT_FALSE(p.given("threads"));
    EXPECT_FALSE(p.given("unknown"));
    // A second parse starts from nothing given.
    ASSERT_TRUE(p.parse({"--threads", "2"}, positional, problem));
    EXPECT_FALSE(p.given("list"));
    EXPECT_TRUE(p.given("threads"));
}

TEST(OptionParser, AliasRepeatedAndEndOfOptions) {
    Declared d;
    ASSERT_TRUE(d.parse({"img", "-o", "desc", "--tag", "a", "--tag=b", "--", "--list", "-o"}))
        << d.problem;
    EXPECT_EQ(d.config, "desc");
    EXPECT_EQ(d.tags, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(d.list) << "after -- nothing is an option";
    EXPECT_EQ(d.positional, (Args{"img", "--list", "-o"}));
}

// Each bad command line with the option its message must name and the words it must hold.
TEST(OptionParser, RefusesBadCommandLinesNamingTheOption) {
    const struct {
        Args args;
        std::string expected;
    } cases[] = {
        {{"--threads", "4x"}, "--threads takes a whole number in 1..64, not '4x'"},
        {{"--threads="}, "--threads takes a whole number in 1..64, not ''"},
        {{"--threads", " 4"}, "not ' 4'"},
        {{"--threads", "65"}, "--threads takes a whole number in 1..64, not '65'"},
        {{"--threads", "0"}, "not '0'"},
        {{"--threads", "99999999999999999999"}, "not '99999999999999999999'"},
        {{"--board", "6"}, "--board takes a whole number in 0..5"},
        {{"--seed", "-1"}, "--seed takes an unsigned decimal number, not '-1'"},
        {{"--seed", "18446744073709551616"}, "--seed takes an unsigned decimal number"},
        {{"--separation", "1.5.2"}, "--separation takes a number from -1e+06 up to 1e+06, not '1.5.2'"},
        {{"--separation", "nan"}, "--separation takes a number"},
        {{"--separation", "2e6"}, "not '2e6'"},
        {{"--separation", ""}, "not ''"},
        {{"--eyes", "1", "2", "x", "4"}, "--eyes takes 4 whole numbers in -100000..100000, not 'x'"},
        {{"--eyes", "1", "2", "3"}, "--eyes needs 4 values"},
        {{"--eyes=1,2,3,4"}, "--eyes takes its 4 values as separate arguments"},
        {{"--threads"}, "--threads needs a value"},
        {{"--config", "--list"}, "--config needs a value"},
        {{"-o"}, "-o needs a value"},
        {{"--list=1"}, "--list takes no value"},
        {{"--threads", "2", "--threads=3"}, "--threads is given more than once"},
        {{"--list", "--list"}, "--list is given more than once"},
        {{"-o", "a", "--out", "b"}, "--out is given more than once"},
        {{"--colour"}, "unknown option --colour"},
        {{"--thread=4"}, "unknown option --thread"},
    };
    for (const auto& c : cases) {
        Declared d;
        EXPECT_FALSE(d.parse(c.args)) << c.expected;
        EXPECT_NE(d.problem.find(c.expected), std::string::npos)
            << "got '" << d.problem << "', expected '" << c.expected << "'";
    }
}

TEST(OptionParser, RequiredOptionAndTheUsageExitStatus) {
    std::string images;
    int threads = 1;
    OptionParser p("eval");
    p.text("images", images).required();
    p.integer("threads", threads, 1, 64);
    Args positional;
    std::string problem;
    EXPECT_FALSE(p.parse({"--threads", "2"}, positional, problem));
    EXPECT_EQ(problem, "--images is required");
    EXPECT_TRUE(p.parse({"--images", "dir"}, positional, problem));

    testing::internal::CaptureStderr();
    EXPECT_EQ(p.parseOrUsage({"--images", "dir", "--threads", "4x"}, positional), 2);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ovfc eval: --threads takes a whole number in 1..64, not '4x'\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("usage: ovfc eval"), std::string::npos) << err;
    EXPECT_EQ(p.parseOrUsage({"--images", "dir", "--threads", "4"}, positional), 0);
    EXPECT_EQ(threads, 4);
}

TEST(NumberTexts, AcceptExactlyWholeNumbers) {
    long long v = 0;
    EXPECT_TRUE(parseInteger("-7", -10, 10, false, v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(parseInteger("+7", -10, 10, false, v));
    EXPECT_FALSE(parseInteger("0x8", 0, 100, false, v)) << "hexadecimal only when prefixed";
    EXPECT_TRUE(parseInteger("0x1E", 0, 100, true, v));
    EXPECT_EQ(v, 30);
    EXPECT_TRUE(parseInteger("010", 0, 100, true, v));
    EXPECT_EQ(v, 8) << "a leading 0 is octal as in C";
    EXPECT_TRUE(parseInteger("010", 0, 100, false, v));
    EXPECT_EQ(v, 10);
    EXPECT_FALSE(parseInteger("-", -10, 10, false, v));
    EXPECT_FALSE(parseInteger("7 ", -10, 10, false, v));

    std::uint64_t u = 0;
    EXPECT_FALSE(parseUnsigned("+1", 0, 10, u));
    EXPECT_FALSE(parseUnsigned("11", 0, 10, u));
    EXPECT_TRUE(parseUnsigned("10", 0, 10, u));
    EXPECT_EQ(u, 10u);

    double d = 0;
    EXPECT_TRUE(parseReal("1e-3", 0, 1, d));
    EXPECT_DOUBLE_EQ(d, 0.001);
    EXPECT_FALSE(parseReal("inf", -1e300, 1e300, d));
    EXPECT_FALSE(parseReal("1,5", 0, 10, d));
    EXPECT_FALSE(parseReal("1e999", -1e300, 1e300, d)) << "overflow is not the largest number";
}

}  // namespace
}  // namespace ovfc_tool
