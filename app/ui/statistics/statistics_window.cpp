#include "statistics_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "file_dialog.h"
#include "panel_feed.h"
#include "stat_log_view.h"
#include "stats/stat_log.h"
#include "texts.h"

namespace ui {

namespace {

const QString kTitle = QStringLiteral("Generate statistics");
constexpr int kLeftId = 510, kRightId = 520;
constexpr int kUserCancelled = 10;  // the finish given by "&Finish"
constexpr int kFileError = 25;      // "Error opening file for reading/writing"
constexpr int kLowMemory = 3;
constexpr int kDefaultTrim = 20;
constexpr int kMaxTrim = 99999;
constexpr std::uint8_t kStatOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kStatMenu = panels::kAllowImage | panels::kAllowElements;

QString inCurrentFolder(const QString& name) {
    return QDir::currentPath() + QLatin1Char('/') + name;
}

QLabel* field(const QString& name, QGridLayout* grid, int row, int column) {
    auto* caption = new QLabel(name);
    auto* value = new QLabel;
    value->setObjectName(name);
    value->setMinimumWidth(70);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    grid->addWidget(caption, row, column);
    grid->addWidget(value, row, column + 1);
    return value;
}

QLineEdit* edit(const QString& name) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    return e;
}

QCheckBox* check(const QString& text) {
    auto* c = new QCheckBox(text);
    c->setObjectName(QString(text).remove(QLatin1Char('&')));
    return c;
}

}  // namespace

// Hands the worker's reports to the user-interface thread: the latest step's figures and
// the latest status text are kept and posted once until shown.
class StatisticsWindow::Reports final : public stats::StatProgress {
  public:
    explicit Reports(StatisticsWindow& owner) : owner_(owner) {}

    void status(const std::string& text) override {
        bool post = false;
        {
            std::lock_guard<std::mutex> guard(lock_);
            post = !status_.has_value();
            status_ = text;
        }
        if (post)
            QMetaObject::invokeMethod(
                &owner_, [this] { showStatus(); }, Qt::QueuedConnection);
    }

    stats::StatWorker::Events events() {
        stats::StatWorker::Events e;
        e.stepped = [this](const stats::StatRun& run, const stats::StepResult& r) {
            StepFigures f;
            f.matched = run.matchedPairs();
            f.lastScore = r.lastScore;
            f.errors = run.errors();
            f.timeLeftMs = run.timeLeftMs();
            f.lastMs = r.lastMs;
            f.stopRun = r.stopRun;
            f.errorCode = r.kind == stats::FailureKind::None ? 0 : r.errorCode;
            bool post = false;
            {
                std::lock_guard<std::mutex> guard(owner_.figuresLock_);
                // A stopping failure is the worker's last step: it is the one shown.
                post = !owner_.figures_.has_value();
                owner_.figures_ = f;
            }
            if (post)
                QMetaObject::invokeMethod(
                    &owner_, [this] { owner_.showFigures(); }, Qt::QueuedConnection);
        };
        e.stopped = [this](const stats::StatRun&) {
            QMetaObject::invokeMethod(
                &owner_, [this] { owner_.stoppedByWorker(); }, Qt::QueuedConnection);
        };
        e.finished = [this](const stats::StatRun&) {
            QMetaObject::invokeMethod(
                &owner_, [this] { owner_.finishedByWorker(); }, Qt::QueuedConnection);
        };
        return e;
    }

  private:
    void showStatus() {
        std::optional<std::string> text;
        {
            std::lock_guard<std::mutex> guard(lock_);
            text.swap(status_);
        }
        if (text) owner_.status_->setText(QString::fromStdString(*text));
    }

    StatisticsWindow& owner_;
    std::mutex lock_;
    std::optional<std::string> status_;
};

StatisticsWindow::StatisticsWindow(const PanelEnvironment& environment, persons::PersonBase& base,
                                   QWidget* parent, stats::StatMatcher* matcher,
                                   stats::StatClock* clock)
    : QDialog(parent), env_(environment), base_(base), clock_(clock ? *clock : systemClock_) {
    setObjectName(QStringLiteral("STATDIALOG"));
    setWindowTitle(kTitle);
    setModal(false);

    controls_ = buildControls();
    logView_ = new StatLogView;
    logView_->hide();
    connect(logView_->closeButton(), &QPushButton::clicked, this, [this] { closeLogView(); });

    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    elapsed_ = new QLabel;
    elapsed_->setObjectName(QStringLiteral("elapsed"));
    elapsed_->setMinimumWidth(90);
    bar->addWidget(status_, 1);
    bar->addPermanentWidget(elapsed_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(controls_, 1);
    layout->addWidget(logView_, 1);
    layout->addWidget(bar);

    feed_ =
        std::make_unique<PanelFeed>(matcher ? *matcher : libraryMatcher_, *left_, *right_, *this);
    run_ = std::make_unique<stats::StatRun>(*feed_, clock_);
    feed_->setRun(*run_);
    reports_ = std::make_unique<Reports>(*this);
    worker_ = std::make_unique<stats::StatWorker>(*run_, reports_->events(), reports_.get());

    workTimer_.setInterval(1000);
    connect(&workTimer_, &QTimer::timeout, this, [this] { tickWorkTime(); });
    updateButtons();
}

StatisticsWindow::~StatisticsWindow() {
    worker_.reset();  // the worker steps the run and reports to this window
}

QWidget* StatisticsWindow::buildControls() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("controls"));

    sourcePath_ = edit(QStringLiteral("Source path"));
    destPath_ = edit(QStringLiteral("Dest path"));
    sampleMask_ = edit(QStringLiteral("Source mask"));
    ownMask_ = edit(QStringLiteral("Own mask"));
    logFile_ = edit(QStringLiteral("Log file"));
    sourceBrowse_ = new QPushButton(QStringLiteral(">>"));
    sourceBrowse_->setObjectName(QStringLiteral("Source path >>"));
    logBrowse_ = new QPushButton(QStringLiteral(">>"));
    logBrowse_->setObjectName(QStringLiteral("Log file >>"));
    for (QPushButton* b : {sourceBrowse_, logBrowse_}) b->setMaximumWidth(40);

    sourcePath_->setText(inCurrentFolder(QStringLiteral("*.TIF")));
    destPath_->setText(sourcePath_->text());
    logFile_->setText(inCurrentFolder(QStringLiteral("OVFC.LOG")));
    sampleMask_->setText(QStringLiteral("0000*"));
    ownMask_->setText(QStringLiteral("0000^^*"));

    userList_ = check(QStringLiteral("Use &user list"));
    differentPaths_ = check(QStringLiteral("Use &diffrent paths"));
    invalidateCache_ = check(QStringLiteral("Invalidate &cache"));
    ignoreErrors_ = check(QStringLiteral("&Ignore errors"));
    overwriteLog_ = check(QStringLiteral("&Overwrite LOG"));
    invalidateCache_->setChecked(true);

    trimByScore_ = new QRadioButton(QStringLiteral("Trim by score"));
    trimByScore_->setObjectName(QStringLiteral("Trim by score"));
    trimByNumber_ = new QRadioButton(QStringLiteral("Trim by number"));
    trimByNumber_->setObjectName(QStringLiteral("Trim by number"));
    trimByNumber_->setChecked(true);
    trimAt_ = new QSpinBox;
    trimAt_->setObjectName(QStringLiteral("Trim at"));
    trimAt_->setRange(0, kMaxTrim);
    trimAt_->setValue(kDefaultTrim);

    connect(sourcePath_, &QLineEdit::textChanged, this, [this] { followSource(); });
    connect(differentPaths_, &QCheckBox::toggled, this, [this] {
        followSource();
        updateButtons();
    });
    connect(userList_, &QCheckBox::toggled, this, [this](bool on) { userListToggled(on); });
    connect(logFile_, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(sourceBrowse_, &QPushButton::clicked, this, [this] { browseSource(); });
    connect(logBrowse_, &QPushButton::clicked, this, [this] { browseLog(); });

    auto* sets = new QGroupBox(QStringLiteral("Images"));
    auto* paths = new QGridLayout(sets);
    auto addRow = [paths](int row, const QString& text, QWidget* w, QWidget* button) {
        auto* caption = new QLabel(text);
        caption->setBuddy(w);
        paths->addWidget(caption, row, 0);
        paths->addWidget(w, row, 1);
        if (button) paths->addWidget(button, row, 2);
    };
    addRow(0, QStringLiteral("Source &path"), sourcePath_, sourceBrowse_);
    addRow(1, QStringLiteral("Dest &path"), destPath_, nullptr);
    addRow(2, QStringLiteral("Source &mask"), sampleMask_, nullptr);
    addRow(3, QStringLiteral("Own mask"), ownMask_, nullptr);
    addRow(4, QStringLiteral("&Log file"), logFile_, logBrowse_);
    paths->setColumnMinimumWidth(1, 260);

    auto* options = new QVBoxLayout;
    for (QCheckBox* c :
         {userList_, differentPaths_, invalidateCache_, ignoreErrors_, overwriteLog_})
        options->addWidget(c);
    auto* trim = new QGroupBox(QStringLiteral("Trim"));
    auto* trimLayout = new QGridLayout(trim);
    trimLayout->addWidget(trimByScore_, 0, 0, 1, 2);
    trimLayout->addWidget(trimByNumber_, 1, 0, 1, 2);
    auto* trimCaption = new QLabel(QStringLiteral("Trim at"));
    trimCaption->setBuddy(trimAt_);
    trimLayout->addWidget(trimCaption, 2, 0);
    trimLayout->addWidget(trimAt_, 2, 1);
    options->addWidget(trim);
    options->addStretch();

    auto* figures = new QGroupBox(QStringLiteral("Progress"));
    auto* grid = new QGridLayout(figures);
    total_ = field(QStringLiteral("Total images:"), grid, 0, 0);
    matched_ = field(QStringLiteral("Matched:"), grid, 1, 0);
    lastScore_ = field(QStringLiteral("Last score:"), grid, 2, 0);
    errors_ = field(QStringLiteral("Errors:"), grid, 0, 2);
    workTime_ = field(QStringLiteral("Work time:"), grid, 1, 2);
    timeLeft_ = field(QStringLiteral("Time left:"), grid, 2, 2);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    grid->addWidget(progress_, 3, 0, 1, 4);

    left_ = new PanelView(QStringLiteral("Statistic.left"), kLeftId, kStatOptions, kStatMenu, env_,
                          page);
    right_ = new PanelView(QStringLiteral("Statistic.right"), kRightId, kStatOptions, kStatMenu,
                           env_, page);

    start_ = new QPushButton(appText(appstrings::kButtonStart));
    start_->setObjectName(QStringLiteral("Start"));
    step_ = new QPushButton(QStringLiteral("S&tep"));
    step_->setObjectName(QStringLiteral("Step"));
    finish_ = new QPushButton(QStringLiteral("&Finish"));
    finish_->setObjectName(QStringLiteral("Finish"));
    viewLog_ = new QPushButton(QStringLiteral("&View log"));
    viewLog_->setObjectName(QStringLiteral("View log"));
    connect(start_, &QPushButton::clicked, this, [this] { startOrToggle(); });
    connect(step_, &QPushButton::clicked, this, [this] { stepOnce(); });
    connect(finish_, &QPushButton::clicked, this, [this] { finishRun(); });
    connect(viewLog_, &QPushButton::clicked, this, [this] { viewLog(); });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {start_, step_, finish_, viewLog_}) buttons->addWidget(b);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(sets, 1);
    top->addLayout(options);
    auto* panels = new QGridLayout;
    panels->addWidget(left_, 0, 0);
    panels->addWidget(right_, 0, 1);
    panels->addWidget(left_->label(), 1, 0);
    panels->addWidget(right_->label(), 1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(panels, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(figures);
    side->addLayout(buttons);
    bottom->addLayout(side);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addLayout(bottom, 1);
    return page;
}

void StatisticsWindow::followSource() {
    if (!differentPaths_->isChecked()) destPath_->setText(sourcePath_->text());
}

void StatisticsWindow::userListToggled(bool on) {
    if (on) {
        kept_ = Kept{sourcePath_->text(), destPath_->text(), sampleMask_->text(), ownMask_->text(),
                     differentPaths_->isChecked()};
        differentPaths_->setChecked(false);
        sourcePath_->setText(QString::fromStdString(base_.folder()) + QStringLiteral("*.TIF"));
        sampleMask_->setText(QStringLiteral("*"));
        ownMask_->setText(QStringLiteral("#?"));
    } else if (kept_) {
        sourcePath_->setText(kept_->source);
        differentPaths_->setChecked(kept_->different);
        destPath_->setText(kept_->dest);
        sampleMask_->setText(kept_->sampleMask);
        ownMask_->setText(kept_->ownMask);
        kept_.reset();
    }
    updateButtons();
}

void StatisticsWindow::browseSource() {
    const auto chosen = askFileName(this, FileMode::Open, FileKind::Image, sourcePath_->text());
    if (!chosen) return;
    // The folder of the chosen file with a pattern for its kind of file.
    const QFileInfo info(*chosen);
    const QString suffix = info.suffix();
    sourcePath_->setText(info.absolutePath() + QStringLiteral("/*") +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix));
}

void StatisticsWindow::browseLog() {
    if (const auto chosen = askFileName(this, FileMode::Save, FileKind::Log, logFile_->text()))
        logFile_->setText(*chosen);
}

stats::StatSettings StatisticsWindow::runSettings() const {
    stats::StatSettings s;
    if (userList_->isChecked()) {
        stats::useUserList(s, base_.folder());
    } else {
        s.sourcePath = sourcePath_->text().toStdString();
        s.destPath = differentPaths_->isChecked() ? destPath_->text().toStdString() : std::string();
        s.sampleMask = sampleMask_->text().toStdString();
        s.ownMask = ownMask_->text().toStdString();
    }
    s.invalidateCache = invalidateCache_->isChecked();
    s.ignoreErrors = ignoreErrors_->isChecked();
    s.trimByScore = trimByScore_->isChecked();
    s.trimValue = trimAt_->value();
    return s;
}

void StatisticsWindow::startOrToggle() {
    switch (state_) {
        case RunState::Idle:
            break;
        case RunState::Running:
            state_ = RunState::Stopping;
            worker_->stop();
            updateButtons();
            return;
        case RunState::Stopped:
            state_ = RunState::Running;
            worker_->resume();
            updateButtons();
            return;
        case RunState::Stopping:
        case RunState::Finishing:
            return;
    }
    feed_->reset();
    stopError_ = 0;
    {
        std::lock_guard<std::mutex> guard(figuresLock_);
        figures_.reset();
    }
    switch (worker_->start(runSettings())) {
        case stats::StartResult::Ok:
            started();
            return;
        case stats::StartResult::ImagesNotFound:
            QMessageBox::warning(this, kTitle, QStringLiteral("Images not found!"));
            return;
        case stats::StartResult::NoMemory:
            QMessageBox::warning(this, kTitle, faceErrorText(kLowMemory));
            return;
    }
}

void StatisticsWindow::started() {
    state_ = RunState::Running;
    const std::int64_t total = run_->totalPairs();
    total_->setText(QString::number(total));
    matched_->setText(QStringLiteral("0"));
    lastScore_->clear();
    errors_->setText(QStringLiteral("0"));
    workTime_->setText(QStringLiteral("00:00"));
    timeLeft_->setText(QStringLiteral("--:--"));
    elapsed_->clear();
    progress_->setRange(
        0, static_cast<int>(std::min<std::int64_t>(total, std::numeric_limits<int>::max())));
    progress_->setValue(0);
    workTimer_.start();
    updateButtons();
}

void StatisticsWindow::stepOnce() {
    if (state_ != RunState::Stopped) return;
    worker_->step();
    if (worker_->state() == stats::StatWorker::State::Finished) state_ = RunState::Finishing;
    updateButtons();
}

void StatisticsWindow::finishRun() {
    if (state_ != RunState::Running && state_ != RunState::Stopping && state_ != RunState::Stopped)
        return;
    state_ = RunState::Finishing;
    updateButtons();
    worker_->finish();
}

void StatisticsWindow::showFigures() {
    std::optional<StepFigures> f;
    {
        std::lock_guard<std::mutex> guard(figuresLock_);
        f.swap(figures_);
    }
    if (!f) return;
    matched_->setText(QString::number(f->matched));
    if (f->errorCode == 0) lastScore_->setText(QString::number(f->lastScore));
    errors_->setText(QString::number(f->errors));
    progress_->setValue(static_cast<int>(std::min<std::int64_t>(f->matched, progress_->maximum())));
    elapsed_->setText(QString::fromStdString(stats::formatElapsed(f->lastMs)));
    timeLeft_->setText(f->timeLeftMs ? QString::fromStdString(stats::formatTimeLeft(*f->timeLeftMs))
                                     : QStringLiteral("--:--"));
    if (!f->stopRun) return;
    stopError_ = f->errorCode;
    // A single step stops nothing: its failure is told at once.
    if (state_ == RunState::Stopped) stoppedByWorker();
}

void StatisticsWindow::stoppedByWorker() {
    if (state_ == RunState::Finishing || state_ == RunState::Idle) return;
    state_ = RunState::Stopped;
    updateButtons();
    if (stopError_ == 0) return;
    const QString text = faceErrorText(stopError_);
    stopError_ = 0;
    QApplication::beep();
    QMessageBox::warning(this, kTitle, text);
}

void StatisticsWindow::finishedByWorker() {
    workTimer_.stop();
    tickWorkTime();
    state_ = RunState::Idle;
    stopError_ = 0;
    status_->setText(run_->finishedByUser() ? faceErrorText(kUserCancelled)
                                            : appText(appstrings::kStatComplete));
    left_->panel().clear();
    right_->panel().clear();
    updateButtons();
    writeLog();
    updateButtons();
}

void StatisticsWindow::writeLog() {
    QString path = logFile_->text();
    if (!overwriteLog_->isChecked() && QFileInfo::exists(path)) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Statistics"),
                        QStringLiteral("Log file already exist. Overwrite?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        switch (box.exec()) {
            case QMessageBox::Yes:
                break;
            case QMessageBox::No: {
                const auto chosen = askFileName(this, FileMode::Save, FileKind::Log, path);
                if (!chosen) return;
                path = *chosen;
                logFile_->setText(path);
                break;
            }
            default:
                return;
        }
    }
    const std::string text = stats::statLogText(*run_, feed_->version(), clock_);
    // The old log stays whole when the new one cannot be written; the status bar says so.
    if (!stats::writeStatLog(path.toStdString(), text)) status_->setText(faceErrorText(kFileError));
}

void StatisticsWindow::tickWorkTime() {
    workTime_->setText(
        QString::fromStdString(stats::formatWorkTime(clock_.now() - run_->startTime())));
}

bool StatisticsWindow::viewLog() {
    const QString path = logFile_->text();
    if (logView_->load(path) != StatLogView::LoadResult::Ok) {
        QMessageBox::warning(this, kTitle, QStringLiteral("Bad logfile format."));
        return false;
    }
    controls_->hide();
    logView_->show();
    setWindowTitle(kTitle + QStringLiteral(" - ") + path);
    return true;
}

void StatisticsWindow::closeLogView() {
    logView_->hide();
    controls_->show();
    setWindowTitle(kTitle);
}

bool StatisticsWindow::logViewShown() const {
    return !logView_->isHidden();
}

void StatisticsWindow::reject() {
    if (logViewShown()) {
        closeLogView();
        return;
    }
    QDialog::reject();
}

void StatisticsWindow::closeEvent(QCloseEvent* event) {
    if (logViewShown()) closeLogView();
    QDialog::closeEvent(event);
}

void StatisticsWindow::updateButtons() {
    const bool idle = state_ == RunState::Idle;
    switch (state_) {
        case RunState::Idle:
            start_->setText(appText(appstrings::kButtonStart));
            break;
        case RunState::Running:
        case RunState::Stopping:
            start_->setText(appText(appstrings::kButtonStop));
            break;
        case RunState::Stopped:
            start_->setText(appText(appstrings::kButtonContinue));
            break;
        case RunState::Finishing:
            break;
    }
    start_->setEnabled(idle || state_ == RunState::Running || state_ == RunState::Stopped);
    step_->setEnabled(state_ == RunState::Stopped);
    finish_->setEnabled(state_ == RunState::Running || state_ == RunState::Stopping ||
                        state_ == RunState::Stopped);
    const bool listed = userList_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(sourcePath_), static_cast<QWidget*>(sampleMask_),
                       static_cast<QWidget*>(ownMask_), static_cast<QWidget*>(differentPaths_)})
        w->setEnabled(!listed);
    destPath_->setEnabled(!listed && differentPaths_->isChecked());
    sourceBrowse_->setEnabled(idle && !listed);
    logBrowse_->setEnabled(idle);
    viewLog_->setEnabled(idle && QFileInfo::exists(logFile_->text()));
}

}  // namespace ui
