#pragma once
// The "User information" fields of the wizard's first page and the modify sheet's first
// page: "Unique User ID" (20 characters), "Full name" (40), "Administrator" and the
// "Enabled (green)" / "Disabled (red)" choice. UI thread only.

#include <QWidget>
#include <functional>

#include "registration/sheet.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace ui {

class UserInfoFields final : public QWidget {
  public:
    explicit UserInfoFields(QWidget* parent = nullptr);

    void set(const registration::UserInfo& info);
    // The fields as typed; the user ID and name with their leading blanks removed.
    registration::UserInfo get() const;
    // The user ID exactly as typed.
    QString typedUserId() const;

    QLineEdit* userId() const { return userId_; }
    QLineEdit* name() const { return name_; }
    QCheckBox* administrator() const { return administrator_; }
    QRadioButton* enabled() const { return enabled_; }
    QRadioButton* disabled() const { return disabled_; }

    // Called after every edit of the user ID.
    void setEdited(std::function<void()> edited) { edited_ = std::move(edited); }

  private:
    QLineEdit* userId_;
    QLineEdit* name_;
    QCheckBox* administrator_;
    QRadioButton* enabled_;
    QRadioButton* disabled_;
    std::function<void()> edited_;
};

}  // namespace ui
