// ovfc version: the face library's version text.
#include <cstdio>

#include "command.h"
#include "ovfc32.h"

namespace {

int runVersion(const ovfc_tool::Args& args) {
    if (!args.empty()) return ovfc_tool::usageError("version");
    char text[32] = {};
    if (OvfcGetVersion(text) != 0) return 1;
    std::printf("%s\n", text);
    return 0;
}

ovfc_tool::Registration reg({"version", "", "print the face library's version", &runVersion});

}  // namespace
