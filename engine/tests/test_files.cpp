#include "test_files.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ovfc_test {

TempDir::TempDir() {
    // Short on purpose: configuration values that name files hold at most 32 characters.
    std::string tmpl = "/tmp/ovfc-XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> blobWith(const std::vector<std::uint8_t>& header,
                                   const std::vector<RecordSpec>& records) {
    std::vector<std::uint8_t> b = header;
    b.push_back(static_cast<std::uint8_t>(records.size()));
    auto put16 = [&](std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    for (const auto& r : records) {
        const std::size_t n = static_cast<std::size_t>(r.width) * r.height;
        put16(static_cast<std::uint32_t>(14 + n));
        b.push_back(r.id);
        put16(r.width);
        put16(r.height);
        put16(r.x);
        put16(r.y);
        put16(r.score);
        b.push_back(r.flag);
        for (std::size_t i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(r.seed + 7 * i));
    }
    return b;
}

std::vector<std::uint8_t> blob(const std::vector<RecordSpec>& records) {
    return blobWith({'O', 'V', 'F', 'C', 'D', 'E', 'S', 'C', 3}, records);
}

}  // namespace ovfc_test
