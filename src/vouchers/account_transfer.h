#pragma once
// Account transfer (Transfer): every voucher line of one detail account in a range of months or
// of dates moves to another detail account, and its postings move with it. The lines of each
// batch of vouchers and their postings are written in one transaction, so an interruption leaves
// every line posted where it stands; running the transfer again moves the rest.

#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"

#include <string>

namespace hk::vouchers {

namespace accmsg {
inline constexpr const char* kOnlyDetail = "Sadece Muavin Hesaplar Transfer Edilebilir";
inline constexpr const char* kSameCode = "Aynı Hesap Kodu Transfer Edilemez.";
inline constexpr const char* kNotFound = " Hesap Kodu Bulunamıyor...";
inline constexpr const char* kTargetNotDetail = "Seçilen Hesap Kodu Muavin Kod Olmalı!";
} // namespace accmsg

// The range: month mode when fromMonth > 0 (toMonth 0 = to the end), otherwise date mode (an
// unset fromDate = from the first voucher, an unset toDate = to the last).
struct TransferRange {
    int fromMonth = 0;
    int toMonth = 0;
    core::Date fromDate, toDate;
};

struct TransferResult {
    long lines = 0;
    long vouchers = 0;
};

// Refusals show their box and move nothing: the source not a detail account, the target equal
// to the source, missing, or not a detail account.
core::Result<TransferResult> accountTransfer(data::DataSet& ds, app::Ui& ui,
                                             const std::string& source, const std::string& target,
                                             const TransferRange& range);

} // namespace hk::vouchers
