// The voucher-line list's query by example: each column's criterion, typed criteria that cannot
// be read, and the listed lines in both orders, for all vouchers or one.
#include "fixture.h"
#include "core/text.h"
#include "vouchers/line_query.h"
#include "vouchers/numbering.h"

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

data::FisDet sample() {
    data::FisDet l = line("120 01 005", 250, 0, "Kira İade Faturası");
    l.KEYSTR = "0300000012";
    l.FISNO = 12;
    l.FISSIRANO = 2;
    l.FISTUR = "M";
    l.FISNTLK = "ACF";
    l.FISTRH = core::Date{14, 3, 2015};
    return l;
}

TEST(LineQuery, EachColumnCriterionMatchesByItsRule) {
    struct Case {
        LineQueryText typed;
        bool matches;
    } cases[] = {
        {{}, true},
        {{.key = "03"}, true},
        {{.key = "04"}, false},
        {{.side = "b"}, true},
        {{.side = "A"}, false},
        {{.date = "14.03.2015"}, true},
        {{.date = "2015-03-15"}, false},
        {{.number = "12"}, true},
        {{.number = "1"}, false}, // numbers are equal, not a prefix
        {{.type = "m"}, true},
        {{.attribute = "ac"}, true},
        {{.attribute = "N"}, false},
        {{.lineNo = "2"}, true},
        {{.account = "120 01"}, true},
        {{.account = "120 02"}, false},
        {{.description = "iade"}, true}, // contained, Turkish case: i finds İ
        {{.description = "ıade"}, false}, // ı is not i
        {{.description = "fatura"}, true},
        {{.key = "03", .account = "120", .description = "kira"}, true},
        {{.key = "03", .account = "600"}, false}, // every criterion must hold
    };
    const data::FisDet l = sample();
    for (const auto& c : cases) {
        auto q = parseLineQuery(c.typed);
        ASSERT_TRUE(q) << q.error().text;
        EXPECT_EQ(matches(*q, l), c.matches)
            << c.typed.key << "|" << c.typed.side << "|" << c.typed.date << "|" << c.typed.number
            << "|" << c.typed.attribute << "|" << c.typed.account << "|" << c.typed.description;
    }
}

TEST(LineQuery, CriteriaThatCannotBeReadAreRefusedNamingTheColumn) {
    struct Case {
        LineQueryText typed;
        const char* column;
    } cases[] = {
        {{.date = "31.02.2015"}, "Fis Trh"},
        {{.date = "dün"}, "Fis Trh"},
        {{.number = "12a"}, "Fis No"},
        {{.lineNo = "1.5"}, "Fis Sira No"},
        {{.description = "\xE2\x88\x9A"}, "Türkçe"},
    };
    for (const auto& c : cases) {
        auto q = parseLineQuery(c.typed);
        ASSERT_FALSE(q) << c.column;
        EXPECT_EQ(q.error().kind, core::ErrorKind::BadInput);
        EXPECT_NE(q.error().text.find(c.column), std::string::npos) << q.error().text;
    }
}

class LineLists : public hk::vouchers::testing::Company {
  protected:
    std::string saveIn(int m, int day, std::initializer_list<data::FisDet> lines) {
        Draft d = newDraft(*session_);
        d.fiscalMonth = m;
        d.header.FISTRH = dateInFiscalMonth(storedCompany(), m, day);
        int n = 0;
        for (auto l : lines) insertLine(d.lines, l, n++);
        Env e = env();
        auto k = save(e, d, [](CashChoice&) { return true; });
        EXPECT_TRUE(k) << k.error().text;
        return k ? *k : std::string{};
    }
    static std::vector<std::string> codes(const std::vector<data::FisDet>& ls) {
        std::vector<std::string> out;
        for (const auto& l : ls) out.push_back(l.KEYSTR + ":" + core::text::clip(l.HESAPKODU));
        return out;
    }
};

TEST_F(LineLists, ListsInEitherOrderForAllOrOneVoucherWithTheQuery) {
    const std::string a = saveIn(3, 2, {line("600 01", 0, 50, "Satış"), line("120 01 005", 50, 0)});
    const std::string b = saveIn(3, 5, {line("120 01 006", 70, 0, "Kira"), line("600 01", 0, 70)});
    auto all = listLines(*ds_, LineOrder::ByKeyAndLine, std::nullopt, LineQuery{});
    ASSERT_TRUE(all);
    EXPECT_EQ(codes(*all), (std::vector<std::string>{a + ":600 01", a + ":120 01 005",
                                                     b + ":120 01 006", b + ":600 01"}));
    auto one = listLines(*ds_, LineOrder::ByKeyAndAccount, a, LineQuery{});
    ASSERT_TRUE(one);
    EXPECT_EQ(codes(*one), (std::vector<std::string>{a + ":120 01 005", a + ":600 01"}));
    auto q = parseLineQuery({.account = "600"});
    ASSERT_TRUE(q);
    auto sales = listLines(*ds_, LineOrder::ByKeyAndLine, std::nullopt, *q);
    ASSERT_TRUE(sales);
    EXPECT_EQ(codes(*sales), (std::vector<std::string>{a + ":600 01", b + ":600 01"}));
    auto none = listLines(*ds_, LineOrder::ByKeyAndAccount, std::string("0399999999"), LineQuery{});
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    auto heads = listHeaders(*ds_);
    ASSERT_TRUE(heads);
    ASSERT_EQ(heads->size(), 2u);
    EXPECT_EQ((*heads)[0].KEYSTR, a);
}

} // namespace
