// The ALSA output of the sound player. The device is opened non-blocking and every wait
// is bounded, so a missing or stuck device never holds the player's thread for long.

#include <alsa/asoundlib.h>

#include <cerrno>
#include <mutex>

#include "platform/sound.h"

namespace platform {

namespace {

using std::chrono::milliseconds;

constexpr unsigned kLatencyMicroseconds = 100'000;
constexpr int kWaitMilliseconds = 100;
// Waits in a row without progress after which the device counts as broken (2 s).
constexpr int kMaxIdleWaits = 20;

// ALSA prints its own complaints (no card, unknown plugin) to standard error; the player
// reports a missing device in one line of its own instead.
void quietAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsaOnce() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&quietAlsaError); });
}

std::string alsaReason(const char* what, int code) {
    return std::string(what) + ": " + snd_strerror(code);
}

SinkResult failure(std::string reason) {
    return {false, std::move(reason)};
}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const {
        snd_pcm_drop(pcm);
        snd_pcm_close(pcm);
    }
};

class AlsaSink final : public SoundSink {
  public:
    ~AlsaSink() override { close(); }

    SinkResult open(const WavFormat& format) override {
        close();
        silenceAlsaOnce();
        snd_pcm_t* raw = nullptr;
        int rc = snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
        if (rc < 0) return failure(alsaReason("cannot open the audio device", rc));
        pcm_.reset(raw);
        const snd_pcm_format_t sampleFormat =
            format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        rc = snd_pcm_set_params(pcm_.get(), sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                                format.channels, format.sampleRate, 1, kLatencyMicroseconds);
        if (rc < 0) {
            close();
            return failure(alsaReason("the audio device refuses the format", rc));
        }
        snd_pcm_uframes_t period = 0;
        if (snd_pcm_get_params(pcm_.get(), &bufferFrames_, &period) < 0) bufferFrames_ = 0;
        format_ = format;
        return {};
    }

    SinkResult write(std::span<const std::uint8_t> bytes) override {
        if (!pcm_) return failure("the audio device is not open");
        const std::size_t frameBytes = format_.frameBytes();
        const std::uint8_t* next = bytes.data();
        auto left = static_cast<snd_pcm_uframes_t>(bytes.size() / frameBytes);
        int idleWaits = 0;
        while (left > 0) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm_.get(), next, left);
            if (n > 0) {
                next += static_cast<std::size_t>(n) * frameBytes;
                left -= static_cast<snd_pcm_uframes_t>(n);
                idleWaits = 0;
                continue;
            }
            if (n == 0 || n == -EAGAIN) {
                if (++idleWaits > kMaxIdleWaits) return failure("the audio device stalls");
                snd_pcm_wait(pcm_.get(), kWaitMilliseconds);
                continue;
            }
            // Underrun or suspend: prepare again and go on; anything else is fatal.
            const int rc = snd_pcm_recover(pcm_.get(), static_cast<int>(n), 1);
            if (rc < 0) return failure(alsaReason("audio output failed", rc));
            if (++idleWaits > kMaxIdleWaits) return failure("the audio device stalls");
        }
        return {};
    }

    milliseconds pending() override {
        if (!pcm_) return milliseconds{0};
        snd_pcm_state_t state = snd_pcm_state(pcm_.get());
        if (state == SND_PCM_STATE_PREPARED) {
            // A sound shorter than the buffer never reaches the start threshold.
            const snd_pcm_sframes_t avail = snd_pcm_avail(pcm_.get());
            if (avail < 0 || static_cast<snd_pcm_uframes_t>(avail) >= bufferFrames_ ||
                snd_pcm_start(pcm_.get()) < 0) {
                return milliseconds{0};
            }
            state = snd_pcm_state(pcm_.get());
        }
        if (state != SND_PCM_STATE_RUNNING) return milliseconds{0};
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm_.get(), &delay) < 0 || delay <= 0) return milliseconds{0};
        return milliseconds{static_cast<std::int64_t>(delay) * 1000 / format_.sampleRate + 1};
    }

    void close() override { pcm_.reset(); }

  private:
    std::unique_ptr<snd_pcm_t, PcmCloser> pcm_;
    WavFormat format_;
    snd_pcm_uframes_t bufferFrames_ = 0;
};

}  // namespace

std::unique_ptr<SoundSink> makeAlsaSink() {
    return std::make_unique<AlsaSink>();
}

}  // namespace platform
