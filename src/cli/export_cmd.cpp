// hesapkar-cli export: list exports to a spreadsheet workbook without windows. The list
// exporter's question is answered by running the command; the workbook goes where --xlsx says
// and is opened with the spreadsheet application only when --open is given. The data folder is
// opened for reading only: an export creates and changes nothing there.
#include "cli/commands.h"
#include "cli/data_folder.h"
#include "cli/options.h"

#include "app/menu_export.h"

#include <cstdio>
#include <string>

namespace hk::cli {

namespace {

struct ExportArgs {
    std::string list, folder, xlsx, programDir;
    bool open = false;
};

bool parse(const Args& args, ExportArgs& out) {
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--xlsx" && i + 1 < args.size())
            out.xlsx = args[++i];
        else if (args[i] == "--program-dir" && i + 1 < args.size())
            out.programDir = args[++i];
        else if (args[i] == "--open")
            out.open = true;
        else if (!args[i].empty() && args[i][0] == '-')
            return false;
        else
            plain.push_back(args[i]);
    }
    if (plain.size() != 2 || out.xlsx.empty()) return false;
    out.list = plain[0];
    out.folder = plain[1];
    return true;
}

} // namespace

const char* exportUsage() {
    return "menu DIR --xlsx OUT [--open] [--program-dir DIR]: writes the menu catalogue list of "
           "data folder DIR to the workbook OUT";
}

int runExport(const Args& args) {
    ExportArgs a;
    if (!parse(args, a) || a.list != "menu")
        return fail("export", std::string("usage: hesapkar-cli export ") + exportUsage(), 2);
    std::filesystem::path programDir =
        a.programDir.empty() ? executableFolder() : absoluteFolder(a.programDir);
    if (programDir.empty()) programDir = std::filesystem::current_path();
    auto rd = openExisting(absoluteFolder(a.folder), programDir);
    if (!rd) return fail("export", errorText(rd.error()));
    auto table = rd->data.table(data::fileDef(data::Layout::MenuList), false);
    if (!table) return fail("export", "MenuList: " + errorText(table.error()));
    data::TypedTable<data::MenuList> menu(std::move(*table));
    auto sheet = app::menuListSheet(menu);
    if (!sheet) return fail("export", "MenuList: " + errorText(sheet.error()));
    auto written = app::exportReport(*sheet, output::ExportTarget{a.xlsx, a.open, {}});
    if (!written) return fail("export", written.error().text);
    std::printf("%s\n", written->c_str());
    return 0;
}

} // namespace hk::cli
