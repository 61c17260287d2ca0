// Renumbering and the account transfer rewrite voucher lines where they stand. On a seeded random
// book every line must come out with the fields a fresh copy would have, findable through every
// key and through the account index, and the database must pass its own check.
#include "fixture.h"
#include "data/database.h"
#include "vouchers/account_transfer.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/rebuild.h"
#include "vouchers/renumber.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>

using namespace hk;
using namespace hk::vouchers;

namespace {

// What identifies a line's content apart from the voucher it belongs to.
using LineImage = std::tuple<int, long, std::string, std::string, double, double, double, double,
                             std::string, std::string, std::string>;

LineImage image(const data::FisDet& l) {
    return {l.FISSIRANO, l.ACKNO,   l.HESAPKODU, l.FISACK,     l.TLBORC,         l.TLALACAK,
            l.DOVIZBORC, l.DOVIZALACAK, l.BORCALACAK, l.BELGENO, l.BELGEACIKLAMASI};
}

struct Voucher {
    data::FisBas head;
    std::vector<data::FisDet> lines; // in line-number order
};

class RenumberPaths : public hk::vouchers::testing::Company {
  protected:
    // Vouchers written straight into the files (renumbering and the transfer read only the
    // headers and lines): amount lines with four-decimal amounts, extra description lines and
    // document fields, on random days of fiscal months 3 and 4.
    std::vector<Voucher> randomBook(std::mt19937& rng, int count, int maxLines = 6) {
        const std::vector<std::string> codes = {"120 01 005", "120 01 006", "100 01", "191 01",
                                                "600 01", "391 01"};
        std::vector<Voucher> out;
        auto b = Books::open(*ds_);
        data::Transaction tx{*b->db};
        EXPECT_TRUE(tx.started());
        std::map<int, int> counter;
        for (int v = 0; v < count; ++v) {
            Voucher w;
            const int m = rng() % 4 == 0 ? 4 : 3;
            const int no = (counter[m] += 1 + static_cast<int>(rng() % 3));
            w.head.FISTRH = core::Date::make(m, 1 + static_cast<int>(rng() % 28), 2015);
            w.head.FISNO = static_cast<std::int16_t>(no);
            w.head.KEYSTR = composeKey(company_, m, 0, 'M', no);
            w.head.FISTUR = "M";
            w.head.FISNTLK = rng() % 5 == 0 ? "IPT" : "N";
            const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxLines));
            for (int k = 1; k <= n; ++k) {
                data::FisDet l;
                l.KEYSTR = w.head.KEYSTR;
                l.FISSIRANO = static_cast<std::int16_t>(k);
                l.ACKNO = k * 100;
                l.HESAPKODU = codes[rng() % codes.size()];
                const double amount = static_cast<double>(1 + rng() % 1000000) / 10000.0;
                if (rng() % 2) l.TLBORC = amount;
                else l.TLALACAK = amount;
                l.BORCALACAK = rng() % 2 ? "B" : "A"; // renumbering sets it from the amounts
                if (rng() % 4 == 0) l.DOVIZBORC = amount / 30;
                l.FISACK = "Satır " + std::to_string(k);
                l.BELGENO = std::to_string(rng() % 1000);
                l.FISTRH = w.head.FISTRH;
                l.FISNO = w.head.FISNO;
                l.FISTUR = "M";
                l.FISNTLK = w.head.FISNTLK;
                w.lines.push_back(l);
                if (rng() % 3 == 0) {
                    // An extra description line, carrying stray TL amounts the move clears.
                    data::FisDet d;
                    d.KEYSTR = l.KEYSTR;
                    d.FISSIRANO = l.FISSIRANO;
                    d.ACKNO = k * 100 + 1;
                    d.HESAPKODU = l.HESAPKODU;
                    d.FISACK = "Ek açıklama " + std::to_string(k);
                    d.TLBORC = rng() % 2 ? 0.5 : 0;
                    d.FISTRH = l.FISTRH;
                    d.FISNO = l.FISNO;
                    d.FISTUR = "M";
                    d.FISNTLK = l.FISNTLK;
                    w.lines.push_back(d);
                }
            }
            for (const auto& l : w.lines) EXPECT_TRUE(b->lines.add(l));
            EXPECT_TRUE(b->heads.add(w.head));
            out.push_back(w);
        }
        EXPECT_TRUE(tx.commit());
        return out;
    }


    // Every line of the books is where each of its keys and the account index say it is.
    void expectEveryLineFoundByEveryKey(const std::vector<Voucher>& expected) {
        auto b = Books::open(*ds_);
        std::multiset<std::tuple<std::string, std::string, long>> want, bySiraNo, byFisDet,
            byAccount;
        for (const auto& v : expected)
            for (const auto& l : v.lines) want.insert({l.KEYSTR, l.HESAPKODU, l.ACKNO});
        ASSERT_TRUE(b->lines.set("MFD:KeyFisSiraNo"));
        while (auto l = b->lines.next()) bySiraNo.insert({l->KEYSTR, l->HESAPKODU, l->ACKNO});
        ASSERT_TRUE(b->lines.set("MFD:KeyFisDet"));
        std::vector<std::tuple<std::string, std::string, long>> ordered;
        while (auto l = b->lines.next()) {
            byFisDet.insert({l->KEYSTR, l->HESAPKODU, l->ACKNO});
            ordered.emplace_back(l->KEYSTR, l->HESAPKODU, l->ACKNO);
        }
        EXPECT_TRUE(std::is_sorted(ordered.begin(), ordered.end()));
        std::set<std::string> codes;
        for (const auto& [k, code, a] : want) codes.insert(code);
        for (const auto& code : codes) {
            auto found = b->lines.collectWhere("MFD:KeyFisDet", "HESAPKODU", code);
            ASSERT_TRUE(found);
            for (const auto& [mark, l] : *found) {
                EXPECT_EQ(l.HESAPKODU, code);
                byAccount.insert({l.KEYSTR, l.HESAPKODU, l.ACKNO});
            }
        }
        EXPECT_EQ(bySiraNo, want);
        EXPECT_EQ(byFisDet, want);
        EXPECT_EQ(byAccount, want);
        auto problems = b->db->check();
        ASSERT_TRUE(problems);
        for (const auto& p : *problems) ADD_FAILURE() << p.table << ": " << p.text;
    }

    void expectBook(const std::vector<Voucher>& expected) {
        auto b = Books::open(*ds_);
        const auto hs = heads();
        ASSERT_EQ(hs.size(), expected.size());
        std::map<std::string, const Voucher*> byKey;
        for (const auto& v : expected) byKey[v.head.KEYSTR] = &v;
        for (const auto& h : hs) {
            ASSERT_TRUE(byKey.count(h.KEYSTR)) << h.KEYSTR;
            const Voucher& v = *byKey[h.KEYSTR];
            EXPECT_EQ(h.FISNO, v.head.FISNO) << h.KEYSTR;
            EXPECT_EQ(h.FISTRH, v.head.FISTRH) << h.KEYSTR;
            EXPECT_NEAR(h.BTOPLAM, v.head.BTOPLAM, 1e-9) << h.KEYSTR;
            EXPECT_NEAR(h.ATOPLAM, v.head.ATOPLAM, 1e-9) << h.KEYSTR;
            const auto ls = b->linesOf(h.KEYSTR);
            ASSERT_TRUE(ls);
            ASSERT_EQ(ls->size(), v.lines.size()) << h.KEYSTR;
            for (std::size_t i = 0; i < ls->size(); ++i) {
                EXPECT_EQ(image((*ls)[i]), image(v.lines[i])) << h.KEYSTR << " line " << i;
                EXPECT_EQ((*ls)[i].KEYSTR, h.KEYSTR);
                EXPECT_EQ((*ls)[i].FISNO, h.FISNO);
            }
        }
        expectEveryLineFoundByEveryKey(expected);
    }
};

// The renumbered month 3 as worked out from the book before: vouchers in order of date, then old
// number, numbered from 1; amount lines rounded to cents with their marker, description lines
// without TL amounts; header totals the sums of the rounded lines. Month 4 stays as it was.
// Returns the last number given.
int renumberedMonth3(std::vector<Voucher>& book, const data::Yasal& company) {
    std::vector<Voucher*> month3;
    for (auto& v : book)
        if (keyMonth(v.head.KEYSTR) == 3) month3.push_back(&v);
    std::stable_sort(month3.begin(), month3.end(), [](const Voucher* a, const Voucher* b) {
        return std::tie(a->head.FISTRH, a->head.FISNO) < std::tie(b->head.FISTRH, b->head.FISNO);
    });
    int no = 0;
    for (Voucher* v : month3) {
        ++no;
        v->head.FISNO = static_cast<std::int16_t>(no);
        v->head.KEYSTR = composeKey(company, 3, 0, 'M', no);
        v->head.BTOPLAM = v->head.ATOPLAM = 0;
        for (auto& l : v->lines) {
            l.KEYSTR = v->head.KEYSTR;
            l.FISNO = v->head.FISNO;
            if (l.ACKNO % 100 == 0) {
                l.TLBORC = roundCents(l.TLBORC);
                l.TLALACAK = roundCents(l.TLALACAK);
                l.BORCALACAK = l.TLBORC == 0 ? "A" : "B";
                v->head.BTOPLAM += l.TLBORC;
                v->head.ATOPLAM += l.TLALACAK;
            } else {
                l.TLBORC = l.TLALACAK = 0;
            }
        }
    }
    return no;
}

TEST_F(RenumberPaths, RenumberingGivesEveryLineItsNewKeyInPlaceOnARandomBook) {
    for (unsigned seed : {11u, 12u, 13u}) {
        TearDown();
        SetUp();
        std::mt19937 rng(seed);
        auto book = randomBook(rng, 60);
        const int last = renumberedMonth3(book, company_);
        ASSERT_TRUE(FisSirala(*ds_, ui_, 3)) << "seed " << seed;
        expectBook(book);
        EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], last);
    }
}

// More vouchers than one unit of work moves: the batches meet without losing or repeating a line.
TEST_F(RenumberPaths, RenumberingOverSeveralUnitsOfWork) {
    std::mt19937 rng(31);
    auto book = randomBook(rng, 3000, 2);
    const int last = renumberedMonth3(book, company_);
    ASSERT_GT(last, 2000); // a unit of work moves 2,000 vouchers
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    expectBook(book);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], last);
}

// Keys do not tell upper from lower case: a line whose key differs from its header's only in
// case is the voucher's line and moves with it.
TEST_F(RenumberPaths, RenumberingTakesTheLinesTheKeyFindsWhateverTheirCase) {
    {
        auto b = Books::open(*ds_);
        data::FisBas h;
        h.KEYSTR = "03M0000005";
        h.FISTRH = core::Date{4, 3, 2015};
        h.FISNO = 5;
        h.FISTUR = "M";
        h.FISNTLK = "N";
        ASSERT_TRUE(b->heads.add(h));
        for (const char* key : {"03M0000005", "03m0000005"}) {
            data::FisDet l;
            l.KEYSTR = key;
            l.FISSIRANO = key[2] == 'M' ? 1 : 2;
            l.ACKNO = l.FISSIRANO * 100;
            l.HESAPKODU = "120 01 005";
            l.TLBORC = 10;
            ASSERT_TRUE(b->lines.add(l));
        }
    }
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    const auto hs = heads();
    ASSERT_EQ(hs.size(), 1u);
    EXPECT_EQ(hs[0].KEYSTR, "0300000001");
    EXPECT_DOUBLE_EQ(hs[0].BTOPLAM, 20);
    auto b = Books::open(*ds_);
    const auto ls = b->linesOf("0300000001");
    ASSERT_TRUE(ls);
    ASSERT_EQ(ls->size(), 2u);
    for (const auto& l : *ls) EXPECT_EQ(l.FISNO, 1);
}

// The account transfer changes only the account of the moved lines.
TEST_F(RenumberPaths, AccountTransferRewritesOnlyTheAccountOnARandomBook) {
    for (unsigned seed : {21u, 22u}) {
        TearDown();
        SetUp();
        std::mt19937 rng(seed);
        auto book = randomBook(rng, 60);
        for (auto& v : book)
            for (auto& l : v.lines)
                if (l.HESAPKODU == "120 01 005" && keyMonth(v.head.KEYSTR) == 4)
                    l.HESAPKODU = "120 01 006";
        TransferRange r;
        r.fromMonth = 4;
        r.toMonth = 4;
        ASSERT_TRUE(accountTransfer(*ds_, ui_, "120 01 005", "120 01 006", r)) << "seed " << seed;
        expectBook(book);
    }
}

// A Ui through which "another program" writes while a tool runs: the first progress line whose
// text holds `when` runs `meddle` once, inside the tool's unit of work, on the same data set.
class MeddlingUi : public app::testing::FakeUi {
  public:
    std::string when;
    std::function<void()> meddle;
    void progress(const std::string& text, int n) override {
        FakeUi::progress(text, n);
        if (meddle && text.find(when) != std::string::npos) {
            auto f = std::move(meddle);
            meddle = nullptr;
            f();
        }
    }
};

// A line the parking moved and another program then changed or deleted, before the numbering
// moved it on: the numbering moves the voucher as its lines stand then, as if the change had
// been made before the run. The line is the voucher's last, so the lines before it are moved
// first and must be put back when it turns out changed.
TEST_F(RenumberPaths, RenumberingMovesTheLinesAsTheyStandWhenAnotherProgramChangedOneAfterParking) {
    enum class Meddle { Amount, Delete, Account };
    for (const Meddle how : {Meddle::Amount, Meddle::Delete, Meddle::Account}) {
        SCOPED_TRACE(static_cast<int>(how));
        TearDown();
        SetUp();
        std::mt19937 rng(41);
        auto book = randomBook(rng, 60);
        Voucher* v = nullptr;
        for (auto& w : book)
            if (keyMonth(w.head.KEYSTR) == 3 && w.lines.size() >= 3 &&
                w.lines.back().ACKNO % 100 == 0 && (!v || w.head.FISTRH < v->head.FISTRH))
                v = &w;
        ASSERT_NE(v, nullptr);
        const std::string parked = "83" + v->head.KEYSTR.substr(2);
        const data::FisDet target = v->lines.back();
        bool done = false;
        MeddlingUi ui;
        ui.when = " Fişi Sıralanıyor.";
        ui.meddle = [&] {
            auto b = Books::open(*ds_);
            ASSERT_TRUE(b);
            data::FisDet key = target;
            key.KEYSTR = parked;
            auto l = b->lines.get("MFD:KeyFisSiraNo", key);
            ASSERT_TRUE(l) << "the line is parked by now";
            if (how == Meddle::Delete) {
                ASSERT_TRUE(b->lines.erase());
            } else {
                if (how == Meddle::Amount) l->TLBORC = 12.3456, l->TLALACAK = 0;
                else l->HESAPKODU = "191 01";
                l->FISACK = "Başka program";
                ASSERT_TRUE(b->lines.put(*l));
            }
            done = true;
        };
        data::FisDet& last = v->lines.back();
        if (how == Meddle::Delete) {
            v->lines.pop_back();
        } else {
            if (how == Meddle::Amount) last.TLBORC = 12.3456, last.TLALACAK = 0;
            else last.HESAPKODU = "191 01";
            last.FISACK = "Başka program";
        }
        const int lastNo = renumberedMonth3(book, company_);
        ASSERT_TRUE(FisSirala(*ds_, ui, 3));
        EXPECT_TRUE(done);
        expectBook(book);
        EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], lastNo);
    }
}

// A line another program added to a voucher after the parking, under its parked key: the
// numbering moves it with the voucher (key, number, rounding) and counts it in the totals.
TEST_F(RenumberPaths, ALineAddedToAParkedVoucherMovesWithIt) {
    std::mt19937 rng(43);
    auto book = randomBook(rng, 40);
    Voucher* v = nullptr;
    for (auto& w : book)
        if (keyMonth(w.head.KEYSTR) == 3) v = &w;
    ASSERT_NE(v, nullptr);
    data::FisDet added = v->lines.front();
    added.KEYSTR = "83" + v->head.KEYSTR.substr(2);
    added.FISSIRANO = static_cast<std::int16_t>(v->lines.back().FISSIRANO + 1);
    added.ACKNO = added.FISSIRANO * 100;
    added.HESAPKODU = "191 01";
    added.TLBORC = 7.4949;
    added.TLALACAK = 0;
    added.FISACK = "Sonradan eklendi";
    bool done = false;
    MeddlingUi ui;
    ui.when = " Fişi Sıralanıyor.";
    ui.meddle = [&] {
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b);
        ASSERT_TRUE(b->lines.add(added));
        done = true;
    };
    v->lines.push_back(added);
    const int lastNo = renumberedMonth3(book, company_);
    ASSERT_TRUE(FisSirala(*ds_, ui, 3));
    EXPECT_TRUE(done);
    EXPECT_DOUBLE_EQ(v->lines.back().TLBORC, 7.49);
    expectBook(book);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], lastNo);
}

// A Ui whose cancel button is pressed with the first progress line that holds `when`.
class CancellingUi : public app::testing::FakeUi {
  public:
    std::string when;
    bool pressed = false;
    void progress(const std::string& text, int n) override {
        FakeUi::progress(text, n);
        if (text.find(when) != std::string::npos) pressed = true;
    }
    bool cancelled() override { return pressed; }
};

// The numbering of a month is one unit of work: a cancel while it moves the vouchers leaves the
// whole month parked, its counter reset, and "Fiş Sırala Düzelt" numbers it from there.
TEST_F(RenumberPaths, ACancelWhileNumberingLeavesTheMonthParked) {
    std::mt19937 rng(47);
    auto book = randomBook(rng, 40);
    std::size_t month3 = 0;
    for (const auto& v : book) month3 += keyMonth(v.head.KEYSTR) == 3 ? 1 : 0;
    CancellingUi ui;
    ui.when = " Fişi Sıralanıyor.";
    EXPECT_FALSE(FisSirala(*ds_, ui, 3));
    ASSERT_TRUE(ui.pressed);
    auto count = [&](const char* pair) {
        std::size_t n = 0;
        for (const auto& h : heads()) n += h.KEYSTR.substr(0, 2) == pair ? 1 : 0;
        return n;
    };
    EXPECT_EQ(count("83"), month3);
    EXPECT_EQ(count("03"), 0u);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], 0);

    auto n = FisSiralaDuzelt(*ds_, ui_);
    ASSERT_TRUE(n);
    EXPECT_EQ(static_cast<std::size_t>(*n), month3);
    EXPECT_EQ(count("03"), month3);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], static_cast<int>(month3));
    // Every voucher whole, with as many lines as it had, and the month's totals those of its
    // rounded lines.
    std::multiset<std::size_t> sizes, storedSizes;
    std::multiset<long> debits, storedDebits;
    for (const auto& v : book) {
        sizes.insert(v.lines.size());
        if (keyMonth(v.head.KEYSTR) != 3) continue;
        double debit = 0;
        for (const auto& l : v.lines)
            if (l.ACKNO % 100 == 0) debit += roundCents(l.TLBORC);
        debits.insert(std::lround(debit * 100));
    }
    auto b = Books::open(*ds_);
    for (const auto& h : heads()) {
        auto ls = b->linesOf(h.KEYSTR);
        ASSERT_TRUE(ls);
        storedSizes.insert(ls->size());
        if (keyMonth(h.KEYSTR) == 3) storedDebits.insert(std::lround(h.BTOPLAM * 100));
    }
    EXPECT_EQ(storedSizes, sizes);
    EXPECT_EQ(storedDebits, debits);
    auto problems = b->db->check();
    ASSERT_TRUE(problems);
    for (const auto& p : *problems) ADD_FAILURE() << p.table << ": " << p.text;
}

// Lines changed, moved to another account or deleted by another program after the transfer
// listed them: each is moved as it is stored then (or not at all), and the totals posted are
// those of the lines as moved.
TEST_F(RenumberPaths, AccountTransferMovesTheLinesAsStoredWhenAnotherProgramChangedThem) {
    std::mt19937 rng(51);
    auto book = randomBook(rng, 60);
    // Three lines of the account in vouchers after the first one moved (progress comes after
    // the first voucher's lines).
    std::vector<data::FisDet*> victims;
    bool first = true;
    for (auto& v : book) {
        if (keyMonth(v.head.KEYSTR) != 4) continue;
        for (auto& l : v.lines) {
            if (l.HESAPKODU != "120 01 005") continue;
            if (first) {
                first = false; // somewhere in the first voucher moved (key order)
                continue;
            }
            if (victims.size() < 3 && l.ACKNO % 100 == 0) victims.push_back(&l);
        }
    }
    std::sort(victims.begin(), victims.end(), [](const data::FisDet* a, const data::FisDet* b) {
        return std::tie(a->KEYSTR, a->ACKNO) < std::tie(b->KEYSTR, b->ACKNO);
    });
    ASSERT_EQ(victims.size(), 3u);
    // The first voucher moved is the lowest key of month 4 with a line of the account.
    std::string firstKey;
    for (const auto& v : book)
        if (keyMonth(v.head.KEYSTR) == 4)
            for (const auto& l : v.lines)
                if (l.HESAPKODU == "120 01 005" && (firstKey.empty() || l.KEYSTR < firstKey))
                    firstKey = l.KEYSTR;
    for (const data::FisDet* l : victims) ASSERT_GT(l->KEYSTR, firstKey);
    const std::vector<data::FisDet> listed = {*victims[0], *victims[1], *victims[2]};
    auto attributeOf = [&](const std::string& key) {
        for (const auto& v : book)
            if (v.head.KEYSTR == key) return v.head.FISNTLK;
        return std::string{};
    };
    auto totals = [&] {
        std::map<std::string, AccountTotals> out;
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b->plan.set("HSP:KeyHesap"));
        while (auto h = b->plan.next()) out[h->HESAPKODU] = totalsOf(*h);
        return out;
    };
    std::map<std::string, AccountTotals> beforeMove;
    MeddlingUi ui;
    bool done = false;
    ui.meddle = [&] {
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b);
        for (std::size_t i = 0; i < listed.size(); ++i) {
            auto l = b->lines.get("MFD:KeyFisSiraNo", listed[i]);
            ASSERT_TRUE(l);
            const std::string attr = attributeOf(l->KEYSTR);
            ASSERT_TRUE(MizandanCikar(b->plan, *l, attr, 4));
            if (i == 2) {
                ASSERT_TRUE(b->lines.erase());
                continue;
            }
            if (i == 0) l->TLBORC = 77.25, l->TLALACAK = 0;
            else l->HESAPKODU = "191 01";
            ASSERT_TRUE(b->lines.put(*l));
            ASSERT_TRUE(MizanaIsle(b->plan, *l, attr, 4));
        }
        beforeMove = totals(); // the transfer posts its one unit of work at its end
        done = true;
    };
    victims[0]->TLBORC = 77.25;
    victims[0]->TLALACAK = 0;
    victims[1]->HESAPKODU = "191 01";
    // What the transfer posts: the amounts of the lines as it moves them, out of the source and
    // into the target (their common levels net to nothing).
    Amounts movedSum{};
    for (auto& v : book) {
        std::erase_if(v.lines, [&](const data::FisDet& l) {
            return l.KEYSTR == listed[2].KEYSTR && l.ACKNO == listed[2].ACKNO &&
                   l.FISSIRANO == listed[2].FISSIRANO;
        });
        for (auto& l : v.lines)
            if (l.HESAPKODU == "120 01 005" && keyMonth(v.head.KEYSTR) == 4) {
                l.HESAPKODU = "120 01 006";
                if (!isAmountLine(l) || isCancelled(v.head.FISNTLK)) continue;
                const Amounts a = amountsOf(l);
                for (std::size_t i = 0; i < 6; ++i) movedSum[i] += a[i];
            }
    }
    TransferRange r;
    r.fromMonth = 4;
    r.toMonth = 4;
    auto moved = accountTransfer(*ds_, ui, "120 01 005", "120 01 006", r);
    ASSERT_TRUE(moved);
    EXPECT_TRUE(done);
    expectBook(book);
    const auto after = totals();
    for (const auto& [code, sign] : {std::pair<std::string, double>{"120 01 005", -1.0},
                                     std::pair<std::string, double>{"120 01 006", 1.0},
                                     std::pair<std::string, double>{"191 01", 0.0}})
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_NEAR(after.at(code).months[3][i],
                        beforeMove.at(code).months[3][i] + sign * movedSum[i], 1e-6)
                << code << " measure " << i;
}

} // namespace
