// Neck, chest and shoulders in clothing.

#include <cmath>

#include "scene.h"

namespace facegen {

namespace {

// Signed distance to a box of half-width hw whose top edge is at `top`, open downwards,
// with the upper corners rounded by radius rc.
double shoulderDistance(double u, double v, double hw, double top, double rc) {
    const double qx = (u < 0 ? -u : u) - (hw - rc);
    const double qy = (top + rc) - v;
    if (qx > 0.0 && qy > 0.0) return std::sqrt(qx * qx + qy * qy) - rc;
    return (qx > qy ? qx : qy) - rc;
}

}  // namespace

void Scene::body(FacePoint b, FacePoint f, Layer& layer) const {
    const Person& p = who;
    if (f.v < p.chinV - 0.8 && b.v < p.shoulderV - 0.5) return;

    // Neck, widening into the chest below the shoulder line (never beyond the shoulders);
    // in the head's frame.
    const double chest = f.v > p.shoulderV - 0.1 ? (f.v - p.shoulderV + 0.1) * 1.3 : 0.0;
    const double neckW = p.neckHalfWidth + (chest < 0.7 ? chest : 0.7);
    const double neckD = (f.u < 0 ? -f.u : f.u) - neckW;
    const double neckTop = p.chinV - 0.8;
    if (neckD < edge() && f.v > neckTop - edge()) {
        const double cov = inside(neckD, edge()) * inside(neckTop - f.v, edge());
        const double nx = f.u / (neckW * 1.15);
        const double nz = std::sqrt(1.0 - (nx * nx < 0.95 ? nx * nx : 0.95));
        // In the head's shadow below the chin, deeper with light from above.
        const double underChin = mix(0.3 + 0.25 * (1.0 + pose.lightY), 1.0,
                                     smoothstep(p.chinV - 0.1, p.chinV + 0.7, f.v));
        const double neck = p.skinGrey * 0.93 * light(nx, 0.0, nz) * underChin;
        layer.add(neck, cov);
    }

    // Clothing over the shoulders, with a round or V neckline; in the body's frame.
    const double hw = p.shoulderHalfWidth;
    const double slope =
        clamp01(((b.u < 0 ? -b.u : b.u) - 0.8 * p.neckHalfWidth) / (hw - 0.8 * p.neckHalfWidth));
    const double top = p.shoulderV - 0.05 + 0.4 * slope * slope;
    const double clothD = shoulderDistance(b.u, b.v, hw, top, 0.45);
    if (clothD < edge()) {
        double neckline;  // signed distance to the opening, negative inside it
        const double au = b.u < 0 ? -b.u : b.u;
        if (p.collar == Collar::Round) {
            neckline =
                ellipseDistance(b.u, b.v - (p.shoulderV - 0.05), p.neckHalfWidth * 1.3, 0.42);
        } else {
            const double depth = 0.9, topV = p.shoulderV - 0.1;
            const double w = p.neckHalfWidth * 1.15 * (1.0 - (b.v - topV) / depth);
            neckline = b.v < topV ? -1.0 : (b.v > topV + depth ? 1.0 : (au - w) * 0.75);
        }
        const double cov = inside(clothD, edge()) * (1.0 - inside(neckline, edge()));
        if (cov > 0.0) {
            const double nx = b.u / (hw * 1.1);
            const double ny =
                -0.75 * (1.0 - smoothstep(p.shoulderV, p.shoulderV + 0.6, b.v)) * au / hw;
            const double r = nx * nx + ny * ny;
            const double nz = std::sqrt(r < 0.95 ? 1.0 - r : 0.05);
            const double folds = 1.0 + 0.12 * (texture2_.at(b.u * 3.0, b.v * 1.2) - 0.5);
            const double rim = 1.0 - 0.3 * bump(sq(neckline / 0.07));  // shadow at the collar
            layer.add(p.clothGrey * light(nx, ny, nz) * folds * rim, cov);
        }
    }
}

}  // namespace facegen
