// The image folder camera, the frame buffer, the capture thread and the V4L2 helpers.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <linux/videodev2.h>

#include <atomic>
#include <fstream>

#include "capture_stream.h"
#include "folder_source.h"
#include "frame_buffer.h"
#include "mjpeg.h"
#include "test_support.h"
#include "v4l2_source.h"

using namespace vfw;
using vfw_test::TempDir;

namespace {

// Reads a test file holding one byte: a 2 x 1 grey frame of that value.
class ByteReader final : public ImageReader {
  public:
    std::optional<Frame> read(const std::string& path) override {
        std::ifstream in(path, std::ios::binary);
        char c;
        if (!in.get(c)) return std::nullopt;
        Frame f;
        f.resize(2, 1, PixelFormat::Grey8);
        f.data = {static_cast<uint8_t>(c), 0};
        return f;
    }
};

void put(const TempDir& dir, const std::string& name, const std::string& content) {
    std::ofstream(dir.file(name), std::ios::binary) << content;
}

}  // namespace

TEST(FolderCamera, PlaysFilesInNameOrderAndLoops) {
    TempDir dir;
    put(dir, "b.img", "B");
    put(dir, "a.img", "A");
    put(dir, "c.img", "C");
    put(dir, "empty.img", "");  // unreadable: skipped
    FolderSource cam(dir.path().string(), std::make_shared<ByteReader>());
    ASSERT_TRUE(cam.open());
    EXPECT_EQ(cam.width(), 2);
    std::atomic<bool> stop{false};
    std::string seen;
    Frame f;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(cam.next(f, stop), ReadResult::Frame);
        seen += static_cast<char>(f.data[0]);
    }
    EXPECT_EQ(seen, "ABCAB");
}

TEST(FolderCamera, EmptyFolderCannotOpenAndLostFolderIsGone) {
    TempDir dir;
    FolderSource empty(dir.path().string(), std::make_shared<ByteReader>());
    EXPECT_FALSE(empty.open());

    put(dir, "a.img", "A");
    FolderSource cam(dir.path().string(), std::make_shared<ByteReader>());
    ASSERT_TRUE(cam.open());
    std::filesystem::remove_all(dir.path());
    std::atomic<bool> stop{false};
    Frame f;
    EXPECT_EQ(cam.next(f, stop), ReadResult::Gone);
}

TEST(FolderCamera, StopsWhileWaitingForTheNextFrame) {
    TempDir dir;
    put(dir, "a.img", "A");
    FolderSource cam(dir.path().string(), std::make_shared<ByteReader>());
    cam.setInterval(60000);
    ASSERT_TRUE(cam.open());
    std::atomic<bool> stop{false};
    Frame f;
    ASSERT_EQ(cam.next(f, stop), ReadResult::Frame);
    stop = true;
    EXPECT_EQ(cam.next(f, stop), ReadResult::Stopped);
}

TEST(FolderCamera, RawPicFallbackReadsOnly320x240Frames) {
    TempDir dir;
    auto reader = rawPicReader();
    put(dir, "grey.PIC", std::string(320 * 240, '\x50'));
    put(dir, "colour.pic", std::string(320 * 240 * 3, '\x10'));
    put(dir, "other.pic", std::string(65280, '\x10'));
    put(dir, "grey.raw", std::string(320 * 240, '\x50'));
    auto g = reader->read(dir.file("grey.PIC"));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->format, PixelFormat::Grey8);
    EXPECT_EQ(g->data[1000], 0x50);
    auto c = reader->read(dir.file("colour.pic"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->format, PixelFormat::Rgb24);
    EXPECT_FALSE(reader->read(dir.file("other.pic")));
    EXPECT_FALSE(reader->read(dir.file("grey.raw")));
}

TEST(FolderCamera, ImageLibraryReaderKeepsSizeUpTo640x480AndFitsLarger) {
    TempDir dir;
    auto reader = defaultImageReader();
    ASSERT_TRUE(vfw_test::writeImage(dir.file("small.tif"), 160, 120,
                                     vfw_test::diagonalRamp(160, 120), false));
    std::vector<uint8_t> rgb(3 * 4 * 2);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 10);
    ASSERT_TRUE(vfw_test::writeImage(dir.file("colour.bmp"), 4, 2, rgb, true));
    ASSERT_TRUE(vfw_test::writeImage(dir.file("large.tif"), 700, 500,
                                     std::vector<uint8_t>(700 * 500, 77), false));
    auto small = reader->read(dir.file("small.tif"));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width, 160);
    EXPECT_EQ(small->height, 120);
    EXPECT_EQ(small->data, vfw_test::diagonalRamp(160, 120));
    auto colour = reader->read(dir.file("colour.bmp"));
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->format, PixelFormat::Rgb24);
    EXPECT_EQ(colour->data, rgb);
    auto large = reader->read(dir.file("large.tif"));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->width, 320);
    EXPECT_EQ(large->height, 240);
    EXPECT_EQ(large->data[320 * 120 + 160], 77);
    EXPECT_FALSE(reader->read(dir.file("missing.tif")));
}

TEST(FrameBufferTest, StoresMirroredWithStatusAndRefusesOversizedFrames) {
    FrameBuffer fb;
    EXPECT_FALSE(fb.withFrame([](const FrameView&) {}));
    Frame f;
    f.resize(4, 2, PixelFormat::Rgb555);
    for (size_t i = 0; i < f.data.size(); ++i) f.data[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(fb.store(f.view()));
    const CaptureStatus s = fb.status();
    EXPECT_EQ(s.width, 4);
    EXPECT_EQ(s.height, 2);
    EXPECT_EQ(s.bitsPerPixel, 16);
    EXPECT_EQ(s.pixelFormat, 2);
    fb.withFrame([](const FrameView& v) {
        EXPECT_EQ(v.data[0], 6);  // last pixel of row 0 first
        EXPECT_EQ(v.data[1], 7);
    });
    Frame big;
    big.resize(641, 480, PixelFormat::Rgb24);
    EXPECT_FALSE(fb.store(big.view()));
    EXPECT_EQ(fb.status().width, 4);
    EXPECT_EQ(fb.sequence(), 1u);
}

TEST(FrameBufferTest, WaitingEndsWhenTheStreamCloses) {
    FrameBuffer fb;
    fb.setStreaming(true);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        fb.setStreaming(false);
    });
    EXPECT_FALSE(fb.waitNewer(0, std::chrono::seconds(30)));
    closer.join();
}

TEST(CaptureThread, DeliversFramesAndReportsALostDevice) {
    TempDir dir;
    put(dir, "a.img", "A");
    auto cam = std::make_unique<FolderSource>(dir.path().string(), std::make_shared<ByteReader>());
    cam->setInterval(1);
    ASSERT_TRUE(cam->open());
    std::atomic<int> frames{0};
    std::atomic<bool> lost{false};
    {
        CaptureStream stream(
            std::move(cam), [&](const Frame&) { ++frames; }, [&] { lost = true; });
        ASSERT_TRUE(vfw_test::pumpUntil([&] { return frames.load() >= 3; }));
        std::filesystem::remove_all(dir.path());
        ASSERT_TRUE(vfw_test::pumpUntil([&] { return lost.load(); }));
        EXPECT_TRUE(stream.lost());
    }
    EXPECT_TRUE(lost.load());
}

TEST(V4l2, PixelFormatPreference) {
    EXPECT_EQ(choosePixelFormat({V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_GREY}),
              V4L2_PIX_FMT_GREY);
    EXPECT_EQ(choosePixelFormat({V4L2_PIX_FMT_MJPEG, V4L2_PIX_FMT_BGR24}), V4L2_PIX_FMT_BGR24);
    EXPECT_EQ(choosePixelFormat({V4L2_PIX_FMT_MJPEG}), V4L2_PIX_FMT_MJPEG);
    EXPECT_EQ(choosePixelFormat({V4L2_PIX_FMT_NV12}), 0u);
    EXPECT_FALSE(probeV4l2("/dev/null"));
    EXPECT_FALSE(probeV4l2("/nonexistent/video0"));
}

TEST(V4l2, MjpegFramesDecodeToRgb) {
    // Encode a flat 16 x 8 image with the JPEG library, then decode it.
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = 16;
    c.image_height = 8;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(16 * 3);
    for (int x = 0; x < 16; ++x) {
        row[3 * x] = 200;
        row[3 * x + 1] = 100;
        row[3 * x + 2] = 50;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);

    Frame f;
    ASSERT_TRUE(decodeJpeg(mem, size, 640, 480, f));
    EXPECT_EQ(f.width, 16);
    EXPECT_EQ(f.height, 8);
    EXPECT_EQ(f.format, PixelFormat::Rgb24);
    EXPECT_NEAR(f.data[3 * 20], 200, 4);
    EXPECT_NEAR(f.data[3 * 20 + 1], 100, 4);
    EXPECT_NEAR(f.data[3 * 20 + 2], 50, 4);
    // Too large for the limit, or not a JPEG at all: refused.
    EXPECT_FALSE(decodeJpeg(mem, size, 8, 8, f));
    const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(decodeJpeg(junk, sizeof junk, 640, 480, f));
    free(mem);
}
