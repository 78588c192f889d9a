#include "devices.h"

#include <cstdlib>
#include <filesystem>

#include "folder_source.h"
#include "v4l2_source.h"

namespace vfw {

namespace {

std::string clip(std::string s, size_t chars) {
    if (s.size() > chars - 1) s.resize(chars - 1);
    return s;
}

std::optional<std::string> virtualFolder() {
    const char* dir = std::getenv(kVirtualDirVariable);
    if (dir == nullptr || *dir == '\0') return std::nullopt;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return std::nullopt;
    return std::string(dir);
}

}  // namespace

std::vector<Device> enumerateDevices() {
    std::vector<Device> list;
    int last = -1;
    for (int i = 0; i < kMaxDrivers; ++i) {
        const std::string node = "/dev/video" + std::to_string(i);
        if (auto info = probeV4l2(node)) {
            list.push_back({i, Device::Kind::V4l2, clip(info->card, kNameChars),
                            clip(info->version, kVersionChars), node});
            last = i;
        }
    }
    if (auto dir = virtualFolder(); dir && last + 1 < kMaxDrivers) {
        list.push_back({last + 1, Device::Kind::Folder, kVirtualName, "1.0", *dir});
    }
    return list;
}

std::optional<Device> deviceAt(int index) {
    for (auto& d : enumerateDevices()) {
        if (d.index == index) return d;
    }
    return std::nullopt;
}

std::unique_ptr<CaptureSource> makeSource(const Device& device, const FormatRequest& format,
                                          std::shared_ptr<ImageReader> reader) {
    if (device.kind == Device::Kind::Folder) {
        return std::make_unique<FolderSource>(device.path, std::move(reader));
    }
    return std::make_unique<V4l2Source>(device.path, format.width, format.height);
}

}  // namespace vfw
