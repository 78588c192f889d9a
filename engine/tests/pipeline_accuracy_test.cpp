// The whole face library on generated frames (persons 1..20, images 1..10, seed 1) with the
// development configuration and default masks: processing, eye positions and identification.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "descriptor_blob.h"
#include "face_calls.h"
#include "facegen.h"
#include "library_state.h"
#include "load_config.h"
#include "status.h"

namespace ovfc {
namespace {

constexpr int kPersons = 20, kImages = 10;
constexpr std::uint64_t kSeed = 1;

struct Processed {
    int rc = -1;
    std::vector<std::uint8_t> descriptor;
    bool eyesClose = false;
};

Processed process(LibraryState& state, const facegen::Frame& f) {
    Processed out;
    out.descriptor.assign(kMaxBlobSize, 0);
    std::int16_t size = 0;
    out.rc = createDescriptor(state, f.pixels.data(), facegen::kWidth, facegen::kHeight, nullptr,
                              nullptr, out.descriptor.data(), &size);
    if (out.rc != kOk) return out;
    FaceElementInfo info[2] = {};
    std::uint16_t count = 2;
    if (faceInfo(state, out.descriptor.data(), info, 1, &count) != kOk || count != 2) return out;
    const double d = std::hypot(f.eyes.xr - f.eyes.xl, f.eyes.yr - f.eyes.yl);
    const double el = std::hypot(info[0].x - f.eyes.xl, info[0].y - f.eyes.yl);
    const double er = std::hypot(info[1].x - f.eyes.xr, info[1].y - f.eyes.yr);
    out.eyesClose = std::max(el, er) <= d / 10;
    if (!out.eyesClose)
        std::printf("eyes off: true (%.1f %.1f) (%.1f %.1f), found (%d %d) (%d %d)\n", f.eyes.xl,
                    f.eyes.yl, f.eyes.xr, f.eyes.yr, info[0].x, info[0].y, info[1].x, info[1].y);
    return out;
}

TEST(PipelineAccuracy, ProcessesLocatesAndIdentifiesGeneratedFaces) {
    LibraryState state;
    ASSERT_EQ(loadConfiguration(state, OVFC_SYNTHETIC_CONFIG), kOk);
    state.initialised = true;

    std::vector<facegen::Frame> frames;
    std::vector<Processed> results;
    int processed = 0, close = 0;
    for (int p = 1; p <= kPersons; ++p)
        for (int i = 1; i <= kImages; ++i) {
            frames.push_back(facegen::generateFrame(kSeed, p, i));
            results.push_back(process(state, frames.back()));
            if (results.back().rc == kOk)
                ++processed;
            else
                std::printf("frame %02d%02d: code %d\n", p, i, results.back().rc);
            if (results.back().eyesClose) ++close;
        }
    const int total = kPersons * kImages;
    std::printf("processed %d of %d (%.1f %%); eyes within 0.1 unit: %d (%.1f %%)\n", processed,
                total, 100.0 * processed / total, close, 100.0 * close / std::max(processed, 1));
    EXPECT_GE(processed * 100, 95 * total);
    EXPECT_GE(close * 100, 95 * processed);

    // Every frame against image 01 of every person: own above every stranger.
    int ranked = 0;
    for (int k = 0; k < total; ++k) {
        const int person = k / kImages;
        std::int32_t own = INT32_MIN, stranger = INT32_MIN;
        for (int q = 0; q < kPersons; ++q) {
            const Processed& ref = results[q * kImages];
            if (ref.rc != kOk) continue;
            std::int32_t score = INT32_MIN;
            const int rc = matchItems(state, frames[k].pixels.data(), ref.descriptor.data(), &score,
                                      facegen::kWidth, facegen::kHeight);
            if (rc != kOk) score = INT32_MIN;
            (q == person ? own : stranger) = std::max(q == person ? own : stranger, score);
        }
        if (own > stranger) ++ranked;
    }
    std::printf("own above every stranger: %d of %d (%.1f %%)\n", ranked, total,
                100.0 * ranked / total);
    EXPECT_GE(ranked * 100, 95 * total);
}

}  // namespace
}  // namespace ovfc
