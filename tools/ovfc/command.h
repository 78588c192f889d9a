#pragma once
// Subcommands of the ovfc tool. Each cmd_*.cpp registers its commands with a static
// Registration object; main() dispatches on the first argument.

#include <string>
#include <vector>

namespace ovfc_tool {

using Args = std::vector<std::string>;
using CommandFn = int (*)(const Args& args);  // args without the command name; exit status

struct Command {
    const char* name;
    const char* usage;    // argument synopsis, e.g. "SECTION KEY [VALUE]"
    const char* summary;  // one line
    CommandFn run;
};

const std::vector<Command>& commands();

struct Registration {
    explicit Registration(const Command& c);
};

// The face library's configuration as given, else by its file name in the current directory
// and along PATH, else beside this program (the library finds the default masks beside it).
std::string findConfig(const std::string& given);
// Prints "usage: ovfc NAME USAGE" to stderr and returns 2.
int usageError(const char* name);

}  // namespace ovfc_tool
