// The login window "Şifre Ekranı": pre-filled user, unknown and blank IDs, case-insensitive
// passwords, the four-failure limit and the password change behind F9.
#include "app/testing/fake_ui.h"
#include "app/users.h"
#include "core/text.h"
#include "ui/shell/login.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <map>
#include <memory>

using hk::app::testing::FakeUi;
using hk::ui::LoginWindow;

namespace {

// Types text the way a keyboard does, one key event per character (Turkish letters included).
void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    type(field, text);
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT

    std::unique_ptr<hk::app::users::SecurityFiles> files;
    FakeUi ui;
    std::vector<std::string> remembered;

    static void addUser(hk::app::users::SecurityFiles& f, const char* id, const char* pw,
                        int master) {
        hk::data::KLUsers u;
        u.ID = id;
        u.NAME = id;
        u.MASTERUSER = static_cast<std::uint8_t>(master);
        QVERIFY(hk::app::users::addUser(f, u, pw).ok());
    }

    std::unique_ptr<LoginWindow> window(const std::string& lastUser, long dataVersion = 302008) {
        return std::make_unique<LoginWindow>(
            *files, ui, lastUser, [this](const std::string& id) { remembered.push_back(id); },
            dataVersion);
    }

    bool opens(const char* id, const char* pw) {
        auto u = hk::app::login::lookupUser(*files, id);
        return u && *u && hk::app::login::passwordMatches(**u, pw);
    }

  private slots:
    void init() {
        files = std::make_unique<hk::app::users::SecurityFiles>(hk::app::users::openInMemory());
        addUser(*files, "HESAPKAR", "", 1);
        addUser(*files, "ALI", "ŞiFre", 0);
        addUser(*files, "AYŞE", "Kuş", 0);
        ui = FakeUi{};
        remembered.clear();
    }

    void prefillsLastUserOrTheDefaultMaster() {
        auto knownW = window("ALI");
        LoginWindow& known = *knownW;
        QCOMPARE(known.userField()->text(), QStringLiteral("ALI"));
        auto unknownW = window("NOBODY");
        LoginWindow& unknown = *unknownW;
        QCOMPARE(unknown.userField()->text(), QStringLiteral("HESAPKAR"));
        auto noneW = window("");
        LoginWindow& none = *noneW;
        QCOMPARE(none.userField()->text(), QStringLiteral("HESAPKAR"));
        QCOMPARE(none.windowTitle(), QStringLiteral("Şifre Ekranı"));
        QVERIFY(!none.newPasswordField()->isVisibleTo(&none));
        QVERIFY(!none.repeatField()->isVisibleTo(&none));
        QCOMPARE(none.passwordField()->echoMode(), QLineEdit::Password);
        QCOMPARE(none.userField()->maxLength(), 10);
        QCOMPARE(none.passwordField()->maxLength(), 20);
        QCOMPARE(none.okButton()->text(), QStringLiteral("Tamam"));
        QCOMPARE(none.exitButton()->text(), QStringLiteral("Çıkış"));
    }

    void versionLine() {
        QCOMPARE(QString::fromStdString(hk::ui::versionText(302008)), QStringLiteral("3.02.008"));
        QCOMPARE(QString::fromStdString(hk::ui::versionText(301012)), QStringLiteral("3.01.012"));
        auto sameW = window("", 302008);
        LoginWindow& same = *sameW;
        QCOMPARE(same.versionLabel()->text(), QStringLiteral("Version [ 3.02.008 ]"));
        auto olderW = window("", 301012);
        LoginWindow& older = *olderW;
        QCOMPARE(older.versionLabel()->text(),
                 QStringLiteral("Version [ 3.01.012 ] -> [ 3.02.008 ]"));
    }

    void emptyPasswordOfTheDefaultMasterLogsIn() {
        auto wp = window("");
        LoginWindow& w = *wp;
        w.show();
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(w.user()), QStringLiteral("HESAPKAR"));
        QVERIFY(w.masterUser());
        QVERIFY(ui.messages.empty());
    }

    void unknownAndBlankIdsStayInTheWindow() {
        auto wp = window("");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        retype(w.userField(), QStringLiteral("VELİ"));
        QTest::keyClick(w.userField(), Qt::Key_Return);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text), QStringLiteral("Geçersiz Kullanıcı"));
        QVERIFY(w.userField()->hasFocus());
        QVERIFY(remembered.empty());
        QTest::mouseClick(w.okButton(), Qt::LeftButton); // still unknown: no login
        QVERIFY(w.isVisible());
        QCOMPARE(w.failures(), 0);

        retype(w.userField(), QString());
        QTest::keyClick(w.userField(), Qt::Key_Return);
        QVERIFY(w.userField()->hasFocus());
        QCOMPARE(ui.messages.size(), std::size_t(2)); // blank ID: no further message
        QVERIFY(w.isVisible());
    }

    void knownIdIsRememberedAndPasswordComparesWithoutCase() {
        auto wp = window("");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // IDs compare with the Turkish pairs too: "ayşe" is "AYŞE".
        retype(w.userField(), QStringLiteral("ayşe"));
        QTest::keyClick(w.userField(), Qt::Key_Return);
        QCOMPARE(remembered, std::vector<std::string>{"AYŞE"});
        QVERIFY(w.passwordField()->hasFocus());
        type(w.passwordField(), QStringLiteral("KUŞ"));
        QTest::keyClick(w.passwordField(), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(w.user()), QStringLiteral("AYŞE"));
        QVERIFY(ui.messages.empty());
    }

    void fourFailuresEndAndThreeAreForgiven_data() {
        QTest::addColumn<int>("wrong");
        QTest::addColumn<bool>("thenRight");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("messages");
        QTest::newRow("four wrong") << 4 << false << int(QDialog::Rejected) << 3;
        QTest::newRow("three wrong then right") << 3 << true << int(QDialog::Accepted) << 3;
        QTest::newRow("one wrong then right") << 1 << true << int(QDialog::Accepted) << 1;
    }
    void fourFailuresEndAndThreeAreForgiven() {
        QFETCH(int, wrong);
        QFETCH(bool, thenRight);
        QFETCH(int, result);
        QFETCH(int, messages);
        auto wp = window("ALI");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (int i = 0; i < wrong; ++i) {
            retype(w.passwordField(), QStringLiteral("yanlis"));
            QTest::mouseClick(w.okButton(), Qt::LeftButton);
        }
        if (thenRight) {
            retype(w.passwordField(), QStringLiteral("ŞİFRE"));
            QTest::mouseClick(w.okButton(), Qt::LeftButton);
        }
        QCOMPARE(w.result(), result);
        QCOMPARE(w.isVisible(), false);
        QCOMPARE(int(ui.messages.size()), messages);
        for (const auto& m : ui.messages)
            QCOMPARE(QString::fromStdString(m.text), QStringLiteral("  Lütfen Şifreyi Yeniden Giriniz."));
    }

    void exitButtonFails() {
        auto wp = window("");
        LoginWindow& w = *wp;
        w.show();
        QTest::mouseClick(w.exitButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
    }

    void f9NeedsTheCorrectPassword() {
        auto wp = window("ALI");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        retype(w.passwordField(), QStringLiteral("yanlis"));
        QTest::keyClick(&w, Qt::Key_F9);
        QVERIFY(!w.changingPassword());
        QVERIFY(!w.newPasswordField()->isVisible());
        retype(w.passwordField(), QStringLiteral("şİfre"));
        QTest::keyClick(w.passwordField(), Qt::Key_F9);
        QVERIFY(w.changingPassword());
        QVERIFY(w.newPasswordField()->isVisible());
        QVERIFY(w.repeatField()->isVisible());
        QVERIFY(w.newPasswordField()->hasFocus());
    }

    void unequalNewPasswordsWriteNothing() {
        auto wp = window("ALI");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        retype(w.passwordField(), QStringLiteral("şifre"));
        QTest::keyClick(w.passwordField(), Qt::Key_F9);
        type(w.newPasswordField(), QStringLiteral("yeni1"));
        // Only one of the two filled: back to the first, nothing said.
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QVERIFY(ui.messages.empty());
        QVERIFY(w.newPasswordField()->hasFocus());
        retype(w.repeatField(), QStringLiteral("yeni2"));
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 QStringLiteral("Yeni Girilen Şifre Yanlış Tekrar Edildi"));
        QVERIFY(w.newPasswordField()->text().isEmpty());
        QVERIFY(w.repeatField()->text().isEmpty());
        QVERIFY(w.newPasswordField()->hasFocus());
        QVERIFY(opens("ALI", "şifre"));
        QVERIFY(w.isVisible());
    }

    void equalNewPasswordsAreStoredAndLogIn() {
        auto wp = window("ALI");
        LoginWindow& w = *wp;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        retype(w.passwordField(), QStringLiteral("ŞIFRE") + QStringLiteral("")); // not the password
        QTest::keyClick(w.passwordField(), Qt::Key_F9);
        QVERIFY(!w.changingPassword()); // "ŞIFRE" (dotless I) is not "ŞİFRE"
        retype(w.passwordField(), QStringLiteral("şifre"));
        QTest::keyClick(w.passwordField(), Qt::Key_F9);
        type(w.newPasswordField(), QStringLiteral("gizli"));
        type(w.repeatField(), QStringLiteral("gizli"));
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.masterUser());
        QVERIFY(opens("ALI", "GİZLİ"));
        QVERIFY(opens("ALI", "gizli"));
        QVERIFY(!opens("ALI", "şifre"));
        // Only the hash reaches the record.
        auto u = hk::app::login::lookupUser(*files, "ALI");
        QVERIFY(u && *u);
        QVERIFY((*u)->PASSWORD.empty());
        QVERIFY((*u)->PASSWORDHASH.rfind("$argon2id$", 0) == 0);
    }
};

QTEST_MAIN(LoginTest)
#include "login_test.moc"
