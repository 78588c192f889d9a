#include "stats/library_matcher.h"

#include <algorithm>
#include <chrono>

#include "ovfc32.h"
#include "ovio32.h"

namespace stats {

namespace {
constexpr std::uint16_t kFrameWidth = 256;
constexpr std::uint16_t kFrameHeight = 255;
constexpr std::uint16_t kByExtension = 1;  // image-file format chosen by the name's extension
}  // namespace

int LibraryMatcher::load(const std::string& path, Picture& picture) {
    picture.pixels.resize(std::size_t{kFrameWidth} * kFrameHeight);
    picture.width = kFrameWidth;
    picture.height = kFrameHeight;
    return OvReadImage(path.c_str(), picture.pixels.data(), kByExtension);
}

int LibraryMatcher::process(const Picture& sample, std::vector<std::uint8_t>& descriptor) {
    descriptor.resize(OVFC_MAX_DESCRIPTOR_SIZE);
    std::int16_t size = 0;
    const int rc = OvfcProcessingEx(sample.pixels.data(), descriptor.data(), &size, sample.width,
                                    sample.height);
    return rc;  // the buffer keeps its full size: the blob carries no length
}

int LibraryMatcher::match(const Picture& registered, const std::vector<std::uint8_t>& descriptor,
                          std::int32_t& score) {
    // The library may read up to OVFC_MAX_DESCRIPTOR_SIZE bytes of a descriptor: a shorter
    // buffer is copied into a full one first.
    const std::uint8_t* blob = descriptor.data();
    std::uint8_t full[OVFC_MAX_DESCRIPTOR_SIZE];
    if (descriptor.size() < sizeof full) {
        std::fill(std::copy(descriptor.begin(), descriptor.end(), full), std::end(full), 0);
        blob = full;
    }
    return OvfcMatchEx(registered.pixels.data(), blob, &score, registered.width, registered.height);
}

int LibraryMatcher::invalidateCache() {
    return OvfcService(3, nullptr);
}

std::string LibraryMatcher::version() {
    char text[64] = {};
    OvfcGetVersion(text);
    return text;
}

std::int64_t SystemClock::now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::uint32_t SystemClock::tickMs() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

std::tm SystemClock::localTime(std::int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}  // namespace stats
