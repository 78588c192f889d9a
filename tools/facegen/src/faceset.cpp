// Writing a whole face set: the frames and truth.txt.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "facegen.h"
#include "frame_file.h"

namespace facegen {

bool writeFaceSet(const std::string& dir, int persons, int images, std::uint64_t seed,
                  std::string& error) {
    if (persons < 1 || persons > kMaxPersons || images < 1 || images > kMaxImages) {
        error = "persons and images must be within 1..99";
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        error = "cannot create directory " + dir + (ec ? ": " + ec.message() : "");
        return false;
    }
    std::string truth;
    for (int p = 1; p <= persons; ++p) {
        for (int i = 1; i <= images; ++i) {
            const Frame f = generateFrame(seed, p, i);
            const std::string name = frameFileName(p, i);
            if (!writeFrameFile((fs::path(dir) / name).string(), f.pixels.data(), error))
                return false;
            truth += truthLine(name, p, f.eyes) + "\n";
        }
    }
    const std::string truthPath = (fs::path(dir) / "truth.txt").string();
    std::FILE* out = std::fopen(truthPath.c_str(), "wb");
    if (!out) {
        error = "cannot create " + truthPath + ": " + std::strerror(errno);
        return false;
    }
    const bool ok = std::fwrite(truth.data(), 1, truth.size(), out) == truth.size();
    if (std::fclose(out) != 0 || !ok) {
        error = "cannot write " + truthPath;
        return false;
    }
    return true;
}

}  // namespace facegen
