#pragma once
// UserLogin: the window "Şifre Ekranı". It only gathers the user ID, the password and, after F9,
// a new password; every decision about users and passwords is taken by app/login over the user
// file.

#include "app/login.h"
#include "app/ui.h"
#include "app/users.h"
#include "core/result.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hk::ui {

// "3.02.008": a version number such as 302008 in the picture "P#.##.###P".
std::string versionText(long version);
// The version line of the login window for the data and program versions.
std::string versionLine(long dataVersion, long programVersion);
// The version this program writes and understands.
inline constexpr long kProgramVersion = 302008;

class LoginWindow : public QDialog {
    Q_OBJECT
  public:
    // lastUser: [User] Name; rememberUser writes an accepted ID back there. ui: where the
    // window's messages go.
    LoginWindow(app::users::SecurityFiles& files, app::Ui& ui, const std::string& lastUser,
                std::function<void(const std::string&)> rememberUser, long dataVersion,
                QWidget* parent = nullptr);

    // The accepted user ID (AktifKullanici) and its master flag once the login succeeded.
    const std::string& user() const { return acceptedUser_; }
    bool masterUser() const { return master_; }
    int failures() const { return attempts_.failures(); }

    QLineEdit* userField() const { return user_; }
    QLineEdit* passwordField() const { return password_; }
    QLineEdit* newPasswordField() const { return newPassword_; }
    QLineEdit* repeatField() const { return repeat_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* exitButton() const { return exit_; }
    QLabel* versionLabel() const { return version_; }
    bool changingPassword() const { return changing_; }

    // What the buttons and keys do; public so tests and the key handlers share one path.
    bool acceptUser();
    void pressOk();
    void pressF9();

  private:
    void say(const std::string& text);
    void storageError(const core::Error& e);
    void focusTo(QLineEdit* field);
    void succeed(bool master);

    app::users::SecurityFiles& files_;
    app::Ui& ui_;
    std::function<void(const std::string&)> rememberUser_;
    app::login::LoginAttempts attempts_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLabel* newLabel_;
    QLineEdit* newPassword_;
    QLabel* repeatLabel_;
    QLineEdit* repeat_;
    QPushButton* ok_;
    QPushButton* exit_;
    QLabel* version_;
    std::string acceptedUser_;
    bool master_ = false;
    bool changing_ = false;
    bool inMessage_ = false;
};

} // namespace hk::ui
