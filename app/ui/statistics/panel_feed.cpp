#include "panel_feed.h"

#include "panels/panel_clipboard.h"
#include "platform/paths.h"

namespace ui {

namespace {

constexpr std::size_t kFrameBytes =
    std::size_t{panels::kPictureWidth} * std::size_t{panels::kPictureHeight};

// The picture as a panel takes it: a standard frame, or nothing.
std::vector<std::uint8_t> frameOf(const stats::Picture& picture) {
    if (picture.width != panels::kPictureWidth || picture.height != panels::kPictureHeight ||
        picture.pixels.size() < kFrameBytes)
        return {};
    return {picture.pixels.begin(), picture.pixels.begin() + kFrameBytes};
}

}  // namespace

PanelFeed::PanelFeed(stats::StatMatcher& inner, PanelView& sample, PanelView& registered,
                     QObject& context)
    : inner_(inner), context_(context), sample_(sample), registered_(registered) {}

void PanelFeed::Slot::put(Shown shown, QObject& context) {
    bool post = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        post = !pending_.has_value();
        pending_ = std::move(shown);
    }
    if (post)
        QMetaObject::invokeMethod(
            &context, [this] { show(); }, Qt::QueuedConnection);
}

void PanelFeed::Slot::show() {
    std::optional<Shown> shown;
    {
        std::lock_guard<std::mutex> guard(lock_);
        shown.swap(pending_);
    }
    if (!shown) return;
    panels::ImagePanel& panel = view_.panel();
    if (shown->picture.empty()) {
        panel.clear();
        return;
    }
    // The panel reads a whole 64 KiB block and a full descriptor.
    shown->picture.resize(panels::kPictureBlock, 0);
    const bool described = shown->descriptor.size() >= panels::kDescriptorBytes;
    panel.showPicture(shown->picture.data(), described ? shown->descriptor.data() : nullptr,
                      std::move(shown->label));
}

int PanelFeed::load(const std::string& path, stats::Picture& picture) {
    // Before a step advances, a row's first load with j = 0 is its sample.
    loadingSample_ =
        run_ != nullptr && run_->registeredIndex() == 0 && run_->sampleIndex() != lastSampleRow_;
    if (loadingSample_) lastSampleRow_ = run_->sampleIndex();
    label_ = platform::fileNamePart(path);
    const int rc = inner_.load(path, picture);
    if (rc == 0 && !loadingSample_) registered_.put({frameOf(picture), {}, label_}, context_);
    if (rc != 0) (loadingSample_ ? sample_ : registered_).put({}, context_);
    return rc;
}

int PanelFeed::process(const stats::Picture& sample, std::vector<std::uint8_t>& descriptor) {
    const int rc = inner_.process(sample, descriptor);
    // The sample is shown once processed, with its elements when they were found.
    sample_.put({frameOf(sample), rc == 0 ? descriptor : std::vector<std::uint8_t>{}, label_},
                context_);
    return rc;
}

int PanelFeed::match(const stats::Picture& registered, const std::vector<std::uint8_t>& descriptor,
                     std::int32_t& score) {
    return inner_.match(registered, descriptor, score);
}

}  // namespace ui
