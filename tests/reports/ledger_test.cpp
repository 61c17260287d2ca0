// The subsidiary ledger: carried-forward line, month and cumulative totals, running balances
// and their rounding, date ranges, description lines, ledger-account mode, the voucher-kind
// options, one account per page, and the standard layout as golden text.
#include "fixture.h"
#include "output/textfile.h"
#include "reports/ledger.h"

#include <algorithm>

namespace hk::reports::test {
namespace {

void chart(Company& c) {
    c.account("100", "KASA");
    c.account("100 01", "MERKEZ");
    c.account("100 01 001", "Merkez Kasa");
    c.account("120", "ALICILAR");
    c.account("120 01", "YURT İÇİ ALICILAR");
    c.account("120 01 001", "Müşteri A");
    c.account("120 02", "YURT DIŞI ALICILAR", "M");
    c.account("600", "YURT İÇİ SATIŞLAR");
    c.account("600 01", "SATIŞLAR");
    c.account("600 01 001", "Mal Satışı");
}

LedgerOptions months(int a, int b, const std::string& account = "100 01 001") {
    LedgerOptions o;
    o.startMonth = a;
    o.endMonth = b;
    o.accountStart = o.accountEnd = account;
    o.reportDate = D(15, 6);
    return o;
}

struct LedgerRun {
    Printed printed;
    app::testing::FakeUi ui;
    core::Result<LedgerStats> result = LedgerStats{};
    std::vector<std::string> lines() const { return printed.lines(); }
};

void run(Company& c, const LedgerOptions& o, LedgerRun& r, Measure m = Measure::Tl,
         Definition* custom = nullptr) {
    output::DocumentSink sink(r.printed.doc);
    DefinitionChoice d;
    d.measure = m;
    if (custom) {
        must(writeStandard(c.ds(), r.ui, *custom));
        d.number = custom->header.RAPNO;
    }
    r.result = runLedger(c.ds(), r.ui, d, o, printRoute(sink));
}

// The four amount columns of a standard ledger line: debit, credit, debit balance, credit
// balance (blank = 0).
std::vector<double> amounts(const std::string& line) {
    std::vector<double> out;
    for (std::size_t from = 109; from + 18 <= 184; from += 19) {
        std::string s = field(line, from, 18);
        s.erase(std::remove(s.begin(), s.end(), ','), s.end());
        out.push_back(s.empty() ? 0 : std::stod(s));
    }
    return out;
}

std::vector<std::string> starting(const std::vector<std::string>& lines, const std::string& p) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        if (l.rfind(p, 0) == 0) out.push_back(l);
    return out;
}

// Lines of 100 01 001 in months 1-4: 100, 50 (Jan), -30 (Feb), 20 (Mar), 5 (Apr).
void fourMonths(Company& c) {
    chart(c);
    c.voucher(D(5, 1), 1, {{"100 01 001", 'B', 100, "Ocak 1"}, {"600 01 001", 'A', 100}});
    c.voucher(D(9, 1), 2, {{"100 01 001", 'B', 50, "Ocak 2"}, {"600 01 001", 'A', 50}});
    c.voucher(D(3, 2), 3, {{"100 01 001", 'A', 30, "Şubat"}, {"600 01 001", 'B', 30}});
    c.voucher(D(7, 3), 4, {{"100 01 001", 'B', 20, "Mart"}, {"600 01 001", 'A', 20}});
    c.voucher(D(2, 4), 5, {{"100 01 001", 'B', 5, "Nisan"}, {"600 01 001", 'A', 5}});
}

TEST(Ledger, CarriedForwardLineHoldsTheMonthsBeforeThePeriod) {
    Company c;
    fourMonths(c);
    LedgerRun r;
    run(c, months(3, 4), r);
    ASSERT_TRUE(r.result.ok()) << r.result.error().text;
    const auto l = r.lines();
    const auto devir = starting(l, "Devir");
    ASSERT_EQ(devir.size(), 1u);
    EXPECT_EQ(amounts(devir[0]), (std::vector<double>{150, 30, 120, 0}));
    // Lines before the period are not printed.
    for (const auto& line : l) EXPECT_EQ(line.find("Ocak 1"), std::string::npos);
    EXPECT_EQ(amounts(lineStarting(l, "MART AYI TOPLAMI")), (std::vector<double>{20, 0, 140, 0}));
    EXPECT_EQ(amounts(lineStarting(l, "NİSAN AYI TOPLAMI")), (std::vector<double>{5, 0, 145, 0}));
    const auto cum = starting(l, "KÜMÜLATİF TOPLAM");
    ASSERT_EQ(cum.size(), 2u);
    EXPECT_EQ(amounts(cum[0]), (std::vector<double>{170, 30, 140, 0}));
    EXPECT_EQ(amounts(cum[1]), (std::vector<double>{175, 30, 145, 0}));
}

TEST(Ledger, FirstMonthHasNoCarriedForwardLine) {
    Company c;
    fourMonths(c);
    LedgerRun r;
    run(c, months(1, 1), r);
    ASSERT_TRUE(r.result.ok());
    const auto l = r.lines();
    EXPECT_TRUE(starting(l, "Devir").empty());
    EXPECT_EQ(amounts(lineStarting(l, "OCAK AYI TOPLAMI")), (std::vector<double>{150, 0, 150, 0}));
    EXPECT_EQ(r.result->lines, 2);
}

TEST(Ledger, DateRangeCarriesForwardTheEarlierDaysOfTheMonth) {
    Company c;
    chart(c);
    c.voucher(D(10, 3), 1, {{"100 01 001", 'B', 70, "10 Mart"}, {"600 01 001", 'A', 70}});
    c.voucher(D(16, 3), 2, {{"100 01 001", 'B', 8, "16 Mart"}, {"600 01 001", 'A', 8}});
    c.voucher(D(25, 3), 3, {{"100 01 001", 'B', 1, "25 Mart"}, {"600 01 001", 'A', 1}});
    LedgerOptions o = months(0, 0);
    o.startDate = D(15, 3);
    o.endDate = D(20, 3);
    LedgerRun r;
    run(c, o, r);
    ASSERT_TRUE(r.result.ok()) << r.result.error().text;
    const auto l = r.lines();
    EXPECT_EQ(amounts(lineStarting(l, "Devir")), (std::vector<double>{70, 0, 70, 0}));
    EXPECT_EQ(amounts(lineStarting(l, "MART AYI TOPLAMI")), (std::vector<double>{8, 0, 78, 0}));
    EXPECT_EQ(r.result->lines, 1);
    for (const auto& line : l) EXPECT_EQ(line.find("25 Mart"), std::string::npos);
}

TEST(Ledger, RunningBalanceShowsItsSideAndTotalsShowTheLastBalance) {
    Company c;
    chart(c);
    c.voucher(D(5, 1), 1, {{"100 01 001", 'B', 100, "giriş"}, {"600 01 001", 'A', 100}});
    c.voucher(D(6, 1), 2, {{"100 01 001", 'A', 350, "çıkış"}, {"600 01 001", 'B', 350}});
    c.voucher(D(6, 2), 3, {{"100 01 001", 'B', 50, "giriş"}, {"600 01 001", 'A', 50}});
    LedgerRun r;
    run(c, months(1, 2), r);
    ASSERT_TRUE(r.result.ok());
    const auto l = r.lines();
    std::vector<std::string> body;
    for (const auto& line : l)
        if (field(line, 18, 18) == "100 01 001") body.push_back(line);
    ASSERT_EQ(body.size(), 3u);
    EXPECT_EQ(amounts(body[1]), (std::vector<double>{0, 350, 0, 250}));
    EXPECT_EQ(amounts(body[2]), (std::vector<double>{50, 0, 0, 200}));
    EXPECT_EQ(amounts(lineStarting(l, "OCAK AYI TOPLAMI")), (std::vector<double>{100, 350, 0, 250}));
    EXPECT_EQ(amounts(lineStarting(l, "ŞUBAT AYI TOPLAMI")), (std::vector<double>{50, 0, 0, 200}));
    EXPECT_EQ(amounts(starting(l, "KÜMÜLATİF TOPLAM").back()),
              (std::vector<double>{150, 350, 0, 200}));
}

TEST(Ledger, RunningBalancesRoundToCentsAndSubUnitsToThousandths) {
    Company c;
    chart(c);
    c.voucher(D(5, 1), 1, {{.code = "100 01 001", .side = 'B', .amount = 100.004, .desc = "a", .quantity = 1.2344},
                            {"600 01 001", 'A', 100.004}});
    c.voucher(D(6, 1), 2, {{.code = "100 01 001", .side = 'B', .amount = 100.004, .desc = "b", .quantity = 1.0004},
                            {"600 01 001", 'A', 100.004}});
    Definition d = standardLedger(Measure::Tl, 7);
    data::DRapor col = d.columns[0];
    col.SIRANO = 11;
    col.FIELDKOD = "Format(BKTLBORC,@n_10.3) & '/' & Format(BKALTBIRIMBORC,@n_10.4)";
    col.UZUNLUK = 21;
    col.FRML = "@s21";
    d.columns.push_back(col);
    LedgerRun r;
    run(c, months(1, 1), r, Measure::Tl, &d);
    ASSERT_TRUE(r.result.ok());
    std::vector<std::string> shown;
    for (const auto& line : r.lines())
        if (line.size() > 190 && line.rfind("  ", 0) == 0) shown.push_back(field(line, 185, 21));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "100.000/    1.2340");
    EXPECT_EQ(shown[1], "200.000/    2.2340");
}

// The report reads only the fields of the lines and vouchers its columns name (and those it
// works with itself): a column on a field of neither kind must still show its value, for one
// account and for a range of accounts alike.
TEST(Ledger, ColumnsOnAnyLineOrVoucherFieldShowTheirValues) {
    for (const char* end : {"100 01 001", "699"}) {
        SCOPED_TRACE(end);
        Company c;
        chart(c);
        c.voucher(D(5, 1), 1,
                  {{.code = "100 01 001", .side = 'B', .amount = 10, .desc = "a", .docType = "FT", .docNo = "F-17"},
                   {"600 01 001", 'A', 10}});
        c.voucher(D(6, 1), 2,
                  {{.code = "100 01 001", .side = 'B', .amount = 20, .desc = "b", .docType = "FT", .docNo = "F-18"},
                   {"600 01 001", 'A', 20}});
        Definition d = standardLedger(Measure::Tl, 7);
        data::DRapor col = d.columns[0];
        col.SIRANO = 11;
        col.FIELDKOD = "MFD:BELGETIPI & '/' & MFD:BELGENO & '/' & MFB:FISTUR";
        col.UZUNLUK = 12;
        col.FRML = "@s12";
        d.columns.push_back(col);
        LedgerOptions o = months(1, 1);
        o.accountEnd = end;
        LedgerRun r;
        run(c, o, r, Measure::Tl, &d);
        ASSERT_TRUE(r.result.ok()) << r.result.error().text;
        std::vector<std::string> shown;
        for (const auto& line : r.lines())
            if (line.size() > 190 && line.find("/F-1") != std::string::npos)
                shown.push_back(field(line, 185, 12));
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].substr(0, 8), "FT/F-17/");
        EXPECT_EQ(shown[1].substr(0, 8), "FT/F-18/");
        EXPECT_GT(shown[0].size(), 8u); // the voucher's type follows
    }
}

TEST(Ledger, DescriptionLinesPrintTheirFirst32CharactersAndNoAmounts) {
    Company c;
    chart(c);
    c.voucher(D(5, 1), 1,
              {{"100 01 001", 'B', 100, "ana satır", {"Bu ek açıklama satırı otuz iki karakterden uzundur"}},
               {"600 01 001", 'A', 100}});
    LedgerRun r;
    run(c, months(1, 1), r);
    ASSERT_TRUE(r.result.ok());
    const auto l = r.lines();
    auto it = std::find_if(l.begin(), l.end(), [](const std::string& s) {
        return s.find("Bu ek açıklama") != std::string::npos;
    });
    ASSERT_NE(it, l.end());
    EXPECT_EQ(field(*it, 73, 35), "Bu ek açıklama satırı otuz iki k");
    EXPECT_EQ(amounts(*it), (std::vector<double>{0, 0, 100, 0}));
    EXPECT_EQ(field(*it, 18, 18), "");
    // The description line's stray amount never reaches the totals.
    EXPECT_EQ(amounts(lineStarting(l, "OCAK AYI TOPLAMI")), (std::vector<double>{100, 0, 100, 0}));
}

TEST(Ledger, LedgerAccountModeGathersTheWholeBranchUnderItsTopAccount) {
    Company c;
    chart(c);
    c.voucher(D(5, 1), 1, {{"120 01 001", 'B', 10, "alt"}, {"120 02", 'B', 5, "ikinci"},
                           {"600 01 001", 'A', 15}});
    LedgerOptions o = months(1, 1, "");
    o.accountStart = "120";
    o.accountEnd = "120";
    o.kebir = true;
    o.onlyActive = false;
    o.pagePerAccount = false;
    LedgerRun r;
    run(c, o, r);
    ASSERT_TRUE(r.result.ok()) << r.result.error().text;
    const auto l = r.lines();
    EXPECT_NE(lineStarting(l, "120  ALICILAR"), "");
    EXPECT_EQ(lineStarting(l, "120 01  "), "");
    EXPECT_EQ(amounts(lineStarting(l, "OCAK AYI TOPLAMI")), (std::vector<double>{15, 0, 15, 0}));
    EXPECT_NE(lineStarting(r.lines(), "KEBİR MUAVİN RAPORU"), "");
    EXPECT_EQ(r.result->accounts, 1);
}

TEST(Ledger, VoucherKindOptionsChooseOpeningClosingAndCancelledVouchers) {
    Company c;
    chart(c);
    c.voucher(D(1, 1), 1, {{"100 01 001", 'B', 1000, "açılış"}, {"600 01 001", 'A', 1000}}, "ACF");
    c.voucher(D(2, 1), 2, {{"100 01 001", 'B', 10, "normal"}, {"600 01 001", 'A', 10}});
    c.voucher(D(3, 1), 3, {{"100 01 001", 'B', 300, "iptal"}, {"600 01 001", 'A', 300}}, "IPT");
    c.voucher(D(31, 1), 4, {{"100 01 001", 'A', 7, "kapanış"}, {"600 01 001", 'B', 7}}, "KPF");
    struct Case {
        bool opening, closing, cancelled;
        std::vector<double> total;
    } cases[] = {{true, false, false, {1010, 0, 1010, 0}},
                 {false, false, false, {10, 0, 10, 0}},
                 {false, true, false, {10, 7, 3, 0}},
                 {false, false, true, {310, 0, 310, 0}}};
    for (const auto& k : cases) {
        LedgerOptions o = months(1, 1);
        o.opening = k.opening;
        o.closing = k.closing;
        o.cancelled = k.cancelled;
        LedgerRun r;
        run(c, o, r);
        ASSERT_TRUE(r.result.ok());
        EXPECT_EQ(amounts(lineStarting(r.lines(), "OCAK AYI TOPLAMI")), k.total);
    }
}

TEST(Ledger, EachAccountOnItsOwnPageOnlyWhenItMoved) {
    Company c;
    fourMonths(c);
    LedgerOptions o = months(1, 4, "");
    LedgerRun r;
    run(c, o, r);
    ASSERT_TRUE(r.result.ok());
    ASSERT_EQ(r.printed.doc.pages.size(), 2u); // 100 01 001 and 600 01 001; 120 01 001 idle
    EXPECT_EQ(r.printed.doc.pages[0].lines.at(3).visibleText(),
              "HesapKodu :  100 01 001 Merkez Kasa");
    EXPECT_EQ(r.printed.doc.pages[1].lines.at(3).visibleText(), "HesapKodu :  600 01 001 Mal Satışı");
    // Without the working-accounts check an idle account prints its (zero) carried-forward line.
    o = months(2, 4, "");
    o.onlyActive = false;
    o.accountStart = o.accountEnd = "120 01 001";
    LedgerRun idle;
    run(c, o, idle);
    ASSERT_TRUE(idle.result.ok());
    EXPECT_EQ(amounts(lineStarting(idle.lines(), "Devir")), (std::vector<double>{0, 0, 0, 0}));
}

// The text-file route of an account that has no line in the period writes no file (and tells
// the user); the busy account's run over the same months writes its lines.
TEST(Ledger, ATextFileRunWithoutLinesLeavesNoFile) {
    Company c;
    fourMonths(c);
    struct Case {
        const char* account;
        bool written;
    } cases[] = {{"120 01 001", false}, {"100 01 001", true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.account);
        const auto file = c.dir() / "RMua001.Txt";
        std::filesystem::remove(file);
        auto sink = must(output::TextFileSink::open(file));
        app::testing::FakeUi ui;
        auto r = runLedger(c.ds(), ui, {}, months(1, 2, k.account), printRoute(*sink, true));
        ASSERT_TRUE(r.ok());
        sink.reset();
        ASSERT_EQ(std::filesystem::exists(file), k.written);
        if (k.written) {
            std::ifstream in(file, std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            EXPECT_NE(text.find("Ocak 1"), std::string::npos);
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, kNothingToOutput);
        }
    }
}

TEST(Ledger, RefusesImpossiblePeriodsAndUnknownDefinitions) {
    Company c;
    chart(c);
    struct Case {
        int m1, m2;
        core::Date d1, d2;
        const char* why;
    } cases[] = {{4, 2, {}, {}, "boş"},
                 {0, 0, D(20, 3), D(10, 3), "boş"},
                 {0, 0, D(20, 3, 2023), D(10, 4), "mali dönem"},
                 {0, 0, D(1, 1), D(1, 1, 2025), "mali dönem"}};
    for (const auto& k : cases) {
        LedgerOptions o = months(k.m1, k.m2);
        o.startDate = k.d1;
        o.endDate = k.d2;
        LedgerRun r;
        run(c, o, r);
        ASSERT_FALSE(r.result.ok());
        EXPECT_NE(r.result.error().text.find(k.why), std::string::npos) << r.result.error().text;
        EXPECT_TRUE(r.printed.doc.pages.empty());
    }
    LedgerRun r;
    output::DocumentSink sink(r.printed.doc);
    DefinitionChoice d;
    d.number = 42;
    auto res = runLedger(c.ds(), r.ui, d, months(1, 1), printRoute(sink));
    ASSERT_FALSE(res.ok());
    EXPECT_NE(res.error().text.find("bulunamadı"), std::string::npos);
}

TEST(Ledger, StandardDefinitionPrintsItsGoldenText) {
    Company c;
    fourMonths(c);
    c.voucher(D(20, 3), 6, {{"100 01 001", 'A', 1234.56, "Büyük ödeme", {"ek satır"}},
                            {"600 01 001", 'B', 1234.56}});
    LedgerOptions o = months(2, 3, "");
    LedgerRun r;
    run(c, o, r);
    ASSERT_TRUE(r.result.ok());
    expectGolden(r.printed.text(), "ledger_tl.txt");
    // The text-file route: one account after another, headed by code and name.
    LedgerRun f;
    output::DocumentSink sink(f.printed.doc);
    f.result = runLedger(c.ds(), f.ui, {}, o, printRoute(sink, true));
    ASSERT_TRUE(f.result.ok());
    expectGolden(f.printed.text(), "ledger_tl_file.txt");
}

TEST(StandardDefinitions, ANumberInUseIsRefusedAndNothingIsWritten) {
    Company c;
    app::testing::FakeUi ui;
    must(StdMuavinRapor(c.ds(), ui, Measure::Tl, 3));
    auto again = StdMuavinRapor(c.ds(), ui, Measure::Doviz, 3);
    ASSERT_FALSE(again.ok());
    EXPECT_TRUE(again.error().shown);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Aynı Rapor Kodu Zaten Kullanılmaktadır.!");
    EXPECT_EQ(ui.messages[0].caption, "Uyarı Ekranı");
    auto d = must(loadDefinition(c.ds(), "2", 3));
    EXPECT_EQ(d.header.AD, "MUAVİN RAPORU");
    ASSERT_EQ(d.columns.size(), 10u);
    EXPECT_EQ(d.columns[6].FIELDKOD, "Mfd:TlBorc");
    // The same number of the other kind is free.
    must(StdMizanRapor(c.ds(), ui, Measure::AltBirim, 3));
    auto t = must(loadDefinition(c.ds(), "1", 3));
    EXPECT_EQ(t.header.AD, "MİZAN RAPORU(AltBirim)");
    EXPECT_EQ(t.columns[2].FIELDKOD, "Hsp:AltBirimBorc[Cr]");
}

} // namespace
} // namespace hk::reports::test
