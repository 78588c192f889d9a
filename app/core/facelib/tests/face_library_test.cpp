// The gate into the face library: calls from several threads give the single-threaded
// results, a held lock keeps other threads out, parameters read and write through it.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "facegen.h"
#include "facelib/face_library.h"

namespace {

class FaceLibrary : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0); }
    void TearDown() override { facelib::done(); }
};

struct Results {
    std::vector<int> processRc;
    std::vector<std::vector<std::uint8_t>> descriptors;
    std::vector<int> matchRc;
    std::vector<std::int32_t> scores;
    std::vector<std::uint16_t> elementCounts;
};

constexpr int kFrames = 3;

// Processes every frame, then matches every descriptor with every frame.
Results runAll(const std::vector<facegen::Frame>& frames) {
    Results r;
    for (const auto& f : frames) {
        std::vector<std::uint8_t> d(facelib::kDescriptorSize, 0);
        r.processRc.push_back(
            facelib::process(f.pixels.data(), facegen::kWidth, facegen::kHeight, d.data()));
        FaceElementInfo info[8] = {};
        std::uint16_t count = 8;
        facelib::faceInfo(d.data(), info, count);
        r.elementCounts.push_back(count);
        r.descriptors.push_back(std::move(d));
    }
    for (const auto& d : r.descriptors) {
        for (const auto& f : frames) {
            std::int32_t score = -1;
            r.matchRc.push_back(facelib::match(f.pixels.data(), d.data(), facegen::kWidth,
                                               facegen::kHeight, score));
            r.scores.push_back(score);
        }
    }
    return r;
}

TEST_F(FaceLibrary, FourThreadsGiveTheSingleThreadedResults) {
    std::vector<facegen::Frame> frames;
    for (int i = 1; i <= kFrames; ++i) frames.push_back(facegen::generateFrame(7, i, 1));
    const Results expected = runAll(frames);
    ASSERT_EQ(expected.processRc[0], 0) << "a generated face is processed";

    constexpr int kThreads = 4;
    std::array<Results, kThreads> got;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] { got[static_cast<std::size_t>(t)] = runAll(frames); });
    for (auto& t : threads) t.join();
    for (const Results& r : got) {
        EXPECT_EQ(r.processRc, expected.processRc);
        EXPECT_EQ(r.descriptors, expected.descriptors);
        EXPECT_EQ(r.matchRc, expected.matchRc);
        EXPECT_EQ(r.scores, expected.scores);
        EXPECT_EQ(r.elementCounts, expected.elementCounts);
    }
}

TEST_F(FaceLibrary, HoldKeepsOtherThreadsOutAndAllowsOwnCalls) {
    std::atomic<bool> entered{false};
    std::thread other;
    {
        const auto lock = facelib::hold();
        other = std::thread([&] {
            facelib::version();
            entered = true;
        });
        EXPECT_FALSE(facelib::version().empty()) << "the holder may call in";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(entered.load()) << "another thread waits while the lock is held";
    }
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST_F(FaceLibrary, ANestedHoldEndsWithoutLettingOtherThreadsIn) {
    std::atomic<bool> entered{false};
    std::thread other;
    {
        const auto outer = facelib::hold();
        { const auto inner = facelib::hold(); }
        other = std::thread([&] {
            facelib::version();
            entered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(entered.load()) << "the outer hold still keeps the other thread out";
        EXPECT_FALSE(facelib::version().empty()) << "and still lets its own thread in";
    }
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST_F(FaceLibrary, ParametersThroughTheGate) {
    ASSERT_EQ(facelib::setParam("library", "OwnScoreTreshold", "163"), 0);
    std::string value = "keep";
    ASSERT_TRUE(facelib::getParam("library", "ownscoretreshold", value));
    EXPECT_EQ(value, "163");
    value = "keep";
    EXPECT_FALSE(facelib::getParam("library", "NoSuchKey", value));
    EXPECT_EQ(value, "keep") << "a missing parameter leaves the text";
    facelib::done();
    EXPECT_FALSE(facelib::getParam("library", "OwnScoreTreshold", value));
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(facelib::setParam("library", "OwnScoreTreshold", "1"), 2) << "not initialised";
}

}  // namespace
