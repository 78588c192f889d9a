#pragma once
// The eye-pair search: eye candidates per eye, every pair refined, checked (geometry, irises,
// the bright ridge between the eyes) and scored. Searches work on regions aligned with the
// current eye line; the default masks are used except by RefineEyesWithPerson.

#include <array>
#include <cstdint>

#include "face_context.h"
#include "filters/scratch.h"

namespace ovfc {

// Internal code of an eye search that found nothing; reported as 26 outside the eye search.
inline constexpr int kNoEyeFound = 29;

struct EyePosition {
    std::int32_t x = 0, y = 0;
};

struct EyePair {
    std::int32_t xl = 0, yl = 0, xr = 0, yr = 0;
    std::int32_t score = 0;
};

// The pairs of one pipeline run, shared by all face candidates.
struct EyePairList {
    static constexpr int kCapacity = 100;
    std::array<EyePair, kCapacity> pairs{};
    int count = 0;
    bool full() const { return count >= kCapacity; }
};

// Up to min("eye_cand", 20) candidate centres of eye `id` (1 or 2) in its window, best first.
// 0, 3, 26 (window too small), 27 (no default mask), 29 (no candidate).
int FindEyeCandidates(FaceContext& ctx, Scratch& scratch, int id, EyePosition* out, int& count);

// Tries every pair of eye candidates of the current face candidate and appends the pairs that
// pass to `list`, scored from the adjusted face score. minUnit is the smallest unit accepted.
// 0, 3, 26, 27.
int SearchEyePairs(FaceContext& ctx, std::int32_t faceScore, std::int32_t minUnit,
                   EyePairList& list);

// One refinement step of both eyes with the default eye masks, both searched from the same
// starting record. 0, 3, 26, 27.
int RefineEyes(FaceContext& ctx, Scratch& scratch);

// Eye centres from the context's own eye masks in windows of k x unit x "eye_xadd_base" /
// "eye_yadd_base" around the current centres. 0, 3, 26, 27.
int RefineEyesWithPerson(FaceContext& ctx, double k);

// Moves each eye centre onto the darkest round blob (the iris) near it. An eye whose region
// does not fit or holds no blob keeps its centre. 0 or 3.
int FindIrises(FaceContext& ctx, Scratch& scratch);

// Whether a bright ridge (the bridge of the nose) lies between the eye centres. Rows that
// fall outside the image are left out of the profile. 0 with `present`, or 3.
int CheckRidge(FaceContext& ctx, Scratch& scratch, bool& present);

// Mean comparison entry of both eyes against the default eye masks (filters 1..3) minus 200.
// 0, 3, 26, 27.
int EyeScore(FaceContext& ctx, Scratch& scratch, double& score);

}  // namespace ovfc
