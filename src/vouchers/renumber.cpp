#include "vouchers/renumber.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"
#include "vouchers/tool_common.h"
#include "vouchers/worklines.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;
using detail::nextOf;
using detail::toolRefusal;

namespace {

// Progress lines: the first voucher and then one in kEvery, so a month of many thousand vouchers
// does not spend its time painting the progress window.
constexpr long kEvery = 64;

std::string pair(int n) {
    return pic::format(static_cast<double>(n), "n02");
}

std::string voucherText(const data::FisBas& h, const char* tail) {
    return text::clip(h.FISTUR) + " " + pic::format(static_cast<double>(h.FISNO), "n_10") + " " +
           pic::format(h.FISTRH, "d06") + tail;
}

bool numberingChosen(const data::Yasal& y) {
    const std::string order = text::clip(y.FISNOSIRASI);
    const std::string scheme = text::clip(y.FISNUMARALAMADUZENI);
    return (order == "A" || order == "G") && (scheme == "B" || scheme == "A");
}

// Keys of the headers whose first key pair is `first`, in key order.
core::Result<std::vector<data::FisBas>> headsOfPair(Books& b, int first) {
    std::vector<data::FisBas> out;
    data::FisBas from;
    from.KEYSTR = pair(first);
    if (auto st = b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st) return st.error();
    data::FisBas h;
    for (;;) {
        auto more = nextOf<data::FisBas>(b.heads, h);
        if (!more) return more.error();
        if (!*more || keyMonth(h.KEYSTR) != first) break;
        out.push_back(h);
    }
    return out;
}

// Vouchers moved per unit of work while parking, and while finishing vouchers parked by an
// earlier run. A unit holds whole vouchers only, so an interruption still leaves each voucher
// whole, either where it was or moved (parked ones are completed by FisSiralaDuzelt); one commit
// per voucher made a month of thousands of vouchers wait for as many disk flushes. Both take the
// vouchers in key order, in which their lines lie together in the file (they are stored in the
// order they were entered), so each unit changes pages of its own.
constexpr std::size_t kBatch = 2000;

// The page cache of a renumbering: its numbering changes the lines of a whole month in one unit
// of work (finishAll), some 10,000 pages of 16 KiB for a month of 300,000 lines.
constexpr std::int64_t kRenumberCache = std::int64_t{256} << 20;

// Lines with the places they stand at in the file.
using Placed = std::vector<std::pair<data::Bookmark, data::FisDet>>;

// The lines of a voucher are those its key finds, and the keys do not tell upper from lower case.
std::string lineGroup(const std::string& key) {
    return text::upperTr(key);
}

// A voucher's lines in line-number order, each with its place in the file, read in one pass
// over its key range and before any of them is written: a write in the middle of a scan would
// make the scan read its rows again.
core::Result<Placed> placedLines(Books& b, const std::string& key) {
    Placed out;
    data::FisDet prefix;
    prefix.KEYSTR = key;
    auto st = b.lines.scanPrefix("MFD:KeyFisSiraNo", prefix, 1, [&](const data::FisDet& l) {
        out.emplace_back(b.lines.table().bookmark(), l);
    });
    if (!st) return st.error();
    return out;
}

// The lines of the vouchers whose keys run from `first` to `last` (key order), read in one pass
// over that range into `out`, whose keys (lineGroup of the voucher keys) name the vouchers wanted;
// lines of other keys in the range are left out. A pass per voucher would read ahead past each
// voucher's last line.
core::Status placedLinesOfRange(Books& b, const std::string& first, const std::string& last,
                                std::unordered_map<std::string, Placed>& out) {
    data::FisDet from, to;
    from.KEYSTR = first;
    from.FISSIRANO = INT16_MIN;
    from.ACKNO = INT32_MIN;
    to.KEYSTR = last;
    to.FISSIRANO = INT16_MAX;
    to.ACKNO = INT32_MAX;
    return b.lines.scan("MFD:KeyFisSiraNo", from, to, [&](const data::FisDet& l) {
        auto it = out.find(lineGroup(l.KEYSTR));
        if (it != out.end()) it->second.emplace_back(b.lines.table().bookmark(), l);
    });
}

// The fields a move reads of a line, and all it changes: the keys' parts, the voucher number,
// the TL amounts and the debit/credit marker. A line's other 18 fields are neither read nor
// written.
const std::initializer_list<std::string_view> kMoved = {
    "KEYSTR", "FISSIRANO", "HESAPKODU", "TLBORC", "TLALACAK", "FISNO", "ACKNO", "BORCALACAK"};

// A line as parking left it (its fields of kMoved; the key is the parked voucher's) and where it
// stands.
struct KeptLine {
    std::int64_t row = 0;
    int bookmarkKey = 0;
    std::int16_t FISSIRANO = 0;
    std::int16_t FISNO = 0;
    std::int32_t ACKNO = 0;
    double TLBORC = 0;
    double TLALACAK = 0;
    std::string HESAPKODU;
    std::string BORCALACAK;
};

// Where the lines of the vouchers parked by this run stand and what they hold, by parked key:
// the numbering moves them again without reading them.
using Places = std::unordered_map<std::string, std::vector<KeptLine>>;

KeptLine keep(const data::Bookmark& mark, const data::FisDet& l) {
    return {mark.row, mark.key, l.FISSIRANO, l.FISNO, l.ACKNO, l.TLBORC, l.TLALACAK,
            l.HESAPKODU, l.BORCALACAK};
}

// The lines of a parked voucher as this run parked them, to be moved on as they are provided
// they still are (moveVoucher checks that).
Placed keptLines(const std::string& key, const std::vector<KeptLine>& kept) {
    Placed out;
    out.reserve(kept.size());
    for (const KeptLine& k : kept) {
        data::Bookmark mark;
        mark.key = k.bookmarkKey;
        mark.row = k.row;
        data::FisDet l;
        l.KEYSTR = key;
        l.FISSIRANO = k.FISSIRANO;
        l.HESAPKODU = k.HESAPKODU;
        l.TLBORC = k.TLBORC;
        l.TLALACAK = k.TLALACAK;
        l.FISNO = k.FISNO;
        l.ACKNO = k.ACKNO;
        l.BORCALACAK = k.BORCALACAK;
        out.emplace_back(std::move(mark), std::move(l));
    }
    return out;
}

// Record buffers of FisDet kept for the moves, so a line's move allocates none: each line of a
// voucher as read (to put it back), and the line as moved.
struct LineBuffers {
    std::vector<data::Record> was;
    data::Record now{data::Layout::FisDet};
    data::Record& wasOf(std::size_t i) {
        while (was.size() <= i) was.emplace_back(data::Layout::FisDet);
        return was[i];
    }
};

// A record read in this unit of work that no longer holds what was read: nothing else writes
// inside it, so this is the engine's fault, not another program's.
core::Error changedMeanwhile(data::Table& t, const std::string& key) {
    return data::engineError(data::ErrorCode::EngineError, t.name(),
                             "okunan kayıt değişmiş: " + key, 25);
}

// Moves one voucher to `newKey` / `newNo` inside the caller's transaction: lines get the key and
// number, amount lines their TL amounts rounded to two decimals and the debit/credit marker,
// description lines no TL amount; the header gets the totals of the moved lines.
//
// Each line is rewritten where it stands (its key columns change in place) rather than deleted
// and added again: a voucher is moved twice per renumbering, and a delete and an insert cost
// twice the index work of one update. Lines keep their physical place (their places stay valid
// after the move); their order under each key is the order of the key's own fields, as before.
// `lines` are the voucher's lines in line-number order, and `at` the place of its header as read
// in this transaction.
//
// A line is changed where it stands only while it still holds what `lines` say (Table::
// putChanges): lines read in this transaction always do; lines kept from the parking may have
// been changed by another program since. When one does not, the lines moved before it are put
// back and the result is false: nothing of the voucher has moved, and the caller reads its lines
// again. `lines` hold the fields of kMoved, as the lines table reads them.
core::Result<bool> moveLines(data::Table& t, LineBuffers& buf, Placed& lines, data::FisBas& h,
                             const std::string& oldKey) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto& [mark, l] = lines[i];
        data::Record& was = buf.wasOf(i);
        if (auto st = data::toRecord(l, was); !st) return st.error();
        l.KEYSTR = h.KEYSTR;
        l.FISNO = h.FISNO;
        if (isAmountLine(l)) {
            l.TLBORC = roundCents(l.TLBORC);
            l.TLALACAK = roundCents(l.TLALACAK);
            h.BTOPLAM += l.TLBORC;
            h.ATOPLAM += l.TLALACAK;
            l.BORCALACAK = l.TLBORC == 0 ? "A" : "B";
        } else {
            l.TLBORC = 0;
            l.TLALACAK = 0;
        }
        if (auto st = data::toRecord(l, buf.now); !st) return st.error();
        auto moved = t.putChanges(mark, was, buf.now);
        if (!moved) return moved.error();
        if (*moved) continue;
        // Changed since it was read: the lines moved already go back as they were.
        while (i-- > 0) {
            if (auto st = data::toRecord(lines[i].second, buf.now); !st) return st.error();
            auto back = t.putChanges(lines[i].first, buf.now, buf.was[i]);
            if (!back) return back.error();
            if (!*back)
                return data::engineError(data::ErrorCode::EngineError, t.name(),
                                         "satır geri alınamadı: " + oldKey, 25);
        }
        return false;
    }
    return true;
}

core::Result<bool> moveVoucher(Books& b, LineBuffers& buf, const data::FisBas& head,
                               const data::Bookmark& at, Placed& lines, const std::string& newKey,
                               std::int16_t newNo) {
    data::FisBas h = head;
    h.KEYSTR = newKey;
    h.FISNO = newNo;
    h.BTOPLAM = 0;
    h.ATOPLAM = 0;
    auto moved = moveLines(b.lines.table(), buf, lines, h, head.KEYSTR);
    if (!moved || !*moved) return moved;
    // The header changes where it stands (read in this unit of work already, so still as
    // read) once its old key has no lines left. A line left there was not among `lines`: one
    // another program added to a voucher parked by an earlier unit. It is moved as the others,
    // read from the old key now, and counted in the totals.
    for (bool again = true;; again = false) {
        auto headMoved = b.heads.putChanges(at, head, h);
        if (headMoved && *headMoved) return true;
        if (headMoved) return changedMeanwhile(b.heads.table(), head.KEYSTR);
        if (!again || !data::is(headMoved.error(), data::ErrorCode::RelatedRecords))
            return headMoved.error();
        auto rest = placedLines(b, head.KEYSTR);
        if (!rest) return rest.error();
        auto restMoved = moveLines(b.lines.table(), buf, *rest, h, head.KEYSTR);
        if (!restMoved) return restMoved.error();
        if (!*restMoved) return changedMeanwhile(b.lines.table(), head.KEYSTR);
    }
}

core::Status stopped() {
    return core::Error::refused(
        "Fiş sıralama durduruldu; park edilen fişleri \"Fiş Sırala Düzelt\" tamamlar.", false);
}

// A parked voucher and the month whose next number it gets.
struct Parked {
    std::string key;
    int month = 0;
};

// One parked voucher's new place, drawn but not yet taken, and where its header stands.
struct Move {
    data::FisBas head;
    data::Bookmark at;
    Drawn drawn;
};

// Draws the next number of its month for one parked voucher inside the caller's transaction; `y`
// is the company record as this batch has drawn from it so far, `drawnHere` the keys this batch
// has drawn already (taken as soon as their moves are made, which come after the drawing).
core::Status drawOne(Books& b, app::Ui& ui, data::Yasal& y, const Parked& p,
                     std::set<std::string>& drawnHere, std::vector<Move>& moves) {
    auto h = b.head(p.key);
    if (!h) {
        if (data::is(h.error(), data::ErrorCode::NotFound)) return {}; // moved meanwhile
        return h.error();
    }
    data::Bookmark at = b.heads.table().bookmark();
    Drawn drawn;
    for (;;) {
        int bad = 0;
        auto d = FisNoAl(y, h->FISTRH.day, p.month, h->FISTUR, &bad);
        if (!d) {
            if (bad != 0) ui.message(std::to_string(bad), {}, app::Icon::Warning, "&Tamam", 1);
            return d.error();
        }
        drawn = *d;
        if (drawnHere.count(drawn.key) != 0) continue;
        auto taken = b.headExists(drawn.key);
        if (!taken) return taken.error();
        if (!*taken) break;
    }
    drawnHere.insert(drawn.key);
    moves.push_back({std::move(*h), std::move(at), std::move(drawn)});
    return {};
}

// Numbers the parked vouchers in the given order, `batch` of them per unit of work; the counters
// are written with each unit.
//
// Inside a unit the numbers are drawn in the given order (the date order of a renumbering) and
// the moves are then made in the order of the parked keys: the unit commits as one, so the
// order of its moves is never seen, and in key order they read and write the file's pages where
// they lie together instead of all over it. A page is written to the log once per commit that
// changed it, so a renumbering numbers its whole month in one unit: in date order, a unit of a
// few thousand vouchers already changes a line on nearly every page of the lines, and a month
// in fifteen such units wrote the whole table fifteen times over.
//
// A cancel while numbers are drawn numbers the vouchers drawn so far and commits them (the
// first ones of the given order, so the numbers stay without gaps); a cancel while they are
// moved rolls the unit back, leaving its vouchers parked. Either way the result is stopped().
core::Status finishAll(Books& b, app::Ui& ui, const std::vector<Parked>& todo, const char* tail,
                       bool cancellable, std::size_t batch, int* finished = nullptr,
                       const Places* known = nullptr) {
    data::NarrowReads few(b.lines, kMoved);
    if (!few.ok()) return few.status();
    LineBuffers buf;
    std::size_t i = 0;
    std::vector<Move> moves;
    std::set<std::string> drawnHere;
    while (i < todo.size()) {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started();
        auto company = b.readCompany();
        if (!company) return company.error();
        data::Yasal y = *company;
        bool stop = false;
        moves.clear();
        drawnHere.clear();
        int drawn = 0;
        for (std::size_t n = 0; n < batch && i < todo.size(); ++n, ++i) {
            if (cancellable && ui.cancelled()) {
                stop = true;
                break;
            }
            if (auto st = drawOne(b, ui, y, todo[i], drawnHere, moves); !st) return st;
            ++drawn;
        }
        std::sort(moves.begin(), moves.end(), [](const Move& x, const Move& z) {
            return x.head.KEYSTR < z.head.KEYSTR;
        });
        long k = 0;
        for (const auto& mv : moves) {
            if (k++ % kEvery == 0) {
                data::FisBas now = mv.head;
                now.FISNO = mv.drawn.number;
                ui.progress(voucherText(now, tail), -1);
                // The unit rolls back; once a cancel stopped the drawing, its moves are made.
                if (cancellable && !stop && ui.cancelled()) return stopped();
            }
            // The lines as this run parked them, when it did: moved on without reading them
            // again, unless another program changed one since; then, as any other parked
            // voucher's, read from its key range. Only a renumbering moves a parked voucher's
            // lines, and the header's key change would carry along any line left under the old
            // key, so the voucher stays whole either way.
            if (known) {
                if (auto it = known->find(mv.head.KEYSTR); it != known->end()) {
                    Placed kept = keptLines(mv.head.KEYSTR, it->second);
                    auto moved =
                        moveVoucher(b, buf, mv.head, mv.at, kept, mv.drawn.key, mv.drawn.number);
                    if (!moved) return moved.error();
                    if (*moved) continue;
                }
            }
            auto lines = placedLines(b, mv.head.KEYSTR);
            if (!lines) return lines.error();
            auto moved =
                moveVoucher(b, buf, mv.head, mv.at, *lines, mv.drawn.key, mv.drawn.number);
            if (!moved) return moved.error();
            if (!*moved) return changedMeanwhile(b.lines.table(), mv.head.KEYSTR);
        }
        if (auto st = b.writeCompany(y); !st) return st;
        if (auto st = tx.commit(); !st) return st;
        if (finished) *finished += drawn;
        if (stop) return stopped();
    }
    return {};
}

core::Status resetCounters(Books& b, int m) {
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    auto company = b.readCompany();
    if (!company) return company.error();
    data::Yasal y = *company;
    if (text::clip(y.FISNOSIRASI) == "G") {
        // The slots of month m by the rule FisNoAl draws them with, so the reset and the next
        // draw agree whatever month the period starts in.
        const int first = std::max(1, daySlot(y, m, 1));
        const int last = std::min(366, daySlot(y, m + 1, 1) - 1);
        for (int s = first; s <= last; ++s) {
            data::element(y.MAHSUPNUMARATOR, s) = 0;
            data::element(y.TAHSILNUMARATOR, s) = 0;
            data::element(y.TEDIYENUMARATOR, s) = 0;
        }
    } else {
        data::element(y.MAHSUPNUMARATOR, m) = 0;
        data::element(y.TAHSILNUMARATOR, m) = 0;
        data::element(y.TEDIYENUMARATOR, m) = 0;
    }
    if (auto st = b.writeCompany(y); !st) return st;
    return tx.commit();
}

} // namespace

std::string journalisedMonthMessage(int m) {
    return std::to_string(m) + " Ay Fişleri İçinde Yevmiyesi Çekilmiş Fişler Var Sıralama Yapılamaz..";
}

core::Status FisSirala(data::DataSet& ds, app::Ui& ui, int m, StopAt stop) {
    if (m < 1 || m > 12) return core::Error::badInput("Ay 1 ile 12 arasında olmalı");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::LargeCache cache{*b.db, kRenumberCache};
    {
        auto company = b.readCompany();
        if (!company) return company.error();
        if (!numberingChosen(*company)) return toolRefusal(ui, std::string(kNumberingUnset));
    }
    auto month = headsOfPair(b, m);
    if (!month) return month.error();
    for (const auto& h : *month)
        if (h.YEVMIYENO != 0) return toolRefusal(ui, journalisedMonthMessage(m));

    // Vouchers an earlier, interrupted run left parked are finished first: parking this month's
    // vouchers next to them could otherwise meet a parked key that is taken.
    auto earlier = headsOfPair(b, kParkingBase + m);
    if (!earlier) return earlier.error();
    {
        std::vector<Parked> todo;
        for (const auto& h : *earlier)
            if (h.YEVMIYENO == 0) todo.push_back({h.KEYSTR, m});
        if (auto st = finishAll(b, ui, todo, " Fişi Sıralanıyor.", false, kBatch); !st)
            return st;
    }
    if (!earlier->empty()) {
        month = headsOfPair(b, m);
        if (!month) return month.error();
    }

    // Parking, kBatch vouchers per transaction; a cancel keeps the vouchers parked so far. The
    // lines of a batch are read in one pass over its key range, and where they stand is kept
    // for the numbering, which then reads each line once by its place.
    Places places;
    std::unordered_map<std::string, Placed> batchLines;
    data::NarrowReads few(b.lines, kMoved);
    if (!few.ok()) return few.status();
    LineBuffers buf;
    long shown = 0;
    for (std::size_t i = 0; i < month->size();) {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started();
        const std::size_t end = std::min(month->size(), i + static_cast<std::size_t>(kBatch));
        batchLines.clear();
        for (std::size_t k = i; k < end; ++k) batchLines[lineGroup((*month)[k].KEYSTR)];
        if (auto st =
                placedLinesOfRange(b, (*month)[i].KEYSTR, (*month)[end - 1].KEYSTR, batchLines);
            !st)
            return st;
        bool stop = false;
        for (; i < end; ++i) {
            if (ui.cancelled()) {
                stop = true;
                break;
            }
            auto cur = b.head((*month)[i].KEYSTR);
            if (!cur) return cur.error();
            const data::Bookmark at = b.heads.table().bookmark();
            if (shown++ % kEvery == 0)
                ui.progress(voucherText(*cur, " Fişi Yedekleniyor..."), -1);
            const std::string parked = pair(kParkingBase + m) + text::sub(cur->KEYSTR, 3, 8);
            Placed& lines = batchLines[lineGroup(cur->KEYSTR)];
            auto moved = moveVoucher(b, buf, *cur, at, lines, parked, cur->FISNO);
            if (!moved) return moved.error();
            if (!*moved) return changedMeanwhile(b.lines.table(), cur->KEYSTR);
            auto& kept = places[parked];
            kept.clear();
            for (const auto& [mark, l] : lines) kept.push_back(keep(mark, l));
        }
        if (auto st = tx.commit(); !st) return st;
        if (stop) return stopped();
    }
    if (auto st = resetCounters(b, m); !st) return st;
    if (stop == StopAt::AfterParking) return stopped();

    // Renumbering in date order, then number, over the calendar month of m.
    auto company = b.readCompany();
    if (!company) return company.error();
    const data::Yasal y = *company;
    const int c = calendarMonthOfFiscal(m, ayFarki(y));
    const int year = c >= y.MALIDONEMBAS.month ? y.MALIDONEMBAS.year : y.MALIDONEMSON.year;
    std::vector<std::string> order;
    {
        data::FisBas from;
        from.FISTRH = core::Date::make(c, 1, year);
        from.FISNO = INT16_MIN;
        if (auto st = b.heads.set("MFB:KeyMuavin", data::Seek::AtOrAfter, from); !st) return st;
        data::FisBas h;
        for (;;) {
            auto more = nextOf<data::FisBas>(b.heads, h);
            if (!more) return more.error();
            if (!*more || h.FISTRH.month != c || h.FISTRH.year != year) break;
            if (keyMonth(h.KEYSTR) == kParkingBase + m) order.push_back(h.KEYSTR);
        }
    }
    // A parked voucher whose date lies outside its month (a transfer does not check the date)
    // is not met by the date walk; it is numbered after the others instead of staying parked.
    {
        auto rest = headsOfPair(b, kParkingBase + m);
        if (!rest) return rest.error();
        // Looked up in a set: a search of the list per parked voucher made a month of 28,000
        // vouchers compare keys 400 million times.
        std::unordered_set<std::string> met(order.begin(), order.end());
        for (const auto& h : *rest)
            if (met.insert(h.KEYSTR).second) order.push_back(h.KEYSTR);
    }
    std::vector<Parked> todo;
    todo.reserve(order.size());
    for (auto& key : order) todo.push_back({std::move(key), m});
    if (auto st = finishAll(b, ui, todo, " Fişi Sıralanıyor.", true, SIZE_MAX, nullptr,
                                &places);
        !st)
        return st;
    ui.progressDone();
    return {};
}

core::Result<int> FisSiralaDuzelt(data::DataSet& ds, app::Ui& ui) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    std::vector<data::FisBas> parked;
    {
        data::FisBas from;
        from.KEYSTR = pair(kParkingBase);
        if (auto st = b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st)
            return st.error();
        data::FisBas h;
        for (;;) {
            auto more = nextOf<data::FisBas>(b.heads, h);
            if (!more) return more.error();
            if (!*more) break;
            parked.push_back(h);
        }
    }
    int finished = 0;
    std::vector<Parked> todo;
    for (const auto& h : parked) {
        const int m = keyMonth(h.KEYSTR) - kParkingBase;
        // Only pairs 81..92 are parking places; anything else is not ours to renumber.
        if (h.YEVMIYENO != 0 || m < 1 || m > 12) continue;
        todo.push_back({h.KEYSTR, m});
    }
    if (auto st = finishAll(b, ui, todo, " Fişi Sıralanıyor. ", false, kBatch, &finished);
        !st)
        return st.error();
    ui.progressDone();
    return finished;
}

namespace {

// The voucher's lines in the order of the voucher form, in the caller's transaction. Description
// lines without an amount line of their own are kept at the end, never dropped.
core::Status sortVoucher(Books& b, const std::string& key, bool debitDescending) {
    auto lines = b.linesOf(key);
    if (!lines) return lines.error();
    Lines sorted = *lines;
    sortLines(sorted, debitDescending);
    if (sorted.size() != lines->size()) {
        int k = lastLineNumber(sorted);
        for (const auto& l : *lines) {
            if (isAmountLine(l)) continue;
            const bool owned = std::any_of(lines->begin(), lines->end(), [&](const auto& a) {
                return isAmountLine(a) && a.ACKNO / 100 == l.ACKNO / 100;
            });
            if (owned) continue;
            data::FisDet o = l;
            ++k;
            o.FISSIRANO = static_cast<std::int16_t>(k);
            o.ACKNO = k * 100 + std::max(1, l.ACKNO % 100);
            sorted.push_back(o);
        }
    }
    if (auto st = b.eraseLines(key); !st) return st;
    for (const auto& l : sorted)
        if (auto st = b.lines.add(l); !st) return st;
    return {};
}

} // namespace

core::Status FisIciSiralaOne(data::DataSet& ds, std::string_view key, bool debitDescending) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    data::Transaction tx{*books->db};
    if (!tx.started()) return tx.started();
    auto h = detail::readHead(*books, key);
    if (!h) return h.error();
    if (h->YEVMIYENO != 0)
        return core::Error::refused("Yevmiyesi Çekilen Fişte Değişiklik Yapamazsınız..");
    if (auto st = sortVoucher(*books, h->KEYSTR, debitDescending); !st) return st;
    return tx.commit();
}

core::Result<int> FisIciSirala(data::DataSet& ds, app::Ui& ui, int first, int last,
                               bool debitDescending) {
    if (first < 1 || first > 12 || last < 1 || last > 12 || first > last)
        return core::Error::badInput("Dönem Başı ve Sonu 1 ile 12 arasında olmalı, Başı <= Sonu");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    std::vector<data::FisBas> todo;
    for (int m = first; m <= last; ++m) {
        auto month = headsOfPair(b, m);
        if (!month) return month.error();
        for (auto& h : *month)
            if (h.YEVMIYENO == 0) todo.push_back(std::move(h));
    }
    long shown = 0;
    int sorted = 0;
    for (const auto& h : todo) {
        if (ui.cancelled()) break; // each voucher is whole, so a stop loses nothing
        if (shown++ % kEvery == 0)
            ui.progress(pic::format(h.FISTRH, "d6") + " " + std::to_string(h.FISNO) +
                            " Fiş İçi Sıralanıyor..",
                        -1);
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        if (auto st = sortVoucher(b, h.KEYSTR, debitDescending); !st) return st.error();
        if (auto st = tx.commit(); !st) return st.error();
        ++sorted;
    }
    ui.progressDone();
    return sorted;
}

} // namespace hk::vouchers
