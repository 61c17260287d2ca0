#include "vouchers/line_query.h"

#include "core/text.h"
#include "data/errors.h"
#include "vouchers/csv.h"

#include <charconv>

namespace hk::vouchers {

namespace text = core::text;

namespace {

std::string folded(std::string_view s) {
    return text::upperTr(text::clip(s));
}

bool startsWith(const std::string& value, const std::string& wanted) {
    if (wanted.empty()) return true;
    const std::string v = folded(value);
    return v.compare(0, wanted.size(), wanted) == 0;
}

core::Result<std::optional<int>> wholeOf(const std::string& typed, const char* column) {
    const std::string t = text::trim(typed);
    if (t.empty()) return std::optional<int>{};
    int v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || p != t.data() + t.size())
        return core::Error::badInput(std::string(column) + ": tam sayı olmalı (" + t + ")");
    return std::optional<int>{v};
}

} // namespace

bool LineQuery::empty() const {
    return key.empty() && side.empty() && type.empty() && attribute.empty() && account.empty() &&
           description.empty() && !date && !number && !lineNo;
}

core::Result<LineQuery> parseLineQuery(const LineQueryText& t) {
    LineQuery q;
    for (const std::string* s : {&t.key, &t.side, &t.type, &t.attribute, &t.account,
                                 &t.description})
        if (!text::isCp1254(*s))
            return core::Error::badInput("Türkçe kod sayfasında olmayan karakter: " + *s);
    q.key = folded(text::trim(t.key));
    q.side = folded(text::trim(t.side));
    q.type = folded(text::trim(t.type));
    q.attribute = folded(text::trim(t.attribute));
    q.account = folded(text::trim(t.account));
    q.description = folded(text::trim(t.description));
    if (!text::trim(t.date).empty()) {
        auto d = csv::parseDate(text::trim(t.date));
        if (!d) return core::Error::badInput("Fis Trh: geçersiz tarih (" + text::trim(t.date) + ")");
        q.date = *d;
    }
    auto n = wholeOf(t.number, "Fis No");
    if (!n) return n.error();
    q.number = *n;
    auto l = wholeOf(t.lineNo, "Fis Sira No");
    if (!l) return l.error();
    q.lineNo = *l;
    return q;
}

bool matches(const LineQuery& q, const data::FisDet& l) {
    if (!startsWith(l.KEYSTR, q.key) || !startsWith(l.BORCALACAK, q.side) ||
        !startsWith(l.FISTUR, q.type) || !startsWith(l.FISNTLK, q.attribute) ||
        !startsWith(l.HESAPKODU, q.account))
        return false;
    if (!q.description.empty() && folded(l.FISACK).find(q.description) == std::string::npos)
        return false;
    if (q.date && !(l.FISTRH == *q.date)) return false;
    if (q.number && l.FISNO != *q.number) return false;
    if (q.lineNo && l.FISSIRANO != *q.lineNo) return false;
    return true;
}

const char* keyName(LineOrder o) {
    return o == LineOrder::ByKeyAndAccount ? "MFD:KeyFisDet" : "MFD:KeyFisSiraNo";
}

core::Result<std::vector<data::FisDet>> listLines(data::DataSet& ds, LineOrder order,
                                                  const std::optional<std::string>& onlyKey,
                                                  const LineQuery& q) {
    auto t = ds.open<data::FisDet>();
    if (!t) return t.error();
    std::vector<data::FisDet> out;
    auto take = [&](const data::FisDet& l) {
        if (matches(q, l)) out.push_back(l);
        return true;
    };
    core::Status st;
    if (onlyKey) {
        data::FisDet prefix;
        prefix.KEYSTR = *onlyKey;
        st = t->scanPrefix(keyName(order), prefix, 1, take);
    } else {
        if (auto s = t->set(keyName(order)); !s) return s.error();
        for (;;) {
            auto r = t->next();
            if (!r) {
                if (data::is(r.error(), data::ErrorCode::NoRecord)) break;
                return r.error();
            }
            take(*r);
        }
    }
    if (!st) return st.error();
    return out;
}

core::Result<std::vector<data::FisBas>> listHeaders(data::DataSet& ds) {
    auto t = ds.open<data::FisBas>();
    if (!t) return t.error();
    return t->collect("MFB:KeyFis", data::FisBas{}, 0);
}

} // namespace hk::vouchers
