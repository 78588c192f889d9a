#include "registration/user_info_fields.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "texts.h"

namespace ui {

UserInfoFields::UserInfoFields(QWidget* parent) : QWidget(parent) {
    userId_ = new QLineEdit;
    userId_->setObjectName(QStringLiteral("Unique User ID"));
    userId_->setMaxLength(20);
    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("Full name"));
    name_->setMaxLength(40);
    administrator_ = new QCheckBox(QStringLiteral("&Administrator"));
    administrator_->setObjectName(QStringLiteral("Administrator"));
    enabled_ = new QRadioButton(QStringLiteral("&Enabled (green)"));
    enabled_->setObjectName(QStringLiteral("Enabled (green)"));
    disabled_ = new QRadioButton(QStringLiteral("&Disabled (red)"));
    disabled_->setObjectName(QStringLiteral("Disabled (red)"));
    enabled_->setChecked(true);
    connect(userId_, &QLineEdit::textChanged, this, [this] {
        if (edited_) edited_();
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Unique &User ID:"), userId_);
    form->addRow(QStringLiteral("Full &name:"), name_);
    auto* access = new QGroupBox(QStringLiteral("Access"));
    auto* accessLayout = new QVBoxLayout(access);
    accessLayout->addWidget(administrator_);
    accessLayout->addWidget(enabled_);
    accessLayout->addWidget(disabled_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(access);
    layout->addStretch();
}

void UserInfoFields::set(const registration::UserInfo& info) {
    userId_->setText(localText(info.userId));
    name_->setText(localText(info.name));
    administrator_->setChecked(info.administrator);
    (info.enabled ? enabled_ : disabled_)->setChecked(true);
}

registration::UserInfo UserInfoFields::get() const {
    registration::UserInfo info;
    info.userId = registration::withoutLeadingBlanks(localBytes(userId_->text()));
    info.name = registration::withoutLeadingBlanks(localBytes(name_->text()));
    info.administrator = administrator_->isChecked();
    info.enabled = enabled_->isChecked();
    return info;
}

QString UserInfoFields::typedUserId() const {
    return userId_->text();
}

}  // namespace ui
