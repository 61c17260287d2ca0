#include "vouchers/voucher_lists.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/tool_common.h"

#include <cmath>
#include <map>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;
using detail::nextOf;
using output::Caption;
using output::NumberFormat;

std::string listKeyFrom(const ListQuery& q) {
    return pic::format(static_cast<double>(q.wholeYear ? 1 : q.month), "n02");
}

std::string listKeyTo(const ListQuery& q) {
    return pic::format(static_cast<double>(q.wholeYear ? 99 : q.month), "n02") + "zzzzzzzz";
}

bool passesType(const data::FisBas& h, char type) {
    return type == ' ' || text::clip(h.FISTUR) == std::string(1, type);
}

double differenceOf(const data::FisBas& h) {
    return std::fabs(h.BTOPLAM - h.ATOPLAM);
}

core::Result<std::vector<data::FisBas>> listVouchers(data::DataSet& ds, const ListQuery& q) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    std::vector<data::FisBas> out;
    data::FisBas from;
    const int first = q.wholeYear ? 1 : q.month;
    const int last = q.wholeYear ? 99 : q.month;
    if (q.order == ListOrder::ByKey) {
        from.KEYSTR = listKeyFrom(q);
        if (auto st = b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st)
            return st.error();
    } else {
        from.FISTRH = q.from;
        if (auto st = b.heads.set("MFB:KeyTarih", data::Seek::AtOrAfter, from); !st)
            return st.error();
    }
    data::FisBas h;
    for (;;) {
        auto more = nextOf<data::FisBas>(b.heads, h);
        if (!more) return more.error();
        if (!*more) break;
        if (q.order == ListOrder::ByKey) {
            const int m = keyMonth(h.KEYSTR);
            if (m < first || m > last) break;
        } else if (q.to < h.FISTRH) {
            break;
        }
        if (passesType(h, q.type)) out.push_back(h);
    }
    return out;
}

ListTotals listTotals(const std::vector<data::FisBas>& heads) {
    ListTotals t;
    for (const auto& h : heads) {
        t.debit += h.BTOPLAM;
        t.credit += h.ATOPLAM;
        t.difference += differenceOf(h);
        ++t.count;
    }
    return t;
}

output::Sheet voucherListSheet(const std::vector<data::FisBas>& heads) {
    output::Sheet s;
    s.headingRow({{"Key Str"},
                  {"Fiş Tarihi", NumberFormat::Date},
                  {"Fiş No", NumberFormat::Amount},
                  {"Türü", NumberFormat::Amount},
                  {"Ntlk"},
                  {"Borç", NumberFormat::Amount},
                  {"Alacak", NumberFormat::Amount},
                  {"Fark", NumberFormat::Amount},
                  {"Yev. No", NumberFormat::Amount},
                  {"Entegre No"}});
    for (const auto& h : heads) {
        s.row()
            .text(h.KEYSTR)
            .date(h.FISTRH)
            .number(h.FISNO)
            .text(typeName(typeLetter(h.FISTUR)))
            .text(h.FISNTLK)
            .number(h.BTOPLAM)
            .number(h.ATOPLAM)
            .number(differenceOf(h))
            .number(h.YEVMIYENO)
            .number(h.ENTEGRENO);
    }
    return s;
}

output::Sheet lineListSheet(const std::vector<data::FisDet>& lines) {
    output::Sheet s;
    s.headingRow({{"Key Str"},
                  {"B/A"},
                  {"Fis Trh", NumberFormat::Date},
                  {"Fis No", NumberFormat::Amount},
                  {"Fis Tur"},
                  {"Fis Ntlk"},
                  {"Fis Sira No", NumberFormat::Amount},
                  {"Hesap Kodu"},
                  {"Fis Ack"},
                  {"BT l", NumberFormat::Amount},
                  {"AT l", NumberFormat::Amount},
                  {"BA lt", NumberFormat::Amount},
                  {"AA lt", NumberFormat::Amount},
                  {"BD vz", NumberFormat::Amount},
                  {"AD vz"}});
    for (const auto& l : lines) {
        s.row()
            .text(l.KEYSTR)
            .text(l.BORCALACAK)
            .date(l.FISTRH)
            .number(l.FISNO)
            .text(l.FISTUR)
            .text(l.FISNTLK)
            .number(l.FISSIRANO)
            .text(l.HESAPKODU)
            .text(l.FISACK)
            .number(l.TLBORC)
            .number(l.TLALACAK)
            .number(l.ALTBIRIMBORC)
            .number(l.ALTBIRIMALACAK)
            .number(l.DOVIZBORC)
            .number(l.DOVIZALACAK);
    }
    return s;
}

output::Sheet headerListSheet(const std::vector<data::FisBas>& heads) {
    output::Sheet s;
    s.headingRow({{"Key Str"},
                  {"Fis Trh", NumberFormat::Date},
                  {"Fis No", NumberFormat::Amount},
                  {"Fis Tur"},
                  {"Fis Ntlk"},
                  {"BT oplam", NumberFormat::Amount},
                  {"AT oplam", NumberFormat::Amount},
                  {"Yevmiye No", NumberFormat::Amount},
                  {"Karsit No", NumberFormat::Amount},
                  {"Entegre No", NumberFormat::Amount}});
    for (const auto& h : heads) {
        s.row()
            .text(h.KEYSTR)
            .date(h.FISTRH)
            .number(h.FISNO)
            .text(h.FISTUR)
            .text(h.FISNTLK)
            .number(h.BTOPLAM)
            .number(h.ATOPLAM)
            .number(h.YEVMIYENO)
            .number(h.KARSITNO)
            .number(h.ENTEGRENO);
    }
    return s;
}

namespace {

constexpr const char* kDone = "İşlem Tamamlandı";

// Account data looked up once per code.
struct AccountCache {
    Books& b;
    std::map<std::string, data::HsPlan> seen;
    core::Result<data::HsPlan> get(const std::string& code) {
        const std::string c = text::clip(code);
        if (auto it = seen.find(c); it != seen.end()) return it->second;
        auto a = b.account(c);
        data::HsPlan h;
        if (a) h = *a;
        else if (!data::is(a.error(), data::ErrorCode::NotFound)) return a.error();
        seen[c] = h;
        return h;
    }
};

void progressOf(app::Ui& ui, long& n, const data::FisDet& l) {
    if (n++ % 256 == 0)
        ui.progress(std::to_string(l.FISNO) + " " + pic::format(l.FISTRH, "d6") + " " +
                        text::clip(l.HESAPKODU),
                    -1);
}

} // namespace

core::Result<output::Sheet> fisDetaySheet(data::DataSet& ds, app::Ui& ui, int m) {
    if (m < 1 || m > 12) return core::Error::badInput("Fiş Ay Seçimi 1 ile 12 arasında olmalı");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    AccountCache accounts{b, {}};
    output::Sheet s;
    s.headingRow({{"Fiş No", NumberFormat::Whole},
                  {"Fis Trh", NumberFormat::Date},
                  {"Hesap No"},
                  {"Açıklaması"},
                  {"Borç Tutar", NumberFormat::Amount},
                  {"Alacak Tutar", NumberFormat::Amount},
                  {"Döviz Cinsi"},
                  {"Döviz Tutarı", NumberFormat::Amount},
                  {"Döviz Kuru", NumberFormat::Amount}});
    const std::string prefix = pic::format(static_cast<double>(m), "n02");
    data::FisDet from;
    from.KEYSTR = prefix;
    if (auto st = b.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st)
        return st.error();
    data::FisDet l;
    long n = 0;
    for (;;) {
        auto more = nextOf<data::FisDet>(b.lines, l);
        if (!more) return more.error();
        if (!*more || keyMonth(l.KEYSTR) != m) break;
        if (!isAmountLine(l)) continue;
        auto acc = accounts.get(l.HESAPKODU);
        if (!acc) return acc.error();
        const std::string cur = text::clip(acc->DOVIZKODU);
        s.row()
            .text(std::to_string(l.FISNO))
            .date(l.FISTRH)
            .text(l.HESAPKODU)
            .text(l.FISACK)
            .number(l.TLBORC)
            .number(l.TLALACAK)
            .text(cur);
        if (!cur.empty()) {
            const bool credit = text::clip(l.BORCALACAK) == "A";
            const double fx = credit ? l.DOVIZALACAK : l.DOVIZBORC;
            const double tl = credit ? l.TLALACAK : l.TLBORC;
            s.number(fx);
            // A line without a currency amount has no rate: its rate cell stays empty rather
            // than holding a division by zero.
            if (fx != 0) s.number(tl / fx);
            else s.empty();
        }
        progressOf(ui, n, l);
    }
    ui.progress(kDone, 100);
    ui.progressDone();
    return s;
}

core::Result<output::Sheet> yevmiyeSheet(data::DataSet& ds, app::Ui& ui, bool full) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    AccountCache accounts{b, {}};
    output::Sheet s;
    if (full)
        s.headingRow({{"Fis Trh", NumberFormat::Date},
                      {"Fis No", NumberFormat::Whole},
                      {"Yevmiye No", NumberFormat::Whole},
                      {"Kebir Hesap Kodu"},
                      {"Kebir Hesap Adı"},
                      {"Muavin Hesap Kodu"},
                      {"Muavin Hesap Adı"},
                      {"Fiş Açıklaması"},
                      {"Borç Tutar", NumberFormat::Amount},
                      {"Alacak Tutar", NumberFormat::Amount}});
    else
        s.headingRow({{"Fis Trh", NumberFormat::Date},
                      {"Yevmiye No", NumberFormat::Whole},
                      {"Hesap Kodu"},
                      {"Muavin Kodu"},
                      {"Hesap Adı"},
                      {"Açıklaması"},
                      {"Borç Tutar", NumberFormat::Amount},
                      {"Alacak Tutar", NumberFormat::Amount}});
    std::vector<data::FisBas> heads;
    {
        if (auto st = b.heads.set("MFB:KeyFis"); !st) return st.error();
        data::FisBas h;
        for (;;) {
            auto more = nextOf<data::FisBas>(b.heads, h);
            if (!more) return more.error();
            if (!*more) break;
            heads.push_back(h);
        }
    }
    long n = 0;
    for (const auto& h : heads) {
        data::FisDet from;
        from.KEYSTR = h.KEYSTR;
        if (auto st = b.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st)
            return st.error();
        data::FisDet l;
        for (;;) {
            auto more = nextOf<data::FisDet>(b.lines, l);
            if (!more) return more.error();
            if (!*more || l.KEYSTR != h.KEYSTR) break;
            if (!isAmountLine(l)) continue;
            const std::string code = text::clip(l.HESAPKODU);
            const std::string main = text::left(code, 3);
            auto acc = accounts.get(code);
            if (!acc) return acc.error();
            s.row().date(l.FISTRH);
            if (full) {
                auto top = accounts.get(main);
                if (!top) return top.error();
                s.number(h.FISNO)
                    .number(h.YEVMIYENO)
                    .text(main)
                    .text(top->HESAPAD1)
                    .text(code)
                    .text(acc->HESAPAD1);
            } else {
                s.number(h.YEVMIYENO).text(main).text(code).text(acc->HESAPAD1);
            }
            s.text(l.FISACK).number(l.TLBORC).number(l.TLALACAK);
            progressOf(ui, n, l);
        }
    }
    ui.progress(kDone, 100);
    ui.progressDone();
    return s;
}

core::Result<std::vector<data::FisDet>> voucherLines(data::DataSet& ds, const std::string& key) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    std::vector<data::FisDet> out;
    data::FisDet from;
    from.KEYSTR = key;
    const bool all = key.empty();
    if (auto st = books->lines.set(all ? "MFD:KeyFisSiraNo" : "MFD:KeyFisDet",
                                   all ? data::Seek::First : data::Seek::AtOrAfter, from);
        !st)
        return st.error();
    data::FisDet l;
    for (;;) {
        auto more = nextOf<data::FisDet>(books->lines, l);
        if (!more) return more.error();
        if (!*more || (!all && l.KEYSTR != key)) break;
        out.push_back(l);
    }
    return out;
}

} // namespace hk::vouchers
