#pragma once
// HkrFiSOku: whole vouchers read from another package's expense-voucher workbook (menu 5127).
//
// Sheet layout (the active worksheet; row 1 is a heading, data from row 2):
//   1 date "dd.mm.yyyy" (characters 1-2, 4-5, 7-10)   2 group key (20), also the document number
//   4, 5, 6 description parts                           7-8, 9-10 debit account and amount
//   11-12 credit account and amount
// Consecutive rows with one key form one Mahsup voucher; an empty key ends the import.
//
// Each group is checked whole before anything of it is stored, and stored through the voucher
// engine's save (number by FisNoAl, header, lines and postings in one transaction). A group is
// refused, with a message naming its key, when its totals differ, when a code is not a detail
// account of the chart, when an amount is negative or no number, when a date is no date of the
// fiscal period, or when a text holds characters the books cannot store; the import then goes
// on with the next group and the refused group takes no number. A row dated before the last
// journal date ends the import: the group being read is dropped, the groups saved before stay.

#include "core/result.h"
#include "vouchers/voucher.h"

#include <string>
#include <vector>

namespace hk::vouchers {

// The window's fields.
struct SheetImportChoices {
    std::string file;
    std::string attribute;           // "Fiş Nitelik"; blank = "N"
    std::string documentType;        // "Belge Tipi"
    std::string documentDescription; // "Belge Açıklama" (stored in 30 characters)
    std::string paymentType;         // "Ödeme Tipi"
};

// The choices of "Belge Tipi", stored as shown.
const std::vector<std::string>& sheetDocumentTypes();

struct SheetImportResult {
    int saved = 0;
    int refused = 0;
    bool stoppedAtJournalDate = false;
    std::vector<std::string> keys; // keys of the saved vouchers, in order
};

// Message texts of the import.
namespace sheetmsg {
inline constexpr const char* kFileMissing = "\nDosyası Bulunamıyor.!";
inline constexpr const char* kUnbalanced = " No lu Fiş Toplamı Tutarsız...\nBu Fiş Kayıt Edilemedi!";
inline constexpr const char* kNotSaved = "\nBu Fiş Kayıt Edilemedi!";
} // namespace sheetmsg

// Runs the import. Refusals of the choices (file missing, a bad attribute or document type)
// import nothing; a workbook the readers refuse comes back as their error.
core::Result<SheetImportResult> HkrFiSOku(Env& env, const SheetImportChoices& choices);

} // namespace hk::vouchers
