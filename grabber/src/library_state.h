#pragma once
// Everything the library keeps between calls, in one place.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board_descriptor.h"
#include "frame_grabber.h"
#include "platform/port_io.h"
#include "settings.h"
#include "vendor_fpv.h"
#include "vendor_mil.h"

namespace ovf {

constexpr int kFrameWidth = 256;
constexpr int kFrameHeight = 255;
constexpr int kFrameBytes = kFrameWidth * kFrameHeight;  // 65280
constexpr size_t kStripLimit = 63488;
constexpr size_t kMaxNameLength = 79;

struct Descriptors {
    BoardDescriptor none, par, fpv, ce, mil;
    Descriptors();
};

struct LibraryState {
    LibraryState();
    ~LibraryState();
    LibraryState(const LibraryState&) = delete;
    LibraryState& operator=(const LibraryState&) = delete;

    Descriptors descriptors;
    std::unique_ptr<tFrameGrabber> driver;
    int16_t board = 0;
    std::string internalFile;
    std::vector<uint8_t> workFrame;  // empty while not allocated
    bool dialogOpen = false;
    bool dialogVisible = false;
    GrabberSettings settings;
    int16_t transferWidth = kFrameWidth;
    int16_t transferHeight = kFrameHeight;

    // Port access: hardware or simulated bus; null when impossible.
    std::unique_ptr<platform::PortIo> port;

    // Driver state kept library-wide.
    std::vector<uint8_t> parFrame;  // frame buffer of the parallel-port camera
    uint8_t ceControl = 0;          // control register image
    int ceAdjust[2] = {32, 32};
    uint32_t ceShortWait = 1;  // delay loop count of one short wait
    FpvLibrary fpv;
    FpvState fpvState;
    MilLibrary mil;

    // Hooks set by the dialog and the host program.
    std::function<bool()> escapePressed;         // polled by OvfTune
    std::function<int16_t()> dialogSynchronize;  // OvfSynchronizeFramegrabber while open

    uint32_t errorBeeps = 0;
    size_t stripLimit = kStripLimit;  // lowered to test the out-of-memory path
};

LibraryState& lib();

bool portAccessPossible();
platform::PortIo& port();  // only when portAccessPossible()
void setPortIo(std::unique_ptr<platform::PortIo> io);

void errorBeep();
uint32_t tickMs();
void sleepMs(uint32_t ms);

}  // namespace ovf
