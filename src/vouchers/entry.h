#pragma once
// What the voucher form and its line form need besides saving: the work file the lines are
// edited in, the balance shown for an account, which VAT rates a line offers, the difference
// button, and the two spreadsheets of the line list ("Excel" out, "Excel Oku" of FisDetay in).
// No Qt here: the windows gather input and call these.
//
// The work file is a memory table of the voucher-line layout ("Hk<n>.Tmp"), private to one open
// form and gone with it; nothing in it reaches FisDet or the totals unless the voucher is saved.

#include "app/session.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/table.h"
#include "output/sheet.h"
#include "output/sheet_reader.h"
#include "vouchers/posting.h"
#include "vouchers/worklines.h"

#include <array>
#include <string>

namespace hk::vouchers {

namespace msg {
inline constexpr const char* kFileMissing = "\nDosyası Bulunamıyor.!";
inline constexpr const char* kFisDetayLayout =
    "FişDetay.xls Excel Dosya Yapısı;\n\n1.Kolon Hesap kodu\n2.Kolon Fiş Açıklaması\n3.Kolon "
    "Tl Borç\n4.Kolon Tl Alacak\n5.Kolon Döviz Borç\n6.Kolon Döviz Alacak\n7.Kolon AltBirim "
    "Borç\n8.Kolon AltBirim Alacak olmalı\n1 ve 2 Satırlar Başlık Bilgisi,\nDeğerler 3. "
    "Satırdan Başlamalı";
inline constexpr const char* kClearDocument = "EDefter Bilgileri Temizlensin mi?";
} // namespace msg

// The document types of the e-ledger, in the order the form offers them.
inline constexpr std::array<const char*, 8> kDocumentTypes = {
    "Fatura", "Müşteri siparişi", "Satıcı siparişi", "Çek", "Senet", "Makbuz", "Navlun", "Diğer"};

class WorkFile {
  public:
    WorkFile() = default; // closed until create()
    // A fresh, empty work file of the data set ("Hk" + random number + ".Tmp").
    static WorkFile create(data::DataSet& ds);

    const std::string& name() const { return table_.name(); }
    // The lines in work-file key order.
    core::Result<Lines> load();
    // Replaces the content by `lines`. A line the file refuses comes back as "Add(HkTemp)" with
    // the engine's code; the file then holds the lines before it.
    core::Status store(const Lines& lines);

  private:
    explicit WorkFile(data::Table t) : table_(std::move(t)) {}
    data::Table table_;
};

// The balance the line form shows for an account up to fiscal month m: opening plus months
// 1..m, debit minus credit, per measure (closing totals left out).
struct Balance {
    double tl = 0, subUnit = 0, currency = 0;
};
Balance balanceUpTo(const data::HsPlan& account, int m);

// The five VAT buttons of a line: rate i (0 = button disabled) and its account. Mahsup: the
// deductible set while the line has a TL debit, the payable set while it has a TL credit (and,
// with neither, the deductible set); Tahsil: payable; Tediye: deductible.
struct VatButtons {
    std::array<double, 5> rates{};
    std::array<std::string, 5> accounts;
};
VatButtons vatButtons(const data::Yasal& y, char type, const data::FisDet& line);

// The difference button: the voucher's difference (debit - credit total) goes to the side that
// balances it. Returns false when there is no difference (nothing changed).
bool takeDifference(data::FisDet& line, double difference);

// The line form's OK for an amount: TL amounts rounded to 0.01, the side from the TL debit.
// False when both TL amounts are 0 (the line is refused).
bool finishAmounts(data::FisDet& line);

// Lines read from a workbook reach the form without the line form's account check. Before a
// save every amount line must name a detail account of the chart: a line on a main or group
// account would be posted into a total that is meant to be the sum of its sub-accounts. The
// first offending line is named.
core::Status checkLineAccounts(data::TypedTable<data::HsPlan>& plan, const Lines& lines);

// "Excel" of the line list: the list's columns, one row per work line.
output::Sheet workLinesSheet(const Lines& lines);

// Where "Excel Oku" looks: FisDetay.xls in the data folder, else FisDetay.xlsx; the .xls name
// when neither exists (for the message).
std::string fisDetayPath(const app::Session& s);

// The rows of a FisDetay workbook as new work lines numbered after `lines` (from row 3 until
// column 1 is empty). A cell that is not a number where an amount belongs, a negative amount or
// a text outside the Turkish code page refuses the whole workbook naming the row; nothing is
// added then.
core::Status readFisDetay(const output::Workbook& book, Lines& lines);

} // namespace hk::vouchers
