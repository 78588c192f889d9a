// The V4L2 back-end on a simulated device.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>

#include "v4l2_source.h"

using namespace vfw;

namespace {

// A capture device in memory: answers the ioctls the back-end uses.
class FakeDevice final : public V4l2Io {
  public:
    std::vector<uint32_t> formats{V4L2_PIX_FMT_YUYV};
    uint32_t caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    int nativeWidth = 640, nativeHeight = 480;
    bool fixedSize = false;  // answers every size request with the native size
    size_t padding = 8;      // extra bytes at the end of every line
    std::vector<uint8_t> jpeg;
    bool unplugged = false;

    int openFds = 0, streamOns = 0, streamOffs = 0, mapped = 0;
    uint32_t fourcc = 0;
    int width = 0, height = 0;

    int open(const char*) override {
        if (unplugged) return errno = ENOENT, -1;
        ++openFds;
        return 42;
    }
    int close(int) override { return --openFds, 0; }
    void* mmap(size_t length, int, off_t offset) override {
        const size_t index = static_cast<size_t>(offset) / bufferLength();
        if (index >= buffers_.size() || length != bufferLength()) return nullptr;
        ++mapped;
        return buffers_[index].data();
    }
    void munmap(void*, size_t) override { --mapped; }
    int waitReadable(int, int) override {
        if (unplugged) return errno = ENODEV, -1;
        return streaming_ && !queue_.empty() ? 1 : 0;
    }
    int ioctl(int, unsigned long request, void* arg) override {
        if (unplugged) return errno = ENODEV, -1;
        switch (request) {
            case VIDIOC_QUERYCAP: {
                auto* c = static_cast<v4l2_capability*>(arg);
                std::strcpy(reinterpret_cast<char*>(c->card), "Simulated camera");
                c->version = (5 << 16) | (10 << 8) | 3;
                c->capabilities = caps | V4L2_CAP_DEVICE_CAPS;
                c->device_caps = caps;
                return 0;
            }
            case VIDIOC_ENUM_FMT: {
                auto* d = static_cast<v4l2_fmtdesc*>(arg);
                if (d->index >= formats.size()) return errno = EINVAL, -1;
                d->pixelformat = formats[d->index];
                return 0;
            }
            case VIDIOC_S_FMT: {
                auto& pix = static_cast<v4l2_format*>(arg)->fmt.pix;
                width = fixedSize ? nativeWidth : std::min<int>(pix.width, nativeWidth);
                height = fixedSize ? nativeHeight : std::min<int>(pix.height, nativeHeight);
                fourcc = pix.pixelformat;
                pix.width = width;
                pix.height = height;
                pix.bytesperline = static_cast<uint32_t>(lineBytes() + padding);
                return 0;
            }
            case VIDIOC_REQBUFS: {
                auto* r = static_cast<v4l2_requestbuffers*>(arg);
                buffers_.assign(r->count, std::vector<uint8_t>(bufferLength()));
                return 0;
            }
            case VIDIOC_QUERYBUF: {
                auto* b = static_cast<v4l2_buffer*>(arg);
                if (b->index >= buffers_.size()) return errno = EINVAL, -1;
                b->length = static_cast<uint32_t>(bufferLength());
                b->m.offset = static_cast<uint32_t>(b->index * bufferLength());
                return 0;
            }
            case VIDIOC_QBUF:
                queue_.push_back(static_cast<v4l2_buffer*>(arg)->index);
                return 0;
            case VIDIOC_DQBUF: {
                if (queue_.empty()) return errno = EAGAIN, -1;
                auto* b = static_cast<v4l2_buffer*>(arg);
                b->index = queue_.front();
                queue_.pop_front();
                b->bytesused = static_cast<uint32_t>(fill(buffers_[b->index]));
                b->flags = 0;
                return 0;
            }
            case VIDIOC_STREAMON:
                return streaming_ = true, ++streamOns, 0;
            case VIDIOC_STREAMOFF:
                return streaming_ = false, ++streamOffs, 0;
        }
        return errno = ENOTTY, -1;
    }

    size_t lineBytes() const {
        return static_cast<size_t>(width) * (fourcc == V4L2_PIX_FMT_GREY   ? 1
                                             : fourcc == V4L2_PIX_FMT_YUYV ? 2
                                                                           : 3);
    }

  private:
    size_t bufferLength() const {
        return fourcc == V4L2_PIX_FMT_MJPEG ? 65536 : (lineBytes() + padding) * height;
    }
    // Frame n: byte value (line + n) in every byte of the line, the padding 0xEE.
    size_t fill(std::vector<uint8_t>& b) {
        ++frame_;
        if (fourcc == V4L2_PIX_FMT_MJPEG) {
            std::memcpy(b.data(), jpeg.data(), jpeg.size());
            return jpeg.size();
        }
        const size_t pitch = lineBytes() + padding;
        for (int y = 0; y < height; ++y) {
            std::memset(b.data() + pitch * y, (y + frame_) & 0xFF, lineBytes());
            std::memset(b.data() + pitch * y + lineBytes(), 0xEE, padding);
        }
        return pitch * height;
    }

    std::vector<std::vector<uint8_t>> buffers_;
    std::deque<uint32_t> queue_;
    bool streaming_ = false;
    int frame_ = 0;
};

std::vector<uint8_t> encodeFlatJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[3 * x] = r;
        row[3 * x + 1] = g;
        row[3 * x + 2] = b;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    free(mem);
    return out;
}

}  // namespace

TEST(V4l2Device, ProbeGivesCardAndDriverVersionOfCaptureDevicesOnly) {
    FakeDevice dev;
    auto info = probeV4l2("/dev/video0", dev);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->card, "Simulated camera");
    EXPECT_EQ(info->version, "5.10.3");
    EXPECT_EQ(dev.openFds, 0);
    dev.caps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;  // a metadata node
    EXPECT_FALSE(probeV4l2("/dev/video1", dev));
    dev.caps = V4L2_CAP_VIDEO_CAPTURE;  // no streaming
    EXPECT_FALSE(probeV4l2("/dev/video1", dev));
}

TEST(V4l2Device, StreamsPaddedLinesAsPackedFramesAndReleasesEverything) {
    FakeDevice dev;
    dev.formats = {V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_YUYV};
    {
        V4l2Source src("/dev/video0", 0, 0, dev);
        ASSERT_TRUE(src.open());
        EXPECT_EQ(dev.fourcc, V4L2_PIX_FMT_YUYV);
        EXPECT_EQ(src.width(), 640);
        EXPECT_EQ(src.height(), 480);
        std::atomic<bool> stop{false};
        Frame f;
        for (int n = 1; n <= 6; ++n) {  // more frames than buffers: they are queued again
            ASSERT_EQ(src.next(f, stop), ReadResult::Frame) << n;
            ASSERT_EQ(f.format, PixelFormat::Yuyv);
            ASSERT_EQ(f.data.size(), 640u * 480 * 2);
            EXPECT_EQ(f.data[0], n & 0xFF);
            EXPECT_EQ(f.data[1279], n & 0xFF);  // end of line 0, no padding byte
            EXPECT_EQ(f.data[1280], (n + 1) & 0xFF);
        }
        EXPECT_EQ(dev.streamOns, 1);
        stop = true;
        EXPECT_EQ(src.next(f, stop), ReadResult::Stopped);
    }
    EXPECT_EQ(dev.streamOffs, 1);
    EXPECT_EQ(dev.mapped, 0);
    EXPECT_EQ(dev.openFds, 0);
}

TEST(V4l2Device, SizeIsLimitedTo640x480) {
    FakeDevice dev;
    dev.formats = {V4L2_PIX_FMT_GREY};
    dev.nativeWidth = 320;
    dev.nativeHeight = 240;
    V4l2Source small("/dev/video0", 0, 0, dev);
    ASSERT_TRUE(small.open());
    EXPECT_EQ(small.width(), 320);

    FakeDevice big;
    big.formats = {V4L2_PIX_FMT_RGB24};
    big.nativeWidth = 800;
    big.nativeHeight = 600;
    big.fixedSize = true;
    {
        V4l2Source src("/dev/video0", 0, 0, big);
        EXPECT_FALSE(src.open());
    }
    EXPECT_EQ(big.openFds, 0);
    EXPECT_EQ(big.mapped, 0);

    FakeDevice none;
    none.formats = {V4L2_PIX_FMT_NV12};
    V4l2Source src("/dev/video0", 0, 0, none);
    EXPECT_FALSE(src.open());
    EXPECT_EQ(none.openFds, 0);
}

TEST(V4l2Device, MjpegOnlyDeviceDeliversDecodedFrames) {
    FakeDevice dev;
    dev.formats = {V4L2_PIX_FMT_MJPEG};
    dev.nativeWidth = 64;
    dev.nativeHeight = 48;
    dev.jpeg = encodeFlatJpeg(64, 48, 30, 160, 90);
    V4l2Source src("/dev/video0", 0, 0, dev);
    ASSERT_TRUE(src.open());
    std::atomic<bool> stop{false};
    Frame f;
    ASSERT_EQ(src.next(f, stop), ReadResult::Frame);
    EXPECT_EQ(f.format, PixelFormat::Rgb24);
    EXPECT_EQ(f.width, 64);
    EXPECT_EQ(f.height, 48);
    EXPECT_NEAR(f.data[3 * 100 + 1], 160, 4);
}

TEST(V4l2Device, UnpluggedDeviceEndsTheStream) {
    FakeDevice dev;
    V4l2Source src("/dev/video0", 320, 240, dev);
    ASSERT_TRUE(src.open());
    std::atomic<bool> stop{false};
    Frame f;
    ASSERT_EQ(src.next(f, stop), ReadResult::Frame);
    dev.unplugged = true;
    EXPECT_EQ(src.next(f, stop), ReadResult::Gone);
    EXPECT_FALSE(src.open());
}
