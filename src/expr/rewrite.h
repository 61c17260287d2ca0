#pragma once
// The rewrites applied to definition texts before they are compiled. They work on in-memory
// copies at run time; stored definitions keep the user's spelling.
//
// Code rewrites replace the FIRST occurrence of each code (letters compared without regard to
// case); a second occurrence of the same code stays as written and then fails to evaluate, as the
// definitions have always behaved. All codes are looked up in the original text, so a
// replacement is never searched again for another code.
//
// Reference rewrites copy the text character by character and replace "$" followed by the fixed
// number of digits with the referenced value; a missing reference becomes "0". A negative value is
// inserted in parentheses, "(-5)", so that it keeps its meaning next to any operator ("$001^2"
// with line 1 at -5 is 25, not -25).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hk::expr {

using CodeTable = std::vector<std::pair<std::string, std::string>>; // code -> replacement

// Replaces the first occurrence of every code of the table (case-insensitive).
std::string rewriteFirstOccurrences(std::string_view text, const CodeTable& table);

// Account-value tokens of statement value lines: `BDRP:SAHA` takes the tokens without "Ac",
// `BDRP:OSAHA` those with it ("HSP:TLBorc[Bk]" -> BKTL, "HSP:AcTLBorc[Km]" -> OKMTLBORC).
enum class StatementField { Saha, OSaha };
const CodeTable& statementTokens(StatementField field);
std::string rewriteStatementTokens(std::string_view text, StatementField field);

// Field codes of the trial-balance definitions: "HSP:HesapKodu" -> XHSP:HESAPKODU,
// "HSP:TLBorc[CR]" -> XHSP:CRTLBORC, ... (the work-file fields).
const CodeTable& trialBalanceCodes();
std::string rewriteTrialBalanceCodes(std::string_view text);

// Running-balance codes of the subsidiary-ledger definitions: "MFD:TLBorc[Bk]" -> BKTLBORC, ...
const CodeTable& ledgerBalanceCodes();
std::string rewriteLedgerBalanceCodes(std::string_view text);

// The value of a referenced line or column as plain decimal text; nullopt when there is none.
using ReferenceLookup = std::function<std::optional<std::string>(int number)>;

// Statement formula lines: "$" + three digits names the line with that number on the same side.
std::string rewriteLineReferences(std::string_view formula, const ReferenceLookup& lineValue);
// Listing-report formula columns: "$" + two digits names the column with that number.
std::string rewriteColumnReferences(std::string_view formula, const ReferenceLookup& columnValue);

} // namespace hk::expr
