#pragma once
// The capture object: one front for the frame-grabber library (ovf32), the video capture
// library (OvVFW32) and working without a capture device. Image panels ask it to show live
// video in their window, freeze and stop it, and capture 256 x 255 grey frames.
//
// The frame grabber shows live video through a preview thread of this object (one at a
// time): it captures into a frame buffer it publishes, hands each frame to the FrameSink
// and sleeps the window's interval. Windows that asked for a preview form a stack; only the
// top one is live, the others are frozen until it stops. The video capture library keeps
// its own table of preview windows; the stack mirrors it.
//
// Thread-safety: every call from the user-interface thread, except captureFrame, which any
// thread may call. Every call into ovf32 is serialised by one lock of this object (the
// preview thread's capture included). The libraries object must outlive the device.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ovvfw32.h"

namespace capture {

enum class Kind { None = 0, Grabber = 1, Vfw = 2 };

inline constexpr int kFrameWidth = 256, kFrameHeight = 255, kFrameBlock = 65536;
inline constexpr int kMaxPreviews = 20, kMaxVfwDevices = 9, kDefaultIntervalMs = 100;
// Longest preview interval kept (12 bits); longer ones are cut to it.
inline constexpr int kMaxIntervalMs = 4095;
// Longest video device name kept.
inline constexpr std::size_t kMaxDeviceName = 80;
// The grabber channel the application uses: input 0, keep the board's input.
inline constexpr std::int16_t kGrabberChannel = 256;
// Index of OvVFWGetDeviceName that names the selected device.
inline constexpr std::int32_t kVfwSelectedDevice = 11;

// Results of the calls below beyond those passed on from the libraries.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;            // refused, no device, bad arguments

// "Orvane KV-7", "Integral Technologies FlashPoint", "MRT VideoPort Pro",
// "Digital Vision ComputerEyes/RT", "Matrox Meteor": board numbers 1..5.
extern const std::array<std::string_view, 5> kBoardNames;

// The calls the capture object makes into ovf32 and OvVFW32, with the libraries' arguments
// and results (tests use a fake). Buffers belong to the caller.
class CaptureLibraries {
  public:
    virtual ~CaptureLibraries() = default;

    virtual int ovfInit() = 0;
    virtual int ovfLoadConfig(const char* name) = 0;
    virtual int ovfSetFramegrabber(std::int16_t board) = 0;
    // name: at least 80 bytes.
    virtual int ovfGetFramegrabberName(char* name) = 0;
    virtual int ovfLiveDialog(void* owner, std::int16_t left, std::int16_t top,
                              std::int16_t channel, void* frame, std::int16_t flags,
                              const char* caption) = 0;
    virtual int ovfStartCapture(std::int16_t channel) = 0;
    virtual int ovfStopCapture() = 0;
    // Writes 256 x 255 bytes with flags 0.
    virtual int ovfCaptureFrame(std::int16_t channel, void* frame, std::int16_t flags) = 0;

    virtual int vfwInit() = 0;
    virtual int vfwDone() = 0;
    // name: 80 bytes; version: 20 bytes or null.
    virtual int vfwGetDeviceName(std::int32_t index, char* name, char* version) = 0;
    virtual int vfwSelectFramegrabber(const char* description) = 0;
    virtual int vfwLiveDialog(void* owner, std::uint8_t* buffer, std::int32_t flags,
                              const char* caption) = 0;
    virtual int vfwStartPreviewEx(void* window, std::uint16_t rateAndFlags, std::int32_t unused,
                                  std::int32_t visible, OvVFWNotifyProc notify,
                                  std::intptr_t value) = 0;
    virtual int vfwFreezePreview(void* window) = 0;
    virtual int vfwStopPreview(void* window) = 0;
    virtual int vfwCaptureFrameEx(void* window, std::uint8_t* buffer, std::int32_t width,
                                  std::int32_t height, std::int32_t flags) = 0;
};

// The real libraries. Never null.
std::unique_ptr<CaptureLibraries> libraryCalls();

// Receives each frame the frame-grabber preview thread captured for a window (256 x 255
// grey, valid during the call). Called on the preview thread; it must not call back into
// the device.
using FrameSink = std::function<void(void* window, const std::uint8_t* frame)>;

class PreviewThread;
struct PublishedFrame;

class CaptureDevice {
  public:
    struct PreviewEntry {
        void* window = nullptr;
        int intervalMs = kDefaultIntervalMs;
    };

    CaptureDevice(CaptureLibraries& libraries, FrameSink sink);
    ~CaptureDevice();  // stops the preview thread
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    // OvVFWInit, OvfInit, OvfLoadConfig(""), then the video device names (index 0 up to the
    // first failure, at most kMaxVfwDevices). The libraries' results are not errors here.
    void initialise();
    // Stops every preview, then OvVFWDone. The kind becomes None.
    void shutdown();

    Kind kind() const;
    const std::vector<std::string>& vfwDevices() const;

    // Selects a device: Grabber by board name (ignoring case; an unknown name selects board
    // 0), Vfw by one of vfwDevices() (anything else: kFailed), None always. The grabber
    // preview thread is stopped before the library call; on success every preview of the
    // previous device is stopped (the windows start theirs again on the new one). 0
    // selected; non-zero (the library's result or kFailed): the previous kind, device and
    // previews stay.
    int select(Kind kind, const std::string& name);
    // The selected device's name; "(None)" for none, empty when the library gives none.
    std::string deviceName();

    // The library's dialog result; kFailed where the kind has no such dialog.
    int setupDialog(void* window);
    int formatDialog(void* window);
    // picture: kFrameBlock bytes, receives the frame when accepted. kFailed for none.
    int captureDialog(void* window, std::uint8_t* picture);

    // Live video in window every intervalMs (0..kMaxIntervalMs; outside cut to it). notify
    // and value go to the video library's overlay callback. 0 started; kFailed for none, a
    // null window or a full stack (nothing changes then); else the library's result.
    int startPreview(void* window, int intervalMs, OvVFWNotifyProc notify, std::intptr_t value);
    // Keeps the window's last frame. 0, or the library's result; kFailed for none.
    int freezePreview(void* window);
    // Ends the window's preview; the window below it on the stack goes live again. 0, or the
    // video library's result.
    int stopPreview(void* window);
    // Writes width x height grey bytes into buffer (the 256 x 255 frame, cut or padded with
    // 0; black for none). 0, or the library's result; kFailed for a null buffer or a size
    // that is not positive. Any thread.
    int captureFrame(void* window, std::uint8_t* buffer, int width, int height);

    // Windows with a preview, bottom first; the top one is live.
    std::vector<void*> previewStack() const;
    // The window and interval the frame-grabber preview thread runs with; nullopt while it
    // does not run (other kinds, frozen, stopped).
    std::optional<PreviewEntry> livePreview() const;

  private:
    int selectGrabber(const std::string& name);
    void stopAllPreviews();
    int startGrabberPreview(void* window, int intervalMs);
    int stopGrabberPreview(void* window);
    int runGrabberThread(const PreviewEntry& entry);
    void stopGrabberThread();
    template <class Dialog>
    int grabberDialog(Dialog&& dialog);
    int captureGrabberFrame(std::uint8_t* buffer, int width, int height);
    int startVfwPreview(void* window, int intervalMs, OvVFWNotifyProc notify, std::intptr_t value);
    int stopVfwPreview(void* window);
    std::vector<PreviewEntry>::iterator findEntry(void* window);

    CaptureLibraries& libraries_;
    FrameSink sink_;
    std::atomic<Kind> kind_ = Kind::None;
    std::vector<std::string> vfwDevices_;
    std::vector<PreviewEntry> stack_;
    // Serialises every call into ovf32 and guards published_.
    mutable std::recursive_mutex grabberLock_;
    std::unique_ptr<PublishedFrame> published_;
    std::unique_ptr<PreviewThread> preview_;  // the running frame-grabber preview, if any
};

}  // namespace capture
