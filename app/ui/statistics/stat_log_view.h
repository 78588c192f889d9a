#pragma once
// The statistics window's view of a log file: every line of the file, decoded from code
// page 437, in a list with a fixed-width font ("Courier", 15 pixels, normal weight), and a
// button that closes the view. UI thread only.

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace ui {

class StatLogView final : public QWidget {
  public:
    explicit StatLogView(QWidget* parent = nullptr);

    enum class LoadResult { Ok, CannotOpen, BadFormat };
    // Reads the log file into the list. A file that cannot be read or whose first line does
    // not begin with ten 0xC4 bytes leaves the list as it was.
    LoadResult load(const QString& path);

    QListWidget* lines() const { return lines_; }
    QPushButton* closeButton() const { return close_; }

  private:
    QListWidget* lines_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace ui
