#include "identification.h"

#include <QComboBox>
#include <QLabel>

#include "main_window.h"

namespace ui {

namespace {

constexpr int kCountdownMs = 1000;
constexpr int kOutcomeShownMs = 5000;

const QColor kGreen(0, 200, 0);
const QColor kRed(230, 0, 0);

void colourText(QLabel* label, const QColor& colour, const QString& text) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setText(text);
}

}  // namespace

class Identification::Sounds final : public identify::SoundPlayer {
  public:
    explicit Sounds(std::function<void(const char*)> play) : play_(std::move(play)) {}
    void play(const char* name) override {
        if (play_) play_(name);
    }

  private:
    std::function<void(const char*)> play_;
};

// Hands each report of the worker to the user-interface thread.
class Identification::View final : public identify::RunView {
  public:
    explicit View(Identification& owner) : owner_(owner) {}

    void status(const std::string& text) override {
        post([this, t = QString::fromLocal8Bit(text.c_str())] { owner_.status_.setText(t); });
    }
    void clearPanels() override {
        post([this] {
            owner_.client_.match()->panel().clear();
            owner_.client_.found()->panel().clear();
            owner_.client_.matchScore()->setValue(0);
            owner_.client_.foundScore()->setValue(0);
        });
    }
    void scoreRange(int low, int high, int threshold) override {
        post([this, low, high, threshold] {
            owner_.threshold_ = threshold;
            for (QProgressBar* bar : {owner_.client_.matchScore(), owner_.client_.foundScore()}) {
                bar->setRange(low, high);
                bar->setToolTip(QStringLiteral("Threshold %1").arg(threshold));
            }
        });
    }
    void candidate(const identify::CandidateFace& face) override {
        post([this, picture = facePicture(face.face), label = label(face)] {
            owner_.client_.match()->showFace(picture, label);
        });
    }
    void best(const identify::CandidateFace& face) override {
        post([this, picture = facePicture(face.face), label = label(face), score = face.score] {
            owner_.client_.found()->showFace(picture, label);
            QProgressBar* bar = owner_.client_.foundScore();
            bar->setValue(std::clamp(score, bar->minimum(), bar->maximum()));
            owner_.client_.matchScore()->setValue(bar->value());
        });
    }
    void outcome(const identify::Outcome& outcome) override {
        post([this, outcome] { owner_.finished(outcome); });
    }

  private:
    template <typename Fn>
    void post(Fn&& fn) {
        QMetaObject::invokeMethod(&owner_, std::forward<Fn>(fn), Qt::QueuedConnection);
    }
    static QString label(const identify::CandidateFace& face) {
        return face.slot >= 0 ? QStringLiteral("Face %1").arg(face.slot + 1) : QString();
    }

    Identification& owner_;
};

Identification::Identification(AppContext& context, ClientArea& client, QLabel& status,
                               QComboBox& userBox, QObject* parent)
    : QObject(parent),
      ctx_(context),
      client_(client),
      status_(status),
      userBox_(userBox),
      frames_(client.live()->panel()),
      sounds_(std::make_unique<Sounds>(context.playSound)),
      view_(std::make_unique<View>(*this)),
      run_(std::make_unique<identify::IdentifyRun>(ctx_.base, frames_, matcher_, *view_, *sounds_,
                                                   clock_)) {
    countdown_.setInterval(kCountdownMs);
    connect(&countdown_, &QTimer::timeout, this, [this] { tick(); });
    backToLive_.setSingleShot(true);
    backToLive_.setInterval(kOutcomeShownMs);
    connect(&backToLive_, &QTimer::timeout, this, [this] { backToLive(); });
}

Identification::~Identification() {
    countdown_.stop();
    run_.reset();  // stops the run and joins its worker before the panels go
}

void Identification::toggle() {
    if (run_->running()) {
        run_->stop();
        return;
    }
    backToLive_.stop();
    const identify::RunSettings settings = identify::RunSettings::from(
        ctx_.settings, userBox_.currentText().toStdString(), /*showPictures=*/true);
    if (!run_->start(settings)) return;
    QPushButton* button = client_.actionButton();
    button->setText(QStringLiteral("Stop!"));
    button->setEnabled(true);
    client_.banner()->clear();
    client_.nameLine()->clear();
    countdown_.start();
    tick();
}

void Identification::tick() {
    const identify::TickResult r = run_->tick();
    if (run_->running() || r.stopped)
        colourText(client_.banner(), kGreen, QString::fromStdString(r.text));
}

void Identification::finished(const identify::Outcome& outcome) {
    countdown_.stop();
    colourText(client_.banner(), outcome.colour == identify::Colour::Green ? kGreen : kRed,
               QString::fromStdString(outcome.banner));
    status_.setText(QString::fromLocal8Bit(outcome.status.c_str()));
    const std::string& name = outcome.name.empty() ? outcome.userId : outcome.name;
    client_.nameLine()->setText(QString::fromLocal8Bit(name.c_str()));
    client_.actionButton()->setText(QStringLiteral("Go!"));
    backToLive_.start();
}

void Identification::backToLive() {
    client_.match()->panel().clear();
    client_.found()->panel().clear();
    client_.matchScore()->setValue(0);
    client_.foundScore()->setValue(0);
    client_.nameLine()->clear();
    client_.showDeviceBanner(ctx_.device.kind() != capture::Kind::None);
    status_.setText(QStringLiteral("Ready"));
}

}  // namespace ui
