#include "capture/capture_device.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "capture/preview_thread.h"

namespace capture {

const std::array<std::string_view, 5> kBoardNames = {
    "Orvane KV-7", "Integral Technologies FlashPoint", "MRT VideoPort Pro",
    "Digital Vision ComputerEyes/RT", "Matrox Meteor"};

namespace {

constexpr const char* kNoDeviceName = "(None)";
// Room for any board name the frame-grabber library writes.
constexpr std::size_t kBoardNameBuffer = 128;

// Setup, format and capture dialog flags.
constexpr std::int16_t kOvfSetupFlags = 1;
constexpr std::int16_t kOvfCaptureFlags = 4;
constexpr std::int32_t kVfwSetupFlags = OVVFW_DLG_SOURCE | OVVFW_DLG_CENTRE_MARK;
constexpr std::int32_t kVfwFormatFlags = OVVFW_DLG_FORMAT | OVVFW_DLG_CENTRE_MARK;
constexpr std::int32_t kVfwCaptureFlags = OVVFW_DLG_KEEP_OPEN;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The first width x height bytes of a 256 x 255 frame seen through a width x height window:
// cut to the frame, the rest black.
void copyFrame(const std::uint8_t* frame, std::uint8_t* out, int width, int height) {
    const std::size_t columns = static_cast<std::size_t>(std::min(width, kFrameWidth));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = out + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::size_t copied = 0;
        if (y < kFrameHeight) {
            std::memcpy(row, frame + static_cast<std::size_t>(y) * kFrameWidth, columns);
            copied = columns;
        }
        std::memset(row + copied, 0, static_cast<std::size_t>(width) - copied);
    }
}

}  // namespace

CaptureDevice::CaptureDevice(CaptureLibraries& libraries, FrameSink sink)
    : libraries_(libraries),
      sink_(std::move(sink)),
      published_(std::make_unique<PublishedFrame>()) {}

CaptureDevice::~CaptureDevice() {
    stopGrabberThread();
}

void CaptureDevice::initialise() {
    libraries_.vfwInit();
    {
        std::lock_guard lock(grabberLock_);
        libraries_.ovfInit();
        libraries_.ovfLoadConfig("");
    }
    vfwDevices_.clear();
    for (int i = 0; i < kMaxVfwDevices; ++i) {
        char name[kMaxDeviceName + 1] = {};
        if (libraries_.vfwGetDeviceName(i, name, nullptr) != kOk) break;
        vfwDevices_.emplace_back(name, strnlen(name, kMaxDeviceName));
    }
}

void CaptureDevice::shutdown() {
    stopAllPreviews();
    kind_ = Kind::None;
    libraries_.vfwDone();
}

Kind CaptureDevice::kind() const {
    return kind_;
}

const std::vector<std::string>& CaptureDevice::vfwDevices() const {
    return vfwDevices_;
}

int CaptureDevice::select(Kind kind, const std::string& name) {
    if (kind != Kind::None && kind != Kind::Grabber && kind != Kind::Vfw) return kFailed;
    if (kind == Kind::Vfw &&
        std::find(vfwDevices_.begin(), vfwDevices_.end(), name) == vfwDevices_.end()) {
        return kFailed;
    }
    // The preview thread never captures across a change of board.
    const bool grabberWasLive = preview_ != nullptr;
    stopGrabberThread();
    int result = kOk;
    if (kind == Kind::Grabber) {
        result = selectGrabber(name);
    } else if (kind == Kind::Vfw) {
        result = libraries_.vfwSelectFramegrabber(name.c_str());
    }
    if (result != kOk) {
        if (grabberWasLive && !stack_.empty()) runGrabberThread(stack_.back());
        return result;
    }
    stopAllPreviews();  // of the previous device; the windows start again on the new one
    kind_ = kind;
    return kOk;
}

int CaptureDevice::selectGrabber(const std::string& name) {
    std::int16_t board = 0;
    for (std::size_t i = 0; i < kBoardNames.size(); ++i) {
        if (equalIgnoringCase(kBoardNames[i], name)) board = static_cast<std::int16_t>(i + 1);
    }
    std::lock_guard lock(grabberLock_);
    return libraries_.ovfSetFramegrabber(board);
}

std::string CaptureDevice::deviceName() {
    switch (kind_.load()) {
        case Kind::Grabber: {
            char name[kBoardNameBuffer] = {};
            std::lock_guard lock(grabberLock_);
            if (libraries_.ovfGetFramegrabberName(name) != kOk) return {};
            return std::string(name, strnlen(name, sizeof name - 1));
        }
        case Kind::Vfw: {
            char name[kMaxDeviceName + 1] = {};
            if (libraries_.vfwGetDeviceName(kVfwSelectedDevice, name, nullptr) != kOk) return {};
            return std::string(name, strnlen(name, kMaxDeviceName));
        }
        case Kind::None:
            break;
    }
    return kNoDeviceName;
}

// The live dialog drives the board itself: the preview thread pauses for it, and captures of
// other threads wait until it closes.
template <class Dialog>
int CaptureDevice::grabberDialog(Dialog&& dialog) {
    const bool wasLive = preview_ != nullptr;
    stopGrabberThread();
    int result;
    {
        std::lock_guard lock(grabberLock_);
        result = dialog();
    }
    if (wasLive && !stack_.empty()) runGrabberThread(stack_.back());
    return result;
}

int CaptureDevice::setupDialog(void* window) {
    switch (kind_.load()) {
        case Kind::Grabber:
            return grabberDialog([&] {
                return libraries_.ovfLiveDialog(window, 0, 0, 0, nullptr, kOvfSetupFlags, nullptr);
            });
        case Kind::Vfw:
            return libraries_.vfwLiveDialog(window, nullptr, kVfwSetupFlags, nullptr);
        case Kind::None:
            break;
    }
    return kFailed;
}

int CaptureDevice::formatDialog(void* window) {
    if (kind_ != Kind::Vfw) return kFailed;
    return libraries_.vfwLiveDialog(window, nullptr, kVfwFormatFlags, nullptr);
}

int CaptureDevice::captureDialog(void* window, std::uint8_t* picture) {
    switch (kind_.load()) {
        case Kind::Grabber:
            return grabberDialog([&] {
                return libraries_.ovfLiveDialog(window, 0, 0, kGrabberChannel, picture,
                                                kOvfCaptureFlags, nullptr);
            });
        case Kind::Vfw:
            return libraries_.vfwLiveDialog(window, picture, kVfwCaptureFlags, nullptr);
        case Kind::None:
            break;
    }
    return kFailed;
}

int CaptureDevice::captureFrame(void* window, std::uint8_t* buffer, int width, int height) {
    if (buffer == nullptr || width <= 0 || height <= 0) return kFailed;
    switch (kind_.load()) {
        case Kind::Grabber:
            return captureGrabberFrame(buffer, width, height);
        case Kind::Vfw:
            return libraries_.vfwCaptureFrameEx(window, buffer, width, height, 0);
        case Kind::None:
            break;
    }
    std::memset(buffer, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return kOk;
}

int CaptureDevice::captureGrabberFrame(std::uint8_t* buffer, int width, int height) {
    std::lock_guard lock(grabberLock_);
    if (published_->frame != nullptr && published_->valid) {
        copyFrame(published_->frame, buffer, width, height);
        return kOk;
    }
    // The library writes a whole 256 x 255 frame: straight into a buffer of that size only.
    if (width == kFrameWidth && height == kFrameHeight) {
        return libraries_.ovfCaptureFrame(kGrabberChannel, buffer, 0);
    }
    std::vector<std::uint8_t> frame(kFrameBlock);
    const int result = libraries_.ovfCaptureFrame(kGrabberChannel, frame.data(), 0);
    if (result == kOk) copyFrame(frame.data(), buffer, width, height);
    return result;
}

}  // namespace capture
