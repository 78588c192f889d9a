// Heap use of the processing and comparison calls: once the first calls have grown the block
// pool and the probe cache, further calls allocate nothing.
#include <gtest/gtest.h>

#include <vector>

#include "counting_new.h"
#include "descriptor_blob.h"
#include "face_calls.h"
#include "facegen.h"
#include "library_state.h"
#include "load_config.h"
#include "status.h"

namespace ovfc {
namespace {

constexpr int W = facegen::kWidth, H = facegen::kHeight;

TEST(Allocation, NoHeapAfterTheFirstCalls) {
    LibraryState state;
    ASSERT_EQ(loadConfiguration(state, OVFC_SYNTHETIC_CONFIG), kOk);
    std::vector<facegen::Frame> frames;
    for (int p = 1; p <= 3; ++p) frames.push_back(facegen::generateFrame(1, p, 2));
    std::vector<std::vector<std::uint8_t>> descriptors(3, std::vector<std::uint8_t>(kMaxBlobSize));
    std::int16_t size = 0;
    std::int32_t score = 0;
    auto run = [&] {
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(createDescriptor(state, frames[k].pixels.data(), W, H, nullptr, nullptr,
                                       descriptors[k].data(), &size),
                      kOk);
        for (int probe = 0; probe < 3; ++probe)  // fresh and cached probes
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(matchItems(state, frames[probe].pixels.data(), descriptors[k].data(),
                                     &score, W, H),
                          kOk);
    };
    run();
    const long before = ovfc_test::allocationCount();
    ASSERT_GT(before, 0) << "the first calls grow the pool: the counter must see them";
    run();
    EXPECT_EQ(ovfc_test::allocationCount() - before, 0);
}

}  // namespace
}  // namespace ovfc
