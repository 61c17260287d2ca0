// The small voucher windows: "FisYaz" (one voucher to the printer by its key), the counter repair
// window, the standard descriptions list with its form, the attribute list edited in place and
// used for a choice, and the voucher list's long tools going through the procedure runner (the
// list keeps its place, a cancelled voucher stays red when selected).
#include "app/rights.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "output/sheet_reader.h"
#include "procedures/all.h"
#include "ui/framework/fields.h"
#include "ui/vouchers/voucher_ack.h"
#include "ui/vouchers/voucher_list.h"
#include "ui/vouchers/voucher_print.h"
#include "ui/vouchers/voucher_tools.h"
#include "vouchers/books.h"
#include "vouchers/descriptions.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/tools.h"
#include "vouchers/voucher.h"
#include "vouchers/worklines.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using hk::app::testing::FakeUi;
using namespace hk::ui;
namespace v = hk::vouchers;
namespace data = hk::data;

class VoucherWindowsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::optional<data::DataSet> ds;
    std::optional<hk::app::Session> session;
    std::optional<hk::app::RightsService> rights;
    std::optional<hk::app::ProcedureContext> pctx;
    hk::app::ProcedureRegistry registry;
    FakeUi ui;
    std::vector<hk::output::Document> previews;
    std::vector<std::pair<std::string, std::string>> runs; // procedure, argument

    void company(int fisNoSirasiMonthly = 1) {
        data::Yasal y;
        y.MALIDONEMBAS = {1, 1, 2024};
        y.MALIDONEMSON = {31, 12, 2024};
        y.SIRKETUNVANI1 = "Deneme";
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = fisNoSirasiMonthly ? "A" : "G";
        y.KASAHESAPKODU = "100 01";
        auto t = ds->open<data::Yasal>();
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        QVERIFY(session->setCalisilanAy(3).ok());
    }
    std::string voucher(int m, int day, double amount, const std::string& attribute = "N") {
        auto b = v::Books::open(*ds);
        v::Draft d = v::newDraft(*session);
        d.fiscalMonth = m;
        d.header.FISTUR = "M";
        d.header.FISNTLK = attribute;
        d.header.FISTRH = v::dateInFiscalMonth(*b->readCompany(), m, day);
        data::FisDet a;
        a.HESAPKODU = "120 01";
        a.TLBORC = amount;
        a.BORCALACAK = "B";
        v::insertLine(d.lines, a, 0);
        data::FisDet c;
        c.HESAPKODU = "600 01";
        c.TLALACAK = amount;
        c.BORCALACAK = "A";
        v::insertLine(d.lines, c, 1);
        v::Env env{*session, ui, *ds};
        auto k = v::save(env, d, [](v::CashChoice&) { return true; });
        if (!k) qWarning() << QString::fromStdString(k.error().text);
        return k ? *k : std::string{};
    }
    data::Yasal storedCompany() {
        auto b = v::Books::open(*ds);
        return *b->readCompany();
    }
    // Runs registered procedures here, recording what was asked.
    RunProcedure runner() {
        return [this](const std::string& name, hk::app::Options o, std::function<void(bool)> done) {
            runs.emplace_back(name, o.argument);
            runHere(registry, *pctx)(name, std::move(o), std::move(done));
        };
    }
    VoucherListContext listCtx() {
        VoucherListContext c;
        c.data = &*ds;
        c.session = &*session;
        c.ui = &ui;
        c.rights = &*rights;
        c.openForm = [](const std::string&) { return false; };
        c.runModal = [](QDialog&) { return 0; };
        c.runProcedure = runner();
        return c;
    }
    SheetRoutes routes() {
        SheetRoutes r;
        r.preview = [this](hk::output::Document d) { previews.push_back(std::move(d)); };
        return r;
    }
    static QStringList rowsOf(QTableWidget* t, int column) {
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, column)->text();
        return out;
    }
    static QStringList rowsOf(BrowsePanel* p, int column) {
        QStringList out;
        for (int r = 0; r < p->model()->rowCount(); ++r)
            out << p->model()->index(r, column).data().toString();
        return out;
    }
    std::vector<std::string> texts() {
        auto d = v::descriptions(*ds);
        return d ? *d : std::vector<std::string>{};
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        const std::string path = dir->path().toStdString();
        ds.emplace(std::move(data::DataSet::open(data::Locations::resolve(path, path)).value()));
        session.emplace(dir->filePath("Hesapkar.INI").toStdString());
        rights.emplace("HESAPKAR", true, hk::app::RightsLookup{});
        pctx.emplace(hk::app::ProcedureContext{*session, ui, *rights, *ds});
        registry = hk::app::ProcedureRegistry{};
        hk::procedures::registerAll(registry);
        ui = FakeUi{};
        previews.clear();
        runs.clear();
        auto p = ds->open<data::HsPlan>();
        for (auto [c, k] : std::vector<std::pair<const char*, const char*>>{
                 {"100", "K"}, {"100 01", "M"}, {"120", "K"}, {"120 01", "M"}, {"120 02", "M"},
                 {"600", "K"}, {"600 01", "M"}}) {
            data::HsPlan h;
            h.HESAPKODU = c;
            h.NTLK = k;
            h.HESAPAD1 = std::string("Ad ") + c;
            QVERIFY(p->add(h).ok());
        }
        auto n = ds->open<data::Nitelik>();
        for (auto [c, a] : std::vector<std::pair<const char*, const char*>>{
                 {"N", "Normal Fiş"}, {"IPT", "İptal Fişi"}, {"ACF", "Açılış Fişi"}})
            QVERIFY(n->add(data::Nitelik{c, a}).ok());
    }
    void cleanup() {
        pctx.reset();
        ds.reset();
        dir.reset();
    }

    // ---- FisYaz ----------------------------------------------------------------------------

    void printByKeyRefusesAnEmptyOrUnknownKeyAndPrintsAKnownOne() {
        company();
        const std::string key = voucher(3, 5, 40);
        QVERIFY(session->setYaziciAdi("Laser").ok());
        struct Case {
            std::string key;
            std::string message; // empty: printed
        } cases[] = {
            {"", kNoVoucherToPrint},
            {"   ", kNoVoucherToPrint},
            {"0399999999", std::string("0399999999") + kVoucherToPrintMissing},
            {key, ""},
        };
        for (const auto& c : cases) {
            ui.messages.clear();
            previews.clear();
            const bool printed = printVoucher(*ds, *session, ui, routes(), c.key);
            QCOMPARE(printed, c.message.empty());
            QCOMPARE(previews.size(), std::size_t(c.message.empty() ? 1 : 0));
            if (c.message.empty()) {
                QVERIFY(ui.messages.empty());
                bool hasAccount = false;
                for (const auto& page : previews[0].pages)
                    for (const auto& line : page.lines)
                        for (const auto& part : line.parts)
                            hasAccount = hasAccount ||
                                         (!part.control && part.bytes.find("120 01") != std::string::npos);
                QVERIFY(hasAccount);
            } else {
                QCOMPARE(ui.messages.size(), std::size_t(1));
                QCOMPARE(ui.messages[0].text, c.message);
            }
        }
    }

    // ---- FisNumaratorDuzeltEkrani ----------------------------------------------------------

    void counterRepairRunsPerMonthAndClosesAfterAllMonths() {
        company();
        voucher(3, 2, 10);
        voucher(3, 4, 10);
        voucher(5, 4, 10);
        // Counters spoiled by hand: month 3 at 9, month 5 at 7.
        {
            auto b = v::Books::open(*ds);
            auto y = *b->readCompany();
            y.MAHSUPNUMARATOR[2] = 9;
            y.MAHSUPNUMARATOR[4] = 7;
            QVERIFY(b->writeCompany(y).ok());
        }
        FisNumaratorDuzeltWindow w(runner());
        QCOMPARE(w.windowTitle(), QStringLiteral("Fiş Numarator Düzelt Ekranı"));
        QVERIFY(w.monthField()->text().isEmpty());
        QCOMPARE(w.fixButton()->text(), QStringLiteral("Düzelt"));
        QCOMPARE(w.exitButton()->text(), QStringLiteral("Çıkış"));

        w.monthField()->setText(QStringLiteral("3"));
        w.fixButton()->click();
        QCOMPARE(runs.back(), (std::pair<std::string, std::string>{"FisNumaratorDuzelt", "3"}));
        QCOMPARE(storedCompany().MAHSUPNUMARATOR[2], std::int16_t(2));
        QCOMPARE(storedCompany().MAHSUPNUMARATOR[4], std::int16_t(7)); // other months untouched
        QCOMPARE(w.result(), int(QDialog::Rejected));                  // still open
        QVERIFY(w.fixButton()->isEnabled());

        w.monthField()->setText(QStringLiteral("h"));
        w.fixButton()->click();
        QCOMPARE(runs.back(), (std::pair<std::string, std::string>{"FisNumaratorDuzelt", "H"}));
        QCOMPARE(storedCompany().MAHSUPNUMARATOR[4], std::int16_t(1));
        QCOMPARE(w.result(), int(QDialog::Accepted)); // closed after every month
    }

    void counterRepairWithoutAMonthChangesNothingAndStaysOpen() {
        company();
        voucher(3, 2, 10);
        {
            auto b = v::Books::open(*ds);
            auto y = *b->readCompany();
            y.MAHSUPNUMARATOR[2] = 9;
            QVERIFY(b->writeCompany(y).ok());
        }
        FisNumaratorDuzeltWindow w(runner());
        for (const char* typed : {"", "x"}) {
            w.monthField()->setText(QString::fromUtf8(typed));
            w.fixButton()->click();
            QCOMPARE(storedCompany().MAHSUPNUMARATOR[2], std::int16_t(9));
            QCOMPARE(w.result(), int(QDialog::Rejected));
        }
    }

    // ---- FisAck ----------------------------------------------------------------------------

    void descriptionListAddsChangesAndDeletesThroughItsForm() {
        QVERIFY(v::addDescription(*ds, ui, "Kira Ödemesi").ok());
        std::function<void(FFisAck&)> fill;
        DescriptionContext c{&*ds, &ui, nullptr, [&fill](QDialog& d) {
                                 auto& f = dynamic_cast<FFisAck&>(d);
                                 fill(f);
                                 return f.result();
                             }};
        FisAckList l(c, false);
        QCOMPARE(l.windowTitle(), QStringLiteral("Fiş Açıklama Listesi"));
        QVERIFY(!l.selectButton()->isVisible() && l.selectButton()->isHidden());
        QCOMPARE(rowsOf(l.panel(), 0), QStringList{QStringLiteral("Kira Ödemesi")});

        fill = [this](FFisAck& f) {
            QCOMPARE(f.windowTitle(), QStringLiteral("Fiş Açıklama Girişi"));
            QCOMPARE(f.saveButton()->text(), QStringLiteral("Tamam"));
            QCOMPARE(f.cancelButton()->text(), QStringLiteral("İptal"));
            f.field()->setText(QStringLiteral("Avans İadesi"));
            ui.answer(2); // message 3: no other record
            f.trySave();
        };
        l.panel()->insert();
        QCOMPARE(rowsOf(l.panel(), 0),
                 (QStringList{QStringLiteral("Avans İadesi"), QStringLiteral("Kira Ödemesi")}));

        l.panel()->selectRow(1);
        fill = [this](FFisAck& f) {
            QCOMPARE(f.windowTitle(), QStringLiteral("Fiş Açıklama Değişiklik"));
            QCOMPARE(f.field()->text(), QStringLiteral("Kira Ödemesi"));
            f.field()->setText(QStringLiteral("Şube Kirası"));
            ui.answer(1); // message 35: write the change
            f.trySave();
        };
        l.panel()->change();
        QCOMPARE(texts(), (std::vector<std::string>{"Avans İadesi", "Şube Kirası"}));

        l.panel()->selectRow(0);
        ui.answer(1); // message 9: delete
        l.panel()->remove();
        QCOMPARE(texts(), std::vector<std::string>{"Şube Kirası"});
    }

    void descriptionFormRefusesABlankOrDuplicateTextAndStaysOpen() {
        QVERIFY(v::addDescription(*ds, ui, "Kira Ödemesi").ok());
        ui.messages.clear();
        for (const char* typed : {"   ", "KİRA ÖDEMESİ"}) {
            FFisAck f(DescriptionContext{&*ds, &ui, nullptr, {}}, FormMode::Insert, {});
            f.field()->setText(QString::fromUtf8(typed));
            f.trySave();
            QCOMPARE(f.result(), int(QDialog::Rejected));
            QCOMPARE(ui.messages.size(), std::size_t(1));
            ui.messages.clear();
        }
        QCOMPARE(texts(), std::vector<std::string>{"Kira Ödemesi"});
    }

    void descriptionListInSelectionModeHandsBackTheHighlightedText() {
        for (const char* t : {"Avans", "Kira", "Maaş"}) QVERIFY(v::addDescription(*ds, ui, t).ok());
        FisAckList l(DescriptionContext{&*ds, &ui, nullptr, {}}, true);
        QVERIFY(!l.selectButton()->isHidden());
        QSignalSpy picked(&l, &FisAckList::picked);
        QTest::keyClicks(l.panel()->locator(), QStringLiteral("ki"));
        QCOMPARE(l.panel()->selected()->cells[0], QStringLiteral("Kira"));
        l.selectButton()->click();
        QCOMPARE(picked.count(), 1);
        QCOMPARE(l.chosen().value_or(""), std::string("Kira"));
    }

    // ---- FisNitelik ------------------------------------------------------------------------

    void attributeListShowsCodeOrderAndEditsRowsInPlace() {
        FisNitelikWindow w(*ds, ui, false);
        QCOMPARE(w.windowTitle(), QStringLiteral("Fiş Nitelik Listesi"));
        QCOMPARE(w.table()->horizontalHeaderItem(0)->text(), QStringLiteral("Nitelik"));
        QCOMPARE(w.table()->horizontalHeaderItem(1)->text(), QStringLiteral("Açıklaması"));
        QCOMPARE(rowsOf(w.table(), 0),
                 (QStringList{QStringLiteral("ACF"), QStringLiteral("IPT"), QStringLiteral("N")}));
        QVERIFY(w.selectButton()->isHidden());

        // A new row: the code is typed first (upper-cased), the description saves it.
        w.insertButton()->click();
        QCOMPARE(w.table()->rowCount(), 4);
        w.table()->item(3, 0)->setText(QStringLiteral("ozl"));
        QCOMPARE(w.table()->item(3, 0)->text(), QStringLiteral("OZL"));
        QVERIFY(!v::attributeExists(*ds, "OZL").value());
        w.table()->item(3, 1)->setText(QStringLiteral("Özel Fiş"));
        QVERIFY(v::attributeExists(*ds, "OZL").value());
        QCOMPARE(rowsOf(w.table(), 0), (QStringList{QStringLiteral("ACF"), QStringLiteral("IPT"),
                                                    QStringLiteral("N"), QStringLiteral("OZL")}));
        QCOMPARE(w.table()->currentRow(), 3);

        // A change of the highlighted row's description; its code cannot be typed over.
        w.table()->selectRow(2);
        w.changeButton()->click();
        QVERIFY(!(w.table()->item(2, 0)->flags() & Qt::ItemIsEditable));
        w.table()->item(2, 1)->setText(QStringLiteral("Olağan Fiş"));
        auto rows = v::attributes(*ds).value();
        QCOMPARE(rows[2].ACK, std::string("Olağan Fiş"));
        QVERIFY(ui.messages.empty());
    }

    void attributeListRefusesADuplicateOrBlankCodeAndWritesNothing() {
        FisNitelikWindow w(*ds, ui, false);
        struct Case {
            const char* code;
        } cases[] = {{"N"}, {""}};
        for (const auto& c : cases) {
            ui.messages.clear();
            w.insertButton()->click();
            const int r = w.table()->rowCount() - 1;
            w.table()->item(r, 0)->setText(QString::fromUtf8(c.code));
            w.table()->item(r, 1)->setText(QStringLiteral("İkinci"));
            QCOMPARE(ui.messages.size(), std::size_t(1));
            QCOMPARE(w.table()->rowCount(), 3); // the list read again: the refused row is gone
        }
        auto rows = v::attributes(*ds).value();
        QCOMPARE(rows.size(), std::size_t(3));
        QCOMPARE(rows[2].ACK, std::string("Normal Fiş"));
    }

    void attributeListInSelectionModeReturnsTheCode() {
        FisNitelikWindow w(*ds, ui, true);
        QVERIFY(!w.selectButton()->isHidden());
        QSignalSpy picked(&w, &FisNitelikWindow::picked);
        w.table()->selectRow(1);
        w.selectButton()->click();
        QCOMPARE(picked.count(), 1);
        QCOMPARE(w.chosen().value_or(""), std::string("IPT"));
    }

    void transferWindowOpensTheAttributeListForAnUnknownCode() {
        company();
        const std::string key = voucher(3, 5, 40);
        VoucherListContext c = listCtx();
        int asked = 0;
        std::optional<std::string> answer;
        c.chooseAttribute = [&] {
            ++asked;
            return answer;
        };
        FisTransferWindow w(c, key);
        QVERIFY(w.opened());
        // Unknown code, list left without a choice: back to the field, nothing moved.
        w.attributeField()->setText(QStringLiteral("ZZ"));
        w.transferButton()->click();
        QCOMPARE(asked, 1);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(v::Books::open(*ds)->head(key)->FISNTLK, std::string("N"));
        // A fixed code needs no list.
        w.attributeField()->setText(QStringLiteral("yan"));
        answer = "IPT";
        w.attributeLookup()->click(); // the lookup button opens it directly
        QCOMPARE(asked, 2);
        QCOMPARE(w.attributeField()->text(), QStringLiteral("IPT"));
        w.transferButton()->click();
        QCOMPARE(asked, 2);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(v::Books::open(*ds)->head(key)->FISNTLK, std::string("IPT"));
    }

    void bulkPrintUsesTheAttributeListWhenGiven() {
        company();
        voucher(3, 5, 40, "IPT");
        QVERIFY(session->setYaziciAdi("Laser").ok());
        BulkPrintWindow w(*ds, *session, ui, routes());
        w.chooseAttribute = [] { return std::optional<std::string>("IPT"); };
        w.tarihBasi->setText(QStringLiteral("01.03.2024"));
        w.nitelik->setText(QStringLiteral("QQ"));
        w.fisYaz->click();
        QCOMPARE(w.nitelik->textValue(), std::string("IPT"));
        QCOMPARE(previews.size(), std::size_t(1));
    }

    // ---- the voucher list's tools ----------------------------------------------------------

    void longToolsGoThroughTheRunnerAndTheListKeepsItsPlace() {
        company();
        voucher(3, 2, 10);
        voucher(3, 3, 20);
        voucher(3, 4, 30);
        // Spoil month 3's totals so the rebuild has something to mend.
        {
            auto b = v::Books::open(*ds);
            auto a = *b->account("120 01");
            a.TLBORC[2] = 1;
            QVERIFY(b->plan.put(a).ok());
        }
        FisListesi l(listCtx());
        l.panel()->selectRow(1);
        l.button(QStringLiteral("Mizan Düzelt"))->click();
        QCOMPARE(runs.back().first, std::string("MizanDuzelt"));
        QCOMPARE(v::totalsOf(*v::Books::open(*ds)->account("120 01")).months[2][0], 60.0);
        QCOMPARE(l.panel()->selectedIndex(), 1);
    }

    void accountTransferAndExportsGoThroughTheRunner() {
        company();
        voucher(3, 2, 10);
        VoucherListContext c = listCtx();
        HesapTransferWindow w(c, "120 01");
        w.targetField()->setText(QStringLiteral("120"));
        w.transferButton()->click();
        QCOMPARE(runs.back().first, std::string("HesapTransferi"));
        QCOMPARE(ui.messages.back().text, std::string("Seçilen Hesap Kodu Muavin Kod Olmalı!"));
        QCOMPARE(w.result(), int(QDialog::Rejected)); // open for a correction
        QVERIFY(w.transferButton()->isEnabled());
        w.targetField()->setText(QStringLiteral("120 02"));
        w.transferButton()->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        auto b = v::Books::open(*ds);
        QCOMPARE(v::totalsOf(*b->account("120 02")).months[2][0], 10.0);

        ExcelFisDetayAktarWindow x(listCtx());
        x.target = dir->filePath("detay.xlsx").toStdString();
        ui.answer(2); // declined: not done
        x.exportJournal(true);
        QCOMPARE(runs.back().first, std::string("YevmiyeExcelYaz"));
        QVERIFY(x.statusLine()->text().isEmpty());
        QVERIFY(!QFile::exists(dir->filePath("detay.xlsx")));
        ui.answer(1);
        x.exportMonth();
        QCOMPARE(runs.back().first, std::string("FisDetayExcelYaz"));
        QCOMPARE(x.statusLine()->text(), QStringLiteral("İşlem Tamamlandı"));
        QVERIFY(QFile::exists(dir->filePath("detay.xlsx")));
    }

    void listExportRunsThroughTheRunnerWithTheListsState() {
        company();
        voucher(3, 2, 10);
        voucher(5, 3, 20);
        voucher(5, 4, 30, "IPT");
        FisListesi l(listCtx());
        l.exportTarget = dir->filePath("liste.xlsx").toStdString();
        l.setWholeYear(true);
        ui.answer(1);
        l.button(QStringLiteral("Fiş Listesi Excel"))->click();
        QCOMPARE(runs.back().first, std::string("FisListesiExcelYaz"));
        auto wb = hk::output::Workbook::open(l.exportTarget);
        QVERIFY(wb.ok());
        QCOMPARE(wb->rowCount(), std::uint32_t(4)); // the heading and the year's three vouchers
        QCOMPARE(wb->cellText(1, 1), std::string("Key Str"));
        QCOMPARE(wb->cellText(4, 5), std::string("IPT"));
        // Back to the month: only month 3's voucher.
        l.setWholeYear(false);
        ui.answer(1);
        l.button(QStringLiteral("Fiş Listesi Excel"))->click();
        wb = hk::output::Workbook::open(l.exportTarget);
        QVERIFY(wb.ok());
        QCOMPARE(wb->rowCount(), std::uint32_t(2));
    }

    void cancelledVoucherStaysRedWhenSelected() {
        company();
        voucher(3, 2, 10, "IPT");
        FisListesi l(listCtx());
        l.resize(900, 400);
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        l.panel()->selectRow(0);
        QTableView* view = l.panel()->view();
        const QRect row = view->visualRect(l.panel()->model()->index(0, 5))
                              .united(view->visualRect(l.panel()->model()->index(0, 6)));
        const QImage img = view->viewport()->grab(row).toImage();
        int red = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++red;
            }
        QVERIFY2(red > 5, "the selected cancelled voucher is painted without red text");
    }
};

QTEST_MAIN(VoucherWindowsTest)
#include "voucher_windows_test.moc"
