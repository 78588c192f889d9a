#include "file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace ui {

namespace {

// Hides the files that cannot be written; folders stay.
class HideReadOnly final : public QSortFilterProxyModel {
  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isWritable();
    }
};

// The shown text, then the patterns the dialog filters by: both cases of each extension,
// since file names here are case-sensitive. The dialog shows only the text before them.
QString filter(const QString& shown, const QStringList& extensions) {
    if (extensions.isEmpty()) return shown + QStringLiteral(" (*)");
    QStringList patterns;
    for (const QString& e : extensions) patterns << "*." + e << "*." + e.toUpper();
    return shown + QStringLiteral(" (") + patterns.join(' ') + ')';
}

}  // namespace

QString fileDialogTitle(FileMode mode, FileKind kind) {
    return QString(mode == FileMode::Open ? "Open " : "Specify ") +
           (kind == FileKind::Image ? "Image file" : "Log file");
}

QStringList fileDialogFilters(FileKind kind) {
    if (kind == FileKind::Image)
        return {QStringLiteral("Image files (*.tif;*.pic;*.bmp)"),
                QStringLiteral("All files (*.*)")};
    return {QStringLiteral("Log files (*.log)"), QStringLiteral("All files (*.*)")};
}

std::optional<QString> askFileName(QWidget* parent, FileMode mode, FileKind kind,
                                   const QString& path) {
    QFileDialog dialog(parent, fileDialogTitle(mode, kind));
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setProxyModel(new HideReadOnly);
    dialog.setAcceptMode(mode == FileMode::Open ? QFileDialog::AcceptOpen
                                                : QFileDialog::AcceptSave);
    dialog.setFileMode(mode == FileMode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList shown = fileDialogFilters(kind);
    const QStringList own =
        kind == FileKind::Image ? QStringList{"tif", "pic", "bmp"} : QStringList{"log"};
    dialog.setNameFilters({filter(shown[0], own), filter(shown[1], {})});
    const QFileInfo start(path);
    if (!path.isEmpty()) {
        dialog.setDirectory(start.isDir() ? start.absoluteFilePath() : start.absolutePath());
        if (!start.isDir()) dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QFileInfo chosen(dialog.selectedFiles().front());
    if (!chosen.absoluteDir().exists()) return std::nullopt;
    if (mode == FileMode::Open && !chosen.isFile()) return std::nullopt;
    return chosen.absoluteFilePath();
}

}  // namespace ui
