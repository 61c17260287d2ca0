// The subsidiary ledger reads detail accounts' lines through FisDet's account index or in one
// pass over the lines as stored; both must print the very same pages. The fixture stores lines
// out of key order (vouchers of later months first, lines of a voucher not by ACKNO, equal ACKNOs
// on one account, a line without a voucher, a deleted line, lines moved to another account in
// place and by writing them anew), so any difference in order or choice of lines shows.
#include "fixture.h"
#include "reports/common.h"
#include "reports/ledger.h"

#include "core/numeric.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <random>

namespace hk::reports::test {
namespace {

using Reads = LedgerOptions::Reads;

void chart(Company& c) {
    c.account("100", "KASA");
    c.account("100 01", "MERKEZ");
    c.account("100 01 001", "Merkez Kasa");
    c.account("100 01 002", "Şube Kasa");
    c.account("102", "BANKALAR");
    c.account("102 01", "VADESİZ");
    c.account("102 01 001", "Banka A");
    c.account("120", "ALICILAR");
    c.account("120 01", "YURT İÇİ ALICILAR");
    c.account("120 01 001", "Müşteri A");
    c.account("120 01 002", "Müşteri B");
    c.account("120 01 003", "Müşteri C");
    c.account("600", "YURT İÇİ SATIŞLAR");
    c.account("600 01", "SATIŞLAR");
    c.account("600 01 001", "Mal Satışı");
}

// A line written as it stands (ACKNO, amounts and texts chosen by the test).
data::FisDet line(const std::string& key, const std::string& code, int ackno, double debit,
                  double credit, const std::string& desc) {
    data::FisDet d;
    d.KEYSTR = key;
    d.HESAPKODU = code;
    d.ACKNO = ackno;
    d.FISSIRANO = static_cast<std::int16_t>(ackno / 100);
    d.TLBORC = debit;
    d.TLALACAK = credit;
    d.FISACK = desc;
    d.BORCALACAK = debit != 0 ? "B" : "A";
    return d;
}

void books(Company& c) {
    chart(c);
    // Later months first, so that the table's order is not the vouchers' order.
    c.voucher(D(20, 6), 7, {{"120 01 002", 'B', 700, "Haziran B"}, {"600 01 001", 'A', 700}});
    c.voucher(D(3, 5), 5,
              {{.code = "100 01 002", .side = 'B', .amount = 55.55, .desc = "Mayıs şube",
                .extra = {"ek açıklama bir", "ek açıklama iki"}, .docType = "FT", .docNo = "A-1",
                .quantity = 3},
               {"600 01 001", 'A', 55.55}});
    c.voucher(D(1, 1), 1, {{"100 01 001", 'B', 1000, "açılış"}, {"600 01 001", 'A', 1000}}, "ACF");
    c.voucher(D(15, 3), 3, {{"120 01 001", 'B', 30, "Mart A"}, {"120 01 002", 'B', 31, "Mart B"},
                            {"100 01 001", 'A', 61, "Mart kasa"}});
    c.voucher(D(15, 3), 2, {{"102 01 001", 'B', 12.5, "Mart banka"},
                            {"100 01 001", 'A', 12.5, "Mart banka kasa"}});
    c.voucher(D(9, 2), 4, {{"120 01 001", 'B', 40, "Şubat A"}, {"600 01 001", 'A', 40}});
    c.voucher(D(28, 4), 6, {{"100 01 002", 'B', 9, "iptal"}, {"600 01 001", 'A', 9}}, "IPT");
    c.voucher(D(31, 12), 9, {{"600 01 001", 'B', 999, "kapanış"}, {"100 01 001", 'A', 999}}, "KPF");

    auto t = must(c.ds().open<data::FisDet>());
    // One voucher of July whose lines are stored out of ACKNO order, two of them on one account
    // with the same ACKNO (they keep the order they were written in).
    const std::string jul = c.voucher(D(10, 7), 8, {{"600 01 001", 'A', 1}});
    must(t.add(line(jul, "120 01 003", 500, 5, 0, "Temmuz beşinci")));
    must(t.add(line(jul, "120 01 003", 200, 2, 0, "Temmuz ikinci ilk")));
    must(t.add(line(jul, "120 01 001", 300, 3, 0, "Temmuz A")));
    must(t.add(line(jul, "120 01 003", 200, 4, 0, "Temmuz ikinci son")));
    must(t.add(line(jul, "120 01 003", 201, 0, 0, "Temmuz ek satır")));
    must(t.add(line(jul, "120 01 003", -5, 1, 0, "Temmuz eksi")));
    // A line of a voucher that does not exist is in no book.
    must(t.add(line("0799999999", "120 01 003", 100, 77, 0, "sahipsiz")));
    // A line deleted, a line moved to another account in place, one moved by writing it anew.
    must(t.add(line(jul, "120 01 002", 600, 66, 0, "silinen")));
    must(t.erase());
    must(t.add(line(jul, "120 01 002", 700, 7, 0, "taşınan yerinde")));
    {
        data::FisDet moved = t.current();
        moved.HESAPKODU = "120 01 003";
        must(t.put(moved));
    }
    must(t.add(line(jul, "120 01 001", 100, 8, 0, "taşınan yeniden")));
    must(t.erase());
    must(t.add(line(jul, "120 01 002", 100, 8, 0, "taşınan yeniden")));
    // A voucher of the same date and number as voucher 3, written after it but with a lower
    // key: equal dates and numbers keep the order the vouchers were stored in.
    const std::string twin = c.voucher(D(15, 3), 1, {{"120 01 001", 'B', 11, "ikiz A"},
                                                     {"120 01 002", 'B', 12, "ikiz B"},
                                                     {"100 01 001", 'A', 23, "ikiz kasa"}});
    auto h = must(c.ds().open<data::FisBas>());
    data::FisBas k;
    k.KEYSTR = twin;
    data::FisBas head = must(h.get("MFB:KeyFis", k));
    head.FISNO = 3;
    must(h.put(head));
}

struct Out {
    std::string text;
    core::Result<LedgerStats> result = LedgerStats{};
};

// `number`: a definition written before (0: the standard one of the measure).
Out run(Company& c, LedgerOptions o, Reads reads, Measure m = Measure::Tl, int number = 0) {
    o.reads = reads;
    Printed printed;
    output::DocumentSink sink(printed.doc);
    app::testing::FakeUi ui;
    DefinitionChoice d;
    d.measure = m;
    if (number != 0) d.number = number;
    Out out;
    out.result = runLedger(c.ds(), ui, d, o, printRoute(sink));
    out.text = printed.text();
    return out;
}

LedgerOptions base() {
    LedgerOptions o;
    o.startMonth = 1;
    o.endMonth = 12;
    o.reportDate = D(15, 6);
    return o;
}

// Both ways print the same pages for every choice of period, accounts and voucher kinds.
TEST(LedgerReads, OnePassPrintsWhatTheAccountIndexPrints) {
    Company c;
    books(c);
    struct Case {
        const char* name;
        void (*change)(LedgerOptions&);
    } cases[] = {
        {"every account, the year", [](LedgerOptions&) {}},
        {"months 3-7", [](LedgerOptions& o) { o.startMonth = 3; o.endMonth = 7; }},
        {"months 2-2", [](LedgerOptions& o) { o.startMonth = o.endMonth = 2; }},
        {"dates 10.03-15.07",
         [](LedgerOptions& o) {
             o.startMonth = o.endMonth = 0;
             o.startDate = D(10, 3);
             o.endDate = D(15, 7);
         }},
        {"range of customers", [](LedgerOptions& o) { o.accountStart = "120 01 002"; o.accountEnd = "120"; }},
        {"one account", [](LedgerOptions& o) { o.accountStart = o.accountEnd = "120 01 003"; }},
        {"idle accounts too, one page", [](LedgerOptions& o) { o.onlyActive = false; o.pagePerAccount = false; }},
        {"opening, closing and cancelled",
         [](LedgerOptions& o) { o.opening = false; o.closing = true; o.cancelled = true; }},
        {"no month totals, cumulative at the end only",
         [](LedgerOptions& o) { o.monthTotals = false; o.cumulativeEachMonth = false; }},
        {"file route", [](LedgerOptions& o) { o.fileRoute = true; o.startMonth = 4; }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        LedgerOptions o = base();
        k.change(o);
        const Out byAccount = run(c, o, Reads::ByAccount);
        const Out onePass = run(c, o, Reads::OnePass);
        const Out chosen = run(c, o, Reads::Chosen);
        ASSERT_TRUE(byAccount.result.ok()) << byAccount.result.error().text;
        ASSERT_TRUE(onePass.result.ok()) << onePass.result.error().text;
        ASSERT_TRUE(chosen.result.ok()) << chosen.result.error().text;
        EXPECT_GT(byAccount.result->lines, 0);
        EXPECT_EQ(onePass.text, byAccount.text);
        EXPECT_EQ(chosen.text, byAccount.text);
        EXPECT_EQ(onePass.result->lines, byAccount.result->lines);
        EXPECT_EQ(onePass.result->accounts, byAccount.result->accounts);
    }
}

// The order within a voucher is the account index's: by ACKNO, equal ones as written; the line
// without a voucher and the deleted one are left out, the moved ones follow their account.
TEST(LedgerReads, OnePassKeepsTheIndexOrderWithinAVoucher) {
    Company c;
    books(c);
    LedgerOptions o = base();
    o.startMonth = o.endMonth = 7;
    for (Reads reads : {Reads::OnePass, Reads::ByAccount}) {
        const Out out = run(c, o, reads);
        ASSERT_TRUE(out.result.ok());
        const std::string& t = out.text;
        auto at = [&](const char* s) { return t.find(s); };
        const std::vector<const char*> order = {"Temmuz eksi",       "Temmuz ikinci ilk",
                                                "Temmuz ikinci son", "Temmuz ek satır",
                                                "Temmuz beşinci",    "taşınan yerinde"};
        for (std::size_t i = 0; i < order.size(); ++i) {
            ASSERT_NE(at(order[i]), std::string::npos) << order[i];
            if (i > 0) {
                EXPECT_LT(at(order[i - 1]), at(order[i])) << order[i];
            }
        }
        EXPECT_EQ(at("sahipsiz"), std::string::npos);
        EXPECT_EQ(at("silinen"), std::string::npos);
        // "taşınan yeniden" is on 120 01 002's page, after the heading of that account.
        ASSERT_NE(at("taşınan yeniden"), std::string::npos);
        EXPECT_LT(at("120 01 002 Müşteri B"), at("taşınan yeniden"));
        EXPECT_GT(at("120 01 003 Müşteri C"), at("taşınan yeniden"));
    }
}

// Every field a definition may name comes back from the lines kept in memory: texts, document
// fields, dates, numbers, the voucher key and the account code, under each measure.
TEST(LedgerReads, OnePassGivesBackEveryFieldADefinitionReads) {
    Company c;
    books(c);
    int number = 7;
    for (Measure m : {Measure::Tl, Measure::AltBirim}) {
        Definition d = standardLedger(m, ++number);
        data::DRapor col = d.columns[0];
        col.SIRANO = 11;
        col.FIELDKOD = "MFD:BELGETIPI & '/' & MFD:BELGENO & '/' & MFD:KEYSTR & '/' & "
                       "MFD:HESAPKODU & '/' & MFD:FISSIRANO & '/' & MFD:ACKNO & '/' & "
                       "MFD:BORCALACAK & '/' & MFD:ALTBIRIMBORC";
        col.UZUNLUK = 60;
        col.FRML = "@s60";
        d.columns.push_back(col);
        app::testing::FakeUi ui;
        must(writeStandard(c.ds(), ui, d));
        LedgerOptions o = base();
        o.startMonth = 5;
        o.endMonth = 7;
        const Out byAccount = run(c, o, Reads::ByAccount, m, number);
        const Out onePass = run(c, o, Reads::OnePass, m, number);
        ASSERT_TRUE(byAccount.result.ok()) << byAccount.result.error().text;
        ASSERT_TRUE(onePass.result.ok()) << onePass.result.error().text;
        EXPECT_NE(byAccount.text.find("FT/A-1/0500000005/100 01 002/1/100/B/3"), std::string::npos)
            << byAccount.text;
        EXPECT_NE(byAccount.text.find("//0700000008/120 01 003/5/500/B/0"), std::string::npos)
            << byAccount.text;
        EXPECT_EQ(onePass.text, byAccount.text);
    }
}

// The pages of each account, without the line that carries the page's number.
std::map<std::string, std::vector<std::string>> pagesByAccount(const output::Document& doc) {
    std::map<std::string, std::vector<std::string>> out;
    std::string account;
    for (const auto& p : doc.pages) {
        for (const auto& l : p.lines) {
            const std::string t = l.visibleText();
            if (t.rfind("HesapKodu :  ", 0) == 0) account = t.substr(13, 10);
        }
        for (const auto& l : p.lines) {
            const std::string t = l.visibleText();
            if (t.find("Sayfa No") == std::string::npos) out[account].push_back(t);
        }
    }
    return out;
}

// A run over many accounts orders the vouchers itself (read as stored); a run over one account
// orders those of its lines apart: each account's pages agree between the two, vouchers of equal
// date and number included.
TEST(LedgerReads, ManyAccountsOrderTheVouchersAsOneAccountDoes) {
    Company c;
    books(c);
    for (Reads reads : {Reads::Chosen, Reads::ByAccount}) {
        LedgerOptions o = base();
        o.reads = reads;
        Printed many;
        {
            output::DocumentSink sink(many.doc);
            app::testing::FakeUi ui;
            ASSERT_TRUE(runLedger(c.ds(), ui, {}, o, printRoute(sink)).ok());
        }
        const auto manyPages = pagesByAccount(many.doc);
        ASSERT_GE(manyPages.size(), 6u);
        for (const auto& [account, lines] : manyPages) {
            SCOPED_TRACE(account);
            LedgerOptions one = base();
            one.accountStart = one.accountEnd = account;
            Printed single;
            output::DocumentSink sink(single.doc);
            app::testing::FakeUi ui;
            ASSERT_TRUE(runLedger(c.ds(), ui, {}, one, printRoute(sink)).ok());
            EXPECT_EQ(pagesByAccount(single.doc)[account], lines);
        }
        const std::string text = many.text();
        // Voucher 2 (number 2) before voucher 3 although stored after it; the twin numbered 3
        // after voucher 3, as stored, although its key is lower.
        EXPECT_LT(text.find("Mart banka kasa"), text.find("Mart kasa"));
        EXPECT_LT(text.find("Mart kasa"), text.find("ikiz kasa"));
        EXPECT_LT(text.find("Mart A"), text.find("ikiz A"));
        EXPECT_LT(text.find("Mart B"), text.find("ikiz B"));
    }
}

// The running balance's rounding gives the very double numeric::round gives, bit for bit: on
// values that need no rounding, halves, negatives, zeros, the very large and the very small, and
// along long running sums of amounts of two and three decimals.
TEST(LedgerRunningBalance, RoundSumIsNumericRound) {
    const double cases[] = {0.0,   -0.0,    1.0,     100.0,   0.05,   123.45,  -123.45, 1.005,
                            2.675, -2.675,  0.125,   1234.5,  1e15,   1e15 + 0.5, 1e22,  1e-9,
                            -1e-9, 0.1 + 0.2, 99.995, 0.3 - 0.1, 4.35 * 100, 8.0000001,
                            std::numeric_limits<double>::infinity()};
    auto same = [](double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); };
    for (int places : {0, 2, 3}) {
        for (double v : cases) {
            EXPECT_TRUE(same(roundSum(v, places), core::numeric::round(v, places)))
                << v << " to " << places << ": " << roundSum(v, places) << " against "
                << core::numeric::round(v, places);
        }
    }
    std::mt19937_64 rnd(42);
    std::uniform_int_distribution<int> cents(-500000, 500000);
    std::uniform_int_distribution<int> kind(0, 9);
    for (int places : {2, 3}) {
        double balance = 0;
        long general = 0;
        for (int i = 0; i < 200000; ++i) {
            const int k = kind(rnd);
            // Mostly cents; now and then thousandths or a value of many decimals.
            const double amount = k < 7 ? cents(rnd) / 100.0
                                  : k < 9 ? cents(rnd) / 1000.0
                                          : cents(rnd) / 7.0;
            const double sum = balance + amount;
            const double want = core::numeric::round(sum, places);
            ASSERT_TRUE(same(roundSum(sum, places), want)) << sum << " to " << places;
            if (want != sum) ++general;
            balance = want;
        }
        EXPECT_GT(general, 1000); // the sums that do need rounding were tried as well
    }
}

} // namespace
} // namespace hk::reports::test
