#pragma once
// The board classes derived from tFrameGrabber.

#include <memory>

#include "frame_grabber.h"

namespace ovf {

// Orvane KV-7 parallel-port camera.
class tPar : public tFrameGrabber {
  public:
    void Create() override;
    int16_t Init(const std::string& file, bool resetDefaults) override;
    int16_t Close() override;
    int16_t StartGrab() override;
    bool IsGrabDone() override;
    int16_t Control(int kind, int32_t value) override;
    int32_t Query(int kind) override;
    bool ReadRect(uint8_t* memory, const Rect& source, int flag) override;
    bool ReadRectScaled(uint8_t* memory, const Rect& source, int flag) override;

  private:
    uint32_t exposureDeadline_ = 0;
};

// MRT VideoPort Pro: not supported by this library.
class tVPP : public tFrameGrabber {
  public:
    int16_t Init(const std::string& file, bool resetDefaults) override;
};

// Digital Vision ComputerEyes/RT.
class tCE : public tFrameGrabber {
  public:
    void Create() override;
    int16_t Init(const std::string& file, bool resetDefaults) override;
    int16_t StartGrab() override;
    bool IsGrabDone() override;
    int16_t Control(int kind, int32_t value) override;
    int32_t Query(int kind) override;
    bool ReadRect(uint8_t* memory, const Rect& source, int flag) override;
    bool ReadRectScaled(uint8_t* memory, const Rect& source, int flag) override;

    int16_t brightness = 50;
    int16_t contrast = 50;
    uint8_t fieldCount[2] = {0, 0};  // field handshake counters

  private:
    bool probe(uint16_t base);
    void writeControl(uint8_t value);
    void shortWait();
    void sendAdjustments(int first, int second);
    void sendByte(uint8_t value);
    void readRow(uint8_t* dst, int row, int x, int width);
};

// Integral Technologies FlashPoint, through its vendor library.
class tFPV : public tFrameGrabber {
  public:
    void Create() override;
    int16_t Init(const std::string& file, bool resetDefaults) override;
    int16_t Grab() override;
    int16_t StartCaptureMode(int16_t channel) override;
    void StopLive() override;
    int16_t Close() override;
    void DetachWindow() override;
    void ApplyInputWindow(bool on, bool force) override;
    void ReleaseWindow() override;
    void StartLive() override;
    void SetInputWindow(int16_t x, int16_t y, int16_t w, int16_t h) override;
    void AttachWindow(void* window, bool repaintOnly) override;
    bool IsLive() override;
    int16_t Control(int kind, int32_t value) override;
    int32_t Query(int kind) override;
    int32_t ReadImage(const Rect& source, const Rect* destination, uint8_t* memory) override;
};

// Matrox Meteor, through the Matrox Imaging Library.
class tMIL : public tFrameGrabber {
  public:
    ~tMIL() override;
    void Create() override;
    int16_t Init(const std::string& file, bool resetDefaults) override;
    int16_t Grab() override;
    void SetFrameSize(int16_t width, int16_t height) override;
    int16_t StartCaptureMode(int16_t channel) override;
    void StopLive() override;
    int16_t Close() override;
    void DetachWindow() override;
    void ApplyInputWindow(bool on, bool force) override;
    void ReleaseWindow() override;
    void StartLive() override;
    void SetInputWindow(int16_t x, int16_t y, int16_t w, int16_t h) override;
    void AttachWindow(void* window, bool repaintOnly) override;
    bool IsLive() override;
    int16_t Control(int kind, int32_t value) override;
    int32_t Query(int kind) override;
    int32_t ReadImage(const Rect& source, const Rect* destination, uint8_t* memory) override;
    bool SetWindow(void* window) override;
    void GrabToBuffer() override;

    int16_t digitiserWidth = 0, digitiserHeight = 0;
    intptr_t application = 0, system = 0, display = 0, digitiser = 0;
    intptr_t displayBuffer = 0, grabBuffer = 0, currentBuffer = 0;
    bool attached = false;
    bool zoomed = false;
    void* liveWindow = nullptr;
    int16_t lastInput[4] = {-1, -1, -1, -1};  // x, y, w, h last programmed
    int16_t lastTarget[2] = {0, 0};
    int16_t grabWidth = 0, grabHeight = 0;
    uint8_t* displayAddress = nullptr;
    void* previousHook = nullptr;
    void* previousHookData = nullptr;

    // Grab-end handler of the live display.
    void stretchDisplayRows();

  private:
    void release();
};

// Creates the driver object of a board number (0..5); null for other numbers.
std::unique_ptr<tFrameGrabber> createBoard(int board);
const char* boardName(int board);
constexpr int kBoardCount = 6;

}  // namespace ovf
