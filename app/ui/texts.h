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

}  // namespace ui
