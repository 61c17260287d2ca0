// The legacy .xls reader (BIFF inside an OLE2 container) through FreeXL. FreeXL does not report
// which sheet was active when the file was saved, so the first worksheet is read; workbooks
// made for the importers have one sheet.

#include "output/sheet_reader.h"

#include <freexl.h>

#include <cstdio>
#include <memory>

namespace hk::output {

namespace {

using core::Error;

struct FreeXlCloser {
    void operator()(const void* h) const { freexl_close(h); }
};

std::string freeXlText(int rc) {
    switch (rc) {
    case FREEXL_INSUFFICIENT_MEMORY: return "not enough memory";
    case FREEXL_CRAFTED_FILE: return "the file is damaged or crafted";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE: return "invalid OLE2 header";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return "no workbook stream";
    case FREEXL_BIFF_INVALID_SST: return "invalid shared string table";
    case FREEXL_BIFF_INVALID_BOF: return "invalid BIFF record";
    case FREEXL_UNSUPPORTED_CHARSET: return "unsupported character set";
    case FREEXL_INVALID_CHARACTER: return "invalid character";
    default: return "FreeXL error " + std::to_string(rc);
    }
}

// FreeXL gives dates as "YYYY-MM-DD[ HH:MM:SS]"; the importers read day.month.year.
std::string dateText(const char* iso) {
    unsigned y = 0, m = 0, d = 0;
    if (iso && std::sscanf(iso, "%4u-%2u-%2u", &y, &m, &d) == 3) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", d, m, y);
        return buf;
    }
    return iso ? iso : "";
}

} // namespace

core::Result<Workbook> readXls(const std::string& path, const ReadLimits& limits) {
    const void* raw = nullptr;
    int rc = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, FreeXlCloser> handle(raw);
    if (rc != FREEXL_OK) {
        int code = rc == FREEXL_FILE_NOT_FOUND ? kSheetNotFound : kSheetDamaged;
        return Error::of(code, path + ": cannot read the .xls workbook (" + freeXlText(rc) + ")");
    }
    unsigned int info = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return Error::of(kSheetEncrypted, path + ": the workbook is password protected");
    unsigned int sheets = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        return Error::of(kSheetDamaged, path + ": the workbook has no worksheet");
    const char* name = nullptr;
    if (freexl_get_worksheet_name(raw, 0, &name) != FREEXL_OK)
        return Error::of(kSheetDamaged, path + ": cannot read the worksheet name");
    std::string sheetName = name ? name : "";
    if ((rc = freexl_select_active_worksheet(raw, 0)) != FREEXL_OK)
        return Error::of(kSheetDamaged, path + ": cannot open the worksheet (" + freeXlText(rc) + ")");
    unsigned int rows = 0;
    unsigned short cols = 0;
    if ((rc = freexl_worksheet_dimensions(raw, &rows, &cols)) != FREEXL_OK)
        return Error::of(kSheetDamaged, path + ": cannot read the worksheet size (" + freeXlText(rc) + ")");
    if (rows > 65536 || cols > 256)
        return Error::of(kSheetDamaged, path + ": worksheet larger than a .xls sheet can be");

    std::vector<SheetCell> cells;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if ((rc = freexl_get_cell_value(raw, r, c, &v)) != FREEXL_OK)
                return Error::of(kSheetDamaged, path + ": cannot read the cell at row " +
                                                    std::to_string(r + 1) + ", column " +
                                                    std::to_string(c + 1) + " (" + freeXlText(rc) + ")");
            std::string text;
            switch (v.type) {
            case FREEXL_CELL_INT: text = std::to_string(v.value.int_value); break;
            case FREEXL_CELL_DOUBLE: text = numberText(v.value.double_value); break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT: text = v.value.text_value ? v.value.text_value : ""; break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME: text = dateText(v.value.text_value); break;
            case FREEXL_CELL_TIME: text = v.value.text_value ? v.value.text_value : ""; break;
            default: break;
            }
            if (text.empty()) continue;
            if (cells.size() >= limits.maxCells)
                return Error::of(kSheetLimit, path + ": the worksheet has more than " +
                                                  std::to_string(limits.maxCells) + " filled cells");
            cells.push_back(SheetCell{r + 1, std::uint32_t(c) + 1, std::move(text)});
        }
    }
    return Workbook::fromCells(std::move(cells), std::move(sheetName), limits);
}

} // namespace hk::output
