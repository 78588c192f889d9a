#pragma once
// The program from start to end: single instance, face library and its configuration
// version, settings, main window, person base, capture device, the stored device and the
// clock; then the orderly shutdown. A fatal start-up failure shows its message and leaves
// no library or base open. UI thread only.

#include <QString>
#include <memory>
#include <optional>

#include "capture/capture_device.h"
#include "frame_bridge.h"
#include "main_window.h"
#include "panels/panel_clipboard.h"
#include "persons/person_base.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "settings/app_settings.h"
#include "single_instance.h"

namespace ui {

struct StartOptions {
    QString baseFolder;      // empty: $OVFC_BASE, else "Base" beside the program
    QString instanceSocket;  // empty: instanceSocketPath()
    QString registryFile;    // empty: platform::userRegistryPath()
};

// The options of the command line: --base DIR (or --base=DIR). Unknown arguments are left
// to Qt. nullopt on a malformed line, with the reason in error.
std::optional<StartOptions> parseCommandLine(const QStringList& arguments, QString& error);

// Exit statuses of start().
enum StartResult : int {
    kStarted = -1,        // running: enter the event loop
    kOtherInstance = 0,   // handed over to the running instance
    kLibraryFailed = 1,   // "Can not initialize OvFC32.DLL!"
    kVersionRefused = 2,  // "Invalid OVFC.INI file version! Continue?" answered Cancel
    kWindowFailed = 3,    // "Cann't create main window!"
    kBaseFailed = 4,      // "Error opening/creating database"
};

class AppShell {
  public:
    explicit AppShell(StartOptions options);
    ~AppShell();  // shuts down when still running
    AppShell(const AppShell&) = delete;
    AppShell& operator=(const AppShell&) = delete;

    int start();
    // Saves the placement, stops the clock, destroys the windows, closes the base, writes
    // the settings and releases the capture device and the face library.
    void shutdown();

    MainWindow* window() const { return window_.get(); }
    const settings::AppSettings& settings() const { return settings_; }
    const QString& baseFolder() const { return baseFolder_; }

    // The answer to a request of a later start.
    QByteArray answer(const QByteArray& request);

  private:
    void fatal(const QString& text, const QString& caption);

    StartOptions options_;
    QString baseFolder_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<platform::RegistryFile> registry_;
    settings::AppSettings settings_;
    persons::PersonBase base_;
    std::unique_ptr<capture::CaptureLibraries> libraries_;
    FrameBridge frames_;
    std::unique_ptr<capture::CaptureDevice> device_;
    panels::PanelClipboard clipboard_;
    std::unique_ptr<platform::SoundPlayer> sounds_;
    std::unique_ptr<MainWindow> window_;
    bool libraryOpen_ = false;
    bool running_ = false;
};

}  // namespace ui
