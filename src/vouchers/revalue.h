#pragma once
// Currency revaluation (FisDovizDuzelt): the currency amounts of voucher lines on currency
// accounts are recomputed from their TL amounts and the rate of the line's date, then every
// account total is rebuilt. TL amounts, sub-unit amounts and header totals never change.

#include "app/ui.h"
#include "core/result.h"
#include "data/dataset.h"

namespace hk::vouchers {

namespace revmsg {
inline constexpr const char* kAsk = "Fiş Döviz Değerleri Yeniden Yaratılsın Mı";
inline constexpr const char* kAskAll = "Bütün Döviz Degerleri Yeniden Yaratılsın Mı";
inline constexpr const char* kCaption = "Onay Ekranı";
} // namespace revmsg

// Asks both questions through the Ui; "&Hayır" to the first ends it with nothing changed
// (refused, shown). Returns the number of lines rewritten.
core::Result<long> FisDovizDuzelt(data::DataSet& ds, app::Ui& ui);

} // namespace hk::vouchers
