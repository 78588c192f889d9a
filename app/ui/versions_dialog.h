#pragma once
// The Versions dialog: the table engine's and the four libraries' version texts, and the
// current capture device.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

namespace ui {

// "%u.%03u" of the table engine's version number.
QString tableEngineVersion(std::uint32_t number);

// The dialog's rows (caption, text) in order.
std::vector<std::pair<QString, QString>> versionRows(std::uint32_t tableEngine,
                                                     const QString& device);

class VersionsDialog final : public QDialog {
  public:
    VersionsDialog(std::uint32_t tableEngine, const QString& device, QWidget* parent);
};

}  // namespace ui
