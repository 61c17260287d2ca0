#include "reports/ledger.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "expr/rewrite.h"
#include "reports/binding.h"
#include "reports/common.h"
#include "reports/ledger_lines.h"
#include "vouchers/books.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
namespace text = core::text;
namespace pic = core::picture;

namespace {

struct Head {
    data::FisBas h;
    int month = 0; // fiscal month of the key
};

int keyMonth(std::string_view key) {
    if (key.size() < 2 || key[0] < '0' || key[0] > '9' || key[1] < '0' || key[1] > '9') return 0;
    return (key[0] - '0') * 10 + (key[1] - '0');
}

bool isDetail(const std::string& kind) {
    return text::trim(kind) == "M";
}

// `code` is `account` itself or one of its sub-accounts.
bool under(std::string_view code, std::string_view account) {
    if (code.size() < account.size() || code.substr(0, account.size()) != account) return false;
    return code.size() == account.size() || code[account.size()] == ' ';
}

struct Running {
    std::array<double, 3> balance{}; // TL, sub-unit, currency
    // The bound variables, in the order BKTLBORC, BKTLALACAK, BKALTBIRIMBORC, ...
    std::array<double, 6> vars{};

    void reset() {
        balance = {};
        vars = {};
    }
    void take(const data::FisDet& l) {
        const std::array<std::pair<double, double>, 3> dc = {
            std::pair{l.TLBORC, l.TLALACAK}, std::pair{l.ALTBIRIMBORC, l.ALTBIRIMALACAK},
            std::pair{l.DOVIZBORC, l.DOVIZALACAK}};
        for (std::size_t i = 0; i < 3; ++i) {
            // A balance is already rounded: a line without amounts of the measure leaves it as
            // it is (most lines carry TL amounts alone).
            if (dc[i].first == 0 && dc[i].second == 0) continue;
            const int places = i == 1 ? 3 : 2;
            balance[i] = roundSum(balance[i] + dc[i].first - dc[i].second, places);
            vars[2 * i] = balance[i] >= 0 ? balance[i] : 0;
            vars[2 * i + 1] = balance[i] < 0 ? -balance[i] : 0;
        }
    }
};

} // namespace

const std::string& monthTotalLabel(int m) {
    static const std::array<std::string, 12> labels = {
        "OCAK AYI TOPLAMI",   "ŞUBAT AYI TOPLAMI",   "MART AYI TOPLAMI",  "NİSAN AYI TOPLAMI",
        "MAYIS AYI TOPLAMI",  "HAZİRAN AYI TOPLAMI", "TEMMUZ AYI TOPLAMI", "AĞUSTOS AYI TOPLAMI",
        "EYLÜL AYI TOPLAMI",  "EKİM AYI TOPLAMI",    "KASIM AYI TOPLAMI", "ARALIK AYI TOPLAMI"};
    return labels[static_cast<std::size_t>(std::clamp(m, 1, 12) - 1)];
}

Status checkOptions(const LedgerOptions& o, const data::Yasal& y) {
    if (o.startMonth != 0) {
        if (o.startMonth < 1 || o.startMonth > 12 || o.endMonth < 1 || o.endMonth > 12)
            return Error::badInput("Muavin dönemi 1 ile 12 arasında aylar olmalı");
        if (o.startMonth > o.endMonth)
            return Error::badInput("Muavin dönemi boş: başlangıç ayı bitiş ayından büyük");
    } else {
        if (!o.startDate.isSet() || !o.endDate.isSet() || !o.startDate.isValid() ||
            !o.endDate.isValid())
            return Error::badInput("Ay seçilmediğinde başlangıç ve bitiş tarihi gerekli");
        if (o.startDate.dayNumber() > o.endDate.dayNumber())
            return Error::badInput("Tarih aralığı boş: başlangıç tarihi bitiş tarihinden büyük");
        if (y.MALIDONEMBAS.isSet() && y.MALIDONEMSON.isSet() &&
            (o.startDate.dayNumber() < y.MALIDONEMBAS.dayNumber() ||
             o.endDate.dayNumber() > y.MALIDONEMSON.dayNumber()))
            return Error::badInput("Tarih aralığı mali dönemin dışında: " +
                                   pic::format(y.MALIDONEMBAS, "d6") + " - " +
                                   pic::format(y.MALIDONEMSON, "d6"));
    }
    if (emptyRange(text::trim(o.accountStart), text::trim(o.accountEnd)))
        return Error::badInput("Hesap kodu aralığı boş: başlangıç bitişten büyük");
    return {};
}

Result<LedgerStats> TnmMuavinRaporu(data::DataSet& ds, app::Ui& ui, ListingReport& report,
                                    const LedgerOptions& o, ListingOutput& out,
                                    output::PrinterKind kind) {
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();
    if (auto st = checkOptions(o, *company); !st) return st.error();

    const bool monthMode = o.startMonth != 0;
    const int m1 = monthMode ? o.startMonth : fiscalMonthOf(o.startDate, company->MALIDONEMBAS);
    const int m2 = monthMode ? o.endMonth : fiscalMonthOf(o.endDate, company->MALIDONEMBAS);
    bool yearStart = m1 == 1;
    if (!monthMode)
        yearStart = o.startDate.day == 1 && m1 == 1;
    const bool sheetRoute = out.isSheet() || o.fileRoute;

    expr::Bindings bindings;
    RecordBinding<data::FisBas> mfb(bindings);
    RecordBinding<data::FisDet> mfd(bindings);
    RecordBinding<data::HsPlan> hsp(bindings);
    Running run;
    const std::array<const char*, 6> names = {"BKTLBORC",       "BKTLALACAK",
                                              "BKALTBIRIMBORC", "BKALTBIRIMALACAK",
                                              "BKDOVIZBORC",    "BKDOVIZALACAK"};
    for (std::size_t i = 0; i < 6; ++i) bindings.bind(names[i], expr::Variable(&run.vars[i]));
    report.compile(bindings, &expr::rewriteLedgerBalanceCodes);
    // Per line only what the definition reads is copied into the bindings.
    {
        const std::vector<const void*> read = report.readAddresses();
        mfb.narrowTo(read);
        mfd.narrowTo(read);
        hsp.narrowTo(read);
    }
    // The year's vouchers and lines are read with only the fields the definition reads and
    // those the report itself works with (ordering, the running balances, extra descriptions).
    data::NarrowReads headFields(
        books->heads.table(), withFields(books->heads.table().def(), mfb.fieldsRead(),
                                         {"KEYSTR", "FISTRH", "FISNO", "FISNTLK"}));
    if (!headFields.ok()) return headFields.status().error();
    const std::vector<std::uint32_t> lineList =
        withFields(books->lines.table().def(), mfd.fieldsRead(),
                   {"KEYSTR", "HESAPKODU", "ACKNO", "FISACK", "TLBORC", "TLALACAK", "ALTBIRIMBORC",
                    "ALTBIRIMALACAK", "DOVIZBORC", "DOVIZALACAK"});
    data::NarrowReads lineFields(books->lines.table(), lineList);
    if (!lineFields.ok()) return lineFields.status().error();
    report.setCellsWanted(out.isSheet());
    std::vector<bool> balanceColumn;
    for (const auto& c : report.columns())
        balanceColumn.push_back(expr::rewriteLedgerBalanceCodes(c.def.FIELDKOD) !=
                                c.def.FIELDKOD);

    const std::string start = text::trim(o.accountStart), end = text::trim(o.accountEnd);
    const bool single = !o.kebir && !start.empty() && start == end;

    // The vouchers of the year in report order (date, number, then as stored: the order of
    // MFB:KeyMuavin), by month of their key. One detail account needs only the vouchers its lines
    // are in, found through FisDet's account index, so a busy account costs its own vouchers
    // rather than a read of the whole year.
    std::vector<Head> heads;
    if (single) {
        auto found = books->lines.collectWhere("MFD:KeyFisDet", "HESAPKODU", start);
        if (!found) return found.error();
        std::vector<std::pair<std::int64_t, Head>> taken;
        std::string last;
        for (const auto& [mark, l] : *found) {
            if (l.KEYSTR == last) continue;
            last = l.KEYSTR;
            data::FisBas k;
            k.KEYSTR = l.KEYSTR;
            auto h = books->heads.get("MFB:KeyFis", k);
            if (!h) {
                if (data::is(h, data::ErrorCode::NotFound)) continue; // lines of no voucher
                return h.error();
            }
            Head hd{*h, keyMonth(h->KEYSTR)};
            if (hd.month < 1 || hd.month > m2) continue;
            if (!monthMode && h->FISTRH.dayNumber() > o.endDate.dayNumber()) continue;
            if (!voucherTaken(h->FISNTLK, o.opening, o.closing, o.cancelled)) continue;
            taken.emplace_back(books->heads.table().bookmark().row, std::move(hd));
        }
        std::sort(taken.begin(), taken.end(), [](const auto& a, const auto& b) {
            const auto da = a.second.h.FISTRH.dayNumber(), db = b.second.h.FISTRH.dayNumber();
            if (da != db) return da < db;
            if (a.second.h.FISNO != b.second.h.FISNO) return a.second.h.FISNO < b.second.h.FISNO;
            return a.first < b.first;
        });
        heads.reserve(taken.size());
        for (auto& t : taken) heads.push_back(std::move(t.second));
        std::stable_sort(heads.begin(), heads.end(),
                         [](const Head& a, const Head& b) { return a.month < b.month; });
    } else {
        // Read as stored and put in MFB:KeyMuavin's order here (date, number, and as stored
        // between equal ones: a stable sort of the table's order): through the key, each header
        // would be a look-up of its own into the table.
        if (auto st = books->heads.setPhysical(); !st) return st.error();
        for (;;) {
            auto h = books->heads.next();
            if (!h) {
                if (data::is(h, data::ErrorCode::NoRecord)) break;
                return h.error();
            }
            const int month = keyMonth(h->KEYSTR);
            if (month < 1 || month > m2) continue;
            if (!monthMode && h->FISTRH.dayNumber() > o.endDate.dayNumber()) continue;
            if (!voucherTaken(h->FISNTLK, o.opening, o.closing, o.cancelled)) continue;
            heads.push_back(Head{std::move(*h), month});
        }
        std::stable_sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) {
            if (a.month != b.month) return a.month < b.month;
            if (a.h.FISTRH != b.h.FISTRH) return a.h.FISTRH < b.h.FISTRH;
            return a.h.FISNO < b.h.FISNO;
        });
    }

    auto range = AccountRange::make(*books, start, end, false);
    if (!range) return range.error();

    KeyIndex byKey;
    byKey.build(heads.size(), [&](std::size_t i) -> std::string_view { return heads[i].h.KEYSTR; });

    // Ledger accounts gather the lines of their sub-accounts: which vouchers each account appears
    // in, from one pass over the lines. Detail accounts read their own lines through the index.
    std::map<std::string, std::vector<std::uint32_t>> seen;
    if (o.kebir) {
        if (auto st = books->lines.set("MFD:KeyFisDet"); !st) return st.error();
        long n = 0;
        for (;;) {
            auto l = books->lines.next();
            if (!l) {
                if (data::is(l, data::ErrorCode::NoRecord)) break;
                return l.error();
            }
            if ((++n & 4095) == 0 && ui.cancelled()) return Error::refused("İptal edildi", true);
            const std::uint32_t at = byKey.find(l->KEYSTR);
            if (at == KeyIndex::kNone) continue;
            auto& v = seen[l->HESAPKODU];
            if (v.empty() || v.back() != at) v.push_back(at);
        }
        for (auto& [code, v] : seen) std::sort(v.begin(), v.end());
    }
    // Detail accounts read their lines one of two ways. Through FisDet's account index an account
    // costs its own lines, but each line is a look-up of its own into the table, wherever the
    // line lies: a run over a few accounts pays only for those. A run over many accounts reads
    // nearly the whole table so, page by page in no order, many pages more than once; it reads
    // the lines instead in one pass as stored and keeps those of its accounts (LedgerLines:
    // memory grows with the lines the run keeps, about 73 bytes each). The rule: one pass when
    // the run's detail accounts are at least a fifth of the chart's (every account, or a wide
    // range), the index otherwise, and always for one account. (On a year of a million lines
    // the two cost the same at about a sixth of the accounts, the pass about two thirds of the
    // index at a quarter and three fifths of it for every account.)
    LedgerLines held;
    std::vector<std::string> heldCodes; // the run's detail accounts, in chart order
    KeyIndex heldIndex;
    bool onePass = false;
    if (!o.kebir && o.reads != LedgerOptions::Reads::ByAccount &&
        (!single || o.reads == LedgerOptions::Reads::OnePass)) {
        const data::FileDef& ld = books->lines.table().def();
        const auto keyField = ld.field("KEYSTR"), codeField = ld.field("HESAPKODU"),
                   acknoField = ld.field("ACKNO");
        long inChart = 0;
        {
            data::NarrowReads few(books->plan.table(), {"HESAPKODU", "NTLK"});
            if (!few.ok()) return few.status().error();
            data::HsPlan from;
            from.HESAPKODU = start;
            if (auto st = books->plan.set("HSP:KeyHesap", data::Seek::AtOrAfter, from); !st)
                return st.error();
            for (;;) {
                auto a = books->plan.next();
                if (!a) {
                    if (data::is(a, data::ErrorCode::NoRecord)) break;
                    return a.error();
                }
                if (range->past(a->HESAPKODU)) break;
                if (isDetail(a->NTLK)) heldCodes.push_back(a->HESAPKODU);
            }
            if (start.empty() && end.empty()) {
                inChart = static_cast<long>(heldCodes.size());
            } else {
                if (auto st = books->plan.set("HSP:KeyHesap"); !st) return st.error();
                for (;;) {
                    auto a = books->plan.next();
                    if (!a) {
                        if (data::is(a, data::ErrorCode::NoRecord)) break;
                        return a.error();
                    }
                    if (isDetail(a->NTLK)) ++inChart;
                }
            }
        }
        onePass = o.reads == LedgerOptions::Reads::OnePass ||
                  static_cast<long>(heldCodes.size()) * 5 >= inChart;
        if (onePass && keyField && codeField && acknoField &&
            held.setup(ld, lineList, *keyField, *codeField, *acknoField)) {
            heldIndex.build(heldCodes.size(),
                            [&](std::size_t i) -> std::string_view { return heldCodes[i]; });
            held.accounts(heldCodes.size());
            data::Table& t = books->lines.table();
            const std::uint32_t keySlot = ld.fields[*keyField].slot;
            const std::uint32_t codeSlot = ld.fields[*codeField].slot;
            if (auto st = t.setPhysical(); !st) return st.error();
            long n = 0;
            // A voucher's lines mostly lie together as stored: its place is looked up once.
            std::string lastKey;
            std::uint32_t lastAt = KeyIndex::kNone;
            for (;;) {
                if (auto st = t.next(); !st) {
                    if (data::is(st.error(), data::ErrorCode::NoRecord)) break;
                    return st.error();
                }
                if ((++n & 4095) == 0 && ui.cancelled()) return Error::refused("İptal edildi", true);
                const data::Record& r = t.buffer();
                const std::uint32_t account = heldIndex.find(r.slot(codeSlot).text);
                if (account == KeyIndex::kNone) continue;
                const std::string& key = r.slot(keySlot).text;
                if (key != lastKey) {
                    lastKey = key;
                    lastAt = byKey.find(key);
                }
                if (lastAt == KeyIndex::kNone) continue;
                held.add(account, lastAt, r);
            }
        } else {
            onePass = false;
        }
    }

    auto vouchersOf = [&](const std::string& code) {
        std::vector<std::uint32_t> v;
        for (auto it = seen.lower_bound(code); it != seen.end() && it->first.compare(0, code.size(), code) == 0; ++it)
            if (under(it->first, code)) v.insert(v.end(), it->second.begin(), it->second.end());
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    };

    // Header texts.
    const std::size_t width = report.width();
    const std::string companyLine = companyTitle(*company);
    const std::string dateText = "Rapor Tarihi :" + pic::format(o.reportDate, "d6");
    const std::string title = o.kebir ? "KEBİR MUAVİN RAPORU" : "MUAVİN RAPORU";
    const std::string period =
        monthMode ? "Muavin Dönem Aralığı : " + std::to_string(o.startMonth) + "->" +
                        std::to_string(o.endMonth)
                  : "Muavin Tarih Aralığı :" + pic::format(o.startDate, "d6b") + "->" +
                        pic::format(o.endDate, "d6b");
    std::array<BuiltLine, 3> headings;
    for (int i = 1; i <= 3; ++i) {
        auto l = report.build(Mode::Heading, i);
        if (!l) return l.error();
        headings[static_cast<std::size_t>(i - 1)] = std::move(*l);
    }
    data::HsPlan current;
    if (out.isSheet()) {
        output::Sheet& s = *out.sheet();
        s.row(output::RowStyle::Heading).text(text::clip(spread(companyLine, dateText, width)));
        s.row(output::RowStyle::Heading).text(title);
        s.row(output::RowStyle::Heading).text(period);
        s.row(output::RowStyle::Heading).text(text::clip(report.header().RAPORTEXT));
        s.headingRow(report.captions(1), output::RowStyle::Heading);
        s.headingRow(report.captions(2), output::RowStyle::Heading);
    } else {
        out.writer()->setPageHeader([&](output::PageWriter& pw) -> Status {
            if (auto st = writeInit(pw, kind, false); !st) return st;
            if (auto st = pw.write(text::clip(spread(companyLine, dateText, width))); !st)
                return st;
            const std::string page = "Sayfa No     :" + pic::format(pw.pageNumber(), "n6");
            if (auto st = pw.write(text::clip(spread(title, page, width))); !st) return st;
            if (o.pagePerAccount)
                if (auto st = pw.write(text::clip("HesapKodu :  " + current.HESAPKODU + " " +
                                                  current.HESAPAD1));
                    !st)
                    return st;
            if (auto st = pw.write(period); !st) return st;
            if (auto st = pw.write(text::clip(report.header().RAPORTEXT)); !st) return st;
            for (const auto& h : headings)
                if (auto st = pw.write(text::clip(h.text)); !st) return st;
            return {};
        });
    }

    auto underline = [&]() -> Status {
        auto u = report.build(Mode::Underline, 3);
        if (!u) return u.error();
        return out.line(*u);
    };
    auto devir = [&]() -> Status {
        auto d = report.build(Mode::Detail, 2);
        if (!d) return d.error();
        d->label("Devir", 5);
        if (auto st = out.line(*d, false, true); !st) return st;
        return underline();
    };

    LedgerStats stats;
    data::HsPlan from;
    from.HESAPKODU = start;
    if (auto st = books->plan.set("HSP:KeyHesap", data::Seek::AtOrAfter, from); !st)
        return st.error();
    std::string lastKebir;
    long scanned = 0;
    // An account's lines and their places in report order; kept from account to account.
    struct Item {
        std::uint32_t head;
        std::uint32_t at; // in `own` or `gathered`
    };
    std::vector<Item> items;
    std::vector<data::FisDet> own;
    data::Record heldRecord(books->lines.table().def());
    data::FisDet heldLine;
    const std::vector<LedgerLines::Entry>* heldEntries = nullptr;
    for (;;) {
        auto a = books->plan.next();
        if (!a) {
            if (data::is(a, data::ErrorCode::NoRecord)) break;
            return a.error();
        }
        if (range->past(a->HESAPKODU)) break;
        if (o.kebir == isDetail(a->NTLK)) continue;
        if (o.kebir) {
            if (!lastKebir.empty() && under(a->HESAPKODU, lastKebir)) continue;
        }
        if ((++scanned & 63) == 0) {
            ui.progress(a->HESAPKODU + " " + a->HESAPAD1, -1);
            if (ui.cancelled()) return Error::refused("İptal edildi", true);
        }
        const std::string code = a->HESAPKODU;

        // The account's lines of the run, in report order: the lines stay where they were
        // read, and only their places are ordered.
        items.clear();
        std::vector<data::FisDet> gathered;
        bool active = false;
        auto isBefore = [&](const Head& hd) {
            return monthMode ? hd.month < m1 : hd.h.FISTRH.dayNumber() < o.startDate.dayNumber();
        };
        std::uint32_t heldAt = KeyIndex::kNone;
        if (onePass) {
            heldAt = heldIndex.find(code);
            heldEntries = nullptr;
            if (heldAt != KeyIndex::kNone) {
                heldEntries = &held.entries(heldAt);
                for (std::uint32_t i = 0; i < heldEntries->size(); ++i) {
                    const std::uint32_t at = (*heldEntries)[i].voucher;
                    if (!isBefore(heads[at])) active = true;
                    items.push_back({at, i});
                }
            }
        } else if (!o.kebir) {
            // In key order; within a voucher in line order, as the voucher's own key reads them.
            // Read into the records of the previous account, whose texts keep their capacity.
            std::uint32_t count = 0;
            auto st = books->lines.table().scanWhere(
                "MFD:KeyFisDet", "HESAPKODU", code,
                [&](const data::Record& r, const data::Bookmark&) -> Result<bool> {
                    if (count == own.size()) own.emplace_back();
                    data::fromRecord(r, own[count++]);
                    return true;
                });
            if (!st) return st.error();
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t at = byKey.find(own[i].KEYSTR);
                if (at == KeyIndex::kNone) continue;
                if (!isBefore(heads[at])) active = true;
                items.push_back({at, i});
            }
            // Stable by voucher: (voucher, place read) orders equal vouchers as read.
            std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
                return x.head != y.head ? x.head < y.head : x.at < y.at;
            });
        }
        for (std::uint32_t hi : o.kebir ? vouchersOf(code) : std::vector<std::uint32_t>{}) {
            const Head& hd = heads[hi];
            data::FisDet k;
            k.KEYSTR = hd.h.KEYSTR;
            k.HESAPKODU = code;
            if (auto st = books->lines.set("MFD:KeyFisDet", data::Seek::AtOrAfter, k); !st)
                return st.error();
            for (;;) {
                auto l = books->lines.next();
                if (!l) {
                    if (data::is(l, data::ErrorCode::NoRecord)) break;
                    return l.error();
                }
                if (l->KEYSTR != hd.h.KEYSTR) break;
                if (!under(l->HESAPKODU, code)) break;
                if (!isBefore(hd)) active = true;
                items.push_back({hi, static_cast<std::uint32_t>(gathered.size())});
                gathered.push_back(std::move(*l));
            }
        }
        auto lineOf = [&](const Item& it) -> const data::FisDet& {
            if (onePass) {
                held.load((*heldEntries)[it.at], heads[it.head].h.KEYSTR, code, heldRecord);
                data::fromRecord(heldRecord, heldLine);
                return heldLine;
            }
            return o.kebir ? gathered[it.at] : own[it.at];
        };
        // The account's lines are not needed once it has been printed or passed over.
        struct Release {
            LedgerLines& held;
            std::uint32_t at;
            ~Release() {
                if (at != KeyIndex::kNone) held.release(at);
            }
        } release{held, heldAt};
        if (o.onlyActive && !active) continue;
        if (o.kebir) lastKebir = code;

        current = *a;
        hsp.set(*a);
        data::FisDet descriptionLine;
        run.reset();
        bool due = !yearStart;
        bool first = true, wrote = false;
        std::size_t next = 0;
        for (int m = 1; m <= m2; ++m) {
            bool monthLines = false;
            for (; next < items.size() && heads[items[next].head].month == m; ++next) {
                const Head& hd = heads[items[next].head];
                // An extra description line shows its text alone.
                const data::FisDet* lp = &lineOf(items[next]);
                if (lp->ACKNO % 100 != 0) {
                    descriptionLine = data::FisDet{};
                    descriptionLine.FISACK = text::left(lp->FISACK, 32);
                    lp = &descriptionLine;
                }
                const data::FisDet& l = *lp;
                mfb.set(hd.h);
                mfd.set(l);
                auto pass = report.passes(ui);
                if (!pass) return pass.error();
                if (!*pass) continue;
                run.take(l);
                if (auto st = report.evaluate(ui); !st) return st.error();
                if (first) {
                    first = false;
                    if (!o.pagePerAccount || sheetRoute) {
                        if (auto st = out.text(code + "  " + a->HESAPAD1, true); !st)
                            return st.error();
                        if (auto st = out.empty(); !st) return st.error();
                        wrote = true;
                    }
                }
                const bool before = monthMode ? m < m1
                                              : hd.h.FISTRH.dayNumber() < o.startDate.dayNumber();
                if (!before && due) {
                    if (auto st = devir(); !st) return st.error();
                    due = false;
                    wrote = true;
                }
                report.zero(2, balanceColumn);
                auto b = report.build(Mode::Detail, 1);
                if (!b) return b.error();
                if (!due) {
                    if (auto st = out.line(*b); !st) return st.error();
                    wrote = true;
                    ++stats.lines;
                }
                monthLines = true;
            }
            if (!monthLines || due) continue;
            if ((o.monthTotals || o.cumulativeEachMonth) && !sheetRoute)
                if (auto st = underline(); !st) return st.error();
            auto t = report.build(Mode::Detail, 2);
            if (!t) return t.error();
            if (o.monthTotals) {
                t->label(monthTotalLabel(calendarMonth(m, company->MALIDONEMBAS)), 20);
                if (auto st = out.line(*t, false, true); !st) return st.error();
            }
            auto c = report.build(Mode::Plus, 3);
            if (!c) return c.error();
            if (o.cumulativeEachMonth || m == m2) {
                c->label("KÜMÜLATİF TOPLAM", 20);
                if (auto st = out.line(*c, false, true); !st) return st.error();
                if (!sheetRoute)
                    if (auto st = out.empty(); !st) return st.error();
            }
        }
        // An account whose lines all lie before the period carries them forward here, once:
        // a second "Devir" of the cleared totals would only repeat it as zeros.
        if (due) {
            if (auto st = devir(); !st) return st.error();
            wrote = true;
        }
        report.zeroAll(2);
        if (wrote) ++stats.accounts;
        if (o.pagePerAccount && !sheetRoute && wrote)
            if (auto st = out.endPage(); !st) return st.error();
    }
    // The header refers to this run's locals: the writer must not call it after we return.
    if (!out.isSheet()) out.writer()->setPageHeader({});
    return stats;
}

} // namespace hk::reports
