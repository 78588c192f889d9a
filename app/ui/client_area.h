#pragma once
// The main window's client area: the live, match and found panels with their labels, two
// score bars, the banner and the name line, and the action button, on a gradient from
// black at the top to blue at the bottom.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "panel_view.h"

namespace ui {

class ClientArea final : public QWidget {
  public:
    ClientArea(const PanelEnvironment& environment, QWidget* parent);

    PanelView* live() const { return live_; }
    PanelView* match() const { return match_; }
    PanelView* found() const { return found_; }
    QProgressBar* matchScore() const { return matchScore_; }
    QProgressBar* foundScore() const { return foundScore_; }
    QLabel* banner() const { return banner_; }
    QLabel* nameLine() const { return name_; }
    QPushButton* actionButton() const { return action_; }

    // "No live video" in blue without a capture device, else empty.
    void showDeviceBanner(bool haveDevice);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PanelView* live_;
    PanelView* match_;
    PanelView* found_;
    QProgressBar* matchScore_;
    QProgressBar* foundScore_;
    QLabel* banner_;
    QLabel* name_;
    QPushButton* action_;
};

}  // namespace ui
