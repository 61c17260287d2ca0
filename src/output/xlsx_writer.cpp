#include "output/xlsx_writer.h"

#include "core/text.h"
#include "output/atomic_file.h"
#include "output/zip_archive.h"

#include <pugixml.hpp>
#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string_view>

namespace hk::output {

namespace {

using core::Error;

// Exports refused by the writer carry this code; libxlsxwriter's own errors keep theirs.
constexpr int kSheetRefused = 201;

std::string where(std::size_t row, std::size_t col) {
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(col + 1);
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        std::size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    return out;
}

// As the spreadsheet shows a number with a fixed count of decimals: halves round away from zero.
std::string formatNumber(double v, int decimals) {
    long double scaled = std::round(std::fabs((long double)v) * std::pow(10.0L, decimals));
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0Lf", scaled);
    std::string digits = buf;
    if (digits.size() <= std::size_t(decimals))
        digits.insert(0, std::size_t(decimals) + 1 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - std::size_t(decimals));
    std::string frac =
        decimals > 0 ? "." + digits.substr(digits.size() - std::size_t(decimals)) : "";
    bool negative = v < 0 && digits.find_first_not_of('0') != std::string::npos;
    return (negative ? "-" : "") + groupThousands(whole) + frac;
}

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const {
        // Only reached when the export is abandoned; the temporary file goes with AtomicFile.
        if (wb) workbook_close(wb);
    }
};

// Name of the root element of an XML text ("worksheet"), skipping the declaration and comments.
std::string rootElement(std::string_view xml) {
    std::size_t i = 0;
    while ((i = xml.find('<', i)) != std::string_view::npos) {
        if (xml.compare(i, 2, "<?") == 0 || xml.compare(i, 2, "<!") == 0) {
            ++i;
            continue;
        }
        std::size_t end = xml.find_first_of(" \t\r\n/>", i + 1);
        return std::string(xml.substr(i + 1, end == std::string_view::npos ? 0 : end - i - 1));
    }
    return {};
}

// libxlsxwriter does not notice every failed write: with the disk full it produced a well-formed
// package whose worksheet part was cut off, and reported success. So the written file is read
// back: every entry must inflate completely and match its checksum, and every XML part must be
// whole — small parts are parsed, large ones must end with the closing tag of their root.
core::Status verifyWorkbook(const std::string& file) {
    ArchiveLimits own; // our own file: only the size of what we wrote bounds it
    own.maxArchiveBytes = 4ull << 30;
    own.maxEntries = 1000000;
    own.maxEntryBytes = 0xFFFFFFFEull;
    own.maxTotalBytes = ~0ull;
    own.maxRatio = ~0ull;
    auto zip = ZipReader::openFile(file, own);
    if (!zip) return zip.error();
    constexpr std::size_t kParseBelow = 1u << 20;
    for (std::size_t i = 0; i < zip->entries().size(); ++i) {
        const ArchiveEntry& e = zip->entries()[i];
        const bool xml = e.name.ends_with(".xml") || e.name.ends_with(".rels");
        std::string head, tail;
        auto st = zip->forEachChunk(int(i), [&](const char* p, std::size_t n) {
            if (xml) {
                if (e.size < kParseBelow || head.size() < 4096) head.append(p, n);
                tail.append(p, n);
                if (tail.size() > 8192) tail.erase(0, tail.size() - 4096);
            }
            return true;
        });
        if (!st) return st;
        if (!xml) continue;
        if (e.size < kParseBelow) {
            pugi::xml_document doc;
            if (!doc.load_buffer(head.data(), head.size()))
                return Error::of(kSheetRefused, "part " + e.name + " is not whole");
            continue;
        }
        std::string root = rootElement(head);
        while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back())))
            tail.pop_back();
        if (root.empty() || !tail.ends_with("</" + root + ">"))
            return Error::of(kSheetRefused, "part " + e.name + " is not whole");
    }
    return {};
}

Error lxwError(lxw_error e, const std::string& what) {
    return Error::of(int(e), what + ": " + lxw_strerror(e));
}

} // namespace

double fittedWidth(std::size_t chars, bool bold) {
    double w = double(chars) * (bold ? 1.1 : 1.0) + 1.0;
    return std::clamp(w, LXW_DEF_COL_WIDTH, 255.0);
}

std::string displayText(const CellValue& v, NumberFormat columnFormat) {
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* d = std::get_if<double>(&v)) {
        switch (columnFormat) {
        case NumberFormat::Amount:
            return formatNumber(*d, 2);
        case NumberFormat::Whole:
            return formatNumber(*d, 0);
        default: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.10g", *d);
            return buf;
        }
        }
    }
    if (auto* d = std::get_if<core::Date>(&v)) return d->isSet() ? "00.00.0000" : "";
    if (auto* t = std::get_if<core::Time>(&v)) return t->isSet() ? "00:00" : "";
    return "";
}

core::Status writeXlsx(const Sheet& sheet, const std::string& path) {
    const auto& rows = sheet.rows();
    const int columns = sheet.columnCount();
    if (rows.size() > LXW_ROW_MAX)
        return Error::of(kSheetRefused, "the list has " + std::to_string(rows.size()) +
                                            " rows; a worksheet holds at most " +
                                            std::to_string(LXW_ROW_MAX));
    if (columns > LXW_COL_MAX)
        return Error::of(kSheetRefused, "the list has " + std::to_string(columns) +
                                            " columns; a worksheet holds at most " +
                                            std::to_string(LXW_COL_MAX));
    // Check every value before anything is written.
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].cells.size(); ++c) {
            const CellValue& v = rows[r].cells[c];
            if (auto* s = std::get_if<std::string>(&v)) {
                if (!core::text::isValidUtf8(*s))
                    return Error::of(kSheetRefused, "invalid text at " + where(r, c));
                for (unsigned char ch : *s)
                    if (ch < 0x20 && ch != '\t' && ch != '\n' && ch != '\r')
                        return Error::of(kSheetRefused,
                                         "control character in the text at " + where(r, c));
                if (core::text::length(*s) > 32767)
                    return Error::of(kSheetRefused,
                                     "text longer than 32767 characters at " + where(r, c));
            } else if (auto* d = std::get_if<double>(&v)) {
                if (!std::isfinite(*d))
                    return Error::of(kSheetRefused, "number that is not finite at " + where(r, c));
            } else if (auto* dt = std::get_if<core::Date>(&v)) {
                if (dt->isSet() && !dt->isValid())
                    return Error::of(kSheetRefused, "invalid date at " + where(r, c));
            }
        }
    }

    auto temp = AtomicFile::create(path);
    if (!temp) {
        if (temp.error().code == kNotAnOrdinaryFile)
            return Error::of(kNotAnOrdinaryFile, path + " exists and is not an ordinary file",
                             path);
        return Error::of(temp.error().code,
                         "cannot create the workbook " + path + " (" + temp.error().text + ")",
                         path);
    }

    lxw_workbook_options options{};
    std::unique_ptr<lxw_workbook, WorkbookCloser> wb(
        workbook_new_opt(temp->temporary().c_str(), &options));
    if (!wb) return Error::of(kSheetRefused, "cannot create the workbook " + path, path);
    lxw_worksheet* ws = workbook_add_worksheet(wb.get(), sheet.name.c_str());
    if (!ws) return Error::of(kSheetRefused, "invalid worksheet name \"" + sheet.name + "\"", path);

    // One format per (number format, row style) pair, made on first use.
    std::map<std::pair<NumberFormat, RowStyle>, lxw_format*> formats;
    auto formatOf = [&](NumberFormat nf, RowStyle style) {
        auto& f = formats[{nf, style}];
        if (!f) {
            f = workbook_add_format(wb.get());
            format_set_num_format(f, formatCode(nf));
            if (style != RowStyle::Plain) {
                format_set_bold(f);
                format_set_font_color(f, colourRgb(style));
            }
        }
        return f;
    };

    // Widths from the longest shown text per column.
    std::vector<double> widths(std::size_t(columns), 0.0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            std::string shown = displayText(row.cells[c], sheet.columnFormat(int(c) + 1));
            if (shown.empty()) continue;
            widths[c] = std::max(
                widths[c], fittedWidth(core::text::length(shown), row.style != RowStyle::Plain));
        }

    // Columns one by one (overlapping ranges would make an invalid file), then the rest as text.
    for (int c = 0; c < columns; ++c) {
        double w = widths[std::size_t(c)] > 0 ? widths[std::size_t(c)] : LXW_DEF_COL_WIDTH;
        if (auto e = worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), w,
                                          formatOf(sheet.columnFormat(c + 1), RowStyle::Plain));
            e != LXW_NO_ERROR)
            return lxwError(e, path);
    }
    if (columns < LXW_COL_MAX)
        if (auto e =
                worksheet_set_column(ws, lxw_col_t(columns), LXW_COL_MAX - 1, LXW_DEF_COL_WIDTH,
                                     formatOf(NumberFormat::Text, RowStyle::Plain));
            e != LXW_NO_ERROR)
            return lxwError(e, path);

    for (std::size_t r = 0; r < rows.size(); ++r) {
        const SheetRow& row = rows[r];
        const auto lr = lxw_row_t(r);
        if (row.style != RowStyle::Plain)
            if (auto e = worksheet_set_row(ws, lr, LXW_DEF_ROW_HEIGHT,
                                           formatOf(NumberFormat::Text, row.style));
                e != LXW_NO_ERROR)
                return lxwError(e, path);
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            const auto lc = lxw_col_t(c);
            const NumberFormat colFormat = sheet.columnFormat(int(c) + 1);
            const CellValue& v = row.cells[c];
            lxw_error e = LXW_NO_ERROR;
            if (auto* s = std::get_if<std::string>(&v)) {
                // A string cell is text by its type: "100" stays the text "100", no apostrophe.
                e = worksheet_write_string(ws, lr, lc, s->c_str(), formatOf(colFormat, row.style));
            } else if (auto* d = std::get_if<double>(&v)) {
                e = worksheet_write_number(ws, lr, lc, *d, formatOf(colFormat, row.style));
            } else if (auto* dt = std::get_if<core::Date>(&v)) {
                if (!dt->isSet()) continue;
                double serial = dateSerial(*dt);
                if (serial < 1) {
                    // The spreadsheet has no day before 1 January 1900: keep the date as text.
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "%02u.%02u.%04u", unsigned(dt->day),
                                  unsigned(dt->month), unsigned(dt->year));
                    e = worksheet_write_string(ws, lr, lc, buf,
                                               formatOf(NumberFormat::Text, row.style));
                } else {
                    e = worksheet_write_number(ws, lr, lc, serial,
                                               formatOf(NumberFormat::Date, row.style));
                }
            } else if (auto* t = std::get_if<core::Time>(&v)) {
                if (!t->isSet()) continue;
                double fraction =
                    (t->hour * 3600.0 + t->minute * 60.0 + t->second + t->hundredth / 100.0) /
                    86400.0;
                e = worksheet_write_number(ws, lr, lc, fraction,
                                           formatOf(NumberFormat::Time, row.style));
            }
            if (e != LXW_NO_ERROR) return lxwError(e, path + " (" + where(r, c) + ")");
        }
    }

    worksheet_set_zoom(ws, kXlsxZoom);
    worksheet_set_selection(ws, 0, 0, 0, 0);
    worksheet_activate(ws);

    lxw_error closed = workbook_close(wb.release());
    if (closed != LXW_NO_ERROR) return lxwError(closed, "cannot write " + path);
    // libxlsxwriter does not notice every failed write (a full disk gave a cut-off file and no
    // error), so the finished file is read back whole before it takes its name.
    if (auto st = verifyWorkbook(temp->temporary()); !st)
        return Error::of(st.error().code,
                         "cannot write " + path + ": the workbook came out incomplete (" +
                             st.error().text + ")",
                         path);
    if (auto st = temp->commit(); !st)
        return Error::of(st.error().code, "cannot write " + path + " (" + st.error().text + ")",
                         path);
    return {};
}

} // namespace hk::output
