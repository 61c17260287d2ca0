#pragma once
// The demonstration book a new user opens: sub-accounts under the default chart's main accounts
// and several months of Mahsup, Tahsil and Tediye vouchers, saved and posted through voucher
// entry itself. Added only to a company that has no vouchers yet.

#include "core/result.h"
#include "vouchers/voucher.h"

#include <string>
#include <vector>

namespace hk::vouchers {

// What was added, one line each ("HsPlan: 14 hesap", "FisBas: 36 fiş"); empty when the
// company already had vouchers.
core::Result<std::vector<std::string>> addDemoBook(Env& env, int months = 6);

} // namespace hk::vouchers
