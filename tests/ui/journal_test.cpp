// The journal window: the month rules, the end-date message, the controls hidden for text
// printers, the recorder check, runs through the preview and a raw queue with the state re-read
// afterwards, and the document-type check on its own thread.
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "journal/run.h"
#include "output/raw.h"
#include "ui/framework/fields.h"
#include "ui/journal/journal_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using hk::app::testing::FakeUi;
using hk::ui::JournalWindow;
namespace data = hk::data;

namespace {

hk::core::Date d(int day, int month, int year) {
    return hk::core::Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                          static_cast<std::uint16_t>(year)};
}

} // namespace

class JournalWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::optional<data::DataSet> ds;
    std::unique_ptr<hk::app::Session> session;
    FakeUi ui;
    std::vector<hk::output::Document> previews;

    void voucher(hk::core::Date date, int no, const char* type1, const char* type2) {
        auto h = ds->open<data::FisBas>();
        auto l = ds->open<data::FisDet>();
        QVERIFY(h && l);
        data::FisBas b;
        char key[16];
        std::snprintf(key, sizeof key, "%02d%08d", date.month, no);
        b.KEYSTR = key;
        b.FISTRH = date;
        b.FISNO = static_cast<std::int16_t>(no);
        b.FISTUR = "M";
        b.FISNTLK = "N";
        QVERIFY(h->add(b).ok());
        int k = 0;
        for (auto [code, side, type] :
             {std::tuple{"100", "B", type1}, std::tuple{"600", "A", type2}}) {
            data::FisDet x;
            x.KEYSTR = key;
            x.FISSIRANO = static_cast<std::int16_t>(++k);
            x.ACKNO = k * 100;
            x.HESAPKODU = code;
            x.BORCALACAK = side;
            (std::string(side) == "B" ? x.TLBORC : x.TLALACAK) = 40;
            x.FISACK = "Satış";
            x.BELGETIPI = type;
            QVERIFY(l->add(x).ok());
        }
    }
    void setState(int lastMonth) {
        auto t = ds->open<data::Yasal>();
        auto y = hk::journal::readCompany(*t);
        y->SONYEVMIYEAY = static_cast<std::int16_t>(lastMonth);
        QVERIFY(t->put(*y).ok());
    }
    std::unique_ptr<JournalWindow> window(hk::ui::JournalRoutes routes = {}) {
        if (!routes.preview)
            routes.preview = [this](hk::output::Document doc) {
                previews.push_back(std::move(doc));
            };
        return std::make_unique<JournalWindow>(*ds, *session, ui, std::move(routes));
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
        y.VERGIDAIRESINO = "111";
        auto t = ds->open<data::Yasal>();
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        ui = FakeUi{};
        previews.clear();
    }
    void cleanup() {
        ds.reset();
        dir.reset();
    }

    void firstUseProposesMonthOneAndShowsTheFontForOrdinaryPrinters() {
        QVERIFY(session->setYaziciAdi("Laser").ok());
        auto w = window();
        QCOMPARE(w->month(), 1);
        QCOMPARE(w->sonAy->text(), QStringLiteral(" 0"));
        QCOMPARE(w->fontNo->number().value(), 6.0);
        QVERIFY(!w->fontNo->isHidden());
        QVERIFY(!w->sayfaAdedi->isHidden());
        QVERIFY(w->tastikliHayir->isChecked());
        QVERIFY(w->acilisEvet->isChecked());
        QVERIFY(w->kapanisHayir->isChecked());
    }

    void textPrintersHideTheFontAndThePageCount() {
        for (const char* printer : {"Muhasebe-NPQ", "lpq1"}) {
            QVERIFY(session->setYaziciAdi(printer).ok());
            auto w = window();
            QVERIFY(w->fontNo->isHidden());
            QVERIFY(w->fontLabel->isHidden());
            QVERIFY(w->sayfaAdedi->isHidden());
        }
    }

    void aLowerMonthIsRaisedAndAHigherOneLoweredWithoutRunning() {
        setState(3);
        voucher(d(5, 4, 2024), 1, "", "");
        auto w = window();
        QCOMPARE(w->month(), 4);
        w->setMonth(1);
        w->monthAccepted();
        QCOMPARE(w->month(), 3);
        w->setMonth(9);
        w->print();
        QCOMPARE(w->month(), 4);
        QVERIFY(previews.empty());
        QVERIFY(ui.messages.empty());
    }

    void anEndDateOutsideTheMonthIsRefused() {
        auto w = window();
        w->sonTarih->setDate(d(3, 2, 2024));
        QVERIFY(!w->endDateAccepted());
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Farklı Dönem Tarihi Girdiniz.!"));
        w->sonTarih->setDate(d(20, 1, 2024));
        QVERIFY(w->endDateAccepted());
    }

    void theExportsNeedTheRecorderName() {
        voucher(d(5, 1, 2024), 1, "", "");
        auto w = window();
        w->exportXml();
        w->exportCsv();
        QCOMPARE(ui.messages.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(ui.messages[0].caption), QStringLiteral("Eksik Bilgi"));
        QCOMPARE(QString::fromStdString(ui.messages[1].text),
                 QStringLiteral("Edefter Kayıt Eden Kişi adı Girilmelidir."));
        w->kayitEden->setTextValue("Ayşe");
        w->subeKodu->setNumber(2);
        w->exportCsv();
        QCOMPARE(QString::fromStdString(ui.messages.back().caption),
                 QStringLiteral("İşlem Tamamlandı"));
        QCOMPARE(QString::fromStdString(session->edefter().EdefterKayitEden),
                 QStringLiteral("Ayşe"));
        QVERIFY(QString::fromStdString(session->edefter().EdefterDosyasi)
                    .endsWith(QStringLiteral("111_0002_202401_1.zip")));
    }

    void aCertifiedPrintoutProposesTheNextMonthAfterwards() {
        voucher(d(5, 1, 2024), 1, "", "");
        QVERIFY(session->setYaziciAdi("Laser").ok());
        auto w = window();
        w->tastikliEvet->setChecked(true);
        w->print();
        QCOMPARE(previews.size(), std::size_t(1));
        QVERIFY(!previews[0].pages.empty());
        QCOMPARE(w->month(), 2);
        QCOMPARE(w->sonAy->text(), QStringLiteral(" 1"));
        QCOMPARE(w->sonNo->text(), QStringLiteral("    1"));
        QCOMPARE(w->devredenBorc->text().trimmed(), QStringLiteral("40.00"));
    }

    void aDotMatrixPrinterGetsTheRawBytes() {
        voucher(d(5, 1, 2024), 1, "", "");
        QVERIFY(session->setYaziciAdi("NPQ-Nokta").ok());
        const std::string file = (dir->path() + "/raw.prn").toStdString();
        std::string queue;
        hk::ui::JournalRoutes routes;
        routes.raw = [&](const std::string& q) {
            queue = q;
            return hk::output::openRawFile(file);
        };
        auto w = window(std::move(routes));
        w->print();
        QCOMPARE(QString::fromStdString(queue), QStringLiteral("NPQ-Nokta"));
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        QVERIFY(bytes.rfind("\x1B@", 0) == 0);
        QVERIFY(bytes.back() == '\x0C');
        QVERIFY(previews.empty());
        QCOMPARE(w->month(), 1); // uncertified: the same month again
    }

    void theDocumentTypeCheckRunsOnItsOwnThread() {
        voucher(d(5, 1, 2024), 1, "Fatura", "Çek");
        voucher(d(6, 1, 2024), 2, "Fatura", "Fatura");
        hk::ui::JournalCheckWindow w(*ds);
        QCOMPARE(w.list->toPlainText(), QStringLiteral("HATA LİSTESİ;"));
        w.run();
        QTRY_VERIFY_WITH_TIMEOUT(!w.running(), 20000);
        QCOMPARE(w.list->toPlainText(),
                 QStringLiteral("HATA LİSTESİ;\n 5.01.2024 1 600 Satış Fiş İçinde Belge Tipi "
                                "Farklı Olamaz."));
        QCOMPARE(w.status->text(), QStringLiteral("İşlem Tamamlandı."));
        w.copy();
        QCOMPARE(QApplication::clipboard()->text(), w.list->toPlainText());
    }
};

QTEST_MAIN(JournalWindowTest)
#include "journal_test.moc"
