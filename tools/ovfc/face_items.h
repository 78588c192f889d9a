#pragma once
// What the process and match commands share: the face library's core loaded from a
// configuration, image or descriptor files read into the library's 256 x 255 frame, and
// status texts.

#include <cstdint>
#include <string>
#include <vector>

#include "ovfc_internal.h"

namespace ovfc_tool {

inline constexpr int kFrameWidth = 256;
inline constexpr int kFrameHeight = 255;

// Loads the configuration (and its default masks) into `state`; prints the problem and
// returns false when it fails.
bool loadFaceLibrary(ovfc::LibraryState& state, const std::string& config, const char* command);

// A face item: an image fitted into 256 x 255, or a descriptor (the blob padded to the
// library's maximum size).
struct FaceItem {
    std::vector<std::uint8_t> bytes;
    bool descriptor = false;
};
// Reads the file; prints the problem and returns false when it cannot be read.
bool readFaceItem(const std::string& path, FaceItem& item, const char* command);

// "26 (geometry failure)".
std::string faceStatusText(int status);

}  // namespace ovfc_tool
