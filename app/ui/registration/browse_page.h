#pragma once
// The "Browse registered users" page of the user list window: the persons with their access
// state, the record counter, the selected person's faces one by one, and the commands New,
// Modify, Profile, Delete and Reprocessing. Double clicks in the first two columns toggle
// the access bits; in the others they open Modify. UI thread only.

#include <QWidget>
#include <functional>
#include <memory>

#include "panel_view.h"
#include "persons/person_base.h"
#include "registration/modify_sheet.h"
#include "settings/app_settings.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ui {

class BrowsePage final : public QWidget {
  public:
    enum Column { kAdminColumn = 0, kEnabledColumn = 1, kUserIdColumn = 2, kNameColumn = 3 };
    // Runs a modal dialog and returns its result; tests replace it to drive the dialog.
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // changed() is called after every change of the base (the main window's user box).
    BrowsePage(const PanelEnvironment& environment, persons::PersonBase& base,
               const settings::AppSettings& settings, std::function<void()> changed,
               QWidget* parent);

    // Lists the persons again, keeping the selection where it can.
    void refresh();
    // Selects the person with the user ID (as stored); false when not listed.
    bool select(const QString& userId);

    void newPerson();
    void modify(ModifySheet::Page first = ModifySheet::kInfoPage);
    void deletePerson();
    void reprocess();
    void previousFace();
    void nextFace();
    // The double click on a column of the selected entry.
    void doubleClicked(int column);

    QTreeWidget* list() const { return list_; }
    QLabel* recordCounter() const { return counter_; }
    QLabel* faceCaption() const { return faceCaption_; }
    QLabel* faceTime() const { return faceTime_; }
    PanelView* faceView() const { return face_; }
    QPushButton* button(const QString& objectName) const;
    void setDialogRunner(DialogRunner runner) { run_ = std::move(runner); }

  private:
    void selected();
    void showFace();
    void setBusy(bool busy);
    std::uint32_t selectedId() const;
    QString selectedUserId() const;

    PanelEnvironment env_;
    persons::PersonBase& base_;
    const settings::AppSettings& settings_;
    std::function<void()> changed_;
    DialogRunner run_;
    QTreeWidget* list_ = nullptr;
    QLabel* counter_ = nullptr;
    PanelView* face_ = nullptr;
    QLabel* faceCaption_ = nullptr;
    QLabel* faceTime_ = nullptr;
    std::vector<QPushButton*> buttons_;
    persons::PersonRecord shown_;  // the selected person with its faces
    int faceSlot_ = 0;
};

}  // namespace ui
