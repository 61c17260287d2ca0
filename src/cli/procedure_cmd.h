#pragma once
// Registered procedures as hesapkar-cli commands.

#include "app/procedure.h"
#include "cli/commands.h"

#include <string>

namespace hk::cli {

// "voucher import" for the command words {"voucher", "import"}.
std::string commandName(const app::ProcedureSpec& spec);

// Runs spec with args (what follows the command words: DIR first, then the procedure's words
// and flags). Returns the process exit code: 0 done, 1 refused or failed, 2 bad usage.
int runProcedure(const app::ProcedureSpec& spec, const Args& args);

} // namespace hk::cli
