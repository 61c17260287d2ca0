#pragma once
// The page writer: reports write lines, the writer cuts them into pages and hands each finished
// page to a sink (preview/PDF, raw printer, text file).
//
//   report --line--> PageWriter --Page--> PageSink
//                      |  page header callback before the first line of every page
//                      |  lines per page, page numbers, first page actually output
//                      |  emphasis and control bytes of the printer kind
//
// A line is a sequence of parts: UTF-8 text, and device control bytes kept apart from the text.
// Keeping them apart lets the raw printer convert only the text to the DOS code page while the
// control bytes (some of which are single bytes above 0x7F on "LPQ" printers) pass unchanged,
// and lets the preview leave them out instead of painting them as odd glyphs.
//
// Invariants of a Line:
//   - text parts are valid UTF-8 without control characters (no CR, LF, FF, TAB, ESC...);
//   - the text parts together hold at most kMaxLineChars characters;
//   - control parts may hold any bytes.
// The writer refuses lines that break them, so what a printer receives line by line is what the
// writer counted.

#include "core/result.h"
#include "output/printer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk::output {

inline constexpr std::size_t kMaxLineChars = 255;

struct LinePart {
    bool control = false; // true: device bytes, false: UTF-8 text
    std::string bytes;
};

struct Line {
    std::vector<LinePart> parts;
    // A line normally ends with a line break; the last line of some raw pages carries its own
    // page end and is sent without one.
    bool newline = true;

    static Line text(std::string_view utf8);
    static Line control(std::string_view bytes);
    Line& addText(std::string_view utf8);
    Line& addControl(std::string_view bytes);
    // The text parts joined, control bytes left out: what a page shows.
    std::string visibleText() const;
    bool operator==(const Line&) const = default;
};

struct Page {
    int number = 0; // 1-based page number as counted by the writer
    std::vector<Line> lines;
    bool formFeed = false; // the page was ended by a page break (raw output ejects it)
};

// Paper and font of the rendered pages (preview, PDF, system printer).
struct PageStyle {
    double paperWidthMm = 210.0; // A4 portrait unless told otherwise
    double paperHeightMm = 297.0;
    bool landscape = false;
    double fontPoints = 10.0;
    std::string fontFamily = "Courier New";
    double marginMm = 10.0;
};

// A4 in the report font; reports choose portrait or landscape by their line width.
PageStyle a4Paper(bool landscape, double fontPoints);
// Continuous paper of the text printers ("LPQ"): 10.25 inches wide, 17 inches long for lines of
// up to 135 characters and 28.74 inches long for wider ones (the two paper settings of those
// printers). Pages of a text printer carry no margin of their own: the form is aligned in it.
PageStyle textPrinterPaper(std::size_t lineChars);

// Every page of a report collected for the preview.
struct Document {
    std::string title;
    PrinterKind kind = PrinterKind::Ordinary;
    // The printer the report was laid out for (empty: the system's choice). Text-printer
    // documents are printed raw on it.
    std::string printer;
    PageStyle style;
    std::vector<Page> pages;
};

// Receives finished pages. A sink that is destroyed without finish() discards what it has
// (cancels the print job, removes the temporary file).
//
// A sink that can take a page line by line says so with streamsLines(): the writer then hands
// it beginPage, each line as it is written, and endPage, and never holds a page itself, so a
// report of a million lines without page breaks (raw output, text files) needs the memory of
// one line. page() stays the whole-page way in for everything else.
class PageSink {
  public:
    virtual ~PageSink() = default;
    [[nodiscard]] virtual core::Status page(const Page& page) = 0;
    [[nodiscard]] virtual core::Status finish() = 0;

    virtual bool streamsLines() const { return false; }
    [[nodiscard]] virtual core::Status beginPage(int /*number*/) { return {}; }
    [[nodiscard]] virtual core::Status line(const Line& /*line*/) { return {}; }
    [[nodiscard]] virtual core::Status endPage(bool /*formFeed*/) { return {}; }
};

// Collects the pages in memory (preview, tests).
class DocumentSink final : public PageSink {
  public:
    explicit DocumentSink(Document& doc) : doc_(doc) {}
    core::Status page(const Page& page) override;
    core::Status finish() override { return {}; }

  private:
    Document& doc_;
};

struct PageSetup {
    PrinterKind kind = PrinterKind::Ordinary;
    int linesPerPage = 80; // lines a page holds, header lines included; 0 = no automatic breaks
    int firstPage = 1;     // pages numbered below are counted but not handed to the sink
};

class PageWriter {
  public:
    using Header = std::function<core::Status(PageWriter&)>;

    PageWriter(PageSetup setup, PageSink& sink);

    // Called before the first line of every page; the lines it writes belong to that page.
    void setPageHeader(Header header) { header_ = std::move(header); }

    // A plain line of text.
    [[nodiscard]] core::Status write(std::string_view text);
    // The text without trailing blanks, wrapped in the kind's emphasis codes (unchanged on
    // ordinary printers).
    [[nodiscard]] core::Status writeEmphasised(std::string_view text);
    // A line made only of control bytes, such as a printer initialisation.
    [[nodiscard]] core::Status writeControl(std::string_view bytes);
    [[nodiscard]] core::Status write(Line line);
    // Ends the current page now (a page break; raw printers get a form feed). Nothing happens
    // on a page that has no line yet, so a report never ejects an empty sheet by accident.
    [[nodiscard]] core::Status endPage();
    // Hands over the last page (without a page break) and finishes the sink.
    [[nodiscard]] core::Status finish();

    // Emphasis wrap of the kind, for reports that build lines part by part.
    Line emphasised(std::string_view text) const;

    PrinterKind kind() const { return setup_.kind; }
    int linesPerPage() const { return setup_.linesPerPage; }
    int pageNumber() const { return page_.number; }
    int linesOnPage() const { return lines_; }
    bool atPageStart() const { return lines_ == 0; }
    int pagesOutput() const { return pagesOutput_; }

  private:
    core::Status writeLine(Line& line);
    // Hands the line to the sink (streaming) or moves it into the page.
    core::Status put(Line& line);
    core::Status closePage(bool formFeed);
    bool visible() const { return page_.number >= setup_.firstPage; }
    core::Status failWith(core::Status st);

    PageSetup setup_;
    PageSink& sink_;
    Header header_;
    Page page_;        // lines are kept here only for sinks that take whole pages
    int lines_ = 0;    // lines written on the current page
    bool streaming_;   // the sink takes lines one by one
    bool inHeader_ = false;
    bool finished_ = false;
    int pagesOutput_ = 0;
    std::optional<core::Error> failed_;
    // The buffers of plain lines for a streaming sink, which keeps nothing of a line: one line's
    // strings serve every line instead of two allocations per line.
    Line scratch_;
};

// Checks one line against the invariants above; the error names what is wrong.
core::Status checkLine(const Line& line);

} // namespace hk::output
