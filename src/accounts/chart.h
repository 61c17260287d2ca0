#pragma once
// The chart of accounts (HsPlan): finding an account, the checks for a new code, adding,
// changing and deleting accounts, and the session's copy buffer. Every refusal is shown through
// the Ui port with the program's own text, so the desktop windows and the command line share
// the rules word for word.
//
// Invariants kept here:
//   - a stored code is 1..18 characters, has no leading blank and never two blanks in a row, so
//     each level is posted once and every sub-account sorts right after its parent;
//   - no account hangs under a detail ("M") account, and the parent of every account added here
//     exists;
//   - an account is removed only when all its totals are zero and no sub-account exists.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/table.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace hk::accounts {

inline constexpr std::size_t kCodeWidth = 18;
inline constexpr std::size_t kNameWidth = 50;
inline constexpr std::size_t kUnitWidth = 4;
inline constexpr std::size_t kCurrencyWidth = 3;

// ---- look-ups -----------------------------------------------------------------------------

// The account of that code (case and trailing blanks do not matter); nullopt when there is none.
core::Result<std::optional<data::HsPlan>> findAccount(data::TypedTable<data::HsPlan>& plan,
                                                      std::string_view code);
core::Result<std::optional<data::HsPlan>> findAccount(data::DataSet& data, std::string_view code);

// The attribute's name as lists show it: "Kebir", "Grup", "Muavin"; "" for anything else.
std::string attributeName(std::string_view ntlk);

// True when any opening, monthly or closing total of the account is non-zero.
bool isWorked(const data::HsPlan& a);

// Visits the accounts from `from` to `to` (inclusive, clipped codes; an empty `to` runs to the
// end) in code order. The visitor returns false to stop.
core::Status forEachAccount(data::TypedTable<data::HsPlan>& plan, std::string_view from,
                            std::string_view to,
                            const std::function<bool(const data::HsPlan&)>& visit);

// ---- entry rules --------------------------------------------------------------------------

// The code as typed: not empty, at most 18 characters, cp1254, no leading or trailing blank and
// no two blanks in a row. BadInput naming the fault.
core::Status checkCodeText(std::string_view code);
// Names, sub-unit and currency code as typed: cp1254 and their widths; the attribute one of
// "K", "G", "M" or empty.
core::Status checkAccountFields(const data::HsPlan& a);

// What the checks for a new code found.
struct NewCodeCheck {
    enum Outcome { Ok, Exists, ParentMissing, ParentIsDetail } outcome = Ok;
    // ParentMissing: the parent code, which takes the code's place so the user defines the
    // missing level first. Otherwise the code as checked.
    std::string code;
    bool topLevel = false;    // no blank: attribute "K", attribute/unit/currency fixed
    bool kebirAllowed = true; // false under a "K" or "G" parent: only "G" or "M"
    std::string message;      // the refusal shown, empty when Ok
};

// The checks for a new code (insert only), each refusal shown through ui with its text:
// " Hesap Kodu Zaten Tanımlıdır.", "Öncelikle <parent> Hesap Kodu Tanımlanmalıdır.",
// "Muavin Hesap Kodu Zaten Tanımlanmıştır". A storage failure comes back as an Error.
core::Result<NewCodeCheck> checkNewCode(data::TypedTable<data::HsPlan>& plan,
                                        std::string_view code, app::Ui& ui);

// Adds a new account after every check above; the attribute of a top-level code becomes "K";
// a sub-account of a "K" or "G" account cannot be "K"; a currency code must exist. The totals
// start at zero whatever `a` holds. Refusals are shown through ui and come back marked shown.
core::Status addAccount(data::DataSet& data, const data::HsPlan& a, app::Ui& ui);

// Writes the edited master fields (code, names, attribute, sub-unit, currency) over the account
// stored under `originalCode`; its totals stay as stored. A changed code is written as typed,
// without the checks for a new code (the form allows it only under [Ozel] Kovan).
core::Status changeAccount(data::DataSet& data, std::string_view originalCode,
                           const data::HsPlan& edited, app::Ui& ui);

// The checks before deleting: a worked account ("<code as stored, 18 characters> Çalışmıştır
// SİLEMEZSİNİZ..!") and an account with a sub-account ("<sub-account> Alt Hesap Kodu Tanımlı
// Silemezsiniz.!"), each shown through ui.
core::Status checkDelete(data::TypedTable<data::HsPlan>& plan, const data::HsPlan& a,
                         app::Ui& ui);
// Deletes the account after checkDelete.
core::Status deleteAccount(data::DataSet& data, std::string_view code, app::Ui& ui);

// ---- copy buffer ----------------------------------------------------------------------------

// One account kept for the session by "Kopyala"; the next insert form starts from it and
// empties it. Shared by the windows of one session, so it is guarded.
class CopyBuffer {
  public:
    void put(const data::HsPlan& a);
    bool empty() const;
    // The start of a new account: the buffer's code, names, attribute, sub-unit and currency
    // with zero totals when the buffer holds a non-blank code (the buffer is then emptied);
    // otherwise a cleared record.
    data::HsPlan takeForInsert();

  private:
    mutable std::mutex mutex_;
    std::optional<data::HsPlan> rec_;
};

// The master fields of an account with every total zero.
data::HsPlan masterOnly(const data::HsPlan& a);

} // namespace hk::accounts
