#pragma once
// What the trial balance and the subsidiary ledger share besides the listing engine: the account
// range of a run, which vouchers a run takes, calendar months, the company title and the first
// line of a printed page.

#include "core/result.h"
#include "data/records.h"
#include "output/page.h"
#include "output/printer.h"
#include "vouchers/books.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace hk::reports {

// The chart range of a run: from `first` (in key order) until past() says the range is over.
// An end that is a detail account ends the range at itself; any other end takes all its
// sub-accounts as well (the end code followed by high values); a blank end takes everything.
struct AccountRange {
    std::string first;
    std::string end;
    bool endIsDetail = false;

    // `cutStart`: start from the start code cut at its first blank, so that the ledger and group
    // accounts above the start are visited too.
    static core::Result<AccountRange> make(vouchers::Books& b, const std::string& start,
                                           const std::string& end, bool cutStart);
    bool past(std::string_view code) const;
};

// True when no code can lie between start and end: the start sorts after the end and does not
// lie in the end's branch (an end other than a detail account takes its sub-accounts).
bool emptyRange(std::string_view start, std::string_view end);

// Voucher key -> a voucher's place in a run's list, looked up for every voucher line a run
// reads: an open table of views of the keys, probed linearly, so that a look-up costs a hash of
// the key and mostly one slot and one compare (a map of strings cost a third of a long run).
class KeyIndex {
  public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    // keyAt(i) for i < count: views that must outlive the index and stay where they are. The
    // first of equal keys wins.
    template <typename F> void build(std::size_t count, F&& keyAt) {
        std::size_t cap = 16;
        while (cap < count * 2) cap <<= 1;
        slots_.assign(cap, Slot{});
        mask_ = cap - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view k = keyAt(i);
            const std::uint64_t h = hash(k);
            std::size_t at = h & mask_;
            while (slots_[at].index != kNone && !(slots_[at].hash == h && slots_[at].key == k))
                at = (at + 1) & mask_;
            if (slots_[at].index == kNone) slots_[at] = Slot{h, k, static_cast<std::uint32_t>(i)};
        }
    }
    std::uint32_t find(std::string_view k) const {
        if (slots_.empty()) return kNone;
        const std::uint64_t h = hash(k);
        for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
            const Slot& s = slots_[at];
            if (s.index == kNone) return kNone;
            if (s.hash == h && s.key == k) return s.index;
        }
    }

  private:
    struct Slot {
        std::uint64_t hash = 0;
        std::string_view key;
        std::uint32_t index = kNone;
    };
    static std::uint64_t hash(std::string_view k) {
        std::uint64_t h = 14695981039346656037ull; // FNV-1a
        for (unsigned char c : k) h = (h ^ c) * 1099511628211ull;
        return h ^ (h >> 29);
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// Opening ("ACF"), closing ("KPF") and cancelled ("IPT") vouchers by the run's options.
bool voucherTaken(std::string_view attribute, bool opening, bool closing, bool cancelled);

// Calendar month of fiscal month m (1..12) of a year starting at `fiscalStart`.
int calendarMonth(int fiscalMonth, const core::Date& fiscalStart);
// Fiscal month of a calendar date.
int fiscalMonthOf(const core::Date& d, const core::Date& fiscalStart);

// Levels of an account code: 1 + the runs of blanks in it.
int codeLevels(std::string_view code);

// Company title: first line without trailing blanks, a blank, the second line.
std::string companyTitle(const data::Yasal& y);

// The page's first line: the printer's initialisation bytes (emphasis switched on when
// `emphasis`), or an empty line on ordinary printers.
core::Status writeInit(output::PageWriter& w, output::PrinterKind kind, bool emphasis);

// The fields a report reads of a file (data::Table::narrowTo): those its compiled definition
// reads (RecordBinding::fieldsRead) and the named ones its own work uses, sorted, each once.
std::vector<std::uint32_t> withFields(const data::FileDef& def, std::vector<std::uint32_t> fields,
                                      std::initializer_list<std::string_view> own);

// core::numeric::round(v, places), the same double always, without the text round trip where
// rounding changes nothing (a running sum of amounts mostly has no more decimals than its
// measure): for the running balances, rounded once per line.
double roundSum(double v, int places);

} // namespace hk::reports
