#include "ui/yasal.h"

#include "app/catalogue.h"
#include "app/company.h"
#include "app/session.h"
#include "data/dataset.h"
#include "ui/fields.h"
#include "ui/form_messages.h"
#include "ui/geometry.h"

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

// "E" is Evet; anything else shows Hayır.
void setEvetHayir(QComboBox* c, const std::string& v) {
    c->setCurrentIndex(v == "E" ? 0 : 1);
}
std::string evetHayirValue(const QComboBox* c) {
    return c->currentIndex() == 0 ? "E" : "H";
}

core::Result<double> numberIn(const PictureEdit* e, const char* label) {
    auto v = e->number();
    if (!v) return core::Error::of(0, std::string(label) + ": " + v.error().text);
    return v.value();
}

// A whole number for a SHORT or LONG field, within its range.
core::Result<long long> wholeIn(const PictureEdit* e, const char* label, long long lo,
                                long long hi) {
    auto v = numberIn(e, label);
    if (!v) return v.error();
    const double d = v.value();
    if (d != static_cast<double>(static_cast<long long>(d)) || d < static_cast<double>(lo) ||
        d > static_cast<double>(hi))
        return core::Error::of(0, std::string(label) + " " + std::to_string(lo) + " ile " +
                                      std::to_string(hi) + " arasında bir tam sayı olmalıdır.");
    return static_cast<long long>(d);
}

core::Result<core::Date> dateIn(const PictureEdit* e, const char* label) {
    auto d = e->date();
    if (!d) return core::Error::of(0, std::string(label) + ": " + d.error().text);
    return d.value();
}

} // namespace

YasalWindow::YasalWindow(data::TypedTable<data::Yasal> file, app::Ui& ui,
                         std::function<void(const data::Yasal&)> saved, QWidget* parent)
    : QDialog(parent), file_(std::move(file)), ui_(ui), saved_(std::move(saved)) {
    setWindowTitle(QStringLiteral("Şirket Yasal Tanımları"));
    build();
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

void YasalWindow::display(const data::Yasal& y) {
    unvan->setTextValue(y.SIRKETUNVANI1);
    adres1->setTextValue(y.SIRKETADRESI1);
    adres2->setTextValue(y.SIRKETADRESI2);
    vdAdi->setTextValue(y.VERGIDAIRESIADI);
    vdNo->setTextValue(y.VERGIDAIRESINO);
    vdIl->setTextValue(y.VERGIDAIRESIIL);
    telefon->setDigits(y.SIRKETTLF);
    sicilNo->setTextValue(y.TICARETSICILNO);
    mersisNo->setTextValue(y.MERSISNO);
    web->setTextValue(y.WEB);
    smmmAd->setTextValue(y.SMMMADISOYADI);
    smmmVkn->setTextValue(y.SMMMVERGINO);
    donemBas->setDate(y.MALIDONEMBAS);
    donemSon->setDate(y.MALIDONEMSON);
    birArada->setChecked(y.FISNUMARALAMADUZENI == "B");
    ayriAyri->setChecked(y.FISNUMARALAMADUZENI == "A");
    herAy->setChecked(y.FISNOSIRASI == "A");
    herGun->setChecked(y.FISNOSIRASI == "G");
    detaySirala->setChecked(y.FISDETAYSIRALA == 1);
    otomatikKapa->setChecked(y.TAHSILTEDIYEOTOMATIKKAPA == 1);
    kasaKodu->setTextValue(y.KASAHESAPKODU);
    for (int i = 1; i <= 5; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        odenecekKod[k]->setTextValue(data::element(y.ODENECEKKDVKODU, i));
        odenecekOran[k]->setNumber(data::element(y.ODENECEKKDVORAN, i));
        indirilecekKod[k]->setTextValue(data::element(y.INDIRILECEKKDVKODU, i));
        indirilecekOran[k]->setNumber(data::element(y.INDIRILECEKKDVORAN, i));
    }
    for (int i = 1; i <= 3; ++i) {
        imzaUnvan[static_cast<std::size_t>(i - 1)]->setTextValue(data::element(y.UNVAN, i));
        imzaAd[static_cast<std::size_t>(i - 1)]->setTextValue(data::element(y.IMZAADSOYAD, i));
    }
    setEvetHayir(grubYaz, y.FISGRUBYAZ);
    kapananAy->setCurrentIndex(y.KAPANANAY <= 12 ? y.KAPANANAY : 0);
    sonYevmiyeNo->setNumber(y.SONYEVMIYENO);
    sonYevmiyeAy->setNumber(y.SONYEVMIYEAY);
    sonYevmiyeTarih->setDate(y.SONYEVMIYETARIH);
    sonYevmiyeBorc->setNumber(y.SONYEVMIYEBORC);
    sonYevmiyeAlacak->setNumber(y.SONYEVMIYEALACAK);
    yevmiyeMatbu->setChecked(y.YEVMIYEMATBU == 1);
    setEvetHayir(edefter, y.EDEFTER);
    sonKebirAy->setNumber(y.SONKEBIRAY);
    kebirYevmiyeNo->setNumber(y.KEBIRYEVMIYENO);
    kebirMatbu->setChecked(y.KEBIRMATBU == 1);
}

void YasalWindow::startDateEntered() {
    auto start = donemBas->date();
    if (!start || !start.value().isSet()) return;
    donemSon->setDate(app::company::proposeEndDate(start.value()));
}

core::Result<data::Yasal> YasalWindow::collect() const {
    data::Yasal y = rec_;
    y.SIRKETUNVANI1 = unvan->textValue();
    y.SIRKETADRESI1 = adres1->textValue();
    y.SIRKETADRESI2 = adres2->textValue();
    y.VERGIDAIRESIADI = vdAdi->textValue();
    y.VERGIDAIRESINO = vdNo->textValue();
    y.VERGIDAIRESIIL = vdIl->textValue();
    y.SIRKETTLF = telefon->digits();
    y.TICARETSICILNO = sicilNo->textValue();
    y.MERSISNO = mersisNo->textValue();
    y.WEB = web->textValue();
    y.SMMMADISOYADI = smmmAd->textValue();
    y.SMMMVERGINO = smmmVkn->textValue();
    auto bas = dateIn(donemBas, "Mali Dönem Başlangıç Tarihi");
    if (!bas) return bas.error();
    auto son = dateIn(donemSon, "Mali Dönem Bitiş Tarihi");
    if (!son) return son.error();
    y.MALIDONEMBAS = bas.value();
    y.MALIDONEMSON = son.value();
    // options left unchosen keep what the record held, which validation then refuses if blank
    if (birArada->isChecked()) y.FISNUMARALAMADUZENI = "B";
    if (ayriAyri->isChecked()) y.FISNUMARALAMADUZENI = "A";
    if (herAy->isChecked()) y.FISNOSIRASI = "A";
    if (herGun->isChecked()) y.FISNOSIRASI = "G";
    y.FISDETAYSIRALA = detaySirala->isChecked() ? 1 : 0;
    y.TAHSILTEDIYEOTOMATIKKAPA = otomatikKapa->isChecked() ? 1 : 0;
    y.KASAHESAPKODU = kasaKodu->textValue();
    for (int i = 1; i <= 5; ++i) {
        const auto k = static_cast<std::size_t>(i - 1);
        data::element(y.ODENECEKKDVKODU, i) = odenecekKod[k]->textValue();
        data::element(y.INDIRILECEKKDVKODU, i) = indirilecekKod[k]->textValue();
        auto o = wholeIn(odenecekOran[k], "KDV oranı", 0, 100);
        if (!o) return o.error();
        auto n = wholeIn(indirilecekOran[k], "KDV oranı", 0, 100);
        if (!n) return n.error();
        data::element(y.ODENECEKKDVORAN, i) = static_cast<std::int16_t>(o.value());
        data::element(y.INDIRILECEKKDVORAN, i) = static_cast<std::int16_t>(n.value());
    }
    for (int i = 1; i <= 3; ++i) {
        data::element(y.UNVAN, i) = imzaUnvan[static_cast<std::size_t>(i - 1)]->textValue();
        data::element(y.IMZAADSOYAD, i) = imzaAd[static_cast<std::size_t>(i - 1)]->textValue();
    }
    y.FISGRUBYAZ = evetHayirValue(grubYaz);
    y.KAPANANAY = static_cast<std::uint8_t>(kapananAy->currentIndex());
    auto yevNo = numberIn(sonYevmiyeNo, "Son Yevmiye Numarası");
    if (!yevNo) return yevNo.error();
    y.SONYEVMIYENO = yevNo.value();
    auto yevAy = wholeIn(sonYevmiyeAy, "Son Yevmiye Ayı", 0, 12);
    if (!yevAy) return yevAy.error();
    y.SONYEVMIYEAY = static_cast<std::int16_t>(yevAy.value());
    auto yevTarih = dateIn(sonYevmiyeTarih, "Son Yevmiye Tarihi");
    if (!yevTarih) return yevTarih.error();
    y.SONYEVMIYETARIH = yevTarih.value();
    auto borc = numberIn(sonYevmiyeBorc, "Son Yevmiye Borç Tutarı");
    if (!borc) return borc.error();
    y.SONYEVMIYEBORC = borc.value();
    auto alacak = numberIn(sonYevmiyeAlacak, "Son Yevmiye Alacak Tutarı");
    if (!alacak) return alacak.error();
    y.SONYEVMIYEALACAK = alacak.value();
    y.YEVMIYEMATBU = yevmiyeMatbu->isChecked() ? 1 : 0;
    y.EDEFTER = evetHayirValue(edefter);
    auto kebAy = wholeIn(sonKebirAy, "Son Kebir Ayı", 0, 12);
    if (!kebAy) return kebAy.error();
    y.SONKEBIRAY = static_cast<std::int16_t>(kebAy.value());
    auto kebNo = wholeIn(kebirYevmiyeNo, "Kebir Yevmiye Numarası", 0, 2147483647LL);
    if (!kebNo) return kebNo.error();
    y.KEBIRYEVMIYENO = static_cast<std::int32_t>(kebNo.value());
    y.KEBIRMATBU = kebirMatbu->isChecked() ? 1 : 0;
    return y;
}

void YasalWindow::trySave() {
    if (!loaded_) return;
    auto y = collect();
    if (!y) {
        reportError(ui_, y.error(), 25);
        return;
    }
    auto written = app::company::save(file_, y.value());
    if (!written) {
        reportError(ui_, written.error(), 25);
        return;
    }
    rec_ = written.value();
    if (saved_) saved_(rec_);
    accept();
}

void registerYasal(app::Catalogue& catalogue, data::DataSet& dataSet, app::Session& session,
                   app::Ui& ui, QWidget* frame) {
    catalogue.add("Yasal", [&dataSet, &session, &ui, frame](const std::string&) {
        auto file = dataSet.open<data::Yasal>();
        if (!file) {
            reportError(ui, file.error(), 23);
            return;
        }
        YasalWindow w(
            std::move(file.value()), ui,
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
    });
}

} // namespace hk::ui
