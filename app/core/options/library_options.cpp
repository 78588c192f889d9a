#include "options/library_options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "facelib/face_library.h"

namespace options {

namespace {

constexpr const char* kLibrarySection = "library";
constexpr const char* kParamSection = "param";
constexpr const char* kOwnThreshold = "OwnScoreTreshold";
constexpr const char* kSearchThreshold = "SearchScoreTreshold";
constexpr const char* kElements = "Number_of_face_elements";
constexpr const char* kDescriptorsMask = "Using_Descriptors_Mask";
constexpr const char* kUseBase = "UseBase";
constexpr const char* kGamma = "Gamma";
constexpr const char* kOwnConfiguration = "";

// A decimal number (a fraction is cut off); nothing when the text is none.
std::optional<long> integer(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || errno != 0 || !std::isfinite(v)) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return std::nullopt;
    const double limit = 1e9;
    return static_cast<long>(std::trunc(std::clamp(v, -limit, limit)));
}

std::optional<long> readInteger(const LibraryCalls& calls, const char* section, const char* key) {
    std::string text;
    if (!calls.getParam(section, key, text)) return std::nullopt;
    return integer(text);
}

int clampTo(long v, int lo, int hi) {
    return static_cast<int>(std::clamp<long>(v, lo, hi));
}

}  // namespace

LibraryCalls faceLibraryCalls() {
    return {facelib::getParam, facelib::setParam, facelib::saveConfig};
}

LibraryOptions libraryDefaults() {
    return LibraryOptions{};
}

LibraryOptions readLibraryOptions(const LibraryCalls& calls) {
    LibraryOptions o = libraryDefaults();
    if (auto v = readInteger(calls, kLibrarySection, kOwnThreshold))
        o.ownThreshold = clampTo(*v, kMinThreshold, kMaxThreshold);
    o.searchThreshold = o.ownThreshold;
    if (auto v = readInteger(calls, kLibrarySection, kSearchThreshold))
        o.searchThreshold = clampTo(*v, kMinThreshold, kMaxThreshold);
    if (auto v = readInteger(calls, kParamSection, kElements))
        o.elements = clampTo(*v, kMinElements, kMaxElements);
    if (auto v = readInteger(calls, kParamSection, kDescriptorsMask); v && *v >= 0) {
        const long n = std::lround(std::log2(static_cast<double>(*v) + 1));
        o.descriptors = clampTo(n, kMinDescriptors, kMaxDescriptors);
    }
    if (auto v = readInteger(calls, kParamSection, kUseBase))
        o.caching = clampTo(-*v, kMinCaching, kMaxCaching);
    if (auto v = readInteger(calls, kParamSection, kGamma)) o.gamma = *v != 0;
    std::array<std::string, 9> current;
    for (std::size_t k = 0; k < kPerformanceKeys.size(); ++k)
        calls.getParam(kParamSection, kPerformanceKeys[k], current[k]);
    o.performance = performanceOf(current);
    return o;
}

LibraryOptions readLibraryOptions() {
    return readLibraryOptions(faceLibraryCalls());
}

int applyLibraryOptions(const LibraryOptions& o, settings::AppSettings& s,
                        const LibraryCalls& calls) {
    int first = 0;
    auto set = [&](const char* section, const char* key, const std::string& value) {
        const int rc = calls.setParam(section, key, value.c_str());
        if (rc != 0 && first == 0) first = rc;
        return rc == 0;
    };
    const int own = std::clamp(o.ownThreshold, kMinThreshold, kMaxThreshold);
    const int search = std::clamp(o.searchThreshold, kMinThreshold, kMaxThreshold);
    if (set(kLibrarySection, kOwnThreshold, std::to_string(own)))
        s.ownThreshold = static_cast<std::uint16_t>(own);
    if (set(kLibrarySection, kSearchThreshold, std::to_string(search)))
        s.searchThreshold = static_cast<std::uint16_t>(search);
    set(kParamSection, kElements,
        std::to_string(std::clamp(o.elements, kMinElements, kMaxElements)));
    const int n = std::clamp(o.descriptors, kMinDescriptors, kMaxDescriptors);
    set(kParamSection, kDescriptorsMask, std::to_string((1 << n) - 1));
    set(kParamSection, kUseBase, std::to_string(-std::clamp(o.caching, kMinCaching, kMaxCaching)));
    set(kParamSection, kGamma, o.gamma ? "1" : "0");
    const auto& values = performanceValues(o.performance);
    for (std::size_t k = 0; k < kPerformanceKeys.size(); ++k)
        set(kParamSection, kPerformanceKeys[k], values[k]);
    if (first != 0) return first;
    return calls.saveConfig(kOwnConfiguration);
}

int applyLibraryOptions(const LibraryOptions& o, settings::AppSettings& s) {
    return applyLibraryOptions(o, s, faceLibraryCalls());
}

}  // namespace options
