#include "data/engine.h"

#include <sqlite3.h>

namespace hk::data {

Connection::~Connection() {
    for (auto& [sql, s] : stmts_)
        sqlite3_finalize(s);
    sqlite3_close(db_);
}

core::Result<sqlite3_stmt*> Connection::prepare(const std::string& sql) {
    if (auto it = stmts_.find(sql); it != stmts_.end()) return it->second;
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        return error(rc, path_.string());
    }
    stmts_.emplace(sql, s);
    return s;
}

core::Status Connection::exec(const std::string& sql) {
    auto s = prepare(sql);
    if (!s) return s.error();
    StmtUse use(*s);
    ++generation_;
    int rc;
    while ((rc = sqlite3_step(*s)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) return error(rc, path_.string());
    return {};
}

core::Error Connection::error(int rc, const std::string& file, int message) {
    const int primary = rc & 0xFF;
    std::string detail = sqlite3_errstr(rc);
    if (const char* m = sqlite3_errmsg(db_); m && detail != m)
        detail += " (" + std::string(m) + ")";
    ErrorCode code = ErrorCode::EngineError;
    if (rc == SQLITE_CORRUPT_INDEX) return engineError(ErrorCode::BadKey, file, detail, 27);
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        code = ErrorCode::FileLocked;
        break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        code = ErrorCode::NotADatabase;
        break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        code = ErrorCode::AccessDenied;
        break;
    case SQLITE_CONSTRAINT:
        code = ErrorCode::DuplicateKey;
        break;
    default:
        break;
    }
    return engineError(code, file, detail, message);
}

std::int64_t Connection::changes() const {
    return sqlite3_total_changes64(db_) + generation_;
}

StmtUse::~StmtUse() {
    sqlite3_reset(s_);
    if (clear_) sqlite3_clear_bindings(s_);
}

std::string quoteIdent(std::string_view name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    q += '"';
    return q;
}

ColumnSet columnsOf(const FileDef& d) {
    ColumnSet cs;
    for (const FieldDef& f : d.fields) {
        if (f.type == FieldType::GROUP) continue;
        const char* type = isText(f.type) ? "TEXT" : f.type == FieldType::REAL ? "REAL" : "INTEGER";
        if (f.count == 1) {
            cs.names.push_back(f.name);
            cs.types.push_back(type);
        } else if (f.count <= 12) {
            for (std::uint32_t e = 1; e <= f.count; ++e) {
                cs.names.push_back(f.name + "_" + std::to_string(e));
                cs.types.push_back(type);
            }
        } else {
            cs.names.push_back(f.name);
            cs.types.push_back("BLOB");
        }
    }
    for (const KeyDef& k : d.keys) {
        const auto colon = k.name.find(':');
        cs.keyNames.push_back(colon == std::string::npos ? k.name : k.name.substr(colon + 1));
    }
    return cs;
}

Savepoint::Savepoint(Connection& c, std::string name) : c_(c), name_(std::move(name)) {
    st_ = c_.exec("SAVEPOINT " + name_);
    open_ = st_.ok();
}

Savepoint::~Savepoint() {
    rollback();
}

core::Status Savepoint::release() {
    if (!open_) return st_;
    open_ = false;
    return c_.exec("RELEASE " + name_);
}

void Savepoint::rollback() {
    if (!open_) return;
    open_ = false;
    (void)c_.exec("ROLLBACK TO " + name_);
    (void)c_.exec("RELEASE " + name_);
}

} // namespace hk::data
