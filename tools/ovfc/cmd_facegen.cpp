// ovfc facegen: renders a set of synthetic face frames with their true eye centres.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>

#include "command.h"
#include "facegen.h"

using namespace ovfc_tool;

namespace {

template <typename T>
bool parseNumber(const std::string& text, T lo, T hi, T& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    return ec == std::errc() && ptr == end && !text.empty() && value >= lo && value <= hi;
}

int runFacegen(const Args& given) {
    Args args = given;
    std::string persons, images, out, seed = "1";
    const bool complete = takeOption(args, "persons", persons) &&
                          takeOption(args, "images", images) && takeOption(args, "out", out);
    takeOption(args, "seed", seed);
    if (!complete || !args.empty() || out.empty()) return usageError("facegen");
    int n = 0, k = 0;
    std::uint64_t s = 0;
    if (!parseNumber(persons, 1, facegen::kMaxPersons, n) ||
        !parseNumber(images, 1, facegen::kMaxImages, k)) {
        std::fprintf(stderr, "ovfc facegen: --persons and --images take 1..99\n");
        return 2;
    }
    if (!parseNumber<std::uint64_t>(seed, 0, UINT64_MAX, s)) {
        std::fprintf(stderr, "ovfc facegen: --seed takes an unsigned decimal number\n");
        return 2;
    }
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
