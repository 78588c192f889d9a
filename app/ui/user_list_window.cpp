#include "user_list_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "file_dialog.h"
#include "registration/browse_page.h"
#include "texts.h"

namespace ui {

namespace {

constexpr int kProbeId = 310, kFaceId = 320;
constexpr int kPersonRole = Qt::UserRole;
constexpr int kSlotRole = Qt::UserRole + 1;
constexpr std::uint8_t kSearchOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kSearchMenu = panels::kAllowImage | panels::kAllowElements;

}  // namespace

// Hands the search's reports to the user-interface thread.
class UserListWindow::View final : public identify::SearchView {
  public:
    explicit View(UserListWindow& owner) : owner_(owner) {}
    void progressRange(int faces) override {
        post([this, faces] {
            owner_.progress_->setRange(0, std::max(faces, 1));
            owner_.progress_->setValue(0);
        });
    }
    void progress(int matched) override {
        post([this, matched] { owner_.progress_->setValue(matched); });
    }
    void candidate(const identify::CandidateFace& face) override {
        post([this, picture = facePicture(face.face)] {
            owner_.face_->showFace(picture, QString());
        });
    }
    void finished(const identify::SearchResult& result) override {
        post([this, result] { owner_.finished(result); });
    }

  private:
    template <typename Fn>
    void post(Fn&& fn) {
        QMetaObject::invokeMethod(&owner_, std::forward<Fn>(fn), Qt::QueuedConnection);
    }
    UserListWindow& owner_;
};

UserListWindow::UserListWindow(const PanelEnvironment& environment, persons::PersonBase& base,
                               const settings::AppSettings& settings, QWidget* parent)
    : QDialog(parent), env_(environment), base_(base), settings_(settings) {
    setObjectName(QStringLiteral("USERLIST"));
    setWindowTitle(QStringLiteral("User list"));
    setModal(false);
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("user list pages"));
    browse_ = new BrowsePage(
        env_, base_, settings_,
        [this] {
            refreshUsers();
            if (changed_) changed_();
        },
        nullptr);
    pages_->addTab(browse_, QStringLiteral("Browse registered users"));
    pages_->addTab(buildSearchPage(), QStringLiteral("Search a person"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    view_ = std::make_unique<View>(*this);
    run_ = std::make_unique<identify::SearchRun>(base_, matcher_, *view_);
    updateButtons();
}

UserListWindow::~UserListWindow() {
    run_.reset();  // the worker reads the base and reports to this window
}

QWidget* UserListWindow::buildSearchPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("SEARCHPAGE"));
    probe_ = new PanelView(QStringLiteral("Search.capture"), kProbeId, kSearchOptions, kSearchMenu,
                           env_, page);
    face_ = new PanelView(QStringLiteral("Search.face"), kFaceId, kSearchOptions, kSearchMenu, env_,
                          page);
    live_ = new QPushButton(appText(appstrings::kButtonCapture));
    live_->setObjectName(QStringLiteral("live"));
    load_ = new QPushButton(QStringLiteral("Load"));
    load_->setObjectName(QStringLiteral("Load"));
    search_ = new QPushButton(QStringLiteral("&Search"));
    search_->setObjectName(QStringLiteral("Search"));
    connect(live_, &QPushButton::clicked, this, [this] { toggleLive(); });
    connect(load_, &QPushButton::clicked, this, [this] {
        if (const auto path = askFileName(this, FileMode::Open, FileKind::Image, QString()))
            loadProbe(*path);
    });
    connect(search_, &QPushButton::clicked, this, [this] { toggleSearch(); });

    userIds_ = new QComboBox;
    userIds_->setObjectName(QStringLiteral("Optional User ID"));
    userIds_->setEditable(true);
    auto* userLabel = new QLabel(QStringLiteral("Optional &User ID:"));
    userLabel->setBuddy(userIds_);
    stopAfterFirst_ = new QCheckBox(QStringLiteral("Stop after first matched user"));
    stopAfterFirst_->setObjectName(QStringLiteral("Stop after first matched user"));
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setValue(0);
    results_ = new QTreeWidget;
    results_->setObjectName(QStringLiteral("results"));
    results_->setHeaderLabels(
        {QStringLiteral("Rank"), QStringLiteral("User ID"), QStringLiteral("Score")});
    results_->header()->setStretchLastSection(false);
    results_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    connect(results_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            showFace(item->data(0, kPersonRole).toUInt(), item->data(0, kSlotRole).toInt());
    });
    counter_ = new QLabel;
    counter_->setObjectName(QStringLiteral("counter"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(live_);
    buttons->addWidget(load_);
    buttons->addStretch();
    buttons->addWidget(search_);
    auto* user = new QHBoxLayout;
    user->addWidget(userLabel);
    user->addWidget(userIds_, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(user);
    right->addWidget(stopAfterFirst_);
    right->addWidget(results_, 1);
    right->addWidget(counter_);
    right->addWidget(progress_);
    auto* grid = new QGridLayout(page);
    grid->addWidget(probe_, 0, 0);
    grid->addWidget(face_, 0, 1);
    grid->addWidget(probe_->label(), 1, 0);
    grid->addWidget(face_->label(), 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->addLayout(right, 0, 2, 3, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

void UserListWindow::refreshUsers() {
    const QString current = userIds_->currentText();
    userIds_->clear();
    userIds_->addItem(QStringLiteral("(All)"));
    base_.forEachPerson([this](persons::PersonRecord& p) {
        userIds_->addItem(localText(p.userId).trimmed());
        return true;
    });
    userIds_->setCurrentText(current.isEmpty() ? QStringLiteral("(All)") : current);
}

void UserListWindow::showBrowse() {
    browse_->refresh();
    pages_->setCurrentWidget(browse_);
    show();
    raise();
    activateWindow();
}

void UserListWindow::showSearch() {
    refreshUsers();
    pages_->setCurrentIndex(1);
    show();
    raise();
    activateWindow();
    if (!frozen_ && !probe_->panel().live() && env_.device.kind() != capture::Kind::None) {
        probe_->startLive(true);
        live_->setText(appText(appstrings::kButtonCapture));
    }
    updateButtons();
}

void UserListWindow::deviceChanged() {
    if (probe_->panel().live()) {
        probe_->stopLive();
        if (isVisible() && env_.device.kind() != capture::Kind::None) probe_->startLive(true);
    }
    updateButtons();
}

void UserListWindow::toggleLive() {
    if (frozen_ || !probe_->panel().live()) {
        frozen_ = false;
        if (env_.device.kind() != capture::Kind::None) probe_->startLive(true);
        live_->setText(appText(appstrings::kButtonCapture));
        updateButtons();
        return;
    }
    // The latest processed frame becomes the probe.
    identify::Probe probe;
    if (!probe_->panel().waitProcessedFrame(probe.picture.data(), probe.descriptor.data())) {
        counter_->setText(faceErrorText(identify::kNoFaceFound));
        return;
    }
    probe_->stopLive();
    probe_->panel().showPicture(probe.picture.data(), probe.descriptor.data(),
                                std::string(appstrings::appString(appstrings::kCapturedImage)));
    probeFrame_ = std::move(probe);
    frozen_ = true;
    live_->setText(appText(appstrings::kButtonLive));
    updateButtons();
}

int UserListWindow::loadProbe(const QString& path) {
    probe_->stopLive();
    frozen_ = false;
    panels::ImagePanel& panel = probe_->panel();
    int rc = panel.loadFile(path.toStdString());
    if (rc == 0) rc = panel.process();
    if (rc == 0) {
        const panels::ImagePanel::Snapshot s = panel.snapshot();
        std::copy(s.picture.begin(), s.picture.end(), probeFrame_.picture.begin());
        panel.copyDescriptor(probeFrame_.descriptor.data());
        frozen_ = true;
        live_->setText(appText(appstrings::kButtonLive));
    } else {
        counter_->setText(faceErrorText(rc));
    }
    updateButtons();
    return rc;
}

void UserListWindow::toggleSearch() {
    if (searching_) {
        run_->stop();
        return;
    }
    if (!frozen_) return;
    results_->clear();
    counter_->clear();
    const identify::SearchSettings settings = identify::SearchSettings::from(
        settings_, userIds_->currentText().toStdString(), stopAfterFirst_->isChecked(), true);
    if (!run_->start(probeFrame_, settings)) return;
    searching_ = true;
    search_->setText(QStringLiteral("&Stop"));
    updateButtons();
}

void UserListWindow::finished(const identify::SearchResult& result) {
    searching_ = false;
    search_->setText(QStringLiteral("&Search"));
    updateButtons();
    if (result.end == identify::SearchEnd::UserNotFound) {
        QMessageBox::information(this, QStringLiteral("Search"),
                                 QStringLiteral("The specified user ID not found"));
        return;
    }
    if (result.end == identify::SearchEnd::BaseError) {
        counter_->setText(faceErrorText(result.error));
        return;
    }
    auto addPerson = [this](const identify::SearchCandidate& c, const QString& rank) {
        auto* item = new QTreeWidgetItem(results_,
                                         {rank, localText(c.userId), QString::number(c.bestScore)});
        const int bestSlot =
            c.faces.empty() ? 0 : c.faces[static_cast<std::size_t>(c.bestFace)].slot;
        item->setData(0, kPersonRole, c.personId);
        item->setData(0, kSlotRole, bestSlot);
        for (const identify::MatchedFace& f : c.faces) {
            auto* face = new QTreeWidgetItem(
                item,
                {QString(), QStringLiteral("Face %1").arg(f.slot + 1), QString::number(f.score)});
            face->setData(0, kPersonRole, c.personId);
            face->setData(0, kSlotRole, f.slot);
        }
        item->setExpanded(true);
        return item;
    };
    int rank = 0;
    for (const identify::SearchCandidate& c : result.candidates)
        addPerson(c, QString::number(++rank));
    if (result.candidates.empty() && result.bestStranger)
        addPerson(*result.bestStranger, QString());
    if (results_->topLevelItemCount() > 0) results_->setCurrentItem(results_->topLevelItem(0));
    counter_->setText(QString::fromStdString(result.counter));
}

void UserListWindow::showFace(std::uint32_t personId, int slot) {
    persons::PersonRecord person;
    if (base_.findById(personId, person) != 0 || base_.loadFaces(person) != 0) return;
    base_.loadFaceImages(person);
    if (slot < 0 || static_cast<std::size_t>(slot) >= person.faces.size() || !person.faces[slot])
        return;
    face_->showFace(facePicture(*person.faces[static_cast<std::size_t>(slot)]),
                    localText(person.userId).trimmed());
}

void UserListWindow::updateButtons() {
    const bool running = searching_;
    search_->setEnabled(frozen_ || running);
    live_->setEnabled(!running && env_.device.kind() != capture::Kind::None);
    load_->setEnabled(!running);
}

void UserListWindow::hideEvent(QHideEvent* event) {
    if (run_->running()) run_->stop();
    probe_->stopLive();
    QDialog::hideEvent(event);
}

}  // namespace ui
