// After a long seeded run of saves, changes, deletions and attribute changes, the posted totals
// are exactly what the full rebuild computes from the vouchers, and every header's totals are
// the sums of its lines.
#include "fixture.h"
#include "core/numeric.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/rebuild.h"

#include <map>
#include <random>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

using Property = hk::vouchers::testing::Company;

std::map<std::string, AccountTotals> allTotals(data::DataSet& ds) {
    std::map<std::string, AccountTotals> out;
    auto b = Books::open(ds);
    EXPECT_TRUE(b);
    EXPECT_TRUE(b->plan.set("HSP:KeyHesap"));
    while (auto h = b->plan.next()) out[h->HESAPKODU] = totalsOf(*h);
    return out;
}

void expectSame(const Amounts& a, const Amounts& b, const std::string& where) {
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(a[i], b[i], 1e-6) << where << " measure " << i;
}

TEST_F(Property, PostedTotalsEqualTheFullRebuildAfterARandomRun) {
    std::mt19937 rng(20150310);
    const std::vector<std::string> codes = {"120 01 005", "120 01 006", "600 01", "320 01",
                                            "100 01",     "191 01",     "391 01"};
    const std::vector<std::string> attributes = {"N", "N", "N", "IPT", "ACF", "KPF", "YAN"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    auto cents = [&] { return static_cast<double>(1 + rng() % 500000) / 100.0; };
    auto randomLines = [&] {
        Lines ls;
        const int n = 2 + static_cast<int>(rng() % 5);
        double total = 0;
        for (int i = 0; i + 1 < n; ++i) {
            data::FisDet l = line(pick(codes), cents(), 0);
            l.ALTBIRIMBORC = static_cast<double>(rng() % 100);
            l.DOVIZBORC = rng() % 3 == 0 ? cents() : 0;
            total += l.TLBORC;
            insertLine(ls, l, i);
        }
        insertLine(ls, line(pick(codes), 0, core::numeric::round(total, 2)), n - 1);
        if (rng() % 4 == 0) {
            std::array<std::string, 10> slots{};
            slots[0] = "ek açıklama";
            setDescriptions(ls, 100, slots);
        }
        return ls;
    };

    std::vector<std::string> keys;
    const int operations = 2500;
    for (int op = 0; op < operations; ++op) {
        const unsigned what = keys.empty() ? 0 : rng() % 10;
        Env e = env();
        if (what < 5) { // new voucher
            Draft d = newDraft(*session_);
            d.fiscalMonth = 1 + static_cast<int>(rng() % 12);
            d.header.FISTRH = dateInFiscalMonth(storedCompany(), d.fiscalMonth,
                                                1 + static_cast<int>(rng() % 28));
            d.header.FISNTLK = pick(attributes);
            d.lines = randomLines();
            auto k = save(e, d, {});
            ASSERT_TRUE(k) << k.error().text;
            keys.push_back(*k);
        } else if (what < 8) { // change amounts and lines, sometimes the attribute
            const std::string key = pick(keys);
            auto b = Books::open(*ds_);
            auto d = openForChange(*b, storedCompany(), key);
            ASSERT_TRUE(d);
            if (rng() % 2) d->lines = randomLines();
            else if (!d->lines.empty() && isAmountLine(d->lines.front())) {
                auto& l = d->lines.front();
                if (l.TLBORC != 0) l.TLBORC = cents();
                else l.TLALACAK = cents();
                ui_.answer(1); // save it unbalanced
            }
            if (rng() % 3 == 0) d->header.FISNTLK = pick(attributes);
            auto k = save(e, *d, {});
            ASSERT_TRUE(k) << k.error().text;
            ui_.answers.clear();
        } else { // delete
            const std::size_t i = rng() % keys.size();
            ASSERT_TRUE(deleteVoucher(e, keys[i], false));
            keys.erase(keys.begin() + static_cast<long>(i));
        }
    }

    const auto posted = allTotals(*ds_);
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    const auto rebuilt = allTotals(*ds_);
    ASSERT_EQ(posted.size(), rebuilt.size());
    for (const auto& [code, t] : posted) {
        const auto& r = rebuilt.at(code);
        expectSame(t.opening, r.opening, code + " opening");
        expectSame(t.closing, r.closing, code + " closing");
        for (std::size_t m = 0; m < 12; ++m)
            expectSame(t.months[m], r.months[m], code + " month " + std::to_string(m + 1));
    }
    // Something was posted in every place, so the comparison compared something.
    const auto& top = posted.at("120");
    EXPECT_NE(top.opening[0], 0);
    EXPECT_NE(top.closing[0], 0);

    auto b = Books::open(*ds_);
    ASSERT_TRUE(b->heads.set("MFB:KeyFis"));
    std::vector<data::FisBas> heads;
    while (auto h = b->heads.next()) heads.push_back(*h);
    EXPECT_EQ(heads.size(), keys.size());
    for (const auto& h : heads) {
        auto lines = b->linesOf(h.KEYSTR);
        ASSERT_TRUE(lines);
        const auto t = totalsOf(*lines);
        EXPECT_TRUE(core::numeric::realEqual(h.BTOPLAM, t.tlDebit)) << h.KEYSTR;
        EXPECT_TRUE(core::numeric::realEqual(h.ATOPLAM, t.tlCredit)) << h.KEYSTR;
    }
}

} // namespace
