// "ovvfw.ini": one line, the description of the selected device.

#include <fstream>

#include "library.h"
#include "operations.h"
#include "platform/module.h"
#include "platform/paths.h"

namespace vfw {

int32_t loadConfig(const std::string& name) {
    std::ifstream in;
    if (!name.empty()) in.open(name);
    if (!in.is_open()) {
        if (auto found = platform::searchFile(platform::fileNamePart(name))) in.open(*found);
    }
    std::string line;
    if (!in.is_open() || !std::getline(in, line)) {
        selectByText("");
        return kConfigFile;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.size() > kNameChars) line.resize(kNameChars);
    selectByText(line.c_str());
    return kOk;
}

int32_t saveConfig(const std::string& name) {
    Library& lib = library();
    LibraryLock lock(lib.mutex);
    if (!lib.initialised) return kNotInitialised;
    if (lib.selected < 0) return kOk;
    std::string path = name;
    if (!platform::hasSeparator(name)) {
        static const int anchor = 0;
        path = platform::moduleDirectory(&anchor) + (name.empty() ? kConfigName : name);
    }
    const auto device = deviceAt(lib.selected);
    const std::string text = device ? device->name : std::string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return kConfigFile;
    out << text;
    out.close();
    return out ? kOk : kConfigFile;
}

}  // namespace vfw
