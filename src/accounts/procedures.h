#pragma once
// The accounts module's procedures in the one catalogue: the command-line commands of the chart,
// currencies and rates, the chart report and import, and the company set-up a chart needs.

#include "app/procedure.h"

namespace hk::accounts {

void registerProcedures(app::ProcedureRegistry& registry);

// The company commands (company_cmd.cpp).
void registerCompanyProcedures(app::ProcedureRegistry& registry);

} // namespace hk::accounts
