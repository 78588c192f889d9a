#include "library_state.h"

#include <chrono>
#include <thread>

#include "drivers.h"
#include "exported_layer.h"

namespace ovf {

LibraryState::LibraryState()
    : internalFile(defaultInternalFile()), port(platform::openPortIoFromEnvironment()) {}

LibraryState::~LibraryState() {
    if (driver) {
        doneLibrary(*this);
        driver.reset();
    }
    fpv.release();
    mil.release();
}

LibraryState& lib() {
    static LibraryState state;
    // The board-0 driver refers to the state's descriptors: made once the state exists.
    static bool made = false;
    if (!made) {
        made = true;
        state.driver = createBoard(0);
    }
    return state;
}

bool portAccessPossible() {
    return lib().port != nullptr;
}
platform::PortIo& port() {
    return *lib().port;
}
void setPortIo(std::unique_ptr<platform::PortIo> io) {
    lib().port = std::move(io);
}

void errorBeep() {
    ++lib().errorBeeps;
}

uint32_t tickMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace ovf
