#pragma once
// The fitted read: any stored image, or a rectangle of it, scaled by repetition and
// omission into an output of fixed size, padded with grey 63.

#include <cstdint>

#include "format.h"
#include "ovio32.h"

namespace ovio {

inline constexpr uint8_t kPadValue = 63;
// Largest read chunk in bytes (whole stored lines).
inline constexpr size_t kReadChunk = 64512;

Status readClip(const NameArg& name, void* buffer, uint16_t flags, const ClipRect& clip);

// OvGetImageInfo.
Status imageInfo(const NameArg& name, ImageInfo* info, uint16_t flags);

}  // namespace ovio
