#pragma once
// Video4Linux2 capture: memory-mapped streaming in GREY, YUYV, RGB24 or BGR24, or MJPEG
// (decoded) when the device offers nothing else; at most 640 x 480.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture_source.h"
#include "v4l2_io.h"

namespace vfw {

struct V4l2Info {
    std::string card;
    std::string version;  // "major.minor.patch" of the driver
    bool overlay = false;
};

// The device node's identity when it is a video capture device with streaming.
std::optional<V4l2Info> probeV4l2(const std::string& node, V4l2Io& io = systemV4l2Io());

// Chooses among the pixel formats (V4L2 fourcc codes) a device offers: GREY, YUYV, RGB24,
// BGR24 in this order, MJPEG only when none of them is offered; 0 when none is usable.
uint32_t choosePixelFormat(const std::vector<uint32_t>& offered);

class V4l2Source final : public CaptureSource {
  public:
    V4l2Source(std::string node, int width, int height, V4l2Io& io = systemV4l2Io());
    ~V4l2Source() override;
    V4l2Source(const V4l2Source&) = delete;
    V4l2Source& operator=(const V4l2Source&) = delete;

    bool open() override;
    ReadResult next(Frame& out, const std::atomic<bool>& stop) override;
    bool canOverlay() const override { return overlay_; }
    int width() const override { return width_; }
    int height() const override { return height_; }

  private:
    struct Mapping {
        void* start = nullptr;
        size_t length = 0;
    };
    void close();
    bool setFormat(uint32_t fourcc, int w, int h);

    V4l2Io& io_;
    std::string node_;
    int requestedWidth_, requestedHeight_;
    int fd_ = -1;
    uint32_t fourcc_ = 0;
    int width_ = 0, height_ = 0;
    uint32_t bytesPerLine_ = 0;
    bool overlay_ = false;
    bool streaming_ = false;
    std::vector<Mapping> buffers_;
};

}  // namespace vfw
