#pragma once
// Voucher tools of the voucher list: copy a voucher to another date (FisKopyala), move it to
// another number, date, attribute or type (FisTransfer), take journal numbers off (YevmiyeNoSil),
// and the attribute list (Nitelik).
//
// Invariants kept here:
//  - a voucher and its postings move together: every tool that changes where a voucher posts
//    (its key month, its attribute) un-posts and posts its lines in the same transaction that
//    rewrites them, so the account totals always equal what a full rebuild computes;
//  - a tool never writes lines under a key another voucher already holds;
//  - a refusal changes nothing.

#include "app/session.h"
#include "app/ui.h"
#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace hk::vouchers {

namespace toolmsg {
inline constexpr const char* kNoDate = "Tarih Giriniz...";
inline constexpr const char* kOutsidePeriod = "Tarih Mali Dönem Aralığında Değildir...";
inline constexpr const char* kTransferMissing = " Transfer Edilecek Fiş Bulunamıyor.!";
inline constexpr const char* kKeyTaken = " Nolu Fiş Mevcut.!";
} // namespace toolmsg

// FisKopyala: a copy of voucher `key` dated `date`, numbered by the company counters of the new
// date's month (a drawn key that is already taken draws again), journal and integration numbers
// 0, posted into the new month. Refusals show their box: no date ("Tarih Giriniz..."), a date
// outside the fiscal period. Returns the new header; the closing message has been shown.
core::Result<data::FisBas> FisKopyala(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                      core::Date date);

// What FisTransfer moves a voucher to. `month` is a calendar month; `type` a type letter.
struct TransferTarget {
    int number = 0;
    int day = 0;
    int month = 0;
    std::string attribute;
    char type = 'M';
};

// The voucher to transfer, and the window's starting values. A missing voucher shows
// key + " Transfer Edilecek Fiş Bulunamıyor.!".
core::Result<TransferTarget> openTransfer(app::Ui& ui, data::DataSet& ds, std::string_view key);

// True when `code` is in the attribute file.
core::Result<bool> attributeExists(data::DataSet& ds, std::string_view code);
// The attribute file in code order (FisNitelik).
core::Result<std::vector<data::Nitelik>> attributes(data::DataSet& ds);
// Adds or changes one attribute row (FisNitelik's in-place edit).
core::Status saveAttribute(data::DataSet& ds, const data::Nitelik& row, bool insert);

// FisTransfer: the voucher gets the target's key (composed from the typed number, no counter is
// touched), date, attribute and type; its lines are un-posted from the old place and posted into
// the new one, all in one transaction. A key another voucher holds is refused with
// number + " Nolu Fiş Mevcut.!".
core::Result<data::FisBas> FisTransfer(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                       const TransferTarget& to);

// The attribute change of one voucher: a transfer that keeps number, date and type.
core::Result<data::FisBas> changeAttribute(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                           const std::string& attribute);

// YevmiyeNoSil: from day `day` (0 counts as 1) of the working month to the end of the file, in
// date order, every journal number above `above` becomes 0. Returns how many were cleared.
core::Result<int> YevmiyeNoSil(data::DataSet& ds, const app::Session& s, long above, int day);

// The journal number of one voucher cleared at once (the list's own action, no question).
core::Status clearJournalNumber(data::DataSet& ds, std::string_view key);

} // namespace hk::vouchers
