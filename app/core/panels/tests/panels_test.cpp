// Image panels: the face ellipse and element scaling, the processing thread on a fake video
// device, loading, capturing, saving and the clipboard between panels.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <vector>

#include "facegen.h"
#include "facelib/face_library.h"
#include "ovio32.h"
#include "panels/image_panel.h"
#include "panels/tests/fake_capture_libraries.h"

namespace fs = std::filesystem;
using panels::ImagePanel;
using panels::OverlayEllipse;
using panels::overlayFromEyes;

namespace {

// ---- face ellipse -------------------------------------------------------------------------

TEST(OverlayFromEyes, LevelEyes) {
    const OverlayEllipse e = overlayFromEyes(100, 100, 160, 100);
    EXPECT_EQ(e.x, 130);
    EXPECT_EQ(e.y, 118) << "0.3 eye distances below the midpoint";
    EXPECT_EQ(e.width, 60);
    EXPECT_EQ(e.height, 90);
    EXPECT_EQ(e.angle, 0.0);
}

TEST(OverlayFromEyes, TiltedEyesOffsetAlongThePerpendicular) {
    // dx 60, dy 30: the centre moves 18 * (-30, 60) / sqrt(4500) from (130, 115).
    const OverlayEllipse e = overlayFromEyes(100, 100, 160, 130);
    EXPECT_EQ(e.x, 121);  // 130 - 8.05
    EXPECT_EQ(e.y, 131);  // 115 + 16.10
    EXPECT_EQ(e.width, 60);
    EXPECT_EQ(e.height, 90);
    EXPECT_DOUBLE_EQ(e.angle, -std::atan(0.5));
    EXPECT_EQ(overlayFromEyes(160, 130, 100, 100), e) << "swapped eyes give the same ellipse";
}

TEST(OverlayFromEyes, VerticalAndCoincidingEyesGiveAnEmptyEllipseAtTheMidpoint) {
    const OverlayEllipse vertical = overlayFromEyes(100, 100, 100, 140);
    EXPECT_EQ(vertical, (OverlayEllipse{100, 120, 0, 0, 0.0}));
    const OverlayEllipse same = overlayFromEyes(80.5, 90.5, 80.5, 90.5);
    EXPECT_EQ(same, (OverlayEllipse{80, 90, 0, 0, 0.0}));
}

// ---- element scaling ----------------------------------------------------------------------

TEST(ScaleElements, SizesTimesAFortiethOfTheEyeDistance) {
    FaceElementInfo r[4] = {
        {0, 130, 100, 40, 30}, {1, 100, 100, 10, 20}, {2, 180, 98, 11, 21}, {3, 140, 140, 7, 9}};
    ASSERT_TRUE(panels::scaleElements(r, 4));  // factor 0.025 * 80 = 2
    EXPECT_EQ(r[0].height, 80);
    EXPECT_EQ(r[0].width, 60);
    EXPECT_EQ(r[1].height, 20);
    EXPECT_EQ(r[2].width, 42);
    EXPECT_EQ(r[3].height, 14);
    EXPECT_EQ(r[3].x, 140) << "centres stay";

    FaceElementInfo t[3] = {{0, 0, 0, 10, 10}, {1, 100, 0, 10, 10}, {2, 150, 0, 10, 10}};
    ASSERT_TRUE(panels::scaleElements(t, 3));  // factor 1.25: truncated
    EXPECT_EQ(t[0].height, 12);
}

TEST(ScaleElements, TooFewRecordsOrNoEyesLeaveThemAlone) {
    FaceElementInfo two[2] = {{1, 100, 100, 10, 20}, {2, 180, 98, 11, 21}};
    EXPECT_FALSE(panels::scaleElements(two, 2));
    EXPECT_EQ(two[0].height, 10);
    FaceElementInfo noEye[3] = {{0, 130, 100, 40, 30}, {1, 100, 100, 10, 20}, {3, 1, 1, 7, 9}};
    EXPECT_FALSE(panels::scaleElements(noEye, 3));
    EXPECT_EQ(noEye[0].height, 40);
}

// ---- panels on a fake device -------------------------------------------------------------

std::vector<std::uint8_t> generatedFace() {
    return facegen::generateFrame(7, 1, 1).pixels;
}

class PanelTest : public ::testing::Test {
  protected:
    panels_test::FakeCaptureLibraries libraries;
    capture::CaptureDevice device{libraries, nullptr};
    panels::PanelClipboard clipboard;
    fs::path dir;
    int windowTag = 0;
    std::atomic<int> changes{0};
    void* window = &windowTag;

    void SetUp() override {
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        device.initialise();
        ASSERT_EQ(device.select(capture::Kind::Vfw, panels_test::kCameraName), 0);
        dir = fs::temp_directory_path() /
              ("ovfc_panels_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override {
        facelib::done();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::unique_ptr<ImagePanel> makePanel(std::uint8_t menuMask = panels::kAllowImage |
                                                                  panels::kAllowElements |
                                                                  panels::kAllowPaste) {
        auto p = std::make_unique<ImagePanel>("Test.panel", device, clipboard,
                                              panels::kShowPicture | panels::kShowElements,
                                              menuMask, [this] { ++changes; });
        p->setIntervalMs(5);
        return p;
    }
    std::string writeFace(const std::vector<std::uint8_t>& frame, const std::string& name) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), panels::kImageByExtension), OVIO_OK);
        return path;
    }
};

std::vector<std::uint8_t> frameBytes(const std::vector<std::uint8_t>& block) {
    return {block.begin(), block.begin() + panels::kPictureWidth * panels::kPictureHeight};
}

TEST_F(PanelTest, ProcessingThreadFindsTheFaceOfEveryLiveFrame) {
    const auto face = generatedFace();
    libraries.setFrame(face);
    auto panel = makePanel();
    ASSERT_EQ(panel->startLive(window, true), 0);
    EXPECT_TRUE(panel->live());

    std::vector<std::uint8_t> picture(panels::kPictureBlock, 0xEE);
    std::vector<std::uint8_t> descriptor(panels::kDescriptorBytes, 0);
    ASSERT_TRUE(panel->waitProcessedFrame(picture.data(), descriptor.data()));
    EXPECT_EQ(frameBytes(picture), face);
    EXPECT_EQ(std::string(descriptor.begin(), descriptor.begin() + 8), "OVFCDESC");
    std::vector<std::uint8_t> expected(facelib::kDescriptorSize, 0);
    ASSERT_EQ(facelib::process(face.data(), 256, 255, expected.data()), 0);
    EXPECT_EQ(descriptor, expected) << "the descriptor of the same frame";

    const ImagePanel::Snapshot s = panel->snapshot();
    EXPECT_TRUE(s.pictureValid);
    EXPECT_TRUE(s.faceProcessed);
    EXPECT_GE(s.processedFrames, 1u);
    EXPECT_GE(s.facesFound, 1u);
    // The elements are the descriptor's records scaled, the ellipse comes from its eyes.
    FaceElementInfo records[8] = {};
    std::uint16_t count = 8;
    ASSERT_EQ(facelib::faceInfo(expected.data(), records, count), 0);
    ASSERT_EQ(count, 8);
    const OverlayEllipse ellipse =
        overlayFromEyes(records[1].x, records[1].y, records[2].x, records[2].y);
    ASSERT_TRUE(panels::scaleElements(records, count));
    ASSERT_EQ(s.elements.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(s.elements[i].id, records[i].id);
        EXPECT_EQ(s.elements[i].height, records[i].height) << i;
        EXPECT_EQ(s.elements[i].width, records[i].width) << i;
    }
    EXPECT_EQ(s.overlay, ellipse);
    // About as wide as the eyes are apart (about 53 pixels in this frame).
    EXPECT_GT(s.overlay.width, 40);
    EXPECT_LT(s.overlay.width, 70);

    // Several frames go through while live.
    while (panel->snapshot().processedFrames < 3)
        ASSERT_TRUE(panel->waitProcessedFrame(nullptr, nullptr));
    EXPECT_GE(libraries.captures(), 3);

    EXPECT_GE(changes.load(), 3) << "changed() after every processed frame";

    const int before = changes.load();
    panel->stopLive();
    EXPECT_FALSE(panel->live());
    EXPECT_GT(changes.load(), before) << "changed() when live video stops";
    EXPECT_EQ(panel->snapshot().overlay, OverlayEllipse{}) << "the ellipse is cleared";
    const int captures = libraries.captures();
    const std::uint64_t frames = panel->snapshot().processedFrames;
    EXPECT_FALSE(panel->waitProcessedFrame(nullptr, nullptr, 50)) << "no frame after stopping";
    EXPECT_EQ(libraries.captures(), captures) << "no thread captures after stopLive";
    EXPECT_EQ(panel->snapshot().processedFrames, frames);
}

TEST_F(PanelTest, WaitTimesOutWhenNothingIsLive) {
    auto panel = makePanel();
    std::vector<std::uint8_t> picture(panels::kPictureBlock, 0xEE);
    EXPECT_FALSE(panel->waitProcessedFrame(picture.data(), nullptr, 20));
    EXPECT_EQ(picture[0], 0xEE) << "buffers untouched";
    ASSERT_EQ(panel->startLive(window, false), 0) << "live without processing";
    EXPECT_FALSE(panel->waitProcessedFrame(picture.data(), nullptr, 20));
    EXPECT_EQ(libraries.captures(), 0);
}

TEST_F(PanelTest, FrameWithoutAFaceIsCountedButNotProcessed) {
    libraries.setFrame(std::vector<std::uint8_t>(256 * 255, 128));
    auto panel = makePanel();
    ASSERT_EQ(panel->startLive(window, true), 0);
    EXPECT_FALSE(panel->waitProcessedFrame(nullptr, nullptr));
    const ImagePanel::Snapshot s = panel->snapshot();
    EXPECT_FALSE(s.faceProcessed);
    EXPECT_TRUE(s.elements.empty());
    EXPECT_EQ(s.overlay, OverlayEllipse{});
    EXPECT_GE(s.processedFrames, 1u);
    EXPECT_EQ(s.facesFound, 0u);
}

TEST_F(PanelTest, OverlayCallbackCopiesTheEllipse) {
    libraries.setFrame(generatedFace());
    auto panel = makePanel();
    ASSERT_EQ(panel->startLive(window, true), 0);
    ASSERT_TRUE(panel->waitProcessedFrame(nullptr, nullptr));
    ASSERT_NE(libraries.notify(), nullptr);
    ASSERT_EQ(libraries.notifyValue(), reinterpret_cast<std::intptr_t>(panel.get()));
    OvVFWNotify record{};
    record.value = libraries.notifyValue();
    libraries.notify()(&record);
    const OverlayEllipse e = panel->snapshot().overlay;
    ASSERT_NE(e.width, 0);
    EXPECT_EQ(record.x, e.x);
    EXPECT_EQ(record.y, e.y);
    EXPECT_EQ(record.width, e.width);
    EXPECT_EQ(record.height, e.height);
    EXPECT_EQ(record.extra1, std::lround(e.angle * 1000));
    panel->stopLive();
    libraries.notify()(&record);
    EXPECT_EQ(record.width, 0) << "no ellipse once stopped";
}

TEST_F(PanelTest, NoCaptureDeviceMeansNotLive) {
    ASSERT_EQ(device.select(capture::Kind::None, ""), 0);
    auto panel = makePanel();
    EXPECT_NE(panel->startLive(window, true), 0);
    EXPECT_FALSE(panel->live());
    EXPECT_FALSE(panel->waitProcessedFrame(nullptr, nullptr, 20));
}

TEST_F(PanelTest, FreezeKeepsTheLastFrameAndStopsProcessing) {
    libraries.setFrame(generatedFace());
    auto panel = makePanel();
    ASSERT_EQ(panel->startLive(window, true), 0);
    ASSERT_TRUE(panel->waitProcessedFrame(nullptr, nullptr));
    panel->freeze();
    EXPECT_FALSE(panel->live());
    const ImagePanel::Snapshot s = panel->snapshot();
    EXPECT_TRUE(s.pictureValid);
    EXPECT_TRUE(s.faceProcessed);
    const int captures = libraries.captures();
    EXPECT_FALSE(panel->waitProcessedFrame(nullptr, nullptr, 30));
    EXPECT_EQ(libraries.captures(), captures);
    ASSERT_EQ(panel->startLive(window, true), 0) << "live again after freezing";
    EXPECT_TRUE(panel->waitProcessedFrame(nullptr, nullptr));
    EXPECT_GT(panel->snapshot().processedFrames, s.processedFrames);
}

TEST_F(PanelTest, DestroyingALivePanelEndsItsThread) {
    libraries.setFrame(generatedFace());
    {
        auto panel = makePanel();
        ASSERT_EQ(panel->startLive(window, true), 0);
        ASSERT_TRUE(panel->waitProcessedFrame(nullptr, nullptr));
    }
    const int captures = libraries.captures();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(libraries.captures(), captures);
}

TEST_F(PanelTest, LoadsAGeneratedTiffAndLabelsItWithTheFileName) {
    const auto face = generatedFace();
    const std::string path = writeFace(face, "00000101.TIF");
    auto panel = makePanel();
    EXPECT_EQ(panel->snapshot().label, "No image");
    ASSERT_EQ(panel->loadFile(path), 0);
    ImagePanel::Snapshot s = panel->snapshot();
    EXPECT_TRUE(s.pictureValid);
    EXPECT_FALSE(s.faceProcessed);
    EXPECT_EQ(s.label, "00000101.TIF");
    EXPECT_EQ(s.picture, face);

    EXPECT_NE(panel->loadFile((dir / "missing.tif").string()), 0);
    s = panel->snapshot();
    EXPECT_FALSE(s.pictureValid);
    EXPECT_EQ(s.label, "No image");
    EXPECT_NE(panel->loadFile("C:\\images\\none.tif"), 0);
    EXPECT_EQ(panel->snapshot().label, "No image");
}

TEST_F(PanelTest, ALoadedPictureIsProcessedOnceAndItsComparisonShowsElements) {
    auto panel = makePanel();
    std::uint8_t descriptor[panels::kDescriptorBytes] = {};
    EXPECT_EQ(panel->process(), panels::kNoPicture);
    ASSERT_EQ(panel->loadFile(writeFace(generatedFace(), "00000101.TIF")), 0);
    EXPECT_FALSE(panel->copyDescriptor(descriptor));
    ASSERT_EQ(panel->process(), 0);
    ImagePanel::Snapshot s = panel->snapshot();
    EXPECT_TRUE(s.faceProcessed);
    EXPECT_GE(s.elements.size(), 3u);
    ASSERT_TRUE(panel->copyDescriptor(descriptor));
    EXPECT_EQ(facelib::service(1, descriptor), 0);

    // Another picture of the same person compared with that descriptor: the elements of the
    // comparison belong to the compared picture's panel.
    auto other = makePanel();
    ASSERT_EQ(other->loadFile(writeFace(facegen::generateFrame(7, 1, 2).pixels, "00000102.TIF")),
              0);
    EXPECT_TRUE(other->snapshot().elements.empty());
    {
        auto hold = facelib::hold();
        std::int32_t score = 0;
        ASSERT_EQ(facelib::match(other->snapshot().picture.data(), descriptor, 256, 255, score), 0);
        EXPECT_TRUE(other->showComparisonElements());
    }
    EXPECT_GE(other->snapshot().elements.size(), 3u);
    EXPECT_FALSE(other->snapshot().faceProcessed);
}

TEST_F(PanelTest, CaptureAndCaptureDialogLabels) {
    const auto face = generatedFace();
    libraries.setFrame(face);
    auto panel = makePanel();
    ASSERT_EQ(panel->capture(window), 0);
    EXPECT_EQ(panel->snapshot().label, "Captured image");
    EXPECT_EQ(panel->snapshot().picture, face);
    EXPECT_TRUE(panel->snapshot().pictureValid);

    libraries.setCaptureResult(1);
    EXPECT_EQ(panel->capture(window), 1);
    EXPECT_EQ(panel->snapshot().label, "No image");
    EXPECT_FALSE(panel->snapshot().pictureValid);

    libraries.setDialogResult(0);
    ASSERT_EQ(panel->captureDialog(window), 0);
    EXPECT_TRUE(panel->snapshot().pictureValid);
    EXPECT_EQ(panel->snapshot().label, "Captured image");

    libraries.setFrame(std::vector<std::uint8_t>(256 * 255, 3));
    libraries.setDialogResult(panels::kDialogCancelled);
    EXPECT_EQ(panel->captureDialog(window), panels::kDialogCancelled);
    EXPECT_TRUE(panel->snapshot().pictureValid) << "a cancelled dialog leaves the panel";
    EXPECT_EQ(panel->snapshot().picture, face);
    EXPECT_EQ(panel->snapshot().label, "Captured image");

    libraries.setDialogResult(1);
    EXPECT_EQ(panel->captureDialog(window), 1);
    EXPECT_FALSE(panel->snapshot().pictureValid);
    EXPECT_EQ(panel->snapshot().label, "No image");
}

TEST_F(PanelTest, ClipboardCarriesPictureAndDescriptorBetweenPanels) {
    libraries.setFrame(generatedFace());
    auto source = makePanel();
    auto target = makePanel();
    auto noPaste = makePanel(panels::kAllowImage);
    source->copy();
    EXPECT_FALSE(target->canPaste()) << "an empty panel copies nothing";

    ASSERT_EQ(source->startLive(window, true), 0);
    std::vector<std::uint8_t> descriptor(panels::kDescriptorBytes, 0);
    ASSERT_TRUE(source->waitProcessedFrame(nullptr, descriptor.data()));
    source->stopLive();
    source->copy();

    EXPECT_TRUE(target->canPaste());
    EXPECT_FALSE(noPaste->canPaste());
    EXPECT_FALSE(noPaste->paste());
    ASSERT_TRUE(target->paste());
    const ImagePanel::Snapshot a = source->snapshot();
    const ImagePanel::Snapshot b = target->snapshot();
    EXPECT_TRUE(b.pictureValid);
    EXPECT_TRUE(b.faceProcessed);
    EXPECT_EQ(b.picture, a.picture);
    EXPECT_EQ(b.elements.size(), a.elements.size()) << "elements of the pasted descriptor";
    std::vector<std::uint8_t> pasted(panels::kDescriptorBytes, 0);
    // The pasted descriptor matches the source frame as well as the original does.
    std::int32_t original = 0, copied = 0;
    target->copy();
    bool pv = false, dv = false;
    std::vector<std::uint8_t> picture(panels::kPictureBlock, 0);
    ASSERT_TRUE(clipboard.get(picture.data(), pv, pasted.data(), dv));
    EXPECT_EQ(pasted, descriptor);
    ASSERT_EQ(facelib::match(a.picture.data(), descriptor.data(), 256, 255, original), 0);
    ASSERT_EQ(facelib::match(a.picture.data(), pasted.data(), 256, 255, copied), 0);
    EXPECT_EQ(copied, original);
}

TEST_F(PanelTest, SaveAsWritesThePictureThatLoadsBack) {
    const auto face = generatedFace();
    libraries.setFrame(face);
    auto panel = makePanel();
    const std::string path = (dir / "saved.tif").string();
    EXPECT_EQ(panel->saveAs(path), panels::kNoPicture);
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(panel->capture(window), 0);
    ASSERT_EQ(panel->saveAs(path), 0);
    auto other = makePanel();
    ASSERT_EQ(other->loadFile(path), 0);
    EXPECT_EQ(other->snapshot().picture, face);
    EXPECT_EQ(other->snapshot().label, "saved.tif");
}

}  // namespace
