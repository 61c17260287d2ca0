#include "ui/render/page_render.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>

#include <algorithm>

namespace hk::ui::render {

namespace {

// Metric-compatible replacements of the Windows fonts reports name.
QString metricTwin(const QString& family) {
    if (family.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return {};
}

bool installed(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

QString resolvedFamily(const QString& requested) {
    if (installed(requested)) return requested;
    const QString twin = metricTwin(requested);
    if (!twin.isEmpty() && installed(twin)) return twin;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont reportFont(const output::PageStyle& style) {
    QFont f(resolvedFamily(QString::fromStdString(style.fontFamily)));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setWeight(QFont::Normal);
    f.setPointSizeF(style.fontPoints > 0 ? style.fontPoints : 10.0);
    // Fixed columns need exactly one advance per character.
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

QPageLayout pageLayout(const output::PageStyle& style) {
    const QSizeF mm(style.paperWidthMm, style.paperHeightMm);
    QPageSize size(mm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    const double m = std::max(0.0, style.marginMm);
    return QPageLayout(size, style.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(m, m, m, m), QPageLayout::Millimeter);
}

void Extent::add(const output::Page& page) {
    lines = std::max(lines, static_cast<int>(page.lines.size()));
    for (const auto& l : page.lines)
        chars = std::max(chars, static_cast<int>(QString::fromStdString(l.visibleText()).size()));
}

void Extent::add(const output::Document& doc) {
    for (const auto& p : doc.pages)
        add(p);
}

QFont fittedFont(const output::PageStyle& style, QPaintDevice* device, const QSizeF& area,
                 const Extent& extent) {
    QFont font = reportFont(style);
    QFontMetricsF fm(font, device);
    const double needH = fm.lineSpacing() * extent.lines;
    const double needW = fm.horizontalAdvance(QString(std::max(1, extent.chars), QLatin1Char('M')));
    double scale = 1.0;
    if (needH > area.height() && needH > 0) scale = std::min(scale, area.height() / needH);
    if (needW > area.width() && needW > 0) scale = std::min(scale, area.width() / needW);
    if (scale < 1.0) font.setPointSizeF(font.pointSizeF() * scale * 0.995);
    return font;
}

void paintPage(QPainter& painter, const QRectF& area, const output::Page& page, const QFont& font) {
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    QFontMetricsF fm(font, painter.device());
    double baseline = area.top() + fm.ascent();
    for (const auto& line : page.lines) {
        const QString text = QString::fromStdString(line.visibleText());
        if (!text.isEmpty()) painter.drawText(QPointF(area.left(), baseline), text);
        baseline += fm.lineSpacing();
    }
    painter.restore();
}

int linesThatFit(const output::PageStyle& style) {
    // Metrics at 72 dpi are in points, the unit of the paper rectangle below.
    QImage probe(1, 1, QImage::Format_RGB32);
    const int dpm = static_cast<int>(72 / 0.0254 + 0.5);
    probe.setDotsPerMeterX(dpm);
    probe.setDotsPerMeterY(dpm);
    const QFontMetricsF fm(reportFont(style), &probe);
    const double height = pageLayout(style).paintRect(QPageLayout::Point).height();
    return std::max(1, static_cast<int>(height / fm.lineSpacing()));
}

QImage renderPage(const output::Document& doc, int index, double dpi) {
    if (index < 0 || index >= static_cast<int>(doc.pages.size()) || dpi <= 0) return {};
    const QPageLayout layout = pageLayout(doc.style);
    const QRect full = layout.fullRectPixels(static_cast<int>(dpi));
    const QRect paint = layout.paintRectPixels(static_cast<int>(dpi));
    QImage img(full.size(), QImage::Format_RGB32);
    const int dpm = static_cast<int>(dpi / 0.0254 + 0.5);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    Extent extent;
    extent.add(doc);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont font = fittedFont(doc.style, &img, QSizeF(paint.size()), extent);
    paintPage(painter, QRectF(paint), doc.pages[static_cast<std::size_t>(index)], font);
    return img;
}

} // namespace hk::ui::render
