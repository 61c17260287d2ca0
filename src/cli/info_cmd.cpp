// hesapkar-cli info DIR: the data version and the number of records of every file.
#include "cli/commands.h"
#include "cli/data_folder.h"
#include "data/convert.h"

#include <cstdio>

namespace hk::cli {

const char* infoUsage() {
    return "DIR [--program-dir DIR]: data version and record count per file (reads only)";
}

namespace {

int listCounts(data::Database& db, const char* title) {
    std::printf("%s\n", title);
    for (const auto& name : dataTables(db)) {
        auto def = storedLayout(db, name);
        if (!def) return fail("info", printable(name) + ": " + printable(def.error().text));
        auto t = db.table(name, **def, false);
        if (!t) return fail("info", printable(name) + ": " + t.error().describe());
        auto n = t->count();
        if (!n) return fail("info", printable(name) + ": " + n.error().describe());
        const std::string shown = printable(name);
        if ((*def)->layoutName == name)
            std::printf("  %-14s %8lld\n", shown.c_str(), static_cast<long long>(*n));
        else
            std::printf("  %-14s %8lld  (%s)\n", shown.c_str(), static_cast<long long>(*n),
                        (*def)->layoutName.c_str());
    }
    return 0;
}

} // namespace

int runInfo(const Args& args) {
    auto o = parseCommonOptions(args);
    if (!o) return fail("info", o.error().text, 2);
    if (o->positional.size() != 1) return fail("info", std::string("kullanım: info ") + infoUsage(), 2);
    const auto dir = absoluteFolder(o->positional[0]);
    auto rd = openExisting(dir, o->programDir);
    if (!rd) return fail("info", errorText(rd.error()));
    auto v = data::convert::check(rd->data);
    if (!v) return fail("info", v.error().describe());
    std::printf("Veri klasörü: %s\n", dir.string().c_str());
    std::printf("Veri sürümü: %s (program %s)\n",
                v->dataVersion.empty() ? "-" : v->dataVersion.c_str(),
                std::string(data::kProgramVersion).c_str());
    if (int rc = listCounts(rd->data, "Dosya           Kayıt"); rc) return rc;
    if (rd->program)
        if (int rc = listCounts(*rd->program, "Program klasörü"); rc) return rc;
    return 0;
}

} // namespace hk::cli
