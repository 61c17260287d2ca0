#pragma once
// Where a spreadsheet export goes. The program once filled a new, unsaved workbook of the
// spreadsheet application by automation; here the Sheet is written as a real .xlsx file and then
// handed to the desktop's spreadsheet application, or written to a path the caller chose (the
// command-line program, report runs that write a file).
//
// A failed export is one of: the workbook could not be written (folder missing or unwritable,
// disk full, a value the format cannot hold) or no application could open it. Either way no half
// file is left behind: the workbook appears under its name only when complete.

#include "core/result.h"
#include "output/sheet.h"

#include <string>

namespace hk::output {

struct ExportTarget {
    // The workbook to write. Empty: a new workbook "Kitap1.xlsx" in a fresh folder under the
    // system's temporary folder, opened with the spreadsheet application afterwards.
    std::string path;
    // Open the written workbook with the spreadsheet application (always done when path is empty).
    bool open = false;
    // The program that opens it, given the workbook's path as its only argument. Empty: the
    // environment variable HK_SPREADSHEET_APP, else "xdg-open". It is waited for, so it must
    // return once the application has been started (as xdg-open does); a non-zero exit status
    // means it could not be opened.
    std::string openCommand;
};

// Error code of a workbook that was written but could not be opened.
inline constexpr int kNoSpreadsheetApplication = 401;

// Writes the sheet and, as asked, opens it. Returns the workbook's path.
core::Result<std::string> exportSheet(const Sheet& sheet, const ExportTarget& target);

// Opens an existing workbook with the spreadsheet application (see ExportTarget::openCommand).
core::Status openWithApplication(const std::string& path, const std::string& command = {});

} // namespace hk::output
