#include "stat_log_view.h"

#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "cp437.h"

namespace ui {

namespace {

constexpr int kLogFontPixels = 15;
constexpr qsizetype kLineMarks = 10;  // 0xC4 bytes that begin a log

}  // namespace

StatLogView::StatLogView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("logView"));
    lines_ = new QListWidget;
    lines_->setObjectName(QStringLiteral("log"));
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kLogFontPixels);
    font.setWeight(QFont::Normal);
    lines_->setFont(font);
    lines_->setUniformItemSizes(true);
    close_ = new QPushButton(QStringLiteral("&Close"));
    close_->setObjectName(QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lines_, 1);
    layout->addLayout(buttons);
}

StatLogView::LoadResult StatLogView::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return LoadResult::CannotOpen;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return LoadResult::CannotOpen;
    if (!bytes.startsWith(QByteArray(kLineMarks, '\xC4'))) return LoadResult::BadFormat;
    lines_->clear();
    lines_->addItems(cp437Lines(std::string_view(bytes.constData(), bytes.size())));
    return LoadResult::Ok;
}

}  // namespace ui
