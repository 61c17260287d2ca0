#pragma once
// The subsidiary ledger ("muavin") as a defined listing report: account by account, every
// voucher line of the period in date order with a running balance, the carried-forward line
// ("Devir") for the movements before the period, month totals and cumulative totals.
//
// It reads the vouchers, not the monthly totals. The vouchers of the year are ordered once per
// run (fiscal month of the key, then date, then number). A detail account's lines are read
// through FisDet's account index when the run covers few accounts, or gathered for all the run's
// accounts in one pass over the lines as stored when it covers many (see ledger.cpp for the
// rule); ledger accounts note in one pass which vouchers each account appears in and read the
// lines of those vouchers through the line key (voucher key + account code).
//
// Invariants: the running balance of a measure starts at 0 for each account at the start of the
// fiscal year and takes every line the run takes, those before the period included; lines before
// the period are only accumulated, never written; a run changes no ledger data.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "output/printer.h"
#include "reports/listing.h"

#include <cstdint>
#include <string>

namespace hk::reports {

struct LedgerOptions {
    int startMonth = 0; // fiscal months 1..12; 0 = date mode
    int endMonth = 0;
    core::Date startDate, endDate;
    std::string accountStart, accountEnd; // blank = all
    bool kebir = false;              // "Kebir Muavin Çekilsinmi?"
    bool monthTotals = true;         // "Ay Toplamı Alınacakmı?"
    bool opening = true;             // "Açılış Fişi Dahilmi?"
    bool closing = false;            // "Kapanış Fişi Dahilmi?"
    bool cancelled = false;          // "İptal Fişler Dahilmi?"
    bool pagePerAccount = true;      // " Her Muavin Ayrı Sayfaya Yazılsın"
    bool onlyActive = true;          // " Çalışan Muavin Hesaplar Yazılsın"
    bool cumulativeEachMonth = true; // " Her Ayın Sonunda Kümülatif Toplam Alınsın"
    bool fileRoute = false;          // "Dosya ya Aktar": lines laid out as for the spreadsheet
    core::Date reportDate;
    int fontSize = 6;
    // How the lines of detail accounts are read: as the run chooses (through FisDet's account
    // index for a few accounts, in one pass over the lines for many), or one way always (the two
    // must print the same; tests compare them).
    enum class Reads : std::uint8_t { Chosen, ByAccount, OnePass };
    Reads reads = Reads::Chosen;
};

// Checks the options against the fiscal year; the error says which one is wrong.
core::Status checkOptions(const LedgerOptions& o, const data::Yasal& company);

struct LedgerStats {
    long accounts = 0; // accounts that wrote anything
    long lines = 0;    // voucher lines written
};

// The month-total captions: "OCAK AYI TOPLAMI" .. "ARALIK AYI TOPLAMI" by calendar month.
const std::string& monthTotalLabel(int calendarMonth);

core::Result<LedgerStats> TnmMuavinRaporu(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                          const LedgerOptions& o, ListingOutput& out,
                                          output::PrinterKind kind);

} // namespace hk::reports
