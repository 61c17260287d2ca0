// The printed journal: numbering, grouping, page ends and carried totals, printer kinds, and
// the faults of the numbering state (empty months, reprints, excluded kinds, cancelled vouchers).
#include "fixture.h"
#include "journal/report.h"
#include "output/raw.h"

namespace hk::journal::test {
namespace {

using output::PrinterKind;

struct Printed {
    output::Document doc;
    ReportResult result;
};

Printed print(Company& c, app::Ui& ui, RunOptions o, PrinterKind kind = PrinterKind::Ordinary) {
    Printed p;
    output::DocumentSink sink(p.doc);
    p.result = must(YevmiyeRaporu(c.ds(), ui, o, kind, sink));
    return p;
}

RunOptions month(int m, bool certified = false) {
    RunOptions o;
    o.month = m;
    o.certified = certified;
    return o;
}

std::vector<std::string> visible(const output::Page& p) {
    std::vector<std::string> out;
    for (const auto& l : p.lines)
        out.push_back(l.visibleText());
    return out;
}

std::vector<std::string> allLines(const output::Document& d) {
    std::vector<std::string> out;
    for (const auto& p : d.pages)
        for (const auto& l : p.lines)
            out.push_back(l.visibleText());
    return out;
}

// Column (1-based) where `part` starts in `line`, counted in characters.
std::size_t col(const std::string& line, const std::string& part) {
    return core::text::find(part, line);
}

// The lines between the entry heading and the end of the voucher's entries.
std::vector<std::string> entryBody(const output::Document& d) {
    std::vector<std::string> out;
    bool in = false;
    for (const auto& l : allLines(d)) {
        if (l.find("YEVMİYE MADDE NO") != std::string::npos) {
            in = true;
            continue;
        }
        if (!in) continue;
        if (l.empty() && !out.empty()) break;
        if (!l.empty()) out.push_back(l);
    }
    return out;
}

TEST(JournalMonths, FiscalYearStartingInJuly) {
    data::Yasal y;
    y.MALIDONEMBAS = D(1, 7, 2024);
    y.MALIDONEMSON = D(30, 6, 2025);
    struct Case {
        int p;
        core::Date start, end;
    } cases[] = {{1, D(1, 7, 2024), D(31, 7, 2024)},
                 {6, D(1, 12, 2024), D(31, 12, 2024)},
                 {7, D(1, 1, 2025), D(31, 1, 2025)},
                 {8, D(1, 2, 2025), D(28, 2, 2025)},
                 {12, D(1, 6, 2025), D(30, 6, 2025)}};
    for (const auto& c : cases) {
        const auto md = monthDates(y, c.p);
        EXPECT_EQ(md.start, c.start) << c.p;
        EXPECT_EQ(md.end, c.end) << c.p;
    }
}

TEST(JournalMonths, OnlyTheLastPrintedMonthOrTheNextMayRun) {
    JournalState first;
    EXPECT_EQ(proposedMonth(first), 1);
    EXPECT_EQ(allowedMonth(first, 0), 1);
    EXPECT_EQ(allowedMonth(first, 5), 1);
    JournalState s;
    s.lastMonth = 4;
    EXPECT_EQ(proposedMonth(s), 5);
    EXPECT_EQ(allowedMonth(s, 2), 4);
    EXPECT_EQ(allowedMonth(s, 4), 4);
    EXPECT_EQ(allowedMonth(s, 9), 5);
    s.lastMonth = 12;
    EXPECT_EQ(proposedMonth(s), 12);
    EXPECT_EQ(allowedMonth(s, 13), 12);
}

TEST(JournalReport, RefusesAMonthOutOfRangeOrAnEndDateOutsideTheMonthAndWritesNothing) {
    Company c;
    const auto key = c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 10}, {"600", 'A', 10}});
    struct Case {
        int month;
        core::Date end;
        const char* says;
    } cases[] = {{2, {}, "Yevmiye çekilecek dönem 1 olmalıdır"},
                 {1, D(3, 2, 2024), kOtherPeriodDate},
                 {1, D(3, 1, 2023), kOtherPeriodDate}};
    for (const auto& k : cases) {
        app::testing::FakeUi ui;
        RunOptions o = month(k.month, true);
        o.endDate = k.end;
        output::Document doc;
        output::DocumentSink sink(doc);
        auto r = YevmiyeRaporu(c.ds(), ui, o, PrinterKind::Ordinary, sink);
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().text.find(k.says), std::string::npos) << r.error().text;
        EXPECT_TRUE(doc.pages.empty());
        EXPECT_EQ(c.journalNo(key), 0);
        EXPECT_EQ(c.state().lastMonth, 0);
    }
}

TEST(JournalReport, GroupsByMainAccountAndSideWithSummaryLines) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 100, "Tahsilat bir"},
               {"100 01 002", 'B', 50.5, "Tahsilat iki"},
               {"320", 'A', 150.5, "Borç"}});
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1));
    const auto body = entryBody(p.doc);
    ASSERT_EQ(body.size(), 5u);
    // Summary of 100 (debit): code at 1, name at 20, amount ending at column 125.
    EXPECT_EQ(body[0].rfind("100", 0), 0u);
    EXPECT_EQ(col(body[0], "KASA"), 20u);
    EXPECT_EQ(col(body[0], "150.50"), 120u);
    EXPECT_EQ(core::text::length(body[0]), 125u);
    EXPECT_EQ(col(body[1], "100 01 001"), 1u);
    EXPECT_EQ(col(body[1], "Merkez Kasa"), 20u);
    EXPECT_EQ(col(body[1], "Tahsilat bir"), 69u);
    EXPECT_EQ(col(body[1], "100.00"), 120u);
    EXPECT_EQ(col(body[2], "Şube Kasa"), 20u);
    EXPECT_EQ(col(body[2], "50.50"), 121u);
    // Credit summary: name at 25, amount ending at column 131.
    EXPECT_EQ(col(body[3], "SATICILAR"), 25u);
    EXPECT_EQ(col(body[3], "150.50"), 126u);
    EXPECT_EQ(core::text::length(body[3]), 131u);
    EXPECT_EQ(col(body[4], "320"), 1u);
    EXPECT_EQ(col(body[4], "Borç"), 69u);
}

TEST(JournalReport, TwoDebitLinesSplitByACreditLineFormTwoGroups) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 10}, {"320", 'A', 30}, {"100 01 002", 'B', 20}});
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1));
    const auto body = entryBody(p.doc);
    ASSERT_EQ(body.size(), 6u);
    EXPECT_EQ(col(body[0], "10.00"), 121u);
    EXPECT_EQ(col(body[2], "30.00"), 127u);
    EXPECT_EQ(body[4].rfind("100", 0), 0u);
    EXPECT_EQ(col(body[4], "20.00"), 121u);
}

TEST(JournalReport, ExtraDescriptionLinesPrintOnlyTheirText) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 10, "Ana", {"Ek satır bir"}}, {"600", 'A', 10}});
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1));
    const auto body = entryBody(p.doc);
    ASSERT_EQ(body.size(), 5u);
    EXPECT_EQ(body[2], std::string(68, ' ') + "Ek satır bir");
}

// Enough vouchers for several pages of 80 lines.
void busyMonth(Company& c, int vouchers, int monthNo = 1) {
    for (int i = 1; i <= vouchers; ++i)
        c.voucher(D(1 + i % 28, monthNo, 2024), i,
                  {{"100 01 001", 'B', 10.0 * i, "Satış"},
                   {"100 01 002", 'B', 1.25, "Ek"},
                   {"600", 'A', 10.0 * i + 1.25, "Satış"}});
}

TEST(JournalReport, APageEndsWithABlankLineAndTwoTotalLinesWhenTheCounterReachesLppMinus3) {
    Company c;
    busyMonth(c, 12);
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1));
    ASSERT_GE(p.doc.pages.size(), 2u);
    const auto first = visible(p.doc.pages[0]);
    ASSERT_EQ(first.size(), 79u); // lines-per-page - 1
    EXPECT_EQ(first[76], "");
    EXPECT_EQ(first[77].rfind("S A Y F A   S O N U   T O P L A M I", 0), 0u);
    // The totals of the lines printed on page 1, computed apart from the report.
    const auto second = visible(p.doc.pages[1]);
    EXPECT_EQ(second[7].rfind("G E Ç E N   S A Y F A D A N   N A K L İ   Y E K Ü N", 0), 0u);
    EXPECT_EQ(core::text::sub(first[77], 106, 20), core::text::sub(second[7], 106, 20));
    EXPECT_EQ(core::text::sub(first[78], 112, 20), core::text::sub(second[8], 112, 20));
}

TEST(JournalReport, MainAccountOnlyCarriesTheTotalsOfAFullPrint) {
    Company c;
    busyMonth(c, 30);
    app::testing::FakeUi ui;
    RunOptions full = month(1);
    RunOptions main = month(1);
    main.mainOnly = true;
    auto a = print(c, ui, full);
    auto b = print(c, ui, main);
    EXPECT_LT(b.result.pages, a.result.pages);
    EXPECT_DOUBLE_EQ(a.result.state.debit, b.result.state.debit);
    EXPECT_DOUBLE_EQ(a.result.state.credit, b.result.state.credit);
    // 30 vouchers: debit 10*(1+..+30) + 30*1.25, credit the same.
    EXPECT_DOUBLE_EQ(a.result.state.debit, 4650 + 37.5);
    EXPECT_DOUBLE_EQ(a.result.state.credit, 4650 + 37.5);
    const auto last = visible(b.doc.pages.back());
    EXPECT_EQ(core::text::trim(core::text::sub(last[last.size() - 2], 106, 20)), "4,687.50");
    EXPECT_EQ(entryBody(b.doc).size(), 2u); // summaries only
}

TEST(JournalReport, FirstPageThreeCarriesTheTotalsOfTheEndOfPageTwo) {
    Company c;
    busyMonth(c, 40);
    app::testing::FakeUi ui;
    auto full = print(c, ui, month(1));
    ASSERT_GE(full.doc.pages.size(), 3u);
    RunOptions o = month(1);
    o.firstPage = 3;
    auto from3 = print(c, ui, o);
    ASSERT_FALSE(from3.doc.pages.empty());
    EXPECT_EQ(from3.doc.pages.front().number, 3);
    EXPECT_EQ(from3.doc.pages.size(), full.doc.pages.size() - 2);
    const auto end2 = visible(full.doc.pages[1]);
    const auto start3 = visible(from3.doc.pages.front());
    EXPECT_EQ(core::text::sub(start3[7], 106, 20), core::text::sub(end2[77], 106, 20));
    EXPECT_EQ(core::text::sub(start3[8], 112, 20), core::text::sub(end2[78], 112, 20));
    EXPECT_EQ(visible(full.doc.pages[2]), start3);
}

TEST(JournalReport, OpeningInAndClosingOutByDefaultCancelledNever) {
    Company c;
    const auto acf = c.voucher(D(1, 1, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}}, "ACF");
    const auto n = c.voucher(D(2, 1, 2024), 2, {{"100 01 001", 'B', 7}, {"600", 'A', 7}});
    const auto ipt = c.voucher(D(3, 1, 2024), 3, {{"100 01 001", 'B', 9}, {"600", 'A', 9}}, "IPT");
    const auto kpf =
        c.voucher(D(31, 1, 2024), 4, {{"100 01 001", 'B', 11}, {"600", 'A', 11}}, "KPF");
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1, true));
    EXPECT_EQ(p.result.entries, 2);
    EXPECT_EQ(c.journalNo(acf), 1);
    EXPECT_EQ(c.journalNo(n), 2);
    EXPECT_EQ(c.journalNo(ipt), 0);
    EXPECT_EQ(c.journalNo(kpf), 0);
    EXPECT_DOUBLE_EQ(c.state().debit, 12);
    EXPECT_DOUBLE_EQ(c.state().credit, 12);
}

TEST(JournalReport, UncertifiedNumbersAreThoseACertifiedRunGivesAndNothingIsWritten) {
    Company c;
    data::Yasal y = c.company();
    y.SONYEVMIYENO = 41; // the company's journal continues from an earlier book
    c.setCompany(y);
    c.voucher(D(9, 1, 2024), 2, {{"100 01 001", 'B', 7}, {"600", 'A', 7}});
    c.voucher(D(4, 1, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    app::testing::FakeUi ui;
    auto draft = print(c, ui, month(1));
    for (const auto& h : c.headers())
        EXPECT_EQ(h.YEVMIYENO, 0);
    EXPECT_EQ(c.state().lastMonth, 0);
    EXPECT_DOUBLE_EQ(c.state().lastNumber, 41);
    auto real = print(c, ui, month(1, true));
    EXPECT_EQ(allLines(draft.doc), allLines(real.doc));
    const auto hs = c.headers(); // date order
    EXPECT_EQ(hs[0].YEVMIYENO, 42);
    EXPECT_EQ(hs[1].YEVMIYENO, 43);
    const auto s = c.state();
    EXPECT_EQ(s.lastMonth, 1);
    EXPECT_DOUBLE_EQ(s.lastNumber, 43);
    EXPECT_EQ(s.lastDate, D(9, 1, 2024));
    EXPECT_DOUBLE_EQ(s.debit, 12);
}

TEST(JournalReport, EarlierMonthWithAnUnnumberedVoucherStopsTheRun) {
    Company c;
    c.voucher(D(12, 1, 2024), 7, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    data::Yasal y = c.company();
    y.SONYEVMIYEAY = 1; // month 1 marked printed, yet a voucher of it has no number
    c.setCompany(y);
    const auto feb = c.voucher(D(3, 2, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    app::testing::FakeUi ui;
    output::Document doc;
    output::DocumentSink sink(doc);
    auto r = YevmiyeRaporu(c.ds(), ui, month(2, true), PrinterKind::Ordinary, sink);
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().shown);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "12.01.2024 Tarihli 7 Nolu Fiş\nÖnceki Ay Fişlerinde\n"
                                   "Yevmiyesi Çekilmemiş Fiş Bulunuyor!");
    EXPECT_TRUE(doc.pages.empty());
    EXPECT_EQ(c.journalNo(feb), 0);
}

TEST(JournalReport, AnExcludedOpeningVoucherDoesNotBlockLaterMonths) {
    Company c;
    c.voucher(D(1, 1, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}}, "ACF");
    c.voucher(D(8, 1, 2024), 2, {{"100 01 001", 'B', 5}, {"600", 'A', 5}}, "IPT");
    const auto feb = c.voucher(D(3, 2, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    app::testing::FakeUi ui;
    RunOptions jan = month(1, true);
    jan.includeOpening = false;
    print(c, ui, jan);
    EXPECT_EQ(c.state().lastMonth, 1);
    RunOptions febo = month(2, true);
    febo.includeOpening = false;
    auto p = print(c, ui, febo);
    EXPECT_EQ(p.result.entries, 1);
    EXPECT_EQ(c.journalNo(feb), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(JournalReport, ACertifiedRunOverAnEmptyMonthAdvancesOnlyTheMonth) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    const auto mar = c.voucher(D(5, 3, 2024), 1, {{"100 01 001", 'B', 8}, {"600", 'A', 8}});
    app::testing::FakeUi ui;
    print(c, ui, month(1, true));
    const auto after1 = c.company();
    auto feb = print(c, ui, month(2, true)); // February has no voucher
    EXPECT_TRUE(feb.doc.pages.empty());
    data::Yasal expect = after1;
    expect.SONYEVMIYEAY = 2;
    EXPECT_EQ(c.company(), expect);
    print(c, ui, month(3, true));
    EXPECT_EQ(c.journalNo(mar), 2);
    EXPECT_EQ(c.state().lastMonth, 3);
}

TEST(JournalReport, AReprintStartsFromTheTotalsBeforeTheMonthAndWritesNothing) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 5}, {"600", 'A', 5}});
    c.voucher(D(5, 2, 2024), 1, {{"100 01 001", 'B', 8}, {"600", 'A', 8}});
    app::testing::FakeUi ui;
    print(c, ui, month(1, true));
    auto firstFeb = print(c, ui, month(2, true));
    const auto stored = c.company();
    RunOptions o = month(2, true);
    o.reprint = true;
    auto again = print(c, ui, o);
    EXPECT_EQ(allLines(again.doc), allLines(firstFeb.doc));
    EXPECT_EQ(c.company(), stored);
    EXPECT_DOUBLE_EQ(stored.SONYEVMIYEBORC, 13);
    EXPECT_EQ(again.result.entries, 1);
}

TEST(JournalReport, PageCountRunsToTheYearEndAndSaysHowManyPages) {
    Company c;
    busyMonth(c, 20, 1);
    busyMonth(c, 20, 6);
    app::testing::FakeUi ui;
    RunOptions o = month(1, true);
    o.pageCount = true;
    auto p = print(c, ui, o);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              " 1.01.2024 - 31.12.2024 Arası Sayfa Adedi: " +
                  core::picture::format(static_cast<double>(p.result.pages), "n10"));
    EXPECT_EQ(p.result.entries, 40);
    EXPECT_EQ(static_cast<int>(p.doc.pages.size()), p.result.pages);
    EXPECT_EQ(visible(p.doc.pages[0]).size(), 62u); // 63 lines per page
    EXPECT_EQ(c.state().lastMonth, 0);              // a page count stores nothing
}

TEST(JournalReport, PrePrintedFormsLeaveOutTheTitles) {
    Company c;
    data::Yasal y = c.company();
    y.YEVMIYEMATBU = 1;
    c.setCompany(y);
    busyMonth(c, 12);
    app::testing::FakeUi ui;
    auto p = print(c, ui, month(1));
    const auto first = visible(p.doc.pages[0]);
    const auto second = visible(p.doc.pages[1]);
    for (const auto& l : allLines(p.doc)) {
        EXPECT_EQ(l.find("Y E V M"), std::string::npos);
        EXPECT_EQ(l.find("S A Y F A"), std::string::npos);
        EXPECT_EQ(l.find("G E Ç E N"), std::string::npos);
        EXPECT_EQ(l.find("HESAP KODU"), std::string::npos);
    }
    EXPECT_EQ(first[3], "ÖRNEK TİCARET A.Ş.");
    // The amounts still print where the titles would be.
    EXPECT_NE(core::text::trim(core::text::sub(first[77], 106, 20)), "");
    EXPECT_EQ(core::text::sub(second[7], 106, 20), core::text::sub(first[77], 106, 20));
}

// Raw bytes shown readably: printable ASCII as is, CR LF as "|" and a new line, every other
// byte as {XX}.
std::string readable(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out += "|\n";
            ++i;
        } else if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "{%02X}", b);
            out += hex;
        }
    }
    return out;
}

std::string rawOf(Company& c, RunOptions o, PrinterKind kind) {
    app::testing::FakeUi ui;
    output::Document doc;
    output::DocumentSink sink(doc);
    must(YevmiyeRaporu(c.ds(), ui, o, kind, sink));
    std::string bytes;
    for (const auto& p : doc.pages)
        bytes += output::rawBytes(p);
    return readable(bytes);
}

std::string golden(const std::string& name) {
    return readFile(std::filesystem::path(HK_TEST_DATA) / "journal" / name);
}

TEST(JournalGolden, OneVoucherOnADotMatrixQueue) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 100, "Nakit satis"},
               {"100 01 002", 'B', 50.5, "Nakit satis"},
               {"320", 'A', 150.5, "Borc"}});
    EXPECT_EQ(rawOf(c, month(1), PrinterKind::Npq), golden("npq_one_voucher.txt"));
}

TEST(JournalGolden, CarriedTotalsAndAPrePrintedFormOnADotMatrixQueue) {
    Company c;
    data::Yasal y = c.company();
    y.YEVMIYEMATBU = 1;
    y.SONYEVMIYENO = 9;
    y.SONYEVMIYEAY = 1;
    y.SONYEVMIYEBORC = 1000;
    y.SONYEVMIYEALACAK = 1000;
    c.setCompany(y);
    c.voucher(D(7, 2, 2024), 3,
              {{"120 01 005", 'B', 250.75, "Fatura", {"Ek"}}, {"600", 'A', 250.75}}, "N", "A");
    EXPECT_EQ(rawOf(c, month(2), PrinterKind::Npq), golden("npq_carried_matbu.txt"));
}

TEST(JournalGolden, TextPrinterEmphasisBytes) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 1}, {"320", 'A', 1}}, "N", "E");
    const std::string raw = rawOf(c, month(1), PrinterKind::Lpq);
    EXPECT_EQ(raw.rfind("{82}{8B}{83}{85}{89}|\n", 0), 0u);
    EXPECT_NE(raw.find("{89}--------------------[ YEVM{98}YE MADDE NO:     1 ]"), std::string::npos)
        << raw;
    EXPECT_EQ(raw.find("{1B}"), std::string::npos);
}

} // namespace
} // namespace hk::journal::test
