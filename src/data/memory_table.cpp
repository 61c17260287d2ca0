// The memory engine for work files. Work files are filled in bulk (tens of thousands to a million
// records added in a run) and then read in key order, so the engine is built for runs of adds
// followed by ordered reads, while every other operation keeps its meaning.
//
// Invariants:
//   - Rows: record `id` (rowids rise from 1 and are never reused while the table lives, also
//     across empty(), so a bookmark never finds a later record) is the compact image that
//     rows_[id - base_ - 1] points to. An image holds every slot of the Record
//     exactly (each of its integer, real and text members), so a record read back equals the
//     record written, member for member. Images live in chunks that never move.
//   - Keys: the entries (key value, rowid) of every record whose key has a value are ordered by
//     the bytes of the encoded key value (memcmp, the SQLite engine's order) and then by rowid.
//     Each live entry stands in exactly one of three places of its key:
//       sorted   the big ordered array; may also hold dead entries (records erased or moved to
//                another key value since), which every read skips;
//       recent   a small ordered array of entries written since `sorted` was built;
//       pending  the unordered run of adds since the key was last read or changed.
//     A read first settles `pending` (sorted once, merged into `recent`, or everything into a
//     new `sorted` when `recent` would grow past a few thousand entries or half of `sorted` is
//     dead), so a bulk load costs one sort, and a mix of adds and reads stays near O(sqrt n)
//     per operation instead of O(n).
//   - A unique key also keeps a hash of its values, so an add checks for a duplicate without
//     putting its order together.
//   - Position: next()/previous() continue from pos_ (key value and rowid), as with the ordered
//     set this engine replaced. The cursor remembers where pos_ stands in `sorted` and
//     `recent`; it is taken only while neither array changed shape since (`version_`), else the
//     place is found again by binary search. Dead marks do not change the shape.

#include "data/engine.h"
#include "data/keycodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <unordered_map>

namespace hk::data {

namespace {

// ---- compact row images ----------------------------------------------------------------------
//
// Per slot: a flag byte (1 integer != 0, 2 real bits != 0, 4 text not empty), then the members
// present: the integer as a zigzag varint, the real's 8 bytes, the text as varint length + bytes.

void putVarint(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

std::uint64_t getVarint(const char*& p) {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<unsigned char>(*p++);
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (b < 0x80) return v;
    }
}

void encodeImage(const Record& r, std::string& out) {
    const std::uint32_t n = r.def().slotCount;
    for (std::uint32_t i = 0; i < n; ++i) {
        const Value& v = r.slot(i);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v.real, sizeof bits);
        const char flags = static_cast<char>((v.integer != 0 ? 1 : 0) | (bits != 0 ? 2 : 0) |
                                             (!v.text.empty() ? 4 : 0));
        out.push_back(flags);
        if (v.integer != 0) {
            const auto u = static_cast<std::uint64_t>(v.integer);
            putVarint(out, (u << 1) ^ (v.integer < 0 ? ~std::uint64_t{0} : 0));
        }
        if (bits != 0) out.append(reinterpret_cast<const char*>(&bits), sizeof bits);
        if (!v.text.empty()) {
            putVarint(out, v.text.size());
            out.append(v.text);
        }
    }
}

void decodeImage(const char* p, Record& r) {
    const std::uint32_t n = r.def().slotCount;
    for (std::uint32_t i = 0; i < n; ++i) {
        Value& v = r.slot(i);
        const auto flags = static_cast<unsigned char>(*p++);
        if (flags & 1) {
            const std::uint64_t z = getVarint(p);
            v.integer = static_cast<std::int64_t>((z >> 1) ^ (~(z & 1) + 1));
        } else {
            v.integer = 0;
        }
        if (flags & 2) {
            std::memcpy(&v.real, p, sizeof v.real);
            p += sizeof v.real;
        } else {
            v.real = 0;
        }
        if (flags & 4) {
            const auto len = static_cast<std::size_t>(getVarint(p));
            v.text.assign(p, len);
            p += len;
        } else {
            v.text.clear();
        }
    }
}

// ---- key entries -----------------------------------------------------------------------------

constexpr std::uint32_t kDead = 0x80000000u;

struct Entry {
    std::uint32_t off = 0; // into KeyIndex::bytes
    std::uint32_t len = 0; // | kDead once the record left this value
    std::int64_t row = 0;
    bool dead() const { return (len & kDead) != 0; }
    std::uint32_t size() const { return len & ~kDead; }
};

struct KeyIndex {
    std::string bytes; // the key values of the entries, back to back
    std::vector<Entry> sorted, recent, pending;
    std::size_t dead = 0; // dead entries in `sorted`
    std::size_t garbage = 0; // bytes no live entry refers to
    bool unique = false;
    std::unordered_map<std::string, std::int64_t> values; // unique keys: value -> its record

    std::string_view kv(const Entry& e) const { return {bytes.data() + e.off, e.size()}; }
};

int compare(std::string_view a, std::int64_t ra, std::string_view b, std::int64_t rb) {
    if (const int c = a.compare(b); c != 0) return c;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

// Where a position (key value, rowid) stands in `sorted` and `recent`: lower and upper bounds.
struct Bounds {
    std::size_t loS = 0, hiS = 0, loR = 0, hiR = 0;
};

class MemoryTable final : public TableImpl {
  public:
    MemoryTable(const FileDef& d, std::string name)
        : TableImpl(d, std::move(name)), keys_(d.keys.size()), stored_(d) {
        for (std::size_t k = 0; k < keys_.size(); ++k) keys_[k].unique = d.keys[k].unique;
    }

    core::Status get(std::uint32_t key) override {
        const std::string kv = encodeKeyAlways(buffer_, def_->keys[key], KeyFormat::Compact);
        KeyIndex& ix = ready(key);
        const Bounds b = locate(ix, kv, kBeforeAll);
        const Pick p = pickForward(ix, b);
        if (!p.found || ix.kv(p.entry) != kv) return error(ErrorCode::NotFound);
        take(static_cast<int>(key), ix, p, b, true);
        return {};
    }

    core::Status readRow(std::int64_t row) override {
        const RowRef* r = rowRef(row);
        if (!r) return error(ErrorCode::NotFound);
        decodeImage(image(*r), buffer_);
        pos_.current = row;
        return {};
    }

    core::Status readStored(Record& out) override {
        const RowRef* r = pos_.current == 0 ? nullptr : rowRef(pos_.current);
        if (!r) return error(ErrorCode::NoRecord);
        decodeImage(image(*r), out);
        return {};
    }

    core::Status next() override { return step(true); }
    core::Status previous() override { return step(false); }

    core::Status add() override {
        if (auto st = buffer_.validate(); !st) return st;
        keyValues(buffer_, newKvs_);
        for (std::size_t k = 0; k < newKvs_.size(); ++k)
            if (keys_[k].unique && newKvs_[k] && keys_[k].values.count(*newKvs_[k]))
                return error(ErrorCode::DuplicateKey, def_->keys[k].name, 13);
        if (auto st = roomFor(newKvs_); !st) return st;
        const std::int64_t id = ++lastRowid_;
        rows_.push_back(storeImage(buffer_));
        ++live_;
        for (std::size_t k = 0; k < newKvs_.size(); ++k)
            if (newKvs_[k]) insert(keys_[k], *newKvs_[k], id);
        pos_.current = id;
        return {};
    }

    core::Status append() override {
        // Work files are small: keys are kept up to date even here.
        return add();
    }

    core::Status rebuildKeys() override { return {}; }

    core::Status put() override {
        RowRef* r = pos_.current == 0 ? nullptr : rowRef(pos_.current);
        if (!r) return error(ErrorCode::NoRecord);
        if (auto st = buffer_.validate(); !st) return st;
        decodeImage(image(*r), stored_);
        return writeOver(pos_.current, buffer_);
    }

    core::Result<bool> putChanges(std::int64_t row, const Record& was, const Record& now,
                                  const std::vector<std::uint32_t>& compared,
                                  const std::vector<std::uint32_t>& changed,
                                  const std::vector<std::uint32_t>& /*keys*/) override {
        RowRef* r = rowRef(row);
        if (!r) return false;
        decodeImage(image(*r), stored_);
        // As the SQLite engine compares: numbers by value, texts exactly.
        for (std::uint32_t f : compared) {
            const FieldDef& fd = def_->fields[f];
            for (std::uint32_t e = 0; e < fd.count; ++e) {
                const Value& a = stored_.slot(fd.slot + e);
                const Value& b = was.slot(fd.slot + e);
                if (a.integer != b.integer || a.real != b.real || a.text != b.text) return false;
            }
        }
        if (changed.empty()) return true;
        changes_ = stored_;
        for (std::uint32_t f : changed) {
            const FieldDef& fd = def_->fields[f];
            for (std::uint32_t e = 0; e < fd.count; ++e)
                changes_.slot(fd.slot + e) = now.slot(fd.slot + e);
        }
        if (auto st = writeOver(row, changes_); !st) return st.error();
        return true;
    }

  private:
    // Writes `rec` over live row `id` (its stored image decoded in stored_), moving the key
    // entries that change.
    core::Status writeOver(std::int64_t id, const Record& rec) {
        auto* r = rowRef(id);
        keyValues(stored_, oldKvs_);
        keyValues(rec, newKvs_);
        for (std::size_t k = 0; k < newKvs_.size(); ++k) {
            if (!keys_[k].unique || !newKvs_[k]) continue;
            const auto it = keys_[k].values.find(*newKvs_[k]);
            if (it != keys_[k].values.end() && it->second != id)
                return error(ErrorCode::DuplicateKey, def_->keys[k].name, 13);
        }
        if (auto st = roomFor(newKvs_); !st) return st;
        for (std::size_t k = 0; k < newKvs_.size(); ++k) {
            if (oldKvs_[k] == newKvs_[k]) continue; // the entry stays where it is
            if (oldKvs_[k]) remove(static_cast<std::uint32_t>(k), *oldKvs_[k], id);
            if (newKvs_[k]) insert(keys_[k], *newKvs_[k], id);
        }
        scratch_.clear();
        encodeImage(rec, scratch_);
        if (scratch_.size() <= r->len) {
            std::memcpy(chunks_[r->chunk].data() + r->off, scratch_.data(), scratch_.size());
            garbageImages_ += r->len - scratch_.size();
            r->len = static_cast<std::uint32_t>(scratch_.size());
        } else {
            const RowRef fresh = appendImage(scratch_); // may move the old image, still live
            garbageImages_ += r->len;
            *r = fresh;
        }
        return {};
    }

  public:
    core::Status erase() override {
        RowRef* r = pos_.current == 0 ? nullptr : rowRef(pos_.current);
        if (!r) return error(ErrorCode::NoRecord);
        const std::int64_t id = pos_.current;
        decodeImage(image(*r), stored_);
        keyValues(stored_, oldKvs_);
        for (std::size_t k = 0; k < oldKvs_.size(); ++k)
            if (oldKvs_[k]) remove(static_cast<std::uint32_t>(k), *oldKvs_[k], id);
        garbageImages_ += r->len;
        r->live = false;
        --live_;
        pos_.current = 0;
        return {};
    }

    core::Result<std::int64_t> count() override { return static_cast<std::int64_t>(live_); }

    core::Status empty() override {
        base_ = lastRowid_;
        rows_.clear();
        rows_.shrink_to_fit();
        chunks_.clear();
        chunks_.shrink_to_fit();
        imageBytes_ = 0;
        garbageImages_ = 0;
        live_ = 0;
        for (auto& k : keys_) {
            const bool unique = k.unique;
            k = KeyIndex{};
            k.unique = unique;
        }
        ++version_;
        pos_.current = 0;
        return {};
    }

  protected:
    void positionChanged() override { cursor_.valid = false; }

  private:
    // Images are kept in chunks of 1 MiB that never move: a growing work file neither copies
    // what it holds nor touches its memory twice.
    static constexpr std::size_t kChunk = std::size_t{1} << 20;
    struct RowRef {
        std::uint32_t chunk = 0;
        std::uint32_t off = 0;
        std::uint32_t len = 0;
        bool live = true;
    };
    const char* image(const RowRef& r) const { return chunks_[r.chunk].data() + r.off; }

    // The entry a read chose, and where it stands.
    struct Pick {
        bool found = false;
        bool inSorted = false;
        std::size_t at = 0;
        Entry entry;
    };

    struct Cursor {
        bool valid = false;
        std::uint64_t version = 0;
        int key = -2;
        Bounds b;
    };

    // ---- rows --------------------------------------------------------------------------------

    RowRef* rowRef(std::int64_t row) {
        if (row <= base_ || row > lastRowid_) return nullptr;
        RowRef& r = rows_[static_cast<std::size_t>(row - base_ - 1)];
        return r.live ? &r : nullptr;
    }

    RowRef appendImage(std::string_view img) {
        if (garbageImages_ > kChunk && garbageImages_ * 2 > imageBytes_) compactImages();
        if (chunks_.empty() ||
            chunks_.back().size() + img.size() > chunks_.back().capacity()) {
            chunks_.emplace_back();
            chunks_.back().reserve(std::max(kChunk, img.size()));
        }
        std::string& c = chunks_.back(); // appending within its capacity never moves it
        RowRef r;
        r.chunk = static_cast<std::uint32_t>(chunks_.size() - 1);
        r.off = static_cast<std::uint32_t>(c.size());
        r.len = static_cast<std::uint32_t>(img.size());
        c.append(img);
        imageBytes_ += img.size();
        return r;
    }

    RowRef storeImage(const Record& rec) {
        scratch_.clear();
        encodeImage(rec, scratch_);
        return appendImage(scratch_);
    }

    void compactImages() {
        std::vector<std::string> old;
        old.swap(chunks_);
        imageBytes_ = 0;
        garbageImages_ = 0;
        for (RowRef& r : rows_) {
            if (!r.live) continue;
            const std::string_view img(old[r.chunk].data() + r.off, r.len);
            const bool live = r.live;
            r = appendImage(img);
            r.live = live;
        }
    }

    // ---- keys --------------------------------------------------------------------------------

    void keyValues(const Record& r, std::vector<std::optional<std::string>>& out) const {
        out.resize(def_->keys.size());
        for (std::size_t k = 0; k < def_->keys.size(); ++k)
            out[k] = encodeKey(r, def_->keys[k], KeyFormat::Compact);
    }

    // Entries address their key values with 32 bits; a work file never comes near that.
    core::Status roomFor(const std::vector<std::optional<std::string>>& kvs) const {
        for (std::size_t k = 0; k < kvs.size(); ++k)
            if (kvs[k] && keys_[k].bytes.size() + kvs[k]->size() >= kDead)
                return error(ErrorCode::EngineError, "çalışma dosyası bellekte sığmıyor");
        return {};
    }

    void insert(KeyIndex& ix, const std::string& kv, std::int64_t row) {
        Entry e;
        e.off = static_cast<std::uint32_t>(ix.bytes.size());
        e.len = static_cast<std::uint32_t>(kv.size());
        e.row = row;
        ix.bytes.append(kv);
        ix.pending.push_back(e);
        if (ix.unique) ix.values[kv] = row;
    }

    void remove(std::uint32_t key, const std::string& kv, std::int64_t row) {
        KeyIndex& ix = ready(key);
        if (ix.unique) {
            const auto it = ix.values.find(kv);
            if (it != ix.values.end() && it->second == row) ix.values.erase(it);
        }
        auto before = [&](const Entry& e) { return compare(ix.kv(e), e.row, kv, row) < 0; };
        auto r = std::partition_point(ix.recent.begin(), ix.recent.end(), before);
        if (r != ix.recent.end() && r->row == row && ix.kv(*r) == kv) {
            ix.garbage += r->size();
            ix.recent.erase(r);
            ++version_;
            return;
        }
        auto s = std::partition_point(ix.sorted.begin(), ix.sorted.end(), before);
        if (s != ix.sorted.end() && s->row == row && !s->dead() && ix.kv(*s) == kv) {
            ix.garbage += s->size();
            s->len |= kDead;
            ++ix.dead;
        }
    }

    // The key's order, put together: nothing pending, and not mostly dead.
    KeyIndex& ready(std::uint32_t key) {
        KeyIndex& ix = keys_[key];
        const bool deadHeavy = ix.dead > 64 && ix.dead * 2 > ix.sorted.size();
        if (ix.pending.empty() && !deadHeavy) return ix;
        auto less = [&ix](const Entry& a, const Entry& b) {
            return compare(ix.kv(a), a.row, ix.kv(b), b.row) < 0;
        };
        sortPending(ix);
        const std::size_t room = 512 + 2 * static_cast<std::size_t>(
                                           std::sqrt(static_cast<double>(ix.sorted.size())));
        if (!deadHeavy && ix.recent.size() + ix.pending.size() <= room) {
            std::vector<Entry> merged;
            merged.reserve(ix.recent.size() + ix.pending.size());
            std::merge(ix.recent.begin(), ix.recent.end(), ix.pending.begin(), ix.pending.end(),
                       std::back_inserter(merged), less);
            ix.recent.swap(merged);
        } else {
            rebuild(ix, less);
        }
        ix.pending.clear();
        ++version_;
        return ix;
    }

    // Orders a run of adds. A million entries are sorted on the first 24 bytes of their key
    // values held as three integers (a ledger code, a date, a journal number and a side fit in
    // them), so only entries whose prefixes tie compare their key values in full. Padding with
    // zeros keeps the byte order: where two padded prefixes differ, either the values differ
    // there too, or the shorter one is a prefix of the other and sorts first either way.
    static void sortPending(KeyIndex& ix) {
        auto less = [&ix](const Entry& a, const Entry& b) {
            return compare(ix.kv(a), a.row, ix.kv(b), b.row) < 0;
        };
        if (ix.pending.size() < 256) {
            std::sort(ix.pending.begin(), ix.pending.end(), less);
            return;
        }
        struct Item {
            std::uint64_t w[3];
            std::uint32_t at;
        };
        auto word = [](std::string_view v, std::size_t from) {
            std::uint64_t w = 0;
            for (std::size_t i = 0; i < 8; ++i) {
                const std::size_t k = from + i;
                w = (w << 8) | (k < v.size() ? static_cast<unsigned char>(v[k]) : 0u);
            }
            return w;
        };
        std::vector<Item> items(ix.pending.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string_view v = ix.kv(ix.pending[i]);
            items[i] = {{word(v, 0), word(v, 8), word(v, 16)}, static_cast<std::uint32_t>(i)};
        }
        std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
            for (int k = 0; k < 3; ++k)
                if (a.w[k] != b.w[k]) return a.w[k] < b.w[k];
            return less(ix.pending[a.at], ix.pending[b.at]);
        });
        std::vector<Entry> sorted(items.size());
        for (std::size_t i = 0; i < items.size(); ++i) sorted[i] = ix.pending[items[i].at];
        ix.pending.swap(sorted);
    }

    // One ordered array of every live entry, its key values copied in order into fresh bytes.
    template <typename Less> void rebuild(KeyIndex& ix, const Less& less) {
        std::vector<Entry> extra;
        extra.reserve(ix.recent.size() + ix.pending.size());
        std::merge(ix.recent.begin(), ix.recent.end(), ix.pending.begin(), ix.pending.end(),
                   std::back_inserter(extra), less);
        std::vector<Entry> out;
        out.reserve(ix.sorted.size() - ix.dead + extra.size());
        std::string bytes;
        bytes.reserve(ix.bytes.size() - ix.garbage);
        auto emit = [&](Entry e) {
            const std::string_view v = ix.kv(e);
            e.off = static_cast<std::uint32_t>(bytes.size());
            bytes.append(v);
            out.push_back(e);
        };
        std::size_t i = 0, j = 0;
        while (i < ix.sorted.size() || j < extra.size()) {
            if (i < ix.sorted.size() && ix.sorted[i].dead()) {
                ++i;
                continue;
            }
            if (j == extra.size() || (i < ix.sorted.size() && less(ix.sorted[i], extra[j])))
                emit(ix.sorted[i++]);
            else
                emit(extra[j++]);
        }
        ix.sorted.swap(out);
        ix.recent.clear();
        ix.bytes.swap(bytes);
        ix.dead = 0;
        ix.garbage = 0;
    }

    Bounds locate(const KeyIndex& ix, std::string_view kv, std::int64_t row) const {
        auto below = [&](const Entry& e) { return compare(ix.kv(e), e.row, kv, row) < 0; };
        auto notAbove = [&](const Entry& e) { return compare(ix.kv(e), e.row, kv, row) <= 0; };
        Bounds b;
        b.loS = static_cast<std::size_t>(
            std::partition_point(ix.sorted.begin(), ix.sorted.end(), below) - ix.sorted.begin());
        b.hiS = static_cast<std::size_t>(
            std::partition_point(ix.sorted.begin() + static_cast<std::ptrdiff_t>(b.loS),
                                 ix.sorted.end(), notAbove) -
            ix.sorted.begin());
        b.loR = static_cast<std::size_t>(
            std::partition_point(ix.recent.begin(), ix.recent.end(), below) - ix.recent.begin());
        b.hiR = static_cast<std::size_t>(
            std::partition_point(ix.recent.begin() + static_cast<std::ptrdiff_t>(b.loR),
                                 ix.recent.end(), notAbove) -
            ix.recent.begin());
        return b;
    }

    // The first live entry after the bounds' position.
    static Pick pickForward(const KeyIndex& ix, const Bounds& b) {
        std::size_t s = b.hiS;
        while (s < ix.sorted.size() && ix.sorted[s].dead()) ++s;
        const bool haveS = s < ix.sorted.size(), haveR = b.hiR < ix.recent.size();
        Pick p;
        if (!haveS && !haveR) return p;
        p.found = true;
        p.inSorted = haveS && (!haveR || compare(ix.kv(ix.sorted[s]), ix.sorted[s].row,
                                                 ix.kv(ix.recent[b.hiR]), ix.recent[b.hiR].row) < 0);
        p.at = p.inSorted ? s : b.hiR;
        p.entry = p.inSorted ? ix.sorted[s] : ix.recent[b.hiR];
        return p;
    }

    // The last live entry before the bounds' position.
    static Pick pickBackward(const KeyIndex& ix, const Bounds& b) {
        std::size_t s = b.loS;
        while (s > 0 && ix.sorted[s - 1].dead()) --s;
        const bool haveS = s > 0, haveR = b.loR > 0;
        Pick p;
        if (!haveS && !haveR) return p;
        p.found = true;
        p.inSorted = haveS && (!haveR || compare(ix.kv(ix.sorted[s - 1]), ix.sorted[s - 1].row,
                                                 ix.kv(ix.recent[b.loR - 1]),
                                                 ix.recent[b.loR - 1].row) > 0);
        p.at = p.inSorted ? s - 1 : b.loR - 1;
        p.entry = p.inSorted ? ix.sorted[s - 1] : ix.recent[b.loR - 1];
        return p;
    }

    // Reads the picked record and makes it the position; the cursor keeps its place.
    void take(int key, const KeyIndex& ix, const Pick& p, const Bounds& from, bool forward) {
        Bounds b;
        if (p.inSorted) {
            b.loS = p.at;
            b.hiS = p.at + 1;
            b.loR = b.hiR = forward ? from.hiR : from.loR;
        } else {
            b.loR = p.at;
            b.hiR = p.at + 1;
            b.loS = b.hiS = forward ? from.hiS : from.loS;
        }
        const RowRef& r = rows_[static_cast<std::size_t>(p.entry.row - base_ - 1)];
        decodeImage(image(r), buffer_);
        pos_.key = key;
        pos_.kv.assign(ix.kv(p.entry));
        pos_.rowid = p.entry.row;
        pos_.atEnd = false;
        pos_.current = p.entry.row;
        cursor_.valid = true;
        cursor_.version = version_;
        cursor_.key = key;
        cursor_.b = b;
    }

    core::Status step(bool forward) {
        if (pos_.key == -2) return error(ErrorCode::NoRecord, "sıra belirlenmedi");
        if (pos_.key == -1) return stepPhysical(forward);
        if (forward && pos_.atEnd) return error(ErrorCode::NoRecord);
        const auto key = static_cast<std::uint32_t>(pos_.key);
        const KeyIndex& ix = ready(key);
        Bounds b;
        if (pos_.atEnd) {
            b.loS = b.hiS = ix.sorted.size();
            b.loR = b.hiR = ix.recent.size();
        } else if (cursor_.valid && cursor_.version == version_ && cursor_.key == pos_.key) {
            b = cursor_.b;
        } else {
            b = locate(ix, pos_.kv, pos_.rowid);
        }
        const Pick p = forward ? pickForward(ix, b) : pickBackward(ix, b);
        if (!p.found) return error(ErrorCode::NoRecord);
        // A bounded range ends below its bound, the table staying where it is (as on SQLite).
        if (forward && !pos_.upper.empty() &&
            std::string_view(ix.kv(p.entry)) >= std::string_view(pos_.upper))
            return error(ErrorCode::NoRecord);
        take(pos_.key, ix, p, b, forward);
        return {};
    }

    core::Status stepPhysical(bool forward) {
        const std::int64_t n = static_cast<std::int64_t>(rows_.size());
        std::int64_t i; // index into rows_
        if (forward) {
            if (pos_.atEnd || pos_.rowid >= lastRowid_) return error(ErrorCode::NoRecord);
            i = pos_.rowid <= base_ ? 0 : pos_.rowid - base_; // the row after pos_.rowid
            while (i < n && !rows_[static_cast<std::size_t>(i)].live) ++i;
            if (i >= n) return error(ErrorCode::NoRecord);
        } else {
            if (pos_.atEnd || pos_.rowid > lastRowid_)
                i = n - 1;
            else if (pos_.rowid <= base_ + 1)
                return error(ErrorCode::NoRecord);
            else
                i = pos_.rowid - base_ - 2; // the row before pos_.rowid
            while (i >= 0 && !rows_[static_cast<std::size_t>(i)].live) --i;
            if (i < 0) return error(ErrorCode::NoRecord);
        }
        const RowRef& r = rows_[static_cast<std::size_t>(i)];
        decodeImage(image(r), buffer_);
        const std::int64_t id = base_ + 1 + i;
        pos_.rowid = id;
        pos_.atEnd = false;
        pos_.current = id;
        return {};
    }

    std::vector<RowRef> rows_;
    std::vector<std::string> chunks_;
    std::uint64_t imageBytes_ = 0;    // in chunks_, live or not
    std::uint64_t garbageImages_ = 0; // of those, no longer any row's
    std::size_t live_ = 0;
    std::int64_t base_ = 0; // rowids up to here were emptied away
    std::int64_t lastRowid_ = 0;
    std::vector<KeyIndex> keys_;
    std::uint64_t version_ = 0;
    Cursor cursor_;
    // Scratch space kept between calls, so a write allocates nothing of its own.
    Record stored_;
    Record changes_{*def_};
    std::string scratch_;
    std::vector<std::optional<std::string>> oldKvs_, newKvs_;
};

} // namespace

std::unique_ptr<TableImpl> makeMemoryTable(const FileDef& d, std::string name) {
    return std::make_unique<MemoryTable>(d, std::move(name));
}

} // namespace hk::data
