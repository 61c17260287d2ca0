#include "ui/vouchers/voucher_tools.h"
#include "ui/framework/browse.h"

#include "accounts/messages.h"
#include "app/catalogue.h"
#include "core/text.h"
#include "data/dataset.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"
#include "ui/shell/frame.h"
#include "vouchers/tools.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hk::ui {

namespace text = core::text;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// ---- FisNumaratorDuzeltEkrani ---------------------------------------------------------------

FisNumaratorDuzeltWindow::FisNumaratorDuzeltWindow(RunProcedure run, QWidget* parent)
    : QDialog(parent), run_(std::move(run)) {
    setWindowTitle(QStringLiteral("Fiş Numarator Düzelt Ekranı"));
    auto* form = new QFormLayout;
    month_ = new PictureEdit("s2", this);
    form->addRow(QStringLiteral("Ay No"), month_);
    fix_ = new QPushButton(QStringLiteral("Düzelt"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(fix_);
    row->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(row);
    connect(fix_, &QPushButton::clicked, this, [this] { fix(); });
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

void FisNumaratorDuzeltWindow::fix() {
    if (!run_ || !fix_->isEnabled()) return;
    const std::string typed = text::upperTr(text::trim(month_->textValue()));
    // "H" (every month) ends the work of the window; a month leaves it open for the next one.
    const bool closeAfter = typed == "H";
    app::Options o;
    o.argument = typed;
    // The repair runs off the GUI thread; the button waits for it so it is not started twice.
    fix_->setEnabled(false);
    QPointer<FisNumaratorDuzeltWindow> self(this);
    run_("FisNumaratorDuzelt", std::move(o), [self, closeAfter](bool) {
        if (!self) return;
        self->fix_->setEnabled(true);
        if (closeAfter) self->accept();
    });
}

// ---- FisNitelik -----------------------------------------------------------------------------

FisNitelikWindow::FisNitelikWindow(data::DataSet& ds, app::Ui& ui, bool select, QWidget* parent)
    : QWidget(parent), ds_(ds), ui_(ui) {
    setWindowTitle(QStringLiteral("Fiş Nitelik Listesi"));
    auto* lay = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Fiş"), this);
    heading->setAlignment(Qt::AlignHCenter);
    lay->addWidget(heading);
    table_ = new QTableWidget(0, 2, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Nitelik"), QStringLiteral("Açıklaması")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(table_, 1);
    select_ = new QPushButton(QStringLiteral("Seçim"), this);
    insert_ = new QPushButton(QStringLiteral("YeniGir"), this);
    change_ = new QPushButton(QStringLiteral("Değiştir"), this);
    close_ = new QPushButton(QStringLiteral("Kapat"), this);
    select_->setVisible(select);
    auto* row = new QHBoxLayout;
    for (auto* b : {select_, insert_, change_, close_}) row->addWidget(b);
    lay->addLayout(row);
    connect(select_, &QPushButton::clicked, this, [this] { choose(); });
    connect(insert_, &QPushButton::clicked, this, [this] { insertRow(); });
    connect(change_, &QPushButton::clicked, this, [this] { changeRow(); });
    connect(close_, &QPushButton::clicked, this, [this] {
        emit closeRequested();
        if (!qobject_cast<QDialog*>(window())) closeOwnWindow(this);
    });
    if (select) connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { choose(); });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* i) { cellEdited(i); });
    reload();
}

void FisNitelikWindow::reload() {
    loading_ = true;
    newRow_ = -1;
    table_->setRowCount(0);
    auto rows = vouchers::attributes(ds_);
    if (!rows) {
        reportError(ui_, rows.error(), 1);
    } else {
        for (const auto& n : *rows) {
            const int r = table_->rowCount();
            table_->insertRow(r);
            auto* code = new QTableWidgetItem(q(text::clip(n.FISNTLK)));
            code->setFlags(code->flags() & ~Qt::ItemIsEditable);
            table_->setItem(r, 0, code);
            table_->setItem(r, 1, new QTableWidgetItem(q(text::clip(n.ACK))));
        }
    }
    if (table_->rowCount() > 0 && table_->currentRow() < 0) table_->selectRow(0);
    loading_ = false;
}

void FisNitelikWindow::select(const std::string& code) {
    for (int r = 0; r < table_->rowCount(); ++r)
        if (table_->item(r, 0)->text().toStdString() == code) {
            table_->selectRow(r);
            return;
        }
}

void FisNitelikWindow::insertRow() {
    if (newRow_ >= 0) { // one new row at a time: back to the field still to be typed
        const bool codeTyped = !table_->item(newRow_, 0)->text().trimmed().isEmpty();
        table_->editItem(table_->item(newRow_, codeTyped ? 1 : 0));
        return;
    }
    loading_ = true;
    newRow_ = table_->rowCount();
    table_->insertRow(newRow_);
    table_->setItem(newRow_, 0, new QTableWidgetItem);
    table_->setItem(newRow_, 1, new QTableWidgetItem);
    loading_ = false;
    table_->setCurrentCell(newRow_, 0);
    table_->editItem(table_->item(newRow_, 0));
}

void FisNitelikWindow::changeRow() {
    const int r = table_->currentRow();
    if (r < 0 || r == newRow_) return;
    table_->setCurrentCell(r, 1);
    table_->editItem(table_->item(r, 1));
}

void FisNitelikWindow::cellEdited(QTableWidgetItem* item) {
    if (loading_ || !item) return;
    const int r = item->row();
    data::Nitelik rec;
    rec.FISNTLK = text::upperTr(text::trim(table_->item(r, 0)->text().toStdString()));
    rec.ACK = text::clip(table_->item(r, 1)->text().toStdString());
    const bool insert = r == newRow_;
    if (insert && item->column() == 0) {
        // The code is typed first; the row is saved with its description.
        loading_ = true;
        item->setText(q(rec.FISNTLK));
        loading_ = false;
        if (!rec.FISNTLK.empty()) table_->editItem(table_->item(r, 1));
        return;
    }
    if (item->column() != 1) return;
    core::Status st;
    if (text::length(rec.FISNTLK) > 3 || text::length(rec.ACK) > 20)
        st = core::Error::badInput("Nitelik en fazla 3, açıklaması en fazla 20 karakter olabilir");
    else
        st = vouchers::saveAttribute(ds_, rec, insert);
    if (!st) {
        if (st.error().kind == core::ErrorKind::BadInput)
            (void)accounts::refuseInput(ui_, st.error());
        else
            (void)accounts::raiseStored(ui_, st.error(), insert ? 4 : 25);
    }
    const std::string keep = st ? rec.FISNTLK : std::string{};
    reload();
    if (!keep.empty()) select(keep);
}

void FisNitelikWindow::choose() {
    const int r = table_->currentRow();
    if (r < 0 || r == newRow_) return;
    chosen_ = table_->item(r, 0)->text().toStdString();
    emit picked();
}

std::optional<std::string> chooseAttribute(data::DataSet& ds, app::Ui& ui, QWidget* parent) {
    QDialog dlg(parent);
    auto* list = new FisNitelikWindow(ds, ui, true, &dlg);
    dlg.setWindowTitle(list->windowTitle());
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(list);
    QObject::connect(list, &FisNitelikWindow::picked, &dlg, &QDialog::accept);
    QObject::connect(list, &FisNitelikWindow::closeRequested, &dlg, &QDialog::reject);
    dlg.resize(360, 320);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return list->chosen();
}

// ---- registration ---------------------------------------------------------------------------

void registerVoucherToolWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec fix;
    fix.name = "FisNumaratorDuzeltEkrani";
    fix.run = [&frame](app::ProcedureContext&, const app::Options&) -> core::Status {
        FisNumaratorDuzeltWindow w(frameRunner(frame), &frame);
        w.exec();
        return {};
    };
    registry.add(std::move(fix));
    app::ProcedureSpec kinds;
    kinds.name = "FisNitelik";
    kinds.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        frame.openChild("FisNitelik", std::make_unique<FisNitelikWindow>(c.data, c.ui, false));
        return {};
    };
    registry.add(std::move(kinds));
}

} // namespace hk::ui
