#pragma once
// The ready-made definitions: StdMizanRapor (trial balance, kind "1") and StdMuavinRapor
// (subsidiary ledger, kind "2"), each in three measures. They can be written into a data folder
// under a number the user chooses, or built in memory for a run that names no definition.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "reports/listing.h"

#include <optional>
#include <string_view>

namespace hk::reports {

enum class Measure { Tl, AltBirim, Doviz };

// "TL", "ALTBIRIM"/"ALTBİRİM", "DOVIZ"/"DÖVİZ" (any case); nullopt for anything else.
std::optional<Measure> measureOf(std::string_view s);

Definition standardTrialBalance(Measure m, int number);
Definition standardLedger(Measure m, int number);

// Writes the definition unless its kind and number are taken; then shows "Aynı Rapor Kodu Zaten
// Kullanılmaktadır.!" (caption "Uyarı Ekranı") and writes nothing. Header and columns go in one
// unit of work.
core::Status writeStandard(data::DataSet& ds, app::Ui& ui, const Definition& def);
inline core::Status StdMizanRapor(data::DataSet& ds, app::Ui& ui, Measure m, int number) {
    return writeStandard(ds, ui, standardTrialBalance(m, number));
}
inline core::Status StdMuavinRapor(data::DataSet& ds, app::Ui& ui, Measure m, int number) {
    return writeStandard(ds, ui, standardLedger(m, number));
}

} // namespace hk::reports
