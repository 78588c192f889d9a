#include "registration/reregister_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

// Lives on the worker's stack: the posted calls hold the dialog, never the view, which is
// gone when they run after the worker's end.
class ReregisterDialog::View final : public registration::ReprocessView {
  public:
    explicit View(ReregisterDialog& owner) : owner_(owner) {}
    void progressRange(std::uint32_t faces) override {
        QProgressBar* bar = owner_.progress_;
        QMetaObject::invokeMethod(
            &owner_, [bar, faces] { bar->setRange(0, static_cast<int>(std::max(faces, 1u))); },
            Qt::QueuedConnection);
    }
    void progress(std::uint32_t done) override {
        QProgressBar* bar = owner_.progress_;
        QMetaObject::invokeMethod(
            &owner_, [bar, done] { bar->setValue(static_cast<int>(done)); }, Qt::QueuedConnection);
    }

  private:
    ReregisterDialog& owner_;
};

ReregisterDialog::ReregisterDialog(persons::PersonBase& base, registration::ProcessPicture process,
                                   QWidget* parent)
    : QDialog(parent), base_(base), process_(std::move(process)) {
    setObjectName(QStringLiteral("REREGISTERDLG"));
    setWindowTitle(QStringLiteral("Re-processing user images"));
    setModal(true);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setValue(0);
    stop_ = new QPushButton(QStringLiteral("Stop"));
    stop_->setObjectName(QStringLiteral("Stop"));
    connect(stop_, &QPushButton::clicked, this, [this] { stop(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Re-processing user images")));
    layout->addWidget(progress_);
    layout->addWidget(stop_, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
}

ReregisterDialog::~ReregisterDialog() {
    running_ = false;
    if (worker_.joinable()) worker_.join();
}

registration::ReprocessResult ReregisterDialog::run() {
    running_ = true;
    worker_ = std::thread([this] {
        View view(*this);
        result_ = registration::reprocessBase(base_, process_, view, running_);
        QMetaObject::invokeMethod(
            this, [this] { finished(); }, Qt::QueuedConnection);
    });
    exec();
    running_ = false;
    if (worker_.joinable()) worker_.join();
    return result_;
}

void ReregisterDialog::stop() {
    running_ = false;
    stop_->setEnabled(false);
    if (worker_.joinable()) worker_.join();  // ends within one face
    QDialog::reject();
}

void ReregisterDialog::reject() {
    stop();
}

void ReregisterDialog::finished() {
    if (worker_.joinable()) worker_.join();
    if (isVisible()) QDialog::accept();
}

}  // namespace ui
