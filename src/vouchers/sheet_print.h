#pragma once
// YFisRaporu: vouchers printed as signed voucher sheets, one sheet (one or more pages) per
// voucher, into any page sink (preview, PDF, raw queue or file, text file).
//
// A sheet, top to bottom:
//   page heading  printer set-up (raw kinds) or three empty lines, company identification with
//                 the voucher date, number and page number, the type title and the attribute,
//                 the column heading and its "=" rule (the heading is emphasised on raw kinds)
//   entries       per block (consecutive lines of one main account on one side): the main
//                 entry, then, when the company prints groups, each group entry followed by its
//                 lines, else the lines in their order
//   voucher end   "=" rule, "GENEL TOPLAM" with both totals, the signature block
//
// Columns (1-based, width):            debit side                 credit side
//   account code  main/group             1, 22                      4, 19
//                 detail                 3, 22                      6, 19
//   account name  main/group            24, 34                     27, 34
//                 detail                26, 34                     31, 32
//   description                         61, 36                     64, 33
//   group/detail amount "n16.2"         98, 18                    100, 16
//   main amount "n18.2"                117, 19 (BORÇ)             137, 19 (ALACAK)
//
// Paging: a page holds 56 lines, or 28 with [Fis] 33Satir = 1, heading lines included; the next
// line after a full page starts a new page with the heading and the next page number (counted
// from 1 within each voucher). Every voucher ends its page.
//
// Printing reads only: nothing in the books changes.

#include "core/result.h"
#include "data/dataset.h"
#include "output/page.h"
#include "output/printer.h"

#include <string>
#include <vector>

namespace hk::vouchers {

struct SheetOptions {
    output::PrinterKind kind = output::PrinterKind::Ordinary;
    bool lines33 = false; // [Fis] 33Satir = 1: the short (33-line) sheet
};

// Lines a page holds, heading included.
int sheetLinesPerPage(bool lines33);
// Paper and font of rendered pages: A4 landscape for ordinary printers, the continuous paper of
// the text printers otherwise.
output::PageStyle sheetPageStyle(output::PrinterKind kind);

struct SheetResult {
    int vouchers = 0;
    int pages = 0;
};

// Prints the vouchers with keys from `firstKey` to `lastKey` in key order (a blank `lastKey`
// means to the last voucher). The list and the voucher form pass the same key twice.
//
// The old program's third argument told the callers apart (a blank from the list and the form,
// an empty text from the bulk print); both printed alike, so it has no counterpart here.
core::Result<SheetResult> YFisRaporu(data::DataSet& ds, const std::string& firstKey,
                                     const std::string& lastKey, const SheetOptions& options,
                                     output::PageSink& sink);

// The choices of "Toplu Fiş Yaz".
struct BulkSelection {
    char type = 'M';         // 'M' Mahsup, 'A' Tahsil, 'E' Tediye
    std::string attribute;   // blank: every attribute
    core::Date startDate;    // unset: nothing is printed
    core::Date endDate;      // unset: no end
    int startNumber = 0;
    int endNumber = 0;       // 0: no upper bound
};

// The keys the bulk print takes, in date-then-number order.
core::Result<std::vector<std::string>> selectVouchers(data::DataSet& ds, const BulkSelection& s);

// "Fiş Yaz" of "Toplu Fiş Yaz": every selected voucher printed as its own sheet into `sink`.
core::Result<SheetResult> TopluFisYaz(data::DataSet& ds, const BulkSelection& s,
                                      const SheetOptions& options, output::PageSink& sink);

} // namespace hk::vouchers
