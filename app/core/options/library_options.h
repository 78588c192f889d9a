#pragma once
// The "Facial Recognition library" options page's values: read from the face library's
// configuration when the page opens, applied to it (and saved to its file) on Apply.
//
// The library is reached through LibraryCalls so tests can see every call; the overloads
// without one use the face library gate (facelib), which makes them thread-safe.

#include <functional>
#include <string>

#include "options/performance.h"
#include "settings/app_settings.h"

namespace options {

inline constexpr int kMinThreshold = 0, kMaxThreshold = 400;
inline constexpr int kMinElements = 3, kMaxElements = 8;
inline constexpr int kMinDescriptors = 3, kMaxDescriptors = 9;
inline constexpr int kMinCaching = -2, kMaxCaching = 0;  // "Advanced", "Base", "Disable"

struct LibraryOptions {
    int ownThreshold = 150, searchThreshold = 150;  // 0..400
    int elements = 7;                               // Number_of_face_elements 3..8
    int descriptors = 3;                            // n: Using_Descriptors_Mask = 2^n - 1
    int caching = -2;                               // track bar -2..0, UseBase = -caching
    bool gamma = false;
    Performance performance = Performance::Optimal;
    friend bool operator==(const LibraryOptions&, const LibraryOptions&) = default;
};

// The face-library calls the page makes.
struct LibraryCalls {
    // The parameter's text into value; false (value untouched) when there is none.
    std::function<bool(const char* section, const char* key, std::string& value)> getParam;
    // 0 or the library's result.
    std::function<int(const char* section, const char* key, const char* value)> setParam;
    // "" saves the library's own configuration file. 0 or the library's result.
    std::function<int(const char* path)> saveConfig;
};

// The calls through facelib.
LibraryCalls faceLibraryCalls();

// Page defaults: thresholds 150, elements 7, descriptors 3, Optimal, caching "Advanced"
// (UseBase 2), gamma off.
LibraryOptions libraryDefaults();

// The page's values from the library. A parameter that cannot be read or is not a number
// keeps its default (the search threshold then takes the own threshold); values are
// clamped to the track bars' ranges; descriptors = round(log2(mask + 1)).
LibraryOptions readLibraryOptions(const LibraryCalls& calls);
LibraryOptions readLibraryOptions();

// Sets, in this order, OwnScoreTreshold and SearchScoreTreshold ("library"; each also into
// s when the library took it), Number_of_face_elements, Using_Descriptors_Mask = 2^n - 1,
// UseBase = -caching, Gamma "1"/"0" and the nine performance parameters ("param"), values
// clamped to the ranges above; then, when every set succeeded, saveConfig(""). Every set
// is tried. Returns 0 or the first failure.
int applyLibraryOptions(const LibraryOptions& o, settings::AppSettings& s,
                        const LibraryCalls& calls);
int applyLibraryOptions(const LibraryOptions& o, settings::AppSettings& s);

}  // namespace options
