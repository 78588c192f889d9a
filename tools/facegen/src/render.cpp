// Composition of the layers, optics blur, sensor noise and quantisation.

#include <cmath>
#include <vector>

#include "rng.h"
#include "scene.h"

namespace facegen {

Scene::Scene(const Person& who_, const Pose& pose_)
    : who(who_), pose(pose_), texture_(pose_.textureSeed), texture2_(pose_.textureSeed ^ 0xA5A5) {
    const EyeCentres& e = pose.eyes;
    ox_ = 0.5 * (e.xl + e.xr);
    oy_ = 0.5 * (e.yl + e.yr);
    const double dx = e.xr - e.xl, dy = e.yr - e.yl;
    const double d = std::sqrt(dx * dx + dy * dy);
    c_ = dx / d;
    s_ = dy / d;
    invD_ = 1.0 / d;
    edge_ = 1.2 * invD_;

    // The shoulders turn by a fraction of the head's tilt about a point on the neck.
    bodyPivotV_ = who.shoulderV - 0.3;
    bx_ = ox_ - s_ * bodyPivotV_ * d;
    by_ = oy_ + c_ * bodyPivotV_ * d;
    const double tilt = (dy / d) * (1.0 + (dy / d) * (dy / d) / 6.0);  // asin, small angles
    const SinCos b = smallSinCos(tilt * pose.bodyTilt);
    bc_ = b.c;
    bs_ = b.s;

    lx_ = pose.lightX;
    ly_ = pose.lightY;
    const double lz2 = 1.0 - lx_ * lx_ - ly_ * ly_;
    lz_ = lz2 > 0.0 ? std::sqrt(lz2) : 0.0;
    ambient_ = pose.ambient;
}

double Scene::exposureAt(double x, double y) const {
    return pose.exposure *
           (1.0 + pose.gradX * (x - 128.0) / 128.0 + pose.gradY * (y - 127.0) / 128.0);
}

double Scene::shade(double x, double y) const {
    const FacePoint f = toFace(x, y);
    const bool near = nearHead(f);
    const double fd = near ? faceDistance(f.u, f.v, 0.0) : 1.0;
    if (fd <= -0.5 * edge()) return head(f, fd, 0.0);  // nothing behind shows through
    Layer layer;
    if (near) backHair(f, layer);
    body(toBody(x, y), f, layer);
    const double g = layer.alpha >= 1.0 ? layer.grey : layer.over(background(x, y));
    return near ? head(f, fd, g) : g;
}

void renderFrame(const Person& who, const Pose& pose, std::uint8_t* out) {
    const Scene scene(who, pose);
    constexpr int W = kWidth, H = kHeight;
    std::vector<float> lin(static_cast<std::size_t>(W) * H);
    for (int y = 0; y < H; ++y) {
        float* row = lin.data() + static_cast<std::size_t>(y) * W;
        for (int x = 0; x < W; ++x)
            row[x] = static_cast<float>(scene.shade(x, y) * scene.exposureAt(x, y));
    }

    // Lens blur: 1-2-1 in both directions, edges repeated.
    std::vector<float> tmp(lin.size());
    for (int y = 0; y < H; ++y) {
        const float* s = lin.data() + static_cast<std::size_t>(y) * W;
        float* d = tmp.data() + static_cast<std::size_t>(y) * W;
        d[0] = 0.75f * s[0] + 0.25f * s[1];
        for (int x = 1; x < W - 1; ++x) d[x] = 0.25f * s[x - 1] + 0.5f * s[x] + 0.25f * s[x + 1];
        d[W - 1] = 0.25f * s[W - 2] + 0.75f * s[W - 1];
    }
    Rng noise(pose.noiseSeed);
    const double sigma = pose.noiseSigma;
    for (int y = 0; y < H; ++y) {
        const float* up = tmp.data() + static_cast<std::size_t>(y > 0 ? y - 1 : 0) * W;
        const float* mid = tmp.data() + static_cast<std::size_t>(y) * W;
        const float* dn = tmp.data() + static_cast<std::size_t>(y < H - 1 ? y + 1 : H - 1) * W;
        std::uint8_t* o = out + static_cast<std::size_t>(y) * W;
        for (int x = 0; x < W; ++x) {
            const double v = 0.25 * up[x] + 0.5 * mid[x] + 0.25 * dn[x] + sigma * noise.normal();
            // (A pose without a valid eye pair gives NaN: it ends up black, not undefined.)
            o[x] = static_cast<std::uint8_t>(
                !(v > 0.0) ? 0 : (v >= 255.0 ? 255 : static_cast<int>(v + 0.5)));
        }
    }
}

}  // namespace facegen
