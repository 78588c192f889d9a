#pragma once
// The "Overall perfomance" levels of the library options page: nine face-library
// parameters of section "param" and their texts per level, and the level that the current
// values come closest to. Constant data and pure functions, thread-safe.

#include <array>
#include <string>

namespace options {

enum class Performance { Faster = 0, Optimal = 1, Precise = 2 };
inline constexpr int kPerformanceLevels = 3;

// Mask_Add, ScoreMin, ScoreMax, Face_cand_num, Eye_cand, Face_x_bord, Face_y_bord_up,
// Face_y_bord_dn, FirstTR.
extern const std::array<const char*, 9> kPerformanceKeys;

// The nine texts of a level, in the order of kPerformanceKeys. A level outside the enum
// gives Optimal's.
const std::array<const char*, 9>& performanceValues(Performance level);

// Whether two parameter texts agree as numbers (".9" and "0.9" do); texts that are not
// numbers agree when equal after trimming blanks.
bool sameValue(const std::string& a, const std::string& b);

// The level whose nine values agree with the most of the current values (in the order of
// kPerformanceKeys); a tie goes to the lower level.
Performance performanceOf(const std::array<std::string, 9>& current);

}  // namespace options
