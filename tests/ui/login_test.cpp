// The login window "Şifre Ekranı": pre-filled user, unknown and blank IDs, case-insensitive
// passwords, the four-failure limit and the password change behind F9.
#include "app/testing/fake_ui.h"
#include "core/text.h"
#include "ui/login.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <map>

using hk::app::testing::FakeUi;
using hk::ui::LoginWindow;

namespace {

// Users as the user file would hold them; the comparison is the one the program uses
// (both sides upper-cased with the Turkish pairs).
class FakeBackend : public hk::ui::LoginBackend {
  public:
    std::map<std::string, std::string> passwords;
    std::vector<std::string> remembered;
    std::vector<std::pair<std::string, std::string>> stored;

    bool userExists(const std::string& id) override {
        return passwords.count(hk::core::text::upperTr(id)) != 0;
    }
    bool passwordMatches(const std::string& id, const std::string& pw) override {
        auto it = passwords.find(hk::core::text::upperTr(id));
        return it != passwords.end() &&
               hk::core::text::upperTr(hk::core::text::clip(it->second)) ==
                   hk::core::text::upperTr(hk::core::text::clip(pw));
    }
    hk::core::Status setPassword(const std::string& id, const std::string& pw) override {
        stored.emplace_back(id, pw);
        passwords[hk::core::text::upperTr(id)] = hk::core::text::upperTr(pw);
        return {};
    }
    void rememberUser(const std::string& id) override { remembered.push_back(id); }
};

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

    FakeBackend backend;
    FakeUi ui;

  private slots:
    void init() {
        backend = FakeBackend{};
        backend.passwords["HESAPKAR"] = "";
        backend.passwords["ALI"] = "ŞiFre";
        backend.passwords["AYŞE"] = "Kuş";
        ui = FakeUi{};
    }

    void prefillsLastUserOrTheDefaultMaster() {
        LoginWindow known(backend, ui, "ALI", hk::ui::kProgramVersion);
        QCOMPARE(known.userField()->text(), QStringLiteral("ALI"));
        LoginWindow unknown(backend, ui, "NOBODY", hk::ui::kProgramVersion);
        QCOMPARE(unknown.userField()->text(), QStringLiteral("HESAPKAR"));
        LoginWindow none(backend, ui, "", hk::ui::kProgramVersion);
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
        LoginWindow same(backend, ui, "", 302008);
        QCOMPARE(same.versionLabel()->text(), QStringLiteral("Version [ 3.02.008 ]"));
        LoginWindow older(backend, ui, "", 301012);
        QCOMPARE(older.versionLabel()->text(),
                 QStringLiteral("Version [ 3.01.012 ] -> [ 3.02.008 ]"));
    }

    void emptyPasswordOfTheDefaultMasterLogsIn() {
        LoginWindow w(backend, ui, "", hk::ui::kProgramVersion);
        w.show();
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(w.user()), QStringLiteral("HESAPKAR"));
        QVERIFY(ui.messages.empty());
    }

    void unknownAndBlankIdsStayInTheWindow() {
        LoginWindow w(backend, ui, "", hk::ui::kProgramVersion);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        retype(w.userField(), QStringLiteral("VELİ"));
        QTest::keyClick(w.userField(), Qt::Key_Return);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text), QStringLiteral("Geçersiz Kullanıcı"));
        QVERIFY(w.userField()->hasFocus());
        QVERIFY(backend.remembered.empty());
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
        LoginWindow w(backend, ui, "", hk::ui::kProgramVersion);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // IDs compare with the Turkish pairs too: "ayşe" is "AYŞE".
        retype(w.userField(), QStringLiteral("ayşe"));
        QTest::keyClick(w.userField(), Qt::Key_Return);
        QCOMPARE(backend.remembered, std::vector<std::string>{"ayşe"});
        QVERIFY(w.passwordField()->hasFocus());
        type(w.passwordField(), QStringLiteral("KUŞ"));
        QTest::keyClick(w.passwordField(), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
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
        LoginWindow w(backend, ui, "ALI", hk::ui::kProgramVersion);
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
        LoginWindow w(backend, ui, "", hk::ui::kProgramVersion);
        w.show();
        QTest::mouseClick(w.exitButton(), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.isVisible());
    }

    void f9NeedsTheCorrectPassword() {
        LoginWindow w(backend, ui, "ALI", hk::ui::kProgramVersion);
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
        LoginWindow w(backend, ui, "ALI", hk::ui::kProgramVersion);
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
        QVERIFY(backend.stored.empty());
        QVERIFY(w.isVisible());
    }

    void equalNewPasswordsAreStoredAndLogIn() {
        LoginWindow w(backend, ui, "ALI", hk::ui::kProgramVersion);
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
        QCOMPARE(backend.stored.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(backend.stored[0].second), QStringLiteral("gizli"));
        QVERIFY(backend.passwordMatches("ALI", "GİZLİ"));
        QVERIFY(!backend.passwordMatches("ALI", "şifre"));
    }
};

QTEST_MAIN(LoginTest)
#include "login_test.moc"
