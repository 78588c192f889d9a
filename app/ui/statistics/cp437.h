#pragma once
// Code page 437, the OEM code page of the statistics log: its horizontal lines are the byte
// 0xC4 and an own image is marked with 0x10. Decoding shows every byte as its glyph, the
// control bytes 0x01..0x1F and 0x7F included (0x10 is the right-pointing triangle).
// Pure functions; thread-safe.

#include <QString>
#include <QStringList>
#include <string_view>

namespace ui {

// The character of one byte; 0x00 stays U+0000.
char16_t cp437Char(unsigned char byte);

// The text with every byte decoded; never fails.
QString decodeCp437(std::string_view bytes);

// The lines of a text file's bytes, decoded: split at "\n", a "\r" before it dropped, no
// empty last line for a final line break.
QStringList cp437Lines(std::string_view bytes);

}  // namespace ui
