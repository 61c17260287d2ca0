#pragma once
// Engine side of data::Table (not for use outside src/data): the common positioning state and
// the two engines, SQLite (sqlite_table.cpp) and memory (memory_table.cpp).

#include "core/result.h"
#include "data/dictionary.h"
#include "data/errors.h"
#include "data/keycodec.h"
#include "data/record.h"
#include "data/table.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace hk::data {

inline constexpr std::int64_t kBeforeAll = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kAfterAll = std::numeric_limits<std::int64_t>::max();

// Where next()/previous() continue from: the (key value, rowid) pair of the last record read or
// of the value set, in the order of `key` (-1 = physical order, -2 = nothing set).
struct Position {
    int key = -2;
    std::string kv;
    std::int64_t rowid = kBeforeAll;
    bool atEnd = false;
    std::int64_t current = 0; // rowid of the current record, 0 = none
    // Forward reads in a key order stop below this encoded key value (empty: no bound). A range
    // scan sets it so that an engine reading ahead in batches never fetches past the range.
    std::string upper;
};

class Connection;

class TableImpl {
  public:
    TableImpl(const FileDef& def, std::string name)
        : def_(&def), name_(std::move(name)), buffer_(def) {}
    virtual ~TableImpl() = default;

    const FileDef& def() const { return *def_; }
    const std::string& name() const { return name_; }
    Record& buffer() { return buffer_; }

    core::Status set(std::uint32_t key, Seek s);
    core::Status setPhysical();
    Bookmark bookmark() const;
    core::Status restore(const Bookmark& b);
    core::Status seat(const Bookmark& b);
    // Reads the record of `row` into the buffer; NotFound when there is none.
    virtual core::Status readRow(std::int64_t row) = 0;
    // Positions in the order of `key` at the encoded key value `kv` and `rowid` (kBeforeAll /
    // kAfterAll for either side of every record with that value); atEnd = after every record.
    void seek(std::uint32_t key, std::string kv, std::int64_t rowid, bool atEnd = false) {
        pos_ = Position{};
        pos_.key = static_cast<int>(key);
        pos_.kv = std::move(kv);
        pos_.rowid = rowid;
        pos_.atEnd = atEnd;
        positionChanged();
    }
    // Narrowed reads (Table::narrowTo): the fields reads fill, empty when they fill all. An
    // engine may read more than asked (the memory engine reads whole records); it must not read
    // less.
    const std::vector<std::uint32_t>& readFields() const { return readFields_; }
    bool narrowed() const { return !readFields_.empty(); }
    void setReadFields(std::vector<std::uint32_t> fields) {
        readFields_ = std::move(fields);
        readFieldsChanged();
    }
    // Whether the record in the buffer was read narrowed: put() is refused until it is read
    // whole again. Kept by Table after every read into the buffer.
    bool partial() const { return partial_; }
    void notePartial() { partial_ = narrowed(); }

    // Bounds the forward reads of the current key order below `end` (see Position::upper);
    // an empty value lifts the bound. What was read already stays valid either way.
    void boundForward(std::string end) { pos_.upper = std::move(end); }
    // The connection the table's database is open on; null for a memory table.
    virtual std::shared_ptr<Connection> connection() { return nullptr; }
    // The form of the key values this table stores and searches (keycodec.h).
    virtual KeyFormat keyFormat() const { return KeyFormat::Compact; }

    // What the relation steps of Table::put/erase (relations.cpp) need from an engine: whether
    // they apply to this table, the current record as stored (before the buffer's changes), and
    // the table of a related file kept in the same store (opened once; null when the store has
    // no such file yet). The steps run inside a unit of work, so only an engine that can undo a
    // half-done cascade says yes: a memory work file has no related files.
    bool appliesRelations() const { return relations_; }
    virtual core::Status readStored(Record& out) = 0;
    virtual core::Result<Table*> related(Layout) { return static_cast<Table*>(nullptr); }
    // The places of the records whose encoded value of `key` begins with `prefix`, in key order,
    // appended to `out`: what a relation step must know of a parent's children before it touches
    // any of them. An engine that can answer from the key alone, without reading the records,
    // says so here; the default walks the key with next(), so it moves the position.
    virtual core::Status placesWithPrefix(std::uint32_t key, const std::string& prefix,
                                          std::vector<Bookmark>& out);

    // Visits the records whose scalar text field `field` holds `value`, in the order of `key`,
    // with their bookmarks, as they are read (the record and bookmark passed are reused from
    // one to the next); false, before visiting any, when the engine has no better way than
    // reading the key whole (the caller does that then). Does not move the table's position.
    virtual core::Result<bool> selectEqual(std::uint32_t /*key*/, std::uint32_t /*field*/,
                                           std::string_view /*value*/,
                                           const Table::MatchVisitor& /*visit*/) {
        return false;
    }
    virtual core::Status get(std::uint32_t key) = 0;
    virtual core::Status next() = 0;
    virtual core::Status previous() = 0;
    virtual core::Status add() = 0;
    virtual core::Status put() = 0;
    virtual core::Status erase() = 0;
    // Table::putChanges, checked already: `compared` are the fields the stored record must still
    // hold as in `was` (scalar and array fields, no groups), `changed` those of them to write
    // from `now`, `keys` the keys to compute again from `now`.
    virtual core::Result<bool> putChanges(std::int64_t row, const Record& was, const Record& now,
                                          const std::vector<std::uint32_t>& compared,
                                          const std::vector<std::uint32_t>& changed,
                                          const std::vector<std::uint32_t>& keys) = 0;
    virtual core::Result<std::int64_t> count() = 0;
    virtual core::Status empty() = 0;
    virtual core::Status append() = 0;
    virtual core::Status rebuildKeys() = 0;
    // See Table::deferIndexes; an engine without indexes beyond the keys has nothing to do.
    virtual core::Status deferIndexes() { return {}; }
    virtual core::Status restoreIndexes() { return {}; }

  protected:
    core::Error error(ErrorCode c, std::string detail = {}, int message = 0) const {
        return engineError(c, name_, std::move(detail), message);
    }
    virtual void positionChanged() {}
    virtual void readFieldsChanged() {}

    const FileDef* def_;
    std::string name_;
    Record buffer_;
    Position pos_;
    bool relations_ = false;
    std::vector<std::uint32_t> readFields_;
    bool partial_ = false;
};

// One SQLite connection with its cache of prepared statements.
class Connection {
  public:
    Connection(sqlite3* db, std::filesystem::path path) : db_(db), path_(std::move(path)) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db() { return db_; }
    const std::filesystem::path& path() const { return path_; }
    // The form of the key values in this database's key columns (set when it is opened).
    KeyFormat keyFormat() const { return keyFormat_; }
    void setKeyFormat(KeyFormat f) { keyFormat_ = f; }
    // A prepared statement for the SQL text, made once per connection. The SQL texts come from
    // the dictionary only.
    core::Result<sqlite3_stmt*> prepare(const std::string& sql);
    core::Status exec(const std::string& sql);
    // The engine error for a SQLite result code, naming `file`.
    core::Error error(int rc, const std::string& file, int message = 0);
    // Changes whenever this connection writes a row or runs a transaction or schema statement:
    // what a fetched batch of rows is checked against.
    std::int64_t changes() const;

  private:
    sqlite3* db_;
    std::filesystem::path path_;
    std::unordered_map<std::string, sqlite3_stmt*> stmts_;
    std::int64_t generation_ = 0;
    KeyFormat keyFormat_ = KeyFormat::Compact;
};

// A savepoint on a connection: what cannot be done whole is undone whole. The one helper for
// every nested unit (a table write with its relation steps, a table's schema, a Transaction begun
// inside another); the destructor rolls back unless release() was called. Savepoints of one name
// nest: each ROLLBACK TO / RELEASE reaches the innermost.
class Savepoint {
  public:
    Savepoint(Connection& c, std::string name);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    // Whether it could be set (the engine's error otherwise).
    const core::Status& status() const { return st_; }
    bool ok() const { return st_.ok(); }
    // Keeps what was done since it was set; true once released or rolled back.
    core::Status release();
    void rollback();

  private:
    Connection& c_;
    std::string name_;
    core::Status st_;
    bool open_ = false;
};

// Resets a cached statement when the scope ends, so it never holds a read snapshot. The bindings
// are cleared too, unless the user rebinds every parameter before each step anyway (the row
// writes: clearing 90 parameters costs as much as a small SELECT).
class StmtUse {
  public:
    explicit StmtUse(sqlite3_stmt* s, bool clearBindings = true) : s_(s), clear_(clearBindings) {}
    ~StmtUse();
    StmtUse(const StmtUse&) = delete;
    StmtUse& operator=(const StmtUse&) = delete;
    sqlite3_stmt* get() const { return s_; }

  private:
    sqlite3_stmt* s_;
    bool clear_;
};

std::string quoteIdent(std::string_view name);
// Column names of a layout in table order (fields, then keys) and their SQL types.
struct ColumnSet {
    std::vector<std::string> names; // data columns
    std::vector<std::string> types;
    std::vector<std::string> keyNames; // one per key
};
ColumnSet columnsOf(const FileDef& d);

std::unique_ptr<TableImpl> makeSqliteTable(std::shared_ptr<Connection> c, const FileDef& d,
                                           std::string table, bool applyRelations);
std::unique_ptr<TableImpl> makeMemoryTable(const FileDef& d, std::string name);
// The error of every operation on a closed table (message 39).
core::Error notOpenError();

} // namespace hk::data
