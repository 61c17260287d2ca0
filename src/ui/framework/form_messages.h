#pragma once
// The data-operation messages as the list and form framework raises them: by number, with the
// placeholders filled, through the Ui port (so tests assert them with the scripted fake).

#include "app/message.h"
#include "app/ui.h"
#include "core/result.h"

#include <string>

namespace hk::ui {

// Shows message number n; returns the 1-based button chosen (for questions 1 = "&Evet").
int raiseData(app::Ui& ui, int number, const app::MessageArgs& args = {});
// The answer of a question message means "yes".
inline bool askYes(int answer) {
    return answer == 1;
}
// Reports a failed operation once: with the message the error names, else with the fallback.
void reportError(app::Ui& ui, const core::Error& e, int fallbackNumber);

} // namespace hk::ui
