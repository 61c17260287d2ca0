#pragma once
// What the voucher list shows and what the voucher-line exports write: the headers of one month
// in date or key order with the type filter, their totals, and the spreadsheets of the list, the
// line list, the header list and "Fiş Detay Listesini Excel Aktar".

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "output/sheet.h"

#include <string>
#include <vector>

namespace hk::vouchers {

enum class ListOrder { ByDate, ByKey };

// The list state: fiscal month m (its key range), the calendar dates of that month (the date
// range), the order and the type filter (' ' = all).
struct ListQuery {
    int month = 1;
    core::Date from, to; // date range of the date order
    ListOrder order = ListOrder::ByDate;
    char type = ' ';
    bool wholeYear = false; // key range 01..99, dates of the whole period
};

// The key range of the list: "mm" .. "mm" + "zzzzzzzz" (the whole year: "01" .. "99zzzzzzzz").
std::string listKeyFrom(const ListQuery& q);
std::string listKeyTo(const ListQuery& q);
// True when the header passes the type filter.
bool passesType(const data::FisBas& h, char type);

struct ListTotals {
    double debit = 0, credit = 0, difference = 0;
    long count = 0;
};
// "Fark": the absolute difference of the two totals.
double differenceOf(const data::FisBas& h);

// Every listed header, in list order.
core::Result<std::vector<data::FisBas>> listVouchers(data::DataSet& ds, const ListQuery& q);
ListTotals listTotals(const std::vector<data::FisBas>& heads);

// "Fiş Listesi Excel".
output::Sheet voucherListSheet(const std::vector<data::FisBas>& heads);
// The line list's "Excel" (Fisdetlistesi).
output::Sheet lineListSheet(const std::vector<data::FisDet>& lines);
// The header list's "Excel" (SelectHkFisBas).
output::Sheet headerListSheet(const std::vector<data::FisBas>& heads);

// ExcelFisDetayAktar: "Excel Yaz" for fiscal month m; "Yevmiye Excel" (full = false) and
// "Yevmiye Excel full" over every voucher. Progress through the Ui; "İşlem Tamamlandı" at the end.
core::Result<output::Sheet> fisDetaySheet(data::DataSet& ds, app::Ui& ui, int m);
core::Result<output::Sheet> yevmiyeSheet(data::DataSet& ds, app::Ui& ui, bool full);

// The lines of one voucher in account order (the line list's second tab) or all lines.
core::Result<std::vector<data::FisDet>> voucherLines(data::DataSet& ds, const std::string& key);

} // namespace hk::vouchers
