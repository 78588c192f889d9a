#pragma once
// The profiler's bars: one row per face with its current score as a green bar between the
// display minimum and maximum, and the current, peak and average scores as text. A right
// click asks the owner for the row's menu. UI thread only.

#include <QWidget>
#include <functional>
#include <memory>

#include "registration/sheet.h"

class QMenu;

namespace ui {

class ProfileBars final : public QWidget {
  public:
    static constexpr int kDisplayMinimum = 0, kDisplayMaximum = 400;

    explicit ProfileBars(const registration::RegistrationSheet& sheet, QWidget* parent = nullptr);

    // The slot whose row is at y, or -1.
    int slotAt(int y) const;
    // Width in pixels of a score's bar in a row of the given width.
    static int barWidth(std::int32_t score, int width);
    void setMenu(std::function<std::unique_ptr<QMenu>(int slot)> menu) { menu_ = std::move(menu); }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    static constexpr int kRow = 18;
    const registration::RegistrationSheet& sheet_;
    std::function<std::unique_ptr<QMenu>(int)> menu_;
};

}  // namespace ui
