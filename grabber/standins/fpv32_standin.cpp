// Stand-in FlashPoint library: the board's off-screen memory filled with a synthetic scene.

#include <cstring>
#include <vector>

#include "synthetic_frames.h"
#include "vendor_api.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Board {
    bool initialised = false;
    bool live = false;
    int type = 0, standard = 0, source = 0;
    int adjust[8] = {0, 32, 32, 32, 0, 0, 4, 0};
    int inX = 0, inY = 0, inW = 640, inH = 480;  // input window (y in field lines)
    int offW = 0, offH = 0;
    std::vector<uint8_t> offscreen;  // offW x offH x 3
};

Board board;

void digitise() {
    for (int y = 0; y < board.offH; ++y)
        for (int x = 0; x < board.offW; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sx = board.inX + x * board.inW / board.offW;
                const int sy = 2 * board.inY + y * board.inH / board.offH;
                board.offscreen[(size_t(y) * size_t(board.offW) + size_t(x)) * 3 + size_t(c)] =
                    standin::fpvAdjust(standin::fpvScene(board.source, sx, sy, c), board.adjust[2],
                                       board.adjust[3]);
            }
}

}  // namespace

EXPORT int32_t FPV_Init(void) {
    board = Board{};
    board.initialised = true;
    return 0;
}
EXPORT int32_t FPV_Cleanup(void) {
    board.initialised = false;
    return 0;
}
EXPORT int32_t FPV_VideoLive(int32_t on, int32_t) {
    board.live = on != 0;
    return 0;
}
EXPORT int32_t FPV_GetLiveStatus(void) {
    return board.live ? 1 : 0;
}
EXPORT int32_t FPV_AutoWindow(void*, int32_t, int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
EXPORT int32_t FPV_SetVideoWindow(int32_t, int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
EXPORT int32_t FPV_VideoOffscreen(int32_t w, int32_t h, int32_t bits, int32_t) {
    if (w <= 0 || h <= 0 || bits != 24 || w > 2048 || h > 2048) return 1;
    board.offW = w;
    board.offH = h;
    board.offscreen.assign(size_t(w) * size_t(h) * 3, 0);
    return 0;
}
EXPORT int32_t FPV_SetInputWindow(int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return 1;
    board.inX = x, board.inY = y, board.inW = w, board.inH = h;
    return 0;
}
EXPORT int32_t FPV_VideoGrab(int32_t, int32_t, int32_t, int32_t) {
    if (board.offW == 0) return 1;
    digitise();
    board.live = false;
    return 0;
}
EXPORT int32_t FPV_GetVideoType(void) {
    return board.type;
}
EXPORT int32_t FPV_GetVideoStandard(void) {
    return board.standard;
}
EXPORT int32_t FPV_GetVideoSource(void) {
    return board.source;
}
EXPORT int32_t FPV_SetVideoAdjustments(int32_t which, int32_t value) {
    if (which < 0 || which > 7) return 1;
    board.adjust[which] = value < 0 ? 0 : (value > 63 ? 63 : value);
    return 0;
}
EXPORT int32_t FPV_GetVideoAdjustments(int32_t which) {
    return (which < 0 || which > 7) ? 0 : board.adjust[which];
}
EXPORT int32_t FPV_SetVideoConfig(int32_t type, int32_t standard, int32_t source, int32_t) {
    board.type = type, board.standard = standard, board.source = source & 1;
    return 0;
}
EXPORT int32_t FPV_CopyVGARect(int32_t x, int32_t y, int32_t w, int32_t h, void* memory,
                               int32_t stride, int32_t) {
    auto* out = static_cast<uint8_t*>(memory);
    int status = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const int sx = x + c, sy = y + r;
            uint8_t* dst = out + size_t(r) * size_t(stride) + size_t(c) * 3;
            if (sx < 0 || sy < 0 || sx >= board.offW || sy >= board.offH) {
                dst[0] = dst[1] = dst[2] = 0;
                status = 1;
                continue;
            }
            std::memcpy(dst, &board.offscreen[(size_t(sy) * size_t(board.offW) + size_t(sx)) * 3],
                        3);
        }
    return status;
}
