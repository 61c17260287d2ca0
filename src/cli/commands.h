#pragma once
// The commands of hesapkar-cli. Each command takes its arguments after the command word and
// returns the process exit code; failures print one clear message to stderr and return non-zero.

#include <string>
#include <vector>

namespace hk::cli {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;   // one line: arguments and what it does
    int (*run)(const Args& args);
};

// Every command of the program, in the order "help" lists them.
const std::vector<Command>& commands();

} // namespace hk::cli
