#pragma once
// The main window's identification and verification: the action button starts a run on a
// worker ("Go!" / "Stop!"), the count-down of the search time-out shows in green, the
// comparison and found panels and their score bars follow the run, and five seconds after
// the outcome the window returns to live video. UI thread only; the run's reports come back
// through queued calls.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "client_area.h"
#include "identify/identify_run.h"
#include "identify/library_seams.h"

class QComboBox;
class QLabel;

namespace ui {

struct AppContext;

class Identification final : public QObject {
  public:
    Identification(AppContext& context, ClientArea& client, QLabel& status, QComboBox& userBox,
                   QObject* parent);
    // Stops a running run and waits for its worker.
    ~Identification() override;

    // The action button: starts a run, or stops the one running.
    void toggle();
    bool running() const { return run_->running(); }
    // The outcome of the last run that ended.
    std::optional<identify::Outcome> lastOutcome() const { return run_->lastOutcome(); }

  private:
    class View;
    class Sounds;
    void tick();
    void finished(const identify::Outcome& outcome);
    void backToLive();

    AppContext& ctx_;
    ClientArea& client_;
    QLabel& status_;
    QComboBox& userBox_;
    identify::PanelFrameSource frames_;
    identify::LibraryFaceMatcher matcher_;
    identify::SteadyRunClock clock_;
    std::unique_ptr<Sounds> sounds_;
    std::unique_ptr<View> view_;
    std::unique_ptr<identify::IdentifyRun> run_;
    QTimer countdown_;   // timer 5
    QTimer backToLive_;  // timer 2
    int threshold_ = 0;
};

}  // namespace ui
