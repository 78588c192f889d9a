#include "model_files.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "network_layout.h"
#include "sha256.h"

namespace ovem_test {

std::vector<FakeTensor> fakeNetwork(int kind) {
    std::vector<FakeTensor> tensors;
    uint32_t seed = 1;
    for (const ovem::ExpectedTensor& e : ovem::networkLayout(kind)) {
        FakeTensor t;
        t.name = e.name;
        t.shape = e.shape;
        size_t count = 1;
        for (uint32_t d : e.shape) count *= d;
        t.bytes.resize(count);
        for (char& c : t.bytes) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        tensors.push_back(std::move(t));
    }
    return tensors;
}

FakeTensor* findTensor(std::vector<FakeTensor>& tensors, const std::string& name) {
    for (FakeTensor& t : tensors) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

std::string floatBytes(const std::vector<float>& values) {
    std::string bytes(values.size() * 4, '\0');
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

std::string manifestJson(const std::vector<FakeTensor>& tensors,
                         const std::vector<std::string>& paths) {
    std::ostringstream out;
    out.precision(17);
    out << "[\n {\"paths\": [";
    for (size_t i = 0; i < paths.size(); ++i) out << (i ? ", " : "") << '"' << paths[i] << '"';
    out << "],\n  \"weights\": [";
    for (size_t i = 0; i < tensors.size(); ++i) {
        const FakeTensor& t = tensors[i];
        out << (i ? ",\n   " : "\n   ") << "{\"name\": \"" << t.name << "\", \"shape\": [";
        for (size_t d = 0; d < t.shape.size(); ++d) out << (d ? "," : "") << t.shape[d];
        out << "], \"dtype\": \"float32\"";
        if (t.quantized) {
            out << ", \"quantization\": {\"dtype\": \"uint8\", \"scale\": " << t.scale
                << ", \"min\": " << t.min << "}";
        }
        out << "}";
    }
    out << "]\n }\n]\n";
    return out.str();
}

ModelFolder::ModelFolder() {
    std::string base = std::filesystem::temp_directory_path() / "ovem_test_XXXXXX";
    if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = base;
}

ModelFolder::~ModelFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string ModelFolder::path(const std::string& name) const {
    std::string full = dir_;
    full += '/';
    full += name;
    return full;
}

void ModelFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write test file");
}

std::string ModelFolder::read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ModelFolder::writeModel(const std::vector<FakeTensor>& tensors, int files) const {
    std::string all;
    for (const FakeTensor& t : tensors) all += t.bytes;
    std::vector<std::string> paths;
    std::string sums;
    size_t part = all.size() / static_cast<size_t>(files);
    for (int i = 0; i < files; ++i) {
        std::string name = "w";
        name += std::to_string(i + 1);
        name += ".bin";
        size_t begin = part * static_cast<size_t>(i);
        std::string bytes = i + 1 == files ? all.substr(begin) : all.substr(begin, part);
        write(name, bytes);
        sums += ovem::sha256Hex(bytes);
        sums += "  ";
        sums += name;
        sums += '\n';
        paths.push_back(name);
    }
    std::string manifest = manifestJson(tensors, paths);
    write("m.json", manifest);
    sums += ovem::sha256Hex(manifest);
    sums += "  m.json\n";
    write("sums", sums);
    return path("m.json");
}

}  // namespace ovem_test
