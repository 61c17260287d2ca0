#include "vouchers/revalue.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"
#include "vouchers/tool_common.h"

#include <map>
#include <optional>
#include <vector>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;
using detail::nextOf;

core::Result<long> FisDovizDuzelt(data::DataSet& ds, app::Ui& ui) {
    if (ui.message(revmsg::kAsk, revmsg::kCaption, app::Icon::Warning, "&Evet|&Hayır", 2) != 1)
        return core::Error::refused(revmsg::kAsk, true);
    const bool all =
        ui.message(revmsg::kAskAll, revmsg::kCaption, app::Icon::Warning, "&Evet|&Hayır", 2) == 1;

    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    auto rates = ds.open<data::DDoviz>();
    if (!rates) return rates.error();

    // The account's currency code, looked up once per account.
    std::map<std::string, std::string> currencyOf;
    auto currency = [&](const std::string& code) -> core::Result<std::string> {
        const std::string c = text::clip(code);
        if (auto it = currencyOf.find(c); it != currencyOf.end()) return it->second;
        auto acc = b.account(c);
        std::string cur;
        if (acc) cur = text::clip(acc->DOVIZKODU);
        else if (!data::is(acc.error(), data::ErrorCode::NotFound)) return acc.error();
        currencyOf[c] = cur;
        return cur;
    };
    // A stored rate of zero (or below) is taken as no rate: dividing by it would write
    // infinities into the books.
    auto rateOf = [&](const std::string& cur, core::Date d) -> core::Result<std::optional<double>> {
        data::DDoviz k;
        k.DOVIZKODU = cur;
        k.DOVIZKURTARIHI = d;
        auto r = rates->get("DDO:KyDoviz", k);
        if (!r) {
            if (data::is(r.error(), data::ErrorCode::NotFound)) return std::optional<double>{};
            return r.error();
        }
        if (!(r->DOVIZKURTUTARI > 0)) return std::optional<double>{};
        return std::optional<double>{r->DOVIZKURTUTARI};
    };

    // The line pass is one unit of work and the rebuild another: a stop between them leaves
    // recomputed lines and totals a later full rebuild brings in line.
    long rewritten = 0;
    {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        std::vector<data::FisBas> heads;
        if (auto st = b.heads.set("MFB:KeyFis"); !st) return st.error();
        data::FisBas h;
        for (;;) {
            auto more = nextOf<data::FisBas>(b.heads, h);
            if (!more) return more.error();
            if (!*more) break;
            heads.push_back(h);
        }
        long shown = 0;
        for (const auto& head : heads) {
            if (shown++ % 64 == 0)
                ui.progress(text::clip(head.FISTUR) + " " +
                                pic::format(static_cast<double>(head.FISNO), "n_10") + " " +
                                pic::format(head.FISTRH, "d06") +
                                " Döviz Değerleri Yeniden Yazılıyor..",
                            -1);
            data::FisDet from;
            from.KEYSTR = head.KEYSTR;
            from.ACKNO = INT32_MIN;
            if (auto st = b.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st)
                return st.error();
            std::vector<std::pair<data::Bookmark, data::FisDet>> changed;
            data::FisDet l;
            for (;;) {
                auto more = nextOf<data::FisDet>(b.lines, l);
                if (!more) return more.error();
                if (!*more || l.KEYSTR != head.KEYSTR) break;
                if (!isAmountLine(l)) continue;
                auto cur = currency(l.HESAPKODU);
                if (!cur) return cur.error();
                if (cur->empty()) continue;
                if (!all && l.DOVIZBORC + l.DOVIZALACAK != 0) continue;
                auto rate = rateOf(*cur, l.FISTRH);
                if (!rate) return rate.error();
                if (!*rate) continue;
                data::FisDet n = l;
                if (n.TLBORC > 0) n.DOVIZBORC = n.TLBORC / **rate;
                if (n.TLALACAK > 0) n.DOVIZALACAK = n.TLALACAK / **rate;
                changed.emplace_back(b.lines.table().bookmark(), n);
            }
            for (auto& [mark, line] : changed) {
                if (auto st = b.lines.table().reget(mark); !st) return st.error();
                if (auto st = b.lines.put(line); !st) return st.error();
                ++rewritten;
            }
        }
        if (auto st = tx.commit(); !st) return st.error();
    }
    if (auto st = YMizanDuzelt(ds, ui, false); !st) return st.error();
    return rewritten;
}

} // namespace hk::vouchers
