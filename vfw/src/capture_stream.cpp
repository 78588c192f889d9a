#include "capture_stream.h"

namespace vfw {

CaptureStream::CaptureStream(std::unique_ptr<CaptureSource> source, FrameCallback onFrame,
                             EndCallback onLost)
    : source_(std::move(source)), onFrame_(std::move(onFrame)), onLost_(std::move(onLost)) {
    thread_ = std::thread([this] { run(); });
}

CaptureStream::~CaptureStream() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
}

void CaptureStream::run() {
    Frame frame;
    while (!stop_.load()) {
        const ReadResult r = source_->next(frame, stop_);
        if (r == ReadResult::Stopped) break;
        if (r == ReadResult::Timeout) continue;
        if (r == ReadResult::Gone) {
            lost_.store(true);
            if (onLost_) onLost_();
            break;
        }
        onFrame_(frame);
    }
}

}  // namespace vfw
