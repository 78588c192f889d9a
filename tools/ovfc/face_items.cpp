#include "face_items.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "command.h"
#include "ovfc_internal.h"
#include "ovio32.h"

namespace ovfc_tool {

bool loadFaceLibrary(ovfc::LibraryState& state, const std::string& config, const char* command) {
    int rc = ovfc::kConfigError;
    try {
        rc = ovfc::loadConfiguration(state, findConfig(config).c_str());
    } catch (const ovfc::XERRORINI&) {
        rc = ovfc::kConfigError;
    }
    if (rc != ovfc::kOk) {
        std::fprintf(stderr, "ovfc %s: cannot load %s: status %s\n", command, config.c_str(),
                     faceStatusText(rc).c_str());
        return false;
    }
    return true;
}

bool readFaceItem(const std::string& path, FaceItem& item, const char* command) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ovfc %s: cannot open %s\n", command, path.c_str());
        return false;
    }
    std::vector<std::uint8_t> head(ovfc::kMagicSize, 0);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    if (in.gcount() == static_cast<std::streamsize>(head.size()) &&
        ovfc::isDescriptor(head.data())) {
        in.seekg(0);
        std::vector<std::uint8_t> blob((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
        if (blob.size() > ovfc::kMaxBlobSize) {
            std::fprintf(stderr, "ovfc %s: %s: a descriptor is at most %zu bytes\n", command,
                         path.c_str(), ovfc::kMaxBlobSize);
            return false;
        }
        blob.resize(ovfc::kMaxBlobSize, 0);
        item.bytes = std::move(blob);
        item.descriptor = true;
        return true;
    }
    item.bytes.assign(static_cast<std::size_t>(kFrameWidth) * kFrameHeight, 0);
    item.descriptor = false;
    const int st = OvReadImage(path.c_str(), item.bytes.data(), OVIO_FORMAT_BY_NAME);
    if (st != 0) {
        std::fprintf(stderr, "ovfc %s: %s: status %d (%s)\n", command, path.c_str(), st,
                     OvIOResultText(st));
        return false;
    }
    return true;
}

std::string faceStatusText(int status) {
    std::string text = std::to_string(status);
    text += " (";
    text += OvfcResultText(status);
    text += ')';
    return text;
}

}  // namespace ovfc_tool
