#include "reports/general_ledger.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "core/utf8.h"
#include "data/database.h"
#include "data/errors.h"
#include "reports/common.h"
#include "vouchers/books.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include <utility>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
using output::PrinterKind;
namespace text = core::text;
namespace pic = core::picture;

namespace {

constexpr const char* kPageEndTitle = "S A Y F A   S O N U   T O P L A M I";
constexpr const char* kCarriedTitle = "G E Ç E N   S A Y F A D A N   N A K L İ   Y E K Ü N";
constexpr const char* kBookTitle = "K E B İ R    D E F T E R İ";
// Where the book's title stands on the period line: past the longest period text.
constexpr std::size_t kTitleColumn = 56;
constexpr std::size_t kLineChars = 150;

// A line built by placing values at fixed 1-based columns; positions count characters, so a
// Turkish letter never shifts a column. A book writes a million of these: plain ASCII bytes, by
// far the most of them, are taken without decoding.
class Columns {
  public:
    Columns() { chars_.fill(U' '); }
    void place(std::size_t col, std::string_view s, std::size_t width = kWidth) {
        if (col < 1) return;
        std::size_t at = col - 1, n = 0;
        for (std::size_t i = 0; i < s.size() && n < width && at < kWidth; ++n, ++at) {
            const auto b = static_cast<unsigned char>(s[i]);
            if (b < 0x80) {
                chars_[at] = b;
                ++i;
                continue;
            }
            const auto step = core::utf8::decode(s, i);
            chars_[at] = step.cp == core::utf8::kInvalid ? U'?' : step.cp;
            i += step.len;
        }
        high_ = std::max(high_, std::min(at, kWidth));
    }
    // `s` right-aligned in a field of `width` characters from `col` (never cut).
    void right(std::size_t col, std::string_view s, std::size_t width) {
        const std::size_t n = text::length(s);
        place(n >= width ? col : col + width - n, s);
    }
    // Right after the last non-blank character.
    void append(std::string_view s) { place(used() + 1, s); }
    std::size_t used() const {
        std::size_t end = high_;
        while (end > 0 && chars_[end - 1] == U' ') --end;
        return end;
    }
    std::string str() const {
        std::string out;
        const std::size_t n = used();
        out.reserve(n + 8);
        for (std::size_t i = 0; i < n; ++i) {
            if (chars_[i] < 0x80)
                out.push_back(static_cast<char>(chars_[i]));
            else
                core::utf8::append(out, chars_[i]);
        }
        return out;
    }

  private:
    static constexpr std::size_t kWidth = output::kMaxLineChars;
    std::array<char32_t, kWidth> chars_;
    std::size_t high_ = 0; // nothing but blanks from here on
};

// What the work file takes from a voucher line.
struct LineView {
    std::string_view code, side;
    std::int32_t ackno = 0;
    double debit = 0, credit = 0;
};

// Where those fields stand in a voucher line's record buffer, found once per run.
struct LineSlots {
    std::uint32_t keystr, code, side, ackno, debit, credit;
    explicit LineSlots(const data::FileDef& d)
        : keystr(slot(d, "KEYSTR")), code(slot(d, "HESAPKODU")), side(slot(d, "BORCALACAK")),
          ackno(slot(d, "ACKNO")), debit(slot(d, "TLBORC")), credit(slot(d, "TLALACAK")) {}
    // The same values the line's struct would hold.
    LineView view(const data::Record& r) const {
        return {r.slot(code).text, r.slot(side).text, static_cast<std::int32_t>(r.slot(ackno).integer),
                r.slot(debit).real, r.slot(credit).real};
    }
    static std::uint32_t slot(const data::FileDef& d, std::string_view name) {
        return d.fields[*d.field(name)].slot;
    }
};

int keyMonth(std::string_view key) {
    if (key.size() < 2 || key[0] < '0' || key[0] > '9' || key[1] < '0' || key[1] > '9') return 0;
    return (key[0] - '0') * 10 + (key[1] - '0');
}

// The ledger account of a code: the code up to its first blank.
std::string ledgerCode(std::string_view code) {
    const std::string c = text::trim(code);
    const auto sp = c.find(' ');
    return sp == std::string::npos ? c : c.substr(0, sp);
}

std::string typeWord(std::string_view fisTur) {
    const std::string t = text::upperTr(text::trim(fisTur));
    if (t.empty()) return {};
    switch (t[0]) {
    case 'M': return " MAHSUP";
    case 'A': return " TAHSİL";
    case 'E': return " TEDİYE";
    default: return {};
    }
}

bool isDebitSide(std::string_view durum) {
    return text::trim(durum) != "X";
}

std::string number5(double n) {
    return pic::format(n, "n_5");
}

// The page layout and the running totals of the account being printed.
class Book {
  public:
    Book(PrinterKind kind, int lpp, const data::Yasal& company, const GeneralLedgerOptions& o,
         output::PageWriter& w)
        : kind_(kind), lpp_(lpp), company_(company), o_(o), w_(w),
          matbu_(company.KEBIRMATBU != 0) {
        w_.setPageHeader([this](output::PageWriter&) { return header(); });
    }
    ~Book() { w_.setPageHeader({}); }
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    int pages = 0;

    void startAccount(std::string code, std::string name) {
        code_ = std::move(code);
        name_ = std::move(name);
        debit_ = credit_ = 0;
        // Every detail line of the account carries its code and name at the same columns.
        account_ = Columns();
        account_.place(13, code_, 18);
        account_.place(33, name_, 48);
    }

    Status detail(const data::XKebir& r) {
        // A full page closes with the totals so far; the next one brings them forward.
        if (w_.linesOnPage() >= endPosition()) {
            for (int i = 0; i < 2; ++i)
                if (auto st = w_.write(""); !st) return st;
            if (auto st = totals(""); !st) return st;
        }
        const bool debit = isDebitSide(r.DURUM);
        const double amount = debit ? r.TLBORC : r.TLALACAK;
        Columns c = account_; // the code at 13 and the name at 33
        // The records of an account come by date: one date's text serves a run of them.
        if (r.FISTRH != lastDate_ || dateText_.empty()) {
            lastDate_ = r.FISTRH;
            dateText_ = pic::format(r.FISTRH, "d6");
        }
        c.place(1, dateText_); // ten characters: it never reaches the code
        c.right(debit ? 84 : 91, pic::format(amount, "n18.2"), 19);
        c.place(113, number5(r.YEVMIYENO) + "/ ", 20);
        if (r.FISTUR != lastType_ || !typeKnown_) {
            lastType_ = r.FISTUR;
            typeKnown_ = true;
            word_ = typeWord(r.FISTUR);
        }
        if (!word_.empty()) c.append(word_ + " " + number5(r.FISNO));
        // Written before it is counted: a new page's header carries the totals without it.
        if (auto st = w_.write(c.str()); !st) return st;
        (debit ? debit_ : credit_) += amount;
        return {};
    }

    // The end of an account: its closing totals where a full page has its carried totals, so
    // a pre-printed form takes both in the same place; the next account starts a new page.
    Status closeAccount() {
        while (w_.linesOnPage() < lpp_ - 2)
            if (auto st = w_.write(""); !st) return st;
        if (auto st = totals(matbu_ ? "" : kPageEndTitle); !st) return st;
        return w_.endPage();
    }

  private:
    // The last line a detail may stand on is the one before this position.
    int endPosition() const { return lpp_ - 4; }

    // The two total lines: caption and debit total (with the difference when the debit side is
    // larger), then the credit total (with the difference when the credit side is larger).
    Status totals(std::string_view caption) {
        const double d = core::numeric::round(debit_, 2), c = core::numeric::round(credit_, 2);
        Columns first;
        first.place(1, caption);
        first.right(85, pic::format(d, "n18.2b"), 19);
        if (d > c) first.right(113, pic::format(d - c, "n18.2b"), 20);
        Columns second;
        second.right(92, pic::format(c, "n18.2b"), 19);
        if (c > d) second.right(113, pic::format(c - d, "n18.2b"), 20);
        if (auto st = w_.write(w_.emphasised(first.str())); !st) return st;
        return w_.write(w_.emphasised(second.str()));
    }

    Status header() {
        ++pages;
        using C = output::ControlCode;
        if (kind_ == PrinterKind::Ordinary) {
            for (int i = 0; i < 3; ++i)
                if (auto st = w_.write(""); !st) return st;
        } else if (auto st = w_.writeControl(output::controlBytes(
                       kind_, {C::Reset, C::PageLength66, C::Pica10, C::Condensed, C::EmphasisOn}));
                   !st) {
            return st;
        }
        if (auto st = w_.write(text::clip(companyTitle(company_))); !st) return st;
        Columns period;
        if (o_.startMonth != 0 || o_.endMonth != 0)
            period.place(1, "KEBİR DÖNEMİ :" + pic::format(o_.startMonth, "@n2b") + " -> " +
                                pic::format(o_.endMonth, "@n2b"));
        else
            period.place(1, "KEBİR DÖNEMİ :" + pic::format(o_.startDate, "@d6b") + " -> " +
                                pic::format(o_.endDate, "@d6b"));
        if (!matbu_) period.place(kTitleColumn, kBookTitle);
        if (auto st = w_.write(period.str()); !st) return st;
        Columns account;
        if (!matbu_) {
            account.place(1, "KEBİR HESAP KODU      :");
            account.place(42, "        ADI :");
        }
        account.place(24, code_, 18);
        account.place(55, name_);
        if (auto st = w_.write(account.str()); !st) return st;
        const std::string off = output::controlBytes(kind_, C::EmphasisOff);
        if (!matbu_) {
            const std::string rule(kLineChars - 4, '-');
            if (auto st = w_.write(rule); !st) return st;
            Columns caps;
            caps.place(1, "FİŞ TARİHİ");
            caps.place(13, "HESAP KODU");
            caps.place(33, "HESAP ADI");
            caps.right(84, "BORÇ", 19);
            caps.right(91, "ALACAK", 19);
            caps.place(113, "YEVMİYE NO/FİŞ NO");
            if (auto st = w_.write(caps.str()); !st) return st;
            output::Line last = output::Line::text(rule);
            last.addControl(off);
            if (auto st = w_.write(std::move(last)); !st) return st;
        } else {
            // The form carries the captions; their lines stay free so the values keep their rows.
            if (auto st = w_.write(output::Line::control(off)); !st) return st;
            for (int i = 0; i < 2; ++i)
                if (auto st = w_.write(""); !st) return st;
        }
        if (debit_ != 0 || credit_ != 0)
            if (auto st = totals(matbu_ ? "" : kCarriedTitle); !st) return st;
        return {};
    }

    PrinterKind kind_;
    int lpp_;
    const data::Yasal& company_;
    const GeneralLedgerOptions& o_;
    output::PageWriter& w_;
    bool matbu_;
    std::string code_, name_;
    double debit_ = 0, credit_ = 0;
    Columns account_;
    core::Date lastDate_;
    std::string dateText_;
    std::string lastType_, word_; // the voucher type's word, kept while the type repeats
    bool typeKnown_ = false;
};

Status storeState(data::DataSet& ds, std::int32_t journal, int month) {
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    data::Transaction tx{ds.data()};
    if (!tx.started()) return tx.started().error();
    // Read inside the transaction: voucher entry may have changed other fields meanwhile.
    auto y = books->readCompany();
    if (!y) return y.error();
    y->KEBIRYEVMIYENO = journal;
    y->SONKEBIRAY = static_cast<std::int16_t>(month);
    if (auto st = books->writeCompany(*y); !st) return st;
    return tx.commit();
}

} // namespace

GeneralLedgerOptions generalLedgerDefaults(const data::Yasal& y) {
    GeneralLedgerOptions o;
    o.firstJournal = y.KEBIRYEVMIYENO + 1;
    if (y.SONKEBIRAY >= 1 && y.SONKEBIRAY <= 12) {
        // SONKEBIRAY is a calendar month (the month of the last record's date); the period is
        // chosen in fiscal months.
        core::Date d;
        d.day = 1;
        d.month = static_cast<std::uint8_t>(y.SONKEBIRAY);
        d.year = y.MALIDONEMBAS.isSet() ? y.MALIDONEMBAS.year : 2000;
        const int m = y.MALIDONEMBAS.isSet() ? fiscalMonthOf(d, y.MALIDONEMBAS) : y.SONKEBIRAY;
        o.startMonth = o.endMonth = m;
    }
    return o;
}

Status checkGeneralLedger(data::DataSet& ds, const GeneralLedgerOptions& o) {
    if (o.startMonth < 0 || o.startMonth > 12 || o.endMonth < 0 || o.endMonth > 12)
        return Error::badInput("Kebir dönemi 1 ile 12 arasında aylar olmalı");
    if (o.startMonth != 0 && o.endMonth != 0 && o.startMonth > o.endMonth)
        return Error::badInput("Kebir dönemi boş: başlangıç ayı bitiş ayından büyük");
    for (const core::Date* d : {&o.startDate, &o.endDate})
        if (d->isSet() && !d->isValid())
            return Error::badInput("Geçersiz tarih: " + pic::format(*d, "d6"));
    if (o.startDate.isSet() && o.endDate.isSet() && o.startDate > o.endDate)
        return Error::badInput("Tarih aralığı boş: başlangıç tarihi bitiş tarihinden büyük");
    if (o.firstJournal < 0 || o.lastJournal < 0)
        return Error::badInput("Yevmiye numarası negatif olamaz");
    if (o.lastJournal != 0 && o.firstJournal > o.lastJournal)
        return Error::badInput("Yevmiye numarası aralığı boş: ilk numara son numaradan büyük");
    if (o.firstPage < 1) return Error::badInput("Başlangıç sayfa numarası 1 ya da daha büyük olmalı");
    const std::string start = text::trim(o.accountStart), end = text::trim(o.accountEnd);
    if (!start.empty() && !end.empty() && text::compare(start, end, true) > 0)
        return Error::badInput("Hesap kodu aralığı boş: başlangıç bitişten büyük");
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    for (const std::string& code : {start, end}) {
        if (code.empty()) continue;
        auto a = books->account(code);
        if (!a) {
            if (!data::is(a, data::ErrorCode::NotFound)) return a.error();
            return Error::badInput("\"" + code + "\" hesap planında yok");
        }
        if (text::trim(a->NTLK) != "K")
            return Error::badInput("\"" + code + "\" bir kebir hesabı değil");
    }
    return {};
}

GeneralLedgerWork newGeneralLedgerWork() {
    return GeneralLedgerWork(data::Table::memory(data::fileDef(data::Layout::XKebir), "XKebir.Tmp"));
}

Result<bool> KebirAyir(data::DataSet& ds, app::Ui& ui, const GeneralLedgerOptions& o,
                       GeneralLedgerWork& work) {
    if (auto st = work.empty(); !st) return st.error();
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    const std::string start = text::trim(o.accountStart), end = text::trim(o.accountEnd);
    ui.progress(kGeneralLedgerSortTitle, 0);

    // 1. The vouchers the run takes, by date from the start date.
    struct Taken {
        core::Date date;
        std::int32_t journal = 0;
        std::int16_t no = 0;
        std::string type;
    };
    std::vector<Taken> taken;
    std::unordered_map<std::string, std::uint32_t> byKey;
    long total = 0;
    data::FisBas from;
    from.FISTRH = o.startDate;
    // Both passes read only the fields they use (reads leave the others blank).
    data::NarrowReads headFields(books->heads,
                                 {"KEYSTR", "FISTRH", "FISNO", "FISTUR", "FISNTLK", "YEVMIYENO"});
    if (!headFields.ok()) return headFields.status().error();
    if (auto st = books->heads.set("MFB:KeyMuavin",
                                   o.startDate.isSet() ? data::Seek::AtOrAfter : data::Seek::First,
                                   from);
        !st)
        return st.error();
    for (;;) {
        auto h = books->heads.next();
        if (!h) {
            if (data::is(h, data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        ++total;
        if (o.endDate.isSet() && h->FISTRH > o.endDate) break;
        const int km = keyMonth(h->KEYSTR);
        if (o.startMonth != 0 && km < o.startMonth) continue;
        if (o.endMonth != 0 && km > o.endMonth) continue;
        if (h->YEVMIYENO <= 0 || h->YEVMIYENO < o.firstJournal) continue;
        if (o.lastJournal != 0 && h->YEVMIYENO > o.lastJournal) continue;
        if (!voucherTaken(h->FISNTLK, true, true, false)) continue;
        if ((taken.size() & 255) == 0) {
            ui.progress("Fiş Tarihi:" + pic::format(h->FISTRH, "d6") +
                            "  Yevmiye No: " + std::to_string(h->YEVMIYENO),
                        -1);
            if (ui.cancelled()) return false;
        }
        byKey.emplace(h->KEYSTR, static_cast<std::uint32_t>(taken.size()));
        taken.push_back({h->FISTRH, h->YEVMIYENO, h->FISNO, h->FISTUR});
    }
    if (taken.empty()) return true;

    // 2. Their lines, summed per ledger code and side into one work record per journal entry.
    // A journal number belongs to one voucher, so an entry's record is complete once its
    // voucher is read; only a number met twice (a damaged book) needs the record read back.
    std::unordered_set<std::int32_t> written;
    // The sums of the voucher being read, per ledger code and side: a voucher touches a handful
    // of them, so a short list searched in place beats a tree; it is written out in key order.
    struct Sum {
        std::pair<std::string, bool> k;
        double amount = 0;
    };
    std::vector<Sum> sums;
    auto flush = [&](const Taken& t) -> Status {
        const bool again = !written.insert(t.journal).second;
        std::sort(sums.begin(), sums.end(), [](const Sum& a, const Sum& b) { return a.k < b.k; });
        for (const auto& [k, amount] : sums) {
            data::XKebir r;
            r.HESAPKODU = k.first;
            r.FISTRH = t.date;
            r.YEVMIYENO = t.journal;
            r.DURUM = k.second ? "B" : "X";
            if (again) {
                auto found = work.get("XKE:KeyKod", r);
                if (found) {
                    r = *found;
                    (k.second ? r.TLBORC : r.TLALACAK) += amount;
                    if (auto st = work.put(r); !st) return st;
                    continue;
                }
                if (!data::is(found, data::ErrorCode::NotFound)) return found.error();
            }
            (k.second ? r.TLBORC : r.TLALACAK) = amount;
            r.FISNO = t.no;
            r.FISTUR = t.type;
            if (auto st = work.add(r); !st) return st;
        }
        sums.clear();
        return {};
    };
    auto take = [&](const LineView& l) {
        if (l.ackno % 100 != 0) return;
        const std::string code = ledgerCode(l.code);
        if (code.empty()) return;
        if (!start.empty() && text::compare(code, start, true) < 0) return;
        if (!end.empty() && text::compare(code, end, true) > 0) return;
        const bool debit = text::trim(l.side) == "B";
        const double amount = debit ? l.debit : l.credit;
        for (Sum& s : sums)
            if (s.k.second == debit && s.k.first == code) {
                s.amount += amount;
                return;
            }
        sums.push_back({{code, debit}, 0.0 + amount}); // as a fresh sum starts: 0 + amount
    };
    data::NarrowReads lineFields(books->lines,
                                 {"KEYSTR", "HESAPKODU", "BORCALACAK", "ACKNO", "TLBORC", "TLALACAK"});
    if (!lineFields.ok()) return lineFields.status().error();
    // A run over most of the year reads all lines in one pass; a short one reads the lines of
    // its own vouchers only.
    if (taken.size() * 3 >= static_cast<std::size_t>(total) && total > 64) {
        // A million wide lines: the few fields needed are read from the record buffer as they
        // stand, instead of copying every line (and its long texts) into a struct.
        data::Table& lines = books->lines.table();
        const LineSlots at(lines.def());
        if (auto st = lines.set("MFD:KeyFisSiraNo"); !st) return st.error();
        std::string current;
        const Taken* open = nullptr;
        for (long n = 1;; ++n) {
            if (auto st = lines.next(); !st) {
                if (data::is(st.error(), data::ErrorCode::NoRecord)) break;
                return st.error();
            }
            if ((n & 8191) == 0 && ui.cancelled()) return false;
            const data::Record& rec = lines.buffer();
            const std::string& key = rec.slot(at.keystr).text;
            if (key != current) {
                if (open)
                    if (auto st = flush(*open); !st) return st.error();
                current = key;
                auto it = byKey.find(current);
                open = it == byKey.end() ? nullptr : &taken[it->second];
            }
            if (open) take(at.view(rec));
        }
        if (open)
            if (auto st = flush(*open); !st) return st.error();
        return true;
    }
    std::vector<std::pair<std::string, std::uint32_t>> keys(byKey.begin(), byKey.end());
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [key, i] : keys) {
        if ((i & 255) == 0 && ui.cancelled()) return false;
        data::FisDet prefix;
        prefix.KEYSTR = key;
        auto one = [&](const data::FisDet& l) {
            take({l.HESAPKODU, l.BORCALACAK, l.ACKNO, l.TLBORC, l.TLALACAK});
        };
        if (auto st = books->lines.scanPrefix("MFD:KeyFisSiraNo", prefix, 1, one); !st)
            return st.error();
        if (auto st = flush(taken[i]); !st) return st.error();
    }
    return true;
}

int generalLedgerLinesPerPage(PrinterKind kind, bool pageCount) {
    // The text printers' initialisation sets a 66-line form: 78 lines would run each page over
    // onto the next form, so they keep the 63 lines of that form.
    if (kind != PrinterKind::Ordinary) return 63;
    return pageCount ? 63 : 78;
}

output::PageStyle generalLedgerPageStyle(PrinterKind kind, int fontSize) {
    if (kind != PrinterKind::Ordinary) return output::textPrinterPaper(kLineChars);
    return output::a4Paper(false, fontSize > 0 ? fontSize : 6);
}

Result<GeneralLedgerResult> KebirRaporu(data::DataSet& ds, app::Ui& ui,
                                        const GeneralLedgerOptions& o, GeneralLedgerWork& work,
                                        PrinterKind kind, output::PageSink& sink) {
    auto books = vouchers::Books::open(ds);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();
    const int lpp = generalLedgerLinesPerPage(kind, o.pageCount);
    output::PageWriter w({kind, lpp, std::max(1, o.firstPage)}, sink);
    GeneralLedgerResult result;
    {
        Book book(kind, lpp, *company, o, w);
        if (auto st = work.set("XKE:KeyKod"); !st) return st.error();
        std::string current;
        bool open = false;
        core::Date last;
        for (long n = 1;; ++n) {
            auto r = work.next();
            if (!r) {
                if (data::is(r, data::ErrorCode::NoRecord)) break;
                return r.error();
            }
            if ((n & 255) == 0 && ui.cancelled())
                return Error::refused("Kebir defteri kullanıcı isteğiyle durduruldu.");
            if (!open || r->HESAPKODU != current) {
                if (open)
                    if (auto st = book.closeAccount(); !st) return st.error();
                current = r->HESAPKODU;
                open = true;
                std::string name;
                auto a = books->account(current);
                if (a)
                    name = text::clip(a->HESAPAD1);
                else if (!data::is(a, data::ErrorCode::NotFound))
                    return a.error();
                book.startAccount(current, name);
                ++result.accounts;
                ui.progress(current + " " + name, -1);
            }
            if (auto st = book.detail(*r); !st) return st.error();
            ++result.lines;
            result.highestJournal = std::max(result.highestJournal, r->YEVMIYENO);
            last = r->FISTRH;
        }
        if (open)
            if (auto st = book.closeAccount(); !st) return st.error();
        result.pages = book.pages;
        result.lastMonth = last.isSet() ? last.month : 0;
    }
    if (auto st = w.finish(); !st) return st.error();
    ui.progressDone();

    // Only a complete run that printed an entry beyond the stored one moves the state: a
    // reprint of earlier entries leaves it where it was, so the next run still starts after
    // the highest entry ever printed.
    if (o.storeState && !o.pageCount && result.lines > 0 &&
        result.highestJournal > company->KEBIRYEVMIYENO) {
        if (auto st = storeState(ds, result.highestJournal, result.lastMonth); !st)
            return st.error();
        result.stored = true;
    }
    if (o.pageCount) {
        const std::string range =
            o.startMonth != 0 || o.endMonth != 0
                ? pic::format(o.startMonth, "@n2b") + " - " + pic::format(o.endMonth, "@n2b")
                : pic::format(o.startDate, "d6") + " - " + pic::format(o.endDate, "d6");
        ui.message(range + " Arası Sayfa Adedi: " +
                       pic::format(static_cast<double>(result.pages), "@n5"),
                   "Kebir Defteri", app::Icon::Information, "&Tamam", 1);
    }
    return result;
}

Result<std::optional<GeneralLedgerResult>> runGeneralLedger(data::DataSet& ds, app::Ui& ui,
                                                            const GeneralLedgerOptions& o,
                                                            PrinterKind kind,
                                                            output::PageSink& sink) {
    if (auto st = checkGeneralLedger(ds, o); !st) return st.error();
    // The work file lives in memory and goes with this scope, whatever happens.
    auto work = newGeneralLedgerWork();
    auto done = KebirAyir(ds, ui, o, work);
    ui.progressDone();
    if (!done) return done.error();
    if (!*done) return std::optional<GeneralLedgerResult>();
    auto r = KebirRaporu(ds, ui, o, work, kind, sink);
    if (!r) return r.error();
    return std::optional<GeneralLedgerResult>(*r);
}

} // namespace hk::reports
