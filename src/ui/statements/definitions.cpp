#include "ui/statements/definitions.h"

#include "app/catalogue.h"
#include "ui/shell/frame.h"
#include "app/sheet_export.h"
#include "core/text.h"
#include "data/errors.h"
#include "statements/definitions.h"
#include "statements/editors.h"
#include "ui/framework/fields.h"
#include "ui/framework/form_messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <charconv>

namespace hk::ui {

namespace st = statements;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QTableWidget* makeTable(const QStringList& headings, QWidget* parent) {
    auto* t = new QTableWidget(0, static_cast<int>(headings.size()), parent);
    t->setHorizontalHeaderLabels(headings);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void fillTable(QTableWidget* t, const std::vector<QStringList>& rows) {
    const int keep = t->currentRow();
    t->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < rows[static_cast<std::size_t>(r)].size(); ++c)
            t->setItem(r, c, new QTableWidgetItem(rows[static_cast<std::size_t>(r)][c]));
    if (!rows.empty()) t->selectRow(keep >= 0 && keep < t->rowCount() ? keep : 0);
}

QComboBox* codeChoice(UpdateForm* f, const QString& label, const std::vector<std::pair<QString, QString>>& items) {
    QStringList captions;
    for (const auto& i : items) captions << i.first;
    QComboBox* c = f->addChoice(label, captions);
    for (int k = 0; k < static_cast<int>(items.size()); ++k) c->setItemData(k, items[static_cast<std::size_t>(k)].second);
    return c;
}

void setCode(QComboBox* c, const std::string& code) {
    const int i = c->findData(q(core::text::trim(code)));
    c->setCurrentIndex(i >= 0 ? i : 0);
}

std::string code(const QComboBox* c) {
    return c->currentData().toString().toStdString();
}

QPushButton* button(const QString& caption, QBoxLayout* into, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    into->addWidget(b);
    return b;
}

int wholeNumber(const std::string& text) {
    int v = 0;
    const std::string t = core::text::trim(text);
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

int number(const PictureEdit* e) {
    auto n = e->number();
    return n ? static_cast<int>(*n) : 0;
}

std::optional<data::DataList> defaultChooseField(data::DataSet& ds, app::Ui& ui, QWidget* parent, const std::string& kind) {
    FieldListWindow w(ds, ui, kind, parent);
    w.exec();
    return w.chosen();
}

std::optional<std::string> defaultChooseAccount(data::DataSet& ds, app::Ui& ui) {
    auto t = ds.open<data::HsPlan>(true);
    if (!t) {
        reportError(ui, t.error(), 1);
        return std::nullopt;
    }
    std::vector<std::string> codes, items;
    if (auto s = t->set("HSP:KeyHesap"); !s) return std::nullopt;
    for (auto r = t->next(); r.ok(); r = t->next()) {
        codes.push_back(r->HESAPKODU);
        items.push_back(r->HESAPKODU + "  " + r->HESAPAD1);
    }
    const int i = ui.pick("Hesap Planı", items);
    if (i < 0 || i >= static_cast<int>(codes.size())) return std::nullopt;
    return codes[static_cast<std::size_t>(i)];
}

void completeHooks(DefinitionHooks& h, data::DataSet& ds, app::Ui& ui, QWidget* parent) {
    if (!h.chooseField)
        h.chooseField = [&ds, &ui, parent](const std::string& kind) { return defaultChooseField(ds, ui, parent, kind); };
    if (!h.chooseAccount) h.chooseAccount = [&ds, &ui] { return defaultChooseAccount(ds, ui); };
    if (!h.runForm)
        h.runForm = [](UpdateForm& f) {
            f.exec();
            return true;
        };
}

} // namespace

// ---- "Tanımlanabilir Saha Listesi" ----

FieldListWindow::FieldListWindow(data::DataSet& ds, app::Ui& ui, const std::string& kind, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tanımlanabilir Saha Listesi"));
    auto* v = new QVBoxLayout(this);
    table_ = makeTable({QStringLiteral("Saha Adı"), QStringLiteral("Tipi"), QStringLiteral("Uzunluk")}, this);
    v->addWidget(table_);
    auto* row = new QHBoxLayout;
    v->addLayout(row);
    row->addStretch();
    QPushButton* pick = button(QStringLiteral("&Seç"), row, this);
    QPushButton* exit = button(QStringLiteral("Çı&kış"), row, this);
    if (auto l = st::fieldList(ds, kind)) {
        rows_ = std::move(*l);
    } else {
        reportError(ui, l.error(), 1);
    }
    std::vector<QStringList> cells;
    for (const auto& d : rows_) cells.push_back({q(d.AD), q(d.CINS), QString::number(d.UZUNLUK)});
    fillTable(table_, cells);
    connect(pick, &QPushButton::clicked, this, [this] { choose(table_->currentRow()); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { choose(r); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void FieldListWindow::choose(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    chosen_ = rows_[static_cast<std::size_t>(row)];
    accept();
}

// ---- "Rapor Değiştir" ----

ColumnForm::ColumnForm(data::DataSet& ds, app::Ui& ui, data::DRapor column, FormMode mode, std::optional<int> oldNumber,
                       FieldChooser chooseField, QWidget* parent)
    : UpdateForm(ui, mode, parent), ds_(ds), column_(std::move(column)), oldNumber_(oldNumber),
      chooseField_(std::move(chooseField)) {
    setWindowTitle(QStringLiteral("Rapor Değiştir"));
    siraNo = addText(QStringLiteral("Sıra No"), "n4");
    sahaAdi = addLookup(QStringLiteral("Saha Adı"), "s500", &sahaLookup);
    ntlk = codeChoice(this, QStringLiteral("Saha Niteliği"),
                      {{QStringLiteral("String"), "S"}, {QStringLiteral("Değer"), "D"}, {QStringLiteral("Formül"), "F"}});
    yaz = codeChoice(this, QStringLiteral("Kağıda Yazılsın mı ?"), {{QStringLiteral("Evet"), "E"}, {QStringLiteral("Hayır"), "H"}});
    uzunluk = addText(QStringLiteral("Uzunluk"), "n3");
    topla = codeChoice(this, QStringLiteral("Toplam AlınsınMı?"), {{QStringLiteral("Evet"), "E"}, {QStringLiteral("Hayır"), "H"}});
    format = addText(QStringLiteral("Format"), "s19");
    formul = addText(QStringLiteral("Formül"), "s254");
    formulLabel_ = qobject_cast<QLabel*>(fields()->labelForField(formul));
    aciklama1 = addText(QStringLiteral("Açıklama 1"), "s50");
    aciklama2 = addText(QStringLiteral("Açıklama 2"), "s50");
    nitelik = addLookup(QStringLiteral("Nitelik"), "s255", &nitelikLookup);
    filtre = addText(QStringLiteral("Satır Filtre"), "s255");
    connect(sahaLookup, &QPushButton::clicked, this, &ColumnForm::lookUpField);
    connect(nitelikLookup, &QPushButton::clicked, this, &ColumnForm::lookUpFilterField);
    connect(ntlk, &QComboBox::currentIndexChanged, this, &ColumnForm::kindChanged);
    open();
}

void ColumnForm::load() {
    siraNo->setNumber(column_.SIRANO);
    sahaAdi->setTextValue(column_.FIELDKOD);
    setCode(ntlk, column_.NTLK);
    setCode(yaz, column_.YAZ);
    uzunluk->setNumber(column_.UZUNLUK);
    setCode(topla, column_.TOPLA.empty() ? "H" : column_.TOPLA);
    format->setTextValue(column_.FRML);
    formul->setTextValue(column_.FORMUL);
    aciklama1->setTextValue(column_.AD[0]);
    aciklama2->setTextValue(column_.AD[1]);
    nitelik->setTextValue(column_.BAGLANTI);
    filtre->setTextValue(column_.FILTRE);
    kindChanged();
}

data::DRapor ColumnForm::collect() const {
    data::DRapor c = column_;
    c.SIRANO = static_cast<std::int16_t>(number(siraNo));
    c.FIELDKOD = sahaAdi->textValue();
    c.NTLK = code(ntlk);
    c.YAZ = code(yaz);
    c.UZUNLUK = static_cast<std::int16_t>(number(uzunluk));
    c.TOPLA = code(topla);
    c.FRML = format->textValue();
    c.FORMUL = formul->textValue();
    c.AD[0] = aciklama1->textValue();
    c.AD[1] = aciklama2->textValue();
    c.BAGLANTI = nitelik->textValue();
    c.FILTRE = filtre->textValue();
    return c;
}

void ColumnForm::kindChanged() {
    const bool f = code(ntlk) == "F";
    formul->setEnabled(f && mode() != FormMode::View);
    if (formulLabel_) formulLabel_->setEnabled(f);
}

void ColumnForm::lookUpField() {
    if (!chooseField_) return;
    auto f = chooseField_(core::text::trim(column_.RAPKOD));
    if (!f) return;
    data::DRapor c = collect();
    st::chooseColumnField(c, *f);
    sahaAdi->setTextValue(c.FIELDKOD);
    setCode(ntlk, c.NTLK);
    uzunluk->setNumber(c.UZUNLUK);
    format->setTextValue(c.FRML);
}

void ColumnForm::lookUpFilterField() {
    if (!chooseField_) return;
    auto f = chooseField_(core::text::trim(column_.RAPKOD));
    if (!f) return;
    filtre->setTextValue(st::appendName(filtre->textValue(), f->AD));
}

core::Status ColumnForm::save() {
    const data::DRapor c = collect();
    if (auto s = st::saveColumn(ds_, c, oldNumber_); !s) return s;
    if (mode() == FormMode::Insert) {
        // ready for the next column of the same report
        column_ = st::newColumn([&] {
            data::Rapor r;
            r.RAPKOD = c.RAPKOD;
            r.RAPNO = static_cast<std::int16_t>(wholeNumber(c.RAPNO));
            return r;
        }());
        column_.SIRANO = static_cast<std::int16_t>(c.SIRANO + 1);
    } else {
        column_ = c;
        oldNumber_ = c.SIRANO;
    }
    return {};
}

// ---- "Rapor Tanımı" ----

ReportDefinitionWindow::ReportDefinitionWindow(data::DataSet& ds, app::Ui& ui, data::Rapor report, FormMode mode,
                                               DefinitionHooks hooks, QWidget* parent)
    : QDialog(parent), ds_(ds), ui_(ui), report_(std::move(report)), mode_(mode), hooks_(std::move(hooks)) {
    completeHooks(hooks_, ds_, ui_, this);
    setWindowTitle(QStringLiteral("Rapor Tanımı"));
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    v->addLayout(form);
    rapNo = new PictureEdit("n5", this);
    ad = new PictureEdit("s35", this);
    ad->setMaxLength(35);
    baslik = new PictureEdit("s255", this);
    form->addRow(QStringLiteral("Rapor Numarası"), rapNo);
    form->addRow(QStringLiteral("Rapor Açıklaması"), ad);
    form->addRow(QStringLiteral("Rapor Başlığı"), baslik);
    const QString filterCaptions[3] = {QStringLiteral("1.Filtre Tanımı"), QStringLiteral("2.Filtre Tanımı"),
                                       QStringLiteral("3.Filtre Tanımı")};
    for (int i = 0; i < 3; ++i) {
        auto* row = new QWidget(this);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        filtre[static_cast<std::size_t>(i)] = new PictureEdit("s255", row);
        h->addWidget(filtre[static_cast<std::size_t>(i)], 1);
        filtreLookup[static_cast<std::size_t>(i)] = button(QStringLiteral("..."), h, row);
        form->addRow(filterCaptions[i], row);
        connect(filtreLookup[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { lookUpFilter(i); });
    }
    auto* box = new QGroupBox(QStringLiteral("Rapor Detayı"), this);
    v->addWidget(box);
    auto* bv = new QVBoxLayout(box);
    columns = makeTable({QStringLiteral("Sira No"), QStringLiteral("Field Kod"), QStringLiteral("Ntlk"),
                         QStringLiteral("Uz."), QStringLiteral("Açıklama 1"), QStringLiteral("Açıklama 2"),
                         QStringLiteral("Format"), QStringLiteral("Yaz"), QStringLiteral("Toplam")},
                        box);
    bv->addWidget(columns);
    auto* row = new QHBoxLayout;
    bv->addLayout(row);
    insertButton = button(QStringLiteral("&YeniGir"), row, box);
    changeButton = button(QStringLiteral("&Değiştir"), row, box);
    removeButton = button(QStringLiteral("&Sil"), row, box);
    copyButton = button(QStringLiteral("&Kopyala"), row, box);
    upButton = button(QStringLiteral("Yukarı"), row, box);
    downButton = button(QStringLiteral("Aşağı"), row, box);
    excelButton = button(QStringLiteral("Excel"), row, box);
    row->addStretch();
    auto* end = new QHBoxLayout;
    v->addLayout(end);
    end->addStretch();
    okButton = button(QStringLiteral("&Tamam"), end, this);
    exitButton = button(QStringLiteral("Çı&kış"), end, this);
    connect(insertButton, &QPushButton::clicked, this, &ReportDefinitionWindow::insertColumn);
    connect(changeButton, &QPushButton::clicked, this, &ReportDefinitionWindow::changeColumn);
    connect(columns, &QTableWidget::cellDoubleClicked, this, [this] { changeColumn(); });
    connect(removeButton, &QPushButton::clicked, this, &ReportDefinitionWindow::removeColumn);
    connect(copyButton, &QPushButton::clicked, this, &ReportDefinitionWindow::copyColumn);
    connect(upButton, &QPushButton::clicked, this, [this] { moveColumn(true); });
    connect(downButton, &QPushButton::clicked, this, [this] { moveColumn(false); });
    connect(excelButton, &QPushButton::clicked, this, &ReportDefinitionWindow::exportList);
    connect(okButton, &QPushButton::clicked, this, &ReportDefinitionWindow::trySave);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    rapNo->setNumber(report_.RAPNO);
    ad->setTextValue(report_.AD);
    baslik->setTextValue(report_.RAPORTEXT);
    for (std::size_t i = 0; i < 3; ++i)
        filtre[i]->setTextValue(i == 0 ? report_.FILTRE1 : i == 1 ? report_.FILTRE2 : report_.FILTRE3);
    // The columns hang on the report's kind and number: a saved report keeps its number.
    rapNo->setEnabled(mode_ == FormMode::Insert);
    reload();
}

void ReportDefinitionWindow::reload() {
    rows_.clear();
    if (mode_ != FormMode::Insert) {
        auto cols = st::reportColumns(ds_, report_);
        if (!cols) reportError(ui_, cols.error(), 1);
        else rows_ = std::move(*cols);
    }
    std::vector<QStringList> cells;
    for (const auto& c : rows_)
        cells.push_back({QString::number(c.SIRANO), q(c.FIELDKOD), q(c.NTLK), QString::number(c.UZUNLUK), q(c.AD[0]),
                         q(c.AD[1]), q(c.FRML), q(c.YAZ), q(c.TOPLA)});
    fillTable(columns, cells);
}

std::optional<data::DRapor> ReportDefinitionWindow::selectedColumn() const {
    const int r = columns->currentRow();
    if (r < 0 || r >= static_cast<int>(rows_.size())) return std::nullopt;
    return rows_[static_cast<std::size_t>(r)];
}

void ReportDefinitionWindow::selectNumber(int sirano) {
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
        if (rows_[static_cast<std::size_t>(r)].SIRANO == sirano) columns->selectRow(r);
}

core::Status ReportDefinitionWindow::writeHeader() {
    data::Rapor r = report_;
    r.RAPNO = static_cast<std::int16_t>(number(rapNo));
    r.AD = ad->textValue();
    r.RAPORTEXT = baslik->textValue();
    r.FILTRE1 = filtre[0]->textValue();
    r.FILTRE2 = filtre[1]->textValue();
    r.FILTRE3 = filtre[2]->textValue();
    if (auto s = st::saveReport(ds_, r, mode_ == FormMode::Insert); !s) return s;
    report_ = r;
    mode_ = FormMode::Change;
    rapNo->setEnabled(false);
    return {};
}

bool ReportDefinitionWindow::runForm(UpdateForm& f) {
    return hooks_.runForm(f);
}

void ReportDefinitionWindow::insertColumn() {
    if (mode_ == FormMode::Insert) {
        if (auto s = writeHeader(); !s) {
            reportError(ui_, s.error(), 4);
            return;
        }
    }
    data::DRapor c = st::newColumn(report_);
    auto next = st::nextColumnNumber(ds_, report_);
    c.SIRANO = static_cast<std::int16_t>(next ? *next : 1);
    ColumnForm f(ds_, ui_, c, FormMode::Insert, std::nullopt, hooks_.chooseField, this);
    runForm(f);
    reload();
}

void ReportDefinitionWindow::copyColumn() {
    auto sel = selectedColumn();
    if (!sel) return;
    data::DRapor c = *sel;
    auto next = st::nextColumnNumber(ds_, report_);
    c.SIRANO = static_cast<std::int16_t>(next ? *next : 1);
    ColumnForm f(ds_, ui_, c, FormMode::Insert, std::nullopt, hooks_.chooseField, this);
    runForm(f);
    reload();
}

void ReportDefinitionWindow::changeColumn() {
    auto sel = selectedColumn();
    if (!sel) return;
    ColumnForm f(ds_, ui_, *sel, FormMode::Change, sel->SIRANO, hooks_.chooseField, this);
    runForm(f);
    reload();
}

void ReportDefinitionWindow::removeColumn() {
    auto sel = selectedColumn();
    if (!sel || !askYes(raiseData(ui_, 9))) return;
    if (auto s = st::deleteColumn(ds_, *sel); !s) reportError(ui_, s.error(), 11);
    reload();
}

void ReportDefinitionWindow::moveColumn(bool up) {
    auto sel = selectedColumn();
    if (!sel) return;
    auto moved = st::moveColumn(ds_, *sel, up ? st::Move::Up : st::Move::Down);
    if (!moved) {
        reportError(ui_, moved.error(), 25);
        return;
    }
    reload();
    selectNumber(*moved);
}

void ReportDefinitionWindow::lookUpFilter(int index) {
    auto f = hooks_.chooseField(core::text::trim(report_.RAPKOD));
    if (!f) return;
    PictureEdit* e = filtre[static_cast<std::size_t>(index)];
    e->setTextValue(st::appendName(e->textValue(), f->AD));
}

void ReportDefinitionWindow::exportList() {
    const auto build = [this]() -> core::Result<output::Sheet> {
        output::Sheet s;
        s.headingRow({{"Sira No", output::NumberFormat::Whole}, {"Field Kod"}, {"Ntlk"},
                      {"Uz.", output::NumberFormat::Whole}, {"Açıklama 1"}, {"Açıklama 2"}, {"Format"}, {"Yaz"},
                      {"Toplam"}});
        for (const auto& c : rows_)
            s.row().number(c.SIRANO).text(c.FIELDKOD).text(c.NTLK).number(c.UZUNLUK).text(c.AD[0]).text(c.AD[1])
                .text(c.FRML).text(c.YAZ).text(c.TOPLA);
        return s;
    };
    app::exportList(ui_, build, output::ExportTarget{});
}

void ReportDefinitionWindow::trySave() {
    if (auto s = writeHeader(); !s) {
        reportError(ui_, s.error(), mode_ == FormMode::Insert ? 4 : 25);
        return;
    }
    accept();
}

// ---- "Update the BDRapor File" ----

LineForm::LineForm(data::DataSet& ds, app::Ui& ui, data::DTablo line, FormMode mode, DefinitionHooks hooks,
                   QWidget* parent)
    : UpdateForm(ui, mode, parent), ds_(ds), line_(std::move(line)), hooks_(std::move(hooks)) {
    completeHooks(hooks_, ds_, ui, this);
    if (mode != FormMode::Insert) old_ = std::pair{static_cast<int>(line_.SIRANO), core::text::trim(line_.AKTIFPASIF)};
    setWindowTitle(QStringLiteral("Update the BDRapor File - ") +
                   (core::text::trim(line_.AKTIFPASIF) == "P" ? QStringLiteral("Pasif") : QStringLiteral("Aktif")));
    satirNo = addText(QStringLiteral("Satır No"), "n3");
    aciklama = addText(QStringLiteral("Açıklaması"), "s45");
    nitelik = codeChoice(this, QStringLiteral("Nitelik"), {{QStringLiteral("Değer"), "D"}, {QStringLiteral("Formül"), "F"}});
    yazilsin = codeChoice(this, QStringLiteral("YazılsınMı?"), {{QStringLiteral("Evet"), "E"}, {QStringLiteral("Hayır"), "H"}});
    aktifPasif = codeChoice(this, QStringLiteral("Aktif Pasif"), {{QStringLiteral("Aktif"), "A"}, {QStringLiteral("Pasif"), "P"}});
    saha = addLookup(QStringLiteral("Saha"), "s254", &sahaLookup);
    oSaha = addLookup(QStringLiteral("Ö.Saha"), "s254", &oSahaLookup);
    hesapKodu = addLookup(QStringLiteral("Hesap Kodu"), "s255", &hesapLookup);
    auto* help1 = new QLabel(QString::fromUtf8(st::kHelpHesapKodu) + "\n" + QString::fromUtf8(st::kHelpRange) + "\n" +
                                 QString::fromUtf8(st::kHelpList),
                             this);
    addRow(QString(), help1);
    formul = addText(QStringLiteral("Formül"), "s254");
    auto* help2 = new QLabel(QString::fromUtf8(st::kHelpFormul) + "\n" + QString::fromUtf8(st::kHelpFormulText), this);
    addRow(QString(), help2);
    bosluk = addText(QStringLiteral("Kenar Boşluk Adedi"), "n1");
    valueBox = help1;
    formulaBox = help2;
    connect(sahaLookup, &QPushButton::clicked, this, [this] { lookUpSaha(false); });
    connect(oSahaLookup, &QPushButton::clicked, this, [this] { lookUpSaha(true); });
    connect(hesapLookup, &QPushButton::clicked, this, &LineForm::lookUpAccount);
    connect(nitelik, &QComboBox::currentIndexChanged, this, &LineForm::kindChanged);
    connect(bosluk, &QLineEdit::editingFinished, this, &LineForm::marginEntered);
    open();
}

void LineForm::load() {
    satirNo->setNumber(line_.SIRANO);
    aciklama->setTextValue(line_.SAHAADI);
    setCode(nitelik, line_.NITELIK.empty() ? "D" : line_.NITELIK);
    setCode(yazilsin, line_.YAZILSINMI.empty() ? "E" : line_.YAZILSINMI);
    setCode(aktifPasif, line_.AKTIFPASIF);
    saha->setTextValue(line_.SAHA);
    oSaha->setTextValue(line_.OSAHA);
    hesapKodu->setTextValue(line_.HSKOD);
    formul->setTextValue(line_.FORMUL);
    bosluk->setNumber(line_.BOSLUK);
    kindChanged();
}

void LineForm::kindChanged() {
    const bool value = code(nitelik) != "F";
    QFormLayout* f = fields();
    for (QWidget* w : {static_cast<QWidget*>(saha->parentWidget()), static_cast<QWidget*>(oSaha->parentWidget()),
                       static_cast<QWidget*>(hesapKodu->parentWidget()), valueBox})
        f->setRowVisible(w, value);
    for (QWidget* w : {static_cast<QWidget*>(formul), formulaBox}) f->setRowVisible(w, !value);
}

void LineForm::marginEntered() {
    auto n = bosluk->number();
    if (n && *n > 3) {
        bosluk->setNumber(st::capMargin(static_cast<int>(*n)));
        bosluk->setFocus();
    }
}

void LineForm::lookUpSaha(bool previous) {
    auto f = hooks_.chooseField("3");
    if (!f) return;
    PictureEdit* e = previous ? oSaha : saha;
    e->setTextValue(st::appendName(e->textValue(), f->AD));
}

void LineForm::lookUpAccount() {
    auto a = hooks_.chooseAccount();
    if (!a) return;
    hesapKodu->setTextValue(st::appendName(hesapKodu->textValue(), *a));
}

data::DTablo LineForm::collect() const {
    data::DTablo l = line_;
    l.SIRANO = static_cast<std::int16_t>(number(satirNo));
    l.SAHAADI = aciklama->textValue();
    l.NITELIK = code(nitelik);
    l.YAZILSINMI = code(yazilsin);
    l.AKTIFPASIF = code(aktifPasif);
    l.SAHA = saha->textValue();
    l.OSAHA = oSaha->textValue();
    l.HSKOD = hesapKodu->textValue();
    l.FORMUL = formul->textValue();
    l.BOSLUK = static_cast<std::int16_t>(number(bosluk));
    return l;
}

core::Status LineForm::save() {
    const data::DTablo l = collect();
    if (auto s = st::saveLine(ds_, l, old_); !s) return s;
    if (mode() == FormMode::Insert) {
        line_ = st::newLine(wholeNumber(l.RAPNO), core::text::trim(l.AKTIFPASIF));
        line_.SIRANO = static_cast<std::int16_t>(l.SIRANO + 1);
    } else {
        line_ = l;
        old_ = std::pair{static_cast<int>(l.SIRANO), core::text::trim(l.AKTIFPASIF)};
    }
    return {};
}

// ---- "Tablo Bilanço Tanımlamaları" ----

StatementDefinitionWindow::StatementDefinitionWindow(data::DataSet& ds, app::Ui& ui, data::Tablo table, FormMode mode,
                                                     DefinitionHooks hooks, QWidget* parent)
    : QDialog(parent), ds_(ds), ui_(ui), table_(std::move(table)), mode_(mode), hooks_(std::move(hooks)) {
    completeHooks(hooks_, ds_, ui_, this);
    setWindowTitle(QStringLiteral("Tablo Bilanço Tanımlamaları"));
    auto* v = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    v->addLayout(form);
    rapNo = new PictureEdit("n3", this);
    ad = new PictureEdit("s35", this);
    tip = new QComboBox(this);
    tip->addItem(QString(), QString());
    tip->addItem(QStringLiteral("Gelir"), QStringLiteral("G"));
    tip->addItem(QStringLiteral("Bilanço"), QStringLiteral("B"));
    baslik = new PictureEdit("s255", this);
    form->addRow(QStringLiteral("Rapor No"), rapNo);
    form->addRow(QStringLiteral("Rapor Adı"), ad);
    form->addRow(QStringLiteral("Rapor Tipi ?"), tip);
    form->addRow(QStringLiteral("Rapor Başlığı"), baslik);
    auto* sides = new QHBoxLayout;
    v->addLayout(sides);
    const QString captions[2] = {QStringLiteral("Aktif Hesaplar"), QStringLiteral("Pasif Hesaplar")};
    for (int s = 0; s < 2; ++s) {
        auto* box = new QGroupBox(captions[s], this);
        panels[static_cast<std::size_t>(s)] = box;
        sides->addWidget(box);
        auto* bv = new QVBoxLayout(box);
        QTableWidget* t = makeTable({QStringLiteral("Satır No"), QStringLiteral("Açıklaması"), QStringLiteral("Nitelik"),
                                     QStringLiteral("Hesap Kodu")},
                                    box);
        lists[static_cast<std::size_t>(s)] = t;
        bv->addWidget(t);
        auto* row = new QHBoxLayout;
        bv->addLayout(row);
        auto& b = buttons[static_cast<std::size_t>(s)];
        b[0] = button(QStringLiteral("&YeniGir"), row, box);
        b[1] = button(QStringLiteral("&Değiştir"), row, box);
        b[2] = button(QStringLiteral("&Sil"), row, box);
        b[3] = button(QStringLiteral("Yukarı"), row, box);
        b[4] = button(QStringLiteral("Aşağı"), row, box);
        connect(b[0], &QPushButton::clicked, this, [this, s] { insertLine(s); });
        connect(b[1], &QPushButton::clicked, this, [this, s] { changeLine(s); });
        connect(t, &QTableWidget::cellDoubleClicked, this, [this, s] { changeLine(s); });
        connect(b[2], &QPushButton::clicked, this, [this, s] { removeLine(s); });
        connect(b[3], &QPushButton::clicked, this, [this, s] { moveLine(s, true); });
        connect(b[4], &QPushButton::clicked, this, [this, s] { moveLine(s, false); });
    }
    auto* end = new QHBoxLayout;
    v->addLayout(end);
    end->addStretch();
    okButton = button(QStringLiteral("Tamam"), end, this);
    exitButton = button(QStringLiteral("Çıkış"), end, this);
    connect(okButton, &QPushButton::clicked, this, &StatementDefinitionWindow::trySave);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(tip, &QComboBox::currentIndexChanged, this, &StatementDefinitionWindow::typeChanged);

    rapNo->setNumber(table_.RAPNO);
    ad->setTextValue(table_.AD);
    setCode(tip, table_.RAPORTIPI);
    baslik->setTextValue(table_.RAPORTEXT);
    rapNo->setEnabled(mode_ == FormMode::Insert);
    typeChanged();
    reload();
}

std::string StatementDefinitionWindow::typeCode() const {
    return code(tip);
}

void StatementDefinitionWindow::typeChanged() {
    // An income statement has one side: the liabilities list and its buttons are hidden.
    panels[1]->setVisible(typeCode() != "G");
}

void StatementDefinitionWindow::reload() {
    for (int s = 0; s < 2; ++s) {
        auto& rows = rows_[static_cast<std::size_t>(s)];
        rows.clear();
        if (mode_ != FormMode::Insert) {
            auto l = st::statementLines(ds_, table_.RAPNO, s == 0 ? "A" : "P");
            if (!l) reportError(ui_, l.error(), 1);
            else rows = std::move(*l);
        }
        std::vector<QStringList> cells;
        for (const auto& l : rows) cells.push_back({QString::number(l.SIRANO), q(l.SAHAADI), q(l.NITELIK), q(l.HSKOD)});
        fillTable(lists[static_cast<std::size_t>(s)], cells);
    }
}

core::Status StatementDefinitionWindow::writeHeader() {
    data::Tablo t = table_;
    t.RAPNO = static_cast<std::int16_t>(number(rapNo));
    t.AD = ad->textValue();
    t.RAPORTIPI = typeCode();
    t.RAPORTEXT = baslik->textValue();
    if (auto s = st::saveStatement(ds_, t, mode_ == FormMode::Insert); !s) return s;
    table_ = t;
    mode_ = FormMode::Change;
    rapNo->setEnabled(false);
    return {};
}

void StatementDefinitionWindow::insertLine(int side) {
    if (mode_ == FormMode::Insert) {
        if (auto s = writeHeader(); !s) {
            reportError(ui_, s.error(), 4);
            return;
        }
    }
    data::DTablo l = st::newLine(table_.RAPNO, side == 0 ? "A" : "P");
    int top = 0;
    for (const auto& r : rows_[static_cast<std::size_t>(side)]) top = std::max<int>(top, r.SIRANO);
    l.SIRANO = static_cast<std::int16_t>(top + 1);
    LineForm f(ds_, ui_, l, FormMode::Insert, hooks_, this);
    hooks_.runForm(f);
    reload();
}

void StatementDefinitionWindow::changeLine(int side) {
    const auto& rows = rows_[static_cast<std::size_t>(side)];
    const int r = lists[static_cast<std::size_t>(side)]->currentRow();
    if (r < 0 || r >= static_cast<int>(rows.size())) return;
    LineForm f(ds_, ui_, rows[static_cast<std::size_t>(r)], FormMode::Change, hooks_, this);
    hooks_.runForm(f);
    reload();
}

void StatementDefinitionWindow::removeLine(int side) {
    const auto& rows = rows_[static_cast<std::size_t>(side)];
    const int r = lists[static_cast<std::size_t>(side)]->currentRow();
    if (r < 0 || r >= static_cast<int>(rows.size()) || !askYes(raiseData(ui_, 9))) return;
    if (auto s = st::deleteLine(ds_, rows[static_cast<std::size_t>(r)]); !s) reportError(ui_, s.error(), 11);
    reload();
}

void StatementDefinitionWindow::moveLine(int side, bool up) {
    const auto& rows = rows_[static_cast<std::size_t>(side)];
    QTableWidget* t = lists[static_cast<std::size_t>(side)];
    const int r = t->currentRow();
    if (r < 0 || r >= static_cast<int>(rows.size())) return;
    auto moved = st::moveLine(ds_, rows[static_cast<std::size_t>(r)], up ? st::Move::Up : st::Move::Down);
    if (!moved) {
        reportError(ui_, moved.error(), 25);
        return;
    }
    reload();
    const auto& now = rows_[static_cast<std::size_t>(side)];
    for (int k = 0; k < static_cast<int>(now.size()); ++k)
        if (now[static_cast<std::size_t>(k)].SIRANO == *moved) t->selectRow(k);
}

void StatementDefinitionWindow::trySave() {
    if (auto s = writeHeader(); !s) {
        reportError(ui_, s.error(), mode_ == FormMode::Insert ? 4 : 25);
        return;
    }
    accept();
}

// ---- the lists that open the editors ----

namespace {

struct ListSpec {
    QString title;
    QStringList headings;
    std::function<std::vector<QStringList>()> rows;
    std::function<void(int row)> insertOrChange; // row -1: insert
    std::function<core::Status(int row)> remove;
    std::vector<std::pair<QString, std::function<void(int row)>>> extra;
};

void runList(app::Ui& ui, QWidget* frame, ListSpec spec) {
    QDialog d(frame);
    d.setWindowTitle(spec.title);
    auto* v = new QVBoxLayout(&d);
    QTableWidget* t = makeTable(spec.headings, &d);
    v->addWidget(t);
    auto* row = new QHBoxLayout;
    v->addLayout(row);
    const auto refresh = [&] { fillTable(t, spec.rows()); };
    QObject::connect(button(QStringLiteral("&YeniGir"), row, &d), &QPushButton::clicked, &d, [&] {
        spec.insertOrChange(-1);
        refresh();
    });
    QObject::connect(button(QStringLiteral("&Değiştir"), row, &d), &QPushButton::clicked, &d, [&] {
        if (t->currentRow() >= 0) spec.insertOrChange(t->currentRow());
        refresh();
    });
    QObject::connect(button(QStringLiteral("&Sil"), row, &d), &QPushButton::clicked, &d, [&] {
        if (t->currentRow() < 0 || !askYes(raiseData(ui, 9))) return;
        if (auto s = spec.remove(t->currentRow()); !s) reportError(ui, s.error(), 11);
        refresh();
    });
    for (auto& [caption, action] : spec.extra)
        QObject::connect(button(caption, row, &d), &QPushButton::clicked, &d, [&, a = action] {
            a(t->currentRow());
            refresh();
        });
    row->addStretch();
    QObject::connect(button(QStringLiteral("Çı&kış"), row, &d), &QPushButton::clicked, &d, &QDialog::reject);
    refresh();
    d.resize(640, 420);
    d.exec();
}

} // namespace

namespace {

// Starts another registered procedure on the frame's own context (message 24 while it does not
// exist yet).
struct Starter {
    const app::ProcedureRegistry* registry;
    MainFrame* frame;
    void run(const std::string& name, const std::string& argument) const {
        if (auto* c = frame->context()) (void)app::runRegistered(*registry, name, argument, *c);
    }
};

app::ProcedureSpec windowSpec(const char* name,
                              std::function<void(data::DataSet&, app::Ui&, const std::string&)> open) {
    app::ProcedureSpec spec;
    spec.name = name;
    spec.run = [open](app::ProcedureContext& c, const app::Options& o) -> core::Status {
        open(c.data, c.ui, o.argument);
        return {};
    };
    return spec;
}

} // namespace

void registerDefinitionWindows(app::ProcedureRegistry& registry, MainFrame& mainFrame) {
    const Starter catalogue{&registry, &mainFrame};
    QWidget* frame = &mainFrame;
    if (!registry.find("TnmRaporlar"))
        registry.add(windowSpec("TnmRaporlar", [catalogue, frame](data::DataSet& ds, app::Ui& ui,
                                                                   const std::string& argument) {
            const std::string kind = argument == "2" ? "2" : "1";
            auto reports = std::make_shared<std::vector<data::Rapor>>();
            ListSpec s;
            s.title = kind == "1" ? QStringLiteral("Tanımlanabilir Mizan Raporları") : QStringLiteral("Tanımlanabilir Muavin Raporları");
            s.headings = {QStringLiteral("No"), QStringLiteral("Ad"), QStringLiteral("Uzunluk")};
            s.rows = [&ds, &ui, reports, kind] {
                reports->clear();
                auto defs = st::readDefinitions(ds);
                if (!defs) reportError(ui, defs.error(), 1);
                std::vector<QStringList> out;
                for (const auto& r : defs ? defs->reports : std::vector<st::ReportDefinition>{})
                    if (core::text::trim(r.header.RAPKOD) == kind) {
                        reports->push_back(r.header);
                        out.push_back({QString::number(r.header.RAPNO), q(r.header.AD), QString::number(r.header.UZUNLUK)});
                    }
                return out;
            };
            s.insertOrChange = [&ds, &ui, frame, reports, kind](int row) {
                data::Rapor r;
                r.RAPKOD = kind;
                const bool insert = row < 0 || row >= static_cast<int>(reports->size());
                if (!insert) r = (*reports)[static_cast<std::size_t>(row)];
                ReportDefinitionWindow w(ds, ui, r, insert ? FormMode::Insert : FormMode::Change, {}, frame);
                w.exec();
            };
            s.remove = [&ds, reports](int row) -> core::Status {
                if (row < 0 || row >= static_cast<int>(reports->size())) return {};
                return st::deleteReport(ds, (*reports)[static_cast<std::size_t>(row)]);
            };
            s.extra.emplace_back(QStringLiteral("Std.Rapor"), [catalogue, kind](int) {
                catalogue.run(kind == "1" ? "StdMizanRapor" : "StdMuavinRapor", kind);
            });
            s.extra.emplace_back(QStringLiteral("&Yazdır"), [catalogue, reports, kind](int row) {
                const std::string no = row >= 0 && row < static_cast<int>(reports->size())
                                           ? std::to_string((*reports)[static_cast<std::size_t>(row)].RAPNO)
                                           : std::string();
                catalogue.run(kind == "1" ? "TnmMizanFiltre" : "TnmMuavinFiltre", no);
            });
            runList(ui, frame, std::move(s));
        }));
    if (!registry.find("TabloRapor"))
        registry.add(windowSpec("TabloRapor", [catalogue, frame](data::DataSet& ds, app::Ui& ui,
                                                                 const std::string&) {
            auto tables = std::make_shared<std::vector<data::Tablo>>();
            ListSpec s;
            s.title = QStringLiteral("Tablo Bilanço Raporları");
            s.headings = {QStringLiteral("Rap No"), QStringLiteral("Ad")};
            s.rows = [&ds, &ui, tables] {
                tables->clear();
                auto defs = st::readDefinitions(ds);
                if (!defs) reportError(ui, defs.error(), 1);
                std::vector<QStringList> out;
                for (const auto& t : defs ? defs->statements : std::vector<st::StatementDefinition>{}) {
                    tables->push_back(t.header);
                    out.push_back({QString::number(t.header.RAPNO), q(t.header.AD)});
                }
                return out;
            };
            s.insertOrChange = [&ds, &ui, frame, tables](int row) {
                const bool insert = row < 0 || row >= static_cast<int>(tables->size());
                StatementDefinitionWindow w(ds, ui, insert ? data::Tablo{} : (*tables)[static_cast<std::size_t>(row)],
                                            insert ? FormMode::Insert : FormMode::Change, {}, frame);
                w.exec();
            };
            s.remove = [&ds, tables](int row) -> core::Status {
                if (row < 0 || row >= static_cast<int>(tables->size())) return {};
                return st::deleteStatement(ds, (*tables)[static_cast<std::size_t>(row)]);
            };
            s.extra.emplace_back(QStringLiteral("Yazdır"), [catalogue, tables](int row) {
                const std::string no = row >= 0 && row < static_cast<int>(tables->size())
                                           ? std::to_string((*tables)[static_cast<std::size_t>(row)].RAPNO)
                                           : std::string();
                catalogue.run("TabloBilancoFiltre", no);
            });
            s.extra.emplace_back(QStringLiteral("Std.Tablo"),
                                 [catalogue](int) { catalogue.run("StdTabloRapor", ""); });
            runList(ui, frame, std::move(s));
        }));
}

} // namespace hk::ui
