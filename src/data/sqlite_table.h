#pragma once
// SQLite table management shared by Database and the engine (not for use outside src/data).

#include "data/engine.h"

#include <optional>
#include <utility>

namespace hk::data {

// schema.cpp: the meta table "hk_layout" (created when missing) and the DDL of a data file.
core::Status ensureMeta(Connection& c);
core::Result<bool> tableExists(Connection& c, std::string_view name);
// (layout name, signature) recorded for a table, if any.
core::Result<std::optional<std::pair<std::string, std::string>>>
storedLayout(Connection& c, std::string_view name);
core::Status createTable(Connection& c, std::string_view table, const FileDef& d);
core::Status createIndexes(Connection& c, std::string_view table, const FileDef& d);
// The indexes of the file's layout beyond its keys (schema.cpp), created when missing.
core::Status ensureExtraIndexes(Connection& c, std::string_view table, const FileDef& d);
// Drops them (a bulk load within a unit of work; ensureExtraIndexes makes them again).
core::Status dropExtraIndexes(Connection& c, std::string_view table, const FileDef& d);
// Opens `table` under layout d (meta check, creation when allowed). Relations apply when the
// table is the file's own table under its current layout and `relations` is set.
core::Result<std::unique_ptr<TableImpl>> openSqliteTable(std::shared_ptr<Connection> c,
                                                         std::string_view table, const FileDef& d,
                                                         bool create, bool relations);

} // namespace hk::data

namespace hk::data {
// Compares every stored key column with the key computed from its record.
core::Status checkKeyColumns(Connection& c, std::string_view table, const FileDef& d,
                             std::vector<std::pair<std::string, std::string>>& problems);
} // namespace hk::data
