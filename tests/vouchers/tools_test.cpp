// Voucher tools: copy, transfer, journal-number removal, renumbering and its completion, the
// in-voucher sort, the account transfer and the currency revaluation, on a small company.
#include "fixture.h"
#include "vouchers/account_transfer.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/renumber.h"
#include "vouchers/revalue.h"
#include "vouchers/tools.h"
#include "vouchers/voucher_lists.h"

#include <functional>
#include <utility>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class Tools : public hk::vouchers::testing::Company {
  protected:
    // A voucher of fiscal month m on `day`, saved through the voucher engine.
    std::string saveIn(int m, int day, std::initializer_list<data::FisDet> lines,
                       const std::string& type = "M", const std::string& attribute = "N") {
        Draft d = newDraft(*session_);
        d.fiscalMonth = m;
        d.header.FISTUR = type;
        d.header.FISNTLK = attribute;
        d.header.FISTRH = dateInFiscalMonth(storedCompany(), m, day);
        int n = 0;
        for (auto l : lines) insertLine(d.lines, l, n++);
        Env e = env();
        // Tahsil and Tediye vouchers get their cash line from the company's cash account.
        auto k = save(e, d, [](CashChoice&) { return true; });
        EXPECT_TRUE(k) << k.error().text;
        return k ? *k : std::string{};
    }
    std::string simple(int m, int day, double amount = 100, const std::string& type = "M",
                       const std::string& attribute = "N") {
        if (type == "A") return saveIn(m, day, {line("600 01", 0, amount)}, type, attribute);
        if (type == "E") return saveIn(m, day, {line("120 01 005", amount, 0)}, type, attribute);
        return saveIn(m, day, {line("120 01 005", amount, 0), line("600 01", 0, amount)}, type,
                      attribute);
    }
    data::FisBas head(const std::string& key) {
        auto b = Books::open(*ds_);
        auto h = b->head(key);
        EXPECT_TRUE(h) << key;
        return h ? *h : data::FisBas{};
    }
    bool exists(const std::string& key) {
        auto b = Books::open(*ds_);
        return *b->headExists(key);
    }
    std::vector<data::FisDet> linesOf(const std::string& key) {
        auto b = Books::open(*ds_);
        return *b->linesOf(key);
    }
    void setJournal(const std::string& key, long no) {
        auto b = Books::open(*ds_);
        auto h = b->head(key);
        ASSERT_TRUE(h);
        h->YEVMIYENO = no;
        ASSERT_TRUE(b->heads.put(*h));
    }
    // TL debit in fiscal month m (0 = opening) of an account.
    double debitIn(const std::string& code, int m) {
        const auto t = totalsOf(account(code));
        return m == 0 ? t.opening[0] : t.months[static_cast<std::size_t>(m - 1)][0];
    }
    double creditIn(const std::string& code, int m) {
        const auto t = totalsOf(account(code));
        return m == 0 ? t.opening[1] : t.months[static_cast<std::size_t>(m - 1)][1];
    }
    std::string lastMessage() const { return ui_.messages.empty() ? "" : ui_.messages.back().text; }
};

// ---- copy -------------------------------------------------------------------------------------

TEST_F(Tools, CopyFromMonth3ToMonth5TakesMonth5sNumberAndPostsThere) {
    const std::string src = simple(3, 10, 250);
    setJournal(src, 7);
    simple(5, 1); // month 5's counter now stands at 1
    auto copy = FisKopyala(ui_, *ds_, src, core::Date{20, 5, 2015});
    ASSERT_TRUE(copy) << copy.error().text;
    EXPECT_EQ(copy->KEYSTR.substr(0, 2), "05");
    EXPECT_EQ(copy->FISNO, 2);
    EXPECT_EQ(copy->YEVMIYENO, 0);
    EXPECT_EQ(copy->ENTEGRENO, 0);
    EXPECT_EQ(lastMessage(), "Fiş 20.05.2015 Tarih 2 No Olarak Kopyalandı...");
    auto lines = linesOf(copy->KEYSTR);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].FISTRH, (core::Date{20, 5, 2015}));
    EXPECT_EQ(lines[0].FISNO, 2);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 5), 350);
    EXPECT_DOUBLE_EQ(debitIn("120", 5), 350);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 3), 250);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[4], 2);
}

TEST_F(Tools, CopyDrawsAgainWhenTheDrawnKeyIsTaken) {
    const std::string src = simple(3, 10);
    // A voucher under month 5's next key although the counter does not know it.
    const std::string squatter = simple(5, 2);
    changeCompany([](data::Yasal& y) { y.MAHSUPNUMARATOR[4] = 0; });
    auto copy = FisKopyala(ui_, *ds_, src, core::Date{3, 5, 2015});
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->KEYSTR, squatter);
    EXPECT_EQ(copy->FISNO, 2);
    EXPECT_EQ(linesOf(squatter).size(), 2u); // nothing added under the other voucher
}

TEST_F(Tools, CopyRefusalsChangeNothing) {
    const std::string src = simple(3, 10);
    const auto before = heads().size();
    struct Case {
        core::Date date;
        const char* message;
    };
    for (const Case& c : {Case{{}, "Tarih Giriniz..."},
                          Case{{31, 12, 2014}, "Tarih Mali Dönem Aralığında Değildir..."},
                          Case{{1, 1, 2016}, "Tarih Mali Dönem Aralığında Değildir..."}}) {
        auto r = FisKopyala(ui_, *ds_, src, c.date);
        ASSERT_FALSE(r);
        EXPECT_TRUE(r.error().shown);
        EXPECT_EQ(lastMessage(), c.message);
    }
    EXPECT_FALSE(FisKopyala(ui_, *ds_, "0900000099", core::Date{1, 9, 2015}));
    EXPECT_EQ(heads().size(), before);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[11], 0);
}

// ---- transfer ---------------------------------------------------------------------------------

TEST_F(Tools, TransferMonth2To4MovesThePostingsOfEveryLevel) {
    const std::string key = simple(2, 5, 80);
    auto t = openTransfer(ui_, *ds_, key);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->number, 1);
    EXPECT_EQ(t->month, 2);
    EXPECT_EQ(t->attribute, "N");
    t->month = 4;
    auto h = FisTransfer(ui_, *ds_, key, *t);
    ASSERT_TRUE(h) << h.error().text;
    EXPECT_EQ(h->KEYSTR, "0400000001");
    EXPECT_FALSE(exists(key));
    for (const char* code : {"120", "120 01", "120 01 005"}) {
        EXPECT_DOUBLE_EQ(debitIn(code, 2), 0) << code;
        EXPECT_DOUBLE_EQ(debitIn(code, 4), 80) << code;
    }
    EXPECT_DOUBLE_EQ(creditIn("600", 4), 80);
    EXPECT_EQ(linesOf(h->KEYSTR).size(), 2u);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[3], 0); // counters untouched
}

TEST_F(Tools, TransferToAcfMovesMonthlyTotalsIntoOpening) {
    const std::string key = simple(2, 5, 80);
    auto h = changeAttribute(ui_, *ds_, key, "ACF");
    ASSERT_TRUE(h) << h.error().text;
    EXPECT_EQ(h->KEYSTR, key);
    EXPECT_EQ(h->FISNTLK, "ACF");
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 2), 0);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 0), 80);
    EXPECT_EQ(linesOf(key)[0].FISNTLK, "ACF");
    // And to IPT: posted nowhere; back to N: monthly again.
    ASSERT_TRUE(changeAttribute(ui_, *ds_, key, "IPT"));
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 0), 0);
    ASSERT_TRUE(changeAttribute(ui_, *ds_, key, "N"));
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 2), 80);
}

TEST_F(Tools, TransferRefusals) {
    const std::string a = simple(2, 5, 80);
    const std::string b = simple(4, 5, 90);
    auto t = openTransfer(ui_, *ds_, a);
    ASSERT_TRUE(t);
    t->month = 4; // number 1 of month 4 exists
    auto r = FisTransfer(ui_, *ds_, a, *t);
    ASSERT_FALSE(r);
    EXPECT_EQ(lastMessage(), "1 Nolu Fiş Mevcut.!");
    EXPECT_TRUE(exists(a));
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 2), 80);

    auto missing = openTransfer(ui_, *ds_, "0200000099");
    ASSERT_FALSE(missing);
    EXPECT_EQ(lastMessage(), "0200000099 Transfer Edilecek Fiş Bulunamıyor.!");

    struct Bad {
        int number, day, month;
        const char* attribute;
        char type;
    };
    for (const Bad& c : {Bad{0, 5, 2, "N", 'M'}, Bad{1, 31, 2, "N", 'M'}, Bad{1, 5, 13, "N", 'M'},
                         Bad{1, 5, 2, "XYZ", 'M'}, Bad{1, 5, 2, "N", 'Q'}}) {
        auto bad = FisTransfer(ui_, *ds_, a, TransferTarget{c.number, c.day, c.month, c.attribute,
                                                            c.type});
        EXPECT_FALSE(bad) << c.number << " " << c.day << " " << c.month;
    }
    EXPECT_EQ(head(a).FISTRH, (core::Date{5, 2, 2015}));
    EXPECT_EQ(head(b).FISNO, 1);
}

// ---- journal numbers --------------------------------------------------------------------------

TEST_F(Tools, JournalNumberRemovalAt120) {
    const std::string early = simple(3, 2);
    const std::string low = simple(3, 10);
    const std::string high = simple(3, 10);
    const std::string later = simple(4, 1);
    setJournal(early, 150);
    setJournal(low, 120);
    setJournal(high, 121);
    setJournal(later, 300);
    auto n = YevmiyeNoSil(*ds_, *session_, 120, 5);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 2);
    EXPECT_EQ(head(early).YEVMIYENO, 150);
    EXPECT_EQ(head(low).YEVMIYENO, 120);
    EXPECT_EQ(head(high).YEVMIYENO, 0);
    EXPECT_EQ(head(later).YEVMIYENO, 0);
    EXPECT_FALSE(YevmiyeNoSil(*ds_, *session_, 0, 32));
    ASSERT_TRUE(clearJournalNumber(*ds_, early));
    EXPECT_EQ(head(early).YEVMIYENO, 0);
}

// ---- renumbering ------------------------------------------------------------------------------

TEST_F(Tools, RenumberingOrdersByDateThenOldNumber) {
    // Numbers 5 (the 2nd), 1 (the 10th) and 9 (the 2nd) in month 3.
    const std::string n1 = simple(3, 10, 10);
    const std::string x = simple(3, 2, 50), y = simple(3, 2, 90);
    ASSERT_TRUE(FisTransfer(ui_, *ds_, x, TransferTarget{5, 2, 3, "N", 'M'}));
    ASSERT_TRUE(FisTransfer(ui_, *ds_, y, TransferTarget{9, 2, 3, "N", 'M'}));
    ui_.progressTexts.clear();
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    auto hs = heads();
    ASSERT_EQ(hs.size(), 3u);
    EXPECT_EQ(hs[0].KEYSTR, "0300000001");
    EXPECT_DOUBLE_EQ(hs[0].BTOPLAM, 50);
    EXPECT_EQ(hs[1].KEYSTR, "0300000002");
    EXPECT_DOUBLE_EQ(hs[1].BTOPLAM, 90);
    EXPECT_EQ(hs[2].KEYSTR, "0300000003");
    EXPECT_EQ(hs[2].FISTRH.day, 10);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], 3);
    EXPECT_EQ(linesOf("0300000002")[0].FISNO, 2);
    EXPECT_EQ(ui_.progressTexts.front(), "M          1 10.03.2015 Fişi Yedekleniyor...");
}

TEST_F(Tools, RenumberingPerTypeCountsEachTypeFromOne) {
    changeCompany([](data::Yasal& y) { y.FISNOSIRASI = "A"; y.FISNUMARALAMADUZENI = "A"; });
    simple(3, 4, 10, "A");
    simple(3, 3, 10, "M");
    simple(3, 2, 10, "E");
    simple(3, 1, 10, "M");
    simple(3, 1, 10, "A");
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    std::map<std::string, std::vector<int>> numbers;
    for (const auto& h : heads()) numbers[h.FISTUR].push_back(h.FISNO);
    EXPECT_EQ(numbers["M"], (std::vector<int>{1, 2}));
    EXPECT_EQ(numbers["A"], (std::vector<int>{1, 2}));
    EXPECT_EQ(numbers["E"], (std::vector<int>{1}));
}

TEST_F(Tools, RenumberingStoppedAfterParkingIsCompletedLater) {
    simple(3, 9, 10);
    simple(3, 2, 20);
    simple(5, 2, 30);
    auto st = FisSirala(*ds_, ui_, 3, StopAt::AfterParking);
    ASSERT_FALSE(st);
    auto hs = heads();
    ASSERT_EQ(hs.size(), 3u);
    EXPECT_EQ(hs[0].KEYSTR.substr(0, 2), "05");
    EXPECT_EQ(hs[1].KEYSTR.substr(0, 2), "83");
    EXPECT_EQ(hs[2].KEYSTR.substr(0, 2), "83");
    EXPECT_EQ(hs[1].FISTRH.month, 3); // dates kept
    auto month3 = listVouchers(*ds_, ListQuery{3, {}, {}, ListOrder::ByKey, ' ', false});
    EXPECT_TRUE(month3->empty());

    auto n = FisSiralaDuzelt(*ds_, ui_);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 2);
    hs = heads();
    EXPECT_EQ(hs[0].KEYSTR, "0300000001");
    EXPECT_EQ(hs[1].KEYSTR, "0300000002");
    EXPECT_EQ(linesOf(hs[0].KEYSTR).size(), 2u);
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], 2);
}

// Vouchers are moved many to a transaction: a cancel keeps the ones already moved (whole, with
// their lines) and leaves the rest where they were.
TEST_F(Tools, RenumberingCancelledMidWayKeepsWholeVouchers) {
    simple(3, 9, 10);
    simple(3, 2, 20);
    simple(3, 5, 40);
    ui_.progressUpdates = 0;
    ui_.cancelAfterProgress = true; // the first voucher's progress line, then the stop
    ASSERT_FALSE(FisSirala(*ds_, ui_, 3));
    auto hs = heads();
    ASSERT_EQ(hs.size(), 3u);
    int parked = 0;
    for (const auto& h : hs) {
        EXPECT_EQ(linesOf(h.KEYSTR).size(), 2u) << h.KEYSTR;
        if (h.KEYSTR.substr(0, 2) == "83") ++parked;
        else EXPECT_EQ(h.KEYSTR.substr(0, 2), "03");
    }
    EXPECT_EQ(parked, 1);
    ui_.cancelAfterProgress = false;
    auto n = FisSiralaDuzelt(*ds_, ui_);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 1);
    for (const auto& h : heads()) EXPECT_EQ(h.KEYSTR.substr(0, 2), "03");
    double total = 0;
    for (const auto& h : heads()) total += h.BTOPLAM;
    EXPECT_DOUBLE_EQ(total, 70);
}

TEST_F(Tools, RenumberingAgainAfterAnInterruptionFinishesTheParkedFirst) {
    simple(3, 9, 10);
    simple(3, 2, 20);
    ASSERT_FALSE(FisSirala(*ds_, ui_, 3, StopAt::AfterParking));
    simple(3, 5, 40); // entered meanwhile: number 1 again, as the counter was reset
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    auto hs = heads();
    ASSERT_EQ(hs.size(), 3u);
    EXPECT_DOUBLE_EQ(hs[0].BTOPLAM, 20);
    EXPECT_DOUBLE_EQ(hs[1].BTOPLAM, 40);
    EXPECT_DOUBLE_EQ(hs[2].BTOPLAM, 10);
    EXPECT_EQ(hs[2].KEYSTR, "0300000003");
}

TEST_F(Tools, RenumberingRoundsLineAmountsButNotTheTotals) {
    saveIn(3, 4, {line("120 01 005", 12.3456, 0), line("600 01", 0, 12.3456)});
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    auto hs = heads();
    ASSERT_EQ(hs.size(), 1u);
    auto ls = linesOf(hs[0].KEYSTR);
    EXPECT_DOUBLE_EQ(ls[0].TLBORC, 12.35);
    EXPECT_DOUBLE_EQ(hs[0].BTOPLAM, 12.35);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 3), 12.3456);
}

TEST_F(Tools, RenumberingRefusalsChangeNothing) {
    const std::string a = simple(3, 9);
    const std::string b = simple(3, 2);
    setJournal(b, 4);
    ASSERT_FALSE(FisSirala(*ds_, ui_, 3));
    EXPECT_EQ(lastMessage(), "3 Ay Fişleri İçinde Yevmiyesi Çekilmiş Fişler Var Sıralama Yapılamaz..");
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[2], 2);
    setJournal(b, 0);
    changeCompany([](data::Yasal& y) { y.FISNOSIRASI = " "; });
    ASSERT_FALSE(FisSirala(*ds_, ui_, 3));
    EXPECT_EQ(lastMessage(), "Yasal Tanımlarda Fiş Numaralama Düzeni Tanımları Yapılmalı..!");
    EXPECT_TRUE(exists(a));
    EXPECT_TRUE(exists(b));
}

TEST_F(Tools, RenumberingKeepsDailyNumberingSlots) {
    changeCompany([](data::Yasal& y) { y.FISNOSIRASI = "G"; });
    simple(3, 2, 10);
    simple(3, 2, 20);
    simple(3, 3, 30);
    ASSERT_TRUE(FisSirala(*ds_, ui_, 3));
    auto hs = heads();
    ASSERT_EQ(hs.size(), 3u);
    // Day slot of 2 March 2015 is 61.
    EXPECT_EQ(hs[0].KEYSTR, "0306100001");
    EXPECT_EQ(hs[1].KEYSTR, "0306100002");
    EXPECT_EQ(hs[2].KEYSTR, "0306200001");
    EXPECT_EQ(storedCompany().MAHSUPNUMARATOR[60], 2);
}

// ---- in-voucher sort --------------------------------------------------------------------------

TEST_F(Tools, InVoucherSortDescendingDebits) {
    addAccount("770");
    addAccount("770 01");
    const std::string key =
        saveIn(3, 4, {line("600 01", 0, 60), line("100 01", 10, 0), line("391 01", 0, 40),
                      line("120 01 005", 20, 0), line("770 01", 70, 0)});
    {
        // An extra description line under the 100 01 line.
        auto b = Books::open(*ds_);
        auto ls = *b->linesOf(key);
        for (const auto& l : ls)
            if (l.HESAPKODU == "100 01") {
                data::FisDet d = l;
                d.ACKNO = l.ACKNO + 1;
                d.HESAPKODU = "";
                d.TLBORC = 0;
                d.FISACK = "ek";
                ASSERT_TRUE(b->lines.add(d));
            }
    }
    auto n = FisIciSirala(*ds_, ui_, 1, 12, true);
    ASSERT_TRUE(n);
    EXPECT_EQ(*n, 1);
    auto ls = linesOf(key);
    std::vector<std::string> codes;
    for (const auto& l : ls)
        if (isAmountLine(l)) codes.push_back(l.HESAPKODU);
    EXPECT_EQ(codes, (std::vector<std::string>{"770 01", "120 01 005", "100 01", "391 01",
                                               "600 01"}));
    ASSERT_EQ(ls.size(), 6u);
    EXPECT_EQ(ls[3].FISACK, "ek");
    EXPECT_EQ(ls[3].ACKNO, 301);
    EXPECT_EQ(ls[4].ACKNO, 400);
    EXPECT_DOUBLE_EQ(debitIn("770 01", 3), 70); // postings unchanged
}

TEST_F(Tools, InVoucherSortSkipsJournalisedVouchersAndKeepsOrphanDescriptions) {
    const std::string a = saveIn(3, 4, {line("600 01", 0, 5), line("100 01", 5, 0)});
    const std::string b = saveIn(3, 5, {line("600 01", 0, 5), line("100 01", 5, 0)});
    setJournal(b, 9);
    {
        auto bk = Books::open(*ds_);
        data::FisDet orphan = linesOf(a)[0];
        orphan.ACKNO = 905;
        orphan.FISSIRANO = 9;
        orphan.HESAPKODU = "";
        orphan.TLALACAK = 0;
        orphan.FISACK = "yetim";
        ASSERT_TRUE(bk->lines.add(orphan));
    }
    ASSERT_TRUE(FisIciSirala(*ds_, ui_, 3, 3, false));
    EXPECT_EQ(linesOf(a)[0].HESAPKODU, "100 01");
    EXPECT_EQ(linesOf(a).size(), 3u);
    EXPECT_EQ(linesOf(b)[0].HESAPKODU, "600 01");
    EXPECT_FALSE(FisIciSirala(*ds_, ui_, 5, 3, false));
}

// ---- account transfer -------------------------------------------------------------------------

TEST_F(Tools, AccountTransferMovesDetailTotalsAndLeavesParentsUnchanged) {
    simple(2, 3, 100);
    simple(3, 3, 200);
    simple(4, 3, 400);
    const double parent2 = debitIn("120 01", 2), top3 = debitIn("120", 3);
    auto r = accountTransfer(*ds_, ui_, "120 01 005", "120 01 006",
                             TransferRange{3, 0, {}, {}});
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(r->lines, 2);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 2), 100);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 3), 0);
    EXPECT_DOUBLE_EQ(debitIn("120 01 006", 3), 200);
    EXPECT_DOUBLE_EQ(debitIn("120 01 006", 4), 400);
    EXPECT_DOUBLE_EQ(debitIn("120 01", 2), parent2);
    EXPECT_DOUBLE_EQ(debitIn("120", 3), top3);
    // Date mode, back for March only.
    auto back = accountTransfer(*ds_, ui_, "120 01 006", "120 01 005",
                                TransferRange{0, 0, {1, 3, 2015}, {31, 3, 2015}});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->lines, 1);
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 3), 200);
    EXPECT_DOUBLE_EQ(debitIn("120 01 006", 4), 400);
}

TEST_F(Tools, AccountTransferRefusals) {
    simple(3, 3, 200);
    struct Case {
        const char* from;
        const char* to;
        const char* message;
    };
    for (const Case& c :
         {Case{"120 01", "120 01 006", "Sadece Muavin Hesaplar Transfer Edilebilir"},
          Case{"120 01 005", "120 01 005", "Aynı Hesap Kodu Transfer Edilemez."},
          Case{"120 01 005", "120 01 009", "120 01 009 Hesap Kodu Bulunamıyor..."},
          Case{"120 01 005", "120 01", "Seçilen Hesap Kodu Muavin Kod Olmalı!"}}) {
        auto r = accountTransfer(*ds_, ui_, c.from, c.to, TransferRange{1, 12, {}, {}});
        ASSERT_FALSE(r) << c.message;
        EXPECT_EQ(lastMessage(), c.message);
    }
    EXPECT_DOUBLE_EQ(debitIn("120 01 005", 3), 200);
}

// The lines are listed before the transfer writes them: what another program does to one in
// between stands. An edited line moves as it is stored, a deleted one is not written back.
TEST_F(Tools, AccountTransferMovesLinesAsStoredWhenItWritesThem) {
    simple(3, 1, 100);
    const std::string edited = simple(3, 2, 200);
    const std::string removed = simple(3, 3, 300);
    struct MeddlingUi : app::testing::FakeUi {
        std::function<void()> meddle; // once, at the first progress line
        void progress(const std::string& text, int percent) override {
            if (auto m = std::exchange(meddle, nullptr)) m();
            FakeUi::progress(text, percent);
        }
    } ui;
    ui.meddle = [&] {
        auto t = ds_->open<data::FisDet>();
        ASSERT_TRUE(t);
        ASSERT_TRUE(t->set("MFD:KeyFisDet"));
        while (auto l = t->next()) {
            if (l->HESAPKODU != "120 01 005") continue;
            if (l->KEYSTR == edited) {
                data::FisDet changed = *l;
                changed.FISACK = "Sonradan düzeltildi";
                ASSERT_TRUE(t->put(changed));
            } else if (l->KEYSTR == removed) {
                ASSERT_TRUE(t->erase());
            }
        }
    };
    auto r = accountTransfer(*ds_, ui, "120 01 005", "120 01 006", TransferRange{3, 3, {}, {}});
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_TRUE(!ui.meddle); // the other program did come in between
    EXPECT_EQ(r->lines, 2);
    const auto lines = linesOf(edited);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].HESAPKODU, "120 01 006");
    EXPECT_EQ(lines[0].FISACK, "Sonradan düzeltildi");
    const auto rest = linesOf(removed);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].HESAPKODU, "600 01");
}

// ---- revaluation ------------------------------------------------------------------------------

TEST_F(Tools, RevaluationWithNoFillsOnlyEmptyCurrencyAmounts) {
    addAccount("102", "");
    addAccount("102 01", "USD");
    {
        auto r = ds_->open<data::DDoviz>();
        data::DDoviz k;
        k.DOVIZKODU = "USD";
        k.DOVIZKURTARIHI = core::Date{4, 3, 2015};
        k.DOVIZKURTUTARI = 2.5;
        ASSERT_TRUE(r->add(k));
    }
    data::FisDet filled = line("102 01", 100, 0);
    filled.DOVIZBORC = 7;
    const std::string a = saveIn(3, 4, {line("102 01", 50, 0), filled, line("600 01", 0, 150)});
    const std::string other = saveIn(3, 5, {line("102 01", 30, 0), line("600 01", 0, 30)});
    ui_.answer(1).answer(2);
    auto n = FisDovizDuzelt(*ds_, ui_);
    ASSERT_TRUE(n) << n.error().text;
    EXPECT_EQ(*n, 1);
    auto ls = linesOf(a);
    EXPECT_DOUBLE_EQ(ls[0].DOVIZBORC, 20);
    EXPECT_DOUBLE_EQ(ls[1].DOVIZBORC, 7);
    EXPECT_DOUBLE_EQ(linesOf(other)[0].DOVIZBORC, 0); // no rate on the 5th
    EXPECT_DOUBLE_EQ(totalsOf(account("102 01")).months[2][4], 27); // rebuilt
    EXPECT_EQ(ui_.messages[1].text, "Bütün Döviz Degerleri Yeniden Yaratılsın Mı");

    ui_.answer(1).answer(1);
    ASSERT_TRUE(FisDovizDuzelt(*ds_, ui_));
    EXPECT_DOUBLE_EQ(linesOf(a)[1].DOVIZBORC, 40);

    ui_.answer(2);
    auto no = FisDovizDuzelt(*ds_, ui_);
    ASSERT_FALSE(no);
    EXPECT_TRUE(no.error().shown);
}

// ---- lists --------------------------------------------------------------------------------------

TEST_F(Tools, TypeFilterListsOnlyThatTypeAndItsTotals) {
    simple(3, 4, 10, "A");
    simple(3, 3, 20, "M");
    simple(3, 2, 40, "A");
    simple(4, 2, 80, "A");
    ListQuery q{3, session_->AyBaslangic(3), session_->AyBitis(3), ListOrder::ByDate, 'A', false};
    auto l = listVouchers(*ds_, q);
    ASSERT_TRUE(l);
    ASSERT_EQ(l->size(), 2u);
    EXPECT_EQ((*l)[0].FISTRH.day, 2);
    const auto t = listTotals(*l);
    EXPECT_DOUBLE_EQ(t.debit, 50);
    EXPECT_EQ(t.count, 2);
    q.type = ' ';
    q.wholeYear = true;
    q.order = ListOrder::ByKey;
    EXPECT_EQ(listVouchers(*ds_, q)->size(), 4u);
}

// ---- spreadsheets -------------------------------------------------------------------------------

std::vector<std::string> captions(const output::Sheet& s) {
    std::vector<std::string> out;
    for (const auto& c : s.rows().at(0).cells) out.push_back(std::get<std::string>(c));
    return out;
}

TEST_F(Tools, ListSheetsHaveTheirCaptionsAndFormats) {
    const std::string key = simple(3, 4, 10);
    auto heads3 = listVouchers(*ds_, ListQuery{3, {}, {}, ListOrder::ByKey, ' ', false});
    const auto list = voucherListSheet(*heads3);
    EXPECT_EQ(captions(list), (std::vector<std::string>{"Key Str", "Fiş Tarihi", "Fiş No", "Türü",
                                                        "Ntlk", "Borç", "Alacak", "Fark",
                                                        "Yev. No", "Entegre No"}));
    EXPECT_EQ(list.columnFormat(2), output::NumberFormat::Date);
    EXPECT_EQ(list.columnFormat(1), output::NumberFormat::Text);
    ASSERT_EQ(list.rows().size(), 2u);
    EXPECT_EQ(std::get<std::string>(list.rows()[1].cells[0]), key); // a key stays text
    EXPECT_EQ(std::get<std::string>(list.rows()[1].cells[3]), "Mahsup");
    auto lines = voucherLines(*ds_, {});
    const auto ls = lineListSheet(*lines);
    EXPECT_EQ(captions(ls)[9], "BT l");
    EXPECT_EQ(captions(ls)[14], "AD vz");
    EXPECT_EQ(ls.rows().size(), 3u);
    EXPECT_EQ(captions(headerListSheet(*heads3))[5], "BT oplam");
}

TEST_F(Tools, FisDetayAndJournalSheets) {
    addAccount("10");
    addAccount("10 01", "USD");
    data::FisDet fx = line("10 01", 250, 0);
    fx.DOVIZBORC = 100;
    saveIn(3, 4, {fx, line("10 01", 30, 0), line("600 01", 0, 280)});
    saveIn(4, 4, {line("120 01 005", 5, 0), line("600 01", 0, 5)});
    auto s = fisDetaySheet(*ds_, ui_, 3);
    ASSERT_TRUE(s) << s.error().text;
    ASSERT_EQ(s->rows().size(), 4u);
    EXPECT_EQ(captions(*s)[0], "Fiş No");
    EXPECT_EQ(s->columnFormat(1), output::NumberFormat::Whole);
    // Rows in account order: 10 01 (the 250 and the 30 line), then 600 01.
    const auto& rate = s->rows()[1].cells;
    ASSERT_EQ(rate.size(), 9u);
    EXPECT_EQ(std::get<std::string>(rate[6]), "USD");
    EXPECT_DOUBLE_EQ(std::get<double>(rate[8]), 2.5);
    EXPECT_TRUE(std::holds_alternative<output::EmptyCell>(s->rows()[2].cells[8]));
    EXPECT_EQ(s->rows()[3].cells.size(), 7u); // no currency: no amount and rate cells
    EXPECT_EQ(ui_.progressTexts.back(), "İşlem Tamamlandı");
    EXPECT_FALSE(fisDetaySheet(*ds_, ui_, 13));

    auto j = yevmiyeSheet(*ds_, ui_, true);
    ASSERT_TRUE(j);
    ASSERT_EQ(j->rows().size(), 6u);
    EXPECT_EQ(captions(*j)[3], "Kebir Hesap Kodu");
    EXPECT_EQ(std::get<std::string>(j->rows()[1].cells[3]), "10 "); // the first three characters
    EXPECT_EQ(std::get<std::string>(j->rows()[1].cells[4]), "Hesap 10");
    EXPECT_EQ(std::get<std::string>(j->rows()[5].cells[3]), "600");
    auto plain = yevmiyeSheet(*ds_, ui_, false);
    ASSERT_TRUE(plain);
    EXPECT_EQ(captions(*plain)[2], "Hesap Kodu");
    EXPECT_EQ(plain->rows()[1].cells.size(), 8u);
}

} // namespace
