#include <cstdio>
#include <cstring>

#include "command.h"

using namespace ovfc_tool;

static void printHelp() {
    std::printf("usage: ovfc COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : commands()) std::printf("  %-10s %-36s %s\n", c.name, c.usage, c.summary);
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return argc < 2 ? 2 : 0;
    }
    for (const auto& c : commands()) {
        if (std::strcmp(c.name, argv[1]) == 0) return c.run(Args(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "ovfc: unknown command '%s' (try 'ovfc help')\n", argv[1]);
    return 2;
}
