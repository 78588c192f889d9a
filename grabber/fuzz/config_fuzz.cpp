// Settings files of any content: loading never fails, and what was loaded survives a save
// into the same (damaged) file and a second load.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "drivers.h"
#include "library_state.h"

namespace {

std::string tempFile(const char* tag) {
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/ovf_config_fuzz_%ld_%s.ini", long(::getpid()), tag);
    return name;
}

void loadAll(ovf::tFrameGrabber& d, const std::string& file) {
    for (int index = d.descriptor->channelCount; index >= 0; --index)
        d.TransferSection(index, file, ovf::kLoad);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string first = tempFile("a");
    {
        std::ofstream out(first, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    for (int board : {2, 5}) {  // boards whose common section does not re-initialise
        auto d = ovf::createBoard(board);
        ovf::lib().settings = ovf::GrabberSettings{};
        loadAll(*d, first);
        const ovf::GrabberSettings loaded = ovf::lib().settings;
        for (int index = 0; index <= d->descriptor->channelCount; ++index)
            if (d->TransferSection(index, first, ovf::kSave) != 0) std::abort();
        ovf::lib().settings = ovf::GrabberSettings{};
        loadAll(*d, first);
        const auto& again = ovf::lib().settings;
        if (again.channelNo != loaded.channelNo) std::abort();
        for (int c = 0; c < d->descriptor->channelCount; ++c)
            if (again.channels[size_t(c)].v != loaded.channels[size_t(c)].v) std::abort();
        // restore the damaged input for the next board
        std::ofstream out(first, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    return 0;
}
