#include "output/sheet_reader.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace hk::output {

std::string numberText(double v) {
    if (v == 0) return "0"; // also -0
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "INF" : "-INF");
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc{}) return "0";
    return std::string(buf, end);
}

core::Result<Workbook> Workbook::open(const std::string& path, const ReadLimits& limits) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return core::Error::of(kSheetNotFound, path + ": " + std::strerror(errno), path);
    if (!S_ISREG(st.st_mode))
        return core::Error::of(kSheetNotFound, path + ": not an ordinary file", path);
    if (std::uint64_t(st.st_size) > limits.maxFileBytes)
        return core::Error::of(kSheetLimit,
                               path + ": the workbook is larger than " +
                                   std::to_string(limits.maxFileBytes) + " bytes",
                               path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return core::Error::of(kSheetNotFound,
                               path + ": the file cannot be opened for reading (" +
                                   std::strerror(errno) + ")",
                               path);
    static const unsigned char kOle[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    // A reader's error names the workbook it came from.
    auto withFile = [&](core::Result<Workbook> r) {
        if (r) return r;
        core::Error e = r.error();
        e.file = path;
        return core::Result<Workbook>(std::move(e));
    };
    char head[8] = {};
    in.read(head, sizeof head);
    std::size_t got = std::size_t(in.gcount());
    if (got == 8 && std::memcmp(head, kOle, 8) == 0) {
        in.close();
        return withFile(readXls(path, limits));
    }
    if (got >= 4 && head[0] == 'P' && head[1] == 'K') {
        std::string bytes(std::size_t(st.st_size), '\0');
        in.seekg(0);
        if (!in.read(bytes.data(), std::streamsize(bytes.size())))
            return core::Error::of(kSheetDamaged,
                                   path + ": the file could not be read to its end (" +
                                       std::to_string(in.gcount()) + " of " +
                                       std::to_string(bytes.size()) + " bytes)",
                                   path);
        return withFile(readXlsx(std::move(bytes), limits, path));
    }
    return core::Error::of(kSheetUnknownFormat,
                           path + ": not a spreadsheet workbook (.xlsx or .xls)", path);
}

core::Result<Workbook> Workbook::fromXlsxBytes(std::string bytes, const ReadLimits& limits,
                                               const std::string& label) {
    if (bytes.size() > limits.maxFileBytes)
        return core::Error::of(kSheetLimit, label + ": the workbook is too large");
    return readXlsx(std::move(bytes), limits, label);
}

core::Result<Workbook> Workbook::fromCells(std::vector<SheetCell> cells, std::string sheetName,
                                           const ReadLimits& limits) {
    std::erase_if(cells, [](const SheetCell& c) { return c.text.empty(); });
    if (cells.size() > limits.maxCells)
        return core::Error::of(kSheetLimit, "the worksheet has more than " +
                                                std::to_string(limits.maxCells) + " filled cells");
    std::sort(cells.begin(), cells.end(), [](const SheetCell& a, const SheetCell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    Workbook wb;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const SheetCell& c = cells[i];
        if (c.row == 0 || c.col == 0)
            return core::Error::of(kSheetDamaged, "cell outside the worksheet");
        if (i > 0 && cells[i - 1].row == c.row && cells[i - 1].col == c.col)
            return core::Error::of(kSheetDamaged, "cell at row " + std::to_string(c.row) +
                                                      ", column " + std::to_string(c.col) +
                                                      " appears twice");
        wb.rows_ = std::max(wb.rows_, c.row);
        wb.cols_ = std::max(wb.cols_, c.col);
    }
    wb.cells_ = std::move(cells);
    wb.sheetName_ = std::move(sheetName);
    return wb;
}

std::string Workbook::cellText(std::uint32_t row, std::uint32_t col) const {
    auto it =
        std::lower_bound(cells_.begin(), cells_.end(), std::pair{row, col},
                         [](const SheetCell& c, const std::pair<std::uint32_t, std::uint32_t>& k) {
                             return c.row != k.first ? c.row < k.first : c.col < k.second;
                         });
    if (it != cells_.end() && it->row == row && it->col == col) return it->text;
    return {};
}

} // namespace hk::output
