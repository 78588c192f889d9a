// ovfc buildmasks: the default mask set averaged from aligned synthetic faces.
//
// Every element mask is cut from each generated frame at the element's place under the face
// model of the configuration (face centre = midpoint of the eyes; eyes at -0.5 and +0.5
// units along the eye line; the other elements at name + "_xc_mid" / "_yc_mid" [model]),
// rotated to the eye line, at the element's mask scale and y shift, and averaged.

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"
#include "facegen.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

struct ElementPlace {
    std::uint8_t id;
    const char* name;     // key prefix in [mask]
    const char* model;    // key prefix in [model], or nullptr
    double u, v;          // place in units when there is no model entry
    std::uint32_t score;  // score word stored with the mask
};

constexpr ElementPlace kPlaces[] = {
    {255, "face", nullptr, 0.0, 0.0, 255}, {0, "fface", "fface", 0.0, 0.0, 0},
    {1, "eyel", nullptr, -0.5, 0.0, 255},  {2, "eyer", nullptr, 0.5, 0.0, 255},
    {3, "nose", "nose", 0.0, 0.0, 255},    {4, "mout", "mout", 0.0, 0.0, 0},
    {5, "ncol", "ncol", 0.0, 0.0, 0},      {6, "ncor", "ncor", 0.0, 0.0, 0},
    {7, "chin", "chin", 0.0, 0.0, 0},      {254, "noses", "nose", 0.0, 0.0, 0},
};

struct Accumulator {
    ElementPlace place;
    int w, h, yShift;
    double maskUnit, u, v;
    std::vector<double> sum;
    double cx = 0, cy = 0;  // mean centre in the frames
};

// Cuts one w x h mask centred on image point (x, y) along the eye line (c, s) at scale g.
void cut(const std::vector<std::uint8_t>& frame, double x, double y, double c, double s, double g,
         int w, int h, std::vector<std::uint8_t>& out) {
    const double cx = c / g, sx = s / g;
    const int bx = w / 2, by = h / 2;
    // ResampleRotated samples (ox - i sx + j cx - 0.5, oy + i cx + j sx - 0.5).
    const double ox = x + 0.5 + by * sx - bx * cx;
    const double oy = y + 0.5 - by * cx - bx * sx;
    out.assign(static_cast<std::size_t>(w) * h, 0);
    ovfc::ResampleRotated({frame.data(), facegen::kWidth, facegen::kHeight, facegen::kWidth}, ox,
                          oy, g, cx, sx, {out.data(), w, h, w});
}

int run(const Args& argsIn) {
    std::string config, out;
    int np = 20, ni = 10;
    std::uint64_t sd = 7;
    OptionParser p("buildmasks");
    p.text("config", config).required();
    p.text("out", out).required();
    p.integer("persons", np, 1, facegen::kMaxPersons);
    p.integer("images", ni, 1, facegen::kMaxImages);
    p.unsignedInteger("seed", sd, 0, UINT64_MAX);
    Args args;
    if (int rc = p.parseOrUsage(argsIn, args)) return rc;
    if (!args.empty()) return usageError("buildmasks");

    ovfc::ConfigStore store;
    if (store.load(config) != 0) {
        std::fprintf(stderr, "buildmasks: cannot read %s\n", config.c_str());
        return 1;
    }
    std::vector<Accumulator> acc;
    try {
        for (const ElementPlace& p : kPlaces) {
            const std::string n = p.name;
            Accumulator a{p,
                          store.readInt("mask", n + "_mask_width"),
                          store.readInt("mask", n + "_mask_height"),
                          store.readInt("mask", n + "_mask_y_shift"),
                          static_cast<double>(store.readInt("mask", n + "_mask_unit")),
                          p.u,
                          p.v,
                          {}};
            if (p.model) {
                a.u = store.readReal("model", std::string(p.model) + "_xc_mid");
                a.v = store.readReal("model", std::string(p.model) + "_yc_mid");
            }
            if (a.w <= 0 || a.h <= 0 || a.w > 255 || a.h > 255 || a.maskUnit <= 0) {
                std::fprintf(stderr, "buildmasks: bad mask size of %s\n", p.name);
                return 1;
            }
            a.sum.assign(static_cast<std::size_t>(a.w) * a.h, 0.0);
            acc.push_back(std::move(a));
        }
    } catch (const ovfc::XERRORINI&) {
        std::fprintf(stderr, "buildmasks: a mask or model key is missing in %s\n", config.c_str());
        return 1;
    }

    std::vector<std::uint8_t> patch;
    int frames = 0;
    for (int p = 1; p <= np; ++p) {
        for (int i = 1; i <= ni; ++i, ++frames) {
            const facegen::Frame f = facegen::generateFrame(sd, p, i);
            const double dx = f.eyes.xr - f.eyes.xl, dy = f.eyes.yr - f.eyes.yl;
            const double unit = std::sqrt(dx * dx + dy * dy);
            const double c = dx / unit, s = dy / unit;
            const double mx = (f.eyes.xl + f.eyes.xr) / 2, my = (f.eyes.yl + f.eyes.yr) / 2;
            for (Accumulator& a : acc) {
                const double g = a.maskUnit / unit;
                // Element centre, then the mask centre y-shifted along the face's vertical.
                const double ex = mx + unit * (a.u * c - a.v * s);
                const double ey = my + unit * (a.u * s + a.v * c);
                const double x = ex - a.yShift / g * s, y = ey + a.yShift / g * c;
                cut(f.pixels, x, y, c, s, g, a.w, a.h, patch);
                for (std::size_t k = 0; k < patch.size(); ++k) a.sum[k] += patch[k];
                a.cx += ex;
                a.cy += ey;
            }
        }
    }

    ovfc::BlockPool pool;
    ovfc::MaskSet set(pool);
    if (set.reserve(static_cast<std::uint8_t>(acc.size())) != ovfc::kOk) return 1;
    for (Accumulator& a : acc) {
        std::vector<std::uint8_t> px(a.sum.size());
        for (std::size_t k = 0; k < px.size(); ++k)
            px[k] = static_cast<std::uint8_t>(a.sum[k] / frames + 0.5);
        const auto x = static_cast<std::uint32_t>(a.cx / frames + 0.5);
        const auto y = static_cast<std::uint32_t>(a.cy / frames + 0.5);
        if (set.put(a.place.id, x, y, a.place.score, a.w, a.h, px.data(), a.w) != ovfc::kOk)
            return 1;
    }
    std::vector<std::uint8_t> blob(set.size());
    if (set.write(blob.data(), blob.size()) != ovfc::kOk) {
        std::fprintf(stderr, "buildmasks: the mask set does not fit a descriptor\n");
        return 1;
    }
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "buildmasks: cannot create %s\n", out.c_str());
        return 1;
    }
    const bool ok = std::fwrite(blob.data(), 1, blob.size(), file) == blob.size();
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "buildmasks: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%zu bytes, %zu masks averaged over %d frames\n", blob.size(), acc.size(), frames);
    return 0;
}

Registration reg({"buildmasks", "--config INI --out FILE [--persons N] [--images K] [--seed S]",
                  "average the default mask set from aligned synthetic faces", &run});

}  // namespace
}  // namespace ovfc_tool
