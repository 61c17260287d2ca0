#include "ui/shell/login.h"

#include "core/picture.h"
#include "core/text.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace hk::ui {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }

const char* const kTitle = "Şifre Ekranı";

} // namespace

std::string versionText(long version) {
    return core::picture::format(static_cast<double>(version), "P#.##.###P");
}

std::string versionLine(long dataVersion, long programVersion) {
    if (dataVersion == programVersion) return "Version [ " + versionText(programVersion) + " ]";
    return "Version [ " + versionText(dataVersion) + " ] -> [ " + versionText(programVersion) +
           " ]";
}

LoginWindow::LoginWindow(app::users::SecurityFiles& files, app::Ui& ui,
                         const std::string& lastUser,
                         std::function<void(const std::string&)> rememberUser, long dataVersion,
                         QWidget* parent)
    : QDialog(parent), files_(files), ui_(ui), rememberUser_(std::move(rememberUser)) {
    setWindowTitle(q(kTitle));
    setObjectName(QStringLiteral("UserLogin"));

    user_ = new QLineEdit(this);
    user_->setMaxLength(10);
    password_ = new QLineEdit(this);
    password_->setMaxLength(20);
    password_->setEchoMode(QLineEdit::Password);
    newPassword_ = new QLineEdit(this);
    newPassword_->setMaxLength(20);
    newPassword_->setEchoMode(QLineEdit::Password);
    repeat_ = new QLineEdit(this);
    repeat_->setMaxLength(20);
    repeat_->setEchoMode(QLineEdit::Password);
    newLabel_ = new QLabel(QStringLiteral("Yeni Şifre"), this);
    repeatLabel_ = new QLabel(QStringLiteral("Tekrar Giriniz"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kullanıcı"), user_);
    form->addRow(QStringLiteral("Şifre"), password_);
    form->addRow(newLabel_, newPassword_);
    form->addRow(repeatLabel_, repeat_);
    for (QWidget* w : {static_cast<QWidget*>(newLabel_), static_cast<QWidget*>(newPassword_),
                       static_cast<QWidget*>(repeatLabel_), static_cast<QWidget*>(repeat_)})
        w->setVisible(false);

    ok_ = new QPushButton(QStringLiteral("Tamam"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    ok_->setAutoDefault(false);
    exit_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(exit_);

    version_ = new QLabel(q(versionLine(dataVersion, kProgramVersion)), this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(version_);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &LoginWindow::pressOk);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    connect(user_, &QLineEdit::returnPressed, this, [this] {
        if (acceptUser()) focusTo(password_);
    });
    // Leaving the user field accepts it, as pressing Enter does.
    connect(user_, &QLineEdit::editingFinished, this, [this] {
        if (!inMessage_ && user_->isModified() && !user_->hasFocus()) acceptUser();
    });
    connect(password_, &QLineEdit::returnPressed, this, &LoginWindow::pressOk);
    connect(newPassword_, &QLineEdit::returnPressed, this, [this] { focusTo(repeat_); });
    connect(repeat_, &QLineEdit::returnPressed, this, &LoginWindow::pressOk);
    auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    f9->setContext(Qt::WindowShortcut);
    connect(f9, &QShortcut::activated, this, &LoginWindow::pressF9);

    auto first = app::login::initialUser(files_, lastUser);
    if (!first) storageError(first.error());
    const std::string prefill = first ? *first : std::string(app::login::kDefaultUser);
    user_->setText(q(prefill));
    auto known = app::login::lookupUser(files_, prefill);
    if (known && *known) acceptedUser_ = prefill;
    focusTo(acceptedUser_.empty() ? user_ : password_);
}

void LoginWindow::say(const std::string& text) {
    inMessage_ = true;
    ui_.message(text, kTitle, app::Icon::Warning, "&Tamam", 1);
    inMessage_ = false;
}

void LoginWindow::storageError(const core::Error& e) {
    inMessage_ = true;
    ui_.message(e.describe(), e.file.empty() ? std::string(kTitle) : e.file, app::Icon::Critical,
                "&Tamam", 1);
    inMessage_ = false;
}

void LoginWindow::focusTo(QLineEdit* field) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void LoginWindow::succeed(bool master) {
    master_ = master;
    // The pre-filled user is accepted by logging in with it, so [User] Name follows too.
    if (rememberUser_) rememberUser_(acceptedUser_);
    accept();
}

bool LoginWindow::acceptUser() {
    const std::string id = core::text::trim(s(user_->text()));
    user_->setModified(false);
    acceptedUser_.clear();
    if (id.empty()) {
        focusTo(user_);
        return false;
    }
    auto found = app::login::lookupUser(files_, id);
    if (!found) {
        storageError(found.error());
        focusTo(user_);
        return false;
    }
    if (!*found) {
        say(app::login::kUnknownUser);
        focusTo(user_);
        return false;
    }
    // The ID as the user file spells it: "ayşe" logs in as "AYŞE".
    acceptedUser_ = core::text::clip((*found)->ID);
    if (rememberUser_) rememberUser_(acceptedUser_);
    return true;
}

void LoginWindow::pressOk() {
    if (user_->isModified() || acceptedUser_.empty()) {
        if (!acceptUser()) return;
    }
    const std::string typed = s(password_->text());
    if (changing_) {
        auto changed = app::login::changePassword(files_, acceptedUser_, typed,
                                                  s(newPassword_->text()), s(repeat_->text()));
        if (!changed) {
            // Nothing was written; the old password still opens the user.
            storageError(changed.error());
            return;
        }
        switch (*changed) {
        case app::login::Change::Changed: {
            auto u = app::login::lookupUser(files_, acceptedUser_);
            succeed(u && *u && (*u)->MASTERUSER == 1);
            return;
        }
        case app::login::Change::BlankEntry:
            focusTo(newPassword_);
            return;
        case app::login::Change::Mismatch:
            say(app::login::kMismatchedNewPassword);
            newPassword_->clear();
            repeat_->clear();
            focusTo(newPassword_);
            return;
        case app::login::Change::WrongPassword:
            break; // the password was changed after F9: an ordinary failed attempt
        }
    }
    auto attempt = attempts_.tryLogin(files_, acceptedUser_, typed);
    if (!attempt) {
        storageError(attempt.error());
        return;
    }
    switch (*attempt) {
    case app::login::Attempt::Accepted:
        succeed(attempts_.user().MASTERUSER == 1);
        return;
    case app::login::Attempt::UnknownUser:
        say(app::login::kUnknownUser);
        focusTo(user_);
        return;
    case app::login::Attempt::BlankUser:
        focusTo(user_);
        return;
    case app::login::Attempt::WrongPassword:
        say(app::login::kWrongPassword);
        focusTo(password_);
        return;
    case app::login::Attempt::TooManyFailures:
        reject(); // the program ends without a further word
        return;
    }
}

void LoginWindow::pressF9() {
    if (changing_ || acceptedUser_.empty()) return;
    auto u = app::login::lookupUser(files_, acceptedUser_);
    if (!u || !*u || !app::login::passwordMatches(**u, s(password_->text()))) return;
    changing_ = true;
    for (QWidget* w : {static_cast<QWidget*>(newLabel_), static_cast<QWidget*>(newPassword_),
                       static_cast<QWidget*>(repeatLabel_), static_cast<QWidget*>(repeat_)})
        w->setVisible(true);
    focusTo(newPassword_);
}

} // namespace hk::ui
