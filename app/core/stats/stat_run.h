#pragma once
// The batch statistics run: every sample image is processed once and matched against every
// registered image; scores, times, error counts and the owns/strangers histogram are kept
// for the log. The run is driven step by step (one registered image per step) by a worker
// or by a command-line loop, and must be used by one thread at a time; with
// StatSettings::threads above 1 the steps report a row matched ahead on that many threads.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/row_matcher.h"
#include "stats/stat_files.h"
#include "stats/stat_seams.h"

namespace stats {

// What the dialog's fields steer.
struct StatSettings {
    std::string sourcePath = "*.TIF";  // sample folder and file pattern
    std::string destPath;              // registered folder and pattern; empty: the source
    // The registered set as explicit files (the person database's pictures) instead of
    // the listing of destPath; they are taken as given, without mask or extension filter.
    std::optional<std::vector<std::string>> registeredFiles;
    std::string sampleMask = "0000*";
    std::string ownMask = "0000^^*";
    // A registered image of the sample's own name is its own whatever the mask says: the
    // user list's mask "#?" would count each picture matched with itself as a stranger.
    bool sameNameIsOwn = false;
    bool invalidateCache = true;
    bool ignoreErrors = false;
    bool trimByScore = false;
    int trimValue = 20;
    // Threads that match a sample's row at once (the matcher must then be thread-safe);
    // 1 matches in the run's own thread, each pair in its step. The results are the same
    // either way. The window keeps 1: its panels show the pair of each step.
    int threads = 1;
};

// "Use user list": the pictures of the person base in `folder` are the samples and the
// registered set; a registered picture is a sample's own when both belong to one person
// (all but the last, the slot, character equal).
void useUserList(StatSettings& settings, const std::string& folder);

// Matrix values besides the scores 0..400.
inline constexpr std::uint16_t kErrorScore = 401;
inline constexpr std::uint16_t kNotMatched = 0xFFFF;
inline constexpr int kMaxScore = 400;

// Failure of the last step.
enum class FailureKind : std::uint8_t { None = 0, Sample = 1, Registered = 2, Matching = 3 };

// Call times in milliseconds.
struct CallTimes {
    std::uint64_t total = 0;
    std::uint32_t count = 0;  // timed (successful) calls
    std::uint32_t min = 65535;
    std::uint32_t max = 0;
    void add(std::uint32_t ms);
    // total / count, or nothing before the first call.
    std::optional<std::uint32_t> average() const;
};

// Counts of one histogram score: owns and strangers.
struct ScoreCount {
    std::uint32_t owns = 0;
    std::uint32_t strangers = 0;
};

// What one step did, for the progress fields.
struct StepResult {
    bool complete = false;  // nothing left to do (this step did nothing)
    FailureKind kind = FailureKind::None;
    int errorCode = 0;     // library status of the failure
    bool stopRun = false;  // a failure without "ignore errors": the run must stop
    std::int32_t lastScore = 0;
    std::uint32_t lastMs = 0;  // elapsed time of the last library call
};

// Status texts while the run goes on (string numbers or a library's error text).
class StatProgress {
  public:
    virtual ~StatProgress() = default;
    virtual void status(const std::string& text) { (void)text; }
};

enum class StartResult { Ok, ImagesNotFound, NoMemory };

class StatRun {
  public:
    StatRun(StatMatcher& matcher, StatClock& clock)
        : matcher_(matcher), clock_(clock), row_(matcher, clock) {}

    // Lists both sets, allocates the matrix, resets every counter and records the start
    // time. On failure the run stays as it was before.
    StartResult start(const StatSettings& settings);

    // Performs one step: at the start of a row the sample is loaded and processed, then
    // one registered image is loaded and matched. A sample that fails marks its whole row
    // as errors in that step and the run moves on to the next sample. Times count only
    // successful calls, so the averages are over the calls actually made.
    StepResult step(StatProgress* progress = nullptr);

    // Records the finish time; byUser when the run was ended before it was complete.
    void finish(bool byUser);

    // ---- state, for the progress fields, the log and the figures ----
    const StatSettings& settings() const { return settings_; }
    const std::vector<ImageEntry>& samples() const { return samples_; }
    const std::vector<ImageEntry>& registered() const { return registered_; }
    int sampleCount() const { return static_cast<int>(samples_.size()); }
    int registeredCount() const { return static_cast<int>(registered_.size()); }
    int sampleIndex() const { return i_; }
    int registeredIndex() const { return j_; }
    bool complete() const { return i_ >= sampleCount() || j_ >= registeredCount(); }
    bool finished() const { return finished_; }
    bool finishedByUser() const { return finishedByUser_; }
    // Pairs done so far (the "Matched:" field): i x M + j.
    std::int64_t matchedPairs() const;
    std::int64_t totalPairs() const;

    std::uint16_t score(int sample, int reg) const {
        return scores_[static_cast<std::size_t>(sample) * registered_.size() +
                       static_cast<std::size_t>(reg)];
    }
    // The library's own score of a matched pair (before it was bounded to 0..400).
    std::int32_t rawScore(int sample, int reg) const {
        return raw_[static_cast<std::size_t>(sample) * registered_.size() +
                    static_cast<std::size_t>(reg)];
    }
    bool own(int sample, int reg) const;
    const std::vector<ScoreCount>& histogram() const { return histogram_; }  // 0..400, 401 errors

    int loadingErrors() const { return loadingErrors_; }
    int processingErrors() const { return processingErrors_; }
    int matchingErrors() const { return matchingErrors_; }
    int errors() const { return loadingErrors_ + processingErrors_ + matchingErrors_; }
    const CallTimes& processingTimes() const { return processing_; }
    const CallTimes& matchingTimes() const { return matching_; }
    std::int64_t startTime() const { return startTime_; }
    std::int64_t finishTime() const { return finishTime_; }
    FailureKind lastFailure() const { return failure_; }

    // Estimated milliseconds left, or nothing while no average exists yet.
    std::optional<std::uint64_t> timeLeftMs() const;

  private:
    void markError(int sample, int reg);
    void advance();

    StatMatcher& matcher_;
    StatClock& clock_;
    StatSettings settings_;
    std::vector<ImageEntry> samples_;
    std::vector<ImageEntry> registered_;
    std::vector<std::uint16_t> scores_;
    std::vector<std::int32_t> raw_;
    std::vector<ScoreCount> histogram_;
    int loadingErrors_ = 0, processingErrors_ = 0, matchingErrors_ = 0;
    CallTimes processing_, matching_;
    std::int64_t startTime_ = 0, finishTime_ = 0;
    int i_ = 0, j_ = 0;
    FailureKind failure_ = FailureKind::None;
    bool finished_ = false, finishedByUser_ = false;
    // The current sample's picture and descriptor, and whether it was processed.
    Picture sample_, reg_;
    std::vector<std::uint8_t> descriptor_;
    RowMatcher row_;  // the current row matched ahead (threads above 1)
};

// Bounds a library score to the histogram's 0..400 (never the error mark 401).
std::uint16_t boundedScore(std::int32_t score);

// "%2d:%02d:%02d" of milliseconds (hours may pass 99).
std::string formatTimeLeft(std::uint64_t ms);
// "%2d:%02d" minutes and seconds.
std::string formatWorkTime(std::int64_t seconds);
// " %2lu.%03lu sec." of an elapsed time.
std::string formatElapsed(std::uint32_t ms);

}  // namespace stats
