#include "versions_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "facelib/face_library.h"
#include "ovf32.h"
#include "ovio32.h"
#include "ovvfw32.h"

namespace ui {

namespace {

// The libraries write at most a short line; the buffer leaves ample room.
template <typename Fn>
QString versionText(Fn get) {
    char text[256] = {};
    get(text);
    text[sizeof text - 1] = '\0';
    return QString::fromLocal8Bit(text);
}

}  // namespace

QString tableEngineVersion(std::uint32_t number) {
    return QString::asprintf("%u.%03u", number / 1000, number % 1000);
}

std::vector<std::pair<QString, QString>> versionRows(std::uint32_t tableEngine,
                                                     const QString& device) {
    return {
        {QStringLiteral("Tablib DBF library version:"), tableEngineVersion(tableEngine)},
        {QStringLiteral("Facial Recognition library version:"),
         QString::fromStdString(facelib::version())},
        {QStringLiteral("Image Input/Output library version:"),
         versionText([](char* t) { OvIOGetVersion(t); })},
        {QStringLiteral("Framegrabber capture library version:"),
         versionText([](char* t) { OvfGetVersion(t); })},
        {QStringLiteral("Video For Windows Access library version:"),
         versionText([](char* t) { OvVFWGetVersion(t); })},
        {QStringLiteral("Framegrabber:"), device},
    };
}

VersionsDialog::VersionsDialog(std::uint32_t tableEngine, const QString& device, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("VERSIONS"));
    setWindowTitle(QStringLiteral("Versions"));
    auto* form = new QFormLayout;
    int row = 0;
    for (const auto& [caption, text] : versionRows(tableEngine, device)) {
        auto* value = new QLabel(text);
        value->setObjectName(QStringLiteral("version%1").arg(row++));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

}  // namespace ui
