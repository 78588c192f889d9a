// Rendered frames: determinism and what the frames show where the truth says.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "facegen.h"
#include "probe.h"

using namespace facegen;
using namespace facegen_test;

namespace {

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (const std::uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
    return h;
}

int differingPixels(const Frame& a, const Frame& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
    return n;
}

// The face cut out along the eye line and scaled to a fixed eye distance, normalised to
// mean 0 and deviation 1: u in [-1.1, 1.1], v in [-0.9, 1.9].
std::vector<double> alignedFace(const Frame& f) {
    constexpr int kCols = 34, kRows = 42;
    std::vector<double> out;
    out.reserve(kCols * kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            const Point p =
                toImage(f.eyes, -1.1 + 2.2 * c / (kCols - 1), -0.9 + 2.8 * r / (kRows - 1));
            out.push_back(sample(f.pixels, p.x, p.y));
        }
    }
    double mean = 0, var = 0;
    for (double v : out) mean += v;
    mean /= out.size();
    for (double v : out) var += (v - mean) * (v - mean);
    const double sd = std::sqrt(var / out.size()) + 1e-9;
    for (double& v : out) v = (v - mean) / sd;
    return out;
}

double meanAbsDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double s = 0;
    for (std::size_t i = 0; i < a.size(); ++i) s += std::fabs(a[i] - b[i]);
    return s / a.size();
}

}  // namespace

TEST(FacegenRender, SameSeedSameBytesOtherSeedOtherFrame) {
    const Frame a = generateFrame(42, 3, 2), b = generateFrame(42, 3, 2);
    ASSERT_EQ(a.pixels.size(), static_cast<std::size_t>(kWidth) * kHeight);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(a.eyes.xl, b.eyes.xl);
    EXPECT_EQ(a.eyes.yr, b.eyes.yr);
    const Frame c = generateFrame(43, 3, 2);
    EXPECT_GT(differingPixels(a, c), kWidth * kHeight / 2);
    EXPECT_NE(a.eyes.xl, c.eyes.xl);
    const Frame d = generateFrame(42, 3, 3);
    EXPECT_GT(differingPixels(a, d), kWidth * kHeight / 2);
}

// The bytes of one frame are fixed: a different compiler, library or optimisation that
// changed them would break "same seed, same bytes" between machines.
TEST(FacegenRender, FrameBytesAreTheSameOnEveryBuild) {
    EXPECT_EQ(fnv1a(generateFrame(1, 1, 1).pixels), 0x84b4e48aeadba906ull);
    EXPECT_EQ(fnv1a(generateFrame(2026, 17, 9).pixels), 0x39b1cdedee892347ull);
}

TEST(FacegenRender, PersonsDifferMoreThanFramesOfOnePerson) {
    constexpr int kPersons = 10, kImages = 4;
    std::vector<std::vector<double>> faces;
    for (int p = 1; p <= kPersons; ++p)
        for (int i = 1; i <= kImages; ++i) faces.push_back(alignedFace(generateFrame(3, p, i)));
    double within = 0, between = 0;
    int nWithin = 0, nBetween = 0, nearestRight = 0;
    for (std::size_t a = 0; a < faces.size(); ++a) {
        double best = 1e9;
        std::size_t bestIndex = a;
        for (std::size_t b = 0; b < faces.size(); ++b) {
            if (a == b) continue;
            const double d = meanAbsDifference(faces[a], faces[b]);
            const bool same = a / kImages == b / kImages;
            (same ? within : between) += d;
            ++(same ? nWithin : nBetween);
            if (d < best) best = d, bestIndex = b;
        }
        nearestRight += bestIndex / kImages == a / kImages;
    }
    within /= nWithin;
    between /= nBetween;
    // Aligned by the eyes, another person's face differs clearly more than another frame of
    // the same person (with its light, expression and background changes).
    EXPECT_LT(within, 0.75 * between) << within << " " << between;
    // Nearest neighbours are mostly frames of the same person (chance: 3 in 39).
    EXPECT_GE(nearestRight, static_cast<int>(faces.size()) * 2 / 5);
}

TEST(FacegenRender, IrisIsDarkAndCentredOnTheTruth) {
    int eyes = 0, centred = 0;
    for (int p = 1; p <= 20; ++p) {
        for (int i = 1; i <= 3; ++i) {
            const Frame f = generateFrame(11, p, i);
            const double d = eyeDistance(f.eyes);
            for (int e = 0; e < 2; ++e) {
                const double x = e ? f.eyes.xr : f.eyes.xl, y = e ? f.eyes.yr : f.eyes.yl;
                const double iris = ringMean(f.pixels, x, y, 0, 0.05 * d);
                const double around = ringMean(f.pixels, x, y, 0.16 * d, 0.26 * d);
                EXPECT_LT(iris, around - 20.0) << p << "/" << i << " eye " << e;
                // The darkest blob of the eye window lies on the truth horizontally and
                // a little above it at most (lashes and the lid's shadow).
                double best = 1e9, bx = 0, by = 0;
                for (int yy = static_cast<int>(y - 0.15 * d); yy <= y + 0.15 * d; ++yy) {
                    for (int xx = static_cast<int>(x - 0.2 * d); xx <= x + 0.2 * d; ++xx) {
                        const double m = ringMean(f.pixels, xx, yy, 0, 0.06 * d);
                        if (m < best) best = m, bx = xx, by = yy;
                    }
                }
                ++eyes;
                centred += std::fabs(bx - x) <= std::fmax(1.5, 0.04 * d) && by - y <= 1.0 &&
                           y - by <= 0.1 * d;
            }
        }
    }
    EXPECT_GE(centred, eyes * 95 / 100) << centred << " of " << eyes;
}

// Where the person's geometry puts a feature, the frame shows it: brows darker than the
// cheek under them, nostrils darker than the nose tip, the ridge brighter than the nose's
// sides, the line between the lips darker than the chin.
TEST(FacegenRender, FeaturesSitWhereTheGeometrySays) {
    int frames = 0, browsOk = 0;
    for (int p = 1; p <= 20; ++p) {
        const Person w = makePerson(21, p);
        for (int i = 1; i <= 3; ++i) {
            const Pose pose = makePose(w, 21, p, i);
            Frame f{std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth) * kHeight),
                    pose.eyes};
            renderFrame(w, pose, f.pixels.data());
            ++frames;
            const double browV = -(w.browV + pose.browRaise) - w.browArch;
            bool brows = true;
            for (double side : {-0.5, 0.5})
                brows &= faceMean(f, side, browV, 0.03) < faceMean(f, side, 0.45, 0.05) - 8.0;
            browsOk += brows;
            const double nl = w.noseLength, nw = w.noseHalfWidth;
            const double tip = faceMean(f, 0, nl - 0.11, 0.04);
            for (double side : {-1.0, 1.0})
                EXPECT_LT(faceMean(f, side * nw * 0.42, nl - 0.005, 0.02), tip - 40.0)
                    << p << "/" << i;
            const double rv = 0.6 * nl, wallU = 2.1 * (0.07 + 0.07 * 0.6);
            const double wall =
                std::fmin(faceMean(f, -wallU, rv, 0.03), faceMean(f, wallU, rv, 0.03));
            EXPECT_GT(faceMean(f, 0, rv, 0.03), wall + 10.0) << p << "/" << i;
            EXPECT_LT(faceMean(f, 0, w.mouthV, 0.02), faceMean(f, 0, w.chinV - 0.22, 0.05) - 15.0)
                << p << "/" << i;
        }
    }
    EXPECT_GE(browsOk, frames * 9 / 10) << browsOk << " of " << frames;
}

// A hand-made pose whose eyes coincide has no face frame: the frame comes out black
// instead of undefined (the sanitizer build checks the conversions).
TEST(FacegenRender, DegeneratePoseRendersBlack) {
    const Person who = makePerson(1, 1);
    Pose pose = makePose(who, 1, 1, 1);
    pose.eyes = {100.0, 100.0, 100.0, 100.0};
    pose.lightX = 2.0;  // no valid light direction either
    std::vector<std::uint8_t> out(static_cast<std::size_t>(kWidth) * kHeight, 7);
    renderFrame(who, pose, out.data());
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), kWidth * kHeight);
}
