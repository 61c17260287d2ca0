#pragma once
// One SQLite database file: the keyed-record engine of a data folder (or of the program-wide
// files). Each data file is one table named by its logical file name; a small meta table
// "hk_layout" records the layout each table was written under, so a table of another layout is
// reported (ErrorCode::LayoutMismatch) instead of misread.
//
// A Database is one connection: use it from one thread at a time. A long procedure on another
// thread opens its own. Tables opened from it keep the connection alive.

#include "core/result.h"
#include "data/dictionary.h"
#include "data/keycodec.h"
#include "data/table.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hk::data {

class Connection; // engine.h
class Savepoint;  // engine.h

struct OpenOptions {
    bool create = true;    // create the database file when it is missing
    bool readOnly = false; // open for reading only
    int busyTimeoutMs = 5000;
    // The key form of a database made by this opening (keycodec.h). The escaped form is what
    // earlier versions made; it is here to make such databases for tests of older folders.
    KeyFormat newKeys = KeyFormat::Compact;
};

class Database {
  public:
    // Opens (or creates) the database file. A file that exists but is not a database (or is
    // damaged), or one locked by another process, gives an error naming the file with the
    // engine's text; the file is never changed or replaced.
    static core::Result<Database> open(const std::filesystem::path& file, OpenOptions o = {});

    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    const std::filesystem::path& path() const;

    // Opens the table `name` under `layout`, creating it when missing and `create` is set
    // (message 10 on failure). A table written under another layout gives LayoutMismatch;
    // a missing one with create = false gives FileNotFound (message 23).
    core::Result<Table> table(const FileDef& layout, bool create = true);
    core::Result<Table> table(std::string_view name, const FileDef& layout, bool create = true);

    core::Result<bool> exists(std::string_view name);
    // The layout name a table was written under ("FisDetB"), or FileNotFound.
    core::Result<std::string> layoutOf(std::string_view name);
    // Creates an empty table under `layout`; fails when one of that name exists.
    core::Status create(std::string_view name, const FileDef& layout);
    core::Status drop(std::string_view name);                        // nothing to do when missing
    core::Status rename(std::string_view from, std::string_view to); // fails when `to` exists
    std::vector<std::string> tables();

    // Copy of the whole database into `file` (SQLite backup; safe on a live database).
    core::Status backupTo(const std::filesystem::path& file);

    // Integrity: the engine's own check, every key column against its record, unique keys, and
    // the relations (children without a parent where the parent refuses deletes or cascades).
    struct Problem {
        std::string table;
        std::string text;
    };
    core::Result<std::vector<Problem>> check();

    Connection& connection() { return *conn_; }

  private:
    friend class Transaction;
    friend class BulkWrite;
    friend class LargeCache;
    explicit Database(std::shared_ptr<Connection> c);
    std::shared_ptr<Connection> conn_;
    int busyTimeoutMs_ = 5000;
};

// A bulk load that has its database to itself writes each page once. Under the write-ahead log
// every page of a large unit of work is written to the log at commit and then copied into the
// database at the checkpoint: a million voucher lines are some 700 MB twice, plus their syncs.
// For the life of this scope the database uses a rollback journal instead, which keeps only the
// original of each page that existed before (pages added at the end need none), so the new
// pages go into the database once. A crash or kill leaves the journal behind, and the next
// opening rolls the unit of work back from it, as the log would have.
//
// Only when no other connection, in this process or another, has the database open: leaving
// WAL mode is refused then (tried without waiting), and the work runs in WAL mode as any other,
// so readers elsewhere keep reading while it runs. While the scope is active, a program that
// opens the database waits for it (its busy timeout) and may fail to open with message 23.
// Make it before the unit of work begins and let it end after the unit has ended; the database
// goes back to WAL mode at the end (if that fails, the next opening of the database does it).
class BulkWrite {
  public:
    explicit BulkWrite(Database& db);
    ~BulkWrite();
    BulkWrite(const BulkWrite&) = delete;
    BulkWrite& operator=(const BulkWrite&) = delete;
    // Whether the rollback journal is in use.
    bool active() const { return active_; }

  private:
    Database& db_;
    bool active_ = false;
};

// A page cache of `bytes` for the life of this scope, in place of the usual 64 MB, for a tool
// whose one unit of work changes more pages than that: pages that no longer fit are written to
// the log before the commit and read back from it when they are changed again. Back to the
// size before at the end. A cache smaller than the usual one is never asked for here.
class LargeCache {
  public:
    LargeCache(Database& db, std::int64_t bytes);
    ~LargeCache();
    LargeCache(const LargeCache&) = delete;
    LargeCache& operator=(const LargeCache&) = delete;

  private:
    Database& db_;
    std::int64_t before_ = 0; // the size as PRAGMA cache_size gave it; 0 when unchanged
};

// A unit of work. Write transactions start with BEGIN IMMEDIATE (a second process waits on the
// busy timeout instead of failing half-way); inside another transaction a savepoint is used, so
// units of work nest. The destructor rolls back whatever was not committed.
//
//     Transaction tx{db};
//     ... writes ...
//     if (auto st = tx.commit(); !st) return st;
//
// Rule code that holds a table or a data set rather than a database begins one from it:
//
//     auto tx = file.begin();              // or dataSet.begin("FisBas")
//     if (!tx) return tx.error();          // message 21
//     ... writes ...
//     return tx->commit();
//
// Begun from a memory work file it is a unit of nothing (no effect on begin, commit or rollback).
class Transaction {
  public:
    explicit Transaction(Database& db);
    // Begins a unit of work; the error (message 21) when it cannot start.
    static core::Result<Transaction> begin(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    Transaction(Transaction&& o) noexcept;
    Transaction& operator=(Transaction&& o) noexcept;

    // Whether the transaction could be started (message 21 when not).
    const core::Status& started() const { return started_; }
    core::Status commit();
    void rollback();

  private:
    friend class Table;
    // On a connection; a null one makes the unit of nothing of a memory table.
    explicit Transaction(std::shared_ptr<Connection> c);
    std::shared_ptr<Connection> conn_;
    core::Status started_;
    std::unique_ptr<Savepoint> nested_; // inside another transaction; null for the outermost
    bool open_ = false;
};

template <RecordStruct T> core::Result<Transaction> TypedTable<T>::begin() {
    return t_.begin();
}

} // namespace hk::data
