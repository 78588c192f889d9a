// Dialog 200 "Live Input": live preview in a framed video area, "Capture" and "Close".

#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "device_dialogs.h"
#include "library.h"
#include "operations.h"

namespace vfw {

namespace {

constexpr uint16_t kDialogRateMs = 40;

}  // namespace

int32_t runLiveDialog(void* owner, uint8_t* buffer, int32_t flags, const char* caption) {
    Library& lib = library();
    {
        LibraryLock lock(lib.mutex);
        if (!lib.initialised) return kNotInitialised;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        reportDialogFailure();
        return kFailed;
    }
    QDialog dialog(static_cast<QWidget*>(owner));
    dialog.setObjectName("200");
    dialog.setWindowTitle(caption != nullptr ? QString::fromLocal8Bit(caption) : "Live Input");
    auto* layout = new QVBoxLayout(&dialog);
    auto* area = new QFrame(&dialog);
    area->setObjectName("201");
    area->setFrameStyle(QFrame::Box | QFrame::Plain);
    area->setFixedSize(320, 240);
    layout->addWidget(area);
    const bool keepOpen = (flags & OVVFW_DLG_KEEP_OPEN) != 0;
    int32_t result = kCancelled;
    if (keepOpen) {
        auto* row = new QHBoxLayout;
        auto* capture = new QPushButton("Capture", &dialog);
        capture->setObjectName("Capture");
        auto* close = new QPushButton("Close", &dialog);
        close->setObjectName("Close");
        row->addStretch();
        row->addWidget(capture);
        row->addWidget(close);
        layout->addLayout(row);
        QObject::connect(capture, &QPushButton::clicked, &dialog, [&] {
            result = buffer != nullptr ? captureFrame(area, buffer, 256, 255) : kOk;
            dialog.done(QDialog::Accepted);
        });
        QObject::connect(close, &QPushButton::clicked, &dialog, [&] {
            result = kCancelled;
            dialog.done(QDialog::Rejected);
        });
    }
    {
        LibraryLock lock(lib.mutex);
        lib.dialog = DialogState{buffer, flags, false, area};
        lib.centreMark.store((flags & OVVFW_DLG_CENTRE_MARK) != 0);
    }
    // Preview starts once the dialog is up.
    QTimer::singleShot(0, &dialog, [&] {
        const uint16_t rate =
            kDialogRateMs | ((flags & OVVFW_DLG_CENTRE_MARK) ? OVVFW_RATE_CENTRE_MARK : 0);
        if (startPreview(area, rate, 1, nullptr, 0) != kOk) {
            result = kFailed;
            dialog.done(QDialog::Accepted);
            return;
        }
        {
            LibraryLock lock(lib.mutex);
            lib.dialog.previewing = true;
        }
        if (!keepOpen) {
            if (flags & OVVFW_DLG_SOURCE) showSourceDialog(&dialog);
            if (flags & OVVFW_DLG_FORMAT) showFormatDialog(&dialog);
            result = kOk;
            dialog.done(QDialog::Accepted);
        }
    });
    dialog.exec();
    {
        LibraryLock lock(lib.mutex);
        lib.dialog.previewing = false;
    }
    stopPreview(area);
    {
        LibraryLock lock(lib.mutex);
        lib.dialog = DialogState{};
    }
    return result;
}

}  // namespace vfw
