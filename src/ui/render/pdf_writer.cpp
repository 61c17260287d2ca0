#include "ui/render/pdf_writer.h"

#include "ui/render/page_render.h"

#include <QGuiApplication>
#include <QPrinter>

namespace hk::ui::render {

using core::Error;
using core::Result;
using core::Status;

namespace {

Status needGui() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return Error::of(0, "Sayfa çizimi için grafik ortamı (QGuiApplication) başlatılmamış.");
    return {};
}

QRectF paintArea(const QPageLayout& layout, int resolution) {
    // The painter's origin is already the top-left corner of the printable area.
    return QRectF(QPointF(0, 0), QSizeF(layout.paintRectPixels(resolution).size()));
}

} // namespace

PdfSink::PdfSink(const std::string& path, const output::PageStyle& style)
    : path_(path), style_(style) {}

PdfSink::~PdfSink() {
    // Without finish() the painter is closed and the temporary file goes with target_.
    if (painter_ && painter_->isActive()) painter_->end();
}

void PdfSink::drop() {
    writer_.reset();
    file_.close();
    if (target_) target_->discard();
}

Result<std::unique_ptr<PdfSink>>
PdfSink::open(const std::string& path, const output::PageStyle& style, const std::string& title) {
    if (auto st = needGui(); !st) return st.error();
    if (path.empty()) return Error::of(0, "PDF dosya adı boş.");
    auto sink = std::make_unique<PdfSink>(path, style);
    auto target = output::AtomicFile::create(path);
    if (!target) return target.error();
    sink->target_.emplace(std::move(*target));
    sink->file_.setFileName(QString::fromStdString(sink->target_->temporary().string()));
    if (!sink->file_.open(QIODevice::WriteOnly))
        return Error::of(
            0, path + " dosyası oluşturulamadı: " + sink->file_.errorString().toStdString(), path);
    sink->writer_ = std::make_unique<QPdfWriter>(&sink->file_);
    sink->writer_->setCreator(QStringLiteral("Hesapkar"));
    sink->writer_->setTitle(QString::fromStdString(title));
    sink->writer_->setResolution(600);
    if (!sink->writer_->setPageLayout(pageLayout(style)))
        return Error::of(0, "Kağıt boyutu PDF için ayarlanamadı.", path);
    return sink;
}

Status PdfSink::fail(const QString& what) {
    if (painter_ && painter_->isActive()) painter_->end();
    const QString why = file_.errorString();
    drop();
    return Error::of(0, (what + ": " + why).toStdString(), path_);
}

Status PdfSink::page(const output::Page& page) {
    if (!writer_) return Error::of(0, "PDF dosyası açık değil.");
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) return fail(QStringLiteral("PDF yazılamadı"));
    } else if (!writer_->newPage()) {
        return fail(QStringLiteral("PDF'e yeni sayfa eklenemedi"));
    }
    extent_.add(page);
    const QRectF area = paintArea(writer_->pageLayout(), writer_->resolution());
    paintPage(*painter_, area, page, fittedFont(style_, writer_.get(), area.size(), extent_));
    ++pages_;
    return {};
}

Status PdfSink::finish() {
    if (!writer_) return Error::of(0, "PDF dosyası açık değil.");
    // A PDF needs at least one page; an empty report is said so instead of producing a blank
    // sheet that looks like a result.
    if (pages_ == 0) {
        drop();
        return Error::of(0, "Yazılacak sayfa yok; PDF oluşturulmadı.", path_);
    }
    if (!painter_->end()) return fail(QStringLiteral("PDF tamamlanamadı"));
    writer_.reset();
    if (!file_.flush()) return fail(QStringLiteral("PDF kaydedilemedi"));
    file_.close();
    if (auto st = target_->commit(); !st)
        return Error::of(st.error().code, "PDF kaydedilemedi: " + st.error().text, path_);
    return {};
}

Status writePdf(const output::Document& doc, const std::string& path) {
    auto sink = PdfSink::open(path, doc.style, doc.title);
    if (!sink) return sink.error();
    Extent extent;
    extent.add(doc);
    (*sink)->setExtent(extent);
    for (const auto& p : doc.pages)
        if (auto st = (*sink)->page(p); !st) return st;
    return (*sink)->finish();
}

Status printDocument(const output::Document& doc, QPrinter& printer, int first, int last) {
    if (auto st = needGui(); !st) return st;
    const int count = static_cast<int>(doc.pages.size());
    if (first <= 0) first = 1;
    if (last <= 0 || last > count) last = count;
    if (count == 0 || first > last) return Error::of(0, "Yazdırılacak sayfa yok.");
    printer.setFullPage(false);
    if (!printer.setPageLayout(pageLayout(doc.style)))
        return Error::of(0, "Kağıt boyutu yazıcıda ayarlanamadı.");
    printer.setDocName(QString::fromStdString(doc.title));
    QPainter painter;
    if (!painter.begin(&printer))
        return Error::of(0, "Yazıcı açılamadı: " + printer.printerName().toStdString());
    Extent extent;
    extent.add(doc);
    const QRectF area = paintArea(printer.pageLayout(), printer.resolution());
    const QFont font = fittedFont(doc.style, &printer, area.size(), extent);
    for (int i = first; i <= last; ++i) {
        if (i > first && !printer.newPage()) {
            painter.end();
            return Error::of(0, "Yazıcıda yeni sayfa açılamadı.");
        }
        paintPage(painter, area, doc.pages[static_cast<std::size_t>(i - 1)], font);
    }
    if (!painter.end()) return Error::of(0, "Yazdırma tamamlanamadı.");
    return {};
}

app::PdfOpener pdfOpener() {
    return [](const std::string& path,
              const output::PageStyle& style) -> core::Result<std::unique_ptr<output::PageSink>> {
        auto sink = PdfSink::open(path, style);
        if (!sink) return sink.error();
        return std::unique_ptr<output::PageSink>(std::move(*sink));
    };
}

} // namespace hk::ui::render
