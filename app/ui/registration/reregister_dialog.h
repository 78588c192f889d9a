#pragma once
// "Re-processing user images": packs the person base and makes every face's descriptor
// again from its picture on a worker, with a progress bar; "Stop" ends the worker and waits
// for it. Closes itself at the end. Modal; UI thread only.

#include <QDialog>
#include <atomic>
#include <thread>

#include "persons/person_base.h"
#include "registration/reprocess.h"

class QProgressBar;
class QPushButton;

namespace ui {

class ReregisterDialog final : public QDialog {
  public:
    ReregisterDialog(persons::PersonBase& base, registration::ProcessPicture process,
                     QWidget* parent);
    ~ReregisterDialog() override;  // stops and joins the worker

    // Starts the worker and runs the dialog until the worker ends or Stop; the result.
    registration::ReprocessResult run();
    QProgressBar* progress() const { return progress_; }
    QPushButton* stopButton() const { return stop_; }
    void stop();

  protected:
    void reject() override;  // Escape or the close box: as Stop

  private:
    class View;
    void finished();

    persons::PersonBase& base_;
    registration::ProcessPicture process_;
    QProgressBar* progress_;
    QPushButton* stop_;
    std::atomic<bool> running_{false};
    std::thread worker_;
    registration::ReprocessResult result_;
};

}  // namespace ui
