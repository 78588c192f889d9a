#include "manifest.h"

#include <cmath>
#include <set>

#include "json.h"

namespace ovem {
namespace {

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

bool ParseShape(const JsonValue& value, TensorSpec* spec) {
    if (!value.IsArray() || value.array().size() > 8) return false;
    uint64_t count = 1;
    for (const JsonValue& dim : value.array()) {
        if (!dim.IsNumber()) return false;
        double d = dim.number();
        if (d < 0 || d > static_cast<double>(kMaxTensorCount) || d != std::floor(d)) return false;
        auto n = static_cast<uint32_t>(d);
        count *= n;
        if (count > kMaxTensorCount) return false;
        spec->shape.push_back(n);
    }
    spec->count = count;
    return true;
}

bool ParseQuantization(const JsonValue& value, TensorSpec* spec) {
    const JsonValue* dtype = value.Find("dtype");
    const JsonValue* min = value.Find("min");
    const JsonValue* scale = value.Find("scale");
    if (!dtype || !dtype->IsString() || dtype->string() != "uint8") return false;
    if (!min || !min->IsNumber() || !scale || !scale->IsNumber()) return false;
    spec->quantized = true;
    spec->min = min->number();
    spec->scale = scale->number();
    return true;
}

bool ParseTensor(const JsonValue& value, TensorSpec* spec) {
    const JsonValue* name = value.Find("name");
    const JsonValue* shape = value.Find("shape");
    const JsonValue* dtype = value.Find("dtype");
    if (!name || !name->IsString() || name->string().empty()) return false;
    if (!dtype || !dtype->IsString() || dtype->string() != "float32") return false;
    if (!shape || !ParseShape(*shape, spec)) return false;
    spec->name = name->string();
    const JsonValue* quantization = value.Find("quantization");
    return !quantization || ParseQuantization(*quantization, spec);
}

bool ParseGroup(const JsonValue& value, std::set<std::string, std::less<>>* names,
                WeightGroup* group) {
    const JsonValue* paths = value.Find("paths");
    const JsonValue* weights = value.Find("weights");
    if (!paths || !paths->IsArray() || paths->array().empty()) return false;
    if (!weights || !weights->IsArray() || weights->array().empty()) return false;
    for (const JsonValue& path : paths->array()) {
        if (!path.IsString() || !IsPlainFileName(path.string())) return false;
        group->paths.push_back(path.string());
    }
    for (const JsonValue& weight : weights->array()) {
        TensorSpec spec;
        if (!ParseTensor(weight, &spec)) return false;
        if (!names->insert(spec.name).second) return false;
        group->tensors.push_back(std::move(spec));
    }
    return true;
}

}  // namespace

Status ParseManifest(std::string_view text, Manifest* out) {
    if (text.size() > kMaxManifestBytes) return Status::kManifest;
    std::optional<JsonValue> root = ParseJson(text);
    if (!root || !root->IsArray() || root->array().empty()) return Status::kManifest;
    Manifest manifest;
    std::set<std::string, std::less<>> names;
    for (const JsonValue& value : root->array()) {
        WeightGroup group;
        if (!ParseGroup(value, &names, &group)) return Status::kManifest;
        manifest.groups.push_back(std::move(group));
    }
    *out = std::move(manifest);
    return Status::kOk;
}

}  // namespace ovem
