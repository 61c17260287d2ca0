// CSV import and export of vouchers.
#include "fixture.h"
#include "vouchers/csv.h"
#include "vouchers/exchange.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/rebuild.h"

#include <fstream>

using namespace hk;
using namespace hk::vouchers;
namespace fs = std::filesystem;

namespace {

class Exchange : public hk::vouchers::testing::Company {
  protected:
    core::Result<ImportSummary> import(const fs::path& p, bool dry = false) {
        Env e = env();
        return importVouchers(e, p, dry);
    }
};

TEST(CsvAmounts, BothSeparatorsAndTheTurkishForm) {
    struct Case {
        const char* text;
        char sep;
        double want;
        bool ok;
    } cases[] = {
        {"1234.56", ',', 1234.56, true}, {"-5", ',', -5, true},       {"", ',', 0, true},
        {"1.234,56", ';', 1234.56, true}, {"1234,5", ';', 1234.5, true}, {"1.234", ';', 1234, true},
        {"1234.56", ';', 1234.56, true}, {"12.34.5", ';', 0, false},   {"1,234.56", ',', 0, false},
        {"abc", ',', 0, false},          {"1.23,4", ';', 0, false},    {"1e3", ',', 0, false},
    };
    for (const auto& c : cases) {
        auto r = csv::parseAmount(c.text, c.sep);
        EXPECT_EQ(r.ok(), c.ok) << c.text;
        if (r && c.ok) {
            EXPECT_DOUBLE_EQ(*r, c.want) << c.text;
        }
    }
    EXPECT_EQ(*csv::parseDate("2015-03-10"), (core::Date{10, 3, 2015}));
    EXPECT_EQ(*csv::parseDate("10.03.2015"), (core::Date{10, 3, 2015}));
    EXPECT_FALSE(csv::parseDate("31.02.2015"));
    EXPECT_FALSE(csv::parseDate("10/03/2015"));
}

TEST_F(Exchange, ImportsNumbersAndPostsAFileInEitherDialect) {
    const std::string semi =
        "\xEF\xBB\xBF"
        "Date;VOUCHER;Account;Description;Amount;quantity;currency_amount;document_type;"
        "document_no\r\n"
        "10.03.2015;A1;120 01 005;\"Satış; \"\"fatura\"\"\";1.234,56;3;;Fatura;F-1\r\n"
        "10.03.2015;A1;;ek açıklama;;;;;\r\n"
        "10.03.2015;A1;600 01;;-1.234,56;;;;\r\n"
        "2015-04-02;B7;120 01 006;;10;;;;\r\n"
        ";B7;600 01;;-10;;;;\r\n";
    auto r = import(put("a.csv", semi));
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(r->vouchers, 2);
    EXPECT_EQ(r->rows, 5);
    auto b = Books::open(*ds_);
    auto h = b->head("0300000001");
    ASSERT_TRUE(h);
    EXPECT_DOUBLE_EQ(h->BTOPLAM, 1234.56);
    EXPECT_EQ(h->FISTUR, "M");
    EXPECT_EQ(h->FISNTLK, "N");
    auto lines = b->linesOf("0300000001");
    ASSERT_EQ(lines->size(), 3u);
    EXPECT_EQ((*lines)[0].FISACK, "Satış; \"fatura\"");
    EXPECT_DOUBLE_EQ((*lines)[0].ALTBIRIMBORC, 3);
    EXPECT_EQ((*lines)[0].BELGETIPI, "Fatura");
    EXPECT_EQ((*lines)[0].BELGENO, "F-1");
    EXPECT_EQ((*lines)[0].HESAPADI1, "Hesap 120 01 005");
    EXPECT_EQ((*lines)[1].ACKNO, 101);
    EXPECT_EQ((*lines)[1].FISACK, "ek açıklama");
    EXPECT_EQ((*lines)[2].ACKNO, 200);
    EXPECT_EQ((*lines)[2].BORCALACAK, "A");
    EXPECT_TRUE(b->head("0400000001"));
    EXPECT_DOUBLE_EQ(data::month(account("120").TLBORC, 3), 1234.56);
    EXPECT_DOUBLE_EQ(data::month(account("120").TLBORC, 4), 10);
    EXPECT_DOUBLE_EQ(data::month(account("600 01").TLALACAK, 3), 1234.56);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 4), 1);

    // The comma dialect with debit and credit columns.
    auto c = import(put("b.csv", "voucher,date,type,attribute,account,debit,credit\n"
                                   "x,11.03.2015,m,acf,120 01 005,5.5,\n"
                                   "x,11.03.2015,M,ACF,600 01,,5.50\n"));
    ASSERT_TRUE(c) << c.error().text;
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 5.5);
    EXPECT_EQ(b->head("0300000002")->FISNTLK, "ACF");
}

TEST_F(Exchange, EveryFailingRowIsReportedAndNothingIsWritten) {
    changeCompany([](data::Yasal& y) { y.KAPANANAY = 1; });
    const std::string bad =
        "voucher,date,account,description,debit,credit\n"
        "1,10.03.2015,120 01 005,,abc,\n"                     // 2: not a number
        "1,10.03.2015,600 01,,,10\n"                          // 3
        "2,10.03.2015,120 01 005,,-5,\n"                      // 4: negative
        "2,10.03.2015,600 01,,,-5\n"                          // 5: negative
        "3,10.03.2015,120 01,,5,\n"                           // 6: not a detail account
        "3,10.03.2015,999 99,,,5\n"                           // 7: unknown account
        "4,10.03.2015,120 01 005,,5,\n"                       // 8: unbalanced voucher
        "4,10.03.2015,600 01,,,4\n"                           // 9
        "5,10.03.2016,120 01 005,,5,\n"                       // 10: outside the period
        "5,10.03.2016,600 01,,,5\n"                           // 11
        "6,10.01.2015,120 01 005,,5,\n"                       // 12: closed month
        "6,10.01.2015,600 01,,,5\n"                           // 13
        "7,10.03.2015,120 01 005,,5,5\n"                      // 14: both sides
        "7,10.03.2015,600 01,,,0\n"                           // 15: no amount
        "8,10.03.2015,120 01 005," + std::string(51, 'x') + ",5,\n" // 16: too wide
        "8,10.03.2015,600 01,,,5\n"                           // 17
        "9,31.02.2015,120 01 005,,5,\n"                       // 18: no such date
        "10,10.03.2015,120 01 005,\"iki\nsatır\",5,\n"          // 19: a line break
        "10,10.03.2015,600 01,,,5\n";
    auto r = import(put("bad.csv", bad));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, core::ErrorKind::BadInput);
    const std::string& t = r.error().text;
    for (const char* want : {"satır 2: debit", "satır 4: debit ve credit negatif",
                             "satır 5: debit ve credit negatif", "satır 6: muavin hesap değil",
                             "satır 7: hesap planında yok", "satır 8: \"4\" fişi dengesiz",
                             "satır 10: tarih mali dönem dışında",
                             "satır 12: değişikliğe kapatılan ay", "satır 14: bir satır ya borç",
                             "satır 15: satırda TL tutarı yok", "satır 16: description en çok 50",
                             "satır 18: böyle bir tarih yok",
                             "satır 19: description: kontrol karakteri"})
        EXPECT_NE(t.find(want), std::string::npos) << want << "\n" << t;
    EXPECT_NE(t.find("hiçbir şey yazılmadı"), std::string::npos);
    EXPECT_EQ(count(true), 0);
    EXPECT_EQ(count(false), 0);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 0);

    // The header row: unknown columns, missing ones, both amount forms.
    struct Case {
        const char* head;
        const char* why;
    } heads[] = {{"voucher,date,account,debit,credit,colour", "bilinmeyen sütun \"colour\""},
                 {"voucher,account,debit,credit", "\"date\" sütunu gerekli"},
                 {"voucher,date,account,amount,debit", "tek \"amount\""},
                 {"voucher,date,account", "tek \"amount\""}};
    for (const auto& h : heads) {
        auto e = import(put("h.csv", std::string(h.head) + "\n1,10.03.2015,120 01 005,5,\n"));
        ASSERT_FALSE(e) << h.head;
        EXPECT_NE(e.error().text.find(h.why), std::string::npos) << e.error().text;
    }
    // More than 50 failing rows: the first 50 and the count.
    std::string many = "voucher,date,account,amount\n";
    for (int i = 0; i < 60; ++i) many += "v" + std::to_string(i) + ",10.03.2015,999,5\n";
    auto e = import(put("many.csv", many));
    ASSERT_FALSE(e);
    EXPECT_NE(e.error().text.find("(ilk 50 gösterildi)"), std::string::npos);
    EXPECT_EQ(count(true), 0);
}

TEST_F(Exchange, DryRunChecksButWritesNothing) {
    auto r = import(put("ok.csv", "voucher,date,account,amount\n1,10.03.2015,120 01 005,5\n"
                                    "1,10.03.2015,600 01,-5\n"),
                    true);
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_FALSE(r->written);
    EXPECT_EQ(r->vouchers, 1);
    EXPECT_EQ(count(true), 0);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 0);
}

TEST_F(Exchange, ExportThenImportIntoAnEmptyCompanyGivesTheSameBooks) {
    const std::string src =
        "voucher,date,type,attribute,account,description,debit,credit,quantity,currency_amount,"
        "document_type,document_no,document_date,document_description\n"
        "1,02.01.2015,M,ACF,120 01 005,açılış,1000.10,,,,,,,\n"
        "1,02.01.2015,M,ACF,600 01,,,1000.10,,,,,,\n"
        "2,05.03.2015,A,N,100 01,\"kasa, tahsil\",250,,,,Makbuz,M-9,05.03.2015,\n"
        "2,05.03.2015,A,N,,ek 1,,,,,,,,\n"
        "2,05.03.2015,A,N,,ek 2,,,,,,,,\n"
        "2,05.03.2015,A,N,120 01 006,,,250,2.5,80.25,Makbuz,M-9,05.03.2015,\n"
        "3,06.03.2015,E,IPT,320 01,,12.3456,,,,,,,\n"
        "3,06.03.2015,E,IPT,100 01,,,12.3456,,,,,,\n"
        "4,31.12.2015,M,KPF,600 01,,7,,,,Diğer,,,kapanış\n"
        "4,31.12.2015,M,KPF,120 01 005,,,7,,,Diğer,,,kapanış\n";
    ASSERT_TRUE(import(put("src.csv", src)));
    const fs::path out = dir_ / "out.csv";
    Env e = env();
    auto n = exportVouchers(e, out, 0);
    ASSERT_TRUE(n) << n.error().text;
    EXPECT_EQ(*n, 4);

    // A second company with the same chart and settings.
    hk::vouchers::testing::Company* self = this;
    (void)self;
    const fs::path other = dir_ / "other";
    fs::create_directories(other);
    auto ds2 = data::DataSet::open(data::Locations::resolve(other.string(), other));
    ASSERT_TRUE(ds2);
    {
        auto y = ds2->open<data::Yasal>();
        ASSERT_TRUE(y->add(company_));
        auto p = ds2->open<data::HsPlan>();
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b->plan.set("HSP:KeyHesap"));
        while (auto h = b->plan.next()) {
            data::HsPlan clean;
            clean.HESAPKODU = h->HESAPKODU;
            clean.HESAPAD1 = h->HESAPAD1;
            clean.NTLK = h->NTLK;
            ASSERT_TRUE(p->add(clean));
        }
    }
    Env e2{*session_, ui_, *ds2};
    auto r2 = importVouchers(e2, out, false);
    ASSERT_TRUE(r2) << r2.error().text;
    auto a = Books::open(*ds_);
    auto b = Books::open(*ds2);
    auto sameTotals = [&](const char* code) {
        auto x = a->account(code);
        auto y = b->account(code);
        ASSERT_TRUE(x && y);
        EXPECT_EQ(totalsOf(*x).opening, totalsOf(*y).opening) << code;
        EXPECT_EQ(totalsOf(*x).months, totalsOf(*y).months) << code;
        EXPECT_EQ(totalsOf(*x).closing, totalsOf(*y).closing) << code;
    };
    for (const char* code : {"100", "100 01", "120", "120 01 005", "120 01 006", "320 01", "600"})
        sameTotals(code);
    ASSERT_TRUE(a->heads.set("MFB:KeyFis"));
    while (auto h = a->heads.next()) {
        auto h2 = b->head(h->KEYSTR);
        ASSERT_TRUE(h2) << h->KEYSTR;
        EXPECT_EQ(h2->FISTRH, h->FISTRH);
        EXPECT_EQ(h2->FISTUR, h->FISTUR);
        EXPECT_EQ(h2->FISNTLK, h->FISNTLK);
        EXPECT_EQ(h2->BTOPLAM, h->BTOPLAM);
        auto l1 = a->linesOf(h->KEYSTR);
        auto l2 = b->linesOf(h->KEYSTR);
        ASSERT_EQ(l1->size(), l2->size());
        for (std::size_t i = 0; i < l1->size(); ++i) {
            auto x = (*l1)[i], y = (*l2)[i];
            x.KTARIHI = y.KTARIHI;
            x.KSAATI = y.KSAATI;
            EXPECT_EQ(x, y) << h->KEYSTR << " line " << i;
        }
    }
}

} // namespace
