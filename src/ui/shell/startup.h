#pragma once
// The desktop program's start: command line, the start-up steps in their order with the login
// window and the main frame between them, then the event loop. The headless steps are the
// application layer's (app/startup.h); this file strings them together with the windows.

#include "app/procedure.h"
#include "app/rights.h"
#include "app/session.h"
#include "app/ui.h"
#include "data/dataset.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QApplication;

namespace hk::ui {

class MainFrame;

// Registers the window procedures of this program into the registry: each is a procedure whose
// run opens its window in the frame. Every module's windows add one line here as they arrive; a
// registered domain procedure without a window of its own is run from its menu item as it is.
void registerWindows(app::ProcedureRegistry& registry, MainFrame& frame);

// Runs the program: start-up, login, frame, event loop. Returns the process exit code.
int runDesktop(int argc, char** argv);

// The same inside an existing application object: args without the program name; programFolder
// holds the default chart files. Messages go to message boxes; a refused login, a fatal message
// or "Çı&kış" ends it. Returns the exit code.
int startDesktop(QApplication& app, const std::vector<std::string>& args,
                 const std::filesystem::path& programFolder);

} // namespace hk::ui
