#pragma once
// The cash book ("kasa defteri"): the movements of one cash account between two dates, on the
// listing-report engine with a fixed column list, with a carried-forward "Devir" line, the
// running cash balance "Kalan" and the "Genel Toplam".
//
// A voucher's cash movements: in a mahsup voucher ("M") its lines on the cash account, with
// their own debit and credit; in a tahsil ("A") or tediye ("E") voucher the cash side is not a
// line of its own, so each of its other lines moves the cash account with debit and credit
// exchanged (a customer's credit of 1000 in a tahsil voucher is 1000 "Giren").
//
// Invariants: vouchers before the first date only feed the carried-forward sums; the book's
// totals include those sums; cancelled vouchers ("IPT") are never posted and never counted; the
// run changes no data.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "output/printer.h"
#include "reports/listing.h"
#include "reports/run.h"

#include <string>

namespace hk::reports {

struct CashBookOptions {
    std::string account;           // "Kasa Hesap Kodu"
    core::Date startDate, endDate; // "İşlem Tarihi" Başı / Sonu; an unset end = no end
    core::Date reportDate;
    int fontSize = 6;
};

// Refuses a blank account, an account that is not in the chart, and a date range whose start
// lies after its end.
core::Status checkCashBook(data::DataSet& ds, const CashBookOptions& o);

// The fixed nine columns.
Definition cashBookDefinition();

struct CashBookStats {
    long lines = 0;        // movement lines written
    bool written = false;  // false: the empty report (no movement, no positive carried balance)
    double carriedDebit = 0, carriedCredit = 0;
    double balance = 0;    // Kalan after the last line
};

core::Result<CashBookStats> KasaDefteriYaz(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                           const CashBookOptions& o, ListingOutput& out,
                                           output::PrinterKind kind);

// A whole run into a route (page sink, text file or spreadsheet); the sink is finished only when
// the run succeeded, so a failure leaves no output file.
core::Result<CashBookStats> runCashBook(data::DataSet& ds, app::Ui& ui, const CashBookOptions& o,
                                        const Route& route);

// Characters of a cash-book line (every column and its separating blank).
std::size_t cashBookWidth();

} // namespace hk::reports
