#pragma once
// Posting: every amount line of a voucher is added into the running totals of each existing
// level of its account code (MizanaIsle) and taken out again when the line goes (MizandanCikar).
// Where a line posts is decided by its voucher's attribute: "ACF" opening totals, "KPF" closing
// totals, "IPT" nowhere, anything else element m (fiscal month) of the monthly arrays.
//
// A PostingBatch gathers the amounts of many lines per account code in memory and writes each
// touched account once: a voucher save, a deletion and a bulk import post through it inside
// their transaction, so every total is an increment made under the write lock and two programs
// saving at once lose nothing.

#include "core/result.h"
#include "data/records.h"
#include "data/table.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hk::vouchers {

// The six measures in the order of the account fields: TL debit, TL credit, sub-unit debit,
// sub-unit credit, currency debit, currency credit.
using Amounts = std::array<double, 6>;
Amounts amountsOf(const data::FisDet& line);

struct AccountTotals {
    Amounts opening{};
    std::array<Amounts, 12> months{};
    Amounts closing{};
};
// Adds `t` (times sign) into the account's totals.
void addTo(data::HsPlan& h, const AccountTotals& t, double sign = 1.0);
// The account's totals as AccountTotals.
AccountTotals totalsOf(const data::HsPlan& h);

// The distinct levels of a code, top down ("120 01 005" -> 120, 120 01, 120 01 005). A code with
// two blanks in a row would name the same shorter level twice; each level is posted once, so a
// parent never counts a line twice.
std::vector<std::string> postingLevels(std::string_view code);

class PostingBatch {
  public:
    PostingBatch() = default;
    PostingBatch(const PostingBatch&) = delete; // it holds pointers into itself
    PostingBatch& operator=(const PostingBatch&) = delete;
    PostingBatch(PostingBatch&&) = default;
    PostingBatch& operator=(PostingBatch&&) = default;

    // Adds (sign +1) or removes (sign -1) one amount line of a voucher with `attribute` in
    // fiscal month m. Extra description lines and "IPT" vouchers change nothing.
    void post(const data::FisDet& line, std::string_view attribute, int m, double sign);
    // The same for a caller that posts many lines of one code: `levels` is what levelsOf gave
    // for the line's account code, valid until apply().
    using Levels = std::vector<AccountTotals*>;
    const Levels& levelsOf(const std::string& code);
    void post(const Levels& levels, const data::FisDet& line, std::string_view attribute, int m,
              double sign);
    bool empty() const { return byCode_.empty(); }
    // Writes every touched account once; levels without an account are skipped.
    core::Status apply(data::TypedTable<data::HsPlan>& plan);

  private:
    std::unordered_map<std::string, AccountTotals> byCode_;
    std::vector<std::string> order_; // first-touched order, so writes are repeatable
    // The totals of every level of a line's account code, found once per code: a bulk import
    // posts a million lines to a few thousand codes. Nodes of byCode_ never move, so the
    // pointers stay good until apply() clears both.
    std::unordered_map<std::string, std::vector<AccountTotals*>> levels_;
};

// One line straight into the chart (callers that post a single line).
core::Status MizanaIsle(data::TypedTable<data::HsPlan>& plan, const data::FisDet& line,
                        std::string_view attribute, int m);
core::Status MizandanCikar(data::TypedTable<data::HsPlan>& plan, const data::FisDet& line,
                           std::string_view attribute, int m);

} // namespace hk::vouchers
