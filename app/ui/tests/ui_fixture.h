#pragma once
// Shared pieces of the window tests: one QApplication for the test program, and a main
// window over a temporary registry file and person base with a fake capture library.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "capture/tests/fake_capture.h"
#include "frame_bridge.h"
#include "main_window.h"

namespace ui_test {

namespace fs = std::filesystem;

// Made once before the first test, on the main thread.
class QtEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        // Window tests need no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<QApplication> app_;
};

inline const ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// A folder of its own for each test, removed after it.
class TempDir {
  public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() / ("ovfc-ui-" + std::string(info->test_suite_name()) +
                                             "-" + info->name() + "-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// While it lives, closes every modal dialog or message box that opens and keeps the texts
// of the message boxes, so that a dialog a test does not expect cannot hang it. A message
// box is answered with the given standard button when it has one.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(int button = 0) : button_(button) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts_.push_back(box->text());
                // A message box answers with the button that was clicked.
                if (QAbstractButton* b = box->button(QMessageBox::StandardButton(button_))) {
                    b->click();
                    return;
                }
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(button_);
        });
        timer_.start();
    }
    const QStringList& texts() const { return texts_; }

  private:
    int button_;
    QTimer timer_;
    QStringList texts_;
};

class MainWindowTest : public ::testing::Test {
  protected:
    TempDir dir;
    platform::RegistryFile registry{(dir.path() / "registry.reg").string()};
    settings::AppSettings settings;
    persons::PersonBase base;
    capture_test::FakeCaptureLibraries libraries;
    ui::FrameBridge frames;
    std::unique_ptr<capture::CaptureDevice> device;
    panels::PanelClipboard clipboard;
    std::unique_ptr<ui::MainWindow> window;

    void SetUp() override { ASSERT_EQ(base.open((dir.path() / "Base").string()), 0); }
    void TearDown() override {
        window.reset();
        if (device) device->shutdown();
    }

    // The window as the program makes it at start-up, over the given video devices.
    void makeWindow(std::vector<std::string> vfwDevices = {}) {
        libraries.vfwNames = std::move(vfwDevices);
        device = std::make_unique<capture::CaptureDevice>(libraries, frames.sink());
        device->initialise();
        window = std::make_unique<ui::MainWindow>(
            ui::AppContext{settings, registry, base, *device, clipboard, frames, {}});
        window->refreshUsers();
        window->fillDeviceMenus();
    }
};

}  // namespace ui_test
