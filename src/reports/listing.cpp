#include "reports/listing.h"

#include "core/picture.h"
#include "core/text.h"
#include "core/utf8.h"
#include "expr/rewrite.h"

#include <algorithm>
#include <cstdint>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

namespace {

std::string trimmed(std::string_view s) {
    return text::trim(s);
}

bool isYes(std::string_view s) {
    return text::upperTr(trimmed(s)) == "E";
}

// The name a column's first accumulator is bound under for "$nn" references. Underscore first,
// so no field code of any file can collide with it.
std::string columnName(int no) {
    return "_HKSUTUN" + std::to_string(no);
}

// The picture text without its leading "@".
std::string pictureOf(const data::DRapor& d) {
    std::string p = trimmed(d.FRML);
    if (!p.empty() && p[0] == '@') p.erase(0, 1);
    return p;
}

bool wholeNumberPicture(const std::string& picture) {
    auto p = pic::parse(picture);
    return p && p->kind == pic::Kind::number && p->decimals == 0;
}

// Appends the first `limit` characters of s (limit <= width), padded with blanks to `width`
// characters: fit(s, width) when limit = width, and a text picture of `limit` characters fitted to
// the column otherwise. Written into the line directly, as every column of every line takes it.
void appendFit(std::string& line, std::string_view s, std::size_t width, std::size_t limit) {
    std::size_t i = 0, n = 0;
    while (n < limit && i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        i += b < 0x80 ? 1 : core::utf8::decode(s, i).len;
        ++n;
    }
    line.append(s.data(), i);
    line.append(width - n, ' ');
}

// Amounts within these bounds take the fast paths below; larger ones (up to 21 digits) go the
// general way. 10^15 hundredths have at most 15 significant digits, so their double prints back
// as the same decimal; 2^53 hundredths divide into the same double strtod reads from the text.
constexpr std::int64_t kExactUnits = 1'000'000'000'000'000;
constexpr std::int64_t kDoubleUnits = std::int64_t{1} << 53;

bool within(const Decimal& d, std::int64_t bound) {
    const Decimal::Units u = d.units();
    return u < bound && u > -bound;
}

// Decimal::toString without its per-digit insertions.
std::string decimalText(const Decimal& d) {
    if (!within(d, kExactUnits)) return d.toString();
    const auto u = static_cast<std::int64_t>(d.units());
    std::uint64_t a = u < 0 ? static_cast<std::uint64_t>(-u) : static_cast<std::uint64_t>(u);
    char buf[32];
    char* e = buf + sizeof buf;
    char* p = e;
    int digits = 0;
    do {
        if (digits == 2) *--p = '.';
        *--p = static_cast<char>('0' + a % 10);
        a /= 10;
        ++digits;
    } while (a != 0 || digits < 3);
    if (u < 0) *--p = '-';
    return std::string(p, static_cast<std::size_t>(e - p));
}

// Decimal::toDouble (the double nearest to the amount) without the text round trip: the
// division of two exact doubles is correctly rounded, as strtod is.
double decimalDouble(const Decimal& d) {
    if (!within(d, kDoubleUnits)) return d.toDouble();
    return static_cast<double>(static_cast<std::int64_t>(d.units())) / 100.0;
}

// An amount under the column's picture, the digits taken from the decimal itself where that
// gives the same text as formatting its double.
std::string amountText(const Column& c, const Decimal& d) {
    if (c.picture.empty()) return decimalText(d);
    if (!c.parsed) return pic::format(d.toDouble(), c.picture); // "???"
    if (c.parsed->kind == pic::Kind::number && within(d, kExactUnits))
        return pic::formatScaled(static_cast<std::int64_t>(d.units()), 2, *c.parsed);
    return pic::format(decimalDouble(d), *c.parsed);
}

// Cuts what was appended to `line` from `at` on to `width` characters, or pads it to them.
void fitAppended(std::string& line, std::size_t at, std::size_t width) {
    std::size_t i = at, n = 0;
    while (n < width && i < line.size()) {
        const auto b = static_cast<unsigned char>(line[i]);
        i += b < 0x80 ? 1 : core::utf8::decode(line, i).len;
        ++n;
    }
    line.resize(i);
    line.append(width - n, ' ');
}

// amountText fitted to the column, laid out in the line itself where the picture allows.
void appendAmount(std::string& line, const Column& c, const Decimal& d) {
    if (c.parsed && c.parsed->kind == pic::Kind::number && within(d, kExactUnits)) {
        const std::size_t at = line.size();
        pic::appendScaled(line, static_cast<std::int64_t>(d.units()), 2, *c.parsed);
        return fitAppended(line, at, c.width);
    }
    appendFit(line, amountText(c, d), c.width, c.width);
}

// A record's text under the column's picture, fitted to the column.
void appendText(std::string& line, const Column& c) {
    if (c.picture.empty()) return appendFit(line, c.text, c.width, c.width);
    if (c.parsed && c.parsed->kind == pic::Kind::text) {
        const auto n = static_cast<std::size_t>(c.parsed->width);
        return appendFit(line, c.text, c.width, std::min(n, c.width));
    }
    const std::string s = c.parsed ? pic::format(c.text, *c.parsed) : pic::format(c.text, c.picture);
    appendFit(line, s, c.width, c.width);
}

} // namespace

std::string reportFilterWrong(int n) {
    return std::to_string(n) + ". Filtre Yanlış";
}

void BuiltLine::label(std::string_view l, std::size_t n) {
    // The characters after the n-th stay as they are.
    std::string out = text::pad(l, n);
    out.append(text, core::utf8::offsetOf(text, n));
    text = std::move(out);
    if (!cells.empty()) cells[0] = text::clip(l);
}

Result<Definition> loadDefinition(data::DataSet& ds, const std::string& kind, int number) {
    auto heads = ds.open<data::Rapor>();
    if (!heads) return heads.error();
    data::Rapor key;
    key.RAPKOD = kind;
    key.RAPNO = static_cast<std::int16_t>(number);
    auto h = heads->get("RAP:RapKodKey", key);
    if (!h) {
        if (h.error().code == static_cast<int>(data::ErrorCode::NotFound))
            return Error::badInput("Rapor tanımı bulunamadı: tür " + kind + ", no " +
                                   std::to_string(number));
        return h.error();
    }
    Definition d;
    d.header = *h;
    auto cols = ds.open<data::DRapor>();
    if (!cols) return cols.error();
    data::DRapor from;
    from.RAPKOD = kind;
    from.RAPNO = std::to_string(number);
    if (auto st = cols->set("DRP:RapNoKey", data::Seek::AtOrAfter, from); !st) return st.error();
    for (;;) {
        auto c = cols->next();
        if (!c) {
            if (c.error().code == static_cast<int>(data::ErrorCode::NoRecord)) break;
            return c.error();
        }
        if (trimmed(c->RAPKOD) != kind || trimmed(c->RAPNO) != from.RAPNO) break;
        d.columns.push_back(*c);
    }
    return d;
}

ListingReport::ListingReport(Definition def) : def_(std::move(def)) {
    cols_.reserve(def_.columns.size());
    for (const auto& d : def_.columns) {
        Column c;
        c.def = d;
        c.printed = isYes(d.YAZ);
        c.totalled = isYes(d.TOPLA);
        const std::string k = text::upperTr(trimmed(d.NTLK));
        c.kind = k == "D" ? 'D' : k == "F" ? 'F' : 'S';
        c.picture = pictureOf(d);
        if (!c.picture.empty())
            if (auto p = pic::parse(c.picture)) c.parsed = std::move(*p);
        c.width = d.UZUNLUK > 0 ? static_cast<std::size_t>(d.UZUNLUK) : 0;
        cols_.push_back(std::move(c));
    }
}

void ListingReport::compile(expr::Bindings& b, CodeRewrite rewrite) {
    for (auto& c : cols_) b.bind(columnName(c.def.SIRANO), expr::Variable(&c.at(1)));
    auto compileText = [&](const std::string& t) -> std::optional<expr::Expression> {
        auto e = expr::Expression::compile(t, b);
        if (!e) return std::nullopt;
        return std::move(*e);
    };
    const auto lookup = [this](int no) -> std::optional<std::string> {
        for (const auto& c : cols_)
            if (c.def.SIRANO == no) return columnName(no);
        return std::nullopt;
    };
    for (auto& c : cols_) {
        c.code = rewrite ? rewrite(c.def.FIELDKOD) : c.def.FIELDKOD;
        const std::string source = c.kind == 'F'
                                       ? expr::rewriteColumnReferences(c.def.FORMUL, lookup)
                                       : c.code;
        c.value = compileText(source);
        c.hasFilter = !trimmed(c.def.FILTRE).empty();
        if (c.hasFilter) c.filter = compileText(c.def.FILTRE);
    }
    const std::array<const std::string*, 3> f = {&def_.header.FILTRE1, &def_.header.FILTRE2,
                                                 &def_.header.FILTRE3};
    for (std::size_t i = 0; i < 3; ++i) {
        hasFilter_[i] = !trimmed(*f[i]).empty();
        if (hasFilter_[i]) filters_[i] = compileText(*f[i]);
    }
}

Result<bool> ListingReport::passes(app::Ui& ui) {
    for (std::size_t i = 0; i < 3; ++i) {
        if (!hasFilter_[i]) continue;
        const expr::Truth t = filters_[i] ? filters_[i]->evaluateTruth() : expr::Truth::Failed;
        if (t == expr::Truth::Failed) {
            const std::string m = reportFilterWrong(static_cast<int>(i) + 1);
            ui.message(m, "Uyarı", app::Icon::Warning, "&Tamam", 1);
            return Error::refused(m, true);
        }
        if (t == expr::Truth::False) return false;
    }
    return true;
}

Result<Decimal> toDecimal(const expr::Number& n) {
    using U = expr::Number::Units;
    constexpr U scale = 10'000'000; // nine decimals down to two
    U u = n.units();
    const U half = scale / 2;
    U q = u >= 0 ? (u + half) / scale : -((-u + half) / scale);
    return Decimal::fromUnits(q);
}

std::vector<const void*> ListingReport::readAddresses() const {
    std::vector<const void*> out;
    auto add = [&](const std::optional<expr::Expression>& e) {
        if (!e) return;
        for (const auto& v : e->variables()) out.push_back(v.address);
    };
    for (const auto& c : cols_) {
        add(c.value);
        add(c.filter);
    }
    for (const auto& f : filters_) add(f);
    return out;
}

Status ListingReport::evaluate(app::Ui& ui) {
    for (auto& c : cols_) {
        if (c.kind == 'S') {
            // Into the column's own text, whose capacity the next record reuses.
            if (c.value)
                c.value->evaluate(c.text);
            else
                c.text.clear();
            if (c.text.size() > kTextValueChars)
                c.text.resize(core::utf8::offsetOf(c.text, kTextValueChars));
        } else {
            expr::Number n;
            Decimal v;
            if (c.value && c.value->evaluateNumber(n)) {
                auto d = toDecimal(n);
                if (!d)
                    return Error::badInput("Sütun " + std::to_string(c.def.SIRANO) +
                                           ": değer tutar alanına sığmıyor");
                v = *d;
            }
            c.at(1) = v;
            c.text = decimalText(v);
        }
        if (c.hasFilter) {
            const expr::Truth t = c.filter ? c.filter->evaluateTruth() : expr::Truth::Failed;
            if (t == expr::Truth::Failed) {
                ui.message(kColumnFilterWrong, "Uyarı", app::Icon::Warning, "&Tamam", 1);
                return Error::refused(kColumnFilterWrong, true);
            }
            if (t == expr::Truth::False) {
                c.text.clear();
                c.at(1) = Decimal();
            }
        }
    }
    return {};
}

Result<BuiltLine> ListingReport::build(Mode mode, int level) {
    BuiltLine out;
    std::string& line = out.text;
    line.reserve(width() + 32);
    for (auto& c : cols_) {
        if (!c.printed) continue;
        const std::size_t w = c.width;
        switch (mode) {
        case Mode::Heading: {
            const std::string& caption = c.def.AD[static_cast<std::size_t>(std::clamp(level, 1, 3) - 1)];
            appendFit(line, caption, w, w);
            if (cells_) out.cells.emplace_back(text::clip(caption));
            break;
        }
        case Mode::Underline:
            line.append(w, c.totalled ? '-' : ' ');
            if (cells_) out.cells.emplace_back(output::EmptyCell{});
            break;
        default:
            if (!c.numeric()) {
                // A total line carries no record's texts: the last record's code, name or
                // description beside a total would read as if the total were that record's.
                if (level == 1) {
                    appendText(line, c);
                    if (cells_) out.cells.emplace_back(text::clip(c.text));
                } else {
                    line.append(w, ' ');
                    if (cells_) out.cells.emplace_back(output::EmptyCell{});
                }
            } else if (level == 1 || c.totalled) {
                const Decimal& d = c.at(level);
                const std::size_t at = line.size();
                appendAmount(line, c, d);
                if (cells_) {
                    const double v = decimalDouble(d);
                    if (v == 0 && !c.picture.empty() &&
                        line.find_first_not_of(' ', at) == std::string::npos)
                        out.cells.emplace_back(output::EmptyCell{});
                    else
                        out.cells.emplace_back(v);
                }
            } else {
                line.append(w, ' ');
                if (cells_) out.cells.emplace_back(output::EmptyCell{});
            }
            break;
        }
        line += ' ';
    }
    // A line of at most that many bytes has at most that many characters.
    if (line.size() > output::kMaxLineChars && text::length(line) > output::kMaxLineChars)
        line = text::left(line, output::kMaxLineChars);
    if (mode == Mode::Detail || mode == Mode::Plus) {
        for (auto& c : cols_) {
            if (!c.numeric() || !c.totalled) continue;
            if (level < kLevels) {
                auto s = c.at(level + 1).add(c.at(level));
                if (!s)
                    return Error::badInput("Sütun " + std::to_string(c.def.SIRANO) +
                                           ": toplam tutar alanına sığmıyor");
                c.at(level + 1) = *s;
            }
            if (mode == Mode::Detail && level >= 2) c.at(level) = Decimal();
        }
    }
    return out;
}

void ListingReport::zero(int from, const std::vector<bool>& which) {
    for (std::size_t i = 0; i < cols_.size() && i < which.size(); ++i)
        if (which[i])
            for (int k = from; k <= kLevels; ++k) cols_[i].at(k) = Decimal();
}

void ListingReport::zeroAll(int from) {
    for (auto& c : cols_)
        for (int k = from; k <= kLevels; ++k) c.at(k) = Decimal();
}

std::size_t ListingReport::width() const {
    std::size_t w = 0;
    for (const auto& c : cols_)
        if (c.printed) w += static_cast<std::size_t>(std::max<int>(c.def.UZUNLUK, 0)) + 1;
    return std::min(w, output::kMaxLineChars);
}

std::vector<output::Caption> ListingReport::captions(int headingLine) const {
    std::vector<output::Caption> out;
    const std::size_t i = static_cast<std::size_t>(std::clamp(headingLine, 1, 3) - 1);
    for (const auto& c : cols_) {
        if (!c.printed) continue;
        output::Caption cap;
        cap.text = text::clip(c.def.AD[i]);
        if (c.numeric())
            cap.format = wholeNumberPicture(pictureOf(c.def)) ? output::NumberFormat::Whole
                                                              : output::NumberFormat::Amount;
        out.push_back(std::move(cap));
    }
    return out;
}

Status ListingOutput::line(const BuiltLine& l, bool emphasis, bool bold) {
    if (sheet_) {
        sheet_->row(bold ? output::RowStyle::Heading : output::RowStyle::Plain);
        for (const auto& c : l.cells) {
            if (auto s = std::get_if<std::string>(&c))
                sheet_->text(*s);
            else if (auto d = std::get_if<double>(&c))
                sheet_->number(*d);
            else
                sheet_->empty();
        }
        return {};
    }
    std::string_view t = l.text; // without trailing blanks, as text::clip gives it
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return emphasis ? writer_->writeEmphasised(t) : writer_->write(t);
}

Status ListingOutput::text(std::string_view t, bool bold) {
    if (sheet_) {
        sheet_->row(bold ? output::RowStyle::Heading : output::RowStyle::Plain);
        sheet_->text(text::clip(t));
        return {};
    }
    return writer_->write(text::clip(t));
}

Status ListingOutput::empty() {
    if (sheet_) {
        sheet_->row();
        return {};
    }
    return writer_->write("");
}

Status ListingOutput::endPage() {
    if (sheet_) return {};
    return writer_->endPage();
}

void ListingOutput::markPageTop() {
    if (!writer_) return;
    headerLines_ = writer_->linesOnPage();
    headerPage_ = writer_->pageNumber();
}

bool ListingOutput::atPageTop() const {
    if (!writer_) return false;
    if (writer_->atPageStart()) return true;
    return writer_->pageNumber() == headerPage_ && writer_->linesOnPage() == headerLines_;
}

std::string spread(std::string_view left, std::string_view right, std::size_t width) {
    const std::size_t l = text::length(left), r = text::length(right);
    if (l + r + 1 >= width) return std::string(left) + " " + std::string(right);
    return std::string(left) + std::string(width - l - r, ' ') + std::string(right);
}

} // namespace hk::reports
