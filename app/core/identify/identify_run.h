#pragma once
// The identification / verification run of the main window: frame after frame, the probe is
// matched against the enrolled faces (every face, or only the faces of the user ID in the
// user box) until a face reaches the search threshold, the run is stopped, or the time-out
// stops it after the first full pass. The run is headless; it reports through RunView and
// plays its sounds through SoundPlayer.
//
// Threads: start(), stop(), running(), tick(), wait() and the destructor may be called
// from any thread (normally the user-interface thread); the seams and the view are called
// on the worker. The PersonBase is only read. Every object passed in is the caller's and
// must outlive the run.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "identify/batch_matcher.h"
#include "identify/run_seams.h"
#include "persons/person_base.h"
#include "settings/app_settings.h"

namespace identify {

inline constexpr int kScoreDisplayLow = 0, kScoreDisplayHigh = 400;
inline constexpr std::size_t kUserBoxLength = 20;

// The settings a run takes when it starts.
struct RunSettings {
    std::uint16_t searchThreshold = 150;
    bool roundSearch = true;          // "Round algorithm"
    bool reverseOrder = true;         // "Reverse search order"
    bool firstMatched = true;         // "First matched face"
    bool showOnlyMatched = true;      // "Show only matched"
    bool showPictures = false;        // candidates' pictures are loaded for the panels
    std::uint8_t searchTimeout = 60;  // seconds, for tick()
    std::string userBox;  // the user box text; a user ID (not empty, not "(all)") verifies
    // Ends the run unfound after this many full passes; 0: only stop() or the time-out.
    // (The command-line tool runs one pass per image.)
    int maxPasses = 0;
    // Threads that match faces at once (see BatchMatcher); above 1 the FaceMatcher must be
    // thread-safe. Faces are still taken in search order and the same face is reported.
    // from() gives defaultMatchThreads().
    int matchThreads = 1;

    static RunSettings from(const settings::AppSettings& s, std::string userBox, bool showPictures);
};

// The user ID a user box text asks for: empty for "" and "(all)" (any case); otherwise
// the text cut to kUserBoxLength characters.
std::string verifiedUserId(const std::string& userBox);

// What tick() shows.
struct TickResult {
    unsigned remaining = 0;  // seconds left, 0 at the end
    std::string text;        // "%02u:%02u" minutes and seconds ("00:00" at the end)
    bool stopped = false;    // this tick stopped the run (time-out after the first pass)
};

class IdentifyRun {
  public:
    IdentifyRun(persons::PersonBase& base, FrameSource& frames, FaceMatcher& matcher, RunView& view,
                SoundPlayer& sounds, RunClock& clock);
    // Stops a running run and waits for its worker.
    ~IdentifyRun();
    IdentifyRun(const IdentifyRun&) = delete;
    IdentifyRun& operator=(const IdentifyRun&) = delete;

    // Starts a run on a worker thread; false (nothing done) while one is running. A worker
    // that has ended is joined first.
    bool start(const RunSettings& settings);
    // Runs on the calling thread until the run ends; the outcome (also given to the view).
    // Nothing is done (Cancelled) while a worker is running.
    Outcome runHere(const RunSettings& settings);
    // Clears the running flag: the run ends after the match (or frame capture) in progress.
    void stop();
    bool running() const { return running_.load(); }
    // Timer 5, once a second: the time left of the search time-out; at 0, once the first
    // full pass is done, the run is stopped. A run the time-out stopped ends as a run that
    // found nothing ("Unknown person. Access denied."), or welcomes the person its last
    // frame had found; only stop() cancels.
    TickResult tick();
    // Waits until the worker has ended (nothing when there is none).
    void wait();
    // The outcome of the last run that ended; nothing before.
    std::optional<Outcome> lastOutcome() const;

  private:
    enum class Step : std::uint8_t { GoOn, Stop };
    struct FrameState;
    // A face read ahead in search order, waiting for its score.
    struct Pending {
        std::unique_ptr<persons::FaceRecord> owned;  // empty when its person holds it
        persons::FaceRecord* face;
        std::uint32_t recno;
        int slot;
    };
    bool claim();  // sets the running flag when it was clear
    void begin(const RunSettings& settings);
    Outcome execute(const RunSettings& settings);
    // false when the frame source has ended or the run was stopped.
    bool captureProbe(FrameState& f);
    // false when the user to verify is absent or deleted.
    bool verify(const RunSettings& s, FrameState& f);
    void roundSearch(const RunSettings& s, FrameState& f);
    void sequentialSearch(const RunSettings& s, FrameState& f);
    // Scores the gathered faces and takes them in order (then empties the list); Stop when
    // one of them ends the search or the run was stopped.
    Step matchPending(const RunSettings& s, FrameState& f, std::vector<Pending>& pending);
    Step matchStep(const RunSettings& s, FrameState& f, const Pending& p, const FaceScore& score);
    void loadPicture(const RunSettings& s, const FrameState& f,
                     std::unique_ptr<persons::FaceRecord>& face);
    Outcome outcome(const FrameState& f, bool cancelled);
    void resolveBest(BestFace& best);
    void join();

    persons::PersonBase& base_;
    FrameSource& frames_;
    FaceMatcher& matcher_;
    RunView& view_;
    SoundPlayer& sounds_;
    RunClock& clock_;

    std::atomic<bool> running_{false};
    std::atomic<bool> firstPassDone_{false};
    std::atomic<bool> timedOut_{false};  // tick() stopped the run
    std::atomic<std::uint32_t> startTick_{0};
    std::atomic<unsigned> timeout_{0};
    std::mutex threadLock_;  // guards thread_
    std::thread thread_;
    mutable std::mutex outcomeLock_;  // guards outcome_
    std::optional<Outcome> outcome_;
};

}  // namespace identify
