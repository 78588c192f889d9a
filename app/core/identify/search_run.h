#pragma once
// The search page of the user list: a frozen probe against every person (or one person
// given by user ID); each person whose faces reach the limit becomes a candidate with
// those faces, the candidates sorted by best score. Without candidates the best stranger,
// a face close enough to the search threshold, may be shown instead.
//
// Threads: as IdentifyRun; start(), stop(), running(), wait() and the destructor from any
// thread, the matcher and the view on the worker. The PersonBase is only read. Every
// object passed in is the caller's and must outlive the run.

#include <atomic>
#include <cstdint>
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

struct SearchSettings {
    std::uint16_t searchThreshold = 150;
    std::uint16_t ownThreshold = 150;  // the limit when one user ID is searched
    bool roundSearch = true;           // "Round algorithm": round r of every person first
    bool reverseOrder = true;          // "Reverse search order"
    bool stopAfterFirstUser = false;   // "Stop after first matched user"
    std::uint8_t bestCandidate = 0;    // "Show best candidate" margin; 0: no best stranger
    bool showPictures = false;         // faces' pictures are loaded for the comparison panel
    std::string userBox;  // "Optional User ID:" text; "" or "(all)" (any case): everyone
    // Threads that match faces at once (see BatchMatcher); above 1 the FaceMatcher must be
    // thread-safe. The faces are still taken in search order. from() gives
    // defaultMatchThreads().
    int matchThreads = 1;

    static SearchSettings from(const settings::AppSettings& s, std::string userBox,
                               bool stopAfterFirstUser, bool showPictures);
};

// One face of a candidate that reached the limit (or the best stranger's face).
struct MatchedFace {
    int slot = 0;
    std::int32_t score = 0;
    std::uint32_t recno = 0;  // in Faces.Dbf
    bool hasPicture = false;  // a picture is stored for it
};

struct SearchCandidate {
    std::uint32_t personId = 0;
    std::uint32_t personRecno = 0;  // in Users.Dbf
    std::string userId, name;
    std::int32_t bestScore = 0;
    int bestFace = 0;                // index into faces
    std::vector<MatchedFace> faces;  // in the order they were matched
};

enum class SearchEnd : std::uint8_t {
    Complete,      // every face was matched, or the search stopped after the first user
    Cancelled,     // stop(): the lists hold what was found so far, unsorted, no counter
    UserNotFound,  // the user ID given is not in the base ("The specified user ID not found")
    BaseError      // the base could not be read (code in error)
};

struct SearchResult {
    SearchEnd end = SearchEnd::Complete;
    int error = 0;
    std::int32_t limit = 0;                       // the threshold used
    std::vector<SearchCandidate> candidates;      // Complete: best score, highest first
    std::optional<SearchCandidate> bestStranger;  // its one face in faces[0]
    std::string counter;  // "%d candidate%c", "No candidates", "Best stranger"; "" unless Complete
    int facesMatched = 0;
};

// "%d candidate%c" ('s' unless 1) for count > 0, "No candidates" for 0 without a stranger,
// "Best stranger" for 0 with one.
std::string candidateCounter(std::size_t count, bool bestStranger);

class SearchView {
  public:
    virtual ~SearchView() = default;
    // The progress bar's range in faces; then the number of faces matched so far.
    virtual void progressRange(int faces) { (void)faces; }
    virtual void progress(int matched) { (void)matched; }
    // The comparison panel: the face about to be matched.
    virtual void candidate(const CandidateFace& face) { (void)face; }
    // Once, at the end of the search.
    virtual void finished(const SearchResult& result) { (void)result; }
};

class SearchRun {
  public:
    SearchRun(persons::PersonBase& base, FaceMatcher& matcher, SearchView& view);
    // Stops a running search and waits for its worker.
    ~SearchRun();
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    // Starts a search of the probe (copied) on a worker thread; false while one is running.
    bool start(const Probe& probe, const SearchSettings& settings);
    // Searches on the calling thread; the result (also given to the view). Cancelled while
    // a worker is running.
    SearchResult runHere(const Probe& probe, const SearchSettings& settings);
    // The search ends after the match in progress.
    void stop();
    bool running() const { return running_.load(); }
    void wait();
    // The result of the last search that ended; nothing before.
    std::optional<SearchResult> lastResult() const;

  private:
    struct State;
    // A face read ahead in search order, waiting for its score.
    struct Pending {
        const persons::PersonRecord* person;
        const persons::FaceRecord* face;
        int slot;
        bool lastOfPerson;  // "Stop after first matched user" is looked at after it
    };
    bool claim();
    SearchResult execute(const Probe& probe, const SearchSettings& settings);
    void searchUser(State& st, const std::string& userId);
    void searchAll(State& st);
    void searchPersons(State& st, std::uint32_t count);
    void searchRounds(State& st, std::uint32_t count);
    // Scores the gathered faces and takes them in order, then empties the list.
    void matchPending(State& st, std::vector<Pending>& pending);
    // Takes the score of one face of person.
    void takeScore(State& st, const persons::PersonRecord& person, const persons::FaceRecord& face,
                   int slot, const FaceScore& result);
    void join();

    persons::PersonBase& base_;
    FaceMatcher& matcher_;
    SearchView& view_;
    std::atomic<bool> running_{false};
    std::mutex threadLock_;  // guards thread_
    std::thread thread_;
    mutable std::mutex resultLock_;  // guards result_
    std::optional<SearchResult> result_;
};

}  // namespace identify
