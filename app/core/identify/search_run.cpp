#include "identify/search_run.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>

#include "identify/face_match.h"
#include "identify/identify_run.h"
#include "identify/identify_texts.h"

namespace identify {

using persons::FaceRecord;
using persons::PersonRecord;

namespace {

// A candidate entry for the person, with no face yet.
SearchCandidate entryOf(const PersonRecord& person, std::int32_t score) {
    SearchCandidate c;
    c.personId = person.id;
    c.personRecno = person.recno;
    c.userId = person.userId;
    c.name = person.name;
    c.bestScore = score;
    return c;
}

}  // namespace

SearchSettings SearchSettings::from(const settings::AppSettings& s, std::string userBox,
                                    bool stopAfterFirstUser, bool showPictures) {
    SearchSettings r;
    r.searchThreshold = s.searchThreshold;
    r.ownThreshold = s.ownThreshold;
    r.roundSearch = s.roundSearch != 0;
    r.reverseOrder = s.reverseOrder != 0;
    r.stopAfterFirstUser = stopAfterFirstUser;
    r.bestCandidate = s.bestCandidate;
    r.showPictures = showPictures;
    r.userBox = std::move(userBox);
    r.matchThreads = defaultMatchThreads();
    return r;
}

std::string candidateCounter(std::size_t count, bool bestStranger) {
    if (count == 0) return bestStranger ? kBestStrangerText : kNoCandidatesText;
    char text[64];
    std::snprintf(text, sizeof text, kCandidatesFormat, static_cast<int>(count),
                  count == 1 ? ' ' : 's');
    std::string s = text;
    if (count == 1 && !s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

struct SearchRun::State {
    const Probe& probe;
    const SearchSettings& settings;
    SearchResult result;
    bool pictureNeeded = false;
    bool done = false;  // "Stop after first matched user" is satisfied
    BatchMatcher& batch;
};

SearchRun::SearchRun(persons::PersonBase& base, FaceMatcher& matcher, SearchView& view)
    : base_(base), matcher_(matcher), view_(view) {}

SearchRun::~SearchRun() {
    stop();
    join();
}

bool SearchRun::claim() {
    bool idle = false;
    return running_.compare_exchange_strong(idle, true);
}

bool SearchRun::start(const Probe& probe, const SearchSettings& settings) {
    const std::lock_guard lock(threadLock_);
    if (!claim()) return false;
    if (thread_.joinable()) thread_.join();
    thread_ = std::thread([this, probe, settings] { execute(probe, settings); });
    return true;
}

SearchResult SearchRun::runHere(const Probe& probe, const SearchSettings& settings) {
    if (!claim()) {
        SearchResult r;
        r.end = SearchEnd::Cancelled;
        return r;
    }
    return execute(probe, settings);
}

void SearchRun::stop() {
    running_ = false;
}

void SearchRun::join() {
    const std::lock_guard lock(threadLock_);
    if (thread_.joinable()) thread_.join();
}

void SearchRun::wait() {
    join();
}

std::optional<SearchResult> SearchRun::lastResult() const {
    const std::lock_guard lock(resultLock_);
    return result_;
}

SearchResult SearchRun::execute(const Probe& probe, const SearchSettings& settings) {
    BatchMatcher batch(matcher_, settings.matchThreads);
    State st{probe, settings, {}, needsFacePicture(matcher_, probe), false, batch};
    const std::string userId = verifiedUserId(settings.userBox);
    if (!userId.empty()) {
        searchUser(st, userId);
    } else {
        searchAll(st);
    }
    SearchResult& r = st.result;
    if (r.end == SearchEnd::Complete && !running_) r.end = SearchEnd::Cancelled;
    if (r.end == SearchEnd::Complete) {
        std::stable_sort(r.candidates.begin(), r.candidates.end(),
                         [](const SearchCandidate& a, const SearchCandidate& b) {
                             return a.bestScore > b.bestScore;
                         });
        r.counter = candidateCounter(r.candidates.size(), r.bestStranger.has_value());
    }
    {
        const std::lock_guard lock(resultLock_);
        result_ = r;
    }
    running_ = false;
    view_.finished(r);
    return r;
}

void SearchRun::searchUser(State& st, const std::string& userId) {
    SearchResult& r = st.result;
    r.limit = st.settings.ownThreshold;
    PersonRecord person;
    if (base_.findByUserId(userId, person) != 0 || person.deleted == persons::kDeletedFlag) {
        r.end = SearchEnd::UserNotFound;
        return;
    }
    base_.loadFaces(person);  // the faces before one that cannot be read are searched
    if (st.settings.showPictures || st.pictureNeeded) base_.loadFaceImages(person);
    view_.progressRange(person.faceCount);
    std::vector<Pending> pending;
    for (int slot = 0; slot < person.faceCount && running_; ++slot) {
        const FaceRecord* face = person.faces[static_cast<std::size_t>(slot)].get();
        if (face == nullptr) break;
        pending.push_back(Pending{&person, face, slot, false});
        if (pending.size() >= st.batch.batchSize()) matchPending(st, pending);
    }
    matchPending(st, pending);
}

void SearchRun::searchAll(State& st) {
    st.result.limit = st.settings.searchThreshold;
    base_.refreshCounts();
    const std::uint32_t count = base_.personCount();
    view_.progressRange(static_cast<int>(base_.faceRecordCount()));
    if (st.settings.roundSearch) {
        searchRounds(st, count);
    } else {
        searchPersons(st, count);
    }
}

// Every person with all of its faces; the persons whose faces wait for their scores are
// held until they are taken.
void SearchRun::searchPersons(State& st, std::uint32_t count) {
    const SearchSettings& s = st.settings;
    std::deque<PersonRecord> held;
    std::vector<Pending> pending;
    for (std::uint32_t k = 1; k <= count && running_ && !st.done; ++k) {
        PersonRecord& person = held.emplace_back();
        if (base_.readPerson(s.reverseOrder ? count + 1 - k : k, person) != 0 ||
            person.deleted == persons::kDeletedFlag) {
            held.pop_back();
            continue;
        }
        base_.loadFaces(person);
        if (s.showPictures || st.pictureNeeded) base_.loadFaceImages(person);
        const std::size_t first = pending.size();
        for (int slot = 0; slot < person.faceCount; ++slot) {
            const FaceRecord* face = person.faces[static_cast<std::size_t>(slot)].get();
            if (face == nullptr) break;
            pending.push_back(Pending{&person, face, slot, false});
        }
        if (pending.size() > first) pending.back().lastOfPerson = true;
        if (pending.size() >= st.batch.batchSize()) {
            matchPending(st, pending);
            held.clear();
        }
    }
    matchPending(st, pending);
}

// Round r takes face r of every person that has more than r faces.
void SearchRun::searchRounds(State& st, std::uint32_t count) {
    const SearchSettings& s = st.settings;
    std::deque<PersonRecord> held;
    std::vector<Pending> pending;
    for (int r = 0; r < persons::kMaxFaces && running_ && !st.done; ++r) {
        bool anyPerson = false;
        for (std::uint32_t k = 1; k <= count && running_ && !st.done; ++k) {
            PersonRecord& person = held.emplace_back();
            if (base_.readPerson(s.reverseOrder ? count + 1 - k : k, person) != 0 ||
                person.deleted == persons::kDeletedFlag || person.faceCount <= r) {
                held.pop_back();
                continue;
            }
            anyPerson = true;
            const std::size_t slot = static_cast<std::size_t>(r);
            auto face = std::make_unique<FaceRecord>();
            if (base_.readFace(person.faceRef[slot], *face) != 0 ||
                face->deleted == persons::kDeletedFlag || face->id != person.id) {
                held.pop_back();
                continue;
            }
            person.faces[slot] = std::move(face);
            if (s.showPictures || st.pictureNeeded) base_.loadFaceImages(person);
            pending.push_back(Pending{&person, person.faces[slot].get(), r, true});
            if (pending.size() >= st.batch.batchSize()) {
                matchPending(st, pending);
                held.clear();
            }
        }
        matchPending(st, pending);
        held.clear();
        if (!anyPerson) break;
    }
}

void SearchRun::matchPending(State& st, std::vector<Pending>& pending) {
    const bool oneByOne = st.batch.threads() == 1;
    std::vector<FaceScore> scores(pending.size());
    if (!oneByOne) {
        std::vector<const FaceRecord*> faces;
        faces.reserve(pending.size());
        for (const Pending& p : pending) faces.push_back(p.face);
        st.batch.scoreAll(st.probe, faces, scores);
    }
    for (std::size_t i = 0; i < pending.size() && running_ && !st.done; ++i) {
        const Pending& p = pending[i];
        view_.candidate(CandidateFace{*p.face, p.face->recno, p.slot, 0});
        // One face at a time: the face is shown while it is matched.
        if (oneByOne) scores[i].rc = matchFace(matcher_, st.probe, *p.face, scores[i].score);
        takeScore(st, *p.person, *p.face, p.slot, scores[i]);
        if (p.lastOfPerson)
            st.done = st.settings.stopAfterFirstUser && !st.result.candidates.empty();
    }
    pending.clear();
}

void SearchRun::takeScore(State& st, const PersonRecord& person, const FaceRecord& face, int slot,
                          const FaceScore& result) {
    SearchResult& r = st.result;
    const std::int32_t score = result.score;
    const bool ok = result.rc == 0;
    view_.progress(++r.facesMatched);
    const MatchedFace matched{slot, score, face.recno, !face.image.empty()};
    if (ok && score >= r.limit) {
        auto it = std::find_if(r.candidates.begin(), r.candidates.end(),
                               [&](const SearchCandidate& c) { return c.personId == person.id; });
        if (it == r.candidates.end()) {
            r.candidates.push_back(entryOf(person, score));
            it = r.candidates.end() - 1;
        }
        it->faces.push_back(matched);
        if (it->faces.size() == 1 || score > it->bestScore) {
            it->bestScore = score;
            it->bestFace = static_cast<int>(it->faces.size()) - 1;
        }
        return;
    }
    // A stranger; a failed match is none. With a margin of 0 there is no best stranger.
    const std::uint8_t margin = st.settings.bestCandidate;
    if (!ok || margin == 0 || score + margin <= st.settings.searchThreshold) return;
    if (r.bestStranger && score <= r.bestStranger->bestScore) return;
    SearchCandidate c = entryOf(person, score);
    c.faces.push_back(matched);
    r.bestStranger = std::move(c);
}

}  // namespace identify
