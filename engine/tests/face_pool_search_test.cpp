// The face search inside the library: parameters from the store, the default face mask,
// work buffers from the block pool.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "config_store.h"
#include "face/find_faces.h"
#include "face_context.h"
#include "filters_test_util.h"
#include "library_state.h"
#include "pool_scratch.h"
#include "status.h"

namespace ovfc {
namespace {

TEST(PoolScratch, RoundsRequestsAndGivesEveryBlockBack) {
    BlockPool pool;
    {
        PoolScratch scratch(pool);
        void* a = scratch.take(100);
        void* b = scratch.take(5000);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(pool.slotSize(0), 256u);
        EXPECT_EQ(pool.slotSize(1), 8192u);
        scratch.giveBack(a);
        EXPECT_EQ(pool.blocksInUse(), 1);
        // A slightly different size reuses the same block.
        void* c = scratch.take(7000);
        EXPECT_EQ(pool.slotsUsed(), 3);
        scratch.giveBack(b);
        void* d = scratch.take(6000);
        EXPECT_EQ(d, b);
        EXPECT_NE(c, nullptr);
        EXPECT_EQ(scratch.blocksHeld(), 2);
    }
    EXPECT_EQ(pool.blocksInUse(), 0);
}

TEST(PoolScratch, FailsWhenItsSlotsOrThePoolAreExhausted) {
    BlockPool pool;
    PoolScratch scratch(pool);
    for (int i = 0; i < PoolScratch::kMaxBlocks; ++i) ASSERT_NE(scratch.take(10), nullptr);
    EXPECT_EQ(scratch.take(10), nullptr);
    // Other users of the pool hold the remaining slots: the pool itself refuses.
    std::vector<PoolBlock> rest;
    while (pool.slotsUsed() < BlockPool::kSlots) rest.push_back(pool.take(256));
    PoolScratch other(pool);
    EXPECT_EQ(other.take(10), nullptr);
    rest.clear();
    EXPECT_NE(other.take(10), nullptr);
}

// A configuration with the keys the face search and the context read.
void FillConfig(ConfigStore& c) {
    const char* param[][2] = {{"Number_of_face_elements", "8"},
                              {"using_descriptors_mask", "511"},
                              {"face_steps_num", "3"},
                              {"face_un_step", "0.2"},
                              {"eyes_start_unit", "0"},
                              {"face_start_unit", "20"},
                              {"d_weight", "0.5"},
                              {"scale_shift", "0"},
                              {"face_cond", "0"},
                              {"face_cond_shift", "2"},
                              {"Face_Rough_Tr", "3"},
                              {"search_tr", "1.5"},
                              {"max_tr", "200"},
                              {"variance_tr", "0.1"},
                              {"face_serch_inter", "0"},
                              {"face_edge_serch", "1"},
                              {"f_estimation_num", "2"},
                              {"extr_search_radi", "3"},
                              {"lap1_filt_mult", "2"},
                              {"lap2_filt_mult", "2"},
                              {"ConvI_inter", "0"}};
    for (auto& kv : param) ASSERT_EQ(c.set("param", kv[0], kv[1]), kOk);
    ASSERT_EQ(c.set("mask", "face_mask_unit", "10"), kOk);
    ASSERT_EQ(c.set("mask", "face_mask_y_shift", "1"), kOk);
}

struct Library {
    LibraryState state;
    std::vector<std::uint8_t> frame = test::BlobScene(120, 110, 60, 55, 20, 99).pixels;
    Library() {
        FillConfig(state.config);
        // The face mask: the disc at scale 0.5 (15 x 15, unit 20 -> 10), one row lower.
        std::vector<std::uint8_t> m(15 * 15);
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x) {
                const int sx = 46 + 2 * x, sy = 43 + 2 * y;
                const std::uint8_t* p = &frame[sy * 120 + sx];
                m[y * 15 + x] = static_cast<std::uint8_t>((p[0] + p[1] + p[120] + p[121]) / 4);
            }
        EXPECT_EQ(state.defaultMasks.reserve(1), kOk);
        EXPECT_EQ(state.defaultMasks.put(kFace, 60, 55, 255, 15, 15, m.data(), 15), kOk);
        Mask* fm = state.defaultMasks.find(kFace);
        EXPECT_EQ(fm->normalise(state.pool, fm->pixels.data()), kOk);
    }
    int search(int* x, int* y, int* s, int* u, int& n) {
        FaceContext ctx(state);
        ctx.image.pixels = state.pool.take(frame.size());
        std::memcpy(ctx.image.data(), frame.data(), frame.size());
        ctx.image.width = 120;
        ctx.image.height = 110;
        ctx.face.xMin = 20;
        ctx.face.xMax = 100;
        ctx.face.yMin = 20;
        ctx.face.yMax = 90;
        return FindFaces(ctx, 11, x, y, s, u, n);
    }
};

TEST(FindFacesInContext, FindsTheFaceAndReusesThePoolBlocks) {
    Library lib;
    int x[11], y[11], s[11], u[11], n = 0;
    ASSERT_EQ(lib.search(x, y, s, u, n), kOk);
    ASSERT_GE(n, 1);
    EXPECT_NEAR(x[0], 60, 3);
    EXPECT_NEAR(y[0], 55, 3);
    EXPECT_EQ(lib.state.pool.blocksInUse(), 2);  // the face mask's pixels and values
    const int slots = lib.state.pool.slotsUsed();
    // The second run needs no new block.
    ASSERT_EQ(lib.search(x, y, s, u, n), kOk);
    EXPECT_EQ(lib.state.pool.slotsUsed(), slots);
    EXPECT_EQ(lib.state.pool.blocksInUse(), 2);
}

TEST(FindFacesInContext, MissingMaskOrKeyAndAFullPool) {
    Library lib;
    int x[11], y[11], s[11], u[11], n = 0;
    // A missing key raises the configuration error.
    ConfigStore full = lib.state.config;
    lib.state.config.clear();
    FillConfig(lib.state.config);
    ASSERT_EQ(lib.search(x, y, s, u, n), kOk);
    ConfigStore partial;
    for (const auto& sec : full.sections())
        for (const auto& e : sec.entries)
            if (!equalNoCase(e.key, "extr_search_radi")) partial.set(sec.name, e.key, e.value);
    lib.state.config = partial;
    EXPECT_THROW(lib.search(x, y, s, u, n), XERRORINI);
    lib.state.config = full;
    // A pool without room for the work buffers: code 3, and nothing stays taken.
    {
        FaceContext ctx(lib.state);
        ctx.image.pixels = lib.state.pool.take(lib.frame.size());
        std::memcpy(ctx.image.data(), lib.frame.data(), lib.frame.size());
        ctx.image.width = 120;
        ctx.image.height = 110;
        ctx.face = {255, "face", 20, 0, 100, 0, 20, 0, 90, 0, 0, 0, 0, 0, 0, 0, 0};
        std::vector<PoolBlock> hog;
        while (lib.state.pool.slotsUsed() < BlockPool::kSlots)
            hog.push_back(lib.state.pool.take(8));
        const int taken = lib.state.pool.blocksInUse();
        EXPECT_EQ(FindFaces(ctx, 11, x, y, s, u, n), kNoMemory);
        EXPECT_EQ(lib.state.pool.blocksInUse(), taken);
    }
    // Without the face mask: 27.
    lib.state.defaultMasks.clear();
    EXPECT_EQ(lib.search(x, y, s, u, n), kBadDescriptor);
}

}  // namespace
}  // namespace ovfc
