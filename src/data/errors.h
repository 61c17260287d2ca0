#pragma once
// Error codes of the keyed-record engine. An engine failure travels as core::Error with
// code = one of these numbers, text = the engine's text (for code 90 the SQLite text), file = the
// logical file or database path concerned, and message = the data-operation message number the
// caller should raise for it (13 duplicate key, 30 delete refused by a relation, 23 open failure,
// 10 create failure, 27 damaged key, 26 key rebuild failure), or 0 when the operation alone
// decides (a plain "not found" at the end of a scan is not a failure worth a message).

#include "core/result.h"

#include <string>
#include <string_view>

namespace hk::data {

enum class ErrorCode : int {
    FileNotFound = 2,    // table or database missing and not to be created
    AccessDenied = 5,    // read-only database, network share refused for writing
    FileLocked = 32,     // another process holds the database (busy after busy_timeout)
    NoRecord = 33,       // next/previous ran past the end, or no current record
    NotFound = 35,       // get by key found nothing
    NotOpen = 37,        // table object not opened
    DuplicateKey = 40,   // a unique key would be duplicated
    BadKey = 46,         // a key column does not match its record: rebuild the keys
    LayoutMismatch = 47, // table written under another layout than the one asked for
    RelatedRecords = 48, // delete refused while child records exist
    BadValue = 75,       // text outside cp1254, too wide, a number out of range
    NotADatabase = 91,   // the file exists but is not a database (or is damaged)
    EngineError = 90,    // any other SQLite failure; text is SQLite's
};

std::string_view codeText(ErrorCode c);

core::Error engineError(ErrorCode c, std::string file, std::string detail = {}, int message = 0);

// The same error reported under another data-operation message number.
inline core::Error withMessage(core::Error e, int message) {
    e.message = message;
    return e;
}

inline bool is(const core::Error& e, ErrorCode c) {
    return e.code == static_cast<int>(c);
}
template <typename T> bool is(const core::Result<T>& r, ErrorCode c) {
    return !r.ok() && is(r.error(), c);
}
// True for the two "nothing there" outcomes of reads (NotFound, NoRecord).
inline bool isMissing(const core::Error& e) {
    return is(e, ErrorCode::NotFound) || is(e, ErrorCode::NoRecord);
}

// The detail part of an engine error text ("Creates Duplicate Key: HSP:KeyHesap" gives
// "HSP:KeyHesap"): the key name for %Message of message 13.
std::string errorDetail(const core::Error& e);

} // namespace hk::data
