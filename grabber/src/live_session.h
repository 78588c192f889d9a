#pragma once
// What the "Live Input" dialog does to the current driver: the working record, the ranges
// of its bars, the handler codes of its controls and the live picture. No widgets here; the
// dialog supplies a Host for the few things that need the user.
//
// Not thread-safe: like every entry into the library, use it from one thread. The session
// refers to the library's current driver on every call (a board change replaces it) and
// owns nothing but its record and picture buffer.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "live_record.h"

namespace ovf {

class tFrameGrabber;

enum HandlerCode : int {
    hLevels = 0,  // brightness and contrast
    hSaturation = 1,
    hSharpness = 2,
    hChannel = 3,
    hWindowSize = 4,  // WH
    hAspect = 5,
    hInputType = 6,
    hInputStd = 7,
    hDisplayOrigin = 8,
    hTune = 9,
    hFreeze = 10,
    hSave = 11,
    hBoard = 12,  // new board or Reinitialize
    hViewfinder = 13,
};

// Dialog flags of OvfLiveDialog.
constexpr int16_t kDialogSetupMark = 0x01;
constexpr int16_t kDialogCaptureUse = 0x04;
constexpr int16_t kDialogColour = 0x20;
constexpr int16_t kDialogLarge = 0x40;

struct BarRange {
    int min = 0, max = 0;
    bool enabled = true;
    bool operator==(const BarRange&) const = default;
};

// Ranges and the field each bar edits, as set up for the current board.
struct ControlSetup {
    BarRange bri, con, saturation, sharpness, readWH, aspect, readX, readY, dispX, dispY;
    int dispXField = 0, dispYField = 0, readXField = 0, readYField = 0;
    int channelCount = 0;
    bool drawsPicture = false;  // the dialog draws the live picture itself
    bool idleRefresh = false;   // a live frame is drawn on every idle turn
};

class LiveSession {
  public:
    // The parts that need a user.
    class Host {
      public:
        virtual ~Host() = default;
        virtual void showMessage(const std::string& text) = 0;
        // The file to save into; nullopt when the user cancels.
        virtual std::optional<std::string> askSaveName() = 0;
        virtual void setWaitCursor(bool on) = 0;
        virtual void showDiagnostics(const std::string& text) = 0;
        // Bar ranges or the record changed: set the controls up and fill them again.
        virtual void refill() = 0;
    };

    static constexpr int kPictureWidth = 256;
    static constexpr int kPictureHeight = 255;

    LiveSession(int16_t flags, Host& host);

    LiveRecord& record() { return record_; }
    const LiveRecord& record() const { return record_; }
    int16_t flags() const { return flags_; }
    const ControlSetup& setup() const { return setup_; }

    // Copies the current settings into the record; record back into the settings.
    void loadRecord();
    void storeRecord();
    // Computes the bar ranges for the current board and clamps the record into them.
    void setUpControls();

    // After the controls were read into the record: stores it and runs the handler.
    void handle(int code);

    // The driver calls of the dialog's life.
    void shown(void* picture);
    void activate();
    void closed();

    // Live state of the driver; true when the last action changed it.
    bool isLive() const;

    // Draws one live frame into the picture buffer when the driver is initialised and live
    // (or always, with force). False when the picture is to be painted light grey.
    bool refreshPicture(bool force = false);
    const std::vector<uint8_t>& picture() const { return picture_; }
    bool pictureGrey() const;

    // The frame size of the save and the final capture: 256 x 255 or 512 x 512.
    int frameWidth() const { return (flags_ & kDialogLarge) ? 512 : 256; }
    int frameHeight() const { return (flags_ & kDialogLarge) ? 512 : 255; }
    // The save of code 11; the message shown on failure is returned too ("" = saved or
    // cancelled).
    std::string saveFrame();

    // Test hook: the size the save buffer is refused above (allocation failure).
    std::size_t saveLimit = SIZE_MAX;

  private:
    tFrameGrabber& driver() const;
    void freezeIfLive();
    void restartLive();
    void readBackLevels();
    void reposition(int oldWH);
    void updateInputWindow();
    void changeBoard();

    int16_t flags_;
    Host& host_;
    LiveRecord record_;
    LiveRecord committed_;  // as last stored: the values before a change
    ControlSetup setup_;
    void* picture_handle_ = nullptr;
    std::vector<uint8_t> picture_;
};

}  // namespace ovf
