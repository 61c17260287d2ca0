// The voucher form and its line form driven as a user would, on a real data folder: entry and
// save with the postings that follow, changes, attributes, the Tahsil cash line, the VAT split,
// line insertion and the line helpers, the refusals with their exact messages, the two
// spreadsheets, leaving and deleting.
#include "app/rights.h"
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "core/text.h"
#include "data/dataset.h"
#include "output/sheet_reader.h"
#include "output/xlsx_writer.h"
#include "ui/framework/fields.h"
#include "ui/vouchers/voucher_form.h"
#include "ui/vouchers/voucher_list.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/voucher.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <filesystem>

using hk::app::testing::FakeUi;
using namespace hk::ui;
namespace v = hk::vouchers;
namespace d = hk::data;

class VoucherFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::optional<d::DataSet> data;
    std::optional<hk::app::Session> session;
    std::optional<hk::app::RightsService> rights;
    FakeUi ui;
    EntryMemory memory;
    // Each modal window the forms open is handed to the next driver in the queue; a window
    // nobody expected fails the test.
    std::deque<std::function<int(QDialog&)>> drivers;
    std::optional<d::HsPlan> accountChoice;
    int accountPicks = 0;
    QString unexpected;

    VoucherFormContext ctx() {
        VoucherFormContext c;
        c.data = &*data;
        c.session = &*session;
        c.ui = &ui;
        c.rights = &*rights;
        c.memory = &memory;
        c.runDialog = [this](QDialog& w) {
            if (drivers.empty()) {
                unexpected = w.windowTitle();
                return int(QDialog::Rejected);
            }
            auto f = std::move(drivers.front());
            drivers.pop_front();
            return f(w);
        };
        c.pickAccount = [this](bool) {
            ++accountPicks;
            return accountChoice;
        };
        c.exportTarget = dir.filePath("lines.xlsx").toStdString();
        return c;
    }

    void company(int calisilanAy, bool fisDetaySirala = false) {
        d::Yasal y;
        y.MALIDONEMBAS = {1, 1, 2026};
        y.MALIDONEMSON = {31, 12, 2026};
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        y.KASAHESAPKODU = "100 01";
        d::element(y.INDIRILECEKKDVORAN, 1) = 18;
        d::element(y.INDIRILECEKKDVKODU, 1) = "191 01";
        d::element(y.INDIRILECEKKDVORAN, 2) = 8;
        d::element(y.INDIRILECEKKDVKODU, 2) = "191 02";
        d::element(y.ODENECEKKDVORAN, 1) = 18;
        d::element(y.ODENECEKKDVKODU, 1) = "391 01";
        y.FISDETAYSIRALA = fisDetaySirala ? 1 : 0;
        auto t = data->open<d::Yasal>();
        QVERIFY(t.ok());
        QVERIFY(t->add(y).ok());
        session->setCompany(y);
        QVERIFY(session->setCalisilanAy(calisilanAy).ok());
    }
    void setCompany(const std::function<void(d::Yasal&)>& change) {
        auto b = v::Books::open(*data);
        auto y = *b->readCompany();
        change(y);
        QVERIFY(b->writeCompany(y).ok());
        session->setCompany(y);
    }
    void account(const std::string& code, const char* kind, const std::string& currency = {}) {
        auto p = data->open<d::HsPlan>();
        d::HsPlan h;
        h.HESAPKODU = code;
        h.NTLK = kind;
        h.HESAPAD1 = "Ad " + code;
        h.DOVIZKODU = currency;
        QVERIFY(p->add(h).ok());
    }
    d::HsPlan stored(const std::string& code) {
        auto b = v::Books::open(*data);
        auto a = b->account(code);
        return a ? *a : d::HsPlan{};
    }
    double debitIn(const std::string& code, int m) { return d::month(stored(code).TLBORC, m); }
    double creditIn(const std::string& code, int m) { return d::month(stored(code).TLALACAK, m); }
    std::vector<d::FisDet> storedLines(const std::string& key) {
        auto b = v::Books::open(*data);
        auto l = b->linesOf(key);
        return l ? *l : std::vector<d::FisDet>{};
    }
    int voucherCount() {
        auto t = data->open<d::FisBas>();
        auto n = t->count();
        return n ? static_cast<int>(*n) : -1;
    }

    // Queues a line form that takes the account, description and one TL amount and confirms.
    void queueLine(const std::string& code, double debit, double credit,
                   const std::string& desc = "açıklama") {
        drivers.push_back([=](QDialog& w) {
            auto& f = dynamic_cast<FHkFisDet&>(w);
            f.code->setTextValue(code);
            if (!f.codeLeft()) return int(QDialog::Rejected);
            f.description->setTextValue(desc);
            f.descriptionLeft();
            if (debit != 0) {
                f.tlDebit->setNumber(debit);
                f.tlDebitLeft();
            }
            if (credit != 0) {
                f.tlCredit->setNumber(credit);
                f.tlCreditLeft();
            }
            f.confirm();
            return f.result();
        });
    }
    void addLine(FHkFisBas& form, const std::string& code, double debit, double credit,
                 const std::string& desc = "açıklama") {
        queueLine(code, debit, credit, desc);
        form.newLine();
    }
    std::unique_ptr<FHkFisBas> newForm(int day, char type = 'M') {
        auto f = std::make_unique<FHkFisBas>(ctx(), std::string{});
        f->day->setNumber(day);
        f->type->setCurrentIndex(type == 'M' ? 0 : type == 'A' ? 1 : 2);
        return f;
    }
    // A saved, balanced Mahsup voucher: 120 01 debit, 600 01 credit.
    std::string mahsup(int day, double amount) {
        auto f = newForm(day);
        addLine(*f, "120 01", amount, 0);
        addLine(*f, "600 01", 0, amount);
        if (!f->trySave()) return {};
        return f->savedKey();
    }
    int rowOfLine(FHkFisBas& f, int no) {
        for (std::size_t r = 0; r < f.lines().size(); ++r)
            if (f.lines()[r].FISSIRANO == no && v::isAmountLine(f.lines()[r])) return int(r);
        return -1;
    }

  private slots:
    void init() {
        data.reset();
        QFile::remove(dir.filePath("Hesapkar.db"));
        QFile::remove(dir.filePath("FisDetay.xlsx"));
        const std::string p = dir.path().toStdString();
        auto ds = d::DataSet::open(d::Locations::resolve(p, p));
        QVERIFY(ds.ok());
        data.emplace(std::move(ds.value()));
        session.reset();
        QFile::remove(dir.filePath("Hesapkar.INI"));
        session.emplace(dir.filePath("Hesapkar.INI").toStdString());
        session->VeriYolu = p;
        session->AktifKullanici = "ALİ";
        rights.emplace("ALİ", true, hk::app::RightsLookup{});
        ui = FakeUi{};
        memory = EntryMemory{};
        drivers.clear();
        accountChoice.reset();
        accountPicks = 0;
        unexpected.clear();
        for (auto [c, k] : std::vector<std::pair<const char*, const char*>>{
                 {"100", "K"}, {"100 01", "M"}, {"120", "K"}, {"120 01", "M"}, {"191", "K"},
                 {"191 01", "M"}, {"191 02", "M"}, {"391", "K"}, {"391 01", "M"}, {"600", "K"},
                 {"600 01", "M"}, {"770", "K"}, {"770 01", "M"}})
            account(c, k);
    }
    void cleanup() {
        QVERIFY2(unexpected.isEmpty(), qPrintable("unexpected window " + unexpected));
        QVERIFY2(drivers.empty(), "a window the test expected did not open");
    }

    // ---- entry and posting ----------------------------------------------------------------

    void mahsupSavePostsEveryLevelAndTheListShowsIt() {
        company(4);
        bool saved = false;
        VoucherListContext lc;
        lc.data = &*data;
        lc.session = &*session;
        lc.ui = &ui;
        lc.rights = &*rights;
        lc.openForm = [&](const std::string& key) {
            FHkFisBas f(ctx(), key);
            f.day->setNumber(15);
            addLine(f, "120 01", 1000, 0);
            addLine(f, "600 01", 0, 1000);
            saved = f.trySave();
            return saved;
        };
        FisListesi list(lc);
        QCOMPARE(list.panel()->model()->rowCount(), 0);
        list.insertVoucher();
        QVERIFY(saved);
        QCOMPARE(list.panel()->model()->rowCount(), 1);
        QCOMPARE(list.panel()->model()->index(0, 0).data().toString(),
                 QStringLiteral("0400000001"));
        QCOMPARE(debitIn("120 01", 4), 1000.0);
        QCOMPARE(debitIn("120", 4), 1000.0);
        QCOMPARE(creditIn("600", 4), 1000.0);
        QCOMPARE(debitIn("120 01", 3) + debitIn("120 01", 5), 0.0);
        auto b = v::Books::open(*data);
        auto h = b->head("0400000001");
        QVERIFY(h.ok());
        QCOMPARE(h->BTOPLAM, 1000.0);
        QCOMPARE(h->ATOPLAM, 1000.0);
        QCOMPARE(h->FISTRH, (hk::core::Date{15, 4, 2026}));
        QCOMPARE(QString::fromStdString(hk::core::text::clip(h->KPERSONEL)), QStringLiteral("ALİ"));
        const auto lines = storedLines("0400000001");
        QCOMPARE(lines.size(), std::size_t(2));
        QCOMPARE(lines[0].ACKNO, 100);
        QCOMPARE(QString::fromStdString(lines[1].BORCALACAK), QStringLiteral("A"));
    }

    void titleNamesTypeMonthWeekdayAndDate() {
        company(4);
        auto f = newForm(15, 'E');
        QVERIFY(f->dayLeft());
        // 15 April 2026 is a Wednesday.
        QCOMPARE(QString::fromStdString(f->title()),
                 QStringLiteral("Tediye Nisan Çarşamba 15.04.2026"));
        addLine(*f, "770 01", 50, 0);
        QVERIFY(!f->day->isEnabled());
        QVERIFY(!f->type->isEnabled());
    }

    void changingAnAmountMovesTheTotalsByTheDifference() {
        company(4);
        const std::string key = mahsup(10, 1000);
        QVERIFY(!key.empty());
        FHkFisBas f(ctx(), key);
        QVERIFY(f.opened());
        QVERIFY(!f.day->isEnabled());
        for (int no : {1, 2}) {
            f.selectLine(rowOfLine(f, no));
            drivers.push_back([no](QDialog& w) {
                auto& l = dynamic_cast<FHkFisDet&>(w);
                (no == 1 ? l.tlDebit : l.tlCredit)->setNumber(800);
                l.confirm();
                return l.result();
            });
            f.changeLine();
        }
        QCOMPARE(f.lines().size(), std::size_t(2));
        QVERIFY(f.trySave());
        QCOMPARE(debitIn("120 01", 4), 800.0);
        QCOMPARE(creditIn("600 01", 4), 800.0);
        QCOMPARE(storedLines(key).size(), std::size_t(2));
    }

    void attributeToCancelledAndBackUnpostsAndPostsAgain() {
        company(4);
        const std::string key = mahsup(10, 250);
        const std::pair<const char*, double> steps[] = {{"IPT", 0.0}, {"N", 250.0}};
        for (auto [attr, expected] : steps) {
            FHkFisBas f(ctx(), key);
            f.attribute->setTextValue(attr);
            QVERIFY(f.attributeLeft());
            QVERIFY(f.trySave());
            QCOMPARE(debitIn("120 01", 4), expected);
            QCOMPARE(debitIn("120", 4), expected);
            QCOMPARE(storedLines(key).size(), std::size_t(2));
        }
    }

    void unknownAttributeOpensTheListAndStaysWithoutAChoice() {
        company(4);
        auto f = newForm(3);
        f->attribute->setTextValue("ZZZ");
        ui.picks.push_back(-1);
        QVERIFY(!f->attributeLeft());
        QCOMPARE(QString::fromStdString(f->attribute->textValue()), QStringLiteral("ZZZ"));
    }

    void tahsilGetsItsCashLineAndBalancedTotals() {
        company(4);
        auto f = newForm(20, 'A');
        addLine(*f, "600 01", 0, 300);
        addLine(*f, "600 01", 0, 200);
        drivers.push_back([](QDialog& w) {
            auto& k = dynamic_cast<TahsilTediyeKapa&>(w);
            if (k.windowTitle() != QStringLiteral("Tahsil&Tediye Kapa Ekranı")) return 0;
            if (k.account->textValue() != "100 01") return 0;
            k.description->setTextValue("kasa");
            k.ok->click();
            return k.result();
        });
        QVERIFY(f->trySave());
        const auto lines = storedLines(f->savedKey());
        QCOMPARE(lines.size(), std::size_t(3));
        QCOMPARE(QString::fromStdString(lines[2].HESAPKODU), QStringLiteral("100 01"));
        QCOMPARE(lines[2].TLBORC, 500.0);
        QCOMPARE(QString::fromStdString(lines[2].FISACK), QStringLiteral("kasa"));
        QCOMPARE(debitIn("100", 4), 500.0);
        auto b = v::Books::open(*data);
        auto h = b->head(f->savedKey());
        QCOMPARE(h->BTOPLAM, 500.0);
        QCOMPARE(h->ATOPLAM, 500.0);
    }

    void tahsilCashDialogCancelledRefusesTheSave() {
        company(4);
        auto f = newForm(20, 'A');
        addLine(*f, "600 01", 0, 300);
        drivers.push_back([](QDialog& w) {
            dynamic_cast<TahsilTediyeKapa&>(w).cancel->click();
            return w.result();
        });
        QVERIFY(!f->trySave());
        QCOMPARE(voucherCount(), 0);
        QCOMPARE(creditIn("600 01", 4), 0.0);
    }

    // ---- the line form ----------------------------------------------------------------------

    void vatSplitOf118At18Percent() {
        company(4);
        auto f = newForm(5);
        addLine(*f, "600 01", 0, 118);
        drivers.push_back([this](QDialog& w) {
            auto& l = dynamic_cast<FHkFisDet&>(w);
            l.code->setTextValue("770 01");
            l.codeLeft();
            l.tlDebit->setNumber(118);
            l.tlDebitLeft();
            if (l.vatButtons[0]->text() != QStringLiteral("18") || !l.vatButtons[0]->isEnabled() ||
                l.vatButtons[2]->isEnabled())
                return 0;
            drivers.push_front([](QDialog& k) {
                auto& c = dynamic_cast<KdvOnayla&>(k);
                if (c.net() != 100.0 || c.vatAmount() != 18.0 || c.account() != "191 01") return 0;
                c.ok->click();
                return c.result();
            });
            l.vat(1);
            return l.result();
        });
        f->selectLine(0);
        f->newLine();
        const auto& lines = f->lines();
        QCOMPARE(lines.size(), std::size_t(3));
        QCOMPARE(QString::fromStdString(lines[1].HESAPKODU), QStringLiteral("770 01"));
        QCOMPARE(lines[1].TLBORC, 100.0);
        QCOMPARE(lines[1].FISSIRANO, std::int16_t(2));
        QCOMPARE(lines[1].ACKNO, 100); // the first KARSITNO, not 2 x 100
        QCOMPARE(QString::fromStdString(lines[2].HESAPKODU), QStringLiteral("191 01"));
        QCOMPARE(lines[2].TLBORC, 18.0);
        QCOMPARE(lines[2].FISSIRANO, std::int16_t(3));
        QCOMPARE(lines[2].ACKNO, 300);
        QVERIFY(f->trySave());
        auto b = v::Books::open(*data);
        QCOMPARE(b->head(f->savedKey())->KARSITNO, 200); // advanced by the split
        QCOMPARE(debitIn("191 01", 4), 18.0);
        QCOMPARE(debitIn("770", 4), 100.0);
    }

    void kdvOnaylaKeepsGrossWhenOneSideChangesAndNeedsAnAccount() {
        company(4);
        auto c = ctx();
        KdvOnayla k(c, 100, 18, 118, "");
        k.netField->setNumber(90);
        k.netLeft();
        QCOMPARE(k.vatAmount(), 28.0);
        k.vatField->setNumber(18);
        k.vatLeft();
        QCOMPARE(k.net(), 100.0);
        k.confirm();
        QCOMPARE(k.result(), int(QDialog::Rejected)); // no account: stays open
        k.code->setTextValue("191 01");
        k.confirm();
        QCOMPARE(k.result(), int(QDialog::Accepted));
    }

    void vatSplitNotConfirmedRestoresTheAmount() {
        company(4);
        auto c = ctx();
        LineFormState st;
        st.company = *v::Books::open(*data)->readCompany();
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.code->setTextValue("770 01");
        QVERIFY(l.codeLeft());
        l.tlDebit->setNumber(118);
        l.tlDebitLeft();
        drivers.push_back([](QDialog& k) {
            dynamic_cast<KdvOnayla&>(k).cancel->click();
            return k.result();
        });
        l.vat(1);
        QCOMPARE(*l.tlDebit->number(), 118.0);
        QVERIFY(l.produced().empty());
        QCOMPARE(l.karsitNo(), 100);
    }

    void newLineGoesAfterTheHighlightedOneWithItsDescriptions() {
        company(4);
        auto f = newForm(7);
        addLine(*f, "120 01", 10, 0, "bir");
        addLine(*f, "120 01", 20, 0, "iki");
        addLine(*f, "120 01", 30, 0, "üç");
        addLine(*f, "600 01", 0, 60, "dört");
        // Line 3 gets two extra description lines.
        f->selectLine(rowOfLine(*f, 3));
        drivers.push_back([](QDialog& w) {
            auto& s = dynamic_cast<SerbestYazi&>(w);
            s.lines[0]->setTextValue("ek 1");
            s.lines[2]->setTextValue("ek 3");
            s.ok->click();
            return s.result();
        });
        f->extraDescription();
        QCOMPARE(f->lines().size(), std::size_t(6));
        f->selectLine(rowOfLine(*f, 2));
        addLine(*f, "120 01", 5, 0, "yeni");
        std::vector<std::tuple<int, int, std::string>> got;
        for (const auto& l : f->lines()) got.emplace_back(l.FISSIRANO, l.ACKNO, l.FISACK);
        const std::vector<std::tuple<int, int, std::string>> want = {
            {1, 100, "bir"}, {2, 200, "iki"},  {3, 300, "yeni"}, {4, 400, "üç"},
            {4, 401, "ek 1"}, {4, 403, "ek 3"}, {5, 500, "dört"}};
        QCOMPARE(got, want);
        // Saved whole: description lines carry no amounts and are not posted.
        addLine(*f, "600 01", 0, 5);
        QVERIFY(f->trySave());
        QCOMPARE(storedLines(f->savedKey()).size(), std::size_t(8));
        QCOMPARE(debitIn("120 01", 4), 65.0);
    }

    void deletingALineTakesItsDescriptionsWithIt() {
        company(4);
        auto f = newForm(7);
        addLine(*f, "120 01", 10, 0);
        addLine(*f, "600 01", 0, 10);
        f->selectLine(0);
        drivers.push_back([](QDialog& w) {
            auto& s = dynamic_cast<SerbestYazi&>(w);
            s.lines[0]->setTextValue("ek");
            s.ok->click();
            return s.result();
        });
        f->extraDescription();
        QCOMPARE(f->lines().size(), std::size_t(3));
        f->selectLine(0);
        f->deleteLine();
        QCOMPARE(f->lines().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(f->lines()[0].HESAPKODU), QStringLiteral("600 01"));
    }

    void changedLineKeepsItsNumberAndDescriptions() {
        company(4);
        auto f = newForm(7);
        addLine(*f, "120 01", 10, 0, "bir");
        addLine(*f, "600 01", 0, 10, "iki");
        f->selectLine(0);
        drivers.push_back([](QDialog& w) {
            auto& s = dynamic_cast<SerbestYazi&>(w);
            s.lines[1]->setTextValue("ek");
            s.ok->click();
            return s.result();
        });
        f->extraDescription();
        f->selectLine(0);
        drivers.push_back([](QDialog& w) {
            auto& l = dynamic_cast<FHkFisDet&>(w);
            l.code->setTextValue("770 01");
            l.codeLeft();
            l.tlDebit->setNumber(12);
            l.confirm();
            return l.result();
        });
        f->changeLine();
        std::vector<std::tuple<int, int, std::string>> got;
        for (const auto& l : f->lines()) got.emplace_back(l.FISSIRANO, l.ACKNO, l.HESAPKODU);
        const std::vector<std::tuple<int, int, std::string>> want = {
            {1, 100, "770 01"}, {1, 102, "770 01"}, {2, 200, "600 01"}};
        QCOMPARE(got, want);
        QCOMPARE(f->lines()[0].TLBORC, 12.0);
    }

    void previousLineAndDifferenceFillTheNewLine() {
        company(4);
        auto f = newForm(7);
        addLine(*f, "120 01", 75.5, 0, "kira");
        drivers.push_back([](QDialog& w) {
            auto& l = dynamic_cast<FHkFisDet&>(w);
            l.previousLine();
            if (l.code->textValue() != "120 01" || l.description->textValue() != "kira") return 0;
            l.code->setTextValue("600 01");
            l.codeLeft();
            l.takeDifference(); // no sub-unit, no currency: confirmed at once
            return l.result();
        });
        f->newLine();
        QCOMPARE(f->lines().size(), std::size_t(2));
        QCOMPARE(f->lines()[1].TLALACAK, 75.5);
        QCOMPARE(QString::fromStdString(f->lines()[1].BORCALACAK), QStringLiteral("A"));
        QCOMPARE(QString::fromStdString(f->lines()[1].FISACK), QStringLiteral("kira"));
    }

    void standardDescriptionIsAppendedToWhatIsTyped() {
        company(4);
        auto c = ctx();
        std::vector<std::optional<std::string>> answers = {"Mart kirası", std::nullopt};
        c.pickDescription = [&]() {
            auto a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        LineFormState st;
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.description->setTextValue("Ödenen");
        l.pickDescription();
        QCOMPARE(QString::fromStdString(l.description->textValue()),
                 QStringLiteral("Ödenen Mart kirası"));
        QCOMPARE(QString::fromStdString(memory.lastDescription), QStringLiteral("Ödenen Mart kirası"));
        l.pickDescription(); // leaving the list without a choice changes nothing
        QCOMPARE(QString::fromStdString(l.description->textValue()),
                 QStringLiteral("Ödenen Mart kirası"));
    }

    void enterMovesToTheNextField() {
        company(4);
        auto c = ctx();
        LineFormState st;
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.show();
        QApplication::setActiveWindow(&l);
        l.description->setFocus();
        QApplication::processEvents();
        QTest::keyClick(l.description, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(l.tlDebit));
        QVERIFY(l.isVisible()); // Enter does not close the form
    }

    void accountRulesOfTheLineForm() {
        company(4);
        auto c = ctx();
        LineFormState st;
        FHkFisDet l(c, st, d::FisDet{}, true);
        // A main account is taken back without a word.
        l.code->setTextValue("120");
        QVERIFY(!l.codeLeft());
        QVERIFY(l.code->text().isEmpty());
        QCOMPARE(accountPicks, 0);
        // An unknown one opens the detail list; leaving it without a choice clears the names.
        l.code->setTextValue("999 99");
        QVERIFY(!l.codeLeft());
        QCOMPARE(accountPicks, 1);
        QVERIFY(l.names->text().isEmpty());
        // A choice from the list is taken.
        accountChoice = stored("600 01");
        l.code->setTextValue("6");
        QVERIFY(l.codeLeft());
        QCOMPARE(QString::fromStdString(l.code->textValue()), QStringLiteral("600 01"));
        QCOMPARE(l.names->text(), QStringLiteral("Ad 600 01"));
        QVERIFY(ui.messages.empty());
        // No TL amount: the line is refused.
        l.confirm();
        QCOMPARE(l.result(), int(QDialog::Rejected));
        QVERIFY(l.produced().empty());
    }

    void tahsilLineHasNoDebitAndDebitClosesCredit() {
        company(4);
        auto c = ctx();
        LineFormState st;
        st.type = 'A';
        FHkFisDet a(c, st, d::FisDet{}, true);
        a.code->setTextValue("600 01");
        QVERIFY(a.codeLeft());
        QVERIFY(!a.tlDebit->isEnabled());
        QVERIFY(a.tlCredit->isEnabled());
        // A stored Tahsil voucher whose cash line is not made again keeps it editable.
        st.cashByForm = false;
        FHkFisDet kept(c, st, d::FisDet{}, false);
        kept.code->setTextValue("100 01");
        QVERIFY(kept.codeLeft());
        QVERIFY(kept.tlDebit->isEnabled());
        st.type = 'M';
        FHkFisDet m(c, st, d::FisDet{}, true);
        m.code->setTextValue("600 01");
        QVERIFY(m.codeLeft());
        m.tlCredit->setNumber(40);
        m.tlDebit->setNumber(12);
        m.tlDebitLeft();
        QCOMPARE(*m.tlCredit->number(), 0.0);
        QVERIFY(!m.tlCredit->isEnabled());
        QVERIFY(!m.fxDebit->isEnabled()); // no currency on the account
    }

    void currencyAccountConvertsAtTheRateOfTheVoucherDate() {
        company(4);
        account("120 05", "M", "USD");
        {
            auto r = data->open<d::DDoviz>();
            QVERIFY(r.ok());
            d::DDoviz x;
            x.DOVIZKODU = "USD";
            x.DOVIZKURTARIHI = {9, 4, 2026};
            x.DOVIZKURTUTARI = 32;
            QVERIFY(r->add(x).ok());
        }
        auto c = ctx();
        LineFormState st;
        st.date = {9, 4, 2026};
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.code->setTextValue("120 05");
        QVERIFY(l.codeLeft());
        QVERIFY(l.fxDebit->isEnabled());
        l.tlDebit->setNumber(320);
        l.tlDebitLeft();
        QCOMPARE(*l.fxDebit->number(), 10.0);
        l.tlDebit->setNumber(0);
        l.tlDebitLeft();
        l.fxDebit->setNumber(0);
        l.fxCredit->setNumber(5);
        l.fxCreditLeft();
        QCOMPARE(*l.tlCredit->number(), 160.0);
        // Both currency sides filled: the field just left goes back to 0.
        l.fxDebit->setNumber(3);
        l.fxDebitLeft();
        QCOMPARE(*l.fxDebit->number(), 0.0);
        // The typed currency amount stands when the TL side follows it (a small rate would
        // not give it back when converted again).
        account("120 06", "M", "JPY");
        {
            auto r = data->open<d::DDoviz>();
            d::DDoviz x;
            x.DOVIZKODU = "JPY";
            x.DOVIZKURTARIHI = {9, 4, 2026};
            x.DOVIZKURTUTARI = 0.01;
            QVERIFY(r->add(x).ok());
        }
        FHkFisDet j(c, st, d::FisDet{}, true);
        j.code->setTextValue("120 06");
        QVERIFY(j.codeLeft());
        j.fxCredit->setNumber(5.33);
        j.fxCreditLeft();
        QCOMPARE(*j.tlCredit->number(), 0.05);
        QCOMPARE(*j.fxCredit->number(), 5.33);
        // A day without a rate converts nothing.
        st.date = {10, 4, 2026};
        FHkFisDet n(c, st, d::FisDet{}, true);
        n.code->setTextValue("120 05");
        QVERIFY(n.codeLeft());
        n.tlDebit->setNumber(320);
        n.tlDebitLeft();
        QCOMPARE(*n.fxDebit->number(), 0.0);
    }

    void calculatorArithmeticAndItsTarget() {
        const std::pair<const char*, std::optional<double>> cases[] = {
            {"1+2*3", 7.0},     {"(1+2)*3", 9.0}, {"10/4", 2.5},        {"-2+5", 3.0},
            {"1,5*2", 3.0},     {"1/0", std::nullopt}, {"2+", std::nullopt}, {"abc", std::nullopt},
            {"(1", std::nullopt}};
        for (const auto& [e, want] : cases) QCOMPARE(calculate(e), want);
        company(4);
        auto c = ctx();
        LineFormState st;
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.show();
        l.tlCredit->setFocus();
        QApplication::processEvents();
        QCOMPARE(l.lastAmountField(), l.tlCredit);
        drivers.push_back([](QDialog& w) {
            auto& k = dynamic_cast<Calculator&>(w);
            if (k.windowTitle() != QStringLiteral("Hesap Makinası")) return 0;
            k.expression->setText("12*3.5");
            k.ok->click();
            return k.result();
        });
        l.calculator();
        QCOMPARE(*l.tlCredit->number(), 42.0);
    }

    void twelveMonthButtonShowsTheAccount() {
        company(4);
        mahsup(3, 40);
        auto c = ctx();
        LineFormState st;
        st.fiscalMonth = 3; // the balance up to month 3 does not see April
        FHkFisDet early(c, st, d::FisDet{}, true);
        early.code->setTextValue("120 01");
        QVERIFY(early.codeLeft());
        QVERIFY2(!early.balance->text().contains(QStringLiteral("40")), qPrintable(early.balance->text()));
        st.fiscalMonth = 4;
        FHkFisDet l(c, st, d::FisDet{}, true);
        l.code->setTextValue("120 01");
        QVERIFY(l.codeLeft());
        QVERIFY2(l.balance->text().contains(QStringLiteral("40")), qPrintable(l.balance->text()));
        bool shown = false;
        drivers.push_back([&](QDialog& w) {
            shown = dynamic_cast<Y_Mizan12Ay*>(&w) != nullptr;
            return 0;
        });
        l.twelveMonths();
        QVERIFY(shown);
    }

    // ---- refusals ---------------------------------------------------------------------------

    void dayChecksOfTheWorkingMonth() {
        company(4);
        setCompany([](d::Yasal& y) { y.SONYEVMIYETARIH = {10, 4, 2026}; });
        struct Case {
            int day;
            bool ok;
            const char* text;
            int dayAfter;
        };
        const Case cases[] = {{31, false, "31Bu Ay İçerisinde Yoktur..!", 31},
                              {0, false, "0Bu Ay İçerisinde Yoktur..!", 0},
                              {9, false, "Yevmiyesi Çekilmiş Tarihe Fiş Girilemez.?", 10},
                              {10, true, nullptr, 10}};
        for (const auto& c : cases) {
            ui.messages.clear();
            auto f = newForm(c.day);
            QCOMPARE(f->dayLeft(), c.ok);
            if (c.text) {
                QCOMPARE(ui.messages.size(), std::size_t(1));
                QCOMPARE(QString::fromStdString(ui.messages[0].text), QString::fromUtf8(c.text));
            } else {
                QVERIFY(ui.messages.empty());
            }
            QCOMPARE(int(*f->day->number()), c.dayAfter);
        }
        // A line cannot be started on a day the month does not have.
        ui.messages.clear();
        auto f = newForm(31);
        f->newLine();
        QVERIFY(f->lines().empty());
        QCOMPARE(voucherCount(), 0);
    }

    void unbalancedMahsupAsksAndHayirKeepsTheFormThenTakesAnotherNumber() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 100, 0);
        addLine(*f, "600 01", 0, 90);
        ui.answer(2);
        QVERIFY(!f->trySave());
        QCOMPARE(ui.messages.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Fiş Dip Toplamında Tutarsızlık Var.!"));
        QCOMPARE(QString::fromStdString(ui.messages[1].text),
                 QStringLiteral("Fiş Toplamları Tutarsız...\nBu Şekilde Kaydetmek İstediginize "
                                "Eminmisiniz?"));
        QCOMPARE(QString::fromStdString(ui.messages[1].caption), QStringLiteral("Onay Ekranı"));
        QCOMPARE(voucherCount(), 0);
        QCOMPARE(debitIn("120 01", 4), 0.0);
        ui.answer(1);
        QVERIFY(f->trySave());
        QCOMPARE(QString::fromStdString(f->savedKey()), QStringLiteral("0400000002"));
        QCOMPARE(debitIn("120 01", 4), 100.0);
    }

    void digerWithoutDescriptionIsRefused() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 5, 0);
        addLine(*f, "600 01", 0, 5);
        f->documentType->setCurrentText(QStringLiteral("Diğer"));
        QVERIFY(!f->trySave());
        QCOMPARE(QString::fromStdString(ui.messages.back().text),
                 QStringLiteral("EDefter Uygulmasında,\nBelge Tipi Diğer ise  Belge Açıklaması "
                                "Boş Geçilemez."));
        QCOMPARE(voucherCount(), 0);
        f->documentDescription->setTextValue("irsaliye");
        QVERIFY(f->trySave());
        for (const auto& l : storedLines(f->savedKey())) {
            QCOMPARE(QString::fromStdString(l.BELGETIPI), QStringLiteral("Diğer"));
            QCOMPARE(QString::fromStdString(l.BELGEACIKLAMASI), QStringLiteral("irsaliye"));
        }
    }

    void closedMonthAndJournalisedVoucherCannotChange() {
        company(4);
        const std::string key = mahsup(10, 300);
        setCompany([](d::Yasal& y) { y.KAPANANAY = 4; });
        {
            FHkFisBas f(ctx(), key);
            f.attribute->setTextValue("IPT");
            QVERIFY(f.attributeLeft());
            QVERIFY(!f.trySave());
            QCOMPARE(QString::fromStdString(ui.messages.back().text),
                     QStringLiteral("Kapatılan Ay Fişerinde Değişiklik Yapamazsınız..."));
            QCOMPARE(debitIn("120 01", 4), 300.0);
        }
        setCompany([](d::Yasal& y) { y.KAPANANAY = 0; });
        {
            auto b = v::Books::open(*data);
            auto h = *b->head(key);
            h.YEVMIYENO = 7;
            QVERIFY(b->heads.put(h).ok());
        }
        ui.messages.clear();
        FHkFisBas f(ctx(), key);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Yevmiyesi Çekilen Fişte Değişiklik Yapamazsınız.."));
        QVERIFY(f.saveButton->isHidden());
        QVERIFY(f.savePrintButton->isHidden());
        QVERIFY(!f.trySave());
        QCOMPARE(debitIn("120 01", 4), 300.0);
    }

    // ---- spreadsheets -----------------------------------------------------------------------

    void excelExportThenExcelOkuRoundTrip() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 1234.56, 0, "satış");
        addLine(*f, "600 01", 0, 1234.56, "gelir");
        ui.answer(1); // "Liste Excele Aktarılsın Mı?"
        f->exportLines();
        auto out = hk::output::Workbook::open(dir.filePath("lines.xlsx").toStdString());
        QVERIFY(out.ok());
        QCOMPARE(QString::fromStdString(out->cellText(1, 1)), QStringLiteral("Borc Alacak"));
        QCOMPARE(QString::fromStdString(out->cellText(1, 20)), QStringLiteral("KSaati"));
        QCOMPARE(QString::fromStdString(out->cellText(2, 5)), QStringLiteral("120 01"));
        QCOMPARE(QString::fromStdString(out->cellText(2, 7)), QStringLiteral("satış"));
        QCOMPARE(QString::fromStdString(out->cellText(2, 8)), QStringLiteral("1234.56"));
        QCOMPARE(QString::fromStdString(out->cellText(3, 9)), QStringLiteral("1234.56"));
        QCOMPARE(QString::fromStdString(out->cellText(3, 1)), QStringLiteral("A"));

        // The exported lines, laid out as FisDetay wants them, come back as the same lines.
        hk::output::Sheet s;
        s.row().text("başlık");
        s.row().text("başlık 2");
        for (std::uint32_t r = 2; r <= out->rowCount(); ++r) {
            s.row().text(out->cellText(r, 5)).text(out->cellText(r, 7));
            for (std::uint32_t col : {8u, 9u, 10u, 11u, 12u, 13u})
                s.number(std::stod(out->cellText(r, col)));
        }
        QVERIFY(hk::output::writeXlsx(s, dir.filePath("FisDetay.xlsx").toStdString()).ok());
        ui.messages.clear();
        f->readExcel();
        QCOMPARE(QString::fromStdString(ui.messages.at(0).text).left(30),
                 QStringLiteral("FişDetay.xls Excel Dosya Yapıs"));
        QCOMPARE(ui.messages.size(), std::size_t(1));
        const auto& lines = f->lines();
        QCOMPARE(lines.size(), std::size_t(4));
        for (std::size_t i = 0; i < 2; ++i) {
            QCOMPARE(lines[i + 2].HESAPKODU, lines[i].HESAPKODU);
            QCOMPARE(lines[i + 2].FISACK, lines[i].FISACK);
            QCOMPARE(lines[i + 2].TLBORC, lines[i].TLBORC);
            QCOMPARE(lines[i + 2].TLALACAK, lines[i].TLALACAK);
            QCOMPARE(lines[i + 2].BORCALACAK, lines[i].BORCALACAK);
            QCOMPARE(int(lines[i + 2].FISSIRANO), int(i) + 3);
        }
    }

    void excelOkuRefusals() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 10, 0);
        // Missing workbook.
        f->readExcel();
        const std::string missing =
            (std::filesystem::path(dir.path().toStdString()) / "FisDetay.xls").string();
        QCOMPARE(QString::fromStdString(ui.messages.back().text),
                 QString::fromStdString(missing + "\nDosyası Bulunamıyor.!"));
        // A row with an amount that is not a number refuses the whole workbook.
        const std::pair<const char*, const char*> bad[] = {{"on", "bir sayı değil"},
                                                           {"-5", "negatif"}};
        for (auto [cell, reason] : bad) {
            hk::output::Sheet s;
            s.row().text("h");
            s.row().text("h");
            s.row().text("120 01").text("iyi").number(5);
            s.row().text("600 01").text("kötü").text(cell);
            QVERIFY(hk::output::writeXlsx(s, dir.filePath("FisDetay.xlsx").toStdString()).ok());
            f->readExcel();
            QVERIFY(QString::fromStdString(ui.messages.back().text).contains(QString::fromUtf8(reason)));
            QVERIFY(QString::fromStdString(ui.messages.back().text).contains(QStringLiteral("satır 4")));
            QCOMPARE(f->lines().size(), std::size_t(1));
        }
    }

    void linesReadWithABadAccountAreRefusedOnSave() {
        company(4);
        const std::pair<const char*, const char*> cases[] = {{"999 01", "hesap planında yok"},
                                                             {"120", "muavin hesap değil"}};
        for (auto [code, reason] : cases) {
            auto f = newForm(12);
            addLine(*f, "600 01", 0, 10);
            hk::output::Sheet s;
            s.row().text("h");
            s.row().text("h");
            s.row().text(code).text("dış").number(10);
            QVERIFY(hk::output::writeXlsx(s, dir.filePath("FisDetay.xlsx").toStdString()).ok());
            f->readExcel();
            QCOMPARE(f->lines().size(), std::size_t(2));
            QVERIFY(!f->trySave());
            const QString t = QString::fromStdString(ui.messages.back().text);
            QVERIFY2(t.contains(QString::fromUtf8(reason)) && t.contains(QStringLiteral("Satır 2")),
                     qPrintable(t));
            QCOMPARE(voucherCount(), 0);
            QCOMPARE(creditIn("600 01", 4), 0.0);
        }
    }

    // ---- sorting, leaving, deleting ---------------------------------------------------------

    void copyStartsFromTheHighlightedLine() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 10, 0, "ilk");
        f->selectLine(0);
        drivers.push_back([](QDialog& w) {
            auto& l = dynamic_cast<FHkFisDet&>(w);
            if (l.code->textValue() != "120 01" || l.description->textValue() != "ilk" ||
                *l.tlDebit->number() != 10.0)
                return 0;
            l.confirm();
            return l.result();
        });
        f->newLine(true);
        QCOMPARE(f->lines().size(), std::size_t(2));
        QCOMPARE(f->lines()[1].FISSIRANO, std::int16_t(2));
        QCOMPARE(f->lines()[1].ACKNO, 200);
    }

    void saveAndPrintStartsTheVoucherPrintWithTheKey() {
        company(4);
        std::vector<std::pair<std::string, std::string>> started;
        auto c = ctx();
        c.start = [&](const std::string& n, const std::string& a) { started.emplace_back(n, a); };
        FHkFisBas f(c, std::string{});
        f.day->setNumber(2);
        addLine(f, "120 01", 10, 0);
        addLine(f, "600 01", 0, 10);
        QVERIFY(f.trySave(true));
        QCOMPARE(started.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(started[0].first), QStringLiteral("FisYaz"));
        QCOMPARE(started[0].second, f.savedKey());
    }

    void temizleClearsTheDocumentFieldsOnlyOnEvet() {
        company(4);
        auto f = newForm(12);
        for (int answer : {2, 1}) {
            f->documentType->setCurrentText(QStringLiteral("Fatura"));
            f->documentNo->setTextValue("A-1");
            f->documentDescription->setTextValue("x");
            ui.answer(answer);
            f->clearDocument();
            QCOMPARE(QString::fromStdString(ui.messages.back().text),
                     QStringLiteral("EDefter Bilgileri Temizlensin mi?"));
            QCOMPARE(f->documentNo->textValue().empty(), answer == 1);
            QCOMPARE(f->documentType->currentText().isEmpty(), answer == 1);
            QCOMPARE(f->documentDescription->textValue().empty(), answer == 1);
        }
    }

    void sortPutsDebitsFirstByAccount() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "600 01", 0, 30);
        addLine(*f, "770 01", 10, 0);
        addLine(*f, "120 01", 20, 0);
        f->sortLines();
        std::vector<std::pair<int, std::string>> got;
        for (const auto& l : f->lines()) got.emplace_back(l.FISSIRANO, l.HESAPKODU);
        const std::vector<std::pair<int, std::string>> want = {
            {1, "120 01"}, {2, "770 01"}, {3, "600 01"}};
        QCOMPARE(got, want);
    }

    void leavingANewVoucherAsksAndWritesNothing() {
        company(4);
        auto f = newForm(12);
        addLine(*f, "120 01", 10, 0);
        f->show();
        ui.answer(2);
        f->leave();
        QVERIFY(f->isVisible());
        QCOMPARE(QString::fromStdString(ui.messages.back().text),
                 QStringLiteral("Değişiklikler Kaydedilmeden ÇıkılsınMı?"));
        ui.answer(1);
        f->leave();
        QVERIFY(!f->isVisible());
        QCOMPARE(voucherCount(), 0);
        QCOMPARE(debitIn("120 01", 4), 0.0);
    }

    void deleteFromTheListUnpostsEverything() {
        company(4);
        const std::string key = mahsup(10, 420);
        QCOMPARE(debitIn("120", 4), 420.0);
        VoucherListContext lc;
        lc.data = &*data;
        lc.session = &*session;
        lc.ui = &ui;
        lc.rights = &*rights;
        FisListesi list(lc);
        list.panel()->selectRow(0);
        ui.answer(1);
        list.deleteVoucher();
        QCOMPARE(QString::fromStdString(ui.messages.back().text), QStringLiteral("Fiş Silinsin mi ?"));
        QCOMPARE(voucherCount(), 0);
        QVERIFY(storedLines(key).empty());
        QCOMPARE(debitIn("120", 4), 0.0);
        QCOMPARE(creditIn("600 01", 4), 0.0);
    }

    void workFileIsPrivateAndNamedLikeTheProgramsWorkFiles() {
        company(4);
        FHkFisBas a(ctx(), std::string{});
        FHkFisBas b(ctx(), std::string{});
        const QString n = QString::fromStdString(a.workFileName());
        QVERIFY2(QRegularExpression(QStringLiteral("^Hk\\d+\\.Tmp$")).match(n).hasMatch(),
                 qPrintable(n));
        a.day->setNumber(3);
        addLine(a, "120 01", 10, 0);
        QCOMPARE(a.lines().size(), std::size_t(1));
        QVERIFY(b.lines().empty());
        QCOMPARE(storedLines("1").size(), std::size_t(0));
    }
};

QTEST_MAIN(VoucherFormTest)
#include "voucher_form_test.moc"
