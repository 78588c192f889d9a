#pragma once
// A CaptureLibraries that records the calls made into it, for the tests of the capture object
// and of the code that uses it. Frame captures are counted (per thread) rather than logged;
// every other call is logged in order with its arguments. Results can be set per call name.
// Thread-safe: the preview thread calls it beside the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "capture/capture_device.h"

namespace capture_test {

struct Call {
    Call(std::string n, std::vector<std::intptr_t> a = {}, std::string t = {})
        : name(std::move(n)), args(std::move(a)), text(std::move(t)) {}

    std::string name;
    std::vector<std::intptr_t> args;  // numbers and handles
    std::string text;                 // the string argument, if the call has one

    bool operator==(const Call&) const = default;
    friend void PrintTo(const Call& c, std::ostream* os) {
        *os << c.name << "(";
        for (std::size_t i = 0; i < c.args.size(); ++i) *os << (i ? ", " : "") << c.args[i];
        if (!c.text.empty()) *os << (c.args.empty() ? "" : ", ") << '"' << c.text << '"';
        *os << ")";
    }
};

inline std::intptr_t handle(const void* p) {
    return reinterpret_cast<std::intptr_t>(p);
}

// The pixel the fake's captures write at index i of the 256 x 255 frame.
inline std::uint8_t fakePixel(std::size_t i) {
    return static_cast<std::uint8_t>(i * 7 + i / 256);
}

class FakeCaptureLibraries final : public capture::CaptureLibraries {
  public:
    // Devices the video library reports at indices 0, 1, ...
    std::vector<std::string> vfwNames;

    void setResult(const std::string& call, int result) {
        std::lock_guard lock(mutex_);
        results_[call] = result;
    }
    // The next call of that name gives result; later ones the result set before.
    void setResultOnce(const std::string& call, int result) {
        std::lock_guard lock(mutex_);
        once_[call] = result;
    }
    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    // Calls of the given name, in order.
    std::vector<Call> callsNamed(const std::string& name) const {
        std::vector<Call> out;
        for (const Call& c : calls()) {
            if (c.name == name) out.push_back(c);
        }
        return out;
    }
    int captures() const {
        std::lock_guard lock(mutex_);
        return captures_;
    }
    int capturesFrom(std::thread::id thread) const {
        std::lock_guard lock(mutex_);
        const auto it = capturesByThread_.find(thread);
        return it == capturesByThread_.end() ? 0 : it->second;
    }
    // Waits until at least n captures have been made in all; false after 10 s without.
    bool waitForCaptures(int n) const {
        std::unique_lock lock(mutex_);
        return captured_.wait_for(lock, std::chrono::seconds(10), [&] { return captures_ >= n; });
    }

    int ovfInit() override { return log({"OvfInit"}); }
    int ovfLoadConfig(const char* name) override { return log({"OvfLoadConfig", {}, name}); }
    int ovfSetFramegrabber(std::int16_t board) override {
        const int result = log({"OvfSetFramegrabber", {board}});
        if (result == 0) board_ = board;
        return result;
    }
    int ovfGetFramegrabberName(char* name) override {
        static const char* const names[] = {"(None)",
                                            "Orvane KV-7",
                                            "Integral Technologies FlashPoint",
                                            "MRT VideoPort Pro",
                                            "Digital Vision ComputerEyes/RT",
                                            "Matrox Meteor"};
        std::strcpy(name, names[board_]);
        return log({"OvfGetFramegrabberName"});
    }
    int ovfLiveDialog(void* owner, std::int16_t left, std::int16_t top, std::int16_t channel,
                      void* frame, std::int16_t flags, const char* caption) override {
        return log({"OvfLiveDialog",
                    {handle(owner), left, top, channel, handle(frame), flags},
                    caption ? caption : ""});
    }
    int ovfStartCapture(std::int16_t channel) override {
        return log({"OvfStartCapture", {channel}});
    }
    int ovfStopCapture() override { return log({"OvfStopCapture"}); }
    int ovfCaptureFrame(std::int16_t channel, void* frame, std::int16_t flags) override {
        int result;
        {
            std::lock_guard lock(mutex_);
            EXPECT_EQ(channel, 256);
            EXPECT_EQ(flags, 0);
            result = resultOf("OvfCaptureFrame");
            if (result == 0) {
                auto* out = static_cast<std::uint8_t*>(frame);
                for (std::size_t i = 0; i < capture::kFrameWidth * capture::kFrameHeight; ++i) {
                    out[i] = fakePixel(i);
                }
            }
            ++captures_;
            ++capturesByThread_[std::this_thread::get_id()];
        }
        captured_.notify_all();
        return result;
    }

    int vfwInit() override { return log({"OvVFWInit"}); }
    int vfwDone() override { return log({"OvVFWDone"}); }
    int vfwGetDeviceName(std::int32_t index, char* name, char* version) override {
        int result = log({"OvVFWGetDeviceName", {index, handle(version)}});
        if (index == capture::kVfwSelectedDevice) index = selectedVfw_;
        if (index < 0 || static_cast<std::size_t>(index) >= vfwNames.size()) {
            return result != 0 ? result : 1;
        }
        const std::string& n = vfwNames[static_cast<std::size_t>(index)];
        const std::size_t length = std::min<std::size_t>(n.size(), capture::kMaxDeviceName - 1);
        std::memcpy(name, n.data(), length);
        name[length] = '\0';
        return result;
    }
    int vfwSelectFramegrabber(const char* description) override {
        const int result = log({"OvVFWSelectFramegrabber", {}, description});
        const auto it = std::find(vfwNames.begin(), vfwNames.end(), description);
        if (result != 0 || it == vfwNames.end()) return result != 0 ? result : 1;
        selectedVfw_ = static_cast<int>(it - vfwNames.begin());
        return 0;
    }
    int vfwLiveDialog(void* owner, std::uint8_t* buffer, std::int32_t flags,
                      const char* caption) override {
        return log(
            {"OvVFWLiveDialog", {handle(owner), handle(buffer), flags}, caption ? caption : ""});
    }
    int vfwStartPreviewEx(void* window, std::uint16_t rate, std::int32_t unused,
                          std::int32_t visible, OvVFWNotifyProc notify,
                          std::intptr_t value) override {
        return log({"OvVFWStartPreviewEx",
                    {handle(window), rate, unused, visible, reinterpret_cast<std::intptr_t>(notify),
                     value}});
    }
    int vfwFreezePreview(void* window) override {
        return log({"OvVFWFreezePreview", {handle(window)}});
    }
    int vfwStopPreview(void* window) override {
        return log({"OvVFWStopPreview", {handle(window)}});
    }
    int vfwCaptureFrameEx(void* window, std::uint8_t* buffer, std::int32_t width,
                          std::int32_t height, std::int32_t flags) override {
        const int result = log({"OvVFWCaptureFrameEx", {handle(window), width, height, flags}});
        if (result == 0) std::memset(buffer, 0x42, std::size_t(width) * std::size_t(height));
        return result;
    }

  private:
    int resultOf(const std::string& name) {
        if (const auto once = once_.find(name); once != once_.end()) {
            const int result = once->second;
            once_.erase(once);
            return result;
        }
        const auto it = results_.find(name);
        return it == results_.end() ? 0 : it->second;
    }
    int log(Call call) {
        std::lock_guard lock(mutex_);
        const int result = resultOf(call.name);
        calls_.push_back(std::move(call));
        return result;
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable captured_;
    std::map<std::string, int> results_;
    std::map<std::string, int> once_;
    std::vector<Call> calls_;
    int captures_ = 0;
    std::map<std::thread::id, int> capturesByThread_;
    std::int16_t board_ = 0;
    int selectedVfw_ = -1;
};

// A FrameSink that counts the frames per window and checks each is the fake's picture.
class FrameCounter {
  public:
    capture::FrameSink sink() {
        return [this](void* window, const std::uint8_t* frame) {
            {
                std::lock_guard lock(mutex_);
                ++frames_[window];
                if (frame[0] != fakePixel(0) || frame[65279] != fakePixel(65279)) ++damaged_;
            }
            arrived_.notify_all();
        };
    }
    int framesFor(void* window) const {
        std::lock_guard lock(mutex_);
        const auto it = frames_.find(window);
        return it == frames_.end() ? 0 : it->second;
    }
    int damaged() const {
        std::lock_guard lock(mutex_);
        return damaged_;
    }
    // Waits until the window has received at least n frames; false after 10 s without.
    bool waitFor(void* window, int n) const {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(10), [&] {
            const auto it = frames_.find(window);
            return it != frames_.end() && it->second >= n;
        });
    }

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::map<void*, int> frames_;
    int damaged_ = 0;
};

}  // namespace capture_test
