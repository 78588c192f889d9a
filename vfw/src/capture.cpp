// Grey frames from the frame buffer, and the capability record.

#include <chrono>

#include "convert.h"
#include "library.h"
#include "operations.h"

namespace vfw {

namespace {

constexpr std::chrono::milliseconds kFrameWait{3000};

// One frame from the selected device when no stream runs; false when it gives none.
bool grabSingleFrame(Library& lib) {
    const auto device = deviceAt(lib.selected);
    if (!device) return false;
    auto source = makeSource(*device, lib.format, lib.readerFactory());
    if (!source->open()) return false;
    Frame frame;
    const std::atomic<bool> stop{false};
    if (source->next(frame, stop) != ReadResult::Frame) return false;
    return lib.frame->store(frame.view());
}

}  // namespace

int32_t captureFrame(void* /*window*/, uint8_t* buffer, int32_t width, int32_t height) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    auto frame = lib.frame;
    if (!frame || buffer == nullptr || width <= 0 || height <= 0) return kFailed;
    if (lib.stream && !lib.stream->lost()) {
        // The running preview delivers the next frame.
        const uint64_t seen = frame->sequence();
        lock.unlock();
        if (!frame->waitNewer(seen, kFrameWait)) return kFailed;
    } else {
        if (!grabSingleFrame(lib)) return kFailed;
        lock.unlock();
    }
    const bool ok =
        frame->withFrame([&](const FrameView& v) { captureGrey(v, buffer, width, height); });
    return ok ? kOk : kFailed;
}

int32_t getCaps(OvVFWCaps* caps) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (caps == nullptr) return kFailed;
    const CaptureStatus status = lib.frame->status();
    const bool live = lib.stream && !lib.stream->lost();
    caps->width = live ? lib.stream->source().width() : status.width;
    caps->height = live ? lib.stream->source().height() : status.height;
    caps->pixelFormat = status.pixelFormat;
    caps->overlay = live && lib.stream->source().canOverlay() ? 1 : 0;
    caps->frameInterval = status.frameInterval;
    return kOk;
}

}  // namespace vfw
