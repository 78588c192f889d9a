// The exported interface entered from several threads at once: processing, comparisons and
// configuration changes (values set to what they hold, reloads of the same file) give every
// result exactly as one thread alone. Run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "facegen.h"
#include "ovfc32.h"

namespace {

constexpr int W = facegen::kWidth, H = facegen::kHeight;
constexpr int kPersons = 4;

struct Described {
    int rc = -1;
    std::vector<std::uint8_t> blob = std::vector<std::uint8_t>(OVFC_MAX_DESCRIPTOR_SIZE, 0);
    std::int16_t size = 0;
};

struct Matched {
    int rc = -1;
    std::int32_t score = 0;
};

Described describe(const std::vector<std::uint8_t>& px) {
    Described d;
    d.rc = OvfcProcessingEx(px.data(), d.blob.data(), &d.size, W, H);
    return d;
}

Matched match(const std::vector<std::uint8_t>& probe, const std::vector<std::uint8_t>& blob) {
    Matched m;
    m.rc = OvfcMatchEx(probe.data(), blob.data(), &m.score, W, H);
    return m;
}

bool same(const Described& a, const Described& b) {
    return a.rc == b.rc && a.size == b.size && a.blob == b.blob;
}

class Threads : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OvfcLoadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        for (int p = 1; p <= kPersons; ++p) {
            enrolled.push_back(facegen::generateFrame(1, p, 1).pixels);
            probes.push_back(facegen::generateFrame(1, p, 2).pixels);
        }
        // One thread alone: the results every thread must reproduce.
        for (const auto& px : enrolled) descriptors.push_back(describe(px));
        for (const auto& probe : probes)
            for (const Described& d : descriptors) scores.push_back(match(probe, d.blob));
        int processed = 0;
        for (const Described& d : descriptors) processed += d.rc == 0 ? 1 : 0;
        ASSERT_GE(processed, 2) << "the generated faces must process";
    }
    void TearDown() override { OvfcDone(); }

    std::vector<std::vector<std::uint8_t>> enrolled, probes;
    std::vector<Described> descriptors;
    std::vector<Matched> scores;  // probe-major
};

TEST_F(Threads, ProcessingAndMatchingGiveTheResultsOfOneThread) {
    constexpr int kWorkers = 4, kRounds = 2;
    std::atomic<int> wrong{0}, done{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            for (int round = 0; round < kRounds; ++round) {
                // Each worker starts elsewhere, so that different calls overlap.
                for (int k = 0; k < kPersons; ++k) {
                    const int e = (k + w) % kPersons;
                    if (!same(describe(enrolled[e]), descriptors[e])) ++wrong;
                    for (int p = 0; p < kPersons; ++p) {
                        const int q = (p + w + round) % kPersons;
                        const Matched m = match(probes[q], descriptors[e].blob);
                        const Matched& want = scores[q * kPersons + e];
                        if (m.rc != want.rc || (m.rc == 0 && m.score != want.score)) ++wrong;
                    }
                }
            }
            ++done;
        });
    }
    // Meanwhile the configuration changes without changing a value: every change waits for
    // the running calls and invalidates the kept probe searches.
    std::atomic<int> configErrors{0};
    std::thread changer([&] {
        int n = 0;
        while (done.load() < kWorkers) {
            char value[40] = {};
            if (OvfcGetParam("param", "eye_cand", value) != 0) ++configErrors;
            if (OvfcSetParam("param", "eye_cand", value) != 0) ++configErrors;
            if (++n % 8 == 0 && OvfcLoadConfig(OVFC_SYNTHETIC_CONFIG) != 0) ++configErrors;
            FaceElementInfo table[8];
            std::uint16_t count = 8;
            if (OvfcFaceInfo(nullptr, table, 0, &count) != 0 || count > 8) ++configErrors;
            std::this_thread::yield();
        }
    });
    for (std::thread& t : workers) t.join();
    changer.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(configErrors.load(), 0);
}

TEST_F(Threads, TheLastMatchTableIsOneComparisonsWhole) {
    // Tables of each enrolled face compared with its own probe, one thread alone.
    std::vector<int> good;
    std::vector<std::vector<FaceElementInfo>> tables;
    for (int p = 0; p < kPersons; ++p) {
        if (descriptors[p].rc != 0 || match(probes[p], descriptors[p].blob).rc != 0) continue;
        FaceElementInfo t[8] = {};
        std::uint16_t count = 8;
        ASSERT_EQ(OvfcFaceInfo(nullptr, t, 0, &count), 0);
        ASSERT_GT(count, 0);
        tables.emplace_back(t, t + count);
        good.push_back(p);
    }
    ASSERT_FALSE(good.empty());
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop.load()) {
            FaceElementInfo t[8] = {};
            std::uint16_t count = 8;
            if (OvfcFaceInfo(nullptr, t, 0, &count) != 0) ++torn;
            bool known = false;
            for (const auto& want : tables)
                known = known || (want.size() == count &&
                                  std::memcmp(want.data(), t, count * sizeof *t) == 0);
            if (!known) ++torn;
        }
    });
    std::vector<std::thread> matchers;
    for (int w = 0; w < 2; ++w)
        matchers.emplace_back([&, w] {
            for (int k = 0; k < 2 * kPersons; ++k) {
                const int p = good[(k + w) % good.size()];
                (void)match(probes[p], descriptors[p].blob);
            }
        });
    for (std::thread& t : matchers) t.join();
    stop = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0) << "a table mixed from two comparisons, or an unknown one";
}

}  // namespace
