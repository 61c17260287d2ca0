// hesapkar-cli sheet: shows a workbook's active sheet as the importers read it, one line per
// filled cell: row, TAB, column, TAB, text. In the text a TAB, a line break and a backslash are
// written "\t", "\n" (or "\r") and "\\", and any other control character "\xNN", so every
// cell stays on one line and nothing in a workbook can drive the terminal.
#include "cli/commands.h"
#include "cli/options.h"

#include "output/sheet_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace hk::cli {


const char* sheetUsage() {
    return "FILE: prints the cells of a workbook's active sheet (.xlsx or .xls) as "
           "\"row<TAB>column<TAB>text\" lines";
}

int runSheet(const Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: hesapkar-cli sheet %s\n", sheetUsage());
        return 2;
    }
    auto wb = output::Workbook::open(args[0]);
    if (!wb) {
        std::fprintf(stderr, "hesapkar-cli sheet: %s\n", printable(wb.error().text).c_str());
        return 1;
    }
    for (const auto& c : wb->cells())
        std::printf("%u\t%u\t%s\n", unsigned(c.row), unsigned(c.col), printable(c.text).c_str());
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "hesapkar-cli sheet: the cells could not be written to the output (%s)\n",
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace hk::cli
