#include "app/users.h"

#include "core/text.h"
#include "data/database.h"
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

std::string yesNo(const std::string& right) {
    return core::text::clip(right) == "E" ? "E" : "H";
}

core::Error notInCatalogue(const std::string& field, const std::string& file) {
    // message 14: "%Field sahasına yapılan atama %Message dosyasında bulunamadı."
    return core::Error::of(static_cast<int>(data::ErrorCode::NotFound), field, file, 14);
}

core::Error refused(const std::string& text) {
    return core::Error::refused(text);
}

template <typename T>
core::Result<std::vector<T>> scanAll(data::TypedTable<T>& t, std::string_view key) {
    return t.collect(key, T{}, 0);
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

// Argon2id of the password as the login compares it (upper-cased with the Turkish pairs, without
// trailing blanks). A blank password stays blank: the default master user starts that way.
core::Result<std::string> hashOf(const std::string& password) {
    const std::string upper = core::text::clip(core::text::upperTr(password));
    if (upper.empty()) return std::string();
    if (sodium_init() < 0) return core::Error::of(0, "Şifre kütüphanesi başlatılamadı.");
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

// A rights row changes in its menu number and its five rights; user and group stay as stored. A
// new menu number must be in the catalogue (message 14) and takes its name from there; one the
// user or group has a row for already is refused by the unique key (message 13).
template <typename Row>
core::Status changeRights(SecurityFiles& f, data::TypedTable<Row>& table, const char* key,
                          const char* field, double menuNoBefore, const Row& row) {
    if (auto st = checkNumber(row.MENUNO, "Menü No"); !st) return st;
    Row probe = row;
    probe.MENUNO = menuNoBefore;
    auto cur = table.get(key, probe);
    if (!cur) return cur.error();
    Row u = cur.value();
    if (row.MENUNO != menuNoBefore) {
        auto m = findMenu(f, row.MENUNO);
        if (!m) return m.error();
        if (!m.value()) return notInCatalogue(field, "MenuList");
        u.MENUNO = row.MENUNO;
        u.MENUADI = m.value()->MENUADI;
    }
    u.GOSTER = row.GOSTER;
    u.IZLE = row.IZLE;
    u.YENIGIR = row.YENIGIR;
    u.DEGISTIR = row.DEGISTIR;
    u.SIL = row.SIL;
    normaliseRights(u);
    return table.put(u);
}

// A new rights row, once its user or group is checked: a menu number of the catalogue (message 14
// when not), whose name it takes, and its rights normalised as a change normalises them.
template <typename Row>
core::Status addRights(SecurityFiles& f, data::TypedTable<Row>& table, const char* field, Row row) {
    if (auto st = checkNumber(row.MENUNO, "Menü No"); !st) return st;
    auto m = findMenu(f, row.MENUNO);
    if (!m) return m.error();
    if (!m.value()) return notInCatalogue(field, "MenuList");
    row.MENUADI = m.value()->MENUADI;
    normaliseRights(row);
    return table.add(row);
}

// Copies every group-rights row of the group to the user's rights; rows the user has already
// stay. Returns the number copied.
core::Result<int> copyGroupRights(SecurityFiles& f, const std::string& id, double grupNo) {
    int copied = 0;
    KLDGrups of;
    of.GRUPNO = grupNo;
    auto st = f.groupRights.scanPrefix("Dgrp:GrpKey", of, 1, [&](const KLDGrups& gr) -> core::Status {
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
        return {};
    });
    if (!st) return st.error();
    return copied;
}

// "Otomatik Ekle": `row` (the user or group filled in) with every right, once per menu-catalogue
// number in number order; rows already there stay as they are.
template <typename Row>
core::Result<int> grantAll(SecurityFiles& f, data::TypedTable<Row>& rights, Row row) {
    auto tx = rights.begin();
    if (!tx) return tx.error();
    int added = 0;
    auto st = f.menus.scanPrefix("Men:KyMenu", MenuList{}, 0, [&](const MenuList& m) -> core::Status {
        row.MENUNO = m.MENUNO;
        row.MENUADI = m.MENUADI;
        row.GOSTER = row.IZLE = row.YENIGIR = row.DEGISTIR = row.SIL = "E";
        auto a = addUnlessPresent(rights, row);
        if (!a) return a.error();
        added += a.value();
        return {};
    });
    if (!st) return st.error();
    if (auto c = tx->commit(); !c) return c.error();
    return added;
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
    KLDUsers of;
    of.ID = id;
    return f.userRights.collect("Dusr:IdKey", of, 1);
}

core::Result<std::vector<KLGUsers>> userGroups(SecurityFiles& f, const std::string& id) {
    KLGUsers of;
    of.ID = id;
    return f.memberships.collect("Gusr:IdKey", of, 1);
}

core::Result<std::vector<KLDGrups>> groupRights(SecurityFiles& f, double grupNo) {
    KLDGrups of;
    of.GRUPNO = grupNo;
    return f.groupRights.collect("Dgrp:GrpKey", of, 1);
}

core::Result<std::vector<KLGUsers>> groupMembers(SecurityFiles& f, double grupNo) {
    KLGUsers of;
    of.GRUPNO = grupNo;
    return f.memberships.collect("Gusr:GrupKey", of, 1);
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
    auto unit = f.users.begin();
    if (!unit) return unit.error();
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
    return unit->commit();
}

core::Status deleteUser(SecurityFiles& f, const std::string& id) {
    auto unit = f.users.begin();
    if (!unit) return unit.error();
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
    return unit->commit();
}

core::Result<int> grantAllToUser(SecurityFiles& f, const std::string& id) {
    if (auto st = checkId(id); !st) return st.error();
    KLDUsers row;
    row.ID = id;
    row.GRUPNO = 0;
    return grantAll(f, f.userRights, row);
}

core::Status addUserRight(SecurityFiles& f, KLDUsers row) {
    if (auto st = checkId(row.ID); !st) return st;
    return addRights(f, f.userRights, "DUSR:MENUNO", std::move(row));
}

core::Status changeUserRight(SecurityFiles& f, KLDUsers row) {
    return changeUserRight(f, row.MENUNO, row);
}
core::Status changeUserRight(SecurityFiles& f, double menuNoBefore, const KLDUsers& row) {
    return changeRights(f, f.userRights, "Dusr:IdKey", "DUSR:MENUNO", menuNoBefore, row);
}

core::Status deleteUserRight(SecurityFiles& f, const std::string& id, double menuNo) {
    KLDUsers k;
    k.ID = id;
    k.MENUNO = menuNo;
    if (auto g = f.userRights.get("Dusr:IdKey", k); !g) return g.error();
    return f.userRights.erase();
}

// ---- memberships ---------------------------------------------------------------------------

namespace {

// The group a membership is to name: a whole number of a group that exists (message 14 when not).
core::Result<KLGrups> membershipGroup(SecurityFiles& f, double grupNo) {
    if (auto st = checkNumber(grupNo, "Grup No"); !st) return st.error();
    auto g = findGroup(f, grupNo);
    if (!g) return g.error();
    if (!g.value()) return notInCatalogue("GUSR:GRUPNO", "KLGrups");
    return *g.value();
}

} // namespace

core::Result<int> addMembership(SecurityFiles& f, const std::string& id, double grupNo) {
    if (auto st = checkId(id); !st) return st.error();
    auto g = membershipGroup(f, grupNo);
    if (!g) return g.error();
    auto unit = f.users.begin();
    if (!unit) return unit.error();
    KLGUsers m;
    m.ID = id;
    m.GRUPNO = grupNo;
    m.GRUPADI = g->GRUPADI;
    if (auto st = f.memberships.add(m); !st) return st.error();
    auto copied = copyGroupRights(f, id, grupNo);
    if (!copied) return copied.error();
    if (auto st = unit->commit(); !st) return st.error();
    return copied.value();
}

core::Result<int> changeMembership(SecurityFiles& f, const std::string& id, double grupNoBefore,
                                   double grupNo) {
    auto g = membershipGroup(f, grupNo);
    if (!g) return g.error();
    auto unit = f.users.begin();
    if (!unit) return unit.error();
    KLGUsers probe;
    probe.ID = id;
    probe.GRUPNO = grupNoBefore;
    auto cur = f.memberships.get("Gusr:IdKey", probe);
    if (!cur) return cur.error();
    KLGUsers m = cur.value();
    m.GRUPNO = grupNo; // a membership of that group already is refused by the unique key (13)
    m.GRUPADI = g->GRUPADI;
    if (auto st = f.memberships.put(m); !st) return st.error();
    auto copied = copyGroupRights(f, id, grupNo);
    if (!copied) return copied.error();
    if (auto st = unit->commit(); !st) return st.error();
    return copied.value();
}

core::Result<int> removeMembership(SecurityFiles& f, const std::string& id, double grupNo) {
    auto unit = f.users.begin();
    if (!unit) return unit.error();
    KLGUsers m;
    m.ID = id;
    m.GRUPNO = grupNo;
    if (auto g = f.memberships.get("Gusr:IdKey", m); !g) return g.error();
    if (auto st = f.memberships.erase(); !st) return st.error();

    KLDUsers of;
    of.ID = id;
    of.GRUPNO = grupNo;
    int removed = 0;
    auto erased = f.userRights.scanPrefix("Dusr:IdGrpKey", of, 2, [&](const KLDUsers&) {
        ++removed;
        return f.userRights.erase();
    });
    if (!erased) return erased.error();
    if (auto st = unit->commit(); !st) return st.error();
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
    KLDGrups row;
    row.GRUPNO = grupNo;
    return grantAll(f, f.groupRights, row);
}

core::Status addGroupRight(SecurityFiles& f, KLDGrups row) {
    if (auto st = checkNumber(row.GRUPNO, "Grup No"); !st) return st;
    return addRights(f, f.groupRights, "DGRP:MENUNO", std::move(row));
}

core::Status changeGroupRight(SecurityFiles& f, KLDGrups row) {
    return changeGroupRight(f, row.MENUNO, row);
}
core::Status changeGroupRight(SecurityFiles& f, double menuNoBefore, const KLDGrups& row) {
    return changeRights(f, f.groupRights, "Dgrp:GrpKey", "DGRP:MENUNO", menuNoBefore, row);
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
    return changeMenu(f, m.MENUNO, m);
}
core::Status changeMenu(SecurityFiles& f, double menuNoBefore, const MenuList& m) {
    if (auto st = checkNumber(m.MENUNO, "Menü No"); !st) return st;
    MenuList probe;
    probe.MENUNO = menuNoBefore;
    auto cur = f.menus.get("Men:KyMenu", probe);
    if (!cur) return cur.error();
    MenuList u = cur.value();
    u.MENUNO = m.MENUNO; // a number taken already is refused by the unique key (message 13)
    u.MENUADI = m.MENUADI;
    return f.menus.put(u);
}

} // namespace hk::app::users
