#pragma once
// The string table's texts as Qt strings.

#include <QString>

#include "strings/string_table.h"

namespace ui {

inline QString appText(int id) {
    const std::string_view s = appstrings::appString(id);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

inline QString faceErrorText(int code) {
    const std::string_view s = appstrings::faceErrorText(code);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A person-base string (stored in the local 8-bit code page) as a Qt string, and back.
inline QString localText(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}
inline std::string localBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace ui
