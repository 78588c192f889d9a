#include "face_set.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "face_items.h"
#include "frame_mapping.h"
#include "ovio32.h"
#include "platform/module.h"

namespace ovfc_tool {

namespace fs = std::filesystem;

bool loadFaceSet(const std::string& dir, const std::string& truthFile, int firstPerson,
                 int lastPerson, std::vector<SetImage>& images, const char* command) {
    std::vector<ovfc_eval::TruthEntry> entries;
    std::string error;
    if (!ovfc_eval::readTruthFile(truthFile, entries, error)) {
        std::fprintf(stderr, "ovfc %s: %s\n", command, error.c_str());
        return false;
    }
    images.clear();
    for (auto& e : entries) {
        if (lastPerson >= firstPerson) {
            const int person = std::atoi(e.person.c_str());
            if (person < firstPerson || person > lastPerson) continue;
        }
        const std::string path = (fs::path(dir) / e.name).string();
        ImageInfo info{};
        int st = OvGetImageInfo(path.c_str(), &info, OVIO_FORMAT_BY_NAME);
        SetImage img;
        img.pixels.assign(static_cast<std::size_t>(kFrameWidth) * kFrameHeight, 0);
        if (st == 0) st = OvReadImage(path.c_str(), img.pixels.data(), OVIO_FORMAT_BY_NAME);
        ovfc_eval::FrameMapping map;
        if (st == 0 &&
            !ovfc_eval::fittedFrameMapping(info.width, info.height, info.bottomUp != 0, map))
            st = 20;
        if (st != 0) {
            std::fprintf(stderr, "ovfc %s: %s: status %d (%s)\n", command, path.c_str(), st,
                         OvIOResultText(st));
            return false;
        }
        img.xl = map.x(e.xl);
        img.yl = map.y(e.yl);
        img.xr = map.x(e.xr);
        img.yr = map.y(e.yr);
        img.truth = std::move(e);
        images.push_back(std::move(img));
    }
    if (images.empty()) {
        std::fprintf(stderr, "ovfc %s: no images selected from %s\n", command, truthFile.c_str());
        return false;
    }
    return true;
}

bool parsePersonRange(const std::string& text, int& first, int& last) {
    char* end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    long b = a;
    if (end == text.c_str()) return false;
    if (*end == '-') {
        const char* start = end + 1;
        b = std::strtol(start, &end, 10);
        if (end == start) return false;
    }
    if (*end != '\0' || a < 0 || b < a || b > 9999) return false;
    first = static_cast<int>(a);
    last = static_cast<int>(b);
    return true;
}

std::string programConfig() {
    return platform::moduleDirectory(reinterpret_cast<const void*>(&programConfig)) + "ovfc.ini";
}

std::vector<std::unique_ptr<ovfc::LibraryState>> loadStates(const std::string& config, int count,
                                                            const char* command) {
    std::vector<std::unique_ptr<ovfc::LibraryState>> states;
    for (int k = 0; k < count; ++k) {
        auto s = std::make_unique<ovfc::LibraryState>();
        if (!loadFaceLibrary(*s, config, command)) return {};
        states.push_back(std::move(s));
    }
    return states;
}

void forEachIndex(std::vector<std::unique_ptr<ovfc::LibraryState>>& states, std::size_t count,
                  const std::function<void(ovfc::LibraryState&, std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    auto worker = [&](ovfc::LibraryState& state) {
        for (std::size_t i = next++; i < count; i = next++) job(state, i);
    };
    if (states.size() == 1) {
        worker(*states[0]);
        return;
    }
    std::vector<std::thread> threads;
    for (auto& s : states) threads.emplace_back(worker, std::ref(*s));
    for (auto& t : threads) t.join();
}

ovfc::ProcessOptions trueEyeOptions(const SetImage& image) {
    ovfc::ProcessOptions o;
    o.haveEyes = true;
    o.xl = static_cast<int>(std::lround(image.xl));
    o.yl = static_cast<int>(std::lround(image.yl));
    o.xr = static_cast<int>(std::lround(image.xr));
    o.yr = static_cast<int>(std::lround(image.yr));
    return o;
}

}  // namespace ovfc_tool
