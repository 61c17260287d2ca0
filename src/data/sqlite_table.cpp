// The SQLite engine of data::Table.
//
// Table "T" of layout L:
//   rowid | one column per field (arrays <= 12 as NAME_1..NAME_n, longer as a BLOB) | one BLOB
//   column per key, holding keycodec.h's encoding or NULL (optional key, all blank)
// Ordered reads are range scans over (key column, rowid); they fetch a few rows at a time and
// drop what they fetched as soon as this connection writes anything, so a read never returns a
// record as it was before a write made through any table of the same database.

#include "data/sqlite_table.h"
#include "data/engine.h"
#include "data/keycodec.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

namespace hk::data {

namespace {

// How a column maps to the record's slots. `kind` is decided once, so the per-row loops over
// the columns only switch on it.
enum class ColKind : std::uint8_t { Text, Real, Integer, Packed };

struct ColMap {
    std::uint32_t field;
    std::uint32_t slot;
    FieldType type;
    std::uint32_t packed; // > 0: a BLOB of this many little-endian elements
    std::uint32_t elemSize;
    ColKind kind;
};

std::vector<ColMap> columnMap(const FileDef& d) {
    std::vector<ColMap> m;
    for (std::uint32_t i = 0; i < d.fields.size(); ++i) {
        const FieldDef& f = d.fields[i];
        if (f.type == FieldType::GROUP) continue;
        const ColKind kind = f.count > 12                ? ColKind::Packed
                             : isText(f.type)            ? ColKind::Text
                             : f.type == FieldType::REAL ? ColKind::Real
                                                         : ColKind::Integer;
        if (f.count <= 12) {
            for (std::uint32_t e = 0; e < f.count; ++e)
                m.push_back({i, f.slot + e, f.type, 0, f.size, kind});
        } else {
            m.push_back({i, f.slot, f.type, f.count, f.size, kind});
        }
    }
    return m;
}

// The bookmark of a row a statement stands at whose first two columns are the rowid and the
// value of key `key`, into `b` (its key value's room is used again).
void readBookmark(sqlite3_stmt* s, std::uint32_t key, Bookmark& b) {
    b.key = static_cast<int>(key);
    const auto* p = static_cast<const char*>(sqlite3_column_blob(s, 1));
    b.keyValue.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, 1)));
    b.row = sqlite3_column_int64(s, 0);
}

std::string packArray(const Record& r, const ColMap& c) {
    std::string b;
    b.resize(static_cast<std::size_t>(c.packed) * c.elemSize);
    for (std::uint32_t e = 0; e < c.packed; ++e) {
        const Value& v = r.slot(c.slot + e);
        std::uint64_t bits = 0;
        if (c.type == FieldType::REAL)
            std::memcpy(&bits, &v.real, 8);
        else
            bits = static_cast<std::uint64_t>(v.integer);
        for (std::uint32_t k = 0; k < c.elemSize; ++k)
            b[static_cast<std::size_t>(e) * c.elemSize + k] =
                static_cast<char>((bits >> (8 * k)) & 0xFF);
    }
    return b;
}

void unpackArray(Record& r, const ColMap& c, const unsigned char* p, int n) {
    for (std::uint32_t e = 0; e < c.packed; ++e) {
        Value& v = r.slot(c.slot + e);
        std::uint64_t bits = 0;
        const std::size_t at = static_cast<std::size_t>(e) * c.elemSize;
        if (at + c.elemSize <= static_cast<std::size_t>(n))
            for (std::uint32_t k = 0; k < c.elemSize; ++k)
                bits |= static_cast<std::uint64_t>(p[at + k]) << (8 * k);
        if (c.type == FieldType::REAL) {
            std::memcpy(&v.real, &bits, 8);
        } else {
            // sign-extend from the element size
            const int shift = 64 - 8 * static_cast<int>(c.elemSize);
            v.integer = c.type == FieldType::BYTE
                            ? static_cast<std::int64_t>(bits)
                            : static_cast<std::int64_t>(bits << shift) >> shift;
        }
    }
}

struct Row {
    std::int64_t rowid = 0;
    std::string kv;
    Record rec;
};

class SqliteTable;

} // namespace

// ---------------------------------------------------------------------------------------------

namespace {

class SqliteTable final : public TableImpl {
  public:
    std::shared_ptr<Connection> connection() override { return c_; }
    KeyFormat keyFormat() const override { return c_->keyFormat(); }
    SqliteTable(std::shared_ptr<Connection> c, const FileDef& d, std::string table, bool relations)
        : TableImpl(d, table), c_(std::move(c)), table_(std::move(table)), cols_(columnsOf(d)),
          map_(columnMap(d)) {
        relations_ = relations;
        const std::string qt = quoteIdent(table_);
        std::string list;
        for (const auto& n : cols_.names)
            list += (list.empty() ? "" : ", ") + quoteIdent(n);
        dataCols_ = list;
        std::string all = list, params;
        for (const auto& k : cols_.keyNames)
            all += ", " + quoteIdent(k);
        const std::size_t n = cols_.names.size() + cols_.keyNames.size();
        for (std::size_t i = 1; i <= n; ++i)
            params += (i > 1 ? ", ?" : "?") + std::to_string(i);
        sqlInsert_ = "INSERT INTO " + qt + " (" + all + ") VALUES (" + params + ")";
        std::string sets;
        std::size_t i = 1;
        for (const auto& c : cols_.names) {
            sets += (i > 1 ? ", " : "") + quoteIdent(c) + " = ?" + std::to_string(i);
            ++i;
        }
        for (const auto& k : cols_.keyNames) {
            sets += (i > 1 ? ", " : "") + quoteIdent(k) + " = ?" + std::to_string(i);
            ++i;
        }
        sqlUpdate_ = "UPDATE " + qt + " SET " + sets + " WHERE rowid = ?" + std::to_string(i);
        sqlAppend_ = "INSERT INTO " + qt + " (" + list + ") VALUES (";
        for (std::size_t j = 1; j <= cols_.names.size(); ++j)
            sqlAppend_ += (j > 1 ? ", ?" : "?") + std::to_string(j);
        sqlAppend_ += ")";
        sqlDelete_ = "DELETE FROM " + qt + " WHERE rowid = ?1";
        sqlCount_ = "SELECT count(*) FROM " + qt;
        sqlEmpty_ = "DELETE FROM " + qt;
        // What reads the record whole whatever the table's reads are narrowed to: the stored
        // record the relation steps compare with, and the key rebuild.
        sqlStoredByRowid_ = "SELECT rowid, NULL, " + list + " FROM " + qt + " WHERE rowid = ?1";
        sqlPhysNextAll_ = "SELECT rowid, NULL, " + list + " FROM " + qt +
                          " WHERE rowid > ?2 ORDER BY rowid LIMIT ?3";
        for (const auto& k : cols_.keyNames) {
            const std::string qk = quoteIdent(k);
            sqlExists_.push_back("SELECT rowid FROM " + qt + " WHERE " + qk +
                                 " = ?1 AND rowid <> ?2 LIMIT 1");
        }
        readMap_ = map_;
        buildReads(list);
    }

    // The statements of the reads into the buffer, selecting `list` after the rowid and the key
    // value: every data column, or those of the fields reads are narrowed to.
    void buildReads(const std::string& list) {
        const std::string qt = quoteIdent(table_);
        dataCols_ = list;
        sqlByRowid_ = "SELECT rowid, NULL, " + list + " FROM " + qt + " WHERE rowid = ?1";
        sqlPhysNext_ = "SELECT rowid, NULL, " + list + " FROM " + qt +
                       " WHERE rowid > ?2 ORDER BY rowid LIMIT ?3";
        sqlPhysPrev_ = "SELECT rowid, NULL, " + list + " FROM " + qt +
                       " WHERE rowid < ?2 ORDER BY rowid DESC LIMIT ?3";
        sqlPhysLast_ =
            "SELECT rowid, NULL, " + list + " FROM " + qt + " ORDER BY rowid DESC LIMIT ?3";
        sqlGet_.clear();
        sqlNext_.clear();
        sqlNextBelow_.clear();
        sqlPrev_.clear();
        sqlLast_.clear();
        for (const auto& k : cols_.keyNames) {
            const std::string qk = quoteIdent(k);
            const std::string sel = "SELECT rowid, " + qk + ", " + list + " FROM " + qt;
            // The key value is known already: the column is not fetched (a BLOB costs a copy).
            sqlGet_.push_back("SELECT rowid, NULL, " + list + " FROM " + qt + " WHERE " + qk +
                              " = ?1 ORDER BY " + qk + ", rowid LIMIT 1");
            sqlNext_.push_back(sel + " WHERE " + qk + " >= ?1 AND (" + qk +
                               " > ?1 OR rowid > ?2) ORDER BY " + qk + ", rowid LIMIT ?3");
            sqlNextBelow_.push_back(sel + " WHERE " + qk + " >= ?1 AND (" + qk +
                                    " > ?1 OR rowid > ?2) AND " + qk + " < ?4 ORDER BY " + qk +
                                    ", rowid LIMIT ?3");
            sqlPrev_.push_back(sel + " WHERE " + qk + " <= ?1 AND (" + qk +
                               " < ?1 OR rowid < ?2) ORDER BY " + qk +
                               " DESC, rowid DESC LIMIT ?3");
            sqlLast_.push_back(sel + " WHERE " + qk + " IS NOT NULL ORDER BY " + qk +
                               " DESC, rowid DESC LIMIT ?3");
        }
    }

    // -- reads -------------------------------------------------------------------------------

    core::Status get(std::uint32_t key) override {
        const std::string kv = encodeKeyAlways(buffer_, def_->keys[key], keyFormat());
        auto s = prep(sqlGet_[key]);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_blob(*s, 1, kv.data(), static_cast<int>(kv.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(*s);
        if (rc == SQLITE_DONE) return error(ErrorCode::NotFound);
        if (rc != SQLITE_ROW) return c_->error(rc, name_);
        dropBatch();
        readColumns(*s, buffer_, readMap_);
        blankUnread(buffer_);
        pos_.key = static_cast<int>(key);
        pos_.kv = kv;
        pos_.rowid = sqlite3_column_int64(*s, 0);
        pos_.atEnd = false;
        pos_.current = pos_.rowid;
        remember();
        return {};
    }

    core::Status readRow(std::int64_t row) override {
        dropBatch();
        if (auto st = readByRowid(sqlByRowid_, row, buffer_, readMap_); !st) return st;
        blankUnread(buffer_);
        pos_.current = row;
        remember();
        return {};
    }

    core::Status next() override { return step(true); }
    core::Status previous() override { return step(false); }

    // -- writes ------------------------------------------------------------------------------

    core::Status add() override {
        if (auto st = buffer_.validate(); !st) return st;
        dropBatch();
        auto s = prep(sqlInsert_);
        if (!s) return s.error();
        const int rc = writeRow(*s, buffer_, true, 0);
        if (rc != SQLITE_DONE) return writeError(rc, 0, 4);
        pos_.current = sqlite3_last_insert_rowid(c_->db());
        remember();
        return {};
    }

    core::Status append() override {
        if (auto st = buffer_.validate(); !st) return st;
        dropBatch();
        auto s = prep(sqlAppend_);
        if (!s) return s.error();
        const int rc = writeRow(*s, buffer_, false, 0);
        if (rc != SQLITE_DONE) return c_->error(rc, name_, 4);
        pos_.current = sqlite3_last_insert_rowid(c_->db());
        return {};
    }

    core::Status put() override {
        if (pos_.current == 0) return error(ErrorCode::NoRecord, "güncel kayıt yok", 25);
        if (auto st = buffer_.validate(); !st) return st;
        dropBatch();
        auto st = plainUpdate(pos_.current, buffer_);
        if (st) remember();
        return st;
    }

    core::Status erase() override {
        if (pos_.current == 0) return error(ErrorCode::NoRecord, "güncel kayıt yok", 11);
        dropBatch();
        auto st = plainDelete(pos_.current);
        if (st) pos_.current = 0;
        return st;
    }

    // One statement: UPDATE ... SET the changed columns and keys WHERE rowid = ? AND each
    // compared column IS its value as read. The row is found and compared by the engine's own
    // update, with no read of it into the program first; changes() says whether it matched.
    core::Result<bool> putChanges(std::int64_t row, const Record& was, const Record& now,
                                  const std::vector<std::uint32_t>& compared,
                                  const std::vector<std::uint32_t>& changed,
                                  const std::vector<std::uint32_t>& keys) override {
        makeFieldColumns();
        std::string sig;
        for (const auto* list : {&compared, &changed, &keys}) {
            for (std::uint32_t v : *list) sig.append(reinterpret_cast<const char*>(&v), sizeof v);
            sig += '|';
        }
        auto [it, made] = sqlChanges_.try_emplace(std::move(sig));
        if (made) it->second = changesSql(compared, changed, keys);
        auto s = prep(it->second);
        if (!s) return s.error();
        StmtUse use(*s, false);
        int i = 1;
        packed_.clear();
        packed_.reserve(map_.size() * 2); // bound by address: no reallocation while binding
        for (std::uint32_t f : changed)
            for (std::uint32_t ci = fieldCol_[f].first; ci < fieldCol_[f].second; ++ci)
                bindColumn(*s, i++, map_[ci], now);
        keys_.clear();
        for (std::uint32_t k : keys)
            keys_.push_back(encodeKey(now, def_->keys[k], keyFormat()));
        for (const auto& kv : keys_) bindKey(*s, i++, kv);
        sqlite3_bind_int64(*s, i++, row);
        for (std::uint32_t f : compared)
            for (std::uint32_t ci = fieldCol_[f].first; ci < fieldCol_[f].second; ++ci)
                bindColumn(*s, i++, map_[ci], was);
        const int rc = sqlite3_step(*s);
        if (changed.empty()) {
            if (rc == SQLITE_ROW) return true;
            if (rc == SQLITE_DONE) return false;
            return c_->error(rc, name_, 25);
        }
        if (rc != SQLITE_DONE) return writeError(rc, row, 25, &now);
        return sqlite3_changes64(c_->db()) > 0;
    }

    core::Result<std::int64_t> count() override {
        auto s = prep(sqlCount_);
        if (!s) return s.error();
        StmtUse use(*s);
        const int rc = sqlite3_step(*s);
        if (rc != SQLITE_ROW) return c_->error(rc, name_);
        return static_cast<std::int64_t>(sqlite3_column_int64(*s, 0));
    }

    core::Status empty() override {
        dropBatch();
        pos_.current = 0;
        return c_->exec(sqlEmpty_);
    }

    core::Status rebuildKeys() override {
        dropBatch();
        if (cols_.keyNames.empty()) return {};
        Savepoint sp(*c_, "hk_op");
        if (!sp.ok()) return sp.status();
        std::string upd = "UPDATE " + quoteIdent(table_) + " SET ";
        for (std::size_t k = 0; k < cols_.keyNames.size(); ++k)
            upd += (k ? ", " : "") + quoteIdent(cols_.keyNames[k]) + " = ?" + std::to_string(k + 1);
        upd += " WHERE rowid = ?" + std::to_string(cols_.keyNames.size() + 1);
        std::int64_t last = 0;
        std::vector<Row> rows; // made once, refilled batch by batch
        for (;;) {
            std::size_t n = 0;
            {
                auto s = prep(sqlPhysNextAll_);
                if (!s) return withMessage(s.error(), 26);
                StmtUse use(*s);
                sqlite3_bind_int64(*s, 2, last);
                sqlite3_bind_int64(*s, 3, 1000);
                int rc;
                while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
                    if (rows.size() <= n) rows.push_back(Row{0, {}, Record(*def_)});
                    Row& r = rows[n++];
                    r.rowid = sqlite3_column_int64(*s, 0);
                    readColumns(*s, r.rec, map_);
                }
                if (rc != SQLITE_DONE) return c_->error(rc, name_, 26);
            }
            if (n == 0) break;
            auto u = c_->prepare(upd);
            if (!u) return withMessage(u.error(), 26);
            for (std::size_t j = 0; j < n; ++j) {
                const Row& r = rows[j];
                StmtUse use(*u);
                std::vector<std::optional<std::string>> kvs;
                for (const KeyDef& k : def_->keys)
                    kvs.push_back(encodeKey(r.rec, k, keyFormat()));
                for (std::size_t k = 0; k < kvs.size(); ++k)
                    bindKey(*u, static_cast<int>(k + 1), kvs[k]);
                sqlite3_bind_int64(*u, static_cast<int>(kvs.size() + 1), r.rowid);
                const int rc = sqlite3_step(*u);
                if (rc != SQLITE_DONE) return writeError(rc, r.rowid, 26, &r.rec);
                last = r.rowid;
            }
        }
        return sp.release();
    }

    core::Status deferIndexes() override {
        if (auto st = inUnitOfWork(); !st) return st;
        dropBatch();
        return dropExtraIndexes(*c_, table_, *def_);
    }

    core::Status restoreIndexes() override {
        if (auto st = inUnitOfWork(); !st) return st;
        dropBatch();
        // The build sorts every entry of the index, holding as much of it in memory as the page
        // cache may hold and writing sorted runs beyond that to a temporary file. For the build
        // the cache is made small and the runs go to a file, not to memory: a million lines
        // would otherwise hold their index in memory twice over, beside the cache.
        auto cache = c_->prepare("PRAGMA cache_size");
        if (!cache) return cache.error();
        std::int64_t size = 0;
        {
            StmtUse use(*cache);
            if (sqlite3_step(*cache) == SQLITE_ROW) size = sqlite3_column_int64(*cache, 0);
        }
        if (size == 0) return error(ErrorCode::EngineError, "önbellek boyutu okunamadı");
        if (auto st = c_->exec("PRAGMA temp_store = FILE"); !st) return st;
        if (auto st = c_->exec("PRAGMA cache_size = -16384"); !st) return st;
        auto st = ensureExtraIndexes(*c_, table_, *def_);
        // The size read back is a number from the engine, not data.
        auto backCache = c_->exec("PRAGMA cache_size = " + std::to_string(size));
        auto backTemp = c_->exec("PRAGMA temp_store = MEMORY");
        if (!st) return st;
        if (!backCache) return backCache;
        return backTemp;
    }

    // Dropping an index outside a unit of work would commit at once, and a failure after it
    // would leave the table without it until its next opening.
    core::Status inUnitOfWork() const {
        if (sqlite3_get_autocommit(c_->db()) != 0)
            return error(ErrorCode::EngineError, "bir işlem birimi içinde olmalı");
        return {};
    }

    core::Result<bool> selectEqual(std::uint32_t key, std::uint32_t field, std::string_view value,
                                   const Table::MatchVisitor& visit) override {
        const FieldDef& f = def_->fields[field];
        if (f.isArray() || !isText(f.type)) return false;
        auto [it, made] = sqlEqual_.try_emplace({key, field});
        if (made) {
            const std::string qk = quoteIdent(cols_.keyNames[key]);
            it->second = "SELECT rowid, " + qk + ", " + dataCols_ + " FROM " + quoteIdent(table_) +
                         " WHERE " + quoteIdent(f.name) + " = ?1 AND " + qk +
                         " IS NOT NULL ORDER BY " + qk + ", rowid";
        }
        auto s = prep(it->second);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_text(*s, 1, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
        int rc;
        Record rec(*def_);
        Bookmark mark;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            readBookmark(*s, key, mark);
            readColumns(*s, rec, readMap_);
            auto go = visit(rec, mark);
            if (!go) return go.error();
            if (!*go) return true;
        }
        if (rc != SQLITE_DONE) return c_->error(rc, name_);
        return true;
    }

    core::Status readStored(Record& out) override {
        if (pos_.current == 0) return error(ErrorCode::NoRecord, "güncel kayıt yok");
        return readByRowid(sqlStoredByRowid_, pos_.current, out, map_);
    }

    core::Status readByRowid(const std::string& sql, std::int64_t rowid, Record& out,
                             const std::vector<ColMap>& columns) {
        auto s = prep(sql);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_int64(*s, 1, rowid);
        const int rc = sqlite3_step(*s);
        if (rc == SQLITE_DONE) return error(ErrorCode::NotFound);
        if (rc != SQLITE_ROW) return c_->error(rc, name_);
        readColumns(*s, out, columns);
        return {};
    }

  protected:
    void positionChanged() override { dropBatch(); }

    // The reads select the columns of the chosen fields only; the rows fetched before are
    // dropped, and the statements made again (the cached ones are known by their texts'
    // addresses).
    void readFieldsChanged() override {
        dropBatch();
        rememberedRow_ = 0;
        stmts_.clear();
        sqlEqual_.clear();
        blank_.clear();
        if (!narrowed()) {
            readMap_ = map_;
            std::string list;
            for (const auto& n : cols_.names)
                list += (list.empty() ? "" : ", ") + quoteIdent(n);
            buildReads(list);
            return;
        }
        std::vector<char> wanted(def_->fields.size(), 0);
        for (std::uint32_t f : readFields_)
            wanted[f] = 1;
        readMap_.clear();
        std::string list;
        for (std::size_t i = 0; i < map_.size(); ++i) {
            if (!wanted[map_[i].field]) continue;
            readMap_.push_back(map_[i]);
            list += (list.empty() ? "" : ", ") + quoteIdent(cols_.names[i]);
        }
        for (std::uint32_t f = 0; f < def_->fields.size(); ++f) {
            const FieldDef& fd = def_->fields[f];
            if (wanted[f] || fd.type == FieldType::GROUP) continue;
            for (std::uint32_t e = 0; e < fd.count; ++e)
                blank_.push_back(fd.slot + e);
        }
        buildReads(list.empty() ? std::string("NULL") : list);
    }

    // The fields a narrowed read leaves out, blank as Record::clear leaves them: a buffer
    // recycled from an earlier read, or written by the caller, must not show its old values.
    void blankUnread(Record& r) const {
        for (std::uint32_t sl : blank_) {
            Value& v = r.slot(sl);
            v.integer = 0;
            v.real = 0;
            v.text.clear();
        }
    }

    // The key fields of the current record as read, so that an update that leaves them alone
    // needs neither a look at the stored keys nor their encoding. A narrowed read is never
    // written back (Table refuses it), so it keeps nothing.
    void remember() {
        if (narrowed()) {
            rememberedRow_ = 0;
            return;
        }
        makeKeySlots();
        for (std::size_t i = 0; i < keySlots_.size(); ++i)
            remembered_[i] = buffer_.slot(keySlots_[i]);
        rememberedRow_ = pos_.current;
        rememberedChanges_ = c_->changes();
    }

    void makeKeySlots() {
        if (!keySlots_.empty() || def_->keys.empty()) return;
        for (const KeyDef& k : def_->keys)
            for (const KeyPart& p : k.parts) {
                const std::uint32_t sl = def_->fields[p.field].slot;
                if (std::find(keySlots_.begin(), keySlots_.end(), sl) == keySlots_.end())
                    keySlots_.push_back(sl);
            }
        remembered_.resize(keySlots_.size());
    }

    // The SQL texts are members of this object, so their addresses identify them: cheaper than
    // hashing texts of a few kilobytes on every call.
    core::Result<sqlite3_stmt*> prep(const std::string& sql) {
        if (auto it = stmts_.find(&sql); it != stmts_.end()) return it->second;
        auto s = c_->prepare(sql);
        if (s) stmts_.emplace(&sql, *s);
        return s;
    }

  private:
    core::Result<Table*> related(Layout l) override {
        if (auto it = related_.find(l); it != related_.end()) return &it->second;
        const FileDef& cd = fileDef(l);
        auto t = openSqliteTable(c_, cd.file, cd, false, true);
        if (!t) {
            if (is(t.error(), ErrorCode::FileNotFound)) return static_cast<Table*>(nullptr);
            return t.error();
        }
        return &related_.emplace(l, Table(std::move(*t))).first->second;
    }

    // Answered from the key's index alone (it holds the key value and the rowid): the probe of a
    // relation step reads no record, and fetches nothing past the last match.
    core::Status placesWithPrefix(std::uint32_t key, const std::string& prefix,
                                  std::vector<Bookmark>& out) override {
        const std::string end = prefixEnd(prefix); // empty: no value above the prefix
        auto [it, made] = sqlPlaces_.try_emplace({key, end.empty()});
        if (made) {
            const std::string qk = quoteIdent(cols_.keyNames[key]);
            it->second = "SELECT rowid, " + qk + " FROM " + quoteIdent(table_) + " WHERE " + qk +
                         " >= ?1" + (end.empty() ? "" : " AND " + qk + " < ?2") + " ORDER BY " +
                         qk + ", rowid";
        }
        auto s = prep(it->second);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_blob(*s, 1, prefix.data(), static_cast<int>(prefix.size()), SQLITE_STATIC);
        if (!end.empty())
            sqlite3_bind_blob(*s, 2, end.data(), static_cast<int>(end.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW)
            readBookmark(*s, key, out.emplace_back());
        if (rc != SQLITE_DONE) return c_->error(rc, name_);
        return {};
    }

    // An update writes the key columns that changed and the data columns, leaving out the
    // columns of key fields that kept their value: SQLite rewrites an index entry only when the
    // statement sets a column of that index, so an update that changes one key (the account of
    // a line) leaves the entries of the other keys alone, and one that changes no key field
    // touches no index at all (FisDet's account index is over a key field and a key). What
    // changed is known from the key fields as read (remember()) while nothing was written on the
    // connection since; otherwise the stored key columns and key fields are read by rowid.
    core::Status plainUpdate(std::int64_t rowid, const Record& rec) {
        trackKeyFields();
        std::uint64_t mask = 0; // bit t: key field t changed; bit tracked + k: key k changed
        const std::size_t nt = trackedCol_.size();
        if (&rec == &buffer_ && rowid == rememberedRow_ && rememberedChanges_ == c_->changes()) {
            // Nothing was written on this connection since the record was read: its key
            // fields as read are still what the row holds.
            std::vector<bool> slotChanged(keySlots_.size());
            for (std::size_t i = 0; i < keySlots_.size(); ++i)
                slotChanged[i] = !sameValue(rec.slot(keySlots_[i]), remembered_[i]);
            for (std::size_t t = 0; t < nt; ++t)
                if (slotChanged[trackedRemembered_[t]]) mask |= std::uint64_t{1} << t;
            keys_.assign(def_->keys.size(), std::nullopt);
            for (std::size_t k = 0; k < keyRemembered_.size(); ++k)
                for (std::size_t i : keyRemembered_[k])
                    if (slotChanged[i]) {
                        mask |= std::uint64_t{1} << (nt + k);
                        keys_[k] =
                            encodeKey(rec, def_->keys[k], keyFormat()); // only the keys written
                        break;
                    }
        } else {
            keys_.clear();
            for (const KeyDef& kd : def_->keys)
                keys_.push_back(encodeKey(rec, kd, keyFormat()));
            auto k = prep(sqlStoredKeys_);
            if (!k) return k.error();
            StmtUse use(*k);
            sqlite3_bind_int64(*k, 1, rowid);
            const int rc = sqlite3_step(*k);
            if (rc == SQLITE_DONE) {
                if (def_->keys.empty()) return {}; // as an UPDATE of no row: nothing to write
                return error(ErrorCode::NoRecord, "kayıt silinmiş", 25);
            }
            if (rc != SQLITE_ROW) return c_->error(rc, name_, 25);
            for (std::size_t i = 0; i < keys_.size(); ++i) {
                const int col = static_cast<int>(i);
                const bool wasNull = sqlite3_column_type(*k, col) == SQLITE_NULL;
                bool changed;
                if (!keys_[i] || wasNull) {
                    changed = !keys_[i] != wasNull;
                } else {
                    const auto* p = static_cast<const char*>(sqlite3_column_blob(*k, col));
                    changed = std::string_view(p ? p : "", static_cast<std::size_t>(
                                                               sqlite3_column_bytes(*k, col))) !=
                              *keys_[i];
                }
                if (changed) mask |= std::uint64_t{1} << (nt + i);
            }
            for (std::size_t t = 0; t < nt; ++t)
                if (!storedEquals(*k, static_cast<int>(keys_.size() + t), map_[trackedCol_[t]],
                                  rec.slot(map_[trackedCol_[t]].slot)))
                    mask |= std::uint64_t{1} << t;
        }
        const std::string* sql = updateFor(mask);
        if (!sql) return {}; // every column is a key field or a key, and none changed
        const bool everything = sql == &sqlUpdate_;
        if (everything) {
            keys_.clear();
            for (const KeyDef& kd : def_->keys)
                keys_.push_back(encodeKey(rec, kd, keyFormat()));
        }
        auto s = prep(*sql);
        if (!s) return s.error();
        const int rc = writeChanged(*s, rec, everything ? ~std::uint64_t{0} : mask, rowid);
        if (rc != SQLITE_DONE) return writeError(rc, rowid, 25, &rec);
        return {};
    }

    // The columns of each field: map_[first, second) (none for a group).
    void makeFieldColumns() {
        if (!fieldCol_.empty()) return;
        fieldCol_.assign(def_->fields.size(), {0, 0});
        for (std::uint32_t ci = 0; ci < map_.size(); ++ci) {
            auto& [first, end] = fieldCol_[map_[ci].field];
            if (end == 0) first = ci;
            end = ci + 1;
        }
    }

    // The statement of putChanges for these lists: parameters in the order it binds them.
    std::string changesSql(const std::vector<std::uint32_t>& compared,
                           const std::vector<std::uint32_t>& changed,
                           const std::vector<std::uint32_t>& keys) const {
        const std::string qt = quoteIdent(table_);
        int i = 1;
        std::string sql;
        if (changed.empty()) {
            sql = "SELECT 1 FROM " + qt;
        } else {
            std::string sets;
            for (std::uint32_t f : changed)
                for (std::uint32_t ci = fieldCol_[f].first; ci < fieldCol_[f].second; ++ci)
                    sets += (sets.empty() ? "" : ", ") + quoteIdent(cols_.names[ci]) + " = ?" +
                            std::to_string(i++);
            for (std::uint32_t k : keys)
                sets += ", " + quoteIdent(cols_.keyNames[k]) + " = ?" + std::to_string(i++);
            sql = "UPDATE " + qt + " SET " + sets;
        }
        sql += " WHERE rowid = ?" + std::to_string(i++);
        for (std::uint32_t f : compared)
            for (std::uint32_t ci = fieldCol_[f].first; ci < fieldCol_[f].second; ++ci)
                sql += " AND " + quoteIdent(cols_.names[ci]) + " IS ?" + std::to_string(i++);
        return sql;
    }

    // Exact comparison: a REAL by its bits, so that a changed sign of zero is written too.
    static bool sameValue(const Value& a, const Value& b) {
        return a.integer == b.integer && a.text == b.text &&
               std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
    }

    // Whether column `col` of a stored row holds exactly the value `v` would be written as.
    static bool storedEquals(sqlite3_stmt* s, int col, const ColMap& c, const Value& v) {
        const int type = sqlite3_column_type(s, col);
        switch (c.kind) {
        case ColKind::Text: {
            if (type != SQLITE_TEXT) return false;
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
            return std::string_view(p ? p : "",
                                    static_cast<std::size_t>(sqlite3_column_bytes(s, col))) ==
                   v.text;
        }
        case ColKind::Real: {
            if (type != SQLITE_FLOAT) return false;
            const double d = sqlite3_column_double(s, col);
            return std::memcmp(&d, &v.real, sizeof d) == 0;
        }
        case ColKind::Integer:
            return type == SQLITE_INTEGER && sqlite3_column_int64(s, col) == v.integer;
        case ColKind::Packed:
            return false;
        }
        return false;
    }

    // The key fields whose columns an update leaves out when they keep their value: the scalar
    // fields that are parts of a key (at most 64 together with the keys; beyond that every
    // update writes every column). Decided once per table.
    void trackKeyFields() {
        if (tracked_) return;
        tracked_ = true;
        makeKeySlots();
        std::vector<std::uint32_t> cols;
        for (std::uint32_t ci = 0; ci < map_.size(); ++ci) {
            const ColMap& c = map_[ci];
            if (c.kind == ColKind::Packed || def_->fields[c.field].count != 1) continue;
            const auto at = std::find(keySlots_.begin(), keySlots_.end(), c.slot);
            if (at == keySlots_.end()) continue;
            cols.push_back(ci);
            trackedRemembered_.push_back(static_cast<std::size_t>(at - keySlots_.begin()));
        }
        for (const KeyDef& k : def_->keys) {
            std::vector<std::size_t> parts;
            for (const KeyPart& p : k.parts) {
                const auto at = std::find(keySlots_.begin(), keySlots_.end(),
                                          def_->fields[p.field].slot);
                parts.push_back(static_cast<std::size_t>(at - keySlots_.begin()));
            }
            keyRemembered_.push_back(std::move(parts));
        }
        if (cols.size() + def_->keys.size() > 64) {
            cols.clear();
            trackedRemembered_.clear();
        }
        trackedCol_ = cols;
        trackedOf_.assign(map_.size(), -1);
        for (std::size_t t = 0; t < trackedCol_.size(); ++t)
            trackedOf_[trackedCol_[t]] = static_cast<int>(t);
        std::string list;
        for (const auto& k : cols_.keyNames)
            list += (list.empty() ? "" : ", ") + quoteIdent(k);
        for (std::uint32_t ci : trackedCol_)
            list += (list.empty() ? "" : ", ") + quoteIdent(cols_.names[ci]);
        sqlStoredKeys_ = "SELECT " + (list.empty() ? std::string("1") : list) + " FROM " +
                         quoteIdent(table_) + " WHERE rowid = ?1";
    }

    // The UPDATE for a mask of changed key fields and keys, made once per mask; null when it
    // would set nothing. Beyond a few hundred masks (a file with many key fields changed in
    // every combination) the update of every column serves the rest.
    const std::string* updateFor(std::uint64_t mask) {
        if (trackedCol_.size() + def_->keys.size() > 64) return &sqlUpdate_;
        if (auto it = sqlUpdateOf_.find(mask); it != sqlUpdateOf_.end())
            return it->second.empty() ? nullptr : &it->second;
        if (sqlUpdateOf_.size() >= 256) return &sqlUpdate_;
        std::string sets;
        int i = 1;
        for (std::size_t ci = 0; ci < map_.size(); ++ci) {
            const int t = trackedOf_[ci];
            if (t >= 0 && !(mask >> t & 1)) continue;
            sets += (i > 1 ? ", " : "") + quoteIdent(cols_.names[ci]) + " = ?" + std::to_string(i);
            ++i;
        }
        for (std::size_t k = 0; k < cols_.keyNames.size(); ++k) {
            if (!(mask >> (trackedCol_.size() + k) & 1)) continue;
            sets += (i > 1 ? ", " : "") + quoteIdent(cols_.keyNames[k]) + " = ?" +
                    std::to_string(i);
            ++i;
        }
        std::string& sql = sqlUpdateOf_[mask]; // nodes keep their address: prep() caches by it
        if (!sets.empty())
            sql = "UPDATE " + quoteIdent(table_) + " SET " + sets + " WHERE rowid = ?" +
                  std::to_string(i);
        return sql.empty() ? nullptr : &sql;
    }

    // Binds what updateFor(mask) sets (keys_ holds the record's encoded keys) and steps.
    int writeChanged(sqlite3_stmt* s, const Record& rec, std::uint64_t mask, std::int64_t rowid) {
        StmtUse use(s, false);
        int i = 1;
        packed_.clear();
        packed_.reserve(map_.size()); // bound by address: no reallocation while binding
        const std::size_t nt = trackedCol_.size();
        for (std::size_t ci = 0; ci < map_.size(); ++ci) {
            const int t = trackedOf_[ci];
            if (t >= 0 && !(mask >> t & 1)) continue;
            bindColumn(s, i++, map_[ci], rec);
        }
        for (std::size_t k = 0; k < keys_.size(); ++k)
            if (mask >> (nt + k) & 1) bindKey(s, i++, keys_[k]);
        sqlite3_bind_int64(s, i, rowid);
        return sqlite3_step(s);
    }

    void bindColumn(sqlite3_stmt* s, int i, const ColMap& c, const Record& rec) {
        const Value& v = rec.slot(c.slot);
        switch (c.kind) {
        case ColKind::Packed:
            packed_.push_back(packArray(rec, c));
            sqlite3_bind_blob(s, i, packed_.back().data(), static_cast<int>(packed_.back().size()),
                              SQLITE_STATIC);
            break;
        case ColKind::Text:
            sqlite3_bind_text(s, i, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
            break;
        case ColKind::Real:
            sqlite3_bind_double(s, i, v.real);
            break;
        case ColKind::Integer:
            sqlite3_bind_int64(s, i, v.integer);
            break;
        }
    }

    core::Status plainDelete(std::int64_t rowid) {
        auto s = prep(sqlDelete_);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_int64(*s, 1, rowid);
        const int rc = sqlite3_step(*s);
        if (rc != SQLITE_DONE) return c_->error(rc, name_, 11);
        return {};
    }

    static void bindKey(sqlite3_stmt* s, int i, const std::optional<std::string>& kv) {
        if (kv)
            sqlite3_bind_blob(s, i, kv->data(), static_cast<int>(kv->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(s, i);
    }

    // Binds the data columns (and the keys when withKeys) and steps; rowid > 0 is bound after
    // them for an update. Every parameter of the statement is bound on every call.
    int writeRow(sqlite3_stmt* s, const Record& rec, bool withKeys, std::int64_t rowid) {
        StmtUse use(s, false);
        int i = 1;
        packed_.clear();
        packed_.reserve(map_.size()); // bound by address: no reallocation while binding
        for (const ColMap& c : map_)
            bindColumn(s, i++, c, rec);
        if (withKeys) {
            keys_.clear();
            for (const KeyDef& k : def_->keys)
                keys_.push_back(encodeKey(rec, k, keyFormat()));
            for (const auto& kv : keys_)
                bindKey(s, i++, kv);
        }
        if (rowid > 0) sqlite3_bind_int64(s, i, rowid);
        return sqlite3_step(s);
    }

    // A failed write: a unique-key violation is reported with the key's name (message 13).
    core::Error writeError(int rc, std::int64_t rowid, int message, const Record* rec = nullptr) {
        if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
            const Record& r = rec ? *rec : buffer_;
            for (std::size_t k = 0; k < def_->keys.size(); ++k) {
                if (!def_->keys[k].unique) continue;
                const auto kv = encodeKey(r, def_->keys[k], keyFormat());
                if (!kv) continue;
                auto s = prep(sqlExists_[k]);
                if (!s) continue;
                StmtUse use(*s);
                sqlite3_bind_blob(*s, 1, kv->data(), static_cast<int>(kv->size()), SQLITE_STATIC);
                sqlite3_bind_int64(*s, 2, rowid);
                if (sqlite3_step(*s) == SQLITE_ROW)
                    return error(ErrorCode::DuplicateKey, def_->keys[k].name, 13);
            }
        }
        return c_->error(rc, name_, message);
    }

    // The columns of `columns` (all of map_, or those reads are narrowed to), from the third
    // result column on.
    static void readColumns(sqlite3_stmt* s, Record& rec, const std::vector<ColMap>& columns) {
        int i = 2;
        for (const ColMap& c : columns) {
            Value& v = rec.slot(c.slot);
            switch (c.kind) {
            case ColKind::Packed:
                unpackArray(rec, c, static_cast<const unsigned char*>(sqlite3_column_blob(s, i)),
                            sqlite3_column_bytes(s, i));
                break;
            case ColKind::Text: {
                // Through the column's value: one statement look-up instead of two. The
                // connection is used by one thread at a time (SQLITE_OPEN_NOMUTEX anyway).
                sqlite3_value* cv = sqlite3_column_value(s, i);
                const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(cv));
                v.text.assign(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(cv)));
                break;
            }
            case ColKind::Real:
                v.real = sqlite3_column_double(s, i);
                break;
            case ColKind::Integer:
                v.integer = sqlite3_column_int64(s, i);
                break;
            }
            ++i;
        }
    }

    void dropBatch() {
        batchSize_ = 0;
        batchAt_ = 0;
        batchLimit_ = 0;
        batchRangeDone_ = false;
    }

    core::Status step(bool forward) {
        if (pos_.key == -2) return error(ErrorCode::NoRecord, "sıra belirlenmedi", 1);
        if (forward && pos_.atEnd) return error(ErrorCode::NoRecord);
        const bool usable =
            batchAt_ < batchSize_ && batchForward_ == forward && batchChanges_ == c_->changes();
        // A bounded batch that came back short held the rest of the range.
        if (!usable && batchRangeDone_ && forward && !pos_.upper.empty() && batchSize_ > 0 &&
            batchAt_ == batchSize_ && batchForward_ && batchChanges_ == c_->changes())
            return error(ErrorCode::NoRecord);
        if (!usable) {
            if (auto st = fetch(forward); !st) return st;
            if (batchSize_ == 0) return error(ErrorCode::NoRecord);
        }
        Row& r = batch_[batchAt_++];
        std::swap(buffer_, r.rec);
        blankUnread(buffer_);
        pos_.kv.swap(r.kv);
        pos_.rowid = r.rowid;
        pos_.atEnd = false;
        pos_.current = r.rowid;
        remember();
        return {};
    }

    core::Status fetch(bool forward) {
        // Grows from a few rows (a get followed by one next) to a few hundred (a scan).
        // A bounded range reads nothing past its end, so it may start with a larger batch: a
        // voucher's lines come in one statement.
        const bool bounded = forward && pos_.key >= 0 && !pos_.upper.empty();
        const bool continuing = batchForward_ == forward && batchLimit_ > 0;
        const int limit = continuing ? std::min(batchLimit_ * 4, 512) : bounded ? 32 : 8;
        const std::string* sql;
        if (pos_.key == -1)
            sql = forward ? &sqlPhysNext_ : pos_.atEnd ? &sqlPhysLast_ : &sqlPhysPrev_;
        else {
            const auto k = static_cast<std::size_t>(pos_.key);
            sql = bounded   ? &sqlNextBelow_[k]
                  : forward ? &sqlNext_[k]
                  : pos_.atEnd ? &sqlLast_[k]
                               : &sqlPrev_[k];
        }
        auto s = prep(*sql);
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_blob(*s, 1, pos_.kv.data(), static_cast<int>(pos_.kv.size()), SQLITE_STATIC);
        sqlite3_bind_int64(*s, 2, pos_.rowid);
        sqlite3_bind_int64(*s, 3, limit);
        if (bounded)
            sqlite3_bind_blob(*s, 4, pos_.upper.data(), static_cast<int>(pos_.upper.size()),
                              SQLITE_STATIC);
        batchSize_ = 0;
        batchAt_ = 0;
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            if (batch_.size() <= batchSize_) batch_.push_back(Row{0, {}, Record(*def_)});
            Row& r = batch_[batchSize_++];
            r.rowid = sqlite3_column_int64(*s, 0);
            if (pos_.key >= 0) {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(*s, 1));
                r.kv.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(*s, 1)));
            } else {
                r.kv.clear();
            }
            readColumns(*s, r.rec, readMap_);
        }
        if (rc != SQLITE_DONE) {
            dropBatch();
            return c_->error(rc, name_, 1);
        }
        batchForward_ = forward;
        batchLimit_ = limit;
        batchChanges_ = c_->changes();
        batchRangeDone_ = bounded && batchSize_ < static_cast<std::size_t>(limit);
        return {};
    }

    std::shared_ptr<Connection> c_;
    std::string table_;
    ColumnSet cols_;
    std::vector<ColMap> map_;
    std::vector<ColMap> readMap_;     // the columns reads fill: map_, or the narrowed ones
    std::vector<std::uint32_t> blank_; // the slots a narrowed read leaves blank
    std::string dataCols_;
    std::string sqlInsert_, sqlUpdate_, sqlAppend_, sqlDelete_, sqlByRowid_, sqlCount_,
        sqlEmpty_, sqlStoredByRowid_, sqlPhysNextAll_;
    std::string sqlPhysNext_, sqlPhysPrev_, sqlPhysLast_;
    std::vector<std::string> sqlGet_, sqlNext_, sqlPrev_, sqlLast_, sqlExists_;
    std::vector<std::string> sqlNextBelow_; // forward reads bounded by Position::upper
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::string> sqlEqual_; // stable addresses
    std::map<std::pair<std::uint32_t, bool>, std::string> sqlPlaces_; // key, open-ended

    std::vector<Row> batch_;
    std::size_t batchSize_ = 0, batchAt_ = 0;
    int batchLimit_ = 0;
    bool batchForward_ = true;
    bool batchRangeDone_ = false; // the batch ends the bounded range it was read from
    std::int64_t batchChanges_ = -1;

    std::vector<std::string> packed_;
    std::vector<std::optional<std::string>> keys_;
    std::map<Layout, Table> related_;
    std::unordered_map<const std::string*, sqlite3_stmt*> stmts_;
    std::vector<std::uint32_t> keySlots_;
    // The write path's view of the key fields (trackKeyFields): column (index into map_) of each
    // tracked key field, its place in keySlots_, the keySlots_ places of each key's parts, and
    // the tracked index of each column (-1: always written).
    bool tracked_ = false;
    std::vector<std::uint32_t> trackedCol_;
    std::vector<std::size_t> trackedRemembered_;
    std::vector<std::vector<std::size_t>> keyRemembered_;
    std::vector<int> trackedOf_;
    std::string sqlStoredKeys_;
    std::unordered_map<std::uint64_t, std::string> sqlUpdateOf_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> fieldCol_; // putChanges: map_ range
    std::map<std::string, std::string> sqlChanges_; // putChanges, by its lists; stable addresses
    std::vector<Value> remembered_;
    std::int64_t rememberedRow_ = 0;
    std::int64_t rememberedChanges_ = -1;
};

} // namespace

// ---------------------------------------------------------------------------------------------

core::Result<std::unique_ptr<TableImpl>> openSqliteTable(std::shared_ptr<Connection> c,
                                                         std::string_view table, const FileDef& d,
                                                         bool create, bool relations) {
    auto stored = storedLayout(*c, table);
    if (!stored) {
        auto e = stored.error();
        e.message = 23;
        return e;
    }
    if (*stored) {
        if ((*stored)->second != d.signature())
            return engineError(ErrorCode::LayoutMismatch, std::string(table),
                               "tablo " + (*stored)->first + " düzeninde, istenen " + d.layoutName,
                               23);
    } else {
        auto ex = tableExists(*c, table);
        if (!ex) return withMessage(ex.error(), 23);
        if (*ex)
            return engineError(ErrorCode::LayoutMismatch, std::string(table),
                               "tablonun düzeni bilinmiyor", 23);
        if (!create) return engineError(ErrorCode::FileNotFound, std::string(table), {}, 23);
        if (auto st = createTable(*c, table, d); !st) return st.error();
    }
    const bool rel = relations && table == d.file && currentLayout(d.file) == &d;
    // An index that cannot be made now (a read-only folder, another program holding the write
    // lock past the busy timeout) only makes some reads slower: the table opens all the same,
    // and the next open tries again.
    if (table == d.file && currentLayout(d.file) == &d) (void)ensureExtraIndexes(*c, table, d);
    return std::unique_ptr<TableImpl>(
        std::make_unique<SqliteTable>(std::move(c), d, std::string(table), rel));
}

std::unique_ptr<TableImpl> makeSqliteTable(std::shared_ptr<Connection> c, const FileDef& d,
                                           std::string table, bool applyRelations) {
    return std::make_unique<SqliteTable>(std::move(c), d, std::move(table), applyRelations);
}

} // namespace hk::data

namespace hk::data {

core::Status checkKeyColumns(Connection& c, std::string_view table, const FileDef& d,
                             std::vector<std::pair<std::string, std::string>>& problems) {
    const ColumnSet cs = columnsOf(d);
    if (cs.keyNames.empty()) return {};
    std::string sel = "SELECT rowid";
    for (const auto& k : cs.keyNames)
        sel += ", " + quoteIdent(k);
    for (const auto& n : cs.names)
        sel += ", " + quoteIdent(n);
    sel += " FROM " + quoteIdent(table) + " ORDER BY rowid";
    auto s = c.prepare(sel);
    if (!s) return s.error();
    StmtUse use(*s);
    const auto map = columnMap(d);
    Record rec(d);
    const int firstData = 1 + static_cast<int>(cs.keyNames.size());
    int rc;
    while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
        int i = firstData;
        for (const ColMap& cm : map) {
            Value& v = rec.slot(cm.slot);
            if (cm.packed)
                unpackArray(rec, cm, static_cast<const unsigned char*>(sqlite3_column_blob(*s, i)),
                            sqlite3_column_bytes(*s, i));
            else if (isText(cm.type)) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(*s, i));
                v.text.assign(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(*s, i)));
            } else if (cm.type == FieldType::REAL)
                v.real = sqlite3_column_double(*s, i);
            else
                v.integer = sqlite3_column_int64(*s, i);
            ++i;
        }
        for (std::size_t k = 0; k < d.keys.size(); ++k) {
            const auto want = encodeKey(rec, d.keys[k], c.keyFormat());
            const int col = 1 + static_cast<int>(k);
            const bool isNull = sqlite3_column_type(*s, col) == SQLITE_NULL;
            bool ok;
            if (!want)
                ok = isNull;
            else {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(*s, col));
                ok = !isNull &&
                     std::string_view(p ? p : "", static_cast<std::size_t>(
                                                      sqlite3_column_bytes(*s, col))) == *want;
            }
            if (!ok)
                problems.emplace_back(std::string(table),
                                      d.keys[k].name + " anahtarı kayıt " +
                                          std::to_string(sqlite3_column_int64(*s, 0)) +
                                          " ile uyuşmuyor");
        }
    }
    if (rc != SQLITE_DONE) return c.error(rc, std::string(table));
    return {};
}

} // namespace hk::data
