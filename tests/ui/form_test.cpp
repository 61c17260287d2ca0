// The update form base: fields refuse what their picture or the Turkish code page does not allow,
// and the standard confirmations (3 after an add, 35 before saving a change, 8 on cancelling
// changes, 13 on a duplicate key) are raised through the Ui port with the right effect.
#include "app/testing/fake_ui.h"
#include "data/errors.h"
#include "ui/framework/binding.h"
#include "ui/framework/fields.h"
#include "ui/framework/form.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using hk::app::testing::FakeUi;
using hk::ui::FormMode;
using hk::ui::PictureEdit;

namespace {

void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// A small form: a code (text, 5), an amount (2 decimals), a date and a check box. save() records
// what it would write, or fails with a scripted error.
class TestForm : public hk::ui::UpdateForm {
  public:
    TestForm(hk::app::Ui& ui, FormMode mode) : UpdateForm(ui, mode) {
        code = addText(QStringLiteral("Kod"), "s5");
        amount = addText(QStringLiteral("Tutar"), "n12.2");
        date = addText(QStringLiteral("Tarih"), "d6");
        flag = addCheck(QStringLiteral(" Ana Kullanıcı"));
        open();
    }
    PictureEdit* code;
    PictureEdit* amount;
    PictureEdit* date;
    QCheckBox* flag;
    std::vector<std::string> written;
    std::optional<hk::core::Error> failWith;
    int loads = 0;

  protected:
    void load() override {
        ++loads;
        code->setTextValue(mode() == FormMode::Insert ? "" : "ABC");
        amount->setNumber(mode() == FormMode::Insert ? 0 : 12.5);
        date->clear();
        flag->setChecked(false);
    }
    hk::core::Status save() override {
        if (failWith) return *failWith;
        written.push_back(code->textValue());
        return {};
    }
};

// A record with members a form shows and one it does not.
struct Row {
    std::string code;
    double amount = 0;
    std::uint8_t flag = 0;
    std::array<std::int16_t, 3> counts{};
    std::string hidden;
};

} // namespace

class FormTest : public QObject {
    Q_OBJECT
  private slots:
    void fieldsRefuseWhatThePictureDoesNotAllow() {
        FakeUi ui;
        TestForm f(ui, FormMode::Insert);
        type(f.code, QStringLiteral("ABCDEFG"));
        QCOMPARE(f.code->text(), QStringLiteral("ABCDE")); // five characters
        QVERIFY(!f.code->lastRefusal().isEmpty());

        f.amount->clear();
        type(f.amount, QStringLiteral("-12a3,456"));
        QCOMPARE(f.amount->text(), QStringLiteral("-123,45")); // no letter, two decimals
        auto v = f.amount->number();
        QVERIFY(v.ok());
        QCOMPARE(v.value(), -123.45);

        type(f.date, QStringLiteral("31.x02.2015"));
        QCOMPARE(f.date->text(), QStringLiteral("31.02.2015"));
        QVERIFY(!f.date->date().ok()); // no 31 February
        f.date->setText(QStringLiteral("29.02.2016"));
        QCOMPARE(f.date->date().value(), (hk::core::Date{29, 2, 2016}));
    }

    void onlyWindowsTurkishCharactersEnter() {
        FakeUi ui;
        TestForm f(ui, FormMode::Insert);
        type(f.code, QStringLiteral("Şİ"));
        type(f.code, QString(QChar(0x03A9))); // Greek omega: not in cp1254
        type(f.code, QString(QChar(0x4E2D)));
        QCOMPARE(f.code->text(), QStringLiteral("Şİ"));
        QVERIFY(f.code->lastRefusal().contains(QStringLiteral("kod sayfasında")));
        type(f.code, QStringLiteral("ğ€")); // the euro sign is in cp1254
        QCOMPARE(f.code->text(), QStringLiteral("Şİğ€"));
        // pasted text goes through the same check
        f.code->clear();
        f.code->insert(QStringLiteral("a") + QChar(0x03A9));
        QVERIFY(f.code->text().isEmpty());
    }

    void addedRecordAsksForAnother() {
        FakeUi ui;
        TestForm f(ui, FormMode::Insert);
        type(f.code, QStringLiteral("K1"));
        ui.answer(1); // "&Evet": another one
        QTest::mouseClick(f.saveButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].caption, std::string("Kayıt eklendi"));
        QCOMPARE(ui.messages[0].buttons, std::string("&Evet|&Hayır"));
        QCOMPARE(f.written, std::vector<std::string>{"K1"});
        QVERIFY(f.code->text().isEmpty()); // cleared for the next record
        QCOMPARE(f.result(), int(QDialog::Rejected));

        type(f.code, QStringLiteral("K2"));
        ui.answer(2); // "&Hayır": the form closes
        QTest::mouseClick(f.saveButton(), Qt::LeftButton);
        QCOMPARE(f.written, (std::vector<std::string>{"K1", "K2"}));
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }

    void changeIsConfirmedBeforeItIsWritten() {
        FakeUi ui;
        TestForm f(ui, FormMode::Change);
        QTest::mouseClick(f.saveButton(), Qt::LeftButton); // nothing changed: no question
        QVERIFY(ui.messages.empty());
        QVERIFY(f.written.empty());

        TestForm g(ui, FormMode::Change);
        type(g.code, QStringLiteral("D"));
        ui.answer(2);
        QTest::mouseClick(g.saveButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.back().caption, std::string("Değiştirme onayı"));
        QVERIFY(g.written.empty());
        QCOMPARE(g.result(), int(QDialog::Rejected));
        ui.answer(1);
        QTest::mouseClick(g.saveButton(), Qt::LeftButton);
        QCOMPARE(g.written, std::vector<std::string>{"ABCD"});
        QCOMPARE(g.result(), int(QDialog::Accepted));
    }

    void cancellingChangesAsksFirst() {
        FakeUi ui;
        TestForm f(ui, FormMode::Change);
        f.show();
        f.flag->setChecked(true);
        ui.answer(2); // stay
        QTest::mouseClick(f.cancelButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.back().caption, std::string("Yaptığınız değişiklikler kaybolacak!"));
        QVERIFY(f.isVisible());
        ui.answer(1);
        QTest::keyClick(&f, Qt::Key_Escape); // Escape goes the same way
        QVERIFY(!f.isVisible());
        QVERIFY(f.written.empty());
        QCOMPARE(ui.messages.size(), std::size_t(2));

        TestForm g(ui, FormMode::Change); // without changes it just closes
        g.show();
        QTest::mouseClick(g.cancelButton(), Qt::LeftButton);
        QVERIFY(!g.isVisible());
        QCOMPARE(ui.messages.size(), std::size_t(2));
    }

    void duplicateKeyKeepsTheFormOpen() {
        FakeUi ui;
        TestForm f(ui, FormMode::Insert);
        f.show();
        type(f.code, QStringLiteral("K1"));
        f.failWith =
            hk::data::engineError(hk::data::ErrorCode::DuplicateKey, "KLGUsers", "Gusr:IdKey", 13);
        QTest::mouseClick(f.saveButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(ui.messages[0].caption, std::string("Çift kayıt yaratma hatası"));
        QVERIFY(ui.messages[0].text.find("Gusr:IdKey key sahası") != std::string::npos);
        QVERIFY(f.isVisible());
        QCOMPARE(f.code->text(), QStringLiteral("K1")); // nothing typed is lost
    }

    // One declaration drives showing, reading back, copying onto a stored record and enabling.
    void aBindingShowsTakesAndCopiesOnlyWhatItDeclares() {
        QWidget host;
        auto* code = new PictureEdit("s5", &host);
        auto* amount = new PictureEdit("n12.2", &host);
        auto* slot = new PictureEdit("n_5", &host);
        auto* flag = new QCheckBox(&host);
        hk::ui::FormBinding<Row> b;
        b.text(code, &Row::code);
        b.number(amount, "Tutar", &Row::amount);
        b.whole(slot, "Sıra", hk::ui::element(&Row::counts, 2));
        b.check(flag, &Row::flag);
        b.enableWhen(code, [](const Row& r) { return r.code.empty(); });

        Row shown{"AB", 12.5, 1, {0, 7, 0}, "gizli"};
        b.show(shown);
        QCOMPARE(code->textValue(), std::string("AB"));
        QVERIFY(flag->isChecked());
        QVERIFY(!code->isEnabled()); // a record with a code keeps it
        b.show(Row{});
        QVERIFY(code->isEnabled());

        b.show(shown);
        amount->setText(QStringLiteral("99.25"));
        slot->setText(QStringLiteral("40000")); // does not fit a SHORT
        QVERIFY(!b.take(shown));
        slot->setText(QStringLiteral("9"));
        auto taken = b.take(shown);
        QVERIFY(taken);
        QCOMPARE(taken.value().amount, 99.25);
        QCOMPARE(int(taken.value().counts[1]), 9);

        // saving over a stored record that changed meanwhile: only declared members move
        Row stored{"XY", 1, 0, {5, 5, 5}, "dosyada"};
        b.copyEdited(taken.value(), stored);
        QCOMPARE(stored.code, std::string("AB"));
        QCOMPARE(stored.amount, 99.25);
        QCOMPARE(int(stored.flag), 1);
        QCOMPARE(int(stored.counts[0]), 5);
        QCOMPARE(int(stored.counts[1]), 9);
        QCOMPARE(int(stored.counts[2]), 5);
        QCOMPARE(stored.hidden, std::string("dosyada"));
    }

    void formWithoutSaveRightCanOnlyBeLeft() {
        FakeUi ui;
        TestForm f(ui, FormMode::Change);
        f.show();
        f.setCanSave(false);
        QVERIFY(!f.saveButton()->isVisible());
        f.trySave();
        QVERIFY(f.written.empty());
        TestForm v(ui, FormMode::View);
        v.show();
        QVERIFY(!v.saveButton()->isVisible());
        QVERIFY(!v.code->isEnabled());
    }
};

QTEST_MAIN(FormTest)
#include "form_test.moc"
