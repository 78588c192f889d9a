#include "metrics.h"

#include <algorithm>
#include <cmath>

namespace ovfc_eval {

std::optional<double> median(std::vector<double> v) {
    if (v.empty()) return std::nullopt;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid), v.end());
    const double upper = v[mid];
    if (v.size() % 2 == 1) return upper;
    const double lower = *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

double eyeError(double fxl, double fyl, double fxr, double fyr, double txl, double tyl, double txr,
                double tyr) {
    if (fxl > fxr) {
        std::swap(fxl, fxr);
        std::swap(fyl, fyr);
    }
    const double unit = std::hypot(txr - txl, tyr - tyl);
    const double worst =
        std::max(std::hypot(fxl - txl, fyl - tyl), std::hypot(fxr - txr, fyr - tyr));
    return unit > 0 ? worst / unit : INFINITY;
}

std::optional<ErrorRate> equalErrorRate(std::vector<double> own, std::vector<double> stranger) {
    if (own.empty() || stranger.empty()) return std::nullopt;
    std::sort(own.begin(), own.end());
    std::sort(stranger.begin(), stranger.end());
    // Candidate thresholds: every score, and one above all of them (accepting nothing).
    std::vector<double> thresholds(own);
    thresholds.insert(thresholds.end(), stranger.begin(), stranger.end());
    thresholds.push_back(std::max(own.back(), stranger.back()) + 1);
    std::sort(thresholds.begin(), thresholds.end());
    thresholds.erase(std::unique(thresholds.begin(), thresholds.end()), thresholds.end());
    ErrorRate best{2.0, 0.0};
    for (const double t : thresholds) {
        const auto rejected = std::lower_bound(own.begin(), own.end(), t) - own.begin();
        const auto accepted =
            stranger.end() - std::lower_bound(stranger.begin(), stranger.end(), t);
        const double frr = static_cast<double>(rejected) / static_cast<double>(own.size());
        const double far = static_cast<double>(accepted) / static_cast<double>(stranger.size());
        const double rate = std::max(frr, far);
        if (rate < best.rate) best = {rate, t};
    }
    return best;
}

std::optional<std::string> bestPerson(const std::vector<Candidate>& candidates) {
    if (candidates.empty()) return std::nullopt;
    const Candidate* best = &candidates.front();
    for (const Candidate& c : candidates)
        if (c.score > best->score) best = &c;
    return best->person;
}

}  // namespace ovfc_eval
