// Previews, stills, notification, dialogs and shutdown on the image folder camera, with
// Qt widgets on the offscreen platform.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>

#include "library.h"
#include "ovvfw32.h"
#include "test_support.h"

using vfw_test::pumpUntil;
using vfw_test::TempDir;

namespace {

std::atomic<intptr_t> g_notifiedValue{0};
std::atomic<int> g_notifications{0};

void notifyRect(OvVFWNotify* r) {
    g_notifiedValue = r->value;
    ++g_notifications;
    r->x = 128;  // centre of the capture region
    r->y = 120;
    r->width = 40;
    r->height = 30;
}

class VfwPreview : public ::testing::Test {
  protected:
    void SetUp() override {
        vfw_test::app();
        std::filesystem::create_directory(frames());
        // Two 320 x 240 grey frames: a ramp left to right, and a flat 200.
        std::vector<uint8_t> ramp(320 * 240);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) ramp[y * 320 + x] = static_cast<uint8_t>(64 + x / 2);
        ASSERT_TRUE(vfw_test::writeImage(frames() + "/1.tif", 320, 240, ramp, false));
        ASSERT_TRUE(vfw_test::writeImage(frames() + "/2.tif", 320, 240,
                                         std::vector<uint8_t>(320 * 240, 200), false));
        setenv("OVVFW_VIRTUAL_DIR", frames().c_str(), 1);
        ASSERT_EQ(OvVFWInit(), OVVFW_OK);
        ASSERT_EQ(OvVFWSelectFramegrabber("Image folder camera"), OVVFW_OK);
    }
    void TearDown() override {
        OvVFWDone();
        EXPECT_FALSE(vfw::library().stream);
        unsetenv("OVVFW_VIRTUAL_DIR");
    }
    std::string frames() const { return dir_.file("frames"); }

    std::unique_ptr<QWidget> window(int w = 320, int h = 240) {
        auto win = std::make_unique<QWidget>();
        win->resize(w, h);
        win->show();
        return win;
    }
    static vfw::CaptureWindow* captureWindowOf(QWidget* w) {
        for (auto& e : vfw::library().previews) {
            if (e.handle == w) return e.captureWindow.data();
        }
        return nullptr;
    }
    static const vfw::PreviewEntry* entryOf(QWidget* w) {
        for (auto& e : vfw::library().previews) {
            if (e.handle == w) return &e;
        }
        return nullptr;
    }
    static bool showsFrames(QWidget* w) {
        auto* cw = captureWindowOf(w);
        return cw != nullptr && !cw->image().isNull();
    }
    static bool live(QWidget* w) {
        return vfw::library().stream && vfw::library().streamWindow == w;
    }

    TempDir dir_;
};

}  // namespace

TEST_F(VfwPreview, PreviewShowsMirroredFramesWithMarks) {
    auto w = window();
    ASSERT_EQ(OvVFWStartPreview(w.get(), 10 | OVVFW_RATE_CENTRE_MARK, 0, 1), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w.get()); }));
    auto* cw = captureWindowOf(w.get());
    EXPECT_TRUE(cw->isVisible());
    EXPECT_EQ(cw->geometry(), QRect(0, 0, 320, 240));  // same aspect as the frame
    // Wait for the ramp frame: mirrored, so the left end is the bright end.
    ASSERT_TRUE(pumpUntil([&] { return qGray(cw->image().pixel(100, 60)) != 200; }));
    const QImage img = cw->image();
    EXPECT_EQ(qGray(img.pixel(0, 60)), 64 + 319 / 2);
    EXPECT_EQ(qGray(img.pixel(300, 60)), 64 + 19 / 2);
    EXPECT_EQ(img.pixel(160, 110), 0xFFFFFFFFu);  // centre mark
    EXPECT_EQ(img.pixel(31, 5), 0xFF000000u);     // side mark, black inside
    EXPECT_EQ(img.pixel(30, 5), 0xFFFFFFFFu);     // white outside
}

TEST_F(VfwPreview, SecondPreviewFreezesTheFirstAndStopResumesIt) {
    auto w1 = window(), w2 = window();
    ASSERT_EQ(OvVFWStartPreview(w1.get(), 10, 0, 1), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w1.get()); }));
    ASSERT_EQ(OvVFWStartPreview(w2.get(), 10, 0, 1), OVVFW_OK);
    EXPECT_TRUE(live(w2.get()));
    ASSERT_NE(entryOf(w1.get()), nullptr);
    ASSERT_TRUE(entryOf(w1.get())->still);
    EXPECT_FALSE(captureWindowOf(w1.get())->isVisible());
    // The frozen window paints its still: width 320 (multiple of 4), 240 high, grey.
    const auto& still = entryOf(w1.get())->still->still();
    EXPECT_EQ(still.width, 320);
    EXPECT_EQ(still.height, 240);
    const QImage painted = w1->grab().toImage();
    const uint8_t g = still.rgb[(120 * 320 + 10) * 3];
    EXPECT_EQ(qGray(painted.pixel(10, 120)), g);

    ASSERT_EQ(OvVFWStopPreview(w2.get()), OVVFW_OK);
    EXPECT_EQ(entryOf(w2.get()), nullptr);
    EXPECT_TRUE(live(w1.get()));
    EXPECT_FALSE(entryOf(w1.get())->still);
    EXPECT_TRUE(captureWindowOf(w1.get())->isVisible());
    const uint64_t seen = vfw::library().frame->sequence();
    EXPECT_TRUE(pumpUntil([&] { return vfw::library().frame->sequence() > seen + 2; }));

    // Freezing twice is harmless; stop of an unknown window too.
    EXPECT_EQ(OvVFWFreezePreview(w1.get()), OVVFW_OK);
    EXPECT_FALSE(vfw::library().stream);
    EXPECT_EQ(OvVFWFreezePreview(w1.get()), OVVFW_OK);
    EXPECT_EQ(OvVFWStopPreview(w2.get()), OVVFW_OK);
}

TEST_F(VfwPreview, StillIsLetterboxedInAWideWindow) {
    auto w = window(400, 150);
    ASSERT_EQ(OvVFWStartPreview(w.get(), 10, 0, 1), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w.get()); }));
    auto* cw = captureWindowOf(w.get());
    EXPECT_EQ(cw->geometry(), QRect(100, 0, 200, 150));
    ASSERT_EQ(OvVFWFreezePreview(w.get()), OVVFW_OK);
    const auto& still = entryOf(w.get())->still->still();
    EXPECT_EQ(still.width, 200);
    EXPECT_EQ(still.height, 150);
    const QImage painted = w->grab().toImage();
    EXPECT_EQ(painted.pixel(50, 75), w->palette().window().color().rgb());
    EXPECT_EQ(qGray(painted.pixel(150, 75)), still.rgb[(75 * 200 + 50) * 3]);
}

TEST_F(VfwPreview, TwentyFirstWindowIsRefused) {
    std::vector<std::unique_ptr<QWidget>> windows;
    for (int i = 0; i < 21; ++i) windows.push_back(window(64, 48));
    for (int i = 0; i < 20; ++i) ASSERT_EQ(OvVFWStartPreview(windows[i].get(), 10, 0, 1), 0) << i;
    EXPECT_EQ(vfw::library().previews.size(), 20u);
    EXPECT_EQ(OvVFWStartPreview(windows[20].get(), 10, 0, 1), OVVFW_E_FAILED);
    EXPECT_EQ(captureWindowOf(windows[20].get()), nullptr);
    EXPECT_TRUE(windows[20]->findChildren<QWidget*>().isEmpty());
    // A window already in the table may start again.
    EXPECT_EQ(OvVFWStartPreview(windows[3].get(), 10, 0, 1), OVVFW_OK);
    EXPECT_TRUE(live(windows[3].get()));
}

TEST_F(VfwPreview, NotificationDrawsTheRectangle) {
    auto w = window();
    ASSERT_EQ(OvVFWStartPreviewEx(w.get(), 10, 0, 1, notifyRect, 4711), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w.get()) && g_notifications > 0; }));
    EXPECT_EQ(g_notifiedValue.load(), 4711);
    const QImage img = captureWindowOf(w.get())->image();
    // Region left 32, top (240 - 255) / 2 = -7; rectangle 140..179 x 98..127.
    EXPECT_EQ(img.pixel(140, 110), 0xFFFFFFFFu);
    EXPECT_EQ(img.pixel(139, 110), 0xFFFFFFFFu);
    EXPECT_EQ(img.pixel(141, 110), 0xFF000000u);
    EXPECT_EQ(img.pixel(142, 110), 0xFF000000u);
    EXPECT_NE(img.pixel(143, 110), 0xFF000000u);
    EXPECT_EQ(img.pixel(160, 98), 0xFFFFFFFFu);
}

TEST_F(VfwPreview, CaptureWhilePreviewingTakesTheNextFrame) {
    auto w = window();
    ASSERT_EQ(OvVFWStartPreview(w.get(), 10, 0, 1), OVVFW_OK);
    std::vector<uint8_t> out(256 * 255);
    ASSERT_EQ(OvVFWCaptureFrame(w.get(), out.data(), 0), OVVFW_OK);
    // From another thread as well, while this one keeps the event loop going.
    std::atomic<int> result{-1};
    std::thread worker([&] { result = OvVFWCaptureFrame(w.get(), out.data(), 0); });
    pumpUntil([&] { return result.load() != -1; });
    worker.join();
    EXPECT_EQ(result.load(), 0);
    OvVFWCaps caps{};
    ASSERT_TRUE(pumpUntil([&] { return vfw::library().frame->sequence() > 11; }));
    ASSERT_EQ(OvVFWGetFramegrabberCaps(&caps), OVVFW_OK);
    EXPECT_EQ(caps.width, 320);
    EXPECT_EQ(caps.height, 240);
    EXPECT_GT(caps.frameInterval, 0);
}

TEST_F(VfwPreview, DisappearingDeviceEndsThePreviewAndCaptureFails) {
    auto w = window();
    ASSERT_EQ(OvVFWStartPreview(w.get(), 5, 0, 1), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w.get()); }));
    std::filesystem::remove_all(frames());
    ASSERT_TRUE(pumpUntil([&] { return !vfw::library().stream; }));
    std::vector<uint8_t> out(256 * 255);
    EXPECT_EQ(OvVFWCaptureFrame(w.get(), out.data(), 0), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWStopPreview(w.get()), OVVFW_OK);
    EXPECT_TRUE(vfw::library().previews.empty());
}

TEST_F(VfwPreview, DoneStopsTheCaptureThreadAndFreesTheWindows) {
    auto w1 = window(), w2 = window();
    ASSERT_EQ(OvVFWStartPreview(w1.get(), 5, 0, 1), OVVFW_OK);
    ASSERT_EQ(OvVFWStartPreview(w2.get(), 5, 0, 1), OVVFW_OK);
    ASSERT_TRUE(pumpUntil([&] { return showsFrames(w2.get()); }));
    ASSERT_EQ(OvVFWDone(), OVVFW_OK);
    EXPECT_FALSE(vfw::library().stream);
    EXPECT_TRUE(vfw::library().previews.empty());
    EXPECT_TRUE(w1->findChildren<QWidget*>().isEmpty());
    EXPECT_TRUE(w2->findChildren<QWidget*>().isEmpty());
    // Frames still queued for the user-interface thread go nowhere.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    w1->grab();
}

TEST_F(VfwPreview, DestroyedWindowIsForgotten) {
    auto w1 = window(), w2 = window();
    ASSERT_EQ(OvVFWStartPreview(w1.get(), 5, 0, 1), OVVFW_OK);
    ASSERT_EQ(OvVFWStartPreview(w2.get(), 5, 0, 1), OVVFW_OK);
    w1.reset();  // frozen window goes
    EXPECT_EQ(vfw::library().previews.size(), 1u);
    w2.reset();  // live window goes
    EXPECT_TRUE(vfw::library().previews.empty());
    EXPECT_FALSE(vfw::library().stream);
}

TEST_F(VfwPreview, PreviewFailsWhenTheDeviceGivesNothing) {
    auto w = window();
    vfw::library().selected = -1;
    EXPECT_EQ(OvVFWStartPreview(w.get(), 10, 0, 1), OVVFW_E_FAILED);
    EXPECT_TRUE(w->findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(OvVFWStartPreview(nullptr, 10, 0, 1), OVVFW_E_FAILED);
}

namespace {

// Runs fn on the first modal dialog that appears.
void onModal(std::function<void(QDialog*)> fn) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(d);
        }
    });
    timer->start();
}

}  // namespace

TEST_F(VfwPreview, SelectDialogListsDevicesAndSelectsTheChosenOne) {
    vfw::library().selected = -1;
    QStringList items;
    onModal([&](QDialog* d) {
        auto* list = d->findChild<QComboBox*>("101");
        for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
        list->setCurrentIndex(list->count() - 1);
        d->accept();
    });
    EXPECT_EQ(OvVFWSelectFramegrabber(nullptr), OVVFW_OK);
    ASSERT_FALSE(items.isEmpty());
    const int index = vfw::enumerateDevices().back().index;
    EXPECT_EQ(items.back(), QString("%1. : Image folder camera (1.0)").arg(index + 1));
    EXPECT_EQ(vfw::library().selected, index);

    onModal([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Select Input Device");
        d->reject();
    });
    EXPECT_EQ(OvVFWSelectFramegrabber(nullptr), OVVFW_E_CANCELLED);
    EXPECT_EQ(vfw::library().selected, index);
}

TEST_F(VfwPreview, LiveDialogCaptureAndClose) {
    std::vector<uint8_t> buffer(256 * 255, 0);
    onModal([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Live Input");
        pumpUntil([] { return vfw::library().frame->sequence() > 0; });
        d->findChild<QPushButton*>("Capture")->click();
    });
    EXPECT_EQ(OvVFWLiveDialog(nullptr, buffer.data(), OVVFW_DLG_KEEP_OPEN, nullptr), OVVFW_OK);
    EXPECT_NE(buffer[128 * 256 + 128], 0);  // 200 or the ramp, never 0
    EXPECT_FALSE(vfw::library().stream);
    EXPECT_TRUE(vfw::library().previews.empty());

    onModal([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "My caption");
        d->findChild<QPushButton*>("Close")->click();
    });
    EXPECT_EQ(OvVFWLiveDialog(nullptr, buffer.data(), OVVFW_DLG_KEEP_OPEN, "My caption"),
              OVVFW_E_CANCELLED);
}

TEST_F(VfwPreview, LiveDialogWithoutKeepOpenClosesAfterStarting) {
    const uint64_t before = vfw::library().streamGeneration;
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, 0, nullptr), OVVFW_OK);
    EXPECT_GT(vfw::library().streamGeneration, before);  // the preview did start
    EXPECT_FALSE(vfw::library().stream);
    EXPECT_TRUE(vfw::library().previews.empty());
    EXPECT_EQ(OvVFWTune(), OVVFW_OK);
    // The source and format dialogs come up when flagged.
    QStringList titles;
    auto closeNext = [&](QDialog* d) {
        titles << d->windowTitle();
        d->accept();
    };
    onModal([&](QDialog* d) {
        closeNext(d);
        onModal(closeNext);
    });
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, OVVFW_DLG_SOURCE | OVVFW_DLG_FORMAT, nullptr),
              OVVFW_OK);
    EXPECT_EQ(titles, (QStringList{"Video Source", "Video Format"}));
}

TEST_F(VfwPreview, LiveDialogFreezesAndRecordsOtherPreviews) {
    auto w1 = window(), w2 = window();
    ASSERT_EQ(OvVFWStartPreview(w1.get(), 10, 0, 1), OVVFW_OK);
    bool w2Recorded = false, w2Hidden = false;
    onModal([&](QDialog* d) {
        pumpUntil([] { return vfw::library().dialog.previewing; });
        EXPECT_FALSE(live(w1.get()));
        EXPECT_EQ(OvVFWStartPreview(w2.get(), 10, 0, 1), OVVFW_OK);
        w2Recorded = entryOf(w2.get()) != nullptr;
        w2Hidden = !captureWindowOf(w2.get())->isVisible();
        EXPECT_EQ(vfw::library().streamWindow, vfw::library().dialog.videoArea);
        d->findChild<QPushButton*>("Close")->click();
    });
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, OVVFW_DLG_KEEP_OPEN, nullptr), OVVFW_E_CANCELLED);
    EXPECT_TRUE(w2Recorded);
    EXPECT_TRUE(w2Hidden);
    // The most recent window previews again once the dialog is gone.
    EXPECT_TRUE(live(w2.get()));
}

TEST_F(VfwPreview, LiveDialogReportsAFailedPreview) {
    vfw::library().selected = -1;
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, OVVFW_DLG_KEEP_OPEN, nullptr), OVVFW_E_FAILED);
}
