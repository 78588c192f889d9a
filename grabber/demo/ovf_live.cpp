// ovf-live: opens the frame-grabber "Live Input" dialog on a board.
//   ovf-live [--board N] [--config FILE] [--capture] [--brightness V] [--out FILE]
// Opens the setup dialog (brightness set to V once it is up); with --capture the capture
// dialog follows, and its frame is written to --out (any format of the image file library,
// chosen by the extension). Commands on standard input drive the open dialog: "accept"
// presses its accept button ("OK" or "Capture"), "close" its close button. Each time a
// dialog is up it prints "ready".

#include <unistd.h>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ovf32.h"
#include "ovio32.h"

namespace {

QDialog* openDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "TfLiveGrab" && w->isVisible()) return qobject_cast<QDialog*>(w);
    return nullptr;
}

void press(const char* button) {
    if (QDialog* d = openDialog())
        if (auto* b = d->findChild<QPushButton*>(button)) b->click();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int board = 4, brightness = -1;
    bool capture = false;
    std::string config, out;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--board" && i + 1 < argc) {
            board = std::atoi(argv[++i]);
        } else if (a == "--config" && i + 1 < argc) {
            config = argv[++i];
        } else if (a == "--capture") {
            capture = true;
        } else if (a == "--brightness" && i + 1 < argc) {
            brightness = std::atoi(argv[++i]);
        } else if (a == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: ovf-live [--board N] [--config FILE] [--capture] "
                         "[--brightness V] [--out FILE]\n");
            return 2;
        }
    }
    if (!config.empty() && OvfSetInternalConfigFile(config.c_str(), 0) != 0) return 2;
    OvfInit();
    if (OvfSetFramegrabber(int16_t(board)) != 0) {
        std::fprintf(stderr, "ovf-live: no board %d\n", board);
        return 1;
    }
    auto whenUp = [](int brightness) {
        QTimer::singleShot(1000, [brightness] {
            QDialog* d = openDialog();
            if (d == nullptr) return;
            if (auto* bar = d->findChild<QScrollBar*>("sbBri"); bar && brightness >= 0) {
                bar->setValue(brightness);
                std::printf("brightness %d\n", bar->value());
            }
            std::printf("ready\n");
            std::fflush(stdout);
        });
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char line[64];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        line[n] = 0;
        const std::string command(line);
        if (command.rfind("accept", 0) == 0) press("btOk");
        if (command.rfind("close", 0) == 0) press("btCancel");
    });

    whenUp(brightness);
    int16_t result = OvfLiveDialog(nullptr, 0, 0, 0, nullptr, 1, nullptr);
    std::printf("Live Input: %d\n", result);
    std::fflush(stdout);
    std::vector<uint8_t> frame(256 * 255);
    if (result == 0 && capture) {
        whenUp(-1);
        result = OvfLiveDialog(nullptr, 0, 0, 256, frame.data(), 4, nullptr);
        std::printf("Capture: %d\n", result);
    }
    int status = result == 0 ? 0 : 1;
    if (result == 0 && capture && !out.empty()) {
        const uint32_t size = 256 | (255u << 16);
        if (OvWriteClip(out.c_str(), frame.data(), OVIO_FORMAT_BY_NAME, &size) != 0) {
            std::fprintf(stderr, "ovf-live: cannot write %s\n", out.c_str());
            status = 1;
        }
    }
    OvfSaveConfig("");
    OvfDone();
    return status;
}
