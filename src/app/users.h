#pragma once
// Users, groups and menu rights: the data rules behind the user and group windows.
//
// Rights are read only from the user-rights file (KLDUsers). Groups fill it: adding a user to a
// group copies the group's rights rows into the user's, removing the membership deletes exactly
// the rows that came from that group. A (user, menu number) that already has a row keeps it, so
// the first group that granted a menu number decides and rows entered by hand or by "Otomatik
// Ekle" are never overwritten. Bulk adds skip existing rows silently; the forms report a
// duplicate with message 13.
//
// Every operation that writes more than one record runs as one unit of work.

#include "core/result.h"
#include "data/database.h"
#include "data/records.h"
#include "data/table.h"

#include <optional>
#include <string>
#include <vector>

namespace hk::app::users {

// The six security files, open on one database (or as memory tables in tests, db = nullptr).
struct SecurityFiles {
    data::Database* db = nullptr;
    data::TypedTable<data::KLUsers> users;
    data::TypedTable<data::KLGrups> groups;
    data::TypedTable<data::KLGUsers> memberships;
    data::TypedTable<data::KLDGrups> groupRights;
    data::TypedTable<data::KLDUsers> userRights;
    data::TypedTable<data::MenuList> menus;
};

core::Result<SecurityFiles> open(data::Database& db);
// Private memory tables (tests, previews).
SecurityFiles openInMemory();

// The five rights of a row as the forms edit them; "E" grants, anything else refuses.
struct Rights {
    std::string GOSTER = "E", IZLE = "E", YENIGIR = "E", DEGISTIR = "E", SIL = "E";
};

// ---- lookups -------------------------------------------------------------------------------
core::Result<std::optional<data::KLUsers>> findUser(SecurityFiles& f, const std::string& id);
core::Result<std::optional<data::KLGrups>> findGroup(SecurityFiles& f, double grupNo);
core::Result<std::optional<data::MenuList>> findMenu(SecurityFiles& f, double menuNo);

// Rows in key order, for lists and tests.
core::Result<std::vector<data::KLDUsers>> userRights(SecurityFiles& f, const std::string& id);
core::Result<std::vector<data::KLGUsers>> userGroups(SecurityFiles& f, const std::string& id);
core::Result<std::vector<data::KLDGrups>> groupRights(SecurityFiles& f, double grupNo);
core::Result<std::vector<data::KLGUsers>> groupMembers(SecurityFiles& f, double grupNo);

// ---- users ---------------------------------------------------------------------------------
// Adds a user. The password is stored only as the Argon2id hash of its upper-cased form
// (PASSWORDHASH; PASSWORD stays blank); a blank password stays blank, the way the default master
// user starts. Blank IDs are refused; an existing ID gives
// message 13.
core::Status addUser(SecurityFiles& f, const data::KLUsers& user, const std::string& password);
// Changes name and master flag of an existing user; newPassword, when given, replaces the hash.
// The ID cannot change. Taking the master flag from the last master user is refused.
core::Status changeUser(SecurityFiles& f, const data::KLUsers& user,
                        const std::optional<std::string>& newPassword);
// Deletes a user together with the memberships and rights rows filed under its ID: a user
// created later under the same ID must not inherit them. The last master user cannot be deleted.
core::Status deleteUser(SecurityFiles& f, const std::string& id);

// "Otomatik Ekle" on a user: a row with every right for every menu-catalogue number the user has
// no row for yet (group 0). Returns the number of rows added.
core::Result<int> grantAllToUser(SecurityFiles& f, const std::string& id);

// User-right form. The menu number must be in the catalogue (message 14); an existing (user,
// menu number) gives message 13. Rights other than "E" are stored as "H".
core::Status addUserRight(SecurityFiles& f, data::KLDUsers row);
// Writes over the row of (ID, MENUNO); user and group are not changed by the form.
core::Status changeUserRight(SecurityFiles& f, data::KLDUsers row);
// The same over the row of (ID, menuNoBefore): the form may change the menu number (it must be in
// the catalogue, message 14; the user may not have a row for it yet, message 13).
core::Status changeUserRight(SecurityFiles& f, double menuNoBefore, const data::KLDUsers& row);
core::Status deleteUserRight(SecurityFiles& f, const std::string& id, double menuNo);

// ---- memberships ---------------------------------------------------------------------------
// Saves the membership (the group must exist; message 14 otherwise, 13 when it exists already)
// and copies the group's rights rows to the user; returns the number of rows copied.
core::Result<int> addMembership(SecurityFiles& f, const std::string& id, double grupNo);
// Deletes the membership and every user-rights row of that user that came from that group.
// Returns the number of rights rows deleted.
core::Result<int> removeMembership(SecurityFiles& f, const std::string& id, double grupNo);
// "Değiştir" on a membership: moves it to grupNo (which must exist, message 14) and copies that
// group's rights rows as saving a new membership does. Rows copied from the group before stay
// (only removing a membership deletes them). Returns the number of rows copied.
core::Result<int> changeMembership(SecurityFiles& f, const std::string& id, double grupNoBefore,
                                   double grupNo);

// ---- groups --------------------------------------------------------------------------------
core::Status addGroup(SecurityFiles& f, const data::KLGrups& g);
core::Status changeGroup(SecurityFiles& f, const data::KLGrups& g);
// Deletes the group record only: its rights rows and memberships stay (a user's copied rows are
// that user's own rights now).
core::Status deleteGroup(SecurityFiles& f, double grupNo);
core::Result<int> grantAllToGroup(SecurityFiles& f, double grupNo);
core::Status addGroupRight(SecurityFiles& f, data::KLDGrups row);
core::Status changeGroupRight(SecurityFiles& f, data::KLDGrups row);
core::Status changeGroupRight(SecurityFiles& f, double menuNoBefore, const data::KLDGrups& row);
core::Status deleteGroupRight(SecurityFiles& f, double grupNo, double menuNo);

// ---- menu catalogue ------------------------------------------------------------------------
core::Status addMenu(SecurityFiles& f, const data::MenuList& m);
core::Status changeMenu(SecurityFiles& f, const data::MenuList& m);
// The form edits number and name: the row of menuNoBefore gets both (a number taken already is
// refused with message 13).
core::Status changeMenu(SecurityFiles& f, double menuNoBefore, const data::MenuList& m);

// Whole numbers held in REAL fields: group and menu numbers must be whole and positive.
core::Status checkNumber(double v, const std::string& field);

} // namespace hk::app::users
