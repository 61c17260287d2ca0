// The voucher tools keep the books consistent: after a seeded run of saves, copies, transfers,
// attribute changes, renumberings and account transfers the posted totals are what the full
// rebuild computes; and a renumbering killed at any moment, then completed, loses no voucher and
// no line.
#include "fixture.h"
#include "data/database.h"
#include "vouchers/account_transfer.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/rebuild.h"
#include "vouchers/renumber.h"
#include "vouchers/tools.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class ToolsProperty : public hk::vouchers::testing::Company {
  protected:
    std::map<std::string, AccountTotals> allTotals() {
        std::map<std::string, AccountTotals> out;
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b->plan.set("HSP:KeyHesap"));
        while (auto h = b->plan.next()) out[h->HESAPKODU] = totalsOf(*h);
        return out;
    }
    void expectPostedEqualsRebuild() {
        const auto posted = allTotals();
        ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
        const auto rebuilt = allTotals();
        for (const auto& [code, t] : posted) {
            const auto& r = rebuilt.at(code);
            for (std::size_t i = 0; i < 6; ++i) {
                EXPECT_NEAR(t.opening[i], r.opening[i], 1e-6) << code;
                EXPECT_NEAR(t.closing[i], r.closing[i], 1e-6) << code;
                for (std::size_t m = 0; m < 12; ++m)
                    EXPECT_NEAR(t.months[m][i], r.months[m][i], 1e-6) << code << " month " << m + 1;
            }
        }
    }
    std::string save(int m, int day, double amount, const std::string& debit,
                     const std::string& attribute) {
        Draft d = newDraft(*session_);
        d.fiscalMonth = m;
        d.header.FISNTLK = attribute;
        d.header.FISTRH = dateInFiscalMonth(storedCompany(), m, day);
        insertLine(d.lines, line(debit, amount, 0), 0);
        insertLine(d.lines, line("600 01", 0, amount), 1);
        Env e = env();
        auto k = hk::vouchers::save(e, d, {});
        EXPECT_TRUE(k) << k.error().text;
        return k ? *k : std::string{};
    }
};

TEST_F(ToolsProperty, PostedTotalsEqualTheRebuildAfterARandomRunOfTools) {
    std::mt19937 rng(4407);
    const std::vector<std::string> details = {"120 01 005", "120 01 006", "100 01", "191 01"};
    const std::vector<std::string> attributes = {"N", "N", "N", "IPT", "ACF", "KPF", "YAN"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    auto cents = [&] { return static_cast<double>(1 + rng() % 100000) / 100.0; };
    auto month = [&] { return 1 + static_cast<int>(rng() % 12); };
    auto day = [&] { return 1 + static_cast<int>(rng() % 28); };
    for (int i = 0; i < 40; ++i) save(month(), day(), cents(), pick(details), pick(attributes));

    for (int op = 0; op < 160; ++op) {
        auto hs = heads();
        ASSERT_FALSE(hs.empty());
        const data::FisBas h = hs[rng() % hs.size()];
        switch (rng() % 6) {
        case 0:
            save(month(), day(), cents(), pick(details), pick(attributes));
            break;
        case 1: {
            auto c = FisKopyala(ui_, *ds_, h.KEYSTR, core::Date{static_cast<std::uint8_t>(day()),
                                                               static_cast<std::uint8_t>(month()),
                                                               2015});
            ASSERT_TRUE(c) << c.error().text;
            break;
        }
        case 2: {
            // Onto a number high enough to be free, in another month, with another attribute.
            TransferTarget t{1000 + op, day(), month(), pick(attributes), 'M'};
            auto r = FisTransfer(ui_, *ds_, h.KEYSTR, t);
            ASSERT_TRUE(r) << r.error().text;
            break;
        }
        case 3:
            ASSERT_TRUE(changeAttribute(ui_, *ds_, h.KEYSTR, pick(attributes)));
            break;
        case 4:
            ASSERT_TRUE(FisSirala(*ds_, ui_, keyMonth(h.KEYSTR)));
            break;
        case 5: {
            const std::string from = pick(details);
            std::string to = pick(details);
            if (to == from) break;
            TransferRange r;
            if (rng() % 2) r.fromMonth = month();
            else r.fromDate = core::Date{1, static_cast<std::uint8_t>(month()), 2015};
            ASSERT_TRUE(accountTransfer(*ds_, ui_, from, to, r));
            break;
        }
        }
    }
    expectPostedEqualsRebuild();
    // Every header's totals are the sums of its lines.
    auto b = Books::open(*ds_);
    for (const auto& h : heads()) {
        double debit = 0;
        const auto ls = b->linesOf(h.KEYSTR);
        ASSERT_TRUE(ls);
        for (const auto& l : *ls) debit += l.TLBORC;
        EXPECT_NEAR(debit, h.BTOPLAM, 1e-6) << h.KEYSTR;
    }
}

TEST_F(ToolsProperty, RenumberingKilledAtRandomMomentsIsCompletedWhole) {
    std::mt19937 rng(77);
    for (int i = 0; i < 150; ++i)
        save(3, 1 + static_cast<int>(rng() % 28), static_cast<double>(1 + rng() % 9000) / 100.0,
             "120 01 005", "N");
    const auto before = heads();
    const auto totalsBefore = allTotals();
    std::size_t allLines = 0;
    {
        auto b = Books::open(*ds_);
        for (const auto& h : before) allLines += b->linesOf(h.KEYSTR)->size();
    }
    for (int round = 0; round < 4; ++round) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // The child works on a connection of its own.
            auto ds = data::DataSet::open(data::Locations::resolve(dir_.string(), dir_));
            if (!ds) ::_exit(3);
            app::testing::FakeUi ui;
            (void)FisSirala(*ds, ui, 3);
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + rng() % 400));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        // Whatever moment it died at: every voucher is whole under one key.
        auto now = heads();
        ASSERT_EQ(now.size(), before.size()) << "round " << round;
        auto b = Books::open(*ds_);
        std::size_t lines = 0;
        for (const auto& h : now) {
            const auto ls = *b->linesOf(h.KEYSTR);
            EXPECT_FALSE(ls.empty()) << h.KEYSTR;
            lines += ls.size();
        }
        EXPECT_EQ(lines, allLines);
    }
    ASSERT_TRUE(FisSiralaDuzelt(*ds_, ui_));
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    auto after = heads();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].KEYSTR.substr(0, 2), "03");
        EXPECT_EQ(after[i].FISNO, static_cast<int>(i + 1));
        if (i > 0) {
            EXPECT_LE(after[i - 1].FISTRH, after[i].FISTRH);
        }
    }
    // The month's totals were never touched.
    const auto totalsAfter = allTotals();
    for (const auto& [code, t] : totalsBefore)
        EXPECT_NEAR(t.months[2][0], totalsAfter.at(code).months[2][0], 1e-6) << code;
    expectPostedEqualsRebuild();
}

} // namespace
