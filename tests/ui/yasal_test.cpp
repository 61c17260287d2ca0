// The company settings window: the four tabs, the numbering lock, the proposed end date, "Tamam"
// writing what was edited (and nothing of the numerators) with the session's copy following, and
// "Çıkış" and bad input writing nothing.
#include "app/catalogue.h"
#include "app/company.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/database.h"
#include "data/dataset.h"
#include "ui/framework/fields.h"
#include "ui/shell/yasal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using hk::app::testing::FakeUi;
using hk::data::Yasal;
using hk::ui::YasalWindow;

namespace {

hk::core::Date d(int day, int month, int year) {
    return hk::core::Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                          static_cast<std::uint16_t>(year)};
}

Yasal company() {
    Yasal y;
    y.SIRKETUNVANI1 = "Deneme";
    y.MALIDONEMBAS = d(1, 1, 2015);
    y.MALIDONEMSON = d(31, 12, 2015);
    y.FISNUMARALAMADUZENI = "B";
    y.FISNOSIRASI = "A";
    y.CALISILANAYNO = 1;
    return y;
}

} // namespace

class YasalTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<hk::data::Database> db;
    FakeUi ui;
    std::vector<Yasal> handedToSession;

    hk::data::TypedTable<Yasal> file() {
        auto t = db->table(hk::data::fileDef(hk::data::Layout::Yasal));
        Q_ASSERT(t.ok());
        return hk::data::TypedTable<Yasal>(std::move(t.value()));
    }
    std::vector<Yasal> records() {
        auto f = file();
        std::vector<Yasal> out;
        if (!f.setPhysical()) return out;
        for (auto r = f.next(); r; r = f.next())
            out.push_back(r.value());
        return out;
    }
    std::unique_ptr<YasalWindow> window() {
        return std::make_unique<YasalWindow>(
            file(), ui, [this](const Yasal& y) { handedToSession.push_back(y); });
    }

  private slots:
    void init() {
        QFile::remove(dir.filePath("Hesapkar.db"));
        auto o = hk::data::Database::open((dir.path() + "/Hesapkar.db").toStdString());
        QVERIFY(o.ok());
        db.emplace(std::move(o.value()));
        ui = FakeUi{};
        handedToSession.clear();
    }
    void cleanup() { db.reset(); }

    void opensOnAnEmptyFileWithFourTabsAllEditable() {
        auto w = window();
        QVERIFY(w->loaded());
        QCOMPARE(records().size(), std::size_t(1));
        QCOMPARE(w->tabs()->count(), 4);
        QStringList tabs;
        for (int i = 0; i < 4; ++i)
            tabs << w->tabs()->tabText(i);
        QCOMPARE(tabs, QStringList({"Şirket Genel Tanımları", "Mali Dönem", "Fiş Tanımları",
                                    "Fiş Onay Tanımları"}));
        QVERIFY(!w->locked());
        QVERIFY(w->donemBas->isEnabled() && w->duzenBox->isEnabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Şirket Yasal Tanımları"));
        QCOMPARE(w->okButton()->text(), QStringLiteral("Tamam"));
        QCOMPARE(w->exitButton()->text(), QStringLiteral("Çıkış"));
    }

    void issuedNumbersLockThePeriodAndNumbering_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("locked");
        QTest::newRow("no voucher yet") << 1 << 0 << false;
        QTest::newRow("first voucher") << 1 << 1 << true;
        QTest::newRow("last slot") << 366 << 3 << true;
    }

    void issuedNumbersLockThePeriodAndNumbering() {
        QFETCH(int, slot);
        QFETCH(int, value);
        QFETCH(bool, locked);
        Yasal y = company();
        hk::data::element(y.TAHSILNUMARATOR, slot) = static_cast<std::int16_t>(value);
        auto f = file();
        QVERIFY(f.add(y).ok());
        auto w = window();
        QCOMPARE(w->locked(), locked);
        QCOMPARE(w->donemBas->isEnabled(), !locked);
        QCOMPARE(w->donemSon->isEnabled(), !locked);
        QCOMPARE(w->birArada->isEnabled(), !locked);
        QCOMPARE(w->herGun->isEnabled(), !locked);
        QVERIFY(w->unvan->isEnabled()); // everything else stays editable
        QVERIFY(w->kapananAy->isEnabled());
    }

    void enteringTheStartDateProposesTheEnd() {
        auto w = window();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->tabs()->setCurrentIndex(1);
        w->donemBas->setFocus();
        w->donemBas->selectAll();
        QTest::keyClicks(w->donemBas, "01.07.2014");
        QTest::keyClick(w->donemBas, Qt::Key_Tab);
        QCOMPARE(w->donemSon->text(), QStringLiteral("30.06.2015"));
        // the user may change it afterwards
        w->donemSon->setText(QStringLiteral("31.12.2014"));
        QCOMPARE(w->collect().value().MALIDONEMSON, d(31, 12, 2014));
    }

    void tamamWritesTheEditsAndHandsTheRecordToTheSession() {
        auto f = file();
        QVERIFY(f.add(company()).ok());
        auto w = window();
        // voucher entry issues a number while the window is open
        {
            auto g = file();
            QVERIFY(g.setPhysical().ok());
            Yasal y = g.next().value();
            hk::data::element(y.MAHSUPNUMARATOR, 5) = 9;
            y.SIRKETUNVANI2 = "Komutla Yazılan"; // a field the window does not show
            QVERIFY(g.put(y).ok());
        }
        w->unvan->setText(QStringLiteral("Örnek Ticaret A.Ş."));
        w->telefon->setText(QStringLiteral("(212)-5551234"));
        w->kapananAy->setCurrentIndex(3);
        w->detaySirala->setChecked(true);
        w->odenecekKod[0]->setText(QStringLiteral("391 01"));
        w->odenecekOran[0]->setText(QStringLiteral("18"));
        w->edefter->setCurrentIndex(0);
        w->sonYevmiyeBorc->setText(QStringLiteral("1234.56"));
        QTest::mouseClick(w->okButton(), Qt::LeftButton);
        QVERIFY(ui.messages.empty());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        const auto all = records();
        QCOMPARE(all.size(), std::size_t(1));
        const Yasal& s = all[0];
        QCOMPARE(s.SIRKETUNVANI1, std::string("Örnek Ticaret A.Ş."));
        QCOMPARE(s.SIRKETTLF, std::string("2125551234"));
        QCOMPARE(int(s.KAPANANAY), 3);
        QCOMPARE(int(s.FISDETAYSIRALA), 1);
        QCOMPARE(hk::data::element(s.ODENECEKKDVKODU, 1), std::string("391 01"));
        QCOMPARE(int(hk::data::element(s.ODENECEKKDVORAN, 1)), 18);
        QCOMPARE(s.EDEFTER, std::string("E"));
        QCOMPARE(s.SONYEVMIYEBORC, 1234.56);
        QCOMPARE(int(hk::data::element(s.MAHSUPNUMARATOR, 5)), 9); // not undone by the window
        QCOMPARE(s.SIRKETUNVANI2, std::string("Komutla Yazılan"));
        QCOMPARE(handedToSession.size(), std::size_t(1));
        QVERIFY(handedToSession[0] == s);
    }

    void theMenuProcedureRefreshesTheSessionsCompany() {
        QTemporaryDir folder;
        auto where =
            hk::data::Locations::resolve(folder.path().toStdString(), folder.path().toStdString());
        auto ds = hk::data::DataSet::open(where);
        QVERIFY(ds.ok());
        {
            auto f = ds.value().open<Yasal>();
            QVERIFY(f.ok());
            QVERIFY(f.value().add(company()).ok());
        }
        hk::app::Session session((folder.path() + "/Hesapkar.INI").toStdString());
        session.setCompany(company());
        hk::app::ProcedureRegistry registry;
        hk::ui::registerYasal(registry, nullptr);
        QVERIFY(registry.find("Yasal"));
        hk::app::RightsService master("HESAPKAR", true, {});
        hk::app::ProcedureContext ctx{session, ui, master, ds.value()};
        // the window is modal: a timer fills it and presses "Tamam"
        QTimer::singleShot(0, [] {
            auto* w = qobject_cast<YasalWindow*>(QApplication::activeModalWidget());
            QVERIFY(w);
            w->unvan->setText(QStringLiteral("Kaydedilen Ünvan"));
            w->donemBas->setText(QStringLiteral("01.07.2015"));
            w->startDateEntered();
            QTest::mouseClick(w->okButton(), Qt::LeftButton);
        });
        QVERIFY(hk::app::runRegistered(registry, "Yasal", "", ctx));
        QVERIFY(ui.messages.empty());
        const Yasal inMemory = session.company();
        QCOMPARE(inMemory.SIRKETUNVANI1, std::string("Kaydedilen Ünvan"));
        QCOMPARE(inMemory.MALIDONEMSON, d(30, 6, 2016));
        QCOMPARE(session.AyFarki(), 6); // the calendar follows the new start month
        // the window remembered where it was
        QVERIFY(session.settings().get("Yasal", "Width").has_value());
    }

    void cikisAndBadInputWriteNothing_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("Çıkış") << "exit";
        QTest::newRow("end before start") << "end";
        QTest::newRow("vat rate above 100") << "rate";
        QTest::newRow("impossible date") << "date";
        QTest::newRow("journal month 13") << "month";
    }

    void cikisAndBadInputWriteNothing() {
        QFETCH(QString, what);
        auto f = file();
        QVERIFY(f.add(company()).ok());
        auto w = window();
        w->show();
        w->unvan->setText(QStringLiteral("Değişti"));
        if (what == "exit") {
            QTest::mouseClick(w->exitButton(), Qt::LeftButton);
            QVERIFY(!w->isVisible());
        } else {
            if (what == "end") w->donemSon->setText(QStringLiteral("31.12.2014"));
            if (what == "rate") w->indirilecekOran[2]->setText(QStringLiteral("150"));
            if (what == "date") w->donemBas->setText(QStringLiteral("30.02.2015"));
            if (what == "month") w->sonYevmiyeAy->setText(QStringLiteral("13"));
            QTest::mouseClick(w->okButton(), Qt::LeftButton);
            QCOMPARE(ui.messages.size(), std::size_t(1));
            QVERIFY(w->isVisible()); // the window stays with what was typed
            QCOMPARE(w->unvan->text(), QStringLiteral("Değişti"));
        }
        QVERIFY(records().at(0) == company());
        QVERIFY(handedToSession.empty());
    }
};

QTEST_MAIN(YasalTest)
#include "yasal_test.moc"
