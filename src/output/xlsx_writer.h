#pragma once
// Writes a Sheet as an .xlsx workbook (one worksheet). Layout of the result:
//   - every column is formatted as text ("@") first; columns with a format of their own get it;
//   - styled rows carry their bold + colour format for the whole row and on each cell;
//   - columns are as wide as their longest cell text (the spreadsheet's AutoFit);
//   - zoom 75 %, cell A1 selected.
// The workbook is written under a temporary name in the target folder, read back whole and only
// then renamed.
// Anything the format cannot hold honestly (invalid UTF-8, control characters, texts over 32767
// characters, numbers that are not finite, too many rows or columns) refuses the whole export
// with the row and column named, instead of a workbook with silently wrong cells.

#include "core/result.h"
#include "output/sheet.h"

#include <string>

namespace hk::output {

inline constexpr int kXlsxZoom = 75;

// Width (in the spreadsheet's character units) that AutoFit would give a column whose longest
// cell shows `chars` characters; bold text is a little wider.
double fittedWidth(std::size_t chars, bool bold);
// The text a cell shows, for fitting the columns.
std::string displayText(const CellValue& v, NumberFormat columnFormat);

core::Status writeXlsx(const Sheet& sheet, const std::string& path);

} // namespace hk::output
