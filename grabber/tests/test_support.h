#pragma once
// Shared set-up of the frame-grabber tests: a fresh internal configuration file, a chosen
// board and simulated hardware.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "ovf32.h"
#include "platform/simulated_boards.h"

namespace ovftest {

// A directory of its own for each test.
std::string testDirectory();

// The source index that output item o takes when count source items are resampled to out.
inline int sourceIndex(int o, int count, int out) {
    return ((o + 1) * count + out - 1) / out - 1;
}

class GrabberTest : public ::testing::Test {
  protected:
    void TearDown() override;

    // Puts the library back on board 0 with a new internal file, attaches the simulated
    // boards of spec ("" for none: port access impossible), then selects the board.
    // Returns OvfSetFramegrabber's result.
    int16_t selectBoard(int board, const std::string& simulation = "");

    ovf::ChannelSettings& channel(int i = 0) { return ovf::lib().settings.channels[size_t(i)]; }
    ovf::tFrameGrabber& driver() { return *ovf::lib().driver; }
    std::string file(const std::string& name) const { return dir_ + name; }
    std::string readFile(const std::string& path) const;

    platform::SimulatedPortBus* bus = nullptr;
    std::string dir_;
};

}  // namespace ovftest
