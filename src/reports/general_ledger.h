#pragma once
// The general ledger ("kebir defteri"): for each ledger (kebir) account, the journal entries
// posted to it and to its sub-accounts, one line per entry and side, with page totals carried
// from page to page as the statutory book requires. Two stages:
//
//   KebirAyir     fills the work file XKebir (memory engine) from the journalised vouchers of
//                 the run: one record per ledger code, date, journal number and side ("B"
//                 debit, "X" credit) holding the TL sum of that entry's lines on that side;
//   KebirRaporu   walks the work file in key order and lays the lines out at fixed columns,
//                 each ledger account on pages of its own, writing into a page writer (preview,
//                 PDF, raw queue or file, text file).
//
// Layout of a detail line (1-based columns): date "d6" at 1, account code at 13 (18), account
// name at 33 (48), the amount "n18.2" right-aligned in 19 characters at 84 (debit) or 91
// (credit), the journal number "n_5" + "/ " at 113, then " MAHSUP" / " TAHSİL" / " TEDİYE", a
// blank and the voucher number "n_5" right after the last non-blank character.
//
// Invariants:
//   - only journalised vouchers (MFB:YEVMIYENO > 0) reach the work file: the book prints entries
//     by journal number, and a voucher without one belongs to no statutory book yet; cancelled
//     vouchers are never numbered, so they never appear either;
//   - the carried totals of an account are the sums of its lines on the pages before; a page
//     that is not output (below the first page) still carries them;
//   - the company state (MYA:KEBIRYEVMIYENO, MYA:SONKEBIRAY) is written in one transaction,
//     only after the output was complete and accepted by its sink, only when asked, only when
//     the run printed a journal entry beyond the stored one (a reprint of an earlier range never
//     moves the state back); a page count writes nothing;
//   - a run changes no other data.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/table.h"
#include "output/page.h"
#include "output/printer.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hk::reports {

struct GeneralLedgerOptions {
    std::string accountStart, accountEnd; // ledger account codes; blank = open on that side
    int startMonth = 0;                   // fiscal months; 0 = no month limit
    int endMonth = 0;                     // 0 = no upper limit
    core::Date startDate, endDate;        // unset = no limit on that side
    std::int32_t firstJournal = 0;        // journal numbers; lastJournal 0 = no upper limit
    std::int32_t lastJournal = 0;
    int firstPage = 1;      // "Başlangıç Sayfa No": pages below are laid out, not output
    bool pageCount = false; // " Gerekli Sayfa Adedini Bul"
    bool storeState = true; // write MYA:KEBIRYEVMIYENO / MYA:SONKEBIRAY after a complete run
    int fontSize = 6;       // ordinary printers
};

// What the filter window proposes: the journal numbers after the last printed one and the
// month of the last printed record (stored as a calendar month, proposed as its fiscal month).
GeneralLedgerOptions generalLedgerDefaults(const data::Yasal& company);

// Refuses a range whose start lies after its end (accounts, months, dates, journal numbers),
// a month outside 1..12, a first page below 1 and an account code that is not a ledger account
// of the chart. Reads the chart, writes nothing.
core::Status checkGeneralLedger(data::DataSet& ds, const GeneralLedgerOptions& o);

using GeneralLedgerWork = data::TypedTable<data::XKebir>;
// A fresh, empty work file "XKebir.Tmp" in memory.
GeneralLedgerWork newGeneralLedgerWork();

// Fills `work`. False when the user cancelled (the report is then skipped, nothing stored).
core::Result<bool> KebirAyir(data::DataSet& ds, app::Ui& ui, const GeneralLedgerOptions& o,
                             GeneralLedgerWork& work);

struct GeneralLedgerResult {
    int pages = 0;                 // pages laid out (those below the first page included)
    long lines = 0;                // detail lines
    long accounts = 0;             // ledger accounts printed
    std::int32_t highestJournal = 0;
    int lastMonth = 0;             // calendar month of the last record read (0: none)
    bool stored = false;           // the company state was written
};

// Lines per page: 78 on ordinary printers (63 for a page count); 63 on the text printers,
// whose initialisation sets a 66-line form.
int generalLedgerLinesPerPage(output::PrinterKind kind, bool pageCount);
// A4 portrait in the report font, or the text printers' continuous paper.
output::PageStyle generalLedgerPageStyle(output::PrinterKind kind, int fontSize);

// Prints `work` into `sink` and finishes it; then stores the state when the options ask for
// it. A failure leaves the sink unfinished (no output file) and the state as it was.
core::Result<GeneralLedgerResult> KebirRaporu(data::DataSet& ds, app::Ui& ui,
                                              const GeneralLedgerOptions& o,
                                              GeneralLedgerWork& work, output::PrinterKind kind,
                                              output::PageSink& sink);

// The whole run as "Yaz" does it: the checks, KebirAyir and, when it ran to its end,
// KebirRaporu. nullopt when the user cancelled the sorting (nothing output, nothing stored).
core::Result<std::optional<GeneralLedgerResult>>
runGeneralLedger(data::DataSet& ds, app::Ui& ui, const GeneralLedgerOptions& o,
                 output::PrinterKind kind, output::PageSink& sink);

inline constexpr const char* kGeneralLedgerSortTitle = "Kebir Hesapları Sıralanıyor";

} // namespace hk::reports
