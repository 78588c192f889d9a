#include "registration/modify_sheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "file_dialog.h"
#include "registration/face_frames.h"
#include "registration/face_text.h"
#include "registration/profile_bars.h"
#include "registration/profiler.h"
#include "registration/store_person.h"
#include "registration/user_info_fields.h"
#include "texts.h"

namespace ui {

namespace {

constexpr int kFaceId = 430, kProbeId = 440;
constexpr std::uint8_t kPanelOptions = panels::kShowPicture | panels::kShowElements;
constexpr std::uint8_t kPanelMenu = panels::kAllowImage | panels::kAllowElements;
constexpr int kSlotRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;
const QString kCaption = QStringLiteral("Modify user");

persons::PersonRecord headerOf(const persons::PersonRecord& p) {
    persons::PersonRecord h;
    h.userId = p.userId;
    h.name = p.name;
    h.access = p.access;
    return h;
}

bool equalNoCase(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

ModifySheet::ModifySheet(const PanelEnvironment& environment, persons::PersonBase& base,
                         persons::PersonRecord person, Page first, std::function<void()> stored,
                         QWidget* parent)
    : QDialog(parent),
      env_(environment),
      base_(base),
      sheet_(std::move(person)),
      original_(headerOf(sheet_.person())),
      stored_(std::move(stored)) {
    setObjectName(QStringLiteral("Modify user"));
    setWindowTitle(QStringLiteral("Modify user"));
    setModal(true);
    info_ = new UserInfoFields;
    info_->setObjectName(QStringLiteral("PERSONPAGE1"));
    info_->set(registration::userInfoOf(sheet_.person()));
    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->addTab(info_, QStringLiteral("User information"));
    pages_->addTab(buildFacesPage(), QStringLiteral("Faces"));
    pages_->addTab(buildProfilerPage(), QStringLiteral("Face profiler"));
    pages_->setCurrentIndex(first);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    face_->attach();
    probe_->attach();
    refreshFaceList(0);
}

ModifySheet::~ModifySheet() {
    stopProfiler();
}

QWidget* ModifySheet::buildFacesPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PERSONPAGE2"));
    faces_ = new QTreeWidget;
    faces_->setObjectName(QStringLiteral("faces"));
    faces_->setHeaderLabels({QStringLiteral("Face"), QStringLiteral("Captured")});
    faces_->setRootIsDecorated(false);
    faces_->header()->setStretchLastSection(true);
    connect(faces_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        updateButtons();
        if (item == nullptr) return face_->panel().clear();
        const int slot = item->data(0, kSlotRole).toInt();
        face_->showFace(facePicture(*sheet_.person().faces[static_cast<std::size_t>(slot)]),
                        faceOfText(slot, sheet_.faceCount()));
    });
    connect(faces_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int col) {
        const int slot = item->data(0, kSlotRole).toInt();
        const auto& face = sheet_.person().faces[static_cast<std::size_t>(slot)];
        if (col == 0 && face && face->picture) {
            deleteImage(slot);
        } else {
            refreshFace(slot);
        }
    });
    face_ = new PanelView(QStringLiteral("Modify.face"), kFaceId, kPanelOptions, kPanelMenu, env_,
                          page);
    add_ = new QPushButton(QStringLiteral("&Add"));
    add_->setObjectName(QStringLiteral("Add"));
    refresh_ = new QPushButton(QStringLiteral("&Refresh"));
    refresh_->setObjectName(QStringLiteral("Refresh"));
    delete_ = new QPushButton(QStringLiteral("&Delete"));
    delete_->setObjectName(QStringLiteral("Delete"));
    storeImage_ = new QCheckBox(QStringLiteral("&Store image"));
    storeImage_->setObjectName(QStringLiteral("Store image"));
    storeImage_->setChecked(true);
    delImage_ = new QPushButton(QStringLiteral("Del &image"));
    delImage_->setObjectName(QStringLiteral("Del image"));
    connect(add_, &QPushButton::clicked, this, [this] { addFace(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { refreshFace(selectedSlot()); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteFace(selectedSlot()); });
    connect(delImage_, &QPushButton::clicked, this, [this] { deleteImage(selectedSlot()); });
    connect(storeImage_, &QCheckBox::toggled, this, [this](bool on) { sheet_.setStoreImage(on); });

    auto* buttons = new QVBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{add_, refresh_, delete_, storeImage_, delImage_})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* grid = new QGridLayout(page);
    grid->addWidget(faces_, 0, 0, 2, 1);
    grid->addWidget(face_, 0, 1);
    grid->addWidget(face_->label(), 1, 1);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(0, 1);
    return page;
}

QWidget* ModifySheet::buildProfilerPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("PERSONPAGE3"));
    probe_ = new PanelView(QStringLiteral("Profiler.probe"), kProbeId, kPanelOptions, kPanelMenu,
                           env_, page);
    captureProbe_ = new QPushButton(appText(appstrings::kButtonCapture));
    captureProbe_->setObjectName(QStringLiteral("Capture"));
    loadProbe_ = new QPushButton(QStringLiteral("Load"));
    loadProbe_->setObjectName(QStringLiteral("Load"));
    profile_ = new QPushButton(QStringLiteral("&Profile"));
    profile_->setObjectName(QStringLiteral("Profile"));
    optimize_ = new QPushButton(QStringLiteral("&Optimize"));
    optimize_->setObjectName(QStringLiteral("Optimize"));
    auto* sorts = new QMenu(optimize_);
    sorts->addAction(QStringLiteral("By &current scores"), this,
                     [this] { sortBy(registration::SortKey::Current); });
    sorts->addAction(QStringLiteral("By &average scores"), this,
                     [this] { sortBy(registration::SortKey::Average); });
    sorts->addAction(QStringLiteral("By &peak scores"), this,
                     [this] { sortBy(registration::SortKey::Peak); });
    sorts->addSeparator();
    sorts->addAction(QStringLiteral("&Reset"), this, [this] { resetStats(); });
    optimize_->setMenu(sorts);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("profile progress"));
    progress_->setFormat(QStringLiteral("%v"));
    progress_->setValue(0);
    bars_ = new ProfileBars(sheet_, page);
    bars_->setMenu([this](int slot) { return faceMenu(slot); });
    connect(captureProbe_, &QPushButton::clicked, this, [this] { captureProbe(); });
    connect(loadProbe_, &QPushButton::clicked, this, [this] {
        if (const auto path = askFileName(this, FileMode::Open, FileKind::Image, lastPath_)) {
            lastPath_ = *path;
            loadProbe(*path);
        }
    });
    connect(profile_, &QPushButton::clicked, this, [this] { profile(); });

    auto* buttons = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{captureProbe_, loadProbe_, profile_, optimize_})
        buttons->addWidget(w);
    auto* grid = new QGridLayout(page);
    grid->addWidget(probe_, 0, 0);
    grid->addWidget(probe_->label(), 1, 0);
    grid->addWidget(bars_, 0, 1, 2, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->addWidget(progress_, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page;
}

void ModifySheet::refreshFaceList(int select) {
    faces_->clear();
    const persons::PersonRecord& p = sheet_.person();
    for (int slot = 0; slot < p.faceCount; ++slot) {
        const persons::FaceRecord* face = p.faces[static_cast<std::size_t>(slot)].get();
        if (face == nullptr) continue;
        const QString entry = faceEntryText(*face, slot);
        auto* item = new QTreeWidgetItem(
            faces_,
            {QStringLiteral("Face %1").arg(slot + 1),
             captureTimeText(face->time) + QStringLiteral("   ") + captureDateText(face->time)});
        item->setIcon(0, style()->standardIcon(face->picture ? QStyle::SP_FileDialogContentsView
                                                             : QStyle::SP_FileIcon));
        item->setData(0, kSlotRole, slot);
        item->setData(0, kEntryRole, entry);
    }
    if (faces_->topLevelItemCount() > 0)
        faces_->setCurrentItem(
            faces_->topLevelItem(std::clamp(select, 0, faces_->topLevelItemCount() - 1)));
    else
        face_->panel().clear();
    bars_->updateGeometry();
    bars_->update();
    updateButtons();
}

int ModifySheet::selectedSlot() const {
    const QTreeWidgetItem* item = faces_->currentItem();
    return item == nullptr ? -1 : item->data(0, kSlotRole).toInt();
}

void ModifySheet::updateButtons() {
    const int slot = selectedSlot();
    const bool busy = profiling_;
    add_->setEnabled(!busy && !sheet_.full());
    refresh_->setEnabled(!busy && slot >= 0);
    delete_->setEnabled(!busy && slot >= 0);
    delImage_->setEnabled(!busy && slot >= 0 &&
                          sheet_.person().faces[static_cast<std::size_t>(slot)]->picture);
    profile_->setEnabled(!busy && probeFrame_.has_value() && sheet_.faceCount() > 0);
    optimize_->setEnabled(!busy && sheet_.faceCount() > 0);
    captureProbe_->setEnabled(!busy && env_.device.kind() != capture::Kind::None);
    loadProbe_->setEnabled(!busy);
}

bool ModifySheet::ask(const QString& caption, const QString& question) {
    return QMessageBox::question(this, caption, question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<identify::Probe> ModifySheet::newFrame() {
    QString why;
    auto frame = acquireFrame(*face_, env_.device, this, lastPath_, &why);
    if (!frame && !why.isEmpty()) QMessageBox::warning(this, kCaption, why);
    return frame;
}

void ModifySheet::addFace() {
    if (sheet_.full() || profiling_) return;
    const auto frame = newFrame();
    if (!frame) return refreshFaceList(selectedSlot());
    if (sheet_.addFace(*frame) == 0) refreshFaceList(sheet_.faceCount() - 1);
}

int ModifySheet::addFaceFromFile(const QString& path) {
    QString why;
    const auto frame = loadFrame(*face_, path, &why);
    if (!frame) return identify::kNoFaceFound;
    const int rc = sheet_.addFace(*frame);
    refreshFaceList(sheet_.faceCount() - 1);
    return rc;
}

void ModifySheet::refreshFace(int slot) {
    if (slot < 0 || slot >= sheet_.faceCount() || profiling_) return;
    if (!ask(QStringLiteral("Refresh face"),
             QStringLiteral("Do you realy want to refresh this face?")))
        return;
    const auto frame = newFrame();
    if (frame) sheet_.refreshFace(slot, *frame);
    refreshFaceList(slot);
}

void ModifySheet::deleteFace(int slot) {
    if (slot < 0 || slot >= sheet_.faceCount() || profiling_) return;
    if (!ask(QStringLiteral("Delete face"),
             QStringLiteral("Do you realy want to delete this record?")))
        return;
    sheet_.deleteFace(slot);
    refreshFaceList(slot);
}

void ModifySheet::deleteImage(int slot) {
    if (slot < 0 || slot >= sheet_.faceCount() || profiling_) return;
    if (!sheet_.person().faces[static_cast<std::size_t>(slot)]->picture) return;
    if (!ask(QStringLiteral("Delete image"),
             QStringLiteral("Do you realy want to delete image of this face?")))
        return;
    sheet_.deleteImage(slot);
    refreshFaceList(slot);
}

bool ModifySheet::loadProbe(const QString& path) {
    QString why;
    probeFrame_ = loadFrame(*probe_, path, &why);
    updateButtons();
    return probeFrame_.has_value();
}

void ModifySheet::captureProbe() {
    if (env_.device.kind() == capture::Kind::None) return;
    QString why;
    probeFrame_ = acquireFrame(*probe_, env_.device, this, lastPath_, &why);
    updateButtons();
}

void ModifySheet::profile() {
    if (profiling_ || !probeFrame_ || sheet_.faceCount() == 0) return;
    stopProfiler();
    profiling_ = true;
    running_ = true;
    progress_->setRange(0, sheet_.faceCount());
    progress_->setValue(0);
    updateButtons();
    // The worker only matches; the scores are recorded here, in order, on this thread.
    profiler_ = std::thread([this, probe = *probeFrame_] {
        const bool whole = registration::profileOnce(sheet_.person(), probe, matcher_, running_,
                                                     [this](int slot, std::int32_t score) {
                                                         QMetaObject::invokeMethod(
                                                             this,
                                                             [this, slot, score] {
                                                                 sheet_.recordScore(slot, score);
                                                                 progress_->setValue(slot + 1);
                                                                 bars_->update();
                                                             },
                                                             Qt::QueuedConnection);
                                                     });
        QMetaObject::invokeMethod(
            this,
            [this, whole] {
                if (whole) sheet_.endRun();
                profileDone();
            },
            Qt::QueuedConnection);
    });
}

void ModifySheet::profileDone() {
    if (profiler_.joinable()) profiler_.join();
    profiling_ = false;
    bars_->update();
    updateButtons();
}

void ModifySheet::stopProfiler() {
    running_ = false;
    if (profiler_.joinable()) profiler_.join();
    profiling_ = false;
}

void ModifySheet::sortBy(registration::SortKey key) {
    if (profiling_) return;
    sheet_.sortBy(key);
    refreshFaceList(0);
}

void ModifySheet::resetStats() {
    if (profiling_) return;
    sheet_.resetStats();
    bars_->update();
}

std::unique_ptr<QMenu> ModifySheet::faceMenu(int slot) {
    auto menu = std::make_unique<QMenu>(QStringLiteral("Face %1").arg(slot + 1));
    menu->setObjectName(QStringLiteral("Face %1").arg(slot + 1));
    menu->addSection(QStringLiteral("Face %1").arg(slot + 1));
    menu->addAction(QStringLiteral("&Refresh"), this, [this, slot] { refreshFace(slot); });
    menu->addAction(QStringLiteral("&Delete"), this, [this, slot] { deleteFace(slot); });
    if (!sheet_.full()) menu->addAction(QStringLiteral("&Add"), this, [this] { addFace(); });
    return menu;
}

void ModifySheet::accept() {
    if (profiling_) return;
    registration::UserInfo info = info_->get();
    switch (registration::checkModifiedUserId(base_, original_, info.userId)) {
        case registration::UserIdCheck::Empty:
            QMessageBox::warning(this, kCaption, QStringLiteral("User ID can not be pure."));
            return;
        case registration::UserIdCheck::NotUnique:
            QMessageBox::warning(this, kCaption, QStringLiteral("User ID is not unique."));
            return;
        case registration::UserIdCheck::BaseError:
        case registration::UserIdCheck::Ok:
            break;
    }
    registration::applyUserInfo(sheet_.person(), info);
    sheet_.person().modified = 1;
    storeResult_ = storePerson(this, kCaption, base_, sheet_.person());
    if (stored_) stored_();
    QDialog::accept();
}

void ModifySheet::reject() {
    const registration::UserInfo info = info_->get();
    const bool differs = !equalNoCase(localText(info.userId), localText(original_.userId)) ||
                         localText(info.name) != localText(original_.name) ||
                         registration::accessOf(info) != original_.access || sheet_.changed();
    if (differs && !ask(kCaption, QStringLiteral("Do you realy want to discard changes?"))) return;
    stopProfiler();
    QDialog::reject();
}

}  // namespace ui
