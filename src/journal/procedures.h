#pragma once
// The journal's procedures in the one registry: the command-line commands "journal state",
// "journal print", "journal xml", "journal csv", "journal check" and the clean-up
// OtherAckBosalt. The journal window itself (YevmiyeRapFiltre) lives in ui/.

#include "app/pdf.h"
#include "app/procedure.h"
#include "core/result.h"
#include "output/page.h"

#include <functional>
#include <memory>
#include <string>

namespace hk::journal {

// Opens a PDF page sink; supplied by a program that has a renderer (the journal itself draws
// nothing). Without one, "journal print --pdf" is refused with a clear message.
using PdfOpener = app::PdfOpener;

void registerProcedures(app::ProcedureRegistry& registry, PdfOpener pdf = {});

} // namespace hk::journal
