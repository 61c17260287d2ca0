#include "vouchers/demo.h"

#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"
#include "vouchers/numbering.h"

namespace hk::vouchers {

namespace {

struct DemoAccount {
    const char* code;
    const char* name;
    const char* kind;
};

// Groups and details under main accounts the default chart holds.
constexpr DemoAccount kAccounts[] = {
    {"100 01", "MERKEZ KASA", "G"},         {"100 01 001", "TL KASA", "M"},
    {"102 01", "BANKALAR", "G"},            {"102 01 001", "ZİRAAT BANKASI", "M"},
    {"120 01", "YURTİÇİ ALICILAR", "G"},    {"120 01 001", "ANADOLU TİCARET A.Ş.", "M"},
    {"120 01 002", "EGE GIDA LTD.", "M"},   {"153 01", "TİCARİ MALLAR", "G"},
    {"153 01 001", "GIDA ÜRÜNLERİ", "M"},   {"191 01", "İNDİRİLECEK KDV", "G"},
    {"191 01 001", "İNDİRİLECEK KDV %18", "M"}, {"320 01", "YURTİÇİ SATICILAR", "G"},
    {"320 01 001", "MARMARA TOPTAN", "M"},  {"391 01", "HESAPLANAN KDV", "G"},
    {"391 01 001", "HESAPLANAN KDV %18", "M"}, {"600 01", "YURTİÇİ SATIŞLAR", "G"},
    {"600 01 001", "MAL SATIŞLARI", "M"},   {"770 01", "GENEL YÖNETİM GİDERLERİ", "G"},
    {"770 01 001", "KİRA GİDERLERİ", "M"},
};

data::FisDet line(const char* code, double debit, double credit, const std::string& text) {
    data::FisDet l;
    l.HESAPKODU = code;
    l.TLBORC = debit;
    l.TLALACAK = credit;
    l.BORCALACAK = debit != 0 ? "B" : "A";
    l.FISACK = text;
    return l;
}

} // namespace

core::Result<std::vector<std::string>> addDemoBook(Env& env, int months) {
    std::vector<std::string> added;
    auto books = Books::open(env.data);
    if (!books) return books.error();
    Books& b = *books;
    auto count = b.heads.count();
    if (!count) return count.error();
    if (*count > 0) return added;
    auto company = b.readCompany();
    if (!company) return company.error();
    data::Yasal y = *company;

    int accounts = 0;
    {
        data::Transaction tx{*b.db};
        if (!tx.started()) return tx.started().error();
        for (const auto& a : kAccounts) {
            auto found = b.account(a.code);
            if (found) continue;
            if (!data::is(found.error(), data::ErrorCode::NotFound)) return found.error();
            data::HsPlan h;
            h.HESAPKODU = a.code;
            h.HESAPAD1 = a.name;
            h.NTLK = a.kind;
            if (auto st = b.plan.add(h); !st) return st.error();
            ++accounts;
        }
        if (core::text::clip(y.KASAHESAPKODU).empty()) {
            y.KASAHESAPKODU = "100 01 001";
            if (auto st = b.readCompany(); !st) return st.error();
            if (auto st = b.writeCompany(y); !st) return st.error();
        }
        if (auto st = tx.commit(); !st) return st.error();
    }
    if (accounts > 0) added.push_back("HsPlan: " + std::to_string(accounts) + " demo hesabı");

    // The vouchers are saved as the form saves them; the Ui answers nothing, so every voucher
    // balances and the cash dialog takes its defaults.
    AskCash cash = [](CashChoice& c) {
        if (c.description.empty()) c.description = "Kasa";
        return true;
    };
    int saved = 0;
    for (int m = 1; m <= months; ++m) {
        struct Plan {
            int day;
            const char* type;
            std::vector<data::FisDet> lines;
        };
        // Whole amounts whose 18 % VAT is exact, so every voucher balances to the cent.
        const double sale = 10000 + 1000 * m, purchase = 6000 + 500 * m, rent = 2500,
                     receipt = 8000 + 700 * m;
        std::vector<Plan> plans = {
            {3, "M",
             {line("120 01 001", sale * 1.18, 0, "Satış faturası"),
              line("600 01 001", 0, sale, "Satış faturası"),
              line("391 01 001", 0, sale * 0.18, "Hesaplanan KDV")}},
            {7, "M",
             {line("153 01 001", purchase, 0, "Alış faturası"),
              line("191 01 001", purchase * 0.18, 0, "İndirilecek KDV"),
              line("320 01 001", 0, purchase * 1.18, "Alış faturası")}},
            {12, "A", {line("120 01 001", 0, receipt, "Tahsilat")}},
            {15, "E", {line("770 01 001", rent, 0, "Kira ödemesi")}},
            {20, "M",
             {line("102 01 001", receipt / 2, 0, "Kasadan bankaya"),
              line("100 01 001", 0, receipt / 2, "Kasadan bankaya")}},
            {25, "E", {line("320 01 001", purchase, 0, "Satıcıya ödeme")}},
        };
        for (auto& p : plans) {
            Draft d;
            d.mode = Mode::Insert;
            d.header.FISTUR = p.type;
            d.header.FISNTLK = "N";
            d.header.KARSITNO = 100;
            d.fiscalMonth = m;
            d.header.FISTRH = dateInFiscalMonth(y, m, p.day);
            int n = 0;
            for (auto& l : p.lines) {
                // The line carries its account's names, as the line form gives them.
                auto a = b.account(l.HESAPKODU);
                if (!a) return a.error();
                l.HESAPADI1 = a->HESAPAD1;
                l.HESAPADI2 = a->HESAPAD2;
                insertLine(d.lines, l, n++);
            }
            auto key = save(env, d, cash);
            if (!key) return key.error();
            ++saved;
        }
    }
    added.push_back("FisBas: " + std::to_string(saved) + " demo fişi, " + std::to_string(months) +
                    " ay");
    return added;
}

} // namespace hk::vouchers
