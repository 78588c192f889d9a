#include "matching/one_to_one.h"

#include <cstdio>
#include <vector>

#include "facelib/face_library.h"
#include "strings/string_table.h"

namespace matching {

OneToOneResult matchPanels(panels::ImagePanel& picture, const panels::ImagePanel& descriptor,
                           std::uint16_t ownThreshold) {
    OneToOneResult r;
    const panels::ImagePanel::Snapshot shot = picture.snapshot();
    std::vector<std::uint8_t> blob(panels::kDescriptorBytes, 0);
    if (!shot.pictureValid || !descriptor.copyDescriptor(blob.data())) {
        r.rc = panels::kNoPicture;
        r.text = std::string(appstrings::faceErrorText(r.rc));
        return r;
    }
    {
        // The elements of this comparison, before another one replaces them.
        const auto hold = facelib::hold();
        r.rc = facelib::match(shot.picture.data(), blob.data(), panels::kPictureWidth,
                              panels::kPictureHeight, r.score);
        if (r.rc == 0) picture.showComparisonElements();
    }
    if (r.rc != 0) {
        r.text = std::string(appstrings::faceErrorText(r.rc));
        return r;
    }
    r.identical = r.score >= ownThreshold;
    char text[160];
    // A score below zero is shown as such, not as its unsigned 32-bit pattern.
    std::snprintf(text, sizeof text, "Matching score = %ld. %s", static_cast<long>(r.score),
                  std::string(appstrings::appString(r.identical ? appstrings::kFacesIdentical
                                                                : appstrings::kFacesDifferent))
                      .c_str());
    r.text = text;
    r.sound = r.identical ? kIdenticalSound : kDifferentSound;
    return r;
}

std::string elapsedText(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, " %2lu.%03lu sec.", static_cast<unsigned long>(ms / 1000),
                  static_cast<unsigned long>(ms % 1000));
    return text;
}

}  // namespace matching
