#pragma once
// The image folder camera: plays the image files of a folder in name order, looping, at the
// preview rate. The files are read when the camera is opened (on the caller's thread, since
// the image file library must not be entered by two threads); a folder that disappears makes
// the camera disappear.

#include <chrono>
#include <string>
#include <vector>

#include "capture_source.h"
#include "image_reader.h"

namespace vfw {

class FolderSource final : public CaptureSource {
  public:
    static constexpr size_t kMaxFrames = 64;

    FolderSource(std::string folder, std::shared_ptr<ImageReader> reader);

    bool open() override;
    ReadResult next(Frame& out, const std::atomic<bool>& stop) override;
    void setInterval(int ms) override { interval_ = std::chrono::milliseconds(ms); }
    int width() const override { return frames_.empty() ? 0 : frames_.front().width; }
    int height() const override { return frames_.empty() ? 0 : frames_.front().height; }

  private:
    std::string folder_;
    std::shared_ptr<ImageReader> reader_;
    std::vector<Frame> frames_;
    size_t nextFrame_ = 0;
    std::chrono::milliseconds interval_{0};
    std::chrono::steady_clock::time_point due_{};
};

}  // namespace vfw
