#pragma once
// Remote control of the windows through the instance socket, for end-to-end tests: the
// requests "ui windows", "ui press NAME", "ui set NAME TEXT", "ui text NAME",
// "ui answer BUTTON", "ui tab NAME INDEX", "ui row NAME ROW" and "ui dblclick NAME ROW
// COLUMN" find a visible control by its object name (the active modal window first) and act
// on it as the user would. A text of several lines comes back with them joined by " / ". The shell
// takes them only when OVFC_AUTOMATION=1. UI thread only.

#include <QByteArray>

namespace ui {

// Whether this process takes "ui" requests (OVFC_AUTOMATION=1).
bool automationEnabled();

// The answer to one "ui ..." request (the text after "ui "): "ok", a value, a JSON list, or
// "no such control" / "bad request". Presses run after the answer is sent, so that a
// modal window they open does not hold the answer back.
QByteArray automationAnswer(const QByteArray& request);

}  // namespace ui
