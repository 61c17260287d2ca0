// hesapkar-cli dump DIR FILE: the records of one file, one per line, every field in declaration
// order separated by " | " (array elements one by one), text without trailing blanks; in the
// order of the file's first key, or in physical order for a file without keys. Records whose
// optional first key is blank are not in that key and are not listed.
#include "cli/commands.h"
#include "cli/data_folder.h"
#include "core/text.h"
#include "data/errors.h"

#include <cstdio>

namespace hk::cli {

const char* dumpUsage() {
    return "DIR FILE [--program-dir DIR]: records of FILE (HsPlan, FisDet, ...), one per line";
}

namespace {

int dumpTable(data::Database& db, const std::string& name) {
    auto def = storedLayout(db, name);
    if (!def) return fail("dump", def.error().text);
    auto t = db.table(name, **def, false);
    if (!t) return fail("dump", t.error().describe());
    core::Status st = (*def)->keys.empty() ? t->setPhysical() : t->set(std::uint32_t{0});
    if (!st) return fail("dump", st.error().describe());
    for (;;) {
        if (auto r = t->next(); !r) {
            if (data::is(r.error(), data::ErrorCode::NoRecord)) break;
            return fail("dump", r.error().describe());
        }
        const data::Record& rec = t->buffer();
        std::string line;
        bool first = true;
        for (std::uint32_t f = 0; f < (*def)->fields.size(); ++f) {
            const auto& fd = (*def)->fields[f];
            if (fd.type == data::FieldType::GROUP) continue;
            for (std::uint32_t e = 1; e <= fd.count; ++e) {
                auto v = rec.text((*def)->label(f), e);
                if (!v) return fail("dump", v.error().describe());
                if (!first) line += " | ";
                line += core::text::clip(*v);
                first = false;
            }
        }
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

} // namespace

int runDump(const Args& args) {
    auto o = parseCommonOptions(args);
    if (!o) return fail("dump", o.error().text, 2);
    if (o->positional.size() != 2) return fail("dump", std::string("kullanım: dump ") + dumpUsage(), 2);
    const auto dir = absoluteFolder(o->positional[0]);
    const std::string wanted = o->positional[1];
    auto rd = openExisting(dir, o->programDir);
    if (!rd) return fail("dump", errorText(rd.error()));
    auto findIn = [&](data::Database& db) -> std::string {
        for (const auto& n : dataTables(db))
            if (core::text::compare(n, wanted, true) == 0) return n;
        return {};
    };
    if (auto n = findIn(rd->data); !n.empty()) return dumpTable(rd->data, n);
    if (rd->program)
        if (auto n = findIn(*rd->program); !n.empty()) return dumpTable(*rd->program, n);
    return fail("dump", "\"" + wanted + "\" adlı bir dosya yok (dosyalar: hesapkar-cli info)");
}

} // namespace hk::cli
