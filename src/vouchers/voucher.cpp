#include "vouchers/voucher.h"

#include "core/numeric.h"
#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"

#include <cmath>

namespace hk::vouchers {

namespace text = core::text;

namespace {

core::Error shownRefusal(app::Ui& ui, const std::string& text, const std::string& caption = {},
                         app::Icon icon = app::Icon::Warning) {
    ui.message(text, caption, icon, "&Tamam", 1);
    return core::Error::refused(text, true);
}

void stamp(const app::Session& s, std::string& who, core::Date& day, core::Time& time) {
    who = text::left(s.AktifKullanici, 10);
    day = core::Date::today();
    time = core::Time::now();
}

// Amounts a stored line may hold: finite and never negative (debit and credit are separate
// columns); an extra description line holds none.
core::Status checkLine(const data::FisDet& l) {
    const Amounts a = amountsOf(l);
    for (double v : a)
        if (!std::isfinite(v) || v < 0)
            return core::Error::badInput("Satır " + std::to_string(l.FISSIRANO) +
                                         ": tutarlar sıfır ya da pozitif sayı olmalı.");
    if (!isAmountLine(l))
        for (double v : a)
            if (v != 0)
                return core::Error::badInput("Satır " + std::to_string(l.FISSIRANO) +
                                             ": ek açıklama satırı tutar taşıyamaz.");
    return {};
}

} // namespace

bool monthClosed(const app::Session& s, const data::Yasal& y, int fiscalMonth) {
    // The closed month is compared with the voucher's own fiscal month: the number the company
    // screen offers counts the months of the fiscal year, and a deletion or an import has no
    // working month of its own. For a year starting in January this is the working month.
    return s.OzelKontrol != 1 && y.KAPANANAY != 0 && y.KAPANANAY >= fiscalMonth;
}

core::Result<core::Date> voucherDate(app::Ui& ui, const data::Yasal& y, int calisilanAy,
                                     int day) {
    const int year =
        calisilanAy >= y.MALIDONEMBAS.month ? y.MALIDONEMBAS.year : y.MALIDONEMSON.year;
    const core::Date d = core::Date::make(calisilanAy, day, year);
    if (day < 1 || d.month != calisilanAy)
        return shownRefusal(ui, std::to_string(day) + msg::kNotInMonth);
    if (y.SONYEVMIYETARIH.isSet() && d < y.SONYEVMIYETARIH)
        return shownRefusal(ui, msg::kBeforeJournal, msg::kWarningCaption);
    return d;
}

Draft newDraft(const app::Session& s) {
    Draft d;
    d.mode = Mode::Insert;
    d.header.FISTUR = "M";
    d.header.FISNTLK = "N";
    d.header.KEYSTR = "1";
    d.header.KARSITNO = 100;
    d.fiscalMonth = s.SeciliAy();
    return d;
}

core::Result<Draft> openForChange(Books& b, const data::Yasal& y, std::string_view key) {
    auto h = b.head(key);
    if (!h) return h.error();
    Draft d;
    d.mode = Mode::Change;
    d.header = *h;
    d.fiscalMonth = keyMonth(h->KEYSTR);
    d.originalAttribute = h->FISNTLK;
    auto lines = b.linesOf(key);
    if (!lines) return lines.error();
    const char type = typeLetter(h->FISTUR);
    for (auto& l : *lines) {
        d.document = {l.BELGETIPI, l.BELGENO, l.BELGEACIKLAMASI, l.BELGEACIKLAMASI2,
                      l.BELGETARIHI};
        if (y.TAHSILTEDIYEOTOMATIKKAPA != 0 && isAmountLine(l) &&
            ((type == 'A' && text::clip(l.BORCALACAK) == "B") ||
             (type == 'E' && text::clip(l.BORCALACAK) == "A"))) {
            // The cash line is made again on save, so it is not edited.
            d.cashDescription = l.FISACK;
            continue;
        }
        l.ACKNO = l.FISSIRANO * 100 + l.ACKNO % 100;
        d.lines.push_back(std::move(l));
    }
    orderLines(d.lines);
    return d;
}

core::Result<std::string> save(Env& env, Draft& d, const AskCash& askCash) {
    app::Ui& ui = env.ui;
    auto books = Books::open(env.data);
    if (!books) return books.error();
    Books& b = *books;
    auto company = b.readCompany();
    if (!company) return company.error();
    data::Yasal y = *company;
    data::FisBas& h = d.header;
    const char type = typeLetter(h.FISTUR);

    // Guards a window would show first; an engine caller gets them too.
    if (d.mode == Mode::Change) {
        auto stored = b.head(h.KEYSTR);
        if (!stored) return stored.error();
        if (stored->YEVMIYENO != 0) return shownRefusal(ui, msg::kJournalisedChange);
    }
    if (type != 'M' && type != 'A' && type != 'E')
        return core::Error::badInput("Fiş türü Mahsup, Tahsil ya da Tediye olmalı.");
    if (!h.FISTRH.isSet() || !h.FISTRH.isValid())
        return core::Error::badInput("Fiş tarihi girilmeli.");
    if (fiscalMonthOfDate(y, h.FISTRH) != d.fiscalMonth)
        return core::Error::badInput("Fiş tarihi " + std::to_string(d.fiscalMonth) +
                                     ". mali ay içinde olmalı.");
    for (const auto& l : d.lines)
        if (auto st = checkLine(l); !st) return st.error();

    // G1
    if (text::clip(d.document.type) == "Diğer" && text::clip(d.document.description).empty())
        return shownRefusal(ui, msg::kDigerNeedsText, msg::kWarningCaption);
    // G2
    if (text::clip(h.KPERSONEL).empty()) stamp(env.session, h.KPERSONEL, h.KTARIHI, h.KSAATI);
    // G3
    if (d.mode == Mode::Change && monthClosed(env.session, y, d.fiscalMonth))
        return shownRefusal(ui, msg::kClosedMonth);
    // G4
    std::optional<CashChoice> cash;
    if ((type == 'A' || type == 'E') &&
        (d.mode == Mode::Insert || y.TAHSILTEDIYEOTOMATIKKAPA != 0)) {
        CashChoice c{text::clip(y.KASAHESAPKODU), d.cashDescription};
        if (!askCash || !askCash(c)) return core::Error::refused("Kasa satırı seçilmedi.", true);
        cash = c;
    }
    // G5: the number is drawn and stored at once, in a transaction of its own.
    if (d.mode == Mode::Insert) {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        auto fresh = b.readCompany();
        if (!fresh) return fresh.error();
        y = *fresh;
        for (;;) {
            int bad = 0;
            auto drawn = FisNoAl(y, h.FISTRH.day, d.fiscalMonth, h.FISTUR, &bad);
            if (!drawn) {
                if (bad != 0) ui.message(std::to_string(bad), {}, app::Icon::Warning, "&Tamam", 1);
                return drawn.error();
            }
            auto taken = b.headExists(drawn->key);
            if (!taken) return taken.error();
            h.KEYSTR = drawn->key;
            h.FISNO = drawn->number;
            if (!*taken) break;
        }
        if (auto st = b.writeCompany(y); !st) return st.error();
        if (auto st = tx.commit(); !st) return st.error();
    }
    LineTotals totals = totalsOf(d.lines);
    h.BTOPLAM = totals.tlDebit;
    h.ATOPLAM = totals.tlCredit;
    // G6
    if (cash) {
        data::FisDet c;
        c.HESAPKODU = cash->account;
        c.FISACK = cash->description;
        auto acc = b.account(cash->account);
        const bool fx = acc && !text::clip(acc->DOVIZKODU).empty();
        if (acc) {
            c.HESAPADI1 = acc->HESAPAD1;
            c.HESAPADI2 = acc->HESAPAD2;
        }
        if (type == 'A') {
            c.TLBORC = totals.tlCredit;
            c.DOVIZBORC = fx ? totals.fxCredit : 0;
            c.BORCALACAK = "B";
        } else {
            c.TLALACAK = totals.tlDebit;
            c.DOVIZALACAK = fx ? totals.fxDebit : 0;
            c.BORCALACAK = "A";
        }
        stamp(env.session, c.KPERSONEL, c.KTARIHI, c.KSAATI);
        c.FISSIRANO = static_cast<std::int16_t>(lastLineNumber(d.lines) + 1);
        c.ACKNO = c.FISSIRANO * 100;
        d.lines.push_back(c);
        if (type == 'A') h.BTOPLAM = h.ATOPLAM;
        else h.ATOPLAM = h.BTOPLAM;
    }
    // G7, G8
    if (type == 'M' && !core::numeric::realEqual(totals.tlDebit, totals.tlCredit))
        ui.message(msg::kUnbalancedMahsup, msg::kWarningCaption, app::Icon::Warning, "&Tamam", 1);
    if (!core::numeric::realEqual(h.BTOPLAM, h.ATOPLAM)) {
        const int a = ui.message(msg::kUnbalancedQuestion, msg::kConfirmCaption,
                                 app::Icon::Question, "Evet|Hayır", 2);
        if (a != 1) {
            if (cash) d.lines.pop_back();
            return core::Error::refused(msg::kUnbalancedQuestion, true);
        }
    }
    // G9
    if (y.FISDETAYSIRALA != 0) sortLines(d.lines, env.session.FisIciSirala);

    // G10-G12 as one unit of work.
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started().error();
    PostingBatch batch;
    const int m = keyMonth(h.KEYSTR);
    if (d.mode == Mode::Change) {
        auto old = b.linesOf(h.KEYSTR);
        if (!old) return old.error();
        for (const auto& l : *old) batch.post(l, d.originalAttribute, m, -1.0);
        if (auto st = b.eraseLines(h.KEYSTR); !st) return st.error();
    }
    for (auto& l : d.lines) {
        data::FisDet out;
        if (isAmountLine(l)) {
            out = l;
            out.KEYSTR = h.KEYSTR;
            out.FISTRH = h.FISTRH;
            out.FISNO = h.FISNO;
            out.FISTUR = h.FISTUR;
            out.FISNTLK = h.FISNTLK;
            out.BELGETIPI = d.document.type;
            out.BELGENO = d.document.number;
            out.BELGETARIHI = d.document.date;
            out.BELGEACIKLAMASI = d.document.description;
            out.BELGEACIKLAMASI2 = d.document.description2;
            batch.post(out, h.FISNTLK, m, 1.0);
        } else {
            out.KEYSTR = h.KEYSTR;
            out.FISSIRANO = l.FISSIRANO;
            out.ACKNO = l.ACKNO;
            out.FISACK = l.FISACK;
            out.HESAPKODU = l.HESAPKODU;
            out.BORCALACAK = l.BORCALACAK;
        }
        ui.progress(std::to_string(out.FISSIRANO) + " - " + out.HESAPKODU + " " + out.FISACK, -1);
        if (auto st = b.lines.add(out); !st) return st.error();
        l = out;
    }
    if (auto st = batch.apply(b.plan); !st) return st.error();
    if (d.mode == Mode::Insert) {
        if (auto st = b.heads.add(h); !st) return st.error();
    } else {
        auto stored = b.head(h.KEYSTR);
        if (!stored) return stored.error();
        if (auto st = b.heads.put(h); !st) return st.error();
    }
    if (auto st = tx.commit(); !st) return st.error();
    ui.progressDone();
    return h.KEYSTR;
}

core::Status deleteVoucher(Env& env, std::string_view key, bool ask) {
    auto books = Books::open(env.data);
    if (!books) return books.error();
    Books& b = *books;
    auto company = b.readCompany();
    if (!company) return company.error();
    auto h = b.head(key);
    if (!h) return h.error();
    if (monthClosed(env.session, *company, keyMonth(h->KEYSTR)))
        return shownRefusal(env.ui, msg::kClosedMonth);
    if (h->YEVMIYENO != 0) return shownRefusal(env.ui, msg::kJournalisedDelete);
    if (ask && env.ui.message(msg::kDeleteQuestion, msg::kConfirmCaption, app::Icon::Question,
                              "&Evet|&Hayır", 2) != 1)
        return core::Error::refused(msg::kDeleteQuestion, true);

    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started().error();
    auto stored = b.head(key); // again, under the write lock
    if (!stored) return stored.error();
    if (stored->YEVMIYENO != 0) return shownRefusal(env.ui, msg::kJournalisedDelete);
    auto lines = b.linesOf(key);
    if (!lines) return lines.error();
    PostingBatch batch;
    const int m = keyMonth(stored->KEYSTR);
    for (const auto& l : *lines) {
        env.ui.progress(std::to_string(l.FISSIRANO) + " - " + l.HESAPKODU + " " + l.FISACK, -1);
        batch.post(l, stored->FISNTLK, m, -1.0);
    }
    if (auto st = b.eraseLines(key); !st) return st;
    if (auto st = batch.apply(b.plan); !st) return st;
    auto again = b.head(key);
    if (!again) return again.error();
    if (auto st = b.heads.erase(); !st) return st;
    if (auto st = tx.commit(); !st) return st;
    env.ui.progressDone();
    return {};
}

} // namespace hk::vouchers
