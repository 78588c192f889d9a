// Per-frame changes: placement, size, tilt, light, expression, background and noise.

#include <cmath>

#include "facegen.h"
#include "rng.h"
#include "smooth.h"

namespace facegen {

namespace {

double clampTo(double x, double lo, double hi) {
    return x < lo ? lo : (x > hi ? hi : x);
}
// Nearest multiple of 0.1, as the double that reading its one-decimal text gives back.
double onEyeGrid(double x) {
    return std::floor(x * 10.0 + 0.5) / 10.0;
}

}  // namespace

Pose makePose(const Person& who, std::uint64_t seed, int person, int image) {
    Rng r(deriveSeed(deriveSeed(seed, static_cast<std::uint64_t>(person)) ^ 0x5EED,
                     static_cast<std::uint64_t>(image)));
    Pose p{};

    // Size and tilt; the centre keeps the face (and most of the hair) inside the frame.
    const double d = clampTo(who.eyeDistance * r.uniform(0.82, 1.2), kMinEyeDistance + 1.0,
                             kMaxEyeDistance - 1.0);
    p.tiltDegrees = who.tiltBias + r.uniform(-7.0, 7.0);
    const double cx =
        clampTo(128.0 + r.uniform(-18.0, 18.0), 1.25 * d + 4.0, kWidth - 5.0 - 1.25 * d);
    const double cy = clampTo(108.0 + r.uniform(-14.0, 14.0), 0.95 * d > 30.0 ? 0.95 * d : 30.0,
                              kHeight - 5.0 - 2.0 * d);
    const SinCos t = smallSinCos(p.tiltDegrees * (kPi / 180.0));
    const double hx = 0.5 * d * t.c, hy = 0.5 * d * t.s;
    p.eyes = {onEyeGrid(cx - hx), onEyeGrid(cy - hy), onEyeGrid(cx + hx), onEyeGrid(cy + hy)};
    p.bodyTilt = r.uniform(0.0, 0.4);

    // Light mostly from the front and above; a few frames strongly from one side.
    const bool sideLight = r.chance(0.2);
    p.lightX =
        sideLight ? (r.chance(0.5) ? -1.0 : 1.0) * r.uniform(0.5, 0.75) : r.uniform(-0.3, 0.3);
    p.lightY = -r.uniform(0.05, 0.45);
    p.ambient = sideLight ? r.uniform(0.22, 0.35) : r.uniform(0.3, 0.55);
    p.exposure = r.uniform(0.85, 1.12);
    p.gradX = r.uniform(-0.15, 0.15);
    p.gradY = r.uniform(-0.12, 0.12);

    p.eyeOpen = r.uniform(0.6, 1.1);
    p.browRaise = r.uniform(-0.02, 0.05);
    p.smile = r.uniform(-0.03, 0.09);
    p.mouthOpen = r.chance(0.35) ? r.uniform(0.02, 0.13) : 0.0;

    p.background = static_cast<Background>(r.below(4));
    p.bgGrey = r.chance(0.75) ? r.uniform(150.0, 235.0) : r.uniform(40.0, 150.0);
    p.bgGrey2 = r.uniform(40.0, 235.0);
    p.bgSplit = r.uniform(0.0, 1.0);

    p.noiseSigma = r.uniform(0.8, 3.5);
    p.textureSeed = r.next();
    p.noiseSeed = r.next();
    return p;
}

Frame generateFrame(std::uint64_t seed, int person, int image) {
    const Person who = makePerson(seed, person);
    const Pose pose = makePose(who, seed, person, image);
    Frame f{std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth) * kHeight), pose.eyes};
    renderFrame(who, pose, f.pixels.data());
    return f;
}

}  // namespace facegen
