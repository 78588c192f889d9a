// The pipeline and the comparison vector end to end on generated frames: status codes, the
// modes, the manual modes, the base file, determinism and the probe search cache.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "compare/comparison_vector.h"
#include "descriptor_blob.h"
#include "dev_library.h"
#include "face_calls.h"
#include "facegen.h"
#include "filters/resample.h"
#include "geometry/face_geometry.h"
#include "geometry/region_cache.h"
#include "geometry/rotated_region.h"
#include "pipeline.h"
#include "pipeline/base_file.h"
#include "pool_scratch.h"
#include "score.h"
#include "test_files.h"

namespace ovfc {
namespace {

using ovfc_test::DevLibrary;
using ovfc_test::takeIn;

constexpr int W = facegen::kWidth, H = facegen::kHeight;

struct Descriptor {
    int rc = -1;
    std::vector<std::uint8_t> blob = std::vector<std::uint8_t>(kMaxBlobSize, 0);
    std::int16_t size = 0;
};

Descriptor describe(LibraryState& state, const std::vector<std::uint8_t>& px,
                    const ProcessOptions* options = nullptr) {
    Descriptor d;
    d.rc =
        createDescriptor(state, px.data(), W, H, nullptr, nullptr, d.blob.data(), &d.size, options);
    return d;
}

class Pipeline : public ::testing::Test {
  protected:
    DevLibrary lib;
    const facegen::Frame frame = facegen::generateFrame(1, 3, 1);
    const facegen::Frame other = facegen::generateFrame(1, 3, 4);
};

TEST_F(Pipeline, CodesOfMissingMasksAndOfNoFace) {
    lib.set("param", "Face_cand_num", "0");
    EXPECT_EQ(describe(lib.state, frame.pixels).rc, kNoFace) << "no candidate kept";
    lib.set("param", "Face_cand_num", "3");
    lib.set("param", "FirstTR", "100000");
    EXPECT_EQ(describe(lib.state, frame.pixels).rc, kNoFace) << "no pair reaches FirstTR";
    lib.set("param", "FirstTR", "0");
    ASSERT_EQ(describe(lib.state, frame.pixels).rc, kOk);

    lib.state.defaultMasks.find(kMouth)->id = 99;
    EXPECT_EQ(describe(lib.state, frame.pixels).rc, kBadDescriptor) << "no default mouth mask";
    lib.state.defaultMasks.find(kEyeLeft)->id = 98;
    EXPECT_EQ(describe(lib.state, frame.pixels).rc, kBadDescriptor) << "no default eye mask";
    lib.state.defaultMasks.find(kFace)->id = 97;
    EXPECT_EQ(describe(lib.state, frame.pixels).rc, kBadDescriptor) << "no face mask";
}

TEST_F(Pipeline, ProcessingIsDeterministicAndCutsTenMasks) {
    const Descriptor a = describe(lib.state, frame.pixels);
    const Descriptor b = describe(lib.state, frame.pixels);
    ASSERT_EQ(a.rc, kOk);
    EXPECT_EQ(a.blob, b.blob);
    MaskSet set(lib.state.pool);
    ASSERT_EQ(set.read(a.blob.data(), kMaxBlobSize, 0), kOk);
    ASSERT_EQ(set.count(), 10);
    EXPECT_EQ(set[0].id, kFace);
    EXPECT_EQ(set[9].id, kNoseWings);
    EXPECT_EQ(set.find(kFace)->score, 255u);
    EXPECT_LE(set.find(kEyeLeft)->score, 255u);
    EXPECT_EQ(set.find(kMouth)->score, 0u) << "elements other than face, eyes, nose carry 0";
    EXPECT_EQ(set.find(kNose)->centreX, set.find(kNoseWings)->centreX);

    // The person-mask eye refinement never runs when a descriptor is made.
    lib.set("param", "base2_eye_step", "2");
    EXPECT_EQ(describe(lib.state, frame.pixels).blob, a.blob);
    // Smoothing before the cut changes the pixels, not the positions.
    lib.set("param", "mask_filt", "0.5");
    const Descriptor s = describe(lib.state, frame.pixels);
    ASSERT_EQ(s.rc, kOk);
    MaskSet smooth(lib.state.pool);
    ASSERT_EQ(smooth.read(s.blob.data(), kMaxBlobSize, 0), kOk);
    EXPECT_EQ(smooth.find(kMouth)->centreY, set.find(kMouth)->centreY);
    EXPECT_NE(s.blob, a.blob);
}

TEST_F(Pipeline, MatchingSearchesTheElementsWithThePersonsMasks) {
    const Descriptor d = describe(lib.state, frame.pixels);
    ASSERT_EQ(d.rc, kOk);
    std::int32_t own = 0, self = 0;
    ASSERT_EQ(matchItems(lib.state, other.pixels.data(), d.blob.data(), &own, W, H), kOk);
    ASSERT_EQ(matchItems(lib.state, frame.pixels.data(), d.blob.data(), &self, W, H), kOk);
    EXPECT_GT(self, own) << "the enrolment image fits its own masks best";

    // The eye refinement with the person's eye masks keeps or improves the enrolment image's
    // own fit.
    lib.set("param", "base2_eye_step", "2");
    std::int32_t refined = 0;
    ASSERT_EQ(matchItems(lib.state, frame.pixels.data(), d.blob.data(), &refined, W, H), kOk);
    EXPECT_GE(refined, self - 2);
    lib.set("param", "base2_eye_step", "0");

    // A descriptor without a mouth mask: matching needs it, creation does not.
    MaskSet set(lib.state.pool);
    ASSERT_EQ(set.read(d.blob.data(), kMaxBlobSize, kKeepPixels), kOk);
    set.find(kMouth)->id = 77;
    std::vector<std::uint8_t> cut(kMaxBlobSize, 0);
    ASSERT_EQ(set.write(cut.data(), cut.size()), kOk);
    EXPECT_EQ(matchItems(lib.state, other.pixels.data(), cut.data(), &own, W, H), kBadDescriptor);

    // The perfect fit: the enrolment image against its own masks at its own positions.
    FaceContext ctx(lib.state);
    takeIn(ctx, frame.pixels, W, H);
    ASSERT_EQ(ctx.masks.read(d.blob.data(), kMaxBlobSize, kNormalise), kOk);
    ASSERT_EQ(ProcessForMatching(ctx), kOk);
    ctx.filterMask = 1;  // the grey template alone
    ctx.filterCount = 1;
    std::int32_t v[kVectorEntries];
    ASSERT_EQ(BuildComparisonVector(ctx, v), kOk);
    for (std::uint32_t e = 0; e < ctx.elementCount; ++e) EXPECT_EQ(v[e], 0) << kElementNames[e];
}

TEST_F(Pipeline, ComparisonVectorFilterSelectionAndFailures) {
    const Descriptor d = describe(lib.state, frame.pixels);
    ASSERT_EQ(d.rc, kOk);
    FaceContext ctx(lib.state);
    takeIn(ctx, other.pixels, W, H);
    ASSERT_EQ(ctx.masks.read(d.blob.data(), kMaxBlobSize, kNormalise), kOk);
    ASSERT_EQ(ProcessForMatching(ctx), kOk);

    std::int32_t v[kVectorEntries];
    std::fill(std::begin(v), std::end(v), -5);
    ctx.filterMask = 0;
    ctx.filterCount = 0;
    EXPECT_EQ(BuildComparisonVector(ctx, v), kOk);
    EXPECT_EQ(v[0], -5) << "nothing written without filters";

    ctx.filterMask = 7;
    ctx.filterCount = 3;
    ASSERT_EQ(BuildComparisonVector(ctx, v), kOk);
    for (int i = 0; i < 8 * 3; ++i) {
        EXPECT_GE(v[i], 0);
        EXPECT_LE(v[i], 30000);
    }
    EXPECT_EQ(v[8 * 3], -5) << "eight elements of three entries";

    PoolScratch scratch(lib.state.pool);
    EXPECT_EQ(ComputeElementEntries(ctx, scratch, kNose, nullptr, v), kBadDescriptor);
    ctx.unit.unit = 2000;  // the region would be far larger than the image
    EXPECT_EQ(ComputeElementEntries(ctx, scratch, kNose, ctx.masks.find(kNose), v), kGeometry);
}

TEST_F(Pipeline, ManualModesStartFromTheGivenPositions) {
    ProcessOptions o;
    o.haveEyes = true;
    o.xl = static_cast<int>(frame.eyes.xr);  // given in either order
    o.yl = static_cast<int>(frame.eyes.yr);
    o.xr = static_cast<int>(frame.eyes.xl);
    o.yr = static_cast<int>(frame.eyes.yl);
    lib.set("param", "r_manual", "2");
    const Descriptor d = describe(lib.state, frame.pixels, &o);
    ASSERT_EQ(d.rc, kOk);
    MaskSet set(lib.state.pool);
    ASSERT_EQ(set.read(d.blob.data(), kMaxBlobSize, 0), kOk);
    EXPECT_EQ(set.find(kEyeLeft)->centreX, static_cast<std::uint32_t>(frame.eyes.xl));
    EXPECT_EQ(set.find(kEyeRight)->centreY, static_cast<std::uint32_t>(frame.eyes.yr));

    lib.set("param", "r_manual", "3");
    o.haveNose = true;
    o.noseX = 120;
    o.noseY = 170;
    ASSERT_EQ(describe(lib.state, frame.pixels, &o).rc, kOk);

    // Mode 1 only copies the face record into the full-face record.
    lib.set("param", "r_manual", "1");
    FaceContext ctx(lib.state);
    takeIn(ctx, frame.pixels, W, H);
    ctx.face.xMin = 11;
    ctx.face.xC = 22;
    ctx.face.yMax = 33;
    ctx.face.yFixed = 1;
    ctx.elements[kNose].xC = 44;
    ctx.mode = Mode::Creation;
    ctx.elementCount = kElementCount;
    ASSERT_EQ(RunPipeline(ctx), kOk);
    EXPECT_EQ(ctx.elements[kFullFace].xMin, 11);
    EXPECT_EQ(ctx.elements[kFullFace].xC, 22);
    EXPECT_EQ(ctx.elements[kFullFace].yMax, 33);
    EXPECT_EQ(ctx.elements[kFullFace].yFixed, 1);
    EXPECT_EQ(ctx.elements[kNose].xC, 44);
}

TEST_F(Pipeline, BaseFileRecordsAndReplacesTheSearch) {
    ovfc_test::TempDir dir;
    const std::string base = dir.file("face.base");
    ProcessOptions o;
    o.baseFile = base.c_str();
    lib.set("param", "usebase", "1");
    const Descriptor d = describe(lib.state, frame.pixels, &o);
    ASSERT_EQ(d.rc, kOk);
    std::ifstream in(base, std::ios::binary);
    const std::vector<std::uint8_t> rec((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
    ASSERT_EQ(rec.size(), kBaseRecordSize);
    EXPECT_EQ(std::string(rec.begin(), rec.begin() + 4), "OVFC");
    EXPECT_EQ(rec[20], 1) << "creation mode";
    MaskSet set(lib.state.pool);
    ASSERT_EQ(set.read(d.blob.data(), kMaxBlobSize, 0), kOk);
    const std::uint32_t xl = rec[24] | rec[25] << 8 | rec[26] << 16 | rec[27] << 24;
    EXPECT_EQ(xl, set.find(kEyeLeft)->centreX);

    // Matching with usebase 2 takes the face and the eyes from the file: no search runs, so
    // a flat image (where the eye search finds nothing) still gets a score.
    lib.set("param", "gamma", "0");  // a flat image is refused by the grey stretch
    FaceContext ctx(lib.state);
    const std::vector<std::uint8_t> grey(static_cast<std::size_t>(W) * H, 120);
    takeIn(ctx, grey, W, H);
    std::snprintf(ctx.image.baseFile, sizeof ctx.image.baseFile, "%s", base.c_str());
    ASSERT_EQ(ctx.masks.read(d.blob.data(), kMaxBlobSize, kNormalise), kOk);
    lib.set("param", "usebase", "2");
    ASSERT_EQ(ProcessForMatching(ctx), kOk);
    EXPECT_EQ(static_cast<std::uint32_t>(ctx.elements[kEyeLeft].xC), xl);
    lib.set("param", "usebase", "0");
    FaceContext plain(lib.state);
    takeIn(plain, grey, W, H);
    ASSERT_EQ(plain.masks.read(d.blob.data(), kMaxBlobSize, kNormalise), kOk);
    const int searched = ProcessForMatching(plain);
    EXPECT_TRUE(searched == kGeometry || searched == kNoFace) << "without the file: " << searched;

    // A short record is not read; an unnamed base file is inert.
    ovfc_test::writeBytes(base, std::vector<std::uint8_t>(39, 0));
    EXPECT_FALSE(ReadBaseFile(ctx, 2));
    ctx.image.baseFile[0] = '\0';
    EXPECT_FALSE(ReadBaseFile(ctx, 2));
}

TEST_F(Pipeline, CachedProbeSearchGivesTheSameScores) {
    std::vector<Descriptor> people;
    for (int p = 1; p <= 4; ++p)
        people.push_back(describe(lib.state, facegen::generateFrame(1, p, 1).pixels));
    auto scores = [&] {
        std::vector<std::int32_t> s;
        for (const Descriptor& d : people) {
            std::int32_t v = 0;
            EXPECT_EQ(matchItems(lib.state, other.pixels.data(), d.blob.data(), &v, W, H), kOk);
            s.push_back(v);
        }
        return s;
    };
    const std::uint64_t hits = lib.state.probeCache.hits();
    const auto cached = scores();
    EXPECT_EQ(lib.state.probeCache.hits() - hits, people.size() - 1) << "one search, reused";
    lib.state.probeCache.enabled = false;
    EXPECT_EQ(scores(), cached);
    lib.state.probeCache.enabled = true;
    // A changed parameter of the search is a new key.
    lib.set("param", "eye_cand", "6");
    const std::uint64_t before = lib.state.probeCache.hits();
    EXPECT_EQ(scores(), cached);
    EXPECT_EQ(lib.state.probeCache.hits() - before, people.size() - 1);
}

// The score step measures only the entries the score reads: same scores at every unit as
// with the whole vector, the same entries where it measures, the same failures.
TEST_F(Pipeline, ScoredVectorGivesTheScoresOfTheWholeVector) {
    std::vector<Descriptor> people;
    for (int p = 1; p <= 3; ++p)
        people.push_back(describe(lib.state, facegen::generateFrame(1, p, 1).pixels));
    auto compareAll = [&] {
        for (const Descriptor& d : people) {
            if (d.rc != kOk) continue;
            FaceContext ctx(lib.state);
            takeIn(ctx, other.pixels, W, H);
            ASSERT_EQ(ctx.masks.read(d.blob.data(), kMaxBlobSize, kNormalise), kOk);
            if (ProcessForMatching(ctx) != kOk) continue;
            std::uint32_t positions[kElementCount] = {};
            ScoredEntries(ctx, positions);
            const std::int32_t u0 = ctx.unit.unit;
            for (std::int32_t u = u0 - 3; u <= u0 + 3; ++u) {
                ctx.unit.unit = u;
                std::int32_t whole[kVectorEntries], scored[kVectorEntries];
                const int rc = BuildComparisonVector(ctx, whole);
                ASSERT_EQ(BuildScoredVector(ctx, scored), rc) << u;
                if (rc != kOk) continue;
                EXPECT_EQ(SimilarityScore(ctx.config, ctx.elementCount, ctx.filterMask, scored),
                          SimilarityScore(ctx.config, ctx.elementCount, ctx.filterMask, whole));
                for (std::uint32_t e = 0; e < ctx.elementCount; ++e) {
                    for (std::uint32_t k = 0; k < ctx.filterCount; ++k) {
                        if ((positions[e] & (1u << k)) == 0) continue;
                        EXPECT_EQ(scored[e * ctx.filterCount + k], whole[e * ctx.filterCount + k]);
                    }
                }
            }
            // The failures of an element that measures nothing stay those of the whole one.
            for (std::uint32_t e = 0; e < ctx.elementCount; ++e) positions[e] = 0;
            PoolScratch scratch(lib.state.pool);
            std::int32_t v[kVectorEntries];
            ctx.unit.unit = u0;
            EXPECT_EQ(ComputeElementEntriesAt(ctx, scratch, kNose, nullptr, 0, v), kBadDescriptor);
            EXPECT_EQ(ComputeElementEntriesAt(ctx, scratch, kNose, ctx.masks.find(kNose), 0, v),
                      kOk);
            ctx.unit.unit = 2000;
            EXPECT_EQ(ComputeElementEntriesAt(ctx, scratch, kNose, ctx.masks.find(kNose), 0, v),
                      kGeometry);
        }
    };
    compareAll();
    // Fewer entries on (whole elements measuring nothing), and only the core elements.
    for (const char* key : {"fface2_on", "fface6_on", "eyel3_on", "eyer3_on", "nose4_on"})
        lib.set("det", key, "0");
    compareAll();
    lib.set("param", "Number_of_face_elements", "4");
    compareAll();
}

TEST_F(Pipeline, KeptRegionsGiveTheScoresOfResampledOnes) {
    std::vector<Descriptor> people;
    for (int p = 1; p <= 4; ++p)
        people.push_back(describe(lib.state, facegen::generateFrame(1, p, 1).pixels));
    RegionCache regions;
    auto scores = [&](RegionCache* cache) {
        std::vector<std::int32_t> s;
        for (const Descriptor& d : people) {
            std::int32_t v = 0;
            const int rc = matchItems(lib.state, lib.state.pool, cache, other.pixels.data(),
                                      d.blob.data(), &v, W, H);
            s.push_back(rc == kOk ? v : -1000 - rc);
        }
        return s;
    };
    const auto resampled = scores(nullptr);
    EXPECT_EQ(scores(&regions), resampled);
    const std::uint64_t hits = regions.hits();
    EXPECT_GT(hits, 0u) << "the probe's regions come back for every descriptor";
    EXPECT_EQ(scores(&regions), resampled);
    EXPECT_GT(regions.hits(), hits);
    EXPECT_GT(regions.filtered().hits(), 0u) << "and their filtered copies and scan tables";
    // Another probe drops them: its regions are its own.
    std::int32_t v = 0;
    ASSERT_EQ(matchItems(lib.state, lib.state.pool, &regions, frame.pixels.data(),
                         people[1].blob.data(), &v, W, H),
              matchItems(lib.state, lib.state.pool, nullptr, frame.pixels.data(),
                         people[1].blob.data(), &v, W, H));
}

TEST(RegionCache, KeepsRegionsOfTheBoundImageOnly) {
    facegen::Frame f = facegen::generateFrame(1, 2, 1);
    const ImageView image{f.pixels.data(), W, H, W};
    RotatedGeometry g;
    RegionRequest q{.xMin = 120,
                    .xMax = 120,
                    .yMin = 110,
                    .yMax = 110,
                    .scale = 0.4,
                    .maskW = 17,
                    .maskH = 13,
                    .minW = 25,
                    .minH = 21};
    ASSERT_EQ(RotatedRegion(W, H, 0.05, q, g), kOk);
    std::vector<std::uint8_t> fresh(static_cast<std::size_t>(g.width) * g.height);
    ResampleRotated(image, g.ox, g.oy, g.scale, g.cx, g.sx,
                    ImageSpan{fresh.data(), g.width, g.height, g.width});
    RegionCache cache;
    std::vector<std::uint8_t> out(fresh.size(), 0);
    EXPECT_FALSE(cache.find(g, out.data())) << "nothing bound";
    ASSERT_TRUE(cache.bind(image));
    cache.keep(g, fresh.data());
    ASSERT_TRUE(cache.find(g, out.data()));
    EXPECT_EQ(out, fresh);
    RotatedGeometry moved = g;
    moved.ox += 1e-9;
    EXPECT_FALSE(cache.find(moved, out.data())) << "a geometry is found only exactly";
    ASSERT_TRUE(cache.bind(image));
    EXPECT_TRUE(cache.find(g, out.data())) << "the same pixels keep the regions";
    f.pixels[5000] ^= 1;
    ASSERT_TRUE(cache.bind(image));
    EXPECT_FALSE(cache.find(g, out.data())) << "one changed pixel drops them";
}

TEST_F(Pipeline, CacheKeepsTheSearchesOfSeveralProbes) {
    // A statistics run: the same probes come back in turn, each against another descriptor.
    std::vector<Descriptor> people;
    std::vector<facegen::Frame> probes;
    for (int p = 1; p <= 3; ++p) {
        people.push_back(describe(lib.state, facegen::generateFrame(1, p, 1).pixels));
        probes.push_back(facegen::generateFrame(1, p, 2));
    }
    auto scores = [&] {
        std::vector<std::int32_t> s;
        for (const Descriptor& d : people)
            for (const facegen::Frame& probe : probes) {
                std::int32_t v = 0;
                const int rc = matchItems(lib.state, probe.pixels.data(), d.blob.data(), &v, W, H);
                s.push_back(rc == kOk ? v : -1000 - rc);
            }
        return s;
    };
    const std::uint64_t before = lib.state.probeCache.hits();
    const auto cached = scores();
    EXPECT_EQ(lib.state.probeCache.hits() - before, people.size() * probes.size() - probes.size())
        << "each probe searched once";
    lib.state.probeCache.enabled = false;
    EXPECT_EQ(scores(), cached);
    lib.state.probeCache.enabled = true;
    lib.state.probeCache.clear();
    const std::uint64_t cleared = lib.state.probeCache.hits();
    EXPECT_EQ(scores(), cached);
    EXPECT_EQ(lib.state.probeCache.hits() - cleared, people.size() * probes.size() - probes.size());
}

}  // namespace
}  // namespace ovfc
