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

bool takeOption(Args& args, const std::string& name, std::string& value) {
    const std::string flag = "--" + name;
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == flag && it + 1 != args.end()) {
            value = *(it + 1);
            args.erase(it, it + 2);
            return true;
        }
        if (it->rfind(flag + "=", 0) == 0) {
            value = it->substr(flag.size() + 1);
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool takeFlag(Args& args, const std::string& name) {
    const auto it = std::find(args.begin(), args.end(), "--" + name);
    if (it == args.end()) return false;
    args.erase(it);
    return true;
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
