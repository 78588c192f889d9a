#include "command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/module.h"
#include "platform/paths.h"

namespace ovfc_tool {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}
}  // namespace

const std::vector<Command>& commands() {
    return registry();
}

Registration::Registration(const Command& c) {
    auto& list = registry();
    list.insert(std::upper_bound(list.begin(), list.end(), c,
                                 [](const Command& a, const Command& b) {
                                     return std::strcmp(a.name, b.name) < 0;
                                 }),
                c);
}

std::string findConfig(const std::string& given) {
    if (platform::isReadableFile(given)) return given;
    if (auto hit = platform::searchFile(platform::fileNamePart(given))) return *hit;
    const std::string dir = platform::moduleDirectory(reinterpret_cast<const void*>(&findConfig));
    const std::string beside = dir + platform::fileNamePart(given);
    if (dir.empty() || !platform::isReadableFile(beside)) return given;
    return beside;
}

int usageError(const char* name) {
    for (const auto& c : commands()) {
        if (std::strcmp(c.name, name) == 0) {
            std::fprintf(stderr, "usage: ovfc %s %s\n", c.name, c.usage);
            return 2;
        }
    }
    std::fprintf(stderr, "usage: ovfc %s\n", name);
    return 2;
}

}  // namespace ovfc_tool
