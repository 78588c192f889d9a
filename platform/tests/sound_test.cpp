#include "platform/sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/event.h"
#include "platform/paths.h"
#include "wav_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::SoundStatus;
using wavtest::Bytes;

// What a fake output was given, shared with the test after the player owns the sink.
struct Record {
    std::mutex mutex;
    std::vector<platform::WavFormat> formats;  // one per open
    std::vector<Bytes> sounds;                 // bytes written between an open and its close
    int closes = 0;
    bool failOpen = false;
    bool failWrite = false;
    std::chrono::milliseconds reportPending{0};
    // Optional hold on the first write: set writing, then wait for release.
    bool holdFirstWrite = false;
    platform::ManualEvent writing;
    platform::ManualEvent release;
    platform::ManualEvent draining;  // set at the first pending()
};

class FakeSink final : public platform::SoundSink {
  public:
    explicit FakeSink(std::shared_ptr<Record> r) : r_(std::move(r)) {}

    platform::SinkResult open(const platform::WavFormat& format) override {
        std::lock_guard lock(r_->mutex);
        r_->formats.push_back(format);
        if (r_->failOpen) return {false, "no card"};
        r_->sounds.emplace_back();
        return {};
    }
    platform::SinkResult write(std::span<const std::uint8_t> frames) override {
        bool hold = false;
        {
            std::lock_guard lock(r_->mutex);
            if (r_->failWrite) return {false, "device gone"};
            r_->sounds.back().insert(r_->sounds.back().end(), frames.begin(), frames.end());
            hold = r_->holdFirstWrite && !r_->writing.isSet();
        }
        if (hold) {
            r_->writing.set();
            r_->release.wait();
        }
        return {};
    }
    std::chrono::milliseconds pending() override {
        r_->draining.set();
        std::lock_guard lock(r_->mutex);
        return r_->reportPending;
    }
    void close() override {
        std::lock_guard lock(r_->mutex);
        ++r_->closes;
    }

  private:
    std::shared_ptr<Record> r_;
};

// Sets or clears an environment variable for one scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class SoundPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ovfc_sound_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string writeFile(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

    fs::path dir_;
    std::shared_ptr<Record> record_ = std::make_shared<Record>();
    std::ostringstream noticeText_;
    platform::NoSoundNotice notice_{noticeText_};
};

TEST_F(SoundPlayerTest, WritesTheFileDataToTheSink) {
    const Bytes data = wavtest::ramp(2 * 1000);
    const std::string path = writeFile("tone.wav", wavtest::simpleWav({1, 1, 22050, 16}, data));
    platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
    ASSERT_EQ(player.play(path), SoundStatus::Ok);
    player.waitIdle();
    std::lock_guard lock(record_->mutex);
    ASSERT_EQ(record_->sounds.size(), 1u);
    EXPECT_EQ(record_->formats[0], (platform::WavFormat{1, 22050, 16}));
    EXPECT_EQ(record_->sounds[0], data);
    EXPECT_EQ(record_->closes, 1);
    EXPECT_TRUE(noticeText_.str().empty());
}

TEST_F(SoundPlayerTest, ANewerPlayReplacesThePlayingSound) {
    // 0.2 s at 8000 Hz: many slices, so the first is far from the whole.
    const Bytes first = wavtest::ramp(1600, 1);
    const Bytes second = wavtest::ramp(400, 2);
    const std::string a = writeFile("a.wav", wavtest::simpleWav({1, 1, 8000, 8}, first));
    const std::string b = writeFile("b.wav", wavtest::simpleWav({1, 1, 8000, 8}, second));
    record_->holdFirstWrite = true;
    platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
    ASSERT_EQ(player.play(a), SoundStatus::Ok);
    record_->writing.wait();  // the first sound is being written
    ASSERT_EQ(player.play(b), SoundStatus::Ok);
    record_->release.set();
    player.waitIdle();
    std::lock_guard lock(record_->mutex);
    ASSERT_EQ(record_->sounds.size(), 2u);
    ASSERT_LT(record_->sounds[0].size(), first.size());
    EXPECT_TRUE(std::equal(record_->sounds[0].begin(), record_->sounds[0].end(), first.begin()));
    EXPECT_EQ(record_->sounds[1], second);
    EXPECT_EQ(record_->closes, 2);
}

TEST_F(SoundPlayerTest, DestroyingThePlayerEndsItsThreadWhileASoundPlays) {
    record_->reportPending = std::chrono::hours(1);  // the device never finishes by itself
    const std::string a =
        writeFile("a.wav", wavtest::simpleWav({1, 1, 8000, 8}, wavtest::ramp(800)));
    {
        platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
        ASSERT_EQ(player.play(a), SoundStatus::Ok);
        record_->draining.wait();
    }
    std::lock_guard lock(record_->mutex);
    EXPECT_EQ(record_->closes, 1);
}

TEST_F(SoundPlayerTest, StopEndsTheSoundAndTheNextPlayStillWorks) {
    record_->reportPending = std::chrono::hours(1);
    const Bytes data = wavtest::ramp(80);
    const std::string a = writeFile("a.wav", wavtest::simpleWav({1, 1, 8000, 8}, data));
    platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
    ASSERT_EQ(player.play(a), SoundStatus::Ok);
    record_->draining.wait();
    player.stop();
    player.waitIdle();
    {
        std::lock_guard lock(record_->mutex);
        EXPECT_EQ(record_->closes, 1);
        record_->reportPending = std::chrono::milliseconds{0};
    }
    ASSERT_EQ(player.play(a), SoundStatus::Ok);
    player.waitIdle();
    std::lock_guard lock(record_->mutex);
    ASSERT_EQ(record_->sounds.size(), 2u);
    EXPECT_EQ(record_->sounds[1], data);
}

TEST_F(SoundPlayerTest, RefusesMissingAndDamagedFilesWithoutPlaying) {
    Bytes damaged = wavtest::simpleWav({}, wavtest::ramp(100));
    damaged.resize(60);
    const std::string path = writeFile("damaged.wav", damaged);
    platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
    EXPECT_EQ(player.play((dir_ / "absent.wav").string()), SoundStatus::FileMissing);
    EXPECT_EQ(player.play(path), SoundStatus::Truncated);
    EXPECT_EQ(player.play(platform::WavSound{{1, 8000, 8}, {}}), SoundStatus::NoData);
    EXPECT_EQ(player.play(platform::WavSound{{1, 8000, 24}, {1, 2, 3}}),
              SoundStatus::UnsupportedFormat);
    player.waitIdle();
    std::lock_guard lock(record_->mutex);
    EXPECT_TRUE(record_->formats.empty());
}

TEST_F(SoundPlayerTest, SwitchedOffByTheEnvironmentEveryPlayIsANoOp) {
    const std::string path = writeFile("ok.wav", wavtest::simpleWav({}, wavtest::ramp(100)));
    ScopedEnv off("OVFC_SOUND", "OFF");
    platform::SoundPlayer player;
    EXPECT_TRUE(player.switchedOff());
    EXPECT_EQ(player.play(path), SoundStatus::Off);
    EXPECT_EQ(player.play((dir_ / "absent.wav").string()), SoundStatus::Off);
    EXPECT_EQ(player.playNamed("click.wav"), SoundStatus::Off);
    player.waitIdle();
}

TEST_F(SoundPlayerTest, NoDeviceGivesOneNoticeLineAndNothingElse) {
    const std::string path = writeFile("ok.wav", wavtest::simpleWav({}, wavtest::ramp(100)));
    record_->failOpen = true;
    {
        platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
        EXPECT_EQ(player.play(path), SoundStatus::Ok);
        player.waitIdle();
        EXPECT_EQ(player.play(path), SoundStatus::Ok);
        player.waitIdle();
    }
    // A device that fails while writing, on another player: still the one line.
    auto broken = std::make_shared<Record>();
    broken->failWrite = true;
    {
        platform::SoundPlayer player(std::make_unique<FakeSink>(broken), notice_);
        EXPECT_EQ(player.play(path), SoundStatus::Ok);
        player.waitIdle();
    }
    EXPECT_EQ(noticeText_.str(), "ovfctest: no sound: no card\n");
    EXPECT_EQ(record_->formats.size(), 2u);  // each request tries the device again
    EXPECT_EQ(broken->closes, 1);
}

TEST_F(SoundPlayerTest, NamedSoundsComeFromOvfcSoundsOrBesideTheProgram) {
    const Bytes data = wavtest::ramp(300, 5);
    writeFile("click.wav", wavtest::simpleWav({}, data));
    {
        ScopedEnv folder("OVFC_SOUNDS", dir_.c_str());
        EXPECT_EQ(platform::soundFilePath("click.wav"), (dir_ / "click.wav").string());
        platform::SoundPlayer player(std::make_unique<FakeSink>(record_), notice_);
        ASSERT_EQ(player.playNamed("click.wav"), SoundStatus::Ok);
        player.waitIdle();
        std::lock_guard lock(record_->mutex);
        ASSERT_EQ(record_->sounds.size(), 1u);
        EXPECT_EQ(record_->sounds[0], data);
    }
    {
        ScopedEnv folder("OVFC_SOUNDS", (dir_.string() + "/").c_str());
        EXPECT_EQ(platform::soundFilePath("deny.wav"), dir_.string() + "/deny.wav");
    }
    ScopedEnv unset("OVFC_SOUNDS", nullptr);
    const std::string beside = platform::soundFilePath("access.wav");
    ASSERT_EQ(platform::fileNamePart(beside), "access.wav");
    EXPECT_EQ(fs::canonical(platform::directoryPart(beside)),
              fs::canonical("/proc/self/exe").parent_path());
    EXPECT_EQ(platform::soundFilePath("/x/deny.wav"), "/x/deny.wav");
}

}  // namespace
