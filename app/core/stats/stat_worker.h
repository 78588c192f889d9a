#pragma once
// Runs a statistics run on a worker thread: Start, Stop (after the current step),
// Continue, Step (exactly one step while stopped) and Finish. The controlling thread only
// sets flags; the worker finishes the run itself when it is asked to or when the run is
// complete. A failure without "ignore errors" stops the worker after its step.

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "stats/stat_run.h"

namespace stats {

class StatWorker {
  public:
    enum class State { Idle, Running, Stopped, Finished };

    // Called on the thread that performs the step (the worker, or the caller of step()).
    struct Events {
        std::function<void(const StatRun&, const StepResult&)> stepped;
        std::function<void(const StatRun&)> stopped;   // after a stop or a stopping failure
        std::function<void(const StatRun&)> finished;  // after StatRun::finish
    };

    StatWorker(StatRun& run, Events events, StatProgress* progress = nullptr);
    ~StatWorker();  // asks a running worker to finish and waits for it
    StatWorker(const StatWorker&) = delete;
    StatWorker& operator=(const StatWorker&) = delete;

    // From Idle or Finished: starts the run and the worker (ignored while a run is going).
    StartResult start(const StatSettings& settings);
    // Running: the worker stops after its current step.
    void stop();
    // Stopped: the worker goes on.
    void resume();
    // Stopped: performs exactly one step on the calling thread; finishes a complete run.
    void step();
    // Running: the worker finishes after its current step. Stopped: finishes at once.
    void finish();
    // Waits until the worker thread has ended (stopped or finished).
    void wait();

    State state() const { return state_.load(); }

  private:
    void launch();
    void loop();
    void finishRun();
    void join();

    StatRun& run_;
    Events events_;
    StatProgress* progress_;
    std::atomic<State> state_{State::Idle};
    std::atomic<bool> running_{false};
    std::atomic<bool> finishRequested_{false};
    std::mutex stateLock_;   // orders the worker's end against finish()
    std::mutex threadLock_;  // guards thread_
    std::thread thread_;
};

}  // namespace stats
