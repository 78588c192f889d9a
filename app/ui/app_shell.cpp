#include "app_shell.h"

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTimer>

#include "facelib/face_library.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "texts.h"
#include "ui_automation.h"

namespace ui {

namespace {

QString defaultBaseFolder() {
    const QByteArray env = qgetenv("OVFC_BASE");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QString::fromStdString(
               platform::moduleDirectory(reinterpret_cast<const void*>(&defaultBaseFolder))) +
           QStringLiteral("Base");
}

// The library looks for "ovfc.ini" in the current folder and along PATH; a program started
// from elsewhere finds it beside itself, where the build and an installation keep it.
int initFaceLibrary() {
    const int rc = facelib::init();
    if (rc == 0) return rc;
    const std::string beside =
        platform::moduleDirectory(reinterpret_cast<const void*>(&initFaceLibrary)) + "ovfc.ini";
    return platform::isReadableFile(beside) ? facelib::loadConfig(beside) : rc;
}

}  // namespace

std::optional<StartOptions> parseCommandLine(const QStringList& arguments, QString& error) {
    StartOptions options;
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString& a = arguments[k];
        if (a == QLatin1String("--base")) {
            if (k + 1 >= arguments.size() || arguments[k + 1].isEmpty()) {
                error = QStringLiteral("--base needs a folder");
                return std::nullopt;
            }
            options.baseFolder = arguments[++k];
        } else if (a.startsWith(QLatin1String("--base="))) {
            options.baseFolder = a.mid(7);
            if (options.baseFolder.isEmpty()) {
                error = QStringLiteral("--base needs a folder");
                return std::nullopt;
            }
        }
    }
    return options;
}

AppShell::AppShell(StartOptions options) : options_(std::move(options)) {}

AppShell::~AppShell() {
    shutdown();
}

void AppShell::fatal(const QString& text, const QString& caption) {
    QMessageBox::critical(nullptr, caption, text);
}

int AppShell::start() {
    const QString title = appText(appstrings::kAppTitle);
    // 1. One instance per user: a later start hands over to the first.
    const QString socket =
        options_.instanceSocket.isEmpty() ? instanceSocketPath() : options_.instanceSocket;
    if (askRunningInstance(socket, "activate", 2000)) return kOtherInstance;
    instance_ = std::make_unique<SingleInstance>(socket);
    if (!instance_->listen([this](const QByteArray& r) { return answer(r); })) {
        if (askRunningInstance(socket, "activate", 2000)) return kOtherInstance;
        instance_.reset();  // the program still runs, without the hand-over
    }

    // 2, 3. The face library and its configuration's version.
    if (initFaceLibrary() != 0) {
        fatal(QStringLiteral("Can not initialize OvFC32.DLL!"), title);
        return kLibraryFailed;
    }
    libraryOpen_ = true;
    if (facelib::service(2, nullptr) != 0) {
        const auto choice = QMessageBox::question(
            nullptr, title, QStringLiteral("Invalid OVFC.INI file version! Continue?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (choice != QMessageBox::Ok) {
            facelib::done();
            libraryOpen_ = false;
            return kVersionRefused;
        }
    }

    // 4. Settings: the thresholds from the library, the rest from the registry file.
    registry_ = std::make_unique<platform::RegistryFile>(options_.registryFile.isEmpty()
                                                             ? platform::userRegistryPath()
                                                             : options_.registryFile.toStdString());
    settings::loadThresholds(settings_, facelib::getParam);
    settings::loadRegistry(settings_, *registry_);

    // The capture object exists before any panel starts live video.
    libraries_ = capture::libraryCalls();
    device_ = std::make_unique<capture::CaptureDevice>(*libraries_, frames_.sink());

    // 5, 6. The main window with its client area, tool bar and status bar.
    sounds_ = std::make_unique<platform::SoundPlayer>();
    window_ = std::make_unique<MainWindow>(
        AppContext{settings_, *registry_, base_, *device_, clipboard_, frames_,
                   [this](const char* name) { sounds_->playNamed(name); }});
    if (!window_) {
        fatal(appText(902), QStringLiteral("Error"));
        facelib::done();
        libraryOpen_ = false;
        return kWindowFailed;
    }

    // 7. The person base.
    baseFolder_ = options_.baseFolder.isEmpty() ? defaultBaseFolder() : options_.baseFolder;
    if (!baseFolder_.endsWith('/')) baseFolder_ += '/';
    if (!QDir().mkpath(baseFolder_) || base_.open(baseFolder_.toStdString()) != 0) {
        window_.reset();
        device_.reset();
        base_.close();
        fatal(QStringLiteral("Error opening/creating database"), QStringLiteral("Error"));
        facelib::done();
        libraryOpen_ = false;
        return kBaseFailed;
    }
    window_->refreshUsers();

    // 8 - 11. The panels, placement, the device menus and the stored device.
    window_->attachPanels();
    device_->initialise();
    window_->restorePlacement();
    window_->fillDeviceMenus();
    window_->show();
    window_->selectStoredDevice();

    // 12. The clock.
    window_->startClock();
    running_ = true;
    return kStarted;
}

void AppShell::shutdown() {
    const bool started = running_;
    if (running_) {
        running_ = false;
        window_->storePlacement();
        window_->stopClock();
    }
    window_.reset();  // the panels stop their live video and store their options
    sounds_.reset();
    base_.close();
    // A start that failed leaves the settings as they were.
    if (started && !settings::saveRegistry(settings_, *registry_))
        qWarning("ovfctest: cannot write the settings to %s", registry_->path().c_str());
    if (device_) {
        device_->shutdown();
        device_.reset();
    }
    instance_.reset();
    if (libraryOpen_) {
        facelib::done();
        libraryOpen_ = false;
    }
}

QByteArray AppShell::answer(const QByteArray& request) {
    if (request == "activate") {
        if (window_) window_->activate();
        return "ok";
    }
    if (request == "quit") {
        if (window_) QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
        return "ok";
    }
    if (request == "go") {
        if (window_)
            QTimer::singleShot(0, window_.get(), [this] {
                if (window_->client()->actionButton()->isEnabled())
                    window_->client()->actionButton()->click();
            });
        return "ok";
    }
    if (request.startsWith("user ")) {
        if (window_) window_->userBox()->setCurrentText(QString::fromLocal8Bit(request.mid(5)));
        return "ok";
    }
    if (request.startsWith("ui ") && automationEnabled()) return automationAnswer(request.mid(3));
    if (request == "status") {
        QJsonObject o;
        o[QStringLiteral("running")] = running_;
        if (window_) {
            const panels::ImagePanel::Snapshot live = window_->client()->live()->panel().snapshot();
            o[QStringLiteral("visible")] = window_->isVisible();
            o[QStringLiteral("active")] = window_->isActiveWindow();
            o[QStringLiteral("activations")] = window_->activations();
            o[QStringLiteral("window")] = QString::number(window_->winId());
            o[QStringLiteral("live")] = live.live;
            o[QStringLiteral("frames")] = static_cast<qint64>(live.processedFrames);
            o[QStringLiteral("faces")] = static_cast<qint64>(live.facesFound);
            o[QStringLiteral("faceProcessed")] = live.faceProcessed;
            o[QStringLiteral("device")] = QString::fromLocal8Bit(device_->deviceName().c_str());
            o[QStringLiteral("kind")] = static_cast<int>(device_->kind());
            o[QStringLiteral("users")] = window_->userBox()->count() - 1;
            o[QStringLiteral("user")] = window_->userBox()->currentText();
            o[QStringLiteral("running")] = window_->identification().running();
            o[QStringLiteral("banner")] = window_->client()->banner()->text();
            o[QStringLiteral("name")] = window_->client()->nameLine()->text();
            o[QStringLiteral("status")] = window_->statusText()->text();
            o[QStringLiteral("action")] = window_->client()->actionButton()->text();
        }
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    return "unknown request";
}

}  // namespace ui
