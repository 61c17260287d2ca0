#include "app/login.h"

#include "core/text.h"
#include "data/errors.h"

#include <sodium.h>

namespace hk::app::login {

namespace text = core::text;

bool passwordMatches(const data::KLUsers& user, const std::string& typed) {
    // Compared as the fixed-width field compares and as the user form stores it: upper-cased,
    // without trailing blanks.
    const std::string upper = text::clip(text::upperTr(typed));
    const std::string hash = text::clip(user.PASSWORDHASH);
    if (hash.empty()) return text::upperTr(text::clip(user.PASSWORD)) == upper;
    if (sodium_init() < 0) return false;
    return crypto_pwhash_str_verify(hash.c_str(), upper.data(), upper.size()) == 0;
}

core::Result<std::optional<data::KLUsers>> lookupUser(users::SecurityFiles& f,
                                                      const std::string& id) {
    if (text::trim(id).empty()) return std::optional<data::KLUsers>{};
    return users::findUser(f, id);
}

core::Result<std::string> initialUser(users::SecurityFiles& f, const std::string& lastUser) {
    auto u = lookupUser(f, lastUser);
    if (!u) return u.error();
    return *u ? text::clip((*u)->ID) : std::string(kDefaultUser);
}

core::Result<Attempt> LoginAttempts::tryLogin(users::SecurityFiles& f, const std::string& id,
                                              const std::string& password) {
    if (text::trim(id).empty()) return Attempt::BlankUser;
    auto u = lookupUser(f, id);
    if (!u) return u.error();
    if (!*u) return Attempt::UnknownUser;
    if (passwordMatches(**u, password)) {
        user_ = **u;
        return Attempt::Accepted;
    }
    ++failures_;
    return failures_ > kAllowedFailures ? Attempt::TooManyFailures : Attempt::WrongPassword;
}

core::Result<Change> changePassword(users::SecurityFiles& f, const std::string& id,
                                    const std::string& currentPassword,
                                    const std::string& newPassword, const std::string& repeated) {
    auto u = lookupUser(f, id);
    if (!u) return u.error();
    if (!*u || !passwordMatches(**u, currentPassword)) return Change::WrongPassword;
    if (text::trim(newPassword).empty() || text::trim(repeated).empty()) return Change::BlankEntry;
    if (newPassword != repeated) return Change::Mismatch;
    if (auto st = users::changeUser(f, **u, newPassword); !st) return st.error();
    return Change::Changed;
}

} // namespace hk::app::login
