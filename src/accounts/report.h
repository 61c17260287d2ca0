#pragma once
// The chart report (HesapPlaniRaporu): the accounts of a code range, one line each, printed
// through the page writer or written as a spreadsheet.

#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "output/page.h"
#include "output/sheet.h"

#include <string>
#include <vector>

namespace hk::accounts {

struct ChartReportOptions {
    std::string from; // first code; empty = from the start
    std::string to;   // last code; empty = to the end
    core::Date date;  // "Rapor Tarihi"
};

// The printed lines: the page header ("HESAP PLANI LİSTESİ", "Tarih :" and the date, the column
// titles) on every page, the printer kind's initialisation bytes before it on raw printers, one
// line per account. An "NPQ" page ends with a form feed.
core::Status writeChartReport(data::DataSet& data, const ChartReportOptions& o,
                              output::PageWriter& w);

// The spreadsheet: the title row, the caption row (bold, coloured), one row per account.
core::Result<output::Sheet> chartSheet(data::DataSet& data, const ChartReportOptions& o);

// Lines per page of the raw printer kinds (a 66-line form less a margin).
inline constexpr int kRawLinesPerPage = 62;

} // namespace hk::accounts
