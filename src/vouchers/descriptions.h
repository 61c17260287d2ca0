#pragma once
// The standard voucher-line descriptions (file FisAck): texts the voucher form offers when a
// line's description is typed. One field of 35 characters under a unique case-insensitive key,
// so "Kira Ödemesi" and "KİRA ÖDEMESİ" are the same text.
//
// Every write is checked first (not blank, at most 35 characters, only Turkish code-page
// characters) and refused with a clear message that names the reason; a refusal writes nothing.
// A duplicate is refused by the key itself (data-operation message 13).

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

#include <string>
#include <string_view>
#include <vector>

namespace hk::vouchers {

namespace ackmsg {
inline constexpr const char* kBlank = "Fiş Açıklaması Boş Olamaz..";
inline constexpr const char* kTooLong = "Fiş Açıklaması En Fazla 35 Karakter Olabilir..";
inline constexpr const char* kForeign = "Fiş Açıklamasında Türkçe Kod Sayfasında Olmayan Karakter Var..";
inline constexpr const char* kMissing = " Fiş Açıklaması Bulunamadı..";
} // namespace ackmsg

inline constexpr std::size_t kDescriptionWidth = 35;

// The texts in key (Turkish collation) order.
core::Result<std::vector<std::string>> descriptions(data::DataSet& ds);

// Adds a text. Refusals are shown through `ui` and returned as shown errors.
core::Status addDescription(data::DataSet& ds, app::Ui& ui, const std::string& text);
// Replaces the text `old` by `text` (the key changes with it).
core::Status changeDescription(data::DataSet& ds, app::Ui& ui, const std::string& old,
                               const std::string& text);
// Deletes the text `old`.
core::Status deleteDescription(data::DataSet& ds, app::Ui& ui, const std::string& old);

} // namespace hk::vouchers
