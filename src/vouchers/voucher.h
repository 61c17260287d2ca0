#pragma once
// Saving and deleting a voucher. The form gathers a Draft (header working values and the work
// lines); save() runs the checks, draws the number, and then writes header, lines and postings
// in ONE transaction: a crash or a failed step leaves the old voucher or the new one, never
// half of either, and the account totals always match the stored lines. The voucher number is
// drawn and committed in a short transaction of its own before the final questions, so a
// number is consumed even when the save is refused afterwards, and never handed out twice.

#include "app/session.h"
#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "vouchers/books.h"
#include "vouchers/worklines.h"

#include <functional>
#include <optional>
#include <string>

namespace hk::vouchers {

// Message texts of voucher entry (exactly as the user sees them).
namespace msg {
inline constexpr const char* kJournalisedChange = "Yevmiyesi Çekilen Fişte Değişiklik Yapamazsınız..";
inline constexpr const char* kJournalisedDelete = "Yevmiyesi Çekilen Fişi Silemezsiniz..";
inline constexpr const char* kClosedMonth = "Kapatılan Ay Fişerinde Değişiklik Yapamazsınız...";
inline constexpr const char* kNotInMonth = "Bu Ay İçerisinde Yoktur..!";
inline constexpr const char* kBeforeJournal = "Yevmiyesi Çekilmiş Tarihe Fiş Girilemez.?";
inline constexpr const char* kDigerNeedsText =
    "EDefter Uygulmasında,\nBelge Tipi Diğer ise  Belge Açıklaması Boş Geçilemez.";
inline constexpr const char* kUnbalancedMahsup = "Fiş Dip Toplamında Tutarsızlık Var.!";
inline constexpr const char* kUnbalancedQuestion =
    "Fiş Toplamları Tutarsız...\nBu Şekilde Kaydetmek İstediginize Eminmisiniz?";
inline constexpr const char* kDeleteQuestion = "Fiş Silinsin mi ?";
inline constexpr const char* kLeaveQuestion = "Değişiklikler Kaydedilmeden ÇıkılsınMı?";
inline constexpr const char* kWarningCaption = "Uyarı Ekranı";
inline constexpr const char* kConfirmCaption = "Onay Ekranı";
} // namespace msg

struct Env {
    app::Session& session;
    app::Ui& ui;
    data::DataSet& data;
};

enum class Mode { Insert, Change };

// The e-ledger document fields of a voucher, stored on every line.
struct Document {
    std::string type, number, description, description2;
    core::Date date;
};

struct Draft {
    Mode mode = Mode::Insert;
    data::FisBas header; // FISTUR, FISNTLK, KARSITNO, FISTRH; KEYSTR/FISNO in change mode
    int fiscalMonth = 0; // insert: the working month's fiscal month; change: the key's
    Document document;
    std::string originalAttribute; // change mode: the attribute when the form opened
    Lines lines;                   // work lines in work-file order
    std::string cashDescription;   // default cash-line description (change mode: the old one)
};

// The cash account and description chosen in "Tahsil&Tediye Kapa Ekranı"; false = cancelled.
struct CashChoice {
    std::string account, description;
};
using AskCash = std::function<bool(CashChoice&)>;

// The voucher date of `day` in the working calendar month, with the day checks of the form:
// a day the month does not have (the day number followed by "Bu Ay İçerisinde Yoktur..!") and a
// date before the last journal date ("Yevmiyesi Çekilmiş Tarihe Fiş Girilemez.?") are refused;
// both boxes are shown through `ui`.
core::Result<core::Date> voucherDate(app::Ui& ui, const data::Yasal& y, int calisilanAy, int day);

// A new, empty draft in insert mode for the session's working month.
Draft newDraft(const app::Session& s);

// Opens a stored voucher for change: header, lines (the generated cash line left out when the
// company closes Tahsil/Tediye vouchers itself), document fields from the lines.
core::Result<Draft> openForChange(Books& b, const data::Yasal& y, std::string_view key);

// Saves the draft (steps in the form's order). Returns the voucher's key. A refusal whose box
// was shown comes back with `shown` set; nothing is written then (except a consumed number).
core::Result<std::string> save(Env& env, Draft& d, const AskCash& askCash);

// Deletes a voucher after the guards and the question (answered by the Ui); un-posts and
// deletes its lines and the header in one transaction.
core::Status deleteVoucher(Env& env, std::string_view key, bool ask = true);

// True when the company record closes the voucher's fiscal month to changes.
bool monthClosed(const app::Session& s, const data::Yasal& y, int fiscalMonth);

} // namespace hk::vouchers
