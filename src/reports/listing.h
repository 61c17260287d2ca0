#pragma once
// The defined listing reports' run-time half, shared by the trial balance, the subsidiary ledger
// and the cash book: the column list of a definition (Rapor + DRapor), its expressions compiled
// once per run, per-record evaluation with the report and column filters, the ten accumulators
// of every column, and the line builder SatirOlustur.
//
// Invariants:
//   - the column list does not change size after compile(): expressions hold the addresses of
//     the columns' first accumulators (the "$nn" references are bound names, not re-parsed
//     text), so a formula column is compiled once like any other;
//   - accumulator k of a column (1..10) is a fixed-point amount with two decimals; an overflow is
//     an error of the run, never a wrapped figure;
//   - every line the builder gives is at most 255 characters.

#include "app/ui.h"
#include "core/numeric.h"
#include "core/picture.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "expr/bindings.h"
#include "expr/expression.h"
#include "output/page.h"
#include "output/sheet.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::reports {

using core::numeric::Decimal;

inline constexpr int kLevels = 10;
inline constexpr std::size_t kTextValueChars = 50;

// The report filters' messages and the column filter's, exactly as the program shows them.
inline constexpr const char* kColumnFilterWrong = "Filtre Yanlış";
std::string reportFilterWrong(int n); // "1. Filtre Yanlış"

// SatirOlustur's modes: B heading, S underline, D detail/totals, + totals kept, X not totalled.
enum class Mode : char { Heading = 'B', Underline = 'S', Detail = 'D', Plus = '+', NoTotal = 'X' };

struct Column {
    data::DRapor def;
    std::string code; // DRP:FIELDKOD after the report's field-code rewrite
    bool printed = false;
    bool totalled = false;
    char kind = 'S'; // S, D, F
    std::string text;
    std::array<Decimal, kLevels> acc{}; // acc[k - 1] is accumulator k
    std::optional<expr::Expression> value;
    std::optional<expr::Expression> filter;
    bool hasFilter = false;
    // The layout, taken from the definition once: the picture without its '@' and its parsed
    // form (none when the picture is invalid), the printed width.
    std::string picture;
    std::optional<core::picture::Picture> parsed;
    std::size_t width = 0;

    Decimal& at(int level) { return acc[static_cast<std::size_t>(level - 1)]; }
    const Decimal& at(int level) const { return acc[static_cast<std::size_t>(level - 1)]; }
    bool numeric() const { return kind != 'S'; }
};

// One built line: its text and, for the spreadsheet, one cell per printed column.
struct BuiltLine {
    std::string text;
    std::vector<output::CellValue> cells;
    // Replaces the first n characters with `label` padded to n (the total lines' captions); the
    // first cell takes the label too.
    void label(std::string_view label, std::size_t n);
};

struct Definition {
    data::Rapor header;
    std::vector<data::DRapor> columns; // in DRP:SIRANO order
};

// The definition (kind, number) of the data folder; a clear refusal when there is none.
core::Result<Definition> loadDefinition(data::DataSet& ds, const std::string& kind, int number);

using CodeRewrite = std::string (*)(std::string_view);

class ListingReport {
  public:
    explicit ListingReport(Definition def);
    ListingReport(const ListingReport&) = delete;
    ListingReport& operator=(const ListingReport&) = delete;

    // Rewrites the field codes and compiles every column, formula and filter against `b`, to
    // which the columns' own "$nn" names are added. Expressions that do not compile fail at
    // evaluation, as a definition naming an unknown field always has.
    void compile(expr::Bindings& b, CodeRewrite rewrite);

    const data::Rapor& header() const { return def_.header; }
    std::vector<Column>& columns() { return cols_; }

    // RAP:FILTRE1..3 for the current record: true = take it, false = skip it. A filter that
    // fails shows "n. Filtre Yanlış" and ends the run (a refusal already shown).
    core::Result<bool> passes(app::Ui& ui);
    // Every column for the current record, in list order; a failing column filter shows
    // "Filtre Yanlış" and ends the run.
    core::Status evaluate(app::Ui& ui);

    // SatirOlustur: the line of `mode` at `level`, moving the totals as the mode says. An error
    // only when a total leaves the accumulators' range.
    core::Result<BuiltLine> build(Mode mode, int level);

    // Whether built lines carry their spreadsheet cells (on by default). A run into a page
    // writer turns them off: only the text is printed.
    void setCellsWanted(bool wanted) { cells_ = wanted; }
    // Every address the compiled columns and filters read.
    std::vector<const void*> readAddresses() const;

    // Sets accumulators from..10 of the chosen columns to zero.
    void zero(int from, const std::vector<bool>& which);
    void zeroAll(int from);
    // Characters of a full line: every printed column's width plus one.
    std::size_t width() const;
    // The spreadsheet formats of the printed columns (amounts by their picture).
    std::vector<output::Caption> captions(int headingLine) const;

  private:
    Definition def_;
    std::vector<Column> cols_;
    bool cells_ = true;
    std::array<std::optional<expr::Expression>, 3> filters_;
    std::array<bool, 3> hasFilter_{};
};

// Where the lines of a run go: a page writer (preview, PDF, raw queue, text file) or a
// spreadsheet. Heading rows and bold rows only matter to the spreadsheet; emphasis only to the
// text printers.
class ListingOutput {
  public:
    explicit ListingOutput(output::PageWriter& w) : writer_(&w) {}
    explicit ListingOutput(output::Sheet& s) : sheet_(&s) {}

    bool isSheet() const { return sheet_ != nullptr; }
    output::PageWriter* writer() { return writer_; }
    output::Sheet* sheet() { return sheet_; }

    core::Status line(const BuiltLine& l, bool emphasis = false, bool bold = false);
    core::Status text(std::string_view t, bool bold = false);
    core::Status empty();
    core::Status endPage();
    // True when nothing but the page header stands on the current page.
    bool atPageTop() const;
    void markPageTop();

  private:
    output::PageWriter* writer_ = nullptr;
    output::Sheet* sheet_ = nullptr;
    int headerLines_ = -1; // lines the header wrote on the current page
    int headerPage_ = 0;
};

// Number -> two-decimal amount, half away from zero.
core::Result<Decimal> toDecimal(const expr::Number& n);
// "left" and "right" on one line of `width` characters, right one flush right (never cut).
std::string spread(std::string_view left, std::string_view right, std::size_t width);

} // namespace hk::reports
