// The weights manifest: groups of weight files, each with the tensors stored in them, in
// order, as plain float32 or as uint8 with value = min + scale x byte.
#ifndef OVEM_MANIFEST_H
#define OVEM_MANIFEST_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace ovem {

struct TensorInfo {
    std::string name;
    std::vector<uint32_t> shape;
    uint64_t count = 0;      // product of the shape
    bool quantized = false;  // uint8 bytes; otherwise little-endian float32
    double min = 0;
    double scale = 0;

    uint64_t storedBytes() const { return quantized ? count : count * 4; }
};

struct WeightGroup {
    std::vector<std::string> paths;  // file names, read one after another
    std::vector<TensorInfo> tensors;
};

struct Manifest {
    std::vector<WeightGroup> groups;
};

// Larger manifests and tensors are refused as malformed.
inline constexpr size_t kMaxManifestBytes = 4u << 20;
inline constexpr uint64_t kMaxTensorCount = uint64_t{1} << 28;

// kOk, or kManifest when the text is not strict JSON of the manifest's form: a non-empty
// array of groups with non-empty "paths" (plain file names) and "weights" (unique names,
// a shape of integers, dtype "float32", optional quantization {dtype "uint8", min, scale}).
Status parseManifest(std::string_view text, Manifest& out);

}  // namespace ovem

#endif  // OVEM_MANIFEST_H
