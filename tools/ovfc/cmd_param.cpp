// ovfc param SECTION KEY [VALUE] [--config FILE]: prints or sets one configuration value.
#include <cstdio>
#include <string>

#include "command.h"
#include "options.h"
#include "ovfc_internal.h"
#include "platform/paths.h"

namespace {

int runParam(const ovfc_tool::Args& given) {
    std::string file = "ovfc.ini";
    ovfc_tool::OptionParser p("param");
    p.text("config", file);
    ovfc_tool::Args args;
    if (int rc = p.parseOrUsage(given, args)) return rc;
    if (args.size() != 2 && args.size() != 3) return ovfc_tool::usageError("param");

    // The file as given, else its name in the current directory and along PATH.
    std::string path = file;
    if (!platform::isReadableFile(path))
        path = platform::searchFile(platform::fileNamePart(file)).value_or(file);
    ovfc::ConfigStore store;
    if (store.load(path) != 0) {
        std::fprintf(stderr, "ovfc param: cannot read %s\n", file.c_str());
        return 3;
    }
    if (const auto& problem = store.loadProblem())
        std::fprintf(stderr, "ovfc param: %s:%d: %s; the rest of the file was not read\n",
                     problem->file.c_str(), problem->line, problem->reason.c_str());
    if (args.size() == 2) {
        const std::string* value = store.find(args[0], args[1]);
        if (value == nullptr) {
            std::fprintf(stderr, "ovfc param: [%s] %s not found in %s\n", args[0].c_str(),
                         args[1].c_str(), path.c_str());
            return 1;
        }
        std::printf("%s\n", value->c_str());
        return 0;
    }
    if (ovfc::ConfigStore::hasLineBreak(args[0]) || ovfc::ConfigStore::hasLineBreak(args[1])) {
        std::fprintf(stderr, "ovfc param: a section or key must not hold a line break\n");
        return 2;
    }
    switch (ovfc::ConfigStore::valueFault(args[2])) {
        case ovfc::ValueFault::kTooLong:
            std::fprintf(stderr, "ovfc param: the value is longer than %zu characters\n",
                         ovfc::ConfigStore::kMaxValue);
            return 2;
        case ovfc::ValueFault::kLineBreak:
            std::fprintf(stderr, "ovfc param: the value must not hold a line break\n");
            return 2;
        case ovfc::ValueFault::kNone:
            break;
    }
    if (store.loadProblem()) {
        std::fprintf(stderr, "ovfc param: %s did not read whole; not saved\n", path.c_str());
        return 3;
    }
    if (store.set(args[0], args[1], args[2]) != 0) {
        std::fprintf(stderr, "ovfc param: no room for [%s] %s\n", args[0].c_str(), args[1].c_str());
        return 1;
    }
    if (store.save(path) != 0) {
        std::fprintf(stderr, "ovfc param: cannot write %s\n", path.c_str());
        return 3;
    }
    return 0;
}

ovfc_tool::Registration reg({"param", "SECTION KEY [VALUE] [--config FILE]",
                             "print or set a face library parameter", &runParam});

}  // namespace
