#include "statements/procedures.h"

#include "output/atomic_file.h"
#include "statements/definitions.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace hk::statements {

namespace {

core::Result<std::string> fileArgument(const app::Options& o) {
    if (o.positional.size() != 1) return core::Error::badInput("one file name expected (FILE.json)");
    return o.positional[0];
}

core::Status exportDefinitions(app::ProcedureContext& ctx, const app::Options& o) {
    auto file = fileArgument(o);
    if (!file) return file.error();
    auto defs = readDefinitions(ctx.data);
    if (!defs) return defs.error();
    auto out = output::AtomicFile::create(*file);
    if (!out) return out.error();
    if (auto st = out->write(toJson(*defs)); !st) return st;
    if (auto st = out->commit(); !st) return st;
    ctx.ui.tell(std::to_string(defs->reports.size()) + " rapor tanımı, " + std::to_string(defs->statements.size()) +
                " tablo tanımı yazıldı: " + *file);
    return {};
}

core::Status importDefinitionFile(app::ProcedureContext& ctx, const app::Options& o) {
    auto file = fileArgument(o);
    if (!file) return file.error();
    struct stat st {};
    if (stat(file->c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return core::Error::badInput("not a readable file: " + *file, *file);
    if (static_cast<std::size_t>(st.st_size) > kMaxDefinitionFile)
        return core::Error::badInput("definition file too large: " + *file, *file);
    std::ifstream in(*file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) return core::Error::badInput("cannot read " + *file, *file);
    auto defs = fromJson(text.str());
    if (!defs) return core::Error::badInput(*file + ": " + defs.error().text, *file);
    return importDefinitions(ctx.data, ctx.ui, std::move(*defs));
}

} // namespace

void registerProcedures(app::ProcedureRegistry& registry) {
    registry.add(app::ProcedureSpec{
        .name = {},
        .command = {"definitions", "export"},
        .usage = "DIR FILE.json: writes every report (Rapor/DRapor) and statement (Tablo/DTablo) "
                 "definition of DIR to FILE.json",
        .runs = app::Runs::Here,
        .run = exportDefinitions,
        .flags = {},
        .switches = {},
    });
    registry.add(app::ProcedureSpec{
        .name = {},
        .command = {"definitions", "import"},
        .usage = "DIR FILE.json: adds the definitions of FILE.json to DIR with the editors' checks; "
                 "a number already used refuses the whole import",
        .runs = app::Runs::Here,
        .run = importDefinitionFile,
        .flags = {},
        .switches = {},
    });
}

} // namespace hk::statements
