#include <cstdio>
#include <fstream>
#include <string_view>

#include "wavgen.h"

namespace wavgen {

namespace {

void putTag(std::vector<std::uint8_t>& b, std::string_view tag) {
    for (char c : tag) b.push_back(static_cast<std::uint8_t>(c));
}

void putLe(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> encodeWav(std::span<const std::int16_t> samples, unsigned sampleRate) {
    constexpr unsigned kChannels = 1, kBits = 16, kBlockAlign = kChannels * kBits / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBlockAlign);
    std::vector<std::uint8_t> b;
    b.reserve(44 + dataBytes);
    putTag(b, "RIFF");
    putLe(b, 36 + dataBytes, 4);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    putLe(b, 16, 4);
    putLe(b, 1, 2);  // PCM
    putLe(b, kChannels, 2);
    putLe(b, sampleRate, 4);
    putLe(b, sampleRate * kBlockAlign, 4);
    putLe(b, kBlockAlign, 2);
    putLe(b, kBits, 2);
    putTag(b, "data");
    putLe(b, dataBytes, 4);
    for (std::int16_t s : samples) putLe(b, static_cast<std::uint16_t>(s), 2);
    return b;
}

WriteStatus writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return WriteStatus::CannotCreate;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return WriteStatus::WriteFailed;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return WriteStatus::WriteFailed;
    }
    return WriteStatus::Ok;
}

}  // namespace wavgen
