#pragma once
// The voucher lines of many accounts held in memory for the subsidiary ledger, gathered in one
// pass over the lines as stored (FisDet's table order) instead of one look-up per line through
// the account index.
//
// Each line is kept as a small entry in its account's bucket (voucher, ACKNO, where its fields
// lie) and its fields as a packed image in a shared arena: a bit per field present, then only
// the fields that are not blank or zero (texts as a length and their UTF-8 bytes, amounts as
// their 8 bytes, whole numbers and dates as variable-length integers). The voucher key and the
// account code are not stored: the voucher and the bucket give them back. A line of the standard
// definition takes about 73 bytes (16 for the entry, the rest its description and amount,
// measured on a generated year of a million lines).
//
// Order: entries() gives an account's lines as FisDet's account index reads them within one
// voucher, i.e. by ACKNO and, between equal ones, in the order they were added (the table's
// order, rowid); the ledger orders the vouchers itself.

#include "data/dictionary.h"
#include "data/record.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hk::reports {

class LedgerLines {
  public:
    struct Entry {
        std::uint32_t voucher; // the run's place of the line's voucher
        std::int32_t ackno;
        std::uint64_t at; // the packed fields in the arena
    };

    // `fields`: the fields (indices into def.fields) a line must give back; KEYSTR and HESAPKODU
    // among them are filled from the voucher and the account. False when the layout has more
    // fields than one packed image can mark (then this store cannot be used).
    bool setup(const data::FileDef& def, const std::vector<std::uint32_t>& fields,
               std::uint32_t keyField, std::uint32_t codeField, std::uint32_t acknoField);
    // One bucket per account, by its number given by the caller.
    void accounts(std::size_t count) { buckets_.assign(count, {}); }

    // Keeps the line in `r` (read with at least the fields of setup) for `account`.
    void add(std::uint32_t account, std::uint32_t voucher, const data::Record& r);

    // The account's lines by voucher place, ACKNO and the order added; sorted once, in place.
    const std::vector<Entry>& entries(std::uint32_t account);
    // Gives the bucket's memory back once its account has been printed.
    void release(std::uint32_t account) { std::vector<Entry>().swap(buckets_[account]); }

    // Fills `out` with the fields of a line (every other field of `out` is left as it was);
    // `key` and `code` go into KEYSTR and HESAPKODU.
    void load(const Entry& e, std::string_view key, std::string_view code, data::Record& out) const;

    std::size_t lines() const { return lines_; }
    // Bytes held: the arena's chunks and the buckets' entries.
    std::size_t bytes() const;

  private:
    enum class Kind : std::uint8_t { Text, Real, Integer };
    struct Slot {
        std::uint32_t slot;
        Kind kind;
    };
    static constexpr std::size_t kChunk = std::size_t{1} << 20;

    char* reserve(std::size_t n);

    std::vector<Slot> slots_;
    std::uint32_t keySlot_ = 0, codeSlot_ = 0, acknoSlot_ = 0;
    std::size_t maxLine_ = 0; // the longest packed image a line can take
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::size_t used_ = kChunk; // in the last chunk
    std::vector<std::vector<Entry>> buckets_;
    std::size_t lines_ = 0;
};

} // namespace hk::reports
