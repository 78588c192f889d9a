#pragma once
// The capture worker of the new-person wizard: a manual phase in which each processed frame
// is offered for "Add" or "Skip" until N faces exist, then an automatic phase that adds each
// frame matching one of the faces so far at the own threshold, until 2N faces (16 at most).
//
// Threads: start(), stop(), add(), skip() and discardFaces() belong to one controlling
// thread (the window's). The view is called on the worker thread; it must hand what it shows
// over to its own thread and must not call back into the worker except stop-free getters.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "identify/run_seams.h"
#include "platform/event.h"
#include "registration/sheet.h"

namespace registration {

struct EnrolmentSettings {
    int personFaceNumber = 3;         // N, 1..8
    std::int32_t ownThreshold = 150;  // a frame matching a face at or above it is added
    int holdMs = 2000;                // an automatically added face stays shown this long
    int idleMs = 20;                  // pause while a decision is awaited
};

// The faces the automatic phase ends at: 2N, at most 16.
int enrolmentTarget(int personFaceNumber);

class EnrolmentView {
  public:
    virtual ~EnrolmentView() = default;
    // Manual phase: the frame waits for add() or skip().
    virtual void offer(const identify::Probe& frame) { (void)frame; }
    // Automatic phase: the frame's score against the face of a slot.
    virtual void score(int slot, std::int32_t score) { (void)slot, (void)score; }
    // Automatic phase: the frame became face number faceCount.
    virtual void added(const identify::Probe& frame, int faceCount) {
        (void)frame, (void)faceCount;
    }
    // The target was reached; the worker ends by itself.
    virtual void complete() {}
};

struct AddOutcome {
    int rc = 0;                     // RegistrationSheet::addFace's result, or kNothingOffered
    int faceCount = 0;              // after the add
    bool automaticStarted = false;  // this face reached N: "Verification. Please wait..."
    bool complete = false;          // 16 faces: go to the next page
};
inline constexpr int kNothingOffered = 9103;

class EnrolmentWorker {
  public:
    EnrolmentWorker(RegistrationSheet& sheet, identify::FrameSource& source,
                    identify::FaceMatcher& matcher, EnrolmentView& view,
                    EnrolmentSettings settings);
    ~EnrolmentWorker();  // stops and joins
    EnrolmentWorker(const EnrolmentWorker&) = delete;
    EnrolmentWorker& operator=(const EnrolmentWorker&) = delete;

    // Starts the worker; false when it runs already.
    bool start();
    // Clears the running flag and waits up to waitMs for the worker's end event; true when
    // it ended (it is then joined). A worker that does not end in time is joined by the
    // next start() or the destructor.
    bool stop(int waitMs = 3000);

    // The offered frame becomes a face and the worker goes on.
    AddOutcome add();
    // The offered frame is dropped and the worker goes on.
    void skip();
    // Every face goes and the manual phase starts again (the wizard's Back); call while the
    // worker is stopped.
    void discardFaces();

    bool running() const { return running_.load(); }
    bool waiting() const { return waiting_.load(); }
    bool automatic() const { return automatic_.load(); }
    int faceCount() const;
    int target() const { return enrolmentTarget(settings_.personFaceNumber); }

  private:
    void loop();
    // One processed frame of the automatic phase; false when the target is reached.
    bool matchFrame(const identify::Probe& frame);
    void join();

    RegistrationSheet& sheet_;
    identify::FrameSource& source_;
    identify::FaceMatcher& matcher_;
    EnrolmentView& view_;
    const EnrolmentSettings settings_;

    mutable std::mutex sheetLock_;  // the sheet and the offered frame
    identify::Probe offered_;
    std::atomic<bool> running_{false}, busy_{false}, waiting_{false}, automatic_{false};
    platform::ManualEvent ended_;
    std::thread thread_;
};

}  // namespace registration
