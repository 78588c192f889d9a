// Dialog 100 "Select Input Device".

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdio>

#include "library.h"
#include "operations.h"

namespace vfw {

void reportDialogFailure() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMessageBox::critical(nullptr, "OvVFW32.Dll", "Can not create dialog box!");
    } else {
        std::fprintf(stderr, "OvVFW32.Dll: Can not create dialog box!\n");
    }
}

int32_t runSelectDialog() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        reportDialogFailure();
        return kFailed;
    }
    Library& lib = library();
    int32_t current;
    {
        LibraryLock lock(lib.mutex);
        current = lib.selected;
    }
    const auto devices = enumerateDevices();

    QDialog dialog;
    dialog.setObjectName("100");
    dialog.setWindowTitle("Select Input Device");
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QComboBox(&dialog);
    list->setObjectName("101");
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    int shown = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
        const auto& d = devices[i];
        list->addItem(
            QString::asprintf("%d. : %s (%s)", d.index + 1, d.name.c_str(), d.version.c_str()));
        if (d.index == current) shown = static_cast<int>(i);
    }
    list->setCurrentIndex(devices.empty() ? -1 : shown);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!devices.empty());

    dialog.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog.move(screen->geometry().center() - dialog.rect().center());
    }
    if (dialog.exec() != QDialog::Accepted) return kCancelled;

    // The leading number of the chosen line is the 1-based driver index.
    bool ok = false;
    const int number = list->currentText().section('.', 0, 0).toInt(&ok);
    if (!ok || number < 1) return kFailed;
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    lib.selected = number - 1;
    return kOk;
}

}  // namespace vfw
