#include "ui/framework/form.h"

#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace hk::ui {

UpdateForm::UpdateForm(app::Ui& ui, FormMode mode, QWidget* parent)
    : QDialog(parent), ui_(ui), mode_(mode), fields_(new QFormLayout), buttons_(new QHBoxLayout),
      save_(new QPushButton(QStringLiteral("&Tamam"), this)),
      cancel_(new QPushButton(QStringLiteral("&Vazgeç"), this)) {
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(fields_);
    lay->addStretch(1);
    buttons_->addStretch(1);
    buttons_->addWidget(save_);
    buttons_->addWidget(cancel_);
    lay->addLayout(buttons_);
    save_->setDefault(true);
    connect(save_, &QPushButton::clicked, this, &UpdateForm::trySave);
    connect(cancel_, &QPushButton::clicked, this, &UpdateForm::tryCancel);
    if (mode_ == FormMode::View) setCanSave(false);
}

void UpdateForm::setCanSave(bool can) {
    save_->setVisible(can);
    save_->setEnabled(can);
}

PictureEdit* UpdateForm::addText(const QString& label, const std::string& picture) {
    auto* e = new PictureEdit(picture, this);
    addRow(label, e);
    return e;
}

QCheckBox* UpdateForm::addCheck(const QString& caption) {
    auto* c = new QCheckBox(caption, this);
    addRow({}, c);
    return c;
}

QComboBox* UpdateForm::addChoice(const QString& label, const QStringList& items) {
    auto* c = new QComboBox(this);
    c->addItems(items);
    addRow(label, c);
    return c;
}

PictureEdit* UpdateForm::addLookup(const QString& label, const std::string& picture,
                                   QPushButton** button) {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* e = new PictureEdit(picture, row);
    auto* b = new QPushButton(QStringLiteral("..."), row);
    b->setFixedWidth(28);
    b->setAutoDefault(false);
    h->addWidget(e, 1);
    h->addWidget(b);
    fields_->addRow(label, row);
    watched_ << e;
    if (button) *button = b;
    return e;
}

void UpdateForm::addRow(const QString& label, QWidget* w) {
    if (label.isEmpty())
        fields_->addRow(w);
    else
        fields_->addRow(label, w);
    watched_ << w;
}

QString UpdateForm::snapshot() const {
    QString s;
    for (QWidget* w : watched_) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            s += e->text();
        else if (auto* c = qobject_cast<QCheckBox*>(w))
            s += c->isChecked() ? u"1" : u"0";
        else if (auto* b = qobject_cast<QComboBox*>(w))
            s += QString::number(b->currentIndex());
        s += QChar(0x1f);
    }
    return s;
}

void UpdateForm::setChangedBaseline() {
    baseline_ = snapshot();
}

bool UpdateForm::changed() const {
    return snapshot() != baseline_;
}

void UpdateForm::open() {
    load();
    setChangedBaseline();
    if (mode_ == FormMode::View) {
        for (QWidget* w : watched_)
            w->setEnabled(false);
    }
}

void UpdateForm::trySave() {
    if (!save_->isEnabled()) return;
    if (mode_ == FormMode::Change) {
        if (!changed()) { // nothing to write
            closing_ = true;
            accept();
            return;
        }
        if (!askYes(raiseData(ui_, 35))) return;
    }
    if (auto st = save(); !st) {
        reportError(ui_, st.error(), mode_ == FormMode::Insert ? 4 : 25);
        return;
    }
    if (mode_ == FormMode::Insert) {
        saved();
        if (askYes(raiseData(ui_, 3))) {
            load();
            setChangedBaseline();
            // the list behind the form shows the new record when the form closes
            wroteAny_ = true;
            return;
        }
    }
    closing_ = true;
    accept();
}

void UpdateForm::tryCancel() {
    if (changed() && mode_ != FormMode::View && !askYes(raiseData(ui_, 8))) return;
    closing_ = true;
    // An insert form that saved records before the user gave up on the last one still changed
    // the data: the list re-reads on Accepted.
    if (wroteAny_)
        accept();
    else
        QDialog::reject();
}

void UpdateForm::reject() {
    if (closing_) {
        QDialog::reject();
        return;
    }
    tryCancel();
}

void UpdateForm::closeEvent(QCloseEvent* e) {
    if (closing_) {
        QDialog::closeEvent(e);
        return;
    }
    e->ignore();
    tryCancel();
}

} // namespace hk::ui
