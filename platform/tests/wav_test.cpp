#include "platform/wav.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "counting_new.h"
#include "wav_bytes.h"

namespace {

using platform::parseWav;
using platform::SoundStatus;
using namespace wavtest;

void setLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Offset of the data chunk's size field in simpleWav output.
constexpr std::size_t kDataSizeAt = 12 + 24 + 4;

TEST(ParseWav, AcceptsPcmMonoAndStereoAtBothSampleSizes) {
    for (unsigned channels : {1u, 2u}) {
        for (unsigned bits : {8u, 16u}) {
            const Bytes data = ramp(channels * bits / 8 * 100);
            const auto r = parseWav(simpleWav({1, channels, 11025, bits}, data));
            ASSERT_EQ(r.status, SoundStatus::Ok) << channels << " ch " << bits << " bit";
            EXPECT_EQ(r.sound.format, (platform::WavFormat{channels, 11025, bits}));
            EXPECT_EQ(r.sound.data, data);
            EXPECT_EQ(r.sound.frames(), 100u);
        }
    }
}

TEST(ParseWav, SkipsOtherChunksAndTheirPadBytes) {
    const Bytes data = ramp(64, 3);
    // An odd-sized chunk before and after, data before fmt.
    const auto r = parseWav(
        riff({chunk("LIST", ramp(5)), chunk("data", data), chunk("junk", ramp(1)), fmtChunk({})}));
    ASSERT_EQ(r.status, SoundStatus::Ok);
    EXPECT_EQ(r.sound.data, data);
}

TEST(ParseWav, RefusesDamagedHeaders) {
    const Bytes good = simpleWav({}, ramp(20));
    EXPECT_EQ(parseWav({}).status, SoundStatus::NotRiff);
    EXPECT_EQ(parseWav(Bytes{'R', 'I', 'F'}).status, SoundStatus::NotRiff);
    Bytes b = good;
    b[0] = 'X';
    EXPECT_EQ(parseWav(b).status, SoundStatus::NotRiff);
    b = good;
    b[8] = 'A';
    EXPECT_EQ(parseWav(b).status, SoundStatus::NotWave);
    b = Bytes(good.begin(), good.begin() + 10);
    EXPECT_EQ(parseWav(b).status, SoundStatus::Truncated);
}

TEST(ParseWav, RefusesTruncatedData) {
    const Bytes good = simpleWav({}, ramp(200));
    // The file cut short: the RIFF size claims what is not there.
    const Bytes cut(good.begin(), good.end() - 50);
    EXPECT_EQ(parseWav(cut).status, SoundStatus::Truncated);
    // The RIFF size fixed to the cut file, but the data chunk still claims 200 bytes.
    Bytes fixed = cut;
    setLe32(fixed, 4, static_cast<std::uint32_t>(fixed.size() - 8));
    EXPECT_EQ(parseWav(fixed).status, SoundStatus::Truncated);
    // Cut inside the fmt chunk.
    Bytes inFmt(good.begin(), good.begin() + 30);
    setLe32(inFmt, 4, static_cast<std::uint32_t>(inFmt.size() - 8));
    EXPECT_EQ(parseWav(inFmt).status, SoundStatus::Truncated);
}

TEST(ParseWav, RefusesChunkSizesThatDoNotFit) {
    const Bytes good = simpleWav({}, ramp(200));
    // RIFF size smaller than its chunks: the data chunk runs past it.
    Bytes b = good;
    setLe32(b, 4, static_cast<std::uint32_t>(good.size() - 8 - 10));
    EXPECT_EQ(parseWav(b).status, SoundStatus::BadChunkSize);
    // RIFF size below the form type.
    b = good;
    setLe32(b, 4, 2);
    EXPECT_EQ(parseWav(b).status, SoundStatus::BadChunkSize);
    // A fmt chunk too short for its fields.
    Bytes shortFmt = fmtChunk({});
    shortFmt.resize(8 + 14);
    setLe32(shortFmt, 4, 14);
    EXPECT_EQ(parseWav(riff({shortFmt, chunk("data", ramp(20))})).status,
              SoundStatus::BadChunkSize);
    // 16-bit stereo data that is not whole frames.
    EXPECT_EQ(parseWav(simpleWav({1, 2, 22050, 16}, ramp(402))).status, SoundStatus::BadChunkSize);
    // Leftover bytes inside the RIFF that cannot hold a chunk header.
    Bytes tail = good;
    tail.insert(tail.end(), {1, 2, 3, 4});
    setLe32(tail, 4, static_cast<std::uint32_t>(tail.size() - 8));
    EXPECT_EQ(parseWav(tail).status, SoundStatus::BadChunkSize);
}

TEST(ParseWav, RefusesUnsupportedFormats) {
    const Bytes data = ramp(120);
    const Fmt refused[] = {
        {3, 1, 22050, 16},           // IEEE float
        {0xFFFE, 1, 22050, 16},      // extensible
        {1, 1, 22050, 24},           // 24-bit
        {1, 3, 22050, 16},           // three channels
        {1, 0, 22050, 16},           // no channels
        {1, 1, 4000, 16},            // rate too low
        {1, 1, 192000, 16},          // rate too high
        {1, 2, 22050, 16, 0, 2},     // block align of mono for stereo
        {1, 1, 22050, 16, 22050, 0}  // byte rate disagrees
    };
    for (const Fmt& f : refused) {
        EXPECT_EQ(parseWav(simpleWav(f, data)).status, SoundStatus::UnsupportedFormat)
            << "tag " << f.tag << " ch " << f.channels << " rate " << f.rate << " bits " << f.bits;
    }
}

TEST(ParseWav, RefusesMissingOrEmptyChunks) {
    EXPECT_EQ(parseWav(riff({chunk("data", ramp(20))})).status, SoundStatus::NoFormat);
    EXPECT_EQ(parseWav(riff({fmtChunk({})})).status, SoundStatus::NoData);
    EXPECT_EQ(parseWav(riff({fmtChunk({}), chunk("data", {})})).status, SoundStatus::NoData);
}

TEST(ParseWav, RefusesAHugeDeclaredSizeWithoutAllocatingIt) {
    Bytes b = simpleWav({}, ramp(200));
    setLe32(b, kDataSizeAt, 0xFFFFFFF0u);
    Bytes riffHuge = simpleWav({}, ramp(200));
    setLe32(riffHuge, 4, 0xFFFFFFFFu);
    ovfc_test::resetLargestAllocation();
    EXPECT_EQ(parseWav(b).status, SoundStatus::Truncated);
    EXPECT_EQ(parseWav(riffHuge).status, SoundStatus::Truncated);
    EXPECT_LT(ovfc_test::largestAllocation(), 4096u);
}

TEST(ParseWav, CapsTheLengthAtTenSeconds) {
    const Fmt f{1, 1, 8000, 8};
    EXPECT_EQ(parseWav(simpleWav(f, ramp(8000 * 10))).status, SoundStatus::Ok);
    EXPECT_EQ(parseWav(simpleWav(f, ramp(8000 * 10 + 1))).status, SoundStatus::TooLong);
}

TEST(LoadWavFile, RefusesMissingAndOversizedFilesBeforeReading) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ovfc_wav_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_EQ(platform::loadWavFile((dir / "absent.wav").string()).status,
              SoundStatus::FileMissing);
    // A sparse file far over the cap: refused by its size, so nothing is read or allocated.
    const fs::path big = dir / "big.wav";
    { std::ofstream(big, std::ios::binary) << "RIFF"; }
    fs::resize_file(big, 1ull << 32);
    ovfc_test::resetLargestAllocation();
    EXPECT_EQ(platform::loadWavFile(big.string()).status, SoundStatus::FileTooLarge);
    EXPECT_LT(ovfc_test::largestAllocation(), 1u << 20);
    fs::remove_all(dir);
}

}  // namespace
