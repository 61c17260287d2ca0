#include "ui/framework/progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk::ui {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent), text_(new QLabel(this)), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("&Vazgeç"), this)) {
    setWindowModality(Qt::WindowModal);
    auto* lay = new QVBoxLayout(this);
    text_->setMinimumWidth(360);
    lay->addWidget(text_);
    bar_->setRange(0, 100);
    lay->addWidget(bar_);
    lay->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::requestCancel);
}

void ProgressWindow::setStep(const QString& text, int percent) {
    text_->setText(text);
    if (percent < 0) {
        bar_->setRange(0, 0);
    } else {
        bar_->setRange(0, 100);
        bar_->setValue(std::min(percent, 100));
    }
}

void ProgressWindow::requestCancel() {
    if (cancelRequested_) return;
    cancelRequested_ = true;
    cancel_->setEnabled(false);
    if (onCancel_) onCancel_();
}

// The window stays until the procedure finishes; closing it is a request to stop.
void ProgressWindow::closeEvent(QCloseEvent* e) {
    requestCancel();
    e->ignore();
}

void ProgressWindow::reject() {
    requestCancel();
}

} // namespace hk::ui
