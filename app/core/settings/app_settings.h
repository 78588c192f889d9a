#pragma once
// The application's persistent settings: the two score thresholds from the face library's
// "library" section and the values under the application's registry key.
//
// Registry values: "Round algorithm", "Show best candidate", "Person face number", "Search
// timeout", "Show only matched", "Reverse search order", "First matched face" and "Show
// elements" are DWORD-typed values holding one byte; "Video" ("Pausing" / "Live"),
// "Framegrabber library" and "Framegrabber driver" are strings. A value that is absent,
// of another type or size, or out of its range reads as absent and keeps the default.
//
// The functions keep no state; they are as thread-safe as the RegistryFile they are given
// (which may be used from any thread). The caller owns every object passed in.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "settings/window_placement.h"

namespace settings {

inline constexpr const char* kAppKey =
    "HKEY_LOCAL_MACHINE\\SoftWare\\Orvane Technology\\OVFC Test Application";
inline constexpr const char* kImagesOptionsKey =
    "HKEY_LOCAL_MACHINE\\SoftWare\\Orvane Technology\\OVFC Test Application\\Images options";

// Thresholds are kept within the range of the options page.
inline constexpr std::uint16_t kMaxThreshold = 400;

struct AppSettings {
    std::uint16_t ownThreshold = 150;
    std::uint16_t searchThreshold = 150;
    std::uint8_t roundSearch = 1;         // "Round algorithm"
    std::uint8_t bestCandidate = 0;       // "Show best candidate"
    std::uint8_t personFaceNumber = 3;    // "Person face number" (1..8)
    std::uint8_t searchTimeout = 60;      // "Search timeout"
    std::uint32_t showOnlyMatched = 1;    // "Show only matched"
    std::uint32_t reverseOrder = 1;       // "Reverse search order"
    std::uint32_t firstMatched = 1;       // "First matched face"
    std::uint32_t videoPaused = 0;        // "Video": "Pausing" / "Live"
    std::uint8_t showElements = 2;        // "Show elements" (1..6)
    std::string captureLibrary = "None";  // "Framegrabber library": "OvF", "OvVFW", "None"
    std::string captureDriver;            // "Framegrabber driver"

    bool operator==(const AppSettings&) const = default;
};

// Reads a face-library parameter into value; false when it cannot be read (value untouched).
using ParamReader = std::function<bool(const char* section, const char* key, std::string& value)>;

// The threshold of a parameter text: optional blanks and sign, then decimal digits up to
// the first other character, clamped to 0..kMaxThreshold. Nothing when there is no digit.
std::optional<std::uint16_t> parseThreshold(std::string_view text);

// OwnScoreTreshold / SearchScoreTreshold of section "library". A parameter that cannot be
// read or holds no number leaves the own threshold as it was; the search threshold then
// takes the own threshold.
void loadThresholds(AppSettings& s, const ParamReader& read);

// Every registry value; absent, wrong-typed, wrong-sized or out-of-range values keep the
// values s holds.
void loadRegistry(AppSettings& s, const platform::RegistryFile& reg);

// Writes every registry value (creating the key) in one replacement of the file; false
// when the file cannot be written (it then keeps its old contents).
bool saveRegistry(const AppSettings& s, platform::RegistryFile& reg);

// "OvF", "OvVFW" or "None" for a stored library name (compared without case).
std::string normalCaptureLibrary(std::string_view name);

// The per-panel display options byte under "Images options" (value name = panel name);
// nothing when absent or not a 1-byte DWORD. write: false when the file cannot be written.
std::optional<std::uint8_t> readImageOptions(const platform::RegistryFile& reg,
                                             std::string_view panel);
bool writeImageOptions(platform::RegistryFile& reg, std::string_view panel, std::uint8_t options);

}  // namespace settings
