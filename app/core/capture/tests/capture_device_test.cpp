// The capture object over a recording fake of the two capture libraries.

#include "capture/capture_device.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>

#include "fake_capture.h"

using capture::CaptureDevice;
using capture::Kind;
using capture_test::Call;
using capture_test::FakeCaptureLibraries;
using capture_test::fakePixel;
using capture_test::FrameCounter;
using capture_test::handle;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr int kFramePixels = capture::kFrameWidth * capture::kFrameHeight;

// Distinct window handles; never dereferenced.
std::array<int, 24> windowStore;
void* window(int i) {
    return &windowStore[static_cast<std::size_t>(i)];
}

class CaptureDeviceTest : public ::testing::Test {
  protected:
    CaptureDeviceTest() {
        fake.vfwNames = {"Image folder camera", "USB Camera"};
        device = std::make_unique<CaptureDevice>(fake, frames.sink());
        device->initialise();
    }
    void selectGrabber() {
        ASSERT_EQ(device->select(Kind::Grabber, "Orvane KV-7"), 0);
        fake.clearCalls();
    }
    void selectVfw() {
        ASSERT_EQ(device->select(Kind::Vfw, "USB Camera"), 0);
        fake.clearCalls();
    }

    // The window and interval of the running grabber preview; null and -1 when none runs.
    void* liveWindow() const {
        const auto live = device->livePreview();
        return live ? live->window : nullptr;
    }
    int liveInterval() const {
        const auto live = device->livePreview();
        return live ? live->intervalMs : -1;
    }

    FakeCaptureLibraries fake;
    FrameCounter frames;
    std::unique_ptr<CaptureDevice> device;
};

// ---- start-up and device choice ----------------------------------------------------------

TEST(CaptureDeviceStartup, InitialisesVideoLibraryFirstAndCollectsNamesUntilOneFails) {
    FakeCaptureLibraries fake;
    fake.vfwNames = {"Image folder camera", "USB Camera"};
    FrameCounter frames;
    CaptureDevice device(fake, frames.sink());
    device.initialise();
    EXPECT_THAT(fake.calls(),
                ElementsAre(Call{"OvVFWInit"}, Call{"OvfInit"}, Call{"OvfLoadConfig", {}, ""},
                            Call{"OvVFWGetDeviceName", {0, 0}}, Call{"OvVFWGetDeviceName", {1, 0}},
                            Call{"OvVFWGetDeviceName", {2, 0}}));
    EXPECT_THAT(device.vfwDevices(), ElementsAre("Image folder camera", "USB Camera"));
    EXPECT_EQ(device.kind(), Kind::None);
    EXPECT_EQ(device.deviceName(), "(None)");
}

TEST(CaptureDeviceStartup, AsksForNineDeviceNamesAtMost) {
    FakeCaptureLibraries fake;
    for (int i = 0; i < 12; ++i) fake.vfwNames.push_back("camera " + std::to_string(i));
    FrameCounter frames;
    CaptureDevice device(fake, frames.sink());
    device.initialise();
    EXPECT_EQ(fake.callsNamed("OvVFWGetDeviceName").size(), 9u);
    EXPECT_EQ(device.vfwDevices().size(), 9u);
    EXPECT_EQ(device.vfwDevices().back(), "camera 8");
}

TEST_F(CaptureDeviceTest, BoardNamesMatchIgnoringCaseAndUnknownNamesSelectBoardZero) {
    EXPECT_EQ(device->select(Kind::Grabber, "matrox METEOR"), 0);
    EXPECT_EQ(device->select(Kind::Grabber, "MRT VideoPort Pro"), 0);
    EXPECT_EQ(device->select(Kind::Grabber, "Orvane KV-8"), 0);
    EXPECT_EQ(device->select(Kind::Grabber, ""), 0);
    EXPECT_THAT(fake.callsNamed("OvfSetFramegrabber"),
                ElementsAre(Call{"OvfSetFramegrabber", {5}}, Call{"OvfSetFramegrabber", {3}},
                            Call{"OvfSetFramegrabber", {0}}, Call{"OvfSetFramegrabber", {0}}));
    EXPECT_EQ(device->kind(), Kind::Grabber);
    EXPECT_EQ(device->deviceName(), "(None)");  // board 0, as the library names it
}

TEST(CaptureDeviceStartup, VideoCannotBeSelectedWithoutDevices) {
    FakeCaptureLibraries fake;  // no video devices
    FrameCounter frames;
    CaptureDevice device(fake, frames.sink());
    device.initialise();
    EXPECT_NE(device.select(Kind::Vfw, ""), 0);
    EXPECT_NE(device.select(Kind::Vfw, "USB Camera"), 0);
    EXPECT_THAT(fake.callsNamed("OvVFWSelectFramegrabber"), IsEmpty());
    EXPECT_EQ(device.kind(), Kind::None);
}

TEST_F(CaptureDeviceTest, OnlyCollectedVideoDevicesCanBeSelected) {
    EXPECT_NE(device->select(Kind::Vfw, "usb camera"), 0);
    EXPECT_EQ(device->kind(), Kind::None);
    EXPECT_EQ(device->select(Kind::Vfw, "USB Camera"), 0);
    EXPECT_EQ(device->kind(), Kind::Vfw);
    EXPECT_EQ(device->deviceName(), "USB Camera");
    EXPECT_THAT(fake.callsNamed("OvVFWSelectFramegrabber"),
                ElementsAre(Call{"OvVFWSelectFramegrabber", {}, "USB Camera"}));
}

TEST_F(CaptureDeviceTest, FailedSelectKeepsThePreviousDevice) {
    selectGrabber();
    fake.setResult("OvVFWSelectFramegrabber", 1);
    EXPECT_EQ(device->select(Kind::Vfw, "USB Camera"), 1);
    EXPECT_EQ(device->kind(), Kind::Grabber);
    fake.setResult("OvfSetFramegrabber", 1);
    EXPECT_EQ(device->select(Kind::Grabber, "Matrox Meteor"), 1);
    EXPECT_EQ(device->kind(), Kind::Grabber);
    EXPECT_EQ(device->deviceName(), "Orvane KV-7");
}

TEST_F(CaptureDeviceTest, FailedSelectResumesTheGrabberPreview) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    fake.setResult("OvfSetFramegrabber", 1);
    EXPECT_NE(device->select(Kind::Grabber, "Matrox Meteor"), 0);
    EXPECT_EQ(liveWindow(), window(1));
    const int before = frames.framesFor(window(1));
    EXPECT_TRUE(frames.waitFor(window(1), before + 2));
}

TEST_F(CaptureDeviceTest, ChangingTheBoardEndsTheGrabberPreviewBeforeTheLibraryChanges) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 0, nullptr, 0), 0);
    ASSERT_EQ(device->startPreview(window(2), 0, nullptr, 0), 0);
    ASSERT_TRUE(fake.waitForCaptures(3));
    ASSERT_EQ(device->select(Kind::Grabber, "Matrox Meteor"), 0);
    EXPECT_FALSE(device->livePreview().has_value());
    EXPECT_THAT(device->previewStack(), IsEmpty());
    const auto calls = fake.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], (Call{"OvfSetFramegrabber", {5}}));
    EXPECT_EQ(calls.back(), Call{"OvfStopCapture"});
}

TEST_F(CaptureDeviceTest, LeavingVideoStopsItsPreviewsBottomFirst) {
    selectVfw();
    ASSERT_EQ(device->startPreview(window(1), 100, nullptr, 0), 0);
    ASSERT_EQ(device->startPreview(window(2), 100, nullptr, 0), 0);
    fake.clearCalls();
    ASSERT_EQ(device->select(Kind::None, ""), 0);
    EXPECT_THAT(fake.calls(), ElementsAre(Call{"OvVFWStopPreview", {handle(window(1))}},
                                          Call{"OvVFWStopPreview", {handle(window(2))}}));
    EXPECT_THAT(device->previewStack(), IsEmpty());
}

// ---- frame-grabber preview stack ---------------------------------------------------------

TEST_F(CaptureDeviceTest, SecondWindowFreezesTheFirstAndStoppingItResumesTheFirst) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    ASSERT_TRUE(frames.waitFor(window(1), 2));
    ASSERT_EQ(device->startPreview(window(2), 2, nullptr, 0), 0);
    // The first window's thread has ended: it gets no frame while the second is live.
    const int firstFrozen = frames.framesFor(window(1));
    ASSERT_TRUE(frames.waitFor(window(2), 5));
    EXPECT_EQ(frames.framesFor(window(1)), firstFrozen);
    EXPECT_THAT(device->previewStack(), ElementsAre(window(1), window(2)));

    fake.clearCalls();
    ASSERT_EQ(device->stopPreview(window(2)), 0);
    EXPECT_THAT(fake.calls(), ElementsAre(Call{"OvfStopCapture"}, Call{"OvfStartCapture", {256}}));
    EXPECT_THAT(device->previewStack(), ElementsAre(window(1)));
    EXPECT_EQ(liveWindow(), window(1));
    EXPECT_EQ(liveInterval(), 1);
    const int secondStopped = frames.framesFor(window(2));
    EXPECT_TRUE(frames.waitFor(window(1), firstFrozen + 3));
    EXPECT_EQ(frames.framesFor(window(2)), secondStopped);
    EXPECT_EQ(frames.damaged(), 0);
}

TEST_F(CaptureDeviceTest, StartingAWindowAgainMovesItToTheTop) {
    selectGrabber();
    for (int i = 1; i <= 3; ++i) ASSERT_EQ(device->startPreview(window(i), i, nullptr, 0), 0);
    ASSERT_EQ(device->startPreview(window(1), 7, nullptr, 0), 0);
    EXPECT_THAT(device->previewStack(), ElementsAre(window(2), window(3), window(1)));
    EXPECT_EQ(liveWindow(), window(1));
    EXPECT_EQ(liveInterval(), 7);
}

TEST_F(CaptureDeviceTest, StoppingAFrozenWindowLeavesTheLiveOneRunning) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    ASSERT_EQ(device->startPreview(window(2), 1, nullptr, 0), 0);
    fake.clearCalls();
    ASSERT_EQ(device->stopPreview(window(1)), 0);
    EXPECT_THAT(fake.calls(), IsEmpty());
    EXPECT_THAT(device->previewStack(), ElementsAre(window(2)));
    EXPECT_EQ(liveWindow(), window(2));
}

TEST_F(CaptureDeviceTest, TwentyFirstWindowIsRefusedAndChangesNothing) {
    selectGrabber();
    for (int i = 0; i < capture::kMaxPreviews; ++i) {
        ASSERT_EQ(device->startPreview(window(i), 1, nullptr, 0), 0) << i;
    }
    EXPECT_NE(device->startPreview(window(20), 1, nullptr, 0), 0);
    EXPECT_EQ(device->previewStack().size(), 20u);
    EXPECT_EQ(liveWindow(), window(19));
    // A window already on the full stack still moves to the top.
    EXPECT_EQ(device->startPreview(window(0), 1, nullptr, 0), 0);
    EXPECT_EQ(device->previewStack().back(), window(0));
}

TEST_F(CaptureDeviceTest, FreezeStopsTheThreadAndKeepsTheWindowOnTheStack) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 0, nullptr, 0), 0);
    ASSERT_TRUE(frames.waitFor(window(1), 1));
    ASSERT_EQ(device->freezePreview(window(1)), 0);
    EXPECT_FALSE(device->livePreview().has_value());
    const int frozen = fake.captures();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(fake.captures(), frozen);
    EXPECT_THAT(device->previewStack(), ElementsAre(window(1)));
    EXPECT_THAT(fake.callsNamed("OvfStopCapture"), IsEmpty());
}

TEST_F(CaptureDeviceTest, PreviewThatCannotStartLeavesThePreviousWindowLive) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    fake.setResultOnce("OvfStartCapture", 1);
    EXPECT_EQ(device->startPreview(window(2), 1, nullptr, 0), 1);
    EXPECT_THAT(device->previewStack(), ElementsAre(window(1)));
    EXPECT_EQ(liveWindow(), window(1));
}

TEST(CaptureDeviceLifetime, DestroyingTheDeviceEndsThePreviewThread) {
    FakeCaptureLibraries fake;
    FrameCounter frames;
    {
        CaptureDevice device(fake, frames.sink());
        device.initialise();
        ASSERT_EQ(device.select(Kind::Grabber, "Orvane KV-7"), 0);
        ASSERT_EQ(device.startPreview(window(1), 0, nullptr, 0), 0);
        ASSERT_TRUE(fake.waitForCaptures(3));
    }
    const int atEnd = fake.captures();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fake.captures(), atEnd);
}

// ---- video previews ----------------------------------------------------------------------

TEST_F(CaptureDeviceTest, VideoPreviewsGoToTheLibraryAndTheStackFollowsThem) {
    selectVfw();
    const auto notify = [](OvVFWNotify*) {};
    ASSERT_EQ(device->startPreview(window(1), 100, notify, 77), 0);
    ASSERT_EQ(device->startPreview(window(2), 9000, notify, 78), 0);  // cut to 12 bits
    ASSERT_EQ(device->freezePreview(window(2)), 0);
    ASSERT_EQ(device->stopPreview(window(2)), 0);
    const auto notifyValue = reinterpret_cast<std::intptr_t>(+notify);
    EXPECT_THAT(
        fake.calls(),
        ElementsAre(Call{"OvVFWStartPreviewEx", {handle(window(1)), 100, 0, 1, notifyValue, 77}},
                    Call{"OvVFWStartPreviewEx", {handle(window(2)), 4095, 0, 1, notifyValue, 78}},
                    Call{"OvVFWFreezePreview", {handle(window(2))}},
                    Call{"OvVFWStopPreview", {handle(window(2))}}));
    EXPECT_THAT(device->previewStack(), ElementsAre(window(1)));
    EXPECT_FALSE(device->livePreview().has_value());
}

TEST_F(CaptureDeviceTest, FailedVideoPreviewIsNotOnTheStack) {
    selectVfw();
    fake.setResult("OvVFWStartPreviewEx", 1);
    EXPECT_EQ(device->startPreview(window(1), 100, nullptr, 0), 1);
    EXPECT_THAT(device->previewStack(), IsEmpty());
}

// ---- frames and dialogs ------------------------------------------------------------------

TEST_F(CaptureDeviceTest, WhileAPreviewRunsFramesAreCopiedFromIt) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    ASSERT_TRUE(frames.waitFor(window(1), 1));
    std::vector<std::uint8_t> buffer(capture::kFrameBlock, 0);
    ASSERT_EQ(device->captureFrame(window(2), buffer.data(), 256, 255), 0);
    EXPECT_EQ(fake.capturesFrom(std::this_thread::get_id()), 0);
    for (int i = 0; i < kFramePixels; i += 997)
        ASSERT_EQ(buffer[std::size_t(i)], fakePixel(std::size_t(i))) << i;
}

TEST_F(CaptureDeviceTest, WithoutAPreviewFramesComeFromTheLibrary) {
    selectGrabber();
    std::vector<std::uint8_t> buffer(capture::kFrameBlock, 0);
    ASSERT_EQ(device->captureFrame(window(1), buffer.data(), 256, 255), 0);
    EXPECT_EQ(fake.capturesFrom(std::this_thread::get_id()), 1);
    EXPECT_EQ(buffer[1000], fakePixel(1000));
    fake.setResult("OvfCaptureFrame", 1);
    EXPECT_EQ(device->captureFrame(window(1), buffer.data(), 256, 255), 1);
}

TEST_F(CaptureDeviceTest, GrabberFramesNeverOverrunASmallerBuffer) {
    selectGrabber();
    constexpr int w = 100, h = 50;
    constexpr std::size_t guard = 4096;
    std::vector<std::uint8_t> buffer(w * h + guard, 0xAB);
    ASSERT_EQ(device->captureFrame(window(1), buffer.data(), w, h), 0);
    EXPECT_EQ(buffer[std::size_t(49 * w + 99)], fakePixel(49 * 256 + 99));
    EXPECT_EQ(buffer[std::size_t(w)], fakePixel(256));  // row 1 starts at the frame's row 1
    for (std::size_t i = w * h; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xAB) << i;
}

TEST_F(CaptureDeviceTest, GrabberFramesInALargerBufferArePaddedBlack) {
    selectGrabber();
    constexpr int w = 300, h = 260;
    std::vector<std::uint8_t> buffer(w * h, 0xAB);
    ASSERT_EQ(device->captureFrame(window(1), buffer.data(), w, h), 0);
    EXPECT_EQ(buffer[std::size_t(254 * w + 255)], fakePixel(254 * 256 + 255));
    EXPECT_EQ(buffer[std::size_t(254 * w + 256)], 0);
    EXPECT_EQ(buffer[std::size_t(259 * w + 10)], 0);
}

TEST_F(CaptureDeviceTest, WithoutADeviceFramesAreBlackAndPreviewsRefused) {
    std::vector<std::uint8_t> buffer(120 * 80 + 16, 0xFF);
    ASSERT_EQ(device->captureFrame(window(1), buffer.data(), 120, 80), 0);
    for (std::size_t i = 0; i < 120 * 80; ++i) ASSERT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(buffer[120 * 80], 0xFF);
    EXPECT_EQ(device->startPreview(window(1), 100, nullptr, 0), 1);
    EXPECT_EQ(device->captureDialog(window(1), buffer.data()), 1);
    EXPECT_THAT(device->previewStack(), IsEmpty());
}

TEST_F(CaptureDeviceTest, BadCaptureArgumentsAreRefused) {
    selectGrabber();
    std::vector<std::uint8_t> buffer(16);
    EXPECT_EQ(device->captureFrame(window(1), nullptr, 256, 255), 1);
    EXPECT_EQ(device->captureFrame(window(1), buffer.data(), 0, 255), 1);
    EXPECT_EQ(device->captureFrame(window(1), buffer.data(), 256, -1), 1);
    EXPECT_EQ(fake.captures(), 0);
}

TEST_F(CaptureDeviceTest, DialogsOfEachKind) {
    std::vector<std::uint8_t> picture(capture::kFrameBlock);
    const auto p = handle(picture.data());
    const auto w = handle(window(1));
    selectGrabber();
    device->setupDialog(window(1));
    device->captureDialog(window(1), picture.data());
    EXPECT_EQ(device->formatDialog(window(1)), 1);
    const auto grabberDialogs = fake.callsNamed("OvfLiveDialog");
    selectVfw();
    device->setupDialog(window(1));
    device->formatDialog(window(1));
    device->captureDialog(window(1), picture.data());
    EXPECT_THAT(grabberDialogs, ElementsAre(Call{"OvfLiveDialog", {w, 0, 0, 0, 0, 1}},
                                            Call{"OvfLiveDialog", {w, 0, 0, 256, p, 4}}));
    EXPECT_THAT(
        fake.callsNamed("OvVFWLiveDialog"),
        ElementsAre(Call{"OvVFWLiveDialog", {w, 0, 0x41}}, Call{"OvVFWLiveDialog", {w, 0, 0x81}},
                    Call{"OvVFWLiveDialog", {w, p, 4}}));
}

TEST_F(CaptureDeviceTest, GrabberDialogPausesAndResumesThePreview) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 1, nullptr, 0), 0);
    device->setupDialog(window(2));
    EXPECT_THAT(fake.calls(), ElementsAre(Call{"OvfStartCapture", {256}},
                                          Call{"OvfLiveDialog", {handle(window(2)), 0, 0, 0, 0, 1}},
                                          Call{"OvfStartCapture", {256}}));
    EXPECT_EQ(liveWindow(), window(1));
}

TEST_F(CaptureDeviceTest, ShutdownStopsPreviewsAndReleasesTheVideoLibrary) {
    selectGrabber();
    ASSERT_EQ(device->startPreview(window(1), 0, nullptr, 0), 0);
    device->shutdown();
    EXPECT_FALSE(device->livePreview().has_value());
    EXPECT_THAT(device->previewStack(), IsEmpty());
    EXPECT_THAT(fake.calls(), ElementsAre(Call{"OvfStartCapture", {256}}, Call{"OvfStopCapture"},
                                          Call{"OvVFWDone"}));
    EXPECT_EQ(device->kind(), Kind::None);
}

}  // namespace
