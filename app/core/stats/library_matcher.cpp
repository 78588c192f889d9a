#include "stats/library_matcher.h"

#include <algorithm>
#include <chrono>

#include "facelib/face_library.h"
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
    descriptor.resize(facelib::kDescriptorSize);
    // The buffer keeps its full size: the blob carries no length.
    return facelib::process(sample.pixels.data(), sample.width, sample.height, descriptor.data());
}

int LibraryMatcher::match(const Picture& registered, const std::vector<std::uint8_t>& descriptor,
                          std::int32_t& score) {
    // The library may read up to kDescriptorSize bytes of a descriptor: a shorter
    // buffer is copied into a full one first.
    const std::uint8_t* blob = descriptor.data();
    std::uint8_t full[facelib::kDescriptorSize];
    if (descriptor.size() < sizeof full) {
        std::fill(std::copy(descriptor.begin(), descriptor.end(), full), std::end(full), 0);
        blob = full;
    }
    return facelib::match(registered.pixels.data(), blob, registered.width, registered.height,
                          score);
}

int LibraryMatcher::invalidateCache() {
    return facelib::service(3, nullptr);
}

std::string LibraryMatcher::version() {
    return facelib::version();
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
