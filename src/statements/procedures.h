#pragma once
// The statements module's procedures in the one procedure table.

#include "app/procedure.h"

namespace hk::statements {

// "definitions export DIR FILE.json" and "definitions import DIR FILE.json".
void registerProcedures(app::ProcedureRegistry& registry);

} // namespace hk::statements
