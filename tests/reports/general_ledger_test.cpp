// The general ledger: the work file (ledger codes, sides, sums per journal entry, the ranges of a
// run), the printed book (fixed columns, pages per account, page-end and carried totals, first
// page, pre-printed forms, printer kinds as golden byte streams), the company state it stores,
// the refusals, and its agreement with the trial balance on random books.
#include "fixture.h"
#include "output/raw.h"
#include "reports/general_ledger.h"
#include "reports/trial_balance.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <random>

namespace hk::reports::test {
namespace {

using output::PrinterKind;

void chart(Company& c) {
    c.account("100", "KASA");
    c.account("100 01", "MERKEZ");
    c.account("100 01 001", "Merkez Kasa");
    c.account("120", "ALICILAR");
    c.account("120 01", "YURT İÇİ ALICILAR");
    c.account("120 01 001", "Müşteri A");
    c.account("120 02", "YURT DIŞI ALICILAR", "M");
    c.account("120 03", "ŞÜPHELİ ALACAKLAR", "M");
    c.account("600", "YURT İÇİ SATIŞLAR");
    c.account("600 01", "SATIŞLAR");
    c.account("600 01 001", "Mal Satışı");
}

template <typename F> void editCompany(Company& c, F&& f) {
    auto b = must(vouchers::Books::open(c.ds()));
    data::Yasal y = must(b.readCompany());
    f(y);
    must(b.writeCompany(y));
}

// Gives a voucher its journal number and type, as the journal and voucher entry do.
void journalise(Company& c, const std::string& key, int number, const char* type = "M") {
    auto b = must(vouchers::Books::open(c.ds()));
    data::FisBas h = must(b.head(key));
    h.YEVMIYENO = number;
    h.FISTUR = type;
    must(b.heads.put(h));
}

// A journalised voucher: number `no`, journal number `j`.
std::string entry(Company& c, core::Date d, int no, int j, const std::vector<L>& lines,
                  const char* type = "M", const std::string& attr = "N") {
    const std::string key = c.voucher(d, no, lines, attr);
    journalise(c, key, j, type);
    return key;
}

GeneralLedgerOptions all() {
    GeneralLedgerOptions o;
    o.firstJournal = 1;
    return o;
}

std::vector<data::XKebir> workOf(Company& c, const GeneralLedgerOptions& o) {
    app::testing::FakeUi ui;
    auto w = newGeneralLedgerWork();
    EXPECT_TRUE(must(KebirAyir(c.ds(), ui, o, w)));
    std::vector<data::XKebir> out;
    must(w.set("XKE:KeyKod"));
    for (auto r = w.next(); r; r = w.next()) out.push_back(*r);
    return out;
}

struct Printout {
    output::Document doc;
    app::testing::FakeUi ui;
    core::Result<std::optional<GeneralLedgerResult>> result = std::optional<GeneralLedgerResult>();

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& p : doc.pages)
            for (const auto& l : p.lines) out.push_back(l.visibleText());
        return out;
    }
    std::vector<std::string> page(std::size_t i) const {
        std::vector<std::string> out;
        for (const auto& l : doc.pages.at(i).lines) out.push_back(l.visibleText());
        return out;
    }
    GeneralLedgerResult done() const {
        EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().describe());
        EXPECT_TRUE(result.ok() && result->has_value());
        return result.ok() && result->has_value() ? **result : GeneralLedgerResult{};
    }
};

void run(Company& c, const GeneralLedgerOptions& o, Printout& r,
         PrinterKind kind = PrinterKind::Ordinary) {
    output::DocumentSink sink(r.doc);
    r.result = runGeneralLedger(c.ds(), r.ui, o, kind, sink);
}

double amount(const std::string& line, std::size_t col, std::size_t width) {
    std::string s = field(line, col, width);
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return s.empty() ? 0 : std::stod(s);
}
double debitOf(const std::string& line) {
    return amount(line, 84, 19);
}
bool isDetail(const std::string& line) {
    return line.size() > 10 && line[2] == '.' && line[5] == '.';
}

std::pair<std::int32_t, int> storedState(Company& c) {
    const data::Yasal y = c.company();
    return {y.KEBIRYEVMIYENO, y.SONKEBIRAY};
}

// ---- the work file ----

TEST(GeneralLedgerWork, OneRecordPerLedgerAccountEntryAndSide) {
    Company c;
    chart(c);
    // Two debit lines under 120 make one record; the credit line of the same entry another.
    entry(c, D(5, 1), 1, 1,
          {{"120 01 001", 'B', 100, "", {"açıklama"}},
           {"120 02", 'B', 50.25},
           {"120 03", 'A', 30},
           {"600 01 001", 'A', 120.25}});
    const auto w = workOf(c, all());
    ASSERT_EQ(w.size(), 3u);
    struct Want {
        const char* code;
        const char* side;
        double debit, credit;
    };
    const Want want[] = {{"120", "B", 150.25, 0}, {"120", "X", 0, 30}, {"600", "X", 0, 120.25}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(core::text::trim(w[i].HESAPKODU), want[i].code);
        EXPECT_EQ(w[i].DURUM, want[i].side);
        // The description line's 999 never counts.
        EXPECT_DOUBLE_EQ(w[i].TLBORC, want[i].debit);
        EXPECT_DOUBLE_EQ(w[i].TLALACAK, want[i].credit);
        EXPECT_EQ(w[i].YEVMIYENO, 1);
        EXPECT_EQ(w[i].FISNO, 1);
        EXPECT_EQ(w[i].FISTRH, D(5, 1));
    }
}

TEST(GeneralLedgerWork, TheRangesOfARunChooseTheEntries) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"100 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    entry(c, D(6, 2), 2, 2, {{"120 01 001", 'B', 20}, {"600 01 001", 'A', 20}});
    entry(c, D(7, 3), 3, 3, {{"100 01 001", 'B', 30}, {"120 02", 'A', 30}});
    entry(c, D(8, 4), 4, 4, {{"100 01 001", 'B', 40}, {"600 01 001", 'A', 40}});
    // Not journalised, or cancelled: never in the book.
    c.voucher(D(9, 3), 5, {{"100 01 001", 'B', 50}, {"600 01 001", 'A', 50}});
    entry(c, D(10, 3), 6, 0, {{"100 01 001", 'B', 60}, {"600 01 001", 'A', 60}});

    struct Case {
        const char* name;
        GeneralLedgerOptions o;
        std::vector<int> journals; // the entries the work file holds, in key order
    };
    auto with = [](auto f) {
        GeneralLedgerOptions o = all();
        f(o);
        return o;
    };
    const std::vector<Case> cases = {
        {"everything", all(), {1, 3, 4, 2, 3, 1, 2, 4}},
        {"months 2-3", with([](auto& o) { o.startMonth = 2, o.endMonth = 3; }), {3, 2, 3, 2}},
        {"from month 3, no end", with([](auto& o) { o.startMonth = 3; }), {3, 4, 3, 4}},
        {"dates", with([](auto& o) { o.startDate = D(6, 2), o.endDate = D(7, 3); }),
         {3, 2, 3, 2}},
        {"journal 2..3", with([](auto& o) { o.firstJournal = 2, o.lastJournal = 3; }),
         {3, 2, 3, 2}},
        {"from journal 4", with([](auto& o) { o.firstJournal = 4; }), {4, 4}},
        {"accounts 120..600", with([](auto& o) { o.accountStart = "120", o.accountEnd = "600"; }),
         {2, 3, 1, 2, 4}},
        {"account 100 alone", with([](auto& o) { o.accountStart = o.accountEnd = "100"; }),
         {1, 3, 4}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<int> got;
        for (const auto& r : workOf(c, k.o)) got.push_back(r.YEVMIYENO);
        EXPECT_EQ(got, k.journals);
    }
}

TEST(GeneralLedgerWork, CancellingTheSortingSkipsTheBookAndStoresNothing) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"100 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    Printout r;
    r.ui.cancelAfterProgress = true;
    run(c, all(), r);
    ASSERT_TRUE(r.result.ok());
    EXPECT_FALSE(r.result->has_value());
    EXPECT_TRUE(r.doc.pages.empty());
    EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{0, 0}));
    EXPECT_EQ(r.ui.progressTexts.front(), kGeneralLedgerSortTitle);
}

// ---- the printed book ----

TEST(GeneralLedgerBook, DetailLinesStandAtTheirColumns) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 7, 12, {{"120 01 001", 'B', 1234.5}, {"600 01 001", 'A', 1234.5}}, "A");
    entry(c, D(6, 1), 8, 13, {{"600 01 001", 'B', 10}, {"120 01 001", 'A', 10}}, "E");
    Printout r;
    GeneralLedgerOptions o = all();
    o.accountStart = o.accountEnd = "120";
    run(c, o, r);
    r.done();
    const auto lines = r.lines();
    std::vector<std::string> details;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(details), isDetail);
    ASSERT_EQ(details.size(), 2u);
    const std::string& d = details[0];
    EXPECT_EQ(core::text::sub(d, 1, 10), " 5.01.2024");
    EXPECT_EQ(field(d, 13, 18), "120");
    EXPECT_EQ(field(d, 33, 48), "ALICILAR");
    EXPECT_EQ(core::text::sub(d, 84, 19), "           1,234.50");
    EXPECT_EQ(core::text::sub(d, 113, 7), "   12/ ");
    EXPECT_EQ(core::text::sub(d, 120, 13), "TAHSİL     7");
    const std::string& k = details[1];
    EXPECT_EQ(field(k, 84, 7), "");
    EXPECT_EQ(core::text::sub(k, 91, 19), "              10.00");
    EXPECT_EQ(core::text::sub(k, 113, 20), "   13/ TEDİYE     8");
}

TEST(GeneralLedgerBook, EachAccountOnItsOwnPagesClosedByItsTotals) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"120 01 001", 'B', 300}, {"600 01 001", 'A', 300}});
    entry(c, D(6, 1), 2, 2, {{"600 01 001", 'B', 100}, {"120 01 001", 'A', 100}});
    Printout r;
    run(c, all(), r);
    const auto res = r.done();
    EXPECT_EQ(res.accounts, 2);
    EXPECT_EQ(res.lines, 4);
    ASSERT_EQ(r.doc.pages.size(), 2u);
    for (std::size_t p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        const auto page = r.page(p);
        ASSERT_EQ(page.size(), 78u);
        EXPECT_TRUE(r.doc.pages[p].formFeed);
        EXPECT_EQ(page[3], "ÖRNEK TİCARET A.Ş.");
        EXPECT_NE(page[4].find("K E B İ R    D E F T E R İ"), std::string::npos);
        EXPECT_EQ(core::text::sub(page[5], 1, 23), "KEBİR HESAP KODU      :");
        EXPECT_EQ(page[76].rfind("S A Y F A   S O N U   T O P L A M I", 0), 0u);
    }
    // 120: debit 300, credit 100: the difference stands beside the larger debit side.
    const auto a = r.page(0);
    EXPECT_EQ(field(a[5], 24, 18), "120");
    EXPECT_DOUBLE_EQ(amount(a[76], 85, 19), 300);
    EXPECT_DOUBLE_EQ(amount(a[76], 113, 20), 200);
    EXPECT_DOUBLE_EQ(amount(a[77], 92, 19), 100);
    EXPECT_EQ(field(a[77], 113, 20), "");
    // 600: the credit side is larger.
    const auto b = r.page(1);
    EXPECT_EQ(field(b[5], 24, 18), "600");
    EXPECT_EQ(field(b[76], 113, 20), "");
    EXPECT_DOUBLE_EQ(amount(b[77], 113, 20), 200);
}

// 100 entries on one ledger account run over two pages: the first page ends with the totals of
// its lines, the next opens with the same totals brought forward, and the account closes with
// the sum of all of them.
TEST(GeneralLedgerBook, ALongAccountCarriesItsTotalsFromPageToPage) {
    Company c;
    chart(c);
    for (int i = 1; i <= 100; ++i)
        entry(c, D(1 + i % 28, 1 + i / 28), i, i,
              {{"120 01 001", 'B', static_cast<double>(i)}, {"600 01 001", 'A', 0.5}});
    Printout r;
    GeneralLedgerOptions o = all();
    o.accountStart = o.accountEnd = "120";
    run(c, o, r);
    r.done();
    ASSERT_EQ(r.doc.pages.size(), 2u);
    const auto first = r.page(0), second = r.page(1);
    double printed = 0;
    int n = 0;
    for (const auto& l : first)
        if (isDetail(l)) printed += debitOf(l), ++n;
    EXPECT_GT(n, 50);
    // Page end: two empty lines, then the totals without a caption on the last two lines.
    ASSERT_EQ(first.size(), 78u);
    EXPECT_EQ(first[74], "");
    EXPECT_EQ(first[75], "");
    EXPECT_EQ(field(first[76], 1, 80), "");
    EXPECT_DOUBLE_EQ(amount(first[76], 85, 19), printed);
    EXPECT_DOUBLE_EQ(amount(first[76], 113, 20), printed);
    // Next page: the header, then the same totals brought forward.
    EXPECT_EQ(field(second[5], 24, 18), "120");
    const std::string carried = "G E Ç E N   S A Y F A D A N   N A K L İ   Y E K Ü N";
    const std::string c1 = lineStarting(second, carried);
    ASSERT_FALSE(c1.empty());
    EXPECT_DOUBLE_EQ(amount(c1, 85, 19), printed);
    // The account closes with all hundred amounts: 1 + 2 + ... + 100.
    const std::string end = lineStarting(second, "S A Y F A   S O N U");
    EXPECT_DOUBLE_EQ(amount(end, 85, 19), 5050);
    EXPECT_EQ(second[76], end);
}

TEST(GeneralLedgerBook, PagesBeforeTheFirstPageAreLaidOutButNotOutput) {
    Company c;
    chart(c);
    c.account("320", "SATICILAR");
    c.account("391", "HESAPLANAN KDV");
    c.account("770", "GENEL YÖNETİM GİDERLERİ");
    int j = 0;
    for (const char* a : {"100", "120", "320", "391", "770"}) {
        ++j;
        entry(c, D(5, 1), j, j, {{a, 'B', 10.0 * j}, {"600 01 001", 'A', 10.0 * j}});
    }
    Printout full, from5;
    run(c, all(), full);
    const auto all6 = full.done();
    ASSERT_EQ(all6.pages, 6);
    ASSERT_EQ(full.doc.pages.size(), 6u);
    GeneralLedgerOptions o = all();
    o.firstPage = 5;
    run(c, o, from5);
    EXPECT_EQ(from5.done().pages, 6);
    ASSERT_EQ(from5.doc.pages.size(), 2u);
    EXPECT_EQ(from5.doc.pages[0].number, 5);
    EXPECT_EQ(from5.doc.pages[1].number, 6);
    EXPECT_EQ(from5.page(0), full.page(4));
    EXPECT_EQ(from5.page(1), full.page(5));
}

TEST(GeneralLedgerBook, PrePrintedFormsKeepTheRowsWithoutTheCaptions) {
    Company c;
    chart(c);
    for (int i = 1; i <= 70; ++i)
        entry(c, D(1 + i % 28, 1 + i / 28), i, i,
              {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    GeneralLedgerOptions o = all();
    o.accountStart = o.accountEnd = "120";
    Printout plain, matbu;
    run(c, o, plain);
    plain.done();
    editCompany(c, [](data::Yasal& y) { y.KEBIRMATBU = 1; });
    run(c, o, matbu);
    matbu.done();
    ASSERT_EQ(plain.doc.pages.size(), 2u);
    ASSERT_EQ(matbu.doc.pages.size(), 2u);
    for (std::size_t p = 0; p < 2; ++p) {
        SCOPED_TRACE(p);
        const auto a = plain.page(p), b = matbu.page(p);
        // Every value keeps its row and column; only the printed captions are gone.
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(field(b[5], 24, 18), "120");
        EXPECT_EQ(field(b[5], 55, 48), "ALICILAR");
        int totals = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            SCOPED_TRACE(i);
            if (isDetail(a[i])) {
                EXPECT_EQ(b[i], a[i]);
            }
            const bool captioned = a[i].rfind("S A Y F A", 0) == 0 || a[i].rfind("G E Ç E N", 0) == 0;
            if (!captioned) continue;
            ++totals;
            EXPECT_EQ(field(b[i], 1, 83), "");
            EXPECT_EQ(core::text::sub(b[i], 84, 70), core::text::sub(a[i], 84, 70));
            EXPECT_EQ(b[i + 1], a[i + 1]);
        }
        EXPECT_EQ(b.back(), a.back());
        EXPECT_EQ(totals, p == 0 ? 0 : 2); // the first page has no carried totals
    }
    const std::string text = [&] {
        std::string s;
        for (const auto& l : matbu.lines()) s += l + "\n";
        return s;
    }();
    for (const char* caption : {"K E B İ R", "S A Y F A", "G E Ç E N", "FİŞ TARİHİ", "ADI :",
                                "KEBİR HESAP KODU"})
        EXPECT_EQ(text.find(caption), std::string::npos) << caption;
}

TEST(GeneralLedgerBook, AnAccountMissingFromTheChartPrintsWithABlankName) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"999 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    Printout r;
    GeneralLedgerOptions o = all();
    run(c, o, r);
    r.done();
    ASSERT_EQ(r.doc.pages.size(), 2u); // 600, then 999
    const auto p = r.page(1);
    EXPECT_EQ(field(p[5], 24, 18), "999");
    EXPECT_EQ(field(p[5], 55, 40), "");
    const std::string d = p[9];
    ASSERT_TRUE(isDetail(d));
    EXPECT_EQ(field(d, 33, 48), "");
}

TEST(GeneralLedgerBook, APageCountRunReportsThePagesAndStoresNothing) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    Printout r;
    GeneralLedgerOptions o = all();
    o.pageCount = true;
    o.startMonth = 1;
    o.endMonth = 3;
    run(c, o, r);
    EXPECT_EQ(r.done().pages, 2);
    ASSERT_EQ(r.doc.pages.size(), 2u);
    EXPECT_EQ(r.doc.pages[0].lines.size(), 63u);
    ASSERT_EQ(r.ui.messages.size(), 1u);
    EXPECT_EQ(r.ui.messages[0].text, " 1 -  3 Arası Sayfa Adedi:     2");
    EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{0, 0}));
}

// ---- printer kinds ----

// Raw bytes shown readably: printable ASCII as is, CR LF as "|" and a new line, any other byte
// as {XX}.
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

std::string rawOf(Company& c, const GeneralLedgerOptions& o, PrinterKind kind) {
    Printout r;
    run(c, o, r, kind);
    r.done();
    std::string bytes;
    for (const auto& p : r.doc.pages) bytes += output::rawBytes(p);
    return readable(bytes);
}

void smallCompany(Company& c) {
    chart(c);
    entry(c, D(3, 1), 1, 1, {{"120 01 001", 'A', 1000}}, "A");
    entry(c, D(9, 1), 2, 2, {{"100 01 001", 'A', 500}, {"120 02", 'B', 500}});
    entry(c, D(12, 1), 3, 3, {{"600 01 001", 'B', 250.75}}, "E");
}

TEST(GeneralLedgerGolden, SmallCompanyOnADotMatrixQueue) {
    Company c;
    smallCompany(c);
    GeneralLedgerOptions o = all();
    o.startMonth = o.endMonth = 1;
    expectGolden(rawOf(c, o, PrinterKind::Npq), "general_ledger_npq.txt");
}

TEST(GeneralLedgerGolden, PrePrintedFormsOnADotMatrixQueue) {
    Company c;
    smallCompany(c);
    for (int i = 4; i <= 64; ++i)
        entry(c, D(20, 1), i, i, {{"120 01 001", 'B', 1.25}, {"600 01 001", 'A', 1.25}});
    editCompany(c, [](data::Yasal& y) { y.KEBIRMATBU = 1; });
    GeneralLedgerOptions o = all();
    o.accountStart = o.accountEnd = "120";
    expectGolden(rawOf(c, o, PrinterKind::Npq), "general_ledger_npq_matbu.txt");
}

TEST(GeneralLedgerGolden, TextPrinterControlBytes) {
    Company c;
    smallCompany(c);
    GeneralLedgerOptions o = all();
    o.accountStart = o.accountEnd = "100";
    const std::string raw = rawOf(c, o, PrinterKind::Lpq);
    EXPECT_EQ(raw.rfind("{82}{8B}{83}{85}{89}|\n", 0), 0u) << raw;
    // The header's emphasis ends with its last rule; the total lines carry their own.
    EXPECT_NE(raw.find("-{8A}|\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("{89}S A Y F A   S O N U   T O P L A M I"), std::string::npos) << raw;
    EXPECT_EQ(raw.find("{1B}"), std::string::npos);
    EXPECT_EQ(raw.substr(raw.size() - 4), "{0C}");
}

// ---- company state ----

TEST(GeneralLedgerState, DefaultsContinueAfterTheLastPrintedEntry) {
    Company c;
    chart(c);
    editCompany(c, [](data::Yasal& y) {
        y.KEBIRYEVMIYENO = 250;
        y.SONKEBIRAY = 2;
    });
    const GeneralLedgerOptions d = generalLedgerDefaults(c.company());
    EXPECT_EQ(d.firstJournal, 251);
    EXPECT_EQ(d.lastJournal, 0);
    EXPECT_EQ(d.startMonth, 2);
    EXPECT_EQ(d.endMonth, 2);
    for (int j : {249, 250, 251, 252})
        entry(c, D(j - 240, 2), j, j, {{"120 01 001", 'B', 1}, {"600 01 001", 'A', 1}});
    Printout r;
    run(c, d, r);
    const auto res = r.done();
    EXPECT_EQ(res.highestJournal, 252);
    EXPECT_TRUE(res.stored);
    std::vector<std::string> js;
    for (const auto& l : r.lines())
        if (isDetail(l)) js.push_back(field(l, 113, 6));
    EXPECT_EQ(js, (std::vector<std::string>{"251/", "252/", "251/", "252/"}));
    EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{252, 2}));
    EXPECT_EQ(generalLedgerDefaults(c.company()).firstJournal, 253);
}

TEST(GeneralLedgerState, TheLastMonthIsACalendarMonthProposedAsAFiscalOne) {
    Company c(D(1, 7, 2024), D(30, 6, 2025));
    chart(c);
    entry(c, D(10, 9, 2024), 1, 1, {{"120 01 001", 'B', 1}, {"600 01 001", 'A', 1}});
    Printout r;
    run(c, all(), r);
    r.done();
    EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{1, 9}));
    const auto d = generalLedgerDefaults(c.company());
    EXPECT_EQ(d.startMonth, 3); // September is the third month of a July year
    EXPECT_EQ(d.endMonth, 3);
}

// A sink that fails: on a page, or only when the output is finished.
class FailingSink final : public output::PageSink {
  public:
    explicit FailingSink(bool atFinish) : atFinish_(atFinish) {}
    core::Status page(const output::Page&) override {
        if (!atFinish_) return core::Error::of(28, "Yazıcı hatası");
        return {};
    }
    core::Status finish() override {
        return atFinish_ ? core::Status(core::Error::of(28, "Disk dolu")) : core::Status();
    }

  private:
    bool atFinish_;
};

TEST(GeneralLedgerState, NothingIsStoredUnlessTheRunEndsNormally) {
    struct Case {
        const char* name;
        std::function<core::Result<std::optional<GeneralLedgerResult>>(Company&)> run;
    };
    auto withSink = [](bool atFinish) {
        return [atFinish](Company& c) {
            FailingSink sink(atFinish);
            app::testing::FakeUi ui;
            return runGeneralLedger(c.ds(), ui, all(), PrinterKind::Ordinary, sink);
        };
    };
    const std::vector<Case> cases = {
        {"output fails on a page", withSink(false)},
        {"output fails at its end", withSink(true)},
        {"cancelled while sorting",
         [](Company& c) {
             output::Document doc;
             output::DocumentSink sink(doc);
             app::testing::FakeUi ui;
             ui.cancelAfterProgress = true;
             return runGeneralLedger(c.ds(), ui, all(), PrinterKind::Ordinary, sink);
         }},
        {"not asked to store",
         [](Company& c) {
             output::Document doc;
             output::DocumentSink sink(doc);
             app::testing::FakeUi ui;
             GeneralLedgerOptions o = all();
             o.storeState = false;
             return runGeneralLedger(c.ds(), ui, o, PrinterKind::Ordinary, sink);
         }},
        {"a range without a journalised entry",
         [](Company& c) {
             output::Document doc;
             output::DocumentSink sink(doc);
             app::testing::FakeUi ui;
             GeneralLedgerOptions o = all();
             o.startMonth = o.endMonth = 5;
             auto r = runGeneralLedger(c.ds(), ui, o, PrinterKind::Ordinary, sink);
             EXPECT_TRUE(doc.pages.empty());
             return r;
         }},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Company c;
        chart(c);
        editCompany(c, [](data::Yasal& y) {
            y.KEBIRYEVMIYENO = 3;
            y.SONKEBIRAY = 1;
        });
        entry(c, D(5, 2), 1, 4, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
        c.voucher(D(5, 5), 2, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
        auto r = k.run(c);
        if (r.ok() && r->has_value()) {
            EXPECT_FALSE((*r)->stored);
        }
        EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{3, 1}));
    }
}

TEST(GeneralLedgerState, AReprintOfEarlierEntriesNeverMovesTheStateBack) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    entry(c, D(5, 3), 2, 2, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    editCompany(c, [](data::Yasal& y) {
        y.KEBIRYEVMIYENO = 2;
        y.SONKEBIRAY = 3;
    });
    Printout r;
    GeneralLedgerOptions o = all();
    o.startMonth = o.endMonth = 1;
    run(c, o, r);
    EXPECT_EQ(r.done().lines, 2);
    EXPECT_FALSE(r.done().stored);
    EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{2, 3}));
}

TEST(GeneralLedgerState, BadOptionsAreRefusedBeforeAnythingIsWritten) {
    Company c;
    chart(c);
    entry(c, D(5, 1), 1, 1, {{"120 01 001", 'B', 10}, {"600 01 001", 'A', 10}});
    struct Case {
        const char* name;
        std::function<void(GeneralLedgerOptions&)> set;
        const char* words;
    };
    const std::vector<Case> cases = {
        {"account range reversed", [](auto& o) { o.accountStart = "600", o.accountEnd = "120"; },
         "Hesap kodu aralığı boş"},
        {"a group account", [](auto& o) { o.accountStart = "120 01"; }, "bir kebir hesabı değil"},
        {"a detail account", [](auto& o) { o.accountEnd = "100 01 001"; },
         "bir kebir hesabı değil"},
        {"not in the chart", [](auto& o) { o.accountStart = "999"; }, "hesap planında yok"},
        {"months reversed", [](auto& o) { o.startMonth = 4, o.endMonth = 2; },
         "Kebir dönemi boş"},
        {"month 13", [](auto& o) { o.startMonth = 13; }, "1 ile 12"},
        {"dates reversed", [](auto& o) { o.startDate = D(5, 3), o.endDate = D(4, 3); },
         "Tarih aralığı boş"},
        {"an impossible date", [](auto& o) { o.startDate = D(31, 2); }, "Geçersiz tarih"},
        {"journal numbers reversed", [](auto& o) { o.firstJournal = 9, o.lastJournal = 3; },
         "Yevmiye numarası aralığı boş"},
        {"first page 0", [](auto& o) { o.firstPage = 0; }, "Başlangıç sayfa"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        GeneralLedgerOptions o = all();
        k.set(o);
        Printout r;
        run(c, o, r);
        ASSERT_FALSE(r.result.ok());
        EXPECT_NE(r.result.error().text.find(k.words), std::string::npos) << r.result.error().text;
        EXPECT_TRUE(r.doc.pages.empty());
        EXPECT_EQ(storedState(c), (std::pair<std::int32_t, int>{0, 0}));
    }
}

// ---- agreement with the trial balance ----

// On random books, the closing totals of every ledger account in the general ledger equal the
// cumulative totals of that account in the trial balance of the same (all journalised) vouchers.
TEST(GeneralLedgerProperty, ClosingTotalsEqualTheTrialBalanceCumulativeTotals) {
    for (std::uint32_t seed : {7u, 2024u, 90210u}) {
        SCOPED_TRACE(seed);
        Company c;
        chart(c);
        c.account("320", "SATICILAR");
        c.account("320 01", "YURT İÇİ");
        c.account("320 01 001", "Satıcı A");
        c.account("320 01 002", "Satıcı B");
        const std::vector<std::string> details = {"100 01 001", "120 01 001", "120 02",
                                                  "120 03",     "320 01 001", "320 01 002",
                                                  "600 01 001"};
        std::mt19937 rng(seed);
        std::vector<std::pair<core::Date, int>> dated;
        for (int v = 1; v <= 90; ++v)
            dated.push_back({D(1 + static_cast<int>(rng() % 28), 1 + static_cast<int>(rng() % 12)), v});
        std::sort(dated.begin(), dated.end());
        int journal = 0;
        for (const auto& [d, v] : dated) {
            std::vector<L> lines;
            double debit = 0;
            const int n = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < n; ++i) {
                const double a = static_cast<double>(rng() % 5000000) / 100.0;
                lines.push_back({details[rng() % details.size()], 'B', a});
                debit += a;
            }
            // The credit side split in two, so that entries put both sides on one account.
            const double part = core::numeric::round(debit / 3, 2);
            lines.push_back({details[rng() % details.size()], 'A', part});
            lines.push_back({details[rng() % details.size()], 'A', debit - part});
            entry(c, d, v, ++journal, lines, v % 3 == 0 ? "A" : v % 3 == 1 ? "M" : "E",
                  v == 1 ? "ACF" : "N");
        }
        c.rebuild();

        app::testing::FakeUi ui;
        TrialBalanceOptions t;
        t.startMonth = 1;
        t.endMonth = 12;
        t.status = 'T';
        auto tw = newWorkFile();
        ASSERT_TRUE(must(TnmMizanIslemi(c.ds(), ui, t, tw)));
        std::map<std::string, std::pair<double, double>> trial;
        must(tw.set("XHSP:KeyHesap"));
        for (auto r = tw.next(); r; r = tw.next())
            if (core::text::trim(r->NTLK) == "K" &&
                (r->KMTLBORC != 0 || r->KMTLALACAK != 0))
                trial[core::text::trim(r->HESAPKODU)] = {r->KMTLBORC, r->KMTLALACAK};

        Printout g;
        run(c, all(), g);
        g.done();
        std::map<std::string, std::pair<double, double>> ledger;
        std::string account;
        const auto lines = g.lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind("KEBİR HESAP KODU", 0) == 0) account = field(lines[i], 24, 18);
            if (lines[i].rfind("S A Y F A   S O N U", 0) == 0 && i + 1 < lines.size())
                ledger[account] = {amount(lines[i], 85, 19), amount(lines[i + 1], 92, 19)};
        }
        ASSERT_EQ(ledger.size(), trial.size());
        for (const auto& [code, sums] : trial) {
            SCOPED_TRACE(code);
            ASSERT_TRUE(ledger.count(code));
            EXPECT_NEAR(ledger[code].first, sums.first, 0.005);
            EXPECT_NEAR(ledger[code].second, sums.second, 0.005);
        }
    }
}

} // namespace
} // namespace hk::reports::test
