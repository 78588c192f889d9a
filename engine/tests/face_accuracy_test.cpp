// Face search on generated frames with the development configuration and default masks.
//
// Face model: the face centre is the midpoint of the two eye centres (the face mask is cut
// there, moved down by face_mask_y_shift). A frame counts as found when the first output of
// the face search lies within a quarter of the true eye distance of that midpoint.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "config_store.h"
#include "face/find_faces.h"
#include "face_context.h"
#include "facegen.h"
#include "library_state.h"
#include "status.h"

namespace ovfc {
namespace {

struct DevLibrary {
    LibraryState state;
    DevLibrary() {
        const std::string dir = std::string(OVFC_SOURCE_DIR) + "/config/synthetic/";
        EXPECT_EQ(state.config.load(dir + "ovfc.ini"), kOk);
        std::ifstream in(dir + "synthetic.dsc", std::ios::binary);
        const std::vector<std::uint8_t> blob((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
        EXPECT_EQ(state.defaultMasks.read(blob.data(), blob.size(), kNormalise), kOk);
        state.initialised = true;
    }
};

// The face window of a fresh context (the priors of the pipeline: fractions of the frame,
// kept face_x_bord / face_y_bord units of the start unit away from the border).
void SetPriorWindow(const ConfigStore& c, ElementRecord& face, int w, int h) {
    const double b = c.readReal("param", "face_start_unit");
    face.xMin = static_cast<int>(
        std::max(c.readReal("param", "face_xc_min") * w, c.readReal("param", "face_x_bord") * b));
    face.xMax = static_cast<int>(std::min(c.readReal("param", "face_xc_max") * w,
                                          w - c.readReal("param", "face_x_bord") * b));
    face.yMin = static_cast<int>(std::max(c.readReal("param", "face_yc_min") * h,
                                          c.readReal("param", "face_y_bord_up") * b));
    face.yMax = static_cast<int>(std::min(c.readReal("param", "face_yc_max") * h,
                                          h - c.readReal("param", "face_y_bord_dn") * b));
}

int Search(LibraryState& state, const std::vector<std::uint8_t>& pixels, int* x, int* y, int* score,
           int* unit, int& count) {
    FaceContext ctx(state);
    ctx.image.pixels = state.pool.take(pixels.size());
    std::memcpy(ctx.image.data(), pixels.data(), pixels.size());
    ctx.image.width = facegen::kWidth;
    ctx.image.height = facegen::kHeight;
    SetPriorWindow(state.config, ctx.face, ctx.image.width, ctx.image.height);
    return FindFaces(ctx, 11, x, y, score, unit, count);
}

TEST(FaceSearchAccuracy, FirstOutputIsOnTheFaceInAtLeast95PercentOfGeneratedFrames) {
    DevLibrary lib;
    const int held = lib.state.pool.blocksInUse();  // the default masks' blocks
    int found = 0, total = 0;
    double unitError = 0;
    for (int p = 1; p <= 20; ++p) {
        for (int i = 1; i <= 10; ++i) {
            const facegen::Frame f = facegen::generateFrame(2026, p, i);
            int x[11], y[11], score[11], unit[11], n = 0;
            const int rc = Search(lib.state, f.pixels, x, y, score, unit, n);
            const double d = std::hypot(f.eyes.xr - f.eyes.xl, f.eyes.yr - f.eyes.yl);
            const double cx = (f.eyes.xl + f.eyes.xr) / 2, cy = (f.eyes.yl + f.eyes.yr) / 2;
            const bool hit = rc == kOk && n >= 1 && std::hypot(x[0] - cx, y[0] - cy) <= d / 4;
            found += hit;
            if (rc == kOk && n >= 1) unitError += std::fabs(unit[0] - d) / d;
            ++total;
            if (!hit)
                std::printf(
                    "miss %02d%02d: eyes mid (%.1f, %.1f) d %.1f, code %d, found (%d, %d)\n", p, i,
                    cx, cy, d, rc, n ? x[0] : -1, n ? y[0] : -1);
        }
    }
    std::printf("face search: %d of %d frames found (%.1f %%), mean unit error %.1f %%\n", found,
                total, 100.0 * found / total, 100.0 * unitError / total);
    RecordProperty("found", found);
    EXPECT_GE(found * 100, 95 * total);
    EXPECT_EQ(lib.state.pool.blocksInUse(), held);  // every work buffer went back
}

}  // namespace
}  // namespace ovfc
