#include "reports/ledger_lines.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace hk::reports {

namespace {

char* putVarint(char* p, std::uint64_t v) {
    while (v >= 0x80) {
        *p++ = static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    *p++ = static_cast<char>(v);
    return p;
}

const char* getVarint(const char* p, std::uint64_t& v) {
    v = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<std::uint8_t>(*p++);
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (b < 0x80) return p;
    }
}

// Signed values by their distance from zero, so small negative ones stay short.
std::uint64_t zigzag(std::int64_t v) {
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t unzigzag(std::uint64_t v) {
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

constexpr std::size_t kMaxVarint = 10;

} // namespace

bool LedgerLines::setup(const data::FileDef& def, const std::vector<std::uint32_t>& fields,
                        std::uint32_t keyField, std::uint32_t codeField,
                        std::uint32_t acknoField) {
    slots_.clear();
    std::size_t most = kMaxVarint; // the bits of the fields present
    for (std::uint32_t f : fields) {
        if (f == keyField || f == codeField) continue;
        const data::FieldDef& fd = def.fields[f];
        if (fd.type == data::FieldType::GROUP) continue;
        for (std::uint32_t i = 0; i < fd.count; ++i) {
            Kind k = Kind::Integer;
            if (data::isText(fd.type)) {
                k = Kind::Text;
                // A cp1254 character takes at most three bytes in UTF-8.
                most += kMaxVarint + 3 * std::size_t{fd.size};
            } else if (fd.type == data::FieldType::REAL) {
                k = Kind::Real;
                most += 8;
            } else {
                most += kMaxVarint;
            }
            slots_.push_back({fd.slot + i, k});
        }
    }
    if (slots_.size() > 64 || most > kChunk) return false;
    keySlot_ = def.fields[keyField].slot;
    codeSlot_ = def.fields[codeField].slot;
    acknoSlot_ = def.fields[acknoField].slot;
    maxLine_ = most;
    return true;
}

char* LedgerLines::reserve(std::size_t n) {
    if (used_ + n > kChunk) {
        // Not cleared: every byte is written before it is read.
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunk));
        used_ = 0;
    }
    return chunks_.back().get() + used_;
}

void LedgerLines::add(std::uint32_t account, std::uint32_t voucher, const data::Record& r) {
    char* const start = reserve(maxLine_);
    std::uint64_t present = 0;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        const data::Value& v = r.slot(slots_[i].slot);
        const bool set = slots_[i].kind == Kind::Text    ? !v.text.empty()
                         : slots_[i].kind == Kind::Real ? std::bit_cast<std::uint64_t>(v.real) != 0
                                                        : v.integer != 0;
        if (set) present |= std::uint64_t{1} << i;
    }
    char* p = putVarint(start, present);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!(present & (std::uint64_t{1} << i))) continue;
        const data::Value& v = r.slot(slots_[i].slot);
        switch (slots_[i].kind) {
        case Kind::Text:
            p = putVarint(p, v.text.size());
            std::memcpy(p, v.text.data(), v.text.size());
            p += v.text.size();
            break;
        case Kind::Real:
            std::memcpy(p, &v.real, 8);
            p += 8;
            break;
        case Kind::Integer:
            p = putVarint(p, zigzag(v.integer));
            break;
        }
    }
    const std::uint64_t at = ((chunks_.size() - 1) << 20) | used_;
    used_ += static_cast<std::size_t>(p - start);
    buckets_[account].push_back(
        {voucher, static_cast<std::int32_t>(r.slot(acknoSlot_).integer), at});
    ++lines_;
}

const std::vector<LedgerLines::Entry>& LedgerLines::entries(std::uint32_t account) {
    auto& b = buckets_[account];
    // The place in the arena grows with the order the lines were added, so it breaks the ties.
    std::sort(b.begin(), b.end(), [](const Entry& x, const Entry& y) {
        if (x.voucher != y.voucher) return x.voucher < y.voucher;
        if (x.ackno != y.ackno) return x.ackno < y.ackno;
        return x.at < y.at;
    });
    return b;
}

void LedgerLines::load(const Entry& e, std::string_view key, std::string_view code,
                       data::Record& out) const {
    const char* p = chunks_[e.at >> 20].get() + (e.at & (kChunk - 1));
    std::uint64_t present = 0;
    p = getVarint(p, present);
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        data::Value& v = out.slot(slots_[i].slot);
        const bool set = (present >> i) & 1;
        switch (slots_[i].kind) {
        case Kind::Text:
            if (!set) {
                v.text.clear();
                break;
            }
            {
                std::uint64_t n = 0;
                p = getVarint(p, n);
                v.text.assign(p, static_cast<std::size_t>(n));
                p += n;
            }
            break;
        case Kind::Real:
            if (!set) {
                v.real = 0;
                break;
            }
            std::memcpy(&v.real, p, 8);
            p += 8;
            break;
        case Kind::Integer:
            if (!set) {
                v.integer = 0;
                break;
            }
            {
                std::uint64_t n = 0;
                p = getVarint(p, n);
                v.integer = unzigzag(n);
            }
            break;
        }
    }
    out.slot(keySlot_).text.assign(key);
    out.slot(codeSlot_).text.assign(code);
}

std::size_t LedgerLines::bytes() const {
    std::size_t n = chunks_.size() * kChunk;
    for (const auto& b : buckets_) n += b.capacity() * sizeof(Entry);
    return n;
}

} // namespace hk::reports
