#pragma once
// The similarity score of a comparison vector and the unit search around it.

#include <cstdint>

namespace ovfc {

class ConfigStore;
struct FaceContext;

inline constexpr int kMaxFilters = 9;
inline constexpr int kVectorEntries = 8 * kMaxFilters;  // 72 entries, 288 bytes

// 1-based number of the bit that gives filter position j of the mask; 0 when none.
int EntryKeyNumber(std::uint32_t filterMask, int j);

// Score of a vector of elementCount x filterCount entries (element-major): 200 when
// every switched-on entry equals its "_min" reference, higher is more similar. Raises
// XERRORINI for a missing key, a reference that is not positive, or when no entry of the
// first four elements is switched on.
std::int32_t SimilarityScore(const ConfigStore& config, std::uint32_t elementCount,
                             std::uint32_t filterMask, const std::int32_t* vector);

struct UnitSearchResult {
    std::int32_t best = 0;    // best score found
    std::int32_t shift = 0;   // unit shift that gave it
    std::int32_t atUnit = 0;  // score at the unit found by the pipeline
};

// Builds a vector for the context's current unit. BuildScoredVector in production (the
// entries the score reads; BuildComparisonVector measures them all).
using VectorBuilder = int (*)(FaceContext& ctx, std::int32_t* vector);

// The score step of a comparison: scores the vector at the context's unit and, for a
// borderline score, tries neighbouring units. 0, 3, or the builder's error.
int BestScore(FaceContext& ctx, UnitSearchResult& out, VectorBuilder build);

}  // namespace ovfc
