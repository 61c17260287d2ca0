// hesapkar-cli check DIR: the engine's integrity check, every key against its record, unique keys
// and the relation rules. Exit code 1 when anything is wrong.
#include "cli/commands.h"
#include "cli/data_folder.h"

#include <cstdio>

namespace hk::cli {

const char* checkUsage() {
    return "DIR [--program-dir DIR]: integrity, keys and relations of the data folder";
}

int runCheck(const Args& args) {
    auto o = parseCommonOptions(args);
    if (!o) return fail("check", o.error().text, 2);
    if (o->positional.size() != 1) return fail("check", std::string("kullanım: check ") + checkUsage(), 2);
    const auto dir = absoluteFolder(o->positional[0]);
    auto rd = openExisting(dir, o->programDir);
    if (!rd) return fail("check", errorText(rd.error()));
    int problems = 0;
    auto run = [&](data::Database& db) -> bool {
        auto r = db.check();
        if (!r) {
            fail("check", r.error().describe());
            return false;
        }
        for (const auto& p : *r) {
            std::printf("%s: %s\n", printable(p.table).c_str(), printable(p.text).c_str());
            ++problems;
        }
        return true;
    };
    if (!run(rd->data)) return 1;
    if (rd->program && !run(*rd->program)) return 1;
    if (problems) {
        std::printf("%d sorun bulundu.\n", problems);
        return 1;
    }
    std::printf("Sorun yok.\n");
    return 0;
}

} // namespace hk::cli
