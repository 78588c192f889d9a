#include "registration/profile_bars.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>

namespace ui {

namespace {
constexpr int kLabelWidth = 60, kTextWidth = 110;
}

ProfileBars::ProfileBars(const registration::RegistrationSheet& sheet, QWidget* parent)
    : QWidget(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("bars"));
    setMinimumHeight(kRow * 4);
}

QSize ProfileBars::sizeHint() const {
    return {360, kRow * std::max(sheet_.faceCount(), 4)};
}

int ProfileBars::slotAt(int y) const {
    const int slot = y / kRow;
    return y >= 0 && slot < sheet_.faceCount() ? slot : -1;
}

int ProfileBars::barWidth(std::int32_t score, int width) {
    const std::int32_t s = std::clamp(score, kDisplayMinimum, kDisplayMaximum);
    return static_cast<int>(static_cast<long long>(s - kDisplayMinimum) * width /
                            (kDisplayMaximum - kDisplayMinimum));
}

void ProfileBars::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int barArea = std::max(width() - kLabelWidth - kTextWidth, 10);
    for (int slot = 0; slot < sheet_.faceCount(); ++slot) {
        const int y = slot * kRow;
        const registration::FaceStats& s = sheet_.stats(slot);
        p.setPen(palette().text().color());
        p.drawText(QRect(4, y, kLabelWidth - 4, kRow), Qt::AlignVCenter,
                   QStringLiteral("Face %1").arg(slot + 1));
        p.fillRect(QRect(kLabelWidth, y + 3, barWidth(s.current, barArea), kRow - 6),
                   QColor(0, 160, 0));
        p.drawRect(QRect(kLabelWidth, y + 3, barArea, kRow - 6));
        p.drawText(QRect(kLabelWidth + barArea + 6, y, kTextWidth - 6, kRow), Qt::AlignVCenter,
                   QStringLiteral("%1 / %2 / %3").arg(s.current).arg(s.peak).arg(s.average));
    }
}

void ProfileBars::contextMenuEvent(QContextMenuEvent* event) {
    const int slot = slotAt(event->pos().y());
    if (slot < 0 || !menu_) return;
    if (std::unique_ptr<QMenu> menu = menu_(slot)) menu->exec(event->globalPos());
}

}  // namespace ui
