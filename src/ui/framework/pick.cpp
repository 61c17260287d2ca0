#include "ui/framework/pick.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk::ui {

PickDialog::PickDialog(const QString& caption, const QStringList& items, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setWindowTitle(caption);
    list_->addItems(items);
    if (!items.isEmpty()) list_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Seç"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Vazgeç"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_);
    lay->addWidget(buttons);
}

int PickDialog::chosen() const {
    return list_->currentRow();
}

int pickFrom(const QString& caption, const QStringList& items, QWidget* parent) {
    PickDialog d(caption, items, parent);
    if (d.exec() != QDialog::Accepted) return -1;
    return d.chosen();
}

} // namespace hk::ui
