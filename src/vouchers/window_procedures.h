#pragma once
// The long tools the voucher windows start, as procedures that run off the GUI thread with the
// progress window (Runs::Worker): the account transfer of the chart list ("HesapTransferi"), the
// in-voucher sort of a range of months ("FisIciSiralaAylar"), the year-long voucher-line exports
// of "Fis Detay Satırlarının Excel Aktarılması" ("FisDetayExcelYaz", "YevmiyeExcelYaz") and the
// voucher list's "Fiş Listesi Excel" ("FisListesiExcelYaz", a month or the whole year).
// A window hands its fields over as named options:
//
//   HesapTransferi     source, target, from-month, to-month | from-date, to-date (dd.mm.yyyy)
//   FisIciSiralaAylar  from, to (fiscal months)
//   FisDetayExcelYaz   month; xlsx (the workbook; empty: a new one opened in the spreadsheet)
//   YevmiyeExcelYaz    full (1: "Yevmiye Excel full"); xlsx
//   FisListesiExcelYaz month, type (M, A, E or blank), order (date | key), whole-year; xlsx
//
// A refusal has been shown when the procedure returns its error; a declined export question
// returns a shown error too, so the window knows nothing was written.

#include "app/procedure.h"

namespace hk::vouchers {

void registerWindowToolProcedures(app::ProcedureRegistry& registry);

} // namespace hk::vouchers
