#pragma once
// The start-up sequence without windows, step by step, for both programs. The desktop program
// runs these steps around its login window and main frame; the command-line program runs them all
// through startHeadless().
//
//   1  text locale: nothing to do, the Turkish tables are built into core/text
//   2  file names:  locate()
//   3  user file:   ensureUserFile()  (a file of another layout is moved aside, never deleted)
//   4  login:       the caller (login.h holds the logic)
//   5  version:     checkVersion()    (may end the program)
//   6-7 printer, [OZEL] KONTROL: readStartSettings()
//  11  data preparation: prepareData() (its messages are shown through the Ui)
//  12-16 month names, AyFarki, CalisilanAy, month table, [Fis]/[Ozel]: settleCalendar()
//  18  rights: the caller (rights.h)
//
// Every step that ends the program throws ProgramEnd (message.h) after showing its message.

#include "app/message.h"
#include "app/session.h"
#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/startup.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hk::app::start {

struct CommandLine {
    std::string path;     // value of Path=
    bool hasPath = false;
    bool kapat = false;   // /KAPAT
    bool duzenle = false; // /DUZENLE
    bool aktar = false;   // /AKTAR
};

// "Path=DIR", "/KAPAT", "/DUZENLE", "/AKTAR"; names compared without regard to case. Anything
// else is refused with a clear error (a mistyped switch must not be ignored silently).
core::Result<CommandLine> parseCommandLine(const std::vector<std::string>& args);

// Step 2. programFolder: the folder the program was started in (text files, program-wide files).
data::Locations locate(const CommandLine& cmd, const std::filesystem::path& programFolder);

// Step 2 continued: opens the data set. A folder or database that cannot be opened raises
// message 23 (fatal) with the name and the engine's text.
data::DataSet openDataSet(const data::Locations& where, Ui& ui);

// Step 3.
struct UserFileReport {
    std::string movedAsideTo;  // table name the old user file was kept under, empty when none
    bool defaultUserAdded = false;
};
core::Result<UserFileReport> ensureUserFile(data::Database& db);

// Step 5. Returns normally when the data set is new or current, or was converted; throws
// ProgramEnd when the version is newer, the question is refused, the version is unknown or a
// step failed.
void checkVersion(data::Database& db, Ui& ui);

// Steps 6 and 7: [Printer] Name, [OZEL] KONTROL.
void readStartSettings(Session& s);

// Step 11: prepares the data set, shows its messages in order, and puts the company record into
// the session. A storage error raises message 23 (fatal).
data::startup::Report prepareData(data::DataSet& ds, Session& s, Ui& ui, const CommandLine& cmd,
                                  const std::filesystem::path& programFolder, core::Date today);

// Steps 12-16: month names, AyFarki, CalisilanAy (1 when the company record was just created,
// else [CalisilanAy] AyNo or today's month), month table, [Fis] 33Satir / iciSirala, [Ozel] Kovan.
void settleCalendar(Session& s, const data::startup::Report& prepared, core::Date today);

// Everything from step 2 to step 16 with the login done by ID and password (the command-line
// program). Login failures show "Geçersiz Kullanıcı" or the wrong-password text and end.
struct HeadlessOptions {
    CommandLine cmd;
    std::filesystem::path programFolder;
    std::string user = "HESAPKAR";
    std::string password;
    core::Date today;
};
struct Started {
    data::DataSet data;
    UserFileReport users;
    data::startup::Report prepared;
    std::string versionBefore;  // data version found at start ("" for a new data set)
};
Started startHeadless(Session& s, Ui& ui, const HeadlessOptions& o);

} // namespace hk::app::start
