#pragma once
// The capture devices: driver indices 0..8 are /dev/video0../dev/video8; the image folder
// camera follows the last of them when OVVFW_VIRTUAL_DIR names a folder.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture_source.h"
#include "image_reader.h"

namespace vfw {

inline constexpr int kMaxDrivers = 9;
inline constexpr size_t kNameChars = 80;     // with the terminating zero
inline constexpr size_t kVersionChars = 20;  // with the terminating zero
inline constexpr const char* kVirtualName = "Image folder camera";
inline constexpr const char* kVirtualDirVariable = "OVVFW_VIRTUAL_DIR";

struct Device {
    enum class Kind { V4l2, Folder };
    int index = -1;
    Kind kind = Kind::V4l2;
    std::string name;     // at most 79 characters
    std::string version;  // at most 19 characters
    std::string path;     // device node or folder
};

std::vector<Device> enumerateDevices();
std::optional<Device> deviceAt(int index);

// Formats a device can be asked for (0 = its default).
struct FormatRequest {
    int width = 0;
    int height = 0;
};

std::unique_ptr<CaptureSource> makeSource(const Device& device, const FormatRequest& format,
                                          std::shared_ptr<ImageReader> reader);

}  // namespace vfw
