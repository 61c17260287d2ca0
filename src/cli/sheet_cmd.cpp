// hesapkar-cli sheet: shows a workbook's active sheet as the importers read it, one line per
// filled cell: row, TAB, column, TAB, text. In the text a TAB, a line break and a backslash are
// written "\t", "\n" (or "\r") and "\\", so every cell stays on one line.
#include "cli/commands.h"

#include "output/sheet_reader.h"

#include <cstdio>
#include <string>

namespace hk::cli {

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

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
        std::fprintf(stderr, "hesapkar-cli sheet: %s\n", wb.error().text.c_str());
        return 1;
    }
    for (const auto& c : wb->cells())
        std::printf("%u\t%u\t%s\n", unsigned(c.row), unsigned(c.col), escaped(c.text).c_str());
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "hesapkar-cli sheet: cannot write the output\n");
        return 1;
    }
    return 0;
}

} // namespace hk::cli
