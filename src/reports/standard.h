#pragma once
// The ready-made definitions: StdMizanRapor (trial balance, kind "1") and StdMuavinRapor
// (subsidiary ledger, kind "2"), each in three measures. They can be written into a data folder
// under a number the user chooses, or built in memory for a run that names no definition.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"
#include "reports/listing.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::reports {

enum class Measure { Tl, AltBirim, Doviz };

// "TL", "ALTBIRIM"/"ALTBİRİM", "DOVIZ"/"DÖVİZ" (any case); nullopt for anything else.
std::optional<Measure> measureOf(std::string_view s);

// A column of a ready-made definition, as its DRapor record holds it.
struct ReadyColumn {
    const char* code;
    const char* kind;
    int width;
    const char* h1;
    const char* h2;
    const char* picture;
    const char* total;
};
// Appends the DRapor records of `columns` to `d` under its kind and the number text `rapno`
// (blank for a definition kept only in memory), numbered from 1, each printed.
void addColumns(Definition& d, const std::vector<ReadyColumn>& columns, const std::string& rapno);

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
