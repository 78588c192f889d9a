#pragma once
// The "Generate statistics" window: the two image sets (paths, masks, "Use user list"), the
// run's options, the progress fields, the panels "Statistic.left" (the current sample) and
// "Statistic.right" (the current registered image), Start / Stop / Continue, Step, Finish,
// the log file it writes at the end, and the view of that log.
//
// The run goes on a worker thread (stats::StatWorker); the window only starts, stops,
// continues, steps and finishes it, and the worker's reports come back through queued
// calls, so the window stays responsive. Modeless; UI thread only.
// Ownership: the environment's objects and the person base are the application's and must
// outlive the window; the window owns its run, worker and matcher. Destroying the window
// ends a running worker first (no log is written then).

#include <QDialog>
#include <QTimer>
#include <memory>
#include <mutex>
#include <optional>

#include "panel_view.h"
#include "persons/person_base.h"
#include "stats/library_matcher.h"
#include "stats/stat_run.h"
#include "stats/stat_worker.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace ui {

class PanelFeed;
class StatLogView;

class StatisticsWindow final : public QDialog {
  public:
    // matcher and clock default to the face and image-file libraries and the system clock;
    // tests give their own (they must outlive the window).
    StatisticsWindow(const PanelEnvironment& environment, persons::PersonBase& base,
                     QWidget* parent, stats::StatMatcher* matcher = nullptr,
                     stats::StatClock* clock = nullptr);
    ~StatisticsWindow() override;

    enum class RunState { Idle, Running, Stopping, Stopped, Finishing };
    RunState runState() const { return state_; }

    // The buttons' actions.
    void startOrToggle();  // "&Start" / "&Stop" / "&Continue"
    void stepOnce();       // "S&tep"
    void finishRun();      // "&Finish"
    // "&View log": false when the log could not be shown (a message box says why).
    bool viewLog();
    void closeLogView();
    bool logViewShown() const;

    // The settings the fields give for a run.
    stats::StatSettings runSettings() const;

    PanelView* sample() const { return left_; }
    PanelView* registered() const { return right_; }
    QLineEdit* sourcePath() const { return sourcePath_; }
    QLineEdit* destPath() const { return destPath_; }
    QLineEdit* sampleMask() const { return sampleMask_; }
    QLineEdit* ownMask() const { return ownMask_; }
    QLineEdit* logFile() const { return logFile_; }
    QPushButton* sourceBrowse() const { return sourceBrowse_; }
    QPushButton* logBrowse() const { return logBrowse_; }
    QCheckBox* useUserList() const { return userList_; }
    QCheckBox* differentPaths() const { return differentPaths_; }
    QCheckBox* invalidateCache() const { return invalidateCache_; }
    QCheckBox* ignoreErrors() const { return ignoreErrors_; }
    QCheckBox* overwriteLog() const { return overwriteLog_; }
    QRadioButton* trimByScore() const { return trimByScore_; }
    QRadioButton* trimByNumber() const { return trimByNumber_; }
    QSpinBox* trimAt() const { return trimAt_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stepButton() const { return step_; }
    QPushButton* finishButton() const { return finish_; }
    QPushButton* viewLogButton() const { return viewLog_; }
    QLabel* totalImages() const { return total_; }
    QLabel* matched() const { return matched_; }
    QLabel* lastScore() const { return lastScore_; }
    QLabel* errors() const { return errors_; }
    QLabel* workTime() const { return workTime_; }
    QLabel* timeLeft() const { return timeLeft_; }
    QProgressBar* progress() const { return progress_; }
    QLabel* statusText() const { return status_; }
    QLabel* elapsed() const { return elapsed_; }
    StatLogView* logView() const { return logView_; }
    const QTimer& workTimer() const { return workTimer_; }

    void reject() override;  // Escape: closes the log view when shown, else the window

  protected:
    void closeEvent(QCloseEvent* event) override;  // closes the log view and the window

  private:
    class Reports;
    // What one step left for the progress fields, taken on the run's thread.
    struct StepFigures {
        std::int64_t matched = 0;
        std::int32_t lastScore = 0;
        int errors = 0;
        std::optional<std::uint64_t> timeLeftMs;
        std::uint32_t lastMs = 0;
        bool stopRun = false;
        int errorCode = 0;
    };
    QWidget* buildControls();
    void userListToggled(bool on);
    void followSource();
    void browseSource();
    void browseLog();
    void started();
    void showFigures();
    void stoppedByWorker();
    void finishedByWorker();
    void writeLog();
    void tickWorkTime();
    void updateButtons();

    PanelEnvironment env_;
    persons::PersonBase& base_;
    stats::LibraryMatcher libraryMatcher_;
    stats::SystemClock systemClock_;
    stats::StatClock& clock_;
    std::unique_ptr<PanelFeed> feed_;
    std::unique_ptr<stats::StatRun> run_;
    std::unique_ptr<Reports> reports_;
    std::unique_ptr<stats::StatWorker> worker_;  // ends before the run and the feed

    RunState state_ = RunState::Idle;
    std::mutex figuresLock_;
    std::optional<StepFigures> figures_;  // the latest step's, until shown
    int stopError_ = 0;                   // the library status of a failure that stopped the run

    // The fields "Use user list" replaces, kept while it is on.
    struct Kept {
        QString source, dest, sampleMask, ownMask;
        bool different = false;
    };
    std::optional<Kept> kept_;

    QWidget* controls_ = nullptr;
    StatLogView* logView_ = nullptr;
    PanelView* left_ = nullptr;
    PanelView* right_ = nullptr;
    QLineEdit* sourcePath_ = nullptr;
    QLineEdit* destPath_ = nullptr;
    QLineEdit* sampleMask_ = nullptr;
    QLineEdit* ownMask_ = nullptr;
    QLineEdit* logFile_ = nullptr;
    QPushButton* sourceBrowse_ = nullptr;
    QPushButton* logBrowse_ = nullptr;
    QCheckBox* userList_ = nullptr;
    QCheckBox* differentPaths_ = nullptr;
    QCheckBox* invalidateCache_ = nullptr;
    QCheckBox* ignoreErrors_ = nullptr;
    QCheckBox* overwriteLog_ = nullptr;
    QRadioButton* trimByScore_ = nullptr;
    QRadioButton* trimByNumber_ = nullptr;
    QSpinBox* trimAt_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* step_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* viewLog_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* matched_ = nullptr;
    QLabel* lastScore_ = nullptr;
    QLabel* errors_ = nullptr;
    QLabel* workTime_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QTimer workTimer_;  // timer 3: "Work time:" every second
};

}  // namespace ui
