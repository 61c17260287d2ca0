#pragma once
// Every domain module's procedures, registered into one table. Both programs call this once at
// start; a module adds its registerProcedures() call in all.cpp.

#include "app/procedure.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry);

} // namespace hk::procedures
