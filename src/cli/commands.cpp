#include "cli/commands.h"

namespace hk::cli {

// Each command lives in its own file; add its declaration and one row here.

int runPrint(const Args& args); // print_cmd.cpp
const char* printUsage();

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"print", printUsage(), runPrint},
    };
    return all;
}

} // namespace hk::cli
