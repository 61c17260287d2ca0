// The voucher form FHkFisBas. Invariants it keeps:
//  - the work file holds the lines being edited, in work-file key order; `lines_` is always what
//    the work file gave back after the last change, so the list shows exactly the work file;
//  - nothing reaches FisDet, FisBas or the totals but through vouchers::save;
//  - the day and the type are fixed once the first line exists (numbering depends on them).
#include "ui/vouchers/voucher_form.h"

#include "app/catalogue.h"
#include "app/procedure.h"
#include "app/sheet_export.h"
#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "ui/framework/fields.h"
#include "ui/shell/frame.h"
#include "ui/vouchers/voucher_ack.h"
#include "ui/vouchers/voucher_tools.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/tools.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <filesystem>

namespace hk::ui {

namespace text = core::text;
namespace pic = core::picture;
namespace v = hk::vouchers;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void report(app::Ui& ui, const core::Error& e) {
    if (e.shown) return;
    std::string t = e.kind == core::ErrorKind::Unspecified || e.code != 0 ? e.describe() : e.text;
    ui.message(t, e.file, app::Icon::Warning, "&Tamam", 1);
}

const char* const kWeekdays[7] = {"Pazar",    "Pazartesi", "Salı",     "Çarşamba",
                                  "Perşembe", "Cuma",      "Cumartesi"};
const char* const kMonthNames[12] = {"Ocak",   "Şubat",   "Mart",  "Nisan", "Mayıs",  "Haziran",
                                     "Temmuz", "Ağustos", "Eylül", "Ekim",  "Kasım", "Aralık"};
const char* const kTypes[3] = {"Mahsup", "Tahsil", "Tediye"};
const char kTypeLetters[3] = {'M', 'A', 'E'};

} // namespace

// ---- the line list ----------------------------------------------------------------------------

class WorkLinesModel : public QAbstractTableModel {
  public:
    WorkLinesModel(const v::Lines& lines, QObject* parent)
        : QAbstractTableModel(parent), lines_(lines) {}
    void reset() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& p = {}) const override {
        return p.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : 9; }
    QVariant headerData(int s, Qt::Orientation o, int role) const override {
        static const char* const h[9] = {"No",       "Hesap Kodu", "Hesap Adı",
                                         "Fiş Açıklaması", "Borç", "Alacak",
                                         "Borç Döviz",     "Alacak Döviz", "B/A"};
        if (o == Qt::Horizontal && role == Qt::DisplayRole && s >= 0 && s < 9) return q(h[s]);
        return {};
    }
    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid() || i.row() >= rowCount()) return {};
        const auto& l = lines_[static_cast<std::size_t>(i.row())];
        if (role == Qt::TextAlignmentRole && i.column() >= 4 && i.column() <= 7)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const bool amount = v::isAmountLine(l);
        switch (i.column()) {
        case 0: return amount ? QString::number(l.FISSIRANO) : QString();
        case 1: return amount ? q(text::clip(l.HESAPKODU)) : QString();
        case 2: return amount ? q(text::clip(l.HESAPADI1)) : QString();
        case 3: return q(text::clip(l.FISACK));
        case 4: return q(pic::format(l.TLBORC, "n18.2b"));
        case 5: return q(pic::format(l.TLALACAK, "n18.2b"));
        case 6: return q(pic::format(l.DOVIZBORC, "n18.2b"));
        case 7: return q(pic::format(l.DOVIZALACAK, "n18.2b"));
        case 8: return q(text::clip(l.BORCALACAK));
        }
        return {};
    }

  private:
    const v::Lines& lines_;
};

// ---- FHkFisBas --------------------------------------------------------------------------------

FHkFisBas::FHkFisBas(VoucherFormContext ctx, const std::string& key, QWidget* parent)
    : QDialog(parent), ctx_(std::move(ctx)) {
    work_ = v::WorkFile::create(*ctx_.data);
    auto* box = new QVBoxLayout(this);
    titleLine = new QLabel(this);
    box->addWidget(titleLine);

    auto* head = new QGridLayout;
    day = new PictureEdit("n_2", this);
    type = new QComboBox(this);
    for (auto* t : kTypes) type->addItem(q(t));
    attribute = new PictureEdit("s3", this);
    attributeLookup = new QPushButton(QStringLiteral("..."), this);
    head->addWidget(new QLabel(QStringLiteral("Gün"), this), 0, 0);
    head->addWidget(day, 0, 1);
    head->addWidget(new QLabel(QStringLiteral("Fiş Türü"), this), 0, 2);
    head->addWidget(type, 0, 3);
    head->addWidget(new QLabel(QStringLiteral("Fiş Niteliği"), this), 0, 4);
    head->addWidget(attribute, 0, 5);
    head->addWidget(attributeLookup, 0, 6);
    documentType = new QComboBox(this);
    documentType->addItem(QString());
    for (auto* t : v::kDocumentTypes) documentType->addItem(q(t));
    documentNo = new PictureEdit("s20", this);
    documentDate = new PictureEdit("d6", this);
    documentDescription = new PictureEdit("s30", this);
    paymentType = new PictureEdit("s20", this);
    clear = new QPushButton(QStringLiteral("Temizle"), this);
    head->addWidget(new QLabel(QStringLiteral("Belge Tipi"), this), 1, 0);
    head->addWidget(documentType, 1, 1);
    head->addWidget(new QLabel(QStringLiteral("Belge No"), this), 1, 2);
    head->addWidget(documentNo, 1, 3);
    head->addWidget(new QLabel(QStringLiteral("Belge Tarihi"), this), 1, 4);
    head->addWidget(documentDate, 1, 5);
    head->addWidget(new QLabel(QStringLiteral("Belge Açıklaması"), this), 2, 0);
    head->addWidget(documentDescription, 2, 1, 1, 3);
    head->addWidget(new QLabel(QStringLiteral("Ödeme Tipi"), this), 2, 4);
    head->addWidget(paymentType, 2, 5);
    head->addWidget(clear, 2, 6);
    box->addLayout(head);

    model_ = new WorkLinesModel(lines_, this);
    table = new QTableView(this);
    table->setModel(model_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    // Widths by characters, not by contents: measuring every row would make a long voucher
    // slow to open.
    const int ch = table->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int widths[9] = {5, 14, 20, 28, 15, 15, 13, 13, 4};
    for (int c = 0; c < 9; ++c) table->setColumnWidth(c, widths[c] * ch + 8);
    box->addWidget(table, 1);
    totals = new QLabel(this);
    box->addWidget(totals);

    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    auto button = [this](QHBoxLayout* row, const char* caption) {
        auto* b = new QPushButton(q(caption), this);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    insertButton = button(row1, "&YeniGir");
    copyButton = button(row1, "&Kopyala");
    changeButton = button(row1, "&Değiştir");
    deleteButton = button(row1, "&Sil");
    describeButton = button(row1, "Ek Açıklama");
    sortButton = button(row1, "Fiş Sırala");
    excelButton = button(row2, "Excel");
    excelReadButton = button(row2, "Excel Oku");
    saveButton = button(row2, "&Kaydet");
    savePrintButton = button(row2, "Kaydet &Yaz");
    exitButton = button(row2, "Çı&kış");
    box->addLayout(row1);
    box->addLayout(row2);

    connect(day, &QLineEdit::editingFinished, this, [this] {
        if (day->isModified()) (void)dayLeft();
        day->setModified(false);
    });
    connect(type, &QComboBox::currentIndexChanged, this, [this] { typeChanged(); });
    connect(attribute, &QLineEdit::editingFinished, this, [this] {
        if (attribute->isModified()) (void)attributeLeft();
        attribute->setModified(false);
    });
    connect(attributeLookup, &QPushButton::clicked, this, [this] {
        if (!ctx_.pickAttribute) return;
        if (auto a = ctx_.pickAttribute()) attribute->setTextValue(*a);
    });
    connect(clear, &QPushButton::clicked, this, [this] { clearDocument(); });
    connect(insertButton, &QPushButton::clicked, this, [this] { newLine(false); });
    connect(copyButton, &QPushButton::clicked, this, [this] { newLine(true); });
    connect(changeButton, &QPushButton::clicked, this, [this] { changeLine(); });
    connect(table, &QTableView::doubleClicked, this, [this] { changeLine(); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { deleteLine(); });
    connect(describeButton, &QPushButton::clicked, this, [this] { extraDescription(); });
    connect(sortButton, &QPushButton::clicked, this, [this] { sortLines(); });
    connect(excelButton, &QPushButton::clicked, this, [this] { exportLines(); });
    connect(excelReadButton, &QPushButton::clicked, this, [this] { readExcel(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { (void)trySave(false); });
    connect(savePrintButton, &QPushButton::clicked, this, [this] { (void)trySave(true); });
    connect(exitButton, &QPushButton::clicked, this, [this] { leave(); });

    opened_ = load(key);
    resize(900, 560);
}

FHkFisBas::~FHkFisBas() {
    detachFields(this);
}

bool FHkFisBas::load(const std::string& key) {
    auto books = v::Books::open(*ctx_.data);
    if (!books) {
        report(*ctx_.ui, books.error());
        return false;
    }
    auto y = books->readCompany();
    if (!y) {
        ctx_.ui->message(v::storageText(y.error()), "Next(HkYasal)", app::Icon::Warning,
                         "&Tamam", 1);
        return false;
    }
    company_ = *y;
    if (key.empty()) {
        draft_ = v::newDraft(*ctx_.session);
        day->setFocus();
    } else {
        auto d = v::openForChange(*books, company_, key);
        if (!d) {
            report(*ctx_.ui, d.error());
            return false;
        }
        draft_ = std::move(*d);
        if (draft_.header.YEVMIYENO != 0) {
            // A journalised voucher can only be looked at.
            ctx_.ui->message(v::msg::kJournalisedChange, {}, app::Icon::Warning, "&Tamam", 1);
            saveButton->hide();
            savePrintButton->hide();
            readOnly_ = true;
        }
        day->setNumber(draft_.header.FISTRH.day);
        const char t = v::typeLetter(draft_.header.FISTUR);
        for (int i = 0; i < 3; ++i)
            if (kTypeLetters[i] == t) type->setCurrentIndex(i);
        const std::string a = text::clip(draft_.header.FISNTLK);
        if (a == "ACF" || a == "KPF") {
            attribute->setEnabled(false);
            attributeLookup->setEnabled(false);
        }
        const auto& doc = draft_.document;
        const int docIndex = documentType->findText(q(text::clip(doc.type)));
        documentType->setCurrentIndex(docIndex < 0 ? 0 : docIndex);
        documentNo->setTextValue(doc.number);
        documentDate->setDate(doc.date);
        documentDescription->setTextValue(doc.description);
        paymentType->setTextValue(doc.description2);
        day->setEnabled(false);
        type->setEnabled(false);
    }
    attribute->setTextValue(text::clip(draft_.header.FISNTLK));
    if (auto st = work_.store(draft_.lines); !st) {
        storageFailure(st.error());
        return false;
    }
    showLines();
    refreshTitle();
    return true;
}

std::string FHkFisBas::title() const {
    return titleLine->text().toStdString();
}

void FHkFisBas::refreshTitle() {
    const int c = ctx_.session->CalisilanAy();
    const char t = kTypeLetters[std::max(0, type->currentIndex())];
    std::string month;
    if (c >= 1 && c <= 12) {
        month = ctx_.session->AyAdlari[static_cast<std::size_t>(c - 1)];
        if (text::clip(month).empty()) month = kMonthNames[c - 1];
    }
    std::string s = v::typeName(t) + " " + text::clip(month);
    const core::Date d = draft_.header.FISTRH;
    if (d.isSet() && d.isValid())
        s += std::string(" ") + kWeekdays[d.weekday()] + " " + pic::format(d, "d6b");
    titleLine->setText(q(s));
    setWindowTitle(q(s));
}

bool FHkFisBas::dayLeft() {
    auto n = day->number();
    const int dd = n ? static_cast<int>(*n) : 0;
    auto d = v::voucherDate(*ctx_.ui, company_, ctx_.session->CalisilanAy(), dd);
    if (!d) {
        // Before the last journal date: the day moves to that date when it lies in this month.
        const core::Date last = company_.SONYEVMIYETARIH;
        if (d.error().text == v::msg::kBeforeJournal && last.isSet() &&
            last.month == ctx_.session->CalisilanAy())
            day->setNumber(last.day);
        day->setFocus();
        return false;
    }
    draft_.header.FISTRH = *d;
    refreshTitle();
    return true;
}

void FHkFisBas::typeChanged() {
    const int i = type->currentIndex();
    if (i < 0 || i > 2) return;
    draft_.header.FISTUR = std::string(1, kTypeLetters[i]);
    refreshTitle();
}

bool FHkFisBas::attributeLeft() {
    std::string a = text::upperTr(text::trim(attribute->textValue()));
    bool known = a == "N" || a == "ACF" || a == "KPF" || a == "IPT" || a == "YAN";
    if (!known) {
        auto r = v::attributeExists(*ctx_.data, a);
        known = r && *r;
    }
    if (!known) {
        std::optional<std::string> chosen;
        if (ctx_.pickAttribute) chosen = ctx_.pickAttribute();
        if (!chosen) {
            attribute->setFocus();
            return false;
        }
        a = text::clip(*chosen);
    }
    attribute->setTextValue(a);
    draft_.header.FISNTLK = a;
    return true;
}

void FHkFisBas::clearDocument() {
    if (ctx_.ui->message(v::msg::kClearDocument, v::msg::kWarningCaption, app::Icon::Question,
                         "Evet|Hayır", 2) != 1)
        return;
    documentType->setCurrentIndex(0);
    documentNo->clear();
    documentDate->clear();
    documentDescription->clear();
    paymentType->clear();
}

void FHkFisBas::showLines() {
    auto l = work_.load();
    if (!l) {
        report(*ctx_.ui, l.error());
        return;
    }
    const int keep = currentLine();
    lines_ = std::move(*l);
    model_->reset();
    const auto t = v::totalsOf(lines_);
    const double diff =
        core::numeric::realEqual(t.tlDebit, t.tlCredit) ? 0.0 : t.difference();
    totals->setText(q("Borç: " + pic::format(t.tlDebit, "n18.2") +
                      "   Alacak: " + pic::format(t.tlCredit, "n18.2") +
                      "   Döviz Borç: " + pic::format(t.fxDebit, "n18.2") +
                      "   Döviz Alacak: " + pic::format(t.fxCredit, "n18.2") + "   Satır: " +
                      std::to_string(t.count) + "   Fark: " + pic::format(diff, "n18.2")));
    for (std::size_t r = 0; r < lines_.size(); ++r)
        if (lines_[r].FISSIRANO == keep && v::isAmountLine(lines_[r])) {
            table->selectRow(static_cast<int>(r));
            break;
        }
    lockHeader();
}

void FHkFisBas::storeLines() {
    if (auto st = work_.store(lines_); !st) storageFailure(st.error());
    showLines();
}

void FHkFisBas::storageFailure(const core::Error& e) {
    // A storage error is shown as its number and text, the failed operation as the caption.
    ctx_.ui->message(e.describe(), e.file, app::Icon::Warning, "&Tamam", 1);
}

void FHkFisBas::lockHeader() {
    if (!lines_.empty()) {
        day->setEnabled(false);
        type->setEnabled(false);
    }
}

void FHkFisBas::selectLine(int row) {
    table->selectRow(row);
}

const data::FisDet* FHkFisBas::highlighted() const {
    const auto rows = table->selectionModel() ? table->selectionModel()->selectedRows()
                                              : QModelIndexList{};
    if (rows.isEmpty()) return nullptr;
    const auto r = static_cast<std::size_t>(rows.first().row());
    return r < lines_.size() ? &lines_[r] : nullptr;
}

int FHkFisBas::currentLine() const {
    const auto* l = highlighted();
    return l ? l->FISSIRANO : 0;
}

bool FHkFisBas::runLineForm(data::FisDet line, bool insert) {
    LineFormState st;
    st.type = v::typeLetter(draft_.header.FISTUR);
    st.date = draft_.header.FISTRH;
    st.fiscalMonth = draft_.fiscalMonth;
    st.company = company_;
    st.difference = v::totalsOf(lines_).difference();
    st.current = insert ? currentLine() : line.FISSIRANO;
    st.karsitNo = draft_.header.KARSITNO;
    st.cashByForm = insertMode() || company_.TAHSILTEDIYEOTOMATIKKAPA != 0;
    const int oldNumber = line.FISSIRANO;
    line.KEYSTR = draft_.header.KEYSTR;
    FHkFisDet form(ctx_, st, line, insert, this);
    if (ctx_.runDialog(form) != QDialog::Accepted || form.produced().empty()) return false;
    draft_.header.KARSITNO = form.karsitNo();
    int at = st.current;
    if (!insert) {
        // A changed line keeps its place: it goes back where it was, its description lines with
        // it; a split puts the VAT line right after it.
        v::Lines desc;
        for (const auto& l : lines_)
            if (l.FISSIRANO == oldNumber && !v::isAmountLine(l)) desc.push_back(l);
        v::removeLine(lines_, oldNumber);
        at = oldNumber - 1;
        auto first = form.produced().front();
        // A split's net line carries MFB:KARSITNO; otherwise the line keeps the ACKNO it had.
        const std::int32_t ack = first.line.ACKNO != 0 ? first.line.ACKNO : oldNumber * 100;
        first.line.FISSIRANO = static_cast<std::int16_t>(oldNumber);
        first.line.ACKNO = ack;
        v::insertLine(lines_, first.line, at, true);
        for (auto& d : desc) {
            d.ACKNO = ack + d.ACKNO % 100;
            d.HESAPKODU = first.line.HESAPKODU;
            d.BORCALACAK = first.line.BORCALACAK;
            lines_.push_back(d);
        }
        v::orderLines(lines_);
        at = oldNumber;
        for (std::size_t i = 1; i < form.produced().size(); ++i) {
            const auto& p = form.produced()[i];
            v::insertLine(lines_, p.line, at, p.keepAckNo);
            ++at;
        }
    } else {
        for (const auto& p : form.produced()) {
            v::insertLine(lines_, p.line, at, p.keepAckNo);
            ++at;
        }
    }
    storeLines();
    if (at > 0)
        for (std::size_t r = 0; r < lines_.size(); ++r)
            if (lines_[r].FISSIRANO == at && v::isAmountLine(lines_[r])) table->selectRow(int(r));
    return true;
}

void FHkFisBas::newLine(bool copy) {
    if (lines_.empty() && insertMode() && !dayLeft()) return;
    data::FisDet l;
    if (copy) {
        const auto* h = highlighted();
        if (!h || !v::isAmountLine(*h)) return;
        l = *h;
        l.FISSIRANO = 0;
        l.ACKNO = 0;
    }
    (void)runLineForm(l, true);
}

void FHkFisBas::changeLine() {
    const auto* h = highlighted();
    if (!h || !v::isAmountLine(*h)) return;
    (void)runLineForm(*h, false);
}

void FHkFisBas::deleteLine() {
    const auto* h = highlighted();
    if (!h) return;
    v::removeLine(lines_, h->FISSIRANO);
    storeLines();
}

void FHkFisBas::extraDescription() {
    const auto* h = highlighted();
    if (!h || !v::isAmountLine(*h)) return;
    const std::int32_t ack = h->ACKNO;
    SerbestYazi dlg(v::descriptionsOf(lines_, ack), this);
    if (ctx_.runDialog(dlg) != QDialog::Accepted) return;
    v::setDescriptions(lines_, ack, dlg.texts());
    storeLines();
}

void FHkFisBas::sortLines() {
    v::sortLines(lines_, ctx_.session->FisIciSirala);
    storeLines();
}

void FHkFisBas::exportLines() {
    const v::Lines snapshot = lines_;
    (void)app::exportList(
        *ctx_.ui, [&]() -> core::Result<output::Sheet> { return v::workLinesSheet(snapshot); },
        output::ExportTarget{ctx_.exportTarget, false, {}});
}

void FHkFisBas::readExcel() {
    ctx_.ui->message(v::msg::kFisDetayLayout, {}, app::Icon::Information, "&Tamam", 1);
    const std::string path = v::fisDetayPath(*ctx_.session);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        ctx_.ui->message(path + v::msg::kFileMissing, {}, app::Icon::Warning, "&Tamam", 1);
        return;
    }
    auto book = output::Workbook::open(path);
    if (!book) {
        ctx_.ui->message(book.error().text, path, app::Icon::Warning, "&Tamam", 1);
        return;
    }
    v::Lines next = lines_;
    if (auto st = v::readFisDetay(*book, next); !st) {
        ctx_.ui->message(st.error().text, path, app::Icon::Warning, "&Tamam", 1);
        return;
    }
    for (auto& l : next)
        if (text::clip(l.KEYSTR).empty()) l.KEYSTR = draft_.header.KEYSTR;
    lines_ = std::move(next);
    storeLines();
}

void FHkFisBas::collectHeader() {
    const int i = type->currentIndex();
    if (i >= 0 && i <= 2) draft_.header.FISTUR = std::string(1, kTypeLetters[i]);
    draft_.document.type = documentType->currentText().toStdString();
    draft_.document.number = documentNo->textValue();
    auto dd = documentDate->date();
    draft_.document.date = dd ? *dd : core::Date{};
    draft_.document.description = documentDescription->textValue();
    draft_.document.description2 = paymentType->textValue();
}

bool FHkFisBas::trySave(bool print) {
    if (readOnly_) return false;
    if (insertMode() && !dayLeft()) return false;
    if (attribute->isEnabled() && !attributeLeft()) return false;
    if (documentDate->date().ok() == false) {
        documentDate->setFocus();
        return false;
    }
    collectHeader();
    auto l = work_.load();
    if (!l) {
        report(*ctx_.ui, l.error());
        return false;
    }
    {
        auto books = v::Books::open(*ctx_.data);
        core::Status st = books ? v::checkLineAccounts(books->plan, *l) : books.error();
        if (!st) {
            report(*ctx_.ui, st.error());
            return false;
        }
    }
    v::Draft d = draft_;
    d.lines = std::move(*l);
    v::Env env{*ctx_.session, *ctx_.ui, *ctx_.data};
    auto askCash = [this](v::CashChoice& c) {
        TahsilTediyeKapa dlg(c, this);
        if (ctx_.runDialog(dlg) != QDialog::Accepted) return false;
        c = dlg.choice();
        return true;
    };
    auto key = v::save(env, d, askCash);
    if (!key) {
        // A number drawn before the refusal stays consumed; the next save draws another.
        if (d.mode == v::Mode::Insert) draft_.header.KEYSTR = "1";
        draft_.header.KPERSONEL = d.header.KPERSONEL;
        draft_.header.KTARIHI = d.header.KTARIHI;
        draft_.header.KSAATI = d.header.KSAATI;
        report(*ctx_.ui, key.error());
        return false;
    }
    saved_ = *key;
    leaving_ = true;
    accept();
    if (print && ctx_.start) ctx_.start("FisYaz", saved_);
    return true;
}

void FHkFisBas::leave() {
    if (insertMode() && !leaving_ &&
        ctx_.ui->message(v::msg::kLeaveQuestion, v::msg::kConfirmCaption, app::Icon::Question,
                         "&Evet|&Hayır", 2) != 1)
        return;
    leaving_ = true;
    QDialog::reject();
}

void FHkFisBas::keyPressEvent(QKeyEvent* e) {
    if (!enterMovesOn(this, e)) QDialog::keyPressEvent(e);
}

void FHkFisBas::reject() {
    if (leaving_) {
        QDialog::reject();
        return;
    }
    leave();
}

// ---- registration -----------------------------------------------------------------------------

void registerVoucherForm(app::ProcedureRegistry& registry, MainFrame& frame) {
    struct Shared {
        EntryMemory memory;
        QPointer<FHkFisBas> open;
    };
    auto shared = std::make_shared<Shared>();
    MainFrame* f = &frame;
    const app::ProcedureRegistry* procedures = &registry;
    app::ProcedureSpec spec;
    spec.name = "FHkFisBas";
    spec.run = [shared, f, procedures](app::ProcedureContext& c,
                                       const app::Options& o) -> core::Status {
        // One voucher form at a time: a second start brings the open one to the front.
        if (shared->open) {
            shared->open->raise();
            shared->open->activateWindow();
            return {};
        }
        VoucherFormContext ctx;
        ctx.data = &c.data;
        ctx.session = &c.session;
        ctx.ui = &c.ui;
        ctx.rights = &c.rights;
        ctx.memory = &shared->memory;
        AccountsContext a;
        a.data = &c.data;
        a.session = &c.session;
        a.ui = &c.ui;
        a.rights = &c.rights;
        ctx.pickAccount = [a, f](bool detailOnly) {
            return pickAccount(a, detailOnly ? ChartListKind::Detail : ChartListKind::All, f);
        };
        data::DataSet* ds = &c.data;
        app::Ui* ui = &c.ui;
        const app::RightsService* rights = &c.rights;
        // The standard descriptions and the attributes are chosen from their own lists (FisAck,
        // "Fiş Nitelik Listesi"), where a missing one can be added on the spot.
        ctx.pickDescription = [ds, ui, rights, f]() -> std::optional<std::string> {
            return chooseDescription(DescriptionContext{ds, ui, rights, {}}, f);
        };
        ctx.pickAttribute = [ds, ui, f]() -> std::optional<std::string> {
            return chooseAttribute(*ds, *ui, f);
        };
        ctx.start = [procedures, f](const std::string& name, const std::string& arg) {
            if (auto* fc = f->context()) (void)app::runRegistered(*procedures, name, arg, *fc);
        };
        FHkFisBas form(ctx, o.argument, f);
        if (!form.opened()) return {};
        shared->open = &form;
        form.exec();
        return {};
    };
    registry.add(std::move(spec));
}

} // namespace hk::ui
