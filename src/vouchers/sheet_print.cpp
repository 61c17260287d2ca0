#include "vouchers/sheet_print.h"

#include "core/picture.h"
#include "core/text.h"
#include "core/utf8.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"

#include <map>
#include <optional>

namespace hk::vouchers {

using core::Result;
using core::Status;
using output::ControlCode;
using output::Line;
using output::PrinterKind;
namespace text = core::text;
namespace pic = core::picture;

int sheetLinesPerPage(bool lines33) {
    return lines33 ? 28 : 56;
}

output::PageStyle sheetPageStyle(PrinterKind kind) {
    // The widest line reaches column 155: A4 landscape in a small font, or the wide paper of the
    // text printers.
    if (kind != PrinterKind::Ordinary) return output::textPrinterPaper(160);
    return output::a4Paper(true, 7);
}

namespace {

// A line of the sheet: values placed at fixed 1-based columns, counted in characters.
class Columns {
  public:
    static constexpr std::size_t kWidth = output::kMaxLineChars;

    Columns& place(std::size_t col, std::string_view s, std::size_t width = kWidth) {
        if (col < 1 || col > kWidth) return *this;
        std::size_t at = col - 1;
        std::size_t n = 0;
        for (std::size_t i = 0; i < s.size() && n < width && at < kWidth; ++n, ++at) {
            const auto step = core::utf8::decode(s, i);
            chars_[at] = step.cp == core::utf8::kInvalid ? U'?' : step.cp;
            i += step.len;
        }
        return *this;
    }
    // Without trailing blanks.
    std::string str() const {
        std::size_t end = kWidth;
        while (end > 0 && chars_[end - 1] == U' ') --end;
        std::string out;
        for (std::size_t i = 0; i < end; ++i) core::utf8::append(out, chars_[i]);
        return out;
    }

  private:
    std::u32string chars_ = std::u32string(kWidth, U' ');
};

// Where each kind of entry puts its values on one side.
struct SideLayout {
    std::size_t mainCode, mainCodeW, detailCode, detailCodeW;
    std::size_t mainName, mainNameW, detailName, detailNameW;
    std::size_t desc, descW;
    std::size_t part, partW; // group and detail amounts ("İÇERİK")
    std::size_t total;       // main amount ("BORÇ" / "ALACAK")
};
constexpr SideLayout kDebit{1, 22, 3, 22, 24, 34, 26, 34, 61, 36, 98, 18, 117};
constexpr SideLayout kCredit{4, 19, 6, 19, 27, 34, 31, 32, 64, 33, 100, 16, 137};
constexpr std::size_t kTotalW = 19;

bool isDebitLine(const data::FisDet& l) {
    return text::clip(l.BORCALACAK) == "B";
}

std::string levelCode(const std::string& code, int blanks) {
    const std::string c = text::clip(code);
    std::size_t at = 0;
    for (int i = 0; i < blanks; ++i) {
        at = c.find(' ', at);
        if (at == std::string::npos) return c;
        if (i + 1 < blanks) ++at;
    }
    return c.substr(0, at);
}

// A title or name of the signature block: cut to 30 characters, centred within 35.
std::string centred(const std::string& s) {
    const std::string t = text::left(text::trim(s), 30);
    const std::size_t n = text::length(t);
    const std::size_t lead = (35 - n) / 2;
    return std::string(lead, ' ') + t;
}

struct Entry {
    char kind = 'M'; // 'K' main, 'G' group, 'M' detail
    bool debit = true;
    std::string code;
    double amount = 0;
    const data::FisDet* line = nullptr; // detail entries
};

class SheetWriter {
  public:
    SheetWriter(Books& b, data::TypedTable<data::Nitelik>* kinds, const data::Yasal& company,
                const SheetOptions& o, output::PageWriter& w)
        : b_(b), kinds_(kinds), y_(company), o_(o), w_(w) {
        w_.setPageHeader([this](output::PageWriter&) { return heading(); });
    }

    Status voucher(const data::FisBas& h) {
        h_ = &h;
        base_ = w_.pageNumber() - 1;
        attribute_ = attributeText(h.FISNTLK);
        auto lines = b_.linesOf(h.KEYSTR);
        if (!lines) return lines.error();
        debit_ = credit_ = 0;
        for (const auto& e : entries(*lines))
            if (auto st = entry(e); !st) return st;
        if (auto st = end(); !st) return st;
        return w_.endPage();
    }

  private:
    // The print entries of the voucher, block by block.
    std::vector<Entry> entries(const std::vector<data::FisDet>& lines) {
        const bool groups = text::clip(y_.FISGRUBYAZ) == "E";
        std::vector<Entry> out;
        std::size_t i = 0;
        while (i < lines.size()) {
            const std::string main = levelCode(lines[i].HESAPKODU, 1);
            const bool debit = isDebitLine(lines[i]);
            std::size_t j = i;
            while (j < lines.size() && levelCode(lines[j].HESAPKODU, 1) == main &&
                   isDebitLine(lines[j]) == debit)
                ++j;
            Entry k{'K', debit, main, 0, nullptr};
            // Lines in their group's order: each group collects its lines where it was first
            // met. Lines without a group entry (no group account, or groups not printed) stay
            // together at the place of the first of them.
            std::vector<std::pair<std::string, std::vector<Entry>>> parts;
            std::map<std::string, std::size_t> at;
            for (std::size_t n = i; n < j; ++n) {
                const auto& l = lines[n];
                const double amount = l.TLBORC + l.TLALACAK;
                k.amount += amount;
                std::string group;
                if (groups) {
                    const std::string g = levelCode(l.HESAPKODU, 2);
                    if (g != main && isGroupAccount(g)) group = g;
                }
                auto found = at.find(group);
                if (found == at.end()) {
                    found = at.emplace(group, parts.size()).first;
                    parts.push_back({group, {}});
                    if (!group.empty()) parts.back().second.push_back(Entry{'G', debit, group, 0, nullptr});
                }
                auto& part = parts[found->second].second;
                if (!group.empty()) part.front().amount += amount;
                part.push_back(Entry{'M', debit, text::clip(l.HESAPKODU), amount, &l});
            }
            out.push_back(k);
            for (auto& p : parts)
                for (auto& e : p.second) out.push_back(std::move(e));
            i = j;
        }
        return out;
    }

    Status entry(const Entry& e) {
        const data::FisDet* l = e.line;
        const bool debit = e.debit;
        const SideLayout& s = debit ? kDebit : kCredit;
        Columns c;
        if (e.kind == 'K') {
            c.place(s.mainCode, e.code, s.mainCodeW);
            c.place(s.mainName, name(e.code), s.mainNameW);
            c.place(s.total, pic::format(e.amount, "n18.2"), kTotalW);
            (debit ? debit_ : credit_) += e.amount;
        } else if (e.kind == 'G') {
            c.place(s.mainCode, e.code, s.mainCodeW);
            c.place(s.mainName, name(e.code), s.mainNameW);
            c.place(s.part, pic::format(e.amount, "n16.2"), s.partW);
        } else if (isAmountLine(*l)) {
            c.place(s.detailCode, e.code, s.detailCodeW);
            c.place(s.detailName, name(e.code), s.detailNameW);
            c.place(s.desc, text::clip(l->FISACK), s.descW);
            c.place(s.part, pic::format(e.amount, "n16.2"), s.partW);
        } else {
            c.place(s.desc, text::clip(l->FISACK), s.descW);
        }
        return w_.write(c.str());
    }

    Status end() {
        Columns rule;
        rule.place(117, std::string(19, '=')).place(137, std::string(18, '='));
        if (auto st = w_.write(rule.str()); !st) return st;
        Columns total;
        total.place(101, "GENEL TOPLAM ");
        total.place(117, pic::format(debit_, "n18.2"), kTotalW);
        total.place(137, pic::format(credit_, "n18.2"), kTotalW);
        if (auto st = w_.write(total.str()); !st) return st;
        bool signatures = false;
        for (int i = 1; i <= 3; ++i)
            if (!text::trim(data::element(y_.IMZAADSOYAD, i)).empty()) signatures = true;
        if (!signatures) return {};
        if (auto st = w_.write(""); !st) return st;
        Columns titles, names;
        const std::size_t cols[] = {1, 35, 70};
        for (int i = 1; i <= 3; ++i) {
            titles.place(cols[i - 1], centred(data::element(y_.UNVAN, i)), 35);
            names.place(cols[i - 1], centred(data::element(y_.IMZAADSOYAD, i)), 35);
        }
        if (auto st = w_.write(titles.str()); !st) return st;
        return w_.write(names.str());
    }

    Status heading() {
        using C = ControlCode;
        const PrinterKind kind = o_.kind;
        if (kind == PrinterKind::Ordinary) {
            for (int i = 0; i < 3; ++i)
                if (auto st = w_.write(""); !st) return st;
        } else {
            const C length = o_.lines33 ? C::PageLength33 : C::PageLength66;
            if (auto st = w_.writeControl(output::controlBytes(
                    kind, {C::Reset, length, C::Elite12, C::Condensed, C::EmphasisOn}));
                !st)
                return st;
        }
        const data::FisBas& h = *h_;
        const int page = w_.pageNumber() - base_;
        Columns l2;
        l2.place(1, text::clip(y_.SIRKETUNVANI1) + " " + y_.SIRKETUNVANI2, 99);
        l2.place(100, "Fiş Tarihi " + pic::format(h.FISTRH, "d06"), 40);
        l2.place(140, "Sayfa No: " + pic::format(static_cast<double>(page), "n_6"));
        Columns l3;
        l3.place(1, text::clip(y_.SIRKETADRESI1) + " " + y_.SIRKETADRESI2, 99);
        l3.place(100, "Fiş No:  " + pic::format(static_cast<double>(h.FISNO), "n_6"));
        const std::string l4 = text::clip(y_.VERGIDAIRESIADI) + " " +
                               text::clip(y_.VERGIDAIRESINO) + "  Tic.Sic.No:" +
                               text::clip(y_.TICARETSICILNO);
        Columns l7;
        l7.place(50, typeTitle(typeLetter(h.FISTUR)));
        l7.place(100, "Nitelik: " + attribute_);
        Columns head;
        head.place(1, "BORÇLU/ALACAKLI", 22)
            .place(24, "HESAP ADI", 36)
            .place(61, "AÇIKLAMA", 39)
            .place(101, "İÇERİK", 19)
            .place(121, "BORÇ", 19)
            .place(141, "ALACAK", 19);
        Columns rule;
        rule.place(1, std::string(22, '='))
            .place(24, std::string(36, '='))
            .place(61, std::string(35, '='))
            .place(97, std::string(19, '='))
            .place(117, std::string(19, '='))
            .place(137, std::string(18, '='));
        for (const std::string& s : {l2.str(), l3.str(), text::clip(l4),
                                     "Mersis No:" + text::clip(y_.MERSISNO), text::clip(y_.WEB),
                                     l7.str(), std::string(), head.str()})
            if (auto st = w_.write(s); !st) return st;
        Line last = Line::text(rule.str());
        last.addControl(output::controlBytes(kind, C::EmphasisOff));
        return w_.write(std::move(last));
    }

    static std::string typeTitle(char type) {
        switch (type) {
        case 'M': return "( M A H S U P )";
        case 'A': return "( T A H S İ L )";
        case 'E': return "( T E D İ Y E )";
        default: return {};
        }
    }

    std::string attributeText(const std::string& code) {
        if (!kinds_ || text::clip(code).empty()) return {};
        data::Nitelik k;
        k.FISNTLK = code;
        auto r = kinds_->get("MFN:KeyNtlk", k);
        return r ? text::clip(r->ACK) : std::string();
    }

    const data::HsPlan* account(const std::string& code) {
        auto it = accounts_.find(code);
        if (it == accounts_.end()) {
            auto a = b_.account(code);
            it = accounts_.emplace(code, a ? std::optional<data::HsPlan>(*a) : std::nullopt).first;
        }
        return it->second ? &*it->second : nullptr;
    }
    std::string name(const std::string& code) {
        const auto* a = account(code);
        return a ? text::clip(a->HESAPAD1) : std::string();
    }
    bool isGroupAccount(const std::string& code) {
        const auto* a = account(code);
        return a && text::clip(a->NTLK) == "G";
    }

    Books& b_;
    data::TypedTable<data::Nitelik>* kinds_;
    const data::Yasal& y_;
    const SheetOptions& o_;
    output::PageWriter& w_;
    const data::FisBas* h_ = nullptr;
    int base_ = 0;
    std::string attribute_;
    double debit_ = 0, credit_ = 0;
    std::map<std::string, std::optional<data::HsPlan>> accounts_;
};

} // namespace

namespace {

// Prints each key in turn into one writer.
template <typename Keys>
Result<SheetResult> printKeys(data::DataSet& ds, const Keys& keys, const SheetOptions& o,
                              output::PageSink& sink) {
    auto books = Books::open(ds);
    if (!books) return books.error();
    Books& b = *books;
    auto company = b.readCompany();
    if (!company) return company.error();
    auto kinds = ds.open<data::Nitelik>();
    std::optional<data::TypedTable<data::Nitelik>> k;
    if (kinds) k.emplace(std::move(*kinds));
    output::PageWriter w({o.kind, sheetLinesPerPage(o.lines33), 1}, sink);
    SheetWriter sheet(b, k ? &*k : nullptr, *company, o, w);
    SheetResult r;
    if (auto st = keys([&](const data::FisBas& h) -> Status {
            if (auto s = sheet.voucher(h); !s) return s;
            ++r.vouchers;
            return {};
        });
        !st)
        return st.error();
    r.pages = w.pagesOutput();
    if (auto st = w.finish(); !st) return st.error();
    return r;
}

} // namespace

Result<SheetResult> YFisRaporu(data::DataSet& ds, const std::string& firstKey,
                               const std::string& lastKey, const SheetOptions& o,
                               output::PageSink& sink) {
    auto heads = ds.open<data::FisBas>();
    if (!heads) return heads.error();
    auto& t = *heads;
    return printKeys(ds, [&](const auto& print) -> Status {
        data::FisBas from;
        from.KEYSTR = firstKey;
        if (auto st = t.set("MFB:KeyFis", data::Seek::AtOrAfter, from); !st) return st;
        const std::string last = text::upperTr(text::clip(lastKey));
        for (;;) {
            auto h = t.next();
            if (!h) {
                if (data::is(h.error(), data::ErrorCode::NoRecord)) return {};
                return h.error();
            }
            if (!last.empty() && text::sortKey(text::clip(h->KEYSTR), true) >
                                     text::sortKey(last, true))
                return {};
            if (auto st = print(*h); !st) return st;
        }
    }, o, sink);
}

Result<std::vector<std::string>> selectVouchers(data::DataSet& ds, const BulkSelection& s) {
    std::vector<std::string> keys;
    if (!s.startDate.isSet()) return keys;
    auto heads = ds.open<data::FisBas>();
    if (!heads) return heads.error();
    data::FisBas from;
    from.FISTRH = s.startDate;
    from.FISNO = static_cast<std::int16_t>(s.startNumber);
    if (auto st = heads->set("MFB:KeyMuavin", data::Seek::AtOrAfter, from); !st)
        return st.error();
    const std::string attribute = text::upperTr(text::clip(s.attribute));
    for (;;) {
        auto h = heads->next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (s.endDate.isSet() && h->FISTRH > s.endDate) break;
        if (h->FISNO < s.startNumber) continue;
        if (s.endNumber != 0 && h->FISNO > s.endNumber) continue;
        if (typeLetter(h->FISTUR) != s.type) continue;
        if (!attribute.empty() && text::upperTr(text::clip(h->FISNTLK)) != attribute) continue;
        keys.push_back(h->KEYSTR);
    }
    return keys;
}

Result<SheetResult> TopluFisYaz(data::DataSet& ds, const BulkSelection& s, const SheetOptions& o,
                                output::PageSink& sink) {
    auto keys = selectVouchers(ds, s);
    if (!keys) return keys.error();
    auto books = Books::open(ds);
    if (!books) return books.error();
    return printKeys(ds, [&](const auto& print) -> Status {
        for (const auto& key : *keys) {
            auto h = books->head(key);
            if (!h) return h.error();
            if (auto st = print(*h); !st) return st;
        }
        return {};
    }, o, sink);
}

} // namespace hk::vouchers
