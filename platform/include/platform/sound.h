#pragma once
// Asynchronous playback of short WAV files, one at a time: a newer request replaces the one
// playing. Playback runs on one thread per player; the audio goes to a SoundSink, by default
// the ALSA "default" device. When there is no device, nothing is played and one line
// "ovfctest: no sound: <reason>" goes to standard error for the whole process.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "platform/wav.h"

namespace platform {

struct SinkResult {
    bool ok = true;
    std::string reason;  // why it failed, for the notice; empty when ok
};

// Where a player's samples go. Used by the player's thread only, one sound at a time:
// open, write..., pending... , close. Every call must return within a bounded time.
class SoundSink {
  public:
    virtual ~SoundSink() = default;
    // Prepares the output for this format; fails when the device is absent or refuses it.
    virtual SinkResult open(const WavFormat& format) = 0;
    // Queues whole frames, waiting for room as needed (bounded); fails when the device breaks.
    virtual SinkResult write(std::span<const std::uint8_t> frames) = 0;
    // How much of the queued audio is still to be heard; zero when all has been played.
    virtual std::chrono::milliseconds pending() = 0;
    // Stops at once, dropping what is queued, and releases the device. Harmless when not open.
    virtual void close() = 0;
};

// The ALSA output: "default" device opened non-blocking, 100 ms latency. ALSA's own
// diagnostics are silenced for the process on first use.
std::unique_ptr<SoundSink> makeAlsaSink();

// Writes "ovfctest: no sound: <reason>" to its stream the first time it is told, and
// nothing after. Thread-safe.
class NoSoundNotice {
  public:
    explicit NoSoundNotice(std::ostream& out) : out_(out) {}
    NoSoundNotice(const NoSoundNotice&) = delete;
    NoSoundNotice& operator=(const NoSoundNotice&) = delete;

    void report(std::string_view reason);
    bool reported() const { return reported_.load(); }

    // The process's notice, on standard error.
    static NoSoundNotice& process();

  private:
    std::ostream& out_;
    std::mutex mutex_;
    std::atomic<bool> reported_{false};
};

// True when the environment variable OVFC_SOUND is "off" (any case).
bool soundsSwitchedOff();

// The folder holding the program's sound files, ending in a separator: the value of
// OVFC_SOUNDS when set and not empty, else the directory of the executable (empty when
// that cannot be told).
std::string soundFolder();

// soundFolder() + fileName; a name that holds a separator is returned unchanged.
std::string soundFilePath(std::string_view fileName);

// Plays sounds on a thread of its own, started with the first accepted request. play calls
// return at once; they are thread-safe. The destructor stops playback and joins the thread.
// Not copyable or movable.
class SoundPlayer {
  public:
    // The program's player: the ALSA output, or nothing at all when soundsSwitchedOff() at
    // construction (every play then returns SoundStatus::Off).
    SoundPlayer();
    // A player on the given output (never switched off by the environment). The notice
    // must outlive the player.
    explicit SoundPlayer(std::unique_ptr<SoundSink> sink,
                         NoSoundNotice& notice = NoSoundNotice::process());
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Loads the file and hands it to the thread, replacing what is playing. Returns Ok when
    // the sound was handed over (a missing or failing device shows only in the notice), Off
    // when switched off, else the load error; nothing is played on error.
    SoundStatus play(const std::string& path);
    // play(soundFilePath(fileName)).
    SoundStatus playNamed(std::string_view fileName);
    // Plays an already parsed sound (a partial last frame is left out). Ok, Off,
    // UnsupportedFormat, or NoData for a sound without a whole frame.
    SoundStatus play(WavSound sound);

    // Ends the sound playing (if any) and drops a waiting one.
    void stop();
    // Blocks until no sound is waiting or playing. For tests and orderly shutdown.
    void waitIdle();

    bool switchedOff() const { return !sink_; }

  private:
    void run();
    void playOne(const WavSound& sound, std::uint64_t ticket);
    bool superseded(std::uint64_t ticket) const { return requests_.load() != ticket; }

    std::unique_ptr<SoundSink> sink_;  // null when switched off
    NoSoundNotice& notice_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<WavSound> waiting_;
    std::atomic<std::uint64_t> requests_{0};  // bumped by each play, stop and the destructor
    bool busy_ = false;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace platform
