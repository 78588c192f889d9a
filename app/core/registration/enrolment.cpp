#include "registration/enrolment.h"

#include <algorithm>
#include <chrono>

#include "identify/face_match.h"

namespace registration {

int enrolmentTarget(int personFaceNumber) {
    return std::min(2 * std::max(personFaceNumber, 1), persons::kMaxFaces);
}

EnrolmentWorker::EnrolmentWorker(RegistrationSheet& sheet, identify::FrameSource& source,
                                 identify::FaceMatcher& matcher, EnrolmentView& view,
                                 EnrolmentSettings settings)
    : sheet_(sheet), source_(source), matcher_(matcher), view_(view), settings_(settings) {
    automatic_ = sheet_.faceCount() >= settings_.personFaceNumber;
    ended_.set();
}

EnrolmentWorker::~EnrolmentWorker() {
    running_ = false;
    join();
}

bool EnrolmentWorker::start() {
    if (running_) return false;
    join();
    waiting_ = false;
    busy_ = false;
    ended_.reset();
    running_ = true;
    thread_ = std::thread([this] { loop(); });
    return true;
}

bool EnrolmentWorker::stop(int waitMs) {
    running_ = false;
    if (!ended_.waitFor(std::chrono::milliseconds(waitMs))) return false;
    join();
    return true;
}

void EnrolmentWorker::join() {
    if (thread_.joinable()) thread_.join();
}

int EnrolmentWorker::faceCount() const {
    const std::lock_guard lock(sheetLock_);
    return sheet_.faceCount();
}

AddOutcome EnrolmentWorker::add() {
    AddOutcome out;
    busy_ = true;
    {
        const std::lock_guard lock(sheetLock_);
        if (!waiting_) {
            out.rc = kNothingOffered;
        } else {
            out.rc = sheet_.addFace(offered_);
        }
        out.faceCount = sheet_.faceCount();
        if (out.rc == 0 && !automatic_ && out.faceCount >= settings_.personFaceNumber) {
            automatic_ = true;
            out.automaticStarted = true;
        }
        out.complete = out.faceCount >= persons::kMaxFaces;
    }
    waiting_ = false;
    busy_ = false;
    return out;
}

void EnrolmentWorker::skip() {
    waiting_ = false;
}

void EnrolmentWorker::discardFaces() {
    const std::lock_guard lock(sheetLock_);
    sheet_.clearFaces();
    automatic_ = false;
    waiting_ = false;
}

void EnrolmentWorker::loop() {
    identify::Probe frame;
    while (running_) {
        if (busy_ || waiting_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(settings_.idleMs));
            continue;
        }
        const int rc = source_.capture(frame);
        if (rc == identify::kSourceEnded) break;
        if (rc != 0 || !running_ || busy_) continue;
        if (!automatic_) {
            {
                const std::lock_guard lock(sheetLock_);
                offered_ = frame;
            }
            waiting_ = true;
            view_.offer(frame);
            continue;
        }
        if (!matchFrame(frame)) break;
    }
    running_ = false;
    ended_.set();
}

bool EnrolmentWorker::matchFrame(const identify::Probe& frame) {
    std::unique_lock lock(sheetLock_);
    if (sheet_.faceCount() >= target()) {
        lock.unlock();
        view_.complete();
        return false;
    }
    bool matched = false;
    persons::PersonRecord& person = sheet_.person();
    for (int slot = 0; slot < person.faceCount && running_; ++slot) {
        if (!person.faces[slot]) continue;
        std::int32_t score = 0;
        identify::matchFace(matcher_, frame, *person.faces[slot], score);
        view_.score(slot, score);
        if (score >= settings_.ownThreshold) matched = true;
    }
    if (!matched || !running_ || sheet_.addFace(frame) != 0) return true;
    const int count = sheet_.faceCount();
    lock.unlock();
    view_.added(frame, count);
    if (count >= target()) {
        view_.complete();
        return false;
    }
    // The new face stays on screen for a while; a stop cuts the pause short.
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(settings_.holdMs);
    while (running_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(settings_.idleMs));
    return true;
}

}  // namespace registration
