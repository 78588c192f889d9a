// The log view's code page 437 decoding.

#include <gtest/gtest.h>

#include <set>

#include "cp437.h"

namespace {

TEST(Cp437, LogBytesBecomeTheirGlyphs) {
    EXPECT_EQ(ui::cp437Char(0xC4), u'\u2500');  // the log's horizontal line
    EXPECT_EQ(ui::cp437Char(0x10), u'\u25BA');  // the own-image marker
    EXPECT_EQ(ui::cp437Char(0xB3), u'\u2502');
    EXPECT_EQ(ui::cp437Char(0xDA), u'\u250C');
    EXPECT_EQ(ui::cp437Char(0xCD), u'\u2550');
    EXPECT_EQ(ui::cp437Char(0x81), u'\u00FC');
    EXPECT_EQ(ui::cp437Char(0xE1), u'\u00DF');
    EXPECT_EQ(ui::cp437Char(0xFF), u'\u00A0');
    EXPECT_EQ(ui::decodeCp437("\xC4\xC4 Score\x10"), QStringLiteral(u"\u2500\u2500 Score\u25BA"));
}

TEST(Cp437, PrintableAsciiIsUnchangedAndEveryByteIsDistinct) {
    std::set<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = ui::cp437Char(static_cast<unsigned char>(b));
        if (b >= 0x20 && b < 0x7F) {
            EXPECT_EQ(c, char16_t(b)) << b;
        }
        if (b >= 0x80) {
            EXPECT_GE(c, 0xA0) << "byte " << b << " decoded to a control character";
        }
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 256u);
}

TEST(Cp437, LinesSplitAtLineBreaksWithoutAnEmptyLast) {
    EXPECT_EQ(ui::cp437Lines("a\r\n\xC4\n\nb\n"),
              (QStringList{"a", QStringLiteral(u"\u2500"), QString(), "b"}));
    EXPECT_EQ(ui::cp437Lines("no break"), QStringList{"no break"});
    EXPECT_TRUE(ui::cp437Lines("").isEmpty());
}

}  // namespace
