#include "pipeline/base_file.h"

#include <cstdio>

#include "geometry/face_geometry.h"

namespace ovfc {

namespace {

void put32(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t get32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                     std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
}

bool named(const FaceContext& ctx) {
    return ctx.image.baseFile[0] != '\0';
}

}  // namespace

std::array<std::uint8_t, kBaseRecordSize> EncodeBaseRecord(const FaceContext& ctx) {
    std::array<std::uint8_t, kBaseRecordSize> r{};
    r[0] = 'O';
    r[1] = 'V';
    r[2] = 'F';
    r[3] = 'C';
    put32(&r[4], ctx.unit.unit);
    put32(&r[8], ctx.face.score);
    put32(&r[12], ctx.face.xC);
    put32(&r[16], ctx.face.yC);
    r[20] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(ctx.mode) & 0xFF);
    put32(&r[24], ctx.elements[kEyeLeft].xC);
    put32(&r[28], ctx.elements[kEyeLeft].yC);
    put32(&r[32], ctx.elements[kEyeRight].xC);
    put32(&r[36], ctx.elements[kEyeRight].yC);
    return r;
}

void DecodeBaseRecord(FaceContext& ctx, const std::uint8_t* r) {
    ctx.unit.unit = get32(r + 4);
    ctx.face.score = get32(r + 8);
    ctx.face.xC = get32(r + 12);
    ctx.face.yC = get32(r + 16);
    ctx.elements[kEyeLeft].xC = get32(r + 24);
    ctx.elements[kEyeLeft].yC = get32(r + 28);
    ctx.elements[kEyeRight].xC = get32(r + 32);
    ctx.elements[kEyeRight].yC = get32(r + 36);
}

bool ReadBaseFile(FaceContext& ctx, int kind) {
    if (kind == 0 || !named(ctx)) return false;
    std::FILE* f = std::fopen(ctx.image.baseFile, "rb");
    if (f == nullptr) return false;
    std::uint8_t r[kBaseRecordSize];
    const bool whole = std::fread(r, 1, sizeof r, f) == sizeof r;
    std::fclose(f);
    if (!whole) return false;
    DecodeBaseRecord(ctx, r);
    if (kind == 1) CentreFaceWindow(ctx, 1.5);
    if (kind == 2) CentreEyeWindows(ctx, 2.0);
    return true;
}

void WriteBaseFile(const FaceContext& ctx) {
    if (!named(ctx)) return;
    std::FILE* f = std::fopen(ctx.image.baseFile, "wb");
    if (f == nullptr) return;
    const auto r = EncodeBaseRecord(ctx);
    std::fwrite(r.data(), 1, r.size(), f);
    std::fclose(f);
}

}  // namespace ovfc
