#include "stats/mask_match.h"

#include <gtest/gtest.h>

using stats::MaskMatch;
using stats::ownMaskPattern;

TEST(MaskMatch, LiteralCharactersMustAgreeToTheEnd) {
    EXPECT_TRUE(MaskMatch("ABC", "ABC", ""));
    EXPECT_FALSE(MaskMatch("ABC", "ABD", ""));
    EXPECT_FALSE(MaskMatch("ABC", "ABCD", ""));  // the name goes on past the mask
    EXPECT_FALSE(MaskMatch("ABCD", "ABC", ""));  // the name ends first
    EXPECT_FALSE(MaskMatch("abc", "ABC", ""));   // case counts
    EXPECT_TRUE(MaskMatch("", "", ""));
    EXPECT_FALSE(MaskMatch("", "A", ""));
}

TEST(MaskMatch, QuestionMarkTakesAnyOneCharacterButTheEnd) {
    EXPECT_TRUE(MaskMatch("A?C", "AXC", ""));
    EXPECT_TRUE(MaskMatch("???", "XYZ", ""));
    EXPECT_FALSE(MaskMatch("???", "XY", ""));
    EXPECT_FALSE(MaskMatch("A?", "A", ""));
}

TEST(MaskMatch, CaretWantsOthersCharacterAtTheSamePlace) {
    EXPECT_TRUE(MaskMatch("^^^", "ABC", "ABC"));
    EXPECT_FALSE(MaskMatch("^^^", "ABD", "ABC"));
    EXPECT_FALSE(MaskMatch("^^^", "ABC", "AB"));  // other is shorter
    EXPECT_FALSE(MaskMatch("^", "A", ""));        // selecting with an empty other
    // A literal advances other too: the carets look at other's fourth and fifth character.
    EXPECT_TRUE(MaskMatch("XYZ^^", "XYZDE", "123DE"));
    EXPECT_FALSE(MaskMatch("XYZ^^", "XYZDE", "123ED"));
    // '?' does not advance other.
    EXPECT_TRUE(MaskMatch("?^", "QA", "AB"));
    EXPECT_FALSE(MaskMatch("?^", "QB", "AB"));
}

TEST(MaskMatch, StarMatchesAnyRunAndLinesTheRestUpWithTheEnd) {
    EXPECT_TRUE(MaskMatch("*", "", ""));
    EXPECT_TRUE(MaskMatch("*", "ANYTHING", ""));
    EXPECT_TRUE(MaskMatch("AB**", "AB", ""));
    EXPECT_TRUE(MaskMatch("*YZ", "XXYZ", ""));
    EXPECT_FALSE(MaskMatch("*YZ", "XXYZA", ""));
    EXPECT_FALSE(MaskMatch("*XYZ", "YZ", ""));  // fewer characters left than the mask wants
    // '?' right after '*' each take one character; then the end is free.
    EXPECT_TRUE(MaskMatch("*??", "AB", ""));
    EXPECT_FALSE(MaskMatch("*??", "A", ""));
    EXPECT_TRUE(MaskMatch("A*?C", "ABBBC", ""));
    // A caret after '*' compares with other's last characters.
    EXPECT_TRUE(MaskMatch("*^", "XXXQ", "ABQ"));
    EXPECT_FALSE(MaskMatch("*^", "XXXQ", "ABR"));
}

TEST(MaskMatch, HashFollowsOtherWhileTheyAgree) {
    // "#?": all but the last character agree with the sample.
    EXPECT_TRUE(MaskMatch("#?", "00000102", "00000101"));
    EXPECT_TRUE(MaskMatch("#?", "00000109", "00000101"));
    EXPECT_FALSE(MaskMatch("#?", "00000201", "00000101"));
    EXPECT_FALSE(MaskMatch("#?", "0000010", "00000101"));
    // The same name: '#' takes everything and '?' finds the end.
    EXPECT_FALSE(MaskMatch("#?", "00000101", "00000101"));
    // '#' stops where the name shows the next mask character.
    EXPECT_TRUE(MaskMatch("#X9", "ABX9", "ABCD"));
    // Where name and other differ before that character, the match fails.
    EXPECT_FALSE(MaskMatch("#X", "AQX", "ABCD"));
    // ... unless the next mask character is '^', '*' or '?'.
    EXPECT_TRUE(MaskMatch("#*", "AQZ", "ABC"));
    EXPECT_FALSE(MaskMatch("#^", "AQ", "AB"));  // the caret itself then fails
    // '#' stops at the end of other; the rest of the name is left to the mask.
    EXPECT_TRUE(MaskMatch("#??", "ABCD", "AB"));
    // At the end of the name '#' is done.
    EXPECT_TRUE(MaskMatch("#", "AB", "ABC"));
}

TEST(MaskMatch, DefaultMasksOfTheRun) {
    // Sample mask: names beginning with "0000".
    EXPECT_TRUE(MaskMatch("0000*", "00000101", ""));
    EXPECT_TRUE(MaskMatch("0000*", "0000", ""));
    EXPECT_FALSE(MaskMatch("0000*", "10000101", ""));
    EXPECT_FALSE(MaskMatch("0000*", "000", ""));
    // Own mask: begins with "0000" and agrees with the sample in the next two characters.
    EXPECT_TRUE(MaskMatch("0000^^*", "00000105", "00000101"));
    EXPECT_TRUE(MaskMatch("0000^^*", "000001", "00000101"));
    EXPECT_FALSE(MaskMatch("0000^^*", "00000205", "00000101"));
    EXPECT_FALSE(MaskMatch("0000^^*", "00010101", "00010101"));  // not "0000"
    EXPECT_FALSE(MaskMatch("0000^^*", "00000", "00000101"));     // name ends at the caret
    EXPECT_FALSE(MaskMatch("0000^^*", "00000101", "00000"));     // other ends at the caret
    // Its file pattern selects the registered set.
    EXPECT_EQ(ownMaskPattern("0000^^*"), "0000??*");
    EXPECT_EQ(ownMaskPattern("#?"), "*?");
    EXPECT_TRUE(MaskMatch(ownMaskPattern("0000^^*"), "00001511", ""));
    EXPECT_FALSE(MaskMatch(ownMaskPattern("0000^^*"), "00001", ""));
    // Names longer than an 8.3 name are matched whole.
    EXPECT_TRUE(MaskMatch("0000^^*", "00000101_long_name", "00000199_other"));
}
