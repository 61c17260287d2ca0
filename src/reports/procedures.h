#pragma once
// The defined listing reports' procedures in the one registry: "report trial-balance",
// "report ledger" and "report standard" on the command line; every option of the filter
// windows is a flag.

#include "app/procedure.h"
#include "core/result.h"
#include "output/page.h"

#include <functional>
#include <memory>
#include <string>

namespace hk::reports {

// Opens a PDF page sink; supplied by a program that has a renderer. Without one, --pdf is
// refused with a clear message.
using PdfOpener = std::function<core::Result<std::unique_ptr<output::PageSink>>(
    const std::string& path, const output::PageStyle& style)>;

void registerProcedures(app::ProcedureRegistry& registry, PdfOpener pdf = {});

} // namespace hk::reports
