#include "platform/wav.h"

#include <cstring>
#include <fstream>

namespace platform {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

unsigned le16(const std::uint8_t* p) {
    return unsigned{p[0]} | unsigned{p[1]} << 8;
}

bool isTag(const std::uint8_t* p, const char (&tag)[5]) {
    return std::memcmp(p, tag, 4) == 0;
}

struct FmtFields {
    unsigned formatTag = 0;
    unsigned channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    unsigned blockAlign = 0;
    unsigned bits = 0;
};

FmtFields readFmt(const std::uint8_t* p) {
    return {le16(p), le16(p + 2), le32(p + 4), le32(p + 8), le16(p + 12), le16(p + 14)};
}

WavResult failed(SoundStatus status) {
    return {status, {}};
}

}  // namespace

bool supportedFormat(const WavFormat& format) {
    return (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.sampleRate >= 8000 &&
           format.sampleRate <= 96000;
}

std::string_view soundStatusText(SoundStatus status) {
    switch (status) {
        case SoundStatus::Ok:
            return "ok";
        case SoundStatus::Off:
            return "sounds switched off";
        case SoundStatus::FileMissing:
            return "file not found";
        case SoundStatus::FileTooLarge:
            return "file too large";
        case SoundStatus::ReadFailed:
            return "file not readable";
        case SoundStatus::NotRiff:
            return "not a RIFF file";
        case SoundStatus::NotWave:
            return "not a WAVE file";
        case SoundStatus::Truncated:
            return "truncated file";
        case SoundStatus::BadChunkSize:
            return "bad chunk size";
        case SoundStatus::NoFormat:
            return "no format chunk";
        case SoundStatus::UnsupportedFormat:
            return "unsupported sample format";
        case SoundStatus::NoData:
            return "no sound data";
        case SoundStatus::TooLong:
            return "sound too long";
    }
    return "unknown status";
}

std::size_t WavSound::frames() const {
    const unsigned bytes = format.frameBytes();
    return bytes == 0 ? 0 : data.size() / bytes;
}

std::chrono::milliseconds WavSound::duration() const {
    if (format.sampleRate == 0) return std::chrono::milliseconds{0};
    const auto ms =
        (static_cast<std::uint64_t>(frames()) * 1000 + format.sampleRate - 1) / format.sampleRate;
    return std::chrono::milliseconds{static_cast<std::chrono::milliseconds::rep>(ms)};
}

WavResult parseWav(std::span<const std::uint8_t> bytes) {
    const std::size_t size = bytes.size();
    const std::uint8_t* base = bytes.data();
    if (size < 4 || !isTag(base, "RIFF")) return failed(SoundStatus::NotRiff);
    if (size < 12) return failed(SoundStatus::Truncated);
    const std::uint64_t riffSize = le32(base + 4);
    if (riffSize < 4) return failed(SoundStatus::BadChunkSize);
    if (riffSize > size - 8) return failed(SoundStatus::Truncated);
    if (!isTag(base + 8, "WAVE")) return failed(SoundStatus::NotWave);

    // Every offset below stays within [0, end] and end <= size.
    const std::uint64_t end = 8 + riffSize;
    std::uint64_t pos = 12;
    bool haveFmt = false;
    bool haveData = false;
    FmtFields fmt;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataSize = 0;
    while (pos < end) {
        if (end - pos < 8) return failed(SoundStatus::BadChunkSize);
        const std::uint8_t* header = base + pos;
        const std::uint64_t chunkSize = le32(header + 4);
        const std::uint64_t body = pos + 8;
        if (chunkSize > end - body) {
            return failed(chunkSize > size - body ? SoundStatus::Truncated
                                                  : SoundStatus::BadChunkSize);
        }
        if (isTag(header, "fmt ") && !haveFmt) {
            if (chunkSize < 16) return failed(SoundStatus::BadChunkSize);
            fmt = readFmt(base + body);
            haveFmt = true;
        } else if (isTag(header, "data") && !haveData) {
            dataOffset = body;
            dataSize = chunkSize;
            haveData = true;
        }
        // A missing pad byte after the last chunk is tolerated.
        pos = body + chunkSize + (chunkSize & 1);
    }

    if (!haveFmt) return failed(SoundStatus::NoFormat);
    constexpr unsigned kPcm = 1;
    const WavFormat format{fmt.channels, fmt.sampleRate, fmt.bits};
    if (fmt.formatTag != kPcm || !supportedFormat(format) ||
        fmt.blockAlign != format.frameBytes() || fmt.byteRate != fmt.sampleRate * fmt.blockAlign) {
        return failed(SoundStatus::UnsupportedFormat);
    }
    if (!haveData || dataSize == 0) return failed(SoundStatus::NoData);
    if (dataSize % fmt.blockAlign != 0) return failed(SoundStatus::BadChunkSize);
    if (dataSize / fmt.blockAlign > std::uint64_t{kMaxSoundSeconds} * fmt.sampleRate) {
        return failed(SoundStatus::TooLong);
    }

    WavResult result;
    result.sound.format = format;
    result.sound.data.assign(base + dataOffset, base + dataOffset + dataSize);
    return result;
}

WavResult loadWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return failed(SoundStatus::FileMissing);
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0) return failed(SoundStatus::ReadFailed);
    if (static_cast<std::uint64_t>(length) > kMaxWavFileBytes) {
        return failed(SoundStatus::FileTooLarge);
    }
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), length)) {
        return failed(SoundStatus::ReadFailed);
    }
    return parseWav(bytes);
}

}  // namespace platform
