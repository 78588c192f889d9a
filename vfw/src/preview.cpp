// The preview table: live preview in caller windows, one at a time, frozen stills, and the
// frame callback that runs on the capture thread.

#include <QApplication>
#include <QImage>

#include "convert.h"
#include "library.h"
#include "marks.h"
#include "operations.h"

namespace vfw {

namespace {

constexpr int kDefaultRateMs = 40;

bool haveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

PreviewEntry* findEntry(Library& lib, void* handle) {
    for (auto& e : lib.previews) {
        if (e.handle == handle) return &e;
    }
    return nullptr;
}

// Removes an entry; the capture window is deleted unless the caller keeps it.
void removeEntry(Library& lib, void* handle, bool deleteCaptureWindow) {
    for (auto it = lib.previews.begin(); it != lib.previews.end(); ++it) {
        if (it->handle != handle) continue;
        QObject::disconnect(it->destroyedConnection);
        it->still.reset();
        if (deleteCaptureWindow && it->captureWindow) delete it->captureWindow.data();
        lib.previews.erase(it);
        return;
    }
}

void stopStream(Library& lib) {
    lib.stream.reset();  // joins the capture thread
    if (lib.frame) lib.frame->setStreaming(false);
    lib.streamWindow = nullptr;
    ++lib.streamGeneration;
}

// Everything the capture thread needs, copied when the stream starts.
struct FrameCallbackContext {
    std::shared_ptr<FrameBuffer> frame;
    GuiBridge* bridge;
    const std::atomic<bool>* centreMark;
    uint64_t generation;
    OvVFWNotifyProc notify;
    intptr_t notifyValue;
};

void deliverFrame(uint64_t generation, const QImage& image);
void streamLost(uint64_t generation);

// The frame callback: store the frame mirrored, render the preview with its marks, let the
// caller add a rectangle, and hand the image to the user-interface thread.
void onFrame(const FrameCallbackContext& ctx, const Frame& f) {
    if (!ctx.frame->store(f.view())) return;
    QImage image(f.width, f.height, QImage::Format_RGB32);
    auto* px = reinterpret_cast<uint32_t*>(image.bits());
    ctx.frame->withFrame([&](const FrameView& v) { frameToRgb32(v, px); });
    const Rgb32Image marks{px, f.width, f.height};
    drawRegionMarks(marks);
    if (ctx.centreMark->load()) drawCentreMark(marks);
    if (ctx.notify != nullptr) {
        OvVFWNotify record{ctx.notifyValue, 0, 0, 0, 0, 0, 0};
        ctx.notify(&record);
        if (record.width != 0 || record.height != 0)
            drawNotifiedRect(marks, record.x, record.y, record.width, record.height);
    }
    const uint64_t gen = ctx.generation;
    ctx.bridge->post([gen, image = std::move(image)] { deliverFrame(gen, image); });
}

void deliverFrame(uint64_t generation, const QImage& image) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.stream || generation != lib.streamGeneration) return;
    PreviewEntry* e = findEntry(lib, lib.streamWindow);
    if (e == nullptr || !e->captureWindow) return;
    if (!lib.firstFrameSeen) {
        e->captureWindow->fitToParent(image.width(), image.height());
        lib.firstFrameSeen = true;
    }
    e->captureWindow->setImage(image);
}

// The device went away: the preview ends, the window keeps its last picture.
void streamLost(uint64_t generation) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (lib.stream && generation == lib.streamGeneration) stopStream(lib);
}

// A caller window was destroyed: forget it without touching it.
void forgetWindow(void* handle) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    PreviewEntry* e = findEntry(lib, handle);
    if (e == nullptr) return;
    if (lib.streamWindow == handle) stopStream(lib);
    if (e->still) e->still->detach();
    removeEntry(lib, handle, false);
}

void addEntry(Library& lib, void* handle, QWidget* window, CaptureWindow* cw, uint16_t rate,
              int32_t visible, OvVFWNotifyProc notify, intptr_t value) {
    PreviewEntry e;
    e.handle = handle;
    e.window = window;
    e.captureWindow = cw;
    e.rate = rate;
    e.visible = visible;
    e.notify = notify;
    e.notifyValue = value;
    e.destroyedConnection = QObject::connect(window, &QObject::destroyed, lib.bridge.get(),
                                             [handle] { forgetWindow(handle); });
    lib.previews.push_back(std::move(e));
}

bool connectDevice(Library& lib, void* handle, uint16_t rate, OvVFWNotifyProc notify,
                   intptr_t value) {
    const auto device = deviceAt(lib.selected);
    if (!device) return false;
    auto source = makeSource(*device, lib.format, lib.readerFactory());
    const int ms = rate & OVVFW_RATE_MASK;
    source->setInterval(ms > 0 ? ms : kDefaultRateMs);
    if (!source->open()) return false;
    ++lib.streamGeneration;
    FrameCallbackContext ctx{
        lib.frame, lib.bridge.get(), &lib.centreMark, lib.streamGeneration, notify, value};
    lib.frame->setStreaming(true);
    lib.streamWindow = handle;
    lib.firstFrameSeen = false;
    const uint64_t gen = lib.streamGeneration;
    auto frame = lib.frame;
    GuiBridge* bridge = lib.bridge.get();
    lib.stream = std::make_unique<CaptureStream>(
        std::move(source), [ctx](const Frame& f) { onFrame(ctx, f); },
        [frame, bridge, gen] {
            frame->setStreaming(false);
            bridge->post([gen] { streamLost(gen); });
        });
    return true;
}

}  // namespace

int32_t startPreview(void* handle, uint16_t rate, int32_t visible, OvVFWNotifyProc notify,
                     intptr_t value) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (handle == nullptr || !haveWidgets()) return kFailed;
    auto* window = static_cast<QWidget*>(handle);
    if (!lib.bridge) lib.bridge = std::make_unique<GuiBridge>();
    lib.centreMark.store((rate & OVVFW_RATE_CENTRE_MARK) != 0);

    // A window that already has a capture window shows it again; its old entry goes.
    QPointer<CaptureWindow> cw;
    if (PreviewEntry* old = findEntry(lib, handle)) {
        cw = old->captureWindow;
        if (lib.streamWindow == handle) stopStream(lib);
        removeEntry(lib, handle, false);
    }
    const bool fresh = cw.isNull();
    if (fresh) cw = new CaptureWindow(window);
    cw->setGeometry(window->rect());
    auto fail = [&] {
        if (fresh) {
            delete cw.data();
        } else {
            cw->hide();
        }
        return kFailed;
    };
    if (lib.previews.size() >= kMaxPreviews) return fail();

    // While the live dialog previews, other requests are only recorded.
    if (lib.dialog.previewing && handle != lib.dialog.videoArea) {
        cw->hide();
        addEntry(lib, handle, window, cw, rate, visible, notify, value);
        return kOk;
    }
    // One window previews at a time.
    std::vector<void*> others;
    for (const auto& e : lib.previews) {
        if (!e.still) others.push_back(e.handle);
    }
    for (void* other : others) freezePreview(other);

    if (!connectDevice(lib, handle, rate, notify, value)) return fail();
    cw->setVisible(visible != 0);
    addEntry(lib, handle, window, cw, rate, visible, notify, value);
    return kOk;
}

int32_t freezePreview(void* handle) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    PreviewEntry* e = findEntry(lib, handle);
    if (e == nullptr || e->still) return kOk;
    if (lib.streamWindow == handle) stopStream(lib);
    if (e->captureWindow) e->captureWindow->hide();
    if (!e->window) return kOk;
    Still still;
    const int w = e->window->width(), h = e->window->height();
    lib.frame->withFrame([&](const FrameView& v) { still = buildStill(v, w, h); });
    e->still = std::make_unique<StillPainter>(e->window.data(), std::move(still));
    return kOk;
}

int32_t stopPreview(void* handle) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (findEntry(lib, handle) == nullptr) return kOk;
    if (lib.streamWindow == handle) stopStream(lib);
    removeEntry(lib, handle, true);
    // The most recent remaining window previews again.
    if (!lib.stream && !lib.previews.empty()) {
        const PreviewEntry& top = lib.previews.back();
        startPreview(top.handle, top.rate, top.visible, top.notify, top.notifyValue);
    }
    return kOk;
}

void closeAllPreviews() {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    stopStream(lib);
    while (!lib.previews.empty()) removeEntry(lib, lib.previews.back().handle, true);
    lib.dialog = DialogState{};
    lib.bridge.reset();
}

}  // namespace vfw
