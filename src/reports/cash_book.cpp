#include "reports/cash_book.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "reports/binding.h"
#include "reports/common.h"
#include "reports/standard.h"
#include "reports/trial_balance.h"
#include "vouchers/books.h"

#include <algorithm>
#include <array>
#include <deque>
#include <unordered_map>
#include <vector>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

namespace {


// Column 9: the running balance, blank on the carried-forward line.
constexpr std::size_t kKalanColumn = 8;

const std::vector<ReadyColumn>& columns() {
    static const std::vector<ReadyColumn> cols = {
        {"MFB:FisTrh", "S", 10, "Fiş", "Tarihi", "@d6b", "H"},
        {"FisTur", "S", 6, "Fiş", "Türü", "@s6", "H"},
        {"MFB:FisNo", "D", 7, "Fiş", "No", "@n7b", "H"},
        {"MFD:HesapKodu", "S", 18, "Hesap", "Kodu", "@s18", "H"},
        {"HSP:HesapAd1", "S", 30, "Hesap", "Açıklaması", "@s30", "H"},
        {"MFD:FisAck", "S", 30, "Fiş", "Açıklaması", "@s30b", "H"},
        {"MFD:TLBorc", "D", 12, "Giren", "Tutar", "@n12.2b", "E"},
        {"MFD:TLAlacak", "D", 12, "Çıkan", "Tutar", "@n12.2b", "E"},
        {"Kalan", "D", 13, "Kalan", "Tutar", "@n-13.2", "H"}};
    return cols;
}

std::string asIs(std::string_view s) {
    return std::string(s);
}

std::string kindWord(char k) {
    switch (k) {
    case 'A': return "Tahsil";
    case 'E': return "Tediye";
    default: return "Mahsup";
    }
}

// `code` is `account` itself or one of its sub-accounts.
bool under(std::string_view code, std::string_view account) {
    if (account.empty() || code.size() < account.size() ||
        code.substr(0, account.size()) != account)
        return false;
    return code.size() == account.size() || code[account.size()] == ' ';
}

// Blanks one printed column of a built line (text and cell).
void blankColumn(BuiltLine& l, std::vector<Column>& cols, std::size_t which) {
    std::size_t at = 0, cell = 0;
    for (std::size_t i = 0; i < which && i < cols.size(); ++i) {
        if (!cols[i].printed) continue;
        at += static_cast<std::size_t>(std::max<int>(cols[i].def.UZUNLUK, 0)) + 1;
        ++cell;
    }
    const std::size_t w = static_cast<std::size_t>(std::max<int>(cols[which].def.UZUNLUK, 0));
    const std::size_t len = text::length(l.text);
    const std::string after = len > at + w ? text::sub(l.text, at + w + 1, len - at - w) : "";
    l.text = text::pad(text::left(l.text, at), at) + std::string(w, ' ') + after;
    if (cell < l.cells.size()) l.cells[cell] = output::EmptyCell{};
}

// `s` without its leading and trailing blanks, as text::trim gives it, without a copy.
std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The first letter of the voucher kind, upper-cased: only A, E and M matter, and no other
// character upper-cases to one of them.
char kindLetter(std::string_view fisTur) {
    const std::string_view t = trimmed(fisTur);
    if (t.empty()) return ' ';
    switch (t[0]) {
    case 'a': return 'A';
    case 'e': return 'E';
    case 'm': return 'M';
    default: return t[0];
    }
}

std::uint32_t slotOf(const data::FileDef& d, const char* field) {
    return d.fields[*d.field(field)].slot;
}

// A voucher that moves the cash account.
struct Taken {
    data::FisBas head;
    char kind = 'M';
    std::uint32_t own = 0; // a mahsup voucher's lines on the cash account: into OwnLines::groups
};

// The cash account's own lines, grouped by voucher (the order within a voucher as read), and
// found by voucher key through a KeyIndex.
struct OwnLines {
    std::vector<data::FisDet> lines;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> groups; // [first, last) into `lines`
    KeyIndex byKey;

    void build() {
        // Keys equal but for case sort together in the line key: group by the exact key.
        std::stable_sort(lines.begin(), lines.end(), [](const data::FisDet& a, const data::FisDet& b) {
            return a.KEYSTR < b.KEYSTR;
        });
        for (std::uint32_t i = 0; i < lines.size(); ++i)
            if (i == 0 || lines[i].KEYSTR != lines[i - 1].KEYSTR)
                groups.emplace_back(i, i + 1);
            else
                groups.back().second = i + 1;
        byKey.build(groups.size(), [&](std::size_t g) -> std::string_view {
            return lines[groups[g].first].KEYSTR;
        });
    }
};

// The chart records of the accounts a book's lines name, by the code as the line holds it. An
// account is read by its key when first named; once a book has named many, the rest of the
// chart is read in one pass, which costs less than a keyed read per account. The records are
// kept apart from the look-up table, whose entries stay small.
class Chart {
  public:
    explicit Chart(vouchers::Books& b) : books_(b) {}

    // The account `code` names; a blank record when the chart has none.
    Result<const data::HsPlan*> find(const std::string& code) {
        if (auto it = byCode_.find(code); it != byCode_.end()) return &records_[it->second];
        if (!whole_ && ++reads_ > kReadsBeforeWhole) {
            whole_ = true;
            if (auto st = books_.plan.set("HSP:KeyHesap"); !st) return st.error();
            for (;;) {
                auto a = books_.plan.next();
                if (!a) {
                    if (data::is(a, data::ErrorCode::NoRecord)) break;
                    return a.error();
                }
                if (byCode_.contains(a->HESAPKODU)) continue;
                byCode_.emplace(a->HESAPKODU, records_.size());
                records_.push_back(std::move(*a));
            }
            if (auto it = byCode_.find(code); it != byCode_.end()) return &records_[it->second];
        }
        // Not under its exact code: the key, which ignores case, may still find it.
        data::HsPlan a;
        auto found = books_.account(text::trim(code));
        if (found)
            a = std::move(*found);
        else if (!data::is(found, data::ErrorCode::NotFound))
            return found.error();
        byCode_.emplace(code, records_.size());
        records_.push_back(std::move(a));
        return &records_.back();
    }

  private:
    static constexpr int kReadsBeforeWhole = 256;
    vouchers::Books& books_;
    std::unordered_map<std::string, std::size_t> byCode_;
    std::deque<data::HsPlan> records_; // never moves what it holds
    int reads_ = 0;
    bool whole_ = false;
};

} // namespace

Definition cashBookDefinition() {
    Definition d;
    d.header.RAPKOD = "3";
    d.header.AD = "KASA DEFTERİ RAPORU";
    d.header.RAPORTEXT = "KASA DEFTERİ RAPORU";
    d.header.UZUNLUK = static_cast<std::int16_t>(cashBookWidth());
    addColumns(d, columns(), "");
    return d;
}

std::size_t cashBookWidth() {
    std::size_t w = 0;
    for (const ReadyColumn& c : columns()) w += static_cast<std::size_t>(c.width) + 1;
    return w;
}

Status checkCashBook(data::DataSet& ds, const CashBookOptions& o) {
    const std::string k = text::trim(o.account);
    if (k.empty()) return Error::badInput("Kasa hesap kodu girilmeli");
    for (const core::Date* d : {&o.startDate, &o.endDate})
        if (d->isSet() && !d->isValid())
            return Error::badInput("Geçersiz tarih: " + pic::format(*d, "d6"));
    if (o.startDate.isSet() && o.endDate.isSet() && o.startDate > o.endDate)
        return Error::badInput("Tarih aralığı boş: başlangıç tarihi bitiş tarihinden büyük");
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    auto a = books->account(k);
    if (!a) {
        if (!data::is(a, data::ErrorCode::NotFound)) return a.error();
        return Error::badInput("\"" + k + "\" hesap planında yok");
    }
    return {};
}

Result<CashBookStats> KasaDefteriYaz(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                     const CashBookOptions& o, ListingOutput& out,
                                     output::PrinterKind kind) {
    if (auto st = checkCashBook(ds, o); !st) return st.error();
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();
    const std::string cash = text::trim(o.account);
    // The cash side of a tahsil or tediye voucher is the company's cash account. When the
    // company names one, such vouchers move that account (and its own sub-accounts or
    // ledger) only: the book of another account, a bank say, must not show every cash receipt.
    const std::string companyCash = text::trim(company->KASAHESAPKODU);
    const bool mirrors =
        companyCash.empty() || under(cash, companyCash) || under(companyCash, cash);

    double kalan = 0;
    expr::Bindings bindings;
    RecordBinding<data::FisBas> mfb(bindings);
    RecordBinding<data::FisDet> mfd(bindings);
    RecordBinding<data::HsPlan> hsp(bindings);
    std::string fisTur;
    bindings.bind("FisTur", expr::Variable(&fisTur));
    bindings.bind("Kalan", expr::Variable(&kalan));
    report.compile(bindings, &asIs);
    // Per line only what the definition reads is copied into the bindings.
    {
        const std::vector<const void*> read = report.readAddresses();
        mfb.narrowTo(read);
        mfd.narrowTo(read);
        hsp.narrowTo(read);
    }
    // The vouchers and lines are read with only the fields the definition reads and those the
    // book itself works with (choosing, ordering, mirroring, the running balance).
    data::NarrowReads headFields(
        books->heads.table(), withFields(books->heads.table().def(), mfb.fieldsRead(),
                                         {"KEYSTR", "FISTRH", "FISNO", "FISTUR", "FISNTLK"}));
    if (!headFields.ok()) return headFields.status().error();
    data::NarrowReads lineFields(
        books->lines.table(),
        withFields(books->lines.table().def(), mfd.fieldsRead(),
                   {"KEYSTR", "HESAPKODU", "ACKNO", "TLBORC", "TLALACAK"}));
    if (!lineFields.ok()) return lineFields.status().error();

    // The cash account's own lines, read once through FisDet's account index (in the order of
    // MFD:KeyFisDet, as a probe per voucher would meet them): a mahsup voucher moves the account
    // by these, so a year of vouchers costs the account's lines rather than a probe each.
    OwnLines own;
    {
        auto found = books->lines.collectWhere("MFD:KeyFisDet", "HESAPKODU", cash);
        if (!found) return found.error();
        own.lines.reserve(found->size());
        for (auto& [mark, l] : *found) own.lines.push_back(std::move(l));
        own.build();
    }

    // 1: the vouchers that move the account, in the order of MFB:KeyMuavin (date, number). The
    // headers are read as stored and only those kept are converted: most vouchers of a year
    // are mahsup vouchers without a line on the account.
    std::vector<Taken> taken;
    {
        data::Table& heads = books->heads.table();
        const data::FileDef& hd = heads.def();
        const std::uint32_t sKey = slotOf(hd, "KEYSTR"), sDate = slotOf(hd, "FISTRH"),
                            sNo = slotOf(hd, "FISNO"), sKind = slotOf(hd, "FISTUR"),
                            sAttr = slotOf(hd, "FISNTLK");
        if (auto st = heads.set("MFB:KeyMuavin"); !st) return st.error();
        long seen = 0;
        for (;;) {
            if (auto st = heads.next(); !st) {
                if (data::is(st.error(), data::ErrorCode::NoRecord)) break;
                return st.error();
            }
            const data::Record& r = heads.buffer();
            const core::Date date = data::unpackDate(r.slot(sDate).integer);
            if (o.endDate.isSet() && date > o.endDate) break;
            if (!voucherTaken(r.slot(sAttr).text, true, true, false)) continue;
            if ((++seen & 255) == 0) {
                ui.progress(pic::format(date, "d6") + "  " + std::to_string(r.slot(sNo).integer),
                            -1);
                if (ui.cancelled())
                    return Error::refused("Kasa defteri kullanıcı isteğiyle durduruldu.");
            }
            const char k = kindLetter(r.slot(sKind).text);
            if (k != 'M' && k != 'A' && k != 'E') continue;
            if (k != 'M' && !mirrors) continue;
            std::uint32_t group = 0;
            if (k == 'M') {
                group = own.byKey.find(r.slot(sKey).text);
                if (group == KeyIndex::kNone) continue;
            }
            Taken& t = taken.emplace_back();
            data::fromRecord(r, t.head);
            t.kind = k;
            t.own = group;
        }
    }

    // The lines of a voucher that move the account, as the account sees them: a mahsup
    // voucher's own lines on it; in a tahsil or tediye voucher the mirror image of every line
    // not on it, read in line order (MFD:KeyFisSiraNo) into records reused from voucher to
    // voucher. Extra description lines move nothing.
    data::Table& lineTable = books->lines.table();
    const data::FileDef& ld = lineTable.def();
    const std::uint32_t sLineKey = slotOf(ld, "KEYSTR"), sAckNo = slotOf(ld, "ACKNO"),
                        sAccount = slotOf(ld, "HESAPKODU");
    data::Record prefix(ld);
    std::vector<data::FisDet> mirrored;
    std::vector<const data::FisDet*> moving;
    auto movingLines = [&](const Taken& t) -> Status {
        moving.clear();
        if (t.kind == 'M') {
            const auto [first, last] = own.groups[t.own];
            for (std::uint32_t i = first; i < last; ++i)
                if (own.lines[i].ACKNO % 100 == 0) moving.push_back(&own.lines[i]);
            return {};
        }
        std::size_t n = 0;
        prefix.slot(sLineKey).text = t.head.KEYSTR;
        auto st = lineTable.scanPrefix("MFD:KeyFisSiraNo", prefix, 1, [&]() -> Result<bool> {
            const data::Record& r = lineTable.buffer();
            if (r.slot(sAckNo).integer % 100 != 0) return true;
            if (trimmed(r.slot(sAccount).text) == cash) return true;
            if (n == mirrored.size()) mirrored.emplace_back();
            data::FisDet& m = mirrored[n++];
            data::fromRecord(r, m);
            std::swap(m.TLBORC, m.TLALACAK);
            return true;
        });
        if (!st) return st;
        for (std::size_t i = 0; i < n; ++i) moving.push_back(&mirrored[i]);
        return {};
    };

    // 2: the carried-forward sums, in the order the vouchers were read.
    double carriedDebit = 0, carriedCredit = 0;
    std::vector<std::uint32_t> ordered; // the vouchers of the period
    for (std::uint32_t i = 0; i < taken.size(); ++i) {
        if (!(o.startDate.isSet() && taken[i].head.FISTRH < o.startDate)) {
            ordered.push_back(i);
            continue;
        }
        if (auto st = movingLines(taken[i]); !st) return st.error();
        for (const data::FisDet* l : moving) {
            carriedDebit += l->TLBORC;
            carriedCredit += l->TLALACAK;
        }
    }
    // By date, then by kind character; the read order (date, number) stays within them. A
    // voucher's movements stand together, in line order.
    std::stable_sort(ordered.begin(), ordered.end(), [&](std::uint32_t a, std::uint32_t b) {
        const Taken& x = taken[a];
        const Taken& y = taken[b];
        if (x.head.FISTRH != y.head.FISTRH) return x.head.FISTRH < y.head.FISTRH;
        return x.kind < y.kind;
    });

    CashBookStats stats;
    carriedDebit = core::numeric::round(carriedDebit, 2);
    carriedCredit = core::numeric::round(carriedCredit, 2);
    stats.carriedDebit = carriedDebit;
    stats.carriedCredit = carriedCredit;
    kalan = core::numeric::round(carriedDebit - carriedCredit, 2);
    if (kalan <= 0 && ordered.empty()) return stats; // the empty report

    report.setCellsWanted(out.isSheet());
    auto& cols = report.columns();

    const std::size_t width = report.width();
    const std::string dateText = "Rapor Tarihi :" + pic::format(o.reportDate, "d6");
    const std::string period = "İşlem Tarihi :" + pic::format(o.startDate, "@d6b") + " - " +
                                pic::format(o.endDate, "@d6b");
    std::array<BuiltLine, 3> headings;
    for (int i = 1; i <= 3; ++i) {
        auto l = report.build(Mode::Heading, i);
        if (!l) return l.error();
        headings[static_cast<std::size_t>(i - 1)] = std::move(*l);
    }
    if (!out.isSheet()) {
        out.writer()->setPageHeader([&](output::PageWriter& pw) -> Status {
            if (auto st = writeInit(pw, kind, false); !st) return st;
            if (auto st = pw.write(text::clip(spread("KASA DEFTERİ RAPORU", dateText, width)));
                !st)
                return st;
            const std::string page = "Sayfa No     :" + pic::format(pw.pageNumber(), "n5");
            if (auto st = pw.write(text::clip(spread("HesapKodu : " + cash, page, width))); !st)
                return st;
            if (auto st = pw.write(period); !st) return st;
            for (const auto& h : headings)
                if (auto st = pw.write(text::clip(h.text)); !st) return st;
            return {};
        });
    }
    struct Unhook {
        ListingOutput& out;
        // The header refers to this run's locals: the writer must not call it afterwards.
        ~Unhook() {
            if (!out.isSheet()) out.writer()->setPageHeader({});
        }
    } unhook{out};

    // 3: the sheet's title rows and the carried-forward line, its amounts counted into the
    // totals. Written before the first movement, or at the end when there was none: a book
    // with neither a movement nor a positive carried balance is the empty report.
    bool begun = false;
    auto begin = [&]() -> Status {
        begun = true;
        if (out.isSheet()) {
            output::Sheet& s = *out.sheet();
            s.row(output::RowStyle::Heading).text("KASA DEFTERİ RAPORU");
            s.row(output::RowStyle::Heading).text(dateText);
            s.row(output::RowStyle::Heading).text("HesapKodu : " + cash);
            s.row(output::RowStyle::Heading).text(period);
            s.headingRow(report.captions(1), output::RowStyle::Heading);
            s.headingRow(report.captions(2), output::RowStyle::Heading);
        }
        if (kalan <= 0) return {};
        for (auto& c : cols) {
            c.text.clear();
            c.at(1) = Decimal();
        }
        for (std::size_t i : {std::size_t{6}, std::size_t{7}}) {
            auto v = Decimal::fromDouble(i == 6 ? carriedDebit : carriedCredit);
            if (!v) return v.error();
            cols[i].at(1) = *v;
        }
        auto l = report.build(Mode::Detail, 1);
        if (!l) return l.error();
        l->label("Devir", 20);
        blankColumn(*l, cols, kKalanColumn);
        return out.line(*l);
    };

    // 4: the movements, voucher by voucher.
    Chart chart(*books);
    for (std::uint32_t i : ordered) {
        const Taken& t = taken[i];
        if (auto st = movingLines(t); !st) return st.error();
        if (moving.empty()) continue;
        if (!begun)
            if (auto st = begin(); !st) return st.error();
        mfb.set(t.head);
        fisTur = kindWord(t.kind);
        for (const data::FisDet* lp : moving) {
            const data::FisDet& line = *lp;
            auto account = chart.find(line.HESAPKODU);
            if (!account) return account.error();
            mfd.set(line);
            hsp.set(**account);
            kalan = core::numeric::round(kalan + line.TLBORC - line.TLALACAK, 2);
            if (auto st = report.evaluate(ui); !st) return st.error();
            auto l = report.build(Mode::Detail, 1);
            if (!l) return l.error();
            if (auto st = out.line(*l); !st) return st.error();
            ++stats.lines;
            if ((stats.lines & 1023) == 0 && ui.cancelled())
                return Error::refused("Kasa defteri kullanıcı isteğiyle durduruldu.");
        }
    }
    if (!begun) {
        if (kalan <= 0) return stats; // the empty report
        if (auto st = begin(); !st) return st.error();
    }

    // 5: the underline and the grand total.
    auto u = report.build(Mode::Underline, 3);
    if (!u) return u.error();
    if (auto st = out.line(*u); !st) return st.error();
    auto t = report.build(Mode::Detail, 2);
    if (!t) return t.error();
    t->label("Genel Toplam", 20);
    if (auto st = out.line(*t, false, true); !st) return st.error();
    stats.written = true;
    stats.balance = kalan;
    return stats;
}

Result<CashBookStats> runCashBook(data::DataSet& ds, app::Ui& ui, const CashBookOptions& o,
                                  const Route& route) {
    if (auto st = checkCashBook(ds, o); !st) return st.error();
    ListingReport report(cashBookDefinition());
    if (route.sheet) {
        ListingOutput out(*route.sheet);
        return KasaDefteriYaz(ds, ui, report, o, out, output::PrinterKind::Ordinary);
    }
    if (!route.sink) return Error::badInput("Rapor çıktısı seçilmedi");
    output::PageSetup setup;
    setup.kind = route.kind;
    setup.linesPerPage =
        route.textFile ? 0
                       : reportLinesPerPage(route.kind,
                                            reportPageStyle(route.kind, cashBookWidth(), o.fontSize));
    output::PageWriter w(setup, *route.sink);
    ListingOutput out(w);
    auto r = KasaDefteriYaz(ds, ui, report, o, out, route.kind);
    if (!r) return r.error();
    if (auto st = w.finish(); !st) return st.error();
    return r;
}

} // namespace hk::reports
