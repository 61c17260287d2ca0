#include "ui/fields.h"

#include "core/text.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>

namespace hk::ui {
namespace {

bool allCp1254(const QString& s) { return core::text::isCp1254(s.toStdString()); }

int readInt(std::string_view s, std::size_t& i) {
    int v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') v = v * 10 + (s[i++] - '0');
    return v;
}

int patternSlots(const std::string& pattern) {
    int n = 0;
    for (char c : pattern) n += c == '#';
    return n;
}

} // namespace

core::Result<EntryPicture> parseEntryPicture(std::string_view picture) {
    std::string_view p = picture;
    if (!p.empty() && p.front() == '@') p.remove_prefix(1);
    auto bad = [&] {
        return core::Error::of(0, "Geçersiz resim: " + std::string(picture));
    };
    if (p.empty()) return bad();
    EntryPicture e;
    const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(p[0])));
    std::size_t i = 1;
    switch (kind) {
    case 's':
        e.kind = EntryPicture::Text;
        e.width = readInt(p, i);
        if (e.width <= 0 || i != p.size()) return bad();
        return e;
    case 'n': {
        e.kind = EntryPicture::Number;
        while (i < p.size() && (p[i] == '_' || p[i] == '-' || p[i] == '0')) ++i;
        e.width = readInt(p, i);
        if (e.width <= 0) return bad();
        if (i < p.size() && p[i] == '.') {
            ++i;
            e.decimals = readInt(p, i);
        }
        if (i < p.size() && (p[i] == 'b' || p[i] == 'B')) {
            e.blankWhenZero = true;
            ++i;
        }
        if (i != p.size()) return bad();
        return e;
    }
    case 'd':
        e.kind = EntryPicture::Date;
        e.width = 10;
        while (i < p.size() && std::isdigit(static_cast<unsigned char>(p[i]))) ++i;
        for (; i < p.size(); ++i)
            if (p[i] == 'b' || p[i] == 'B') e.blankWhenZero = true;
        return e;
    case 'p': {
        e.kind = EntryPicture::Pattern;
        const auto end = p.find_last_of("pP");
        if (end == 0 || end == std::string_view::npos) return bad();
        e.pattern = std::string(p.substr(1, end - 1));
        const auto tail = p.substr(end + 1);
        e.blankWhenZero = tail == "B" || tail == "b";
        if (!tail.empty() && !e.blankWhenZero) return bad();
        e.width = patternSlots(e.pattern);
        if (e.width == 0) return bad();
        return e;
    }
    default:
        return bad();
    }
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
            if (c.isDigit() && c.unicode() <= '9') ++digits;
            else if (!QString::fromStdString(pic_.pattern).contains(c)) return Invalid;
        }
        return digits <= pic_.width ? Acceptable : Invalid;
    }
    }
    return Invalid;
}

PictureEdit::PictureEdit(const std::string& picture, QWidget* parent) : QLineEdit(parent) {
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

std::string PictureEdit::textValue() const { return core::text::clip(text().toStdString()); }

QString showNumber(double v, const EntryPicture& p) {
    if (v == 0 && p.blankWhenZero) return {};
    return QString::number(v, 'f', p.decimals);
}

void PictureEdit::setNumber(double v) { setText(showNumber(v, pic_)); }

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
    const QStringList parts = QString(t).replace(QLatin1Char('/'), QLatin1Char('.'))
                                  .split(QLatin1Char('.'));
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

void PictureEdit::setDate(const core::Date& d) { setText(showDate(d)); }

core::Result<core::Date> PictureEdit::date() const { return parseDate(text()); }

void PictureEdit::setDigits(const std::string& digits) {
    QString out;
    std::size_t k = 0;
    bool any = false;
    for (char c : digits) any = any || (c >= '1' && c <= '9');
    if (!any && pic_.blankWhenZero) {
        clear();
        return;
    }
    for (char c : pic_.pattern) {
        if (c == '#') {
            out += k < digits.size() ? QChar::fromLatin1(digits[k]) : QLatin1Char(' ');
            ++k;
        } else {
            out += QChar::fromLatin1(c);
        }
    }
    setText(out.trimmed());
}

std::string PictureEdit::digits() const {
    std::string out;
    for (QChar c : text())
        if (c.isDigit() && c.unicode() <= '9') out += static_cast<char>(c.unicode());
    return out;
}

} // namespace hk::ui
