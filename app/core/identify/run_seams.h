#pragma once
// What the identification and search runs need from outside: the probe frame, the face
// library's match, the sounds, the clock and the windows that show the run. The
// application's implementations are in library_seams.h; tests inject scripted ones.
//
// Threads: every seam is called on the run's worker thread (or on the thread of
// IdentifyRun::runHere / SearchRun::runHere). The views must hand what they show over to
// their user-interface thread; from inside a callback they may call the run's stop() (it only
// clears a flag) but never start(), wait() or the run's destructor, and they must not wait
// for the user-interface thread.

#include <cstdint>
#include <string>
#include <vector>

#include "persons/face_record.h"

namespace identify {

inline constexpr std::uint32_t kProbePictureSize = 0x10000;  // the 64 KiB picture block
inline constexpr std::uint32_t kProbeDescriptorSize = 3072;
inline constexpr std::uint16_t kFrameWidth = 256, kFrameHeight = 255;

// The processed current frame: its picture and the descriptor of its face.
struct Probe {
    std::vector<std::uint8_t> picture = std::vector<std::uint8_t>(kProbePictureSize, 0);
    std::vector<std::uint8_t> descriptor = std::vector<std::uint8_t>(kProbeDescriptorSize, 0);
    std::uint16_t width = kFrameWidth, height = kFrameHeight;
};

// Result of FrameSource::capture besides 0 and the face library's codes: the source has no
// more frames (an image file that was used); the run ends as if it were stopped.
inline constexpr int kSourceEnded = -1;

class FrameSource {
  public:
    virtual ~FrameSource() = default;
    // Captures and processes one frame into probe (picture kProbePictureSize bytes,
    // descriptor kProbeDescriptorSize bytes). 0 when a face was processed; otherwise a face
    // library code (1..30; the run shows its text and asks again) or kSourceEnded. A call
    // should return within about half a second so that a stop is seen soon.
    virtual int capture(Probe& probe) = 0;
};

// The face library's two calls used by a match.
class FaceMatcher {
  public:
    virtual ~FaceMatcher() = default;
    // OvfcService(1, data): 0 when data begins with a descriptor, else 27.
    virtual int isDescriptor(const std::uint8_t* data) = 0;
    // OvfcMatchEx(first, second, score, width, height): 0 or a face library code; score is
    // written on success only.
    virtual int match(const std::uint8_t* first, const std::uint8_t* second, std::int32_t& score,
                      std::uint16_t width, std::uint16_t height) = 0;
};

// Sound names the runs play.
inline constexpr const char* kClickSound = "click.wav";
inline constexpr const char* kAccessSound = "access.wav";
inline constexpr const char* kDenySound = "deny.wav";

class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Starts playing the named sound file and returns at once; failures are silent.
    virtual void play(const char* name) = 0;
};

class NoSound final : public SoundPlayer {
  public:
    void play(const char*) override {}
};

class RunClock {
  public:
    virtual ~RunClock() = default;
    // A millisecond tick count (wraps around after 2^32 ms). Called by start() and tick() on
    // their callers' threads as well: must be thread-safe.
    virtual std::uint32_t tickMs() = 0;
};

// A face being compared, valid only during the callback that receives it.
struct CandidateFace {
    const persons::FaceRecord& face;  // descriptor, picture when loaded, owner ID
    std::uint32_t recno;              // in Faces.Dbf
    int slot;                         // the face's slot with its person; -1 when not known
    std::int32_t score;               // 0 before the match
};

enum class Verdict : std::uint8_t {
    Cancelled,  // stopped by stop() (the button) or the frame source ended
    Welcome,    // a person was found and read
    Denied      // nothing found, or the found person cannot be read
};
enum class Colour : std::uint8_t { Green, Red };

// The face that gave the best score of the last frame.
struct BestFace {
    std::uint32_t personId = 0;  // 0 when no face scored above 0
    std::uint32_t recno = 0;     // in Faces.Dbf
    int slot = -1;               // -1 when its person no longer references it
    std::string userId;          // of its person; empty when the person cannot be read
};

struct Outcome {
    Verdict verdict = Verdict::Cancelled;
    std::string banner;  // "Welcome!" / "Access denied!"
    Colour colour = Colour::Red;
    std::string status;           // "You are welcome, %s." / "Unknown person. Access denied." / ...
    const char* sound = nullptr;  // kAccessSound, kDenySound, or none (cancelled)
    std::uint32_t personId = 0;   // the welcomed person
    std::string userId, name;     // the welcomed person's
    std::int32_t bestScore = 0;   // of the last frame
    BestFace best;
    int frames = 0;  // probes matched
    bool verification = false;
};

// The main window's side of an identification run. Default: nothing shown.
class RunView {
  public:
    virtual ~RunView() = default;
    virtual void status(const std::string& text) { (void)text; }
    // The comparison and found panels (and the probe's) become empty.
    virtual void clearPanels() {}
    // The score display's range with the threshold marked.
    virtual void scoreRange(int low, int high, int threshold) {
        (void)low, (void)high, (void)threshold;
    }
    virtual void probe(const Probe& probe) { (void)probe; }
    // The comparison panel: the face about to be matched.
    virtual void candidate(const CandidateFace& face) { (void)face; }
    // The found panel: the current best face and its score.
    virtual void best(const CandidateFace& face) { (void)face; }
    // Once, at the end of the run.
    virtual void outcome(const Outcome& outcome) { (void)outcome; }
};

}  // namespace identify
