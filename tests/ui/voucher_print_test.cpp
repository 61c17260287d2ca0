// The voucher sheet windows: the print glue (preview or raw queue by printer kind), "Toplu Fiş
// Yaz" (start copied into end, nothing without a start date, the attribute lookup, the
// selection printed), and the expense-voucher import window (a missing file keeps it open, a
// good workbook is imported and closes it).
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "output/sheet.h"
#include "output/xlsx_writer.h"
#include "ui/framework/fields.h"
#include "ui/vouchers/voucher_print.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <sstream>

using hk::app::testing::FakeUi;
namespace data = hk::data;
namespace ui = hk::ui;

class VoucherPrintTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::optional<data::DataSet> ds;
    std::unique_ptr<hk::app::Session> session;
    FakeUi fake;
    std::vector<hk::output::Document> previews;

    void voucher(int day, int no, const char* type, const char* attribute = "N") {
        auto h = ds->open<data::FisBas>();
        auto l = ds->open<data::FisDet>();
        QVERIFY(h && l);
        data::FisBas b;
        char key[16];
        std::snprintf(key, sizeof key, "03%08d", no);
        b.KEYSTR = key;
        b.FISTRH = hk::core::Date{static_cast<std::uint8_t>(day), 3, 2024};
        b.FISNO = static_cast<std::int16_t>(no);
        b.FISTUR = type;
        b.FISNTLK = attribute;
        QVERIFY(h->add(b).ok());
        int k = 0;
        for (auto [code, side] : {std::pair{"120 01", "B"}, std::pair{"600 01", "A"}}) {
            data::FisDet x;
            x.KEYSTR = key;
            x.FISSIRANO = static_cast<std::int16_t>(++k);
            x.ACKNO = k * 100;
            x.HESAPKODU = code;
            x.BORCALACAK = side;
            (std::string(side) == "B" ? x.TLBORC : x.TLALACAK) = 40;
            QVERIFY(l->add(x).ok());
        }
    }
    ui::SheetRoutes routes() {
        ui::SheetRoutes r;
        r.preview = [this](hk::output::Document d) { previews.push_back(std::move(d)); };
        return r;
    }
    static void type(QLineEdit* e, const QString& s) {
        e->setText(s);
        emit e->editingFinished();
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        const std::string path = dir->path().toStdString();
        ds.emplace(std::move(data::DataSet::open(data::Locations::resolve(path, path)).value()));
        session = std::make_unique<hk::app::Session>(std::filesystem::path(path) / "Hesapkar.INI");
        data::Yasal y;
        y.MALIDONEMBAS = hk::core::Date{1, 1, 2024};
        y.MALIDONEMSON = hk::core::Date{31, 12, 2024};
        y.SIRKETUNVANI1 = "Deneme";
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        auto t = ds->open<data::Yasal>();
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        auto p = ds->open<data::HsPlan>();
        for (const char* c : {"120", "120 01", "600", "600 01"}) {
            data::HsPlan h;
            h.HESAPKODU = c;
            h.NTLK = std::string(c).find(' ') == std::string::npos ? "K" : "M";
            QVERIFY(p->add(h).ok());
        }
        auto n = ds->open<data::Nitelik>();
        QVERIFY(n->add(data::Nitelik{"N", "Normal Fiş"}).ok());
        QVERIFY(n->add(data::Nitelik{"YAN", "Yansıtma Fişi"}).ok());
        fake = FakeUi{};
        previews.clear();
    }
    void cleanup() {
        ds.reset();
        dir.reset();
    }

    void printGoesToThePreviewOrTheRawQueueByPrinterKind() {
        voucher(5, 1, "M");
        QVERIFY(session->setYaziciAdi("Laser").ok());
        QVERIFY(ui::printVoucherSheets(*ds, *session, fake, routes(), "0300000001", "0300000001"));
        QCOMPARE(previews.size(), std::size_t(1));
        QCOMPARE(previews[0].pages.size(), std::size_t(1));

        QVERIFY(session->setYaziciAdi("NPQ-Muhasebe").ok());
        const std::string file = dir->filePath("queue.prn").toStdString();
        ui::SheetRoutes raw = routes();
        raw.raw = [&](const std::string&) { return hk::output::openRawFile(file); };
        QVERIFY(ui::printVoucherSheets(*ds, *session, fake, raw, "0300000001", "0300000001"));
        QCOMPARE(previews.size(), std::size_t(1));
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        QVERIFY(ss.str().rfind("\x1B@\x1B" "CB", 0) == 0);
        QVERIFY(ss.str().find("( M A H S U P )") != std::string::npos);
    }

    void bulkPrintCopiesStartsAndPrintsTheSelection() {
        voucher(5, 1, "M");
        voucher(6, 2, "M", "YAN");
        voucher(6, 3, "A");
        voucher(9, 4, "M");
        QVERIFY(session->setYaziciAdi("Laser").ok());
        ui::BulkPrintWindow w(*ds, *session, fake, routes());
        // Nothing without a start date.
        w.fisYaz->click();
        QVERIFY(previews.empty());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        type(w.tarihBasi, QStringLiteral("05.03.2024"));
        QCOMPARE(w.tarihSonu->text(), w.tarihBasi->text());
        type(w.noBasi, QStringLiteral("1"));
        QCOMPARE(w.noSonu->text(), w.noBasi->text());
        type(w.tarihSonu, QStringLiteral("06.03.2024"));
        type(w.noSonu, QStringLiteral("0"));
        w.fisYaz->click();
        QCOMPARE(previews.size(), std::size_t(2)); // Mahsup 1 and 2; the Tahsil and the 9th left out
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    void unknownAttributeOpensTheListAndCancelPrintsNothing() {
        voucher(5, 1, "M");
        voucher(6, 2, "M", "YAN");
        QVERIFY(session->setYaziciAdi("Laser").ok());
        ui::BulkPrintWindow w(*ds, *session, fake, routes());
        type(w.tarihBasi, QStringLiteral("01.03.2024"));
        type(w.tarihSonu, QStringLiteral(""));
        fake.picks.push_back(-1);
        type(w.nitelik, QStringLiteral("ZZ"));
        QCOMPARE(w.nitelik->textValue(), std::string("ZZ"));
        fake.picks.push_back(-1);
        w.fisYaz->click();
        QVERIFY(previews.empty());
        fake.picks.push_back(1); // "YAN" in code order after "N"
        w.nitelikAra->click();
        QCOMPARE(w.nitelik->textValue(), std::string("YAN"));
        w.fisYaz->click();
        QCOMPARE(previews.size(), std::size_t(1));
    }

    void importWindowKeepsOpenOnAMissingFileAndImportsAWorkbook() {
        ui::SheetImportWindow w(*ds, *session, fake);
        QCOMPARE(w.windowTitle(), QStringLiteral("Excel'den Masraf Fişi Oku"));
        const QString missing = dir->filePath("yok.xlsx");
        w.dosya->setText(missing);
        w.oku->click();
        QCOMPARE(fake.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(fake.messages[0].text),
                 missing + QStringLiteral("\nDosyası Bulunamıyor.!"));
        QCOMPARE(w.result(), int(QDialog::Rejected));

        hk::output::Sheet s;
        s.row().text("Tarih").text("Fiş");
        s.row().text("05.03.2024").text("F1").empty().text("Kira").empty().empty();
        s.text("120 01").number(10).empty().empty().text("600 01").number(10);
        const std::string book = dir->filePath("masraf.xlsx").toStdString();
        QVERIFY(hk::output::writeXlsx(s, book).ok());
        fake.files.push_back(book);
        w.dosyaAra->click();
        QCOMPARE(w.dosya->text().toStdString(), book);
        w.belgeTipi->setCurrentText(QStringLiteral("Fatura"));
        w.oku->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(w.durum->text().startsWith(QStringLiteral("1 fiş kaydedildi")));
        auto h = ds->open<data::FisBas>();
        QCOMPARE(h->count().value(), std::int64_t(1));
    }
};

QTEST_MAIN(VoucherPrintTest)
#include "voucher_print_test.moc"
