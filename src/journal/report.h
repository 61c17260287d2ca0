#pragma once
// YevmiyeRaporu: the journal of one fiscal month in the fixed-column layout of the statutory
// book, written line by line into a page writer (preview, PDF, raw queue, raw file, text file).
//
// Layout of a line (1-based columns of a 255-character buffer):
//   1-18 account code | 20 (debit) / 25 (credit) account name | 69 description (35)
//   106 debit amount / 112 credit amount, 20 characters right-aligned ("n20.2")
// A page holds lines-per-page - 1 lines: its header, the entries, and, once the line counter
// (1 on an empty page) reaches lines-per-page - 3, an empty line and the two page-end total
// lines. The next page opens with the totals carried forward.
//
// Numbering: without reprint every voucher of the range without a number gets the next one.
// A certified run stores each number with the journal state in one transaction per voucher, so
// an interrupted printout leaves a consistent prefix; an uncertified run, a reprint and a
// page count store nothing.

#include "app/ui.h"
#include "core/result.h"
#include "journal/run.h"
#include "output/page.h"
#include "output/printer.h"

namespace hk::data {
class DataSet;
}

namespace hk::journal {

// Lines per page of the printer kind ("NPQ", "LPQ": 63; ordinary printers 80, or 63 for a page
// count).
int linesPerPage(output::PrinterKind kind, bool pageCount);
// Paper and font of the rendered pages: A4 in "Courier New" at the window's font size, or the
// continuous paper of the text printers.
output::PageStyle pageStyle(output::PrinterKind kind, int fontSize);

struct ReportResult {
    int pages = 0;      // number of the last page (pages below the first page included)
    int entries = 0;    // vouchers printed
    JournalState state; // the journal state after the run (stored only when certified)
};

// Runs the journal into `sink`. Refusals (month, end date, earlier months) write nothing at all.
core::Result<ReportResult> YevmiyeRaporu(data::DataSet& ds, app::Ui& ui, const RunOptions& o,
                                         output::PrinterKind kind, output::PageSink& sink);

} // namespace hk::journal
