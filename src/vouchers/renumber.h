#pragma once
// Putting vouchers back into order without changing what they post: renumbering a month in date
// order (FisSirala), finishing an interrupted renumbering (FisSiralaDuzelt), and sorting the lines
// inside each voucher (FisIciSirala).
//
// A renumbering moves each voucher of month m first to the parking range (key pair 80 + m) and
// then back to a fresh number, in transactions that hold whole vouchers: whenever it stops,
// every voucher is whole under exactly one key, and FisSiralaDuzelt completes the parked ones.
// Account totals are not touched (the vouchers stay in their month); line amounts are rounded to
// two decimals.
//
// The in-voucher sort rewrites each voucher's lines in one transaction, so an interruption can
// never leave a voucher without its lines.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

#include <functional>
#include <string>

namespace hk::vouchers {

inline constexpr int kParkingBase = 80;

// Where a renumbering run stops early: after parking (before the counters are reset), or never.
// Used by the maintenance tests to leave the state an interruption leaves.
enum class StopAt { Never, AfterParking };

// m + " Ay Fişleri İçinde Yevmiyesi Çekilmiş Fişler Var Sıralama Yapılamaz.."
std::string journalisedMonthMessage(int m);

// FisSirala (fiscal month m). Refusals show their box and change nothing: numbering settings not
// chosen, a journalised voucher in the month. The user's stop (Ui::cancelled) is honoured
// between vouchers and leaves a state FisSiralaDuzelt completes.
core::Status FisSirala(data::DataSet& ds, app::Ui& ui, int m, StopAt stop = StopAt::Never);

// FisSiralaDuzelt: every parked voucher without a journal number gets the next number of its
// month. Returns how many were finished.
core::Result<int> FisSiralaDuzelt(data::DataSet& ds, app::Ui& ui);

// FisIciSirala over the vouchers whose key month lies in first..last (journalised ones skipped);
// debit lines by account descending when `debitDescending` ([Fis] iciSirala = 1).
core::Result<int> FisIciSirala(data::DataSet& ds, app::Ui& ui, int first, int last,
                               bool debitDescending);
// The same for one voucher.
core::Status FisIciSiralaOne(data::DataSet& ds, std::string_view key, bool debitDescending);

} // namespace hk::vouchers
