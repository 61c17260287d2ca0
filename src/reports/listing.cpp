#include "reports/listing.h"

#include "core/picture.h"
#include "core/text.h"
#include "expr/rewrite.h"

#include <algorithm>

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

std::string fit(std::string_view s, std::size_t width) {
    return text::left(text::pad(s, width), width);
}

} // namespace

std::string reportFilterWrong(int n) {
    return std::to_string(n) + ". Filtre Yanlış";
}

void BuiltLine::label(std::string_view l, std::size_t n) {
    const std::size_t len = text::length(text);
    std::string rest = len > n ? text::sub(text, n + 1, len - n) : std::string();
    text = text::pad(l, n) + rest;
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

Status ListingReport::evaluate(app::Ui& ui) {
    for (auto& c : cols_) {
        if (c.kind == 'S') {
            c.text = c.value ? text::left(c.value->evaluate(), kTextValueChars) : std::string();
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
            c.text = v.toString();
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
    for (auto& c : cols_) {
        if (!c.printed) continue;
        const std::size_t w = c.def.UZUNLUK > 0 ? static_cast<std::size_t>(c.def.UZUNLUK) : 0;
        const std::string picture = pictureOf(c.def);
        std::string cell;
        switch (mode) {
        case Mode::Heading: {
            const int i = std::clamp(level, 1, 3) - 1;
            cell = fit(c.def.AD[static_cast<std::size_t>(i)], w);
            out.cells.emplace_back(text::clip(c.def.AD[static_cast<std::size_t>(i)]));
            break;
        }
        case Mode::Underline:
            cell = c.totalled ? std::string(w, '-') : std::string(w, ' ');
            out.cells.emplace_back(output::EmptyCell{});
            break;
        default:
            if (!c.numeric()) {
                // A total line carries no record's texts: the last record's code, name or
                // description beside a total would read as if the total were that record's.
                if (level == 1) {
                    cell = fit(picture.empty() ? c.text : pic::format(c.text, picture), w);
                    out.cells.emplace_back(text::clip(c.text));
                } else {
                    cell = std::string(w, ' ');
                    out.cells.emplace_back(output::EmptyCell{});
                }
            } else if (level == 1 || c.totalled) {
                const double v = c.at(level).toDouble();
                cell = fit(picture.empty() ? c.at(level).toString() : pic::format(v, picture), w);
                if (v == 0 && picture.empty() == false && cell.find_first_not_of(' ') ==
                                                              std::string::npos)
                    out.cells.emplace_back(output::EmptyCell{});
                else
                    out.cells.emplace_back(v);
            } else {
                cell = std::string(w, ' ');
                out.cells.emplace_back(output::EmptyCell{});
            }
            break;
        }
        line += cell;
        line += ' ';
    }
    if (text::length(line) > output::kMaxLineChars) line = text::left(line, output::kMaxLineChars);
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
    const std::string t = text::clip(l.text);
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
