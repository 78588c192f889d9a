#pragma once
// The driver base class. Its virtual operations occupy the first 23 slots of the virtual
// table in the order below; every board class overrides only what its hardware needs.

#include <cstdint>
#include <memory>
#include <string>

#include "board_descriptor.h"

namespace ovf {

struct Rect {
    int16_t x = 0, y = 0, width = 0, height = 0;
    int32_t area() const { return int32_t(width) * int32_t(height); }
};

// Kinds of Control and Query.
enum ControlKind : int {
    kindChannel = 0,
    kindBrightnessContrast = 1,
    kindSaturation = 2,
    kindSharpness = 3,
    kindTypeStandard = 4,
    kindAspectRatio = 5,
    kindField = 6,
    kindColourMode = 7
};

constexpr int16_t kKeepInput = 0x100;
constexpr int16_t kForceInput = 0x200;

class tFrameGrabber {
  public:
    tFrameGrabber() = default;
    tFrameGrabber(const tFrameGrabber&) = delete;
    tFrameGrabber& operator=(const tFrameGrabber&) = delete;

    virtual void Create();                                                    // 0
    virtual int16_t Init(const std::string& file, bool resetDefaults);        // 1
    virtual int16_t Grab();                                                   // 2
    virtual void SetFrameSize(int16_t width, int16_t height);                 // 3
    virtual int16_t StartCaptureMode(int16_t channel);                        // 4
    virtual void StopLive();                                                  // 5
    virtual int16_t Close();                                                  // 6
    virtual void DetachWindow();                                              // 7
    virtual void ApplyInputWindow(bool on, bool force);                       // 8
    virtual void ReleaseWindow();                                             // 9
    virtual void StartLive();                                                 // 10
    virtual int16_t StartGrab();                                              // 11
    virtual bool IsGrabDone();                                                // 12
    virtual void SetInputWindow(int16_t x, int16_t y, int16_t w, int16_t h);  // 13
    virtual void AttachWindow(void* window, bool repaintOnly);                // 14
    virtual bool IsLive();                                                    // 15
    virtual int16_t Control(int kind, int32_t value);                         // 16
    virtual int32_t Query(int kind);                                          // 17
    virtual int32_t ReadImage(const Rect& source, const Rect* destination,
                              uint8_t* memory);                                  // 18
    virtual bool ReadRect(uint8_t* memory, const Rect& source, int flag);        // 19
    virtual bool ReadRectScaled(uint8_t* memory, const Rect& source, int flag);  // 20
    virtual bool SetWindow(void* window);                                        // 21
    virtual void GrabToBuffer();                                                 // 22
    virtual ~tFrameGrabber() = default;

    bool HasCap(uint32_t flags) const { return (descriptor->flags & flags) != 0; }
    std::string SectionName(int index) const;
    int16_t TransferSection(int index, const std::string& file, int mode);
    int ToBoardX(int x) const;
    int FromBoardX(int x) const;
    void FreezeForCapture(int field);

    bool initialised = false;
    bool live = false;
    bool displayRead = false;
    BoardDescriptor* descriptor = nullptr;
    int16_t windowWidth = 0;
    int16_t windowHeight = 0;
    uint32_t lastGrabMs = 0;  // duration of the last base Grab

  protected:
    // The settings of the channel the board is set to.
    static struct ChannelSettings& currentChannel();
    // Brightness and contrast of a channel: read back from the board when either is unset
    // (-1), otherwise sent to it.
    void syncLevels(struct ChannelSettings& ch);
};

enum TransferMode : int { kLoad = 1, kSave = 2 };

// Result codes of the drivers.
enum DriverResult : int16_t {
    kReady = 0,
    kNotInitialised = 2,
    kNoFrameBuffer = 3,
    kGrabTimeout = 4,
    kNotSupported = 6,
    kVendorSetupFailed = 7,
    kReinitFailed = 13
};

}  // namespace ovf
