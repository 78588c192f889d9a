#include "options/app_options.h"

#include <algorithm>

namespace options {

AppOptions appOptionsFrom(const settings::AppSettings& s) {
    return AppOptions{s.showElements,      s.roundSearch != 0,     s.reverseOrder != 0,
                      s.firstMatched != 0, s.showOnlyMatched != 0, s.personFaceNumber,
                      s.searchTimeout};
}

AppOptions appDefaults() {
    return AppOptions{2, true, true, true, true, 6, 60};
}

void applyAppOptions(const AppOptions& o, settings::AppSettings& s) {
    s.showElements =
        static_cast<std::uint8_t>(std::clamp<int>(o.showElements, kMinStyle, kMaxStyle));
    s.roundSearch = o.optimizedSearch ? 1 : 0;
    s.reverseOrder = o.reverseOrder ? 1 : 0;
    s.firstMatched = o.firstMatched ? 1 : 0;
    s.showOnlyMatched = o.showOnlyMatched ? 1 : 0;
    s.personFaceNumber =
        static_cast<std::uint8_t>(std::clamp(o.faceAmount, kMinFaceAmount, kMaxFaceAmount));
    s.searchTimeout = static_cast<std::uint8_t>(std::clamp(o.timeout, kMinTimeout, kMaxTimeout));
}

bool applyAppOptions(const AppOptions& o, settings::AppSettings& s, platform::RegistryFile& reg) {
    applyAppOptions(o, s);
    return settings::saveRegistry(s, reg);
}

}  // namespace options
