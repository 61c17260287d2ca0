#pragma once
// The protocol every spreadsheet exporter follows, on top of output/export.h:
//   - list exporters (the "Excel" button of a list window) first ask "Liste Excele Aktarılsın
//     Mı?" ("Excel Aktarımı", exclamation, "&Evet|&Hayır"); any answer but "&Evet" ends the export
//     before anything is built or written. A failure is shown to the user in a stop box.
//   - report exporters do not ask; a failure ends the report run without a message. The error is
//     still returned, for callers that must report it (the command-line program).
// The sheet is built only after the question, so a declined export reads no records.

#include "app/ui.h"
#include "core/result.h"
#include "output/export.h"
#include "output/sheet.h"

#include <functional>
#include <string>

namespace hk::app {

inline constexpr const char* kListExportQuestion = "Liste Excele Aktarılsın Mı?";
inline constexpr const char* kJournalExportQuestion = "Yevmiye Excele Aktarılsın Mı?";
inline constexpr const char* kExportCaption = "Excel Aktarımı";

enum class ExportOutcome { Declined, Written, Failed };

struct ListExportResult {
    ExportOutcome outcome = ExportOutcome::Declined;
    std::string path;  // the workbook written (Written, and Failed when only opening failed)
    core::Error error; // Failed
};

using SheetBuilder = std::function<core::Result<output::Sheet>()>;

ListExportResult exportList(Ui& ui, const SheetBuilder& build, const output::ExportTarget& target,
                            const std::string& question = kListExportQuestion);

core::Result<std::string> exportReport(const output::Sheet& sheet,
                                       const output::ExportTarget& target);

} // namespace hk::app
