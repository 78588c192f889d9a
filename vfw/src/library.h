#pragma once
// The library-wide state of OvVFW32, in one place.

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "capture_stream.h"
#include "devices.h"
#include "frame_buffer.h"
#include "gui_widgets.h"
#include "image_reader.h"
#include "ovvfw32.h"

namespace vfw {

inline constexpr size_t kMaxPreviews = 20;

// One caller window with a preview or a frozen still.
struct PreviewEntry {
    void* handle = nullptr;  // the caller's window as the caller passed it
    QPointer<QWidget> window;
    QPointer<CaptureWindow> captureWindow;
    uint16_t rate = 0;  // rate word as given
    int32_t visible = 0;
    OvVFWNotifyProc notify = nullptr;
    intptr_t notifyValue = 0;
    std::unique_ptr<StillPainter> still;  // while frozen
    QMetaObject::Connection destroyedConnection;
};

// State of OvVFWLiveDialog.
struct DialogState {
    uint8_t* buffer = nullptr;
    int32_t flags = 0;
    bool previewing = false;
    void* videoArea = nullptr;
};

struct Library {
    // The capture thread goes first: it posts to the bridge.
    ~Library() { stream.reset(); }
    // Guards everything below except the frame buffer (its own lock) and the atomics.
    std::recursive_mutex mutex;
    bool initialised = false;
    int32_t selected = -1;
    std::shared_ptr<FrameBuffer> frame;
    std::atomic<bool> centreMark{false};
    DialogState dialog;
    std::vector<PreviewEntry> previews;
    // The one running capture stream and the window it previews in.
    std::unique_ptr<CaptureStream> stream;
    void* streamWindow = nullptr;
    uint64_t streamGeneration = 0;
    bool firstFrameSeen = false;
    std::unique_ptr<GuiBridge> bridge;
    FormatRequest format;
    // How the image folder camera reads files; replaceable for tests.
    std::function<std::shared_ptr<ImageReader>()> readerFactory = defaultImageReader;
};

Library& library();

using LibraryLock = std::unique_lock<std::recursive_mutex>;

}  // namespace vfw
