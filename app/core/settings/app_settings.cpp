#include "settings/app_settings.h"

#include <utility>
#include <vector>

namespace settings {

namespace {

using platform::RegType;
using platform::RegValue;

constexpr const char* kVideo = "Video";
constexpr const char* kShowElements = "Show elements";
constexpr const char* kFirstMatched = "First matched face";
constexpr const char* kRoundAlgorithm = "Round algorithm";
constexpr const char* kReverseOrder = "Reverse search order";
constexpr const char* kShowOnlyMatched = "Show only matched";
constexpr const char* kBestCandidate = "Show best candidate";
constexpr const char* kPersonFaceNumber = "Person face number";
constexpr const char* kSearchTimeout = "Search timeout";
constexpr const char* kCaptureLibrary = "Framegrabber library";
constexpr const char* kCaptureDriver = "Framegrabber driver";

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

RegValue byteValue(std::uint8_t b) {
    return {RegType::Dword, {b}};
}

// A DWORD-typed value of exactly one byte, within lo..hi.
std::optional<std::uint8_t> readByte(const platform::RegistryFile& reg, const char* key,
                                     std::string_view name, std::uint8_t lo = 0,
                                     std::uint8_t hi = 255) {
    const auto v = reg.read(key, name);
    if (!v || v->type != RegType::Dword || v->data.size() != 1) return std::nullopt;
    if (v->data[0] < lo || v->data[0] > hi) return std::nullopt;
    return v->data[0];
}

std::optional<std::string> readString(const platform::RegistryFile& reg, const char* name) {
    const auto v = reg.read(kAppKey, name);
    return v ? platform::stringOf(*v) : std::nullopt;
}

template <class Field>
void loadByte(const platform::RegistryFile& reg, const char* name, Field& field,
              std::uint8_t lo = 0, std::uint8_t hi = 255) {
    if (const auto b = readByte(reg, kAppKey, name, lo, hi)) field = *b;
}

}  // namespace

std::string normalCaptureLibrary(std::string_view name) {
    if (equalNoCase(name, "ovf")) return "OvF";
    if (equalNoCase(name, "ovvfw")) return "OvVFW";
    return "None";
}

void loadRegistry(AppSettings& s, const platform::RegistryFile& reg) {
    if (const auto video = readString(reg, kVideo)) s.videoPaused = equalNoCase(*video, "pausing");
    loadByte(reg, kShowElements, s.showElements, 1, 6);
    loadByte(reg, kFirstMatched, s.firstMatched);
    loadByte(reg, kRoundAlgorithm, s.roundSearch);
    loadByte(reg, kReverseOrder, s.reverseOrder);
    loadByte(reg, kShowOnlyMatched, s.showOnlyMatched);
    loadByte(reg, kBestCandidate, s.bestCandidate);
    loadByte(reg, kPersonFaceNumber, s.personFaceNumber, 1, 8);
    loadByte(reg, kSearchTimeout, s.searchTimeout);
    if (const auto library = readString(reg, kCaptureLibrary))
        s.captureLibrary = normalCaptureLibrary(*library);
    if (const auto driver = readString(reg, kCaptureDriver)) s.captureDriver = *driver;
}

bool saveRegistry(const AppSettings& s, platform::RegistryFile& reg) {
    auto flag = [](std::uint32_t f) { return byteValue(f != 0 ? 1 : 0); };
    const std::vector<std::pair<std::string, RegValue>> values = {
        {kVideo, platform::stringValue(s.videoPaused ? "Pausing" : "Live")},
        {kShowElements, byteValue(s.showElements)},
        {kFirstMatched, flag(s.firstMatched)},
        {kRoundAlgorithm, byteValue(s.roundSearch)},
        {kReverseOrder, flag(s.reverseOrder)},
        {kShowOnlyMatched, flag(s.showOnlyMatched)},
        {kBestCandidate, byteValue(s.bestCandidate)},
        {kPersonFaceNumber, byteValue(s.personFaceNumber)},
        {kSearchTimeout, byteValue(s.searchTimeout)},
        {kCaptureLibrary, platform::stringValue(normalCaptureLibrary(s.captureLibrary))},
        {kCaptureDriver, platform::stringValue(s.captureDriver)},
    };
    return reg.writeValues(kAppKey, values);
}

std::optional<std::uint8_t> readImageOptions(const platform::RegistryFile& reg,
                                             std::string_view panel) {
    return readByte(reg, kImagesOptionsKey, panel);
}

bool writeImageOptions(platform::RegistryFile& reg, std::string_view panel, std::uint8_t options) {
    return reg.write(kImagesOptionsKey, panel, byteValue(options));
}

}  // namespace settings
