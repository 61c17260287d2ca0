// hesapkar-cli export: list exports to a spreadsheet workbook without windows. The list
// exporter's question is answered by running the command; the workbook goes where --xlsx says
// and is opened with the spreadsheet application only when --open is given.
#include "cli/commands.h"

#include "app/menu_export.h"
#include "data/dataset.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace hk::cli {

namespace {

struct ExportArgs {
    std::string list, folder, xlsx;
    bool open = false;
};

bool parse(const Args& args, ExportArgs& out) {
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--xlsx" && i + 1 < args.size()) out.xlsx = args[++i];
        else if (args[i] == "--open") out.open = true;
        else if (!args[i].empty() && args[i][0] == '-') return false;
        else plain.push_back(args[i]);
    }
    if (plain.size() != 2 || out.xlsx.empty()) return false;
    out.list = plain[0];
    out.folder = plain[1];
    return true;
}

int fail(const std::string& text) {
    std::fprintf(stderr, "hesapkar-cli export: %s\n", text.c_str());
    return 1;
}

} // namespace

const char* exportUsage() {
    return "menu DIR --xlsx OUT [--open]: writes the menu catalogue list of data folder DIR to "
           "the workbook OUT";
}

int runExport(const Args& args) {
    ExportArgs a;
    if (!parse(args, a) || a.list != "menu") {
        std::fprintf(stderr, "usage: hesapkar-cli export %s\n", exportUsage());
        return 2;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(a.folder, ec)) return fail(a.folder + ": data folder not found");
    // Read-only: an export changes no data and creates no file in the data folder.
    auto ds = data::DataSet::open(data::Locations::resolve(a.folder, std::filesystem::current_path()),
                                  data::Access::ReadOnly);
    if (!ds) return fail(ds.error().text + (ds.error().file.empty() ? "" : " (" + ds.error().file + ")"));
    auto sheet = app::menuListSheet(*ds);
    if (!sheet) return fail(sheet.error().text + (sheet.error().file.empty() ? "" : " (" + sheet.error().file + ")"));
    auto written = app::exportReport(*sheet, output::ExportTarget{a.xlsx, a.open, {}});
    if (!written) return fail(written.error().text);
    std::printf("%s\n", written->c_str());
    return 0;
}

} // namespace hk::cli
