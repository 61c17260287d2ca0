#include "procedures/all.h"

#include "accounts/procedures.h"
#include "statements/procedures.h"
#include "journal/procedures.h"
#include "reports/procedures.h"
#include "vouchers/procedures.h"
#include "vouchers/tools_procedures.h"
#include "vouchers/sheet_procedures.h"
#include "vouchers/window_procedures.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry, const app::PdfOpener& pdf) {
    accounts::registerProcedures(registry, pdf);
    statements::registerProcedures(registry);
    journal::registerProcedures(registry, pdf);
    vouchers::registerProcedures(registry);
    reports::registerProcedures(registry, pdf);
    vouchers::registerToolProcedures(registry);
    vouchers::registerWindowToolProcedures(registry);
    vouchers::registerSheetProcedures(
        registry, pdf ? vouchers::SheetPdfOpener([pdf](const std::filesystem::path& path,
                                                       const output::PageStyle& style) {
            return pdf(path.string(), style);
        })
                      : vouchers::SheetPdfOpener());
}

} // namespace hk::procedures
