#pragma once
// Temporary directories, files and descriptor blobs for the tests.

#include <cstdint>
#include <string>
#include <vector>

namespace ovfc_test {

// A fresh directory under /tmp, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& text);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string readFile(const std::string& path);

struct RecordSpec {
    std::uint8_t id;
    std::uint16_t width, height, x, y, score;
    std::uint8_t flag;
    std::uint8_t seed;  // pixel i holds (seed + 7 i) mod 256
};

// A blob with the given header bytes (magic and version fields) and records.
std::vector<std::uint8_t> blobWith(const std::vector<std::uint8_t>& header,
                                   const std::vector<RecordSpec>& records);
// A current (version 3) blob.
std::vector<std::uint8_t> blob(const std::vector<RecordSpec>& records);

}  // namespace ovfc_test
