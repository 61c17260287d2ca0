// The trial balance: the work file in month and date mode (periods, opening and closing totals,
// rounding, balance styles and status filters, the account range, frame classes) and the printed
// report (levels, totals, filters, formula columns, the standard layout as golden text).
#include "fixture.h"
#include "output/raw.h"
#include "output/textfile.h"
#include "reports/trial_balance.h"

#include <fstream>
#include <map>
#include <sstream>

namespace hk::reports::test {
namespace {

using Work = std::map<std::string, data::XHsp>;

Work work(Company& c, const TrialBalanceOptions& o) {
    app::testing::FakeUi ui;
    auto w = newWorkFile();
    EXPECT_TRUE(must(TnmMizanIslemi(c.ds(), ui, o, w)));
    Work out;
    must(w.set("XHSP:KeyHesap"));
    for (auto r = w.next(); r; r = w.next()) out[r->HESAPKODU] = *r;
    return out;
}

TrialBalanceOptions months(int a, int b) {
    TrialBalanceOptions o;
    o.startMonth = a;
    o.endMonth = b;
    o.reportDate = D(15, 6);
    return o;
}

// A chart of two branches with detail accounts.
void chart(Company& c) {
    c.account("100", "KASA");
    c.account("100 01", "MERKEZ");
    c.account("100 01 001", "Merkez Kasa");
    c.account("120", "ALICILAR");
    c.account("120 01", "YURT İÇİ ALICILAR");
    c.account("120 01 001", "Müşteri A");
    c.account("120 01 005", "Müşteri B");
    c.account("120 02", "YURT DIŞI ALICILAR");
    c.account("120 02 001", "Müşteri C");
    c.account("600", "YURT İÇİ SATIŞLAR");
    c.account("600 01", "SATIŞLAR");
    c.account("600 01 001", "Mal Satışı");
}

// Monthly totals set directly on the chart: opening, months, closing of one detail account.
void totals(Company& c, const std::string& code, double opening, std::vector<double> monthly,
            double closing) {
    c.changeAccount(code, [&](data::HsPlan& a) {
        a.ACTLBORC = opening;
        for (std::size_t m = 0; m < monthly.size(); ++m)
            data::month(a.TLBORC, static_cast<int>(m) + 1) = monthly[m];
        a.KPTLALACAK = closing;
    });
}

TEST(TrialBalanceWork, MonthPeriodsTakeOpeningMonthsAndClosing) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 1000, {200, 50, 30, 20, 10, 5}, 7);
    struct Case {
        int m1, m2;
        bool opening, closing;
        double cr, kmDebit, kmCredit;
    } cases[] = {
        {1, 1, true, false, 200, 1200, 0},          // opening + January; period = January
        {1, 1, false, false, 200, 200, 0},          // without the opening totals
        {3, 5, true, false, 60, 1310, 0},           // opening + months 1..5; period 3..5
        {3, 5, true, true, 60, 1310, 7},            // closing totals join the cumulative
        {6, 6, false, true, 5, 315, 7},
    };
    for (const auto& k : cases) {
        auto o = months(k.m1, k.m2);
        o.opening = k.opening;
        o.closing = k.closing;
        const Work w = work(c, o);
        for (const char* code : {"100", "100 01", "100 01 001"}) {
            SCOPED_TRACE(std::string(code) + " months " + std::to_string(k.m1) + ".." +
                         std::to_string(k.m2));
            ASSERT_TRUE(w.count(code));
            EXPECT_DOUBLE_EQ(w.at(code).CRTLBORC, k.cr);
            EXPECT_DOUBLE_EQ(w.at(code).KMTLBORC, k.kmDebit);
            EXPECT_DOUBLE_EQ(w.at(code).KMTLALACAK, k.kmCredit);
        }
    }
}

TEST(TrialBalanceWork, DateModeReadsAmountLinesBetweenTheDates) {
    Company c;
    chart(c);
    c.voucher(D(10, 3), 1, {{"100 01 001", 'B', 100, "a", {"ek açıklama"}}, {"600 01 001", 'A', 100}});
    c.voucher(D(16, 3), 2, {{"100 01 001", 'B', 40, "b", {"ek 1", "ek 2"}}, {"600 01 001", 'A', 40}});
    c.voucher(D(21, 3), 3, {{"100 01 001", 'B', 5}, {"600 01 001", 'A', 5}});
    TrialBalanceOptions o;
    o.startDate = D(15, 3);
    o.endDate = D(20, 3);
    const Work w = work(c, o);
    for (const char* code : {"100", "100 01 001"}) {
        SCOPED_TRACE(code);
        EXPECT_DOUBLE_EQ(w.at(code).CRTLBORC, 40);  // only 16.03
        EXPECT_DOUBLE_EQ(w.at(code).KMTLBORC, 140); // 10.03 and 16.03, no description lines
    }
    EXPECT_DOUBLE_EQ(w.at("600").KMTLALACAK, 140);
    EXPECT_DOUBLE_EQ(w.at("600").BKTLALACAK, 140);
}

TEST(TrialBalanceWork, DateModeLeavesOutOpeningClosingAndCancelledVouchers) {
    Company c;
    chart(c);
    c.voucher(D(1, 1), 1, {{"100 01 001", 'B', 1000}, {"600 01 001", 'A', 1000}}, "ACF");
    c.voucher(D(2, 1), 2, {{"100 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    c.voucher(D(3, 1), 3, {{"100 01 001", 'B', 300}, {"600 01 001", 'A', 300}}, "IPT");
    c.voucher(D(31, 12), 4, {{"100 01 001", 'A', 1010}, {"600 01 001", 'B', 1010}}, "KPF");
    TrialBalanceOptions o;
    o.startDate = D(1, 1);
    o.endDate = D(31, 12);
    o.status = 'T';
    struct Case {
        bool opening, closing;
        double debit, credit;
    } cases[] = {{true, false, 1010, 0}, {false, false, 10, 0}, {true, true, 1010, 1010}};
    for (const auto& k : cases) {
        o.opening = k.opening;
        o.closing = k.closing;
        const Work w = work(c, o);
        EXPECT_DOUBLE_EQ(w.at("100 01 001").KMTLBORC, k.debit);
        EXPECT_DOUBLE_EQ(w.at("100 01 001").KMTLALACAK, k.credit);
    }
}

TEST(TrialBalanceWork, DetailAmountsAreRoundedBeforeTheBalance) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {100.005}, 0);
    const Work w = work(c, months(1, 1));
    EXPECT_DOUBLE_EQ(w.at("100 01 001").KMTLBORC, 100.01);
    EXPECT_DOUBLE_EQ(w.at("100 01 001").BKTLBORC, 100.01);
    EXPECT_DOUBLE_EQ(w.at("100").BKTLBORC, 100.01);
}

TEST(TrialBalanceWork, BalanceStatusDecidesWhichAccountsStay) {
    Company c;
    chart(c);
    c.changeAccount("120 01 001", [](data::HsPlan& a) {
        data::month(a.TLBORC, 1) = 50;
        data::month(a.TLALACAK, 1) = 50;
    });
    totals(c, "100 01 001", 0, {10}, 0);
    struct Case {
        char status;
        bool settled, idle, idleGroup;
    } cases[] = {{'C', true, false, false}, {'B', false, false, false}, {'T', true, true, true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(1, k.status));
        auto o = months(1, 1);
        o.status = k.status;
        const Work w = work(c, o);
        EXPECT_EQ(w.count("120 01 001") == 1, k.settled); // moved, no balance
        EXPECT_EQ(w.count("120 01 005") == 1, k.idle);    // never moved
        EXPECT_EQ(w.count("120 02") == 1, k.idleGroup);
        EXPECT_TRUE(w.count("100 01 001"));
    }
}

TEST(TrialBalanceWork, BalanceStyleSingleNetsAndDoubleKeepsBothSides) {
    Company c;
    chart(c);
    totals(c, "120 01 001", 0, {500}, 0);
    c.changeAccount("120 02 001", [](data::HsPlan& a) { data::month(a.TLALACAK, 1) = 200; });
    auto o = months(1, 1);
    o.style = 'T';
    Work w = work(c, o);
    EXPECT_DOUBLE_EQ(w.at("120").BKTLBORC, 300);
    EXPECT_DOUBLE_EQ(w.at("120").BKTLALACAK, 0);
    o.style = 'C';
    w = work(c, o);
    EXPECT_DOUBLE_EQ(w.at("120").BKTLBORC, 500);
    EXPECT_DOUBLE_EQ(w.at("120").BKTLALACAK, 200);
    EXPECT_DOUBLE_EQ(w.at("120 01").BKTLBORC, 500);
}

TEST(TrialBalanceWork, AccountStartKeepsItsAncestorsWithItsOwnAmountsOnly) {
    Company c;
    chart(c);
    totals(c, "120 01 001", 0, {7}, 0);
    totals(c, "120 01 005", 0, {11}, 0);
    totals(c, "120 02 001", 0, {13}, 0);
    auto o = months(1, 1);
    o.accountStart = "120 01 005";
    o.accountEnd = "120 01 005";
    Work w = work(c, o);
    ASSERT_TRUE(w.count("120") && w.count("120 01") && w.count("120 01 005"));
    EXPECT_FALSE(w.count("120 01 001"));
    EXPECT_FALSE(w.count("120 02 001"));
    EXPECT_FALSE(w.count("100"));
    EXPECT_DOUBLE_EQ(w.at("120").KMTLBORC, 11);
    EXPECT_DOUBLE_EQ(w.at("120 01").KMTLBORC, 11);
    // An end that is not a detail account takes its whole branch.
    o.accountEnd = "120";
    w = work(c, o);
    EXPECT_DOUBLE_EQ(w.at("120").KMTLBORC, 24);
    EXPECT_TRUE(w.count("120 02 001"));
    EXPECT_FALSE(w.count("600"));
}

TEST(TrialBalanceWork, FrameClassesGatherTheirDetails) {
    Company c;
    chart(c);
    c.frameClass("1", "DÖNEN VARLIKLAR");
    c.frameClass("12", "TİCARİ ALACAKLAR");
    totals(c, "100 01 001", 0, {100}, 0);
    totals(c, "120 01 001", 0, {20}, 0);
    c.changeAccount("600 01 001", [](data::HsPlan& a) { data::month(a.TLALACAK, 1) = 120; });
    auto o = months(1, 1);
    o.frame = true;
    o.style = 'C';
    const Work w = work(c, o);
    ASSERT_TRUE(w.count("1") && w.count("10") && w.count("12") && w.count("6") && w.count("60"));
    EXPECT_EQ(w.at("1").NTLK, "C");
    EXPECT_EQ(w.at("12").NTLK, "S");
    EXPECT_EQ(w.at("1").HESAPAD1, "DÖNEN VARLIKLAR");
    EXPECT_EQ(w.at("12").HESAPAD1, "TİCARİ ALACAKLAR");
    EXPECT_DOUBLE_EQ(w.at("1").KMTLBORC, 120);
    EXPECT_DOUBLE_EQ(w.at("1").BKTLBORC, 120);
    EXPECT_DOUBLE_EQ(w.at("12").CRTLBORC, 20);
    EXPECT_DOUBLE_EQ(w.at("6").BKTLALACAK, 120);
}

TEST(TrialBalanceWork, RefusesEmptyAndImpossiblePeriods) {
    Company c;
    chart(c);
    struct Case {
        int m1, m2;
        core::Date d1, d2;
        char level;
        const char* why;
    } cases[] = {
        {5, 3, {}, {}, '8', "boş"},
        {1, 13, {}, {}, '8', "1 ile 12"},
        {13, 13, {}, {}, '8', "1 ile 12"},
        {0, 0, D(20, 3), D(15, 3), '8', "boş"},
        {0, 0, {}, {}, '8', "tarih"},
        {1, 1, {}, {}, '9', "seviyesi"},
    };
    for (const auto& k : cases) {
        TrialBalanceOptions o;
        o.startMonth = k.m1;
        o.endMonth = k.m2;
        o.startDate = k.d1;
        o.endDate = k.d2;
        o.level = k.level;
        app::testing::FakeUi ui;
        auto w = newWorkFile();
        auto r = TnmMizanIslemi(c.ds(), ui, o, w);
        ASSERT_FALSE(r.ok()) << k.why;
        EXPECT_EQ(r.error().kind, core::ErrorKind::BadInput);
        EXPECT_NE(core::text::lowerTr(r.error().text).find(k.why), std::string::npos)
            << r.error().text;
        EXPECT_EQ(must(w.count()), 0);
    }
}

// ---- the printed report ----

struct TbRun {
    Printed printed;
    app::testing::FakeUi ui;
    core::Status status;
};

void runReport(Company& c, Definition def, const TrialBalanceOptions& o, TbRun& r,
               output::PrinterKind kind = output::PrinterKind::Ordinary) {
    output::DocumentSink sink(r.printed.doc);
    Route route = printRoute(sink);
    route.kind = kind;
    TrialBalanceRun run;
    run.options = o;
    // The definition goes through the data folder like a stored one, under a fresh number.
    static int number = 0;
    ++number;
    def.header.RAPNO = static_cast<std::int16_t>(number);
    for (auto& col : def.columns) col.RAPNO = std::to_string(number);
    must(writeStandard(c.ds(), r.ui, def));
    DefinitionChoice choice;
    choice.number = number;
    auto res = runTrialBalance(c.ds(), r.ui, choice, run, route);
    r.status = res.ok() ? core::Status() : core::Status(res.error());
}

std::vector<double> amounts(const std::string& line) {
    std::vector<double> out;
    for (std::size_t from = 71; from + 18 <= 184; from += 19) {
        std::string s = field(line, from, 18);
        s.erase(std::remove(s.begin(), s.end(), ','), s.end());
        out.push_back(s.empty() ? 0 : std::stod(s));
    }
    return out;
}

TEST(TrialBalanceReport, LevelOneListsMainAccountsAndTheirGrandTotal) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {100}, 0);
    c.changeAccount("600 01 001", [](data::HsPlan& a) { data::month(a.TLALACAK, 1) = 100; });
    auto o = months(1, 1);
    o.level = '1';
    TbRun r;
    runReport(c, standardTrialBalance(Measure::Tl, 0), o, r);
    ASSERT_TRUE(r.status.ok()) << r.status.error().text;
    const auto lines = r.printed.lines();
    EXPECT_NE(lineStarting(lines, "100 "), "");
    EXPECT_EQ(lineStarting(lines, "100 01"), "");
    EXPECT_EQ(lineStarting(lines, "600 01 001"), "");
    const std::string total = lineStarting(lines, "GENEL TOPLAM ");
    ASSERT_NE(total, "");
    EXPECT_EQ(amounts(total), (std::vector<double>{100, 100, 100, 100, 100, 100}));
    // The total line carries no account's texts.
    EXPECT_EQ(field(total, 14, 57), "");
}

TEST(TrialBalanceReport, GroupsAreListedButOnlyMainAccountsAreTotalled) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {100}, 0);
    totals(c, "120 01 005", 0, {25}, 0);
    TbRun r;
    runReport(c, standardTrialBalance(Measure::Tl, 0), months(1, 1), r);
    ASSERT_TRUE(r.status.ok());
    const auto lines = r.printed.lines();
    EXPECT_EQ(amounts(lineStarting(lines, "120 01 005"))[0], 25);
    EXPECT_EQ(amounts(lineStarting(lines, "GENEL TOPLAM"))[0], 125);
}

Definition oneColumn(const std::string& code, const std::string& kind = "D",
                     const std::string& formula = {}) {
    Definition d = standardTrialBalance(Measure::Tl, 0);
    d.columns.resize(2);
    data::DRapor col = d.columns[0];
    col.SIRANO = 3;
    col.FIELDKOD = code;
    col.NTLK = kind;
    col.FORMUL = formula;
    col.FRML = kind == "S" ? "@s18" : "@n18.2";
    col.TOPLA = kind == "S" ? "H" : "E";
    d.columns.push_back(col);
    return d;
}

TEST(TrialBalanceReport, AFieldCodeIsRewrittenOnlyAtItsFirstOccurrence) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {300}, 0);
    auto value = [&](const std::string& code) {
        TbRun r;
        runReport(c, oneColumn(code), months(1, 1), r);
        EXPECT_TRUE(r.status.ok());
        std::string s = field(lineStarting(r.printed.lines(), "100 01 001"), 71, 18);
        s.erase(std::remove(s.begin(), s.end(), ','), s.end());
        return s;
    };
    EXPECT_EQ(value("HSP:TLBorc[Bk]"), "300.00");
    EXPECT_EQ(value("hsp:tlborc[bk] * 2"), "600.00");
    // The second occurrence stays as written, names nothing bound, and the column fails to 0.
    EXPECT_EQ(value("HSP:TLBorc[Bk] + HSP:TLBorc[Bk]"), "0.00");
}

TEST(TrialBalanceReport, FormulaColumnsReferToOtherColumnsByNumber) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {300}, 0);
    c.changeAccount("100 01 001", [](data::HsPlan& a) { data::month(a.TLALACAK, 1) = 120; });
    Definition d = oneColumn("HSP:TLBorc[Km]");
    data::DRapor credit = d.columns[2];
    credit.SIRANO = 4;
    credit.FIELDKOD = "HSP:TLAlacak[Km]";
    d.columns.push_back(credit);
    data::DRapor net = d.columns[2];
    net.SIRANO = 5;
    net.NTLK = "F";
    net.FORMUL = "$03-$04+$99";
    d.columns.push_back(net);
    TbRun r;
    runReport(c, d, months(1, 1), r);
    ASSERT_TRUE(r.status.ok());
    const auto a = amounts(lineStarting(r.printed.lines(), "100 01 001"));
    EXPECT_EQ(a[0], 300);
    EXPECT_EQ(a[1], 120);
    EXPECT_EQ(a[2], 180);
}

TEST(TrialBalanceReport, FiltersSkipRecordsOrEndTheRunWithTheirMessage) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {300}, 0);
    totals(c, "120 01 001", 0, {20}, 0);
    {
        Definition d = standardTrialBalance(Measure::Tl, 0);
        d.header.FILTRE2 = "XHSP:KMTLBORC > 100";
        TbRun r;
        runReport(c, d, months(1, 1), r);
        ASSERT_TRUE(r.status.ok());
        const auto lines = r.printed.lines();
        EXPECT_NE(lineStarting(lines, "100 01 001"), "");
        EXPECT_EQ(lineStarting(lines, "120 01 001"), "");
        EXPECT_EQ(amounts(lineStarting(lines, "GENEL TOPLAM"))[0], 300);
    }
    struct Case {
        int filter; // 1..3 report filter, 0 column filter
        std::string message;
    } cases[] = {{1, "1. Filtre Yanlış"}, {3, "3. Filtre Yanlış"}, {0, "Filtre Yanlış"}};
    for (const auto& k : cases) {
        Definition d = standardTrialBalance(Measure::Tl, 0);
        const std::string bad = "NOSUCHNAME > 1";
        if (k.filter == 1) d.header.FILTRE1 = bad;
        if (k.filter == 3) d.header.FILTRE3 = bad;
        if (k.filter == 0) d.columns[2].FILTRE = bad;
        TbRun r;
        runReport(c, d, months(1, 1), r);
        ASSERT_FALSE(r.status.ok());
        EXPECT_TRUE(r.status.error().shown);
        ASSERT_EQ(r.ui.messages.size(), 1u);
        EXPECT_EQ(r.ui.messages[0].text, k.message);
    }
    {
        // A column filter that comes to 0 blanks the column for that record only.
        Definition d = standardTrialBalance(Measure::Tl, 0);
        d.columns[2].FILTRE = "XHSP:NTLK = 'M'";
        TbRun r;
        runReport(c, d, months(1, 1), r);
        ASSERT_TRUE(r.status.ok());
        const auto lines = r.printed.lines();
        EXPECT_EQ(amounts(lineStarting(lines, "100 01 001"))[0], 300);
        EXPECT_EQ(amounts(lineStarting(lines, "100 "))[0], 0);
        EXPECT_EQ(amounts(lineStarting(lines, "100 "))[2], 300);
    }
}

TEST(TrialBalanceReport, TextPrintersEmphasiseMainAccountsAndEndWithAFormFeed) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {100}, 0);
    TbRun r;
    runReport(c, standardTrialBalance(Measure::Tl, 0), months(1, 1), r,
              output::PrinterKind::Npq);
    ASSERT_TRUE(r.status.ok());
    const auto& page = r.printed.doc.pages.at(0);
    EXPECT_EQ(page.lines.at(0).parts.at(0).bytes, "\x1b@\x1bM\x0f\x1bG");
    EXPECT_TRUE(page.formFeed);
    bool emphasised = false;
    for (const auto& l : page.lines)
        if (l.visibleText().rfind("100 ", 0) == 0 && l.visibleText().find("KASA") != std::string::npos)
            emphasised = l.parts.front().control && l.parts.front().bytes == "\x1bG";
    EXPECT_TRUE(emphasised);
}

// A run that selects no account writes nothing, not even a header, so it must leave no file on
// either file route; the same run over accounts with amounts writes its file.
TEST(TrialBalanceReport, ARunThatSelectsNothingLeavesNoFileBehind) {
    Company c;
    chart(c);
    totals(c, "100 01 001", 0, {100}, 0);
    struct Case {
        const char* name;
        bool raw;
        const char* from;
        bool written;
    } cases[] = {{"empty.txt", false, "999", false},
                 {"empty.prn", true, "999", false},
                 {"full.txt", false, "100", true},
                 {"full.prn", true, "100", true}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const auto file = c.dir() / k.name;
        std::unique_ptr<output::PageSink> sink;
        if (k.raw)
            sink = std::make_unique<output::RawSink>(must(output::openRawFile(file)));
        else
            sink = must(output::TextFileSink::open(file));
        Route route = printRoute(*sink, !k.raw);
        route.kind = k.raw ? output::PrinterKind::Npq : output::PrinterKind::Ordinary;
        TrialBalanceRun run;
        run.options = months(1, 1);
        run.options.accountStart = k.from;
        run.options.accountEnd = k.from;
        app::testing::FakeUi ui;
        ASSERT_TRUE(must(runTrialBalance(c.ds(), ui, {}, run, route)));
        sink.reset();
        ASSERT_EQ(std::filesystem::exists(file), k.written);
        if (k.written) {
            EXPECT_GT(std::filesystem::file_size(file), 0u);
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, kNothingToOutput);
        }
    }
}


// A small company posted through vouchers and the rebuild.
void smallBooks(Company& c) {
    chart(c);
    c.voucher(D(2, 1), 1, {{"100 01 001", 'B', 5000, "Sermaye"}, {"600 01 001", 'A', 5000}}, "ACF");
    c.voucher(D(15, 2), 2, {{"120 01 001", 'B', 1180.5, "Fatura 1"}, {"600 01 001", 'A', 1180.5}});
    c.voucher(D(20, 3), 3, {{"100 01 001", 'B', 1180.5, "Tahsilat"}, {"120 01 001", 'A', 1180.5}});
    c.voucher(D(25, 3), 4,
              {{.code = "120 02 001", .side = 'B', .amount = 250.25, .desc = "Fatura 2", .quantity = 3.5},
               {.code = "600 01 001", .side = 'A', .amount = 250.25, .quantity = 3.5}});
    c.rebuild();
}

TEST(TrialBalanceReport, StandardDefinitionsPrintTheirGoldenText) {
    for (auto [m, file] : {std::pair{Measure::Tl, "trial_balance_tl.txt"},
                           std::pair{Measure::AltBirim, "trial_balance_altbirim.txt"}}) {
        Company c;
        smallBooks(c);
        auto o = months(3, 3);
        o.status = m == Measure::Tl ? 'C' : 'T';
        TbRun r;
        runReport(c, standardTrialBalance(m, 0), o, r);
        ASSERT_TRUE(r.status.ok());
        expectGolden(r.printed.text(), file);
    }
}

TEST(TrialBalanceReport, GrandTotalsEqualThePostedLinesOfRandomBooks) {
    Company c;
    chart(c);
    const std::vector<std::string> details = {"100 01 001", "120 01 001", "120 01 005",
                                              "120 02 001", "600 01 001"};
    std::mt19937 rng(20240601);
    double debit = 0, credit = 0, period = 0;
    for (int v = 1; v <= 120; ++v) {
        const int month = 1 + static_cast<int>(rng() % 12);
        const int day = 1 + static_cast<int>(rng() % 28);
        const double a = static_cast<double>(rng() % 1000000) / 100.0;
        const std::string dc = details[rng() % details.size()];
        std::string cc = details[rng() % details.size()];
        c.voucher(D(day, month), v, {{dc, 'B', a}, {cc, 'A', a}});
        if (month <= 9) debit += a, credit += a; // cumulative to the end of the period
        if (month >= 4 && month <= 9) period += a;
    }
    c.rebuild();
    output::Sheet sheet;
    Route route;
    route.sheet = &sheet;
    TrialBalanceRun run;
    run.options = months(4, 9);
    run.options.status = 'T';
    app::testing::FakeUi ui;
    ASSERT_TRUE(must(runTrialBalance(c.ds(), ui, {}, run, route)));
    const auto& last = sheet.rows().back().cells;
    ASSERT_EQ(std::get<std::string>(last.at(0)), "GENEL TOPLAM");
    auto num = [&](std::size_t i) { return std::get<double>(last.at(i)); };
    EXPECT_NEAR(num(2), core::numeric::round(period, 2), 0.001);
    EXPECT_NEAR(num(3), core::numeric::round(period, 2), 0.001);
    EXPECT_NEAR(num(4), core::numeric::round(debit, 2), 0.001);
    EXPECT_NEAR(num(5), core::numeric::round(credit, 2), 0.001);
    // Balances of a balanced book net to zero across the sides.
    EXPECT_NEAR(num(6), num(7), 0.001);
}

} // namespace
} // namespace hk::reports::test
