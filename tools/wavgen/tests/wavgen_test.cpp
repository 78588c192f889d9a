#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

#include "platform/wav.h"
#include "wavgen.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}
unsigned le16(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}
std::string tag(const Bytes& b, std::size_t at) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                       b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

// Frequency estimated from the sign changes of the samples in [from, to).
double crossingHz(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int changes = 0;
    for (std::size_t i = from + 1; i < to; ++i) changes += (s[i - 1] < 0) != (s[i] < 0);
    return changes / 2.0 * wavgen::kSampleRate / static_cast<double>(to - from);
}

const wavgen::Sound& sound(const std::vector<wavgen::Sound>& all, const std::string& name) {
    for (const auto& s : all) {
        if (s.fileName == name) return s;
    }
    throw std::runtime_error("no sound " + name);
}

TEST(WavGen, EveryFileIsAShortMono16BitWaveThatTheParserAccepts) {
    const auto sounds = wavgen::programSounds();
    ASSERT_EQ(sounds.size(), 5u);
    for (const auto& s : sounds) {
        SCOPED_TRACE(s.fileName);
        const Bytes b = wavgen::encodeWav(s.samples, wavgen::kSampleRate);
        ASSERT_EQ(b.size(), 44 + 2 * s.samples.size());
        EXPECT_EQ(tag(b, 0), "RIFF");
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(tag(b, 8), "WAVE");
        EXPECT_EQ(tag(b, 12), "fmt ");
        EXPECT_EQ(le32(b, 16), 16u);
        EXPECT_EQ(le16(b, 20), 1u);  // PCM
        EXPECT_EQ(le16(b, 22), 1u);  // mono
        EXPECT_EQ(le32(b, 24), 22050u);
        EXPECT_EQ(le32(b, 28), 44100u);
        EXPECT_EQ(le16(b, 32), 2u);
        EXPECT_EQ(le16(b, 34), 16u);
        EXPECT_EQ(tag(b, 36), "data");
        EXPECT_EQ(le32(b, 40), b.size() - 44);

        const auto parsed = platform::parseWav(b);
        ASSERT_EQ(parsed.status, platform::SoundStatus::Ok);
        EXPECT_EQ(parsed.sound.format, (platform::WavFormat{1, 22050, 16}));
        ASSERT_EQ(parsed.sound.frames(), s.samples.size());
        EXPECT_EQ(le16(parsed.sound.data, 2 * 10), static_cast<std::uint16_t>(s.samples[10]));
        EXPECT_LT(parsed.sound.duration(), std::chrono::seconds(1));
    }
}

TEST(WavGen, TheFiveSoundsDifferFromEachOther) {
    const auto sounds = wavgen::programSounds();
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        for (std::size_t j = i + 1; j < sounds.size(); ++j) {
            EXPECT_NE(sounds[i].fileName, sounds[j].fileName);
            EXPECT_NE(sounds[i].samples, sounds[j].samples)
                << sounds[i].fileName << " " << sounds[j].fileName;
        }
    }
}

TEST(WavGen, SoundsStartAndEndAtSilenceAndStayBelowFullScale) {
    for (const auto& s : wavgen::programSounds()) {
        SCOPED_TRACE(s.fileName);
        ASSERT_FALSE(s.samples.empty());
        EXPECT_EQ(s.samples.front(), 0);
        EXPECT_EQ(s.samples.back(), 0);
        int peak = 0;
        for (std::int16_t v : s.samples) peak = std::max(peak, std::abs(int{v}));
        EXPECT_GT(peak, 8000);   // clearly audible
        EXPECT_LT(peak, 32767);  // never clipped
    }
}

TEST(WavGen, TheTonesMoveTheWayTheirNamesSay) {
    const auto sounds = wavgen::programSounds();
    const auto& access = sound(sounds, "access.wav").samples;
    const auto& falling = sound(sounds, "differnt.wav").samples;
    const auto& deny = sound(sounds, "deny.wav").samples;
    const auto& click = sound(sounds, "click.wav").samples;
    const std::size_t a = access.size(), f = falling.size();
    EXPECT_GT(crossingHz(access, 3 * a / 4, a), 1.3 * crossingHz(access, 0, a / 4));
    EXPECT_GT(crossingHz(falling, 0, f / 4), 1.5 * crossingHz(falling, 3 * f / 4, f));
    EXPECT_LT(crossingHz(deny, 0, deny.size()), 400.0);
    EXPECT_LE(click.size(), wavgen::kSampleRate / 50u);  // a tick, not a tone

    // identic.wav: two beeps with a silent gap between them.
    const auto& beeps = sound(sounds, "identic.wav").samples;
    std::size_t longestQuiet = 0, run = 0;
    for (std::int16_t v : beeps) {
        run = v == 0 ? run + 1 : 0;
        longestQuiet = std::max(longestQuiet, run);
    }
    EXPECT_GE(longestQuiet, wavgen::kSampleRate / 25u);
}

TEST(WavGen, IntegerSineIsWithinOneStepOfTheExactValue) {
    double worst = 0;
    for (std::uint64_t p = 0; p < (std::uint64_t{1} << 32); p += 1'000'003) {
        const double exact =
            32767.0 * std::sin(2 * std::numbers::pi * static_cast<double>(p) / 4294967296.0);
        worst = std::max(worst, std::abs(wavgen::sineQ15(static_cast<std::uint32_t>(p)) - exact));
    }
    EXPECT_LT(worst, 1.0);
    EXPECT_EQ(wavgen::sineQ15(0), 0);
    EXPECT_EQ(wavgen::sineQ15(1u << 30), 32767);
    EXPECT_EQ(wavgen::sineQ15(3u << 30), -32767);
}

TEST(WavGen, TheBuildPutsTheGeneratorsFilesBesideThePrograms) {
    for (const auto& s : wavgen::programSounds()) {
        SCOPED_TRACE(s.fileName);
        std::ifstream in(std::string(OVFC_BIN_DIR) + "/" + s.fileName, std::ios::binary);
        ASSERT_TRUE(in);
        const Bytes onDisk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(onDisk, wavgen::encodeWav(s.samples, wavgen::kSampleRate));
    }
}

TEST(WavGen, WriteFileReportsAFolderThatIsNotThere) {
    const std::string path = "/nonexistent-ovfc-folder/click.wav";
    const Bytes bytes{1, 2, 3};
    EXPECT_EQ(wavgen::writeFile(path, bytes), wavgen::WriteStatus::CannotCreate);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

}  // namespace
