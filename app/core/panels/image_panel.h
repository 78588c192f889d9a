#pragma once
// An image panel's data: the 256 x 255 picture in its 64 KiB block, the face descriptor, the
// face elements and the face ellipse, the label text, live video through the capture
// object and the processing thread that feeds every live frame to the face library.
//
// Threads: the public calls are made from the user-interface thread, except snapshot(),
// waitProcessedFrame() and overlayNotify(), which any thread may call. The processing
// thread publishes each frame under the panel's mutex; changed() is called after every
// processed frame and state change, on the thread that made the change, never with the
// mutex held. changed() must not block on the user-interface thread nor call stopLive().
//
// Ownership: the device and the clipboard are the application's and must outlive the panel;
// the panel owns its buffers and its thread. The window handles are opaque and not owned.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/capture_device.h"
#include "ovfc32.h"
#include "ovvfw32.h"
#include "panels/face_overlay.h"
#include "panels/panel_clipboard.h"
#include "platform/event.h"

namespace panels {

enum : std::uint8_t { kShowPicture = 1, kShowElements = 2 };                   // display options
enum : std::uint8_t { kAllowImage = 1, kAllowElements = 2, kAllowPaste = 4 };  // menu mask
// Notification code of the command a panel sends its parent after a paste.
inline constexpr int kPasteNotification = 2104;

inline constexpr int kPictureWidth = 256, kPictureHeight = 255;
// Longest wait for the processing thread's end when live video stops.
inline constexpr int kThreadStopTimeoutMs = 3000;
inline constexpr int kProcessedFrameTimeoutMs = 8000;
// Most element records asked of the face library.
inline constexpr std::uint16_t kMaxElements = 8;
// Format choice of the image-file library: by the name's extension.
inline constexpr std::uint16_t kImageByExtension = 1;

// Results of the panel's own beyond those passed on from the libraries.
inline constexpr int kOk = 0;
inline constexpr int kNoPicture = -1;  // saveAs without a valid picture
// Result of the capture dialog when the user cancelled: the panel stays as it was.
inline constexpr int kDialogCancelled = 10;

class ImagePanel {
  public:
    struct Snapshot {                       // what the view draws
        std::vector<std::uint8_t> picture;  // 256 x 255 (the first bytes of the block)
        bool pictureValid = false, faceProcessed = false;
        std::vector<FaceElementInfo> elements;  // scaled; empty when none (or not processed)
        OverlayEllipse overlay;
        std::string label;  // "No image", "Captured image", file name...
        bool live = false;
        std::uint64_t processedFrames = 0;  // frames the processing thread finished
        std::uint64_t facesFound = 0;       // of them with result 0
    };

    // changed() may be empty.
    ImagePanel(std::string name, capture::CaptureDevice& device, PanelClipboard& clipboard,
               std::uint8_t options, std::uint8_t menuMask, std::function<void()> changed);
    // Stops live video and the processing thread.
    ~ImagePanel();
    ImagePanel(const ImagePanel&) = delete;
    ImagePanel& operator=(const ImagePanel&) = delete;

    const std::string& name() const { return name_; }
    std::uint8_t options() const { return options_.load(); }
    void setOptions(std::uint8_t options);
    std::uint8_t menuMask() const { return menuMask_; }
    // Preview and processing interval (default capture::kDefaultIntervalMs); takes effect at
    // the next startLive().
    int intervalMs() const { return intervalMs_.load(); }
    void setIntervalMs(int ms) { intervalMs_ = ms < 0 ? 0 : ms; }

    Snapshot snapshot() const;

    // Live video in window, with the processing thread when process is set. A panel live
    // with another capture kind than the device's current one is stopped first. 0 live;
    // otherwise the capture object's result and the panel is not live.
    int startLive(void* window, bool process);
    // Ends the processing thread (waiting at most kThreadStopTimeoutMs for its end event,
    // then joining it), clears the ellipse, then stops the preview. Nothing when idle.
    void stopLive();
    // Ends the processing thread and keeps the last frame; the preview stays frozen until
    // stopLive() or the next startLive().
    void freeze();
    bool live() const { return live_.load(); }

    // Reads the image file into the picture, fitted to 256 x 255. 0, or the image-file
    // library's result: the picture becomes invalid and the label "No image".
    int loadFile(const std::string& path);
    // Captures a frame through window. 0, or the capture object's result ("No image").
    int capture(void* window);
    // The capture object's capture dialog on parent. kDialogCancelled leaves the panel as
    // it was; 0 takes the frame; any other result leaves the picture invalid.
    int captureDialog(void* parent);

    // Waits up to timeoutMs for the current processed frame, then copies the picture
    // (kPictureBlock bytes) and the descriptor (kDescriptorBytes) of that frame into the
    // buffers (either may be null). true when the frame's face was processed; false on a
    // time-out (buffers untouched) or when no face was found.
    bool waitProcessedFrame(std::uint8_t* picture, std::uint8_t* descriptor,
                            int timeoutMs = kProcessedFrameTimeoutMs);

    // Shows a 256 x 255 picture given by the caller (at least 65280 bytes), with its
    // descriptor when one is given (the face then counts as processed), and the label.
    void showPicture(const std::uint8_t* picture, const std::uint8_t* descriptor,
                     std::string label);
    // No picture: "No image".
    void clear();

    // Processes a valid picture whose face is not processed yet into the panel's
    // descriptor and elements. 0 (also when it was processed before), kNoPicture, or the
    // face library's result (the face then stays unprocessed).
    int process();
    // Copies the descriptor (kDescriptorBytes) into out; false when the face is not
    // processed (out untouched).
    bool copyDescriptor(std::uint8_t* out) const;
    // Shows the elements the face library found in its last comparison, which was made on
    // this panel's picture; false when it gives none. Call inside facelib::hold(), right
    // after the match, so that no other comparison comes between.
    bool showComparisonElements();

    // Puts a valid picture and its descriptor into the clipboard; nothing without one.
    void copy();
    // Takes the clipboard's picture and descriptor; false when pasting is not allowed or
    // the clipboard holds no picture.
    bool paste();
    bool canPaste() const;
    // Writes the picture with OvWriteImage(path, picture, 1): 0, kNoPicture, or the
    // image-file library's result.
    int saveAs(const std::string& path);

    // The video preview's overlay callback: record->value is the panel. Copies the face
    // ellipse into the record (centre relative to the 256 x 255 region, size, angle in
    // milliradians in extra1). Any thread.
    static void overlayNotify(OvVFWNotify* record);

  private:
    void processLoop();
    void startProcessing();
    void stopProcessing();
    // report: call changed() when the panel was showing video.
    void endLive(bool stopPreview, bool report);
    // Takes a new picture from buffer (no face processed yet) and sets the label.
    void takePicture(const std::vector<std::uint8_t>& buffer, bool valid, std::string label);
    // Scaled element records of the descriptor into elements; false when it has none.
    static bool elementsOf(const std::uint8_t* descriptor, std::vector<FaceElementInfo>& elements,
                           OverlayEllipse& overlay);
    void notify() const;

    const std::string name_;
    capture::CaptureDevice& device_;
    PanelClipboard& clipboard_;
    std::atomic<std::uint8_t> options_;
    const std::uint8_t menuMask_;
    const std::function<void()> changed_;
    std::atomic<int> intervalMs_{capture::kDefaultIntervalMs};

    // State the processing thread shares, under mutex_.
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> descriptor_;
    bool pictureValid_ = false;
    bool faceProcessed_ = false;
    std::vector<FaceElementInfo> elements_;
    OverlayEllipse overlay_;
    std::string label_;
    std::uint64_t processedFrames_ = 0;
    std::uint64_t facesFound_ = 0;

    // Live state (user-interface thread; live_ also read by the processing thread).
    std::atomic<bool> live_{false};
    bool frozen_ = false;
    std::atomic<void*> window_{nullptr};
    capture::Kind liveKind_ = capture::Kind::None;

    // Processing thread.
    std::thread thread_;
    std::atomic<bool> running_{false};
    platform::ManualEvent stopRequested_;
    platform::ManualEvent frameProcessed_;
    platform::ManualEvent threadEnded_;
};

}  // namespace panels
