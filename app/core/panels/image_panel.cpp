#include "panels/image_panel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "facelib/face_library.h"
#include "ovio32.h"
#include "strings/string_table.h"

namespace panels {

namespace {

constexpr double kMilliradians = 1000.0;

std::string text(int id) {
    return std::string(appstrings::appString(id));
}

// The part of a path after its last '/' or '\'.
std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ImagePanel::ImagePanel(std::string name, capture::CaptureDevice& device, PanelClipboard& clipboard,
                       std::uint8_t options, std::uint8_t menuMask, std::function<void()> changed)
    : name_(std::move(name)),
      device_(device),
      clipboard_(clipboard),
      options_(options),
      menuMask_(menuMask),
      changed_(std::move(changed)),
      picture_(kPictureBlock, 0),
      descriptor_(kDescriptorBytes, 0),
      label_(text(appstrings::kNoImage)) {}

ImagePanel::~ImagePanel() {
    endLive(true, false);
}

void ImagePanel::notify() const {
    if (changed_) changed_();
}

void ImagePanel::setOptions(std::uint8_t options) {
    options_ = options;
    notify();
}

ImagePanel::Snapshot ImagePanel::snapshot() const {
    Snapshot s;
    {
        const std::lock_guard lock(mutex_);
        s.picture.assign(picture_.begin(),
                         picture_.begin() + std::ptrdiff_t{kPictureWidth} * kPictureHeight);
        s.pictureValid = pictureValid_;
        s.faceProcessed = faceProcessed_;
        s.elements = elements_;  // cleared with every new picture and failed processing
        s.overlay = overlay_;
        s.label = label_;
        s.processedFrames = processedFrames_;
        s.facesFound = facesFound_;
    }
    s.live = live_.load();
    return s;
}

int ImagePanel::startLive(void* window, bool process) {
    if ((live_ || frozen_) && liveKind_ != device_.kind()) {
        // The device changed: its previews were ended when it did.
        endLive(false, true);
    }
    const int rc = device_.startPreview(window, intervalMs_.load(), &ImagePanel::overlayNotify,
                                        reinterpret_cast<std::intptr_t>(this));
    if (rc != kOk) return rc;
    // A frozen preview in another window is not taken up again.
    if (frozen_ && window != window_.load()) device_.stopPreview(window_.load());
    window_ = window;
    liveKind_ = device_.kind();
    frozen_ = false;
    live_ = true;
    if (process)
        startProcessing();
    else
        stopProcessing();
    notify();
    return kOk;
}

void ImagePanel::stopLive() {
    endLive(true, true);
}

void ImagePanel::endLive(bool stopPreview, bool report) {
    stopProcessing();
    {
        const std::lock_guard lock(mutex_);
        overlay_ = OverlayEllipse{};
    }
    const bool wasShowing = live_ || frozen_;
    live_ = false;
    frozen_ = false;
    if (wasShowing) {
        if (stopPreview) device_.stopPreview(window_.load());
        if (report) notify();
    }
}

void ImagePanel::freeze() {
    if (!live_) return;
    stopProcessing();
    device_.freezePreview(window_.load());
    live_ = false;
    frozen_ = true;
    notify();
}

void ImagePanel::startProcessing() {
    if (thread_.joinable()) return;
    running_ = true;
    stopRequested_.reset();
    threadEnded_.reset();
    frameProcessed_.reset();
    thread_ = std::thread([this] { processLoop(); });
}

void ImagePanel::stopProcessing() {
    if (!thread_.joinable()) return;
    running_ = false;
    stopRequested_.set();
    // The thread leaves its loop after the library call it is in; it is joined in any case
    // because it works on this panel.
    threadEnded_.waitFor(std::chrono::milliseconds(kThreadStopTimeoutMs));
    thread_.join();
    frameProcessed_.reset();
}

bool ImagePanel::elementsOf(const std::uint8_t* descriptor, std::vector<FaceElementInfo>& elements,
                            OverlayEllipse& overlay) {
    FaceElementInfo records[kMaxElements] = {};
    std::uint16_t count = kMaxElements;
    if (facelib::faceInfo(descriptor, records, count) != 0) return false;
    const int n = std::min<int>(count, kMaxElements);
    const FaceElementInfo* left = findElement(records, n, kLeftEyeId);
    const FaceElementInfo* right = findElement(records, n, kRightEyeId);
    if (left == nullptr || right == nullptr) return false;
    overlay = overlayFromEyes(left->x, left->y, right->x, right->y);
    if (!scaleElements(records, n)) return false;
    elements.assign(records, records + n);
    return true;
}

void ImagePanel::processLoop() {
    std::vector<std::uint8_t> frame(kPictureBlock, 0);
    std::vector<std::uint8_t> descriptor(kDescriptorBytes, 0);
    while (running_ && live_) {
        frameProcessed_.reset();
        const int captured =
            device_.captureFrame(window_.load(), frame.data(), kPictureWidth, kPictureHeight);
        const int rc = captured == kOk ? facelib::process(frame.data(), kPictureWidth,
                                                          kPictureHeight, descriptor.data())
                                       : captured;
        std::vector<FaceElementInfo> elements;
        OverlayEllipse overlay;
        if (rc == kOk && !elementsOf(descriptor.data(), elements, overlay)) {
            elements.clear();
            overlay = OverlayEllipse{};
        }
        {
            const std::lock_guard lock(mutex_);
            if (captured == kOk) {
                std::copy(frame.begin(), frame.end(), picture_.begin());
                pictureValid_ = true;
            }
            if (rc == kOk) std::copy(descriptor.begin(), descriptor.end(), descriptor_.begin());
            faceProcessed_ = rc == kOk;
            elements_ = std::move(elements);
            overlay_ = overlay;
            ++processedFrames_;
            if (rc == kOk) ++facesFound_;
        }
        frameProcessed_.set();
        notify();
        if (!running_) break;
        stopRequested_.waitFor(std::chrono::milliseconds(intervalMs_.load()));
    }
    threadEnded_.set();
}

bool ImagePanel::waitProcessedFrame(std::uint8_t* picture, std::uint8_t* descriptor,
                                    int timeoutMs) {
    if (!frameProcessed_.waitFor(std::chrono::milliseconds(std::max(timeoutMs, 0)))) return false;
    const std::lock_guard lock(mutex_);
    if (picture != nullptr) std::copy(picture_.begin(), picture_.end(), picture);
    if (descriptor != nullptr) std::copy(descriptor_.begin(), descriptor_.end(), descriptor);
    return faceProcessed_;
}

void ImagePanel::takePicture(const std::vector<std::uint8_t>& buffer, bool valid,
                             std::string label) {
    {
        const std::lock_guard lock(mutex_);
        if (valid) std::copy(buffer.begin(), buffer.end(), picture_.begin());
        pictureValid_ = valid;
        faceProcessed_ = false;
        elements_.clear();
        label_ = std::move(label);
    }
    notify();
}

int ImagePanel::loadFile(const std::string& path) {
    {
        const std::lock_guard lock(mutex_);
        label_ = text(appstrings::kLoadingImage);
    }
    notify();
    std::vector<std::uint8_t> buffer(kPictureBlock, 0);
    ImageInfo info{};
    int rc = OvGetImageInfo(path.c_str(), &info, kImageByExtension);
    if (rc == kOk) rc = OvReadImage(path.c_str(), buffer.data(), kImageByExtension);
    takePicture(buffer, rc == kOk, rc == kOk ? fileNameOf(path) : text(appstrings::kNoImage));
    return rc;
}

int ImagePanel::capture(void* window) {
    {
        const std::lock_guard lock(mutex_);
        label_ = text(appstrings::kCapturingImage);
    }
    notify();
    std::vector<std::uint8_t> buffer(kPictureBlock, 0);
    const int rc = device_.captureFrame(window, buffer.data(), kPictureWidth, kPictureHeight);
    takePicture(buffer, rc == kOk,
                text(rc == kOk ? appstrings::kCapturedImage : appstrings::kNoImage));
    return rc;
}

int ImagePanel::captureDialog(void* parent) {
    std::vector<std::uint8_t> buffer(kPictureBlock, 0);
    const int rc = device_.captureDialog(parent, buffer.data());
    if (rc == kDialogCancelled) return rc;
    takePicture(buffer, rc == kOk,
                text(rc == kOk ? appstrings::kCapturedImage : appstrings::kNoImage));
    return rc;
}

void ImagePanel::showPicture(const std::uint8_t* picture, const std::uint8_t* descriptor,
                             std::string label) {
    {
        const std::lock_guard lock(mutex_);
        std::fill(picture_.begin(), picture_.end(), 0);
        std::copy(picture, picture + std::ptrdiff_t{kPictureWidth} * kPictureHeight,
                  picture_.begin());
        pictureValid_ = true;
        faceProcessed_ = descriptor != nullptr;
        if (descriptor != nullptr)
            std::copy(descriptor, descriptor + kDescriptorBytes, descriptor_.begin());
        elements_.clear();
        label_ = std::move(label);
    }
    notify();
}

void ImagePanel::clear() {
    takePicture({}, false, text(appstrings::kNoImage));
}

int ImagePanel::process() {
    std::vector<std::uint8_t> picture;
    {
        const std::lock_guard lock(mutex_);
        if (!pictureValid_) return kNoPicture;
        if (faceProcessed_) return kOk;
        picture = picture_;
    }
    std::vector<std::uint8_t> descriptor(kDescriptorBytes, 0);
    const int rc =
        facelib::process(picture.data(), kPictureWidth, kPictureHeight, descriptor.data());
    std::vector<FaceElementInfo> elements;
    OverlayEllipse unused;
    if (rc == kOk && !elementsOf(descriptor.data(), elements, unused)) elements.clear();
    {
        const std::lock_guard lock(mutex_);
        // A picture taken meanwhile is not this one's.
        if (picture_ != picture) return rc;
        if (rc == kOk) descriptor_ = std::move(descriptor);
        faceProcessed_ = rc == kOk;
        elements_ = std::move(elements);
    }
    notify();
    return rc;
}

bool ImagePanel::copyDescriptor(std::uint8_t* out) const {
    const std::lock_guard lock(mutex_);
    if (!faceProcessed_ || out == nullptr) return false;
    std::copy(descriptor_.begin(), descriptor_.end(), out);
    return true;
}

bool ImagePanel::showComparisonElements() {
    std::vector<FaceElementInfo> elements;
    OverlayEllipse unused;
    if (!elementsOf(nullptr, elements, unused)) return false;
    {
        const std::lock_guard lock(mutex_);
        elements_ = std::move(elements);
    }
    notify();
    return true;
}

void ImagePanel::copy() {
    const std::lock_guard lock(mutex_);
    if (!pictureValid_) return;
    clipboard_.put(picture_.data(), true, descriptor_.data(), faceProcessed_);
}

bool ImagePanel::canPaste() const {
    return (menuMask_ & kAllowPaste) != 0 && clipboard_.hasPicture();
}

bool ImagePanel::paste() {
    if ((menuMask_ & kAllowPaste) == 0) return false;
    std::vector<std::uint8_t> picture(kPictureBlock, 0);
    std::vector<std::uint8_t> descriptor(kDescriptorBytes, 0);
    bool pictureValid = false;
    bool descriptorValid = false;
    if (!clipboard_.get(picture.data(), pictureValid, descriptor.data(), descriptorValid))
        return false;
    std::vector<FaceElementInfo> elements;
    OverlayEllipse unused;
    if (descriptorValid && !elementsOf(descriptor.data(), elements, unused)) elements.clear();
    {
        const std::lock_guard lock(mutex_);
        picture_ = std::move(picture);
        descriptor_ = std::move(descriptor);
        pictureValid_ = pictureValid;
        faceProcessed_ = descriptorValid;
        elements_ = std::move(elements);
    }
    notify();
    return true;
}

int ImagePanel::saveAs(const std::string& path) {
    std::vector<std::uint8_t> picture;
    {
        const std::lock_guard lock(mutex_);
        if (!pictureValid_) return kNoPicture;
        picture = picture_;
    }
    return OvWriteImage(path.c_str(), picture.data(), kImageByExtension);
}

void ImagePanel::overlayNotify(OvVFWNotify* record) {
    if (record == nullptr || record->value == 0) return;
    const auto* panel = reinterpret_cast<const ImagePanel*>(record->value);
    OverlayEllipse e;
    {
        const std::lock_guard lock(panel->mutex_);
        e = panel->overlay_;
    }
    record->x = e.x;
    record->y = e.y;
    record->width = e.width;
    record->height = e.height;
    record->extra1 = static_cast<std::int32_t>(std::lround(e.angle * kMilliradians));
}

}  // namespace panels
