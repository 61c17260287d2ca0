#include "app/sheet_export.h"

namespace hk::app {

ListExportResult exportList(Ui& ui, const SheetBuilder& build, const output::ExportTarget& target,
                            const std::string& question) {
    ListExportResult r;
    if (ui.message(question, kExportCaption, Icon::Warning, "&Evet|&Hayır", 1) != 1) return r;
    auto fail = [&](const core::Error& e) {
        r.outcome = ExportOutcome::Failed;
        r.error = e;
        r.path = e.file;
        // The failure is the user's to know; the program goes on (the old stop box offered to
        // end the whole program over a failed export).
        ui.message(e.text, kExportCaption, Icon::Critical, "&Tamam", 1);
        return r;
    };
    auto sheet = build();
    if (!sheet) return fail(sheet.error());
    auto written = output::exportSheet(*sheet, target);
    if (!written) return fail(written.error());
    r.outcome = ExportOutcome::Written;
    r.path = *written;
    return r;
}

core::Result<std::string> exportReport(const output::Sheet& sheet,
                                       const output::ExportTarget& target) {
    return output::exportSheet(sheet, target);
}

} // namespace hk::app
