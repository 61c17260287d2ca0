#pragma once
// UserLogin: the window "Şifre Ekranı". It only gathers the user ID, the password and, after F9,
// a new password; every decision about users and passwords is taken by the LoginBackend, which
// the application layer implements over the user file.

#include "app/ui.h"
#include "core/result.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hk::ui {

class LoginBackend {
  public:
    virtual ~LoginBackend() = default;
    virtual bool userExists(const std::string& id) = 0;
    // Case-insensitive (Turkish case pairs) comparison with the stored password.
    virtual bool passwordMatches(const std::string& id, const std::string& password) = 0;
    // Stores the new password (upper-cased, hashed) in the user's record.
    virtual core::Status setPassword(const std::string& id, const std::string& newPassword) = 0;
    // Writes [User] Name.
    virtual void rememberUser(const std::string& id) = 0;
};

// "3.02.008": a version number such as 302008 in the picture "P#.##.###P".
std::string versionText(long version);
// The version line of the login window for the data and program versions.
std::string versionLine(long dataVersion, long programVersion);
// The version this program writes and understands.
inline constexpr long kProgramVersion = 302008;

class LoginWindow : public QDialog {
    Q_OBJECT
  public:
    // lastUser: [User] Name. ui: where the window's messages go.
    LoginWindow(LoginBackend& backend, app::Ui& ui, const std::string& lastUser,
                long dataVersion, QWidget* parent = nullptr);

    // The accepted user ID (AktifKullanici) once the login succeeded.
    const std::string& user() const { return acceptedUser_; }
    int failures() const { return failures_; }

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
    void focusTo(QLineEdit* field);

    LoginBackend& backend_;
    app::Ui& ui_;
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
    int failures_ = 0;
    bool changing_ = false;
    bool inMessage_ = false;
};

} // namespace hk::ui
