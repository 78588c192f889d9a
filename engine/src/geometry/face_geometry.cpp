#include "geometry/face_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "config_store.h"
#include "elements/element_search.h"

namespace ovfc {

namespace {

std::int32_t trunc32(double v) {
    return static_cast<std::int32_t>(v);
}
std::int32_t round32(double v) {
    return static_cast<std::int32_t>(v + 0.5);
}

void resetRecord(ElementRecord& r) {
    r.name[10] = r.name[11] = '\0';
    char* first = reinterpret_cast<char*>(&r.xMin);
    std::memset(first, 0, sizeof(ElementRecord) - offsetof(ElementRecord, xMin));
}

// Face widths from the heights and the width/height ratios.
void deriveWidths(FaceContext& ctx) {
    ElementRecord& f = ctx.face;
    f.widthMid = trunc32(f.heightMid * ctx.faceRatio[1]);
    f.widthMax = trunc32(std::min(f.heightMax * ctx.faceRatio[2], double(ctx.image.width)));
    f.widthMin = trunc32(f.heightMin * ctx.faceRatio[0]);
}

}  // namespace

void ResetRecords(FaceContext& ctx) {
    resetRecord(ctx.face);
    for (ElementRecord& e : ctx.elements) resetRecord(e);
}

void SetFacePriors(FaceContext& ctx) {
    const ConfigStore& c = ctx.config;
    const double W = ctx.image.width, H = ctx.image.height;
    ElementRecord& f = ctx.face;
    f.heightMin = trunc32(c.readReal("param", "face_height_min") * H);
    f.heightMid = trunc32(c.readReal("param", "face_height_mid") * H);
    f.heightMax = trunc32(c.readReal("param", "face_height_max") * H);
    ctx.faceRatio[0] = c.readReal("model", "face_width/height_min");
    ctx.faceRatio[1] = c.readReal("model", "face_width/height_mid");
    ctx.faceRatio[2] = c.readReal("model", "face_width/height_max");
    ctx.unit.unitMin = trunc32(c.readReal("model", "face_unit/height_min") * f.heightMin);
    ctx.unit.unit = trunc32(c.readReal("model", "face_unit/height_mid") * f.heightMid);
    ctx.unit.unitMax = trunc32(c.readReal("model", "face_unit/height_max") * f.heightMax);
    deriveWidths(ctx);

    const double b = c.readReal("param", "face_start_unit");
    const double xBord = c.readReal("param", "face_x_bord") * b;
    f.xMin = trunc32(std::max(c.readReal("param", "face_xc_min") * W, xBord));
    f.xC = trunc32(c.readReal("param", "face_xc_mid") * W);
    f.xMax = trunc32(std::min(c.readReal("param", "face_xc_max") * W, W - xBord));
    f.yMin = trunc32(std::max(c.readReal("param", "face_yc_min") * H,
                              c.readReal("param", "face_y_bord_up") * b));
    f.yC = trunc32(c.readReal("param", "face_yc_mid") * H);
    f.yMax = trunc32(std::min(c.readReal("param", "face_yc_max") * H,
                              H - c.readReal("param", "face_y_bord_dn") * b));
    f.score = 255;
    ctx.elements[kEyeLeft].score = 255;
    ctx.elements[kEyeRight].score = 255;
    ctx.elements[kNose].score = 255;
}

void DeriveFaceSize(FaceContext& ctx) {
    const ConfigStore& c = ctx.config;
    ElementRecord& f = ctx.face;
    f.heightMin = trunc32(ctx.unit.unitMin / c.readReal("model", "face_unit/height_min"));
    f.heightMid = trunc32(ctx.unit.unit / c.readReal("model", "face_unit/height_mid"));
    f.heightMax = trunc32(ctx.unit.unitMax / c.readReal("model", "face_unit/height_max"));
    deriveWidths(ctx);
}

void CentreFaceWindow(FaceContext& ctx, double k) {
    const double m = ctx.config.readReal("mask", "face_mask_unit");
    const double g = 1 + ctx.config.readReal("param", "face_un_step");
    UnitRecord& u = ctx.unit;
    u.unitMax = trunc32(u.unit * g);
    u.unitMin = trunc32(u.unit / g);
    u.unitFixed = 1;
    ElementRecord& f = ctx.face;
    f.xFixed = 1;
    const std::int32_t half = round32(u.unit * k / m);
    f.xMin = f.xC - half;
    f.xMax = f.xC + half;
    f.yMin = f.yC - half;
    f.yMax = f.yC + half;
    for (const int id : {kEyeLeft, kEyeRight}) {
        ctx.elements[id].xFixed = 0;
        ctx.elements[id].yFixed = 0;
    }
}

void CentreEyeWindows(FaceContext& ctx, double k) {
    const std::int32_t b =
        round32(k * ctx.unit.unit / ctx.config.readReal("mask", "eye_mask_unit"));
    ElementRecord& l = ctx.elements[kEyeLeft];
    ElementRecord& r = ctx.elements[kEyeRight];
    for (ElementRecord* e : {&l, &r}) {
        e->xMin = e->xC - b;
        e->xMax = e->xC + b;
        e->yMin = e->yC - b;
        e->yMax = e->yC + b;
        e->xFixed = e->yFixed = 1;
    }
    UnitFromEyes(ctx);
}

std::int32_t EyeDistance(const FaceContext& ctx) {
    const ElementRecord& l = ctx.elements[kEyeLeft];
    const ElementRecord& r = ctx.elements[kEyeRight];
    const double dx = double(r.xC) - l.xC, dy = double(r.yC) - l.yC;
    return trunc32(std::sqrt(dx * dx + dy * dy));
}

void UnitFromEyes(FaceContext& ctx) {
    UnitRecord& u = ctx.unit;
    u.unit = EyeDistance(ctx);
    u.unitMin = trunc32(u.unit * 0.9);
    u.unitMax = trunc32(u.unit * 1.1);
    ctx.face.yC = (ctx.elements[kEyeLeft].yC + ctx.elements[kEyeRight].yC) / 2;
    ctx.face.yMin = ctx.face.yC - 1;
    ctx.face.yMax = ctx.face.yC + 1;
}

void SetElementWindows(FaceContext& ctx) {
    const ConfigStore& c = ctx.config;
    const std::int32_t W = ctx.image.width, H = ctx.image.height;
    const UnitRecord& u = ctx.unit;
    ElementRecord& f = ctx.face;
    ElementRecord& l = ctx.elements[kEyeLeft];
    ElementRecord& r = ctx.elements[kEyeRight];
    const double xcMin = c.readReal("model", "eye_xc_min");
    const double xcMid = c.readReal("model", "eye_xc_mid");
    const double xcMax = c.readReal("model", "eye_xc_max");
    if (l.xFixed == 0) {
        l.xMin = std::max(0, trunc32(f.xMin - xcMax * u.unitMax));
        l.xC = std::max(0, trunc32(f.xC - xcMid * u.unit));
        l.xMax = std::max(0, trunc32(f.xMax - xcMin * u.unitMin));
    }
    if (r.xFixed == 0) {
        r.xMin = std::min(W, trunc32(f.xMin + xcMin * u.unitMin));
        r.xC = std::min(W, trunc32(f.xC + xcMid * u.unit));
        r.xMax = std::min(W, trunc32(f.xMax + xcMax * u.unitMax));
    }
    if (l.yFixed == 0) {
        const std::int32_t yMin =
            std::min(H, trunc32(f.yMin + c.readReal("model", "eye_yc_min") * u.unitMin));
        const std::int32_t yC =
            std::min(H, trunc32(f.yC + c.readReal("model", "eye_yc_mid") * u.unit));
        const std::int32_t yMax =
            std::min(H, trunc32(f.yMax + c.readReal("model", "eye_yc_max") * u.unitMax));
        for (ElementRecord* e : {&l, &r}) {
            e->yMin = yMin;
            e->yC = yC;
            e->yMax = yMax;
        }
    }
    double slope = 0.0;
    if (l.xFixed == 1 && l.yFixed == 1 && r.xFixed == 1 && r.yFixed == 1) {
        f.xC = (l.xC + r.xC) / 2;
        f.xMin = (l.xMin + r.xMin) / 2;
        f.xMax = (l.xMax + r.xMax) / 2;
        f.yMin = (l.yMin + r.yMin) / 2;
        f.yMax = (l.yMax + r.yMax) / 2;
        f.yC = (l.yC + r.yC) / 2;
        slope = EyeLineSlope(ctx);
    }
    if (ctx.elements[kNose].yFixed == 0) PredictElementWindow(ctx, kNose, slope);
    for (std::uint32_t id = 4; id < ctx.elementCount && id < kElementCount; ++id)
        PredictElementWindow(ctx, static_cast<int>(id), slope);
}

void CopyFaceToFullFace(FaceContext& ctx) {
    ElementRecord& e = ctx.elements[kFullFace];
    const ElementRecord& f = ctx.face;
    e.xMin = f.xMin;
    e.xC = f.xC;
    e.xMax = f.xMax;
    e.xFixed = f.xFixed;
    e.yMin = f.yMin;
    e.yC = f.yC;
    e.yMax = f.yMax;
    e.yFixed = f.yFixed;
}

int BuildEyeLineRegion(const FaceContext& ctx, const RegionRequest& request,
                       RotatedBuffer& region) {
    const ImageView image{ctx.image.data(), ctx.image.width, ctx.image.height, ctx.image.width};
    return region.build(image, EyeLineSlope(ctx), request, ctx.regions);
}

double EyeLineSlope(const FaceContext& ctx) {
    const ElementRecord& l = ctx.elements[kEyeLeft];
    const ElementRecord& r = ctx.elements[kEyeRight];
    if (r.xC == l.xC) return 0.0;
    return (double(r.yC) - l.yC) / (double(r.xC) - l.xC);
}

}  // namespace ovfc
