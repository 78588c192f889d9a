#include "registration/browse_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "facelib/face_library.h"
#include "registration/face_text.h"
#include "registration/new_person_wizard.h"
#include "registration/reregister_dialog.h"
#include "registration/store_person.h"
#include "registration/user_info_fields.h"
#include "texts.h"

namespace ui {

namespace {

constexpr int kFaceId = 330;
constexpr std::uint8_t kPanelOptions = panels::kShowPicture;
constexpr std::uint8_t kPanelMenu = panels::kAllowImage;
constexpr int kIdRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;

// The access bitmap: a gold mark for an administrator, green / red for enabled / disabled.
QIcon accessIcon(bool on, const QColor& onColour, const QColor& offColour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::darkGray);
    p.setBrush(on ? onColour : offColour);
    p.drawEllipse(1, 1, 10, 10);
    return QIcon(pixmap);
}

}  // namespace

BrowsePage::BrowsePage(const PanelEnvironment& environment, persons::PersonBase& base,
                       const settings::AppSettings& settings, std::function<void()> changed,
                       QWidget* parent)
    : QWidget(parent),
      env_(environment),
      base_(base),
      settings_(settings),
      changed_(std::move(changed)),
      run_([](QDialog& d) { return d.exec(); }) {
    setObjectName(QStringLiteral("BROWSEDIALOG"));
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("users"));
    list_->setHeaderLabels({QStringLiteral("Adm"), QStringLiteral("Ena"), QStringLiteral("User ID"),
                            QStringLiteral("Full name")});
    list_->setRootIsDecorated(false);
    list_->header()->setSectionResizeMode(kAdminColumn, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(kEnabledColumn, QHeaderView::ResizeToContents);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { selected(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int column) { doubleClicked(column); });
    counter_ = new QLabel;
    counter_->setObjectName(QStringLiteral("Record"));
    face_ = new PanelView(QStringLiteral("Browse.face"), kFaceId, kPanelOptions, kPanelMenu, env_,
                          this);
    faceCaption_ = new QLabel;
    faceCaption_->setObjectName(QStringLiteral("face caption"));
    faceTime_ = new QLabel;
    faceTime_->setObjectName(QStringLiteral("face time"));

    struct Command {
        const char* text;
        const char* name;
        std::function<void()> run;
    };
    const Command commands[] = {
        {"&New", "New", [this] { newPerson(); }},
        {"&Modify", "Modify", [this] { modify(); }},
        {"&Profile", "Profile", [this] { modify(ModifySheet::kProfilerPage); }},
        {"&Delete", "Delete", [this] { deletePerson(); }},
        {"Reprocessing", "Reprocessing", [this] { reprocess(); }},
        {"<< Previous <<", "Previous", [this] { previousFace(); }},
        {">>    Next    >>", "Next", [this] { nextFace(); }},
    };
    for (const Command& c : commands) {
        auto* b = new QPushButton(QString::fromLatin1(c.text));
        b->setObjectName(QString::fromLatin1(c.name));
        connect(b, &QPushButton::clicked, this, c.run);
        buttons_.push_back(b);
    }

    auto* side = new QVBoxLayout;
    for (int k = 0; k < 5; ++k) side->addWidget(buttons_[static_cast<std::size_t>(k)]);
    side->addStretch();
    side->addWidget(new QLabel(QStringLiteral("Record:")));
    side->addWidget(counter_);
    auto* steps = new QHBoxLayout;
    steps->addWidget(button(QStringLiteral("Previous")));
    steps->addWidget(button(QStringLiteral("Next")));
    auto* faceBox = new QVBoxLayout;
    faceBox->addWidget(face_);
    faceBox->addWidget(faceCaption_);
    faceBox->addWidget(faceTime_);
    faceBox->addLayout(steps);
    faceBox->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(faceBox);
    layout->addLayout(side);
    refresh();
}

QPushButton* BrowsePage::button(const QString& objectName) const {
    for (QPushButton* b : buttons_)
        if (b->objectName() == objectName) return b;
    return nullptr;
}

void BrowsePage::refresh() {
    const QString keep = selectedUserId();
    list_->clear();
    base_.forEachPerson([this](persons::PersonRecord& p) {
        auto* item = new QTreeWidgetItem(list_);
        item->setIcon(kAdminColumn, accessIcon((p.access & persons::kAccessAdmin) != 0,
                                               QColor(230, 180, 0), Qt::white));
        item->setIcon(kEnabledColumn, accessIcon((p.access & persons::kAccessEnabled) != 0,
                                                 QColor(0, 170, 0), QColor(200, 0, 0)));
        item->setText(kUserIdColumn, localText(p.userId).trimmed());
        item->setText(kNameColumn, localText(p.name));
        item->setData(0, kIdRole, p.id);
        item->setData(0, kEntryRole, personEntryText(p));
        return true;
    });
    if (!select(keep) && list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    selected();
}

bool BrowsePage::select(const QString& userId) {
    if (userId.isEmpty()) return false;
    for (int k = 0; k < list_->topLevelItemCount(); ++k) {
        QTreeWidgetItem* item = list_->topLevelItem(k);
        if (item->text(kUserIdColumn).compare(userId, Qt::CaseInsensitive) == 0) {
            list_->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

std::uint32_t BrowsePage::selectedId() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item == nullptr ? 0 : item->data(0, kIdRole).toUInt();
}

QString BrowsePage::selectedUserId() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item == nullptr ? QString() : item->text(kUserIdColumn);
}

void BrowsePage::selected() {
    const int n = list_->topLevelItemCount();
    QTreeWidgetItem* item = list_->currentItem();
    counter_->setText(
        item == nullptr
            ? QString()
            : QStringLiteral("%1 of %2").arg(list_->indexOfTopLevelItem(item) + 1).arg(n));
    shown_ = persons::PersonRecord();
    faceSlot_ = 0;
    if (item != nullptr && base_.findById(selectedId(), shown_) == 0) {
        base_.loadFaces(shown_);
        base_.loadFaceImages(shown_);
    }
    for (const char* name : {"Modify", "Profile", "Delete"})
        button(QString::fromLatin1(name))->setEnabled(item != nullptr);
    showFace();
}

void BrowsePage::showFace() {
    const int count = shown_.faceCount;
    faceCaption_->setText(faceOfText(faceSlot_, count));
    const persons::FaceRecord* face =
        count > 0 ? shown_.faces[static_cast<std::size_t>(faceSlot_)].get() : nullptr;
    if (face == nullptr) {
        face_->panel().clear();
        faceTime_->clear();
    } else {
        face_->showFace(facePicture(*face), QString());
        faceTime_->setText(captureTimeText(face->time) + QStringLiteral("  ") +
                           captureDateText(face->time));
    }
    button(QStringLiteral("Previous"))->setEnabled(faceSlot_ > 0);
    button(QStringLiteral("Next"))->setEnabled(faceSlot_ + 1 < count);
}

void BrowsePage::previousFace() {
    if (faceSlot_ > 0) --faceSlot_;
    showFace();
}

void BrowsePage::nextFace() {
    if (faceSlot_ + 1 < shown_.faceCount) ++faceSlot_;
    showFace();
}

void BrowsePage::newPerson() {
    QString storedId;
    NewPersonWizard wizard(
        env_, base_, settings_,
        [this] {
            if (changed_) changed_();
        },
        this);
    if (run_(wizard) == QDialog::Accepted) storedId = localText(wizard.sheetUserId());
    refresh();
    select(storedId);
}

void BrowsePage::modify(ModifySheet::Page first) {
    persons::PersonRecord person;
    if (base_.findById(selectedId(), person) != 0) return;
    base_.loadFaces(person);
    base_.loadFaceImages(person);
    ModifySheet sheet(
        env_, base_, std::move(person), first,
        [this] {
            if (changed_) changed_();
        },
        this);
    const bool stored = run_(sheet) == QDialog::Accepted;
    const QString id = stored ? localText(sheet.sheet().person().userId) : selectedUserId();
    refresh();
    select(id);
}

void BrowsePage::deletePerson() {
    const QString userId = selectedUserId();
    if (userId.isEmpty()) return;
    if (QMessageBox::question(this, QStringLiteral("Are you sure?"),
                              QStringLiteral("Confirm deletion of person \"%1\".").arg(userId),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const int rc = base_.deletePerson(localBytes(userId));
    if (rc != 0)
        QMessageBox::warning(this, QStringLiteral("Delete"),
                             QStringLiteral("The person could not be deleted (error %1).").arg(rc));
    refresh();
    if (changed_) changed_();
}

void BrowsePage::doubleClicked(int column) {
    if (column != kAdminColumn && column != kEnabledColumn) return modify();
    persons::PersonRecord person;
    if (base_.findById(selectedId(), person) != 0) return;
    person.access ^= column == kAdminColumn ? persons::kAccessAdmin : persons::kAccessEnabled;
    person.modified = 1;
    // Only the person record is written: its faces are not loaded.
    storePerson(this, QStringLiteral("Access"), base_, person);
    refresh();
    if (changed_) changed_();
}

void BrowsePage::setBusy(bool busy) {
    for (QPushButton* b : buttons_) b->setEnabled(!busy);
    list_->setEnabled(!busy);
}

void BrowsePage::reprocess() {
    if (QMessageBox::question(
            this, QStringLiteral("Re-registration"),
            QStringLiteral("This operation could take a few minutes.\nDo you realy want to "
                           "continue?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    setBusy(true);
    {
        ReregisterDialog dialog(
            base_,
            [](const std::uint8_t* picture, std::uint16_t w, std::uint16_t h,
               std::uint8_t* descriptor) { return facelib::process(picture, w, h, descriptor); },
            this);
        const registration::ReprocessResult r = dialog.run();
        if (r.rc != 0)
            QMessageBox::warning(this, QStringLiteral("Re-registration"),
                                 QStringLiteral("Re-registration ended with error %1.").arg(r.rc));
    }
    setBusy(false);
    refresh();
    if (changed_) changed_();
}

}  // namespace ui
