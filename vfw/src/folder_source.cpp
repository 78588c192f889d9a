#include "folder_source.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace vfw {

namespace fs = std::filesystem;

FolderSource::FolderSource(std::string folder, std::shared_ptr<ImageReader> reader)
    : folder_(std::move(folder)), reader_(std::move(reader)) {}

bool FolderSource::open() {
    frames_.clear();
    nextFrame_ = 0;
    if (!reader_) return false;
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (it->is_regular_file(fileEc)) names.push_back(it->path().string());
    }
    if (ec) return false;
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (frames_.size() == kMaxFrames) break;
        if (auto f = reader_->read(name)) frames_.push_back(std::move(*f));
    }
    due_ = std::chrono::steady_clock::now();
    return !frames_.empty();
}

ReadResult FolderSource::next(Frame& out, const std::atomic<bool>& stop) {
    if (frames_.empty()) return ReadResult::Gone;
    // Wait for the frame's time in short slices so that a stop request is seen promptly.
    while (!stop.load()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= due_) break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            due_ - now, std::chrono::milliseconds(10)));
    }
    if (stop.load()) return ReadResult::Stopped;
    std::error_code ec;
    if (!fs::is_directory(folder_, ec)) return ReadResult::Gone;
    const auto now = std::chrono::steady_clock::now();
    due_ = std::max(due_ + interval_, now);
    out = frames_[nextFrame_];
    nextFrame_ = (nextFrame_ + 1) % frames_.size();
    return ReadResult::Frame;
}

}  // namespace vfw
