// The general ledger's and the cash book's options windows: the proposal from the stored state
// and its refresh after a run, the couplings and hidden controls, the lookups, a run off the GUI
// thread into the preview, raw output for "NPQ" printers, the workbook, refusals and a cancelled
// sorting shown without output, and both menu items reaching their windows.
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "support/procedure_fixture.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/reports/ledger_book_windows.h"
#include "vouchers/books.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using hk::ui::CashBookWindow;
using hk::ui::GeneralLedgerWindow;
namespace data = hk::data;

namespace {

hk::core::Date d(int day, int month) {
    return hk::core::Date{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                          std::uint16_t(2024)};
}

// A raw queue that keeps what it is sent.
class MemoryQueue final : public hk::output::RawTarget {
  public:
    explicit MemoryQueue(std::string& out) : out_(out) {}
    hk::core::Status write(std::string_view bytes) override {
        out_ += bytes;
        return {};
    }
    hk::core::Status close() override { return {}; }

  private:
    std::string& out_;
};

std::string allText(const hk::output::Document& doc) {
    std::string s;
    for (const auto& p : doc.pages)
        for (const auto& l : p.lines) s += l.visibleText() + "\n";
    return s;
}

} // namespace

class LedgerBookWindowsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<hk::test::ProcedureFixture> f;
    std::vector<hk::output::Document> previews;
    std::vector<hk::output::Sheet> sheets;
    std::string queued;

    data::DataSet& ds() { return *f->data; }

    void account(const char* code, const char* name, const char* kind) {
        auto t = ds().open<data::HsPlan>();
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = name;
        a.NTLK = kind;
        QVERIFY(t->add(a).ok());
    }
    // A voucher of kind `type` with journal number `journal` (0: not in the journal yet).
    void voucher(hk::core::Date date, int no, int journal, const char* type,
                 std::vector<std::tuple<const char*, char, double>> lines) {
        auto h = ds().open<data::FisBas>();
        auto l = ds().open<data::FisDet>();
        char key[16];
        std::snprintf(key, sizeof key, "%02d%08d", date.month, no);
        data::FisBas b;
        b.KEYSTR = key;
        b.FISTRH = date;
        b.FISNO = static_cast<std::int16_t>(no);
        b.FISTUR = type;
        b.FISNTLK = "N";
        b.YEVMIYENO = journal;
        QVERIFY(h->add(b).ok());
        int n = 0;
        for (const auto& [code, side, amount] : lines) {
            data::FisDet x;
            x.KEYSTR = key;
            x.FISSIRANO = static_cast<std::int16_t>(++n);
            x.ACKNO = n * 100;
            x.HESAPKODU = code;
            x.BORCALACAK = std::string(1, side);
            (side == 'B' ? x.TLBORC : x.TLALACAK) = amount;
            QVERIFY(l->add(x).ok());
        }
    }
    data::Yasal company() {
        auto b = hk::vouchers::Books::open(ds());
        return b->readCompany().value();
    }
    hk::ui::BookRoutes routes() {
        hk::ui::BookRoutes r;
        r.preview = [this](hk::output::Document doc) { previews.push_back(std::move(doc)); };
        r.sheet = [this](hk::output::Sheet s) { sheets.push_back(std::move(s)); };
        r.raw = [this](const std::string&)
            -> hk::core::Result<std::unique_ptr<hk::output::RawTarget>> {
            return std::unique_ptr<hk::output::RawTarget>(std::make_unique<MemoryQueue>(queued));
        };
        r.pickLedger = [] {
            data::HsPlan a;
            a.HESAPKODU = "600";
            return std::optional<data::HsPlan>(a);
        };
        r.pickAccount = [] {
            data::HsPlan a;
            a.HESAPKODU = "102 01 001";
            return std::optional<data::HsPlan>(a);
        };
        return r;
    }
    std::unique_ptr<GeneralLedgerWindow> ledger() {
        return std::make_unique<GeneralLedgerWindow>(ds(), f->session, f->ui, routes());
    }
    std::unique_ptr<CashBookWindow> cash() {
        return std::make_unique<CashBookWindow>(ds(), f->session, f->ui, routes());
    }

  private slots:
    void init() {
        f = std::make_unique<hk::test::ProcedureFixture>();
        previews.clear();
        sheets.clear();
        queued.clear();
        data::Yasal y;
        y.MALIDONEMBAS = d(1, 1);
        y.MALIDONEMSON = d(31, 12);
        y.SIRKETUNVANI1 = "Deneme";
        y.KEBIRYEVMIYENO = 250;
        y.SONKEBIRAY = 2;
        y.KASAHESAPKODU = "100 01 001";
        auto t = ds().open<data::Yasal>();
        QVERIFY(t->add(y).ok());
        f->session.setCompany(y);
        QVERIFY(f->session.setYaziciAdi("Laser").ok());
        account("100", "KASA", "K");
        account("100 01", "MERKEZ", "G");
        account("100 01 001", "Merkez Kasa", "M");
        account("102", "BANKALAR", "K");
        account("102 01", "BANKALAR", "G");
        account("102 01 001", "Ziraat", "M");
        account("600", "SATIŞLAR", "K");
        account("600 01", "SATIŞLAR", "G");
        account("600 01 001", "Mal Satışı", "M");
        voucher(d(10, 2), 1, 251, "A", {{"600 01 001", 'A', 1000}});
        voucher(d(12, 2), 2, 252, "M", {{"102 01 001", 'B', 400}, {"100 01 001", 'A', 400}});
        voucher(d(14, 2), 3, 0, "M", {{"102 01 001", 'B', 1}, {"600 01 001", 'A', 1}});
    }
    void cleanup() { f.reset(); }

    void generalLedgerProposesTheNextRun() {
        auto w = ledger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kebir Defteri Filtre Ekranı"));
        QCOMPARE(w->sonYevmiyeNo->text().trimmed(), QStringLiteral("250"));
        QCOMPARE(w->baslangicAy->currentIndex(), 2);
        QCOMPARE(w->bitisAy->currentIndex(), 2);
        QCOMPARE(w->yevmiyeBasi->textValue(), std::string("251"));
        QCOMPARE(w->yevmiyeSonu->textValue(), std::string());
        QCOMPARE(w->fontNo->textValue(), std::string("6"));
        QVERIFY(!w->sayfaAdedi->isChecked());
        // A start month sets the end month; a blank start month enables the dates.
        QVERIFY(!w->baslangicTarihi->isEnabled());
        w->baslangicAy->setCurrentIndex(5);
        QCOMPARE(w->bitisAy->currentIndex(), 5);
        w->baslangicAy->setCurrentIndex(0);
        QVERIFY(w->baslangicTarihi->isEnabled() && w->bitisTarihi->isEnabled());
        // The ledger-account lookup fills the field it belongs to.
        QTest::mouseClick(w->sonuLookup, Qt::LeftButton);
        QCOMPARE(w->hesapSonu->textValue(), std::string("600"));
        QCOMPARE(w->hesapBasi->textValue(), std::string());
    }

    void textPrintersHideThePageCountAndTheFont() {
        auto plain = ledger();
        QVERIFY(!plain->sayfaAdedi->isHidden() && !plain->fontNo->isHidden());
        for (const char* printer : {"NPQ1", "lpq-muhasebe"}) {
            QVERIFY(f->session.setYaziciAdi(printer).ok());
            auto w = ledger();
            QVERIFY(w->sayfaAdedi->isHidden());
            QVERIFY(w->fontNo->isHidden() && w->fontLabel->isHidden());
            auto k = cash();
            QVERIFY(!k->fontNo->isHidden()); // the cash book keeps its font on every printer
        }
    }

    void generalLedgerRunsOffTheGuiThreadAndStoresTheState() {
        auto w = ledger();
        QSignalSpy done(w.get(), &GeneralLedgerWindow::finished);
        QTest::mouseClick(w->yaz, Qt::LeftButton);
        QVERIFY(done.wait(30000));
        QVERIFY2(f->ui.messages.empty(), f->ui.messages.empty() ? "" : f->ui.messages[0].text.c_str());
        QCOMPARE(previews.size(), std::size_t(1));
        const std::string text = allText(previews[0]);
        QVERIFY(text.find("K E B İ R    D E F T E R İ") != std::string::npos);
        QVERIFY(text.find("  251/ TAHSİL") != std::string::npos);
        QVERIFY(text.find("  252/ MAHSUP") != std::string::npos);
        QCOMPARE(company().KEBIRYEVMIYENO, 252);
        QCOMPARE(int(company().SONKEBIRAY), 2);
        // The window proposes what follows.
        QCOMPARE(w->sonYevmiyeNo->text().trimmed(), QStringLiteral("252"));
        QCOMPARE(w->yevmiyeBasi->textValue(), std::string("253"));
    }

    void aDotMatrixPrinterGetsTheBookRaw() {
        QVERIFY(f->session.setYaziciAdi("NPQ1").ok());
        auto w = ledger();
        w->run(false);
        QVERIFY(f->ui.messages.empty());
        QVERIFY(previews.empty());
        QVERIFY(queued.rfind("\x1B@\x1B" "CB\x1BP\x0F\x1BG", 0) == 0);
        QVERIFY(queued.find("\x1BGS A Y F A") != std::string::npos);
    }

    void refusalsAndACancelledSortingOutputNothing() {
        struct Case {
            const char* name;
            std::function<void(GeneralLedgerWindow&)> set;
            const char* words;
        };
        const std::vector<Case> cases = {
            {"months reversed", [](auto& w) { w.baslangicAy->setCurrentIndex(5), w.bitisAy->setCurrentIndex(3); },
             "Kebir dönemi boş"},
            {"not a ledger account", [](auto& w) { w.hesapBasi->setTextValue("100 01"); },
             "bir kebir hesabı değil"},
            {"journal numbers reversed", [](auto& w) { w.yevmiyeSonu->setTextValue("3"); },
             "Yevmiye numarası aralığı boş"},
        };
        for (const auto& k : cases) {
            f->ui = hk::app::testing::FakeUi{};
            auto w = ledger();
            k.set(*w);
            w->run(false);
            QVERIFY2(f->ui.messages.size() == 1, k.name);
            QVERIFY2(f->ui.messages[0].text.find(k.words) != std::string::npos,
                     f->ui.messages[0].text.c_str());
        }
        f->ui = hk::app::testing::FakeUi{};
        f->ui.cancelAfterProgress = true;
        auto w = ledger();
        w->run(false);
        QVERIFY(f->ui.messages.empty());
        QVERIFY(previews.empty());
        QCOMPARE(company().KEBIRYEVMIYENO, 250);
    }

    void cashBookPrintsAndFillsAWorkbook() {
        auto w = cash();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kasa Defteri Filtre Ekranı"));
        QCOMPARE(w->hesapKodu->textValue(), std::string("100 01 001")); // the company's cash
        QCOMPARE(w->fontLabel->text(), QStringLiteral("Fnt No:"));
        w->baslangicTarihi->setDate(d(1, 2));
        w->bitisTarihi->setDate(d(28, 2));
        QSignalSpy done(w.get(), &CashBookWindow::finished);
        QTest::mouseClick(w->yaz, Qt::LeftButton);
        QVERIFY(done.wait(30000));
        QVERIFY(f->ui.messages.empty());
        QCOMPARE(previews.size(), std::size_t(1));
        const std::string text = allText(previews[0]);
        QVERIFY(text.find("KASA DEFTERİ RAPORU") != std::string::npos);
        QVERIFY(text.find("Genel Toplam") != std::string::npos);
        QVERIFY(text.find("1,000.00") != std::string::npos);
        w->run(true, false);
        QCOMPARE(sheets.size(), std::size_t(1));
        QCOMPARE(std::get<std::string>(sheets[0].rows().at(0).cells.at(0)),
                 std::string("KASA DEFTERİ RAPORU"));
        // The lookup offers the whole chart.
        QTest::mouseClick(w->lookup, Qt::LeftButton);
        QCOMPARE(w->hesapKodu->textValue(), std::string("102 01 001"));
    }

    void cashBookRefusals() {
        struct Case {
            const char* account;
            hk::core::Date from, to;
            const char* words;
        };
        const std::vector<Case> cases = {
            {"", d(1, 2), d(28, 2), "Kasa hesap kodu girilmeli"},
            {"109 01", d(1, 2), d(28, 2), "hesap planında yok"},
            {"100 01 001", d(28, 2), d(1, 2), "Tarih aralığı boş"},
        };
        for (const auto& k : cases) {
            f->ui = hk::app::testing::FakeUi{};
            auto w = cash();
            w->hesapKodu->setTextValue(k.account);
            w->baslangicTarihi->setDate(k.from);
            w->bitisTarihi->setDate(k.to);
            w->run(false, false);
            QCOMPARE(f->ui.messages.size(), std::size_t(1));
            QVERIFY2(f->ui.messages[0].text.find(k.words) != std::string::npos,
                     f->ui.messages[0].text.c_str());
            QVERIFY(previews.empty());
        }
    }

    void bothMenuItemsOpenTheirWindows() {
        hk::app::ProcedureRegistry registry;
        hk::ui::FrameSetup s;
        s.procedures = &registry;
        s.session = &f->session;
        s.rights = &f->rights;
        s.data = &ds();
        s.ui = &f->ui;
        hk::ui::MainFrame frame(s);
        hk::ui::registerLedgerBookWindows(registry, frame);
        frame.trigger(2060);
        QVERIFY(frame.findChild("KebirRapFiltre") != nullptr);
        frame.trigger(2101);
        QVERIFY(frame.findChild("KasaDefteriFiltre") != nullptr);
        QVERIFY(f->ui.messages.empty());
    }
};

QTEST_MAIN(LedgerBookWindowsTest)
#include "ledger_book_test.moc"
