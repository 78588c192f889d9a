// The internal configuration file, the board number kept in it, and loading and saving of
// a board's sections.

#include <unistd.h>
#include <cctype>
#include <cstdio>
#include <string>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace ovf {

namespace {

bool beginsAtRoot(const std::string& s) {
    return !s.empty() && platform::isSeparator(s[0]);
}

std::string lowerName(const std::string& path) {
    // Names are kept in lower case; directories keep their case (file systems here are
    // case-sensitive), and a file that exists as spelled is used as spelled.
    if (platform::isReadableFile(path)) return path;
    const std::string dir = platform::directoryPart(path);
    std::string name = path.substr(dir.size());
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    return dir + name;
}

std::string fullPath(const std::string& name) {
    if (beginsAtRoot(name)) return name;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return name;
    return std::string(cwd) + "/" + name;
}

std::string fileFor(const std::string& name) {
    return name.empty() ? lib().internalFile : lowerName(fullPath(name));
}

}  // namespace

std::string defaultInternalFile() {
    const std::string dir =
        platform::moduleDirectory(reinterpret_cast<const void*>(&defaultInternalFile));
    return lowerName(dir + "OVFINT.INI");
}

int16_t setInternalConfigFile(const std::string& given, bool search) {
    if (given.size() > kMaxNameLength) return 1;
    std::string name = given.empty() ? "OVFINT.INI" : given;
    if (search && name.find(':') == std::string::npos && !beginsAtRoot(name))
        name =
            platform::moduleDirectory(reinterpret_cast<const void*>(&defaultInternalFile)) + name;
    lib().internalFile = lowerName(name);
    return 0;
}

int16_t loadConfig(const std::string& name) {
    if (name.size() > kMaxNameLength) return 1;
    const std::string file = fileFor(name);
    tFrameGrabber& d = *lib().driver;
    int16_t result = 0;
    const int channels = d.descriptor->channelCount;
    for (int index = channels; index >= 0; --index) {
        const int16_t r = d.TransferSection(index, file, kLoad);
        if (r != 0 && (result == 0 || result == 2)) result = r;
        if (index == 0) d.Control(kindChannel, lib().settings.channelNo | kForceInput);
        if (r == 1) break;
    }
    return result;
}

int16_t saveConfig(const std::string& name) {
    if (name.size() > kMaxNameLength) return 1;
    const std::string file = fileFor(name);
    tFrameGrabber& d = *lib().driver;
    for (int index = 0; index <= d.descriptor->channelCount; ++index)
        if (d.TransferSection(index, file, kSave) != 0) return 1;
    return 0;
}

int16_t readBoardNumber() {
    const int32_t n =
        platform::profileInt(lib().internalFile, "Common", "FrameGrabber", lib().board);
    return (n < 0 || n >= kBoardCount) ? lib().board : int16_t(n);
}

bool writeBoardNumber(int board) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", board);
    return platform::writeProfileString(lib().internalFile, "Common", "FrameGrabber", text);
}

}  // namespace ovf
