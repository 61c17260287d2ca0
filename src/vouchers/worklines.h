#pragma once
// The lines of a voucher being edited, as the voucher form keeps them in its work file: amount
// lines (ACKNO = FISSIRANO x 100, or a multiple of 100 drawn from MFB:KARSITNO for a VAT line)
// and their extra description lines (same FISSIRANO, ACKNO = base + j). These helpers keep that
// numbering whole when lines are inserted, described, sorted or split; they hold no storage.
//
// A vector of lines is kept in work-file key order: FISSIRANO, then ACKNO.

#include "data/records.h"

#include <array>
#include <string>
#include <vector>

namespace hk::vouchers {

using Lines = std::vector<data::FisDet>;

// Puts the lines in work-file order (FISSIRANO, ACKNO).
void orderLines(Lines& lines);

// Stores `line` as a new amount line after line `current` (0 = at the start when the list is
// empty or nothing is highlighted): it gets FISSIRANO = current + 1 and ACKNO = that x 100
// unless it already carries a VAT-line ACKNO (`keepAckNo`). Lines from that number on, with
// their description lines, move one number up first when the number is taken.
void insertLine(Lines& lines, data::FisDet line, int current, bool keepAckNo = false);

// Removes amount line `fissirano` with its extra description lines (the numbers of the others
// stay as they are, as in the work file).
void removeLine(Lines& lines, int fissirano);

// The extra description lines of amount line `ackno` as ten slots (slot j = ACKNO base + j).
std::array<std::string, 10> descriptionsOf(const Lines& lines, std::int32_t ackno);
// Replaces them by one line per non-blank slot.
void setDescriptions(Lines& lines, std::int32_t ackno, const std::array<std::string, 10>& slots);

// "Fiş Sırala": debit lines by account (descending when `debitDescending`), then credit lines by
// account ascending, renumbered from 1, each followed by its description lines.
void sortLines(Lines& lines, bool debitDescending);

// Sums over the lines.
struct LineTotals {
    double tlDebit = 0, tlCredit = 0, fxDebit = 0, fxCredit = 0;
    int count = 0; // amount lines
    double difference() const { return tlDebit - tlCredit; }
};
LineTotals totalsOf(const Lines& lines);

// VAT split of a gross amount at rate r percent: net rounded to 0.01, VAT = gross - net.
struct VatSplit {
    double net = 0, vat = 0;
};
VatSplit splitVat(double gross, double ratePercent);

// The highest FISSIRANO in use (0 for none).
int lastLineNumber(const Lines& lines);

} // namespace hk::vouchers
