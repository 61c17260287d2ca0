// The line form FHkFisDet and the small dialogs of voucher entry. Field rules follow the order a
// user meets them: account, description, amounts; the buttons only fill fields and then run the
// same rules, so a value set by a button is checked as a typed one would be.
#include "accounts/rates.h"
#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "ui/framework/fields.h"
#include "ui/vouchers/voucher_form.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"

#include <QEvent>
#include <QKeyEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cctype>

namespace hk::ui {

namespace text = core::text;
namespace pic = core::picture;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

PictureEdit* amountField(QWidget* parent) {
    auto* f = new PictureEdit("n18.2", parent);
    f->setAlignment(Qt::AlignRight);
    return f;
}

} // namespace

// Closing a window moves the focus out of its fields; their leave rules must not run on a
// window that is going away.
void detachFields(QWidget* w) {
    for (auto* f : w->findChildren<QLineEdit*>()) f->disconnect(w);
}

bool enterMovesOn(QWidget* w, QKeyEvent* e) {
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    QWidget* from = w->focusWidget();
    if (!qobject_cast<QLineEdit*>(from)) return false;
    // Buttons and disabled fields are passed over: the next entry field takes the focus.
    for (QWidget* n = from->nextInFocusChain(); n && n != from; n = n->nextInFocusChain()) {
        if (qobject_cast<QLineEdit*>(n) && n->isEnabled() && n->isVisibleTo(w) &&
            (n->focusPolicy() & Qt::TabFocus) && w->isAncestorOf(n)) {
            n->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    return true;
}

// ---- calculator -------------------------------------------------------------------------------

namespace {
// expr := term {(+|-) term}; term := factor {(*|/) factor}; factor := [-] (number | "(" expr ")")
struct Calc {
    const std::string& s;
    std::size_t i = 0;
    int depth = 0;
    void blanks() {
        while (i < s.size() && s[i] == ' ') ++i;
    }
    std::optional<double> expr() {
        auto v = term();
        for (blanks(); v && i < s.size() && (s[i] == '+' || s[i] == '-'); blanks()) {
            const char op = s[i++];
            auto r = term();
            if (!r) return std::nullopt;
            v = op == '+' ? *v + *r : *v - *r;
        }
        return v;
    }
    std::optional<double> term() {
        auto v = factor();
        for (blanks(); v && i < s.size() && (s[i] == '*' || s[i] == '/'); blanks()) {
            const char op = s[i++];
            auto r = factor();
            if (!r || (op == '/' && *r == 0)) return std::nullopt;
            v = op == '*' ? *v * *r : *v / *r;
        }
        return v;
    }
    std::optional<double> factor() {
        blanks();
        if (i < s.size() && s[i] == '-') {
            ++i;
            auto v = factor();
            if (!v) return std::nullopt;
            return -*v;
        }
        if (i < s.size() && s[i] == '(') {
            if (++depth > 64) return std::nullopt; // bounded nesting
            ++i;
            auto v = expr();
            blanks();
            if (!v || i >= s.size() || s[i] != ')') return std::nullopt;
            ++i;
            --depth;
            return v;
        }
        const std::size_t start = i;
        while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.' ||
                                s[i] == ','))
            ++i;
        if (start == i) return std::nullopt;
        std::string num = s.substr(start, i - start);
        for (auto& c : num)
            if (c == ',') c = '.';
        try {
            std::size_t used = 0;
            const double v = std::stod(num, &used);
            if (used != num.size()) return std::nullopt;
            return v;
        } catch (...) {
            return std::nullopt;
        }
    }
};
} // namespace

std::optional<double> calculate(const std::string& expression) {
    Calc c{expression};
    auto v = c.expr();
    c.blanks();
    if (!v || c.i != expression.size() || !std::isfinite(*v)) return std::nullopt;
    return v;
}

Calculator::Calculator(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Hesap Makinası"));
    auto* box = new QVBoxLayout(this);
    expression = new QLineEdit(this);
    shown = new QLabel(this);
    box->addWidget(expression);
    box->addWidget(shown);
    auto* row = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("&Tamam"), this);
    cancel = new QPushButton(QStringLiteral("&Vazgeç"), this);
    row->addWidget(ok);
    row->addWidget(cancel);
    box->addLayout(row);
    connect(expression, &QLineEdit::textChanged, this, [this] {
        auto v = value();
        shown->setText(v ? q(pic::format(*v, "n20.2")) : QString());
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (value()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<double> Calculator::value() const {
    return calculate(expression->text().toStdString());
}

// ---- TahsilTediyeKapa, SerbestYazi ------------------------------------------------------------

TahsilTediyeKapa::TahsilTediyeKapa(const vouchers::CashChoice& c, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tahsil&Tediye Kapa Ekranı"));
    auto* form = new QFormLayout(this);
    account = new PictureEdit("s18", this);
    account->setTextValue(c.account);
    description = new PictureEdit("s35", this);
    description->setTextValue(c.description);
    form->addRow(QStringLiteral("Hesap Kodu"), account);
    form->addRow(QStringLiteral("Açıklama"), description);
    auto* row = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("&Tamam"), this);
    cancel = new QPushButton(QStringLiteral("&Vazgeç"), this);
    row->addWidget(ok);
    row->addWidget(cancel);
    form->addRow(row);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (account->textValue().empty()) account->setFocus();
        else accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

vouchers::CashChoice TahsilTediyeKapa::choice() const {
    return {text::trim(account->textValue()), description->textValue()};
}

SerbestYazi::SerbestYazi(const std::array<std::string, 10>& s, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ek Fiş Açıklaması"));
    auto* box = new QVBoxLayout(this);
    for (std::size_t j = 0; j < 10; ++j) {
        lines[j] = new PictureEdit("s35", this);
        lines[j]->setTextValue(s[j]);
        box->addWidget(lines[j]);
    }
    auto* row = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("&Tamam"), this);
    cancel = new QPushButton(QStringLiteral("&Vazgeç"), this);
    row->addWidget(ok);
    row->addWidget(cancel);
    box->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::array<std::string, 10> SerbestYazi::texts() const {
    std::array<std::string, 10> out;
    for (std::size_t j = 0; j < 10; ++j) out[j] = lines[j]->textValue();
    return out;
}

// ---- KdvOnayla --------------------------------------------------------------------------------

KdvOnayla::KdvOnayla(VoucherFormContext& ctx, double net, double vat, double gross,
                     std::string account, QWidget* parent)
    : QDialog(parent), ctx_(ctx), gross_(gross) {
    setWindowTitle(QStringLiteral("Kdv Onay Ekranı"));
    auto* form = new QFormLayout(this);
    auto* codeRow = new QHBoxLayout;
    code = new PictureEdit("s18", this);
    code->setTextValue(account);
    lookup = new QPushButton(QStringLiteral("..."), this);
    codeRow->addWidget(code);
    codeRow->addWidget(lookup);
    form->addRow(QStringLiteral("Hesap Kodu:"), codeRow);
    this->gross = new QLabel(q(pic::format(gross, "n18.2")), this);
    form->addRow(QStringLiteral("Belge Toplamı"), this->gross);
    netField = amountField(this);
    netField->setNumber(net);
    vatField = amountField(this);
    vatField->setNumber(vat);
    form->addRow(QStringLiteral("Kdv Matrahı"), netField);
    form->addRow(QStringLiteral("Kdv"), vatField);
    auto* row = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("Tamam"), this);
    cancel = new QPushButton(QStringLiteral("Vazgeç"), this);
    row->addWidget(ok);
    row->addWidget(cancel);
    form->addRow(row);
    connect(netField, &QLineEdit::editingFinished, this, [this] { netLeft(); });
    connect(vatField, &QLineEdit::editingFinished, this, [this] { vatLeft(); });
    connect(code, &QLineEdit::editingFinished, this, [this] { (void)codeLeft(); });
    connect(lookup, &QPushButton::clicked, this, [this] {
        if (!ctx_.pickAccount) return;
        if (auto a = ctx_.pickAccount(false)) code->setTextValue(text::clip(a->HESAPKODU));
    });
    connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

KdvOnayla::~KdvOnayla() {
    detachFields(this);
}

void KdvOnayla::netLeft() {
    vatField->setNumber(core::numeric::round(gross_ - net(), 2));
}
void KdvOnayla::vatLeft() {
    netField->setNumber(core::numeric::round(gross_ - vatAmount(), 2));
}
double KdvOnayla::net() const {
    auto v = netField->number();
    return v ? *v : 0;
}
double KdvOnayla::vatAmount() const {
    auto v = vatField->number();
    return v ? *v : 0;
}
std::string KdvOnayla::account() const {
    return text::trim(code->textValue());
}

bool KdvOnayla::codeLeft() {
    const std::string c = account();
    if (c.empty()) return true;
    auto b = vouchers::Books::open(*ctx_.data);
    if (b && b->account(c)) return true;
    std::optional<data::HsPlan> chosen;
    if (ctx_.pickAccount) chosen = ctx_.pickAccount(false);
    if (!chosen) {
        code->setFocus();
        return false;
    }
    code->setTextValue(text::clip(chosen->HESAPKODU));
    return true;
}

void KdvOnayla::confirm() {
    if (account().empty() || !codeLeft()) {
        code->setFocus();
        return;
    }
    accept();
}

// ---- FHkFisDet --------------------------------------------------------------------------------

FHkFisDet::FHkFisDet(VoucherFormContext& ctx, LineFormState state, data::FisDet line, bool insert,
                     QWidget* parent)
    : QDialog(parent), ctx_(ctx), state_(std::move(state)), line_(std::move(line)),
      insert_(insert) {
    setWindowTitle(insert ? QStringLiteral("Fiş Detay Girişi") : QStringLiteral("Fiş Detay Değişiklik"));
    auto* grid = new QGridLayout(this);
    int r = 0;
    code = new PictureEdit("s18", this);
    lookup = new QPushButton(QStringLiteral("..."), this);
    grid->addWidget(new QLabel(QStringLiteral("Hesap Kodu"), this), r, 0);
    grid->addWidget(code, r, 1);
    grid->addWidget(lookup, r, 2);
    names = new QLabel(this);
    grid->addWidget(names, ++r, 1, 1, 3);
    description = new PictureEdit("s50", this);
    descriptionLookup = new QPushButton(QStringLiteral("..."), this);
    grid->addWidget(new QLabel(QStringLiteral("Açıklama"), this), ++r, 0);
    grid->addWidget(description, r, 1, 1, 2);
    grid->addWidget(descriptionLookup, r, 3);
    grid->addWidget(new QLabel(QStringLiteral("Borç"), this), ++r, 1);
    grid->addWidget(new QLabel(QStringLiteral("Alacak"), this), r, 2);
    tlDebit = amountField(this);
    tlCredit = amountField(this);
    fxDebit = amountField(this);
    fxCredit = amountField(this);
    subDebit = amountField(this);
    subCredit = amountField(this);
    const std::pair<const char*, std::pair<PictureEdit*, PictureEdit*>> rows[3] = {
        {"TL", {tlDebit, tlCredit}}, {"Döviz", {fxDebit, fxCredit}},
        {"Alt Birim", {subDebit, subCredit}}};
    for (const auto& [caption, f] : rows) {
        grid->addWidget(new QLabel(q(caption), this), ++r, 0);
        grid->addWidget(f.first, r, 1);
        grid->addWidget(f.second, r, 2);
        f.first->installEventFilter(this);
        f.second->installEventFilter(this);
    }
    balance = new QLabel(this);
    grid->addWidget(new QLabel(QStringLiteral("Bakiye"), this), ++r, 0);
    grid->addWidget(balance, r, 1, 1, 3);
    auto* vatRow = new QHBoxLayout;
    for (std::size_t i = 0; i < 5; ++i) {
        vatButtons[i] = new QPushButton(this);
        const int k = static_cast<int>(i) + 1;
        connect(vatButtons[i], &QPushButton::clicked, this, [this, k] { vat(k); });
        vatRow->addWidget(vatButtons[i]);
    }
    grid->addLayout(vatRow, ++r, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    difference = new QPushButton(QStringLiteral("Fark"), this);
    previous = new QPushButton(QStringLiteral("Önceki Satır"), this);
    calc = new QPushButton(QStringLiteral("Hesap Makinası"), this);
    twelve = new QPushButton(QStringLiteral("12 Aylık"), this);
    ok = new QPushButton(QStringLiteral("&Tamam"), this);
    cancel = new QPushButton(QStringLiteral("&Vazgeç"), this);
    for (auto* b : {difference, previous, calc, twelve, ok, cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, ++r, 0, 1, 4);

    connect(code, &QLineEdit::editingFinished, this, [this] {
        if (code->isModified()) (void)codeLeft();
        code->setModified(false);
    });
    connect(lookup, &QPushButton::clicked, this, [this] {
        if (!ctx_.pickAccount) return;
        if (auto a = ctx_.pickAccount(true)) {
            code->setTextValue(text::clip(a->HESAPKODU));
            (void)codeLeft();
        }
    });
    connect(description, &QLineEdit::editingFinished, this, [this] { descriptionLeft(); });
    connect(descriptionLookup, &QPushButton::clicked, this, [this] { pickDescription(); });
    connect(tlDebit, &QLineEdit::editingFinished, this, [this] { tlDebitLeft(); });
    connect(tlCredit, &QLineEdit::editingFinished, this, [this] { tlCreditLeft(); });
    connect(fxDebit, &QLineEdit::editingFinished, this, [this] { fxDebitLeft(); });
    connect(fxCredit, &QLineEdit::editingFinished, this, [this] { fxCreditLeft(); });
    connect(subDebit, &QLineEdit::editingFinished, this, [this] { subDebitLeft(); });
    connect(subCredit, &QLineEdit::editingFinished, this, [this] { subCreditLeft(); });
    connect(difference, &QPushButton::clicked, this, [this] { takeDifference(); });
    connect(previous, &QPushButton::clicked, this, [this] { previousLine(); });
    connect(calc, &QPushButton::clicked, this, [this] { calculator(); });
    connect(twelve, &QPushButton::clicked, this, [this] { twelveMonths(); });
    connect(ok, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    code->setTextValue(text::clip(line_.HESAPKODU));
    description->setTextValue(line_.FISACK);
    showAmounts(line_);
    if (!text::clip(line_.HESAPKODU).empty()) (void)readAccount(text::clip(line_.HESAPKODU));
    refreshStates();
    code->setFocus();
}

FHkFisDet::~FHkFisDet() {
    detachFields(this);
}

void FHkFisDet::keyPressEvent(QKeyEvent* e) {
    if (!enterMovesOn(this, e)) QDialog::keyPressEvent(e);
}

bool FHkFisDet::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::FocusIn)
        if (auto* f = qobject_cast<PictureEdit*>(o)) lastAmount_ = f;
    return QDialog::eventFilter(o, e);
}

double FHkFisDet::value(PictureEdit* f) const {
    auto v = f->number();
    return v ? *v : 0;
}

void FHkFisDet::showAmounts(const data::FisDet& l) {
    tlDebit->setNumber(l.TLBORC);
    tlCredit->setNumber(l.TLALACAK);
    fxDebit->setNumber(l.DOVIZBORC);
    fxCredit->setNumber(l.DOVIZALACAK);
    subDebit->setNumber(l.ALTBIRIMBORC);
    subCredit->setNumber(l.ALTBIRIMALACAK);
}

data::FisDet FHkFisDet::collect() const {
    data::FisDet l = line_;
    l.HESAPKODU = text::trim(code->textValue());
    l.FISACK = description->textValue();
    l.TLBORC = value(tlDebit);
    l.TLALACAK = value(tlCredit);
    l.DOVIZBORC = value(fxDebit);
    l.DOVIZALACAK = value(fxCredit);
    l.ALTBIRIMBORC = value(subDebit);
    l.ALTBIRIMALACAK = value(subCredit);
    return l;
}

bool FHkFisDet::readAccount(const std::string& c) {
    account_.reset();
    auto b = vouchers::Books::open(*ctx_.data);
    if (!b) return false;
    auto a = b->account(c);
    if (!a) return false;
    account_ = *a;
    line_.HESAPADI1 = a->HESAPAD1;
    line_.HESAPADI2 = a->HESAPAD2;
    names->setText(q(text::clip(a->HESAPAD1) + " " + text::clip(a->HESAPAD2)).trimmed());
    const auto bal = vouchers::balanceUpTo(*a, state_.fiscalMonth);
    QString shown = q(pic::format(bal.tl, "n18.2"));
    if (!text::clip(a->DOVIZKODU).empty())
        shown += QStringLiteral("  ") + q(text::clip(a->DOVIZKODU)) + QStringLiteral(": ") +
                 q(pic::format(bal.currency, "n18.2"));
    if (!text::clip(a->ALTBIRIM).empty())
        shown += QStringLiteral("  ") + q(text::clip(a->ALTBIRIM)) + QStringLiteral(": ") +
                 q(pic::format(bal.subUnit, "n18.2"));
    balance->setText(shown.trimmed());
    return true;
}

void FHkFisDet::refreshStates() {
    const bool sub = account_ && !text::clip(account_->ALTBIRIM).empty();
    const bool fx = account_ && !text::clip(account_->DOVIZKODU).empty();
    const bool debitSide = value(tlDebit) > 0, creditSide = value(tlCredit) > 0;
    // The cash side of a Tahsil or Tediye voucher is the form's own line (made on save).
    tlDebit->setEnabled(!creditSide && !(state_.cashByForm && state_.type == 'A'));
    tlCredit->setEnabled(!debitSide && !(state_.cashByForm && state_.type == 'E'));
    subDebit->setEnabled(sub && !creditSide);
    subCredit->setEnabled(sub && !debitSide);
    fxDebit->setEnabled(fx && !creditSide);
    fxCredit->setEnabled(fx && !debitSide);
    refreshVat();
}

void FHkFisDet::refreshVat() {
    const auto v = vouchers::vatButtons(state_.company, state_.type, collect());
    for (std::size_t i = 0; i < 5; ++i) {
        vatButtons[i]->setText(q(pic::format(v.rates[i], "n2")));
        vatButtons[i]->setEnabled(v.rates[i] != 0);
    }
}

bool FHkFisDet::codeLeft() {
    const std::string c = text::trim(code->textValue());
    if (!readAccount(c)) {
        std::optional<data::HsPlan> chosen;
        if (ctx_.pickAccount) chosen = ctx_.pickAccount(true);
        if (!chosen) {
            names->clear();
            balance->clear();
            code->setFocus();
            return false;
        }
        code->setTextValue(text::clip(chosen->HESAPKODU));
        if (!readAccount(text::clip(chosen->HESAPKODU))) return false;
    }
    if (text::clip(account_->NTLK) != "M") {
        // Only detail accounts carry lines: the code is taken back without a word.
        account_.reset();
        code->clear();
        names->clear();
        balance->clear();
        code->setFocus();
        return false;
    }
    if (ctx_.memory) ctx_.memory->lastAccount = text::clip(account_->HESAPKODU);
    refreshStates();
    description->setFocus();
    return true;
}

void FHkFisDet::descriptionLeft() {
    if (ctx_.memory) ctx_.memory->lastDescription = description->textValue();
}

void FHkFisDet::pickDescription() {
    if (!ctx_.pickDescription) return;
    auto t = ctx_.pickDescription();
    if (!t) return;
    std::string now = description->textValue();
    description->setTextValue(text::clip(now + " " + *t));
    descriptionLeft();
}

std::optional<double> FHkFisDet::rate() {
    if (!account_ || text::clip(account_->DOVIZKODU).empty()) return std::nullopt;
    auto r = accounts::rateOn(*ctx_.data, text::clip(account_->DOVIZKODU), state_.date);
    if (!r || !*r) return std::nullopt;
    return **r;
}

void FHkFisDet::tlDebitLeft() {
    const double v = value(tlDebit);
    if (v > 0) {
        tlCredit->setNumber(0);
        subCredit->setNumber(0);
        fxCredit->setNumber(0);
        if (insert_ && !convertingFx_)
            if (auto r = rate()) fxDebit->setNumber(core::numeric::round(v / *r, 2));
        refreshStates();
        return;
    }
    refreshStates();
    if (state_.type == 'M') tlCredit->setFocus();
}

void FHkFisDet::tlCreditLeft() {
    const double v = value(tlCredit);
    if (v > 0) {
        tlDebit->setNumber(0);
        subDebit->setNumber(0);
        fxDebit->setNumber(0);
        if (insert_ && !convertingFx_)
            if (auto r = rate()) fxCredit->setNumber(core::numeric::round(v / *r, 2));
    }
    refreshStates();
}

void FHkFisDet::fxDebitLeft() { fxSideLeft(fxDebit, tlDebit, &FHkFisDet::tlDebitLeft); }

void FHkFisDet::fxCreditLeft() { fxSideLeft(fxCredit, tlCredit, &FHkFisDet::tlCreditLeft); }

// Leaving a currency amount: both sides typed clears this one; otherwise, on a new line, the TL
// side follows it at the line's rate and the typed currency amount stands.
void FHkFisDet::fxSideLeft(PictureEdit* fx, PictureEdit* tl, void (FHkFisDet::*tlLeft)()) {
    if (value(fxDebit) != 0 && value(fxCredit) != 0) {
        fx->setNumber(0);
        fx->setFocus();
        return;
    }
    if (insert_ && value(fx) != 0)
        if (auto r = rate()) {
            tl->setNumber(core::numeric::round(value(fx) * *r, 2));
            convertingFx_ = true;
            (this->*tlLeft)();
            convertingFx_ = false;
        }
}

void FHkFisDet::subDebitLeft() {
    if (value(subDebit) != 0 && value(subCredit) != 0) {
        subDebit->setNumber(0);
        subDebit->setFocus();
    }
}

void FHkFisDet::subCreditLeft() {
    if (value(subDebit) != 0 && value(subCredit) != 0) {
        subCredit->setNumber(0);
        subCredit->setFocus();
    }
}

void FHkFisDet::takeDifference() {
    data::FisDet l = collect();
    if (!vouchers::takeDifference(l, state_.difference)) return;
    tlDebit->setNumber(l.TLBORC);
    tlCredit->setNumber(l.TLALACAK);
    if (l.TLBORC > 0) tlDebitLeft();
    else tlCreditLeft();
    const bool plain = account_ && text::clip(account_->ALTBIRIM).empty() &&
                       text::clip(account_->DOVIZKODU).empty();
    if (plain) confirm();
}

void FHkFisDet::previousLine() {
    if (!ctx_.memory) return;
    code->setTextValue(ctx_.memory->lastAccount);
    description->setTextValue(ctx_.memory->lastDescription);
    (void)codeLeft();
}

void FHkFisDet::calculator() {
    PictureEdit* target = lastAmount_ ? lastAmount_ : tlDebit;
    Calculator c(this);
    if (ctx_.runDialog(c) != QDialog::Accepted) return;
    auto v = c.value();
    if (!v) return;
    target->setNumber(core::numeric::round(*v, 2));
    target->setFocus();
}

void FHkFisDet::twelveMonths() {
    const std::string c = text::trim(code->textValue());
    if (c.empty()) return;
    AccountsContext a;
    a.data = ctx_.data;
    a.session = ctx_.session;
    a.ui = ctx_.ui;
    a.rights = ctx_.rights;
    if (auto w = Y_Mizan12Ay::open(a, c, this)) ctx_.runDialog(*w);
}

void FHkFisDet::vat(int i) {
    data::FisDet l = collect();
    const auto buttons = vouchers::vatButtons(state_.company, state_.type, l);
    const auto k = static_cast<std::size_t>(i - 1);
    if (i < 1 || i > 5 || buttons.rates[k] == 0) return;
    const bool debit = l.TLBORC != 0;
    const double gross = debit ? l.TLBORC : l.TLALACAK;
    if (gross == 0 || text::clip(l.HESAPKODU).empty()) return;
    const auto split = vouchers::splitVat(gross, buttons.rates[k]);
    KdvOnayla dlg(ctx_, split.net, split.vat, gross, buttons.accounts[k], this);
    if (ctx_.runDialog(dlg) != QDialog::Accepted) {
        // Not confirmed: the amounts stay as they were before the button.
        showAmounts(l);
        return;
    }
    data::FisDet net = l;
    (debit ? net.TLBORC : net.TLALACAK) = core::numeric::round(dlg.net(), 2);
    if (!vouchers::finishAmounts(net)) return;
    net.ACKNO = state_.karsitNo;
    state_.karsitNo += 100;
    if (insert_) {
        net.KPERSONEL = text::left(ctx_.session->AktifKullanici, 10);
        net.KTARIHI = core::Date::today();
        net.KSAATI = core::Time::now();
    }
    data::FisDet v;
    v.KEYSTR = l.KEYSTR;
    v.HESAPKODU = dlg.account();
    v.FISACK = l.FISACK;
    (debit ? v.TLBORC : v.TLALACAK) = core::numeric::round(dlg.vatAmount(), 2);
    auto b = vouchers::Books::open(*ctx_.data);
    if (b)
        if (auto a = b->account(v.HESAPKODU)) {
            v.HESAPADI1 = a->HESAPAD1;
            v.HESAPADI2 = a->HESAPAD2;
        }
    v.KPERSONEL = text::left(ctx_.session->AktifKullanici, 10);
    v.KTARIHI = core::Date::today();
    v.KSAATI = core::Time::now();
    produced_.clear();
    produced_.push_back({net, true});
    if (vouchers::finishAmounts(v)) produced_.push_back({v, false});
    accept();
}

void FHkFisDet::confirm() {
    data::FisDet l = collect();
    if (!vouchers::finishAmounts(l)) {
        // No TL amount: the line is refused and the amount field entered again.
        (state_.type == 'A' ? tlCredit : tlDebit)->setFocus();
        return;
    }
    if (!account_ || text::clip(account_->NTLK) != "M" ||
        text::clip(account_->HESAPKODU) != text::clip(l.HESAPKODU)) {
        if (!codeLeft()) return;
        l = collect();
        if (!vouchers::finishAmounts(l)) return;
    }
    if (insert_) {
        l.KPERSONEL = text::left(ctx_.session->AktifKullanici, 10);
        l.KTARIHI = core::Date::today();
        l.KSAATI = core::Time::now();
    }
    descriptionLeft();
    produced_.clear();
    produced_.push_back({l, false});
    accept();
}

} // namespace hk::ui
