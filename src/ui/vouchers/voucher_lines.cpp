#include "ui/vouchers/voucher_lines.h"
#include "ui/framework/browse.h"

#include "app/catalogue.h"
#include "app/sheet_export.h"
#include "core/text.h"
#include "data/dataset.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"
#include "ui/shell/frame.h"
#include "vouchers/voucher_lists.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include <limits>

namespace hk::ui {

namespace text = core::text;
using data::FisBas;
using data::FisDet;

namespace {

constexpr int kTabKey = 0;     // "KeyStr": MFD:KeyFisSiraNo
constexpr int kTabVoucher = 1; // "FisSiraNo": MFD:KeyFisDet, one voucher

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

bool textInto(std::string& field, const std::string& s, std::size_t width) {
    field = text::left(s, width);
    return text::isCp1254(field);
}

Cell textCell(const std::string& s) {
    return Cell{text::clip(s)};
}
Cell numberCell(double v) {
    return Cell{v};
}

} // namespace

// ---- SelectHkFisBas -------------------------------------------------------------------------

SelectHkFisBas::SelectHkFisBas(data::DataSet& ds, app::Ui& ui, bool select, QWidget* parent)
    : QWidget(parent), ds_(ds), ui_(ui) {
    setWindowTitle(QStringLiteral("Fiş Başlık Listesi"));
    auto table = ds_.open<FisBas>();
    if (!table) reportError(ui_, table.error(), 23);
    auto src = std::make_shared<TableSource<FisBas>>(
        table ? std::move(*table) : data::TypedTable<FisBas>{},
        std::vector<KeyOrder<FisBas>>{
            {"MFB:KeyFis", [](FisBas& h, const std::string& s) { return textInto(h.KEYSTR, s, 10); }}},
        std::vector<Column<FisBas>>{
            {QStringLiteral("Key Str"), 12, "", [](const FisBas& h) { return textCell(h.KEYSTR); }},
            {QStringLiteral("Fis Trh"), 10, "d6b", [](const FisBas& h) { return Cell{h.FISTRH}; }},
            {QStringLiteral("Fis No"), 7, "n_7", [](const FisBas& h) { return numberCell(h.FISNO); }},
            {QStringLiteral("Fis Tur"), 6, "", [](const FisBas& h) { return textCell(h.FISTUR); }},
            {QStringLiteral("Fis Ntlk"), 4, "", [](const FisBas& h) { return textCell(h.FISNTLK); }},
            {QStringLiteral("B Toplam"), 18, "n18.2", [](const FisBas& h) { return numberCell(h.BTOPLAM); }},
            {QStringLiteral("A Toplam"), 18, "n18.2", [](const FisBas& h) { return numberCell(h.ATOPLAM); }},
            {QStringLiteral("Yevmiye No"), 7, "n_7b",
             [](const FisBas& h) { return numberCell(static_cast<double>(h.YEVMIYENO)); }},
            {QStringLiteral("Karsit No"), 7, "n_7b",
             [](const FisBas& h) { return numberCell(static_cast<double>(h.KARSITNO)); }},
            {QStringLiteral("Entegre No"), 7, "n_7b",
             [](const FisBas& h) { return numberCell(static_cast<double>(h.ENTEGRENO)); }}});
    list_ = new BrowsePanel(src, {}, ui_, this);
    list_->readOnly();
    select_ = new QPushButton(QStringLiteral("Seçim"), this);
    excel_ = new QPushButton(QStringLiteral("Excel"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    select_->setVisible(select);
    auto* row = new QHBoxLayout;
    row->addWidget(select_);
    row->addWidget(excel_);
    row->addStretch(1);
    row->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addLayout(row);
    auto choose = [this] {
        if (const BrowseRow* r = list_->selected()) {
            chosen_ = text::clip(TableSource<FisBas>::record(*r).KEYSTR);
            emit picked();
        }
    };
    connect(select_, &QPushButton::clicked, this, choose);
    if (select) connect(list_->view(), &QTableView::doubleClicked, this, choose);
    connect(excel_, &QPushButton::clicked, this, [this] { exportList(); });
    connect(exit_, &QPushButton::clicked, this, [this] {
        emit closeRequested();
        if (!qobject_cast<QDialog*>(window())) closeOwnWindow(this);
    });
    list_->reload();
}

void SelectHkFisBas::exportList() {
    (void)app::exportList(
        ui_,
        [this]() -> core::Result<output::Sheet> {
            auto heads = vouchers::listHeaders(ds_);
            if (!heads) return heads.error();
            return vouchers::headerListSheet(*heads);
        },
        target);
}

std::optional<std::string> chooseVoucherHeader(data::DataSet& ds, app::Ui& ui, QWidget* parent) {
    QDialog dlg(parent);
    auto* list = new SelectHkFisBas(ds, ui, true, &dlg);
    dlg.setWindowTitle(list->windowTitle());
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(list);
    QObject::connect(list, &SelectHkFisBas::picked, &dlg, &QDialog::accept);
    QObject::connect(list, &SelectHkFisBas::closeRequested, &dlg, &QDialog::reject);
    dlg.resize(900, 480);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return list->chosen();
}

// ---- the query dialog -----------------------------------------------------------------------

LineQueryDialog::LineQueryDialog(app::Ui& ui, const vouchers::LineQueryText& start,
                                 QWidget* parent)
    : QDialog(parent), ui_(ui) {
    setWindowTitle(QStringLiteral("Sorgu"));
    auto* form = new QFormLayout;
    auto field = [&](const char* caption, const char* picture, const std::string& value) {
        auto* e = new PictureEdit(picture, this);
        e->setTextValue(value);
        form->addRow(q(caption), e);
        return e;
    };
    key = field("Key Str", "s10", start.key);
    side = field("B/A", "s1", start.side);
    date = field("Fis Trh", "s10", start.date);
    number = field("Fis No", "s6", start.number);
    type = field("Fis Tur", "s6", start.type);
    attribute = field("Fis Ntlk", "s3", start.attribute);
    lineNo = field("Fis Sira No", "s6", start.lineNo);
    account = field("Hesap Kodu", "s18", start.account);
    description = field("Fis Ack", "s50", start.description);
    apply = new QPushButton(QStringLiteral("Uygula"), this);
    clear = new QPushButton(QStringLiteral("Temizle"), this);
    cancel = new QPushButton(QStringLiteral("Vazgeç"), this);
    apply->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(apply);
    row->addWidget(clear);
    row->addWidget(cancel);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("Boş bırakılan sütun sorguya katılmaz."), this));
    lay->addLayout(form);
    lay->addLayout(row);
    connect(apply, &QPushButton::clicked, this, &LineQueryDialog::tryApply);
    connect(clear, &QPushButton::clicked, this, [this] {
        for (auto* e : {key, side, date, number, type, attribute, lineNo, account, description})
            e->clear();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

vouchers::LineQueryText LineQueryDialog::typed() const {
    return {key->textValue(),    side->textValue(),   date->textValue(),
            number->textValue(), type->textValue(),   attribute->textValue(),
            lineNo->textValue(), account->textValue(), description->textValue()};
}

void LineQueryDialog::tryApply() {
    auto parsed = vouchers::parseLineQuery(typed());
    if (!parsed) {
        // The dialog stays for a correction.
        ui_.message(parsed.error().text, QStringLiteral("Sorgu").toStdString(), app::Icon::Warning,
                    "&Tamam", 1);
        return;
    }
    query_ = *parsed;
    accept();
}

// ---- Fisdetlistesi --------------------------------------------------------------------------

Fisdetlistesi::Fisdetlistesi(data::DataSet& ds, app::Ui& ui, QWidget* parent)
    : QWidget(parent), ds_(ds), ui_(ui) {
    setWindowTitle(QStringLiteral("Fiş Detay Listesi"));
    auto table = ds_.open<FisDet>();
    if (!table) reportError(ui_, table.error(), 23);
    std::vector<Column<FisDet>> columns{
        {QStringLiteral("Key Str"), 12, "", [](const FisDet& l) { return textCell(l.KEYSTR); }},
        {QStringLiteral("B/A"), 3, "", [](const FisDet& l) { return textCell(l.BORCALACAK); }},
        {QStringLiteral("Fis Trh"), 10, "d6b", [](const FisDet& l) { return Cell{l.FISTRH}; }},
        {QStringLiteral("Fis No"), 7, "n_7", [](const FisDet& l) { return numberCell(l.FISNO); }},
        {QStringLiteral("Fis Tur"), 6, "", [](const FisDet& l) { return textCell(l.FISTUR); }},
        {QStringLiteral("Fis Ntlk"), 4, "", [](const FisDet& l) { return textCell(l.FISNTLK); }},
        {QStringLiteral("Fis Sira No"), 5, "n_5", [](const FisDet& l) { return numberCell(l.FISSIRANO); }},
        {QStringLiteral("Hesap Kodu"), 18, "", [](const FisDet& l) { return textCell(l.HESAPKODU); }},
        {QStringLiteral("Fis Ack"), 35, "", [](const FisDet& l) { return textCell(l.FISACK); }},
        {QStringLiteral("TL Borç"), 18, "n18.2", [](const FisDet& l) { return numberCell(l.TLBORC); }},
        {QStringLiteral("TL Alacak"), 18, "n18.2", [](const FisDet& l) { return numberCell(l.TLALACAK); }},
        {QStringLiteral("Alt Birim Borç"), 18, "n18.2",
         [](const FisDet& l) { return numberCell(l.ALTBIRIMBORC); }},
        {QStringLiteral("Alt Birim Alacak"), 18, "n18.2",
         [](const FisDet& l) { return numberCell(l.ALTBIRIMALACAK); }},
        {QStringLiteral("Döviz Borç"), 18, "n18.2", [](const FisDet& l) { return numberCell(l.DOVIZBORC); }},
        {QStringLiteral("Döviz Alacak"), 18, "n18.2",
         [](const FisDet& l) { return numberCell(l.DOVIZALACAK); }}};
    source_ = std::make_shared<TableSource<FisDet>>(
        table ? std::move(*table) : data::TypedTable<FisDet>{},
        std::vector<KeyOrder<FisDet>>{
            {vouchers::keyName(vouchers::LineOrder::ByKeyAndLine),
             [](FisDet& l, const std::string& s) { return textInto(l.KEYSTR, s, 10); }},
            // The voucher's range holds the key; the locator types the account code.
            {vouchers::keyName(vouchers::LineOrder::ByKeyAndAccount),
             [](FisDet& l, const std::string& s) { return textInto(l.HESAPKODU, s, 18); }}},
        std::move(columns));
    list_ = new BrowsePanel(source_, {QStringLiteral("KeyStr"), QStringLiteral("FisSiraNo")}, ui_,
                            this);
    list_->readOnly();
    voucher_ = new QLabel(this);
    choose_ = new QPushButton(QStringLiteral("Fiş Başlık Seç"), this);
    query_ = new QPushButton(QStringLiteral("&Query"), this);
    excel_ = new QPushButton(QStringLiteral("Excel"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* row = new QHBoxLayout;
    for (auto* b : {choose_, query_, excel_}) row->addWidget(b);
    row->addStretch(1);
    row->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(voucher_);
    lay->addWidget(list_, 1);
    lay->addLayout(row);
    connect(choose_, &QPushButton::clicked, this, [this] { chooseVoucher(); });
    connect(query_, &QPushButton::clicked, this, [this] { runQuery(); });
    connect(excel_, &QPushButton::clicked, this, [this] { exportList(); });
    connect(exit_, &QPushButton::clicked, this, [this] { closeOwnWindow(this); });
    // The panel restarts the list on a tab change before this runs; the range of the new tab is
    // set here and the list read again.
    connect(list_->tabs(), &QTabBar::currentChanged, this, [this](int i) { orderChanged(i); });
    orderChanged(kTabKey);
    resize(1100, 520); // the first opening; later ones take the remembered geometry
}

void Fisdetlistesi::orderChanged(int order) {
    if (order == kTabVoucher) {
        // Only the chosen voucher's lines; none before a voucher is chosen (no line has a blank
        // key).
        KeyRange<FisDet> r;
        r.low.KEYSTR = r.high.KEYSTR = key_.value_or(std::string{});
        r.high.HESAPKODU = std::string(18, 'z'); // above every code of digits and blanks
        r.high.ACKNO = std::numeric_limits<std::int32_t>::max();
        r.fixedParts = 1;
        source_->setRange(r);
    } else {
        source_->setRange(std::nullopt);
    }
    list_->reload();
}

void Fisdetlistesi::chooseVoucher() {
    const auto key = chooseHeader ? chooseHeader() : chooseVoucherHeader(ds_, ui_, this);
    if (!key) return;
    key_ = *key;
    voucher_->setText(QStringLiteral("Fiş: ") + q(*key));
    if (list_->tabs()->currentIndex() != kTabVoucher)
        list_->tabs()->setCurrentIndex(kTabVoucher); // reads the list through orderChanged
    else
        orderChanged(kTabVoucher);
}

void Fisdetlistesi::applyQuery(const vouchers::LineQuery& query) {
    filter_ = query;
    if (filter_.empty())
        source_->filter = nullptr;
    else
        source_->filter = [f = filter_](const FisDet& l) { return vouchers::matches(f, l); };
    list_->reload();
}

void Fisdetlistesi::runQuery() {
    std::optional<vouchers::LineQuery> chosen;
    if (askQuery) {
        chosen = askQuery(typed_);
    } else {
        LineQueryDialog d(ui_, typed_, this);
        if (d.exec() == QDialog::Accepted) {
            typed_ = d.typed();
            chosen = d.query();
        }
    }
    if (chosen) applyQuery(*chosen);
}

void Fisdetlistesi::exportList() {
    const auto order = list_->tabs()->currentIndex() == kTabVoucher
                           ? vouchers::LineOrder::ByKeyAndAccount
                           : vouchers::LineOrder::ByKeyAndLine;
    const std::optional<std::string> only =
        order == vouchers::LineOrder::ByKeyAndAccount ? std::optional<std::string>(key_.value_or(""))
                                                      : std::nullopt;
    (void)app::exportList(
        ui_,
        [this, order, only]() -> core::Result<output::Sheet> {
            auto lines = vouchers::listLines(ds_, order, only, filter_);
            if (!lines) return lines.error();
            return vouchers::lineListSheet(*lines);
        },
        target);
}

// ---- registration ---------------------------------------------------------------------------

void registerVoucherLineWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec lines;
    lines.name = "Fisdetlistesi";
    lines.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        frame.openChild("Fisdetlistesi", std::make_unique<Fisdetlistesi>(c.data, c.ui));
        return {};
    };
    registry.add(std::move(lines));
    app::ProcedureSpec heads;
    heads.name = "SelectHkFisBas";
    heads.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        frame.openChild("SelectHkFisBas", std::make_unique<SelectHkFisBas>(c.data, c.ui, false));
        return {};
    };
    registry.add(std::move(heads));
}

} // namespace hk::ui
