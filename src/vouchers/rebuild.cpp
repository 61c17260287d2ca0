#include "vouchers/rebuild.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace hk::vouchers {

namespace text = core::text;
namespace pic = core::picture;

namespace {

void box(app::Ui& ui, const std::string& t) {
    ui.message(t, {}, app::Icon::Warning, "&Tamam", 1);
}

// Thinned progress: the first record and then one in kProgressEvery.
struct Progress {
    app::Ui& ui;
    long n = 0;
    void show(const std::string& t, int percent = -1) {
        if (n++ % kProgressEvery == 0) ui.progress(t, percent);
    }
    template <typename F> void showLazy(F&& f, int percent = -1) {
        if (n++ % kProgressEvery == 0) ui.progress(f(), percent);
    }
};

std::string stored18(const std::string& code) {
    return text::pad(code, 18);
}

std::string fisNo(int n) {
    return std::to_string(n);
}

template <typename T, typename F> core::Status forEach(data::TypedTable<T>& t, F&& f) {
    for (;;) {
        auto r = t.next();
        if (!r) {
            if (data::is(r.error(), data::ErrorCode::NoRecord)) return {};
            return r.error();
        }
        if (auto st = f(*r); !st) return st;
    }
}

void zeroMonth(data::HsPlan& h, int m) {
    data::month(h.TLBORC, m) = 0;
    data::month(h.TLALACAK, m) = 0;
    data::month(h.ALTBIRIMBORC, m) = 0;
    data::month(h.ALTBIRIMALACAK, m) = 0;
    data::month(h.DOVIZBORC, m) = 0;
    data::month(h.DOVIZALACAK, m) = 0;
}
void zeroOpening(data::HsPlan& h) {
    h.ACTLBORC = h.ACTLALACAK = h.ACALTBIRIMBORC = h.ACALTBIRIMALACAK = h.ACDOVIZBORC =
        h.ACDOVIZALACAK = 0;
}
void zeroClosing(data::HsPlan& h) {
    h.KPTLBORC = h.KPTLALACAK = h.KPALTBIRIMBORC = h.KPALTBIRIMALACAK = h.KPDOVIZBORC =
        h.KPDOVIZALACAK = 0;
}

std::string sifirText(const data::HsPlan& h) {
    return stored18(h.HESAPKODU) + " " + h.HESAPAD1 + " Mizan Sıfırlanıyor.";
}

} // namespace

double roundCents(double x) {
    const double s = x * 100.0;
    const double r = std::round(s);
    // Clear of a half: the plain rounding is the decimal one. Near a half the decimal form
    // decides (2.675 is a half in decimal although its binary value lies just below it).
    if (std::fabs(s - r) < 0.49) return r / 100.0;
    return core::numeric::round(x, 2);
}

core::Status MizanSifirla(data::DataSet& ds, app::Ui& ui, int first, int last, bool opening,
                          bool closing) {
    auto b = Books::open(ds);
    if (!b) return b.error();
    data::Transaction tx{*b->db};
    if (!tx.started()) return tx.started();
    Progress p{ui};
    if (auto st = b->plan.set("HSP:KeyHesap"); !st) return st;
    auto st = forEach(b->plan, [&](data::HsPlan h) -> core::Status {
        if (opening) zeroOpening(h);
        if (closing) zeroClosing(h);
        for (int m = std::max(1, first); m <= std::min(12, last); ++m) zeroMonth(h, m);
        if (auto s = b->plan.put(h); !s) return s;
        p.showLazy([&] { return sifirText(h); });
        return {};
    });
    if (!st) return st;
    if (auto s = tx.commit(); !s) return s;
    ui.progressDone();
    return {};
}

core::Status MizanDuzelt(data::DataSet& ds, app::Ui& ui, int m) {
    if (m < 1 || m > 12) return core::Error::badInput("Ay 1 ile 12 arasında olmalı.");
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    const std::string prefix = pic::format(static_cast<double>(m), "n02");
    auto monthHeads = [&](auto&& f) -> core::Status {
        data::FisBas from;
        from.KEYSTR = prefix;
        if (auto st = b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st) return st;
        for (;;) {
            auto h = b.heads.next();
            if (!h) {
                if (data::is(h.error(), data::ErrorCode::NoRecord)) return {};
                return h.error();
            }
            if (keyMonth(h->KEYSTR) != m) return {};
            bool stop = false;
            if (auto st = f(*h, stop); !st) return st;
            if (stop) return {};
        }
    };
    // 1. Does the month hold an opening or a closing voucher?
    bool acf = false, kpf = false;
    if (auto st = monthHeads([&](const data::FisBas& h, bool& stop) -> core::Status {
            const std::string a = text::clip(h.FISNTLK);
            acf = acf || a == "ACF";
            kpf = kpf || a == "KPF";
            stop = acf && kpf;
            return {};
        });
        !st)
        return st;
    // 2. Clear.
    Progress p{ui};
    std::unordered_map<std::string, std::string> kinds; // code -> NTLK
    if (auto st = b.plan.set("HSP:KeyHesap"); !st) return st;
    if (auto st = forEach(b.plan, [&](data::HsPlan h) -> core::Status {
            if (acf) zeroOpening(h);
            if (kpf) zeroClosing(h);
            zeroMonth(h, m);
            kinds.emplace(text::clip(h.HESAPKODU), text::clip(h.NTLK));
            if (auto s = b.plan.put(h); !s) return s;
            p.showLazy([&] { return sifirText(h); });
            return {};
        });
        !st)
        return st;
    // 3. Post the month again.
    PostingBatch batch;
    std::vector<data::FisBas> heads;
    if (auto st = monthHeads([&](const data::FisBas& h, bool&) -> core::Status {
            heads.push_back(h);
            return {};
        });
        !st)
        return st;
    for (auto& h : heads) {
        p.showLazy([&] {
            return pic::format(static_cast<double>(h.FISNO), "n_10") + " " +
                   pic::format(h.FISTRH, "d06") + " Mizan Düzenleniyor.";
        });
        if (isCancelled(h.FISNTLK)) continue;
        h.BTOPLAM = 0;
        h.ATOPLAM = 0;
        data::FisDet from;
        from.KEYSTR = h.KEYSTR;
        if (auto st = b.lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, from); !st) return st;
        for (;;) {
            auto l = b.lines.next();
            if (!l) {
                if (data::is(l.error(), data::ErrorCode::NoRecord)) break;
                return l.error();
            }
            if (l->KEYSTR != h.KEYSTR) break;
            if (!isAmountLine(*l)) continue;
            if (text::clip(l->BORCALACAK).empty()) {
                l->BORCALACAK = l->TLBORC > 0 ? "B" : "A";
                if (auto st = b.lines.put(*l); !st) return st;
            }
            if (text::clip(l->BORCALACAK) == "B") h.BTOPLAM += l->TLBORC;
            else if (text::clip(l->BORCALACAK) == "A") h.ATOPLAM += l->TLALACAK;
            const std::string code = text::clip(l->HESAPKODU);
            for (const auto& level : postingLevels(code))
                if (!kinds.count(level)) box(ui, stored18(code) + " Bulunamadı");
            batch.post(*l, l->FISNTLK, keyMonth(l->KEYSTR), 1.0);
            auto kind = kinds.find(code);
            if (kind == kinds.end())
                box(ui, pic::format(l->FISTRH, "d6") + " " + fisNo(l->FISNO) + " Nolu Fişte\n" +
                            stored18(code) + " Hesap Kodu Bulunamadı");
            else if (kind->second != "M")
                box(ui, fisNo(h.FISNO) + " Nolu Fişte " + stored18(code) +
                            " Hesap Kodu Muavin Değildir.");
        }
        auto again = b.head(h.KEYSTR);
        if (!again) return again.error();
        if (auto st = b.heads.put(h); !st) return st;
    }
    if (auto st = batch.apply(b.plan); !st) return st;
    if (auto st = tx.commit(); !st) return st;
    ui.progressDone();
    return {};
}

core::Status YMizanDuzelt(data::DataSet& ds, app::Ui& ui, bool leaveOutYan) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    Progress p{ui};

    // 1. Chart pass: the work list holds one entry per detail account.
    std::unordered_map<std::string, AccountTotals> work;
    if (auto st = b.plan.setPhysical(); !st) return st;
    if (auto st = forEach(b.plan, [&](data::HsPlan h) -> core::Status {
            const std::string code = text::clip(h.HESAPKODU);
            if (code.empty()) return b.plan.erase();
            if (text::clip(h.NTLK).empty()) h.NTLK = "M";
            if (h.NTLK == "M") work.try_emplace(code);
            zeroOpening(h);
            zeroClosing(h);
            for (int m = 1; m <= 12; ++m) zeroMonth(h, m);
            if (auto s = b.plan.put(h); !s) return s;
            p.showLazy([&] { return "HsPlan Listesi Yaratılıyor " + code; });
            return {};
        });
        !st)
        return st;

    // 2. Voucher pass, in key order: headers first, then every line in key order.
    struct Head {
        bool skip = false;
        int m = 0;
    };
    std::unordered_map<std::string, Head> heads;
    if (auto st = b.heads.set("MFB:KeyFis"); !st) return st;
    if (auto st = forEach(b.heads, [&](const data::FisBas& h) -> core::Status {
            const std::string a = text::clip(h.FISNTLK);
            Head e;
            e.skip = (leaveOutYan && text::upperTr(a) == "YAN") || a == "IPT";
            e.m = keyMonth(h.KEYSTR);
            heads.emplace(h.KEYSTR, e);
            return {};
        });
        !st)
        return st;
    std::string lastKey;
    if (auto st = b.lines.set("MFD:KeyFisDet"); !st) return st;
    if (auto st = forEach(b.lines, [&](const data::FisDet& l) -> core::Status {
            if (l.KEYSTR != lastKey) {
                lastKey = l.KEYSTR;
                p.showLazy([&] {
                    return pic::format(static_cast<double>(l.FISNO), "n_10.2") + " " +
                           pic::format(l.FISTRH, "d06") + " Mizan Düzenleniyor.";
                });
            }
            auto h = heads.find(l.KEYSTR);
            if (h == heads.end() || h->second.skip || !isAmountLine(l)) return {};
            const std::string code = text::clip(l.HESAPKODU);
            const std::string where =
                pic::format(l.FISTRH, "d6") + " " + fisNo(l.FISNO) + " Nolu Fişte \n";
            if (code.empty()) box(ui, where + "Hesap Kodu Boş.");
            auto e = work.find(code);
            if (e == work.end()) {
                if (!code.empty()) box(ui, where + stored18(code) + " Hesap Kodu Bulunamadı");
                e = work.try_emplace(code).first;
            }
            Amounts a = amountsOf(l);
            for (double& v : a) v = roundCents(v);
            const Place place = placeOf(l.FISNTLK);
            const int m = h->second.m;
            if (place == Place::Monthly && (m < 1 || m > 12)) return {};
            Amounts& into = place == Place::Opening   ? e->second.opening
                            : place == Place::Closing ? e->second.closing
                                                      : e->second.months[static_cast<std::size_t>(m - 1)];
            for (std::size_t i = 0; i < 6; ++i) into[i] += a[i];
            return {};
        });
        !st)
        return st;

    // 3. Write-back in code order.
    std::vector<std::pair<std::string, std::string>> order; // sort key, code
    order.reserve(work.size());
    for (const auto& [code, t] : work) order.emplace_back(text::sortKey(code, true), code);
    std::sort(order.begin(), order.end());
    for (const auto& [sk, code] : order) {
        if (code.empty()) continue;
        p.showLazy([&] { return "HsPlan Güncelleniyor " + code; });
        AccountTotals t = work.at(code);
        for (double& v : t.opening) v = roundCents(v);
        for (double& v : t.closing) v = roundCents(v);
        auto acc = b.account(code);
        if (!acc) {
            if (!data::is(acc.error(), data::ErrorCode::NotFound)) return acc.error();
            data::HsPlan n;
            n.HESAPKODU = code;
            n.HESAPAD1 = "TANIMLAYINIZ";
            n.NTLK = "M";
            if (auto st = b.plan.add(n); !st) return st;
            continue;
        }
        addTo(*acc, t);
        if (auto st = b.plan.put(*acc); !st) return st;
        // Parents from the top down, stopping at the first level that is missing.
        auto levels = postingLevels(code);
        if (!levels.empty()) levels.pop_back();
        for (const auto& parent : levels) {
            auto pa = b.account(parent);
            if (!pa) {
                if (data::is(pa.error(), data::ErrorCode::NotFound)) break;
                return pa.error();
            }
            addTo(*pa, t);
            if (auto st = b.plan.put(*pa); !st) return st;
        }
    }
    if (auto st = tx.commit(); !st) return st;
    ui.progressDone();
    return {};
}

core::Status FisBaslikYarat(data::DataSet& ds, app::Ui& ui) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    Progress p{ui};
    // Totals are gathered per key in memory and each header written once.
    std::map<std::string, std::pair<double, double>> sums;
    std::unordered_set<std::string> present;
    if (auto st = b.heads.set("MFB:KeyFis"); !st) return st;
    if (auto st = forEach(b.heads, [&](const data::FisBas& h) -> core::Status {
            present.insert(h.KEYSTR);
            sums.emplace(h.KEYSTR, std::pair{0.0, 0.0});
            p.show("Fiş Toplamları Siliniyor...");
            return {};
        });
        !st)
        return st;
    auto total = b.lines.count();
    if (!total) return total.error();
    std::map<std::string, data::FisBas> created;
    long done = 0;
    if (auto st = b.lines.set("MFD:KeyFisDet"); !st) return st;
    if (auto st = forEach(b.lines, [&](const data::FisDet& l) -> core::Status {
            ++done;
            const int pct = *total > 0 ? static_cast<int>(done * 100 / *total) : 100;
            p.showLazy([&] { return std::to_string(pct) + "% Completed"; }, pct);
            if (ui.cancelled()) return core::Error::refused("İşlem iptal edildi.", true);
            if (!present.count(l.KEYSTR) && !created.count(l.KEYSTR)) {
                data::FisBas h;
                h.KEYSTR = l.KEYSTR;
                h.FISTRH = l.FISTRH;
                h.FISNO = l.FISNO;
                h.FISTUR = l.FISTUR;
                h.FISNTLK = l.FISNTLK;
                created.emplace(l.KEYSTR, h);
                sums.emplace(l.KEYSTR, std::pair{0.0, 0.0});
            }
            auto& s = sums[l.KEYSTR];
            s.first += l.TLBORC;
            s.second += l.TLALACAK;
            return {};
        });
        !st)
        return st;
    for (auto& [key, s] : sums) {
        auto c = created.find(key);
        if (c != created.end()) {
            c->second.BTOPLAM = s.first;
            c->second.ATOPLAM = s.second;
            if (auto st = b.heads.add(c->second); !st) return st;
            continue;
        }
        auto h = b.head(key);
        if (!h) return h.error();
        h->BTOPLAM = s.first;
        h->ATOPLAM = s.second;
        if (auto st = b.heads.put(*h); !st) return st;
    }
    if (auto st = tx.commit(); !st) return st;
    ui.progressDone();
    return {};
}

core::Status FisKeyStrDuzelt(data::DataSet& ds, app::Ui& ui) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    auto company = b.readCompany();
    if (!company) return company.error();
    const data::Yasal y = *company;
    if (composeKey(y, 1, 1, 'M', 1).empty())
        return core::Error::refused(std::string(kNumberingUnset));
    Progress p{ui};
    auto pass = [&](auto&& newKeyOf) -> core::Status {
        if (auto st = b.heads.set("MFB:KeyTarih"); !st) return st;
        return forEach(b.heads, [&](data::FisBas h) -> core::Status {
            auto nk = newKeyOf(h);
            if (!nk) return nk.error();
            const std::string old = h.KEYSTR;
            p.showLazy([&] {
                return pic::format(static_cast<double>(keyMonth(*nk)), "n02") +
                       " Dönem Bilgisi ..:" + old + " ---> " + *nk;
            });
            if (*nk == old) return {};
            h.KEYSTR = *nk;
            // The relation carries the new key to every line of the voucher.
            if (auto st = b.heads.put(h); !st) {
                if (data::is(st.error(), data::ErrorCode::DuplicateKey))
                    return core::Error::refused(
                        old + " anahtarlı fişin yeni anahtarı " + *nk +
                        " başka bir fişte var (fiş numaraları çakışıyor); hiçbir anahtar "
                        "değiştirilmedi.");
                return st;
            }
            return {};
        });
    };
    // 1. Out of the way: every key gets month + 80, so the second pass never meets a key that
    //    is still waiting to be rewritten.
    if (auto st = pass([&](const data::FisBas& h) -> core::Result<std::string> {
            const int m = keyMonth(h.KEYSTR);
            return pic::format(static_cast<double>(m + 80), "n02") + text::sub(h.KEYSTR, 3, 8);
        });
        !st)
        return st;
    // 2. The keys by the current settings.
    if (auto st = pass([&](const data::FisBas& h) -> core::Result<std::string> {
            const int m = fiscalMonthOfCalendar(h.FISTRH.month, ayFarki(y));
            const int slot = daySlot(y, m, h.FISTRH.day);
            if (text::clip(y.FISNOSIRASI) == "G" && (slot < 1 || slot > 366))
                return core::Error::refused(pic::format(h.FISTRH, "d6") + " tarihli " +
                                            std::to_string(h.FISNO) +
                                            " nolu fişin günü numaralanan günlerin dışında.");
            return composeKey(y, m, slot, typeLetter(h.FISTUR), h.FISNO);
        });
        !st)
        return st;
    if (auto st = tx.commit(); !st) return st;
    ui.progressDone();
    return {};
}

core::Status FisNumaratorDuzelt(data::DataSet& ds, app::Ui& ui, const std::string& input) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    data::Transaction tx{*b.db};
    if (!tx.started()) return tx.started();
    auto company = b.readCompany();
    if (!company) return company.error();
    data::Yasal y = *company;
    const std::string in = text::upperTr(text::trim(input));
    const bool all = in == "H";
    std::string prefix;
    if (all) {
        y.MAHSUPNUMARATOR.fill(0);
        y.TAHSILNUMARATOR.fill(0);
        y.TEDIYENUMARATOR.fill(0);
    } else {
        int m = 0;
        for (char c : in) {
            if (c < '0' || c > '9') {
                m = 0;
                break;
            }
            m = m * 10 + (c - '0');
            if (m > 99) break;
        }
        prefix = pic::format(static_cast<double>(m % 100), "n02");
    }
    const bool daily = text::clip(y.FISNOSIRASI) == "G";
    const bool apart = text::clip(y.FISNUMARALAMADUZENI) == "A";
    Progress p{ui};
    data::FisBas from;
    from.KEYSTR = prefix;
    if (auto st = all ? b.heads.set("MFB:KeyFis")
                      : b.heads.set("MFB:KeyFis", data::Seek::AtOrAfter, from);
        !st)
        return st;
    for (;;) {
        auto h = b.heads.next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (!all && text::left(h->KEYSTR, 2) != prefix) break;
        p.showLazy([&] {
            return pic::format(h->FISTRH, "d6") + " " +
                   pic::format(static_cast<double>(h->FISNO), "n_6");
        });
        const int m = keyMonth(h->KEYSTR);
        // The daily slot is the one FisNoAl uses (from the key's month and the day), so the
        // counters and the numbers drawn later agree for a period starting in any month.
        const int slot = daily ? daySlot(y, m, h->FISTRH.day) : m;
        if (slot < 1 || slot > 366) continue;
        std::array<std::int16_t, 366>* counter = &y.MAHSUPNUMARATOR;
        if (apart) {
            const char t = typeLetter(h->FISTUR);
            if (t == 'A') counter = &y.TAHSILNUMARATOR;
            else if (t == 'E') counter = &y.TEDIYENUMARATOR;
            else if (t != 'M') continue;
        }
        data::element(*counter, slot) = h->FISNO;
    }
    if (auto st = b.readCompany(); !st) return st.error();
    if (auto st = b.writeCompany(y); !st) return st;
    if (auto st = tx.commit(); !st) return st;
    ui.progressDone();
    ui.message(std::to_string(data::element(y.MAHSUPNUMARATOR, 12)) + " " +
                   std::to_string(data::element(y.TAHSILNUMARATOR, 12)) + " " +
                   std::to_string(data::element(y.TEDIYENUMARATOR, 12)),
               {}, app::Icon::Information, "&Tamam", 1);
    return {};
}

} // namespace hk::vouchers
