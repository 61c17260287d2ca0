// Voucher keys, day slots, fiscal months and the counters.
#include "fixture.h"
#include "vouchers/numbering.h"

#include <set>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::Company;
using hk::vouchers::testing::line;

namespace {

data::Yasal company(const char* sira, const char* duzen, core::Date start = {1, 1, 2015},
                    core::Date end = {31, 12, 2015}) {
    data::Yasal y;
    y.FISNOSIRASI = sira;
    y.FISNUMARALAMADUZENI = duzen;
    y.MALIDONEMBAS = start;
    y.MALIDONEMSON = end;
    return y;
}

TEST(VoucherKey, FourLayoutsComposeTheDocumentedDigits) {
    struct Case {
        const char* sira;
        const char* duzen;
        const char* key;
    } cases[] = {
        {"A", "B", "0300000012"},
        {"A", "A", "03A0000012"},
        {"G", "B", "0306200012"},
        {"G", "A", "03062A0012"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(composeKey(company(c.sira, c.duzen), 3, 62, 'A', 12), c.key) << c.sira << c.duzen;
    EXPECT_EQ(composeKey(company(" ", " "), 3, 62, 'A', 12), "");
    EXPECT_EQ(keyMonth("1100000001"), 11);
    EXPECT_EQ(keyMonth("1"), 0);
}

TEST(VoucherKey, DaySlotsAndFiscalMonths) {
    const auto jan = company("G", "B");
    EXPECT_EQ(daySlot(jan, 2, 3), 34);   // 3 February
    EXPECT_EQ(daySlot(jan, 12, 31), 365);
    EXPECT_EQ(daySlot(jan, 1, 1), 1);
    const auto july = company("A", "B", {1, 7, 2015}, {30, 6, 2016});
    EXPECT_EQ(fiscalMonthOfDate(july, {15, 7, 2015}), 1);
    EXPECT_EQ(fiscalMonthOfDate(july, {15, 6, 2016}), 12);
    EXPECT_EQ(fiscalMonthOfDate(july, {15, 6, 2015}), 0); // before the period
    EXPECT_EQ(dateInFiscalMonth(july, 12, 30), (core::Date{30, 6, 2016}));
    // The slots of a July year stay inside the counters.
    const auto julyDaily = company("G", "B", {1, 7, 2015}, {30, 6, 2016});
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 28; ++d) {
            const int n = daySlot(julyDaily, m, d);
            EXPECT_GE(n, 1);
            EXPECT_LE(n, 366);
        }
}

TEST(FisNoAl, CountsPerSlotAndTypeAndRefusesWhatItCannotNumber) {
    auto y = company("A", "A");
    EXPECT_EQ(FisNoAl(y, 5, 2, "M")->key, "02M0000001");
    EXPECT_EQ(FisNoAl(y, 5, 2, "A")->key, "02A0000001");
    EXPECT_EQ(FisNoAl(y, 5, 2, "E")->key, "02E0000001");
    EXPECT_EQ(FisNoAl(y, 6, 2, "M")->key, "02M0000002");
    EXPECT_FALSE(FisNoAl(y, 6, 2, "X"));

    auto one = company("A", "B");
    EXPECT_EQ(FisNoAl(one, 1, 1, "M")->key, "0100000001");
    EXPECT_EQ(FisNoAl(one, 1, 1, "E")->key, "0100000002");

    auto daily = company("G", "B");
    EXPECT_EQ(FisNoAl(daily, 3, 2, "M")->key, "0203400001");
    EXPECT_EQ(FisNoAl(daily, 3, 2, "A")->key, "0203400002");

    // A slot outside 1..366: the day before a period that starts mid-month.
    auto mid = company("G", "B", {15, 1, 2015}, {14, 1, 2016});
    int bad = 0;
    auto r = FisNoAl(mid, 10, 1, "M", &bad);
    ASSERT_FALSE(r);
    EXPECT_EQ(bad, -4);
    EXPECT_EQ(r.error().kind, core::ErrorKind::Refused);
    for (auto c : mid.MAHSUPNUMARATOR) EXPECT_EQ(c, 0);

    // A counter at its highest value gives no number and does not wrap.
    auto full = company("A", "B");
    data::element(full.MAHSUPNUMARATOR, 4) = kMaxVoucherNumber;
    EXPECT_FALSE(FisNoAl(full, 1, 4, "M"));
    EXPECT_EQ(data::element(full.MAHSUPNUMARATOR, 4), kMaxVoucherNumber);

    auto unset = company(" ", "B");
    auto u = FisNoAl(unset, 1, 1, "M");
    ASSERT_FALSE(u);
    EXPECT_EQ(u.error().text, kNumberingUnset);
}

using Numbering = Company;

TEST_F(Numbering, SavedVouchersSkipKeysThatAreTakenAndConsumeTheCounter) {
    // A voucher already at number 2 of month 3 (as a transfer leaves it).
    {
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b);
        data::FisBas h;
        h.KEYSTR = "0300000002";
        h.FISNO = 2;
        h.FISTRH = {10, 3, 2015};
        h.FISTUR = "M";
        h.FISNTLK = "N";
        ASSERT_TRUE(b->heads.add(h));
    }
    auto k1 = saveNew(5, {line("120 01 005", 10, 0), line("600 01", 0, 10)});
    ASSERT_TRUE(k1) << k1.error().text;
    EXPECT_EQ(*k1, "0300000001");
    auto k2 = saveNew(5, {line("120 01 005", 10, 0), line("600 01", 0, 10)});
    ASSERT_TRUE(k2);
    EXPECT_EQ(*k2, "0300000003");
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 3);
}

TEST_F(Numbering, DailyNumberingBeforeThePeriodStartRefusesTheSave) {
    changeCompany([](data::Yasal& y) {
        y.FISNOSIRASI = "G";
        y.MALIDONEMBAS = {15, 1, 2015};
        y.MALIDONEMSON = {14, 1, 2016};
    });
    ASSERT_TRUE(session_->setCalisilanAy(1));
    auto draft = [&](core::Date day) {
        Draft d = newDraft(*session_);
        d.header.FISTRH = day;
        insertLine(d.lines, line("120 01 005", 5, 0), 0);
        insertLine(d.lines, line("600 01", 0, 5), 1);
        return d;
    };
    Env e = env();
    Draft ok = draft({20, 1, 2015});
    auto k = save(e, ok, {});
    ASSERT_TRUE(k) << k.error().text;
    EXPECT_EQ(*k, "0100600001");
    // 10 January 2016 lies in the period but its day slot falls below 1: the box shows the
    // slot, the save is refused with a clear reason and nothing is written.
    const auto before = account("120 01 005");
    Draft bad = draft({10, 1, 2016});
    auto r = save(e, bad, {});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, core::ErrorKind::Refused);
    EXPECT_NE(r.error().text.find("-4"), std::string::npos);
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_EQ(ui_.messages.back().text, "-4");
    EXPECT_EQ(account("120 01 005"), before);
}

} // namespace
