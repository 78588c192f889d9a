#include "clip_geometry.h"

#include <algorithm>

namespace ovio {

namespace {
// A negative request field is a percentage of the image size.
int64_t pixels(int64_t field, int64_t size) {
    return field < 0 ? -field * size / 100 : field;
}
}  // namespace

Status computeClipGeometry(int64_t width, int64_t height, const ClipRect& clip, ClipGeometry& g) {
    g.outWidth = clip.outWidth == 0 ? 256 : clip.outWidth;
    g.outHeight = clip.outHeight == 0 ? 255 : clip.outHeight;
    if (g.outWidth < 0 || g.outHeight < 0) return kFileError;

    int64_t sw = clip.srcWidth;
    int64_t sh = clip.srcHeight;
    if (sw == 0 && sh == 0) {
        // The fuller side is taken whole.
        if (g.outHeight * width < g.outWidth * height) {
            sh = -100;
        } else {
            sw = -100;
        }
    }
    g.x = pixels(clip.srcX, width);
    g.y = pixels(clip.srcY, height);
    sw = pixels(sw, width);
    sh = pixels(sh, height);
    if (sw == 0) sw = sh * g.outWidth / g.outHeight;
    if (sh == 0) sh = sw * g.outHeight / g.outWidth;
    if (sw <= 0 || sh <= 0) return kUnsupported;
    g.srcWidth = sw;
    g.srcHeight = sh;

    g.x = std::clamp<int64_t>(g.x, 0, width - 1);
    g.y = std::clamp<int64_t>(g.y, 0, height - 1);
    g.coverWidth = sw;
    g.outCoverWidth = g.outWidth;
    if (g.x + sw > width) {
        g.coverWidth = width - g.x;
        g.outCoverWidth = (g.outWidth * g.coverWidth + sw / 2) / sw;
    }
    g.coverHeight = sh;
    g.outCoverHeight = g.outHeight;
    if (g.y + sh > height) {
        g.coverHeight = height - g.y;
        g.outCoverHeight = g.outHeight * g.coverHeight / sh;
    }
    return kOk;
}

}  // namespace ovio
