#include "options/performance.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

namespace options {

const std::array<const char*, 9> kPerformanceKeys = {
    "Mask_Add",    "ScoreMin",       "ScoreMax",       "Face_cand_num", "Eye_cand",
    "Face_x_bord", "Face_y_bord_up", "Face_y_bord_dn", "FirstTR"};

namespace {

constexpr std::array<std::array<const char*, 9>, kPerformanceLevels> kValues = {{
    {"1", "0", "-1", "1", "1", "1.3", "1.5", "1.5", "220"},    // Faster
    {"2", "15", "160", "5", "2", ".9", ".5", "1.5", "220"},    // Optimal
    {"3", "25", "190", "10", "3", ".75", ".3", "1.5", "220"},  // Precise
}};

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// The whole text as a number; nothing when it is not one.
std::optional<double> number(const std::string& text) {
    const std::string t = trimmed(text);
    if (t.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (errno != 0 || end != t.c_str() + t.size()) return std::nullopt;
    return v;
}

}  // namespace

const std::array<const char*, 9>& performanceValues(Performance level) {
    const int i = static_cast<int>(level);
    return kValues[static_cast<std::size_t>(i >= 0 && i < kPerformanceLevels ? i : 1)];
}

bool sameValue(const std::string& a, const std::string& b) {
    const std::optional<double> x = number(a);
    const std::optional<double> y = number(b);
    if (x && y) return *x == *y;
    if (x || y) return false;
    return trimmed(a) == trimmed(b);
}

Performance performanceOf(const std::array<std::string, 9>& current) {
    int best = 0;
    int bestCount = -1;
    for (int level = 0; level < kPerformanceLevels; ++level) {
        const auto& values = kValues[static_cast<std::size_t>(level)];
        int count = 0;
        for (std::size_t k = 0; k < values.size(); ++k)
            if (sameValue(current[k], values[k])) ++count;
        if (count > bestCount) {  // strictly more: a tie keeps the lower level
            best = level;
            bestCount = count;
        }
    }
    return static_cast<Performance>(best);
}

}  // namespace options
