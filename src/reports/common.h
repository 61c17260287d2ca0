#pragma once
// What the trial balance and the subsidiary ledger share besides the listing engine: the account
// range of a run, which vouchers a run takes, calendar months, the company title and the first
// line of a printed page.

#include "core/result.h"
#include "data/records.h"
#include "output/page.h"
#include "output/printer.h"
#include "vouchers/books.h"

#include <string>
#include <string_view>

namespace hk::reports {

// The chart range of a run: from `first` (in key order) until past() says the range is over.
// An end that is a detail account ends the range at itself; any other end takes all its
// sub-accounts as well (the end code followed by high values); a blank end takes everything.
struct AccountRange {
    std::string first;
    std::string end;
    bool endIsDetail = false;

    // `cutStart`: start from the start code cut at its first blank, so that the ledger and group
    // accounts above the start are visited too.
    static core::Result<AccountRange> make(vouchers::Books& b, const std::string& start,
                                           const std::string& end, bool cutStart);
    bool past(std::string_view code) const;
};

// True when no code can lie between start and end: the start sorts after the end and does not
// lie in the end's branch (an end other than a detail account takes its sub-accounts).
bool emptyRange(std::string_view start, std::string_view end);

// Opening ("ACF"), closing ("KPF") and cancelled ("IPT") vouchers by the run's options.
bool voucherTaken(std::string_view attribute, bool opening, bool closing, bool cancelled);

// Calendar month of fiscal month m (1..12) of a year starting at `fiscalStart`.
int calendarMonth(int fiscalMonth, const core::Date& fiscalStart);
// Fiscal month of a calendar date.
int fiscalMonthOf(const core::Date& d, const core::Date& fiscalStart);

// Levels of an account code: 1 + the runs of blanks in it.
int codeLevels(std::string_view code);

// Company title: first line without trailing blanks, a blank, the second line.
std::string companyTitle(const data::Yasal& y);

// The page's first line: the printer's initialisation bytes (emphasis switched on when
// `emphasis`), or an empty line on ordinary printers.
core::Status writeInit(output::PageWriter& w, output::PrinterKind kind, bool emphasis);

} // namespace hk::reports
