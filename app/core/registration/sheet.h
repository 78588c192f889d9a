#pragma once
// The registration sheet: the person being enrolled or modified, its face slots and their
// profiler statistics, and the rules for the user information fields.
//
// Threads: a sheet is not thread-safe; the enrolment worker takes EnrolmentWorker's lock
// around every call it makes, and the windows read the sheet only while no worker runs or
// through that worker.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "identify/run_seams.h"
#include "persons/person_base.h"
#include "persons/person_record.h"

namespace registration {

enum class Mode : std::uint8_t { New, Modify };

// Result codes beyond the person base's.
enum : int {
    kFacesFull = 9101,     // all 16 slots hold a face
    kNoFaceInFrame = 9102  // the frame has no processed face (no picture or descriptor)
};

// What the profiler knows of one face.
struct FaceStats {
    std::int32_t current = 0;
    std::int32_t peak = 0;
    std::int32_t average = 0;
};

enum class SortKey : std::uint8_t { Current, Average, Peak };

class RegistrationSheet {
  public:
    using Clock = std::function<persons::CaptureTime()>;

    // A new person starts enabled, not administrator, with no face.
    RegistrationSheet();
    // An existing person, with its faces (and pictures) loaded by the caller.
    explicit RegistrationSheet(persons::PersonRecord person);

    persons::PersonRecord& person() { return person_; }
    const persons::PersonRecord& person() const { return person_; }
    Mode mode() const { return mode_; }
    int faceCount() const { return person_.faceCount; }
    bool full() const { return person_.faceCount >= persons::kMaxFaces; }

    bool changed() const { return changed_; }
    void markChanged() { changed_ = true; }
    // Whether added and refreshed faces keep their picture (on at the start).
    bool storeImage() const { return storeImage_; }
    void setStoreImage(bool on) { storeImage_ = on; }

    // The capture time given to new and refreshed faces (default: the local time now).
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // A new face in the next slot from a processed frame: its descriptor and, when pictures
    // are stored, its picture. kFacesFull, kNoFaceInFrame, or persons::kNoMemory (the
    // sheet is then unchanged).
    int addFace(const identify::Probe& frame);
    // The slot's face made again from a frame: time, descriptor, and the picture when
    // pictures are stored, else no picture. kBadArgument, kNoFaceInFrame, kNoMemory.
    int refreshFace(int slot, const identify::Probe& frame);
    // Removes a slot; the later slots move down with their references and statistics.
    // kBadArgument for a slot without a face.
    int deleteFace(int slot);
    // Removes the slot's picture (the stored file goes at the next store). kBadArgument
    // when the slot holds no picture.
    int deleteImage(int slot);
    // Drops every face (the wizard's Back).
    void clearFaces();

    // Profiler: one run matches the probe with every face in slot order.
    const FaceStats& stats(int slot) const { return stats_.at(static_cast<std::size_t>(slot)); }
    int runs() const { return runs_; }
    // The slot's score in the current run: current, peak, and the running average
    // average + (current - average) / (runs + 1).
    void recordScore(int slot, std::int32_t score);
    // After the last face of a run.
    void endRun() { ++runs_; }
    // Orders the slots (faces, references and statistics together) by the key, highest
    // first, equal scores keeping their order; marks the sheet changed.
    void sortBy(SortKey key);
    // Statistics and the run counter back to zero.
    void resetStats();

  private:
    persons::PersonRecord person_;
    Mode mode_;
    bool changed_ = false;
    bool storeImage_ = true;
    std::array<FaceStats, persons::kMaxFaces> stats_{};
    int runs_ = 0;
    Clock clock_;
};

// The fields of the "User information" page.
struct UserInfo {
    std::string userId;
    std::string name;
    bool administrator = false;
    bool enabled = true;
};

UserInfo userInfoOf(const persons::PersonRecord& person);
// ACCESS from the page: 1 for administrator plus 2 for enabled.
std::uint8_t accessOf(const UserInfo& info);
// Leading blanks off.
std::string withoutLeadingBlanks(const std::string& text);

enum class UserIdCheck : std::uint8_t {
    Ok,
    Empty,      // "User ID can not be pure."
    NotUnique,  // "User ID is not unique" / "User ID is not unique."
    BaseError   // the base could not be asked
};

// A new person's user ID (leading blanks already off): taken when the base holds neither
// it nor the spelling it is stored under.
UserIdCheck checkNewUserId(persons::PersonBase& base, const std::string& userId);
// A modified person's user ID: its own in any letter case is fine; otherwise it must not be
// empty and not be another person's.
UserIdCheck checkModifiedUserId(persons::PersonBase& base, const persons::PersonRecord& stored,
                                const std::string& userId);
// The page's fields into the person, leading blanks off and the user ID case-normalised.
void applyUserInfo(persons::PersonRecord& person, const UserInfo& info);

}  // namespace registration
