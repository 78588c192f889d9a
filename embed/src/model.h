// A loaded network: every tensor of its layout, dequantised to float, in layout order.
#ifndef OVEM_MODEL_H
#define OVEM_MODEL_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace ovem {

class Model {
  public:
    struct Tensor {
        std::string name;
        std::vector<uint32_t> shape;
        size_t offset = 0;  // into the weights, in floats
        size_t count = 0;
    };

    int kind() const { return kind_; }
    const std::vector<Tensor>& tensors() const { return tensors_; }
    size_t weightCount() const { return weights_.size(); }
    const float* data(const Tensor& tensor) const { return weights_.data() + tensor.offset; }
    // nullptr when the network has no tensor of that name.
    const Tensor* find(std::string_view name) const;

  private:
    friend Status loadModel(int kind, const std::string& manifestPath, const std::string* sumsPath,
                            Model& out);
    int kind_ = 0;
    std::vector<Tensor> tensors_;
    std::map<std::string, size_t, std::less<>> index_;
    std::vector<float> weights_;
};

// Loads the network of the given kind; with a non-null sumsPath the manifest and weight
// files are checked against that sums file first. The codes are those of OvEmLoadModel.
// out is written only on success.
Status loadModel(int kind, const std::string& manifestPath, const std::string* sumsPath,
                 Model& out);

}  // namespace ovem

#endif  // OVEM_MODEL_H
