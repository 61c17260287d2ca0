// The voucher list: month buttons in fiscal order with the selected colour, the type filter and
// its totals, red cancelled vouchers, the form hook behind insert and change with the closed
// month guard, tool buttons under their rights, and the copy, transfer, journal-number and
// account-transfer windows driven as a user would.
#include "app/rights.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "ui/vouchers/voucher_list.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/voucher.h"
#include "vouchers/worklines.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using hk::app::testing::FakeUi;
using namespace hk::ui;
namespace v = hk::vouchers;

class VoucherListTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<hk::data::DataSet> data;
    std::optional<hk::app::Session> session;
    std::optional<hk::app::RightsService> rights;
    FakeUi ui;
    std::vector<std::string> formCalls;
    std::function<void(QDialog&)> drive;

    VoucherListContext ctx() {
        VoucherListContext c;
        c.data = &*data;
        c.session = &*session;
        c.ui = &ui;
        c.rights = &*rights;
        c.openForm = [this](const std::string& key) {
            formCalls.push_back(key);
            return false;
        };
        c.runModal = [this](QDialog& d) {
            if (drive) drive(d);
            return 0;
        };
        return c;
    }
    void master(bool m, std::map<int, hk::app::RightsRow> rows = {}) {
        rights.emplace("ALİ", m,
                       [rows](std::string_view, int menu)
                           -> hk::core::Result<std::optional<hk::app::RightsRow>> {
                           auto it = rows.find(menu);
                           if (it == rows.end()) return std::optional<hk::app::RightsRow>{};
                           return std::optional<hk::app::RightsRow>{it->second};
                       });
    }
    void company(hk::core::Date start, int calisilanAy) {
        hk::data::Yasal y;
        y.MALIDONEMBAS = start;
        y.MALIDONEMSON = hk::core::Date::fromDayNumber(
            hk::core::Date::make(start.month, start.day, start.year + 1).dayNumber() - 1);
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        y.KASAHESAPKODU = "100 01";
        auto t = data->open<hk::data::Yasal>();
        QVERIFY(t.ok());
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        QVERIFY(session->setCalisilanAy(calisilanAy).ok());
    }
    void account(const std::string& code, const char* kind) {
        auto p = data->open<hk::data::HsPlan>();
        hk::data::HsPlan h;
        h.HESAPKODU = code;
        h.NTLK = kind;
        h.HESAPAD1 = "Ad " + code;
        QVERIFY(p->add(h).ok());
    }
    // A voucher of fiscal month m.
    std::string voucher(int m, int day, double amount, const std::string& type = "M",
                        const std::string& attribute = "N") {
        auto b = v::Books::open(*data);
        v::Draft d = v::newDraft(*session);
        d.fiscalMonth = m;
        d.header.FISTUR = type;
        d.header.FISNTLK = attribute;
        d.header.FISTRH = v::dateInFiscalMonth(*b->readCompany(), m, day);
        hk::data::FisDet l;
        l.HESAPKODU = "600 01";
        l.TLALACAK = amount;
        l.BORCALACAK = "A";
        v::insertLine(d.lines, l, 0);
        if (type == "M") {
            hk::data::FisDet c;
            c.HESAPKODU = "120 01";
            c.TLBORC = amount;
            c.BORCALACAK = "B";
            v::insertLine(d.lines, c, 1);
        }
        v::Env env{*session, ui, *data};
        auto k = v::save(env, d, [](v::CashChoice&) { return true; });
        if (!k) qWarning() << QString::fromStdString(k.error().text);
        return k ? *k : std::string{};
    }
    QStringList column(FisListesi& l, int c) {
        QStringList out;
        auto* m = l.panel()->model();
        for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, c).data().toString();
        return out;
    }
    void pickRow(FisListesi& l, int r) { l.panel()->selectRow(r); }

  private slots:
    void init() {
        data.reset();
        QFile::remove(dir.filePath("Hesapkar.db"));
        const std::string d = dir.path().toStdString();
        auto ds = hk::data::DataSet::open(hk::data::Locations::resolve(d, d));
        QVERIFY(ds.ok());
        data.emplace(std::move(ds.value()));
        session.reset();
        QFile::remove(dir.filePath("Hesapkar.INI"));
        session.emplace(dir.filePath("Hesapkar.INI").toStdString());
        master(true);
        ui = FakeUi{};
        formCalls.clear();
        drive = nullptr;
        for (auto [c, k] : std::vector<std::pair<const char*, const char*>>{
                 {"100", "K"}, {"100 01", "M"}, {"120", "K"}, {"120 01", "M"}, {"120 02", "M"},
                 {"600", "K"}, {"600 01", "M"}})
            account(c, k);
    }

    void julyYearButtonsReadInFiscalOrder() {
        company({1, 7, 2024}, 9);
        voucher(1, 5, 10);
        voucher(3, 5, 20);
        FisListesi l(ctx());
        QCOMPARE(l.month(), 3);
        QCOMPARE(l.monthButton(1)->text(), QStringLiteral("Temmuz"));
        QCOMPARE(l.monthButton(7)->text(), QStringLiteral("Ocak"));
        l.monthButton(1)->click();
        QCOMPARE(session->SeciliAy(), 1);
        QCOMPARE(session->CalisilanAy(), 7);
        QCOMPARE(session->settings().getInt("CalisilanAy", "AyNo", 0), 7);
        QCOMPARE(l.monthButton(1)->palette().color(QPalette::Button), QColor(255, 128, 128));
        QVERIFY(l.monthButton(3)->palette().color(QPalette::Button) != QColor(255, 128, 128));
        const QStringList keys = column(l, 0);
        QCOMPARE(keys.size(), 1);
        QVERIFY(keys[0].startsWith(QStringLiteral("01")));
    }

    void typeFilterListsOnlyThatTypeAndItsTotals() {
        company({1, 1, 2024}, 3);
        voucher(3, 2, 10, "A");
        voucher(3, 3, 20, "M");
        voucher(3, 4, 40, "A");
        voucher(3, 5, 80, "A", "IPT");
        FisListesi l(ctx());
        QCOMPARE(column(l, 0).size(), 4);
        l.typeButton('A')->click();
        QCOMPARE(l.typeButton('A')->palette().color(QPalette::Button), QColor(255, 128, 128));
        QCOMPARE(column(l, 3), (QStringList{"Tahsil", "Tahsil", "Tahsil"}));
        QCOMPARE(l.totals().count, 3L);
        QCOMPARE(l.totals().debit, 130.0);
        QVERIFY(l.totalsLabel()->text().contains(QStringLiteral("Fiş Sayısı 3")));
        // The cancelled voucher is red in every column.
        auto* m = l.panel()->model();
        QCOMPARE(m->index(2, 5).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QVERIFY(m->index(0, 5).data(Qt::ForegroundRole).value<QColor>() != QColor(255, 0, 0));
        // Key order and the whole year.
        l.typeButton(' ')->click();
        l.panel()->tabs()->setCurrentIndex(1);
        QCOMPARE(l.query().order, v::ListOrder::ByKey);
        QCOMPARE(column(l, 0).first(), QStringLiteral("0300000001"));
        voucher(5, 1, 5);
        l.button(QStringLiteral("Bütün Yıl"))->click();
        QCOMPARE(column(l, 0).size(), 5);
    }

    void insertAndChangeGoThroughTheFormWithTheClosedMonthGuard() {
        company({1, 1, 2024}, 3);
        const std::string key = voucher(3, 2, 10);
        FisListesi l(ctx());
        l.panel()->insertButton()->click();
        pickRow(l, 0);
        l.panel()->changeButton()->click();
        QCOMPARE(formCalls, (std::vector<std::string>{"", key}));
        {
            auto b = v::Books::open(*data);
            auto y = *b->readCompany();
            y.KAPANANAY = 3;
            QVERIFY(b->writeCompany(y).ok());
        }
        l.changeVoucher();
        QCOMPARE(formCalls.size(), std::size_t{2});
        QCOMPARE(ui.messages.back().text, std::string("Kapatılan Ay Fişerinde Değişiklik Yapamazsınız..."));
        ui.answer(1);
        l.deleteVoucher();
        QCOMPARE(column(l, 0).size(), 1); // refused before the question
    }

    void deleteAsksAndTakesTheVoucherOut() {
        company({1, 1, 2024}, 3);
        voucher(3, 2, 10);
        voucher(3, 3, 20);
        FisListesi l(ctx());
        pickRow(l, 0);
        ui.answer(1);
        l.panel()->removeButton()->click();
        QCOMPARE(ui.messages.back().text, std::string("Fiş Silinsin mi ?"));
        QCOMPARE(column(l, 6).size(), 1);
        QCOMPARE(l.totals().count, 1L);
    }

    void toolButtonsFollowTheRightsAndTheSettings() {
        company({1, 1, 2024}, 3);
        master(false, {{1000, {"E", "E", "E", "E", "E"}}, {1040, {"E", "", "", "", ""}},
                       {1070, {"E", "", "", "", ""}}});
        {
            FisListesi l(ctx());
            QVERIFY(l.button(QStringLiteral("Transfer"))->isVisibleTo(&l));
            QVERIFY(!l.button(QStringLiteral("Fiş Listesi Excel"))->isVisibleTo(&l));
            QVERIFY(!l.button(QStringLiteral("Mizan Düzelt"))->isVisibleTo(&l));
            QVERIFY(!l.button(QStringLiteral("Fiş Sırala"))->isVisibleTo(&l)); // [Fis] Sirala 0
            QVERIFY(l.button(QStringLiteral("Kopyala"))->isVisibleTo(&l));
        }
        QVERIFY(session->settings().setInt("Fis", "Sirala", 1).ok());
        FisListesi l(ctx());
        QVERIFY(l.button(QStringLiteral("Fiş Sırala"))->isVisibleTo(&l));
    }

    void copyWindowCopiesAndKeepsTheListPosition() {
        company({1, 1, 2024}, 3);
        voucher(3, 2, 10);
        voucher(3, 3, 20);
        FisListesi l(ctx());
        pickRow(l, 1);
        drive = [](QDialog& d) {
            auto& w = dynamic_cast<FisKopyalaWindow&>(d);
            w.copyButton()->click(); // no date: the window stays
            w.dateField()->setText(QStringLiteral("20.05.2024"));
            w.copyButton()->click();
        };
        l.button(QStringLiteral("Kopyala"))->click();
        QCOMPARE(ui.messages[0].text, std::string("Tarih Giriniz..."));
        QCOMPARE(ui.messages.back().text, std::string("Fiş 20.05.2024 Tarih 1 No Olarak Kopyalandı..."));
        QCOMPARE(l.panel()->selectedIndex(), 1);
        l.monthButton(5)->click();
        QCOMPARE(column(l, 0), QStringList{QStringLiteral("0500000001")});
    }

    void transferWindowMovesTheVoucher() {
        company({1, 1, 2024}, 2);
        voucher(2, 5, 80);
        FisListesi l(ctx());
        pickRow(l, 0);
        drive = [](QDialog& d) {
            auto& w = dynamic_cast<FisTransferWindow&>(d);
            QCOMPARE(w.numberField()->text(), QStringLiteral("1"));
            QCOMPARE(w.monthField()->text(), QStringLiteral("2"));
            w.monthField()->setText(QStringLiteral("4"));
            w.attributeField()->setText(QStringLiteral("acf"));
            w.transferButton()->click();
        };
        l.button(QStringLiteral("Transfer"))->click();
        QCOMPARE(column(l, 0).size(), 0);
        auto b = v::Books::open(*data);
        auto h = b->head("0400000001");
        QVERIFY(h.ok());
        QCOMPARE(h->FISNTLK, std::string("ACF"));
        QCOMPARE(v::totalsOf(*b->account("120 01")).opening[0], 80.0);
    }

    void journalNumbersAreRemovedFromTheWindowAndOneAtATime() {
        company({1, 1, 2024}, 3);
        const std::string a = voucher(3, 2, 10);
        const std::string b = voucher(3, 9, 20);
        {
            auto bk = v::Books::open(*data);
            for (auto [k, n] : std::vector<std::pair<std::string, int>>{{a, 130}, {b, 127}}) {
                auto h = *bk->head(k);
                h.YEVMIYENO = n;
                QVERIFY(bk->heads.put(h).ok());
            }
        }
        FisListesi l(ctx());
        drive = [](QDialog& d) {
            auto& w = dynamic_cast<YevmiyeNoSilWindow&>(d);
            w.numberField()->setText(QStringLiteral("126"));
            w.dayField()->setText(QStringLiteral("5"));
            w.runButton()->click();
        };
        l.button(QStringLiteral("Yevmiye No Kaldır"))->click();
        QCOMPARE(column(l, 8), (QStringList{QStringLiteral("130"), QString()}));
        pickRow(l, 0);
        l.button(QStringLiteral("Yevmiye No Sil"))->click();
        QCOMPARE(column(l, 8), (QStringList{QString(), QString()}));
    }

    void accountTransferWindowChecksAndMoves() {
        company({1, 1, 2024}, 3);
        voucher(3, 2, 10);
        VoucherListContext c = ctx();
        HesapTransferWindow w(c, "120 01");
        QCOMPARE(w.fromMonthField()->text(), QStringLiteral("03"));
        QVERIFY(!w.fromDateField()->isEnabled());
        w.targetField()->setText(QStringLiteral("120 01"));
        w.transferButton()->click();
        QCOMPARE(ui.messages.back().text, std::string("Aynı Hesap Kodu Transfer Edilemez."));
        w.targetField()->setText(QStringLiteral("120"));
        w.transferButton()->click();
        QCOMPARE(ui.messages.back().text, std::string("Seçilen Hesap Kodu Muavin Kod Olmalı!"));
        QTest::keyClick(w.fromMonthField(), Qt::Key_Backspace);
        QTest::keyClick(w.fromMonthField(), Qt::Key_Backspace);
        QVERIFY(w.fromDateField()->isEnabled());
        w.targetField()->setText(QStringLiteral("120 02"));
        w.transferButton()->click();
        auto b = v::Books::open(*data);
        QCOMPARE(v::totalsOf(*b->account("120 02")).months[2][0], 10.0);
        QCOMPARE(v::totalsOf(*b->account("120 01")).months[2][0], 0.0);
    }
};

QTEST_MAIN(VoucherListTest)
#include "voucher_list_test.moc"
