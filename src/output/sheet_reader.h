#pragma once
// Reading a workbook the way the importers need it: the active worksheet's cells by row and
// column, each as text. Both .xlsx and the legacy .xls are read; the kind is told by the file's
// first bytes, not its extension.
//
// Cell text:
//   | cell                 | text                                                          |
//   |----------------------|---------------------------------------------------------------|
//   | text                 | as stored (UTF-8)                                              |
//   | number               | shortest form that reads back to the same value, "." decimal;  |
//   |                      | NaN, infinities and numbers beyond a double are refused        |
//   | number with a date   | day.month.year ("05.03.2024"); the time of day is dropped      |
//   |   format             |                                                               |
//   | boolean              | "1" or "0"                                                     |
//   | error value          | its code ("#N/A")                                              |
//   | formula              | its cached result as above                                     |
//   | empty                | ""                                                             |
//
// A workbook comes from outside: sizes are bounded (ReadLimits) and anything damaged, hostile
// or beyond the limits is refused with a clear error rather than read in part. Text that is not
// valid UTF-8 and dates that are no calendar date are refused too, naming the cell.

#include "core/result.h"
#include "output/zip_archive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hk::output {

struct ReadLimits {
    ArchiveLimits archive = workbookArchiveLimits();
    std::uint64_t maxFileBytes = 256ull << 20;
    std::uint64_t maxXmlBytes = 64ull << 20; // one XML part, uncompressed
    std::size_t maxSharedStrings = 1000000;
    std::uint64_t maxSharedStringBytes = 64ull << 20;
    std::size_t maxCells = 2000000; // non-empty cells kept
    std::size_t maxStyles = 65536;
    // Per workbook, whatever its parts and relationships say: the bytes of XML parsed (each part
    // is parsed at most once), the markup the parser builds nodes for (each element counts two,
    // for itself and the text beside it, each attribute one; this bounds the parser's memory,
    // about 64 bytes a unit, however the elements nest) and the bytes of cell text handed out (a
    // shared string counts once for every cell that shows it).
    std::uint64_t maxTotalXmlBytes = 128ull << 20;
    std::uint64_t maxMarkup = 4000000;
    std::uint64_t maxCellTextBytes = 64ull << 20;

    static ArchiveLimits workbookArchiveLimits() {
        ArchiveLimits a;
        a.maxEntries = 2000;
        a.maxEntryBytes = 64ull << 20;
        a.maxTotalBytes = 256ull << 20;
        return a;
    }
};

struct SheetCell {
    std::uint32_t row = 0; // from 1
    std::uint32_t col = 0; // from 1
    std::string text;
};

// Error codes of the readers (Error::code).
enum SheetReadError : int {
    kSheetNotFound = 301,
    kSheetUnknownFormat = 302,
    kSheetDamaged = 303,
    kSheetLimit = 304,
    kSheetRefusedXml = 305,
    kSheetEncrypted = 306,
};

class Workbook {
  public:
    static core::Result<Workbook> open(const std::string& path, const ReadLimits& limits = {});
    // The readers without a file (fuzzing, embedded workbooks).
    static core::Result<Workbook> fromXlsxBytes(std::string bytes, const ReadLimits& limits = {},
                                                const std::string& label = "workbook");
    static core::Result<Workbook> fromCells(std::vector<SheetCell> cells, std::string sheetName,
                                            const ReadLimits& limits = {});

    // Text of the cell at row, column (both from 1), "" for an empty cell or one outside the sheet.
    std::string cellText(std::uint32_t row, std::uint32_t col) const;
    // The last used row and column (0 for an empty sheet).
    std::uint32_t rowCount() const { return rows_; }
    std::uint32_t colCount() const { return cols_; }
    // Non-empty cells in row order, then column order.
    const std::vector<SheetCell>& cells() const { return cells_; }
    const std::string& sheetName() const { return sheetName_; }

  private:
    std::vector<SheetCell> cells_;
    std::string sheetName_;
    std::uint32_t rows_ = 0, cols_ = 0;
};

// The readers proper (xlsx_reader.cpp, xls_reader.cpp).
core::Result<Workbook> readXlsx(std::string bytes, const ReadLimits& limits,
                                const std::string& label);
core::Result<Workbook> readXls(const std::string& path, const ReadLimits& limits);

// Number as the readers show it: the shortest text that reads back to the same double.
std::string numberText(double v);

} // namespace hk::output
