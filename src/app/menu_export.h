#pragma once
// The "Excel" button of the menu catalogue list (KulMenuList): the catalogue in menu-number order
// as a sheet with the captions "M.No" (#,##0.00) and "Menu Adı", one row per menu item.

#include "app/sheet_export.h"
#include "data/dataset.h"

namespace hk::app {

// The sheet alone (for the command-line export and the tests).
core::Result<output::Sheet> menuListSheet(data::DataSet& dataSet);
core::Result<output::Sheet> menuListSheet(data::TypedTable<data::MenuList>& menu);

// The whole list export: the question, the sheet, the workbook, the error box on failure.
ListExportResult exportMenuList(Ui& ui, data::DataSet& dataSet, const output::ExportTarget& target);

} // namespace hk::app
