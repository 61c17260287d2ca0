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
#include "data/dictionary.h"
#include "data/errors.h"
#include "data/record.h"
#include "data/records.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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

class TableImpl; // the engine side; see engine.h

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
    // Deletes the current record. RelatedRecords (message 30, Error::file = the child file) when a
    // relation refuses it; children deleted first where a relation cascades.
    core::Status erase();
    core::Result<std::int64_t> count();
    // Deletes every record (relations are not applied: emptying is a maintenance step).
    core::Status empty();

    // Bulk loading for layout conversion: append() adds the buffer without maintaining keys (no
    // duplicate check, no relations); rebuildKeys() computes every key afterwards (message 26 on
    // failure, message 13 when a unique key turns out duplicated).
    core::Status append();
    core::Status rebuildKeys();

    TableImpl* impl() { return impl_.get(); }

  private:
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
    core::Result<std::int64_t> count() { return t_.count(); }
    core::Status empty() { return t_.empty(); }
    T current() const { return fromRecord<T>(t_.buffer()); }

  private:
    core::Status load(const T& r) { return toRecord(r, t_.buffer()); }
    Table t_;
};

} // namespace hk::data
