#pragma once
// The main window: menus with their command identifiers, accelerators and status help, the
// tool bar with the user box, the client area, and the status bar with the clock. It owns
// the device selection of the menus and the live video of the main panel.
// UI thread only.

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <map>

#include "client_area.h"
#include "frame_bridge.h"
#include "identification.h"
#include "one_to_one_dialog.h"
#include "panels/panel_clipboard.h"
#include "persons/person_base.h"
#include "settings/app_settings.h"
#include "statistics/statistics_window.h"
#include "user_list_window.h"

namespace ui {

struct AppContext {
    settings::AppSettings& settings;
    platform::RegistryFile& registry;
    persons::PersonBase& base;
    capture::CaptureDevice& device;
    panels::PanelClipboard& clipboard;
    FrameBridge& frames;
    // Plays one of the program's sounds asynchronously ("click.wav", ...); may be empty.
    std::function<void(const char* name)> playSound;
};

class MainWindow final : public QMainWindow {
  public:
    explicit MainWindow(AppContext context);
    ~MainWindow() override;

    // The menu item or tool bar action of a command identifier; null when there is none.
    QAction* command(int id) const;
    ClientArea* client() const { return client_; }
    OneToOneDialog* oneToOne() const { return oneToOne_; }
    UserListWindow* userList() const { return userList_; }
    StatisticsWindow* statistics() const { return statistics_; }
    Identification& identification() { return *identification_; }
    QComboBox* userBox() const { return userBox_; }
    QLabel* statusText() const { return status_; }
    QLabel* clock() const { return clock_; }

    // Attaches the image panels of the window and its dialogs to their stored options.
    void attachPanels();
    // Lists "(All)" and the stored user IDs; the box shows the last stored person's ID.
    void refreshUsers();
    // The Framegrabber and Video for Windows submenus from the capture object.
    void fillDeviceMenus();
    // Selects a device as the menus do; a failed choice from a menu keeps the previous
    // device, a failed choice at start-up falls back to none. true when selected.
    bool selectDevice(capture::Kind kind, const QString& name, bool fromMenu);
    // The device stored in the settings.
    void selectStoredDevice();
    void setPaused(bool paused);
    // Placement from / into the registry.
    void restorePlacement();
    void storePlacement();
    void startClock();
    void stopClock();
    // Brings the window to the front (restores it when minimised).
    void activate();
    int activations() const { return activations_; }

    void showOptions();
    void showVersions();
    // The "Add record" wizard; the user boxes and the browse list are refreshed after a store.
    void newUser();

  private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* addCommand(QMenu* menu, const QString& text, int id);
    void onCommand(int id);
    void updateStates();
    // The radio mark on the selected device's item.
    void markDevice();
    void restartLive();
    void showWindow(QWidget* window);
    void tick();

    AppContext ctx_;
    ClientArea* client_ = nullptr;
    OneToOneDialog* oneToOne_ = nullptr;              // child, owned by Qt
    UserListWindow* userList_ = nullptr;              // child, owned by Qt
    StatisticsWindow* statistics_ = nullptr;          // child, owned by Qt
    std::unique_ptr<Identification> identification_;  // ends before the panels
    QComboBox* userBox_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* clock_ = nullptr;
    QMenu* grabberMenu_ = nullptr;
    QMenu* vfwMenu_ = nullptr;
    QActionGroup* devices_ = nullptr;
    std::map<int, QAction*> commands_;
    QTimer clockTimer_;
    int activations_ = 0;
};

}  // namespace ui
