#pragma once
// The "One-to-one matching" window: two panels, "Demo.left" and "Demo.right", each filled
// from disk, from video or by paste; a newly filled picture is processed; the two match
// buttons compare one panel's picture with the other's descriptor, and with "Automatic
// face matching" a panel just filled is matched at once. Modeless; UI thread only.

#include <QDialog>
#include <QElapsedTimer>
#include <functional>

#include "panel_view.h"
#include "settings/app_settings.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace ui {

class OneToOneDialog final : public QDialog {
  public:
    using PlaySound = std::function<void(const char* name)>;

    OneToOneDialog(const PanelEnvironment& environment, const settings::AppSettings& settings,
                   PlaySound play, QWidget* parent);

    PanelView* left() const { return left_; }
    PanelView* right() const { return right_; }
    QPushButton* matchRight() const { return matchRight_; }  // ">>  Match  >>"
    QPushButton* matchLeft() const { return matchLeft_; }    // "<<  Match  <<"
    QLabel* statusText() const { return status_; }
    QLabel* elapsed() const { return elapsed_; }

    // Fills a panel from the chosen source, as its "Capture" button does.
    void capture(PanelView* panel);
    // Loads an image file into a panel and goes on as after any filling.
    void load(PanelView* panel, const QString& path);
    // Matches the picture of `from` against the descriptor of `to`.
    void match(PanelView* from, PanelView* to);
    // "&Video" follows the capture device.
    void deviceChanged();

  private:
    void filled(PanelView* panel);
    void updateButtons();
    // Runs a step with the wait cursor and its status text, then shows the elapsed time.
    void step(int waitText, const std::function<QString()>& work);

    PanelEnvironment env_;
    const settings::AppSettings& settings_;
    PlaySound play_;
    PanelView* left_ = nullptr;
    PanelView* right_ = nullptr;
    QRadioButton* disk_ = nullptr;
    QRadioButton* video_ = nullptr;
    QCheckBox* automatic_ = nullptr;
    QPushButton* matchRight_ = nullptr;
    QPushButton* matchLeft_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QString lastFolder_;
};

}  // namespace ui
