// The voucher-line list "Fiş Detay Listesi": its two tabs (every line by key and line number;
// the chosen voucher's lines by account), the locators, the header list it chooses from, the
// query by example, and the spreadsheet exports of both lists.
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "output/sheet_reader.h"
#include "ui/framework/fields.h"
#include "ui/vouchers/voucher_lines.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/voucher.h"
#include "vouchers/worklines.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

using hk::app::testing::FakeUi;
using namespace hk::ui;
namespace v = hk::vouchers;
namespace data = hk::data;

class VoucherLinesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::optional<data::DataSet> ds;
    std::optional<hk::app::Session> session;
    FakeUi ui;

    data::FisDet line(const char* code, double debit, double credit, const char* text = "") {
        data::FisDet l;
        l.HESAPKODU = code;
        l.TLBORC = debit;
        l.TLALACAK = credit;
        l.BORCALACAK = debit != 0 ? "B" : "A";
        l.FISACK = text;
        return l;
    }
    std::string voucher(int m, int day, std::vector<data::FisDet> lines) {
        auto b = v::Books::open(*ds);
        v::Draft d = v::newDraft(*session);
        d.fiscalMonth = m;
        d.header.FISTRH = v::dateInFiscalMonth(*b->readCompany(), m, day);
        int n = 0;
        for (const auto& l : lines) v::insertLine(d.lines, l, n++);
        v::Env env{*session, ui, *ds};
        auto k = v::save(env, d, [](v::CashChoice&) { return true; });
        if (!k) qWarning() << QString::fromStdString(k.error().text);
        return k ? *k : std::string{};
    }
    static QStringList column(BrowsePanel* p, int c) {
        QStringList out;
        for (int r = 0; r < p->model()->rowCount(); ++r)
            out << p->model()->index(r, c).data().toString();
        return out;
    }
    static QString q(const std::string& s) { return QString::fromStdString(s); }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        const std::string path = dir->path().toStdString();
        ds.emplace(std::move(data::DataSet::open(data::Locations::resolve(path, path)).value()));
        session.emplace(dir->filePath("Hesapkar.INI").toStdString());
        ui = FakeUi{};
        data::Yasal y;
        y.MALIDONEMBAS = {1, 1, 2024};
        y.MALIDONEMSON = {31, 12, 2024};
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        QVERIFY(ds->open<data::Yasal>()->add(y).ok());
        session->setCompany(y);
        QVERIFY(session->setCalisilanAy(3).ok());
        auto p = ds->open<data::HsPlan>();
        for (auto [c, k] : std::vector<std::pair<const char*, const char*>>{
                 {"120", "K"}, {"120 01", "M"}, {"120 02", "M"}, {"600", "K"}, {"600 01", "M"}}) {
            data::HsPlan h;
            h.HESAPKODU = c;
            h.NTLK = k;
            QVERIFY(p->add(h).ok());
        }
    }
    void cleanup() {
        ds.reset();
        dir.reset();
    }

    void tabsListEveryLineOrTheChosenVouchersLinesByAccount() {
        const std::string a = voucher(3, 2, {line("600 01", 0, 50, "Satış"), line("120 02", 50, 0)});
        const std::string b = voucher(3, 5, {line("120 01", 70, 0, "Kira"), line("600 01", 0, 70)});
        Fisdetlistesi w(*ds, ui);
        QCOMPARE(w.windowTitle(), QStringLiteral("Fiş Detay Listesi"));
        QCOMPARE(w.panel()->tabs()->tabText(0), QStringLiteral("KeyStr"));
        QCOMPARE(w.panel()->tabs()->tabText(1), QStringLiteral("FisSiraNo"));
        QVERIFY(w.panel()->insertButton()->isHidden());
        QCOMPARE(column(w.panel(), 7), (QStringList{QStringLiteral("600 01"), QStringLiteral("120 02"),
                                                    QStringLiteral("120 01"), QStringLiteral("600 01")}));
        QCOMPARE(column(w.panel(), 9),
                 (QStringList{QStringLiteral("0.00"), QStringLiteral("50.00"), QStringLiteral("70.00"),
                              QStringLiteral("0.00")}));
        // Before a voucher is chosen the second tab lists nothing.
        w.panel()->tabs()->setCurrentIndex(1);
        QCOMPARE(w.panel()->model()->rowCount(), 0);
        w.chooseHeader = [a] { return std::optional<std::string>(a); };
        w.chooseButton()->click();
        QCOMPARE(w.voucherLabel()->text(), QStringLiteral("Fiş: ") + q(a));
        QCOMPARE(column(w.panel(), 7),
                 (QStringList{QStringLiteral("120 02"), QStringLiteral("600 01")}));
        QCOMPARE(column(w.panel(), 0), (QStringList{q(a), q(a)}));
        // Its locator is on the account code, inside the voucher.
        QTest::keyClicks(w.panel()->locator(), QStringLiteral("6"));
        QCOMPARE(w.panel()->selected()->cells[7], QStringLiteral("600 01"));
        // Back on the first tab the locator takes a key.
        w.panel()->tabs()->setCurrentIndex(0);
        QCOMPARE(w.panel()->model()->rowCount(), 4);
        w.panel()->locator()->clear();
        QTest::keyClicks(w.panel()->locator(), q(b));
        QCOMPARE(w.panel()->selected()->cells[0], q(b));
        // A choice left without a voucher changes nothing.
        w.chooseHeader = [] { return std::optional<std::string>{}; };
        w.chooseButton()->click();
        QCOMPARE(*w.voucherKey(), a);
    }

    void queryByExampleNarrowsTheListAndBadCriteriaKeepTheDialog() {
        voucher(3, 2, {line("600 01", 0, 50, "Satış"), line("120 02", 50, 0)});
        voucher(3, 5, {line("120 01", 70, 0, "Kira İadesi"), line("600 01", 0, 70)});
        Fisdetlistesi w(*ds, ui);
        std::function<void(LineQueryDialog&)> drive;
        w.askQuery = [&](const v::LineQueryText& start) -> std::optional<v::LineQuery> {
            LineQueryDialog d(ui, start);
            drive(d);
            if (d.result() != QDialog::Accepted) return std::nullopt;
            return d.query();
        };
        drive = [](LineQueryDialog& d) {
            d.description->setText(QStringLiteral("iade"));
            d.tryApply();
        };
        w.queryButton()->click();
        QCOMPARE(column(w.panel(), 8), QStringList{QStringLiteral("Kira İadesi")});
        // A date that is no date: the message, the dialog stays, the list is unchanged.
        drive = [](LineQueryDialog& d) {
            d.date->setText(QStringLiteral("32.01.2024"));
            d.tryApply();
            QCOMPARE(d.result(), int(QDialog::Rejected));
        };
        w.queryButton()->click();
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QVERIFY(ui.messages[0].text.find("Fis Trh") != std::string::npos);
        QCOMPARE(w.panel()->model()->rowCount(), 1);
        // An empty query lists everything again.
        w.applyQuery(v::LineQuery{});
        QCOMPARE(w.panel()->model()->rowCount(), 4);
        w.applyQuery(*v::parseLineQuery({.side = "A"}));
        QCOMPARE(column(w.panel(), 1), (QStringList{QStringLiteral("A"), QStringLiteral("A")}));
    }

    void excelExportsTheListedLinesAfterTheQuestion() {
        voucher(3, 2, {line("600 01", 0, 50, "Satış"), line("120 02", 50, 0)});
        voucher(3, 5, {line("120 01", 70, 0, "Kira"), line("600 01", 0, 70)});
        Fisdetlistesi w(*ds, ui);
        const std::string book = dir->filePath("satirlar.xlsx").toStdString();
        w.target.path = book;
        w.applyQuery(*v::parseLineQuery({.account = "600"}));
        ui.answer(2); // "&Hayır": nothing written
        w.excelButton()->click();
        QCOMPARE(ui.messages[0].text, std::string("Liste Excele Aktarılsın Mı?"));
        QCOMPARE(ui.messages[0].caption, std::string("Excel Aktarımı"));
        QVERIFY(!QFile::exists(q(book)));
        ui.answer(1);
        w.excelButton()->click();
        auto wb = hk::output::Workbook::open(book);
        QVERIFY(wb.ok());
        QCOMPARE(wb->cellText(1, 1), std::string("Key Str"));
        QCOMPARE(wb->cellText(1, 10), std::string("BT l"));
        QCOMPARE(wb->rowCount(), std::uint32_t(3)); // the heading and the two listed lines
        QCOMPARE(wb->cellText(2, 8), std::string("600 01"));
        QCOMPARE(wb->cellText(3, 11), std::string("70"));
    }

    void headerListChoosesAVoucherAndExportsEveryHeader() {
        const std::string a = voucher(3, 2, {line("600 01", 0, 50), line("120 02", 50, 0)});
        const std::string b = voucher(4, 5, {line("120 01", 70, 0), line("600 01", 0, 70)});
        SelectHkFisBas w(*ds, ui, true);
        QCOMPARE(w.windowTitle(), QStringLiteral("Fiş Başlık Listesi"));
        QCOMPARE(column(w.panel(), 0), (QStringList{q(a), q(b)}));
        QSignalSpy picked(&w, &SelectHkFisBas::picked);
        QTest::keyClicks(w.panel()->locator(), QStringLiteral("04"));
        w.selectButton()->click();
        QCOMPARE(picked.count(), 1);
        QCOMPARE(w.chosen().value_or(""), b);

        const std::string book = dir->filePath("basliklar.xlsx").toStdString();
        w.target.path = book;
        ui.answer(1);
        w.excelButton()->click();
        auto wb = hk::output::Workbook::open(book);
        QVERIFY(wb.ok());
        QCOMPARE(wb->cellText(1, 6), std::string("BT oplam"));
        QCOMPARE(wb->rowCount(), std::uint32_t(3));
        QCOMPARE(wb->cellText(3, 1), b);
        QCOMPARE(wb->cellText(3, 6), std::string("70"));
    }
};

QTEST_MAIN(VoucherLinesTest)
#include "voucher_lines_test.moc"
