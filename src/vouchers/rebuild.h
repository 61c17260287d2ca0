#pragma once
// Rebuilds of what posting keeps: the account totals (MizanSifirla, MizanDuzelt, YMizanDuzelt),
// the voucher header totals (FisBaslikYarat), the voucher keys (FisKeyStrDuzelt) and the number
// counters (FisNumaratorDuzelt).
//
// Each runs as ONE transaction: a failure or a stop leaves the books exactly as they were, never
// a half-cleared chart. Notices about the vouchers (missing or non-detail accounts) are boxes
// through the Ui and the work goes on. Progress lines are shown for every record class but
// thinned out over long runs (one in kProgressEvery), so a terminal is not flooded.
//
// The full rebuild differs from posting in two settled points, kept on purpose: every line
// amount is rounded to two decimals, and the totals stop propagating upwards at the first
// missing level of a code (posting skips a missing level and goes on).

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

#include <string>

namespace hk::vouchers {

inline constexpr int kProgressEvery = 512;

// Clears the totals of fiscal months first..last, and the opening/closing totals when asked.
core::Status MizanSifirla(data::DataSet& ds, app::Ui& ui, int first, int last, bool opening,
                          bool closing);

// Rebuilds fiscal month m of every account and the header totals of that month's vouchers.
core::Status MizanDuzelt(data::DataSet& ds, app::Ui& ui, int m);

// Rebuilds every total of every account from all vouchers; with `leaveOutYan` vouchers with the
// attribute "YAN" (any letter case) are left out.
core::Status YMizanDuzelt(data::DataSet& ds, app::Ui& ui, bool leaveOutYan);

// Rebuilds the debit and credit totals of every voucher header from its lines and recreates
// headers that lines point to but that are missing. Cancellable (nothing changes then).
core::Status FisBaslikYarat(data::DataSet& ds, app::Ui& ui);

// Recomposes every voucher key from the voucher's date, type and number by the company's
// current numbering settings.
core::Status FisKeyStrDuzelt(data::DataSet& ds, app::Ui& ui);

// Recomputes the counters from the vouchers of one fiscal month ("1".."12") or of all ("H").
core::Status FisNumaratorDuzelt(data::DataSet& ds, app::Ui& ui, const std::string& month);

// ROUND(x * 100, 1) / 100: two decimals, halves away from zero.
double roundCents(double x);

} // namespace hk::vouchers
