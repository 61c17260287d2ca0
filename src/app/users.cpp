#include "app/users.h"

#include "core/text.h"
#include "data/errors.h"

#include <sodium.h>

#include <cmath>
#include <limits>

namespace hk::app::users {
namespace {

using data::KLDGrups;
using data::KLDUsers;
using data::KLGrups;
using data::KLGUsers;
using data::KLUsers;
using data::MenuList;
using data::Seek;

constexpr double kLowest = -std::numeric_limits<double>::max();

bool sameId(const std::string& a, const std::string& b) {
    return core::text::compare(a, b, true) == 0;
}

std::string yesNo(const std::string& right) {
    return core::text::clip(right) == "E" ? "E" : "H";
}

// A unit of work when the files live in a database; memory tables have none.
class Unit {
  public:
    explicit Unit(data::Database* db) {
        if (db) tx_.emplace(*db);
    }
    core::Status started() const { return tx_ ? tx_->started() : core::Status{}; }
    core::Status commit() { return tx_ ? tx_->commit() : core::Status{}; }

  private:
    std::optional<data::Transaction> tx_;
};

core::Error notInCatalogue(const std::string& field, const std::string& file) {
    // message 14: "%Field sahasına yapılan atama %Message dosyasında bulunamadı."
    return core::Error::of(static_cast<int>(data::ErrorCode::NotFound), field, file, 14);
}

core::Error refused(const std::string& text) {
    return core::Error::of(0, text);
}

// Reads every record of a key range: from `from` (AtOrAfter) while inRange holds.
template <typename T, typename Pred>
core::Result<std::vector<T>> scan(data::TypedTable<T>& t, std::string_view key, const T& from,
                                  Pred inRange) {
    std::vector<T> out;
    if (auto st = t.set(key, Seek::AtOrAfter, from); !st) return st.error();
    for (;;) {
        auto r = t.next();
        if (!r) {
            if (data::isMissing(r.error())) break;
            return r.error();
        }
        if (!inRange(r.value())) break;
        out.push_back(std::move(r.value()));
    }
    return out;
}

template <typename T>
core::Result<std::vector<T>> scanAll(data::TypedTable<T>& t, std::string_view key) {
    std::vector<T> out;
    if (auto st = t.set(key, Seek::First); !st) return st.error();
    for (;;) {
        auto r = t.next();
        if (!r) {
            if (data::isMissing(r.error())) break;
            return r.error();
        }
        out.push_back(std::move(r.value()));
    }
    return out;
}

// Adds a row; a duplicate is not an error for the bulk operations. Returns whether it was added.
template <typename T> core::Result<bool> addUnlessPresent(data::TypedTable<T>& t, const T& r) {
    if (auto st = t.add(r); !st) {
        if (data::is(st.error(), data::ErrorCode::DuplicateKey)) return false;
        return st.error();
    }
    return true;
}

template <typename T, typename K>
core::Result<std::optional<T>> find(data::TypedTable<T>& t, std::string_view key, const K& k) {
    auto r = t.get(key, k);
    if (!r) {
        if (data::isMissing(r.error())) return std::optional<T>{};
        return r.error();
    }
    return std::optional<T>{std::move(r.value())};
}

core::Result<int> masterCount(SecurityFiles& f) {
    auto all = scanAll(f.users, "USR:IdKey");
    if (!all) return all.error();
    int n = 0;
    for (const auto& u : all.value())
        n += u.MASTERUSER == 1;
    return n;
}

template <typename T> void normaliseRights(T& row) {
    row.GOSTER = yesNo(row.GOSTER);
    row.IZLE = yesNo(row.IZLE);
    row.YENIGIR = yesNo(row.YENIGIR);
    row.DEGISTIR = yesNo(row.DEGISTIR);
    row.SIL = yesNo(row.SIL);
}

core::Status checkId(const std::string& id) {
    if (core::text::trim(id).empty()) return refused("Kullanıcı Kod boş olamaz.");
    return {};
}

// Argon2id of the password as the login compares it (upper-cased with the Turkish pairs). A blank
// password stays blank: the default master user starts that way.
core::Result<std::string> hashOf(const std::string& password) {
    if (password.empty()) return std::string();
    if (sodium_init() < 0) return core::Error::of(0, "Şifre kütüphanesi başlatılamadı.");
    const std::string upper = core::text::upperTr(password);
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, upper.data(), upper.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return core::Error::of(0, "Şifre saklanamadı: bellek yetersiz.");
    return std::string(out);
}

core::Status setPassword(KLUsers& u, const std::string& password) {
    if (!core::text::isCp1254(password))
        return refused("Şifre Türkçe Windows kod sayfasında olmayan karakter içeriyor.");
    if (core::text::length(password) > 20) return refused("Şifre en fazla 20 karakter olabilir.");
    auto h = hashOf(password);
    if (!h) return h.error();
    u.PASSWORD.clear(); // the plain password never reaches the disk
    u.PASSWORDHASH = h.value();
    return {};
}

// A rights row changes only in its five rights; its keys and the copied menu name stay as stored.
template <typename Table, typename Row>
core::Status changeRights(Table& table, const char* key, const Row& row) {
    auto cur = table.get(key, row);
    if (!cur) return cur.error();
    Row u = cur.value();
    u.GOSTER = row.GOSTER;
    u.IZLE = row.IZLE;
    u.YENIGIR = row.YENIGIR;
    u.DEGISTIR = row.DEGISTIR;
    u.SIL = row.SIL;
    normaliseRights(u);
    return table.put(u);
}

} // namespace

core::Status checkNumber(double v, const std::string& field) {
    if (!std::isfinite(v) || v < 1 || v != std::floor(v) || v > 2147483647.0)
        return refused(field + " 1 veya daha büyük bir tam sayı olmalıdır.");
    return {};
}

core::Result<SecurityFiles> open(data::Database& db) {
    SecurityFiles f;
    f.db = &db;
    auto users = db.table(data::fileDef(data::Layout::KLUsers));
    if (!users) return users.error();
    auto groups = db.table(data::fileDef(data::Layout::KLGrups));
    if (!groups) return groups.error();
    auto members = db.table(data::fileDef(data::Layout::KLGUsers));
    if (!members) return members.error();
    auto grights = db.table(data::fileDef(data::Layout::KLDGrups));
    if (!grights) return grights.error();
    auto urights = db.table(data::fileDef(data::Layout::KLDUsers));
    if (!urights) return urights.error();
    auto menus = db.table(data::fileDef(data::Layout::MenuList));
    if (!menus) return menus.error();
    f.users = data::TypedTable<KLUsers>(std::move(users.value()));
    f.groups = data::TypedTable<KLGrups>(std::move(groups.value()));
    f.memberships = data::TypedTable<KLGUsers>(std::move(members.value()));
    f.groupRights = data::TypedTable<KLDGrups>(std::move(grights.value()));
    f.userRights = data::TypedTable<KLDUsers>(std::move(urights.value()));
    f.menus = data::TypedTable<MenuList>(std::move(menus.value()));
    return f;
}

SecurityFiles openInMemory() {
    using data::Layout;
    using data::Table;
    SecurityFiles f;
    f.users = data::TypedTable<KLUsers>(Table::memory(data::fileDef(Layout::KLUsers), "KLUsers"));
    f.groups = data::TypedTable<KLGrups>(Table::memory(data::fileDef(Layout::KLGrups), "KLGrups"));
    f.memberships =
        data::TypedTable<KLGUsers>(Table::memory(data::fileDef(Layout::KLGUsers), "KLGUsers"));
    f.groupRights =
        data::TypedTable<KLDGrups>(Table::memory(data::fileDef(Layout::KLDGrups), "KLDGrups"));
    f.userRights =
        data::TypedTable<KLDUsers>(Table::memory(data::fileDef(Layout::KLDUsers), "KLDUsers"));
    f.menus =
        data::TypedTable<MenuList>(Table::memory(data::fileDef(Layout::MenuList), "MenuList"));
    return f;
}

// ---- lookups -------------------------------------------------------------------------------

core::Result<std::optional<KLUsers>> findUser(SecurityFiles& f, const std::string& id) {
    KLUsers k;
    k.ID = id;
    return find(f.users, "USR:IdKey", k);
}

core::Result<std::optional<KLGrups>> findGroup(SecurityFiles& f, double grupNo) {
    KLGrups k;
    k.GRUPNO = grupNo;
    return find(f.groups, "Grp:KyGrup", k);
}

core::Result<std::optional<MenuList>> findMenu(SecurityFiles& f, double menuNo) {
    MenuList k;
    k.MENUNO = menuNo;
    return find(f.menus, "Men:KyMenu", k);
}

core::Result<std::vector<KLDUsers>> userRights(SecurityFiles& f, const std::string& id) {
    KLDUsers from;
    from.ID = id;
    from.MENUNO = kLowest;
    return scan(f.userRights, "Dusr:IdKey", from,
                [&](const KLDUsers& r) { return sameId(r.ID, id); });
}

core::Result<std::vector<KLGUsers>> userGroups(SecurityFiles& f, const std::string& id) {
    KLGUsers from;
    from.ID = id;
    from.GRUPNO = kLowest;
    return scan(f.memberships, "Gusr:IdKey", from,
                [&](const KLGUsers& r) { return sameId(r.ID, id); });
}

core::Result<std::vector<KLDGrups>> groupRights(SecurityFiles& f, double grupNo) {
    KLDGrups from;
    from.GRUPNO = grupNo;
    from.MENUNO = kLowest;
    return scan(f.groupRights, "Dgrp:GrpKey", from,
                [&](const KLDGrups& r) { return r.GRUPNO == grupNo; });
}

core::Result<std::vector<KLGUsers>> groupMembers(SecurityFiles& f, double grupNo) {
    KLGUsers from;
    from.GRUPNO = grupNo;
    return scan(f.memberships, "Gusr:GrupKey", from,
                [&](const KLGUsers& r) { return r.GRUPNO == grupNo; });
}

// ---- users ---------------------------------------------------------------------------------

core::Status addUser(SecurityFiles& f, const KLUsers& user, const std::string& password) {
    if (auto st = checkId(user.ID); !st) return st;
    KLUsers u = user;
    u.MASTERUSER = user.MASTERUSER ? 1 : 0;
    if (auto st = setPassword(u, password); !st) return st;
    return f.users.add(u);
}

core::Status changeUser(SecurityFiles& f, const KLUsers& user,
                        const std::optional<std::string>& newPassword) {
    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st;
    auto cur = f.users.get("USR:IdKey", user);
    if (!cur) return cur.error();
    KLUsers u = cur.value();
    if (u.MASTERUSER == 1 && !user.MASTERUSER) {
        auto n = masterCount(f);
        if (!n) return n.error();
        if (n.value() <= 1)
            return refused("Son ana kullanıcının ana kullanıcı yetkisi kaldırılamaz.");
        // masterCount moved the file position: read the record again before writing over it
        if (auto again = f.users.get("USR:IdKey", user); !again) return again.error();
    }
    u.NAME = user.NAME;
    u.MASTERUSER = user.MASTERUSER ? 1 : 0;
    if (newPassword)
        if (auto st = setPassword(u, *newPassword); !st) return st;
    if (auto st = f.users.put(u); !st) return st;
    return unit.commit();
}

core::Status deleteUser(SecurityFiles& f, const std::string& id) {
    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st;
    auto cur = findUser(f, id);
    if (!cur) return cur.error();
    if (!cur.value())
        return core::Error::of(static_cast<int>(data::ErrorCode::NotFound),
                               "Kullanıcı bulunamadı: " + id, "KLUsers");
    if (cur.value()->MASTERUSER == 1) {
        auto n = masterCount(f);
        if (!n) return n.error();
        if (n.value() <= 1) return refused("Son ana kullanıcı silinemez.");
    }
    auto rights = userRights(f, id);
    if (!rights) return rights.error();
    for (const auto& r : rights.value()) {
        if (auto g = f.userRights.get("Dusr:IdKey", r); !g) return g.error();
        if (auto st = f.userRights.erase(); !st) return st;
    }
    auto groups = userGroups(f, id);
    if (!groups) return groups.error();
    for (const auto& m : groups.value()) {
        if (auto g = f.memberships.get("Gusr:IdKey", m); !g) return g.error();
        if (auto st = f.memberships.erase(); !st) return st;
    }
    if (auto g = f.users.get("USR:IdKey", *cur.value()); !g) return g.error();
    if (auto st = f.users.erase(); !st) return st;
    return unit.commit();
}

core::Result<int> grantAllToUser(SecurityFiles& f, const std::string& id) {
    if (auto st = checkId(id); !st) return st.error();
    auto menus = scanAll(f.menus, "Men:KyMenu");
    if (!menus) return menus.error();
    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st.error();
    int added = 0;
    for (const auto& m : menus.value()) {
        KLDUsers r;
        r.ID = id;
        r.GRUPNO = 0;
        r.MENUNO = m.MENUNO;
        r.MENUADI = m.MENUADI;
        r.GOSTER = r.IZLE = r.YENIGIR = r.DEGISTIR = r.SIL = "E";
        auto a = addUnlessPresent(f.userRights, r);
        if (!a) return a.error();
        added += a.value();
    }
    if (auto st = unit.commit(); !st) return st.error();
    return added;
}

core::Status addUserRight(SecurityFiles& f, KLDUsers row) {
    if (auto st = checkId(row.ID); !st) return st;
    if (auto st = checkNumber(row.MENUNO, "Menü No"); !st) return st;
    auto m = findMenu(f, row.MENUNO);
    if (!m) return m.error();
    if (!m.value()) return notInCatalogue("DUSR:MENUNO", "MenuList");
    row.MENUADI = m.value()->MENUADI;
    normaliseRights(row);
    return f.userRights.add(row);
}

core::Status changeUserRight(SecurityFiles& f, KLDUsers row) {
    return changeRights(f.userRights, "Dusr:IdKey", row);
}

core::Status deleteUserRight(SecurityFiles& f, const std::string& id, double menuNo) {
    KLDUsers k;
    k.ID = id;
    k.MENUNO = menuNo;
    if (auto g = f.userRights.get("Dusr:IdKey", k); !g) return g.error();
    return f.userRights.erase();
}

// ---- memberships ---------------------------------------------------------------------------

core::Result<int> addMembership(SecurityFiles& f, const std::string& id, double grupNo) {
    if (auto st = checkId(id); !st) return st.error();
    if (auto st = checkNumber(grupNo, "Grup No"); !st) return st.error();
    auto g = findGroup(f, grupNo);
    if (!g) return g.error();
    if (!g.value()) return notInCatalogue("GUSR:GRUPNO", "KLGrups");
    auto rows = groupRights(f, grupNo);
    if (!rows) return rows.error();

    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st.error();
    KLGUsers m;
    m.ID = id;
    m.GRUPNO = grupNo;
    m.GRUPADI = g.value()->GRUPADI;
    if (auto st = f.memberships.add(m); !st) return st.error();
    int copied = 0;
    for (const auto& gr : rows.value()) {
        KLDUsers r;
        r.ID = id;
        r.GRUPNO = grupNo;
        r.MENUNO = gr.MENUNO;
        r.MENUADI = gr.MENUADI;
        r.GOSTER = gr.GOSTER;
        r.IZLE = gr.IZLE;
        r.YENIGIR = gr.YENIGIR;
        r.DEGISTIR = gr.DEGISTIR;
        r.SIL = gr.SIL;
        auto a = addUnlessPresent(f.userRights, r);
        if (!a) return a.error();
        copied += a.value();
    }
    if (auto st = unit.commit(); !st) return st.error();
    return copied;
}

core::Result<int> removeMembership(SecurityFiles& f, const std::string& id, double grupNo) {
    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st.error();
    KLGUsers m;
    m.ID = id;
    m.GRUPNO = grupNo;
    if (auto g = f.memberships.get("Gusr:IdKey", m); !g) return g.error();
    if (auto st = f.memberships.erase(); !st) return st.error();

    KLDUsers from;
    from.ID = id;
    from.GRUPNO = grupNo;
    auto rows = scan(f.userRights, "Dusr:IdGrpKey", from,
                     [&](const KLDUsers& r) { return sameId(r.ID, id) && r.GRUPNO == grupNo; });
    if (!rows) return rows.error();
    int removed = 0;
    for (const auto& r : rows.value()) {
        if (auto g = f.userRights.get("Dusr:IdKey", r); !g) return g.error();
        if (auto st = f.userRights.erase(); !st) return st.error();
        ++removed;
    }
    if (auto st = unit.commit(); !st) return st.error();
    return removed;
}

// ---- groups --------------------------------------------------------------------------------

core::Status addGroup(SecurityFiles& f, const KLGrups& g) {
    if (auto st = checkNumber(g.GRUPNO, "Grup No"); !st) return st;
    return f.groups.add(g);
}

core::Status changeGroup(SecurityFiles& f, const KLGrups& g) {
    auto cur = f.groups.get("Grp:KyGrup", g);
    if (!cur) return cur.error();
    KLGrups u = cur.value();
    u.GRUPADI = g.GRUPADI;
    return f.groups.put(u);
}

core::Status deleteGroup(SecurityFiles& f, double grupNo) {
    KLGrups k;
    k.GRUPNO = grupNo;
    if (auto g = f.groups.get("Grp:KyGrup", k); !g) return g.error();
    return f.groups.erase();
}

core::Result<int> grantAllToGroup(SecurityFiles& f, double grupNo) {
    if (auto st = checkNumber(grupNo, "Grup No"); !st) return st.error();
    auto menus = scanAll(f.menus, "Men:KyMenu");
    if (!menus) return menus.error();
    Unit unit(f.db);
    if (auto st = unit.started(); !st) return st.error();
    int added = 0;
    for (const auto& m : menus.value()) {
        KLDGrups r;
        r.GRUPNO = grupNo;
        r.MENUNO = m.MENUNO;
        r.MENUADI = m.MENUADI;
        r.GOSTER = r.IZLE = r.YENIGIR = r.DEGISTIR = r.SIL = "E";
        auto a = addUnlessPresent(f.groupRights, r);
        if (!a) return a.error();
        added += a.value();
    }
    if (auto st = unit.commit(); !st) return st.error();
    return added;
}

core::Status addGroupRight(SecurityFiles& f, KLDGrups row) {
    if (auto st = checkNumber(row.GRUPNO, "Grup No"); !st) return st;
    if (auto st = checkNumber(row.MENUNO, "Menü No"); !st) return st;
    auto m = findMenu(f, row.MENUNO);
    if (!m) return m.error();
    if (!m.value()) return notInCatalogue("DGRP:MENUNO", "MenuList");
    row.MENUADI = m.value()->MENUADI;
    normaliseRights(row);
    return f.groupRights.add(row);
}

core::Status changeGroupRight(SecurityFiles& f, KLDGrups row) {
    return changeRights(f.groupRights, "Dgrp:GrpKey", row);
}

core::Status deleteGroupRight(SecurityFiles& f, double grupNo, double menuNo) {
    KLDGrups k;
    k.GRUPNO = grupNo;
    k.MENUNO = menuNo;
    if (auto g = f.groupRights.get("Dgrp:GrpKey", k); !g) return g.error();
    return f.groupRights.erase();
}

// ---- menu catalogue ------------------------------------------------------------------------

core::Status addMenu(SecurityFiles& f, const MenuList& m) {
    if (auto st = checkNumber(m.MENUNO, "Menü No"); !st) return st;
    return f.menus.add(m);
}

core::Status changeMenu(SecurityFiles& f, const MenuList& m) {
    auto cur = f.menus.get("Men:KyMenu", m);
    if (!cur) return cur.error();
    MenuList u = cur.value();
    u.MENUADI = m.MENUADI;
    return f.menus.put(u);
}

} // namespace hk::app::users
