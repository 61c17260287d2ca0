// The defined-report windows: the couplings of the filter windows, a trial balance and a ledger
// run into the preview and the spreadsheet, refusals shown without output, the standard
// definitions' window with its duplicate message, and the list's "&Yazdır".
#include "app/rights.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "reports/standard.h"
#include "ui/framework/browse.h"
#include "ui/framework/fields.h"
#include "ui/reports/reports_windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using hk::app::testing::FakeUi;
using hk::ui::FilterWindow;
namespace data = hk::data;

namespace {

hk::core::Date d(int day, int month, int year) {
    return hk::core::Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                          static_cast<std::uint16_t>(year)};
}

} // namespace

class ReportWindowsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::optional<data::DataSet> ds;
    std::unique_ptr<hk::app::Session> session;
    FakeUi ui;
    std::vector<hk::output::Document> previews;
    std::vector<hk::output::Sheet> sheets;

    void account(const char* code, const char* kind) {
        auto t = ds->open<data::HsPlan>();
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = std::string("Hesap ") + code;
        a.NTLK = kind;
        data::month(a.TLBORC, 2) = std::string(kind) == "M" && code[0] == '1' ? 75.5 : 0;
        data::month(a.TLALACAK, 2) = std::string(kind) == "M" && code[0] == '6' ? 75.5 : 0;
        QVERIFY(t->add(a).ok());
    }
    std::unique_ptr<FilterWindow> window(const std::string& kind, int number) {
        hk::ui::ReportRoutes routes;
        routes.preview = [this](hk::output::Document doc) { previews.push_back(std::move(doc)); };
        routes.sheet = [this](hk::output::Sheet s) { sheets.push_back(std::move(s)); };
        return std::make_unique<FilterWindow>(*ds, *session, ui, kind, number, std::move(routes));
    }
    static std::string allText(const hk::output::Document& doc) {
        std::string s;
        for (const auto& p : doc.pages)
            for (const auto& l : p.lines) s += l.visibleText() + "\n";
        return s;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        const std::string path = dir->path().toStdString();
        ds.emplace(std::move(data::DataSet::open(data::Locations::resolve(path, path)).value()));
        session = std::make_unique<hk::app::Session>(std::filesystem::path(path) / "Hesapkar.INI");
        data::Yasal y;
        y.MALIDONEMBAS = d(1, 1, 2024);
        y.MALIDONEMSON = d(31, 12, 2024);
        y.SIRKETUNVANI1 = "Deneme";
        auto t = ds->open<data::Yasal>();
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        QVERIFY(session->setCalisilanAy(2).ok());
        account("100", "K");
        account("100 01", "G");
        account("100 01 001", "M");
        account("600", "K");
        account("600 01", "G");
        account("600 01 001", "M");
        ui = FakeUi{};
        previews.clear();
        sheets.clear();
        FakeUi setup;
        QVERIFY(hk::reports::StdMizanRapor(*ds, setup, hk::reports::Measure::Tl, 1).ok());
        QVERIFY(hk::reports::StdMuavinRapor(*ds, setup, hk::reports::Measure::Tl, 1).ok());
    }
    void cleanup() {
        ds.reset();
        dir.reset();
    }

    void trialBalanceFilterCouplings() {
        QVERIFY(session->setYaziciAdi("Laser").ok());
        auto w = window("1", 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Mizan Raporu Filtre Ekranı"));
        QCOMPARE(w->baslangicAy->currentIndex(), 2); // the working month
        QVERIFY(!w->baslangicTarihi->isEnabled());
        QVERIFY(w->tek->isChecked() && w->calismis->isChecked() && w->acilisEvet->isChecked() &&
                w->kapanisHayir->isChecked());
        QCOMPARE(w->seviye->currentText(), QStringLiteral("8"));
        w->baslangicAy->setCurrentIndex(5);
        QCOMPARE(w->bitisAy->currentIndex(), 5);
        w->baslangicAy->setCurrentIndex(0);
        QVERIFY(w->baslangicTarihi->isEnabled());
        w->yansitmaHaric->setChecked(true);
        QVERIFY(w->mizanDuzenle->isChecked());
        w->yansitmaHaric->setChecked(false);
        QVERIFY(!w->mizanDuzenle->isChecked());
        w->cerceve->setChecked(true);
        QVERIFY(w->cift->isChecked());
        w->cerceve->setChecked(false);
        QVERIFY(w->tek->isChecked());
        QVERIFY(!w->fontNo->isHidden());
        QVERIFY(session->setYaziciAdi("NPQ1").ok());
        auto raw = window("1", 1);
        QVERIFY(raw->fontNo->isHidden() && raw->fontLabel->isHidden());
    }

    void ledgerFilterCouplings() {
        auto w = window("2", 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Muavin Raporu Filtre Ekranı"));
        QVERIFY(w->kebirHayir->isChecked() && w->ayToplamEvet->isChecked() &&
                w->iptalHayir->isChecked());
        QVERIFY(w->ayriSayfa->isChecked() && w->calisanHesaplar->isChecked() &&
                w->kumulatif->isChecked());
        w->kebirEvet->setChecked(true);
        QVERIFY(!w->calisanHesaplar->isChecked());
        w->kebirHayir->setChecked(true);
        QVERIFY(w->calisanHesaplar->isChecked());
        QCOMPARE(w->yaz->text(), QStringLiteral("Yaz"));
        w->excel->setChecked(true);
        QCOMPARE(w->yaz->text(), QStringLiteral("Excel"));
    }

    void trialBalanceRunsIntoThePreviewOffTheGuiThread() {
        auto w = window("1", 1);
        QSignalSpy done(w.get(), &FilterWindow::finished);
        w->run(true);
        QVERIFY(done.wait(20000));
        QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages[0].text.c_str());
        QCOMPARE(previews.size(), std::size_t(1));
        const std::string text = allText(previews[0]);
        QVERIFY(text.find("2024 Yılı ŞUBAT AYI MİZAN RAPORU") != std::string::npos);
        QVERIFY(text.find("GENEL TOPLAM") != std::string::npos);
        QVERIFY(text.find("75.50") != std::string::npos);
    }

    void ledgerRunsIntoTheSpreadsheet() {
        // The ledger reads the vouchers: one voucher in February.
        auto h = ds->open<data::FisBas>();
        auto l = ds->open<data::FisDet>();
        data::FisBas b;
        b.KEYSTR = "0200000001";
        b.FISTRH = d(3, 2, 2024);
        b.FISNO = 1;
        b.FISNTLK = "N";
        QVERIFY(h->add(b).ok());
        data::FisDet x;
        x.KEYSTR = b.KEYSTR;
        x.FISSIRANO = 1;
        x.ACKNO = 100;
        x.HESAPKODU = "100 01 001";
        x.TLBORC = 75.5;
        x.FISACK = "Satış";
        QVERIFY(l->add(x).ok());
        auto w = window("2", 1);
        w->excel->setChecked(true);
        w->run(false);
        QVERIFY(ui.messages.empty());
        QCOMPARE(sheets.size(), std::size_t(1));
        bool found = false;
        for (const auto& row : sheets[0].rows())
            for (const auto& c : row.cells)
                if (auto s = std::get_if<std::string>(&c); s && *s == "Satış") found = true;
        QVERIFY(found);
        QVERIFY(previews.empty());
    }

    void refusalsAreShownAndNothingIsOutput() {
        auto w = window("1", 1);
        w->baslangicAy->setCurrentIndex(5);
        w->bitisAy->setCurrentIndex(3);
        w->run(false);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QVERIFY(ui.messages[0].text.find("boş") != std::string::npos);
        QVERIFY(previews.empty());
        auto missing = window("1", 77);
        missing->run(false);
        QCOMPARE(ui.messages.size(), std::size_t(2));
        QVERIFY(ui.messages[1].text.find("bulunamadı") != std::string::npos);
        QVERIFY(previews.empty());
    }

    void standardWindowRefusesANumberInUse() {
        hk::ui::StandardDialog dlg(*ds, ui, "1");
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Mizan Raporu Tanımla"));
        dlg.number->setNumber(1);
        QVERIFY(!dlg.write(hk::reports::Measure::Doviz));
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Aynı Rapor Kodu Zaten Kullanılmaktadır.!"));
        QCOMPARE(dlg.number->textValue(), std::string());
        dlg.number->setNumber(2);
        QVERIFY(dlg.write(hk::reports::Measure::Doviz));
    }

    void listPrintsTheHighlightedDefinition() {
        int opened = 0;
        hk::ui::ReportListWindow w(*ds, *session, ui, "2", [&opened](int n) { opened = n; });
        QCOMPARE(w.windowTitle(), QStringLiteral("Tanımlanabilir Muavin Raporları"));
        QCOMPARE(w.list->model()->rowCount(), 1);
        w.list->selectRow(0);
        w.print();
        QCOMPARE(opened, 1);
    }

    // The list's insert, change and delete follow the rights row of 100 without the "Izle"
    // caption, and "Std.Rapor" (which writes a definition) goes with insert.
    void listButtonsFollowTheRights() {
        using Rows = std::map<int, hk::app::RightsRow>;
        struct Case {
            const char* what;
            bool master;
            Rows rows;
            bool insert, change, remove;
        };
        const Case cases[] = {
            {"master", true, {}, true, true, true},
            {"no row", false, {}, false, false, false},
            {"view only", false, {{100, {"E", "E", "H", "H", "H"}}}, false, false, false},
            {"insert and delete", false, {{100, {"E", "", "E", "H", "E"}}}, true, false, true},
            {"change only", false, {{100, {"E", "", "H", "E", "H"}}}, false, true, false},
            {"another menu's row", false, {{3000, {"E", "E", "E", "E", "E"}}}, false, false,
             false},
        };
        for (const auto& c : cases) {
            const Rows rows = c.rows;
            hk::app::RightsService rights(
                "ALİ", c.master,
                [rows](std::string_view, int menu)
                    -> hk::core::Result<std::optional<hk::app::RightsRow>> {
                    auto it = rows.find(menu);
                    if (it == rows.end()) return std::optional<hk::app::RightsRow>{};
                    return std::optional<hk::app::RightsRow>{it->second};
                });
            hk::ui::ReportListWindow w(*ds, *session, ui, "1", [](int) {}, &rights);
            QVERIFY2(w.list->insertButton()->isVisibleTo(&w) == c.insert, c.what);
            QVERIFY2(w.list->insertButton()->isEnabled() == c.insert, c.what);
            QVERIFY2(w.standard->isVisibleTo(&w) == c.insert, c.what);
            QVERIFY2(w.list->changeButton()->isVisibleTo(&w) == c.change, c.what);
            QVERIFY2(w.list->removeButton()->isVisibleTo(&w) == c.remove, c.what);
            QVERIFY2(w.yazdir->isVisibleTo(&w), c.what);
            QCOMPARE(w.list->changeButton()->text(), QStringLiteral("&Değiştir"));
        }
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "reports_test.moc"
