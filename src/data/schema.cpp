// The schema of a SQLite data file: the meta table recording each table's layout, and the DDL
// of one data file's table (one column per field, one BLOB column per key) with its indexes. All
// of it is built from the dictionary; no data ever enters these texts. A table is created whole
// or not at all (one savepoint over the CREATE statements and its meta row).

#include "data/engine.h"
#include "data/sqlite_table.h"

#include <sqlite3.h>

namespace hk::data {

core::Status ensureMeta(Connection& c) {
    return c.exec(
        "CREATE TABLE IF NOT EXISTS hk_layout (name TEXT PRIMARY KEY, layout TEXT NOT NULL, "
        "signature TEXT NOT NULL)");
}

core::Result<bool> tableExists(Connection& c, std::string_view name) {
    auto s = c.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    if (!s) return s.error();
    StmtUse use(*s);
    sqlite3_bind_text(*s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(*s);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    return c.error(rc, c.path().string());
}

core::Result<std::optional<std::pair<std::string, std::string>>>
storedLayout(Connection& c, std::string_view name) {
    auto meta = tableExists(c, "hk_layout");
    if (!meta) return meta.error();
    if (!*meta) return std::optional<std::pair<std::string, std::string>>{};
    auto s = c.prepare("SELECT layout, signature FROM hk_layout WHERE name = ?1");
    if (!s) return s.error();
    StmtUse use(*s);
    sqlite3_bind_text(*s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(*s);
    if (rc == SQLITE_DONE) return std::optional<std::pair<std::string, std::string>>{};
    if (rc != SQLITE_ROW) return c.error(rc, c.path().string());
    return std::optional<std::pair<std::string, std::string>>{
        std::pair{std::string(reinterpret_cast<const char*>(sqlite3_column_text(*s, 0))),
                  std::string(reinterpret_cast<const char*>(sqlite3_column_text(*s, 1)))}};
}

core::Status createIndexes(Connection& c, std::string_view table, const FileDef& d) {
    const ColumnSet cs = columnsOf(d);
    for (std::size_t k = 0; k < d.keys.size(); ++k) {
        const std::string sql = std::string("CREATE ") + (d.keys[k].unique ? "UNIQUE " : "") +
                                "INDEX " + quoteIdent(std::string(table) + "/" + cs.keyNames[k]) +
                                " ON " + quoteIdent(table) + " (" + quoteIdent(cs.keyNames[k]) +
                                ")";
        if (auto st = c.exec(sql); !st) return st;
    }
    return {};
}

namespace {

// Indexes a data file has beyond its keys, for reading paths its keys serve badly. They belong to
// no layout (a layout's signature names its keys only), so a data folder of any age gets them when
// the table is opened, and a table rebuilt by a conversion gets them again on its next open.
struct ExtraIndex {
    Layout layout;
    const char* field; // a scalar text field
    const char* key;   // the order within equal values of the field
};
constexpr ExtraIndex kExtraIndexes[] = {
    // The lines of one account in voucher-key order: the subsidiary ledger of one account and the
    // account transfer read them so, instead of probing the lines of every voucher of the year.
    {Layout::FisDet, "HESAPKODU", "MFD:KeyFisDet"},
};

} // namespace

namespace {

// The name of an extra index of `table` ("" when the layout lacks its key).
std::string extraIndexName(std::string_view table, const FileDef& d, const ColumnSet& cs,
                           const ExtraIndex& x) {
    auto k = d.key(x.key);
    if (!k) return {};
    return std::string(table) + "/" + x.field + "," + cs.keyNames[*k];
}

} // namespace

core::Status dropExtraIndexes(Connection& c, std::string_view table, const FileDef& d) {
    const ColumnSet cs = columnsOf(d);
    for (const ExtraIndex& x : kExtraIndexes) {
        if (x.layout != d.layout) continue;
        const std::string name = extraIndexName(table, d, cs, x);
        if (name.empty()) continue;
        if (auto st = c.exec("DROP INDEX IF EXISTS " + quoteIdent(name)); !st) return st;
    }
    return {};
}

core::Status ensureExtraIndexes(Connection& c, std::string_view table, const FileDef& d) {
    const ColumnSet cs = columnsOf(d);
    for (const ExtraIndex& x : kExtraIndexes) {
        if (x.layout != d.layout) continue;
        const std::string name = extraIndexName(table, d, cs, x);
        if (name.empty()) continue;
        const std::string column = cs.keyNames[*d.key(x.key)];
        auto s = c.prepare("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1");
        if (!s) return s.error();
        int rc;
        {
            StmtUse use(*s);
            sqlite3_bind_text(*s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
            rc = sqlite3_step(*s);
        }
        if (rc == SQLITE_ROW) continue;
        if (rc != SQLITE_DONE) return c.error(rc, c.path().string());
        if (auto st = c.exec("CREATE INDEX IF NOT EXISTS " + quoteIdent(name) + " ON " +
                             quoteIdent(table) + " (" + quoteIdent(x.field) + ", " +
                             quoteIdent(column) + ")");
            !st)
            return st;
    }
    return {};
}

core::Status createTable(Connection& c, std::string_view table, const FileDef& d) {
    if (auto st = ensureMeta(c); !st) return st;
    const ColumnSet cs = columnsOf(d);
    std::string sql = "CREATE TABLE " + quoteIdent(table) + " (";
    for (std::size_t i = 0; i < cs.names.size(); ++i)
        sql += (i ? ", " : "") + quoteIdent(cs.names[i]) + " " + cs.types[i];
    for (const auto& k : cs.keyNames)
        sql += ", " + quoteIdent(k) + " BLOB";
    sql += ")";
    Savepoint ddl(c, "hk_ddl");
    if (!ddl.ok()) return ddl.status();
    auto run = [&]() -> core::Status {
        if (auto st = c.exec(sql); !st) return st;
        if (auto st = createIndexes(c, table, d); !st) return st;
        auto s = c.prepare(
            "INSERT OR REPLACE INTO hk_layout (name, layout, signature) VALUES (?1, ?2, ?3)");
        if (!s) return s.error();
        StmtUse use(*s);
        const std::string sig = d.signature();
        sqlite3_bind_text(*s, 1, table.data(), static_cast<int>(table.size()), SQLITE_STATIC);
        sqlite3_bind_text(*s, 2, d.layoutName.data(), static_cast<int>(d.layoutName.size()),
                          SQLITE_STATIC);
        sqlite3_bind_text(*s, 3, sig.data(), static_cast<int>(sig.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(*s);
        if (rc != SQLITE_DONE) return c.error(rc, std::string(table));
        return {};
    };
    auto st = run();
    if (!st) {
        ddl.rollback();
        auto e = st.error();
        e.message = 10;
        if (e.file.empty() || e.file == c.path().string()) e.file = std::string(table);
        return e;
    }
    return ddl.release();
}

} // namespace hk::data
