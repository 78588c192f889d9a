#pragma once
// Sub-pixel refinement of a minimum of a score map from its 3 x 3 neighbourhood.

namespace ovfc {

struct Neighbourhood {
    int aboveLeft, above, aboveRight;
    int left, centre, right;
    int belowLeft, below, belowRight;
};

// Refined minimum value: the quadratic surface through the nine values, or the separable
// fall-back; the centre value when neither gives a lower value.
int InterpolateMinimum(const Neighbourhood& n);

// The neighbourhood of (x, y) in a byte map of the given row stride.
template <class T>
Neighbourhood NeighbourhoodAt(const T* map, int stride, int x, int y) {
    const T* a = map + (y - 1) * stride + x;
    const T* c = a + stride;
    const T* b = c + stride;
    return {a[-1], a[0], a[1], c[-1], c[0], c[1], b[-1], b[0], b[1]};
}

}  // namespace ovfc
