#pragma once
// Reading a chart into HsPlan from outside: the workbook "HsPlan.xls" of the data folder
// (ExcelHsPlanOku), any workbook, or a CSV file. Only accounts that are not in the chart yet are
// added; an existing account is never changed.
//
// Both readers check the whole file first and write nothing when any row is refused: the user
// gets every refused row with its line number and reason in one message, and the chart stays
// as it was. The accepted rows are then written in one unit of work.
//
// Workbook rows are taken as they stand (code, attribute letter, first name line; no parent or
// attribute rules), except that what cannot be stored honestly is refused: a code longer than 18
// characters or a name longer than 50, characters outside the Turkish code page, and codes with
// a leading blank or two blanks in a row, which would post one level twice.
//
// CSV rows follow the entry rules of the account form in file order: a parent must be in the
// chart or come earlier in the file, a top-level code becomes "K", a currency must exist.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

#include <filesystem>
#include <string>

namespace hk::accounts {

struct ImportCounts {
    int added = 0;
    int skipped = 0; // already in the chart
};

inline constexpr const char* kImportProgress = "Hesapkar Hesap Plan Okunuyor...";

// The workbook ExcelHsPlanOku reads: <data folder>/HsPlan.xls, or HsPlan.xlsx beside it when
// only that one exists.
std::filesystem::path chartWorkbookPath(const data::Locations& where);

// Reads a workbook (.xls or .xlsx, told by its content) into the chart.
core::Result<ImportCounts> importWorkbook(data::DataSet& data, const std::filesystem::path& file,
                                          app::Ui& ui);
// Reads a CSV file (UTF-8, "," or ";", RFC 4180 quoting, header code,name,attr[,name2,unit,
// currency]) into the chart.
core::Result<ImportCounts> importCsv(data::DataSet& data, const std::filesystem::path& file,
                                     app::Ui& ui);

// The "Excel Oku" button: a missing file is the message "<file>\nDosyası Bulunamıyor.!"; then
// importWorkbook. Every refusal is shown through ui (the Error comes back marked shown).
core::Result<ImportCounts> runExcelHsPlanOku(data::DataSet& data, app::Ui& ui);

} // namespace hk::accounts
