// The cash book: mirror lines of tahsil and tediye vouchers, the cash account's own lines in
// mahsup vouchers, the carried-forward "Devir", the running "Kalan", "Genel Toplam", the order
// of a day's vouchers, the empty report, a book of many accounts, the spreadsheet rows, the
// refusals and a golden text.
#include "fixture.h"
#include "reports/cash_book.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace hk::reports::test {
namespace {

constexpr const char* kCash = "100 01 001";

void chart(Company& c) {
    c.account("100", "KASA");
    c.account("100 01", "MERKEZ");
    c.account(kCash, "Merkez Kasa");
    c.account("102", "BANKALAR");
    c.account("102 01", "BANKALAR");
    c.account("102 01 001", "Ziraat Bankası");
    c.account("120", "ALICILAR");
    c.account("120 01", "YURT İÇİ ALICILAR");
    c.account("120 01 001", "Müşteri A");
    c.account("320", "SATICILAR");
    c.account("320 01", "YURT İÇİ SATICILAR");
    c.account("320 01 001", "Satıcı A");
}

// A voucher of kind "M", "A" or "E".
std::string voucher(Company& c, core::Date d, int no, const char* kind, const std::vector<L>& lines,
                    const std::string& attr = "N") {
    const std::string key = c.voucher(d, no, lines, attr);
    auto b = must(vouchers::Books::open(c.ds()));
    data::FisBas h = must(b.head(key));
    h.FISTUR = kind;
    must(b.heads.put(h));
    return key;
}

CashBookOptions between(core::Date a, core::Date b, const std::string& account = kCash) {
    CashBookOptions o;
    o.account = account;
    o.startDate = a;
    o.endDate = b;
    o.reportDate = D(15, 6);
    return o;
}

struct Book {
    Printed printed;
    app::testing::FakeUi ui;
    core::Result<CashBookStats> result = CashBookStats{};
    // The lines after the page header (four lines and three heading lines).
    std::vector<std::string> body() const {
        auto l = printed.lines();
        return l.size() > 7 ? std::vector<std::string>(l.begin() + 7, l.end())
                            : std::vector<std::string>{};
    }
};

void run(Company& c, const CashBookOptions& o, Book& b) {
    output::DocumentSink sink(b.printed.doc);
    b.result = runCashBook(c.ds(), b.ui, o, printRoute(sink));
}

double amount(const std::string& line, std::size_t col, std::size_t width) {
    std::string s = field(line, col, width);
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    return s.empty() ? 0 : std::stod(s);
}
// Columns of a line: 1 date, 12 kind, 19 number, 27 account, 46 name, 77 description,
// 108 Giren, 121 Çıkan, 134 Kalan.
double giren(const std::string& l) {
    return amount(l, 108, 12);
}
double cikan(const std::string& l) {
    return amount(l, 121, 12);
}
std::string kalanText(const std::string& l) {
    return field(l, 134, 13);
}

TEST(CashBook, ATahsilVoucherMirrorsItsOtherLinesIntoGiren) {
    Company c;
    chart(c);
    voucher(c, D(10, 3), 1, "A", {{"120 01 001", 'A', 1000, "Tahsilat"}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    const auto body = b.body();
    ASSERT_EQ(body.size(), 3u); // the movement, the underline, the total
    const std::string& l = body[0];
    EXPECT_EQ(core::text::sub(l, 1, 10), "10.03.2024");
    EXPECT_EQ(field(l, 12, 6), "Tahsil");
    EXPECT_EQ(field(l, 27, 18), "120 01 001");
    EXPECT_EQ(field(l, 46, 30), "Müşteri A");
    EXPECT_EQ(field(l, 77, 30), "Tahsilat");
    EXPECT_DOUBLE_EQ(giren(l), 1000);
    EXPECT_DOUBLE_EQ(cikan(l), 0);
    EXPECT_EQ(kalanText(l), "1,000.00");
    EXPECT_DOUBLE_EQ(stats.balance, 1000);
}

TEST(CashBook, AMahsupVoucherCountsTheCashAccountsOwnLine) {
    Company c;
    chart(c);
    voucher(c, D(2, 3), 1, "A", {{"120 01 001", 'A', 2000}});
    voucher(c, D(12, 3), 2, "M", {{"102 01 001", 'B', 500}, {kCash, 'A', 500, "Bankaya"}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    must(std::move(b.result));
    const auto body = b.body();
    ASSERT_EQ(body.size(), 4u);
    const std::string& l = body[1];
    EXPECT_EQ(field(l, 12, 6), "Mahsup");
    EXPECT_EQ(field(l, 27, 18), kCash);
    EXPECT_DOUBLE_EQ(giren(l), 0);
    EXPECT_DOUBLE_EQ(cikan(l), 500);
    EXPECT_EQ(kalanText(l), "1,500.00");
}

// Which lines move the cash account, by voucher kind.
TEST(CashBook, OnlyTheLinesThatMoveTheCashAccountCount) {
    Company c;
    chart(c);
    // Tahsil with a cash line of its own: the cash line is ignored, the other mirrored.
    voucher(c, D(2, 3), 1, "A", {{kCash, 'B', 300}, {"120 01 001", 'A', 300}});
    // Tediye: the supplier's debit is cash going out.
    voucher(c, D(3, 3), 2, "E", {{"320 01 001", 'B', 120, "", {"ek açıklama"}}});
    // Mahsup without the cash account: nothing.
    voucher(c, D(4, 3), 3, "M", {{"102 01 001", 'B', 50}, {"120 01 001", 'A', 50}});
    // Cancelled: never posted, never counted.
    voucher(c, D(5, 3), 4, "A", {{"120 01 001", 'A', 999}}, "IPT");
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    EXPECT_EQ(stats.lines, 2);
    EXPECT_DOUBLE_EQ(stats.balance, 180);
    const auto body = b.body();
    EXPECT_DOUBLE_EQ(giren(body[0]), 300);
    EXPECT_DOUBLE_EQ(cikan(body[1]), 120);
    EXPECT_EQ(field(body[1], 12, 6), "Tediye");
}

TEST(CashBook, TheCarriedForwardLineOpensTheBookAndCountsInTheTotal) {
    Company c;
    chart(c);
    voucher(c, D(5, 1), 1, "A", {{"120 01 001", 'A', 900}});
    voucher(c, D(6, 2), 2, "E", {{"320 01 001", 'B', 150}});
    voucher(c, D(7, 3), 3, "A", {{"120 01 001", 'A', 40}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    EXPECT_DOUBLE_EQ(stats.carriedDebit, 900);
    EXPECT_DOUBLE_EQ(stats.carriedCredit, 150);
    const auto body = b.body();
    ASSERT_EQ(body.size(), 4u);
    const std::string& devir = body[0];
    EXPECT_EQ(core::text::sub(devir, 1, 20), core::text::pad("Devir", 20));
    EXPECT_DOUBLE_EQ(giren(devir), 900);
    EXPECT_DOUBLE_EQ(cikan(devir), 150);
    EXPECT_EQ(kalanText(devir), "");
    EXPECT_EQ(field(devir, 21, 86), "");
    // The running balance goes on from the carried one.
    EXPECT_EQ(kalanText(body[1]), "790.00");
    const std::string& total = body[3];
    EXPECT_EQ(core::text::sub(total, 1, 20), core::text::pad("Genel Toplam", 20));
    EXPECT_DOUBLE_EQ(giren(total), 940);
    EXPECT_DOUBLE_EQ(cikan(total), 150);
    EXPECT_EQ(kalanText(total), "");
}

TEST(CashBook, NoMovementAndNoPositiveBalanceIsAnEmptyReport) {
    Company c;
    chart(c);
    voucher(c, D(5, 1), 1, "E", {{"320 01 001", 'B', 150}}); // carried balance -150
    voucher(c, D(5, 4), 2, "A", {{"120 01 001", 'A', 700}}); // after the period
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    EXPECT_FALSE(stats.written);
    EXPECT_TRUE(b.printed.doc.pages.empty());
    // A positive carried balance alone still makes a book.
    Book again;
    run(c, between(D(1, 5), D(31, 5)), again);
    const auto s2 = must(std::move(again.result));
    EXPECT_TRUE(s2.written);
    ASSERT_EQ(again.body().size(), 3u);
    EXPECT_DOUBLE_EQ(giren(again.body()[0]), 700);
    EXPECT_DOUBLE_EQ(cikan(again.body()[0]), 150);
}

TEST(CashBook, ADaysVouchersAreOrderedByKind) {
    Company c;
    chart(c);
    voucher(c, D(9, 3), 1, "M", {{kCash, 'B', 1}, {"102 01 001", 'A', 1}});
    voucher(c, D(9, 3), 2, "E", {{"320 01 001", 'B', 2}});
    voucher(c, D(9, 3), 3, "A", {{"120 01 001", 'A', 3}});
    voucher(c, D(8, 3), 4, "M", {{kCash, 'B', 4}, {"102 01 001", 'A', 4}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    must(std::move(b.result));
    std::vector<std::string> order;
    for (const auto& l : b.body())
        if (l.size() > 20 && l[2] == '.') order.push_back(field(l, 12, 6) + field(l, 19, 7));
    EXPECT_EQ(order, (std::vector<std::string>{"Mahsup4", "Tahsil3", "Tediye2", "Mahsup1"}));
}

// When the company names its cash account, tahsil and tediye vouchers move that account only.
TEST(CashBook, TahsilAndTediyeVouchersBelongToTheCompanysCashAccount) {
    Company c;
    chart(c);
    {
        auto b = must(vouchers::Books::open(c.ds()));
        data::Yasal y = must(b.readCompany());
        y.KASAHESAPKODU = kCash;
        must(b.writeCompany(y));
    }
    voucher(c, D(2, 3), 1, "A", {{"120 01 001", 'A', 1000}});
    voucher(c, D(3, 3), 2, "M", {{"102 01 001", 'B', 400}, {kCash, 'A', 400}});
    Book cash, bank;
    run(c, between(D(1, 3), D(31, 3)), cash);
    EXPECT_EQ(must(std::move(cash.result)).lines, 2);
    run(c, between(D(1, 3), D(31, 3), "102 01 001"), bank);
    const auto s = must(std::move(bank.result));
    EXPECT_EQ(s.lines, 1);
    EXPECT_DOUBLE_EQ(s.balance, 400);
}

// A tahsil voucher's counter lines each make a movement of their own, in line order, whatever
// accounts they are on: credits come in, debits go out; its own cash line and its description
// lines move nothing.
TEST(CashBook, EveryCounterLineOfATahsilVoucherIsMirroredInLineOrder) {
    Company c;
    chart(c);
    voucher(c, D(10, 3), 1, "A",
            {{"120 01 001", 'A', 700, "Müşteri"},
             {kCash, 'B', 950, "Kasaya"},
             {"320 01 001", 'A', 300, "İade", {"ek satır"}},
             {"102 01 001", 'B', 50, "Banka"}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    EXPECT_EQ(stats.lines, 3);
    EXPECT_DOUBLE_EQ(stats.balance, 950);
    const auto body = b.body();
    ASSERT_EQ(body.size(), 5u);
    struct Want {
        const char* code;
        const char* name;
        const char* desc;
        double in, out;
        const char* kalan;
    };
    const Want want[] = {{"120 01 001", "Müşteri A", "Müşteri", 700, 0, "700.00"},
                         {"320 01 001", "Satıcı A", "İade", 300, 0, "1,000.00"},
                         {"102 01 001", "Ziraat Bankası", "Banka", 0, 50, "950.00"}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(want[i].code);
        EXPECT_EQ(field(body[i], 12, 6), "Tahsil");
        EXPECT_EQ(field(body[i], 27, 18), want[i].code);
        EXPECT_EQ(field(body[i], 46, 30), want[i].name);
        EXPECT_EQ(field(body[i], 77, 30), want[i].desc);
        EXPECT_DOUBLE_EQ(giren(body[i]), want[i].in);
        EXPECT_DOUBLE_EQ(cikan(body[i]), want[i].out);
        EXPECT_EQ(kalanText(body[i]), want[i].kalan);
    }
    EXPECT_DOUBLE_EQ(giren(body[4]), 1000);
    EXPECT_DOUBLE_EQ(cikan(body[4]), 50);
}

// Vouchers on either side of the first and the last date: before the first only feed "Devir"
// (every line of them), from the first to the last date are printed, after the last are left out.
TEST(CashBook, VouchersAroundTheDatesGoToTheCarriedLineOrToTheBook) {
    Company c;
    chart(c);
    voucher(c, D(28, 2), 1, "A", {{"120 01 001", 'A', 400}, {"320 01 001", 'B', 100}});
    voucher(c, D(29, 2), 2, "M", {{kCash, 'B', 60}, {"102 01 001", 'A', 60}, {kCash, 'A', 25},
                                  {"102 01 001", 'B', 25}});
    voucher(c, D(1, 3), 3, "A", {{"120 01 001", 'A', 80}, {"320 01 001", 'B', 30}});
    voucher(c, D(31, 3), 4, "E", {{"320 01 001", 'B', 15}});
    voucher(c, D(1, 4), 5, "A", {{"120 01 001", 'A', 5000}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    // Carried: 400 in and 100 out of the tahsil voucher, 60 in and 25 out of the mahsup one.
    EXPECT_DOUBLE_EQ(stats.carriedDebit, 460);
    EXPECT_DOUBLE_EQ(stats.carriedCredit, 125);
    EXPECT_EQ(stats.lines, 3);
    EXPECT_DOUBLE_EQ(stats.balance, 335 + 80 - 30 - 15);
    const auto body = b.body();
    ASSERT_EQ(body.size(), 6u);
    EXPECT_EQ(core::text::sub(body[0], 1, 5), "Devir");
    EXPECT_EQ(core::text::sub(body[1], 1, 10), " 1.03.2024");
    EXPECT_EQ(kalanText(body[1]), "415.00");
    EXPECT_EQ(kalanText(body[2]), "385.00");
    EXPECT_EQ(core::text::sub(body[3], 1, 10), "31.03.2024");
    EXPECT_EQ(kalanText(body[3]), "370.00");
    EXPECT_DOUBLE_EQ(giren(body[5]), 460 + 80);
    EXPECT_DOUBLE_EQ(cikan(body[5]), 125 + 30 + 15);
}

// A voucher of the period may move nothing (a tahsil voucher with only its cash line): the book
// is then empty unless a positive balance is carried, which alone makes the book.
TEST(CashBook, AVoucherThatMovesNothingMakesNoBookOfItsOwn) {
    struct Case {
        const char* name;
        double carriedIn; // a tahsil voucher before the period
        bool written;
        std::size_t bodyLines;
    };
    const Case cases[] = {{"nothing carried", 0, false, 0}, {"a balance carried", 250, true, 3}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Company c;
        chart(c);
        if (k.carriedIn > 0) voucher(c, D(5, 2), 1, "A", {{"120 01 001", 'A', k.carriedIn}});
        voucher(c, D(10, 3), 2, "A", {{kCash, 'B', 90, "", {"yalnız açıklama"}}});
        Book b;
        run(c, between(D(1, 3), D(31, 3)), b);
        const auto stats = must(std::move(b.result));
        EXPECT_EQ(stats.written, k.written);
        EXPECT_EQ(stats.lines, 0);
        EXPECT_EQ(b.printed.doc.pages.empty(), !k.written);
        EXPECT_EQ(b.body().size(), k.bodyLines);
        output::Sheet sheet;
        Route route;
        route.sheet = &sheet;
        app::testing::FakeUi ui;
        must(runCashBook(c.ds(), ui, between(D(1, 3), D(31, 3)), route));
        EXPECT_EQ(sheet.rows().empty(), !k.written);
    }
}

// A book naming more accounts than are worth a keyed read each reads the rest of the chart in
// one pass: every line still shows its own account's name.
TEST(CashBook, ABookOfManyAccountsShowsEachLinesOwnAccount) {
    Company c;
    chart(c);
    constexpr int kAccounts = 300;
    auto code = [](int i) {
        char b[32];
        std::snprintf(b, sizeof b, "120 01 %03d", i + 100);
        return std::string(b);
    };
    for (int i = 0; i < kAccounts; ++i) c.account(code(i), "Müşteri " + std::to_string(i));
    // Ten lines a voucher, the accounts taken in reverse so that code order and line order differ.
    for (int v = 0; v < kAccounts / 10; ++v) {
        std::vector<L> lines;
        for (int j = 0; j < 10; ++j) lines.push_back({code(kAccounts - 1 - (v * 10 + j)), 'A', 1.0 + j});
        voucher(c, D(2 + v % 20, 3), v + 1, "A", lines);
    }
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    const auto stats = must(std::move(b.result));
    ASSERT_EQ(stats.lines, kAccounts);
    std::set<std::string> seen;
    for (const auto& l : b.body()) {
        if (l.size() < 80 || l[2] != '.') continue;
        const std::string c1 = field(l, 27, 18);
        const int i = std::stoi(c1.substr(7)) - 100;
        ASSERT_EQ(c1, code(i));
        EXPECT_EQ(field(l, 46, 30), "Müşteri " + std::to_string(i)) << c1;
        seen.insert(c1);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kAccounts));
}

TEST(CashBook, TheSpreadsheetGetsTheTitleAndNumericCells) {
    Company c;
    chart(c);
    voucher(c, D(5, 1), 1, "A", {{"120 01 001", 'A', 900}});
    voucher(c, D(7, 3), 2, "E", {{"320 01 001", 'B', 40.5}});
    output::Sheet sheet;
    Route route;
    route.sheet = &sheet;
    app::testing::FakeUi ui;
    must(runCashBook(c.ds(), ui, between(D(1, 3), D(31, 3)), route));
    const auto& rows = sheet.rows();
    ASSERT_GE(rows.size(), 9u);
    EXPECT_EQ(std::get<std::string>(rows[0].cells.at(0)), "KASA DEFTERİ RAPORU");
    const auto& devir = rows[6].cells;
    EXPECT_EQ(std::get<std::string>(devir.at(0)), "Devir");
    EXPECT_DOUBLE_EQ(std::get<double>(devir.at(6)), 900);
    const auto& move = rows[7].cells;
    EXPECT_EQ(std::get<std::string>(move.at(1)), "Tediye");
    EXPECT_DOUBLE_EQ(std::get<double>(move.at(7)), 40.5);
    EXPECT_DOUBLE_EQ(std::get<double>(move.at(8)), 859.5);
    const auto& total = rows.back().cells;
    EXPECT_EQ(std::get<std::string>(total.at(0)), "Genel Toplam");
    EXPECT_DOUBLE_EQ(std::get<double>(total.at(6)), 900);
    EXPECT_DOUBLE_EQ(std::get<double>(total.at(7)), 40.5);
}

TEST(CashBook, BadOptionsAreRefusedWithoutOutput) {
    Company c;
    chart(c);
    voucher(c, D(5, 1), 1, "A", {{"120 01 001", 'A', 900}});
    struct Case {
        const char* name;
        CashBookOptions o;
        const char* words;
    };
    const std::vector<Case> cases = {
        {"blank account", between(D(1, 1), D(31, 1), ""), "Kasa hesap kodu girilmeli"},
        {"unknown account", between(D(1, 1), D(31, 1), "100 09"), "hesap planında yok"},
        {"dates reversed", between(D(31, 1), D(1, 1)), "Tarih aralığı boş"},
        {"an impossible date", between(D(30, 2), D(31, 3)), "Geçersiz tarih"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Book b;
        run(c, k.o, b);
        ASSERT_FALSE(b.result.ok());
        EXPECT_NE(b.result.error().text.find(k.words), std::string::npos) << b.result.error().text;
        EXPECT_TRUE(b.printed.doc.pages.empty());
    }
}

TEST(CashBook, TheBookAsGoldenText) {
    Company c;
    chart(c);
    voucher(c, D(5, 1), 1, "A", {{"120 01 001", 'A', 900, "Açılış tahsilatı"}});
    voucher(c, D(7, 3), 2, "E", {{"320 01 001", 'B', 40.5, "Kira"}});
    voucher(c, D(7, 3), 3, "A", {{"120 01 001", 'A', 1000, "Tahsilat"}});
    voucher(c, D(9, 3), 4, "M", {{"102 01 001", 'B', 500}, {kCash, 'A', 500, "Bankaya yatan"}});
    Book b;
    run(c, between(D(1, 3), D(31, 3)), b);
    must(std::move(b.result));
    expectGolden(b.printed.text(), "cash_book.txt");
}

} // namespace
} // namespace hk::reports::test
