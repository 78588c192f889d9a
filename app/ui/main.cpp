// ovfctest: enrols persons, identifies or verifies them from a camera or image files, and
// measures the face library in batch.

#include <QApplication>
#include <cstdio>

#include "app_shell.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString error;
    const auto options = ui::parseCommandLine(app.arguments(), error);
    if (!options) {
        std::fprintf(stderr, "ovfctest: %s\nusage: ovfctest [--base DIR]\n", qPrintable(error));
        return 2;
    }
    ui::AppShell shell(*options);
    const int started = shell.start();
    if (started != ui::kStarted) return started;
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    const int rc = app.exec();
    shell.shutdown();
    return rc;
}
