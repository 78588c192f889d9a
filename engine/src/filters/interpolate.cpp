#include "filters/interpolate.h"

#include <cmath>

namespace ovfc {

int InterpolateMinimum(const Neighbourhood& n) {
    const int D = n.centre;
    const int E = n.right - D;
    int F = n.left - D;
    const int Gx = E + F;
    int P = n.below - D;
    int O = n.above - D;
    const double U = (P + O) / 2.0;
    const double V = (E - F) / 2.0;
    const double W = (P - O) / 2.0;

    // Lowest diagonal and its direction.
    int dStar = n.belowRight, sx = 1, sy = 1;
    if (n.belowLeft < n.belowRight) dStar = n.belowLeft, sx = -1;
    if (n.aboveLeft < dStar) dStar = n.aboveLeft, sx = -1, sy = -1;
    if (n.aboveRight < dStar) dStar = n.aboveRight, sx = 1, sy = -1;
    const double X = sx * sy * ((dStar - D) - Gx / 2.0 - U - sx * V - sy * W);

    double xs = 0.0, ys = 0.0, Q = 0.0;
    if (Gx != 0) {
        const double det = 2.0 * Gx * U - X * X;
        if (det != 0.0) {
            ys = (V * X - Gx * W) / det;
            xs = -(V + X * ys) / Gx;
            Q = D + V * xs + W * ys + (Gx / 2.0) * xs * xs + U * ys * ys + X * xs * ys;
        } else if (P == 0 && O == 0 && n.right == n.belowRight && n.right == n.aboveRight) {
            const int Fm = (n.left + n.belowLeft + n.aboveLeft) / 3 - D;
            if (E == Fm) return D;
            F = Fm;
            const int a = E + Fm;
            if (a == 0) {
                xs = ys = 2.0;  // no finite vertex: use the fall-back
            } else {
                const double e = static_cast<double>(E - Fm) / a;
                xs = -e / a;
                ys = 0.0;
                Q = D + xs * xs * a / 2.0 + e * xs;
            }
        } else {
            return D;
        }
    } else {
        if (E != 0 || F != 0) return D;
        O = (n.above + n.aboveLeft + n.aboveRight) / 3 - D;
        P = (n.below + n.belowLeft + n.belowRight) / 3 - D;
        const int S = P + O;
        if (S == 0) return D;
        const double e = static_cast<double>(P - O) / S;
        ys = -e / S;
        xs = 0.0;
        Q = D + ys * ys * S / 2.0 + e * ys;
    }

    if (Q <= D && std::fabs(xs) < 1.0 && std::fabs(ys) < 1.0) return static_cast<int>(Q);

    double w = D;
    if (E + F != 0) w = D - static_cast<double>(F - E) * (F - E) / (8.0 * (E + F));
    double w2 = w;
    if (P + O != 0) w2 = w - static_cast<double>(O - P) * (O - P) / (8.0 * (P + O));
    return w2 <= D ? static_cast<int>(w2) : D;
}

}  // namespace ovfc
