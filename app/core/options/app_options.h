#pragma once
// The "Application" options page's values and their place in the application settings.
// Pure functions on the caller's records; the registry overload writes the caller's file.
// Not synchronised: call from one thread.

#include <cstdint>

#include "platform/registry.h"
#include "settings/app_settings.h"

namespace options {

inline constexpr int kMinStyle = 1, kMaxStyle = 6;
inline constexpr int kMinFaceAmount = 1, kMaxFaceAmount = 8;
inline constexpr int kMinTimeout = 0, kMaxTimeout = 255;

struct AppOptions {
    std::uint8_t showElements;  // element display style 1..6
    bool optimizedSearch, reverseOrder, firstMatched, showOnlyMatched;
    int faceAmount;  // faces taken in manual registration, 1..8
    int timeout;     // search timeout, seconds 0..255
    friend bool operator==(const AppOptions&, const AppOptions&) = default;
};

AppOptions appOptionsFrom(const settings::AppSettings& s);
// Style 2, optimized search, the three checks on, face amount 6, timeout 60.
AppOptions appDefaults();
// Stores the page's values into s (clamped to the ranges above); the caller then writes the
// registry settings.
void applyAppOptions(const AppOptions& o, settings::AppSettings& s);
// The same, then settings::saveRegistry: false when the file cannot be written.
bool applyAppOptions(const AppOptions& o, settings::AppSettings& s, platform::RegistryFile& reg);

}  // namespace options
