#pragma once
// The two e-ledger maintenance tools: the document-type check of the vouchers not yet in the
// journal ("EDefter Kontrol"), and the clean-up of document descriptions (OtherAckBosalt).

#include "app/ui.h"
#include "core/result.h"

#include <string>

namespace hk::data {
class DataSet;
}

namespace hk::journal {

inline constexpr const char* kCheckListStart = "HATA LİSTESİ;";

// Reads every voucher without a journal number in date order and lists, once per voucher, the
// first line whose document type differs from the voucher's first line. The status line goes
// to ui.progress ("... Kontrol Ediliyor.", then "İşlem Tamamlandı."). Returns the list text,
// starting with "HATA LİSTESİ;". Reads only.
core::Result<std::string> belgeTipiKontrol(data::DataSet& ds, app::Ui& ui);

// Asks first; on "Evet" blanks both document descriptions of every voucher line whose document
// type is not "Diğer" (that type needs its description). Returns the number of lines changed.
core::Result<long> OtherAckBosalt(data::DataSet& ds, app::Ui& ui);

} // namespace hk::journal
