#pragma once
// data::Table: the operations every procedure uses on a data file, whatever the engine behind
// it (SQLite for data files, memory for work files).
//
// A table owns one record buffer. Reads fill the buffer; add/put take it. Positioning follows the
// classic keyed-file model:
//   set(key, Seek::First)      next() reads the first record in key order
//   set(key, Seek::Last)       previous() reads the last one
//   set(key, Seek::AtOrAfter)  next() reads the first record whose key is >= the key value in
//                              the buffer; previous() the last one below it
//   set(key, Seek::AtOrBefore) previous() reads the last record whose key is <= the value;
//                              next() the first one above it
//   setPhysical()              next()/previous() in physical (insertion) order, all records
// After a read (next, previous, get) that record is the current one: put() and erase() act on it,
// and next()/previous() continue from it. Records with equal key values keep their physical
// order. A record whose optional key is blank is not in that key: ordered reads over that key do
// not see it, exact gets do not find it.
// Writes through any table of the same database between two reads are seen by the next read.

#include "core/result.h"
#include "data/keycodec.h"
#include "data/dictionary.h"
#include "data/errors.h"
#include "data/record.h"
#include "data/records.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace hk::data {

enum class Seek : std::uint8_t { First, Last, AtOrAfter, AtOrBefore };

// Where a read left off: the current record in the current order. A list keeps one per row it
// shows and resumes from it exactly, even among records with equal key values.
struct Bookmark {
    int key = -2; // key index, -1 physical order, -2 none
    std::string keyValue;
    std::int64_t row = 0;
    bool valid() const { return key != -2 && row != 0; }
};

class TableImpl;   // the engine side; see engine.h
class Transaction; // database.h

// Which way a range scan reads: in key order, or from the high end down.
enum class Direction : std::uint8_t { Forward, Backward };

// Called for each record of a scan while the table's buffer holds it (so put() and erase() act on
// it); returns false to stop the scan early, an Error to end it with that error.
using ScanVisitor = std::function<core::Result<bool>()>;

class Table {
  public:
    Table(); // a closed table: every operation fails with ErrorCode::NotOpen
    explicit Table(std::unique_ptr<TableImpl> impl);
    ~Table();
    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // A work file held in memory: private to this object, gone with it. `name` is the file name
    // used in messages ("Hk123.Tmp").
    static Table memory(const FileDef& layout, std::string name);

    bool isOpen() const { return impl_ != nullptr; }
    const FileDef& def() const;
    // The form of the key values the table stores (keycodec.h); what encoded keys compared
    // with its positions must be made in.
    KeyFormat keyFormat() const;
    // The name of the file in messages (logical file name or work-file name).
    const std::string& name() const;

    Record& buffer();
    const Record& buffer() const;
    // Clears the buffer: text fields to blanks, numbers and dates to zero.
    void clear();

    // Reads the record whose key equals the key fields of the buffer (the first of equal ones).
    // ErrorCode::NotFound when there is none; the buffer is then unchanged.
    core::Status get(std::string_view key);
    core::Status get(std::uint32_t key);
    core::Status set(std::string_view key, Seek from = Seek::First);
    core::Status set(std::uint32_t key, Seek from = Seek::First);
    core::Status setPhysical();
    // The current record's place in the current order (invalid when there is none).
    Bookmark bookmark() const;
    // Positions at a bookmark: next() reads the record after it, previous() the one before.
    core::Status restore(const Bookmark& b);
    // Reads the bookmarked record again (NotFound when it was deleted) and positions at it.
    core::Status reget(const Bookmark& b);
    // ErrorCode::NoRecord at the end; the buffer is then unchanged.
    core::Status next();
    core::Status previous();

    // Adds the buffer as a new record; it becomes the current one. DuplicateKey (message 13, the
    // key name in Error::text after the engine text) when a unique key exists already.
    core::Status add();
    // Writes the buffer over the current record (NoRecord when there is none). Cascades a changed
    // linking field to the children where a relation says so.
    core::Status put();
    // Update if still as read: writes the changes from `was` to `now` into the record at `at`,
    // provided that record still holds what `was` holds in every field reads fill (readFields(),
    // or every field when reads are whole). Only the fields that differ between the two are
    // written, and only the keys built on them are computed again; every other field keeps what
    // is stored. So a record read narrowed can be changed where it stands: `was` as read, `now`
    // the same with a few of those fields changed, and no second read of it. Returns false, and
    // writes nothing, when the record is gone or no longer holds those values (another program
    // changed it since it was read). Refused: a change of a field reads do not fill, or of a key
    // whose parts they do not all fill (BadValue); a change of a field a relation carries to
    // child records while there are children under its value as read (RelatedRecords: put()
    // carries them; with none there is nothing to carry, as when the caller moved them first);
    // a duplicate unique key (DuplicateKey, as put()). Neither the buffer nor the position
    // changes.
    core::Result<bool> putChanges(const Bookmark& at, const Record& was, const Record& now);
    // Deletes the current record. RelatedRecords (message 30, Error::file = the child file) when a
    // relation refuses it; children deleted first where a relation cascades.
    core::Status erase();
    core::Result<std::int64_t> count();
    // Deletes every record (relations are not applied: emptying is a maintenance step).
    core::Status empty();

    // Narrowed reads: from here on, reads (next, previous, get, reget, scans, scanWhere) fill
    // only these fields (indices into def().fields) and leave every other field of the buffer
    // blank or zero, so that a pass over a million records decodes only what it uses. Positions
    // and bookmarks work as before (the engines position on the stored key, not on the fields).
    // A record read this way is not whole: while narrowed, add(), append(), put() and
    // rebuildKeys() are refused (EngineError), and after widen() a put() is still refused until
    // the current record has been read again whole (reget it), so a narrowed read can never be
    // written back over the full record. erase() stays allowed. The memory engine reads whole
    // records anyway (it is cheap already) but refuses the same writes. An empty list or an
    // unknown field is refused (BadValue) and leaves the table as it was.
    core::Status narrowTo(std::vector<std::uint32_t> fields);
    core::Status narrowTo(std::initializer_list<std::string_view> names);
    // Reads fill every field again.
    void widen();
    // The fields reads fill now; empty when every field is read.
    const std::vector<std::uint32_t>& readFields() const;

    // Bulk loading for layout conversion: append() adds the buffer without maintaining keys (no
    // duplicate check, no relations); rebuildKeys() computes every key afterwards (message 26 on
    // failure, message 13 when a unique key turns out duplicated).
    core::Status append();
    core::Status rebuildKeys();

    // Bulk writing inside a unit of work: deferIndexes() drops the indexes a data file keeps
    // beyond its keys (FisDet's account index), so that a bulk load does not insert into them
    // one record at a time in no useful order; restoreIndexes() builds them again, sorted, in
    // one pass. Keys are kept up as always. Both must run in the same unit of work (refused
    // outside one): a rollback or a crash brings the index back as it was, and a table opened
    // without it makes it again anyway. A memory work file has no such indexes.
    core::Status deferIndexes();
    core::Status restoreIndexes();

    // Range scans over a key. scan visits every record whose key value lies between those of
    // `from` and `to`, both included; scanPrefix every record whose first `parts` key components
    // equal those of `prefix`. The end of the records ends a scan normally; a read error ends it
    // with that error (never taken for the end). Records whose optional key is blank are not in
    // that key and are not visited. A forward prefix scan reads nothing past its prefix: when it
    // runs to the prefix's end, the table stands at the prefix's last record, and next() reads on
    // from there.
    core::Status scan(std::string_view key, const Record& from, const Record& to,
                      const ScanVisitor& visit, Direction d = Direction::Forward);
    core::Status scanPrefix(std::string_view key, const Record& prefix, std::size_t parts,
                            const ScanVisitor& visit, Direction d = Direction::Forward);

    // Every record whose scalar text field `field` holds `value` (trailing blanks aside), in
    // the order of `key`, each with its bookmark in that key (reget() it to change it). The
    // matches are read first and then visited, so the visitor may write to the table. A data
    // file answers from an index on the field where it has one (FisDet by account); elsewhere,
    // and in a memory work file, the key is read whole.
    using MatchVisitor = std::function<core::Result<bool>(const Record&, const Bookmark&)>;
    core::Status scanWhere(std::string_view key, std::string_view field, std::string_view value,
                           const MatchVisitor& visit);
    // The same, each match visited as it is read, without holding them all first: the visitor
    // must neither write to this table nor move its position, and the record and bookmark it
    // gets are good until it returns (copy what it keeps). A busy account's 100,000 lines held
    // as records cost more than reading them.
    core::Status readWhere(std::string_view key, std::string_view field, std::string_view value,
                           const MatchVisitor& visit);

    // A unit of work on the database this table lives in (BEGIN IMMEDIATE, or a savepoint inside
    // one already open). For a memory work file it is a unit of nothing: it begins and commits
    // without effect, so rule code is written the same for both.
    core::Result<Transaction> begin();

    TableImpl* impl() { return impl_.get(); }

  private:
    // Notes after a read whether the buffer now holds a narrowed record.
    core::Status read(core::Status st);
    core::Error narrowedWrite(int message) const;

    std::unique_ptr<TableImpl> impl_;
};

// Typed access for domain code: the same table, the buffer seen as a record struct.
//
//     TypedTable<HsPlan> plan(std::move(table));
//     HsPlan key; key.HESAPKODU = "120 01";
//     auto h = plan.get("KeyHesap", key);
template <RecordStruct T> class TypedTable {
  public:
    TypedTable() = default;
    explicit TypedTable(Table t) : t_(std::move(t)) {}

    Table& table() { return t_; }
    bool isOpen() const { return t_.isOpen(); }

    // Reads the record whose key fields equal those of `key`.
    core::Result<T> get(std::string_view keyName, const T& key) {
        if (auto st = load(key); !st) return st.error();
        if (auto st = t_.get(keyName); !st) return st.error();
        return current();
    }
    // Positions like Table::set with the key values taken from `from`.
    core::Status set(std::string_view keyName, Seek seek = Seek::First, const T& from = T{}) {
        if (seek == Seek::AtOrAfter || seek == Seek::AtOrBefore)
            if (auto st = load(from); !st) return st;
        return t_.set(keyName, seek);
    }
    core::Status setPhysical() { return t_.setPhysical(); }
    core::Result<T> next() {
        if (auto st = t_.next(); !st) return st.error();
        return current();
    }
    core::Result<T> previous() {
        if (auto st = t_.previous(); !st) return st.error();
        return current();
    }
    core::Status add(const T& r) {
        if (auto st = load(r); !st) return st;
        return t_.add();
    }
    // Writes over the current record (the last one read or added).
    core::Status put(const T& r) {
        if (auto st = load(r); !st) return st;
        return t_.put();
    }
    core::Status erase() { return t_.erase(); }
    // Table::putChanges with the records as structs.
    core::Result<bool> putChanges(const Bookmark& at, const T& was, const T& now) {
        Record w(t_.def()), n(t_.def());
        if (auto st = toRecord(was, w); !st) return st.error();
        if (auto st = toRecord(now, n); !st) return st.error();
        return t_.putChanges(at, w, n);
    }
    // Narrowed reads (see Table::narrowTo): the records read carry only these fields, the
    // others as a default-made T has them; add() and put() are refused meanwhile.
    core::Status narrowTo(std::initializer_list<std::string_view> names) {
        return t_.narrowTo(names);
    }
    void widen() { t_.widen(); }
    core::Result<std::int64_t> count() { return t_.count(); }
    core::Status empty() { return t_.empty(); }
    T current() const { return fromRecord<T>(t_.buffer()); }

    // Range scans (see Table::scan). `visit` takes the record (const T&) and returns void, bool
    // (false stops), core::Status or core::Result<bool>; put()/erase() inside it act on the
    // record visited.
    //
    //     KLDUsers lo, hi; lo.ID = hi.ID = "ALI"; lo.MENUNO = 2000; hi.MENUNO = 2999;
    //     auto st = rights.scan("IdKey", lo, hi, [&](const KLDUsers& r) { ... });
    template <typename F>
    core::Status scan(std::string_view key, const T& from, const T& to, F&& visit,
                      Direction d = Direction::Forward) {
        Record lo(t_.def()), hi(t_.def());
        if (auto st = toRecord(from, lo); !st) return st;
        if (auto st = toRecord(to, hi); !st) return st;
        return t_.scan(key, lo, hi, adapt(visit), d);
    }
    template <typename F>
    core::Status scanPrefix(std::string_view key, const T& prefix, std::size_t parts, F&& visit,
                            Direction d = Direction::Forward) {
        Record p(t_.def());
        if (auto st = toRecord(prefix, p); !st) return st;
        return t_.scanPrefix(key, p, parts, adapt(visit), d);
    }
    // Every record of a scan, in its order.
    core::Result<std::vector<T>> collect(std::string_view key, const T& prefix, std::size_t parts,
                                         Direction d = Direction::Forward) {
        std::vector<T> out;
        if (auto st = scanPrefix(
                key, prefix, parts, [&](const T& r) { out.push_back(r); }, d);
            !st)
            return st.error();
        return out;
    }
    // Every record whose text field holds `value` (see Table::scanWhere), with its bookmark.
    core::Result<std::vector<std::pair<Bookmark, T>>>
    collectWhere(std::string_view key, std::string_view field, std::string_view value) {
        std::vector<std::pair<Bookmark, T>> out;
        auto st = t_.readWhere(key, field, value,
                               [&](const Record& r, const Bookmark& b) -> core::Result<bool> {
                                   out.emplace_back(b, fromRecord<T>(r));
                                   return true;
                               });
        if (!st) return st.error();
        return out;
    }
    core::Result<Transaction> begin();

  private:
    template <typename F> ScanVisitor adapt(F& visit) {
        return [this, &visit]() -> core::Result<bool> {
            const T r = current();
            using R = std::invoke_result_t<F&, const T&>;
            if constexpr (std::is_void_v<R>) {
                visit(r);
                return true;
            } else if constexpr (std::is_same_v<R, bool>) {
                return visit(r);
            } else if constexpr (std::is_same_v<R, core::Status>) {
                if (auto st = visit(r); !st) return st.error();
                return true;
            } else {
                return visit(r);
            }
        };
    }
    core::Status load(const T& r) { return toRecord(r, t_.buffer()); }
    Table t_;
};

// Narrows a table's reads for a scope and gives it back as it was (wide, or narrowed to the
// fields it had) when the scope ends, whatever way it ends.
//
//     data::NarrowReads few(lines.table(), {"KEYSTR", "HESAPKODU", "TLBORC"});
//     if (!few.ok()) return few.status();
class NarrowReads {
  public:
    NarrowReads(Table& t, std::initializer_list<std::string_view> names)
        : t_(t), before_(t.isOpen() ? t.readFields() : std::vector<std::uint32_t>{}),
          st_(t.narrowTo(names)) {}
    NarrowReads(Table& t, std::vector<std::uint32_t> fields)
        : t_(t), before_(t.isOpen() ? t.readFields() : std::vector<std::uint32_t>{}),
          st_(t.narrowTo(std::move(fields))) {}
    template <RecordStruct T>
    NarrowReads(TypedTable<T>& t, std::initializer_list<std::string_view> names)
        : NarrowReads(t.table(), names) {}
    ~NarrowReads() {
        if (!st_ || !t_.isOpen()) return;
        if (before_.empty())
            t_.widen();
        else
            (void)t_.narrowTo(before_); // fields it accepted before
    }
    NarrowReads(const NarrowReads&) = delete;
    NarrowReads& operator=(const NarrowReads&) = delete;
    bool ok() const { return st_.ok(); }
    const core::Status& status() const { return st_; }

  private:
    Table& t_;
    std::vector<std::uint32_t> before_;
    core::Status st_;
};

} // namespace hk::data
