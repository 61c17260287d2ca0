// Saving, changing and deleting vouchers: what reaches FisBas/FisDet and the account totals.
#include "fixture.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"

#include <map>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class Entry : public hk::vouchers::testing::Company {
  protected:
    Draft change(const std::string& key) {
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b);
        auto d = openForChange(*b, storedCompany(), key);
        EXPECT_TRUE(d) << key;
        return *d;
    }
    core::Result<std::string> saveDraft(Draft& d, const AskCash& cash = {}) {
        Env e = env();
        return save(e, d, cash);
    }
    double tlDebit(const std::string& code, int m) { return data::month(account(code).TLBORC, m); }
};

TEST_F(Entry, AttributeDecidesWhereALinePosts) {
    struct Case {
        const char* attribute;
        double month3, opening, closing;
    } cases[] = {{"N", 1000, 0, 0}, {"ACF", 0, 1000, 0}, {"KPF", 0, 0, 1000}, {"IPT", 0, 0, 0},
                 {"YAN", 1000, 0, 0}};
    const char* levels[] = {"120", "120 01", "120 01 005"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        std::map<std::string, data::HsPlan> before;
        for (const char* code : levels) before[code] = account(code);
        auto k = saveNew(10, {line("120 01 005", 1000, 0), line("600 01", 0, 1000)}, "M",
                         c.attribute);
        ASSERT_TRUE(k) << k.error().text;
        for (const char* code : levels) {
            SCOPED_TRACE(code);
            const auto h = account(code);
            const auto& was = before[code];
            EXPECT_DOUBLE_EQ(data::month(h.TLBORC, 3) - data::month(was.TLBORC, 3), c.month3);
            EXPECT_DOUBLE_EQ(h.ACTLBORC - was.ACTLBORC, c.opening);
            EXPECT_DOUBLE_EQ(h.KPTLBORC - was.KPTLBORC, c.closing);
            // Nothing else moves on the debit side's accounts.
            EXPECT_DOUBLE_EQ(data::month(h.TLALACAK, 3), 0);
            EXPECT_DOUBLE_EQ(data::month(h.TLBORC, 4), 0);
        }
        // The lines are stored whatever the attribute.
        auto b = Books::open(*ds_);
        auto lines = b->linesOf(*k);
        ASSERT_TRUE(lines);
        ASSERT_EQ(lines->size(), 2u);
        EXPECT_EQ((*lines)[0].FISNTLK, c.attribute);
    }
}

TEST_F(Entry, MissingLevelIsSkippedAndTheOthersPosted) {
    removeAccount("120 01");
    ASSERT_TRUE(saveNew(10, {line("120 01 005", 1000, 0), line("600 01", 0, 1000)}));
    EXPECT_DOUBLE_EQ(tlDebit("120", 3), 1000);
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 1000);
    EXPECT_DOUBLE_EQ(data::month(account("600").TLALACAK, 3), 1000);
}

TEST_F(Entry, ChangingAVoucherReplacesItsPostings) {
    auto k = saveNew(10, {line("120 01 005", 1000, 0), line("600 01", 0, 1000)});
    ASSERT_TRUE(k);
    Draft d = change(*k);
    ASSERT_EQ(d.lines.size(), 2u);
    d.lines[0].TLBORC = 800;
    d.lines[1].TLALACAK = 800;
    ASSERT_TRUE(saveDraft(d));
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 800);
    EXPECT_DOUBLE_EQ(tlDebit("120", 3), 800);
    auto b = Books::open(*ds_);
    EXPECT_DOUBLE_EQ(b->head(*k)->BTOPLAM, 800);
    EXPECT_EQ(b->linesOf(*k)->size(), 2u);

    // N -> IPT un-posts with the old attribute; IPT -> N posts again.
    d = change(*k);
    d.header.FISNTLK = "IPT";
    ASSERT_TRUE(saveDraft(d));
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 0);
    EXPECT_DOUBLE_EQ(data::month(account("600 01").TLALACAK, 3), 0);
    d = change(*k);
    d.header.FISNTLK = "N";
    ASSERT_TRUE(saveDraft(d));
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 800);
    // Deleting an IPT voucher changes no total.
    d = change(*k);
    d.header.FISNTLK = "IPT";
    ASSERT_TRUE(saveDraft(d));
    ui_.answer(1);
    Env e = env();
    ASSERT_TRUE(deleteVoucher(e, *k));
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 0);
    EXPECT_FALSE(Books::open(*ds_)->head(*k));
    EXPECT_TRUE(Books::open(*ds_)->linesOf(*k)->empty());
}

TEST_F(Entry, TahsilAddsTheCashLineAndBalancesTheHeader) {
    std::string askedAccount;
    AskCash cash = [&](CashChoice& c) {
        askedAccount = c.account;
        c.description = "Kasa";
        return true;
    };
    auto k = saveNew(10, {line("120 01 005", 0, 300), line("120 01 006", 0, 200)}, "A", "N", cash);
    ASSERT_TRUE(k) << k.error().text;
    EXPECT_EQ(askedAccount, "100 01");
    auto b = Books::open(*ds_);
    auto h = b->head(*k);
    EXPECT_DOUBLE_EQ(h->BTOPLAM, 500);
    EXPECT_DOUBLE_EQ(h->ATOPLAM, 500);
    auto lines = b->linesOf(*k);
    ASSERT_EQ(lines->size(), 3u);
    EXPECT_EQ((*lines)[2].HESAPKODU, "100 01");
    EXPECT_DOUBLE_EQ((*lines)[2].TLBORC, 500);
    EXPECT_EQ((*lines)[2].BORCALACAK, "B");
    EXPECT_EQ((*lines)[2].ACKNO, 300);
    EXPECT_DOUBLE_EQ(tlDebit("100", 3), 500);
    // Cancelling the cash dialog refuses the save and draws no number.
    const auto counter = data::element(storedCompany().MAHSUPNUMARATOR, 3);
    auto refused = saveNew(10, {line("120 01 005", 0, 1)}, "A", "N",
                           [](CashChoice&) { return false; });
    EXPECT_FALSE(refused);
    EXPECT_EQ(data::element(storedCompany().MAHSUPNUMARATOR, 3), counter);
}

TEST_F(Entry, UnbalancedVoucherAsksAndNoTakesAnotherNumberNextTime) {
    ui_.answer(2); // "Hayır"
    Draft d = newDraft(*session_);
    d.header.FISTRH = {10, 3, 2015};
    insertLine(d.lines, line("120 01 005", 100, 0), 0);
    insertLine(d.lines, line("600 01", 0, 90), 1);
    auto r = saveDraft(d);
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().shown);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, msg::kUnbalancedMahsup);
    EXPECT_EQ(ui_.messages[1].text, msg::kUnbalancedQuestion);
    EXPECT_EQ(ui_.messages[1].caption, "Onay Ekranı");
    EXPECT_EQ(ui_.messages[1].buttons, "Evet|Hayır");
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 0);
    EXPECT_EQ(*Books::open(*ds_)->heads.count(), 0);
    ui_.answer(1); // "Evet" saves the unbalanced voucher under the next number
    auto k = saveDraft(d);
    ASSERT_TRUE(k);
    EXPECT_EQ(*k, "0300000002");
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 100);
}

TEST_F(Entry, RefusalsWriteNothing) {
    auto k = saveNew(10, {line("120 01 005", 50, 0), line("600 01", 0, 50)});
    ASSERT_TRUE(k);
    const auto before = account("120 01 005");
    const auto heads = *Books::open(*ds_)->heads.count();
    const auto lines = *Books::open(*ds_)->lines.count();
    auto unchanged = [&] {
        EXPECT_EQ(account("120 01 005"), before);
        EXPECT_EQ(*Books::open(*ds_)->heads.count(), heads);
        EXPECT_EQ(*Books::open(*ds_)->lines.count(), lines);
    };
    // Document type "Diğer" without a description.
    {
        Draft d = newDraft(*session_);
        d.header.FISTRH = {10, 3, 2015};
        d.document.type = "Diğer";
        insertLine(d.lines, line("120 01 005", 1, 0), 0);
        insertLine(d.lines, line("600 01", 0, 1), 1);
        auto r = saveDraft(d);
        ASSERT_FALSE(r);
        EXPECT_EQ(ui_.messages.back().text, msg::kDigerNeedsText);
        unchanged();
    }
    // A negative amount.
    {
        Draft d = newDraft(*session_);
        d.header.FISTRH = {10, 3, 2015};
        insertLine(d.lines, line("120 01 005", -5, 0), 0);
        auto r = saveDraft(d);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().kind, core::ErrorKind::BadInput);
        unchanged();
    }
    // A date outside the working month.
    {
        Draft d = newDraft(*session_);
        d.header.FISTRH = {10, 4, 2015};
        insertLine(d.lines, line("120 01 005", 1, 0), 0);
        EXPECT_FALSE(saveDraft(d));
        unchanged();
    }
    // A closed month: neither change nor delete.
    changeCompany([](data::Yasal& y) { y.KAPANANAY = 3; });
    {
        Draft d = change(*k);
        d.lines[0].TLBORC = 1;
        auto r = saveDraft(d);
        ASSERT_FALSE(r);
        EXPECT_EQ(ui_.messages.back().text, msg::kClosedMonth);
        Env e = env();
        EXPECT_FALSE(deleteVoucher(e, *k));
        EXPECT_EQ(ui_.messages.back().text, msg::kClosedMonth);
        unchanged();
    }
    changeCompany([](data::Yasal& y) { y.KAPANANAY = 0; });
    // A journalised voucher.
    {
        auto b = Books::open(*ds_);
        auto h = b->head(*k);
        h->YEVMIYENO = 7;
        ASSERT_TRUE(b->heads.put(*h));
        Draft d = change(*k);
        d.lines[0].TLBORC = 1;
        EXPECT_FALSE(saveDraft(d));
        EXPECT_EQ(ui_.messages.back().text, msg::kJournalisedChange);
        Env e = env();
        EXPECT_FALSE(deleteVoucher(e, *k));
        EXPECT_EQ(ui_.messages.back().text, msg::kJournalisedDelete);
        unchanged();
    }
}

TEST_F(Entry, DayChecksOfTheForm) {
    const auto y = storedCompany();
    EXPECT_FALSE(voucherDate(ui_, y, 2, 30));
    EXPECT_EQ(ui_.messages.back().text, "30Bu Ay İçerisinde Yoktur..!");
    auto ok = voucherDate(ui_, y, 2, 28);
    ASSERT_TRUE(ok);
    EXPECT_EQ(*ok, (core::Date{28, 2, 2015}));
    auto journal = y;
    journal.SONYEVMIYETARIH = {15, 2, 2015};
    EXPECT_FALSE(voucherDate(ui_, journal, 2, 14));
    EXPECT_EQ(ui_.messages.back().text, msg::kBeforeJournal);
    EXPECT_EQ(ui_.messages.back().caption, "Uyarı Ekranı");
}

TEST_F(Entry, DeleteAsksAndUnpostsEveryLine) {
    auto k = saveNew(10, {line("120 01 005", 70, 0), line("600 01", 0, 70)});
    ASSERT_TRUE(k);
    Env e = env();
    ui_.answer(2);
    EXPECT_FALSE(deleteVoucher(e, *k));
    EXPECT_EQ(ui_.messages.back().text, msg::kDeleteQuestion);
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 70);
    ui_.answer(1);
    ASSERT_TRUE(deleteVoucher(e, *k));
    EXPECT_DOUBLE_EQ(tlDebit("120 01 005", 3), 0);
    EXPECT_DOUBLE_EQ(tlDebit("120", 3), 0);
    EXPECT_EQ(*Books::open(*ds_)->lines.count(), 0);
}

} // namespace
