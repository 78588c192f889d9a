#pragma once
// The "User list" window. Its first page browses and edits the registered persons (see
// registration/browse_page.h). Its "Search a person" page takes a probe from live video or an
// image file and searches the person base for it on a worker: the candidates in a tree
// (Rank, User ID, Score, each person with the faces that matched), the best stranger, the
// counter, the progress in faces. Modeless; UI thread only; the search's reports come back
// through queued calls.

#include <QDialog>
#include <functional>
#include <memory>

#include "identify/library_seams.h"
#include "identify/search_run.h"
#include "panel_view.h"
#include "persons/person_base.h"
#include "settings/app_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace ui {

class BrowsePage;

class UserListWindow final : public QDialog {
  public:
    UserListWindow(const PanelEnvironment& environment, persons::PersonBase& base,
                   const settings::AppSettings& settings, QWidget* parent);
    ~UserListWindow() override;  // stops a running search first

    // Shows the window on its browse page.
    void showBrowse();
    // Called after the browse page changed the base; also refreshes the search page.
    void setPersonsChanged(std::function<void()> changed) { changed_ = std::move(changed); }
    BrowsePage* browsePage() const { return browse_; }

    // Shows the window on its search page, live video in the probe panel when a device is
    // selected.
    void showSearch();
    // "&Live" / "&Capture": freezes the current processed frame as the probe, or goes live.
    void toggleLive();
    // "Load": an image file as the probe; 0 or the failing library's code.
    int loadProbe(const QString& path);
    // "&Search" / "&Stop".
    void toggleSearch();
    // The user ID box lists "(All)" and the stored users.
    void refreshUsers();
    void deviceChanged();

    PanelView* probePanel() const { return probe_; }
    PanelView* facePanel() const { return face_; }
    QTreeWidget* results() const { return results_; }
    QLabel* counter() const { return counter_; }
    QPushButton* searchButton() const { return search_; }
    QComboBox* userIds() const { return userIds_; }
    QCheckBox* stopAfterFirst() const { return stopAfterFirst_; }
    // True from a started search until its result is shown on this thread.
    bool searching() const { return searching_; }

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    class View;
    QWidget* buildSearchPage();
    void finished(const identify::SearchResult& result);
    void showFace(std::uint32_t personId, int slot);
    void updateButtons();

    PanelEnvironment env_;
    persons::PersonBase& base_;
    const settings::AppSettings& settings_;
    QTabWidget* pages_ = nullptr;
    BrowsePage* browse_ = nullptr;
    std::function<void()> changed_;
    PanelView* probe_ = nullptr;
    PanelView* face_ = nullptr;
    QPushButton* live_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* search_ = nullptr;
    QComboBox* userIds_ = nullptr;
    QCheckBox* stopAfterFirst_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* counter_ = nullptr;
    bool frozen_ = false;     // a probe is held
    bool searching_ = false;  // the worker's result is not shown yet
    identify::Probe probeFrame_;
    identify::LibraryFaceMatcher matcher_;
    std::unique_ptr<View> view_;
    std::unique_ptr<identify::SearchRun> run_;
};

}  // namespace ui
