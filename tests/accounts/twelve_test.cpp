#include "accounts/twelve.h"

#include "app/calendar.h"

#include <gtest/gtest.h>

namespace hk::accounts {
namespace {

TEST(TwelveMonths, RunningPositionAndNegativeBalances) {
    data::HsPlan a;
    a.ACTLBORC = 100;
    data::month(a.TLBORC, 1) = 50;
    data::month(a.TLALACAK, 2) = 200;
    a.KPTLALACAK = 30;
    data::month(a.DOVIZBORC, 2) = 7; // another measure stays apart
    const auto rows = twelveMonths(a, Measure::TL, app::ayAdlari(), 0);
    ASSERT_EQ(rows.size(), 14u);
    struct Expect {
        std::size_t row;
        double d, c, b, cd, cc, cb;
    } expect[] = {
        {0, 100, 0, 100, 100, 0, 100},   // Açılış
        {1, 50, 0, 50, 150, 0, 150},     // month 1
        {2, 0, 200, -200, 150, 200, -50}, // month 2
        {12, 0, 0, 0, 150, 200, -50},    // month 12
        {13, 0, 30, -30, 150, 230, -80}, // Kapanış: opening + months + closing
    };
    for (const auto& e : expect) {
        const auto& r = rows[e.row];
        EXPECT_EQ((std::array<double, 6>{r.debit, r.credit, r.balance, r.cumDebit, r.cumCredit,
                                         r.cumBalance}),
                  (std::array<double, 6>{e.d, e.c, e.b, e.cd, e.cc, e.cb}))
            << r.label;
    }
    EXPECT_EQ(rows[0].label, "Açılış");
    EXPECT_EQ(rows[13].label, "Kapanış");
    EXPECT_EQ(twelveMonths(a, Measure::Currency, app::ayAdlari(), 0)[2].debit, 7);
}

TEST(TwelveMonths, MonthLabelsFollowTheFiscalYear) {
    data::HsPlan a;
    data::month(a.TLBORC, 1) = 11; // element 1 is the first fiscal month
    const auto jan = twelveMonths(a, Measure::TL, app::ayAdlari(), 0);
    EXPECT_EQ(jan[1].label, "1.Ocak");
    EXPECT_EQ(jan[12].label, "12.Aralık");
    const auto july = twelveMonths(a, Measure::TL, app::ayAdlari(), 6);
    EXPECT_EQ(july[1].label, "Temmuz");
    EXPECT_EQ(july[1].debit, 11);
    EXPECT_EQ(july[6].label, "Aralık");
    EXPECT_EQ(july[7].label, "Ocak");
    EXPECT_EQ(july[12].label, "Haziran");
}

TEST(TwelveMonths, Title) {
    data::HsPlan a;
    a.HESAPKODU = "120 01";
    a.HESAPAD1 = "Alıcılar";
    a.HESAPAD2 = "Yurt içi";
    EXPECT_EQ(twelveMonthTitle(a), "12 Aylık Mizan   [120 01 Alıcılar Yurt içi]");
}

} // namespace
} // namespace hk::accounts
