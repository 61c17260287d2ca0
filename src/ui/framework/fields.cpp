#include "ui/framework/fields.h"

#include "core/picture.h"
#include "core/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>

namespace hk::ui {
namespace {

bool allCp1254(const QString& s) {
    return core::text::isCp1254(s.toStdString());
}

int patternSlots(const std::string& pattern) {
    int n = 0;
    for (char c : pattern)
        n += c == '#' || c == '<';
    return n;
}

} // namespace

core::Result<EntryPicture> parseEntryPicture(std::string_view picture) {
    auto parsed = core::picture::parse(picture);
    if (!parsed) return parsed.error();
    const core::picture::Picture& p = parsed.value();
    EntryPicture e;
    e.blankWhenZero = p.blankWhenZero;
    switch (p.kind) {
    case core::picture::Kind::text:
        e.kind = EntryPicture::Text;
        e.width = p.width;
        break;
    case core::picture::Kind::number:
        e.kind = EntryPicture::Number;
        e.width = p.width;
        e.decimals = p.decimals;
        break;
    case core::picture::Kind::date:
        e.kind = EntryPicture::Date;
        e.width = 10;
        break;
    case core::picture::Kind::pattern:
        e.kind = EntryPicture::Pattern;
        e.pattern = p.pattern;
        e.width = patternSlots(p.pattern);
        break;
    case core::picture::Kind::time:
        return core::Error::of(0,
                               "Saat resmi giriş alanında kullanılamaz: " + std::string(picture));
    }
    if (e.width <= 0) return core::Error::of(0, "Geçersiz resim: " + std::string(picture));
    return e;
}

PictureValidator::PictureValidator(EntryPicture picture, QObject* parent)
    : QValidator(parent), pic_(std::move(picture)) {}

QValidator::State PictureValidator::validate(QString& input, int& /*pos*/) const {
    if (!allCp1254(input)) return Invalid;
    switch (pic_.kind) {
    case EntryPicture::Text:
        return input.size() <= pic_.width ? Acceptable : Invalid;
    case EntryPicture::Number: {
        // Digits, a leading minus and one decimal point; ',' is taken as the decimal point too,
        // as Turkish keyboards put it there. Grouping characters are not typed.
        int digitsBefore = 0, digitsAfter = 0;
        bool point = false;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c == QLatin1Char('-') && i == 0) continue;
            if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !point && pic_.decimals > 0) {
                point = true;
                continue;
            }
            if (!c.isDigit() || c.unicode() > '9') return Invalid;
            (point ? digitsAfter : digitsBefore)++;
        }
        const int room = pic_.width - (pic_.decimals > 0 ? pic_.decimals + 1 : 0);
        if (digitsBefore > std::max(room, 1) || digitsAfter > pic_.decimals) return Invalid;
        return Acceptable;
    }
    case EntryPicture::Date: {
        if (input.size() > 10) return Invalid;
        for (QChar c : input)
            if (!(c.isDigit() && c.unicode() <= '9') && c != QLatin1Char('.') &&
                c != QLatin1Char('/'))
                return Invalid;
        if (input.isEmpty()) return Acceptable;
        return parseDate(input) ? Acceptable : Intermediate;
    }
    case EntryPicture::Pattern: {
        int digits = 0;
        for (QChar c : input) {
            if (c.isDigit() && c.unicode() <= '9')
                ++digits;
            else if (c == QLatin1Char('#') || c == QLatin1Char('<') ||
                     !QString::fromStdString(pic_.pattern).contains(c))
                return Invalid;
        }
        return digits <= pic_.width ? Acceptable : Invalid;
    }
    }
    return Invalid;
}

PictureEdit::PictureEdit(const std::string& picture, QWidget* parent)
    : QLineEdit(parent), source_(picture) {
    auto p = parseEntryPicture(picture);
    Q_ASSERT_X(p.ok(), "PictureEdit", picture.c_str());
    pic_ = p ? p.value() : EntryPicture{EntryPicture::Text, 255, 0, false, {}};
    setValidator(new PictureValidator(pic_, this));
    if (pic_.kind == EntryPicture::Number) setAlignment(Qt::AlignRight);
}

void PictureEdit::keyPressEvent(QKeyEvent* e) {
    const QString typed = e->text();
    if (!typed.isEmpty() && typed.at(0).isPrint()) {
        QString next = text();
        const int from = hasSelectedText() ? selectionStart() : cursorPosition();
        if (hasSelectedText()) next.remove(from, selectedText().size());
        next.insert(from, typed);
        int pos = from + static_cast<int>(typed.size());
        if (validator()->validate(next, pos) == QValidator::Invalid) {
            refusal_ = allCp1254(typed)
                           ? QStringLiteral("Bu alana \"%1\" girilemez.").arg(typed)
                           : QStringLiteral("\"%1\" karakteri Türkçe Windows kod sayfasında "
                                            "yok; kayda girilemez.")
                                 .arg(typed);
            QApplication::beep();
            setToolTip(refusal_);
            e->accept();
            return;
        }
        refusal_.clear();
        setToolTip({});
    }
    QLineEdit::keyPressEvent(e);
}

void PictureEdit::setTextValue(const std::string& utf8) {
    setText(QString::fromStdString(core::text::clip(utf8)));
}

std::string PictureEdit::textValue() const {
    return core::text::clip(text().toStdString());
}

QString showNumber(double v, const EntryPicture& p) {
    if (v == 0 && p.blankWhenZero) return {};
    return QString::number(v, 'f', p.decimals);
}

void PictureEdit::setNumber(double v) {
    setText(showNumber(v, pic_));
}

core::Result<double> PictureEdit::number() const {
    QString t = text().trimmed();
    if (t.isEmpty() || t == QLatin1String("-")) return 0.0;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return core::Error::of(0, "Geçersiz sayı: " + t.toStdString());
    return v;
}

QString showDate(const core::Date& d) {
    if (!d.isSet()) return {};
    return QStringLiteral("%1.%2.%3")
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.year, 4, 10, QLatin1Char('0'));
}

core::Result<core::Date> parseDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return core::Date{};
    const QStringList parts =
        QString(t).replace(QLatin1Char('/'), QLatin1Char('.')).split(QLatin1Char('.'));
    auto bad = [&] { return core::Error::of(0, "Geçersiz tarih: " + t.toStdString()); };
    if (parts.size() != 3) return bad();
    bool okD = false, okM = false, okY = false;
    const int d = parts[0].toInt(&okD), m = parts[1].toInt(&okM);
    int y = parts[2].toInt(&okY);
    if (!okD || !okM || !okY || parts[2].size() > 4) return bad();
    if (parts[2].size() <= 2) y += y < 50 ? 2000 : 1900; // two-digit years: 1950..2049
    if (d < 1 || d > 31 || m < 1 || m > 12 || y < 1801 || y > 9999) return bad();
    core::Date out{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                   static_cast<std::uint16_t>(y)};
    const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > mdays[m - 1] + (m == 2 && leap ? 1 : 0)) return bad();
    return out;
}

void PictureEdit::setDate(const core::Date& d) {
    setText(showDate(d));
}

core::Result<core::Date> PictureEdit::date() const {
    return parseDate(text());
}

void PictureEdit::setDigits(const std::string& digits) {
    bool any = false;
    for (char c : digits)
        any = any || (c >= '1' && c <= '9');
    if (!any) {
        clear();
        return;
    }
    setText(QString::fromStdString(core::picture::format(digits, source_)).trimmed());
}

std::string PictureEdit::digits() const {
    std::string out;
    for (QChar c : text())
        if (c.isDigit() && c.unicode() <= '9') out += static_cast<char>(c.unicode());
    return out;
}

} // namespace hk::ui
