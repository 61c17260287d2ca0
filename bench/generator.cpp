#include "generator.h"

#include "data/database.h"

#include <map>

#include <cstdio>
#include <random>
#include <string>

namespace hk::bench {

namespace {
std::string digits(int v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}
const char* kNames[] = {"Kasa", "Alınan Çekler", "Bankalar", "Alıcılar", "Satıcılar", "Ticari Mallar",
                        "Demirbaşlar", "Ödenecek Vergi", "Yurtiçi Satışlar", "Genel Yönetim Giderleri"};
} // namespace

Company generate(const CompanySize& size) {
    Company c;
    std::mt19937 rng(size.seed);
    for (int m = 0; m < size.mainAccounts; ++m) {
        const std::string main = std::to_string(100 + m * 10);
        data::HsPlan k;
        k.HESAPKODU = main;
        k.NTLK = "K";
        k.HESAPAD1 = kNames[m % 10];
        c.accounts.push_back(k);
        for (int g = 1; g <= size.groupsPerMain; ++g) {
            data::HsPlan gr;
            gr.HESAPKODU = main + " " + digits(g, 2);
            gr.NTLK = "G";
            gr.HESAPAD1 = std::string(kNames[m % 10]) + " grup " + std::to_string(g);
            c.accounts.push_back(gr);
            for (int d = 1; d <= size.detailsPerGroup; ++d) {
                data::HsPlan det;
                det.HESAPKODU = gr.HESAPKODU + " " + digits(d, 3);
                det.NTLK = "M";
                det.HESAPAD1 = "Muavin " + det.HESAPKODU;
                det.DOVIZKODU = d % 7 == 0 ? "USD" : "";
                c.detailIndex.push_back(c.accounts.size());
                c.accounts.push_back(det);
            }
        }
    }
    std::uniform_int_distribution<std::size_t> pick(0, c.detailIndex.size() - 1);
    std::uniform_int_distribution<int> cents(100, 10000000);
    for (int v = 0; v < size.vouchers; ++v) {
        const int month = 1 + v * 12 / std::max(1, size.vouchers);
        const int day = 1 + v % 28;
        data::FisBas h;
        h.KEYSTR = digits(month, 2) + "M" + digits(v + 1, 7);
        h.FISTRH = core::Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month), 2024};
        h.FISNO = static_cast<std::int16_t>(v % 30000 + 1);
        h.FISTUR = "M";
        h.FISNTLK = "N";
        double total = 0;
        for (int l = 0; l < size.linesPerVoucher; ++l) {
            data::FisDet d;
            d.KEYSTR = h.KEYSTR;
            d.FISSIRANO = static_cast<std::int16_t>(l + 1);
            const data::HsPlan& a = c.accounts[c.detailIndex[pick(rng)]];
            d.HESAPKODU = a.HESAPKODU;
            d.HESAPADI1 = a.HESAPAD1;
            d.FISACK = "Fiş " + std::to_string(v + 1) + " satır " + std::to_string(l + 1) + " açıklaması";
            const double amount = cents(rng) / 100.0;
            const bool debit = l < size.linesPerVoucher / 2;
            (debit ? d.TLBORC : d.TLALACAK) = amount;
            d.BORCALACAK = debit ? "B" : "A";
            total += debit ? amount : 0;
            d.FISTRH = h.FISTRH;
            d.FISNO = h.FISNO;
            d.FISTUR = h.FISTUR;
            d.FISNTLK = h.FISNTLK;
            d.ACKNO = (l + 1) * 100;
            c.lines.push_back(d);
        }
        h.BTOPLAM = h.ATOPLAM = total;
        c.headers.push_back(h);
    }
    std::uniform_real_distribution<double> drift(-0.01, 0.01);
    for (const char* code : {"USD", "EUR", "GBP"}) {
        double rate = 30;
        for (int d = 0; d < size.rateDays; ++d) {
            data::DDoviz r;
            r.DOVIZKODU = code;
            r.DOVIZKURTARIHI = core::Date::fromDayNumber(core::Date{1, 1, 2024}.dayNumber() + d);
            rate *= 1 + drift(rng);
            r.DOVIZKURTUTARI = rate;
            c.rates.push_back(r);
        }
    }
    return c;
}

core::Status writeBooks(data::DataSet& ds, const Company& c) {
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started().error();
    auto plan = ds.open<data::HsPlan>();
    auto heads = ds.open<data::FisBas>();
    auto lines = ds.open<data::FisDet>();
    auto company = ds.open<data::Yasal>();
    if (!plan) return plan.error();
    if (!heads) return heads.error();
    if (!lines) return lines.error();
    if (!company) return company.error();
    data::Yasal y;
    y.MALIDONEMBAS = core::Date{1, 1, 2024};
    y.MALIDONEMSON = core::Date{31, 12, 2024};
    y.SIRKETUNVANI1 = "BENCH";
    if (auto st = company->add(y); !st) return st;
    for (const auto& a : c.accounts)
        if (auto st = plan->add(a); !st) return st;
    for (const auto& h : c.headers)
        if (auto st = heads->add(h); !st) return st;
    for (const auto& l : c.lines)
        if (auto st = lines->add(l); !st) return st;
    return tx.commit();
}

Busiest busiestAccount(const Company& c) {
    std::map<std::string, long> perAccount;
    for (const auto& l : c.lines) ++perAccount[l.HESAPKODU];
    Busiest b;
    for (const auto& [code, n] : perAccount)
        if (n > b.lines) b.lines = n, b.code = code;
    return b;
}

} // namespace hk::bench
