// CaptureLibraries over the frame-grabber library (ovf32) and the video capture library
// (OvVFW32).

#include "capture/capture_device.h"
#include "ovf32.h"
#include "ovvfw32.h"

namespace capture {

namespace {

class RealLibraries final : public CaptureLibraries {
  public:
    int ovfInit() override { return OvfInit(); }
    int ovfLoadConfig(const char* name) override { return OvfLoadConfig(name); }
    int ovfSetFramegrabber(std::int16_t board) override { return OvfSetFramegrabber(board); }
    int ovfGetFramegrabberName(char* name) override { return OvfGetFramegrabberName(name); }
    int ovfLiveDialog(void* owner, std::int16_t left, std::int16_t top, std::int16_t channel,
                      void* picture, std::int16_t flags, const char* caption) override {
        return OvfLiveDialog(owner, left, top, channel, picture, flags, caption);
    }
    int ovfStartCapture(std::int16_t channel) override { return OvfStartCapture(channel); }
    int ovfStopCapture() override { return OvfStopCapture(); }
    int ovfCaptureFrame(std::int16_t channel, void* frame, std::int16_t flags) override {
        return OvfCaptureFrame(channel, frame, flags);
    }

    int vfwInit() override { return OvVFWInit(); }
    int vfwDone() override { return OvVFWDone(); }
    int vfwGetDeviceName(std::int32_t index, char* name, char* version) override {
        return OvVFWGetDeviceName(index, name, version);
    }
    int vfwSelectFramegrabber(const char* description) override {
        return OvVFWSelectFramegrabber(description);
    }
    int vfwLiveDialog(void* owner, std::uint8_t* buffer, std::int32_t flags,
                      const char* caption) override {
        return OvVFWLiveDialog(owner, buffer, flags, caption);
    }
    int vfwStartPreviewEx(void* window, std::uint16_t rateAndFlags, std::int32_t unused,
                          std::int32_t visible, OvVFWNotifyProc notify,
                          std::intptr_t value) override {
        return OvVFWStartPreviewEx(window, rateAndFlags, unused, visible, notify, value);
    }
    int vfwFreezePreview(void* window) override { return OvVFWFreezePreview(window); }
    int vfwStopPreview(void* window) override { return OvVFWStopPreview(window); }
    int vfwCaptureFrameEx(void* window, std::uint8_t* buffer, std::int32_t width,
                          std::int32_t height, std::int32_t flags) override {
        return OvVFWCaptureFrameEx(window, buffer, width, height, flags);
    }
};

}  // namespace

std::unique_ptr<CaptureLibraries> libraryCalls() {
    return std::make_unique<RealLibraries>();
}

}  // namespace capture
