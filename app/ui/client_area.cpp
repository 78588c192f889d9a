#include "client_area.h"

#include <QGridLayout>
#include <QLinearGradient>
#include <QPainter>

#include "command_ids.h"

namespace ui {

namespace {

// Control identifiers of the panels; each label is the identifier + 1.
constexpr int kLiveId = 110, kMatchId = 120, kFoundId = 130;

constexpr std::uint8_t kAllOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kViewMenu = panels::kAllowImage | panels::kAllowElements;

QProgressBar* scoreBar(const QString& name) {
    auto* bar = new QProgressBar;
    bar->setObjectName(name);
    bar->setRange(0, 400);
    bar->setValue(0);
    bar->setFormat(QStringLiteral("%v"));
    bar->setMaximumWidth(258);
    return bar;
}

void lightText(QLabel* label) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
}

}  // namespace

ClientArea::ClientArea(const PanelEnvironment& env, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CLIENTWINDOW"));
    live_ = new PanelView(QStringLiteral("Main.live"), kLiveId, kAllOptions, kViewMenu, env, this);
    match_ =
        new PanelView(QStringLiteral("Main.match"), kMatchId, kAllOptions, kViewMenu, env, this);
    found_ =
        new PanelView(QStringLiteral("Main.found"), kFoundId, kAllOptions, kViewMenu, env, this);
    matchScore_ = scoreBar(QStringLiteral("Main.matchScore"));
    foundScore_ = scoreBar(QStringLiteral("Main.foundScore"));

    banner_ = new QLabel;
    banner_->setObjectName(QStringLiteral("banner"));
    banner_->setAlignment(Qt::AlignCenter);
    banner_->setFont(QFont(QStringLiteral("Times New Roman"), 26, QFont::Bold));
    banner_->setMinimumHeight(48);
    name_ = new QLabel;
    name_->setObjectName(QStringLiteral("name"));
    name_->setAlignment(Qt::AlignCenter);
    QFont nameFont = name_->font();
    nameFont.setPointSize(14);
    name_->setFont(nameFont);
    lightText(name_);
    action_ = new QPushButton(QStringLiteral("Go!"));
    action_->setObjectName(QStringLiteral("Go!"));
    action_->setProperty("commandId", kCmdAction);
    action_->setMinimumSize(120, 36);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 12);
    grid->setHorizontalSpacing(16);
    int column = 0;
    for (PanelView* panel : {live_, match_, found_}) {
        grid->addWidget(panel, 0, column, Qt::AlignHCenter);
        lightText(panel->label());
        grid->addWidget(panel->label(), 1, column);
        ++column;
    }
    grid->addWidget(matchScore_, 2, 1);
    grid->addWidget(foundScore_, 2, 2);
    grid->addWidget(banner_, 3, 0, 1, 3);
    grid->addWidget(name_, 4, 0, 1, 3);
    grid->addWidget(action_, 5, 0, 1, 3, Qt::AlignHCenter);
    grid->setRowStretch(3, 1);
}

void ClientArea::showDeviceBanner(bool haveDevice) {
    QPalette p = banner_->palette();
    p.setColor(QPalette::WindowText, QColor(64, 96, 255));
    banner_->setPalette(p);
    banner_->setText(haveDevice ? QString() : QStringLiteral("No live video"));
}

void ClientArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, QColor(0, 0, 255));
    painter.fillRect(rect(), gradient);
}

}  // namespace ui
