#pragma once
// Menu rights. One service answers every "may this user see / do this?" question of the program:
// the main menu, single-function buttons, the insert/change/delete actions of lists and the save
// button of forms. It reads nothing but the user-rights rows (KLDUsers), one per (user, menu
// number); group rows matter only through what was copied into user rows. A master user skips
// every lookup and is granted everything.
//
// The service knows nothing of widgets: windows ask it and apply the answer themselves.

#include "core/result.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace hk::app {

// The five rights of one user-rights row. Each is one character; only "E" (Evet) grants.
struct RightsRow {
    std::string GOSTER;   // the item or button is shown
    std::string IZLE;     // records may be opened for viewing when changing is not granted
    std::string YENIGIR;  // new records may be entered
    std::string DEGISTIR; // records may be changed
    std::string SIL;      // records may be deleted
};

// True when a right field grants: the letter "E". Trailing blanks (fixed-width fields) do not
// matter; anything else ("H", blank, lower-case "e") refuses.
bool grants(std::string_view right);

// Reads the row of (user, menu number); std::nullopt when there is none. A storage error comes
// back as an Error: the service then refuses (a right that cannot be read is not granted).
using RightsLookup =
    std::function<core::Result<std::optional<RightsRow>>(std::string_view user, int menuNo)>;

// What a list with insert, change and delete actions may offer.
struct ListRights {
    bool insert = false;
    bool change = false;
    bool remove = false;
    // The change action only opens records for viewing; its button is captioned "Izle".
    bool changeIsView = false;
};

class RightsService {
  public:
    RightsService(std::string user, bool master, RightsLookup lookup);

    const std::string& user() const { return user_; }
    bool master() const { return master_; }

    // The row of (user, menuNo), or none. Master users never read a row: always none.
    std::optional<RightsRow> row(int menuNo) const;

    // Menu item or single-function button: shown only when the row exists and GOSTER grants.
    bool shows(int menuNo) const;

    // List with insert, change and delete actions, governed by menuNo. viewCaption = false for
    // the lists of defined reports, which apply the same rule without the "Izle" caption: there a
    // change right that is missing hides the change action even when IZLE grants.
    ListRights list(int menuNo, bool viewCaption = true) const;

    // Entry form opened from such a list: may it save? False hides the save button.
    bool formCanSave(int menuNo) const;

    // The last storage error met by a lookup (empty text when none); the lookups themselves
    // refuse on error so a window can carry on, and the caller may report this once.
    const core::Error& lastError() const { return lastError_; }

  private:
    std::string user_;
    bool master_;
    RightsLookup lookup_;
    mutable core::Error lastError_;
};

// Numbers of the main-menu items that carry the hidden attribute: never shown to anybody.
const std::set<int>& attributeHiddenItems();

// The menu numbers (items, whole menus and separators) to hide in the main frame for the
// logged-in user: the attribute-hidden items, "Fiş Listesi" (5120) when [Ozel] Kovan is 0, and
// for a non-master user the rights trimming of the start-up. A hidden menu hides everything in
// it; see menuEntryShown() in app/catalogue.h for the effective visibility of one entry.
std::set<int> hiddenMenuNumbers(const RightsService& rights, bool kovan);

} // namespace hk::app
