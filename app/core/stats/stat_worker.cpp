#include "stats/stat_worker.h"

#include "strings/string_table.h"

namespace stats {

StatWorker::StatWorker(StatRun& run, Events events, StatProgress* progress)
    : run_(run), events_(std::move(events)), progress_(progress) {}

StatWorker::~StatWorker() {
    if (state_ == State::Running) finish();
    join();
}

void StatWorker::join() {
    std::thread done;
    {
        std::lock_guard<std::mutex> lock(threadLock_);
        done.swap(thread_);
    }
    if (done.joinable()) done.join();
}

StartResult StatWorker::start(const StatSettings& settings) {
    const State s = state_;
    if (s != State::Idle && s != State::Finished) return StartResult::Ok;  // already going
    join();
    const StartResult r = run_.start(settings);
    if (r != StartResult::Ok) return r;
    finishRequested_ = false;
    launch();
    return r;
}

void StatWorker::launch() {
    running_ = true;
    state_ = State::Running;
    std::lock_guard<std::mutex> lock(threadLock_);
    thread_ = std::thread(&StatWorker::loop, this);
}

void StatWorker::loop() {
    while (running_ && !finishRequested_ && !run_.complete()) {
        const StepResult r = run_.step(progress_);
        if (events_.stepped) events_.stepped(run_, r);
        if (r.stopRun) running_ = false;
    }
    bool finishing;
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        finishing = finishRequested_ || run_.complete();
        if (!finishing) state_ = State::Stopped;
    }
    if (finishing) {
        finishRun();
        return;
    }
    if (progress_) progress_->status(std::string(appstrings::appString(appstrings::kStatStopped)));
    if (events_.stopped) events_.stopped(run_);
}

void StatWorker::finishRun() {
    run_.finish(!run_.complete());
    running_ = false;
    state_ = State::Finished;
    if (events_.finished) events_.finished(run_);
}

void StatWorker::stop() {
    running_ = false;
}

void StatWorker::resume() {
    if (state_ != State::Stopped) return;
    join();
    launch();
}

void StatWorker::step() {
    if (state_ != State::Stopped) return;
    join();
    const StepResult r = run_.step(progress_);
    if (events_.stepped) events_.stepped(run_, r);
    if (run_.complete()) finishRun();
}

void StatWorker::finish() {
    {
        std::lock_guard<std::mutex> lock(stateLock_);
        if (state_ == State::Running) {
            finishRequested_ = true;
            return;
        }
        if (state_ != State::Stopped) return;
    }
    join();
    finishRun();
}

void StatWorker::wait() {
    join();
}

}  // namespace stats
