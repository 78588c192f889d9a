#pragma once
// Storing a person from a registration window: the store, and on failure a message with its
// code under the window's caption. UI thread only.

#include <QString>

#include "persons/person_base.h"

class QWidget;

namespace ui {

// The person base's result (0 when stored).
int storePerson(QWidget* parent, const QString& caption, persons::PersonBase& base,
                persons::PersonRecord& person);

}  // namespace ui
