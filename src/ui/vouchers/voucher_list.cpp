#include "ui/vouchers/voucher_list.h"

#include "app/catalogue.h"
#include "app/sheet_export.h"
#include "core/picture.h"
#include "core/text.h"
#include "ui/shell/frame.h"
#include "ui/shell/startup.h"
#include "ui/vouchers/voucher_tools.h"
#include "vouchers/account_transfer.h"
#include "vouchers/books.h"
#include "vouchers/csv.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"
#include "vouchers/renumber.h"
#include "vouchers/tools.h"
#include "vouchers/voucher.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace hk::ui {

namespace pic = core::picture;
namespace text = core::text;
using vouchers::ListOrder;

namespace {

// The last row of a tool window: its action button and "Çıkış"; returns "Çıkış".
QPushButton* actionRow(QWidget* w, QFormLayout* form, QPushButton* action) {
    auto* exit = new QPushButton(QStringLiteral("Çıkış"), w);
    auto* row = new QHBoxLayout;
    row->addWidget(action);
    row->addWidget(exit);
    form->addRow(row);
    return exit;
}

constexpr int kListMenu = 1000;
const QColor kSelected(255, 128, 128);
const QColor kCancelled(255, 0, 0);
const char* const kMonthNames[12] = {"Ocak",   "Şubat", "Mart",  "Nisan",   "Mayıs", "Haziran",
                                     "Temmuz", "Ağustos", "Eylül", "Ekim", "Kasım", "Aralık"};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& t) {
    return t.trimmed().toStdString();
}

int modal(VoucherListContext& ctx, QDialog& d) {
    return ctx.runModal ? ctx.runModal(d) : d.exec();
}

void report(app::Ui& ui, const core::Status& st) {
    if (!st && !st.error().shown)
        ui.message(st.error().describe(), {}, app::Icon::Warning, "&Tamam", 1);
}

// Cancelled vouchers stay red when selected: the row's own text colour replaces the
// highlighted-text colour the style would otherwise paint over it.
class KeepForegroundDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant fg = index.data(Qt::ForegroundRole);
        if (fg.isValid()) {
            const QBrush b = fg.value<QBrush>();
            option->palette.setBrush(QPalette::HighlightedText, b);
            option->palette.setBrush(QPalette::Text, b);
        }
    }
};

// One listed voucher and where it stands in the file, so a page continues exactly after it.
struct Item {
    data::FisBas h;
    data::Bookmark mark;
};

// The month's vouchers in date or key order with the type filter. Reads only the rows a page
// needs, so a month of tens of thousands of vouchers opens after one page.
class VoucherSource : public BrowseSource {
  public:
    VoucherSource(data::TypedTable<data::FisBas> t, const vouchers::ListQuery& q)
        : t_(std::move(t)), q_(q) {}

    std::vector<BrowseColumnInfo> columns() const override {
        return {{QStringLiteral("Key Str"), 0, false},  {QStringLiteral("Fiş Tarihi"), 10, false},
                {QStringLiteral("Fiş No"), 7, true},    {QStringLiteral("Türü"), 7, false},
                {QStringLiteral("Ntlk"), 4, false},     {QStringLiteral("Borç"), 18, true},
                {QStringLiteral("Alacak"), 18, true},   {QStringLiteral("Fark"), 18, true},
                {QStringLiteral("Yev. No"), 7, true},   {QStringLiteral("Entegre No"), 7, true}};
    }

    core::Result<std::vector<BrowseRow>> read(int order, const BrowseRow* anchor, bool forward,
                                              std::size_t n) override {
        core::Status st;
        if (anchor) {
            st = t_.table().restore(item(*anchor).mark);
        } else {
            data::FisBas edge;
            if (order == 1) edge.KEYSTR = forward ? vouchers::listKeyFrom(q_) : vouchers::listKeyTo(q_);
            else edge.FISTRH = forward ? q_.from : q_.to;
            if (!forward && order == 0) edge.FISTRH = q_.to;
            st = t_.set(keyName(order), forward ? data::Seek::AtOrAfter : data::Seek::AtOrBefore,
                        edge);
        }
        if (!st) return st.error();
        return collect(order, forward, n);
    }

    core::Result<std::vector<BrowseRow>> locate(int, const std::string&, std::size_t) override {
        return std::vector<BrowseRow>{};
    }

    core::Result<std::vector<BrowseRow>> from(int order, const BrowseRow& row,
                                              std::size_t n) override {
        const Item& it = item(row);
        std::vector<BrowseRow> out;
        if (t_.table().reget(it.mark)) {
            const data::FisBas h = t_.current();
            if (inRange(order, h) && vouchers::passesType(h, q_.type))
                out.push_back(makeRow(h, t_.table().bookmark()));
        } else if (auto st = t_.table().restore(it.mark); !st) {
            return st.error();
        }
        auto more = collect(order, true, n > out.size() ? n - out.size() : 0);
        if (!more) return more.error();
        for (auto& r : *more) out.push_back(std::move(r));
        return out;
    }

    static const Item& item(const BrowseRow& r) { return *static_cast<const Item*>(r.record.get()); }
    void setQuery(const vouchers::ListQuery& q) { q_ = q; }

  private:
    static const char* keyName(int order) { return order == 1 ? "MFB:KeyFis" : "MFB:KeyTarih"; }

    bool inRange(int order, const data::FisBas& h) const {
        if (order == 1) {
            const int m = vouchers::keyMonth(h.KEYSTR);
            return q_.wholeYear ? (m >= 1 && m <= 99) : m == q_.month;
        }
        return !(h.FISTRH < q_.from) && !(q_.to < h.FISTRH);
    }

    core::Result<std::vector<BrowseRow>> collect(int order, bool forward, std::size_t n) {
        std::vector<BrowseRow> out;
        while (out.size() < n) {
            auto r = forward ? t_.next() : t_.previous();
            if (!r) {
                if (data::isMissing(r.error())) break;
                return r.error();
            }
            if (!inRange(order, *r)) break;
            if (!vouchers::passesType(*r, q_.type)) continue;
            out.push_back(makeRow(*r, t_.table().bookmark()));
        }
        if (!forward) std::reverse(out.begin(), out.end());
        return out;
    }

    BrowseRow makeRow(const data::FisBas& h, const data::Bookmark& mark) {
        BrowseRow row;
        const double diff = vouchers::differenceOf(h);
        row.cells << q(h.KEYSTR) << q(pic::format(h.FISTRH, "d6b"))
                  << q(pic::format(static_cast<double>(h.FISNO), "n_7"))
                  << q(vouchers::typeName(vouchers::typeLetter(h.FISTUR))) << q(h.FISNTLK)
                  << q(pic::format(h.BTOPLAM, "n18.2")) << q(pic::format(h.ATOPLAM, "n18.2"))
                  << q(pic::format(diff, "n18.2b"))
                  << q(pic::format(static_cast<double>(h.YEVMIYENO), "n_7b"))
                  << q(pic::format(static_cast<double>(h.ENTEGRENO), "n_7b"));
        for (auto& c : row.cells) c = c.trimmed();
        if (vouchers::isCancelled(h.FISNTLK)) row.foreground = kCancelled;
        row.record = std::make_shared<const Item>(Item{h, mark});
        return row;
    }

    data::TypedTable<data::FisBas> t_;
    vouchers::ListQuery q_;
};

} // namespace

// ---- FisListesi -----------------------------------------------------------------------------

FisListesi::FisListesi(VoucherListContext ctx, QWidget* parent)
    : QWidget(parent), ctx_(std::move(ctx)) {
    setWindowTitle(QStringLiteral("Fiş Listesi"));
    auto* box = new QVBoxLayout(this);

    // Month buttons in fiscal order: button k names calendar month AyFarki + k.
    auto* monthRow = new QHBoxLayout;
    const int farki = ctx_.session->AyFarki();
    for (int k = 1; k <= 12; ++k) {
        int c = farki + k;
        if (c > 12) c -= 12;
        std::string name = ctx_.session->AyAdlari[static_cast<std::size_t>(c - 1)];
        if (text::trim(name).empty()) name = kMonthNames[c - 1];
        auto* b = new QPushButton(q(text::trim(name)), this);
        b->setAutoFillBackground(true);
        connect(b, &QPushButton::clicked, this, [this, k] { selectMonth(k); });
        months_[static_cast<std::size_t>(k - 1)] = b;
        monthRow->addWidget(b);
    }
    box->addLayout(monthRow);

    auto* typeRow = new QHBoxLayout;
    const std::pair<const char*, char> types[4] = {
        {"Tahsil", 'A'}, {"Tediye", 'E'}, {"Hepsi", ' '}, {"Mahsup", 'M'}};
    for (std::size_t i = 0; i < 4; ++i) {
        auto* b = new QPushButton(q(types[i].first), this);
        b->setAutoFillBackground(true);
        const char t = types[i].second;
        connect(b, &QPushButton::clicked, this, [this, t] { selectType(t); });
        types_[i] = b;
        typeRow->addWidget(b);
    }
    // The action that widens the list to the whole fiscal year (and back).
    auto* whole = new QPushButton(QStringLiteral("Bütün Yıl"), this);
    whole->setCheckable(true);
    connect(whole, &QPushButton::toggled, this, [this](bool on) { setWholeYear(on); });
    tools_.push_back(whole);
    typeRow->addWidget(whole);
    box->addLayout(typeRow);

    auto heads = ctx_.data->open<data::FisBas>();
    int m = ctx_.session->SeciliAy();
    query_.month = m;
    query_.from = ctx_.session->AyBaslangic(m);
    query_.to = ctx_.session->AyBitis(m);
    query_.order = ListOrder::ByDate;
    auto src = std::make_shared<VoucherSource>(heads ? std::move(*heads) : data::TypedTable<data::FisBas>{},
                                               query_);
    source_ = src;
    // The two orders are the list's tabs: by date, and by voucher key.
    list_ = new BrowsePanel(source_, {QStringLiteral("Tarih Sırası"), QStringLiteral("Fiş Sırası")},
                            *ctx_.ui, this);
    list_->setLocatorVisible(false);
    list_->view()->setItemDelegate(new KeepForegroundDelegate(list_->view()));
    list_->applyRights(*ctx_.rights, kListMenu, false);
    list_->insertButton()->setText(QStringLiteral("&Yeni Gir"));
    list_->onInsert = [this] {
        insertVoucher();
        return false;
    };
    list_->onChange = [this](const BrowseRow&) {
        changeVoucher();
        return false;
    };
    QObject::disconnect(list_->removeButton(), &QPushButton::clicked, nullptr, nullptr);
    connect(list_->removeButton(), &QPushButton::clicked, this, [this] { deleteVoucher(); });
    connect(list_->tabs(), &QTabBar::currentChanged, this, [this](int i) {
        query_.order = i == 1 ? ListOrder::ByKey : ListOrder::ByDate;
        refresh(true);
    });
    box->addWidget(list_, 1);

    totalsLabel_ = new QLabel(this);
    box->addWidget(totalsLabel_);

    auto* toolRow = new QHBoxLayout;
    auto tool = [&](const char* caption, int menuNo, auto&& fn) {
        auto* b = new QPushButton(q(caption), this);
        connect(b, &QPushButton::clicked, this, fn);
        if (menuNo != 0) b->setVisible(ctx_.rights->shows(menuNo));
        tools_.push_back(b);
        toolRow->addWidget(b);
        return b;
    };
    tool("Fiş Listesi Excel", 1010, [this] { exportList(); });
    tool("Yaz", 1020, [this] {
        if (ctx_.start) ctx_.start("FisYaz", currentKey());
    });
    tool("Toplu Yaz", 1030, [this] {
        if (ctx_.start) ctx_.start("TopluFisYaz", {});
    });
    tool("Transfer", 1040, [this] { transferVoucher(); });
    tool("Yevmiye No Kaldır", 1050, [this] { removeJournalNumbers(); });
    tool("Mizan Düzelt", 1060, [this] { rebuildMonth(); });
    auto* sirala = tool("Fiş Sırala", 1070, [this] { renumberMonth(); });
    if (ctx_.session->settings().getInt("Fis", "Sirala", 0) == 0) sirala->setVisible(false);
    tool("Kopyala", 0, [this] { copyVoucher(); });
    // Clears the highlighted voucher's journal number at once, without a question.
    tool("Yevmiye No Sil", 1050, [this] { clearJournalNumber(); });
    tool("Çı&kış", 0, [this] { close(); });
    box->addLayout(toolRow);

    selectMonth(m);
    selectType(' ');
}

QPushButton* FisListesi::typeButton(char type) const {
    switch (type) {
    case 'A': return types_[0];
    case 'E': return types_[1];
    case 'M': return types_[3];
    default: return types_[2];
    }
}

QPushButton* FisListesi::button(const QString& caption) const {
    for (auto* b : tools_)
        if (b->text() == caption) return b;
    return nullptr;
}

void FisListesi::paintButtons() {
    auto paint = [](QPushButton* b, bool on) {
        QPalette p = b->palette();
        p.setColor(QPalette::Button, on ? kSelected : QPushButton().palette().color(QPalette::Button));
        b->setPalette(p);
    };
    for (int k = 1; k <= 12; ++k) paint(months_[static_cast<std::size_t>(k - 1)], k == query_.month);
    for (char t : {'A', 'E', ' ', 'M'}) paint(typeButton(t), t == query_.type);
}

void FisListesi::selectMonth(int m) {
    if (m < 1 || m > 12) return;
    query_.month = m;
    query_.from = ctx_.session->AyBaslangic(m);
    query_.to = ctx_.session->AyBitis(m);
    if (auto st = ctx_.session->setSeciliAy(m); !st) report(*ctx_.ui, st);
    paintButtons();
    refresh(false);
}

void FisListesi::selectType(char type) {
    query_.type = type;
    paintButtons();
    refresh(false);
}

void FisListesi::setWholeYear(bool on) {
    query_.wholeYear = on;
    if (on) {
        query_.from = ctx_.session->AyBaslangic(1);
        query_.to = ctx_.session->AyBitis(12);
    } else {
        query_.from = ctx_.session->AyBaslangic(query_.month);
        query_.to = ctx_.session->AyBitis(query_.month);
    }
    refresh(false);
}

void FisListesi::refresh(bool keepSelection) {
    static_cast<VoucherSource*>(source_.get())->setQuery(query_);
    if (keepSelection) list_->refreshKeepingSelection();
    else list_->reload();
    auto l = vouchers::listVouchers(*ctx_.data, query_);
    totals_ = l ? vouchers::listTotals(*l) : vouchers::ListTotals{};
    totalsLabel_->setText(q("Borç " + text::trim(pic::format(totals_.debit, "n18.2")) +
                            "   Alacak " + text::trim(pic::format(totals_.credit, "n18.2")) +
                            "   Fark " + text::trim(pic::format(totals_.difference, "n18.2")) +
                            "   Fiş Sayısı " + std::to_string(totals_.count)));
}

std::string FisListesi::currentKey() const {
    const BrowseRow* r = list_->selected();
    return r ? VoucherSource::item(*r).h.KEYSTR : std::string{};
}

bool FisListesi::guardChange() {
    auto books = vouchers::Books::open(*ctx_.data);
    if (!books) return false;
    auto y = books->readCompany();
    if (!y) {
        report(*ctx_.ui, y.error());
        return false;
    }
    if (ctx_.session->OzelKontrol != 1 && y->KAPANANAY >= ctx_.session->CalisilanAy()) {
        ctx_.ui->message(vouchers::msg::kClosedMonth, {}, app::Icon::Warning, "&Tamam", 1);
        return false;
    }
    return true;
}

void FisListesi::insertVoucher() {
    if (ctx_.openForm && ctx_.openForm({})) refresh(true);
}

void FisListesi::changeVoucher() {
    const std::string key = currentKey();
    if (key.empty() || !guardChange()) return;
    if (ctx_.openForm && ctx_.openForm(key)) refresh(true);
}

void FisListesi::deleteVoucher() {
    const std::string key = currentKey();
    if (key.empty() || !list_->rights().remove || !guardChange()) return;
    vouchers::Env env{*ctx_.session, *ctx_.ui, *ctx_.data};
    auto st = vouchers::deleteVoucher(env, key, true);
    report(*ctx_.ui, st);
    refresh(true);
}

void FisListesi::copyVoucher() {
    const std::string key = currentKey();
    if (key.empty()) return;
    FisKopyalaWindow w(ctx_, key, this);
    modal(ctx_, w);
    refresh(true);
}

void FisListesi::transferVoucher() {
    const std::string key = currentKey();
    if (key.empty()) return;
    FisTransferWindow w(ctx_, key, this);
    if (w.opened()) modal(ctx_, w);
    refresh(true);
}

void FisListesi::removeJournalNumbers() {
    YevmiyeNoSilWindow w(ctx_, this);
    modal(ctx_, w);
    refresh(true);
}

void FisListesi::clearJournalNumber() {
    const std::string key = currentKey();
    if (key.empty()) return;
    report(*ctx_.ui, vouchers::clearJournalNumber(*ctx_.data, key));
    refresh(true);
}

void FisListesi::exportList() {
    if (ctx_.runProcedure) {
        // A whole year's list can be long: the export runs off the GUI thread.
        app::Options o;
        o.set("month", std::to_string(query_.month));
        if (query_.type != ' ') o.set("type", std::string(1, query_.type));
        o.set("order", query_.order == ListOrder::ByKey ? "key" : "date");
        if (query_.wholeYear) o.set("whole-year", "1");
        o.set("xlsx", exportTarget);
        runTool("FisListesiExcelYaz", std::move(o));
        return;
    }
    auto r = app::exportList(
        *ctx_.ui,
        [this]() -> core::Result<output::Sheet> {
            auto l = vouchers::listVouchers(*ctx_.data, query_);
            if (!l) return l.error();
            return vouchers::voucherListSheet(*l);
        },
        output::ExportTarget{});
    (void)r;
}

void FisListesi::runTool(const std::string& name, app::Options o) {
    QPointer<FisListesi> self(this);
    ctx_.runProcedure(name, std::move(o), [self](bool) {
        if (self) self->refresh(true);
    });
}

void FisListesi::rebuildMonth() {
    if (ctx_.runProcedure) {
        app::Options o;
        o.set("month", std::to_string(query_.month));
        runTool("MizanDuzelt", std::move(o));
        return;
    }
    report(*ctx_.ui, vouchers::MizanDuzelt(*ctx_.data, *ctx_.ui, query_.month));
    refresh(true);
}

void FisListesi::renumberMonth() {
    if (ctx_.runProcedure) {
        app::Options o;
        o.argument = std::to_string(query_.month);
        runTool("FisSirala", std::move(o));
        return;
    }
    report(*ctx_.ui, vouchers::FisSirala(*ctx_.data, *ctx_.ui, query_.month));
    refresh(true);
}

// ---- tool windows ---------------------------------------------------------------------------

FisKopyalaWindow::FisKopyalaWindow(VoucherListContext& ctx, std::string key, QWidget* parent)
    : QDialog(parent), ctx_(ctx), key_(std::move(key)) {
    setWindowTitle(QStringLiteral("Fiş Kopyala Ekranı"));
    auto* form = new QFormLayout(this);
    date_ = new QLineEdit(this);
    date_->setPlaceholderText(QStringLiteral("gg.aa.yyyy"));
    form->addRow(QStringLiteral("Fiş Tarihi"), date_);
    copy_ = new QPushButton(QStringLiteral("Kopyala"), this);
    auto* exit = actionRow(this, form, copy_);
    connect(copy_, &QPushButton::clicked, this, [this] { run(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void FisKopyalaWindow::run() {
    core::Date d;
    if (!s(date_->text()).empty()) {
        auto parsed = vouchers::csv::parseDate(s(date_->text()));
        if (!parsed) {
            ctx_.ui->message(vouchers::toolmsg::kOutsidePeriod, {}, app::Icon::Warning, "&Tamam", 1);
            reject();
            return;
        }
        d = *parsed;
    }
    auto r = vouchers::FisKopyala(*ctx_.ui, *ctx_.data, key_, d);
    // No date: the window stays for one.
    if (!r && r.error().shown && text::clip(r.error().text) == vouchers::toolmsg::kNoDate) return;
    if (!r) report(*ctx_.ui, r.error());
    accept();
}

FisTransferWindow::FisTransferWindow(VoucherListContext& ctx, std::string key, QWidget* parent)
    : QDialog(parent), ctx_(ctx), key_(std::move(key)) {
    setWindowTitle(QStringLiteral("Fiş Transfer Ekranı"));
    auto t = vouchers::openTransfer(*ctx_.ui, *ctx_.data, key_);
    opened_ = static_cast<bool>(t);
    auto* form = new QFormLayout(this);
    number_ = new QLineEdit(this);
    day_ = new QLineEdit(this);
    month_ = new QLineEdit(this);
    attribute_ = new QLineEdit(this);
    attribute_->setMaxLength(3);
    type_ = new QComboBox(this);
    type_->addItems({QStringLiteral("Mahsup"), QStringLiteral("Tahsil"), QStringLiteral("Tediye")});
    form->addRow(QStringLiteral("Yeni Fiş No"), number_);
    form->addRow(QStringLiteral("Yeni Fiş Gün"), day_);
    form->addRow(QStringLiteral("Yeni Fis Ay"), month_);
    lookup_ = new QPushButton(QStringLiteral("..."), this);
    lookup_->setAutoDefault(false);
    auto* attributeRow = new QHBoxLayout;
    attributeRow->addWidget(attribute_, 1);
    attributeRow->addWidget(lookup_);
    form->addRow(QStringLiteral("Yeni Fiş Nitelik"), attributeRow);
    connect(lookup_, &QPushButton::clicked, this, [this] { resolveAttribute(true); });
    form->addRow(QStringLiteral("Fiş Türü ?"), type_);
    transfer_ = new QPushButton(QStringLiteral("Transfer"), this);
    auto* exit = actionRow(this, form, transfer_);
    connect(transfer_, &QPushButton::clicked, this, [this] { run(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    if (t) {
        number_->setText(QString::number(t->number));
        day_->setText(QString::number(t->day));
        month_->setText(QString::number(t->month));
        attribute_->setText(q(t->attribute));
        type_->setCurrentIndex(t->type == 'A' ? 1 : t->type == 'E' ? 2 : 0);
    }
}

bool FisTransferWindow::resolveAttribute(bool always) {
    const std::string typed = text::upperTr(s(attribute_->text()));
    if (!always) {
        static const char* const fixed[] = {"N", "ACF", "KPF", "IPT", "YAN"};
        if (std::find(std::begin(fixed), std::end(fixed), typed) != std::end(fixed)) return true;
        if (auto known = vouchers::attributeExists(*ctx_.data, typed); !typed.empty() && known && *known)
            return true;
    }
    // Without the list the engine's refusal names the unknown code.
    if (!ctx_.chooseAttribute) return !always;
    const auto code = ctx_.chooseAttribute();
    if (!code) {
        attribute_->setFocus(); // a cancel returns to the field
        return false;
    }
    attribute_->setText(q(*code));
    return true;
}

void FisTransferWindow::run() {
    if (!resolveAttribute(false)) return;
    vouchers::TransferTarget t;
    t.number = number_->text().trimmed().toInt();
    t.day = day_->text().trimmed().toInt();
    t.month = month_->text().trimmed().toInt();
    t.attribute = text::upperTr(s(attribute_->text()));
    t.type = type_->currentIndex() == 1 ? 'A' : type_->currentIndex() == 2 ? 'E' : 'M';
    auto r = vouchers::FisTransfer(*ctx_.ui, *ctx_.data, key_, t);
    if (!r && r.error().kind == core::ErrorKind::BadInput) {
        // Bad input keeps the window open for a correction.
        report(*ctx_.ui, r.error());
        return;
    }
    if (!r) report(*ctx_.ui, r.error());
    accept();
}

YevmiyeNoSilWindow::YevmiyeNoSilWindow(VoucherListContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("Yevmiye No Kaldır"));
    auto* form = new QFormLayout(this);
    number_ = new QLineEdit(this);
    day_ = new QLineEdit(this);
    form->addRow(QStringLiteral("Yevmiye No"), number_);
    form->addRow(QStringLiteral("Yevmiye Gün"), day_);
    if (auto b = vouchers::Books::open(*ctx_.data))
        if (auto y = b->readCompany())
            number_->setText(QString::number(static_cast<long long>(y->SONYEVMIYENO)));
    run_ = new QPushButton(QStringLiteral("Yevmiye No Kaldır"), this);
    auto* exit = actionRow(this, form, run_);
    connect(run_, &QPushButton::clicked, this, [this] { run(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void YevmiyeNoSilWindow::run() {
    auto n = vouchers::YevmiyeNoSil(*ctx_.data, *ctx_.session, number_->text().trimmed().toLong(),
                                    day_->text().trimmed().toInt());
    if (!n) {
        report(*ctx_.ui, n.error());
        if (n.error().kind == core::ErrorKind::BadInput) return;
    }
    accept();
}

HesapTransferWindow::HesapTransferWindow(VoucherListContext& ctx, std::string source,
                                         QWidget* parent)
    : QDialog(parent), ctx_(ctx), source_(std::move(source)) {
    setWindowTitle(QStringLiteral("Hesap Planı Transfer Ekranı"));
    auto* form = new QFormLayout(this);
    std::string heading = source_;
    if (auto b = vouchers::Books::open(*ctx_.data))
        if (auto a = b->account(source_)) heading += " " + text::clip(a->HESAPAD1);
    form->addRow(new QLabel(q(heading), this));
    target_ = new QLineEdit(this);
    target_->setMaxLength(18);
    form->addRow(QStringLiteral("Aktarılacak Hesap Kodu"), target_);
    fromMonth_ = new QLineEdit(this);
    toMonth_ = new QLineEdit(this);
    fromMonth_->setMaxLength(2);
    toMonth_->setMaxLength(2);
    auto* months = new QHBoxLayout;
    months->addWidget(new QLabel(QStringLiteral("Başı"), this));
    months->addWidget(fromMonth_);
    months->addWidget(new QLabel(QStringLiteral("Sonu"), this));
    months->addWidget(toMonth_);
    form->addRow(QStringLiteral("Dönem"), months);
    fromDate_ = new QLineEdit(this);
    toDate_ = new QLineEdit(this);
    auto* dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("Başı"), this));
    dates->addWidget(fromDate_);
    dates->addWidget(new QLabel(QStringLiteral("Sonu"), this));
    dates->addWidget(toDate_);
    form->addRow(QStringLiteral("Tarih"), dates);
    progress_ = new QLabel(this);
    form->addRow(progress_);
    transfer_ = new QPushButton(QStringLiteral("Transfer"), this);
    auto* exit = actionRow(this, form, transfer_);

    const QString m = QString::asprintf("%02d", ctx_.session->SeciliAy());
    fromMonth_->setText(m);
    toMonth_->setText(m);
    fromDate_->setEnabled(false);
    toDate_->setEnabled(false);
    connect(fromMonth_, &QLineEdit::textEdited, this, [this](const QString& t) {
        toMonth_->setText(t);
        fromDate_->setEnabled(t.trimmed().isEmpty());
        toDate_->setEnabled(t.trimmed().isEmpty());
    });
    connect(fromDate_, &QLineEdit::textEdited, this, [this](const QString& t) { toDate_->setText(t); });
    connect(transfer_, &QPushButton::clicked, this, [this] { run(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void HesapTransferWindow::run() {
    vouchers::TransferRange r;
    auto month = [&](QLineEdit* f, int& out) -> bool {
        const QString t = f->text().trimmed();
        if (t.isEmpty()) return true;
        bool ok = false;
        out = t.toInt(&ok);
        if (!ok || out < 1 || out > 12) {
            ctx_.ui->message("Dönem 1 ile 12 arasında olmalı", {}, app::Icon::Warning, "&Tamam", 1);
            f->setFocus();
            return false;
        }
        return true;
    };
    auto date = [&](QLineEdit* f, core::Date& out) -> bool {
        const std::string t = s(f->text());
        if (t.empty()) return true;
        auto d = vouchers::csv::parseDate(t);
        if (!d) {
            ctx_.ui->message("Geçersiz tarih: " + t, {}, app::Icon::Warning, "&Tamam", 1);
            f->setFocus();
            return false;
        }
        out = *d;
        return true;
    };
    if (!month(fromMonth_, r.fromMonth) || !month(toMonth_, r.toMonth)) return;
    if (r.fromMonth == 0 && (!date(fromDate_, r.fromDate) || !date(toDate_, r.toDate))) return;
    if (ctx_.runProcedure) {
        // A busy account's lines take a while: the transfer runs off the GUI thread. A refusal
        // (shown by the transfer) keeps the window open for a correction.
        app::Options o;
        o.set("source", source_);
        o.set("target", s(target_->text()));
        if (r.fromMonth > 0) {
            o.set("from-month", std::to_string(r.fromMonth));
            o.set("to-month", std::to_string(r.toMonth));
        } else {
            o.set("from-date", s(fromDate_->text()));
            o.set("to-date", s(toDate_->text()));
        }
        transfer_->setEnabled(false);
        QPointer<HesapTransferWindow> self(this);
        ctx_.runProcedure("HesapTransferi", std::move(o), [self](bool ok) {
            if (!self) return;
            self->transfer_->setEnabled(true);
            if (ok)
                self->accept();
            else
                self->target_->setFocus();
        });
        return;
    }
    auto res = vouchers::accountTransfer(*ctx_.data, *ctx_.ui, source_, s(target_->text()), r);
    if (!res) {
        const std::string t = text::clip(res.error().text);
        // Same code or a target that is not a detail account: the window stays for a correction.
        if (t == vouchers::accmsg::kSameCode || t == vouchers::accmsg::kTargetNotDetail) {
            target_->setFocus();
            return;
        }
        report(*ctx_.ui, res.error());
    }
    accept();
}

FisIciSiralaWindow::FisIciSiralaWindow(VoucherListContext ctx, QWidget* parent)
    : QWidget(parent), ctx_(std::move(ctx)) {
    setWindowTitle(QStringLiteral("Fiş İçi Sırala Ekranı"));
    auto* form = new QFormLayout(this);
    from_ = new QLineEdit(QStringLiteral("1"), this);
    to_ = new QLineEdit(QStringLiteral("12"), this);
    from_->setMaxLength(2);
    to_->setMaxLength(2);
    auto* months = new QHBoxLayout;
    months->addWidget(new QLabel(QStringLiteral("Başı"), this));
    months->addWidget(from_);
    months->addWidget(new QLabel(QStringLiteral("Sonu"), this));
    months->addWidget(to_);
    form->addRow(QStringLiteral("Dönem"), months);
    sort_ = new QPushButton(QStringLiteral("Sırala"), this);
    auto* exit = actionRow(this, form, sort_);
    connect(sort_, &QPushButton::clicked, this, [this] { run(); });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

void FisIciSiralaWindow::run() {
    if (ctx_.runProcedure) {
        app::Options o;
        o.set("from", from_->text().trimmed().toStdString());
        o.set("to", to_->text().trimmed().toStdString());
        sort_->setEnabled(false);
        QPointer<FisIciSiralaWindow> self(this);
        ctx_.runProcedure("FisIciSiralaAylar", std::move(o), [self](bool) {
            if (self) self->sort_->setEnabled(true);
        });
        return;
    }
    auto n = vouchers::FisIciSirala(*ctx_.data, *ctx_.ui, from_->text().trimmed().toInt(),
                                    to_->text().trimmed().toInt(), ctx_.session->FisIciSirala);
    if (!n) report(*ctx_.ui, n.error());
}

ExcelFisDetayAktarWindow::ExcelFisDetayAktarWindow(VoucherListContext ctx, QWidget* parent)
    : QWidget(parent), ctx_(std::move(ctx)) {
    setWindowTitle(QStringLiteral("Fis Detay Satırlarının Excel Aktarılması"));
    auto* form = new QFormLayout(this);
    month_ = new QLineEdit(QStringLiteral("1"), this);
    month_->setMaxLength(2);
    form->addRow(QStringLiteral("Fiş Ay Seçimi"), month_);
    status_ = new QLabel(this);
    form->addRow(status_);
    auto* row = new QHBoxLayout;
    auto add = [&](const char* caption, auto&& fn) {
        auto* b = new QPushButton(q(caption), this);
        connect(b, &QPushButton::clicked, this, fn);
        row->addWidget(b);
    };
    add("Excel Yaz", [this] { exportMonth(); });
    add("Yevmiye Excel", [this] { exportJournal(false); });
    add("Yevmiye Excel full", [this] { exportJournal(true); });
    add("Çı&kış", [this] { close(); });
    form->addRow(row);
}

void ExcelFisDetayAktarWindow::runExport(const std::string& name, app::Options o) {
    o.set("xlsx", target);
    status_->clear();
    QPointer<ExcelFisDetayAktarWindow> self(this);
    ctx_.runProcedure(name, std::move(o), [self](bool ok) {
        if (self && ok) self->status_->setText(QStringLiteral("İşlem Tamamlandı"));
    });
}

void ExcelFisDetayAktarWindow::exportMonth() {
    const int m = month_->text().trimmed().toInt();
    if (ctx_.runProcedure) {
        app::Options o;
        o.set("month", std::to_string(m));
        runExport("FisDetayExcelYaz", std::move(o));
        return;
    }
    auto r = app::exportList(
        *ctx_.ui, [&]() { return vouchers::fisDetaySheet(*ctx_.data, *ctx_.ui, m); },
        output::ExportTarget{target, false, {}});
    if (r.outcome == app::ExportOutcome::Written) status_->setText(QStringLiteral("İşlem Tamamlandı"));
}

void ExcelFisDetayAktarWindow::exportJournal(bool full) {
    if (ctx_.runProcedure) {
        // Every voucher of the year: off the GUI thread with the progress window.
        app::Options o;
        o.set("full", full ? "1" : "0");
        runExport("YevmiyeExcelYaz", std::move(o));
        return;
    }
    auto r = app::exportList(
        *ctx_.ui, [&]() { return vouchers::yevmiyeSheet(*ctx_.data, *ctx_.ui, full); },
        output::ExportTarget{target, false, {}}, app::kJournalExportQuestion);
    if (r.outcome == app::ExportOutcome::Written) status_->setText(QStringLiteral("İşlem Tamamlandı"));
}

// ---- registration ---------------------------------------------------------------------------

void registerVoucherListWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    // The windows work on the frame's own (GUI-thread) context, bound when one of them opens.
    auto ctx = std::make_shared<VoucherListContext>();
    MainFrame* f = &frame;
    const app::ProcedureRegistry* procedures = &registry;
    ctx->start = [procedures, f](const std::string& name, const std::string& arg) {
        if (auto* c = f->context()) (void)app::runRegistered(*procedures, name, arg, *c);
    };
    // The voucher form is its own procedure; the list opens it through the registry, which
    // reports message 24 while it is not there.
    ctx->runProcedure = frameRunner(frame);
    ctx->chooseAttribute = [ctx, f]() { return chooseAttribute(*ctx->data, *ctx->ui, f); };
    ctx->openForm = [procedures, f](const std::string& key) {
        if (auto* c = f->context()) (void)app::runRegistered(*procedures, "FHkFisBas", key, *c);
        return true;
    };
    auto add = [&registry, ctx](const char* name, std::function<void(const std::string&)> open) {
        app::ProcedureSpec spec;
        spec.name = name;
        spec.run = [ctx, open](app::ProcedureContext& c, const app::Options& o) -> core::Status {
            ctx->data = &c.data;
            ctx->session = &c.session;
            ctx->ui = &c.ui;
            ctx->rights = &c.rights;
            open(o.argument);
            return {};
        };
        registry.add(std::move(spec));
    };
    add("FisListesi", [ctx, f](const std::string&) {
        f->openChild("FisListesi", std::make_unique<FisListesi>(*ctx), true);
    });
    add("Transfer", [ctx, f](const std::string& code) {
        HesapTransferWindow w(*ctx, code, f);
        w.exec();
    });
    add("FisIciSirala", [ctx, f](const std::string&) {
        f->openChild("FisIciSirala", std::make_unique<FisIciSiralaWindow>(*ctx));
    });
    add("ExcelFisDetayAktar", [ctx, f](const std::string&) {
        f->openChild("ExcelFisDetayAktar", std::make_unique<ExcelFisDetayAktarWindow>(*ctx));
    });
}

} // namespace hk::ui
