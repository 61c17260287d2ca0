#pragma once
// The voucher-line list (Fisdetlistesi): its two orders, the lines of one chosen voucher, and the
// query by example of "&Query".
//
// A query by example holds one criterion per column of the list; a blank criterion matches
// everything, and a line is listed when it matches every criterion:
//   text columns (key, side, type, attribute, account code)  the column starts with the text
//   "Fis Ack" (the description)                              the description contains the text
//   date and numbers (date, voucher number, line number)     equal
// Text criteria ignore case by the Turkish rules ("i" finds "İ"). Typed criteria are read by
// parseLineQuery; a date or number that cannot be read is refused naming its column.

#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <optional>
#include <string>
#include <vector>

namespace hk::vouchers {

struct LineQuery {
    std::string key, side, type, attribute, account, description;
    std::optional<core::Date> date;
    std::optional<int> number;   // MFD:FISNO
    std::optional<int> lineNo;   // MFD:FISSIRANO
    bool empty() const;
};

// The typed criteria, column by column (blank = any).
struct LineQueryText {
    std::string key{}, side{}, date{}, number{}, type{}, attribute{}, lineNo{}, account{},
        description{};
};
core::Result<LineQuery> parseLineQuery(const LineQueryText& typed);

bool matches(const LineQuery& q, const data::FisDet& line);

// The two orders of the list.
enum class LineOrder { ByKeyAndLine, ByKeyAndAccount }; // MFD:KeyFisSiraNo, MFD:KeyFisDet
const char* keyName(LineOrder o);

// The listed lines, in the order's key order: every line, or only those of voucher `onlyKey`
// when it is given, that match the query. (What the list's "Excel" exports.)
core::Result<std::vector<data::FisDet>> listLines(data::DataSet& ds, LineOrder order,
                                                  const std::optional<std::string>& onlyKey,
                                                  const LineQuery& q);

// Every voucher header in key order (what the header list's "Excel" exports).
core::Result<std::vector<data::FisBas>> listHeaders(data::DataSet& ds);

} // namespace hk::vouchers
