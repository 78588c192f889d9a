// Choice and life of the current driver object.

#include <new>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"

namespace ovf {

int16_t readBoardNumber();
bool writeBoardNumber(int board);

int16_t initLibrary() {
    auto& s = lib();
    const int16_t number = readBoardNumber();
    if (s.workFrame.empty()) {
        try {
            s.workFrame.assign(kFrameBytes, 0);
        } catch (const std::bad_alloc&) {
            s.workFrame.clear();
        }
    }
    if (number == s.board) {
        if (s.driver->Init(s.internalFile, false) != 0) return 2;
    } else {
        std::unique_ptr<tFrameGrabber> next = createBoard(number);
        if (!next) return 1;
        next->Init(s.internalFile, true);
        s.driver->Close();
        s.driver = std::move(next);
        s.board = number;
    }
    return s.driver->initialised ? 0 : 2;
}

void doneLibrary(LibraryState& s) {
    s.workFrame.clear();
    s.workFrame.shrink_to_fit();
    if (s.driver && s.driver->initialised) {
        if (s.driver->IsLive()) s.driver->StopLive();
        s.driver->Close();
    }
}

int16_t setFramegrabber(int board) {
    auto& s = lib();
    if (board < 0 || board >= kBoardCount) return 1;
    const bool wasLive = s.driver->initialised && s.driver->IsLive();
    if (wasLive) s.driver->StopLive();
    saveConfig("");
    writeBoardNumber(board);
    if (initLibrary() == 1) return 1;
    loadConfig("");
    s.driver->Control(kindChannel, s.settings.channelNo | kForceInput);
    if (wasLive) s.driver->StartLive();
    return 0;
}

int16_t synchronizeFramegrabber() {
    auto& s = lib();
    if (s.dialogOpen && s.dialogVisible && s.dialogSynchronize) return s.dialogSynchronize();
    if (s.board == 0) return 0;
    saveConfig("");
    doneLibrary(s);
    const int16_t r = initLibrary();
    if (r != 1) loadConfig("");
    return r;
}

int16_t startCapture(int16_t channel) {
    auto& d = *lib().driver;
    if (!d.initialised && initLibrary() != 0) return 1;
    tFrameGrabber& driver = *lib().driver;
    driver.StopLive();
    driver.StartCaptureMode(channel);
    if (!driver.HasCap(capSelfLive)) driver.Grab();
    driver.StartLive();
    return 0;
}

int16_t stopCapture() {
    auto& d = *lib().driver;
    if (d.initialised && d.IsLive()) d.StopLive();
    return 0;
}

}  // namespace ovf
