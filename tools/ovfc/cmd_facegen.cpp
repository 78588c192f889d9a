// ovfc facegen: renders a set of synthetic face frames with their true eye centres.

#include <cstdint>
#include <cstdio>
#include <string>

#include "command.h"
#include "options.h"
#include "facegen.h"

using namespace ovfc_tool;

namespace {

int runFacegen(const Args& given) {
    std::string out;
    int n = 0, k = 0;
    std::uint64_t s = 1;
    OptionParser p("facegen");
    p.integer("persons", n, 1, facegen::kMaxPersons).required();
    p.integer("images", k, 1, facegen::kMaxImages).required();
    p.text("out", out).required();
    p.unsignedInteger("seed", s, 0, UINT64_MAX);
    Args args;
    if (int rc = p.parseOrUsage(given, args)) return rc;
    if (!args.empty() || out.empty()) return usageError("facegen");
    std::string error;
    if (!facegen::writeFaceSet(out, n, k, s, error)) {
        std::fprintf(stderr, "ovfc facegen: %s\n", error.c_str());
        return 1;
    }
    std::printf("%d frames and truth.txt written to %s\n", n * k, out.c_str());
    return 0;
}

const Registration reg({"facegen", "--persons N --images K --out DIR [--seed S]",
                        "render synthetic face frames and their eye truth", &runFacegen});

}  // namespace
