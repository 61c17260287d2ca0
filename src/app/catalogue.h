#pragma once
// The main menu as data, and running its items through the procedure registry (procedure.h).
//
// Every user function is reached through the one registry of procedures; a menu item names its
// procedure, and a name nobody has registered yet raises the data-operation message 24
// ("Program <name> henüz tanımlanmamış.") instead of pretending to work.
//
// The main menu is declared once (mainMenu()) so the frame builds its widgets from it and the
// rights trimming can be checked without a window.

#include "app/procedure.h"
#include "app/ui.h"

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace hk::app {

// Message 24 for a procedure that does not exist yet.
void raiseNotBuilt(Ui& ui, const std::string& procedure);

// Runs the registered procedure `name` on ctx, here and now, with `argument` (what a menu entry
// gives: "1" for the trial-balance reports, "0" for the full balance rebuild, "" for most). A
// name nobody registered raises message 24; a failure the procedure did not show itself is shown
// once (reportFailure). Returns false when nothing ran or the procedure failed.
bool runRegistered(const ProcedureRegistry& registry, const std::string& name,
                   const std::string& argument, ProcedureContext& ctx);

// Every procedure the main menu and the command-line switches name.
const std::set<std::string>& knownProcedures();

// Procedures behind the command-line switches.
inline constexpr const char* kYearEndProcedure = "YilSonu";        // /KAPAT
inline constexpr const char* kRenumberProcedure = "FisSirala";     // /DUZENLE, months 1..12
inline constexpr const char* kRebuildProcedure = "YMizanDuzelt";   // /DUZENLE, argument "0"

// ---- main menu ---------------------------------------------------------------------------

enum class MenuKind {
    Menu,      // a drop-down menu on the menu bar
    Item,      // an item (on the menu bar itself when parent is 0)
    Separator, // a separator line; number 0 when it carries none
};

// How an item runs its procedure: Start = a non-modal child window of its own, several may be
// open at once; Call = modal, the frame waits; Frame = handled by the frame itself (printer
// choice, window list, exit).
enum class RunMode { Start, Call, Frame };

struct MenuEntry {
    MenuKind kind;
    int number;            // menu number; item identity and the rights key
    int parent;            // number of the menu holding it; 0 = the menu bar
    std::string text;      // caption with & accelerators
    std::string procedure; // catalogue name (items only)
    std::string argument;
    RunMode mode = RunMode::Start;
    // Asked before the procedure runs (title the same text, "&Evet|&Hayır", "&Hayır" default);
    // the procedure runs only on "&Evet".
    std::string question;
};

// The whole main menu in menu order.
const std::vector<MenuEntry>& mainMenu();
const MenuEntry* findMenuEntry(int number);

// Whether an entry ends up on screen given the hidden numbers: hidden itself, or inside a
// hidden menu, means not shown.
bool menuEntryShown(const MenuEntry& entry, const std::set<int>& hidden);

// Asks the entry's question when it has one; true when its procedure may run ("&Evet", or no
// question).
bool confirmMenuEntry(const MenuEntry& entry, Ui& ui);

// Runs the procedure of a Start or Call item on the calling thread: asks its question first when
// it has one. Returns false when nothing ran (answered "&Hayır" or not built) or it failed.
bool runMenuEntry(const MenuEntry& entry, const ProcedureRegistry& registry,
                  ProcedureContext& ctx);

} // namespace hk::app
