#include "manifest.h"

#include <cmath>
#include <set>

#include "json.h"

namespace ovem {
namespace {

bool isPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

bool parseShape(const JsonValue& value, TensorInfo& tensor) {
    if (!value.isArray() || value.array().size() > 8) return false;
    uint64_t count = 1;
    for (const JsonValue& dim : value.array()) {
        if (!dim.isNumber()) return false;
        double d = dim.number();
        if (d < 0 || d > static_cast<double>(kMaxTensorCount) || d != std::floor(d)) return false;
        auto n = static_cast<uint32_t>(d);
        count *= n;
        if (count > kMaxTensorCount) return false;
        tensor.shape.push_back(n);
    }
    tensor.count = count;
    return true;
}

bool parseQuantization(const JsonValue& value, TensorInfo& tensor) {
    const JsonValue* dtype = value.find("dtype");
    const JsonValue* min = value.find("min");
    const JsonValue* scale = value.find("scale");
    if (!dtype || !dtype->isString() || dtype->string() != "uint8") return false;
    if (!min || !min->isNumber() || !scale || !scale->isNumber()) return false;
    tensor.quantized = true;
    tensor.min = min->number();
    tensor.scale = scale->number();
    return true;
}

bool parseTensor(const JsonValue& value, TensorInfo& tensor) {
    const JsonValue* name = value.find("name");
    const JsonValue* shape = value.find("shape");
    const JsonValue* dtype = value.find("dtype");
    if (!name || !name->isString() || name->string().empty()) return false;
    if (!dtype || !dtype->isString() || dtype->string() != "float32") return false;
    if (!shape || !parseShape(*shape, tensor)) return false;
    tensor.name = name->string();
    const JsonValue* quantization = value.find("quantization");
    return !quantization || parseQuantization(*quantization, tensor);
}

bool parseGroup(const JsonValue& value, std::set<std::string, std::less<>>& names,
                WeightGroup& group) {
    const JsonValue* paths = value.find("paths");
    const JsonValue* weights = value.find("weights");
    if (!paths || !paths->isArray() || paths->array().empty()) return false;
    if (!weights || !weights->isArray() || weights->array().empty()) return false;
    for (const JsonValue& path : paths->array()) {
        if (!path.isString() || !isPlainFileName(path.string())) return false;
        group.paths.push_back(path.string());
    }
    for (const JsonValue& weight : weights->array()) {
        TensorInfo tensor;
        if (!parseTensor(weight, tensor)) return false;
        if (!names.insert(tensor.name).second) return false;
        group.tensors.push_back(std::move(tensor));
    }
    return true;
}

}  // namespace

Status parseManifest(std::string_view text, Manifest& out) {
    if (text.size() > kMaxManifestBytes) return Status::kManifest;
    std::optional<JsonValue> root = parseJson(text);
    if (!root || !root->isArray() || root->array().empty()) return Status::kManifest;
    Manifest manifest;
    std::set<std::string, std::less<>> names;
    for (const JsonValue& value : root->array()) {
        WeightGroup group;
        if (!parseGroup(value, names, group)) return Status::kManifest;
        manifest.groups.push_back(std::move(group));
    }
    out = std::move(manifest);
    return Status::kOk;
}

}  // namespace ovem
