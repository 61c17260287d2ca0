// Frame classes, currencies and rates, the chart report's filter window, the chart import and
// the twelve-month view; the registration of every account window.
#include "accounts/frame.h"
#include "accounts/import.h"
#include "accounts/rates.h"
#include "accounts/report.h"
#include "app/catalogue.h"
#include "app/sheet_export.h"
#include "core/picture.h"
#include "core/text.h"
#include "output/raw.h"
#include "ui/accounts/accounts_windows.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"
#include "ui/shell/frame.h"
#include "ui/framework/preview.h"
#include "ui/render/page_render.h"
#include "ui/shell/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hk::ui {

namespace {

using data::CsPlan;
using data::DDoviz;
using data::Doviz;

constexpr int kCurrencyMenu = 4030;

Cell text(const std::string& s) { return s; }

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (auto* b : buttons) row->addWidget(b);
    return row;
}

template <typename T>
data::TypedTable<T> openOrReport(AccountsContext& ctx) {
    auto t = ctx.data->open<T>();
    if (!t) {
        reportError(*ctx.ui, t.error(), 23);
        return {};
    }
    return std::move(t.value());
}

bool textLocate(std::string& field, const std::string& s, std::size_t width) {
    field = core::text::left(s, width);
    return core::text::isCp1254(field);
}

// A rule's failure that it has not shown yet is shown here, once.
bool succeeded(app::Ui& ui, const core::Status& st) {
    if (!st && !st.error().shown) reportError(ui, st.error(), 1);
    return st.ok();
}

} // namespace

// ---- CsPlan -------------------------------------------------------------------------------------

CsPlanList::CsPlanList(AccountsContext ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("Çerçeve Sınıf Listesi"));
    auto src = std::make_shared<TableSource<CsPlan>>(
        openOrReport<CsPlan>(ctx_),
        std::vector<KeyOrder<CsPlan>>{
            {"CsHSP:KeyHesap",
             [](CsPlan& c, const std::string& s) { return textLocate(c.HESAPKODU, s, 18); }},
            {"CsHSP:KeyHesapAd",
             [](CsPlan& c, const std::string& s) { return textLocate(c.HESAPAD1, s, 50); }}},
        std::vector<Column<CsPlan>>{
            {QStringLiteral("Hesap Kodu"), 18, "", [](const CsPlan& c) { return text(c.HESAPKODU); }},
            {QStringLiteral("Hesap Adı"), 50, "", [](const CsPlan& c) { return text(c.HESAPAD1); }}});
    list_ = new BrowsePanel(src, {QStringLiteral("Hesap Kodu"), QStringLiteral("Hesap Adı")},
                            *ctx_.ui, this);
    list_->applyRights({true, true, false, false}); // the list offers no delete
    list_->insertButton()->setText(QStringLiteral("YeniGir"));
    list_->changeButton()->setText(QStringLiteral("Değiştir"));
    auto* exit = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(list_, 1);
    lay->addLayout(buttonRow({exit}));
    list_->onInsert = [this] {
        FHkCSPlan f(ctx_, true, {}, this);
        return runDialog(f) == QDialog::Accepted;
    };
    list_->onChange = [this](const BrowseRow& row) {
        FHkCSPlan f(ctx_, false, TableSource<CsPlan>::record(row), this);
        return runDialog(f) == QDialog::Accepted;
    };
    connect(exit, &QPushButton::clicked, this, [this] { closeOwnWindow(this); });
    list_->reload();
}

FHkCSPlan::FHkCSPlan(AccountsContext ctx, bool insert, const CsPlan& rec, QWidget* parent)
    : QDialog(parent), ctx_(ctx), insert_(insert), original_(rec) {
    setWindowTitle(QStringLiteral("Çerçeve Sınıf Tanımı"));
    code = new PictureEdit("s18", this);
    name = new PictureEdit("s50", this);
    code->setTextValue(rec.HESAPKODU);
    name->setTextValue(rec.HESAPAD1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Hesap Kodu"), code);
    form->addRow(QStringLiteral("Hesap Adı"), name);
    ok = new QPushButton(QStringLiteral("Tamam"), this);
    exit = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttonRow({ok, exit}));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FHkCSPlan::trySave);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void FHkCSPlan::trySave() {
    const CsPlan c{code->textValue(), name->textValue()};
    const auto st = insert_ ? accounts::addFrameClass(*ctx_.data, c, *ctx_.ui)
                            : accounts::changeFrameClass(*ctx_.data, original_.HESAPKODU, c,
                                                         *ctx_.ui);
    if (succeeded(*ctx_.ui, st)) accept();
}

// ---- currencies ---------------------------------------------------------------------------------

DovizListesi::DovizListesi(AccountsContext ctx, bool select, QWidget* parent)
    : QWidget(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("D Ö V İ Z"));
    auto src = std::make_shared<TableSource<Doviz>>(
        openOrReport<Doviz>(ctx_),
        std::vector<KeyOrder<Doviz>>{
            {"DOV:KyDovizKodu",
             [](Doviz& d, const std::string& s) { return textLocate(d.DOVIZKODU, s, 3); }}},
        std::vector<Column<Doviz>>{
            {QStringLiteral("Kodu"), 5, "", [](const Doviz& d) { return text(d.DOVIZKODU); }},
            {QStringLiteral("Adı"), 30, "", [](const Doviz& d) { return text(d.DOVIZADI); }}});
    list_ = new BrowsePanel(src, {}, *ctx_.ui, this);
    // The currency list is the list of menu 4030, under that number's rights.
    if (ctx_.rights)
        list_->applyRights(*ctx_.rights, kCurrencyMenu);
    else
        list_->allowAll();
    select_ = new QPushButton(QStringLiteral("S&eç"), this);
    exit_ = new QPushButton(QStringLiteral("Çı&kış"), this);
    select_->setVisible(select);
    auto* row = new QHBoxLayout;
    row->addWidget(select_);
    row->addStretch(1);
    row->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("D Ö V İ Z"), this));
    lay->addWidget(list_, 1);
    lay->addLayout(row);
    auto form = [this](FDoviz::Mode m, const Doviz& d) {
        FDoviz f(ctx_, m, d, this);
        return runDialog(f) == QDialog::Accepted;
    };
    list_->onInsert = [form] { return form(FDoviz::Insert, {}); };
    list_->onChange = [form](const BrowseRow& r) {
        return form(FDoviz::Change, TableSource<Doviz>::record(r));
    };
    // "&Sil" opens the form, whose "Tamam" deletes: the list's own question is not asked.
    disconnect(list_->removeButton(), &QPushButton::clicked, list_, nullptr);
    connect(list_->removeButton(), &QPushButton::clicked, this, [this, form] {
        if (const BrowseRow* r = list_->selected())
            if (form(FDoviz::Delete, TableSource<Doviz>::record(*r))) list_->reload();
    });
    auto choose = [this] {
        if (const BrowseRow* r = list_->selected()) {
            chosen_ = TableSource<Doviz>::record(*r);
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

std::optional<Doviz> pickCurrency(AccountsContext ctx, QWidget* parent) {
    QDialog dlg(parent);
    auto* list = new DovizListesi(ctx, true, &dlg);
    dlg.setWindowTitle(QStringLiteral("D Ö V İ Z"));
    auto* lay = new QVBoxLayout(&dlg);
    lay->addWidget(list);
    QObject::connect(list, &DovizListesi::picked, &dlg, &QDialog::accept);
    QObject::connect(list, &DovizListesi::closeRequested, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return list->chosen();
}

FDoviz::FDoviz(AccountsContext ctx, Mode mode, const Doviz& rec, QWidget* parent)
    : QDialog(parent), ctx_(ctx), mode_(mode), original_(rec) {
    setWindowTitle(QStringLiteral("Doviz Tanımları"));
    code = new PictureEdit("s3", this);
    name = new PictureEdit("s30", this);
    code->setTextValue(rec.DOVIZKODU);
    name->setTextValue(rec.DOVIZADI);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Döviz Kodu"), code);
    form->addRow(QStringLiteral("Döviz Adı"), name);
    DDoviz low, high;
    low.DOVIZKODU = high.DOVIZKODU = rec.DOVIZKODU;
    low.DOVIZKURTARIHI = core::Date{31, 12, 9999}; // the date descends: newest first
    source_ = std::make_shared<TableSource<DDoviz>>(
        openOrReport<DDoviz>(ctx_),
        std::vector<KeyOrder<DDoviz>>{{"DDO:KyDoviz", {}}},
        std::vector<Column<DDoviz>>{
            {QStringLiteral("Tarih"), 10, "d6", [](const DDoviz& r) { return Cell{r.DOVIZKURTARIHI}; }},
            {QStringLiteral("TL Tutarı"), 12, "n10.4",
             [](const DDoviz& r) { return Cell{r.DOVIZKURTUTARI}; }}});
    source_->setRange(KeyRange<DDoviz>{low, high, 1});
    rates = new BrowsePanel(source_, {}, *ctx_.ui, this);
    rates->setLocatorVisible(false);
    // Rates hang on a stored currency: a new one gets them once it is saved.
    if (mode == Change)
        rates->allowAll();
    else
        rates->readOnly();
    ok = new QPushButton(QStringLiteral("Tamam"), this);
    exit = new QPushButton(QStringLiteral("Çı&kış"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(new QLabel(QStringLiteral("D Ö V İ Z"), this));
    lay->addWidget(rates, 1);
    lay->addLayout(buttonRow({ok, exit}));
    if (mode == Delete) {
        code->setEnabled(false);
        name->setEnabled(false);
    }
    auto rateForm = [this](bool insert, const DDoviz& r) {
        FDDoviz f(ctx_, insert, r, this);
        return runDialog(f) == QDialog::Accepted;
    };
    rates->onInsert = [this, rateForm] {
        DDoviz r;
        r.DOVIZKODU = original_.DOVIZKODU;
        return rateForm(true, r);
    };
    rates->onChange = [rateForm](const BrowseRow& row) {
        return rateForm(false, TableSource<DDoviz>::record(row));
    };
    rates->onRemove = [this](const BrowseRow& row) {
        const DDoviz& r = TableSource<DDoviz>::record(row);
        return accounts::deleteRate(*ctx_.data, r.DOVIZKODU, r.DOVIZKURTARIHI, *ctx_.ui);
    };
    connect(ok, &QPushButton::clicked, this, &FDoviz::trySave);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    rates->reload();
    resize(420, 420);
}

void FDoviz::trySave() {
    const Doviz d{code->textValue(), name->textValue()};
    core::Status st;
    switch (mode_) {
    case Insert: st = accounts::addCurrency(*ctx_.data, d, *ctx_.ui); break;
    case Change: st = accounts::changeCurrency(*ctx_.data, original_.DOVIZKODU, d, *ctx_.ui); break;
    case Delete: st = accounts::deleteCurrency(*ctx_.data, original_.DOVIZKODU, *ctx_.ui); break;
    }
    if (succeeded(*ctx_.ui, st)) accept();
}

FDDoviz::FDDoviz(AccountsContext ctx, bool insert, const DDoviz& rec, QWidget* parent)
    : QDialog(parent), ctx_(ctx), insert_(insert), original_(rec) {
    setWindowTitle(QStringLiteral("Döviz Kuru"));
    code = new PictureEdit("s3", this);
    date = new PictureEdit("d6", this);
    rate = new PictureEdit("n10.4", this);
    code->setTextValue(rec.DOVIZKODU);
    code->setEnabled(false);
    if (rec.DOVIZKURTARIHI.isSet()) date->setDate(rec.DOVIZKURTARIHI);
    if (!insert) rate->setNumber(rec.DOVIZKURTUTARI);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kodu"), code);
    form->addRow(QStringLiteral("Kur Tarihi"), date);
    form->addRow(QStringLiteral("Kur Tutarı"), rate);
    ok = new QPushButton(QStringLiteral("Tamam"), this);
    cancel = new QPushButton(QStringLiteral("İptal"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttonRow({ok, cancel}));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FDDoviz::trySave);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FDDoviz::trySave() {
    auto d = date->date();
    auto r = rate->number();
    if (!d || !r) {
        ctx_.ui->message(!d ? d.error().text : r.error().text, "Hatalı giriş", app::Icon::Warning,
                         "&Tamam", 1);
        return;
    }
    const DDoviz rec{original_.DOVIZKODU, *d, *r};
    const auto st = insert_ ? accounts::addRate(*ctx_.data, rec, *ctx_.ui)
                            : accounts::changeRate(*ctx_.data, original_, rec, *ctx_.ui);
    if (succeeded(*ctx_.ui, st)) accept();
}

// ---- chart report ---------------------------------------------------------------------------

HesapPlaniFiltreEkrani::HesapPlaniFiltreEkrani(AccountsContext ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("Hesap Planı Filtre Ekranı"));
    pick = [this] { return pickAccount(ctx_, ChartListKind::All, this); };
    from = new PictureEdit("s18", this);
    to = new PictureEdit("s18", this);
    date = new PictureEdit("d6", this);
    date->setDate(core::Date::today());
    fromLookup = new QPushButton(QStringLiteral("..."), this);
    toLookup = new QPushButton(QStringLiteral("..."), this);
    excel = new QCheckBox(QStringLiteral(" Excel"), this);
    runButton = new QPushButton(QStringLiteral("Yaz"), this);
    exit = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* form = new QFormLayout;
    auto row = [this](PictureEdit* e, QPushButton* b) {
        auto* h = new QHBoxLayout;
        h->addWidget(e);
        h->addWidget(b);
        return h;
    };
    form->addRow(QStringLiteral("Başı"), row(from, fromLookup));
    form->addRow(QStringLiteral("Sonu"), row(to, toLookup));
    form->addRow(QStringLiteral("Rapor Tarihi"), date);
    form->addRow(QString(), excel);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addLayout(buttonRow({runButton, exit}));
    connect(excel, &QCheckBox::toggled, this, [this](bool on) {
        runButton->setText(on ? QStringLiteral("Excel") : QStringLiteral("Yaz"));
    });
    for (auto [field, button] : {std::pair{from, fromLookup}, std::pair{to, toLookup}}) {
        connect(button, &QPushButton::clicked, this, [this, field = field] {
            if (auto a = pick()) field->setTextValue(a->HESAPKODU);
        });
        connect(field, &QLineEdit::editingFinished, this, [this, field = field] {
            const QWidget* next = QApplication::focusWidget();
            if (next != exit) resolve(field);
        });
    }
    connect(runButton, &QPushButton::clicked, this, &HesapPlaniFiltreEkrani::run);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    showDocument = [this](const output::Document& doc) {
        auto w = std::make_unique<PreviewWindow>(doc, *ctx_.ui);
        if (ctx_.openChild) ctx_.openChild("HesapPlaniRaporu", std::move(w));
    };
    showSheet = [](const output::Sheet& s) -> core::Status {
        auto r = app::exportReport(s, output::ExportTarget{});
        if (!r) return r.error();
        return {};
    };
}

// A typed code that is not in the chart opens the selection list; false when none was chosen.
bool HesapPlaniFiltreEkrani::resolve(PictureEdit* field) {
    const std::string c = field->textValue();
    if (c.empty()) return true;
    auto found = accounts::findAccount(*ctx_.data, c);
    if (found && *found) return true;
    if (auto a = pick()) {
        field->setTextValue(a->HESAPKODU);
        return true;
    }
    field->setFocus();
    return false;
}

void HesapPlaniFiltreEkrani::run() {
    if (!resolve(from) || !resolve(to)) return;
    auto d = date->date();
    if (!d) {
        ctx_.ui->message(d.error().text, "Hatalı giriş", app::Icon::Warning, "&Tamam", 1);
        return;
    }
    const accounts::ChartReportOptions o{from->textValue(), to->textValue(), *d};
    if (excel->isChecked()) {
        auto sheet = accounts::chartSheet(*ctx_.data, o);
        if (!sheet) {
            reportError(*ctx_.ui, sheet.error(), 1);
            return;
        }
        // A report export that fails ends the run without a message of its own.
        (void)showSheet(*sheet);
        return;
    }
    const std::string printer = ctx_.session ? ctx_.session->YaziciAdi() : std::string();
    const output::PrinterKind kind = output::printerKind(printer);
    if (kind == output::PrinterKind::Npq) {
        // Raw dot-matrix output goes straight to the queue, without a preview.
        auto target = output::openRawQueue(printer);
        if (!target) {
            reportError(*ctx_.ui, target.error(), 1);
            return;
        }
        output::RawSink sink(std::move(*target));
        output::PageWriter w({kind, accounts::kRawLinesPerPage, 1}, sink);
        if (auto st = accounts::writeChartReport(*ctx_.data, o, w); !st)
            reportError(*ctx_.ui, st.error(), 1);
        return;
    }
    output::Document doc;
    doc.title = "HESAP PLANI LİSTESİ";
    doc.kind = kind;
    doc.printer = printer;
    doc.style = kind == output::PrinterKind::Lpq ? output::textPrinterPaper(146)
                                                 : output::a4Paper(true, 8.0);
    output::DocumentSink sink(doc);
    const int lines = kind == output::PrinterKind::Lpq ? accounts::kRawLinesPerPage
                                                       : render::linesThatFit(doc.style);
    output::PageWriter w({kind, lines, 1}, sink);
    if (auto st = accounts::writeChartReport(*ctx_.data, o, w); !st) {
        reportError(*ctx_.ui, st.error(), 1);
        return;
    }
    showDocument(doc);
}

// ---- chart import -----------------------------------------------------------------------------

namespace {

// The import's Ui: its progress line is the window's own text line; every box goes to the
// program's Ui.
class LineUi final : public app::Ui {
  public:
    LineUi(app::Ui& inner, QLabel* line) : inner_(inner), line_(line) {}
    int message(const std::string& t, const std::string& c, app::Icon i, const std::string& b,
                int d) override {
        return inner_.message(t, c, i, b, d);
    }
    void progress(const std::string& text, int) override {
        line_->setText(QString::fromStdString(text));
        line_->repaint();
    }
    void progressDone() override {}
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string& c, const std::string& f, bool s) override {
        return inner_.chooseFile(c, f, s);
    }
    int pick(const std::string& c, const std::vector<std::string>& items) override {
        return inner_.pick(c, items);
    }

  private:
    app::Ui& inner_;
    QLabel* line_;
};

} // namespace

ExcelHsPlanOku::ExcelHsPlanOku(AccountsContext ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("Excel HsPlan Oku"));
    progress = new QLabel(this);
    start = new QPushButton(QStringLiteral("Excel Oku"), this);
    exit = new QPushButton(QStringLiteral("Çı&kış"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(progress);
    lay->addLayout(buttonRow({start, exit}));
    connect(start, &QPushButton::clicked, this, &ExcelHsPlanOku::read);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 100);
}

void ExcelHsPlanOku::read() {
    LineUi ui(*ctx_.ui, progress);
    auto counts = accounts::runExcelHsPlanOku(*ctx_.data, ui);
    if (!counts) {
        if (!counts.error().shown) reportError(*ctx_.ui, counts.error(), 1);
        return;
    }
    ctx_.ui->message(std::to_string(counts->added) + " hesap eklendi, " +
                         std::to_string(counts->skipped) + " hesap zaten tanımlı olduğundan atlandı.",
                     "Excel HsPlan Oku", app::Icon::Information, "&Tamam", 1);
    accept();
}

// ---- twelve months ------------------------------------------------------------------------------

std::unique_ptr<Y_Mizan12Ay> Y_Mizan12Ay::open(AccountsContext ctx, const std::string& code,
                                               QWidget* parent) {
    auto a = accounts::findAccount(*ctx.data, code);
    if (!a) {
        reportError(*ctx.ui, a.error(), 1);
        return nullptr;
    }
    if (!*a) return nullptr;
    std::string currencyName;
    if (!(*a)->DOVIZKODU.empty()) {
        auto file = ctx.data->open<Doviz>();
        if (file) {
            auto c = accounts::findCurrency(*file, (*a)->DOVIZKODU);
            if (c && *c) currencyName = core::text::clip((*c)->DOVIZADI);
        }
    }
    return std::unique_ptr<Y_Mizan12Ay>(new Y_Mizan12Ay(ctx, **a, currencyName, parent));
}

Y_Mizan12Ay::Y_Mizan12Ay(AccountsContext ctx, data::HsPlan account, std::string currencyName,
                         QWidget* parent)
    : QDialog(parent), ctx_(ctx), account_(std::move(account)),
      currencyName_(std::move(currencyName)) {
    setWindowTitle(QString::fromStdString(accounts::twelveMonthTitle(account_)));
    tabs = new QTabBar(this);
    tabs->addTab(QStringLiteral("TL"));
    tabs->addTab(QStringLiteral("Döviz"));
    tabs->addTab(QStringLiteral("AltBirim"));
    measures_ = {accounts::Measure::TL, accounts::Measure::Currency, accounts::Measure::SubUnit};
    tabs->setTabVisible(1, !account_.DOVIZKODU.empty());
    tabs->setTabVisible(2, !account_.ALTBIRIM.empty());
    caption = new QLabel(this);
    grid = new QTableWidget(14, 6, this);
    grid->setHorizontalHeaderLabels(
        {QStringLiteral("Cari Ay\nBorç"), QStringLiteral("Cari Ay\nAlacak"),
         QStringLiteral("Cari Ay\nBakiye"), QStringLiteral("Kümülatif\nBorç"),
         QStringLiteral("Kümülatif\nAlacak"), QStringLiteral("Kümülatif\nBakiye")});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    exit = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(tabs);
    lay->addWidget(caption);
    lay->addWidget(grid, 1);
    lay->addLayout(buttonRow({exit}));
    connect(tabs, &QTabBar::currentChanged, this, [this](int i) {
        if (i >= 0) showMeasure(measures_[static_cast<std::size_t>(i)]);
    });
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    showMeasure(accounts::Measure::TL);
    resize(900, 520);
}

void Y_Mizan12Ay::showMeasure(accounts::Measure m) {
    switch (m) {
    case accounts::Measure::TL: caption->setText(QStringLiteral("TL")); break;
    case accounts::Measure::Currency:
        caption->setText(QStringLiteral("Döviz (%1)").arg(QString::fromStdString(currencyName_)));
        break;
    case accounts::Measure::SubUnit:
        caption->setText(
            QStringLiteral("Alt Birim (%1)").arg(QString::fromStdString(account_.ALTBIRIM)));
        break;
    }
    const int ayFarki = ctx_.session ? ctx_.session->AyFarki() : 0;
    const auto names = ctx_.session ? ctx_.session->AyAdlari : std::array<std::string, 12>{};
    const auto rows = accounts::twelveMonths(account_, m, names, ayFarki);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        grid->setVerticalHeaderItem(r, new QTableWidgetItem(QString::fromStdString(row.label)));
        const double v[6] = {row.debit, row.credit, row.balance,
                             row.cumDebit, row.cumCredit, row.cumBalance};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(
                QString::fromStdString(core::text::trim(core::picture::format(v[c], "n18.2"))));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // a balance whose debit is below its credit is shown in red
            if ((c == 2 || c == 5) && v[c] < 0) item->setForeground(QColor(255, 0, 0));
            grid->setItem(r, c, item);
        }
    }
}

// ---- registration -------------------------------------------------------------------------------

void registerAccountWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    // The account windows work on the frame's own (GUI-thread) context; the copy buffer lives as
    // long as the registry.
    auto copy = std::make_shared<accounts::CopyBuffer>();
    auto ctx = std::make_shared<AccountsContext>();
    MainFrame* f = &frame;
    const app::ProcedureRegistry* procedures = &registry;
    auto bind = [ctx, copy](app::ProcedureContext& c) {
        ctx->data = &c.data;
        ctx->session = &c.session;
        ctx->ui = &c.ui;
        ctx->rights = &c.rights;
        ctx->copy = copy.get();
    };
    ctx->start = [procedures, f](const std::string& name, const std::string& arg) {
        if (auto* c = f->context()) (void)app::runRegistered(*procedures, name, arg, *c);
    };
    ctx->openChild = [f](const std::string& name, std::unique_ptr<QWidget> w) {
        f->openChild(name, std::move(w));
    };
    auto add = [&registry, bind](const char* name,
                                 std::function<void(const std::string& argument)> open) {
        app::ProcedureSpec spec;
        spec.name = name;
        spec.run = [bind, open](app::ProcedureContext& c, const app::Options& o) -> core::Status {
            bind(c);
            open(o.argument);
            return {};
        };
        registry.add(std::move(spec));
    };
    add("HsPlan", [ctx, f](const std::string&) {
        f->openChild("HsPlan", std::make_unique<HsPlanList>(*ctx, ChartListKind::Chart, false));
    });
    add("CsPlan", [ctx, f](const std::string&) {
        f->openChild("CsPlan", std::make_unique<CsPlanList>(*ctx));
    });
    add("DovizListesi", [ctx, f](const std::string&) {
        f->openChild("DovizListesi", std::make_unique<DovizListesi>(*ctx, false));
    });
    add("HesapPlaniFiltreEkrani", [ctx, f](const std::string&) {
        HesapPlaniFiltreEkrani w(*ctx, f);
        w.exec();
    });
    add("ExcelHsPlanOku", [ctx, f](const std::string&) {
        ExcelHsPlanOku w(*ctx, f);
        w.exec();
    });
    add("Y_Mizan12Ay", [ctx, f](const std::string& code) {
        if (auto w = Y_Mizan12Ay::open(*ctx, code, f)) w->exec();
    });
}

} // namespace hk::ui
