#include "cli/data_folder.h"

#include "core/text.h"
#include "data/dataset.h"

#include <cstdio>

namespace hk::cli {

namespace fs = std::filesystem;

std::optional<app::start::Started> startOn(const char* command, const CommonOptions& o,
                                           const fs::path& dir, app::Session& s, TerminalUi& ui,
                                           int& exitCode) {
    app::start::HeadlessOptions h;
    h.cmd.path = dir.string();
    h.cmd.hasPath = true;
    h.cmd.aktar = o.aktar;
    h.programFolder = o.programDir;
    h.user = o.user;
    h.password = o.password;
    h.today = core::Date::today();
    try {
        return app::start::startHeadless(s, ui, h);
    } catch (const app::ProgramEnd& e) {
        exitCode = e.exitCode() != 0 ? e.exitCode() : 1;
        // The box already told the user; the reason is repeated only when it says more.
        const std::string reason = core::text::trim(e.reason());
        if (reason.empty() && ui.refusals() == 0)
            fail(command, "başlatma sona erdi", exitCode);
        else if (!reason.empty() && reason != core::text::trim(ui.lastText()))
            fail(command, reason, exitCode);
        return std::nullopt;
    }
}

core::Result<ReadOnlyData> openExisting(const fs::path& dir, const fs::path& programDir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return core::Error::of(0, "veri klasörü yok: " + dir.string(), dir.string());
    const fs::path dbFile = dir / std::string(data::kDataDatabase);
    if (!fs::exists(dbFile, ec))
        return core::Error::of(0, "veri klasörü hazırlanmamış (önce \"hesapkar-cli init\"): " +
                                      dir.string(),
                               dir.string());
    data::OpenOptions ro;
    ro.create = false;
    ro.readOnly = true;
    auto db = data::Database::open(dbFile, ro);
    if (!db) return db.error();
    ReadOnlyData r{std::move(*db), std::nullopt};
    const fs::path men = programDir / std::string(data::kProgramDatabase);
    if (fs::exists(men, ec)) {
        auto p = data::Database::open(men, ro);
        if (!p) return p.error();
        r.program.emplace(std::move(*p));
    }
    return r;
}

core::Result<const data::FileDef*> storedLayout(data::Database& db, const std::string& table) {
    auto name = db.layoutOf(table);
    if (!name) return name.error();
    for (const data::FileDef& d : data::allLayouts())
        if (d.layoutName == *name) return &d;
    return core::Error::of(0, table + " tablosunun düzeni (" + *name + ") bu programda tanımlı değil",
                           table);
}

std::vector<std::string> dataTables(data::Database& db) { return db.tables(); }

} // namespace hk::cli
