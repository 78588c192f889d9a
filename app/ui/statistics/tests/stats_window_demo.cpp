// Test program: the statistics window over a folder of generated faces in a real window
// system. It presses Start, waits for the end of the run, opens the log view, saves a
// screenshot of the window and prints one JSON line of what it saw.
//
// usage: stats_window_demo --screenshot FILE [--work DIR] [--config FILE]
// Exit status 0 when the run completed and its log was shown, 1 otherwise, 2 on bad usage.

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "capture/capture_device.h"
#include "facegen.h"
#include "facelib/face_library.h"
#include "frame_bridge.h"
#include "panels/panel_clipboard.h"
#include "persons/person_base.h"
#include "platform/registry.h"
#include "stat_log_view.h"
#include "statistics_window.h"

namespace {

constexpr int kPersons = 4, kImages = 3;
constexpr int kPollMs = 50;
constexpr int kPaintMs = 300;

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"screenshot", "PNG file of the window showing its log.", "file"});
    parser.addOption({"work", "Folder for the faces, the base and the log.", "dir"});
    parser.addOption({"config", "Face library configuration.", "file", OVFC_SYNTHETIC_CONFIG});
    parser.process(app);
    if (!parser.isSet("screenshot")) {
        std::fprintf(stderr, "stats_window_demo: --screenshot FILE is required\n");
        return 2;
    }
    QTemporaryDir temporary;
    const QString work = parser.isSet("work") ? parser.value("work") : temporary.path();
    if (!QDir().mkpath(work)) return 1;

    if (facelib::loadConfig(parser.value("config").toStdString()) != 0) {
        std::fprintf(stderr, "stats_window_demo: cannot load %s\n",
                     qPrintable(parser.value("config")));
        return 1;
    }
    std::string error;
    if (!facegen::writeFaceSet((work + "/faces").toStdString(), kPersons, kImages, 3, error)) {
        std::fprintf(stderr, "stats_window_demo: %s\n", error.c_str());
        return 1;
    }
    persons::PersonBase base;
    if (!QDir().mkpath(work + "/Base") || base.open((work + "/Base/").toStdString()) != 0) return 1;
    platform::RegistryFile registry((work + "/registry.reg").toStdString());
    ui::FrameBridge frames;
    const auto libraries = capture::libraryCalls();
    capture::CaptureDevice device(*libraries, frames.sink());
    panels::PanelClipboard clipboard;
    int status = 1;
    {
        ui::PanelEnvironment env{device, clipboard, frames, registry, [] { return 2; }};
        ui::StatisticsWindow window(env, base, nullptr);
        window.resize(1000, 720);
        window.show();
        window.sourcePath()->setText(work + "/faces/*.TIF");
        window.logFile()->setText(work + "/OVFC.LOG");
        window.overwriteLog()->setChecked(true);

        QTimer poll;
        poll.setInterval(kPollMs);
        QJsonObject seen;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (window.runState() != ui::StatisticsWindow::RunState::Idle) return;
            poll.stop();
            seen["status"] = window.statusText()->text();
            seen["matched"] = window.matched()->text();
            seen["total"] = window.totalImages()->text();
            seen["view_log"] = window.viewLog();
            QListWidget* lines = window.logView()->lines();
            seen["log_lines"] = lines->count();
            seen["first_line"] = lines->count() > 0 ? lines->item(0)->text() : QString();
            bool marker = false;
            for (int k = 0; k < lines->count(); ++k)
                marker = marker || lines->item(k)->text().contains(QChar(0x25BA));
            seen["marker"] = marker;
            seen["title"] = window.windowTitle();
            QTimer::singleShot(kPaintMs, [&] {
                const QString file = parser.value("screenshot");
                seen["screenshot"] = window.grab().save(file, "PNG") ? file : QString();
                const bool ok = seen["view_log"].toBool() &&
                                seen["status"].toString() == "Statistic batch complete." &&
                                !seen["screenshot"].toString().isEmpty();
                status = ok ? 0 : 1;
                std::printf("%s\n", QJsonDocument(seen).toJson(QJsonDocument::Compact).constData());
                std::fflush(stdout);
                QApplication::exit(0);
            });
        });
        QTimer::singleShot(0, [&] {
            window.startOrToggle();
            poll.start();
        });
        app.exec();
    }
    device.shutdown();
    facelib::done();
    return status;
}
