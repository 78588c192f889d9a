// Eyes, brows, nose and mouth.

#include <cmath>

#include "scene.h"

namespace facegen {

namespace {
double absd(double x) {
    return x < 0 ? -x : x;
}
}  // namespace

// Almond between two lid arcs, light eyeball, dark iris with a darker pupil centred on the
// eye centre, lash line and lid crease.
double Scene::eyes(double u, double v, double base, double lightF) const {
    const Person& p = who;
    const double ew = p.eyeHalfWidth;
    double g = base;
    for (int side = -1; side <= 1; side += 2) {
        const double x = u - side * 0.5, y = v;
        if (absd(x) > ew * 1.3 || absd(y) > 0.22) continue;
        const double xn = x / ew;
        const double span = xn * xn < 1.0 ? 1.0 - xn * xn : 0.0;
        const double upper = -p.upperLid * pose.eyeOpen * span;
        const double lower = p.lowerLid * (0.55 + 0.45 * pose.eyeOpen) * span;
        if (span > 0.0) {
            const double open = inside(upper - y, edge()) * inside(y - lower, edge());
            if (open > 0.0) {
                const double sclera =
                    (base * 1.2 < 235.0 ? base * 1.2 : 235.0) * (1.0 - 0.3 * xn * xn);
                const double ri = p.irisRadius;
                const double rr = std::sqrt(x * x + y * y);
                const double iris =
                    p.irisGrey * lightF * (1.08 - 0.3 * bump(sq((rr - ri) / (0.3 * ri))));
                double eye = mix(sclera, mix(iris, iris * 0.45, inside(rr - 0.42 * ri, edge())),
                                 inside(rr - ri, edge()));
                eye *= 1.0 - 0.35 * bump(sq((y - upper) / 0.06));  // shadow of the upper lid
                const double glint =
                    bump((sq(x - side * 0.3 * ri) + sq(y + 0.35 * ri)) / sq(0.025));
                eye += 70.0 * (1.0 - pose.ambient) * glint;
                g = mix(g, eye, open);
            }
        }
        // Lashes along the upper lid, running on a little at the outer corner.
        const double outer = xn * side > 0.0 ? 1.0 : 0.0;
        const double lash =
            bump(sq((y - upper + 0.006) / 0.022)) * smoothstep(1.0 + 0.2 * outer, 0.85, absd(xn));
        g *= 1.0 - (0.45 + 0.15 * outer) * lash;
        // Lower lid line and the crease above the upper lid.
        g *= 1.0 - 0.15 * span * bump(sq((y - lower - 0.006) / 0.016));
        g *= 1.0 - 0.12 * span * bump(sq((y + p.upperLid * span + 0.065) / 0.03));
    }
    return g;
}

// Brow arcs, thicker at the inner end, with hairy texture.
double Scene::brows(double u, double v, double base, double lightF) const {
    const Person& p = who;
    double g = base;
    for (int side = -1; side <= 1; side += 2) {
        const double x = side * (u - side * 0.53);  // grows towards the temple
        const double t = x / p.browHalfLength;
        if (t < -1.15 || t > 1.15) continue;
        const double yb = -(p.browV + pose.browRaise) - p.browArch * (1.0 - t * t) + 0.035 * t;
        if (absd(v - yb) > 0.1) continue;
        // Full over the inner two thirds, tapering to a point at the temple.
        const double th = p.browThickness * (0.25 + 0.75 * bump(sq((t + 0.3) / 1.35)));
        const double cov = inside(absd(v - yb) - 0.5 * th, 3.0 * edge()) *
                           smoothstep(-1.1, -0.85, t) * smoothstep(1.1, 0.8, t) *
                           (0.65 + 0.35 * smoothstep(1.0, -0.2, t)) *
                           (0.75 + 0.25 * texture2_.at(u * 55.0, v * 40.0));
        g = mix(g, p.browGrey * lightF, 0.9 * cov);
    }
    return g;
}

// Relative brightness over the nose: a bright ridge with darker side walls (darker on the
// side away from the light), a bright tip, creases round the wings and dark nostrils.
double Scene::nose(double u, double v) const {
    const Person& p = who;
    const double nl = p.noseLength, nw = p.noseHalfWidth;
    if (absd(u) > nw * 1.7 || v < 0.0 || v > nl + 0.2) return 1.0;
    double m = 1.0;
    const double au = absd(u);
    const double side = u < 0 ? -1.0 : 1.0;
    const double away = clamp01(0.5 - 1.2 * pose.lightX * side);

    const double rw = 0.07 + 0.07 * clamp01(v / nl);
    const double along = smoothstep(0.03, 0.3, v) * smoothstep(nl + 0.02, nl - 0.14, v);
    m *= 1.0 + (0.06 + 0.07 * (1.0 - away)) * bump(sq(u / rw)) * along;
    const double wall = bump(sq((au - 2.1 * rw) / (1.3 * rw))) * smoothstep(0.25, 0.6, v) *
                        smoothstep(nl + 0.06, nl - 0.2, v);
    m *= 1.0 - (0.04 + 0.14 * away) * wall;

    m *= 1.0 + 0.09 * bump(sq(u / 0.12) + sq((v - nl + 0.11) / 0.1));  // tip
    {
        const double wx = side * nw * 0.78, wy = nl - 0.07;  // wing on this side
        const double r = std::sqrt(sq((u - wx) / (nw * 0.42)) + sq((v - wy) / 0.1));
        m *= 1.0 - (0.1 + 0.12 * away) * bump(sq((r - 1.0) / 0.35));
        m *= 1.0 + 0.05 * bump(r * r);
    }
    {
        // Nostril, its outer end a little higher.
        const double x = u - side * nw * 0.42, y = v - (nl - 0.005);
        const SinCos rot{0.34, 0.94};
        const double xr = x * rot.c - side * y * rot.s, yr = y * rot.c + side * x * rot.s;
        m *= 1.0 - 0.6 * inside(ellipseDistance(xr, yr, 0.075, 0.032), edge());
        m *= 1.0 - 0.15 * bump(sq(xr / 0.13) + sq(yr / 0.065));
    }
    m *= 1.0 - (0.08 + 0.2 * -pose.lightY) * bump(sq(u / (nw * 1.1)) + sq((v - nl - 0.07) / 0.07));
    return m;
}

// Lips, the dark line between them, and the opening with teeth when smiling.
double Scene::mouth(double u, double v, double base) const {
    const Person& p = who;
    const double x = u / p.mouthHalfWidth, y = v - p.mouthV;
    if (absd(x) > 1.2 || absd(y) > 0.3) return base;
    const double span = x * x < 1.0 ? 1.0 - x * x : 0.0;
    const double centre = -pose.smile * x * x;
    const double half = 0.5 * pose.mouthOpen * span;
    double g = base;
    if (span > 0.0) {
        const double root = std::sqrt(span);
        const double upperT = p.lipThickness * root * (1.0 - 0.25 * bump(sq(x / 0.15)));
        const double lowerT = p.lipThickness * 1.35 * root;
        const double top = centre - half - upperT, bottom = centre + half + lowerT;
        const double lips = inside(top - y, edge()) * inside(y - bottom, edge());
        const double lipGrey =
            y < centre
                ? base * 0.68
                : base * (0.8 + 0.1 * bump(sq(x / 0.5) + sq((y - centre - half - 0.45 * lowerT) /
                                                            (0.5 * lowerT))));
        g = mix(g, lipGrey, lips);
        if (half > 0.0) {
            const double inner =
                inside(centre - half - y, edge()) * inside(y - centre - half, edge());
            double mouthIn = 25.0 + 10.0 * span;
            if (pose.smile > 0.03) {
                const double teeth = inside(y - (centre + 0.2 * half), edge());  // upper row
                mouthIn = mix(mouthIn, base * 0.95, teeth * smoothstep(0.95, 0.7, absd(x)));
            }
            g = mix(g, mouthIn, inner);
        }
    }
    // Line between the lips, darkest where they meet, and a shade at the corners.
    const double lineW = 0.014 + 0.5 * half;
    const double line = bump(sq((y - centre) / lineW)) * smoothstep(1.12, 0.9, absd(x));
    g *= 1.0 - 0.55 * line;
    g *= 1.0 - 0.15 * bump(sq((absd(x) - 1.0) / 0.12) + sq((y + pose.smile) / 0.05));
    return g;
}

}  // namespace facegen
