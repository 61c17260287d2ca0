#pragma once
// How the accounts procedures show a failure: a storage error as the data-operation message it
// names (13 with its key, 30 with the linked file), raised once through the Ui port; the Error
// handed back is then marked shown so no caller repeats it.

#include "app/ui.h"
#include "core/result.h"

#include <string>

namespace hk::accounts {

// Raises the message of a storage error (fallback when it names none) and returns it as shown.
core::Error raiseStored(app::Ui& ui, const core::Error& e, int fallback);
// Shows a rule's refusal text in a box and returns it as a shown refusal.
core::Error refuse(app::Ui& ui, const std::string& text, const std::string& caption = {});
// Shows a bad input in a box and returns it as shown bad input.
core::Error refuseInput(app::Ui& ui, const core::Error& e);

} // namespace hk::accounts
