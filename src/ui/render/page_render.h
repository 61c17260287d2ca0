#pragma once
// Painting report pages with Qt Gui: the same code draws the preview, the PDF and the pages
// sent to the system printer, so what the user previews is what comes out.
//
// Lines are laid top to bottom in a monospace font at the report's size. "Courier New" is the
// font reports ask for; where it is missing its metric twin "Liberation Mono" takes its place,
// so columns keep their widths. When a page holds more lines or wider lines than the paper
// takes at that size, the font is made smaller for the whole document rather than letting text
// run off the sheet. Control bytes of text printers are not painted.

#include "output/page.h"

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QRectF>

class QPainter;
class QPaintDevice;
class QPagedPaintDevice;

namespace hk::ui::render {

// The report's font, resolved to a family this machine has (see above).
QFont reportFont(const output::PageStyle& style);
// Family actually used for a requested one: the requested family when installed, else its
// metric twin, else the system's monospace font.
QString resolvedFamily(const QString& requested);

QPageLayout pageLayout(const output::PageStyle& style);

// Widest line (characters) and most lines of any page, for one font size over the document.
struct Extent {
    int lines = 0;
    int chars = 0;
    void add(const output::Page& page);
    void add(const output::Document& doc);
};

// The report font for `device`, made smaller when `extent` does not fit into `area` (device
// units of the painter).
QFont fittedFont(const output::PageStyle& style, QPaintDevice* device, const QSizeF& area,
                 const Extent& extent);

// Paints the page's lines into `area` of the painter (device units).
void paintPage(QPainter& painter, const QRectF& area, const output::Page& page, const QFont& font);

// How many lines of the style's font fit between the top and bottom margins.
int linesThatFit(const output::PageStyle& style);

// A page of the document as an image at `dpi`, white paper with the lines in black.
QImage renderPage(const output::Document& doc, int index, double dpi);

} // namespace hk::ui::render
