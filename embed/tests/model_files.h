// Model folders written by the tests: a manifest, its weight files and a sums file.
#ifndef OVEM_TESTS_MODEL_FILES_H
#define OVEM_TESTS_MODEL_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace ovem_test {

struct FakeTensor {
    std::string name;
    std::vector<uint32_t> shape;
    bool quantized = true;
    double min = -1.0;
    double scale = 1.0 / 128;
    std::string bytes;  // stored bytes: one per value, or four (little-endian float32)
};

// Every tensor of the network, quantised, with a fixed byte pattern.
std::vector<FakeTensor> fakeNetwork(int kind);
FakeTensor* findTensor(std::vector<FakeTensor>& tensors, const std::string& name);
// The stored bytes of little-endian float32 values.
std::string floatBytes(const std::vector<float>& values);

// A manifest of one group over the given files, the tensors' bytes split over them in
// equal parts.
std::string manifestJson(const std::vector<FakeTensor>& tensors,
                         const std::vector<std::string>& paths);

// A fresh folder under the test temp folder, removed with the object.
class ModelFolder {
  public:
    ModelFolder();
    ~ModelFolder();
    ModelFolder(const ModelFolder&) = delete;
    ModelFolder& operator=(const ModelFolder&) = delete;

    std::string path(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    // Writes manifest "m.json", weight files "w1.bin".. and "sums" listing all; returns
    // the manifest path.
    std::string writeModel(const std::vector<FakeTensor>& tensors, int files = 1) const;
    std::string sumsPath() const { return path("sums"); }

  private:
    std::string dir_;
};

}  // namespace ovem_test

#endif  // OVEM_TESTS_MODEL_FILES_H
