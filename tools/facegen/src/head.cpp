// Head: hair, ears, the face oval and its surface shading.

#include <cmath>

#include "scene.h"

namespace facegen {

namespace {
double absd(double x) {
    return x < 0 ? -x : x;
}
}  // namespace

// Negative inside the head outline grown by `grow`: a rounded skull over an egg that
// narrows towards the chin, squarer for larger squareness.
double Scene::faceImplicit(double u, double v, double grow) const {
    const Person& p = who;
    const double v0 = p.faceCentreV;
    const double t =
        v < v0 ? (v - v0) / (v0 - p.faceTopV + grow) : (v - v0) / (p.chinV - v0 + grow);
    const double tw = t > 1.2 ? 1.2 : t;
    const double w = (p.faceHalfWidth + grow) * (t > 0.0 ? 1.0 - p.jaw * tw * tw : 1.0);
    const double x2 = sq(u / w), t2 = t * t;
    const double s = t > 0.0 ? p.squareness : 0.5;  // the skull is broad and round
    return (1.0 - s) * x2 + s * x2 * x2 + (t > 0.0 ? t2 : 0.7 * t2 + 0.3 * t2 * t2) - 1.0;
}

double Scene::faceDistance(double u, double v, double grow) const {
    const double g = faceImplicit(u, v, grow);
    if (g > 0.2) return 1.0;  // far outside or inside for every use here
    if (g < -0.2) return -1.0;
    constexpr double h = 0.001;
    const double gu = (faceImplicit(u + h, v, grow) - g) / h;
    const double gv = (faceImplicit(u, v + h, grow) - g) / h;
    return g / std::sqrt(gu * gu + gv * gv + 1e-12);
}

// Hair over the forehead, inside the face oval: above a hairline that comes down at the
// temples, with a slightly irregular edge.
double Scene::hairCoverage(double u, double v) const {
    const Person& p = who;
    const double a = p.faceHalfWidth;
    const double slant = p.hairSlant * (u < -a ? -a : (u > a ? a : u));
    if (v > 0.1 * p.hairlineV + 0.03 + slant + 2.5 * edge()) return 0.0;  // below the hairline
    const double hl = p.hairlineV * (1.0 - 0.9 * smoothstep(0.5 * a, 1.0 * a, absd(u))) + slant +
                      0.06 * (texture_.at(u * 7.0, 3.5) - 0.5);
    return inside(v - hl, 2.5 * edge());
}

double Scene::hairShade(double u, double v) const {
    const Person& p = who;
    const double a = p.faceHalfWidth + p.hairVolume + 0.1;
    const double b = p.faceCentreV - p.faceTopV + p.hairVolume + 0.2;
    const double nx = u / a, ny = (v - p.faceCentreV) / b;
    const double r = nx * nx + ny * ny;
    const double nz = std::sqrt(r < 0.95 ? 1.0 - r : 0.05);
    const double streak = texture_.at(u * 40.0 + v * 3.0, v * 5.0);
    const double fine = texture2_.at(u * 95.0, v * 16.0);
    return p.hairGrey * light(nx, ny, nz) * (0.72 + 0.38 * streak + 0.2 * fine);
}

double Scene::earLayer(double u, double v, double under) const {
    const Person& p = who;
    double g = under;
    for (int side = -1; side <= 1; side += 2) {
        const double x = u - side * p.faceHalfWidth * 0.97, y = v - 0.33;
        if (absd(x) > 0.2 || absd(y) > p.earHalfHeight + 0.06) continue;
        const double d = ellipseDistance(x, y, 0.14, p.earHalfHeight);
        if (d >= edge()) continue;
        const double inner = bump(sq(x / 0.08) + sq(y / (p.earHalfHeight * 0.6)));
        const double ear = p.skinGrey * 0.9 * light(side * 0.6, 0.0, 0.8) * (1.0 - 0.3 * inner);
        g = mix(g, ear, inside(d, edge()));
    }
    return g;
}

double Scene::skinLight(double u, double v) const {
    const Person& p = who;
    const double nx = u / (p.faceHalfWidth * 1.1), ny = (v - p.faceCentreV) / 2.1;
    const double r = nx * nx + ny * ny;
    const double nz = std::sqrt(r < 0.97 ? 1.0 - r : 0.03);
    return light(nx, ny, nz);
}

// Relative brightness of the face surface from its relief.
double Scene::skinRelief(double u, double v) const {
    const Person& p = who;
    double m = 1.0;
    const double fromAbove = -pose.lightY;
    for (int side = -1; side <= 1; side += 2) {
        const double du = u - side * 0.5;
        // Eye socket and the brow ridge over it.
        m *=
            1.0 - p.socket * (0.75 + 0.6 * fromAbove) * bump(sq(du / 0.36) + sq((v + 0.03) / 0.22));
        m *= 1.0 + 0.05 * bump(sq(du / 0.34) + sq((v + p.browV + 0.06) / 0.12));
        // Cheekbone.
        m *= 1.0 + 0.06 * bump(sq((u - side * 0.62) / 0.3) + sq((v - 0.42) / 0.2));
        // Fold from the nose wing to beyond the mouth corner.
        if (p.folds > 0.0) {
            const double ax = side * p.noseHalfWidth * 1.05, ay = p.noseLength - 0.08;
            const double bx = side * p.mouthHalfWidth * 1.12, by = p.mouthV + 0.1;
            const double ex = bx - ax, ey = by - ay;
            const double t = clamp01(((u - ax) * ex + (v - ay) * ey) / (ex * ex + ey * ey));
            const double dist2 = sq(u - ax - t * ex) + sq(v - ay - t * ey);
            m *= 1.0 - 0.09 * p.folds * bump(dist2 / sq(0.045)) * smoothstep(1.0, 0.6, t);
        }
    }
    m *= nose(u, v);
    // Shadow under the lower lip, light on the chin.
    const double lipBottom = p.mouthV + pose.mouthOpen * 0.5 + p.lipThickness * 1.35;
    m *= 1.0 - (0.08 + 0.12 * fromAbove) *
                   bump(sq(u / (p.mouthHalfWidth * 0.8)) + sq((v - lipBottom - 0.07) / 0.06));
    m *= 1.0 + 0.06 * bump(sq(u / 0.3) + sq((v - p.chinV + 0.22) / 0.15));
    // Skin grain.
    m *= 1.0 + 0.04 * (texture2_.at(u * 30.0, v * 30.0) - 0.5);
    return m;
}

bool Scene::nearHead(FacePoint f) const {
    const Person& p = who;
    const double reach = p.faceHalfWidth + p.hairVolume + 0.25;
    const double bottom = p.hair == HairStyle::Long ? p.chinV + 0.5 : p.chinV + 0.1;
    return absd(f.u) <= reach && f.v >= p.faceTopV - p.hairVolume - 0.1 && f.v <= bottom;
}

// Hair behind the head and neck: a crown over the skull, down to the shoulders when long.
void Scene::backHair(FacePoint f, Layer& layer) const {
    const Person& p = who;
    const double u = f.u, v = f.v;
    const double a = p.faceHalfWidth + p.hairVolume;
    const double rough = 0.04 * (texture_.at(u * 6.0, v * 6.0) - 0.5);
    double cov;
    if (p.hair == HairStyle::Long && v > p.faceCentreV) {
        // Falls straight, a little inwards, ending in a rounded edge.
        const double w = a * (1.0 - 0.06 * (v - p.faceCentreV));
        const double end = p.chinV + 0.45 - 0.25 * sq(u / w);
        const double dx = absd(u) - w, dy = v - end;
        cov = inside((dx > dy ? dx : dy) + rough, edge());
    } else {
        cov = inside(faceDistance(u, v, p.hairVolume) + rough, edge());
        if (p.hair != HairStyle::Long)  // short hair ends above the ears
            cov *= smoothstep(p.faceCentreV + 0.25, p.faceCentreV - 0.05, v);
    }
    if (cov > 0.0) layer.add(hairShade(u, v), cov);
}

// Ears, the face and the hair over the forehead.
double Scene::head(FacePoint f, double fd, double under) const {
    const Person& p = who;
    const double u = f.u, v = f.v;
    double g = under;
    if (p.hair != HairStyle::Long) g = earLayer(u, v, g);

    if (fd >= 0.5 * edge()) return g;
    const double lightF = skinLight(u, v);
    double face = p.skinGrey * lightF * skinRelief(u, v);
    face = eyes(u, v, face, lightF);
    face = brows(u, v, face, lightF);
    face = mouth(u, v, face);
    const double hc = hairCoverage(u, v);
    if (hc > 0.0) face = mix(face, hairShade(u, v), hc);
    return mix(g, face, inside(fd, edge()));
}

}  // namespace facegen
