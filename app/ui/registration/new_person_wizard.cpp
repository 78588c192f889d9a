#include "registration/new_person_wizard.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "file_dialog.h"
#include "registration/face_frames.h"
#include "registration/store_person.h"
#include "registration/user_info_fields.h"
#include "texts.h"

namespace ui {

namespace {

constexpr int kLiveId = 410, kCapturedId = 420;
constexpr std::uint8_t kPanelOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kPanelMenu = panels::kAllowImage | panels::kAllowElements;
constexpr int kScoreTop = 400;

const QString kCaption = QStringLiteral("Registration");

// The small window shown while live video and the worker start or stop.
class Connecting {
  public:
    explicit Connecting(QWidget* parent)
        : label_(QStringLiteral("Connecting with camera ..."), parent,
                 Qt::Tool | Qt::FramelessWindowHint) {
        label_.setObjectName(QStringLiteral("Connecting"));
        label_.setMargin(16);
        label_.setFrameStyle(QFrame::Box);
        label_.show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Connecting() { QApplication::restoreOverrideCursor(); }
    Connecting(const Connecting&) = delete;
    Connecting& operator=(const Connecting&) = delete;

  private:
    QLabel label_;
};

}  // namespace

// Hands the worker's reports to the wizard's thread.
class NewPersonWizard::WorkerView final : public registration::EnrolmentView {
  public:
    explicit WorkerView(NewPersonWizard& owner) : owner_(owner) {}
    void offer(const identify::Probe& frame) override {
        post([this, frame] {
            owner_.captured_->panel().showPicture(frame.picture.data(), frame.descriptor.data(),
                                                  std::string());
            owner_.offered();
        });
    }
    void score(int, std::int32_t score) override {
        post([this, score] { owner_.showScore(score); });
    }
    void added(const identify::Probe& frame, int count) override {
        post([this, frame, count] {
            owner_.captured_->panel().showPicture(frame.picture.data(), frame.descriptor.data(),
                                                  std::string());
            owner_.added(count);
        });
    }
    void complete() override {
        post([this] { owner_.complete(); });
    }

  private:
    template <typename Fn>
    void post(Fn&& fn) {
        QMetaObject::invokeMethod(&owner_, std::forward<Fn>(fn), Qt::QueuedConnection);
    }
    NewPersonWizard& owner_;
};

class NewPersonWizard::InfoPage final : public QWizardPage {
  public:
    explicit InfoPage(NewPersonWizard& w) : w_(w) {
        setObjectName(QStringLiteral("PERSONPAGE1A"));
        setTitle(QStringLiteral("User information"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(w_.info_);
        w_.info_->setEdited([this] { emit completeChanged(); });
    }
    bool isComplete() const override { return !w_.info_->typedUserId().isEmpty(); }
    bool validatePage() override { return w_.leaveInfoPage(); }

  private:
    NewPersonWizard& w_;
};

class NewPersonWizard::CapturePage final : public QWizardPage {
  public:
    explicit CapturePage(NewPersonWizard& w) : w_(w) {
        setObjectName(QStringLiteral("PERSONPAGE2A"));
        setTitle(QStringLiteral("Face capturing"));
    }
    bool isComplete() const override { return w_.faceCount() > 0; }
    void initializePage() override { w_.enterCapturePage(); }
    void cleanupPage() override { w_.leaveCapturePage(true); }  // "Back"
    bool validatePage() override {
        w_.leaveCapturePage(false);
        return true;
    }
    void changed() { emit completeChanged(); }

  private:
    NewPersonWizard& w_;
};

class NewPersonWizard::SummaryPage final : public QWizardPage {
  public:
    explicit SummaryPage(NewPersonWizard& w) : w_(w) {
        setObjectName(QStringLiteral("PERSONPAGE3A"));
        setTitle(QStringLiteral("Registaration complete"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(w_.summary_);
        layout->addStretch();
    }
    void initializePage() override { w_.fillSummary(); }

  private:
    NewPersonWizard& w_;
};

NewPersonWizard::NewPersonWizard(const PanelEnvironment& environment, persons::PersonBase& base,
                                 const settings::AppSettings& settings,
                                 std::function<void()> stored, QWidget* parent)
    : QWizard(parent),
      env_(environment),
      base_(base),
      settings_(settings),
      stored_(std::move(stored)) {
    setObjectName(QStringLiteral("Add record"));
    setWindowTitle(QStringLiteral("Add record"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setModal(true);

    info_ = new UserInfoFields;
    live_ = new PanelView(QStringLiteral("Registration.live"), kLiveId, kPanelOptions, kPanelMenu,
                          env_, nullptr);
    captured_ = new PanelView(QStringLiteral("Registration.captured"), kCapturedId, kPanelOptions,
                              kPanelMenu, env_, nullptr);
    capture_ = new QPushButton(appText(appstrings::kButtonCapture));
    capture_->setObjectName(QStringLiteral("Capture"));
    skip_ = new QPushButton(QStringLiteral("&Skip"));
    skip_->setObjectName(QStringLiteral("Skip"));
    connect(capture_, &QPushButton::clicked, this, [this] { pressCapture(); });
    connect(skip_, &QPushButton::clicked, this, [this] { pressSkip(); });
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setFormat(QStringLiteral("%v"));
    score_ = new QProgressBar;
    score_->setObjectName(QStringLiteral("score"));
    score_->setRange(0, kScoreTop);
    score_->setFormat(QStringLiteral("%v"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("status"));
    summary_ = new QLabel;
    summary_->setObjectName(QStringLiteral("summary"));

    addPage(new InfoPage(*this));
    capturePage_ = new CapturePage(*this);
    auto* grid = new QGridLayout(capturePage_);
    grid->addWidget(live_, 0, 0);
    grid->addWidget(captured_, 0, 1);
    grid->addWidget(live_->label(), 1, 0);
    grid->addWidget(captured_->label(), 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(capture_);
    buttons->addWidget(skip_);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->addWidget(score_, 3, 0, 1, 2);
    grid->addWidget(progress_, 4, 0, 1, 2);
    grid->addWidget(status_, 5, 0, 1, 2);
    addPage(capturePage_);
    addPage(new SummaryPage(*this));
    live_->attach();
    captured_->attach();
    const std::pair<QWizard::WizardButton, const char*> names[] = {
        {QWizard::BackButton, "Back"},
        {QWizard::NextButton, "Next"},
        {QWizard::FinishButton, "Finish"},
        {QWizard::CancelButton, "Cancel"}};
    for (const auto& [which, name] : names) button(which)->setObjectName(QString::fromLatin1(name));
}

NewPersonWizard::~NewPersonWizard() {
    if (worker_) worker_->stop();
    worker_.reset();
    live_->stopLive();
}

bool NewPersonWizard::withDevice() const {
    return env_.device.kind() != capture::Kind::None;
}

int NewPersonWizard::faceCount() const {
    return worker_ ? worker_->faceCount() : sheet_.faceCount();
}

bool NewPersonWizard::automaticPhase() const {
    return worker_ && worker_->automatic();
}

bool NewPersonWizard::leaveInfoPage() {
    const registration::UserInfo info = info_->get();
    sheet_.person().userId = info.userId;
    sheet_.person().name = info.name;
    sheet_.person().access = registration::accessOf(info);
    if (registration::checkNewUserId(base_, info.userId) != registration::UserIdCheck::Ok) {
        QMessageBox::warning(this, kCaption, QStringLiteral("User ID is not unique"));
        return false;
    }
    return true;
}

void NewPersonWizard::enterCapturePage() {
    progress_->setRange(0, registration::enrolmentTarget(settings_.personFaceNumber));
    progress_->setValue(faceCount());
    status_->clear();
    score_->setValue(0);
    fileLoaded_ = false;
    if (!withDevice()) {
        live_->hide();
        live_->label()->hide();
        updateCaptureButtons();
        return;
    }
    live_->show();
    live_->label()->show();
    const Connecting connecting(this);
    if (!worker_) {
        frames_ = std::make_unique<identify::PanelFrameSource>(live_->panel());
        view_ = std::make_unique<WorkerView>(*this);
        registration::EnrolmentSettings s;
        s.personFaceNumber = settings_.personFaceNumber;
        s.ownThreshold = settings_.ownThreshold;
        worker_ =
            std::make_unique<registration::EnrolmentWorker>(sheet_, *frames_, matcher_, *view_, s);
    }
    live_->startLive(true);
    worker_->start();
    if (worker_->automatic()) status_->setText(QStringLiteral("Verification. Please wait..."));
    updateCaptureButtons();
}

void NewPersonWizard::leaveCapturePage(bool discard) {
    if (worker_) {
        const Connecting connecting(this);
        worker_->stop();
        live_->stopLive();
        if (discard) worker_->discardFaces();
    }
    if (discard) {
        sheet_.clearFaces();
        captured_->panel().clear();
        progress_->setValue(0);
        status_->clear();
    }
    fileLoaded_ = false;
}

void NewPersonWizard::offered() {
    updateCaptureButtons();
}

void NewPersonWizard::added(int count) {
    progress_->setValue(count);
    capturePage_->changed();
}

void NewPersonWizard::complete() {
    if (currentId() == kCapturePage) next();
}

void NewPersonWizard::showScore(std::int32_t score) {
    score_->setValue(std::clamp(score, 0, kScoreTop));
}

void NewPersonWizard::pressCapture() {
    if (withDevice()) {
        if (!worker_ || !worker_->waiting()) return;
        capture_->setEnabled(false);
        skip_->setEnabled(false);
        const registration::AddOutcome out = worker_->add();
        if (out.rc != 0) {
            status_->setText(faceErrorText(out.rc));
        } else {
            added(out.faceCount);
        }
        if (out.automaticStarted) status_->setText(QStringLiteral("Verification. Please wait..."));
        updateCaptureButtons();
        if (out.complete) next();
        return;
    }
    if (!fileLoaded_) {
        const auto path = askFileName(this, FileMode::Open, FileKind::Image, lastPath_);
        if (path) {
            lastPath_ = *path;
            loadImage(*path);
        }
        return;
    }
    const int rc = sheet_.addFace(fileFrame_);
    fileLoaded_ = false;
    if (rc != 0) status_->setText(rc == registration::kFacesFull ? QString() : faceErrorText(rc));
    added(sheet_.faceCount());
    updateCaptureButtons();
}

bool NewPersonWizard::loadImage(const QString& path) {
    QString why;
    const auto frame = loadFrame(*captured_, path, &why);
    fileLoaded_ = frame.has_value();
    if (frame) fileFrame_ = *frame;
    status_->setText(why);
    updateCaptureButtons();
    return fileLoaded_;
}

void NewPersonWizard::pressSkip() {
    if (withDevice()) {
        if (worker_) worker_->skip();
    } else {
        fileLoaded_ = false;
        captured_->panel().clear();
    }
    updateCaptureButtons();
}

void NewPersonWizard::updateCaptureButtons() {
    if (withDevice()) {
        const bool manual = !worker_ || !worker_->automatic();
        const bool waiting = worker_ && worker_->waiting();
        capture_->setText(appText(appstrings::kButtonAdd));
        capture_->setVisible(manual);
        skip_->setVisible(manual);
        capture_->setEnabled(waiting);
        skip_->setEnabled(waiting);
        return;
    }
    capture_->setVisible(true);
    skip_->setVisible(true);
    capture_->setText(appText(fileLoaded_ ? appstrings::kButtonAdd : appstrings::kButtonCapture));
    capture_->setEnabled(fileLoaded_ || !sheet_.full());
    skip_->setEnabled(fileLoaded_);
}

void NewPersonWizard::fillSummary() {
    const persons::PersonRecord& p = sheet_.person();
    summary_->setText(QStringLiteral("User ID: %1\nFull name: %2\nCaptured faces: %3")
                          .arg(localText(p.userId), localText(p.name))
                          .arg(p.faceCount));
}

void NewPersonWizard::accept() {
    if (worker_) worker_->stop();
    const registration::UserInfo info = info_->get();
    registration::applyUserInfo(sheet_.person(), info);
    storeResult_ = storePerson(this, kCaption, base_, sheet_.person());
    if (stored_) stored_();
    QWizard::accept();
}

void NewPersonWizard::reject() {
    if (!info_->typedUserId().isEmpty() || !info_->name()->text().isEmpty()) {
        if (QMessageBox::question(this, kCaption,
                                  QStringLiteral("Do you realy want to terminate registration?"),
                                  QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    if (worker_) worker_->stop();
    live_->stopLive();
    QWizard::reject();
}

}  // namespace ui
