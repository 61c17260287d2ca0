#include "cli/commands.h"

namespace hk::cli {

// Each command lives in its own file; add its declaration and one row here.

int runPrint(const Args& args); // print_cmd.cpp
const char* printUsage();

int runSheet(const Args& args); // sheet_cmd.cpp
const char* sheetUsage();
int runExport(const Args& args); // export_cmd.cpp
const char* exportUsage();

int runInit(const Args& args); // init_cmd.cpp
const char* initUsage();
int runInfo(const Args& args); // info_cmd.cpp
const char* infoUsage();
int runDump(const Args& args); // dump_cmd.cpp
const char* dumpUsage();
int runCheck(const Args& args); // check_cmd.cpp
const char* checkUsage();
int runDemo(const Args& args); // demo_cmd.cpp
const char* demoUsage();
int runEval(const Args& args); // eval_cmd.cpp
const char* evalUsage();

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
        {"init", initUsage(), runInit},
        {"info", infoUsage(), runInfo},
        {"dump", dumpUsage(), runDump},
        {"check", checkUsage(), runCheck},
        {"demo", demoUsage(), runDemo},
        {"print", printUsage(), runPrint},
        {"sheet", sheetUsage(), runSheet},
        {"export", exportUsage(), runExport},
        {"eval", evalUsage(), runEval},
    };
    return all;
}

} // namespace hk::cli
