#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace ovftest {

std::string testDirectory() {
    // Short names: the library refuses configuration names over 79 characters.
    static int counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/ovf%ld/T%d", long(::getpid()), ++counter);
    const std::filesystem::path dir(name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

int16_t GrabberTest::selectBoard(int board, const std::string& simulation) {
    auto& s = ovf::lib();
    OvfDone();
    s.driver->Close();
    s.driver = ovf::createBoard(0);
    s.board = 0;
    s.settings = ovf::GrabberSettings{};
    s.escapePressed = nullptr;
    s.stripLimit = ovf::kStripLimit;
    s.descriptors = ovf::Descriptors{};
    bus = nullptr;
    if (simulation.empty()) {
        ovf::setPortIo(nullptr);
    } else {
        auto b = platform::makeSimulatedBus(simulation);
        bus = b.get();
        ovf::setPortIo(std::move(b));
    }
    dir_ = testDirectory();
    EXPECT_EQ(OvfSetInternalConfigFile((dir_ + "ovfint.ini").c_str(), 0), OVF_OK);
    return OvfSetFramegrabber(int16_t(board));
}

void GrabberTest::TearDown() {
    OvfDone();
    ovf::lib().escapePressed = nullptr;
}

std::string GrabberTest::readFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace ovftest
