#include "reports/trial_balance.h"

#include "app/calendar.h"
#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "expr/rewrite.h"
#include "reports/binding.h"
#include "reports/common.h"
#include "vouchers/books.h"

#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <random>
#include <unordered_map>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

namespace {

// The six amounts of one block (period, cumulative or balance), in field order: TL debit,
// TL credit, sub-unit debit, sub-unit credit, currency debit, currency credit.
using Six = std::array<double, 6>;

Six crOf(const data::XHsp& x) {
    return {x.CRTLBORC, x.CRTLALACAK, x.CRALTBIRIMBORC, x.CRALTBIRIMALACAK, x.CRDOVIZBORC,
            x.CRDOVIZALACAK};
}
Six kmOf(const data::XHsp& x) {
    return {x.KMTLBORC, x.KMTLALACAK, x.KMALTBIRIMBORC, x.KMALTBIRIMALACAK, x.KMDOVIZBORC,
            x.KMDOVIZALACAK};
}
void setCr(data::XHsp& x, const Six& s) {
    x.CRTLBORC = s[0], x.CRTLALACAK = s[1], x.CRALTBIRIMBORC = s[2], x.CRALTBIRIMALACAK = s[3],
    x.CRDOVIZBORC = s[4], x.CRDOVIZALACAK = s[5];
}
void setKm(data::XHsp& x, const Six& s) {
    x.KMTLBORC = s[0], x.KMTLALACAK = s[1], x.KMALTBIRIMBORC = s[2], x.KMALTBIRIMALACAK = s[3],
    x.KMDOVIZBORC = s[4], x.KMDOVIZALACAK = s[5];
}
void setBk(data::XHsp& x, const Six& s) {
    x.BKTLBORC = s[0], x.BKTLALACAK = s[1], x.BKALTBIRIMBORC = s[2], x.BKALTBIRIMALACAK = s[3],
    x.BKDOVIZBORC = s[4], x.BKDOVIZALACAK = s[5];
}
void addTo(Six& a, const Six& b) {
    for (std::size_t i = 0; i < 6; ++i) a[i] += b[i];
}
Six monthOf(const data::HsPlan& h, int m) {
    return {data::month(h.TLBORC, m),       data::month(h.TLALACAK, m),
            data::month(h.ALTBIRIMBORC, m), data::month(h.ALTBIRIMALACAK, m),
            data::month(h.DOVIZBORC, m),    data::month(h.DOVIZALACAK, m)};
}
Six rounded(const Six& s) {
    Six r;
    for (std::size_t i = 0; i < 6; ++i) r[i] = core::numeric::round(s[i], 2);
    return r;
}
// Debit balance when debit exceeds credit, credit balance when credit exceeds debit.
Six balanceOf(const Six& km) {
    Six b{};
    for (std::size_t i = 0; i < 6; i += 2) {
        if (km[i] > km[i + 1])
            b[i] = core::numeric::round(km[i] - km[i + 1], 2);
        else if (km[i + 1] > km[i])
            b[i + 1] = core::numeric::round(km[i + 1] - km[i], 2);
    }
    return b;
}
// The balance-status filter on the cumulative TL amounts: true = the record goes.
bool dropped(char status, const Six& km) {
    if (status == 'C') return km[0] + km[1] == 0;
    if (status == 'B') return km[0] == km[1];
    return false;
}

bool isDetail(const std::string& kind) {
    return text::trim(kind) == "M";
}

data::XHsp masterOf(const data::HsPlan& h) {
    data::XHsp x;
    x.HESAPKODU = h.HESAPKODU;
    x.HESAPAD1 = h.HESAPAD1;
    x.HESAPAD2 = h.HESAPAD2;
    x.NTLK = h.NTLK;
    x.ALTBIRIM = h.ALTBIRIM;
    x.DOVIZKODU = h.DOVIZKODU;
    return x;
}

// The work records of the first stage, gathered in memory and written to the work file once
// each: every detail posts into itself and its ancestors, and doing that through the work file
// cost a keyed read and write per ancestor.
class Gathered {
  public:
    // Adds the record unless one with its code is there already.
    void add(data::XHsp x) {
        if (index_.count(x.HESAPKODU)) return;
        index_.emplace(x.HESAPKODU, records_.size());
        records_.push_back(std::move(x));
    }
    // Adds the amounts to the record of every prefix of `code` ending before a blank and to the
    // code's own record; a prefix without a record is passed over.
    void postUp(const std::string& code, const Six& cr, const Six& km) {
        for (std::size_t i = 1; i <= code.size(); ++i) {
            if (i < code.size() && code[i] != ' ') continue;
            auto it = index_.find(code.substr(0, i));
            if (it == index_.end()) continue;
            data::XHsp& w = records_[it->second];
            Six c = crOf(w), k = kmOf(w);
            addTo(c, cr);
            addTo(k, km);
            setCr(w, c);
            setKm(w, k);
        }
    }
    // In the order they were added: the chart's key order, which is the work file's (the same
    // key on the same codes).
    std::vector<data::XHsp>& records() { return records_; }
    const data::XHsp* find(const std::string& code) const {
        auto it = index_.find(code);
        return it == index_.end() ? nullptr : &records_[it->second];
    }

  private:
    std::vector<data::XHsp> records_;
    std::unordered_map<std::string, std::size_t> index_;
};

struct DateSums {
    Six cr{};
    Six km{};
};

// Date mode: the amount lines of every voucher dated up to d2, summed per account (the accounts
// then take their sums in code order). The vouchers taken are noted first; then the lines are
// read once in stored order, which costs one pass over FisDet instead of a keyed probe per
// voucher of the year.
Result<std::unordered_map<std::string, DateSums>> sumByDate(vouchers::Books& b,
                                                             const TrialBalanceOptions& o,
                                                             app::Ui& ui, bool& cancelled) {
    std::unordered_map<std::string, DateSums> sums;
    // The vouchers taken: their keys, and whether each is dated in the period.
    std::vector<std::string> keys;
    std::vector<char> inPeriod;
    // Both passes read only the fields they use (reads leave the others blank).
    data::NarrowReads headFields(b.heads, {"KEYSTR", "FISTRH", "FISNTLK"});
    if (!headFields.ok()) return headFields.status().error();
    if (auto st = b.heads.set("MFB:KeyTarih"); !st) return st.error();
    long n = 0;
    for (;;) {
        auto h = b.heads.next();
        if (!h) {
            if (data::is(h, data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (o.endDate.isSet() && h->FISTRH.dayNumber() > o.endDate.dayNumber()) break;
        if ((++n & 1023) == 0 && ui.cancelled()) {
            cancelled = true;
            return sums;
        }
        if (!voucherTaken(h->FISNTLK, o.opening, o.closing, false)) continue;
        keys.push_back(h->KEYSTR);
        inPeriod.push_back(!o.startDate.isSet() ||
                           h->FISTRH.dayNumber() >= o.startDate.dayNumber());
    }
    if (keys.empty()) return sums;
    KeyIndex taken;
    taken.build(keys.size(), [&](std::size_t i) -> std::string_view { return keys[i]; });
    // The lines are read in the table's own buffer, taking the nine fields the sums need
    // rather than making a whole voucher line of each.
    data::Table& lines = b.lines.table();
    const data::FileDef& def = lines.def();
    std::array<std::uint32_t, 9> at{};
    std::vector<std::uint32_t> fields;
    const std::array<const char*, 9> names = {"KEYSTR",         "HESAPKODU", "ACKNO",
                                              "TLBORC",         "TLALACAK",  "ALTBIRIMBORC",
                                              "ALTBIRIMALACAK", "DOVIZBORC", "DOVIZALACAK"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto f = def.field(names[i]);
        if (!f) return Error::badInput(std::string("FisDet alanı yok: ") + names[i]);
        at[i] = lines.buffer().slotOf(*f);
        fields.push_back(*f);
    }
    data::NarrowReads lineFields(lines, std::move(fields));
    if (!lineFields.ok()) return lineFields.status().error();
    if (auto st = lines.setPhysical(); !st) return st.error();
    for (;;) {
        if (auto st = lines.next(); !st) {
            if (data::is(st.error(), data::ErrorCode::NoRecord)) break;
            return st.error();
        }
        if ((++n & 16383) == 0 && ui.cancelled()) {
            cancelled = true;
            return sums;
        }
        const data::Record& l = lines.buffer();
        // ACKNO is a LONG: the record's integer as the line's own field holds it.
        if (static_cast<std::int32_t>(l.slot(at[2]).integer) % 100 != 0) continue;
        const std::uint32_t t = taken.find(l.slot(at[0]).text);
        if (t == KeyIndex::kNone) continue;
        DateSums& s = sums[l.slot(at[1]).text];
        const Six a = {l.slot(at[3]).real, l.slot(at[4]).real, l.slot(at[5]).real,
                       l.slot(at[6]).real, l.slot(at[7]).real, l.slot(at[8]).real};
        addTo(s.km, a);
        if (inPeriod[t]) addTo(s.cr, a);
    }
    return sums;
}

struct Parent {
    std::string code;
    char kind = 'K';
    Six bk{};
    Six cr{};
    Six km{};
};

} // namespace

Status checkOptions(const TrialBalanceOptions& o) {
    if (o.startMonth != 0) {
        if (o.startMonth < 1 || o.startMonth > 12 || o.endMonth < 1 || o.endMonth > 12)
            return Error::badInput("Mizan dönemi 1 ile 12 arasında aylar olmalı");
        if (o.startMonth > o.endMonth)
            return Error::badInput("Mizan dönemi boş: başlangıç ayı bitiş ayından büyük");
    } else {
        if (!o.startDate.isSet() || !o.endDate.isSet() || !o.startDate.isValid() ||
            !o.endDate.isValid())
            return Error::badInput("Ay seçilmediğinde başlangıç ve bitiş tarihi gerekli");
        if (o.startDate.dayNumber() > o.endDate.dayNumber())
            return Error::badInput("Tarih aralığı boş: başlangıç tarihi bitiş tarihinden büyük");
    }
    const std::string levels = "CS12345678";
    if (levels.find(o.level) == std::string::npos)
        return Error::badInput("Hesap kodu seviyesi C, S ya da 1..8 olmalı");
    if (o.style != 'T' && o.style != 'C') return Error::badInput("Bakiye şekli T ya da C olmalı");
    if (o.status != 'C' && o.status != 'B' && o.status != 'T')
        return Error::badInput("Bakiye durumu C, B ya da T olmalı");
    if (emptyRange(text::trim(o.accountStart), text::trim(o.accountEnd)))
        return Error::badInput("Hesap kodu aralığı boş: başlangıç bitişten büyük");
    return {};
}

data::TypedTable<data::XHsp> newWorkFile() {
    std::random_device rd;
    const unsigned n = 1 + rd() % 99999;
    return data::TypedTable<data::XHsp>(data::Table::memory(
        data::fileDef(data::Layout::XHsp), "XHs" + std::to_string(n) + ".Tmp"));
}

Result<bool> TnmMizanIslemi(data::DataSet& ds, app::Ui& ui, const TrialBalanceOptions& o,
                            data::TypedTable<data::XHsp>& work) {
    if (auto st = checkOptions(o); !st) return st.error();
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    ui.progress("Processing Records", 0);
    ui.progress("0% Completed ", 0);

    const bool monthMode = o.startMonth != 0;
    bool cancelled = false;
    std::unordered_map<std::string, DateSums> byDate;
    if (!monthMode) {
        auto s = sumByDate(*books, o, ui, cancelled);
        if (!s) return s.error();
        if (cancelled) return false;
        byDate = std::move(*s);
    }

    const std::string start = text::trim(o.accountStart);
    auto range = AccountRange::make(*books, start, text::trim(o.accountEnd), true);
    if (!range) return range.error();
    // In date mode the sums come from the lines: of the chart only what masterOf copies is read,
    // not the monthly totals.
    std::optional<data::NarrowReads> planFields;
    if (!monthMode) {
        planFields.emplace(books->plan, std::initializer_list<std::string_view>{
                                            "HESAPKODU", "HESAPAD1", "HESAPAD2", "NTLK",
                                            "ALTBIRIM", "DOVIZKODU"});
        if (!planFields->ok()) return planFields->status().error();
    }
    data::HsPlan from;
    from.HESAPKODU = range->first;
    if (auto st = books->plan.set("HSP:KeyHesap", data::Seek::AtOrAfter, from); !st)
        return st.error();
    long n = 0;
    Gathered gathered;
    for (;;) {
        auto a = books->plan.next();
        if (!a) {
            if (data::is(a, data::ErrorCode::NoRecord)) break;
            return a.error();
        }
        if (range->past(a->HESAPKODU)) break;
        if ((++n & 255) == 0) {
            ui.progress(a->HESAPKODU + " " + a->HESAPAD1, -1);
            if (ui.cancelled()) return false;
        }
        const bool detail = isDetail(a->NTLK);
        if (!start.empty() && text::compare(start, a->HESAPKODU, true) > 0) {
            if (!detail) gathered.add(masterOf(*a));
            continue;
        }
        gathered.add(masterOf(*a));
        if (!detail) continue;
        Six cr{}, km{};
        if (monthMode) {
            if (o.opening)
                addTo(km, {a->ACTLBORC, a->ACTLALACAK, a->ACALTBIRIMBORC, a->ACALTBIRIMALACAK,
                           a->ACDOVIZBORC, a->ACDOVIZALACAK});
            for (int m = 1; m < o.startMonth; ++m) addTo(km, monthOf(*a, m));
            if (o.closing)
                addTo(km, {a->KPTLBORC, a->KPTLALACAK, a->KPALTBIRIMBORC, a->KPALTBIRIMALACAK,
                           a->KPDOVIZBORC, a->KPDOVIZALACAK});
            for (int m = o.startMonth; m <= o.endMonth; ++m) {
                addTo(cr, monthOf(*a, m));
                addTo(km, monthOf(*a, m));
            }
        } else {
            auto it = byDate.find(a->HESAPKODU);
            if (it == byDate.end()) continue;
            cr = it->second.cr;
            km = it->second.km;
        }
        gathered.postUp(a->HESAPKODU, cr, km);
    }
    // Completion, in memory and in key order: the parents, the detail balances and filter, the
    // frame classes, the parents' balances and filter. Each record then goes to the work file
    // once, in its final form; a record the filter drops is never written.
    std::vector<data::XHsp>& records = gathered.records();
    std::vector<char> keep(records.size(), 1);
    std::vector<Parent> parents;
    std::vector<std::size_t> parentRecord; // index in `records` of parents[i]; npos for classes
    std::unordered_map<std::string, std::size_t> byCode;
    std::map<std::string, std::size_t> classes; // "C" and "S" entries by code
    for (std::size_t r = 0; r < records.size(); ++r) {
        const data::XHsp& x = records[r];
        if (isDetail(x.NTLK)) continue;
        Parent p;
        p.code = x.HESAPKODU;
        const std::string k = text::trim(x.NTLK);
        p.kind = k.empty() ? 'K' : k[0];
        byCode[p.code] = parents.size();
        parents.push_back(std::move(p));
        parentRecord.push_back(r);
    }
    if (o.frame) {
        const std::size_t count = parents.size();
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t len : {std::size_t(1), std::size_t(2)}) {
                if (text::length(parents[i].code) < len) continue;
                const std::string c = text::left(parents[i].code, len);
                if (byCode.count(c) || classes.count(c)) continue;
                Parent p;
                p.code = c;
                p.kind = len == 1 ? 'C' : 'S';
                classes[c] = parents.size();
                parents.push_back(std::move(p));
                parentRecord.push_back(std::string::npos);
            }
        }
    }

    for (std::size_t r = 0; r < records.size(); ++r) {
        data::XHsp& x = records[r];
        if (!isDetail(x.NTLK)) continue;
        const Six cr = rounded(crOf(x)), km = rounded(kmOf(x));
        if (dropped(o.status, km)) {
            keep[r] = 0;
            continue;
        }
        const Six bk = balanceOf(km);
        setCr(x, cr);
        setKm(x, km);
        setBk(x, bk);
        const std::string& code = x.HESAPKODU;
        for (std::size_t i = 0; i < code.size(); ++i) {
            if (code[i] != ' ' || i == 0) continue;
            auto it = byCode.find(code.substr(0, i));
            if (it != byCode.end()) addTo(parents[it->second].bk, bk);
        }
        // Frame classes take every detail whose code begins with the class code: a class has
        // no blank after it in the codes it gathers ("1" gathers "120 01 005").
        for (std::size_t len : {std::size_t(1), std::size_t(2)}) {
            auto it = classes.find(text::left(code, len));
            if (it == classes.end()) continue;
            Parent& p = parents[it->second];
            addTo(p.bk, bk);
            addTo(p.cr, cr);
            addTo(p.km, km);
        }
    }

    // The frame classes' own records, named from the class chart.
    std::vector<data::XHsp> classRecords;
    classRecords.reserve(classes.size());
    std::vector<std::size_t> classOf(parents.size(), std::string::npos);
    if (o.frame) {
        auto cs = ds.open<data::CsPlan>();
        if (!cs) return cs.error();
        for (const auto& [code, i] : classes) {
            data::XHsp x;
            x.HESAPKODU = code;
            x.NTLK = std::string(1, parents[i].kind);
            data::CsPlan k;
            k.HESAPKODU = code;
            if (auto c = cs->get("CsHSP:KeyHesap", k)) x.HESAPAD1 = c->HESAPAD1;
            setCr(x, parents[i].cr);
            setKm(x, parents[i].km);
            classOf[i] = classRecords.size();
            classRecords.push_back(std::move(x));
        }
    }

    std::vector<char> classKeep(classRecords.size(), 1);
    for (std::size_t i = 0; i < parents.size(); ++i) {
        const Parent& p = parents[i];
        const bool isClass = parentRecord[i] == std::string::npos;
        data::XHsp& x = isClass ? classRecords[classOf[i]] : records[parentRecord[i]];
        // Parents are rounded like their details, so a printed parent row agrees with the
        // balance taken from it.
        const Six km = rounded(kmOf(x));
        setCr(x, rounded(crOf(x)));
        setKm(x, km);
        setBk(x, o.style == 'T' ? balanceOf(km) : rounded(p.bk));
        if (dropped(o.status, km)) (isClass ? classKeep[classOf[i]] : keep[parentRecord[i]]) = 0;
    }

    for (std::size_t r = 0; r < records.size(); ++r)
        if (keep[r])
            if (auto st = work.add(records[r]); !st) return st.error();
    for (std::size_t c = 0; c < classRecords.size(); ++c) {
        // A class whose code is a detail account's own: the work file refuses the second
        // record, whether or not the filter would drop the class.
        const data::XHsp* same = gathered.find(classRecords[c].HESAPKODU);
        const bool clash = same && keep[static_cast<std::size_t>(same - records.data())];
        if (classKeep[c] || clash)
            if (auto st = work.add(classRecords[c]); !st) return st.error();
    }
    ui.progress("100% Completed ", 100);
    return true;
}

int reportLinesPerPage(output::PrinterKind kind, const output::PageStyle& style) {
    // Text printers: 66 lines of continuous paper at six lines an inch, three kept free for the
    // perforation. Ordinary printers: as many lines as the font leaves on the page.
    if (kind != output::PrinterKind::Ordinary) return 63;
    const double usable = style.paperHeightMm - 2 * style.marginMm;
    const double lineMm = style.fontPoints * 1.2 * 25.4 / 72.0;
    const int n = static_cast<int>(usable / lineMm);
    return n < 20 ? 20 : n;
}

output::PageStyle reportPageStyle(output::PrinterKind kind, std::size_t width, int fontSize) {
    if (kind == output::PrinterKind::Lpq || kind == output::PrinterKind::Npq)
        return output::textPrinterPaper(width);
    // Courier is 0.6 em wide: the line decides portrait or landscape.
    const double lineMm = static_cast<double>(width) * fontSize * 0.6 * 25.4 / 72.0;
    auto s = output::a4Paper(lineMm > 190.0, fontSize);
    if (s.landscape) std::swap(s.paperWidthMm, s.paperHeightMm);
    return s;
}

Result<ReportStats> TnmMizanRaporu(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                   const TrialBalanceOptions& o,
                                   data::TypedTable<data::XHsp>& work, ListingOutput& out,
                                   output::PrinterKind kind) {
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();

    expr::Bindings bindings;
    RecordBinding<data::XHsp> xb(bindings);
    RecordBinding<data::HsPlan> hb(bindings);
    report.compile(bindings, &expr::rewriteTrialBalanceCodes);
    // Per row only what the definition reads is copied into the bindings, and the chart is read
    // only when the definition names one of its fields (the standard ones read the work file).
    bool readsAccount = false;
    {
        const std::vector<const void*> read = report.readAddresses();
        xb.narrowTo(read);
        readsAccount = hb.narrowTo(read);
    }
    report.setCellsWanted(out.isSheet());

    const std::size_t width = report.width();
    const bool monthMode = o.startMonth != 0;
    std::string title;
    if (monthMode) {
        const int cal = calendarMonth(o.endMonth, company->MALIDONEMBAS);
        title = std::to_string(company->MALIDONEMBAS.year) + " Yılı " +
                text::upperTr(app::ayAdi(cal)) + " AYI MİZAN RAPORU";
    } else {
        title = pic::format(o.endDate, "d6b") + " TARİHİ İTİBARİ İLE MİZAN RAPORU";
    }
    const std::string range = "HesapKodu :" + text::trim(o.accountStart) + " -> " +
                              text::trim(o.accountEnd);
    const std::string levelText = std::string(1, o.level) + " Seviyeli";
    const std::string companyLine = companyTitle(*company);
    const std::string dateText = "Rapor Tarihi :" + pic::format(o.reportDate, "d6");

    auto headings = [&]() -> Result<std::array<BuiltLine, 3>> {
        std::array<BuiltLine, 3> h;
        for (int i = 1; i <= 3; ++i) {
            auto l = report.build(Mode::Heading, i);
            if (!l) return l.error();
            h[static_cast<std::size_t>(i - 1)] = std::move(*l);
        }
        return h;
    };
    auto heads = headings();
    if (!heads) return heads.error();

    if (out.isSheet()) {
        output::Sheet& s = *out.sheet();
        s.row(output::RowStyle::Heading).text(text::clip(spread(companyLine, dateText, width)));
        s.row(output::RowStyle::Heading).text(title);
        s.row(output::RowStyle::Heading).text(text::clip(spread(range, levelText, width)));
        s.row(output::RowStyle::Heading).text(text::clip(report.header().RAPORTEXT));
        s.headingRow(report.captions(1), output::RowStyle::Heading);
        s.headingRow(report.captions(2), output::RowStyle::Heading);
    } else {
        output::PageWriter& w = *out.writer();
        w.setPageHeader([&](output::PageWriter& pw) -> Status {
            if (auto st = writeInit(pw, kind, true); !st) return st;
            if (auto st = pw.write(text::clip(spread(companyLine, dateText, width))); !st)
                return st;
            const std::string page = "Sayfa No     :" + pic::format(pw.pageNumber(), "n5");
            if (auto st = pw.write(text::clip(spread(title, page, width))); !st) return st;
            if (auto st = pw.write(text::clip(spread(range, levelText, width))); !st) return st;
            if (auto st = pw.write(text::clip(report.header().RAPORTEXT)); !st) return st;
            for (std::size_t i = 0; i < 3; ++i) {
                output::Line l = output::Line::text(text::clip((*heads)[i].text));
                if (i == 2 && kind != output::PrinterKind::Ordinary)
                    l.addControl(output::controlBytes(kind, output::ControlCode::EmphasisOff));
                if (auto st = pw.write(std::move(l)); !st) return st;
            }
            out.markPageTop();
            return {};
        });
    }

    ReportStats stats;
    if (auto st = work.set("XHSP:KeyHesap"); !st) return st.error();
    bool first = true;
    for (;;) {
        auto x = work.next();
        if (!x) {
            if (data::is(x, data::ErrorCode::NoRecord)) break;
            return x.error();
        }
        xb.set(*x);
        if (!readsAccount) {
            // hb stays blank, and nothing reads it.
        } else if (text::length(x->HESAPKODU) > 2) {
            auto h = books->account(x->HESAPKODU);
            if (h)
                hb.set(*h);
            else if (data::is(h, data::ErrorCode::NotFound))
                hb.clear();
            else
                return h.error();
        } else {
            hb.clear();
        }
        auto pass = report.passes(ui);
        if (!pass) return pass.error();
        if (!*pass) continue;
        stats.any = true;
        if (auto st = report.evaluate(ui); !st) return st.error();

        const std::string k = text::trim(x->NTLK);
        const char rk = k.empty() ? 'M' : k[0];
        if (o.level == 'C' && rk != 'C') continue;
        if (o.level == 'S' && rk != 'C' && rk != 'S') continue;
        if (o.level >= '1' && o.level <= '8' && codeLevels(x->HESAPKODU) > o.level - '0')
            continue;

        const bool block = rk == 'K' || rk == 'G' || (o.frame && (rk == 'C' || rk == 'S'));
        if (block && !first && !out.atPageTop())
            if (auto st = out.empty(); !st) return st.error();
        const bool top = o.frame ? rk == 'C' : rk == 'K';
        auto line = report.build(top ? Mode::Detail : Mode::NoTotal, 1);
        if (!line) return line.error();
        const bool emphasis = kind != output::PrinterKind::Ordinary &&
                              (rk == 'K' || rk == 'C' || rk == 'S');
        if (auto st = out.line(*line, emphasis); !st) return st.error();
        first = false;
        ++stats.rows;
    }
    if (stats.any) {
        auto u = report.build(Mode::Underline, 3);
        if (!u) return u.error();
        if (auto st = out.line(*u); !st) return st.error();
        auto t = report.build(Mode::Detail, 2);
        if (!t) return t.error();
        t->label("GENEL TOPLAM ", 13);
        if (auto st = out.line(*t, false, true); !st) return st.error();
        if (kind == output::PrinterKind::Npq)
            if (auto st = out.endPage(); !st) return st.error();
    }
    // The header refers to this run's locals: the writer must not call it after we return.
    if (!out.isSheet()) out.writer()->setPageHeader({});
    return stats;
}

} // namespace hk::reports
