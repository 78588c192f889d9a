#pragma once
// Capture libraries for the panel tests: one video device that delivers a settable frame,
// counts its captures and keeps the overlay callback of the last preview.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "capture/capture_device.h"

namespace panels_test {

inline constexpr const char* kCameraName = "Test camera";

class FakeCaptureLibraries final : public capture::CaptureLibraries {
  public:
    FakeCaptureLibraries() : frame_(capture::kFrameWidth * capture::kFrameHeight, 0) {}

    void setFrame(const std::vector<std::uint8_t>& frame) {
        const std::lock_guard lock(mutex_);
        frame_ = frame;
    }
    void setCaptureResult(int rc) { captureResult_ = rc; }
    void setDialogResult(int rc) { dialogResult_ = rc; }
    int captures() const { return captures_.load(); }
    OvVFWNotifyProc notify() const { return notify_.load(); }
    std::intptr_t notifyValue() const { return notifyValue_.load(); }

    int ovfInit() override { return 0; }
    int ovfLoadConfig(const char*) override { return 0; }
    int ovfSetFramegrabber(std::int16_t) override { return 0; }
    int ovfGetFramegrabberName(char* name) override {
        name[0] = '\0';
        return 0;
    }
    int ovfLiveDialog(void*, std::int16_t, std::int16_t, std::int16_t, void*, std::int16_t,
                      const char*) override {
        return 1;
    }
    int ovfStartCapture(std::int16_t) override { return 0; }
    int ovfStopCapture() override { return 0; }
    int ovfCaptureFrame(std::int16_t, void*, std::int16_t) override { return 1; }

    int vfwInit() override { return 0; }
    int vfwDone() override { return 0; }
    int vfwGetDeviceName(std::int32_t index, char* name, char*) override {
        if (index != 0 && index != capture::kVfwSelectedDevice) return 1;
        std::strcpy(name, kCameraName);
        return 0;
    }
    int vfwSelectFramegrabber(const char*) override { return 0; }
    int vfwLiveDialog(void*, std::uint8_t* buffer, std::int32_t, const char*) override {
        if (buffer != nullptr && dialogResult_ == 0) copyFrame(buffer);
        return dialogResult_;
    }
    int vfwStartPreviewEx(void*, std::uint16_t, std::int32_t, std::int32_t, OvVFWNotifyProc notify,
                          std::intptr_t value) override {
        notify_ = notify;
        notifyValue_ = value;
        return 0;
    }
    int vfwFreezePreview(void*) override { return 0; }
    int vfwStopPreview(void*) override { return 0; }
    int vfwCaptureFrameEx(void*, std::uint8_t* buffer, std::int32_t, std::int32_t,
                          std::int32_t) override {
        ++captures_;
        if (captureResult_ != 0) return captureResult_;
        copyFrame(buffer);
        return 0;
    }

  private:
    void copyFrame(std::uint8_t* buffer) {
        const std::lock_guard lock(mutex_);
        std::copy(frame_.begin(), frame_.end(), buffer);
    }

    std::mutex mutex_;
    std::vector<std::uint8_t> frame_;
    std::atomic<int> captureResult_{0};
    std::atomic<int> dialogResult_{0};
    std::atomic<int> captures_{0};
    std::atomic<OvVFWNotifyProc> notify_{nullptr};
    std::atomic<std::intptr_t> notifyValue_{0};
};

}  // namespace panels_test
