// The definition editors: moving columns (the first one up stays put), the "Saha Adı" look-up
// defaults of a DATE field, the formula entry only for formula columns, filter look-ups that
// append, the statement editor's one-sided income statement and blank-type refusal, and the
// line editor's margin cap of 3 and value/formula switch.
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "statements/definitions.h"
#include "statements/editors.h"
#include "ui/statements/definitions.h"
#include "ui/framework/fields.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using hk::app::testing::FakeUi;
using namespace hk;
namespace st = hk::statements;

namespace {

data::DataList field(const char* name, const char* type, int size) {
    data::DataList d;
    d.KOD = 1;
    d.AD = name;
    d.CINS = type;
    d.UZUNLUK = static_cast<std::int16_t>(size);
    return d;
}

void chooseCode(QComboBox* c, const char* code) {
    c->setCurrentIndex(c->findData(QString::fromLatin1(code)));
}

} // namespace

class DefinitionsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<data::DataSet> ds;
    FakeUi ui;
    data::Rapor report;
    std::optional<data::DataList> offered; // what the field look-up answers
    std::vector<std::string> askedKinds;

    ui::DefinitionHooks hooks() {
        ui::DefinitionHooks h;
        h.chooseField = [this](const std::string& kind) {
            askedKinds.push_back(kind);
            return offered;
        };
        h.chooseAccount = [] { return std::optional<std::string>("600 01"); };
        h.runForm = [](ui::UpdateForm&) { return false; };
        return h;
    }
    std::string order() {
        auto cols = st::reportColumns(*ds, report);
        std::string s;
        for (const auto& c : *cols) s += std::to_string(c.SIRANO) + ":" + c.FIELDKOD + " ";
        return s;
    }

  private slots:
    void init() {
        ds.reset();
        auto opened = data::DataSet::open(data::Locations::resolve(
            (dir.path() + "/" + QString::fromLatin1(QTest::currentTestFunction())).toStdString(), dir.path().toStdString()));
        QVERIFY(opened.ok());
        ds.emplace(std::move(*opened));
        ui = FakeUi{};
        offered.reset();
        askedKinds.clear();
        report = data::Rapor{};
        report.RAPKOD = "1";
        report.RAPNO = 5;
        report.AD = "MİZAN";
        QVERIFY(st::saveReport(*ds, report, true).ok());
        for (int n = 1; n <= 3; ++n) {
            data::DRapor c = st::newColumn(report);
            c.SIRANO = static_cast<std::int16_t>(n);
            c.FIELDKOD = "C" + std::to_string(n);
            QVERIFY(st::saveColumn(*ds, c, std::nullopt).ok());
        }
    }

    void movingTheFirstColumnUpLeavesTheOrderAndDownSwaps() {
        ui::ReportDefinitionWindow w(*ds, ui, report, ui::FormMode::Change, hooks());
        QCOMPARE(w.columns->rowCount(), 3);
        w.columns->selectRow(0);
        QTest::mouseClick(w.upButton, Qt::LeftButton);
        QCOMPARE(order(), std::string("1:C1 2:C2 3:C3 "));
        QTest::mouseClick(w.downButton, Qt::LeftButton);
        QCOMPARE(order(), std::string("1:C2 2:C1 3:C3 "));
        // the moved column stays selected: a second click moves it on
        QCOMPARE(w.columns->currentRow(), 1);
        QTest::mouseClick(w.downButton, Qt::LeftButton);
        QCOMPARE(order(), std::string("1:C2 2:C3 3:C1 "));
        QCOMPARE(w.columns->item(2, 1)->text(), QStringLiteral("C1"));
        QVERIFY(ui.messages.empty());
    }

    void filterLookUpsAppendTheChosenName() {
        ui::ReportDefinitionWindow w(*ds, ui, report, ui::FormMode::Change, hooks());
        w.filtre[1]->setTextValue("HSP:Ntlk='M' AND ");
        offered = field("HSP:TLBORC[Ay]", "REAL", 8);
        QTest::mouseClick(w.filtreLookup[1], Qt::LeftButton);
        QCOMPARE(w.filtre[1]->text(), QStringLiteral("HSP:Ntlk='M' ANDHSP:TLBORC[Ay]"));
        QCOMPARE(askedKinds, std::vector<std::string>{"1"});
        offered.reset(); // nothing chosen: nothing changes
        QTest::mouseClick(w.filtreLookup[1], Qt::LeftButton);
        QCOMPARE(w.filtre[1]->text(), QStringLiteral("HSP:Ntlk='M' ANDHSP:TLBORC[Ay]"));
        QTest::mouseClick(w.okButton, Qt::LeftButton);
        auto defs = st::readDefinitions(*ds);
        QCOMPARE(defs->reports.at(0).header.FILTRE2, std::string("HSP:Ntlk='M' ANDHSP:TLBORC[Ay]"));
    }

    void dateLookUpSetsFormatAndWidthAndFormulaOnlyForFormulas() {
        data::DRapor c = st::newColumn(report);
        c.SIRANO = 4;
        ui::ColumnForm f(*ds, ui, c, ui::FormMode::Insert, std::nullopt, hooks().chooseField);
        QCOMPARE(f.windowTitle(), QStringLiteral("Rapor Değiştir"));
        QCOMPARE(f.ntlk->currentData().toString(), QStringLiteral("D")); // new columns: value, printed, "@"
        QCOMPARE(f.yaz->currentData().toString(), QStringLiteral("E"));
        QCOMPARE(f.format->text(), QStringLiteral("@"));
        QVERIFY(!f.formul->isEnabled());
        offered = field("MFB:FISTRH", "DATE", 4);
        QTest::mouseClick(f.sahaLookup, Qt::LeftButton);
        QCOMPARE(f.sahaAdi->text(), QStringLiteral("Format(MFB:FISTRH,@d17b)"));
        QCOMPARE(f.uzunluk->text().trimmed(), QStringLiteral("10"));
        QCOMPARE(f.format->text(), QStringLiteral("@s10"));
        QCOMPARE(f.ntlk->currentData().toString(), QStringLiteral("S"));
        chooseCode(f.ntlk, "F");
        QVERIFY(f.formul->isEnabled());
        chooseCode(f.ntlk, "S");
        QVERIFY(!f.formul->isEnabled());
        ui.answer(2); // message 3: no further column
        QTest::mouseClick(f.saveButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        auto cols = st::reportColumns(*ds, report);
        QCOMPARE(cols->size(), std::size_t(4));
        QCOMPARE(cols->back().FIELDKOD, std::string("Format(MFB:FISTRH,@d17b)"));
        QCOMPARE(static_cast<int>(cols->back().UZUNLUK), 10);
    }

    void excelAsksFirstAndADeclineWritesNothing() {
        ui::ReportDefinitionWindow w(*ds, ui, report, ui::FormMode::Change, hooks());
        ui.answer(2);
        QTest::mouseClick(w.excelButton, Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].text, std::string("Liste Excele Aktarılsın Mı?"));
        QCOMPARE(ui.messages[0].buttons, std::string("&Evet|&Hayır"));
    }

    void aNewReportIsWrittenBeforeItsFirstColumn() {
        data::Rapor fresh;
        fresh.RAPKOD = "2";
        ui::ReportDefinitionWindow w(*ds, ui, fresh, ui::FormMode::Insert, hooks());
        w.rapNo->setText(QStringLiteral("9"));
        w.ad->setTextValue("MUAVİN");
        QTest::mouseClick(w.insertButton, Qt::LeftButton);
        QVERIFY(ui.messages.empty());
        QVERIFY(!w.rapNo->isEnabled());
        auto defs = st::readDefinitions(*ds);
        QCOMPARE(defs->reports.size(), std::size_t(2));
        // a second window on the same number is refused with the duplicate message
        ui::ReportDefinitionWindow again(*ds, ui, fresh, ui::FormMode::Insert, hooks());
        again.rapNo->setText(QStringLiteral("9"));
        QTest::mouseClick(again.okButton, Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].caption, std::string("Çift kayıt yaratma hatası"));
    }

    void statementEditorHidesLiabilitiesForIncomeAndRefusesABlankType() {
        data::Tablo t;
        ui::StatementDefinitionWindow w(*ds, ui, t, ui::FormMode::Insert, hooks());
        w.show();
        w.rapNo->setText(QStringLiteral("4"));
        QTest::mouseClick(w.okButton, Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].text, std::string(st::kReportTypeBlank));
        QVERIFY(st::readDefinitions(*ds)->statements.empty());
        chooseCode(w.tip, "B");
        QVERIFY(w.panels[1]->isVisible());
        chooseCode(w.tip, "G");
        QVERIFY(!w.panels[1]->isVisible());
        QVERIFY(!w.buttons[1][0]->isVisible());
        QTest::mouseClick(w.buttons[0][0], Qt::LeftButton); // a line: the header is written first
        auto defs = st::readDefinitions(*ds);
        QCOMPARE(defs->statements.size(), std::size_t(1));
        QCOMPARE(defs->statements[0].header.RAPORTIPI, std::string("G"));
    }

    void lineEditorCapsTheMarginAtThreeAndSwitchesValueAndFormula() {
        data::DTablo l = st::newLine(4, "P");
        l.SIRANO = 1;
        ui::LineForm f(*ds, ui, l, ui::FormMode::Insert, hooks());
        f.show();
        QApplication::setActiveWindow(&f);
        QVERIFY(f.windowTitle().contains(QStringLiteral("Pasif")));
        QCOMPARE(f.nitelik->currentData().toString(), QStringLiteral("D"));
        QCOMPARE(f.yazilsin->currentData().toString(), QStringLiteral("E"));
        QVERIFY(f.fields()->isRowVisible(f.saha->parentWidget()));
        QVERIFY(!f.fields()->isRowVisible(f.formul));
        chooseCode(f.nitelik, "F");
        QVERIFY(!f.fields()->isRowVisible(f.saha->parentWidget()));
        QVERIFY(f.fields()->isRowVisible(f.formul));
        chooseCode(f.nitelik, "D");

        f.bosluk->setFocus();
        f.bosluk->setText(QStringLiteral("7"));
        f.marginEntered();
        QCOMPARE(f.bosluk->text().trimmed(), QStringLiteral("3"));
        QVERIFY(f.bosluk->hasFocus());

        offered = field("HSP:TLBORC[BK]", "REAL", 8);
        QTest::mouseClick(f.sahaLookup, Qt::LeftButton);
        QCOMPARE(f.saha->text(), QStringLiteral("HSP:TLBORC[BK]"));
        QCOMPARE(askedKinds, std::vector<std::string>{"3"});
        QTest::mouseClick(f.hesapLookup, Qt::LeftButton);
        QCOMPARE(f.hesapKodu->text(), QStringLiteral("600 01"));
        ui.answer(2);
        QTest::mouseClick(f.saveButton(), Qt::LeftButton);
        auto lines = st::statementLines(*ds, 4, "P");
        QCOMPARE(lines->size(), std::size_t(1));
        QCOMPARE(static_cast<int>(lines->at(0).BOSLUK), 3);
        QCOMPARE(lines->at(0).SAHA, std::string("HSP:TLBORC[BK]"));
    }
};

QTEST_MAIN(DefinitionsTest)
#include "definitions_test.moc"
