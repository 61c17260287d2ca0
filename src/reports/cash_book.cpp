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

char kindOf(const data::FisBas& h) {
    const std::string t = text::upperTr(text::trim(h.FISTUR));
    return t.empty() ? ' ' : t[0];
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

// A movement of the period: its voucher and line are kept once each, aside, so that ordering a
// year of movements moves a few bytes per movement, not two wide records.
struct Movement {
    core::Date date;
    char kind = 'M';
    std::uint32_t head = 0; // into the collected voucher headers
    std::uint32_t line = 0; // into the collected lines (debit and credit as the cash account sees them)
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

    // The cash account's own lines, read once through FisDet's account index (in the order of
    // MFD:KeyFisDet, as a probe per voucher would meet them): a mahsup voucher moves the account
    // by these, so a year of vouchers costs the account's lines rather than a probe each.
    std::unordered_map<std::string, std::vector<data::FisDet>> own;
    {
        auto found = books->lines.collectWhere("MFD:KeyFisDet", "HESAPKODU", cash);
        if (!found) return found.error();
        for (auto& [mark, l] : *found) own[l.KEYSTR].push_back(std::move(l));
    }

    // 1-3: the carried-forward sums and the movements of the period.
    double carriedDebit = 0, carriedCredit = 0;
    std::vector<Movement> moves;
    std::vector<data::FisBas> heads;
    std::deque<data::FisDet> lines; // never moves what it holds
    long read = 0, kept = -1; // headers read; the one whose header `heads` ends with
    // Notes one movement of the voucher just read; its header is kept with its first movement.
    auto collect = [&](const data::FisBas& h, data::FisDet line, char kind) {
        if (kept != read) {
            heads.push_back(h);
            kept = read;
        }
        lines.push_back(std::move(line));
        moves.push_back({h.FISTRH, kind, static_cast<std::uint32_t>(heads.size() - 1),
                         static_cast<std::uint32_t>(lines.size() - 1)});
    };
    if (auto st = books->heads.set("MFB:KeyMuavin"); !st) return st.error();
    long seen = 0;
    for (;; ++read) {
        auto h = books->heads.next();
        if (!h) {
            if (data::is(h, data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (o.endDate.isSet() && h->FISTRH > o.endDate) break;
        if (!voucherTaken(h->FISNTLK, true, true, false)) continue;
        if ((++seen & 255) == 0) {
            ui.progress(pic::format(h->FISTRH, "d6") + "  " + std::to_string(h->FISNO), -1);
            if (ui.cancelled()) return Error::refused("Kasa defteri kullanıcı isteğiyle durduruldu.");
        }
        const char k = kindOf(*h);
        if (k != 'M' && k != 'A' && k != 'E') continue;
        if (k != 'M' && !mirrors) continue;
        const bool before = o.startDate.isSet() && h->FISTRH < o.startDate;
        data::FisDet prefix;
        prefix.KEYSTR = h->KEYSTR;
        prefix.HESAPKODU = cash;
        // A mahsup voucher moves the cash account by its own lines; the others by the mirror
        // image of every line not on it.
        if (k == 'M') {
            const auto it = own.find(h->KEYSTR);
            if (it == own.end()) continue;
            for (const auto& l : it->second) {
                if (l.ACKNO % 100 != 0) continue;
                if (before) {
                    carriedDebit += l.TLBORC;
                    carriedCredit += l.TLALACAK;
                } else {
                    collect(*h, l, k);
                }
            }
            continue;
        }
        auto st = books->lines.scanPrefix("MFD:KeyFisSiraNo", prefix, 1,
                        [&](const data::FisDet& l) {
                            if (l.ACKNO % 100 != 0) return;
                            if (text::trim(l.HESAPKODU) == cash) return;
                            data::FisDet m = l;
                            std::swap(m.TLBORC, m.TLALACAK);
                            if (before) {
                                carriedDebit += m.TLBORC;
                                carriedCredit += m.TLALACAK;
                            } else {
                                collect(*h, std::move(m), k);
                            }
                        });
        if (!st) return st.error();
    }
    // By date, then by kind character; the read order (date, number) stays within them.
    std::stable_sort(moves.begin(), moves.end(), [](const Movement& a, const Movement& b) {
        if (a.date != b.date) return a.date < b.date;
        return a.kind < b.kind;
    });

    CashBookStats stats;
    carriedDebit = core::numeric::round(carriedDebit, 2);
    carriedCredit = core::numeric::round(carriedCredit, 2);
    stats.carriedDebit = carriedDebit;
    stats.carriedCredit = carriedCredit;
    double kalan = core::numeric::round(carriedDebit - carriedCredit, 2);
    if (kalan <= 0 && moves.empty()) return stats; // the empty report

    expr::Bindings bindings;
    RecordBinding<data::FisBas> mfb(bindings);
    RecordBinding<data::FisDet> mfd(bindings);
    RecordBinding<data::HsPlan> hsp(bindings);
    std::string fisTur;
    bindings.bind("FisTur", expr::Variable(&fisTur));
    bindings.bind("Kalan", expr::Variable(&kalan));
    report.compile(bindings, &asIs);
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
    if (out.isSheet()) {
        output::Sheet& s = *out.sheet();
        s.row(output::RowStyle::Heading).text("KASA DEFTERİ RAPORU");
        s.row(output::RowStyle::Heading).text(dateText);
        s.row(output::RowStyle::Heading).text("HesapKodu : " + cash);
        s.row(output::RowStyle::Heading).text(period);
        s.headingRow(report.captions(1), output::RowStyle::Heading);
        s.headingRow(report.captions(2), output::RowStyle::Heading);
    } else {
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

    // 3: the carried-forward line, its amounts counted into the totals.
    if (kalan > 0) {
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
        if (auto st = out.line(*l); !st) return st.error();
    }

    // 4: the movements.
    std::unordered_map<std::string, data::HsPlan> accounts;
    for (const Movement& m : moves) {
        const data::FisDet& line = lines[m.line];
        auto it = accounts.find(line.HESAPKODU);
        if (it == accounts.end()) {
            data::HsPlan a;
            auto found = books->account(text::trim(line.HESAPKODU));
            if (found)
                a = *found;
            else if (!data::is(found, data::ErrorCode::NotFound))
                return found.error();
            it = accounts.emplace(line.HESAPKODU, a).first;
        }
        mfb.set(heads[m.head]);
        mfd.set(line);
        hsp.set(it->second);
        fisTur = kindWord(m.kind);
        kalan = core::numeric::round(kalan + line.TLBORC - line.TLALACAK, 2);
        if (auto st = report.evaluate(ui); !st) return st.error();
        auto l = report.build(Mode::Detail, 1);
        if (!l) return l.error();
        if (auto st = out.line(*l); !st) return st.error();
        ++stats.lines;
        if ((stats.lines & 1023) == 0 && ui.cancelled())
            return Error::refused("Kasa defteri kullanıcı isteğiyle durduruldu.");
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
