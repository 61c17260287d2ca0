#include "vouchers/posting.h"

#include "accounts/code.h"
#include "core/text.h"
#include "vouchers/numbering.h"

#include <algorithm>

namespace hk::vouchers {

Amounts amountsOf(const data::FisDet& l) {
    return {l.TLBORC, l.TLALACAK, l.ALTBIRIMBORC, l.ALTBIRIMALACAK, l.DOVIZBORC, l.DOVIZALACAK};
}

void addTo(data::HsPlan& h, const AccountTotals& t, double s) {
    h.ACTLBORC += s * t.opening[0];
    h.ACTLALACAK += s * t.opening[1];
    h.ACALTBIRIMBORC += s * t.opening[2];
    h.ACALTBIRIMALACAK += s * t.opening[3];
    h.ACDOVIZBORC += s * t.opening[4];
    h.ACDOVIZALACAK += s * t.opening[5];
    for (int m = 1; m <= 12; ++m) {
        const Amounts& a = t.months[static_cast<std::size_t>(m - 1)];
        data::month(h.TLBORC, m) += s * a[0];
        data::month(h.TLALACAK, m) += s * a[1];
        data::month(h.ALTBIRIMBORC, m) += s * a[2];
        data::month(h.ALTBIRIMALACAK, m) += s * a[3];
        data::month(h.DOVIZBORC, m) += s * a[4];
        data::month(h.DOVIZALACAK, m) += s * a[5];
    }
    h.KPTLBORC += s * t.closing[0];
    h.KPTLALACAK += s * t.closing[1];
    h.KPALTBIRIMBORC += s * t.closing[2];
    h.KPALTBIRIMALACAK += s * t.closing[3];
    h.KPDOVIZBORC += s * t.closing[4];
    h.KPDOVIZALACAK += s * t.closing[5];
}

AccountTotals totalsOf(const data::HsPlan& h) {
    AccountTotals t;
    t.opening = {h.ACTLBORC, h.ACTLALACAK, h.ACALTBIRIMBORC, h.ACALTBIRIMALACAK, h.ACDOVIZBORC,
                 h.ACDOVIZALACAK};
    for (int m = 1; m <= 12; ++m)
        t.months[static_cast<std::size_t>(m - 1)] = {
            data::month(h.TLBORC, m),       data::month(h.TLALACAK, m),
            data::month(h.ALTBIRIMBORC, m), data::month(h.ALTBIRIMALACAK, m),
            data::month(h.DOVIZBORC, m),    data::month(h.DOVIZALACAK, m)};
    t.closing = {h.KPTLBORC, h.KPTLALACAK, h.KPALTBIRIMBORC, h.KPALTBIRIMALACAK, h.KPDOVIZBORC,
                 h.KPDOVIZALACAK};
    return t;
}

std::vector<std::string> postingLevels(std::string_view code) {
    std::vector<std::string> out;
    for (auto& k : accounts::levelCodes(code)) {
        std::string c = core::text::clip(k);
        if (c.empty() || std::find(out.begin(), out.end(), c) != out.end()) continue;
        out.push_back(std::move(c));
    }
    return out;
}

const PostingBatch::Levels& PostingBatch::levelsOf(const std::string& code) {
    auto [lv, fresh] = levels_.try_emplace(code);
    if (fresh)
        for (const auto& level : postingLevels(code)) {
            auto [it, added] = byCode_.try_emplace(level);
            if (added) order_.push_back(level);
            lv->second.push_back(&it->second);
        }
    return lv->second;
}

void PostingBatch::post(const data::FisDet& line, std::string_view attribute, int m,
                        double sign) {
    if (!isAmountLine(line) || isCancelled(attribute)) return;
    post(levelsOf(line.HESAPKODU), line, attribute, m, sign);
}

void PostingBatch::post(const Levels& levels, const data::FisDet& line,
                        std::string_view attribute, int m, double sign) {
    if (!isAmountLine(line) || isCancelled(attribute)) return;
    const Amounts a = amountsOf(line);
    const Place place = placeOf(attribute);
    if (place == Place::Monthly && (m < 1 || m > 12)) return; // no month element to post into
    for (AccountTotals* t : levels) {
        Amounts& into = place == Place::Opening   ? t->opening
                        : place == Place::Closing ? t->closing
                                                  : t->months[static_cast<std::size_t>(m - 1)];
        for (std::size_t i = 0; i < 6; ++i) into[i] += sign * a[i];
    }
}

core::Status PostingBatch::apply(data::TypedTable<data::HsPlan>& plan) {
    for (const auto& code : order_) {
        data::HsPlan key;
        key.HESAPKODU = code;
        auto h = plan.get("HSP:KeyHesap", key);
        if (!h) {
            if (h.error().code == static_cast<int>(data::ErrorCode::NotFound)) continue;
            return h.error();
        }
        addTo(*h, byCode_.at(code));
        if (auto st = plan.put(*h); !st) return st;
    }
    byCode_.clear();
    order_.clear();
    levels_.clear();
    return {};
}

core::Status MizanaIsle(data::TypedTable<data::HsPlan>& plan, const data::FisDet& line,
                        std::string_view attribute, int m) {
    PostingBatch b;
    b.post(line, attribute, m, 1.0);
    return b.apply(plan);
}

core::Status MizandanCikar(data::TypedTable<data::HsPlan>& plan, const data::FisDet& line,
                           std::string_view attribute, int m) {
    PostingBatch b;
    b.post(line, attribute, m, -1.0);
    return b.apply(plan);
}

} // namespace hk::vouchers
