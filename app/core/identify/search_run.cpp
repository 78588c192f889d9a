#include "identify/search_run.h"

#include <algorithm>
#include <cstdio>
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
    State st{probe, settings, {}, needsFacePicture(matcher_, probe), false};
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
    for (int slot = 0; slot < person.faceCount && running_; ++slot) {
        FaceRecord* face = person.faces[static_cast<std::size_t>(slot)].get();
        if (face == nullptr) break;
        matchOne(st, person, *face, slot);
    }
}

void SearchRun::searchAll(State& st) {
    const SearchSettings& s = st.settings;
    st.result.limit = s.searchThreshold;
    base_.refreshCounts();
    const std::uint32_t count = base_.personCount();
    view_.progressRange(static_cast<int>(base_.faceRecordCount()));
    auto readPerson = [&](std::uint32_t k, PersonRecord& person) {
        return base_.readPerson(s.reverseOrder ? count + 1 - k : k, person) == 0 &&
               person.deleted != persons::kDeletedFlag;
    };
    if (!s.roundSearch) {
        for (std::uint32_t k = 1; k <= count && running_ && !st.done; ++k) {
            PersonRecord person;
            if (!readPerson(k, person)) continue;
            base_.loadFaces(person);
            if (s.showPictures || st.pictureNeeded) base_.loadFaceImages(person);
            for (int slot = 0; slot < person.faceCount && running_; ++slot) {
                FaceRecord* face = person.faces[static_cast<std::size_t>(slot)].get();
                if (face == nullptr) break;
                matchOne(st, person, *face, slot);
            }
            st.done = s.stopAfterFirstUser && !st.result.candidates.empty();
        }
        return;
    }
    for (int r = 0; r < persons::kMaxFaces && running_ && !st.done; ++r) {
        bool anyPerson = false;
        for (std::uint32_t k = 1; k <= count && running_ && !st.done; ++k) {
            PersonRecord person;
            if (!readPerson(k, person) || person.faceCount <= r) continue;
            anyPerson = true;
            const std::uint32_t recno = person.faceRef[static_cast<std::size_t>(r)];
            auto face = std::make_unique<FaceRecord>();
            if (base_.readFace(recno, *face) != 0 || face->deleted == persons::kDeletedFlag ||
                face->id != person.id)
                continue;
            person.faces[static_cast<std::size_t>(r)] = std::move(face);
            if (s.showPictures || st.pictureNeeded) base_.loadFaceImages(person);
            matchOne(st, person, *person.faces[static_cast<std::size_t>(r)], r);
            st.done = s.stopAfterFirstUser && !st.result.candidates.empty();
        }
        if (!anyPerson) break;
    }
}

void SearchRun::matchOne(State& st, const PersonRecord& person, FaceRecord& face, int slot) {
    SearchResult& r = st.result;
    view_.candidate(CandidateFace{face, face.recno, slot, 0});
    std::int32_t score = 0;
    const bool ok = matchFace(matcher_, st.probe, face, score) == 0;
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
