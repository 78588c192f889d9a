#include "registration/store_person.h"

#include <QMessageBox>

namespace ui {

int storePerson(QWidget* parent, const QString& caption, persons::PersonBase& base,
                persons::PersonRecord& person) {
    const int rc = base.storePerson(person);
    if (rc != 0)
        QMessageBox::warning(parent, caption,
                             QStringLiteral("The person could not be stored (error %1).").arg(rc));
    return rc;
}

}  // namespace ui
