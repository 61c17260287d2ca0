#pragma once
// Every domain module's procedures, registered into one table. Both programs call this once at
// start; a module adds its registerProcedures() call in all.cpp.

#include "app/pdf.h"
#include "app/procedure.h"

namespace hk::procedures {

// `pdf` is the program's PDF renderer for the reports' --pdf route (none: refused).
void registerAll(app::ProcedureRegistry& registry, const app::PdfOpener& pdf = {});

} // namespace hk::procedures
