#pragma once
// PDF files and system-printer output of report pages.
//
// Works headless: a QGuiApplication on the "offscreen" platform is enough, so the command-line
// program writes PDFs on a server without a display. The PDF is written through AtomicFile like
// every other output file: it appears under its name only when complete, and only an ordinary
// file is ever replaced.

#include "app/pdf.h"
#include "core/result.h"
#include "output/atomic_file.h"
#include "output/page.h"
#include "ui/render/page_render.h"

#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>

#include <memory>
#include <optional>
#include <string>

class QPrinter;

namespace hk::ui::render {

// Streams pages into a PDF as the page writer finishes them.
class PdfSink final : public output::PageSink {
  public:
    [[nodiscard]] static core::Result<std::unique_ptr<PdfSink>>
    open(const std::string& path, const output::PageStyle& style, const std::string& title = {});

    PdfSink(const std::string& path, const output::PageStyle& style);
    ~PdfSink() override;
    PdfSink(const PdfSink&) = delete;
    PdfSink& operator=(const PdfSink&) = delete;

    // Sizes the font for this extent from the first page on (a whole document's extent, when
    // known, keeps one font size on every page).
    void setExtent(const Extent& extent) { extent_ = extent; }

    core::Status page(const output::Page& page) override;
    core::Status finish() override;

    int pages() const { return pages_; }

  private:
    core::Status fail(const QString& what);
    void drop();

    std::string path_;
    output::PageStyle style_;
    std::optional<output::AtomicFile> target_;
    QFile file_; // the temporary file of target_; goes first, before target_ removes it
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    Extent extent_;
    int pages_ = 0;
};

// A whole document into a PDF file.
[[nodiscard]] core::Status writePdf(const output::Document& doc, const std::string& path);

// Pages first..last (1-based positions in the document, inclusive; 0 = from the start / to the
// end) on a system printer set up by the caller (printer name, copies); paper and margins come
// from the document's style.
[[nodiscard]] core::Status printDocument(const output::Document& doc, QPrinter& printer,
                                         int first = 0, int last = 0);

// The opener the report procedures take for their --pdf route: a streaming PdfSink.
app::PdfOpener pdfOpener();

} // namespace hk::ui::render
