#include "ui/journal/journal_window.h"

#include "app/catalogue.h"
#include "app/session.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"
#include "journal/eledger.h"
#include "journal/report.h"
#include "journal/tools.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/framework/preview.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

namespace hk::ui {

namespace pic = core::picture;
namespace text = core::text;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// An E/H option as two radio buttons in a row.
QWidget* yesNo(QWidget* parent, QRadioButton*& evet, QRadioButton*& hayir, bool yes) {
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    evet = new QRadioButton(QStringLiteral("Evet"), w);
    hayir = new QRadioButton(QStringLiteral("Hayır"), w);
    auto* g = new QButtonGroup(w);
    g->addButton(evet);
    g->addButton(hayir);
    (yes ? evet : hayir)->setChecked(true);
    l->addWidget(evet);
    l->addWidget(hayir);
    l->addStretch();
    return w;
}

} // namespace

JournalWindow::JournalWindow(data::DataSet& ds, app::Session& session, app::Ui& ui,
                             JournalRoutes routes, QWidget* parent)
    : QWidget(parent), ds_(ds), session_(session), ui_(ui), routes_(std::move(routes)) {
    setWindowTitle(QStringLiteral("Yevmiye Raporu Filtre Ekranı"));
    kind_ = output::journalPrinterKind(session_.YaziciAdi());
    build();
    reread();
}

void JournalWindow::build() {
    auto* form = new QFormLayout;
    sonAy = new QLabel(this);
    sonNo = new QLabel(this);
    devredenBorc = new QLabel(this);
    devredenAlacak = new QLabel(this);
    form->addRow(QStringLiteral("Yevmiyesi Çekilen Son Dönem"), sonAy);
    form->addRow(QStringLiteral("Son Yevmiye Numarası"), sonNo);
    form->addRow(QStringLiteral("Devreden Borç Tutarı"), devredenBorc);
    form->addRow(QStringLiteral("Devreden Alacak Tutarı"), devredenAlacak);
    ay = new QComboBox(this);
    for (int i = 1; i <= 12; ++i)
        ay->addItem(QString::number(i));
    form->addRow(QStringLiteral("Yevmiye Çekilecek Dönem"), ay);
    dates_ = new QLabel(this);
    form->addRow(QString(), dates_);
    sonTarih = new PictureEdit("d6", this);
    form->addRow(QStringLiteral("Yevmiye Çekilecek Son Tarih"), sonTarih);
    baslangicSayfa = new PictureEdit("n5", this);
    baslangicSayfa->setNumber(1);
    form->addRow(QStringLiteral("Başlangıç Sayfa No"), baslangicSayfa);
    form->addRow(QStringLiteral("Yevmiye Tastikli Kağıda mı Çekiliyor"),
                 yesNo(this, tastikliEvet, tastikliHayir, false));
    form->addRow(QStringLiteral("Açılış Fişi Dahilmi"), yesNo(this, acilisEvet, acilisHayir, true));
    form->addRow(QStringLiteral("Kapanış Fişi Dahilmi"),
                 yesNo(this, kapanisEvet, kapanisHayir, false));
    kebirBazinda = new QCheckBox(QStringLiteral(" Kebir Bazında Yevmiye Yaz"), this);
    yenidenYaz = new QCheckBox(QStringLiteral("YenidenYaz"), this);
    sayfaAdedi = new QCheckBox(QStringLiteral(" Gerekli Sayfa Adedini Bul"), this);
    form->addRow(kebirBazinda);
    form->addRow(yenidenYaz);
    form->addRow(sayfaAdedi);

    auto* edefter = new QGroupBox(QStringLiteral("eDefter Tanımları"), this);
    auto* ef = new QFormLayout(edefter);
    varsayilanlar = new QCheckBox(
        QStringLiteral(" Edefter Sahaları Boş İse Fiş Başlık Bilgilerinden Oluştur."), edefter);
    ef->addRow(varsayilanlar);
    kayitEden = new PictureEdit("s30", edefter);
    ef->addRow(QStringLiteral("Eski Fişlerde Kayıt Eden Kişi"), kayitEden);
    subeKodu = new PictureEdit("n_4", edefter);
    ef->addRow(QStringLiteral("Şube Kodu"), subeKodu);
    kontrol = new QPushButton(QStringLiteral("EDefter Kontrol "), edefter);
    ef->addRow(kontrol);
    const auto e = session_.edefter();
    kayitEden->setTextValue(e.EdefterKayitEden);
    subeKodu->setNumber(e.SubeKodu);
    form->addRow(edefter);

    fontLabel = new QLabel(QStringLiteral("Font No"), this);
    fontNo = new PictureEdit("n2", this);
    fontNo->setNumber(6);
    form->addRow(fontLabel, fontNo);
    // Text printers print in their own character set: no font, and no page count by the
    // preview's page size.
    const bool textPrinter = kind_ != output::PrinterKind::Ordinary;
    fontLabel->setVisible(!textPrinter);
    fontNo->setVisible(!textPrinter);
    sayfaAdedi->setVisible(!textPrinter);

    auto* buttons = new QHBoxLayout;
    yaz = new QPushButton(QStringLiteral("Yaz"), this);
    idea = new QPushButton(QStringLiteral("İdea"), this);
    efinans = new QPushButton(QStringLiteral("eFinans"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    for (auto* b : {yaz, idea, efinans, cikis})
        buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);

    connect(ay, QOverload<int>::of(&QComboBox::activated), this, [this] { monthAccepted(); });
    connect(sonTarih, &QLineEdit::editingFinished, this, [this] { endDateAccepted(); });
    connect(yaz, &QPushButton::clicked, this, [this] { print(); });
    connect(idea, &QPushButton::clicked, this, [this] { exportXml(); });
    connect(efinans, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(kontrol, &QPushButton::clicked, this, [this] { openCheck(); });
    connect(cikis, &QPushButton::clicked, this, [this] {
        if (parentWidget()) parentWidget()->close();
        close();
    });
}

int JournalWindow::month() const {
    return ay->currentIndex() + 1;
}

void JournalWindow::setMonth(int m) {
    ay->setCurrentIndex(std::clamp(m, 1, 12) - 1);
    showDates();
}

void JournalWindow::reread() {
    auto f = ds_.open<data::Yasal>();
    if (f) {
        auto y = journal::readCompany(*f);
        if (y) company_ = *y;
    }
    const auto s = journal::JournalState::of(company_);
    sonAy->setText(q(pic::format(s.lastMonth, "n2")));
    sonNo->setText(q(pic::format(s.lastNumber, "n_5")));
    devredenBorc->setText(q(pic::format(s.debit, "n18.2")));
    devredenAlacak->setText(q(pic::format(s.credit, "n18.2")));
    setMonth(journal::proposedMonth(s));
}

void JournalWindow::showDates() {
    const auto md = journal::monthDates(company_, month());
    start_ = md.start;
    end_ = md.end;
    dates_->setText(q(pic::format(start_, "d6") + " - " + pic::format(end_, "d6")));
}

void JournalWindow::monthAccepted() {
    const auto s = journal::JournalState::of(company_);
    if (month() < s.lastMonth) setMonth(s.lastMonth);
    showDates();
}

bool JournalWindow::endDateAccepted() {
    auto d = sonTarih->date();
    if (!d || !d->isSet()) return true;
    const auto md = journal::monthDates(company_, month());
    if (d->month != md.calendarMonth || d->year != md.start.year) {
        ui_.message(journal::kOtherPeriodDate, "Uyarı", app::Icon::Warning, "&Tamam", 1);
        sonTarih->setFocus();
        return false;
    }
    return true;
}

bool JournalWindow::monthAllowed() {
    const auto s = journal::JournalState::of(company_);
    const int allowed = journal::allowedMonth(s, month());
    if (allowed == month()) return true;
    setMonth(allowed);
    ay->setFocus();
    return false;
}

journal::RunOptions JournalWindow::runOptions() const {
    journal::RunOptions o;
    o.month = month();
    if (auto d = sonTarih->date(); d) o.endDate = *d;
    if (auto n = fontNo->number(); n && *n > 0) o.fontSize = static_cast<int>(*n);
    if (auto n = baslangicSayfa->number(); n && *n >= 1) o.firstPage = static_cast<int>(*n);
    o.reprint = yenidenYaz->isChecked();
    o.mainOnly = kebirBazinda->isChecked();
    o.pageCount = sayfaAdedi->isVisible() && sayfaAdedi->isChecked();
    o.certified = tastikliEvet->isChecked();
    o.includeOpening = acilisEvet->isChecked();
    o.includeClosing = kapanisEvet->isChecked();
    return o;
}

void JournalWindow::rememberEdefter() {
    auto e = session_.edefter();
    e.EdefterKayitEden = kayitEden->textValue();
    if (auto n = subeKodu->number(); n) e.SubeKodu = static_cast<int>(*n);
    session_.setEdefter(e);
}

void JournalWindow::print() {
    if (!monthAllowed() || !endDateAccepted()) return;
    const auto o = runOptions();
    core::Status st;
    if (kind_ == output::PrinterKind::Npq) {
        auto target = routes_.raw ? routes_.raw(session_.YaziciAdi())
                                  : output::openRawQueue(session_.YaziciAdi());
        if (!target) {
            st = target.error();
        } else {
            output::RawSink sink(std::move(*target));
            auto r = journal::YevmiyeRaporu(ds_, ui_, o, kind_, sink);
            if (!r) st = r.error();
        }
    } else {
        output::Document doc;
        doc.title = "Yevmiye Raporu";
        doc.kind = kind_;
        doc.printer = session_.YaziciAdi();
        doc.style = journal::pageStyle(kind_, o.fontSize);
        output::DocumentSink sink(doc);
        auto r = journal::YevmiyeRaporu(ds_, ui_, o, kind_, sink);
        if (!r)
            st = r.error();
        else if (!doc.pages.empty() && routes_.preview)
            routes_.preview(std::move(doc));
    }
    if (!st && !st.error().shown)
        ui_.message(st.error().text, "Yevmiye Raporu", app::Icon::Warning, "&Tamam", 1);
    reread();
}

void JournalWindow::exportXml() {
    if (!monthAllowed() || !endDateAccepted()) return;
    rememberEdefter();
    journal::ExportOptions o;
    o.run = runOptions();
    o.recorder = kayitEden->textValue();
    o.folder = ds_.locations().dataFolder();
    auto r = journal::YevmiyeRaporuXML(ds_, ui_, o);
    if (r) {
        auto e = session_.edefter();
        e.EdefterDosyasi = r->file.string();
        session_.setEdefter(e);
    } else if (!r.error().shown) {
        ui_.message(r.error().text, "İdea", app::Icon::Warning, "&Tamam", 1);
    }
    reread();
}

void JournalWindow::exportCsv() {
    if (!monthAllowed() || !endDateAccepted()) return;
    rememberEdefter();
    journal::ExportOptions o;
    o.run = runOptions();
    o.recorder = kayitEden->textValue();
    if (auto n = subeKodu->number(); n) o.branch = static_cast<int>(*n);
    o.fillDefaults = varsayilanlar->isChecked();
    o.folder = ds_.locations().dataFolder();
    auto r = journal::YevmiyeRaporuCSV(ds_, ui_, o);
    if (r) {
        auto e = session_.edefter();
        e.EdefterDosyasi = r->file.string();
        session_.setEdefter(e);
    } else if (!r.error().shown) {
        ui_.message(r.error().text, "eFinans", app::Icon::Warning, "&Tamam", 1);
    }
    reread();
}

void JournalWindow::openCheck() {
    JournalCheckWindow w(ds_, this);
    w.exec();
}

namespace {

// The Ui of the check's thread: its progress texts go to the status line of the window.
class StatusUi final : public app::Ui {
  public:
    explicit StatusUi(QLabel* status) : status_(status) {}
    int message(const std::string&, const std::string&, app::Icon, const std::string&,
                int) override {
        return 1;
    }
    void progress(const std::string& text, int) override {
        QMetaObject::invokeMethod(
            status_, [s = status_, t = q(text)] { s->setText(t); }, Qt::QueuedConnection);
    }
    void progressDone() override {}
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string&, const std::string&, bool) override { return {}; }
    int pick(const std::string&, const std::vector<std::string>&) override { return -1; }

  private:
    QLabel* status_;
};

} // namespace

JournalCheckWindow::JournalCheckWindow(data::DataSet& ds, QWidget* parent)
    : QDialog(parent), ds_(ds) {
    setWindowTitle(QStringLiteral("EDefter Kontrol Ekranı"));
    list = new QPlainTextEdit(this);
    list->setPlainText(q(journal::kCheckListStart));
    status = new QLabel(this);
    kontrol = new QPushButton(QStringLiteral("EDefter Kontrol"), this);
    clipboard = new QPushButton(QStringLiteral("ClipBoard"), this);
    cikis = new QPushButton(QStringLiteral("Çıkış"), this);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {kontrol, clipboard, cikis})
        buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->addWidget(list);
    top->addWidget(status);
    top->addLayout(buttons);
    connect(kontrol, &QPushButton::clicked, this, [this] { run(); });
    connect(clipboard, &QPushButton::clicked, this, [this] { copy(); });
    connect(cikis, &QPushButton::clicked, this, [this] { reject(); });
    resize(640, 400);
}

JournalCheckWindow::~JournalCheckWindow() {
    if (thread_) thread_->wait();
}

void JournalCheckWindow::run() {
    if (thread_) return;
    kontrol->setEnabled(false);
    auto where = ds_.locations();
    auto result = std::make_shared<core::Result<std::string>>(std::string());
    thread_ = QThread::create([where, result, s = status] {
        // A data set of its own: connections are not shared between threads.
        auto ds = data::DataSet::open(where);
        if (!ds) {
            *result = ds.error();
            return;
        }
        StatusUi ui(s);
        *result = journal::belgeTipiKontrol(*ds, ui);
    });
    connect(thread_, &QThread::finished, this, [this, result] {
        if (*result) {
            list->setPlainText(q(**result));
            status->setText(QStringLiteral("İşlem Tamamlandı."));
        } else {
            list->setPlainText(
                q(std::string(journal::kCheckListStart) + "\n" + result->error().describe()));
            status->setText(q(result->error().describe()));
        }
        thread_->deleteLater();
        thread_ = nullptr;
        kontrol->setEnabled(true);
    });
    thread_->start();
}

void JournalCheckWindow::copy() {
    QApplication::clipboard()->setText(list->toPlainText());
}

void registerJournalWindow(app::ProcedureRegistry& registry, MainFrame& frame) {
    app::ProcedureSpec spec;
    spec.name = "YevmiyeRapFiltre";
    spec.run = [&frame](app::ProcedureContext& c, const app::Options&) -> core::Status {
        app::Ui& ui = c.ui;
        JournalRoutes routes;
        routes.preview = [&frame, &ui](output::Document doc) {
            frame.openChild("YevmiyeRaporu", std::make_unique<PreviewWindow>(std::move(doc), ui));
        };
        frame.openChild("YevmiyeRapFiltre",
                        std::make_unique<JournalWindow>(c.data, c.session, ui, std::move(routes)));
        return {};
    };
    registry.add(std::move(spec));
}

} // namespace hk::ui
