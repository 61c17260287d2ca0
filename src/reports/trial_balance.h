#pragma once
// The trial balance ("mizan") as a defined listing report, in two stages:
//
//   TnmMizanIslemi   builds the work file (XHSP, the memory engine) from the chart's monthly
//                    totals (month mode) or from the vouchers (date mode): one record per account
//                    in range with period (CR), cumulative (KM) and balance (BK) amounts, rolled
//                    up through the account hierarchy, with the optional frame classes;
//   TnmMizanRaporu   walks the work file in code order, evaluates the definition's columns and
//                    writes lines into a page writer or rows into a spreadsheet.
//
// Invariants: a detail account's amounts reach itself and each ancestor that ends before a blank
// in its code, once; the balance of a measure has at most one non-zero side for detail accounts
// and for parents of style "T"; a run changes no ledger data (the optional rebuild before it is
// the caller's step).

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/table.h"
#include "output/printer.h"
#include "reports/listing.h"

#include <string>

namespace hk::reports {

struct TrialBalanceOptions {
    int startMonth = 0; // fiscal months 1..12; 0 = date mode
    int endMonth = 0;
    core::Date startDate, endDate;
    std::string accountStart, accountEnd; // blank = all
    char level = '8';                      // 'C', 'S', '1'..'8'
    char style = 'T';                      // 'T' single, 'C' double
    char status = 'C';                     // 'C' moved, 'B' with a balance, 'T' all
    bool opening = true;                   // "Açılış Fişi Dahilmi"
    bool closing = false;                  // "Kapanış Fişi Dahilmi"
    bool frame = false;                    // " Çerçeve Sınıf Dahil"
    core::Date reportDate;
    int fontSize = 6;
};

// Checks the options as the filter window does; the error says which one is wrong.
core::Status checkOptions(const TrialBalanceOptions& o);

// A fresh, empty work file ("XHs" + random number + ".Tmp").
data::TypedTable<data::XHsp> newWorkFile();

// Fills `work`. False when the user cancelled (the report is then skipped).
core::Result<bool> TnmMizanIslemi(data::DataSet& ds, app::Ui& ui, const TrialBalanceOptions& o,
                                  data::TypedTable<data::XHsp>& work);

struct ReportStats {
    long rows = 0;  // lines written for records
    bool any = false;
};

// Writes the report of `work` through `out`. `kind` chooses the control bytes and emphasis.
core::Result<ReportStats> TnmMizanRaporu(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                         const TrialBalanceOptions& o,
                                         data::TypedTable<data::XHsp>& work, ListingOutput& out,
                                         output::PrinterKind kind);

// Lines per page and paper of a printed trial balance or ledger of `width` characters.
int reportLinesPerPage(output::PrinterKind kind, const output::PageStyle& style);
output::PageStyle reportPageStyle(output::PrinterKind kind, std::size_t width, int fontSize);

} // namespace hk::reports
