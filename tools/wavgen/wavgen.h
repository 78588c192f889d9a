#pragma once
// The program's five short sounds, synthesised in integer arithmetic so that every build
// writes the same bytes, and the WAV encoding they are shipped in (16-bit mono PCM).
// All functions are thread-safe (no shared state).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wavgen {

inline constexpr unsigned kSampleRate = 22050;

struct Sound {
    std::string fileName;  // "click.wav", ...
    std::vector<std::int16_t> samples;
};

// click.wav, access.wav, deny.wav, identic.wav, differnt.wav, in this order.
std::vector<Sound> programSounds();

// sin(2 pi phase / 2^32) scaled to -32767..32767, within one step of the exact value.
std::int32_t sineQ15(std::uint32_t phase);

// A whole WAV file: 44-byte RIFF/WAVE header with one fmt and one data chunk.
std::vector<std::uint8_t> encodeWav(std::span<const std::int16_t> samples, unsigned sampleRate);

enum class WriteStatus { Ok = 0, CannotCreate, WriteFailed };

// Writes the bytes to a temporary file beside path and renames it over path, so a reader
// never sees half a file. On error nothing is left at path that was not there before.
WriteStatus writeFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace wavgen
