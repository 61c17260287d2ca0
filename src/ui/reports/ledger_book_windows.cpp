#include "ui/reports/ledger_book_windows.h"

#include "accounts/chart.h"
#include "app/procedure.h"
#include "app/session.h"
#include "app/sheet_export.h"
#include "core/picture.h"
#include "data/dataset.h"
#include "core/text.h"
#include "reports/run.h"
#include "vouchers/books.h"
#include "ui/accounts/accounts_windows.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/framework/preview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace hk::ui {

using core::Error;
using core::Result;
using core::Status;
namespace pic = core::picture;

namespace {

QComboBox* monthList(QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->addItem(QStringLiteral(" "));
    for (int i = 1; i <= 12; ++i) c->addItem(QString::number(i));
    return c;
}

QHBoxLayout* pair(QWidget* parent, QWidget* a, QWidget* b, const char* first = "Başı",
                  const char* second = "Sonu") {
    auto* h = new QHBoxLayout;
    h->addWidget(new QLabel(QString::fromUtf8(first), parent));
    h->addWidget(a);
    h->addWidget(new QLabel(QString::fromUtf8(second), parent));
    h->addWidget(b);
    return h;
}

QHBoxLayout* withButton(PictureEdit* e, QPushButton* b) {
    auto* h = new QHBoxLayout;
    h->addWidget(e);
    h->addWidget(b);
    return h;
}

Result<core::Date> dateOf(const PictureEdit* e) {
    auto d = e->date();
    if (!d) return Error::badInput("Geçersiz tarih: " + e->text().toStdString());
    return *d;
}

Result<std::int32_t> whole(const PictureEdit* e, const char* what) {
    auto n = e->number();
    if (!n) return Error::badInput(std::string(what) + " bir sayı olmalı");
    if (*n < 0 || *n > 2147483647.0) return Error::badInput(std::string(what) + " geçersiz");
    return static_cast<std::int32_t>(*n);
}

} // namespace

// ---- BookWindow ----

BookWindow::BookWindow(data::DataSet& ds, app::Session& session, app::Ui& ui, BookRoutes routes,
                       QWidget* parent)
    : QWidget(parent), ds_(ds), session_(session), ui_(ui), routes_(std::move(routes)) {
    kind_ = output::printerKind(session_.YaziciAdi());
}

void BookWindow::start(Body body, bool async, QPushButton* button, const std::string& caption,
                       std::function<void()> after) {
    if (running_) return;
    auto outcome = std::make_shared<Outcome>();
    auto done = [this, outcome, button, caption, after] {
        running_ = false;
        button->setEnabled(true);
        if (!outcome->status) {
            if (!outcome->status.error().shown)
                ui_.message(outcome->status.error().text, caption, app::Icon::Warning, "&Tamam",
                            1);
        } else if (outcome->doc) {
            if (routes_.preview && !outcome->doc->pages.empty())
                routes_.preview(std::move(*outcome->doc));
        } else if (outcome->sheet) {
            if (routes_.sheet)
                routes_.sheet(std::move(*outcome->sheet));
            else if (auto p = app::exportReport(*outcome->sheet, {}); !p)
                ui_.message(p.error().text, "Excel", app::Icon::Warning, "&Tamam", 1);
        }
        if (after) after();
        emit finished();
    };
    running_ = true;
    button->setEnabled(false);
    if (!async) {
        body(ds_, *outcome);
        done();
        return;
    }
    auto where = ds_.locations();
    QThread* t = QThread::create([where, body, outcome] {
        // A data set of its own: connections are not shared between threads.
        auto ds = data::DataSet::open(where);
        if (!ds) {
            outcome->status = ds.error();
            return;
        }
        body(*ds, *outcome);
    });
    connect(t, &QThread::finished, this, [t, done] {
        done();
        t->deleteLater();
    });
    t->start();
}

// ---- GeneralLedgerWindow ----

GeneralLedgerWindow::GeneralLedgerWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                                         BookRoutes routes, QWidget* parent)
    : BookWindow(ds, session, ui, std::move(routes), parent) {
    setWindowTitle(QStringLiteral("Kebir Defteri Filtre Ekranı"));
    sonYevmiyeNo = new QLabel(this);
    hesapBasi = new PictureEdit("s18", this);
    hesapSonu = new PictureEdit("s18", this);
    basiLookup = new QPushButton(QStringLiteral("..."), this);
    sonuLookup = new QPushButton(QStringLiteral("..."), this);
    baslangicAy = monthList(this);
    bitisAy = monthList(this);
    baslangicTarihi = new PictureEdit("d6", this);
    bitisTarihi = new PictureEdit("d6", this);
    yevmiyeBasi = new PictureEdit("n_10", this);
    yevmiyeSonu = new PictureEdit("n_10", this);
    baslangicSayfa = new PictureEdit("n_5", this);
    sayfaAdedi = new QCheckBox(QStringLiteral(" Gerekli Sayfa Adedini Bul"), this);
    fontNo = new PictureEdit("n_2", this);
    fontNo->setNumber(6);
    fontLabel = new QLabel(QStringLiteral("Font No"), this);
    yaz = new QPushButton(QStringLiteral("Yaz"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kebir i Çekilen Son Yevmiye No"), sonYevmiyeNo);
    auto* accounts = new QHBoxLayout;
    accounts->addWidget(new QLabel(QStringLiteral("Başı"), this));
    accounts->addLayout(withButton(hesapBasi, basiLookup));
    accounts->addWidget(new QLabel(QStringLiteral("Sonu"), this));
    accounts->addLayout(withButton(hesapSonu, sonuLookup));
    form->addRow(QStringLiteral("Hesap Kodu"), accounts);
    form->addRow(QStringLiteral("Kebir Dönemi"), pair(this, baslangicAy, bitisAy));
    form->addRow(QStringLiteral("Tarih"), pair(this, baslangicTarihi, bitisTarihi));
    form->addRow(QStringLiteral("Yevmiye No"), pair(this, yevmiyeBasi, yevmiyeSonu));
    form->addRow(QStringLiteral("Başlangıç Sayfa No"), baslangicSayfa);
    form->addRow(sayfaAdedi);
    form->addRow(fontLabel, fontNo);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(yaz);
    buttons->addWidget(cikis);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    // Couplings: a start month also sets the end month; a blank start month enables the dates.
    auto datesEnabled = [this] {
        const bool on = baslangicAy->currentIndex() == 0;
        baslangicTarihi->setEnabled(on);
        bitisTarihi->setEnabled(on);
    };
    connect(baslangicAy, &QComboBox::currentIndexChanged, this, [this, datesEnabled](int i) {
        bitisAy->setCurrentIndex(i);
        datesEnabled();
    });
    for (auto [field, button] : {std::pair{hesapBasi, basiLookup}, std::pair{hesapSonu, sonuLookup}})
        connect(button, &QPushButton::clicked, this, [this, field = field] {
            if (!routes_.pickLedger) return;
            if (auto a = routes_.pickLedger()) field->setTextValue(core::text::trim(a->HESAPKODU));
        });
    // The page count and the font mean nothing to the text printers.
    const bool textPrinter = output::isTextPrinter(kind_);
    sayfaAdedi->setVisible(!textPrinter);
    fontNo->setVisible(!textPrinter);
    fontLabel->setVisible(!textPrinter);
    connect(yaz, &QPushButton::clicked, this, [this] { run(true); });
    connect(cikis, &QPushButton::clicked, this, [this] { close(); });
    reread();
    datesEnabled();
}

void GeneralLedgerWindow::reread() {
    auto books = vouchers::Books::open(ds_);
    data::Yasal y;
    if (books)
        if (auto c = books->readCompany()) y = *c;
    const auto d = reports::generalLedgerDefaults(y);
    sonYevmiyeNo->setText(QString::fromStdString(
        pic::format(static_cast<double>(y.KEBIRYEVMIYENO), "n_10")));
    baslangicAy->setCurrentIndex(d.startMonth);
    bitisAy->setCurrentIndex(d.endMonth);
    yevmiyeBasi->setNumber(d.firstJournal);
    yevmiyeSonu->setTextValue("");
}

Result<reports::GeneralLedgerOptions> GeneralLedgerWindow::options() const {
    reports::GeneralLedgerOptions o;
    o.accountStart = hesapBasi->textValue();
    o.accountEnd = hesapSonu->textValue();
    o.startMonth = baslangicAy->currentIndex();
    if (o.startMonth != 0) {
        o.endMonth = bitisAy->currentIndex();
    } else {
        auto a = dateOf(baslangicTarihi);
        if (!a) return a.error();
        auto b = dateOf(bitisTarihi);
        if (!b) return b.error();
        o.startDate = *a;
        o.endDate = *b;
    }
    auto first = whole(yevmiyeBasi, "Yevmiye No");
    if (!first) return first.error();
    o.firstJournal = *first;
    auto last = whole(yevmiyeSonu, "Yevmiye No");
    if (!last) return last.error();
    o.lastJournal = *last;
    auto page = whole(baslangicSayfa, "Başlangıç Sayfa No");
    if (!page) return page.error();
    // A blank first page is the first page.
    o.firstPage = *page == 0 && baslangicSayfa->textValue().empty() ? 1 : *page;
    o.pageCount = sayfaAdedi->isVisibleTo(this) && sayfaAdedi->isChecked();
    if (auto f = fontNo->number(); f && *f >= 4 && *f <= 72) o.fontSize = static_cast<int>(*f);
    o.storeState = true;
    return o;
}

void GeneralLedgerWindow::run(bool async) {
    if (running_) return;
    auto o = options();
    if (o) {
        if (auto st = reports::checkGeneralLedger(ds_, *o); !st) o = st.error();
    }
    if (!o) {
        ui_.message(o.error().text, "Uyarı", app::Icon::Warning, "&Tamam", 1);
        return;
    }
    const auto opts = *o;
    const output::PrinterKind kind = kind_;
    const std::string queue = session_.YaziciAdi();
    auto rawOpener = routes_.raw;
    Body body = [=, &ui = ui_](data::DataSet& ds, Outcome& out) {
        std::unique_ptr<output::PageSink> sink;
        output::Document doc;
        if (kind == output::PrinterKind::Npq) {
            auto target = rawOpener ? rawOpener(queue) : output::openRawQueue(queue);
            if (!target) {
                out.status = target.error();
                return;
            }
            sink = std::make_unique<output::RawSink>(std::move(*target));
        } else {
            doc.title = "Kebir Defteri";
            doc.kind = kind;
            doc.printer = queue;
            doc.style = reports::generalLedgerPageStyle(kind, opts.fontSize);
            sink = std::make_unique<output::DocumentSink>(doc);
        }
        auto r = reports::runGeneralLedger(ds, ui, opts, kind, *sink);
        if (!r) {
            out.status = r.error();
            return;
        }
        // A cancelled sorting skips the book: nothing to show.
        if (r->has_value() && kind != output::PrinterKind::Npq) out.doc = std::move(doc);
    };
    start(std::move(body), async, yaz, "Kebir Defteri", [this] { reread(); });
}

// ---- CashBookWindow ----

CashBookWindow::CashBookWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                               BookRoutes routes, QWidget* parent)
    : BookWindow(ds, session, ui, std::move(routes), parent) {
    setWindowTitle(QStringLiteral("Kasa Defteri Filtre Ekranı"));
    hesapKodu = new PictureEdit("s18", this);
    lookup = new QPushButton(QStringLiteral("..."), this);
    baslangicTarihi = new PictureEdit("d6", this);
    bitisTarihi = new PictureEdit("d6", this);
    fontNo = new PictureEdit("n_2", this);
    fontNo->setNumber(6);
    fontLabel = new QLabel(QStringLiteral("Fnt No:"), this);
    yaz = new QPushButton(QStringLiteral("Yaz"), this);
    excel = new QPushButton(QStringLiteral("Excel"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kasa Hesap Kodu"), withButton(hesapKodu, lookup));
    form->addRow(QStringLiteral("İşlem Tarihi"), pair(this, baslangicTarihi, bitisTarihi));
    form->addRow(fontLabel, fontNo);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {yaz, excel, cikis}) buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    // The company's own cash account is the one proposed.
    if (auto books = vouchers::Books::open(ds_))
        if (auto y = books->readCompany()) hesapKodu->setTextValue(core::text::trim(y->KASAHESAPKODU));
    connect(lookup, &QPushButton::clicked, this, [this] {
        if (!routes_.pickAccount) return;
        if (auto a = routes_.pickAccount()) hesapKodu->setTextValue(core::text::trim(a->HESAPKODU));
    });
    connect(yaz, &QPushButton::clicked, this, [this] { run(false, true); });
    connect(excel, &QPushButton::clicked, this, [this] { run(true, true); });
    connect(cikis, &QPushButton::clicked, this, [this] { close(); });
}

Result<reports::CashBookOptions> CashBookWindow::options() const {
    reports::CashBookOptions o;
    o.account = hesapKodu->textValue();
    auto a = dateOf(baslangicTarihi);
    if (!a) return a.error();
    auto b = dateOf(bitisTarihi);
    if (!b) return b.error();
    o.startDate = *a;
    o.endDate = *b;
    o.reportDate = core::Date::today();
    if (auto f = fontNo->number(); f && *f >= 4 && *f <= 72) o.fontSize = static_cast<int>(*f);
    return o;
}

void CashBookWindow::run(bool toSheet, bool async) {
    if (running_) return;
    auto o = options();
    if (o) {
        if (auto st = reports::checkCashBook(ds_, *o); !st) o = st.error();
    }
    if (!o) {
        ui_.message(o.error().text, "Uyarı", app::Icon::Warning, "&Tamam", 1);
        return;
    }
    const auto opts = *o;
    const output::PrinterKind kind = toSheet ? output::PrinterKind::Ordinary : kind_;
    const std::string queue = session_.YaziciAdi();
    auto rawOpener = routes_.raw;
    Body body = [=, &ui = ui_](data::DataSet& ds, Outcome& out) {
        reports::Route route;
        route.kind = kind;
        std::unique_ptr<output::PageSink> sink;
        output::Document doc;
        output::Sheet sheet;
        if (toSheet) {
            route.sheet = &sheet;
        } else if (kind == output::PrinterKind::Npq) {
            auto target = rawOpener ? rawOpener(queue) : output::openRawQueue(queue);
            if (!target) {
                out.status = target.error();
                return;
            }
            sink = std::make_unique<output::RawSink>(std::move(*target));
        } else {
            doc.title = "Kasa Defteri";
            doc.kind = kind;
            doc.printer = queue;
            doc.style = reports::reportPageStyle(kind, reports::cashBookWidth(), opts.fontSize);
            sink = std::make_unique<output::DocumentSink>(doc);
        }
        route.sink = sink.get();
        auto r = reports::runCashBook(ds, ui, opts, route);
        if (!r) {
            out.status = r.error();
            return;
        }
        if (toSheet)
            out.sheet = std::move(sheet);
        else if (kind != output::PrinterKind::Npq)
            out.doc = std::move(doc);
    };
    start(std::move(body), async, toSheet ? excel : yaz, "Kasa Defteri");
}

// ---- registration ----

void registerLedgerBookWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    // The lookups work on the frame's own (GUI-thread) context.
    auto accounts = std::make_shared<AccountsContext>();
    auto copy = std::make_shared<accounts::CopyBuffer>();
    MainFrame* f = &frame;
    auto routesFor = [accounts, copy, f](app::ProcedureContext& c, const char* preview) {
        accounts->data = &c.data;
        accounts->session = &c.session;
        accounts->ui = &c.ui;
        accounts->rights = &c.rights;
        accounts->copy = copy.get();
        accounts->openChild = [f](const std::string& name, std::unique_ptr<QWidget> w) {
            f->openChild(name, std::move(w));
        };
        BookRoutes r;
        app::Ui* ui = &c.ui;
        r.preview = [f, ui, preview](output::Document doc) {
            f->openChild(preview, std::make_unique<PreviewWindow>(std::move(doc), *ui));
        };
        r.pickLedger = [accounts, f] { return pickAccount(*accounts, ChartListKind::Main, f); };
        r.pickAccount = [accounts, f] { return pickAccount(*accounts, ChartListKind::All, f); };
        return r;
    };
    {
        app::ProcedureSpec spec;
        spec.name = "KebirRapFiltre";
        spec.run = [f, routesFor](app::ProcedureContext& c, const app::Options&) -> Status {
            f->openChild("KebirRapFiltre",
                         std::make_unique<GeneralLedgerWindow>(c.data, c.session, c.ui,
                                                               routesFor(c, "KebirRaporu")));
            return {};
        };
        registry.add(std::move(spec));
    }
    {
        app::ProcedureSpec spec;
        spec.name = "KasaDefteriFiltre";
        spec.run = [f, routesFor](app::ProcedureContext& c, const app::Options&) -> Status {
            f->openChild("KasaDefteriFiltre",
                         std::make_unique<CashBookWindow>(c.data, c.session, c.ui,
                                                          routesFor(c, "KasaDefteriYaz")));
            return {};
        };
        registry.add(std::move(spec));
    }
}

} // namespace hk::ui
