#pragma once
// Where a point of a stored image lands in the frame the image file library fits it into
// (the default read: 256 x 255, the fuller side taken whole from the top left corner, lines
// and pixels repeated or omitted by an error term, the rest padded).

#include <vector>

namespace ovfc_eval {

inline constexpr int kFrameWidth = 256;
inline constexpr int kFrameHeight = 255;

// For each output index along one axis, the source index the fitted read copies there.
// `source` pixels cover `output` pixels; reversed walks the lines from the last one (files
// stored bottom up).
std::vector<int> fittedIndexMap(int source, int output, bool reversed);

// out = scale * in + offset, pixel centres at integers.
struct AxisMap {
    double scale = 1.0;
    double offset = 0.0;
    double operator()(double v) const { return scale * v + offset; }
};

struct FrameMapping {
    AxisMap x, y;
    int coverWidth = 0, coverHeight = 0;  // frame pixels and lines that show the image
};

// The mapping of a stored width x height image (bottomUp as the file stores it) into the
// frame: the scale of the fitted read on each axis and the offset that fits its index map
// best in the least-squares sense. False for a non-positive size.
bool fittedFrameMapping(int width, int height, bool bottomUp, FrameMapping& mapping);

}  // namespace ovfc_eval
