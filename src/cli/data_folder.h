#pragma once
// What the data commands share: starting on a data folder the way the programs start (user file,
// login, version check and conversion, start-up preparation), and opening an existing data
// folder for reading only (info, dump, check), which never creates or changes anything.

#include "app/session.h"
#include "app/startup.h"
#include "cli/options.h"
#include "cli/terminal_ui.h"
#include "core/result.h"
#include "data/database.h"
#include "data/dictionary.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hk::cli {

// Runs the start-up on `dir`. On an ended start the reason has been printed and `exitCode` is
// set; the result is then empty.
std::optional<app::start::Started> startOn(const char* command, const CommonOptions& o,
                                           const std::filesystem::path& dir, app::Session& s,
                                           TerminalUi& ui, int& exitCode);

// The databases of an existing data folder, read-only: the folder's own and, when present, the
// program-wide one of the program folder.
struct ReadOnlyData {
    data::Database data;
    std::optional<data::Database> program;
};
core::Result<ReadOnlyData> openExisting(const std::filesystem::path& dir,
                                        const std::filesystem::path& programDir);

// The layout a table was written under.
core::Result<const data::FileDef*> storedLayout(data::Database& db, const std::string& table);

// Every data table of a database (the conversion leftovers ".Esk" and ".Tmp" included).
std::vector<std::string> dataTables(data::Database& db);

} // namespace hk::cli
