// SHA-256 (FIPS 180-4) of a byte string, for checking model files against their sums.
#ifndef OVEM_SHA256_H
#define OVEM_SHA256_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ovem {

using Sha256Digest = std::array<uint8_t, 32>;

Sha256Digest sha256(std::string_view bytes);
// 64 lower-case hex digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace ovem

#endif  // OVEM_SHA256_H
