#pragma once
// The application's one file dialog: open or save, an image or a log file. The dialog
// starts in the folder of the given path, hides read-only files, wants an existing folder
// (and, when opening, an existing file) and returns the chosen full path, or nothing when
// cancelled. UI thread only.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace ui {

enum class FileMode { Open, Save };
enum class FileKind { Image, Log };

// "Open Image file", "Specify Log file", ...
QString fileDialogTitle(FileMode mode, FileKind kind);
// The name filters shown, in order: the kind's own, then "All files (*.*)".
QStringList fileDialogFilters(FileKind kind);

std::optional<QString> askFileName(QWidget* parent, FileMode mode, FileKind kind,
                                   const QString& path);

}  // namespace ui
