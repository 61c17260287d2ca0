// Rebuilds of the totals, header totals, keys and counters from the vouchers.
#include "fixture.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"

#include <cmath>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class Rebuild : public hk::vouchers::testing::Company {
  protected:
    double month3(const std::string& code) { return data::month(account(code).TLBORC, 3); }
    // Writes a voucher as data copied from elsewhere would hold it: no posting.
    void rawVoucher(const std::string& key, const std::string& attribute,
                    std::vector<data::FisDet> lines, core::Date date = {10, 3, 2015}) {
        auto b = Books::open(*ds_);
        ASSERT_TRUE(b);
        data::FisBas h;
        h.KEYSTR = key;
        h.FISTRH = date;
        h.FISNO = static_cast<std::int16_t>(std::stoi(key.substr(2)));
        h.FISTUR = "M";
        h.FISNTLK = attribute;
        ASSERT_TRUE(b->heads.add(h));
        int n = 0;
        for (auto& l : lines) {
            ++n;
            l.KEYSTR = key;
            l.FISSIRANO = static_cast<std::int16_t>(n);
            l.ACKNO = n * 100;
            l.FISTRH = date;
            l.FISNO = h.FISNO;
            l.FISNTLK = attribute;
            ASSERT_TRUE(b->lines.add(l));
        }
    }
};

TEST_F(Rebuild, FullRebuildRoundsEveryAmountWhilePostingKeepsIt) {
    auto k = saveNew(10, {line("120 01 005", 12.3456, 0), line("600 01", 0, 12.3456)});
    ASSERT_TRUE(k);
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 12.3456);
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 12.3456);
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 12.35);
    EXPECT_DOUBLE_EQ(month3("120"), 12.35);
    EXPECT_DOUBLE_EQ(roundCents(2.675), 2.68);
    EXPECT_DOUBLE_EQ(roundCents(-2.675), -2.68);
}

TEST_F(Rebuild, MissingLevelsDifferBetweenPostingAndTheFullRebuild) {
    // 120 01 missing: every procedure reaches 120 and the detail.
    removeAccount("120 01");
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 100, 0), line("600 01", 0, 100)}));
    for (int pass = 0; pass < 3; ++pass) {
        if (pass == 1) {
            ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
        }
        if (pass == 2) {
            ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
        }
        EXPECT_DOUBLE_EQ(month3("120"), 100) << pass;
        EXPECT_DOUBLE_EQ(month3("120 01 005"), 100) << pass;
    }
    // MizanDuzelt reported the missing level with the line's code as stored.
    bool reported = false;
    for (const auto& m : ui_.messages)
        reported = reported || m.text == "120 01 005         Bulunamadı";
    EXPECT_TRUE(reported);

    // 120 missing, 120 01 present: the full rebuild stops at the top.
    addAccount("120 01");
    removeAccount("120");
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    EXPECT_DOUBLE_EQ(month3("120 01"), 100);
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 100);
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    EXPECT_DOUBLE_EQ(month3("120 01"), 0);
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 100);
}

TEST_F(Rebuild, CancelledAndLeftOutVouchers) {
    rawVoucher("0300000001", "IPT", {line("120 01 005", 5, 0), line("600 01", 0, 5)});
    rawVoucher("0300000002", "yan", {line("120 01 005", 7, 0), line("600 01", 0, 7)});
    rawVoucher("0300000003", "N", {line("120 01 005", 11, 0), line("600 01", 0, 11)});
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 18);
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, true));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 11);
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 18);
    auto b = Books::open(*ds_);
    EXPECT_DOUBLE_EQ(b->head("0300000001")->BTOPLAM, 0); // IPT header untouched
    EXPECT_DOUBLE_EQ(b->head("0300000003")->BTOPLAM, 11);
}

TEST_F(Rebuild, MonthRebuildLeavesOpeningTotalsWithoutAnOpeningVoucher) {
    changeCompany([](data::Yasal&) {});
    {
        auto p = Books::open(*ds_);
        auto h = p->account("120 01 005");
        h->ACTLBORC = 42;
        ASSERT_TRUE(p->plan.put(*h));
    }
    rawVoucher("0300000001", "N", {line("120 01 005", 5, 0), line("600 01", 0, 5)});
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 42);
    rawVoucher("0300000002", "ACF", {line("120 01 005", 9, 0), line("600 01", 0, 9)});
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 9);
}

TEST_F(Rebuild, NoticesOfTheRebuilds) {
    auto blank = line("", 1, 0);
    blank.BORCALACAK = "";
    rawVoucher("0300000001", "N",
               {line("120 01 009", 5, 0), line("120 01", 0, 5), blank});
    ASSERT_TRUE(MizanDuzelt(*ds_, ui_, 3));
    std::vector<std::string> texts;
    for (const auto& m : ui_.messages) texts.push_back(m.text);
    auto has = [&](const std::string& t) {
        return std::find(texts.begin(), texts.end(), t) != texts.end();
    };
    EXPECT_TRUE(has("10.03.2015 1 Nolu Fişte\n120 01 009         Hesap Kodu Bulunamadı"));
    EXPECT_TRUE(has("1 Nolu Fişte 120 01             Hesap Kodu Muavin Değildir."));
    // The blank marker was stored as "B" (TL debit above 0).
    auto b = Books::open(*ds_);
    EXPECT_EQ((*b->linesOf("0300000001"))[2].BORCALACAK, "B");

    ui_.messages.clear();
    texts.clear();
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    for (const auto& m : ui_.messages) texts.push_back(m.text);
    EXPECT_TRUE(has("10.03.2015 1 Nolu Fişte \n120 01 009         Hesap Kodu Bulunamadı"));
    EXPECT_TRUE(has("10.03.2015 1 Nolu Fişte \nHesap Kodu Boş."));
    // The unknown account is created for the user to name; its amounts come with the next run.
    auto made = account("120 01 009");
    EXPECT_EQ(made.HESAPAD1, "TANIMLAYINIZ");
    EXPECT_DOUBLE_EQ(data::month(made.TLBORC, 3), 0);
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    EXPECT_DOUBLE_EQ(data::month(account("120 01 009").TLBORC, 3), 5);
}

TEST_F(Rebuild, ResetClearsOnlyWhatItIsAskedTo) {
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}, "M", "ACF"));
    ASSERT_TRUE(saveNew(11, {line("120 01 005", 6, 0), line("600 01", 0, 6)}));
    ui_.progressTexts.clear();
    ASSERT_TRUE(MizanSifirla(*ds_, ui_, 4, 12, false, false));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 6);
    ASSERT_TRUE(MizanSifirla(*ds_, ui_, 1, 12, true, true));
    EXPECT_DOUBLE_EQ(month3("120 01 005"), 0);
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 0);
    ASSERT_FALSE(ui_.progressTexts.empty());
    EXPECT_NE(ui_.progressTexts.front().find(" Mizan Sıfırlanıyor."), std::string::npos);
}

TEST_F(Rebuild, HeaderRebuildRecreatesMissingHeaders) {
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}));
    rawVoucher("0300000009", "N", {line("120 01 005", 3, 0), line("600 01", 0, 2)});
    {
        auto b = Books::open(*ds_);
        auto h = b->head("0300000009");
        h->BTOPLAM = 99;
        ASSERT_TRUE(b->heads.put(*h));
    }
    // Cancelling changes nothing.
    ui_.cancelAfterProgress = true;
    EXPECT_FALSE(FisBaslikYarat(*ds_, ui_));
    EXPECT_DOUBLE_EQ(Books::open(*ds_)->head("0300000009")->BTOPLAM, 99);
    ui_.cancelAfterProgress = false;
    ASSERT_TRUE(FisBaslikYarat(*ds_, ui_));
    {
        auto b = Books::open(*ds_);
        EXPECT_DOUBLE_EQ(b->head("0300000009")->BTOPLAM, 3);
        EXPECT_DOUBLE_EQ(b->head("0300000009")->ATOPLAM, 2);
        EXPECT_DOUBLE_EQ(b->head("0300000001")->BTOPLAM, 5);
        // Lines whose header is gone get one again: no journal number, no stamp.
        ASSERT_TRUE(b->heads.empty());
    }
    ASSERT_TRUE(FisBaslikYarat(*ds_, ui_));
    auto b = Books::open(*ds_);
    auto h = b->head("0300000001");
    ASSERT_TRUE(h);
    EXPECT_DOUBLE_EQ(h->BTOPLAM, 5);
    EXPECT_DOUBLE_EQ(h->ATOPLAM, 5);
    EXPECT_EQ(h->YEVMIYENO, 0);
    EXPECT_EQ(h->KPERSONEL, "");
    EXPECT_EQ(h->FISNO, 1);
    EXPECT_EQ(h->FISTRH, (core::Date{10, 3, 2015}));
    EXPECT_EQ(*b->heads.count(), 2);
}

TEST_F(Rebuild, KeysFollowTheCurrentSchemeWithoutLosingLines) {
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}));
    ASSERT_TRUE(saveNew(12, {line("120 01 005", 6, 0), line("600 01", 0, 6)}));
    changeCompany([](data::Yasal& y) {
        y.FISNOSIRASI = "G";
        y.FISNUMARALAMADUZENI = "A";
    });
    ui_.progressTexts.clear();
    ASSERT_TRUE(FisKeyStrDuzelt(*ds_, ui_));
    auto b = Books::open(*ds_);
    ASSERT_TRUE(b->head("03069M0001"));
    ASSERT_TRUE(b->head("03071M0002"));
    EXPECT_EQ(b->linesOf("03069M0001")->size(), 2u);
    EXPECT_EQ(b->linesOf("03071M0002")->size(), 2u);
    EXPECT_EQ(*b->lines.count(), 4);
    EXPECT_FALSE(ui_.progressTexts.empty());
    EXPECT_EQ(ui_.progressTexts.front(), "83 Dönem Bilgisi ..:0300000001 ---> 8300000001");

    // Back to one sequence: the numbers are still distinct, so this works too.
    changeCompany([](data::Yasal& y) {
        y.FISNOSIRASI = "A";
        y.FISNUMARALAMADUZENI = "B";
    });
    ASSERT_TRUE(FisKeyStrDuzelt(*ds_, ui_));
    EXPECT_TRUE(Books::open(*ds_)->head("0300000002"));
}

TEST_F(Rebuild, KeyCollisionRefusesTheWholeRun) {
    changeCompany([](data::Yasal& y) { y.FISNUMARALAMADUZENI = "A"; });
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}, "M"));
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}, "E", "N",
                        [](CashChoice&) { return true; }));
    changeCompany([](data::Yasal& y) { y.FISNUMARALAMADUZENI = "B"; });
    auto r = FisKeyStrDuzelt(*ds_, ui_);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().kind, core::ErrorKind::Refused);
    auto b = Books::open(*ds_);
    EXPECT_TRUE(b->head("03M0000001"));
    EXPECT_TRUE(b->head("03E0000001"));
}

TEST_F(Rebuild, CountersFollowTheStoredVouchers) {
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}));
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 5, 0), line("600 01", 0, 5)}));
    changeCompany([](data::Yasal& y) {
        data::element(y.MAHSUPNUMARATOR, 3) = 40;
        data::element(y.MAHSUPNUMARATOR, 5) = 9;
    });
    ASSERT_TRUE(FisNumaratorDuzelt(*ds_, ui_, "3"));
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 2);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 5), 9);
    EXPECT_EQ(ui_.messages.back().text, "0 0 0");
    ASSERT_TRUE(FisNumaratorDuzelt(*ds_, ui_, "x"));
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 2);
    ASSERT_TRUE(FisNumaratorDuzelt(*ds_, ui_, "H"));
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 5), 0);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), 2);
}

} // namespace
