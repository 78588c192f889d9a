#include "strings/string_table.h"

#include <gtest/gtest.h>

using appstrings::appString;
using appstrings::faceErrorText;

TEST(StringTable, TextsByNumber) {
    EXPECT_EQ(appString(901), "OVFC Test Application");
    EXPECT_EQ(appString(912), "Stopped! Press \"&Step\" or \"&Continue\".");
    EXPECT_EQ(appString(913), "Statistic batch complete.");
    EXPECT_EQ(appString(1304), "Program information");
    EXPECT_EQ(appString(903), "No image");
    EXPECT_EQ(appString(906), "Captured image");
    EXPECT_TRUE(appString(950).empty());
    EXPECT_TRUE(appString(0).empty());
    EXPECT_TRUE(appString(100000).empty());
}

TEST(StringTable, FaceCodesMapToTheirTextsOrUnknown) {
    EXPECT_EQ(faceErrorText(2), "System was not initialized");
    EXPECT_EQ(faceErrorText(3), "Low memory to perform operation");
    EXPECT_EQ(faceErrorText(10), "User cancelled operation");
    EXPECT_EQ(faceErrorText(27), "Bad face description format");
    EXPECT_EQ(faceErrorText(29), "Function not implemented in current library version.");
    // Codes without a text of their own and codes outside 1..30.
    EXPECT_EQ(faceErrorText(4), "Unknown error");
    EXPECT_EQ(faceErrorText(30), "Unknown error");
    EXPECT_EQ(faceErrorText(0), "Unknown error");
    EXPECT_EQ(faceErrorText(31), "Unknown error");
    EXPECT_EQ(faceErrorText(-1), "Unknown error");
}
