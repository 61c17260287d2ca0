#pragma once
// Opening the destination a report run was given (params.h, OutputChoice): one place for every
// report and book of the command line.
//   Pdf   through the program's PDF renderer (refused when the program has none)
//   Txt   a text file in the text files' code page with CR LF, written whole or not at all; "-"
//         is standard output (UTF-8 unless --encoding CP1254)
//   Raw   exactly the bytes a raw queue would receive, to a file
//   Queue a raw job on a CUPS queue
//   Xlsx  a workbook: the report fills `sheet`, finish() writes it
// Output paths that are a database file, a folder or a device are refused by the writers.

#include "app/params.h"
#include "app/pdf.h"
#include "core/result.h"
#include "output/page.h"
#include "output/sheet.h"

#include <memory>
#include <optional>
#include <string>

namespace hk::app {

struct OpenedOutput {
    std::unique_ptr<output::PageSink> sink; // null for Xlsx
    std::optional<output::Sheet> sheet;     // Xlsx only
    std::string xlsxPath;
    output::PrinterKind kind = output::PrinterKind::Ordinary;
    bool textFile = false; // Txt: one page, the header once
    // Writes the workbook (Xlsx); nothing for the others (the sink's own finish() ends them).
    [[nodiscard]] core::Status finish();
};

// `pdfStyle` is the page style of the PDF (font, paper, orientation).
[[nodiscard]] core::Result<OpenedOutput> openOutput(const OutputChoice& choice,
                                                    const PdfOpener& pdf,
                                                    const output::PageStyle& pdfStyle);

} // namespace hk::app
