#include "config_store.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "status.h"
#include "test_files.h"

namespace {

using ovfc::ConfigStore;
using ovfc_test::TempDir;
using ovfc_test::writeFile;

std::string valueOf(const ConfigStore& s, const std::string& section, const std::string& key) {
    const std::string* v = s.find(section, key);
    return v == nullptr ? std::string("<none>") : *v;
}

TEST(ConfigStore, SectionsAndKeysAreFoundWithoutRegardToCase) {
    TempDir dir;
    writeFile(dir.file("a.ini"), "[param]\ngamma=1\n");
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("a.ini")), 0);
    EXPECT_EQ(valueOf(s, "PARAM", "Gamma"), "1");
    EXPECT_EQ(valueOf(s, "param", "GAMMA"), "1");
    EXPECT_EQ(valueOf(s, "param", "gamm"), "<none>");
    EXPECT_EQ(valueOf(s, "par", "gamma"), "<none>");
}

TEST(ConfigStore, LinesAreReadAsSingleWordsWithCommentsSkipped) {
    TempDir dir;
    writeFile(dir.file("a.ini"),
              "ignored = 1\n"
              "; [comment] = 3\n"
              "[ s1 extra ]\n"
              "k = 12 34\n"
              "empty=\n"
              "nosign here\n"
              "  padded   =   value   ; trailing\n"
              "long = 0123456789012345678901234567890123456789\n"
              "#define x\n"
              "after = 5\n");
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("a.ini")), 0);
    ASSERT_EQ(s.sectionCount(), 1);
    EXPECT_EQ(s.sections()[0].name, "s1");
    EXPECT_EQ(valueOf(s, "s1", "k"), "12");
    EXPECT_EQ(valueOf(s, "s1", "empty"), "<none>");
    EXPECT_EQ(valueOf(s, "s1", "padded"), "value");
    EXPECT_EQ(valueOf(s, "s1", "long"), "01234567890123456789012345678901");
    EXPECT_EQ(valueOf(s, "s1", "after"), "5") << "an unknown directive is skipped";
    EXPECT_EQ(valueOf(s, "s1", "ignored"), "<none>");
    EXPECT_EQ(s.sections()[0].entries.size(), 4u);
}

TEST(ConfigStore, LongLinesAreReadInPieces) {
    TempDir dir;
    // 79 characters make up the first piece; the rest is read as a line of its own.
    const std::string filler(70, 'x');
    writeFile(dir.file("a.ini"), "[s]\n" + filler + " = 1 tail2=7\n");
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("a.ini")), 0);
    EXPECT_EQ(valueOf(s, "s", filler), "1");
    EXPECT_EQ(valueOf(s, "s", "2"), "7") << "the piece after 79 characters";
}

TEST(ConfigStore, IncludeOfABareNameIsReadFromTheIncludingFilesDirectory) {
    TempDir dir;
    writeFile(dir.file("main.ini"), "[param]\na = 1\n#include part.ini\n[other]\nc = 3\n");
    writeFile(dir.file("part.ini"), "b = 2\n[extra]\nd = 4\n");
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("main.ini")), 0);
    EXPECT_EQ(valueOf(s, "param", "b"), "2") << "keys before the first header join the open section";
    EXPECT_EQ(valueOf(s, "extra", "d"), "4");
    EXPECT_EQ(valueOf(s, "other", "c"), "3");
    EXPECT_EQ(s.sectionCount(), 3);
}

TEST(ConfigStore, MissingFilesGive25) {
    TempDir dir;
    ConfigStore s;
    EXPECT_EQ(s.load(dir.file("none.ini")), ovfc::kFileError);
    EXPECT_EQ(s.sectionCount(), 0);
    writeFile(dir.file("main.ini"), "[param]\na = 1\n#include missing.ini\n[later]\nb = 2\n");
    EXPECT_EQ(s.load(dir.file("main.ini")), ovfc::kFileError);
    EXPECT_EQ(valueOf(s, "param", "a"), "1") << "sections read before the include stay";
    EXPECT_EQ(valueOf(s, "later", "b"), "<none>");
}

TEST(ConfigStore, IncludeLoopsEnd) {
    TempDir dir;
    // With a header in the loop, the section limit ends the reading.
    writeFile(dir.file("loop.ini"), "[s]\na = 1\n#include loop.ini\n");
    ConfigStore s;
    EXPECT_EQ(s.load(dir.file("loop.ini")), 0);
    EXPECT_EQ(s.sectionCount(), 16);
    // Without one, the nesting limit does.
    writeFile(dir.file("main.ini"), "[s]\n#include keys.ini\n");
    writeFile(dir.file("keys.ini"), "b = 2\n#include keys.ini\n");
    EXPECT_EQ(s.load(dir.file("main.ini")), ovfc::kFileError);
    EXPECT_EQ(valueOf(s, "s", "b"), "2");
}

TEST(ConfigStore, ReadingLimits) {
    TempDir dir;
    std::ostringstream text;
    for (int i = 0; i < 17; ++i) text << "[s" << i << "]\nk = " << i << "\n";
    writeFile(dir.file("many.ini"), text.str());
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("many.ini")), 0);
    EXPECT_EQ(s.sectionCount(), 16);
    EXPECT_EQ(valueOf(s, "s15", "k"), "15");
    EXPECT_EQ(valueOf(s, "s16", "k"), "<none>");

    std::ostringstream keys;
    keys << "[big]\n";
    for (int i = 0; i < 170; ++i) keys << "key" << i << " = " << i << "\n";
    writeFile(dir.file("keys.ini"), keys.str());
    ASSERT_EQ(s.load(dir.file("keys.ini")), 0);
    EXPECT_EQ(s.sections()[0].entries.size(), 160u);
    EXPECT_EQ(valueOf(s, "big", "key159"), "159");
    EXPECT_EQ(valueOf(s, "big", "key160"), "<none>");
    EXPECT_EQ(s.set("big", "key5", "x"), 0) << "replacing needs no room";
    EXPECT_EQ(s.set("big", "new", "x"), ovfc::kNoMemory);

    writeFile(dir.file("open.ini"), "[a]\nx = 1\n[broken\ny = 2\n[b]\nz = 3\n");
    ASSERT_EQ(s.load(dir.file("open.ini")), 0);
    EXPECT_EQ(s.sectionCount(), 1) << "a header without ']' ends the reading";
}

TEST(ConfigStore, SetKeepsTheKeysSortedAndReplacesInPlace) {
    ConfigStore s;
    ASSERT_EQ(s.set("fresh", "b", "2"), 0);
    ASSERT_EQ(s.set("FRESH", "a", "1"), 0);
    ASSERT_EQ(s.set("fresh", "C", "3"), 0);
    ASSERT_EQ(s.sectionCount(), 1);
    const auto& e = s.sections()[0].entries;
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].key, "a");
    EXPECT_EQ(e[1].key, "b");
    EXPECT_EQ(e[2].key, "C");
    ASSERT_EQ(s.set("fresh", "B", "20"), 0);
    EXPECT_EQ(e.size(), 3u);
    EXPECT_EQ(valueOf(s, "fresh", "b"), "20");
    ASSERT_EQ(s.set("fresh", "v", std::string(40, 'q')), 0);
    EXPECT_EQ(valueOf(s, "fresh", "v"), std::string(32, 'q'));
    for (int i = 1; i < 16; ++i) ASSERT_EQ(s.set("sec" + std::to_string(i), "k", "v"), 0);
    EXPECT_EQ(s.set("one-too-many", "k", "v"), ovfc::kNoMemory);
    EXPECT_EQ(s.set("SEC3", "k2", "v"), 0);
}

TEST(ConfigStore, SaveWritesTheHeaderAndSortedSectionsAndLoadsBackTheSame) {
    TempDir dir;
    writeFile(dir.file("in.ini"),
              "[param]\nzeta = 9\nAlpha = 1\n[param]\ndup = 2\n[library]\nversion = 0.02.006\n");
    ConfigStore s;
    ASSERT_EQ(s.load(dir.file("in.ini")), 0);
    ASSERT_EQ(s.set("new", "b", "2"), 0);
    ASSERT_EQ(s.set("new", "a", "1"), 0);
    ASSERT_EQ(s.save(dir.file("out.ini")), 0);

    const std::string text = ovfc_test::readFile(dir.file("out.ini"));
    std::istringstream lines(text);
    std::string l1, l2, l3, l4;
    std::getline(lines, l1);
    std::getline(lines, l2);
    std::getline(lines, l3);
    std::getline(lines, l4);
    EXPECT_EQ(l1, ";" + std::string(78, '-'));
    EXPECT_EQ(l2.rfind("; Facial Recognition Library INI file created by OVFC ", 0), 0u);
    EXPECT_EQ(l2.size(), std::string("; Facial Recognition Library INI file created by OVFC ").size() + 24);
    EXPECT_EQ(l3, l1);
    EXPECT_EQ(l4, "");
    const std::string body = text.substr(text.find("\n[param]"));
    EXPECT_EQ(body,
              "\n[param]\nAlpha = 1\nzeta = 9\n"
              "\n[param]\ndup = 2\n"
              "\n[library]\nversion = 0.02.006\n"
              "\n[new]\na = 1\nb = 2\n");

    ConfigStore again;
    ASSERT_EQ(again.load(dir.file("out.ini")), 0);
    ASSERT_EQ(again.sectionCount(), s.sectionCount());
    for (int i = 0; i < s.sectionCount(); ++i) {
        const auto& a = s.sections()[i];
        const auto& b = again.sections()[i];
        EXPECT_EQ(a.name, b.name);
        ASSERT_EQ(a.entries.size(), b.entries.size());
        for (std::size_t k = 0; k < a.entries.size(); ++k) {
            EXPECT_EQ(a.entries[k].key, b.entries[k].key);
            EXPECT_EQ(a.entries[k].value, b.entries[k].value);
        }
    }
    EXPECT_EQ(valueOf(again, "param", "dup"), "<none>") << "only the first section is searched";
}

TEST(ConfigStore, SaveToAnUnwritablePlaceGives25AndKeepsNothingBehind) {
    TempDir dir;
    ConfigStore s;
    ASSERT_EQ(s.set("a", "b", "c"), 0);
    EXPECT_EQ(s.save(dir.file("no/such/dir.ini")), ovfc::kFileError);
}

TEST(ConfigStore, NumericReads) {
    ConfigStore s;
    s.set("p", "i", "  -42abc");
    s.set("p", "plus", "+7");
    s.set("p", "none", "x1");
    s.set("p", "huge", "99999999999");
    s.set("p", "r", "1.5e2");
    s.set("p", "neg", "-0.25");
    EXPECT_EQ(s.readInt("p", "i"), -42);
    EXPECT_EQ(s.readInt("p", "plus"), 7);
    EXPECT_EQ(s.readInt("p", "none"), 0);
    EXPECT_EQ(s.readInt("p", "huge"), 2147483647);
    EXPECT_DOUBLE_EQ(s.readReal("p", "r"), 150.0);
    EXPECT_DOUBLE_EQ(s.readReal("p", "neg"), -0.25);
    EXPECT_THROW(s.readInt("p", "missing"), ovfc::XERRORINI);
    EXPECT_THROW(s.readReal("q", "r"), ovfc::XERRORINI);
}

}  // namespace
