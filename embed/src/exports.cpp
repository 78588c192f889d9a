// The C interface over the model loader.
#include <memory>
#include <new>
#include <string>

#include "model_handle.h"

extern "C" OVEM_API const char* OvEmManifestName(int kind) {
    switch (kind) {
        case OVEM_MODEL_LANDMARKS68:
            return "face_landmark_68_model-weights_manifest.json";
        case OVEM_MODEL_EMBEDDING128:
            return "face_recognition_model-weights_manifest.json";
        default:
            return nullptr;
    }
}

extern "C" OVEM_API int OvEmLoadModel(int kind, const char* manifestPath, const char* sumsPath,
                                      OvEmModel** model) {
    if (model) *model = nullptr;
    if (!manifestPath || !model || !OvEmManifestName(kind)) return OVEM_E_ARGUMENT;
    try {
        auto loaded = std::make_unique<OvEmModel>();
        std::string sums = sumsPath ? sumsPath : "";
        ovem::Status s =
            ovem::loadModel(kind, manifestPath, sumsPath ? &sums : nullptr, loaded->model);
        if (s != ovem::Status::kOk) return static_cast<int>(s);
        *model = loaded.release();
        return OVEM_OK;
    } catch (const std::bad_alloc&) {
        return OVEM_E_NO_MEMORY;
    }
}

extern "C" OVEM_API void OvEmFreeModel(OvEmModel* model) {
    delete model;
}

extern "C" OVEM_API int OvEmModelInfo(const OvEmModel* model, int* kind, uint32_t* tensorCount,
                                      uint64_t* weightCount) {
    if (!model || !kind || !tensorCount || !weightCount) return OVEM_E_ARGUMENT;
    *kind = model->model.kind();
    *tensorCount = static_cast<uint32_t>(model->model.tensors().size());
    *weightCount = model->model.weightCount();
    return OVEM_OK;
}

extern "C" OVEM_API int OvEmModelTensor(const OvEmModel* model, const char* name,
                                        const float** data, uint64_t* count) {
    if (!model || !name || !data || !count) return OVEM_E_ARGUMENT;
    const ovem::Model::Tensor* t = model->model.find(name);
    if (!t) return OVEM_E_ARGUMENT;
    *data = model->model.data(*t);
    *count = t->count;
    return OVEM_OK;
}
