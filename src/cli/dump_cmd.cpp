// hesapkar-cli dump DIR FILE: the records of one file, one per line, every field in declaration
// order separated by " | " (array elements one by one), text without trailing blanks; in the
// order of the file's first key, or in physical order for a file without keys. Records whose
// optional first key is blank are not in that key: they follow, in physical order, so every
// record of the file is listed. Field text is printed through printable(): a database may come
// from elsewhere, and its text must not drive the terminal.
#include "cli/commands.h"
#include "cli/data_folder.h"
#include "core/text.h"
#include "data/errors.h"
#include "data/keycodec.h"

#include <cstdio>

namespace hk::cli {

const char* dumpUsage() {
    return "DIR FILE [--program-dir DIR]: records of FILE (HsPlan, FisDet, ...), one per line";
}

namespace {

std::string recordLine(const data::FileDef& def, const data::Record& rec, core::Status& st) {
    std::string line;
    bool first = true;
    for (std::uint32_t f = 0; f < def.fields.size(); ++f) {
        const auto& fd = def.fields[f];
        if (fd.type == data::FieldType::GROUP) continue;
        for (std::uint32_t e = 1; e <= fd.count; ++e) {
            auto v = rec.text(def.label(f), e);
            if (!v) {
                st = v.error();
                return {};
            }
            if (!first) line += " | ";
            line += printable(core::text::clip(*v));
            first = false;
        }
    }
    return line;
}

// Prints the records of the current order; with onlyUnkeyed, only those outside the first key.
int printRecords(data::Table& t, const data::FileDef& def, bool onlyUnkeyed) {
    for (;;) {
        if (auto r = t.next(); !r) {
            if (data::is(r.error(), data::ErrorCode::NoRecord)) return 0;
            return fail("dump", r.error().describe());
        }
        const data::Record& rec = t.buffer();
        if (onlyUnkeyed && data::encodeKey(rec, def.keys[0], data::KeyFormat::Compact)) continue;
        core::Status st;
        const std::string line = recordLine(def, rec, st);
        if (!st) return fail("dump", st.error().describe());
        std::printf("%s\n", line.c_str()); // fields already made printable
    }
}

int dumpTable(data::Database& db, const std::string& name) {
    auto def = storedLayout(db, name);
    if (!def) return fail("dump", def.error().text);
    const data::FileDef& d = **def;
    auto t = db.table(name, d, false);
    if (!t) return fail("dump", t.error().describe());
    if (d.keys.empty()) {
        if (auto st = t->setPhysical(); !st) return fail("dump", st.error().describe());
        return printRecords(*t, d, false);
    }
    if (auto st = t->set(std::uint32_t{0}); !st) return fail("dump", st.error().describe());
    if (int rc = printRecords(*t, d, false); rc != 0) return rc;
    if (!d.keys[0].optional) return 0;
    if (auto st = t->setPhysical(); !st) return fail("dump", st.error().describe());
    return printRecords(*t, d, true);
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
    return fail("dump", "\"" + printable(wanted) + "\" adlı bir dosya yok (dosyalar: hesapkar-cli info)");
}

} // namespace hk::cli
