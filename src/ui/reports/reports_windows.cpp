#include "ui/reports/reports_windows.h"

#include "app/catalogue.h"
#include "app/message.h"
#include "app/session.h"
#include "app/sheet_export.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"
#include "output/textfile.h"
#include "ui/framework/browse.h"
#include "ui/framework/browse_table.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/framework/preview.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include <cstdio>

namespace hk::ui {

using core::Error;
using core::Result;
using core::Status;

namespace {

// A pair of radio buttons "Evet" / "Hayır" in one row.
QWidget* yesNo(QWidget* parent, QRadioButton*& yes, QRadioButton*& no, bool initial) {
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    yes = new QRadioButton(QStringLiteral("Evet"), w);
    no = new QRadioButton(QStringLiteral("Hayır"), w);
    auto* g = new QButtonGroup(w);
    g->addButton(yes);
    g->addButton(no);
    (initial ? yes : no)->setChecked(true);
    l->addWidget(yes);
    l->addWidget(no);
    return w;
}

QComboBox* monthList(QWidget* parent, int selected) {
    auto* c = new QComboBox(parent);
    c->addItem(QStringLiteral(" "));
    for (int i = 1; i <= 12; ++i) c->addItem(QString::number(i));
    c->setCurrentIndex(selected);
    return c;
}

// The rights row of the defined listing reports' lists (insert, change, delete).
constexpr int kDefinedReportsMenu = 100;

std::string threeDigits(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%03d", n);
    return b;
}

} // namespace

// ---- StandardDialog ----

StandardDialog::StandardDialog(data::DataSet& ds, app::Ui& ui, const std::string& kind,
                               QWidget* parent)
    : QDialog(parent), ds_(ds), ui_(ui), kind_(kind) {
    const bool tb = kind == "1";
    setWindowTitle(tb ? QStringLiteral("Mizan Raporu Tanımla")
                      : QStringLiteral("Muavin Raporu Tanımla"));
    number = new PictureEdit("n_5", this);
    tl = new QPushButton(tb ? QStringLiteral("Tl Mizan") : QStringLiteral("Tl Muavin"), this);
    altBirim = new QPushButton(tb ? QStringLiteral("AltBirim Mizan")
                                  : QStringLiteral("AltBirim Muavin"),
                               this);
    doviz = new QPushButton(tb ? QStringLiteral("Döviz Mizan") : QStringLiteral("Döviz Muavin"),
                            this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* form = new QFormLayout;
    form->addRow(tb ? QStringLiteral("Mizan Rapor No") : QStringLiteral("Muavin Rapor No"),
                 number);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {tl, altBirim, doviz, cikis}) buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    connect(tl, &QPushButton::clicked, this, [this] { write(reports::Measure::Tl); });
    connect(altBirim, &QPushButton::clicked, this, [this] { write(reports::Measure::AltBirim); });
    connect(doviz, &QPushButton::clicked, this, [this] { write(reports::Measure::Doviz); });
    connect(cikis, &QPushButton::clicked, this, [this] { reject(); });
}

bool StandardDialog::write(reports::Measure m) {
    auto n = number->number();
    if (!n || *n < 1 || *n > 32767) {
        ui_.message("Rapor numarası 1 ile 32767 arasında olmalı", "Uyarı Ekranı",
                    app::Icon::Warning, "&Tamam", 1);
        number->setFocus();
        return false;
    }
    const int no = static_cast<int>(*n);
    auto st = kind_ == "1" ? reports::StdMizanRapor(ds_, ui_, m, no)
                           : reports::StdMuavinRapor(ds_, ui_, m, no);
    if (!st) {
        if (!st.error().shown)
            ui_.message(st.error().describe(), "Uyarı Ekranı", app::Icon::Warning, "&Tamam", 1);
        number->setTextValue("");
        number->setFocus();
        return false;
    }
    accept();
    return true;
}

// ---- FilterWindow ----

FilterWindow::FilterWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                           std::string kind, int definition, ReportRoutes routes,
                           QWidget* parent)
    : QWidget(parent), ds_(ds), session_(session), ui_(ui), kind_(std::move(kind)),
      definition_(definition), routes_(std::move(routes)) {
    const bool tb = kind_ == "1";
    setWindowTitle(tb ? QStringLiteral("Mizan Raporu Filtre Ekranı")
                      : QStringLiteral("Muavin Raporu Filtre Ekranı"));
    printerKind_ = output::printerKind(session_.YaziciAdi());
    auto* form = new QFormLayout;
    raporTarihi = new PictureEdit("d6", this);
    raporTarihi->setDate(core::Date::today());
    hesapBasi = new PictureEdit("s18", this);
    hesapSonu = new PictureEdit("s18", this);
    const int working = session_.SeciliAy() >= 1 && session_.SeciliAy() <= 12 ? session_.SeciliAy() : 1;
    baslangicAy = monthList(this, working);
    bitisAy = monthList(this, working);
    baslangicTarihi = new PictureEdit("d6", this);
    bitisTarihi = new PictureEdit("d6", this);
    excel = new QCheckBox(tb ? QStringLiteral(" Excel e Aktar") : QStringLiteral("Excel e Aktar"), this);
    dosya = new QCheckBox(tb ? QStringLiteral(" Dosya ya Aktar") : QStringLiteral("Dosya ya Aktar"), this);
    fontNo = new PictureEdit("n_2", this);
    fontNo->setNumber(6);
    fontLabel = new QLabel(QStringLiteral("Font No"), this);

    form->addRow(QStringLiteral("Rapor Tarihi"), raporTarihi);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Başı"), this));
    range->addWidget(hesapBasi);
    range->addWidget(new QLabel(QStringLiteral("Sonu"), this));
    range->addWidget(hesapSonu);
    form->addRow(QStringLiteral("Hesap Kodu"), range);
    auto* months = new QHBoxLayout;
    months->addWidget(baslangicAy);
    months->addWidget(bitisAy);
    form->addRow(tb ? QStringLiteral("Mizan Dönemi") : QStringLiteral("Muavin Dönemi"), months);
    auto* dates = new QHBoxLayout;
    dates->addWidget(baslangicTarihi);
    dates->addWidget(bitisTarihi);
    form->addRow(QStringLiteral("Tarih"), dates);
    if (tb)
        buildTrialBalance(form);
    else
        buildLedger(form);
    form->addRow(excel);
    form->addRow(dosya);
    form->addRow(fontLabel, fontNo);

    yaz = new QPushButton(QStringLiteral("Yaz"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(yaz);
    buttons->addWidget(cikis);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    // Couplings: the start sets the end; dates only while the start month is blank.
    connect(hesapBasi, &QLineEdit::editingFinished, this,
            [this] { hesapSonu->setTextValue(hesapBasi->textValue()); });
    auto datesEnabled = [this] {
        const bool on = baslangicAy->currentIndex() == 0;
        baslangicTarihi->setEnabled(on);
        bitisTarihi->setEnabled(on);
    };
    connect(baslangicAy, &QComboBox::currentIndexChanged, this, [this, datesEnabled](int i) {
        bitisAy->setCurrentIndex(i);
        datesEnabled();
    });
    datesEnabled();
    connect(baslangicTarihi, &QLineEdit::editingFinished, this, [this] {
        if (auto d = baslangicTarihi->date()) bitisTarihi->setDate(*d);
    });
    // The font controls mean nothing to the raw-printer kinds.
    const bool textPrinter = output::isTextPrinter(printerKind_);
    fontNo->setVisible(!textPrinter);
    fontLabel->setVisible(!textPrinter);
    if (!tb)
        connect(excel, &QCheckBox::toggled, this, [this](bool on) {
            yaz->setText(on ? QStringLiteral("Excel") : QStringLiteral("Yaz"));
        });
    connect(yaz, &QPushButton::clicked, this, [this] { run(true); });
    connect(cikis, &QPushButton::clicked, this, [this] { close(); });
}

void FilterWindow::buildTrialBalance(QFormLayout* form) {
    seviye = new QComboBox(this);
    for (const char* s : {"C", "S", "1", "2", "3", "4", "5", "6", "7", "8"}) seviye->addItem(s);
    seviye->setCurrentIndex(9);
    form->addRow(QStringLiteral("Hesap Kodu Seviyesi"), seviye);
    auto* style = new QWidget(this);
    auto* sl = new QHBoxLayout(style);
    sl->setContentsMargins(0, 0, 0, 0);
    cift = new QRadioButton(QStringLiteral("Çift"), style);
    tek = new QRadioButton(QStringLiteral("Tek"), style);
    auto* sg = new QButtonGroup(style);
    sg->addButton(cift);
    sg->addButton(tek);
    tek->setChecked(true);
    sl->addWidget(cift);
    sl->addWidget(tek);
    form->addRow(QStringLiteral("Kebir Mizan Bakiye Şekli?"), style);
    auto* status = new QWidget(this);
    auto* stl = new QHBoxLayout(status);
    stl->setContentsMargins(0, 0, 0, 0);
    calismis = new QRadioButton(QStringLiteral("Çalışmış Hesaplar"), status);
    bakiyeVeren = new QRadioButton(QStringLiteral("Bakiye Verenler"), status);
    tum = new QRadioButton(QStringLiteral("Tüm Hesaplar"), status);
    auto* stg = new QButtonGroup(status);
    for (auto* b : {calismis, bakiyeVeren, tum}) {
        stg->addButton(b);
        stl->addWidget(b);
    }
    calismis->setChecked(true);
    form->addRow(QStringLiteral("Mizan Bakiye Durumu?"), status);
    form->addRow(QStringLiteral("Açılış Fişi Dahilmi"), yesNo(this, acilisEvet, acilisHayir, true));
    form->addRow(QStringLiteral("Kapanış Fişi Dahilmi"),
                 yesNo(this, kapanisEvet, kapanisHayir, false));
    yansitmaHaric = new QCheckBox(QStringLiteral(" Yansıtma Hariç"), this);
    mizanDuzenle = new QCheckBox(QStringLiteral(" Mizan Düzenle"), this);
    cerceve = new QCheckBox(QStringLiteral(" Çerçeve Sınıf Dahil"), this);
    form->addRow(yansitmaHaric);
    form->addRow(mizanDuzenle);
    form->addRow(cerceve);
    connect(yansitmaHaric, &QCheckBox::toggled, mizanDuzenle, &QCheckBox::setChecked);
    connect(cerceve, &QCheckBox::toggled, this,
            [this](bool on) { (on ? cift : tek)->setChecked(true); });
}

void FilterWindow::buildLedger(QFormLayout* form) {
    form->addRow(QStringLiteral("Kebir Muavin Çekilsinmi?"),
                 yesNo(this, kebirEvet, kebirHayir, false));
    form->addRow(QStringLiteral("Ay Toplamı Alınacakmı?"),
                 yesNo(this, ayToplamEvet, ayToplamHayir, true));
    form->addRow(QStringLiteral("Açılış Fişi Dahilmi?"), yesNo(this, acilisEvet, acilisHayir, true));
    form->addRow(QStringLiteral("Kapanış Fişi Dahilmi?"),
                 yesNo(this, kapanisEvet, kapanisHayir, false));
    form->addRow(QStringLiteral("İptal Fişler Dahilmi?"), yesNo(this, iptalEvet, iptalHayir, false));
    ayriSayfa = new QCheckBox(QStringLiteral(" Her Muavin Ayrı Sayfaya Yazılsın"), this);
    calisanHesaplar = new QCheckBox(QStringLiteral(" Çalışan Muavin Hesaplar Yazılsın"), this);
    kumulatif = new QCheckBox(QStringLiteral(" Her Ayın Sonunda Kümülatif Toplam Alınsın"), this);
    for (auto* c : {ayriSayfa, calisanHesaplar, kumulatif}) {
        c->setChecked(true);
        form->addRow(c);
    }
    connect(kebirEvet, &QRadioButton::toggled, this,
            [this](bool on) { calisanHesaplar->setChecked(!on); });
}

bool FilterWindow::monthMode() const {
    return baslangicAy->currentIndex() != 0;
}

Result<reports::TrialBalanceRun> FilterWindow::trialBalanceOptions() const {
    reports::TrialBalanceRun r;
    auto& o = r.options;
    if (monthMode()) {
        o.startMonth = baslangicAy->currentIndex();
        o.endMonth = bitisAy->currentIndex();
    } else {
        auto a = baslangicTarihi->date();
        auto b = bitisTarihi->date();
        if (a) o.startDate = *a;
        if (b) o.endDate = *b;
    }
    o.accountStart = hesapBasi->textValue();
    o.accountEnd = hesapSonu->textValue();
    o.level = seviye->currentText().toStdString()[0];
    o.style = cift->isChecked() ? 'C' : 'T';
    o.status = calismis->isChecked() ? 'C' : bakiyeVeren->isChecked() ? 'B' : 'T';
    o.opening = acilisEvet->isChecked();
    o.closing = kapanisEvet->isChecked();
    o.frame = cerceve->isChecked();
    if (auto d = raporTarihi->date()) o.reportDate = *d;
    if (auto f = fontNo->number(); f && *f >= 4 && *f <= 72) o.fontSize = static_cast<int>(*f);
    r.rebuild = mizanDuzenle->isChecked();
    r.leaveOutYan = yansitmaHaric->isChecked();
    if (auto st = reports::checkOptions(o); !st) return st.error();
    return r;
}

Result<reports::LedgerOptions> FilterWindow::ledgerOptions() const {
    reports::LedgerOptions o;
    if (monthMode()) {
        o.startMonth = baslangicAy->currentIndex();
        o.endMonth = bitisAy->currentIndex();
    } else {
        auto a = baslangicTarihi->date();
        auto b = bitisTarihi->date();
        if (a) o.startDate = *a;
        if (b) o.endDate = *b;
    }
    o.accountStart = hesapBasi->textValue();
    o.accountEnd = hesapSonu->textValue();
    o.kebir = kebirEvet->isChecked();
    o.monthTotals = ayToplamEvet->isChecked();
    o.opening = acilisEvet->isChecked();
    o.closing = kapanisEvet->isChecked();
    o.cancelled = iptalEvet->isChecked();
    o.pagePerAccount = ayriSayfa->isChecked();
    o.onlyActive = calisanHesaplar->isChecked();
    o.cumulativeEachMonth = kumulatif->isChecked();
    if (auto d = raporTarihi->date()) o.reportDate = *d;
    if (auto f = fontNo->number(); f && *f >= 4 && *f <= 72) o.fontSize = static_cast<int>(*f);
    return o;
}

void FilterWindow::run(bool async) {
    if (running_) return;
    const bool tb = kind_ == "1";
    std::optional<reports::TrialBalanceRun> tbRun;
    std::optional<reports::LedgerOptions> ledger;
    if (tb) {
        auto o = trialBalanceOptions();
        if (!o) {
            ui_.message(o.error().text, "Uyarı", app::Icon::Warning, "&Tamam", 1);
            return;
        }
        tbRun = *o;
    } else {
        auto o = ledgerOptions();
        if (!o) {
            ui_.message(o.error().text, "Uyarı", app::Icon::Warning, "&Tamam", 1);
            return;
        }
        ledger = *o;
    }
    const bool toFile = dosya->isChecked();
    const bool toSheet = excel->isChecked() && !toFile;
    const output::PrinterKind kind = printerKind_;
    const std::string queue = session_.YaziciAdi();
    const std::filesystem::path file =
        ds_.locations().dataFolder() /
        ((tb ? "RMiz" : "RMua") + threeDigits(definition_) + ".Txt");
    auto rawOpener = routes_.raw;
    reports::DefinitionChoice def;
    def.number = definition_;

    struct Outcome {
        core::Status status;
        std::optional<output::Document> doc;
        std::optional<output::Sheet> sheet;
    };
    auto outcome = std::make_shared<Outcome>();
    // The body outlives nothing but the Ui port: the window may close while it runs.
    auto body = [=, &ui = ui_](data::DataSet& ds) {
        reports::Route route;
        route.kind = toFile || toSheet ? output::PrinterKind::Ordinary : kind;
        std::unique_ptr<output::PageSink> sink;
        output::Document doc;
        output::Sheet sheet;
        if (toSheet) {
            route.sheet = &sheet;
        } else if (toFile) {
            auto s = output::TextFileSink::open(file);
            if (!s) {
                outcome->status = s.error();
                return;
            }
            sink = std::move(*s);
            route.textFile = true;
        } else if (kind == output::PrinterKind::Npq) {
            auto target = rawOpener ? rawOpener(queue) : output::openRawQueue(queue);
            if (!target) {
                outcome->status = target.error();
                return;
            }
            sink = std::make_unique<output::RawSink>(std::move(*target));
        } else {
            doc.title = tb ? "Mizan Raporu" : "Muavin Raporu";
            doc.kind = kind;
            doc.printer = queue;
            sink = std::make_unique<output::DocumentSink>(doc);
        }
        route.sink = sink.get();
        core::Status st;
        if (tb) {
            doc.style = reports::reportPageStyle(kind, 200, tbRun->options.fontSize);
            auto r = reports::runTrialBalance(ds, ui, def, *tbRun, route);
            if (!r) st = r.error();
        } else {
            doc.style = reports::reportPageStyle(kind, 200, ledger->fontSize);
            auto r = reports::runLedger(ds, ui, def, *ledger, route);
            if (!r) st = r.error();
        }
        outcome->status = st;
        if (!st) return;
        if (toSheet) outcome->sheet = std::move(sheet);
        if (!toSheet && !toFile && kind != output::PrinterKind::Npq) outcome->doc = std::move(doc);
    };
    auto done = [this, outcome] {
        running_ = false;
        yaz->setEnabled(true);
        if (!outcome->status) {
            if (!outcome->status.error().shown)
                ui_.message(outcome->status.error().text, "Uyarı", app::Icon::Warning, "&Tamam",
                            1);
        } else if (outcome->doc && !outcome->doc->pages.empty()) {
            // An empty run has already said so; an empty preview would only repeat it.
            if (routes_.preview) routes_.preview(std::move(*outcome->doc));
        } else if (outcome->sheet) {
            if (routes_.sheet)
                routes_.sheet(std::move(*outcome->sheet));
            else if (auto p = app::exportReport(*outcome->sheet, {}); !p)
                ui_.message(p.error().text, "Excel", app::Icon::Warning, "&Tamam", 1);
        }
        emit finished();
    };
    running_ = true;
    yaz->setEnabled(false);
    if (!async) {
        body(ds_);
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
        body(*ds);
    });
    connect(t, &QThread::finished, this, [t, done] {
        done();
        t->deleteLater();
    });
    t->start();
}

// ---- ReportListWindow ----

ReportListWindow::ReportListWindow(data::DataSet& ds, app::Session&, app::Ui& ui,
                                   std::string kind, std::function<void(int)> openFilter,
                                   const app::RightsService* rights, QWidget* parent)
    : QWidget(parent), ds_(ds), ui_(ui), kind_(std::move(kind)),
      openFilter_(std::move(openFilter)) {
    setWindowTitle(kind_ == "1" ? QStringLiteral("Tanımlanabilir Mizan Raporları")
                                : QStringLiteral("Tanımlanabilir Muavin Raporları"));
    using R = data::Rapor;
    std::vector<Column<R>> cols = {
        {QStringLiteral("No"), 6, "n_5", [](const R& r) { return Cell(double(r.RAPNO)); }},
        {QStringLiteral("Ad"), 35, "s35", [](const R& r) { return Cell(r.AD); }},
        {QStringLiteral("Uzunluk"), 7, "n_5", [](const R& r) { return Cell(double(r.UZUNLUK)); }}};
    std::vector<KeyOrder<R>> orders = {{"RAP:RapKodKey", [](R& r, const std::string& t) {
                                            try {
                                                r.RAPNO = static_cast<std::int16_t>(std::stoi(t));
                                                return true;
                                            } catch (...) {
                                                return false;
                                            }
                                        }}};
    auto table = ds_.open<R>();
    auto source = std::make_shared<TableSource<R>>(table ? std::move(*table)
                                                         : data::TypedTable<R>(),
                                                   std::move(orders), std::move(cols));
    KeyRange<R> range;
    range.low.RAPKOD = range.high.RAPKOD = kind_;
    range.low.RAPNO = -32768;
    range.high.RAPNO = 32767;
    range.fixedParts = 1;
    source->setRange(range);
    list = new BrowsePanel(source, {QStringLiteral("No")}, ui_, this);
    // The definition editors are their own procedure; until it is in the catalogue its buttons
    // say so with message 24.
    auto editor = [this] {
        app::MessageArgs a;
        a.procedure = "TnmRapor";
        app::raise(ui_, 24, a);
        return false;
    };
    list->onInsert = editor;
    list->onChange = [editor](const BrowseRow&) { return editor(); };
    list->onRemove = [this](const BrowseRow&) -> Status {
        app::MessageArgs a;
        a.procedure = "TnmRapor";
        app::raise(ui_, 24, a);
        return Error::refused("TnmRapor", true);
    };
    if (rights)
        list->applyRights(*rights, kDefinedReportsMenu, false);
    else
        list->allowAll();
    standard = list->addButton(QStringLiteral("Std.Rapor"));
    yazdir = list->addButton(QStringLiteral("&Yazdır"));
    // "Std.Rapor" writes a new definition, so it goes with the right to insert one. Printing
    // needs no right beyond the menu item that opened the list.
    standard->setVisible(list->rights().insert);
    standard->setEnabled(list->rights().insert);
    auto* top = new QVBoxLayout(this);
    top->addWidget(list);
    connect(standard, &QPushButton::clicked, this, [this] { openStandard(); });
    connect(yazdir, &QPushButton::clicked, this, [this] { print(); });
    list->reload();
}

void ReportListWindow::openStandard() {
    if (!list->rights().insert) return;
    StandardDialog d(ds_, ui_, kind_, this);
    if (d.exec() == QDialog::Accepted) list->reload();
}

void ReportListWindow::print() {
    const BrowseRow* row = list->selected();
    if (!row) return;
    const auto& r = TableSource<data::Rapor>::record(*row);
    if (openFilter_) openFilter_(r.RAPNO);
}

void registerReportWindows(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec spec;
    spec.name = "TnmRaporlar";
    spec.run = [&frame](app::ProcedureContext& c, const app::Options& o) -> core::Status {
        data::DataSet& ds = c.data;
        app::Session& session = c.session;
        app::Ui& ui = c.ui;
        const std::string kind = o.argument == "2" ? "2" : "1";
        auto openFilter = [&ds, &session, &ui, &frame, kind](int number) {
            ReportRoutes routes;
            const std::string name = kind == "1" ? "TnmMizanRaporu" : "TnmMuavinRaporu";
            routes.preview = [&frame, &ui, name](output::Document doc) {
                frame.openChild(name, std::make_unique<PreviewWindow>(std::move(doc), ui));
            };
            frame.openChild(kind == "1" ? "TnmMizanFiltre" : "TnmMuavinFiltre",
                            std::make_unique<FilterWindow>(ds, session, ui, kind, number,
                                                           std::move(routes)));
        };
        frame.openChild("TnmRaporlar" + kind,
                        std::make_unique<ReportListWindow>(ds, session, ui, kind, openFilter,
                                                           &c.rights));
        return {};
    };
    registry.add(std::move(spec));
}

} // namespace hk::ui
