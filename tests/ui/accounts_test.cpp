// The account windows: the chart list's buttons under the rights of 3000/3010/3020/3030 and the
// "Izle" caption, the account form's code checks and captions, "Kopyala" with the copy buffer,
// the twelve-month view's tabs and red balances, and the currency form's rates.
#include "accounts/chart.h"
#include "accounts/rates.h"
#include "app/rights.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "ui/accounts/accounts_windows.h"
#include "ui/framework/fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using hk::app::testing::FakeUi;
using hk::data::HsPlan;
using namespace hk::ui;

class AccountsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<hk::data::DataSet> data;
    std::optional<hk::app::Session> session;
    std::optional<hk::app::RightsService> rights;
    hk::accounts::CopyBuffer copy;
    FakeUi ui;
    std::vector<std::pair<std::string, std::string>> started;

    AccountsContext ctx() {
        AccountsContext c;
        c.data = &*data;
        c.session = &*session;
        c.ui = &ui;
        c.rights = &*rights;
        c.copy = &copy;
        c.start = [this](const std::string& n, const std::string& a) { started.push_back({n, a}); };
        return c;
    }
    void put(const std::string& code, const std::string& ntlk, const std::string& name = "Ad") {
        auto plan = data->open<HsPlan>();
        QVERIFY(plan.ok());
        HsPlan a;
        a.HESAPKODU = code;
        a.NTLK = ntlk;
        a.HESAPAD1 = name;
        QVERIFY(plan->add(a).ok());
    }
    std::optional<HsPlan> find(const std::string& code) {
        auto a = hk::accounts::findAccount(*data, code);
        return a.ok() ? *a : std::nullopt;
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

  private slots:
    void init() {
        data.reset();
        QFile::remove(dir.filePath("Hesapkar.db"));
        QFile::remove(dir.filePath("Hesapkar.Men.db"));
        const std::string d = dir.path().toStdString();
        auto ds = hk::data::DataSet::open(hk::data::Locations::resolve(d, d));
        QVERIFY(ds.ok());
        data.emplace(std::move(ds.value()));
        session.reset();
        session.emplace(dir.filePath("Hesapkar.INI").toStdString());
        hk::data::Yasal y;
        y.MALIDONEMBAS = {1, 1, 2024};
        y.MALIDONEMSON = {31, 12, 2024};
        session->setCompany(y);
        master(true);
        ui = FakeUi{};
        started.clear();
        put("120", "K", "Alıcılar");
        put("120 01", "M", "Yurt içi");
    }

    void buttonsFollowTheRights() {
        struct Case {
            const char* what;
            bool master;
            std::map<int, hk::app::RightsRow> rows;
            bool insert, change, remove, twelve, transfer, frame;
            const char* changeCaption;
        };
        const Case cases[] = {
            {"master", true, {}, true, true, true, true, true, true, "&Değiştir"},
            {"view only", false,
             {{3000, {"E", "E", "E", "H", "H"}}, {3010, {"E", "", "", "", ""}},
              {3030, {"H", "", "", "", ""}}},
             true, true, false, true, false, false, "&Izle"},
            {"no rows", false, {}, false, false, false, false, false, false, "&Değiştir"},
            {"all rights", false,
             {{3000, {"E", "E", "E", "E", "E"}}, {3020, {"E", "", "", "", ""}},
              {3030, {"E", "", "", "", ""}}},
             true, true, true, false, true, true, "&Değiştir"},
        };
        for (const auto& c : cases) {
            master(c.master, c.rows);
            HsPlanList list(ctx(), ChartListKind::Chart, false);
            BrowsePanel* p = list.panel();
            QVERIFY2(p->insertButton()->isVisibleTo(&list) == c.insert, c.what);
            QVERIFY2(list.copyButton()->isVisibleTo(&list) == c.insert, c.what);
            QVERIFY2(p->changeButton()->isVisibleTo(&list) == c.change, c.what);
            QVERIFY2(p->removeButton()->isVisibleTo(&list) == c.remove, c.what);
            QVERIFY2(list.twelveButton()->isVisibleTo(&list) == c.twelve, c.what);
            QVERIFY2(list.transferButton()->isVisibleTo(&list) == c.transfer, c.what);
            QVERIFY2(list.frameButton()->isVisibleTo(&list) == c.frame, c.what);
            QCOMPARE(p->changeButton()->text(), QString::fromUtf8(c.changeCaption));
            QVERIFY(!list.selectButton()->isVisibleTo(&list));
        }
    }

    void listShowsAttributeNamesAndColours() {
        HsPlanList list(ctx(), ChartListKind::Chart, false);
        auto* m = list.panel()->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->data(m->index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("Kebir"));
        QCOMPARE(m->data(m->index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("Muavin"));
        QCOMPARE(m->data(m->index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(31, 7, 139));
        QCOMPARE(m->data(m->index(1, 1), Qt::ForegroundRole).value<QColor>(),
                 QColor(16, 159, 237));
        HsPlanList details(ctx(), ChartListKind::Detail, true);
        QCOMPARE(details.panel()->model()->rowCount(), 1);
        QVERIFY(details.selectButton()->isVisibleTo(&details));
    }

    void formCodeChecksLevelByLevel() {
        FHsPlan f(ctx(), FHsPlan::Insert, {}, nullptr);
        QCOMPARE(f.save->text(), QStringLiteral("Giriş"));
        f.code->setTextValue("130 01 005");
        QVERIFY(!f.codeLeft());
        QCOMPARE(f.code->textValue(), std::string("130 01"));
        f.trySave(); // "Giriş" checks the parent the same way
        QCOMPARE(f.code->textValue(), std::string("130"));
        QCOMPARE(ui.texts(), (std::vector<std::string>{"Öncelikle 130 01 Hesap Kodu Tanımlanmalıdır.",
                                                       "Öncelikle 130 Hesap Kodu Tanımlanmalıdır."}));
        QVERIFY(f.codeLeft());
        QCOMPARE(f.attribute->currentIndex(), 0); // Kebir
        QVERIFY(!f.attribute->isEnabled());
        QVERIFY(!f.unit->isEnabled());
        QVERIFY(!f.currency->isEnabled());

        f.code->setTextValue("120 02");
        QVERIFY(f.codeLeft());
        auto* items = qobject_cast<QStandardItemModel*>(f.attribute->model());
        QVERIFY(!items->item(0)->isEnabled()); // no "Kebir" under a main account
        f.attribute->setCurrentIndex(2);
        QVERIFY(f.unit->isEnabled());
        f.unit->setTextValue("KG");
        f.attribute->setCurrentIndex(1);
        QVERIFY(!f.unit->isEnabled());
        QCOMPARE(f.unit->textValue(), std::string("KG")); // kept while disabled
        f.name1->setTextValue("Grup");
        f.trySave();
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QCOMPARE(find("120 02")->NTLK, std::string("G"));
    }

    void formModesAndKovan() {
        const HsPlan a = *find("120 01");
        FHsPlan change(ctx(), FHsPlan::Change, a, nullptr);
        QCOMPARE(change.save->text(), QStringLiteral("Değiştir"));
        QVERIFY(!change.code->isEnabled());
        QVERIFY(!change.attribute->isEnabled());
        QVERIFY(change.unit->isEnabled()); // a detail account
        session->OzelKovan = 1;
        FHsPlan kovan(ctx(), FHsPlan::Change, a, nullptr);
        QVERIFY(kovan.code->isEnabled());
        FHsPlan del(ctx(), FHsPlan::Delete, a, nullptr);
        QCOMPARE(del.save->text(), QStringLiteral("Sil"));
        for (QWidget* w : std::initializer_list<QWidget*>{del.code, del.attribute, del.name1,
                                                          del.name2, del.unit, del.currency})
            QVERIFY(!w->isEnabled());
        QVERIFY(del.save->isEnabled() && del.exit->isEnabled());
        del.trySave();
        QVERIFY(!find("120 01"));
    }

    void deleteRefusedBeforeTheFormOpens() {
        HsPlanList list(ctx(), ChartListKind::Chart, false);
        int forms = 0;
        list.runDialog = [&](QDialog&) {
            ++forms;
            return int(QDialog::Rejected);
        };
        list.panel()->selectRow(0); // 120 with 120 01 below it
        list.deleteAccount();
        QCOMPARE(forms, 0);
        QCOMPARE(ui.texts(),
                 std::vector<std::string>{"120 01 Alt Hesap Kodu Tanımlı Silemezsiniz.!"});
        list.panel()->selectRow(1);
        list.deleteAccount();
        QCOMPARE(forms, 1);
    }

    void copyStartsANewAccountFromTheHighlightedOne() {
        hk::data::HsPlan src = *find("120 01");
        HsPlanList list(ctx(), ChartListKind::Chart, false);
        list.panel()->selectRow(1);
        list.runDialog = [&](QDialog& d) {
            auto& f = dynamic_cast<FHsPlan&>(d);
            if (f.code->textValue() != "120 01" || f.name1->textValue() != "Yurt içi")
                return int(QDialog::Rejected);
            f.code->setTextValue("120 02");
            f.trySave();
            return f.result();
        };
        list.copyAccount();
        const auto made = find("120 02");
        QVERIFY(made);
        QCOMPARE(made->HESAPAD1, std::string("Yurt içi"));
        QCOMPARE(made->NTLK, std::string("M"));
        QVERIFY(copy.empty());
        QCOMPARE(list.panel()->model()->rowCount(), 3);
    }

    void transferAndTwelveMonthsButtons() {
        HsPlanList list(ctx(), ChartListKind::Chart, false);
        list.panel()->selectRow(0);
        list.transfer();
        QCOMPARE(ui.texts(), std::vector<std::string>{"Sadece Muavin Hesaplar Transfer Edilebilir"});
        list.panel()->selectRow(1);
        list.transfer(); // a detail account: the transfer window opens for it
        QCOMPARE(started.back(), (std::pair<std::string, std::string>{"Transfer", "120 01"}));
        list.twelveMonths();
        QCOMPARE(started.back(), (std::pair<std::string, std::string>{"Y_Mizan12Ay", "120 01"}));
    }

    void twelveMonthsView() {
        HsPlan a;
        a.HESAPKODU = "320 01";
        a.NTLK = "M";
        a.ALTBIRIM = "KG";
        a.ACTLBORC = 100;
        hk::data::month(a.TLBORC, 1) = 50;
        hk::data::month(a.TLALACAK, 2) = 200;
        {
            auto plan = data->open<HsPlan>();
            QVERIFY(plan->add(a).ok());
        }
        QVERIFY(!Y_Mizan12Ay::open(ctx(), "999"));
        auto w = Y_Mizan12Ay::open(ctx(), "320 01");
        QVERIFY(w);
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("12 Aylık Mizan   [320 01")));
        QVERIFY(!w->tabs->isTabVisible(1)); // no currency
        QVERIFY(w->tabs->isTabVisible(2));
        QCOMPARE(w->caption->text(), QStringLiteral("TL"));
        QCOMPARE(w->grid->item(2, 2)->text(), QStringLiteral("-200.00"));
        QCOMPARE(w->grid->item(2, 2)->foreground().color(), QColor(255, 0, 0));
        QCOMPARE(w->grid->item(2, 5)->text(), QStringLiteral("-50.00"));
        QCOMPARE(w->grid->item(1, 2)->foreground().color() == QColor(255, 0, 0), false);
        QCOMPARE(w->grid->verticalHeaderItem(1)->text(), QStringLiteral("1.Ocak"));
        w->tabs->setCurrentIndex(2);
        QCOMPARE(w->caption->text(), QStringLiteral("Alt Birim (KG)"));
        hk::data::Yasal july;
        july.MALIDONEMBAS = {1, 7, 2024};
        july.MALIDONEMSON = {30, 6, 2025};
        session->setCompany(july);
        auto w2 = Y_Mizan12Ay::open(ctx(), "320 01");
        QCOMPARE(w2->grid->verticalHeaderItem(1)->text(), QStringLiteral("Temmuz"));
        QCOMPARE(w2->grid->item(1, 0)->text(), QStringLiteral("50.00")); // element 1
    }

    void currencyFormListsItsRates() {
        QVERIFY(hk::accounts::addCurrency(*data, {"USD", "Dolar"}, ui).ok());
        QVERIFY(hk::accounts::addRate(*data, {"USD", {14, 3, 2024}, 36.5}, ui).ok());
        QVERIFY(hk::accounts::addRate(*data, {"USD", {16, 3, 2024}, 36.9}, ui).ok());
        FDoviz f(ctx(), FDoviz::Change, {"USD", "Dolar"}, nullptr);
        auto* m = f.rates->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("16.03.2024"));
        QCOMPARE(m->data(m->index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("36.9000"));
        FDDoviz r(ctx(), true, {"USD", {}, 0}, nullptr);
        r.date->setDate({20, 3, 2024});
        r.rate->setNumber(0);
        r.trySave(); // a zero rate is refused
        QCOMPARE(ui.texts().back(), std::string("Kur Tutarı sıfırdan büyük olmalıdır."));
        QVERIFY(r.result() != QDialog::Accepted);
    }

    void chartReportFilter() {
        HesapPlaniFiltreEkrani w(ctx());
        QCOMPARE(w.runButton->text(), QStringLiteral("Yaz"));
        std::vector<hk::output::Document> docs;
        std::vector<hk::output::Sheet> sheets;
        w.showDocument = [&](const hk::output::Document& d) { docs.push_back(d); };
        w.showSheet = [&](const hk::output::Sheet& s) {
            sheets.push_back(s);
            return hk::core::Status{};
        };
        int picks = 0;
        w.pick = [&]() -> std::optional<HsPlan> {
            ++picks;
            return find("120 01");
        };
        w.from->setTextValue("999"); // not in the chart: the selection list opens
        w.run();
        QCOMPARE(picks, 1);
        QCOMPARE(w.from->textValue(), std::string("120 01"));
        QCOMPARE(docs.size(), std::size_t(1));
        QCOMPARE(docs[0].pages[0].lines[1].visibleText().substr(0, 12), std::string("HESAP PLANI "));
        w.excel->setChecked(true);
        QCOMPARE(w.runButton->text(), QStringLiteral("Excel"));
        w.run();
        QCOMPARE(sheets.size(), std::size_t(1));
        QCOMPARE(sheets[0].rows().size(), std::size_t(2 + 1)); // title, captions, 120 01
    }

    void importWindowWithoutTheWorkbook() {
        ExcelHsPlanOku w(ctx());
        QCOMPARE(w.start->text(), QStringLiteral("Excel Oku"));
        w.read();
        QCOMPARE(ui.texts(), std::vector<std::string>{dir.filePath("HsPlan.xls").toStdString() +
                                                      "\nDosyası Bulunamıyor.!"});
        QVERIFY(w.result() != QDialog::Accepted);
    }
};

QTEST_MAIN(AccountsTest)
#include "accounts_test.moc"
