#pragma once
// The accounts module's procedures in the one catalogue: the command-line commands of the chart,
// currencies and rates, the chart report and import, and the company set-up a chart needs.

#include "app/pdf.h"
#include "app/procedure.h"

namespace hk::accounts {

// `pdf` opens the PDF route of "report chart" where the program has a renderer.
void registerProcedures(app::ProcedureRegistry& registry, app::PdfOpener pdf = {});

// The company commands (company_cmd.cpp).
void registerCompanyProcedures(app::ProcedureRegistry& registry);

} // namespace hk::accounts
