#pragma once
// A spreadsheet page as the exporters build it: rows of typed cells, a number format per column
// and a style per row. Exporters fill it the way they walk their records — one row after
// another, cells left to right — and sheet_xlsx.h writes it as a workbook.
//
// Value conventions:
//   | cell   | written as                                                                    |
//   |--------|-------------------------------------------------------------------------------|
//   | text   | a text cell, trailing blanks kept; never re-read as a number ("100" stays text) |
//   | number | a numeric cell                                                                 |
//   | date   | the date serial (day number - 36161) with a day.month.year format; an unset     |
//   |        | date leaves the cell empty                                                     |
//   | time   | the fraction of the day with an hours:minutes format; an unset time is empty   |
//   | empty  | nothing                                                                        |

#include "core/date.h"
#include "core/result.h"

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace hk::output {

// Column number formats. In the Turkish spreadsheet's own codes the date and time formats read
// "gg.aa.yyyy" and "ss:dd"; the file stores the locale-neutral codes.
enum class NumberFormat { Text, Amount, Whole, Date, Time };
// "@", "#,##0.00", "#,##0", "dd.mm.yyyy", "hh:mm"
const char* formatCode(NumberFormat f);

// Heading rows are bold with font colour index 3 (red in the classic palette); caption rows of
// the chart and custom reports and formula lines are bold with colour index 5 (blue).
enum class RowStyle { Plain, Heading, Caption };
int colourIndex(RowStyle s);    // 0, 3, 5
unsigned colourRgb(RowStyle s); // 0, 0xFF0000, 0x0000FF

struct EmptyCell {
    friend bool operator==(const EmptyCell&, const EmptyCell&) = default;
};
using CellValue = std::variant<EmptyCell, std::string, double, core::Date, core::Time>;

struct SheetRow {
    RowStyle style = RowStyle::Plain;
    std::vector<CellValue> cells;
};

// One column of a heading row: its caption and the format of the column below it.
struct Caption {
    std::string text;
    NumberFormat format = NumberFormat::Text;
};

class Sheet {
  public:
    // Starts a new row; the cell calls below append to it.
    Sheet& row(RowStyle style = RowStyle::Plain);
    Sheet& text(std::string value);
    Sheet& number(double value);
    Sheet& date(core::Date value);
    Sheet& time(core::Time value);
    Sheet& empty();

    // A heading row of captions; sets the column formats from the captions' formats, as the
    // column format is set when its caption is written.
    Sheet& headingRow(const std::vector<Caption>& captions, RowStyle style = RowStyle::Heading);

    // Columns are numbered from 1; columns without a format of their own stay text.
    void setColumnFormat(int column, NumberFormat format);
    NumberFormat columnFormat(int column) const;

    const std::vector<SheetRow>& rows() const { return rows_; }
    int columnCount() const;

    // The name of the worksheet in the workbook.
    std::string name = "Sayfa1";

  private:
    SheetRow& current();
    std::vector<SheetRow> rows_;
    std::vector<NumberFormat> formats_; // index column - 1
};

// Date serial of the spreadsheet for a set date: days since 30 December 1899. Dates before
// 1 March 1900 take the spreadsheet's phantom 29 February 1900 into account.
double dateSerial(core::Date d);
// The date of a serial (the fraction of a day is dropped); an unset date for serials below 1.
core::Date dateFromSerial(double serial);

} // namespace hk::output
