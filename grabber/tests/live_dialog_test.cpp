// OvfLiveDialog on an offscreen display: results, the final capture and the controls.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "test_support.h"

using namespace ovftest;

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "ovf32_tests";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> made = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *made;
}

// Runs step on the dialog once it is up.
void whenOpen(std::function<void(QDialog&)> step) {
    QTimer::singleShot(0, &app(), [step] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (d == nullptr) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "TfLiveGrab") d = qobject_cast<QDialog*>(w);
        }
        ASSERT_NE(d, nullptr);
        step(*d);
    });
}

void click(QDialog& d, const char* name) {
    auto* b = d.findChild<QPushButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

}  // namespace

class LiveDialog : public GrabberTest {
  protected:
    void SetUp() override {
        app();
        ASSERT_EQ(selectBoard(4, "ce"), OVF_OK);
    }
};

TEST_F(LiveDialog, CaptureGivesTheFrameOfTheFlags) {
    struct Case {
        int16_t flags;
        size_t bytes;
    } cases[] = {{4, 256 * 255},
                 {4 | 0x40, 512 * 512},
                 {4 | 0x20, 256 * 255 * 3},
                 {4 | 0x60, 512 * 512 * 3}};
    for (const Case& c : cases) {
        std::vector<uint8_t> frame(c.bytes + 16, 0x5A);
        whenOpen([](QDialog& d) { click(d, "btOk"); });
        EXPECT_EQ(OvfLiveDialog(nullptr, 0, 0, 256, frame.data(), c.flags, nullptr), OVF_OK);
        EXPECT_EQ(std::count(frame.begin() + long(c.bytes), frame.end(), 0x5A), 16) << c.flags;
        EXPECT_LT(std::count(frame.begin(), frame.begin() + long(c.bytes), 0x5A),
                  long(c.bytes / 50))
            << c.flags;
        EXPECT_FALSE(ovf::lib().dialogOpen);
    }
}

TEST_F(LiveDialog, CloseCapturesNothing) {
    std::vector<uint8_t> frame(ovf::kFrameBytes, 0x5A);
    whenOpen([](QDialog& d) { click(d, "btCancel"); });
    EXPECT_EQ(OvfLiveDialog(nullptr, -1, -1, 256, frame.data(), 4, "Caption"), OVF_E_CLOSED);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0x5A), long(frame.size()));
}

TEST_F(LiveDialog, SecondDialogIsRefused) {
    int16_t inner = -1;
    whenOpen([&](QDialog& d) {
        inner = OvfLiveDialog(nullptr, 0, 0, 0, nullptr, 1, nullptr);
        click(d, "btOk");
    });
    EXPECT_EQ(OvfLiveDialog(nullptr, 0, 0, 0, nullptr, 1, nullptr), OVF_OK);
    EXPECT_EQ(inner, 12);
    EXPECT_EQ(channel()[ovf::kDialogFlags], 1);  // dialog flag 0x01 is kept
}

TEST_F(LiveDialog, SetupShowsTheBoardsControlsAndChangesReachIt) {
    bool checked = false;
    whenOpen([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Live Input");
        EXPECT_EQ(d.findChild<QPushButton*>("btOk")->text(), "OK");
        EXPECT_TRUE(d.findChild<QWidget*>("sbSaturation")->isHidden());
        EXPECT_FALSE(d.findChild<QWidget*>("cbInterlaceFlag")->isHidden());
        EXPECT_TRUE(d.findChild<QWidget*>("rbCh3")->isHidden());
        auto* bri = d.findChild<QScrollBar*>("sbBri");
        bri->setValue(77);
        EXPECT_EQ(channel()[ovf::kBrightness], 77);
        EXPECT_EQ(driver().Query(ovf::kindBrightnessContrast) & 0xFFFF, 77);
        // "(None)": everything adjustable disappears.
        d.findChild<QComboBox*>("cbCurFG")->setCurrentIndex(0);
        EXPECT_EQ(ovf::lib().board, 0);
        EXPECT_TRUE(d.findChild<QWidget*>("sbBri")->isHidden());
        EXPECT_TRUE(d.findChild<QWidget*>("btInit")->isHidden());
        checked = true;
        click(d, "btCancel");
    });
    EXPECT_EQ(OvfLiveDialog(nullptr, 0, 0, 0, nullptr, 1, nullptr), OVF_E_CLOSED);
    EXPECT_TRUE(checked);
}

TEST_F(LiveDialog, SynchronizeGoesToTheOpenDialog) {
    int16_t r = -1;
    whenOpen([&](QDialog& d) {
        const int16_t board = ovf::lib().board;
        r = OvfSynchronizeFramegrabber();
        EXPECT_EQ(ovf::lib().board, board);
        EXPECT_TRUE(driver().IsLive());  // the activation ran again: no re-initialisation
        click(d, "btOk");
    });
    EXPECT_EQ(OvfLiveDialog(nullptr, 0, 0, 0, nullptr, 1, nullptr), OVF_OK);
    EXPECT_EQ(r, OVF_OK);
}
