#include "v4l2_source.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "image_reader.h"
#include "mjpeg.h"

namespace vfw {

namespace {

uint32_t effectiveCaps(const v4l2_capability& cap) {
    return (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
}

// EIO may be a passing loss of signal; this many in a row mean the device is gone.
constexpr int kMaxTransientErrors = 50;

constexpr unsigned kBufferCount = 4;

}  // namespace

std::optional<V4l2Info> probeV4l2(const std::string& node, V4l2Io& io) {
    const int fd = io.open(node.c_str());
    if (fd < 0) return std::nullopt;
    v4l2_capability cap{};
    const bool ok = io.ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
    io.close(fd);
    if (!ok) return std::nullopt;
    const uint32_t caps = effectiveCaps(cap);
    if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) return std::nullopt;
    V4l2Info info;
    info.card.assign(reinterpret_cast<const char*>(cap.card),
                     strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card));
    info.version = std::to_string((cap.version >> 16) & 0xFF) + "." +
                   std::to_string((cap.version >> 8) & 0xFF) + "." +
                   std::to_string(cap.version & 0xFF);
    info.overlay = (caps & V4L2_CAP_VIDEO_OVERLAY) != 0;
    return info;
}

uint32_t choosePixelFormat(const std::vector<uint32_t>& offered) {
    for (uint32_t f :
         {V4L2_PIX_FMT_GREY, V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_RGB24, V4L2_PIX_FMT_BGR24}) {
        if (std::find(offered.begin(), offered.end(), f) != offered.end()) return f;
    }
    for (uint32_t f : {V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_JPEG}) {
        if (std::find(offered.begin(), offered.end(), f) != offered.end()) return f;
    }
    return 0;
}

V4l2Source::V4l2Source(std::string node, int width, int height, V4l2Io& io)
    : io_(io),
      node_(std::move(node)),
      requestedWidth_(width > 0 ? width : kMaxFrameWidth),
      requestedHeight_(height > 0 ? height : kMaxFrameHeight) {}

V4l2Source::~V4l2Source() {
    close();
}

bool V4l2Source::setFormat(uint32_t fourcc, int w, int h) {
    v4l2_format fmt{};
    fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    fmt.fmt.pix.width = static_cast<uint32_t>(w);
    fmt.fmt.pix.height = static_cast<uint32_t>(h);
    fmt.fmt.pix.pixelformat = fourcc;
    fmt.fmt.pix.field = V4L2_FIELD_NONE;
    if (io_.ioctl(fd_, VIDIOC_S_FMT, &fmt) != 0) return false;
    if (fmt.fmt.pix.pixelformat != fourcc || fmt.fmt.pix.width == 0 || fmt.fmt.pix.height == 0 ||
        fmt.fmt.pix.width > kMaxFrameWidth || fmt.fmt.pix.height > kMaxFrameHeight)
        return false;
    width_ = static_cast<int>(fmt.fmt.pix.width);
    height_ = static_cast<int>(fmt.fmt.pix.height);
    bytesPerLine_ = fmt.fmt.pix.bytesperline;
    return true;
}

bool V4l2Source::open() {
    close();
    fd_ = io_.open(node_.c_str());
    if (fd_ < 0) return false;
    v4l2_capability cap{};
    if (io_.ioctl(fd_, VIDIOC_QUERYCAP, &cap) != 0) return close(), false;
    overlay_ = (effectiveCaps(cap) & V4L2_CAP_VIDEO_OVERLAY) != 0;

    std::vector<uint32_t> offered;
    v4l2_fmtdesc desc{};
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    while (io_.ioctl(fd_, VIDIOC_ENUM_FMT, &desc) == 0) {
        offered.push_back(desc.pixelformat);
        ++desc.index;
    }
    fourcc_ = choosePixelFormat(offered);
    if (fourcc_ == 0) return close(), false;
    if (!setFormat(fourcc_, requestedWidth_, requestedHeight_) &&
        !setFormat(fourcc_, kFittedWidth, kFittedHeight))
        return close(), false;

    v4l2_requestbuffers req{};
    req.count = kBufferCount;
    req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    req.memory = V4L2_MEMORY_MMAP;
    if (io_.ioctl(fd_, VIDIOC_REQBUFS, &req) != 0 || req.count == 0) return close(), false;
    for (unsigned i = 0; i < req.count; ++i) {
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        buf.index = i;
        if (io_.ioctl(fd_, VIDIOC_QUERYBUF, &buf) != 0) return close(), false;
        void* p = io_.mmap(buf.length, fd_, static_cast<off_t>(buf.m.offset));
        if (p == nullptr) return close(), false;
        buffers_.push_back({p, buf.length});
        if (io_.ioctl(fd_, VIDIOC_QBUF, &buf) != 0) return close(), false;
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (io_.ioctl(fd_, VIDIOC_STREAMON, &type) != 0) return close(), false;
    streaming_ = true;
    return true;
}

void V4l2Source::close() {
    if (fd_ >= 0 && streaming_) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        io_.ioctl(fd_, VIDIOC_STREAMOFF, &type);
    }
    streaming_ = false;
    for (auto& m : buffers_) io_.munmap(m.start, m.length);
    buffers_.clear();
    if (fd_ >= 0) io_.close(fd_);
    fd_ = -1;
}

ReadResult V4l2Source::next(Frame& out, const std::atomic<bool>& stop) {
    if (fd_ < 0) return ReadResult::Gone;
    int transient = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!stop.load()) {
        if (std::chrono::steady_clock::now() >= deadline) return ReadResult::Timeout;
        // Look at the stop flag ten times a second.
        const int r = io_.waitReadable(fd_, 100);
        if (r < 0) return ReadResult::Gone;
        if (r == 0) continue;
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        if (io_.ioctl(fd_, VIDIOC_DQBUF, &buf) != 0) {
            if (errno == EAGAIN) continue;
            if (errno == EIO && ++transient < kMaxTransientErrors) continue;
            return ReadResult::Gone;
        }
        bool good = buf.index < buffers_.size() && !(buf.flags & V4L2_BUF_FLAG_ERROR);
        if (good) {
            const auto* src = static_cast<const uint8_t*>(buffers_[buf.index].start);
            const size_t used = std::min<size_t>(buf.bytesused, buffers_[buf.index].length);
            if (fourcc_ == V4L2_PIX_FMT_MJPEG || fourcc_ == V4L2_PIX_FMT_JPEG) {
                good = decodeJpeg(src, used, kMaxFrameWidth, kMaxFrameHeight, out);
            } else {
                const PixelFormat pf = fourcc_ == V4L2_PIX_FMT_GREY    ? PixelFormat::Grey8
                                       : fourcc_ == V4L2_PIX_FMT_YUYV  ? PixelFormat::Yuyv
                                       : fourcc_ == V4L2_PIX_FMT_RGB24 ? PixelFormat::Rgb24
                                                                       : PixelFormat::Bgr24;
                out.resize(width_, height_, pf);
                const size_t row = rowBytes(pf, width_);
                const size_t pitch = std::max<size_t>(bytesPerLine_, row);
                good = used >= pitch * (height_ - 1) + row;
                for (int y = 0; good && y < height_; ++y)
                    std::memcpy(out.data.data() + row * y, src + pitch * y, row);
            }
        }
        if (io_.ioctl(fd_, VIDIOC_QBUF, &buf) != 0) return ReadResult::Gone;
        if (good) return ReadResult::Frame;
    }
    return ReadResult::Stopped;
}

}  // namespace vfw
