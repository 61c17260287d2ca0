#pragma once
// Books in and out as CSV (the format is described in README.md): `voucher import` checks the
// whole file and keeps nothing of it unless every row is sound; it numbers, keys and posts every
// voucher by the rules of voucher entry, all in one transaction, adding each account's totals
// once per import. `voucher export` writes the same format, so exporting and importing
// into an empty company gives the same books.

#include "core/result.h"
#include "vouchers/voucher.h"

#include <filesystem>
#include <optional>
#include <string>

namespace hk::vouchers {

inline constexpr std::size_t kMaxReportedErrors = 50;

struct ImportSummary {
    long vouchers = 0;
    long rows = 0;
    bool written = false;
};

// Checks (and unless dryRun writes) the file. A file with failing rows gives a BadInput error
// whose text lists the first 50 of them, one "satır N: reason" per line, and their count.
core::Result<ImportSummary> importVouchers(Env& env, const std::filesystem::path& file,
                                           bool dryRun);

// Writes the vouchers of fiscal month `month` (0 = all) to `file`, replacing it whole.
core::Result<long> exportVouchers(Env& env, const std::filesystem::path& file, int month);

} // namespace hk::vouchers
