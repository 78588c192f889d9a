#include "identify/identify_run.h"

#include <cctype>
#include <cstdio>

#include "identify/face_match.h"
#include "identify/identify_texts.h"
#include "strings/string_table.h"

namespace identify {

using persons::FaceRecord;
using persons::PersonRecord;

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string formatText(const char* format, const std::string& arg) {
    char text[128];
    std::snprintf(text, sizeof text, format, arg.c_str());
    return text;
}

// Whether a face record read by number may stand for a face of person (not deleted, the
// person's own).
bool ownFace(const FaceRecord& face, const PersonRecord& person) {
    return face.deleted != persons::kDeletedFlag && face.id == person.id;
}

}  // namespace

RunSettings RunSettings::from(const settings::AppSettings& s, std::string userBox,
                              bool showPictures) {
    RunSettings r;
    r.searchThreshold = s.searchThreshold;
    r.roundSearch = s.roundSearch != 0;
    r.reverseOrder = s.reverseOrder != 0;
    r.firstMatched = s.firstMatched != 0;
    r.showOnlyMatched = s.showOnlyMatched != 0;
    r.showPictures = showPictures;
    r.searchTimeout = s.searchTimeout;
    r.userBox = std::move(userBox);
    r.matchThreads = defaultMatchThreads();
    return r;
}

std::string verifiedUserId(const std::string& userBox) {
    const std::string text = userBox.substr(0, kUserBoxLength);
    if (text.empty() || lower(text) == lower(kAllUsers)) return {};
    return text;
}

// The search state of one frame.
struct IdentifyRun::FrameState {
    Probe probe;
    bool pictureNeeded = false;  // the probe is a descriptor: faces are matched by picture
    std::int32_t bestScore = 0;
    std::uint32_t found = 0;  // owner ID of the face that matched
    BestFace best;
    int frames = 0;
    std::string userId;  // to verify; empty: identification
    BatchMatcher* batch = nullptr;
};

IdentifyRun::IdentifyRun(persons::PersonBase& base, FrameSource& frames, FaceMatcher& matcher,
                         RunView& view, SoundPlayer& sounds, RunClock& clock)
    : base_(base),
      frames_(frames),
      matcher_(matcher),
      view_(view),
      sounds_(sounds),
      clock_(clock) {}

IdentifyRun::~IdentifyRun() {
    stop();
    join();
}

bool IdentifyRun::claim() {
    bool idle = false;
    return running_.compare_exchange_strong(idle, true);
}

void IdentifyRun::begin(const RunSettings& settings) {
    firstPassDone_ = false;
    timedOut_ = false;
    timeout_ = settings.searchTimeout;
    startTick_ = clock_.tickMs();
}

bool IdentifyRun::start(const RunSettings& settings) {
    const std::lock_guard lock(threadLock_);
    if (!claim()) return false;
    // The previous worker has cleared the flag: it only has to return.
    if (thread_.joinable()) thread_.join();
    begin(settings);
    thread_ = std::thread([this, settings] { execute(settings); });
    return true;
}

Outcome IdentifyRun::runHere(const RunSettings& settings) {
    if (!claim()) return Outcome{};
    begin(settings);
    return execute(settings);
}

void IdentifyRun::stop() {
    running_ = false;
}

TickResult IdentifyRun::tick() {
    const std::uint32_t elapsed = (clock_.tickMs() - startTick_.load()) / 1000;
    const unsigned timeout = timeout_.load();
    TickResult t;
    t.remaining = elapsed >= timeout ? 0 : timeout - elapsed;
    char text[16];
    std::snprintf(text, sizeof text, kTimeFormat, t.remaining / 60, t.remaining % 60);
    t.text = text;
    if (t.remaining == 0 && firstPassDone_ && running_) {
        timedOut_ = true;
        stop();
        t.stopped = true;
    }
    return t;
}

void IdentifyRun::join() {
    const std::lock_guard lock(threadLock_);
    if (thread_.joinable()) thread_.join();
}

void IdentifyRun::wait() {
    join();
}

std::optional<Outcome> IdentifyRun::lastOutcome() const {
    const std::lock_guard lock(outcomeLock_);
    return outcome_;
}

Outcome IdentifyRun::execute(const RunSettings& s) {
    FrameState f;
    f.userId = verifiedUserId(s.userBox);
    BatchMatcher batch(matcher_, s.matchThreads);
    f.batch = &batch;
    int passes = 0;
    bool endedItself = false;
    while (running_) {
        sounds_.play(kClickSound);
        view_.clearPanels();
        view_.scoreRange(kScoreDisplayLow, kScoreDisplayHigh, s.searchThreshold);
        view_.status(kProcessingText);
        if (!captureProbe(f)) break;
        view_.probe(f.probe);
        f.pictureNeeded = needsFacePicture(matcher_, f.probe);
        f.bestScore = 0;
        f.found = 0;
        f.best = BestFace{};
        ++f.frames;
        if (!f.userId.empty()) {
            if (!verify(s, f)) {
                endedItself = running_;
                break;
            }
        } else if (s.roundSearch) {
            roundSearch(s, f);
        } else {
            sequentialSearch(s, f);
        }
        if (!running_) break;
        if (f.found != 0) {
            endedItself = true;
            break;
        }
        firstPassDone_ = true;
        if (s.maxPasses > 0 && ++passes >= s.maxPasses) {
            endedItself = true;
            break;
        }
    }
    Outcome o = outcome(f, !endedItself && !timedOut_);
    {
        const std::lock_guard lock(outcomeLock_);
        outcome_ = o;
    }
    running_ = false;
    if (o.sound != nullptr) sounds_.play(o.sound);
    view_.outcome(o);
    return o;
}

bool IdentifyRun::captureProbe(FrameState& f) {
    int shown = 0;
    while (running_) {
        const int rc = frames_.capture(f.probe);
        if (rc == 0) {
            // A source that gave short buffers still leaves the full blocks behind.
            f.probe.picture.resize(kProbePictureSize, 0);
            f.probe.descriptor.resize(kProbeDescriptorSize, 0);
            return true;
        }
        if (rc == kSourceEnded) return false;
        if (rc != shown) view_.status(std::string(appstrings::faceErrorText(rc)));
        shown = rc;
    }
    return false;
}

bool IdentifyRun::verify(const RunSettings& s, FrameState& f) {
    view_.status(kVerifyingText);
    PersonRecord person;
    if (base_.findByUserId(f.userId, person) != 0 || person.deleted == persons::kDeletedFlag)
        return false;
    // A face that cannot be read ends the list there; the faces before it are matched.
    base_.loadFaces(person);
    if (s.showPictures || f.pictureNeeded) base_.loadFaceImages(person);
    std::vector<Pending> pending;
    for (int slot = 0; slot < person.faceCount && running_; ++slot) {
        FaceRecord* face = person.faces[static_cast<std::size_t>(slot)].get();
        if (face == nullptr) break;
        pending.push_back(Pending{nullptr, face, face->recno, slot});
        if (pending.size() >= f.batch->batchSize() && matchPending(s, f, pending) == Step::Stop)
            return true;
    }
    matchPending(s, f, pending);
    return true;
}

void IdentifyRun::roundSearch(const RunSettings& s, FrameState& f) {
    view_.status(kSearchingText);
    base_.refreshCounts();  // persons other processes added are searched too
    const std::uint32_t count = base_.personCount();
    std::vector<Pending> pending;
    for (int r = 0; r < persons::kMaxFaces && f.found == 0; ++r) {
        bool anyPerson = false;  // a person with more than r faces
        for (std::uint32_t k = 1; k <= count; ++k) {
            if (!running_) return;
            PersonRecord person;
            if (base_.readPerson(s.reverseOrder ? count + 1 - k : k, person) != 0) continue;
            if (person.deleted == persons::kDeletedFlag || person.faceCount <= r) continue;
            anyPerson = true;
            const std::uint32_t recno = person.faceRef[static_cast<std::size_t>(r)];
            auto face = std::make_unique<FaceRecord>();
            if (base_.readFace(recno, *face) != 0 || !ownFace(*face, person)) continue;
            loadPicture(s, f, face);
            FaceRecord* raw = face.get();
            pending.push_back(Pending{std::move(face), raw, recno, r});
            if (pending.size() >= f.batch->batchSize() && matchPending(s, f, pending) == Step::Stop)
                return;
        }
        // A round ends before the next begins: a face found in it ends the search.
        if (matchPending(s, f, pending) == Step::Stop) return;
        if (!anyPerson) return;
    }
}

void IdentifyRun::sequentialSearch(const RunSettings& s, FrameState& f) {
    view_.status(kSearchingText);
    base_.refreshCounts();
    const std::uint32_t count = base_.faceRecordCount();
    std::vector<Pending> pending;
    for (std::uint32_t k = 1; k <= count && running_; ++k) {
        const std::uint32_t recno = s.reverseOrder ? count + 1 - k : k;
        auto face = std::make_unique<FaceRecord>();
        if (base_.readFace(recno, *face) != 0 || face->deleted == persons::kDeletedFlag) continue;
        loadPicture(s, f, face);
        FaceRecord* raw = face.get();
        pending.push_back(Pending{std::move(face), raw, recno, -1});
        if (pending.size() >= f.batch->batchSize() && matchPending(s, f, pending) == Step::Stop)
            return;
    }
    matchPending(s, f, pending);
}

void IdentifyRun::loadPicture(const RunSettings& s, const FrameState& f,
                              std::unique_ptr<FaceRecord>& face) {
    if (!(s.showPictures || f.pictureNeeded) || face->image.empty()) return;
    PersonRecord holder;  // the base loads pictures of a person's faces
    holder.faceCount = 1;
    holder.faces[0] = std::move(face);
    base_.loadFaceImages(holder);  // a face without its picture is shown and matched without
    face = std::move(holder.faces[0]);
}

IdentifyRun::Step IdentifyRun::matchPending(const RunSettings& s, FrameState& f,
                                            std::vector<Pending>& pending) {
    Step step = Step::GoOn;
    FaceScore one;
    if (f.batch->threads() == 1) {
        // One face at a time: the face is shown while it is matched.
        for (const Pending& p : pending) {
            if (!running_) break;
            view_.candidate(CandidateFace{*p.face, p.recno, p.slot, 0});
            one.rc = matchFace(matcher_, f.probe, *p.face, one.score);
            if ((step = matchStep(s, f, p, one)) == Step::Stop) break;
        }
    } else {
        std::vector<const FaceRecord*> faces;
        faces.reserve(pending.size());
        for (const Pending& p : pending) faces.push_back(p.face);
        std::vector<FaceScore> scores(pending.size());
        f.batch->scoreAll(f.probe, faces, scores);
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (!running_) break;
            const Pending& p = pending[i];
            view_.candidate(CandidateFace{*p.face, p.recno, p.slot, 0});
            if ((step = matchStep(s, f, p, scores[i])) == Step::Stop) break;
        }
    }
    pending.clear();
    return running_ ? step : Step::Stop;
}

IdentifyRun::Step IdentifyRun::matchStep(const RunSettings& s, FrameState& f, const Pending& p,
                                         const FaceScore& result) {
    const std::int32_t score = result.rc == 0 ? result.score : 0;  // a failure matches nothing
    if (score <= f.bestScore) return Step::GoOn;
    const FaceRecord& face = *p.face;
    f.bestScore = score;
    f.best = BestFace{face.id, p.recno, p.slot, {}};
    const bool matched = score >= static_cast<std::int32_t>(s.searchThreshold);
    if (!matched && s.showOnlyMatched) return Step::GoOn;
    view_.best(CandidateFace{face, p.recno, p.slot, score});
    if (!matched) return Step::GoOn;
    f.found = face.id;
    return s.firstMatched ? Step::Stop : Step::GoOn;
}

void IdentifyRun::resolveBest(BestFace& best) {
    if (best.personId == 0) return;
    PersonRecord person;
    if (base_.findById(best.personId, person) != 0) return;
    best.userId = person.userId;
    if (best.slot >= 0) return;
    for (int i = 0; i < person.faceCount; ++i)
        if (person.faceRef[static_cast<std::size_t>(i)] == best.recno) best.slot = i;
}

Outcome IdentifyRun::outcome(const FrameState& f, bool cancelled) {
    Outcome o;
    o.bestScore = f.bestScore;
    o.best = f.best;
    o.frames = f.frames;
    o.verification = !f.userId.empty();
    resolveBest(o.best);
    o.banner = kDeniedBanner;
    o.colour = Colour::Red;
    if (cancelled) {
        o.verdict = Verdict::Cancelled;
        o.status = kCancelledText;
        return o;
    }
    o.verdict = Verdict::Denied;
    o.status = kDeniedText;
    o.sound = kDenySound;
    PersonRecord person;
    if (f.found == 0 || base_.findById(f.found, person) != 0) return o;
    o.verdict = Verdict::Welcome;
    o.personId = person.id;
    o.userId = person.userId;
    o.name = person.name;
    o.status = formatText(kWelcomeFormat, person.name.empty() ? person.userId : person.name);
    o.banner = kWelcomeBanner;
    o.colour = Colour::Green;
    o.sound = kAccessSound;
    return o;
}

}  // namespace identify
