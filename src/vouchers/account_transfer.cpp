#include "vouchers/account_transfer.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/tool_common.h"

#include <vector>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;
using detail::nextOf;
using detail::toolRefusal;

namespace {

// Vouchers per transaction: each batch is consistent on its own (lines and their postings move
// together), and few commits keep a busy account's transfer fast.
constexpr std::size_t kBatch = 256;

struct Head {
    std::string key;
    std::string attribute;
    int month = 0;
    std::string shown;
};

core::Result<std::vector<Head>> headsInRange(Books& b, const TransferRange& r) {
    std::vector<Head> out;
    data::FisBas h;
    if (r.fromMonth > 0) {
        data::FisBas from;
        from.KEYSTR = pic::format(static_cast<double>(r.fromMonth), "n02");
        if (auto st = b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st)
            return st.error();
    } else if (r.fromDate.isSet()) {
        data::FisBas from;
        from.FISTRH = r.fromDate;
        if (auto st = b.heads.set("MFB:KeyTarih", data::Seek::AtOrAfter, from); !st)
            return st.error();
    } else if (auto st = b.heads.set("MFB:KeyTarih"); !st) {
        return st.error();
    }
    for (;;) {
        auto more = nextOf<data::FisBas>(b.heads, h);
        if (!more) return more.error();
        if (!*more) break;
        const int m = keyMonth(h.KEYSTR);
        if (r.fromMonth > 0) {
            if (r.toMonth > 0 && m > r.toMonth) break;
        } else if (r.toDate.isSet() && r.toDate < h.FISTRH) {
            break;
        }
        // A parked voucher (key pair above 12, waiting for "Fiş Sırala Düzelt") has no month
        // slot to post into; it keeps its lines until it is numbered again.
        if (m < 1 || m > 12) continue;
        out.push_back(Head{h.KEYSTR, h.FISNTLK, m,
                           pic::format(h.FISTRH, "d6b") + " " + std::to_string(h.FISNO)});
    }
    return out;
}

} // namespace

core::Result<TransferResult> accountTransfer(data::DataSet& ds, app::Ui& ui,
                                             const std::string& sourceCode,
                                             const std::string& targetCode,
                                             const TransferRange& range) {
    const std::string source = text::clip(sourceCode);
    const std::string target = text::clip(targetCode);
    if (range.fromMonth < 0 || range.fromMonth > 12 || range.toMonth < 0 || range.toMonth > 12)
        return core::Error::badInput("Dönem Başı ve Sonu 1 ile 12 arasında olmalı");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    {
        auto src = b.account(source);
        if (!src && !data::is(src.error(), data::ErrorCode::NotFound)) return src.error();
        if (!src) return toolRefusal(ui, source + accmsg::kNotFound);
        if (text::clip(src->NTLK) != "M") return toolRefusal(ui, accmsg::kOnlyDetail);
    }
    if (target == source) return toolRefusal(ui, accmsg::kSameCode);
    {
        auto dst = b.account(target);
        if (!dst && !data::is(dst.error(), data::ErrorCode::NotFound)) return dst.error();
        if (!dst) return toolRefusal(ui, target + accmsg::kNotFound);
        if (text::clip(dst->NTLK) != "M") return toolRefusal(ui, accmsg::kTargetNotDetail);
    }
    auto heads = headsInRange(b, range);
    if (!heads) return heads.error();

    TransferResult result;
    std::size_t i = 0;
    while (i < heads->size()) {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        PostingBatch batch;
        for (std::size_t n = 0; n < kBatch && i < heads->size(); ++n, ++i) {
            const Head& h = (*heads)[i];
            data::FisDet from;
            from.KEYSTR = h.key;
            from.HESAPKODU = source;
            from.ACKNO = INT32_MIN;
            if (auto st = b.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st)
                return st.error();
            std::vector<std::pair<data::Bookmark, data::FisDet>> found;
            data::FisDet l;
            for (;;) {
                auto more = nextOf<data::FisDet>(b.lines, l);
                if (!more) return more.error();
                if (!*more || l.KEYSTR != h.key || text::clip(l.HESAPKODU) != source) break;
                found.emplace_back(b.lines.table().bookmark(), l);
            }
            if (found.empty()) continue;
            for (auto& [mark, line] : found) {
                batch.post(line, h.attribute, h.month, -1.0);
                line.HESAPKODU = target;
                if (auto st = b.lines.table().reget(mark); !st) return st.error();
                if (auto st = b.lines.put(line); !st) return st.error();
                batch.post(line, h.attribute, h.month, 1.0);
                ++result.lines;
            }
            ++result.vouchers;
            if (result.vouchers % 64 == 1) ui.progress(h.shown, -1);
        }
        if (auto st = batch.apply(b.plan); !st) return st.error();
        if (auto st = tx.commit(); !st) return st.error();
    }
    ui.progressDone();
    return result;
}

} // namespace hk::vouchers
