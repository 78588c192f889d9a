#pragma once
// The "Modify user" sheet: the user information, the faces page (add, refresh, delete a
// face, keep or delete its picture) and the face profiler (a probe matched with every face
// on a worker, the scores as bars, the three sorts). OK checks and stores the person; Cancel
// asks before changes are dropped. Modal; UI thread only.

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "identify/library_seams.h"
#include "panel_view.h"
#include "persons/person_base.h"
#include "registration/sheet.h"

class QCheckBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace ui {

class ProfileBars;
class UserInfoFields;

class ModifySheet final : public QDialog {
  public:
    enum Page { kInfoPage = 0, kFacesPage = 1, kProfilerPage = 2 };

    // person: the stored person with its faces and pictures loaded. stored() is called after
    // the person was stored.
    ModifySheet(const PanelEnvironment& environment, persons::PersonBase& base,
                persons::PersonRecord person, Page first, std::function<void()> stored,
                QWidget* parent);
    ~ModifySheet() override;  // stops the profiler first

    registration::RegistrationSheet& sheet() { return sheet_; }
    UserInfoFields* userInfo() const { return info_; }
    QTabWidget* pages() const { return pages_; }
    QTreeWidget* faces() const { return faces_; }
    QCheckBox* storeImage() const { return storeImage_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* delImageButton() const { return delImage_; }
    QPushButton* profileButton() const { return profile_; }
    ProfileBars* bars() const { return bars_; }
    PanelView* probePanel() const { return probe_; }
    // The result of the last store (0 when stored); -1 before OK.
    int storeResult() const { return storeResult_; }
    bool profiling() const { return profiling_; }

    // The faces page's commands on the selected face; each asks its question first.
    void addFace();
    void refreshFace(int slot);
    void deleteFace(int slot);
    void deleteImage(int slot);
    // A face made from an image file (the file dialog's part of Add/Refresh done).
    int addFaceFromFile(const QString& path);
    // Profiler: "Load" with a chosen file, "&Capture", "&Profile".
    bool loadProbe(const QString& path);
    void captureProbe();
    void profile();
    void sortBy(registration::SortKey key);
    void resetStats();
    // The menu of a right click on the bar of a slot: "Face %d" with Refresh, Delete, Add.
    std::unique_ptr<QMenu> faceMenu(int slot);

    void accept() override;
    void reject() override;

  private:
    QWidget* buildFacesPage();
    QWidget* buildProfilerPage();
    void refreshFaceList(int select);
    void updateButtons();
    int selectedSlot() const;
    bool ask(const QString& caption, const QString& question);
    std::optional<identify::Probe> newFrame();
    void profileDone();
    void stopProfiler();

    PanelEnvironment env_;
    persons::PersonBase& base_;
    registration::RegistrationSheet sheet_;
    persons::PersonRecord original_;  // user ID, name and access as stored, no faces
    std::function<void()> stored_;
    identify::LibraryFaceMatcher matcher_;

    QTabWidget* pages_ = nullptr;
    UserInfoFields* info_ = nullptr;
    QTreeWidget* faces_ = nullptr;
    PanelView* face_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* delete_ = nullptr;
    QCheckBox* storeImage_ = nullptr;
    QPushButton* delImage_ = nullptr;
    PanelView* probe_ = nullptr;
    QPushButton* captureProbe_ = nullptr;
    QPushButton* loadProbe_ = nullptr;
    QPushButton* profile_ = nullptr;
    QPushButton* optimize_ = nullptr;
    QProgressBar* progress_ = nullptr;
    ProfileBars* bars_ = nullptr;
    QString lastPath_;
    std::optional<identify::Probe> probeFrame_;
    std::thread profiler_;
    std::atomic<bool> running_{false};
    bool profiling_ = false;
    int storeResult_ = -1;
};

}  // namespace ui
