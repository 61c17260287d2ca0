// The helpers of the voucher form below the window: the work file, the balance shown in the line
// form, the VAT buttons, the difference, the line's OK, and the two spreadsheets of the lines.
#include "vouchers/entry.h"

#include "data/dataset.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <optional>

using namespace hk;
using namespace hk::vouchers;

namespace {

data::FisDet line(int no, std::int32_t ack, const std::string& code, double debit, double credit) {
    data::FisDet l;
    l.KEYSTR = "1";
    l.FISSIRANO = static_cast<std::int16_t>(no);
    l.ACKNO = ack;
    l.HESAPKODU = code;
    l.TLBORC = debit;
    l.TLALACAK = credit;
    return l;
}

output::Workbook book(std::vector<std::vector<std::string>> rows) {
    std::vector<output::SheetCell> cells;
    for (std::uint32_t r = 0; r < rows.size(); ++r)
        for (std::uint32_t c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].empty()) cells.push_back({r + 1, c + 1, rows[r][c]});
    auto b = output::Workbook::fromCells(std::move(cells), "Sayfa1");
    EXPECT_TRUE(b.ok());
    return std::move(*b);
}

} // namespace

TEST(WorkFile, KeepsTheLinesInLineOrderAndIsPrivate) {
    test::TempDir dir{"work"};
    auto ds = data::DataSet::open(data::Locations::resolve((dir.path / "Dat").string(), dir.path));
    ASSERT_TRUE(ds.ok());
    WorkFile a = WorkFile::create(*ds);
    WorkFile b = WorkFile::create(*ds);
    ASSERT_TRUE(a.store({line(2, 200, "600 01", 0, 5), line(1, 101, "", 0, 0),
                         line(1, 100, "120 01", 5, 0)})
                    .ok());
    auto got = a.load();
    ASSERT_TRUE(got.ok());
    std::vector<std::pair<int, int>> order;
    for (const auto& l : *got) order.emplace_back(l.FISSIRANO, l.ACKNO);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{1, 100}, {1, 101}, {2, 200}}));
    EXPECT_EQ((*got)[2].TLALACAK, 5.0);
    EXPECT_TRUE(b.load()->empty());
    // Storing again replaces; a refused line names the work-file operation.
    ASSERT_TRUE(a.store({line(1, 100, "120 01", 1, 0)}).ok());
    EXPECT_EQ(a.load()->size(), 1u);
    data::FisDet bad = line(2, 200, "120 01", 1, 0);
    bad.FISACK = "\xe4\xb8\xad"; // a character outside the Turkish code page
    auto st = a.store({line(1, 100, "120 01", 1, 0), bad});
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().file, "Add(HkTemp)");
    EXPECT_EQ(a.load()->size(), 1u);
}

TEST(LineForm, BalanceCountsOpeningAndMonthsUpToTheWorkingMonthOnly) {
    data::HsPlan h;
    h.ACTLBORC = 100;
    h.ACTLALACAK = 30;
    h.ACDOVIZBORC = 2;
    h.ACALTBIRIMALACAK = 4;
    data::month(h.TLBORC, 1) = 10;
    data::month(h.TLALACAK, 2) = 5;
    data::month(h.TLBORC, 3) = 1000; // after the working month
    data::month(h.DOVIZALACAK, 2) = 1;
    data::month(h.ALTBIRIMBORC, 1) = 7;
    h.KPTLBORC = 999; // closing totals never count
    const Balance b = balanceUpTo(h, 2);
    EXPECT_DOUBLE_EQ(b.tl, 100 - 30 + 10 - 5);
    EXPECT_DOUBLE_EQ(b.currency, 2 - 1);
    EXPECT_DOUBLE_EQ(b.subUnit, -4 + 7);
    EXPECT_DOUBLE_EQ(balanceUpTo(h, 3).tl, 1075);
}

TEST(LineForm, VatButtonsTakeTheSetByTypeAndSide) {
    data::Yasal y;
    for (int i = 1; i <= 5; ++i) {
        data::element(y.INDIRILECEKKDVORAN, i) = static_cast<std::int16_t>(i);
        data::element(y.INDIRILECEKKDVKODU, i) = "191 0" + std::to_string(i);
        data::element(y.ODENECEKKDVORAN, i) = static_cast<std::int16_t>(10 * i);
        data::element(y.ODENECEKKDVKODU, i) = "391 0" + std::to_string(i);
    }
    data::element(y.ODENECEKKDVORAN, 4) = 0;
    struct Case {
        char type;
        double debit, credit;
        bool payable;
    };
    const Case cases[] = {{'M', 10, 0, false}, {'M', 0, 10, true}, {'M', 0, 0, false},
                          {'A', 0, 10, true},  {'E', 10, 0, false}};
    for (const auto& c : cases) {
        const auto v = vatButtons(y, c.type, line(1, 100, "x", c.debit, c.credit));
        SCOPED_TRACE(std::string(1, c.type) + " " + std::to_string(c.debit));
        EXPECT_EQ(v.rates[0], c.payable ? 10 : 1);
        EXPECT_EQ(v.accounts[1], c.payable ? "391 02" : "191 02");
        EXPECT_EQ(v.rates[3], c.payable ? 0 : 4); // a zero rate: the button stays disabled
    }
}

TEST(LineForm, DifferenceAndOk) {
    struct Case {
        double difference;
        bool changed;
        double debit, credit;
    };
    for (const Case c : {Case{12.5, true, 0, 12.5}, Case{-7, true, 7, 0}, Case{0, false, 3, 0}}) {
        data::FisDet l = line(1, 100, "x", 3, 0);
        EXPECT_EQ(takeDifference(l, c.difference), c.changed);
        EXPECT_EQ(l.TLBORC, c.debit);
        EXPECT_EQ(l.TLALACAK, c.credit);
    }
    data::FisDet l = line(1, 100, "x", 0, 10.005);
    ASSERT_TRUE(finishAmounts(l));
    EXPECT_DOUBLE_EQ(l.TLALACAK, 10.01);
    EXPECT_EQ(l.BORCALACAK, "A");
    data::FisDet empty = line(1, 100, "x", 0, 0);
    EXPECT_FALSE(finishAmounts(empty));
}

TEST(FisDetay, RowsFromTheThirdOnBecomeLinesAfterTheExistingOnes) {
    Lines lines = {line(1, 100, "120 01", 5, 0)};
    auto b = book({{"başlık"},
                   {"başlık"},
                   {"600 01", "satış", "", "100.004", "", "3", "", "2"},
                   {"120 05", "döviz", "64", "", "2", "", "1", ""},
                   {"", "bu satır okunmaz", "1"},
                   {"100 01", "sonrası da", "1"}});
    ASSERT_TRUE(readFisDetay(b, lines).ok());
    ASSERT_EQ(lines.size(), 3u);
    const auto& a = lines[1];
    EXPECT_EQ(a.FISSIRANO, 2);
    EXPECT_EQ(a.ACKNO, 200);
    EXPECT_EQ(a.HESAPKODU, "600 01");
    EXPECT_EQ(a.FISACK, "satış");
    EXPECT_DOUBLE_EQ(a.TLALACAK, 100.0);
    EXPECT_EQ(a.BORCALACAK, "A");
    EXPECT_EQ(a.DOVIZALACAK, 3.0);
    EXPECT_EQ(a.ALTBIRIMALACAK, 2.0);
    const auto& c = lines[2];
    EXPECT_EQ(c.FISSIRANO, 3);
    EXPECT_EQ(c.TLBORC, 64.0);
    EXPECT_EQ(c.BORCALACAK, "B");
    EXPECT_EQ(c.DOVIZBORC, 2.0);
    EXPECT_EQ(c.ALTBIRIMBORC, 1.0);
}

TEST(FisDetay, BadRowsRefuseTheWholeWorkbook) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"600 01", "a", "12x"}, "bir sayı değil"},
        {{"600 01", "a", "", "-1"}, "negatif"},
        {{"600 01", "a", "", "", "", "", "", "nan"}, "bir sayı değil"},
        {{"600 01", "\xe4\xb8\xad", "1"}, "kod sayfası"},
        {{"600 01 001 002 003 004", "a", "1"}, "en çok 18"},
    };
    for (const auto& [row, reason] : cases) {
        Lines lines = {line(1, 100, "120 01", 5, 0)};
        auto b = book({{"h"}, {"h"}, {"120 01", "iyi", "5"}, row});
        auto st = readFisDetay(b, lines);
        ASSERT_FALSE(st.ok()) << reason;
        EXPECT_NE(st.error().text.find(reason), std::string::npos) << st.error().text;
        EXPECT_NE(st.error().text.find("satır 4"), std::string::npos) << st.error().text;
        EXPECT_EQ(lines.size(), 1u);
    }
}

TEST(FisDetay, ExportHasTheListColumnsInOrder) {
    Lines lines = {line(1, 100, "120 01", 5, 0), line(1, 101, "", 0, 0)};
    lines[0].FISACK = "kira";
    const auto s = workLinesSheet(lines);
    ASSERT_EQ(s.rows().size(), 3u);
    ASSERT_EQ(s.rows()[0].cells.size(), 20u);
    EXPECT_EQ(std::get<std::string>(s.rows()[0].cells[0]), "Borc Alacak");
    EXPECT_EQ(std::get<std::string>(s.rows()[0].cells[12]), "Alacak AltBirim");
    EXPECT_EQ(std::get<std::string>(s.rows()[0].cells[19]), "KSaati");
    EXPECT_EQ(std::get<std::string>(s.rows()[1].cells[4]), "120 01");
    EXPECT_EQ(std::get<std::string>(s.rows()[1].cells[6]), "kira");
    EXPECT_EQ(std::get<double>(s.rows()[1].cells[7]), 5.0);
    EXPECT_EQ(std::get<double>(s.rows()[2].cells[2]), 101.0);
}
