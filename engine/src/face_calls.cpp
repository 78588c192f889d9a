#include "face_calls.h"

#include <cstdlib>
#include <cstring>

#include "compare/comparison_vector.h"
#include "descriptor_blob.h"
#include "face_context.h"
#include "geometry/face_geometry.h"
#include "image_intake.h"
#include "pipeline.h"
#include "score.h"
#include "status.h"

namespace ovfc {

namespace {

FaceElementInfo infoOf(const Mask& m) {
    return FaceElementInfo{static_cast<std::int16_t>(m.id), static_cast<std::int16_t>(m.centreX),
                           static_cast<std::int16_t>(m.centreY),
                           static_cast<std::int16_t>(m.height), static_cast<std::int16_t>(m.width)};
}

// Puts a tool's positions and base-file name into a fresh context.
void applyOptions(FaceContext& ctx, const ProcessOptions& o) {
    if (o.baseFile != nullptr) {
        std::strncpy(ctx.image.baseFile, o.baseFile, sizeof ctx.image.baseFile - 1);
        ctx.image.baseFile[sizeof ctx.image.baseFile - 1] = '\0';
    }
    if (o.haveEyes) {
        SetFacePriors(ctx);
        const bool swap = o.xr < o.xl;
        ElementRecord& l = ctx.elements[kEyeLeft];
        ElementRecord& r = ctx.elements[kEyeRight];
        l.xC = swap ? o.xr : o.xl;
        l.yC = swap ? o.yr : o.yl;
        r.xC = swap ? o.xl : o.xr;
        r.yC = swap ? o.yl : o.yr;
        ctx.unit.unit = EyeDistance(ctx);
        ctx.face.xC = (l.xC + r.xC) / 2;
        ctx.face.yC = (l.yC + r.yC) / 2;
    }
    if (o.haveNose) {
        ctx.elements[kNose].xC = o.noseX;
        ctx.elements[kNose].yC = o.noseY;
    }
}

// The last-match table a comparison leaves, and whether it reached the score step (only
// then does the table replace the library's).
struct MatchTable {
    LastMatchElements elements;
    bool scored = false;
};

// One comparison of the image with the descriptor of a person; refined tells whether the
// probe's eyes were refined with the person's masks.
int compareOnce(LibraryState& state, BlockPool& pool, RegionCache* regions,
                const std::uint8_t* image, const std::uint8_t* descriptor, std::int32_t* score,
                int width, int height, const ProcessOptions* options, bool refine, bool& refined,
                MatchTable& table) {
    FaceContext ctx(state, pool);
    ctx.refineEyes = refine;
    if (const int rc = takeInImage(ctx, image, width, height, nullptr); rc != kOk) return rc;
    if (options != nullptr) applyOptions(ctx, *options);
    if (const int rc = ctx.masks.read(descriptor, kMaxBlobSize, kNormalise); rc != kOk) return rc;
    if (regions != nullptr) ctx.filteredMasks = &regions->masks();
    // The image stays as it is from here on: its regions may come from earlier comparisons.
    if (regions != nullptr && regions->bind(ImageView{ctx.image.data(), ctx.image.width,
                                                      ctx.image.height, ctx.image.width}))
        ctx.regions = regions;
    const int prc = ProcessForMatching(ctx);
    refined = ctx.eyesRefined;
    if (prc != kOk) return prc;

    UnitSearchResult result;
    const int rc = BestScore(ctx, result, &BuildScoredVector);
    *score = result.best;
    table = MatchTable{{}, true};
    if (rc == kOk && BuildMasks(ctx) == kOk) {
        LastMatchElements& t = table.elements;
        for (int id = 0; id < kElementCount; ++id) {
            const Mask* m = ctx.masks.find(static_cast<std::uint8_t>(id));
            if (m != nullptr) t.records[t.count++] = infoOf(*m);
        }
    }
    return rc;
}

// Compares the image with the descriptor of a person. Refined eyes at which the comparison
// fails for its geometry give way to the eyes the search found. The table of the last
// attempt that reached the score step is published once, whole, for OvfcFaceInfo.
int compareImage(LibraryState& state, BlockPool& pool, RegionCache* regions,
                 const std::uint8_t* image, const std::uint8_t* descriptor, std::int32_t* score,
                 int width, int height, const ProcessOptions* options) {
    bool refined = false;
    MatchTable first, second;
    int rc = compareOnce(state, pool, regions, image, descriptor, score, width, height, options,
                         true, refined, first);
    if (rc == kGeometry && refined)
        rc = compareOnce(state, pool, regions, image, descriptor, score, width, height, options,
                         false, refined, second);
    const MatchTable& table = second.scored ? second : first;
    if (table.scored) {
        const std::lock_guard<std::mutex> lock(state.lastMatchLock);
        state.lastMatch = table.elements;
    }
    return rc;
}

}  // namespace

int createDescriptor(LibraryState& state, const std::uint8_t* image, int width, int height,
                     const std::uint8_t* reference, std::uint8_t* difference,
                     std::uint8_t* descriptor, std::int16_t* size, const ProcessOptions* options) {
    return createDescriptor(state, state.pool, image, width, height, reference, difference,
                            descriptor, size, options);
}

int createDescriptor(LibraryState& state, BlockPool& pool, const std::uint8_t* image, int width,
                     int height, const std::uint8_t* reference, std::uint8_t* difference,
                     std::uint8_t* descriptor, std::int16_t* size, const ProcessOptions* options) {
    FaceContext ctx(state, pool);
    if (const int rc = takeInImage(ctx, image, width, height, reference); rc != kOk) return rc;
    if (options != nullptr) applyOptions(ctx, *options);
    if (const int rc = ProcessForDescriptor(ctx); rc != kOk) return rc;
    if (const int rc = ctx.masks.write(descriptor, kMaxBlobSize); rc != kOk) return rc;
    *size = static_cast<std::int16_t>(ctx.masks.size());
    if (reference != nullptr && difference != nullptr) {
        const std::size_t n = static_cast<std::size_t>(width) * height;
        const std::uint8_t* a = ctx.image.data();
        const std::uint8_t* b = ctx.secondImage.data();
        for (std::size_t i = 0; i < n; ++i)
            difference[i] = static_cast<std::uint8_t>(std::abs(int(a[i]) - int(b[i])));
    }
    return kOk;
}

int matchItems(LibraryState& state, const std::uint8_t* first, const std::uint8_t* second,
               std::int32_t* score, int width, int height, const ProcessOptions* options) {
    return matchItems(state, state.pool, &state.regions, first, second, score, width, height,
                      options);
}

int matchItems(LibraryState& state, BlockPool& pool, RegionCache* regions,
               const std::uint8_t* first, const std::uint8_t* second, std::int32_t* score,
               int width, int height, const ProcessOptions* options) {
    const int kind = 2 * (isDescriptor(first) ? 1 : 0) + (isDescriptor(second) ? 1 : 0);
    switch (kind) {
        case 3:
            return kNotSupported;
        case 1:
            return compareImage(state, pool, regions, first, second, score, width, height, options);
        case 2:
            return compareImage(state, pool, regions, second, first, score, width, height, options);
        default: {
            PoolBlock temp = pool.take(kMaxBlobSize);
            if (!temp) return kNoMemory;
            std::int16_t size = 0;
            const int rc = createDescriptor(state, pool, first, width, height, nullptr, nullptr,
                                            temp.data(), &size);
            if (rc != kOk) return rc;
            return compareImage(state, pool, regions, second, temp.data(), score, width, height,
                                options);
        }
    }
}

int faceInfo(LibraryState& state, const std::uint8_t* descriptor, FaceElementInfo* elements,
             std::uint16_t first, std::uint16_t* count) {
    return faceInfo(state, state.pool, descriptor, elements, first, count);
}

int faceInfo(LibraryState& state, BlockPool& pool, const std::uint8_t* descriptor,
             FaceElementInfo* elements, std::uint16_t first, std::uint16_t* count) {
    if (elements == nullptr) {
        *count = kElementCount;
        return kOk;
    }
    std::uint16_t n = 0;
    if (descriptor != nullptr) {
        MaskSet set(pool);
        if (const int rc = set.read(descriptor, kMaxBlobSize, 0); rc != kOk) return rc;
        for (unsigned k = 0; k < *count; ++k) {
            const Mask* m = set.find(static_cast<std::uint8_t>((first + k) & 0xFF));
            if (m != nullptr) elements[n++] = infoOf(*m);
        }
    } else {
        const std::lock_guard<std::mutex> lock(state.lastMatchLock);
        for (unsigned k = 0; k < *count; ++k) {
            const unsigned pos = first + k;
            if (pos < static_cast<unsigned>(state.lastMatch.count))
                elements[n++] = state.lastMatch.records[pos];
        }
    }
    *count = n;
    return kOk;
}

}  // namespace ovfc
