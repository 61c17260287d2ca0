#include "ui/shell/yasal.h"

#include "app/message.h"
#include "app/procedure.h"
#include "app/company.h"
#include "app/session.h"
#include "data/dataset.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"
#include "ui/framework/geometry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace hk::ui {
namespace {

QComboBox* evetHayir(QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->addItems({QStringLiteral("Evet"), QStringLiteral("Hayır")});
    return c;
}

} // namespace

YasalWindow::YasalWindow(data::TypedTable<data::Yasal> file, app::Ui& ui,
                         std::function<void(const data::Yasal&)> saved, QWidget* parent)
    : QDialog(parent), file_(std::move(file)), ui_(ui), saved_(std::move(saved)) {
    setWindowTitle(QStringLiteral("Şirket Yasal Tanımları"));
    build();
    declare();
    auto rec = app::company::loadOrCreate(file_);
    if (!rec) {
        reportError(ui_, rec.error(), 19);
        ok_->setEnabled(false);
        return;
    }
    rec_ = rec.value();
    loaded_ = true;
    display(rec_);
    locked_ = app::company::numberingLocked(rec_);
    for (QWidget* w : {static_cast<QWidget*>(donemBas), static_cast<QWidget*>(donemSon),
                       static_cast<QWidget*>(duzenBox), static_cast<QWidget*>(siraBox)})
        w->setEnabled(!locked_);
}

void YasalWindow::build() {
    tabs_ = new QTabWidget(this);

    // Şirket Genel Tanımları
    auto* genel = new QWidget(tabs_);
    auto* g = new QFormLayout(genel);
    unvan = new PictureEdit("s80", genel);
    g->addRow(QStringLiteral("Şirket Ünvanı "), unvan);
    adres1 = new PictureEdit("s35", genel);
    adres2 = new PictureEdit("s35", genel);
    auto* adres = new QVBoxLayout;
    adres->addWidget(adres1);
    adres->addWidget(adres2);
    g->addRow(QStringLiteral("Şirket Adresi "), adres);
    vdAdi = new PictureEdit("s20", genel);
    vdNo = new PictureEdit("s10", genel);
    auto* vd = new QHBoxLayout;
    vd->addWidget(vdAdi, 2);
    vd->addWidget(vdNo, 1);
    g->addRow(QStringLiteral("Vergi Dairesi Adı / No"), vd);
    vdIl = new PictureEdit("s20", genel);
    g->addRow(QStringLiteral("Vergi Dairesi İli"), vdIl);
    telefon = new PictureEdit("P(###)-#######PB", genel);
    g->addRow(QStringLiteral("Şirket Telefonu"), telefon);
    sicilNo = new PictureEdit("s20", genel);
    g->addRow(QStringLiteral("Ticaret Sicil No:"), sicilNo);
    mersisNo = new PictureEdit("s20", genel);
    g->addRow(QStringLiteral("Mersis No:"), mersisNo);
    web = new PictureEdit("s99", genel);
    g->addRow(QStringLiteral("Web:"), web);
    smmmAd = new PictureEdit("s25", genel);
    g->addRow(QStringLiteral("SM/SMMM Ad Soyadı"), smmmAd);
    smmmVkn = new PictureEdit("s10", genel);
    g->addRow(QStringLiteral("SM/SMMM Vergi Kimlik Numarası"), smmmVkn);
    tabs_->addTab(genel, QStringLiteral("Şirket Genel Tanımları"));

    // Mali Dönem
    auto* donem = new QWidget(tabs_);
    auto* d = new QFormLayout(donem);
    donemBas = new PictureEdit("d6", donem);
    d->addRow(QStringLiteral("Mali Dönem Başlangıç Tarihi"), donemBas);
    donemSon = new PictureEdit("d6", donem);
    d->addRow(QStringLiteral("Mali Dönem Bitiş Tarihi"), donemSon);
    duzenBox = new QGroupBox(QStringLiteral("Fiş Numaralama Düzeni ?"), donem);
    auto* dl = new QVBoxLayout(duzenBox);
    birArada = new QRadioButton(QStringLiteral("Mahsup Tahsil Tediye Bir Arada"), duzenBox);
    ayriAyri = new QRadioButton(QStringLiteral("Mahsup Tahsil Tediye Ayrı Ayrı"), duzenBox);
    dl->addWidget(birArada);
    dl->addWidget(ayriAyri);
    d->addRow(duzenBox);
    siraBox = new QGroupBox(QStringLiteral("Fiş Numaralama Düzeni ?"), donem);
    auto* sl = new QVBoxLayout(siraBox);
    herAy = new QRadioButton(QStringLiteral("Her Ay Birden Başlar"), siraBox);
    herGun = new QRadioButton(QStringLiteral("Her Gün Birden Başlar"), siraBox);
    sl->addWidget(herAy);
    sl->addWidget(herGun);
    d->addRow(siraBox);
    tabs_->addTab(donem, QStringLiteral("Mali Dönem"));
    connect(donemBas, &QLineEdit::editingFinished, this, [this] {
        if (donemBas->isModified()) startDateEntered();
        donemBas->setModified(false);
    });

    // Fiş Tanımları
    auto* fis = new QWidget(tabs_);
    auto* f = new QVBoxLayout(fis);
    detaySirala = new QCheckBox(QStringLiteral(" Fiş Detay Satırları Otomatik Sıralansın"), fis);
    otomatikKapa =
        new QCheckBox(QStringLiteral(" Fiş Değişikliğinde, Tahsil Tediye Otomatik Kapansın"), fis);
    f->addWidget(detaySirala);
    f->addWidget(otomatikKapa);
    auto* kasa = new QFormLayout;
    kasaKodu = new PictureEdit("s18", fis);
    kasa->addRow(QStringLiteral("Kasa Hesap Kodu"), kasaKodu);
    f->addLayout(kasa);
    auto* kdv = new QGridLayout;
    kdv->addWidget(new QLabel(QStringLiteral("Ödenecek KDV Hesap Kodu %Oranı"), fis), 0, 0, 1, 2);
    kdv->addWidget(new QLabel(QStringLiteral("İndirilecek KDV Hesap Kodu  %Oranı"), fis), 0, 2, 1,
                   2);
    for (int i = 0; i < 5; ++i) {
        const auto k = static_cast<std::size_t>(i);
        odenecekKod[k] = new PictureEdit("s18", fis);
        odenecekOran[k] = new PictureEdit("n_3", fis);
        indirilecekKod[k] = new PictureEdit("s18", fis);
        indirilecekOran[k] = new PictureEdit("n_3", fis);
        kdv->addWidget(odenecekKod[k], i + 1, 0);
        kdv->addWidget(odenecekOran[k], i + 1, 1);
        kdv->addWidget(indirilecekKod[k], i + 1, 2);
        kdv->addWidget(indirilecekOran[k], i + 1, 3);
    }
    f->addLayout(kdv);
    f->addStretch(1);
    tabs_->addTab(fis, QStringLiteral("Fiş Tanımları"));

    // Fiş Onay Tanımları
    auto* onay = new QWidget(tabs_);
    auto* o = new QVBoxLayout(onay);
    auto* imza = new QGridLayout;
    imza->addWidget(new QLabel(QStringLiteral("Ünvanı"), onay), 0, 0);
    imza->addWidget(new QLabel(QStringLiteral("Adı Soyadı"), onay), 0, 1);
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<std::size_t>(i);
        imzaUnvan[k] = new PictureEdit("s30", onay);
        imzaAd[k] = new PictureEdit("s30", onay);
        imza->addWidget(imzaUnvan[k], i + 1, 0);
        imza->addWidget(imzaAd[k], i + 1, 1);
    }
    o->addLayout(imza);
    auto* of = new QFormLayout;
    grubYaz = evetHayir(onay);
    of->addRow(QStringLiteral("Fiş Raporuna Grub YazılsınMı?"), grubYaz);
    kapananAy = new QComboBox(onay);
    kapananAy->addItems(QStringLiteral("0|1|2|3|4|5|6|7|8|9|10|11|12").split(QLatin1Char('|')));
    of->addRow(QStringLiteral("Değişikliğe Kapatılan Ay No"), kapananAy);
    o->addLayout(of);
    auto* resmi = new QGroupBox(QStringLiteral("Resmi Defter Son Durum"), onay);
    auto* rl = new QHBoxLayout(resmi);
    auto* yev = new QGroupBox(QStringLiteral("Yevmiye Defteri"), resmi);
    auto* yl = new QFormLayout(yev);
    sonYevmiyeNo = new PictureEdit("n_10", yev);
    yl->addRow(QStringLiteral("Son Yevmiye Numarası"), sonYevmiyeNo);
    sonYevmiyeAy = new PictureEdit("n_2", yev);
    yl->addRow(QStringLiteral("Son Yevmiye Ayı"), sonYevmiyeAy);
    sonYevmiyeTarih = new PictureEdit("d6", yev);
    yl->addRow(QStringLiteral("Son Yevmiye Tarihi"), sonYevmiyeTarih);
    sonYevmiyeBorc = new PictureEdit("n18.2", yev);
    yl->addRow(QStringLiteral("Son Yevmiye Borç Tutarı"), sonYevmiyeBorc);
    sonYevmiyeAlacak = new PictureEdit("n18.2", yev);
    yl->addRow(QStringLiteral("Son Yevmiye Alacak Tutarı"), sonYevmiyeAlacak);
    yevmiyeMatbu = new QCheckBox(QStringLiteral(" Yevmiye Matbuu Kağıda'mı Yazılacak"), yev);
    yl->addRow(yevmiyeMatbu);
    edefter = evetHayir(yev);
    yl->addRow(QStringLiteral("Yevmiye EDefter Olarak Yazdırılacak.?"), edefter);
    rl->addWidget(yev);
    auto* keb = new QGroupBox(QStringLiteral("Kebir Defteri"), resmi);
    auto* kl = new QFormLayout(keb);
    sonKebirAy = new PictureEdit("n_2", keb);
    kl->addRow(QStringLiteral("Son Kebir Ayı"), sonKebirAy);
    kebirYevmiyeNo = new PictureEdit("n_10", keb);
    kl->addRow(QStringLiteral("Kebir Yevmiye Numarası"), kebirYevmiyeNo);
    kebirMatbu = new QCheckBox(QStringLiteral(" Kebir Matbuu Kağıda'mı Yazılacak"), keb);
    kl->addRow(kebirMatbu);
    rl->addWidget(keb);
    o->addWidget(resmi);
    o->addStretch(1);
    tabs_->addTab(onay, QStringLiteral("Fiş Onay Tanımları"));

    ok_ = new QPushButton(QStringLiteral("Tamam"), this);
    exit_ = new QPushButton(QStringLiteral("Çıkış"), this);
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(exit_);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(tabs_, 1);
    lay->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &YasalWindow::trySave);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
}

// Every field the window edits, declared once: showing the record and reading it back follow
// from this list. The allowed values are the company rules' (app::company::validate); the
// widgets only read what they show.
void YasalWindow::declare() {
    using data::Yasal;
    auto& b = bind_;
    b.text(unvan, &Yasal::SIRKETUNVANI1);
    b.text(adres1, &Yasal::SIRKETADRESI1);
    b.text(adres2, &Yasal::SIRKETADRESI2);
    b.text(vdAdi, &Yasal::VERGIDAIRESIADI);
    b.text(vdNo, &Yasal::VERGIDAIRESINO);
    b.text(vdIl, &Yasal::VERGIDAIRESIIL);
    b.digits(telefon, &Yasal::SIRKETTLF);
    b.text(sicilNo, &Yasal::TICARETSICILNO);
    b.text(mersisNo, &Yasal::MERSISNO);
    b.text(web, &Yasal::WEB);
    b.text(smmmAd, &Yasal::SMMMADISOYADI);
    b.text(smmmVkn, &Yasal::SMMMVERGINO);
    b.date(donemBas, "Mali Dönem Başlangıç Tarihi", &Yasal::MALIDONEMBAS);
    b.date(donemSon, "Mali Dönem Bitiş Tarihi", &Yasal::MALIDONEMSON);
    // Two options each: one left unchosen keeps what the record held, which the rules then
    // refuse if it is blank.
    b.add(
        [this](const Yasal& y) {
            birArada->setChecked(y.FISNUMARALAMADUZENI == "B");
            ayriAyri->setChecked(y.FISNUMARALAMADUZENI == "A");
            herAy->setChecked(y.FISNOSIRASI == "A");
            herGun->setChecked(y.FISNOSIRASI == "G");
        },
        [this](Yasal& y) -> core::Status {
            if (birArada->isChecked()) y.FISNUMARALAMADUZENI = "B";
            if (ayriAyri->isChecked()) y.FISNUMARALAMADUZENI = "A";
            if (herAy->isChecked()) y.FISNOSIRASI = "A";
            if (herGun->isChecked()) y.FISNOSIRASI = "G";
            return {};
        },
        [](const Yasal& from, Yasal& to) {
            to.FISNUMARALAMADUZENI = from.FISNUMARALAMADUZENI;
            to.FISNOSIRASI = from.FISNOSIRASI;
        });
    b.check(detaySirala, &Yasal::FISDETAYSIRALA);
    b.check(otomatikKapa, &Yasal::TAHSILTEDIYEOTOMATIKKAPA);
    b.text(kasaKodu, &Yasal::KASAHESAPKODU);
    for (int i = 1; i <= 5; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        b.text(odenecekKod[k], element(&Yasal::ODENECEKKDVKODU, i));
        b.text(indirilecekKod[k], element(&Yasal::INDIRILECEKKDVKODU, i));
        b.whole(odenecekOran[k], "KDV oranı", element(&Yasal::ODENECEKKDVORAN, i));
        b.whole(indirilecekOran[k], "KDV oranı", element(&Yasal::INDIRILECEKKDVORAN, i));
    }
    for (int i = 1; i <= 3; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        b.text(imzaUnvan[k], element(&Yasal::UNVAN, i));
        b.text(imzaAd[k], element(&Yasal::IMZAADSOYAD, i));
    }
    b.evetHayir(grubYaz, &Yasal::FISGRUBYAZ);
    b.add([this](const Yasal& y) { kapananAy->setCurrentIndex(y.KAPANANAY <= 12 ? y.KAPANANAY : 0); },
          [this](Yasal& y) -> core::Status {
              y.KAPANANAY = static_cast<std::uint8_t>(kapananAy->currentIndex());
              return {};
          },
          [](const Yasal& from, Yasal& to) { to.KAPANANAY = from.KAPANANAY; });
    b.number(sonYevmiyeNo, "Son Yevmiye Numarası", &Yasal::SONYEVMIYENO);
    b.whole(sonYevmiyeAy, "Son Yevmiye Ayı", &Yasal::SONYEVMIYEAY, 0, 12);
    b.date(sonYevmiyeTarih, "Son Yevmiye Tarihi", &Yasal::SONYEVMIYETARIH);
    b.number(sonYevmiyeBorc, "Son Yevmiye Borç Tutarı", &Yasal::SONYEVMIYEBORC);
    b.number(sonYevmiyeAlacak, "Son Yevmiye Alacak Tutarı", &Yasal::SONYEVMIYEALACAK);
    b.check(yevmiyeMatbu, &Yasal::YEVMIYEMATBU);
    b.evetHayir(edefter, &Yasal::EDEFTER);
    b.whole(sonKebirAy, "Son Kebir Ayı", &Yasal::SONKEBIRAY, 0, 12);
    b.whole(kebirYevmiyeNo, "Kebir Yevmiye Numarası", &Yasal::KEBIRYEVMIYENO, 0);
    b.check(kebirMatbu, &Yasal::KEBIRMATBU);
}

void YasalWindow::display(const data::Yasal& y) {
    bind_.show(y);
}

void YasalWindow::startDateEntered() {
    auto start = donemBas->date();
    if (!start || !start.value().isSet()) return;
    donemSon->setDate(app::company::proposeEndDate(start.value()));
}

core::Result<data::Yasal> YasalWindow::collect() const {
    return bind_.take(rec_);
}

void YasalWindow::trySave() {
    if (!loaded_) return;
    auto y = collect();
    if (!y) {
        reportError(ui_, y.error(), 25);
        return;
    }
    auto written = app::company::save(file_, y.value(), bind_.copier());
    if (!written) {
        reportError(ui_, written.error(), 25);
        return;
    }
    rec_ = written.value();
    if (saved_) saved_(rec_);
    accept();
}

void registerYasal(app::ProcedureRegistry& registry, QWidget* frame) {
    app::ProcedureSpec spec;
    spec.name = "Yasal";
    spec.run = [frame](app::ProcedureContext& ctx, const app::Options&) -> core::Status {
        auto file = ctx.data.open<data::Yasal>();
        if (!file) return app::withMessage(file.error(), 23);
        app::Session& session = ctx.session;
        YasalWindow w(
            std::move(file.value()), ctx.ui,
            [&session](const data::Yasal& y) { session.setCompany(y); }, frame);
        SettingsAccess settings{
            [&session](const std::string& section, const std::string& key) {
                return session.settings().getText(section, key);
            },
            [&session](const std::string& section, const std::string& key, const std::string& v) {
                (void)session.settings().set(section, key, v); // a lost position is no failure
            }};
        restoreWindowGeometry(&w, settings, "Yasal");
        w.exec();
        // a dialog closed by its buttons is only hidden: store where it was here
        saveWindowGeometry(&w, settings, "Yasal");
        return {};
    };
    registry.add(std::move(spec));
}

} // namespace hk::ui
