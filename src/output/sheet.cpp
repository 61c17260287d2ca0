#include "output/sheet.h"

#include <cmath>

namespace hk::output {

const char* formatCode(NumberFormat f) {
    switch (f) {
    case NumberFormat::Text:
        return "@";
    case NumberFormat::Amount:
        return "#,##0.00";
    case NumberFormat::Whole:
        return "#,##0";
    case NumberFormat::Date:
        return "dd.mm.yyyy";
    case NumberFormat::Time:
        return "hh:mm";
    }
    return "@";
}

int colourIndex(RowStyle s) {
    switch (s) {
    case RowStyle::Plain:
        return 0;
    case RowStyle::Heading:
        return 3;
    case RowStyle::Caption:
        return 5;
    }
    return 0;
}

unsigned colourRgb(RowStyle s) {
    // Colours 3 and 5 of the classic 56-colour palette.
    switch (s) {
    case RowStyle::Plain:
        return 0;
    case RowStyle::Heading:
        return 0xFF0000;
    case RowStyle::Caption:
        return 0x0000FF;
    }
    return 0;
}

SheetRow& Sheet::current() {
    if (rows_.empty()) rows_.emplace_back();
    return rows_.back();
}

Sheet& Sheet::row(RowStyle style) {
    rows_.push_back(SheetRow{style, {}});
    return *this;
}

Sheet& Sheet::text(std::string value) {
    current().cells.emplace_back(std::move(value));
    return *this;
}

Sheet& Sheet::number(double value) {
    current().cells.emplace_back(value);
    return *this;
}

Sheet& Sheet::date(core::Date value) {
    current().cells.emplace_back(value);
    return *this;
}

Sheet& Sheet::time(core::Time value) {
    current().cells.emplace_back(value);
    return *this;
}

Sheet& Sheet::empty() {
    current().cells.emplace_back(EmptyCell{});
    return *this;
}

Sheet& Sheet::headingRow(const std::vector<Caption>& captions, RowStyle style) {
    row(style);
    int column = 1;
    for (const auto& c : captions) {
        if (c.format != NumberFormat::Text) setColumnFormat(column, c.format);
        text(c.text);
        ++column;
    }
    return *this;
}

void Sheet::setColumnFormat(int column, NumberFormat format) {
    if (column < 1) return;
    if (formats_.size() < std::size_t(column))
        formats_.resize(std::size_t(column), NumberFormat::Text);
    formats_[std::size_t(column) - 1] = format;
}

NumberFormat Sheet::columnFormat(int column) const {
    if (column < 1 || std::size_t(column) > formats_.size()) return NumberFormat::Text;
    return formats_[std::size_t(column) - 1];
}

int Sheet::columnCount() const {
    std::size_t n = formats_.size();
    for (const auto& r : rows_)
        n = std::max(n, r.cells.size());
    return int(n);
}

namespace {
// Serial 60 is the spreadsheet's 29 February 1900, a day that never was; serials from 61 on are
// plain days since 30 December 1899.
constexpr std::int32_t kSerialOffset = core::kSpreadsheetDayOffset;
constexpr double kLastSerial = core::kLastDayNumber - core::kSpreadsheetDayOffset; // 31.12.9999
} // namespace

double dateSerial(core::Date d) {
    if (!d.isSet()) return 0;
    std::int32_t serial = d.dayNumber() - kSerialOffset;
    if (serial < 61) serial -= 1;
    return serial;
}

core::Date dateFromSerial(double serial) {
    if (!(serial >= 1) || serial >= kLastSerial + 1) return {};
    auto s = std::int32_t(std::floor(serial));
    if (s == 60) return core::Date{29, 2, 1900};
    if (s < 60) s += 1;
    return core::Date::fromDayNumber(s + kSerialOffset);
}

} // namespace hk::output
