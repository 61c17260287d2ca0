#pragma once
// The twelve-month view of one account (Y_Mizan12Ay): straight from the account record, its
// opening totals, the twelve monthly totals in fiscal order and the closing totals, each with
// the running position. No voucher is read.

#include "data/records.h"

#include <array>
#include <string>
#include <vector>

namespace hk::accounts {

enum class Measure { TL, Currency, SubUnit };

struct TwelveMonthRow {
    std::string label; // "Açılış", a month name, "Kapanış"
    double debit = 0, credit = 0, balance = 0;          // "Cari Ay"
    double cumDebit = 0, cumCredit = 0, cumBalance = 0; // "Kümülatif"
};

// The fourteen rows: "Açılış", fiscal months 1..12, "Kapanış". A balance is debit - credit.
std::vector<TwelveMonthRow> twelveMonths(const data::HsPlan& a, Measure m,
                                         const std::array<std::string, 12>& monthNames,
                                         int ayFarki);

// Label of fiscal month k (1..12): "1.Ocak" .. "12.Aralık" when the year starts in January,
// otherwise the name of calendar month ayFarki + k (less 12 above 12).
std::string fiscalMonthLabel(int k, const std::array<std::string, 12>& monthNames, int ayFarki);

// The window title: "12 Aylık Mizan   [" + code + " " + name 1 + " " + name 2 + "]".
std::string twelveMonthTitle(const data::HsPlan& a);

} // namespace hk::accounts
