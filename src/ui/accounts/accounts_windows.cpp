// The chart list (HsPlan), its selection lists and the account form (FHsPlan).
#include "accounts/chart.h"
#include "accounts/rates.h"
#include "app/catalogue.h"
#include "core/text.h"
#include "ui/accounts/accounts_windows.h"
#include "ui/framework/browse.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace hk::ui {

namespace {

using data::HsPlan;

constexpr int kChartMenu = 3000;
constexpr int kTwelveMenu = 3010;
constexpr int kTransferMenu = 3020;
constexpr int kFrameMenu = 3030;

Cell text(const std::string& s) { return s; }

// The list's row colours by attribute: main, group and detail accounts each have their own
// text colour on white; any other attribute keeps the list's default colours.
std::optional<QColor> attributeColour(const HsPlan& a) {
    if (a.NTLK == "K") return QColor(31, 7, 139);
    if (a.NTLK == "G") return QColor(17, 17, 255);
    if (a.NTLK == "M") return QColor(16, 159, 237);
    return std::nullopt;
}

// Reads only the accounts of one attribute: the selection lists of detail and main accounts.
class AttributeSource final : public BrowseSource {
  public:
    AttributeSource(std::shared_ptr<TableSource<HsPlan>> inner, std::string ntlk)
        : inner_(std::move(inner)), ntlk_(std::move(ntlk)) {}
    std::vector<BrowseColumnInfo> columns() const override { return inner_->columns(); }
    core::Result<std::vector<BrowseRow>> read(int order, const BrowseRow* anchor, bool forward,
                                              std::size_t n) override {
        std::vector<BrowseRow> out;
        std::optional<BrowseRow> at;
        if (anchor) at = *anchor;
        // Pages are read until n rows of the attribute are found or the file ends.
        for (;;) {
            auto rows = inner_->read(order, at ? &*at : nullptr, forward, n);
            if (!rows) return rows.error();
            if (rows->empty()) break;
            at = forward ? rows->back() : rows->front();
            std::vector<BrowseRow> kept;
            for (auto& r : *rows)
                if (TableSource<HsPlan>::record(r).NTLK == ntlk_) kept.push_back(std::move(r));
            if (forward)
                out.insert(out.end(), kept.begin(), kept.end());
            else
                out.insert(out.begin(), kept.begin(), kept.end());
            if (out.size() >= n || rows->size() < n) break;
        }
        return out;
    }
    core::Result<std::vector<BrowseRow>> locate(int order, const std::string& text,
                                                std::size_t n) override {
        auto rows = inner_->locate(order, text, n);
        return keepFrom(order, std::move(rows), n);
    }
    core::Result<std::vector<BrowseRow>> from(int order, const BrowseRow& row,
                                              std::size_t n) override {
        return keepFrom(order, inner_->from(order, row, n), n);
    }

  private:
    core::Result<std::vector<BrowseRow>> keepFrom(int order,
                                                  core::Result<std::vector<BrowseRow>> rows,
                                                  std::size_t n) {
        if (!rows) return rows;
        std::vector<BrowseRow> out;
        for (auto& r : *rows)
            if (TableSource<HsPlan>::record(r).NTLK == ntlk_) out.push_back(r);
        if (out.size() < n && rows->size() == n) {
            auto more = read(order, &rows->back(), true, n - out.size());
            if (!more) return more.error();
            out.insert(out.end(), more->begin(), more->end());
        }
        return out;
    }
    std::shared_ptr<TableSource<HsPlan>> inner_;
    std::string ntlk_;
};

std::shared_ptr<BrowseSource> chartSource(AccountsContext& ctx, ChartListKind kind) {
    auto t = ctx.data->open<HsPlan>();
    data::TypedTable<HsPlan> typed = t ? std::move(t.value()) : data::TypedTable<HsPlan>();
    if (!t) reportError(*ctx.ui, t.error(), 23);
    auto name = [](const HsPlan& a) {
        return a.HESAPAD2.empty() ? a.HESAPAD1 : a.HESAPAD1 + "\n" + a.HESAPAD2;
    };
    Column<HsPlan> code{QStringLiteral("Hesap Kodu"), 18, "", [](const HsPlan& a) {
                            return text(a.HESAPKODU);
                        }};
    Column<HsPlan> names{QStringLiteral("Hesap Adı"), 50, "", [name](const HsPlan& a) {
                             return text(name(a));
                         }};
    std::vector<Column<HsPlan>> cols = {
        code, names,
        {QStringLiteral("Nitelik"), 7, "",
         [](const HsPlan& a) { return text(accounts::attributeName(a.NTLK)); }},
        {QStringLiteral("Birim"), 5, "", [](const HsPlan& a) { return text(a.ALTBIRIM); }}};
    if (kind == ChartListKind::Chart)
        cols.push_back(
            {QStringLiteral("Doviz"), 5, "", [](const HsPlan& a) { return text(a.DOVIZKODU); }});
    auto src = std::make_shared<TableSource<HsPlan>>(
        std::move(typed),
        std::vector<KeyOrder<HsPlan>>{
            {"HSP:KeyHesap",
             [](HsPlan& a, const std::string& s) {
                 a.HESAPKODU = core::text::left(s, accounts::kCodeWidth);
                 return core::text::isCp1254(a.HESAPKODU);
             }},
            {"HSP:KeyHesapAd",
             [](HsPlan& a, const std::string& s) {
                 a.HESAPAD1 = core::text::left(s, accounts::kNameWidth);
                 return core::text::isCp1254(a.HESAPAD1);
             }}},
        std::move(cols));
    src->foreground = attributeColour;
    src->background = [](const HsPlan& a) -> std::optional<QColor> {
        if (attributeColour(a)) return QColor(Qt::white);
        return std::nullopt;
    };
    if (kind == ChartListKind::Detail) return std::make_shared<AttributeSource>(src, "M");
    if (kind == ChartListKind::Main) return std::make_shared<AttributeSource>(src, "K");
    return src;
}

} // namespace

int execDialog(QDialog& d) { return d.exec(); }

// ---- HsPlanList ---------------------------------------------------------------------------------

HsPlanList::HsPlanList(AccountsContext ctx, ChartListKind kind, bool select, QWidget* parent)
    : QWidget(parent), ctx_(ctx), kind_(kind) {
    setWindowTitle(kind == ChartListKind::Chart ? QStringLiteral("Hesap Planı Listesi")
                                                : QStringLiteral("Hesap Planı Seçimi"));
    list_ = new BrowsePanel(chartSource(ctx_, kind),
                            {QStringLiteral("Hesap Kodu"), QStringLiteral("Hesap Adı")}, *ctx_.ui,
                            this);
    // a selected row: white text on navy
    QPalette pal = list_->view()->palette();
    pal.setColor(QPalette::Highlight, QColor(0, 0, 128));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    list_->view()->setPalette(pal);
    list_->view()->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    select_ = new QPushButton(QStringLiteral("S&eç"), this);
    close_ = new QPushButton(QStringLiteral("Kapat"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(select_);
    select_->setVisible(select);
    const bool chart = kind == ChartListKind::Chart;
    if (chart) {
        frame_ = new QPushButton(QStringLiteral("Çerçeve Sınıf Listesi"), this);
        twelve_ = new QPushButton(QStringLiteral("12 Aylık Mizan"), this);
        transfer_ = new QPushButton(QStringLiteral("Transfer"), this);
        copy_ = list_->addButton(QStringLiteral("Kopyala"));
        for (auto* b : {frame_, twelve_, transfer_}) buttons->addWidget(b);
        const app::RightsService& r = *ctx_.rights;
        list_->applyRights(r, kChartMenu);
        copy_->setVisible(list_->rights().insert);
        twelve_->setVisible(r.shows(kTwelveMenu));
        transfer_->setVisible(r.shows(kTransferMenu));
        frame_->setVisible(r.shows(kFrameMenu));
        connect(frame_, &QPushButton::clicked, this, [this] {
            if (ctx_.start) ctx_.start("CsPlan", "");
        });
        connect(twelve_, &QPushButton::clicked, this, &HsPlanList::twelveMonths);
        connect(transfer_, &QPushButton::clicked, this, &HsPlanList::transfer);
        connect(copy_, &QPushButton::clicked, this, &HsPlanList::copyAccount);
        list_->onInsert = [this] {
            insertAccount();
            return false; // the list refreshes itself after the form
        };
        list_->onChange = [this](const BrowseRow&) {
            changeAccount();
            return false;
        };
        // The delete runs the deletion checks before its form opens; the form's "Sil" is the
        // confirmation, so the list's own question is not asked.
        disconnect(list_->removeButton(), &QPushButton::clicked, list_, nullptr);
        connect(list_->removeButton(), &QPushButton::clicked, this, &HsPlanList::deleteAccount);
    } else {
        list_->readOnly();
    }
    buttons->addStretch(1);
    buttons->addWidget(close_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addLayout(buttons);

    auto choose = [this] {
        if (const HsPlan* a = current()) {
            chosen_ = *a;
            emit picked();
        }
    };
    connect(select_, &QPushButton::clicked, this, choose);
    if (select) {
        disconnect(list_->view(), &QTableView::doubleClicked, nullptr, nullptr);
        connect(list_->view(), &QTableView::doubleClicked, this, choose);
    }
    connect(close_, &QPushButton::clicked, this, [this] {
        emit closeRequested();
        if (!qobject_cast<QDialog*>(window())) closeOwnWindow(this);
    });
    list_->reload();
}

const HsPlan* HsPlanList::current() const {
    const BrowseRow* row = list_->selected();
    return row ? &TableSource<HsPlan>::record(*row) : nullptr;
}

bool HsPlanList::runForm(int mode, const HsPlan& rec) {
    FHsPlan f(ctx_, static_cast<FHsPlan::Mode>(mode), rec, this);
    const bool done = runDialog(f) == QDialog::Accepted;
    if (done) list_->refreshKeepingSelection();
    return done;
}

void HsPlanList::insertAccount() {
    if (!list_->rights().insert) {
        raiseData(*ctx_.ui, 20);
        return;
    }
    runForm(FHsPlan::Insert, ctx_.copy ? ctx_.copy->takeForInsert() : HsPlan{});
}

void HsPlanList::changeAccount() {
    const HsPlan* a = current();
    if (!a) return;
    // Under the "Izle" caption the form only shows the account.
    FHsPlan f(ctx_, FHsPlan::Change, *a, this);
    if (list_->rights().changeIsView) f.save->setVisible(false);
    if (runDialog(f) == QDialog::Accepted) list_->refreshKeepingSelection();
}

void HsPlanList::deleteAccount() {
    if (!list_->rights().remove) {
        raiseData(*ctx_.ui, 12);
        return;
    }
    const HsPlan* a = current();
    if (!a) return;
    auto plan = ctx_.data->open<HsPlan>();
    if (!plan) {
        reportError(*ctx_.ui, plan.error(), 23);
        return;
    }
    auto fresh = accounts::findAccount(*plan, a->HESAPKODU);
    if (!fresh || !*fresh) {
        list_->refreshKeepingSelection();
        return;
    }
    if (!accounts::checkDelete(*plan, **fresh, *ctx_.ui)) return;
    runForm(FHsPlan::Delete, **fresh);
}

void HsPlanList::copyAccount() {
    if (!list_->rights().insert) {
        raiseData(*ctx_.ui, 20);
        return;
    }
    const HsPlan* a = current();
    if (!a || !ctx_.copy) return;
    // The account is read again: the row may show an older copy.
    auto fresh = accounts::findAccount(*ctx_.data, a->HESAPKODU);
    if (!fresh) {
        reportError(*ctx_.ui, fresh.error(), 1);
        return;
    }
    ctx_.copy->put(*fresh ? **fresh : *a);
    runForm(FHsPlan::Insert, ctx_.copy->takeForInsert());
    list_->refreshKeepingSelection();
}

void HsPlanList::transfer() {
    const HsPlan* a = current();
    if (!a) return;
    if (a->NTLK != "M") {
        ctx_.ui->message("Sadece Muavin Hesaplar Transfer Edilebilir", "Transfer",
                         app::Icon::Warning, "&Tamam", 1);
        return;
    }
    if (ctx_.start) ctx_.start("Transfer", a->HESAPKODU);
}

void HsPlanList::twelveMonths() {
    const HsPlan* a = current();
    if (!a) return;
    if (ctx_.start) ctx_.start("Y_Mizan12Ay", a->HESAPKODU);
}

std::optional<HsPlan> pickAccount(AccountsContext ctx, ChartListKind kind, QWidget* parent) {
    QDialog dlg(parent);
    auto* list = new HsPlanList(ctx, kind, true, &dlg);
    dlg.setWindowTitle(list->windowTitle());
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(list);
    QObject::connect(list, &HsPlanList::picked, &dlg, &QDialog::accept);
    QObject::connect(list, &HsPlanList::closeRequested, &dlg, &QDialog::reject);
    dlg.resize(700, 450);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return list->chosen();
}

// ---- FHsPlan ------------------------------------------------------------------------------------

FHsPlan::FHsPlan(AccountsContext ctx, Mode mode, const HsPlan& rec, QWidget* parent)
    : QDialog(parent), ctx_(ctx), mode_(mode), original_(rec) {
    setWindowTitle(QStringLiteral("Hesap Planı Ekranı"));
    pickCurrency = [this] { return ui::pickCurrency(ctx_, this); };
    auto* form = new QFormLayout;
    code = new PictureEdit("s18", this);
    attribute = new QComboBox(this);
    attribute->addItems({QStringLiteral("Kebir"), QStringLiteral("Grup"), QStringLiteral("Muavin")});
    name1 = new PictureEdit("s50", this);
    name2 = new PictureEdit("s50", this);
    unit = new PictureEdit("s4", this);
    currency = new PictureEdit("s3", this);
    lookup = new QPushButton(QStringLiteral("..."), this);
    auto* cur = new QHBoxLayout;
    cur->addWidget(currency);
    cur->addWidget(lookup);
    form->addRow(QStringLiteral("Hesap Kodu"), code);
    form->addRow(QStringLiteral("Hesap Niteliği"), attribute);
    form->addRow(QStringLiteral("Hesap Adı"), name1);
    form->addRow(QString(), name2);
    form->addRow(QStringLiteral("Alt Birim"), unit);
    form->addRow(QStringLiteral("Doviz Kodu"), cur);
    save = new QPushButton(mode == Insert   ? QStringLiteral("Giriş")
                           : mode == Change ? QStringLiteral("Değiştir")
                                            : QStringLiteral("Sil"),
                           this);
    exit = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(exit);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttons);
    save->setDefault(true);

    show(rec);
    if (ctx_.rights && !ctx_.rights->formCanSave(kChartMenu)) save->setVisible(false);
    if (mode == Change) {
        const bool kovan = ctx_.session && ctx_.session->OzelKovan != 0;
        code->setEnabled(kovan);
        attribute->setEnabled(kovan);
    } else if (mode == Delete) {
        for (QWidget* w : std::initializer_list<QWidget*>{code, attribute, name1, name2, unit,
                                                          currency, lookup})
            w->setEnabled(false);
    }
    attributeChanged();
    if (mode == Delete) {
        unit->setEnabled(false);
        currency->setEnabled(false);
        lookup->setEnabled(false);
    }
    if (mode == Insert)
        connect(code, &QLineEdit::editingFinished, this, [this] {
            // Leaving for the buttons: "Giriş" runs the same checks itself, "Çıkış" leaves.
            const QWidget* to = QApplication::focusWidget();
            if (to == save || to == exit || code->textValue().empty()) return;
            codeLeft();
        });
    connect(currency, &QLineEdit::editingFinished, this, [this] { currencyLeft(); });
    connect(attribute, &QComboBox::currentIndexChanged, this, &FHsPlan::attributeChanged);
    connect(lookup, &QPushButton::clicked, this, [this] {
        if (auto c = pickCurrency()) currency->setTextValue(c->DOVIZKODU);
    });
    connect(save, &QPushButton::clicked, this, &FHsPlan::trySave);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void FHsPlan::show(const HsPlan& r) {
    code->setTextValue(r.HESAPKODU);
    name1->setTextValue(r.HESAPAD1);
    name2->setTextValue(r.HESAPAD2);
    unit->setTextValue(r.ALTBIRIM);
    currency->setTextValue(r.DOVIZKODU);
    attribute->setCurrentIndex(r.NTLK == "K" ? 0 : r.NTLK == "G" ? 1 : r.NTLK == "M" ? 2 : -1);
}

std::string FHsPlan::attributeLetter() const {
    switch (attribute->currentIndex()) {
    case 0: return "K";
    case 1: return "G";
    case 2: return "M";
    default: return original_.NTLK == "K" || original_.NTLK == "G" || original_.NTLK == "M"
                        ? std::string()
                        : original_.NTLK; // an attribute outside the choice is kept
    }
}

HsPlan FHsPlan::collect() const {
    HsPlan a = original_;
    a.HESAPKODU = code->textValue();
    a.NTLK = attributeLetter();
    a.HESAPAD1 = name1->textValue();
    a.HESAPAD2 = name2->textValue();
    a.ALTBIRIM = unit->textValue();
    a.DOVIZKODU = currency->textValue();
    return a;
}

void FHsPlan::attributeChanged() {
    if (mode_ == Delete) return;
    // Contents are kept when the fields are disabled: switching back restores them.
    const bool detail = attribute->currentIndex() == 2;
    unit->setEnabled(detail);
    currency->setEnabled(detail);
    lookup->setEnabled(detail);
}

bool FHsPlan::codeLeft() {
    if (mode_ != Insert) return true;
    if (auto st = accounts::checkCodeText(code->text().toStdString()); !st) {
        ctx_.ui->message(st.error().text, "Hesap Planı", app::Icon::Warning, "&Tamam", 1);
        code->setFocus();
        return false;
    }
    auto plan = ctx_.data->open<HsPlan>();
    if (!plan) {
        reportError(*ctx_.ui, plan.error(), 23);
        return false;
    }
    auto c = accounts::checkNewCode(*plan, code->textValue(), *ctx_.ui);
    if (!c) {
        reportError(*ctx_.ui, c.error(), 1);
        return false;
    }
    auto* items = qobject_cast<QStandardItemModel*>(attribute->model());
    if (items) items->item(0)->setEnabled(true);
    switch (c->outcome) {
    case accounts::NewCodeCheck::ParentMissing:
        code->setTextValue(c->code);
        [[fallthrough]];
    case accounts::NewCodeCheck::Exists:
    case accounts::NewCodeCheck::ParentIsDetail:
        code->setFocus();
        return false;
    case accounts::NewCodeCheck::Ok:
        break;
    }
    if (c->topLevel) {
        attribute->setCurrentIndex(0);
        attribute->setEnabled(false);
        unit->setEnabled(false);
        currency->setEnabled(false);
        lookup->setEnabled(false);
        return true;
    }
    attribute->setEnabled(true);
    if (!c->kebirAllowed && items) {
        items->item(0)->setEnabled(false);
        if (attribute->currentIndex() == 0) attribute->setCurrentIndex(-1);
    }
    attributeChanged();
    return true;
}

bool FHsPlan::currencyLeft() {
    const std::string c = currency->textValue();
    if (c.empty() || !currency->isEnabled()) return true;
    auto file = ctx_.data->open<data::Doviz>();
    if (!file) {
        reportError(*ctx_.ui, file.error(), 23);
        return false;
    }
    auto found = accounts::findCurrency(*file, c);
    if (found && *found) return true;
    if (auto chosen = pickCurrency()) {
        currency->setTextValue(chosen->DOVIZKODU);
        return true;
    }
    currency->setFocus();
    return false;
}

void FHsPlan::trySave() {
    if (save->isHidden()) return;
    core::Status st;
    switch (mode_) {
    case Insert:
        // A refusal was shown, and a missing level put in place of the code.
        if (!codeLeft()) return;
        if (!currencyLeft()) return;
        st = accounts::addAccount(*ctx_.data, collect(), *ctx_.ui);
        break;
    case Change:
        if (!currencyLeft()) return;
        st = accounts::changeAccount(*ctx_.data, original_.HESAPKODU, collect(), *ctx_.ui);
        break;
    case Delete:
        st = accounts::deleteAccount(*ctx_.data, original_.HESAPKODU, *ctx_.ui);
        break;
    }
    if (!st) {
        if (!st.error().shown) reportError(*ctx_.ui, st.error(), 1);
        return;
    }
    accept();
}

} // namespace hk::ui
