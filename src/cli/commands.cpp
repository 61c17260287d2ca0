#include "cli/commands.h"

namespace hk::cli {

// Each command lives in its own file; add its declaration and one row here.

int runPrint(const Args& args); // print_cmd.cpp
const char* printUsage();

int runSheet(const Args& args); // sheet_cmd.cpp
const char* sheetUsage();
int runExport(const Args& args); // export_cmd.cpp
const char* exportUsage();

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"print", printUsage(), runPrint},
        {"sheet", sheetUsage(), runSheet},
        {"export", exportUsage(), runExport},
    };
    return all;
}

} // namespace hk::cli
