#include "reports/common.h"

#include "app/calendar.h"
#include "core/numeric.h"
#include "core/text.h"
#include "data/errors.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

namespace hk::reports {

namespace text = core::text;
using core::Result;

Result<AccountRange> AccountRange::make(vouchers::Books& b, const std::string& start,
                                        const std::string& end, bool cutStart) {
    AccountRange r;
    r.first = start;
    if (cutStart) {
        const auto sp = start.find(' ');
        if (sp != std::string::npos) r.first = start.substr(0, sp);
    }
    r.end = end;
    if (!end.empty()) {
        auto a = b.account(end);
        if (a)
            r.endIsDetail = text::trim(a->NTLK) == "M";
        else if (!data::is(a, data::ErrorCode::NotFound))
            return a.error();
    }
    return r;
}

bool AccountRange::past(std::string_view code) const {
    if (end.empty()) return false;
    if (text::compare(code, end, true) <= 0) return false;
    if (endIsDetail) return true;
    return code.substr(0, end.size()) != end;
}

bool emptyRange(std::string_view start, std::string_view end) {
    if (end.empty() || start.empty()) return false;
    if (text::compare(start, end, true) <= 0) return false;
    return start.substr(0, end.size()) != end;
}

bool voucherTaken(std::string_view attribute, bool opening, bool closing, bool cancelled) {
    const std::string a = text::upperTr(text::trim(attribute));
    if (a == "ACF") return opening;
    if (a == "KPF") return closing;
    if (a == "IPT") return cancelled;
    return true;
}

int calendarMonth(int fiscalMonth, const core::Date& fiscalStart) {
    int m = fiscalMonth + app::ayFarkiOf(fiscalStart);
    while (m > 12) m -= 12;
    return m;
}

int fiscalMonthOf(const core::Date& d, const core::Date& fiscalStart) {
    int m = d.month - app::ayFarkiOf(fiscalStart);
    while (m < 1) m += 12;
    return m;
}

int codeLevels(std::string_view code) {
    const std::string c = text::clip(code);
    int n = 1;
    for (std::size_t i = 0; i < c.size(); ++i)
        if (c[i] == ' ' && (i == 0 || c[i - 1] != ' ')) ++n;
    return n;
}

std::string companyTitle(const data::Yasal& y) {
    return text::clip(y.SIRKETUNVANI1) + " " + y.SIRKETUNVANI2;
}

core::Status writeInit(output::PageWriter& w, output::PrinterKind kind, bool emphasis) {
    using output::ControlCode;
    if (kind == output::PrinterKind::Ordinary) return w.write("");
    std::string bytes = output::controlBytes(
        kind, {ControlCode::Reset, ControlCode::Elite12, ControlCode::Condensed});
    if (emphasis) bytes += output::controlBytes(kind, ControlCode::EmphasisOn);
    return w.writeControl(bytes);
}

std::vector<std::uint32_t> withFields(const data::FileDef& def, std::vector<std::uint32_t> fields,
                                      std::initializer_list<std::string_view> own) {
    for (std::string_view n : own)
        if (auto f = def.field(n)) fields.push_back(*f);
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    return fields;
}

// numeric::round(v, places) without its text round trip where that changes nothing: a sum of
// amounts whose shortest decimal form has no more than `places` decimals is the double of those
// very digits, which is what round() reads back. Only the others are rounded the general way.
double roundSum(double v, int places) {
    if (v == 0.0) return 0.0;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t e = s.find('e');
    if (r.ec != std::errc{} || e == std::string_view::npos) return core::numeric::round(v, places);
    // Significant digits without trailing zeros, and the exponent of the first one.
    std::size_t last = e;
    while (last > 0 && (s[last - 1] == '0' || s[last - 1] == '.')) --last;
    int digits = 0;
    for (std::size_t i = 0; i < last; ++i)
        if (s[i] >= '0' && s[i] <= '9') ++digits;
    // The exponent: a sign, then its digits.
    int exponent = 0;
    for (std::size_t i = e + 2; i < s.size(); ++i) exponent = exponent * 10 + (s[i] - '0');
    if (e + 1 < s.size() && s[e + 1] == '-') exponent = -exponent;
    if (digits - 1 - exponent <= places) return v;
    return core::numeric::round(v, places);
}

} // namespace hk::reports
