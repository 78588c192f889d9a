#include "platform/sound.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

#include "platform/module.h"
#include "platform/paths.h"

namespace platform {

namespace {

using std::chrono::milliseconds;

// Samples go to the sink in slices of this length, so that a newer request is noticed soon.
constexpr unsigned kSlicesPerSecond = 50;
// How long the player waits between looks at the sink while the last samples play out.
constexpr milliseconds kDrainPoll{20};
// Beyond the sound's own length, the longest the player waits for it to play out.
constexpr milliseconds kDrainSlack{1000};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

void NoSoundNotice::report(std::string_view reason) {
    if (reported_.load()) return;
    std::lock_guard lock(mutex_);
    if (reported_.load()) return;
    reported_.store(true);
    out_ << "ovfctest: no sound: " << reason << '\n' << std::flush;
}

NoSoundNotice& NoSoundNotice::process() {
    static NoSoundNotice notice(std::cerr);
    return notice;
}

bool soundsSwitchedOff() {
    const char* value = std::getenv("OVFC_SOUND");
    return value != nullptr && equalsIgnoringCase(value, "off");
}

std::string soundFolder() {
    const char* folder = std::getenv("OVFC_SOUNDS");
    if (folder != nullptr && *folder != '\0') {
        std::string dir = folder;
        if (!isSeparator(dir.back())) dir += '/';
        return dir;
    }
    return moduleDirectory(reinterpret_cast<const void*>(&soundFolder));
}

std::string soundFilePath(std::string_view fileName) {
    if (hasSeparator(fileName)) return std::string(fileName);
    return soundFolder() + std::string(fileName);
}

SoundPlayer::SoundPlayer()
    : sink_(soundsSwitchedOff() ? nullptr : makeAlsaSink()), notice_(NoSoundNotice::process()) {}

SoundPlayer::SoundPlayer(std::unique_ptr<SoundSink> sink, NoSoundNotice& notice)
    : sink_(std::move(sink)), notice_(notice) {}

SoundPlayer::~SoundPlayer() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        waiting_.reset();
        ++requests_;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

SoundStatus SoundPlayer::play(const std::string& path) {
    if (switchedOff()) return SoundStatus::Off;
    WavResult loaded = loadWavFile(path);
    if (loaded.status != SoundStatus::Ok) return loaded.status;
    return play(std::move(loaded.sound));
}

SoundStatus SoundPlayer::playNamed(std::string_view fileName) {
    if (switchedOff()) return SoundStatus::Off;
    return play(soundFilePath(fileName));
}

SoundStatus SoundPlayer::play(WavSound sound) {
    if (switchedOff()) return SoundStatus::Off;
    if (!supportedFormat(sound.format)) return SoundStatus::UnsupportedFormat;
    if (sound.frames() == 0) return SoundStatus::NoData;
    {
        std::lock_guard lock(mutex_);
        waiting_ = std::move(sound);
        ++requests_;
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
    return SoundStatus::Ok;
}

void SoundPlayer::stop() {
    {
        std::lock_guard lock(mutex_);
        waiting_.reset();
        ++requests_;
    }
    changed_.notify_all();
}

void SoundPlayer::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_ && !waiting_; });
}

void SoundPlayer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || waiting_.has_value(); });
        if (quit_) break;
        const WavSound sound = std::move(*waiting_);
        waiting_.reset();
        const std::uint64_t ticket = requests_.load();
        busy_ = true;
        lock.unlock();
        try {
            playOne(sound, ticket);
        } catch (const std::exception& e) {
            sink_->close();
            notice_.report(e.what());
        }
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

void SoundPlayer::playOne(const WavSound& sound, std::uint64_t ticket) {
    const SinkResult opened = sink_->open(sound.format);
    if (!opened.ok) {
        notice_.report(opened.reason);
        sink_->close();
        return;
    }
    const auto data =
        std::span<const std::uint8_t>(sound.data).first(sound.frames() * sound.format.frameBytes());
    const std::size_t sliceBytes =
        std::size_t{sound.format.frameBytes()} *
        std::max<std::size_t>(1, sound.format.sampleRate / kSlicesPerSecond);
    for (std::size_t offset = 0; offset < data.size() && !superseded(ticket);
         offset += sliceBytes) {
        const SinkResult written =
            sink_->write(data.subspan(offset, std::min(sliceBytes, data.size() - offset)));
        if (!written.ok) {
            notice_.report(written.reason);
            sink_->close();
            return;
        }
    }
    // Let the queued samples play out, but give way at once to a newer request.
    const auto deadline = std::chrono::steady_clock::now() + sound.duration() + kDrainSlack;
    while (!superseded(ticket) && std::chrono::steady_clock::now() < deadline) {
        const milliseconds left = sink_->pending();
        if (left <= milliseconds{0}) break;
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::min(left, kDrainPoll), [&] { return superseded(ticket); });
    }
    sink_->close();
}

}  // namespace platform
