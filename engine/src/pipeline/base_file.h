#pragma once
// The base file: a 40-byte record of a located face (unit, face score and centre, mode, eye
// centres) that a later run can start from. Its name is the image's base-file name; with an
// empty name the feature is inert.

#include <array>
#include <cstdint>

#include "face_context.h"

namespace ovfc {

inline constexpr std::size_t kBaseRecordSize = 40;

// The record of the context, little-endian, magic "OVFC".
std::array<std::uint8_t, kBaseRecordSize> EncodeBaseRecord(const FaceContext& ctx);
// Takes unit, face score, face centre and eye centres from a record (the magic is not read).
void DecodeBaseRecord(FaceContext& ctx, const std::uint8_t* record);

// kind 0, an empty name, a missing or short file: false. Otherwise the record is taken in,
// then kind 1 centres the face window and kind 2 the eye windows; true.
bool ReadBaseFile(FaceContext& ctx, int kind);
// Writes the record, replacing the file; a file that cannot be written is skipped.
void WriteBaseFile(const FaceContext& ctx);

}  // namespace ovfc
