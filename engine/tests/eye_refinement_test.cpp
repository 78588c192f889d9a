// The refinement of the probe's eyes with the person's eye masks under the shipped
// configuration: eyes that drift out of what the comparison can use give way to the eyes the
// search found, and a probe whose own eyes cannot be used still fails.
#include <gtest/gtest.h>

#include <vector>

#include "descriptor_blob.h"
#include "face_calls.h"
#include "facegen.h"
#include "library_state.h"
#include "load_config.h"
#include "status.h"

namespace ovfc {
namespace {

constexpr int W = facegen::kWidth, H = facegen::kHeight;
constexpr std::uint64_t kSeed = 1;  // the facegen command's default: the README's main job

class EyeRefinement : public ::testing::Test {
  protected:
    LibraryState state;
    void SetUp() override {
        ASSERT_EQ(loadConfiguration(state, OVFC_SOURCE_DIR "/config/ovfc.ini"), kOk);
        ASSERT_EQ(state.config.readInt("param", "base2_eye_step"), 1);
    }
    std::vector<std::uint8_t> descriptorOf(int person, int image, std::uint64_t seed = kSeed) {
        std::vector<std::uint8_t> blob(kMaxBlobSize, 0);
        std::int16_t size = 0;
        const auto frame = facegen::generateFrame(seed, person, image);
        EXPECT_EQ(createDescriptor(state, frame.pixels.data(), W, H, nullptr, nullptr, blob.data(),
                                   &size),
                  kOk);
        return blob;
    }
    int match(const std::vector<std::uint8_t>& person, int probePerson, int probeImage, int steps,
              std::int32_t& score) {
        return matchWith(kSeed, person, probePerson, probeImage, steps, score);
    }
    int matchWith(std::uint64_t seed, const std::vector<std::uint8_t>& person, int probePerson,
                  int probeImage, int steps, std::int32_t& score) {
        EXPECT_EQ(state.config.set("param", "base2_eye_step", std::to_string(steps).c_str()), kOk);
        const auto probe = facegen::generateFrame(seed, probePerson, probeImage);
        score = -1;
        return matchItems(state, probe.pixels.data(), person.data(), &score, W, H);
    }
};

TEST_F(EyeRefinement, DriftedEyesGiveTheScoreOfTheUnrefinedComparison) {
    // The first person's fifth face against the second person's fifth frame: the refined
    // eyes leave the valid range.
    const auto person = descriptorOf(1, 5);
    std::int32_t unrefined = 0, refined = 0;
    ASSERT_EQ(match(person, 2, 5, 0, unrefined), kOk);
    ASSERT_EQ(match(person, 2, 5, 1, refined), kOk);
    EXPECT_EQ(refined, unrefined);
    EXPECT_GT(refined, 0);
}

TEST_F(EyeRefinement, RefinedEyesTheComparisonCannotUseGiveTheUnrefinedScore) {
    // Seed 5, person 3's first face against person 7's second frame: the refined eyes pass
    // the pipeline, but the comparison's unit search at them leaves the image.
    const auto person = descriptorOf(3, 1, 5);
    std::int32_t unrefined = 0, refined = 0;
    ASSERT_EQ(matchWith(5, person, 7, 2, 0, unrefined), kOk);
    ASSERT_EQ(matchWith(5, person, 7, 2, 1, refined), kOk);
    EXPECT_EQ(refined, unrefined);
    EXPECT_GT(refined, 0);
}

TEST_F(EyeRefinement, RefinementThatStaysInRangeStillCounts) {
    // The person's own sixth frame: the refined eyes fit better and are kept (330 against
    // 295 at the eyes the search found).
    const auto person = descriptorOf(1, 1);
    std::int32_t unrefined = 0, refined = 0;
    ASSERT_EQ(match(person, 1, 6, 0, unrefined), kOk);
    ASSERT_EQ(match(person, 1, 6, 1, refined), kOk);
    EXPECT_GT(refined, unrefined);
}

TEST_F(EyeRefinement, AProbeWhoseOwnEyesCannotBeUsedStillFails) {
    // Person 7's first frame gives no usable eye pair under the shipped configuration.
    const auto person = descriptorOf(1, 1);
    std::int32_t score = 0;
    EXPECT_EQ(match(person, 7, 1, 0, score), kGeometry);
    EXPECT_EQ(match(person, 7, 1, 1, score), kGeometry);
}

}  // namespace
}  // namespace ovfc
