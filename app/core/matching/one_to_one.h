#pragma once
// One-to-one matching of two image panels: the picture of one against the descriptor of
// the other, judged by the own score threshold, and the texts the dialog shows.
// Thread-safe as far as the panels and the face library gate are.

#include <cstdint>
#include <string>

#include "panels/image_panel.h"

namespace matching {

inline constexpr const char* kIdenticalSound = "identic.wav";
inline constexpr const char* kDifferentSound = "differnt.wav";

struct OneToOneResult {
    int rc = 0;  // 0, panels::kNoPicture, or the face library's result
    std::int32_t score = 0;
    bool identical = false;       // the score is at or above the own threshold
    std::string text;             // "Matching score = N. Faces are ...", or the error's text
    const char* sound = nullptr;  // played for a score; null after a failure
};

// OvfcMatchEx(picture of the first panel, descriptor of the second, 256, 255). After a
// successful match the first panel shows the elements the comparison found on it.
OneToOneResult matchPanels(panels::ImagePanel& picture, const panels::ImagePanel& descriptor,
                           std::uint16_t ownThreshold);

// " %2lu.%03lu sec." of a duration in milliseconds.
std::string elapsedText(std::uint32_t ms);

}  // namespace matching
