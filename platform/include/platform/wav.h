#pragma once
// WAV files: RIFF/WAVE with uncompressed PCM, 8 or 16 bits, mono or stereo. Parsing checks
// every size against the bytes at hand before it copies anything, so damaged input never
// makes it read out of bounds or allocate what a header merely claims.
// All functions are thread-safe (no shared state).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Result codes of loading, parsing and playing a sound.
enum class SoundStatus {
    Ok = 0,
    Off,                // sounds are switched off (OVFC_SOUND=off): nothing done
    FileMissing,        // the file cannot be opened
    FileTooLarge,       // the file is larger than kMaxWavFileBytes; not read
    ReadFailed,         // the file could be opened but not read
    NotRiff,            // no "RIFF" header
    NotWave,            // a RIFF file of another form than "WAVE"
    Truncated,          // the header or a chunk declares more bytes than the file holds
    BadChunkSize,       // a size that does not fit its content or its enclosing chunk
    NoFormat,           // no "fmt " chunk
    UnsupportedFormat,  // not PCM 8/16-bit mono/stereo at 8000..96000 Hz, or fields disagree
    NoData,             // no "data" chunk, or an empty one
    TooLong,            // longer than kMaxSoundSeconds
};

// Short English text for the code, for messages ("truncated file" and the like).
std::string_view soundStatusText(SoundStatus status);

inline constexpr unsigned kMaxSoundSeconds = 10;
// Ten seconds at the largest accepted rate and frame size, plus room for other chunks.
inline constexpr std::size_t kMaxWavFileBytes = 4u * 1024u * 1024u;

struct WavFormat {
    unsigned channels = 0;       // 1 or 2
    unsigned sampleRate = 0;     // frames per second
    unsigned bitsPerSample = 0;  // 8 (unsigned samples) or 16 (signed, little-endian)

    unsigned frameBytes() const { return channels * bitsPerSample / 8; }
    bool operator==(const WavFormat&) const = default;
};

// True for what parseWav accepts: 1 or 2 channels, 8 or 16 bits, 8000..96000 Hz.
bool supportedFormat(const WavFormat& format);

// A parsed sound: the format and the sample bytes exactly as stored in the data chunk
// (interleaved frames, whole frames only).
struct WavSound {
    WavFormat format;
    std::vector<std::uint8_t> data;

    std::size_t frames() const;
    std::chrono::milliseconds duration() const;  // rounded up
};

struct WavResult {
    SoundStatus status = SoundStatus::Ok;
    WavSound sound;  // empty unless status is Ok
};

// Parses a whole WAV file held in memory. Chunks other than "fmt " and "data" are skipped;
// odd-sized chunks are followed by their pad byte. Returns a status other than Ok (and an
// empty sound) for anything it does not accept; never throws except std::bad_alloc.
WavResult parseWav(std::span<const std::uint8_t> bytes);

// Reads and parses the file. Refuses files over kMaxWavFileBytes before reading them.
WavResult loadWavFile(const std::string& path);

}  // namespace platform
