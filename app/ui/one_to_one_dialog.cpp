#include "one_to_one_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "file_dialog.h"
#include "matching/one_to_one.h"
#include "texts.h"

namespace ui {

namespace {

constexpr int kLeftId = 210, kRightId = 220;
constexpr std::uint8_t kDemoOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kDemoMenu =
    panels::kAllowImage | panels::kAllowElements | panels::kAllowPaste;

}  // namespace

OneToOneDialog::OneToOneDialog(const PanelEnvironment& environment,
                               const settings::AppSettings& settings, PlaySound play,
                               QWidget* parent)
    : QDialog(parent), env_(environment), settings_(settings), play_(std::move(play)) {
    setObjectName(QStringLiteral("DEMODIALOG"));
    setWindowTitle(QStringLiteral("One-to-one matching"));
    setModal(false);
    left_ =
        new PanelView(QStringLiteral("Demo.left"), kLeftId, kDemoOptions, kDemoMenu, env_, this);
    right_ =
        new PanelView(QStringLiteral("Demo.right"), kRightId, kDemoOptions, kDemoMenu, env_, this);
    for (PanelView* p : {left_, right_}) {
        p->setCommandHandler([this, p](int, int code) {
            if (code == panels::kPasteNotification) filled(p);
        });
    }

    auto* captureLeft = new QPushButton(QStringLiteral("Capture"));
    captureLeft->setObjectName(QStringLiteral("Demo.left.capture"));
    auto* captureRight = new QPushButton(QStringLiteral("Capture"));
    captureRight->setObjectName(QStringLiteral("Demo.right.capture"));
    connect(captureLeft, &QPushButton::clicked, this, [this] { capture(left_); });
    connect(captureRight, &QPushButton::clicked, this, [this] { capture(right_); });

    matchRight_ = new QPushButton(QStringLiteral(">>  Match  >>"));
    matchRight_->setObjectName(QStringLiteral("matchRight"));
    matchLeft_ = new QPushButton(QStringLiteral("<<  Match  <<"));
    matchLeft_->setObjectName(QStringLiteral("matchLeft"));
    connect(matchRight_, &QPushButton::clicked, this, [this] { match(left_, right_); });
    connect(matchLeft_, &QPushButton::clicked, this, [this] { match(right_, left_); });

    auto* source = new QGroupBox(QStringLiteral("Image source:"));
    disk_ = new QRadioButton(QStringLiteral("&Disk"));
    disk_->setObjectName(QStringLiteral("Disk"));
    video_ = new QRadioButton(QStringLiteral("&Video"));
    video_->setObjectName(QStringLiteral("Video"));
    auto* sourceLayout = new QVBoxLayout(source);
    sourceLayout->addWidget(disk_);
    sourceLayout->addWidget(video_);
    automatic_ = new QCheckBox(QStringLiteral("&Automatic face matching"));
    automatic_->setObjectName(QStringLiteral("Automatic face matching"));
    automatic_->setChecked(true);

    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    elapsed_ = new QLabel;
    elapsed_->setObjectName(QStringLiteral("elapsed"));
    elapsed_->setMinimumWidth(90);
    bar->addWidget(status_, 1);
    bar->addPermanentWidget(elapsed_);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(matchRight_);
    middle->addWidget(matchLeft_);
    middle->addSpacing(12);
    middle->addWidget(source);
    middle->addWidget(automatic_);
    middle->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(left_, 0, 0);
    grid->addLayout(middle, 0, 1);
    grid->addWidget(right_, 0, 2);
    grid->addWidget(left_->label(), 1, 0);
    grid->addWidget(right_->label(), 1, 2);
    grid->addWidget(captureLeft, 2, 0, Qt::AlignHCenter);
    grid->addWidget(captureRight, 2, 2, Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(bar);
    deviceChanged();
    updateButtons();
}

void OneToOneDialog::deviceChanged() {
    const bool haveDevice = env_.device.kind() != capture::Kind::None;
    video_->setEnabled(haveDevice);
    if (!haveDevice || !disk_->isChecked()) (haveDevice ? video_ : disk_)->setChecked(true);
}

void OneToOneDialog::step(int waitText, const std::function<QString()>& work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    status_->setText(appText(waitText));
    elapsed_->clear();
    QElapsedTimer timer;
    timer.start();
    const QString result = work();
    elapsed_->setText(
        QString::fromStdString(matching::elapsedText(static_cast<std::uint32_t>(timer.elapsed()))));
    status_->setText(result);
    QApplication::restoreOverrideCursor();
}

void OneToOneDialog::capture(PanelView* panel) {
    if (video_->isChecked() && video_->isEnabled()) {
        status_->setText(appText(appstrings::kCapturingImage));
        if (panel->panel().captureDialog(this) == panels::kDialogCancelled) return;
        filled(panel);
        return;
    }
    const auto path = askFileName(this, FileMode::Open, FileKind::Image, lastFolder_);
    if (path) load(panel, *path);
}

void OneToOneDialog::load(PanelView* panel, const QString& path) {
    lastFolder_ = path;
    panel->panel().loadFile(path.toStdString());
    filled(panel);
}

void OneToOneDialog::filled(PanelView* panel) {
    const panels::ImagePanel::Snapshot s = panel->panel().snapshot();
    if (s.pictureValid && !s.faceProcessed) {
        step(appstrings::kRegistrationWait, [panel] {
            const int rc = panel->panel().process();
            return rc == 0 ? appText(appstrings::kRegistrationDone) : faceErrorText(rc);
        });
    }
    updateButtons();
    PanelView* other = panel == left_ ? right_ : left_;
    if (automatic_->isChecked() && panel->panel().snapshot().pictureValid &&
        other->panel().snapshot().pictureValid)
        match(panel, other);
}

void OneToOneDialog::match(PanelView* from, PanelView* to) {
    matching::OneToOneResult result;
    step(appstrings::kVerificationWait, [&] {
        result = matching::matchPanels(from->panel(), to->panel(), settings_.ownThreshold);
        return result.rc == 0 ? QString::fromStdString(result.text) : faceErrorText(result.rc);
    });
    if (result.sound != nullptr && play_) play_(result.sound);
}

void OneToOneDialog::updateButtons() {
    const bool both =
        left_->panel().snapshot().pictureValid && right_->panel().snapshot().pictureValid;
    matchRight_->setEnabled(both);
    matchLeft_->setEnabled(both);
}

}  // namespace ui
