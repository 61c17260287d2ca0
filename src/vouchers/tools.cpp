#include "vouchers/tools.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/tool_common.h"

#include <algorithm>
#include <iterator>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;

namespace detail {

core::Error toolRefusal(app::Ui& ui, const std::string& message) {
    ui.message(message, {}, app::Icon::Warning, "&Tamam", 1);
    return core::Error::refused(message, true);
}

core::Result<data::FisBas> readHead(Books& b, std::string_view key) {
    auto h = b.head(key);
    if (!h && data::is(h.error(), data::ErrorCode::NotFound))
        return core::Error::badInput("fiş yok: " + std::string(key));
    return h;
}

} // namespace detail

using detail::readHead;
using detail::toolRefusal;

core::Result<data::FisBas> FisKopyala(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                      core::Date date) {
    if (!date.isSet()) return toolRefusal(ui, toolmsg::kNoDate);
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started().error();
    auto company = b.readCompany();
    if (!company) return company.error();
    data::Yasal y = *company;
    if (!date.isValid() || date < y.MALIDONEMBAS || y.MALIDONEMSON < date)
        return toolRefusal(ui, toolmsg::kOutsidePeriod);
    auto source = readHead(b, key);
    if (!source) return source.error();
    const int m = fiscalMonthOfDate(y, date);

    data::FisBas h = *source;
    h.FISTRH = date;
    h.YEVMIYENO = 0;
    h.ENTEGRENO = 0;
    // The copy must never add lines under a voucher that exists: a drawn key that is taken
    // draws again, as the voucher form does.
    for (;;) {
        int bad = 0;
        auto drawn = FisNoAl(y, date.day, m, h.FISTUR, &bad);
        if (!drawn) {
            if (bad != 0) ui.message(std::to_string(bad), {}, app::Icon::Warning, "&Tamam", 1);
            if (text::clip(drawn.error().text) == kNumberingUnset)
                return toolRefusal(ui, std::string(kNumberingUnset));
            return drawn.error();
        }
        h.KEYSTR = drawn->key;
        h.FISNO = drawn->number;
        auto taken = b.headExists(h.KEYSTR);
        if (!taken) return taken.error();
        if (!*taken) break;
    }
    auto lines = b.linesOf(source->KEYSTR);
    if (!lines) return lines.error();
    if (auto st = b.writeCompany(y); !st) return st.error();
    if (auto st = b.heads.add(h); !st) return st.error();
    PostingBatch batch;
    for (auto l : *lines) {
        l.KEYSTR = h.KEYSTR;
        l.FISNO = h.FISNO;
        l.FISTRH = date;
        batch.post(l, h.FISNTLK, m, 1.0);
        if (auto st = b.lines.add(l); !st) return st.error();
    }
    if (auto st = batch.apply(b.plan); !st) return st.error();
    if (auto st = tx.commit(); !st) return st.error();
    ui.message("Fiş " + pic::format(date, "d6") + " Tarih " + std::to_string(h.FISNO) +
                   " No Olarak Kopyalandı...",
               {}, app::Icon::Information, "&Tamam", 1);
    return h;
}

core::Result<TransferTarget> openTransfer(app::Ui& ui, data::DataSet& ds, std::string_view key) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    auto h = books->head(key);
    if (!h) {
        if (data::is(h.error(), data::ErrorCode::NotFound))
            return toolRefusal(ui, std::string(key) + toolmsg::kTransferMissing);
        return h.error();
    }
    TransferTarget t;
    t.number = h->FISNO;
    t.day = h->FISTRH.day;
    t.month = h->FISTRH.month;
    t.attribute = text::clip(h->FISNTLK);
    t.type = typeLetter(h->FISTUR);
    return t;
}

core::Result<bool> attributeExists(data::DataSet& ds, std::string_view code) {
    auto t = ds.open<data::Nitelik>();
    if (!t) return t.error();
    data::Nitelik k;
    k.FISNTLK = std::string(code);
    auto r = t->get("MFN:KeyNtlk", k);
    if (r) return true;
    if (data::is(r.error(), data::ErrorCode::NotFound)) return false;
    return r.error();
}

core::Result<std::vector<data::Nitelik>> attributes(data::DataSet& ds) {
    auto t = ds.open<data::Nitelik>();
    if (!t) return t.error();
    return t->collect("MFN:KeyNtlk", data::Nitelik{}, 0);
}

core::Status saveAttribute(data::DataSet& ds, const data::Nitelik& row, bool insert) {
    if (text::trim(row.FISNTLK).empty()) return core::Error::badInput("Nitelik kodu boş olamaz");
    if (!text::isCp1254(row.FISNTLK) || !text::isCp1254(row.ACK))
        return core::Error::badInput("Türkçe kod sayfasında olmayan karakter");
    auto t = ds.open<data::Nitelik>();
    if (!t) return t.error();
    if (insert) return t->add(row);
    auto cur = t->get("MFN:KeyNtlk", row);
    if (!cur) return cur.error();
    return t->put(row);
}

namespace {

// Year of calendar month c in the fiscal period.
int yearOfCalendarMonth(const data::Yasal& y, int c) {
    return c >= y.MALIDONEMBAS.month ? y.MALIDONEMBAS.year : y.MALIDONEMSON.year;
}

} // namespace

core::Result<data::FisBas> FisTransfer(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                       const TransferTarget& to) {
    if (to.number < 1 || to.number > kMaxVoucherNumber)
        return core::Error::badInput("Fiş numarası 1 ile 32767 arasında olmalı");
    if (to.month < 1 || to.month > 12) return core::Error::badInput("Ay 1 ile 12 arasında olmalı");
    if (to.type != 'M' && to.type != 'A' && to.type != 'E')
        return core::Error::badInput("Fiş türü M, A ya da E olmalı");
    const std::string attribute = text::clip(to.attribute);
    {
        // The five codes whose meaning is fixed are always valid, as the attribute file of an
        // older data set may lack them.
        static const char* const fixed[] = {"N", "ACF", "KPF", "IPT", "YAN"};
        bool known = std::find(std::begin(fixed), std::end(fixed), attribute) != std::end(fixed);
        if (!known) {
            auto found = attributeExists(ds, attribute);
            if (!found) return found.error();
            known = *found;
        }
        if (attribute.empty() || !known)
            return core::Error::badInput(attribute + ": Fiş Nitelik Listesinde yok");
    }
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started().error();
    auto company = b.readCompany();
    if (!company) return company.error();
    const data::Yasal y = *company;
    auto old = b.head(key);
    if (!old) {
        if (data::is(old.error(), data::ErrorCode::NotFound))
            return toolRefusal(ui, std::string(key) + toolmsg::kTransferMissing);
        return old.error();
    }
    const int year = yearOfCalendarMonth(y, to.month);
    if (to.day < 1 || to.day > core::daysInMonth(year, to.month))
        return core::Error::badInput(std::to_string(to.day) + " Bu Ay İçerisinde Yoktur..!");
    int m = to.month - ayFarki(y);
    if (m <= 0) m += 12;
    const core::Date date = core::Date::make(to.month, to.day, year);
    const int slot = date.dayNumber() - y.MALIDONEMBAS.dayNumber() + 1;
    const bool daily = text::clip(y.FISNOSIRASI) == "G";
    if (daily && slot < 1) {
        // The slot is shown as the numbering always did; a key made of a slot below 1 would
        // sort into another month's keys, so the transfer stops here and nothing changes.
        ui.message(std::to_string(slot), {}, app::Icon::Warning, "&Tamam", 1);
        return core::Error::refused(std::to_string(slot) + ": gün numaralanan günlerin dışında",
                                    true);
    }
    const std::string newKey = composeKey(y, m, slot, to.type, to.number);
    if (newKey.empty()) return toolRefusal(ui, std::string(kNumberingUnset));
    if (newKey != old->KEYSTR) {
        auto taken = b.headExists(newKey);
        if (!taken) return taken.error();
        if (*taken) return toolRefusal(ui, std::to_string(to.number) + toolmsg::kKeyTaken);
    }
    const data::FisBas before = *old;
    const int oldM = keyMonth(before.KEYSTR);
    auto lines = b.linesOf(before.KEYSTR);
    if (!lines) return lines.error();
    if (auto st = b.eraseLines(before.KEYSTR); !st) return st.error();

    data::FisBas h = before;
    h.KEYSTR = newKey;
    h.FISNO = static_cast<std::int16_t>(to.number);
    h.FISTRH = date;
    h.FISNTLK = attribute;
    h.FISTUR = std::string(1, to.type);
    if (auto again = b.head(before.KEYSTR); !again) return again.error();
    // The lines are gone from the old key, so the header's key change carries nothing along.
    if (auto st = b.heads.put(h); !st) return st.error();
    PostingBatch batch;
    for (auto l : *lines) {
        batch.post(l, before.FISNTLK, oldM, -1.0);
        l.KEYSTR = h.KEYSTR;
        l.FISNO = h.FISNO;
        l.FISTRH = h.FISTRH;
        l.FISNTLK = h.FISNTLK;
        l.FISTUR = h.FISTUR;
        batch.post(l, h.FISNTLK, m, 1.0);
        if (auto st = b.lines.add(l); !st) return st.error();
    }
    if (auto st = batch.apply(b.plan); !st) return st.error();
    if (auto st = tx.commit(); !st) return st.error();
    return h;
}

core::Result<data::FisBas> changeAttribute(app::Ui& ui, data::DataSet& ds, std::string_view key,
                                           const std::string& attribute) {
    auto t = openTransfer(ui, ds, key);
    if (!t) return t.error();
    t->attribute = attribute;
    return FisTransfer(ui, ds, key, *t);
}

core::Result<int> YevmiyeNoSil(data::DataSet& ds, const app::Session& s, long above, int day) {
    if (above < 0) return core::Error::badInput("Yevmiye No negatif olamaz");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started().error();
    auto company = b.readCompany();
    if (!company) return company.error();
    const int c = s.CalisilanAy();
    const int year = yearOfCalendarMonth(*company, c);
    if (day == 0) day = 1;
    if (day < 1 || day > core::daysInMonth(year, c))
        return core::Error::badInput(std::to_string(day) + " Bu Ay İçerisinde Yoktur..!");
    data::FisBas from;
    from.FISTRH = core::Date::make(c, day, year);
    if (auto st = b.heads.set("MFB:KeyTarih", data::Seek::AtOrAfter, from); !st) return st.error();
    int cleared = 0;
    for (;;) {
        auto h = b.heads.next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (h->YEVMIYENO > above) {
            data::FisBas w = *h;
            w.YEVMIYENO = 0;
            if (auto st = b.heads.put(w); !st) return st.error();
            ++cleared;
        }
    }
    if (auto st = tx.commit(); !st) return st.error();
    return cleared;
}

core::Status clearJournalNumber(data::DataSet& ds, std::string_view key) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    auto h = readHead(*books, key);
    if (!h) return h.error();
    data::FisBas w = *h;
    w.YEVMIYENO = 0;
    return books->heads.put(w);
}

} // namespace hk::vouchers
