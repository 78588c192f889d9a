#include "model.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include "checksum_list.h"
#include "file_read.h"
#include "manifest.h"
#include "network_layout.h"
#include "sha256.h"

namespace ovem {
namespace {

static_assert(std::endian::native == std::endian::little, "float32 weights are read in place");

// No weight file of these networks comes near this.
constexpr uint64_t kMaxWeightFileBytes = uint64_t{1} << 30;

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Status checkSum(const ChecksumList* sums, const std::string& name, std::string_view bytes) {
    if (!sums) return Status::kOk;
    auto it = sums->find(name);
    if (it == sums->end() || it->second != sha256Hex(bytes)) return Status::kChecksum;
    return Status::kOk;
}

// The bytes of every group's files, one after another, checked against the sums.
Status readGroups(const Manifest& manifest, const std::string& folder, const ChecksumList* sums,
                  std::vector<std::string>& data) {
    for (const WeightGroup& group : manifest.groups) {
        std::string joined;
        for (const std::string& path : group.paths) {
            std::string full = folder;
            full += path;
            std::string bytes;
            Status s = readWholeFile(full, kMaxWeightFileBytes, bytes);
            if (s != Status::kOk) return s;
            s = checkSum(sums, path, bytes);
            if (s != Status::kOk) return s;
            joined += bytes;
        }
        uint64_t need = 0;
        for (const TensorInfo& t : group.tensors) need += t.storedBytes();
        if (joined.size() < need) return Status::kTruncated;
        if (joined.size() > need) return Status::kExcessData;
        data.push_back(std::move(joined));
    }
    return Status::kOk;
}

// Every tensor of the layout present once with its shape, and nothing else.
Status checkLayout(const Manifest& manifest, const std::vector<ExpectedTensor>& layout) {
    std::map<std::string_view, const TensorInfo*> byName;
    for (const WeightGroup& group : manifest.groups) {
        for (const TensorInfo& t : group.tensors) byName.emplace(t.name, &t);
    }
    if (byName.size() != layout.size()) return Status::kShape;
    for (const ExpectedTensor& e : layout) {
        auto it = byName.find(e.name);
        if (it == byName.end() || it->second->shape != e.shape) return Status::kShape;
    }
    return Status::kOk;
}

// Writes count values; false when one is not finite.
bool dequantise(const TensorInfo& tensor, const char* bytes, float* out) {
    if (tensor.quantized) {
        float table[256];
        for (int b = 0; b < 256; ++b) {
            table[b] = static_cast<float>(static_cast<double>(b) * tensor.scale + tensor.min);
        }
        for (int b = 0; b < 256; ++b) {
            if (!std::isfinite(table[b])) return false;
        }
        const auto* u = reinterpret_cast<const unsigned char*>(bytes);
        for (size_t i = 0; i < tensor.count; ++i) out[i] = table[u[i]];
        return true;
    }
    std::memcpy(out, bytes, tensor.count * sizeof(float));
    for (size_t i = 0; i < tensor.count; ++i) {
        if (!std::isfinite(out[i])) return false;
    }
    return true;
}

}  // namespace

const Model::Tensor* Model::find(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &tensors_[it->second];
}

Status loadModel(int kind, const std::string& manifestPath, const std::string* sumsPath,
                 Model& out) {
    std::vector<ExpectedTensor> layout = networkLayout(kind);
    if (layout.empty()) return Status::kArgument;

    std::optional<ChecksumList> sums;
    if (sumsPath) {
        std::string text;
        Status s = readWholeFile(*sumsPath, 1u << 20, text);
        if (s == Status::kExcessData) return Status::kChecksum;
        if (s != Status::kOk) return s;
        sums = parseChecksumList(text);
        if (!sums) return Status::kChecksum;
    }
    const ChecksumList* sumList = sums ? &*sums : nullptr;

    std::string text;
    Status s = readWholeFile(manifestPath, kMaxManifestBytes, text);
    if (s == Status::kExcessData) return Status::kManifest;
    if (s != Status::kOk) return s;
    if ((s = checkSum(sumList, baseName(manifestPath), text)) != Status::kOk) return s;
    Manifest manifest;
    if ((s = parseManifest(text, manifest)) != Status::kOk) return s;

    std::vector<std::string> data;
    if ((s = readGroups(manifest, folderOf(manifestPath), sumList, data)) != Status::kOk) return s;
    if ((s = checkLayout(manifest, layout)) != Status::kOk) return s;

    Model model;
    model.kind_ = kind;
    size_t total = 0;
    for (const ExpectedTensor& e : layout) {
        Model::Tensor t;
        t.name = e.name;
        t.shape = e.shape;
        t.offset = total;
        t.count = 1;
        for (uint32_t d : e.shape) t.count *= d;
        total += t.count;
        model.index_.emplace(t.name, model.tensors_.size());
        model.tensors_.push_back(std::move(t));
    }
    model.weights_.resize(total);
    for (size_t g = 0; g < manifest.groups.size(); ++g) {
        const char* bytes = data[g].data();
        for (const TensorInfo& info : manifest.groups[g].tensors) {
            const Model::Tensor* t = model.find(info.name);
            if (!dequantise(info, bytes, model.weights_.data() + t->offset)) return Status::kValue;
            bytes += info.storedBytes();
        }
    }
    out = std::move(model);
    return Status::kOk;
}

}  // namespace ovem
