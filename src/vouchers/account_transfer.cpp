#include "vouchers/account_transfer.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/tool_common.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;
using detail::toolRefusal;

namespace {

// Vouchers per transaction: each batch is consistent on its own (lines and their postings move
// together), and few commits keep a busy account's transfer fast.
constexpr std::size_t kBatch = 2048;

// Whether a voucher lies in the range: its key month in the months, or its date between the
// dates (either end open when not given).
bool inRange(const data::FisBas& h, const TransferRange& r) {
    const int m = keyMonth(h.KEYSTR);
    // A parked voucher (key pair above 12, waiting for "Fiş Sırala Düzelt") has no month slot
    // to post into; it keeps its lines until it is numbered again.
    if (m < 1 || m > 12) return false;
    if (r.fromMonth > 0) return m >= r.fromMonth && (r.toMonth == 0 || m <= r.toMonth);
    if (r.fromDate.isSet() && h.FISTRH < r.fromDate) return false;
    return !r.toDate.isSet() || !(r.toDate < h.FISTRH);
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
    // The source account's lines in voucher-key order, through FisDet's account index: a busy
    // account costs its own lines, not a probe into every voucher of the year. Only what a move
    // uses is read: the fields of the key it changes and of the postings (lines), the key, date
    // and attribute (headers).
    data::NarrowReads lineFields(b.lines, {"KEYSTR", "HESAPKODU", "ACKNO", "TLBORC", "TLALACAK",
                                           "ALTBIRIMBORC", "ALTBIRIMALACAK", "DOVIZBORC",
                                           "DOVIZALACAK"});
    if (!lineFields.ok()) return lineFields.status().error();
    data::NarrowReads headFields(b.heads, {"KEYSTR", "FISTRH", "FISNO", "FISNTLK"});
    if (!headFields.ok()) return headFields.status().error();
    // Listed compactly (a busy account has a hundred thousand lines): where each stands and the
    // fields read, in place of whole records.
    struct Listed {
        std::int64_t row;
        std::int32_t ACKNO;
        std::string KEYSTR, HESAPKODU;
        double TLBORC, TLALACAK, ALTBIRIMBORC, ALTBIRIMALACAK, DOVIZBORC, DOVIZALACAK;
    };
    std::vector<Listed> found;
    {
        data::FisDet l;
        auto st = b.lines.table().readWhere(
            "MFD:KeyFisDet", "HESAPKODU", source,
            [&](const data::Record& r, const data::Bookmark& mark) -> core::Result<bool> {
                data::fromRecord(r, l);
                found.push_back({mark.row, l.ACKNO, l.KEYSTR, l.HESAPKODU, l.TLBORC, l.TLALACAK,
                                 l.ALTBIRIMBORC, l.ALTBIRIMALACAK, l.DOVIZBORC, l.DOVIZALACAK});
                return true;
            });
        if (!st) return st.error();
    }
    // A listed line as the lines table reads it (the fields read; the others blank).
    auto asLine = [](const Listed& x, data::FisDet& l) {
        l.KEYSTR = x.KEYSTR;
        l.HESAPKODU = x.HESAPKODU;
        l.ACKNO = x.ACKNO;
        l.TLBORC = x.TLBORC;
        l.TLALACAK = x.TLALACAK;
        l.ALTBIRIMBORC = x.ALTBIRIMBORC;
        l.ALTBIRIMALACAK = x.ALTBIRIMALACAK;
        l.DOVIZBORC = x.DOVIZBORC;
        l.DOVIZALACAK = x.DOVIZALACAK;
    };
    data::Table& lines = b.lines.table();
    data::Record was(lines.def()), now(lines.def());
    // Moves a line listed (or read again) as `line` to the target account where it stands,
    // provided it still holds what was read; false when it does not.
    auto move = [&](const data::Bookmark& mark, const data::FisDet& line) -> core::Result<bool> {
        data::FisDet moved = line;
        moved.HESAPKODU = target;
        if (auto st = data::toRecord(line, was); !st) return st.error();
        if (auto st = data::toRecord(moved, now); !st) return st.error();
        return lines.putChanges(mark, was, now);
    };

    // The vouchers (runs of lines with one key) in the order their lines are stored, each moved
    // whole in one unit of work. A page is written to the log once per commit that changed it:
    // in key order a unit's lines may lie all over the file (vouchers are stored in the order
    // they were entered, which their keys need not follow), in stored order on pages of their
    // own.
    struct Run {
        std::size_t first, end;
        std::int64_t row;
    };
    std::vector<Run> runs;
    for (std::size_t at = 0; at < found.size();) {
        Run r{at, at, INT64_MAX};
        const std::string& key = found[at].KEYSTR;
        while (r.end < found.size() && found[r.end].KEYSTR == key)
            r.row = std::min(r.row, found[r.end++].row);
        at = r.end;
        runs.push_back(r);
    }
    std::stable_sort(runs.begin(), runs.end(),
                     [](const Run& x, const Run& y) { return x.row < y.row; });

    TransferResult result;
    std::size_t i = 0;
    while (i < runs.size()) {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        PostingBatch batch;
        for (std::size_t n = 0; n < kBatch && i < runs.size(); ++n) {
            // One voucher: the run of lines with its key.
            const std::size_t first = runs[i].first, end = runs[i].end;
            const std::string key = found[first].KEYSTR;
            ++i;
            auto h = b.head(key);
            if (!h) {
                if (data::is(h.error(), data::ErrorCode::NotFound)) continue; // lines of no voucher
                return h.error();
            }
            if (!inRange(*h, range)) continue;
            const int month = keyMonth(h->KEYSTR);
            for (std::size_t j = first; j < end; ++j) {
                data::Bookmark mark;
                mark.key = -1; // the line's place in the file
                mark.row = found[j].row;
                data::FisDet listed;
                asLine(found[j], listed);
                // The lines were listed before this unit of work: another program may have
                // changed or deleted one since. A line still as listed is moved at once; else
                // it is moved as it is stored now, and only while it still is a line of this
                // account in this voucher; a deleted one is gone.
                auto moved = move(mark, listed);
                if (!moved) return moved.error();
                data::FisDet line = listed;
                if (!*moved) {
                    if (auto st = lines.reget(mark); !st) {
                        if (data::is(st.error(), data::ErrorCode::NotFound)) continue;
                        return st.error();
                    }
                    line = b.lines.current();
                    if (line.HESAPKODU != listed.HESAPKODU || line.KEYSTR != listed.KEYSTR)
                        continue;
                    moved = move(mark, line);
                    if (!moved) return moved.error();
                    if (!*moved) continue; // read in this unit of work: cannot have changed
                }
                batch.post(line, h->FISNTLK, month, -1.0);
                line.HESAPKODU = target;
                batch.post(line, h->FISNTLK, month, 1.0);
                ++result.lines;
            }
            ++result.vouchers;
            if (result.vouchers % 64 == 1)
                ui.progress(pic::format(h->FISTRH, "d6b") + " " + std::to_string(h->FISNO), -1);
        }
        if (auto st = batch.apply(b.plan); !st) return st.error();
        if (auto st = tx.commit(); !st) return st.error();
    }
    ui.progressDone();
    return result;
}

} // namespace hk::vouchers
