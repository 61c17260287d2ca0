#include "data/database.h"

#include "data/engine.h"
#include "data/sqlite_table.h"

#include <sqlite3.h>

#include <algorithm>
#include <sys/statvfs.h>
#include <system_error>

namespace hk::data {

namespace fs = std::filesystem;

Database::Database(std::shared_ptr<Connection> c) : conn_(std::move(c)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

const fs::path& Database::path() const {
    return conn_->path();
}

namespace {

// Reads of a database go through a memory map of up to this many bytes.
constexpr long long kMmapBytes = 268435456;

// The one integer a statement gives.
core::Result<std::int64_t> readInteger(Connection& c, const std::string& sql,
                                       const std::string& name) {
    auto s = c.prepare(sql);
    if (!s) return s.error();
    StmtUse use(*s);
    if (const int rc = sqlite3_step(*s); rc != SQLITE_ROW) return c.error(rc, name);
    return static_cast<std::int64_t>(sqlite3_column_int64(*s, 0));
}

// Immutable reading skips the write-ahead log, so it is used only when there is none to skip:
// a copy taken with committed pages still in its log is opened the ordinary way (and any
// failure named) rather than shown without them.
bool onReadOnlyMedia(const fs::path& file) {
    struct statvfs vfs {};
    if (::statvfs(file.c_str(), &vfs) != 0 || !(vfs.f_flag & ST_RDONLY)) return false;
    std::error_code ec;
    fs::path wal = file;
    wal += "-wal";
    return !fs::exists(wal, ec) || fs::file_size(wal, ec) == 0;
}

// "file:" URI of a path with "immutable=1"; the characters a URI gives a meaning are escaped.
std::string immutableUri(const fs::path& file) {
    std::string uri = "file:";
    for (unsigned char c : fs::absolute(file).string()) {
        if (c == '%' || c == '?' || c == '#' || c <= 0x20 || c >= 0x7F) {
            static constexpr char hex[] = "0123456789ABCDEF";
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0xF];
        } else {
            uri += char(c);
        }
    }
    return uri + "?immutable=1";
}

// A database of ours is empty (a new file) or has the layout table, and every table in it is
// recorded there under a layout this program knows.
core::Status checkOurs(Connection& c, const std::string& name) {
    auto s = c.prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                       "'sqlite\\_%' ESCAPE '\\'");
    if (!s) return s.error();
    std::vector<std::string> tables;
    {
        StmtUse use(*s);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(*s, 0)));
        if (rc != SQLITE_DONE) return c.error(rc, name, 23);
    }
    if (tables.empty()) return {};
    auto foreign = [&](const std::string& why) {
        return engineError(ErrorCode::NotADatabase, name,
                           "bu programın veritabanı değil (" + why +
                               "); dosyaya dokunulmadı",
                           23);
    };
    if (std::find(tables.begin(), tables.end(), "hk_layout") == tables.end())
        return foreign("düzen tablosu yok");
    for (const auto& t : tables) {
        if (t == "hk_layout") continue;
        auto stored = storedLayout(c, t);
        if (!stored) return stored.error();
        if (!*stored) return foreign("\"" + t + "\" tablosunun düzeni kayıtlı değil");
        const auto& layout = (*stored)->first;
        const auto known = allLayouts();
        if (std::none_of(known.begin(), known.end(),
                         [&](const FileDef& d) { return d.layoutName == layout; }))
            return foreign("\"" + t + "\" tablosu bilinmeyen \"" + layout + "\" düzeninde");
    }
    return {};
}

} // namespace

core::Result<Database> Database::open(const fs::path& file, OpenOptions o) {
    const std::string name = file.string();
    std::error_code ec;
    const bool exists = fs::exists(file, ec);
    if (exists && !fs::is_regular_file(file, ec))
        return engineError(ErrorCode::NotADatabase, name, "bir dosya değil", 23);
    if (!exists && (!o.create || o.readOnly))
        return engineError(ErrorCode::FileNotFound, name, {}, 23);

    // The engine's memory statistics take a global lock on every allocation and nothing here
    // reads them. Settable only before the engine's first use; a refusal leaves them on.
    static const bool configured = [] {
        (void)sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
    sqlite3* raw = nullptr;
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    flags |= o.readOnly ? SQLITE_OPEN_READONLY
                        : (SQLITE_OPEN_READWRITE | (o.create ? SQLITE_OPEN_CREATE : 0));
    // On read-only media the engine cannot make the shared-memory file a database in WAL mode
    // needs even for reading; nobody can write there either, so the file is read as immutable.
    const bool immutable = o.readOnly && exists && onReadOnlyMedia(file);
    const std::string target = immutable ? immutableUri(file) : name;
    if (immutable) flags |= SQLITE_OPEN_URI;
    const int rc = sqlite3_open_v2(target.c_str(), &raw, flags, nullptr);
    // The connection owns the handle from here on, even when opening failed.
    auto conn = std::make_shared<Connection>(raw, file);
    if (rc != SQLITE_OK) return conn->error(rc, name, exists ? 23 : 10);
    sqlite3_busy_timeout(raw, o.busyTimeoutMs);

    // The first statements read the header: a file that is not a database stops here, unchanged.
    auto first = conn->exec("SELECT count(*) FROM sqlite_master");
    if (!first) {
        auto e = first.error();
        e.message = 23;
        return e;
    }
    // Whether an existing database is one of ours is decided from what is read, before anything
    // is written: another program's database (or a damaged one of ours) must stay byte for byte
    // as it was, not be switched to WAL and given our tables before it is refused.
    if (!o.readOnly && exists)
        if (auto st = checkOurs(*conn, name); !st) return st.error();
    if (!o.readOnly && !exists) {
        // A new database gets pages of 16 KiB instead of 4: a voucher line is a wide row with
        // three index entries of 40-90 bytes each, and a bulk import writes a million of them
        // through the write-ahead log and copies them into the database again at the
        // checkpoint, page by page. Larger pages mean a quarter of the pages to log, copy and
        // balance (an import of a million lines took a quarter less CPU time). A database made
        // earlier keeps its page size: it can only change with the database rewritten whole.
        if (auto st = conn->exec("PRAGMA page_size = 16384"); !st) {
            auto e = st.error();
            e.message = 10;
            return e;
        }
    }
    if (!o.readOnly) {
        // A larger page cache and memory-mapped reads: a chart with its monthly totals is a few
        // megabytes and posting touches it at random.
        // synchronous = FULL under WAL: every commit is synced, so a voucher the user saw saved
        // survives a power failure too. Bulk work runs in one transaction and pays one sync.
        const std::string mmap = "PRAGMA mmap_size = " + std::to_string(kMmapBytes);
        for (const char* pragma :
             {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL",
              "PRAGMA cache_size = -65536", mmap.c_str(), "PRAGMA temp_store = MEMORY"}) {
            if (auto st = conn->exec(pragma); !st) {
                auto e = st.error();
                e.message = exists ? 23 : 10;
                return e;
            }
        }
        if (auto st = conn->exec("CREATE TABLE IF NOT EXISTS hk_layout (name TEXT PRIMARY KEY, "
                                 "layout TEXT NOT NULL, "
                                 "signature TEXT NOT NULL)");
            !st) {
            auto e = st.error();
            e.message = exists ? 23 : 10;
            return e;
        }
    }
    // The form of the key columns, kept in the header's user version: 0 the escaped form (every
    // database made before the compact one), 1 the compact form. A database without a table of
    // ours yet has no key stored and takes the form a new database gets.
    auto version = readInteger(*conn, "PRAGMA user_version", name);
    if (!version) return withMessage(version.error(), 23);
    if (!o.readOnly && *version == 0) {
        auto tables = readInteger(*conn,
                                  "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                  "AND name <> 'hk_layout' AND name NOT LIKE 'sqlite%'",
                                  name);
        if (!tables) return withMessage(tables.error(), 23);
        if (*tables == 0 && o.newKeys == KeyFormat::Compact) {
            if (auto st = conn->exec("PRAGMA user_version = 1"); !st)
                return withMessage(st.error(), exists ? 23 : 10);
            version = 1;
        }
    }
    if (*version != 0 && *version != 1)
        return engineError(
            ErrorCode::NotADatabase, name,
            "anahtar biçimi bu programca bilinmiyor (" + std::to_string(*version) + ")", 23);
    conn->setKeyFormat(*version == 1 ? KeyFormat::Compact : KeyFormat::Escaped);
    Database db(std::move(conn));
    db.busyTimeoutMs_ = o.busyTimeoutMs;
    return db;
}

core::Result<Table> Database::table(const FileDef& layout, bool create) {
    return table(layout.file, layout, create);
}

core::Result<Table> Database::table(std::string_view name, const FileDef& layout, bool create) {
    auto t = openSqliteTable(conn_, name, layout, create, true);
    if (!t) return t.error();
    return Table(std::move(*t));
}

core::Result<bool> Database::exists(std::string_view name) {
    return tableExists(*conn_, name);
}

core::Result<std::string> Database::layoutOf(std::string_view name) {
    auto s = storedLayout(*conn_, name);
    if (!s) return s.error();
    if (!*s) return engineError(ErrorCode::FileNotFound, std::string(name));
    return (*s)->first;
}

core::Status Database::create(std::string_view name, const FileDef& layout) {
    auto ex = tableExists(*conn_, name);
    if (!ex) return ex.error();
    if (*ex) return engineError(ErrorCode::DuplicateKey, std::string(name), "tablo zaten var", 10);
    return createTable(*conn_, name, layout);
}

core::Status Database::drop(std::string_view name) {
    auto ex = tableExists(*conn_, name);
    if (!ex) return ex.error();
    if (!*ex) return {};
    Transaction tx(*this);
    if (!tx.started()) return tx.started();
    if (auto st = conn_->exec("DROP TABLE " + quoteIdent(name)); !st) return st;
    auto s = conn_->prepare("DELETE FROM hk_layout WHERE name = ?1");
    if (!s) return s.error();
    {
        StmtUse use(*s);
        sqlite3_bind_text(*s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        if (const int rc = sqlite3_step(*s); rc != SQLITE_DONE)
            return conn_->error(rc, std::string(name));
    }
    return tx.commit();
}

core::Status Database::rename(std::string_view from, std::string_view to) {
    auto ex = tableExists(*conn_, from);
    if (!ex) return ex.error();
    if (!*ex) return engineError(ErrorCode::FileNotFound, std::string(from));
    auto exTo = tableExists(*conn_, to);
    if (!exTo) return exTo.error();
    if (*exTo) return engineError(ErrorCode::DuplicateKey, std::string(to), "tablo zaten var");
    auto stored = storedLayout(*conn_, from);
    if (!stored) return stored.error();
    const FileDef* def = nullptr;
    if (*stored)
        for (const FileDef& d : allLayouts())
            if (d.layoutName == (*stored)->first && d.signature() == (*stored)->second) def = &d;

    Transaction tx(*this);
    if (!tx.started()) return tx.started();
    // Index names carry the table name; they are dropped and made again under the new name.
    std::vector<std::string> indexes;
    {
        auto s = conn_->prepare("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name "
                                "= ?1 AND sql IS NOT NULL");
        if (!s) return s.error();
        StmtUse use(*s);
        sqlite3_bind_text(*s, 1, from.data(), static_cast<int>(from.size()), SQLITE_STATIC);
        while (sqlite3_step(*s) == SQLITE_ROW)
            indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(*s, 0)));
    }
    for (const auto& ix : indexes)
        if (auto st = conn_->exec("DROP INDEX " + quoteIdent(ix)); !st) return st;
    if (auto st = conn_->exec("ALTER TABLE " + quoteIdent(from) + " RENAME TO " + quoteIdent(to));
        !st)
        return st;
    if (def)
        if (auto st = createIndexes(*conn_, to, *def); !st) return st;
    auto s = conn_->prepare("UPDATE hk_layout SET name = ?2 WHERE name = ?1");
    if (!s) return s.error();
    {
        StmtUse use(*s);
        sqlite3_bind_text(*s, 1, from.data(), static_cast<int>(from.size()), SQLITE_STATIC);
        sqlite3_bind_text(*s, 2, to.data(), static_cast<int>(to.size()), SQLITE_STATIC);
        if (const int rc = sqlite3_step(*s); rc != SQLITE_DONE)
            return conn_->error(rc, std::string(from));
    }
    return tx.commit();
}

std::vector<std::string> Database::tables() {
    std::vector<std::string> out;
    auto s = conn_->prepare("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> "
                            "'hk_layout' ORDER BY name");
    if (!s) return out;
    StmtUse use(*s);
    while (sqlite3_step(*s) == SQLITE_ROW)
        out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(*s, 0)));
    return out;
}

core::Status Database::backupTo(const fs::path& file) {
    sqlite3* dest = nullptr;
    const std::string name = file.string();
    int rc =
        sqlite3_open_v2(name.c_str(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Connection destConn(dest, file); // closes it in every case
    if (rc != SQLITE_OK) return destConn.error(rc, name);
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", conn_->db(), "main");
    if (!b) return destConn.error(sqlite3_errcode(dest), name);
    rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) return destConn.error(rc, name);
    return {};
}

core::Result<std::vector<Database::Problem>> Database::check() {
    std::vector<Problem> out;
    {
        auto s = conn_->prepare("PRAGMA integrity_check");
        if (!s) return s.error();
        StmtUse use(*s);
        int rc;
        while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
            const std::string line = reinterpret_cast<const char*>(sqlite3_column_text(*s, 0));
            if (line != "ok") out.push_back({"", line});
        }
        if (rc != SQLITE_DONE) return conn_->error(rc, path().string());
    }
    std::vector<std::pair<std::string, std::string>> problems;
    for (const std::string& name : tables()) {
        auto stored = storedLayout(*conn_, name);
        if (!stored) return stored.error();
        if (!*stored) {
            problems.emplace_back(name, "düzeni kayıtlı olmayan tablo");
            continue;
        }
        const FileDef* def = nullptr;
        for (const FileDef& d : allLayouts())
            if (d.layoutName == (*stored)->first && d.signature() == (*stored)->second) def = &d;
        if (!def) {
            problems.emplace_back(name, "bu programın tanımadığı düzen: " + (*stored)->first);
            continue;
        }
        if (auto st = checkKeyColumns(*conn_, name, *def, problems); !st) return st.error();
    }
    // Children whose parent is missing, where the relation keeps them together.
    for (const RelationDef& rel : relations()) {
        if (rel.onDelete == OnDelete::None) continue;
        const FileDef& pd = fileDef(rel.parent);
        const FileDef& cd = fileDef(rel.child);
        auto pe = tableExists(*conn_, pd.file);
        auto ce = tableExists(*conn_, cd.file);
        if (!pe || !ce || !*ce) continue;
        auto child = openSqliteTable(conn_, cd.file, cd, false, false);
        if (!child) continue; // a layout problem is reported above
        std::unique_ptr<TableImpl> parent;
        if (*pe) {
            auto p = openSqliteTable(conn_, pd.file, pd, false, false);
            if (!p) continue;
            parent = std::move(*p);
        }
        // The parent key made of exactly the linking fields.
        std::optional<std::uint32_t> pkey;
        for (std::uint32_t k = 0; k < pd.keys.size(); ++k) {
            const auto& parts = pd.keys[k].parts;
            if (parts.size() != rel.links.size()) continue;
            bool match = true;
            for (std::size_t i = 0; i < parts.size(); ++i)
                if (pd.fields[parts[i].field].name != rel.links[i].first) match = false;
            if (match) pkey = k;
        }
        if (!pkey) continue;
        TableImpl& ct = **child;
        (void)ct.setPhysical();
        while (ct.next()) {
            bool found = false;
            std::string link;
            if (parent) {
                parent->buffer().clear();
                for (const auto& [pf, cf] : rel.links) {
                    const std::string v = *ct.buffer().text(cf);
                    link += (link.empty() ? "" : ", ") + v;
                    (void)parent->buffer().setText(pf, v, 1, true);
                }
                found = parent->get(*pkey).ok();
            }
            if (!found)
                problems.emplace_back(cd.file,
                                      "üst kaydı (" + pd.file + ") olmayan kayıt: " + link);
        }
    }
    for (auto& [t, text] : problems)
        out.push_back({t, text});
    return out;
}

// ---------------------------------------------------------------------------------------------

BulkWrite::BulkWrite(Database& db) : db_(db) {
    sqlite3* h = db_.conn_->db();
    if (!sqlite3_get_autocommit(h) || sqlite3_db_readonly(h, "main") != 0) return;
    // Leaving WAL mode needs the database to ourselves; another connection holds it open, and
    // waiting for it to go would only delay the work, which runs in WAL mode just as well.
    sqlite3_busy_timeout(h, 0);
    if (auto mode = db_.conn_->prepare("PRAGMA journal_mode = DELETE")) {
        StmtUse use(*mode);
        if (sqlite3_step(*mode) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(*mode, 0);
            active_ = text != nullptr &&
                      std::string_view(reinterpret_cast<const char*>(text)) == "delete";
        }
    }
    sqlite3_busy_timeout(h, db_.busyTimeoutMs_);
    // Pages written straight into the file would come back through the memory map as resident
    // pages of this process (a quarter of a gigabyte of them); the page cache alone holds what
    // the load reads again.
    if (active_) (void)db_.conn_->exec("PRAGMA mmap_size = 0");
}

BulkWrite::~BulkWrite() {
    if (!active_) return;
    // Back to WAL mode, as every opening sets it; a failure here (another program waiting to
    // open) leaves the database in rollback mode until the next opening switches it back.
    (void)db_.conn_->exec("PRAGMA journal_mode = WAL");
    (void)db_.conn_->exec("PRAGMA mmap_size = " + std::to_string(kMmapBytes));
}

LargeCache::LargeCache(Database& db, std::int64_t bytes) : db_(db) {
    auto size = readInteger(*db_.conn_, "PRAGMA cache_size", db_.path().string());
    if (!size || *size == 0) return;
    // Negative sizes are KiB, positive ones pages: compared in KiB.
    const std::int64_t kib = bytes / 1024;
    std::int64_t now = -*size;
    if (*size > 0) {
        auto page = readInteger(*db_.conn_, "PRAGMA page_size", db_.path().string());
        if (!page) return;
        now = *size * *page / 1024;
    }
    if (kib <= now) return;
    if (db_.conn_->exec("PRAGMA cache_size = -" + std::to_string(kib))) before_ = *size;
}

LargeCache::~LargeCache() {
    // The size read back is a number from the engine, not data.
    if (before_ != 0) (void)db_.conn_->exec("PRAGMA cache_size = " + std::to_string(before_));
}

Transaction::Transaction(Database& db) : Transaction(db.conn_) {}

Transaction::Transaction(std::shared_ptr<Connection> c) : conn_(std::move(c)) {
    if (!conn_) return; // a memory work file: nothing to begin
    if (sqlite3_get_autocommit(conn_->db())) {
        started_ = conn_->exec("BEGIN IMMEDIATE");
    } else {
        nested_ = std::make_unique<Savepoint>(*conn_, "hk_tx");
        started_ = nested_->status();
    }
    if (!started_) {
        auto e = started_.error();
        e.message = 21;
        started_ = core::Status(e);
    }
    open_ = started_.ok();
}

core::Result<Transaction> Transaction::begin(Database& db) {
    Transaction tx(db);
    if (!tx.started()) return tx.started().error();
    return core::Result<Transaction>(std::move(tx));
}

Transaction::Transaction(Transaction&& o) noexcept
    : conn_(std::move(o.conn_)), started_(std::move(o.started_)), nested_(std::move(o.nested_)),
      open_(o.open_) {
    o.open_ = false;
}

Transaction& Transaction::operator=(Transaction&& o) noexcept {
    if (this != &o) {
        rollback();
        conn_ = std::move(o.conn_);
        started_ = std::move(o.started_);
        nested_ = std::move(o.nested_);
        open_ = o.open_;
        o.open_ = false;
    }
    return *this;
}

Transaction::~Transaction() {
    rollback();
}

core::Status Transaction::commit() {
    if (!started_) return started_;
    if (!conn_) return {};
    if (!open_)
        return engineError(ErrorCode::NoRecord, conn_->path().string(), "işlem zaten kapandı", 21);
    auto st = nested_ ? nested_->release() : conn_->exec("COMMIT");
    if (!st) {
        rollback();
        return st;
    }
    open_ = false;
    return {};
}

void Transaction::rollback() {
    if (!open_) return;
    open_ = false;
    if (nested_)
        nested_->rollback();
    else
        (void)conn_->exec("ROLLBACK");
}

} // namespace hk::data
