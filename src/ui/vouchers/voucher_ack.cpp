#include "ui/vouchers/voucher_ack.h"
#include "ui/framework/browse.h"

#include "app/catalogue.h"
#include "core/text.h"
#include "data/dataset.h"
#include "ui/framework/browse_table.h"
#include "ui/framework/form_messages.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "vouchers/descriptions.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace hk::ui {

namespace {

constexpr int kDescriptionMenu = 4020;
using data::FisAck;

} // namespace

FFisAck::FFisAck(DescriptionContext ctx, FormMode mode, std::string text, QWidget* parent)
    : UpdateForm(*ctx.ui, mode, parent), ctx_(ctx), original_(std::move(text)) {
    setWindowTitle(mode == FormMode::Insert ? QStringLiteral("Fiş Açıklama Girişi")
                                            : QStringLiteral("Fiş Açıklama Değişiklik"));
    saveButton()->setText(QStringLiteral("Tamam"));
    cancelButton()->setText(QStringLiteral("İptal"));
    field_ = addText(QStringLiteral("Fiş Açıklaması"), "s35");
    open();
}

void FFisAck::load() {
    field_->setTextValue(mode() == FormMode::Insert ? std::string{} : original_);
}

core::Status FFisAck::save() {
    const std::string t = field_->textValue();
    if (mode() == FormMode::Insert) return vouchers::addDescription(*ctx_.data, *ctx_.ui, t);
    return vouchers::changeDescription(*ctx_.data, *ctx_.ui, original_, t);
}

FisAckList::FisAckList(DescriptionContext ctx, bool select, QWidget* parent)
    : QWidget(parent), ctx_(std::move(ctx)) {
    setWindowTitle(QStringLiteral("Fiş Açıklama Listesi"));
    auto table = ctx_.data->open<FisAck>();
    if (!table) reportError(*ctx_.ui, table.error(), 23);
    auto src = std::make_shared<TableSource<FisAck>>(
        table ? std::move(*table) : data::TypedTable<FisAck>{},
        std::vector<KeyOrder<FisAck>>{{"ACK:KeyAck",
                                       [](FisAck& a, const std::string& s) {
                                           a.ACK = core::text::left(s, vouchers::kDescriptionWidth);
                                           return core::text::isCp1254(a.ACK);
                                       }}},
        std::vector<Column<FisAck>>{{QStringLiteral("Fiş Açıklaması"), 35, "",
                                     [](const FisAck& a) { return Cell{core::text::clip(a.ACK)}; }}});
    list_ = new BrowsePanel(src, {}, *ctx_.ui, this);
    if (ctx_.rights)
        list_->applyRights(*ctx_.rights, kDescriptionMenu);
    else
        list_->allowAll();
    list_->insertButton()->setText(QStringLiteral("&YeniGir"));
    list_->changeButton()->setText(QStringLiteral("&Değiştir"));
    list_->removeButton()->setText(QStringLiteral("&Sil"));
    list_->onInsert = [this] { return runForm(FormMode::Insert, {}); };
    list_->onChange = [this](const BrowseRow& r) {
        return runForm(list_->changeMode(), core::text::clip(TableSource<FisAck>::record(r).ACK));
    };
    list_->onRemove = [this](const BrowseRow& r) {
        return vouchers::deleteDescription(*ctx_.data, *ctx_.ui,
                                           TableSource<FisAck>::record(r).ACK);
    };
    select_ = new QPushButton(QStringLiteral("S&eçim"), this);
    exit_ = new QPushButton(QStringLiteral("Çı&kış"), this);
    select_->setVisible(select);
    auto* row = new QHBoxLayout;
    row->addWidget(select_);
    row->addStretch(1);
    row->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addLayout(row);
    auto choose = [this] {
        if (const BrowseRow* r = list_->selected()) {
            chosen_ = core::text::clip(TableSource<FisAck>::record(*r).ACK);
            emit picked();
        }
    };
    connect(select_, &QPushButton::clicked, this, choose);
    if (select) {
        disconnect(list_->view(), &QTableView::doubleClicked, nullptr, nullptr);
        connect(list_->view(), &QTableView::doubleClicked, this, choose);
    }
    connect(exit_, &QPushButton::clicked, this, [this] {
        emit closeRequested();
        if (!qobject_cast<QDialog*>(window())) closeOwnWindow(this);
    });
    list_->reload();
}

bool FisAckList::runForm(FormMode mode, const std::string& text) {
    FFisAck f(ctx_, mode, text, this);
    const int r = ctx_.runForm ? ctx_.runForm(f) : f.exec();
    return r == QDialog::Accepted;
}

std::optional<std::string> chooseDescription(DescriptionContext ctx, QWidget* parent) {
    QDialog dlg(parent);
    auto* list = new FisAckList(std::move(ctx), true, &dlg);
    dlg.setWindowTitle(list->windowTitle());
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(list);
    QObject::connect(list, &FisAckList::picked, &dlg, &QDialog::accept);
    QObject::connect(list, &FisAckList::closeRequested, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return list->chosen();
}

void registerDescriptionWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec spec;
    spec.name = "FisAck";
    spec.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        DescriptionContext ctx{&c.data, &c.ui, &c.rights, {}};
        // The menu calls the list and waits for it, as the other "call" items do.
        QDialog dlg(&frame);
        auto* list = new FisAckList(ctx, false, &dlg);
        dlg.setWindowTitle(list->windowTitle());
        auto* lay = new QVBoxLayout(&dlg);
        lay->addWidget(list);
        QObject::connect(list, &FisAckList::closeRequested, &dlg, &QDialog::reject);
        dlg.resize(460, 420);
        dlg.exec();
        return {};
    };
    registry.add(std::move(spec));
}

} // namespace hk::ui
