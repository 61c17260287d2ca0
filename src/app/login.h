#pragma once
// The login logic behind the window "Şifre Ekranı" (and the command-line program's --user): the
// window only gathers input.
//
// Passwords: the user file holds the Argon2id hash (libsodium crypto_pwhash_str) of the password
// upper-cased with the Turkish pairs, in KLUsers.PASSWORDHASH; PASSWORD stays blank. A user whose
// hash is blank has no password: a blank entry opens it (the default master user "HESAPKAR" starts
// so). A record that still carries a plain PASSWORD and no hash (written by some other tool) is
// compared with that text, both sides upper-cased, and gets a hash at the next change.

#include "app/users.h"
#include "core/result.h"
#include "data/records.h"

#include <optional>
#include <string>

namespace hk::app::login {

inline constexpr const char* kDefaultUser = "HESAPKAR";
inline constexpr const char* kUnknownUser = "Geçersiz Kullanıcı";
inline constexpr const char* kWrongPassword = "  Lütfen Şifreyi Yeniden Giriniz.";
inline constexpr const char* kMismatchedNewPassword = "Yeni Girilen Şifre Yanlış Tekrar Edildi";
// Three wrong passwords are answered with kWrongPassword, the fourth ends the program.
inline constexpr int kAllowedFailures = 3;

// True when the typed password opens the user (case-insensitive, Turkish pairs).
bool passwordMatches(const data::KLUsers& user, const std::string& typed);

// The user of that ID (case-insensitive), or none.
core::Result<std::optional<data::KLUsers>> lookupUser(users::SecurityFiles& f,
                                                      const std::string& id);

// The ID the login window starts with: [User] Name when that user exists, else "HESAPKAR".
core::Result<std::string> initialUser(users::SecurityFiles& f, const std::string& lastUser);

enum class Attempt {
    Accepted,      // the password opens the user
    UnknownUser,   // "Geçersiz Kullanıcı"
    BlankUser,     // no ID: the cursor goes back to the user field
    WrongPassword, // "  Lütfen Şifreyi Yeniden Giriniz." (failures 1..3)
    TooManyFailures, // the fourth failure: the program ends silently
};

// Counts the failures of one login window.
class LoginAttempts {
  public:
    // Checks one "Tamam". On Accepted, user() is the record (AnaKullanici from its MASTERUSER).
    core::Result<Attempt> tryLogin(users::SecurityFiles& f, const std::string& id,
                                   const std::string& password);
    int failures() const { return failures_; }
    const data::KLUsers& user() const { return user_; }

  private:
    int failures_ = 0;
    data::KLUsers user_;
};

enum class Change {
    Changed,         // stored; the login succeeds
    BlankEntry,      // one of the two fields is blank: cursor to the first
    Mismatch,        // "Yeni Girilen Şifre Yanlış Tekrar Edildi": both fields blanked
    WrongPassword,   // the current password does not open the user (F9 is refused)
};

// Password change after F9: the current password must open the user, both new entries must be
// non-blank and equal. Nothing is written unless the result is Changed.
core::Result<Change> changePassword(users::SecurityFiles& f, const std::string& id,
                                    const std::string& currentPassword,
                                    const std::string& newPassword, const std::string& repeated);

} // namespace hk::app::login
