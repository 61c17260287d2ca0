#pragma once
// The defined listing reports' procedures in the one registry: "report trial-balance",
// "report ledger" and "report standard" on the command line; every option of the filter
// windows is a flag.

#include "app/pdf.h"
#include "app/procedure.h"
#include "core/result.h"
#include "output/page.h"

#include <functional>
#include <memory>
#include <string>

namespace hk::reports {

// Opens a PDF page sink; supplied by a program that has a renderer. Without one, --pdf is
// refused with a clear message.
using PdfOpener = app::PdfOpener;

void registerProcedures(app::ProcedureRegistry& registry, PdfOpener pdf = {});

} // namespace hk::reports
