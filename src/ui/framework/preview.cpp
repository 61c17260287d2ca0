#include "ui/framework/preview.h"

#include "output/raw.h"
#include "ui/render/page_render.h"
#include "ui/render/pdf_writer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace hk::ui {

namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4.0;

QPushButton* button(const char* text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent); // owned by the parent widget
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

PreviewWindow::PreviewWindow(output::Document doc, app::Ui& ui, QWidget* parent)
    : QWidget(parent), doc_(std::move(doc)), ui_(ui) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Baskı Önizleme") +
                   (doc_.title.empty()
                        ? QString()
                        : QStringLiteral(" - ") + QString::fromStdString(doc_.title)));
    setFocusPolicy(Qt::StrongFocus);

    auto* bar = new QHBoxLayout;
    first_ = button("İlk Sayfa", "firstPage", this);
    previous_ = button("Önceki", "previousPage", this);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    next_ = button("Sonraki", "nextPage", this);
    last_ = button("Son Sayfa", "lastPage", this);
    zoomOut_ = button("Uzaklaştır", "zoomOut", this);
    zoomIn_ = button("Yakınlaştır", "zoomIn", this);
    print_ = button("Yazdır", "print", this);
    pdf_ = button("PDF olarak kaydet", "savePdf", this);
    for (QWidget* w : {static_cast<QWidget*>(first_), static_cast<QWidget*>(previous_),
                       static_cast<QWidget*>(pageLabel_), static_cast<QWidget*>(next_),
                       static_cast<QWidget*>(last_), static_cast<QWidget*>(zoomOut_),
                       static_cast<QWidget*>(zoomIn_)})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(print_);
    bar->addWidget(pdf_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pages"));
    scroll_->setAlignment(Qt::AlignHCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    image_ = new QLabel;
    image_->setObjectName(QStringLiteral("pageImage"));
    image_->setAlignment(Qt::AlignCenter);
    scroll_->setWidget(image_); // the scroll area owns the label

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(first_, &QPushButton::clicked, this, &PreviewWindow::firstPage);
    connect(previous_, &QPushButton::clicked, this, &PreviewWindow::previousPage);
    connect(next_, &QPushButton::clicked, this, &PreviewWindow::nextPage);
    connect(last_, &QPushButton::clicked, this, &PreviewWindow::lastPage);
    connect(zoomIn_, &QPushButton::clicked, this, &PreviewWindow::zoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &PreviewWindow::zoomOut);
    connect(print_, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(pdf_, &QPushButton::clicked, this, &PreviewWindow::saveAsPdf);

    current_ = doc_.pages.empty() ? 0 : 1;
    resize(900, 700);
    refresh();
}

void PreviewWindow::refresh() {
    const int count = pageCount();
    if (count == 0) {
        pageLabel_->setText(QStringLiteral("Sayfa yok"));
        image_->setPixmap(QPixmap());
        image_->setText(QStringLiteral("Yazdırılacak sayfa yok."));
    } else {
        pageLabel_->setText(QStringLiteral("Sayfa %1 / %2").arg(current_).arg(count));
        const double dpi = logicalDpiX() * zoom_;
        image_->setPixmap(QPixmap::fromImage(render::renderPage(doc_, current_ - 1, dpi)));
    }
    image_->adjustSize();
    first_->setEnabled(current_ > 1);
    previous_->setEnabled(current_ > 1);
    next_->setEnabled(current_ < count);
    last_->setEnabled(current_ < count);
    zoomIn_->setEnabled(count > 0 && zoom_ < kMaxZoom);
    zoomOut_->setEnabled(count > 0 && zoom_ > kMinZoom);
    print_->setEnabled(count > 0);
    pdf_->setEnabled(count > 0);
}

void PreviewWindow::showPage(int page) {
    if (pageCount() == 0) return;
    const int target = std::clamp(page, 1, pageCount());
    if (target == current_) return;
    current_ = target;
    refresh();
}

void PreviewWindow::firstPage() {
    showPage(1);
}
void PreviewWindow::previousPage() {
    showPage(current_ - 1);
}
void PreviewWindow::nextPage() {
    showPage(current_ + 1);
}
void PreviewWindow::lastPage() {
    showPage(pageCount());
}

void PreviewWindow::zoomIn() {
    zoom_ = std::min(kMaxZoom, zoom_ * 1.25);
    refresh();
}

void PreviewWindow::zoomOut() {
    zoom_ = std::max(kMinZoom, zoom_ / 1.25);
    refresh();
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        nextPage();
        break;
    case Qt::Key_PageUp:
        previousPage();
        break;
    case Qt::Key_Home:
        firstPage();
        break;
    case Qt::Key_End:
        lastPage();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PreviewWindow::complain(const core::Error& error, const std::string& caption) {
    ui_.message(error.text, caption, app::Icon::Warning, "&Tamam", 1);
}

core::Status PreviewWindow::savePdf(const std::string& path) {
    return render::writePdf(doc_, path);
}

core::Status PreviewWindow::printTo(QPrinter& printer, int first, int last) {
    return render::printDocument(doc_, printer, first, last);
}

void PreviewWindow::saveAsPdf() {
    if (pageCount() == 0) return;
    std::string path = ui_.chooseFile("PDF olarak kaydet", "PDF (*.pdf)", true);
    if (path.empty()) return;
    if (!std::filesystem::path(path).has_extension()) path += ".pdf";
    if (auto st = savePdf(path); !st) complain(st.error(), "PDF olarak kaydet");
}

void PreviewWindow::print() {
    if (pageCount() == 0) return;
    if (doc_.kind == output::PrinterKind::Lpq && !doc_.printer.empty()) {
        auto target = output::openRawQueue(doc_.printer);
        if (!target) return complain(target.error(), "Yazdır");
        output::RawSink sink(std::move(*target));
        for (const auto& p : doc_.pages)
            if (auto st = sink.page(p); !st) return complain(st.error(), "Yazdır");
        if (auto st = sink.finish(); !st) complain(st.error(), "Yazdır");
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!doc_.printer.empty()) printer.setPrinterName(QString::fromStdString(doc_.printer));
    printer.setDocName(QString::fromStdString(doc_.title));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Yazdır"));
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    if (dialog.exec() != QDialog::Accepted) return;
    int first = 0;
    int last = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        first = printer.fromPage();
        last = printer.toPage();
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = current_;
    }
    if (auto st = printTo(printer, first, last); !st) complain(st.error(), "Yazdır");
}

} // namespace hk::ui
