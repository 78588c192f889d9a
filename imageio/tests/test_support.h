#pragma once
// Helpers of the image-file tests: scratch directories, raw file bytes, test pictures and
// a small builder for hand-made TIFF files.

#include <cstdint>
#include <string>
#include <vector>

#include "ovio32.h"

namespace ovtest {

using Bytes = std::vector<uint8_t>;

// A fresh directory removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void writeFile(const std::string& path, const Bytes& data);
Bytes readFile(const std::string& path);
bool fileExists(const std::string& path);

// Pseudo-random pixels, reproducible from the seed.
Bytes randomPixels(size_t count, uint32_t seed);

// Length-prefixed copy of a name.
Bytes prefixed(const std::string& name);

void put16(Bytes& b, size_t at, uint32_t v);
void put32(Bytes& b, size_t at, uint32_t v);
uint32_t get16(const Bytes& b, size_t at);
uint32_t get32(const Bytes& b, size_t at);

// Builds a little-endian TIFF: header, one directory at offset 8, extra data after it.
struct TiffBuilder {
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    std::vector<Entry> entries;
    Bytes extra;  // placed right after the directory

    TiffBuilder& add(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        entries.push_back({tag, type, count, value});
        return *this;
    }
    // Offset in the file where `extra` begins.
    uint32_t extraOffset() const { return static_cast<uint32_t>(8 + 2 + 12 * entries.size() + 4); }
    Bytes build() const;
};

// Plain grey TIFF of the given pixels (tags of the simplest baseline file).
Bytes greyTiff(int width, int height, const Bytes& pixels);

// True when the program can be found in PATH.
bool haveTool(const std::string& name);
// Runs a shell command; its exit status, the combined output into `output`.
int runCommand(const std::string& command, std::string* output = nullptr);

// A binary PGM/PPM (P5/P6, maxval 255) as written by converters: width, height, pixels.
struct Netpbm {
    int width = 0, height = 0, channels = 0;
    Bytes pixels;
};
bool readNetpbm(const std::string& path, Netpbm& out);
void writeNetpbm(const std::string& path, int width, int height, int channels, const Bytes& px);

// A clip that reads the whole w x h source into a w x h output, unscaled.
ClipRect exactClip(int w, int h);

// Reads a file with OvReadClip into an output of width x height x pixel bytes; the
// status goes to `status`.
Bytes readClip(const std::string& name, uint16_t flags, ClipRect clip, int16_t* status,
               int pixelBytes = 1);

}  // namespace ovtest
