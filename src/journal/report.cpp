#include "journal/report.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/database.h"
#include "data/dataset.h"
#include "journal/linebuf.h"

namespace hk::journal {

using core::Error;
using core::Result;
using core::Status;
using output::Line;
using output::PrinterKind;
namespace text = core::text;
namespace pic = core::picture;

int linesPerPage(PrinterKind kind, bool pageCount) {
    if (kind != PrinterKind::Ordinary) return 63;
    return pageCount ? 63 : 80;
}

output::PageStyle pageStyle(PrinterKind kind, int fontSize) {
    if (kind != PrinterKind::Ordinary) return output::textPrinterPaper(132);
    return output::a4Paper(false, fontSize > 0 ? fontSize : 6);
}

namespace {

constexpr const char* kPageEndTitle = "S A Y F A   S O N U   T O P L A M I";
constexpr const char* kCarriedTitle = "G E Ç E N   S A Y F A D A N   N A K L İ   Y E K Ü N";

// The group code of a line: its account code up to and including the first blank, which is
// the main account of a blank-separated code.
std::string groupCode(const std::string& code) {
    const std::string c = text::clip(code);
    const std::size_t blank = c.find(' ');
    return blank == std::string::npos ? c : c.substr(0, blank);
}

struct Group {
    std::string code;
    bool debit = true;
    double amount = 0;
    std::vector<data::FisDet> lines;
};

class Printer {
  public:
    Printer(PrinterKind kind, int lpp, const data::Yasal& company, output::PageWriter& w)
        : kind_(kind), lpp_(lpp), company_(company), w_(w) {
        matbu_ = company.YEVMIYEMATBU != 0;
        w_.setPageHeader([this](output::PageWriter&) { return header(); });
    }

    double debit = 0, credit = 0;
    bool printed = false;

    // The line counter of the algorithm: 1 on an empty page.
    int counter() const { return w_.linesOnPage() + 1; }

    // One line of the report: the page end first when the page is full, then (through the
    // writer) the page header on a new page, then the line.
    Status out(Line line) {
        if (counter() == lpp_ - 3)
            if (auto st = pageEnd(); !st) return st;
        return w_.write(std::move(line));
    }
    Status out(const std::string& s) { return out(Line::text(s)); }
    Status outEmphasised(const std::string& s) { return out(w_.emphasised(s)); }

    Status pageEnd() {
        if (auto st = w_.write(""); !st) return st;
        if (auto st = w_.write(w_.emphasised(debitTotalLine())); !st) return st;
        return w_.write(w_.emphasised(creditTotalLine()));
    }

    // The end of the report: empty lines down to the page-end position, then the totals, the
    // last of them ending the page.
    Status finish() {
        if (!printed) return {};
        while (counter() < lpp_ - 3)
            if (auto st = w_.write(""); !st) return st;
        if (auto st = w_.write(w_.emphasised(debitTotalLine())); !st) return st;
        lastPage = w_.pageNumber();
        if (kind_ == PrinterKind::Npq) {
            // The last line carries its own page end: emphasis off and a form feed, no CR LF.
            Line l;
            l.addControl(output::controlBytes(kind_, output::ControlCode::EmphasisOn));
            l.addText(text::clip(creditTotalLine()));
            l.addControl("\x1B\x48\x0C");
            l.newline = false;
            return w_.write(std::move(l));
        }
        if (auto st = w_.write(w_.emphasised(creditTotalLine())); !st) return st;
        return w_.endPage();
    }

    Status entryHeading(const data::FisBas& h, double number) {
        if (auto st = out(""); !st) return st;
        std::string s =
            "--------------------" + entryText(h, number) + " ]-----------------------------";
        if (auto st = outEmphasised(s); !st) return st;
        return out("");
    }

    Status group(const Group& g, AccountNames& names, bool mainOnly) {
        LineBuffer sum;
        sum.place(1, g.code, 18);
        const auto& acc = names.get(g.code);
        placeName(sum, g.debit, acc.found ? acc.name1 : std::string());
        placeAmount(sum, g.debit, g.amount, "n20.2");
        if (auto st = outEmphasised(sum.str()); !st) return st;
        for (const auto& l : g.lines) {
            if (!mainOnly) {
                LineBuffer b;
                if (l.ACKNO % 100 != 0) {
                    b.place(69, text::clip(l.FISACK), 35);
                } else {
                    const auto& own = names.get(l.HESAPKODU);
                    b.place(1, text::clip(l.HESAPKODU), 18);
                    placeName(b, g.debit, own.found ? own.name1 : std::string());
                    b.place(69, text::clip(l.FISACK), 35);
                    placeAmount(b, g.debit, sideAmount(l), "n20.2");
                }
                if (auto st = out(b.str()); !st) return st;
            }
            // Every line counts into the totals, printed or not, so a main-account journal
            // carries the same totals as a full one.
            (isDebit(l) ? debit : credit) += sideAmount(l);
        }
        printed = true;
        return {};
    }

    int lastPage = 0;

  private:
    Status header() {
        if (kind_ == PrinterKind::Ordinary) {
            for (int i = 0; i < 3; ++i)
                if (auto st = w_.write(""); !st) return st;
        } else {
            using C = output::ControlCode;
            if (auto st = w_.writeControl(output::controlBytes(
                    kind_, {C::Reset, C::PageLength66, C::Pica10, C::Condensed, C::EmphasisOn}));
                !st)
                return st;
        }
        const std::string off = output::controlBytes(kind_, output::ControlCode::EmphasisOff);
        if (auto st = w_.write(text::clip(company_.SIRKETUNVANI1) + " " +
                               text::clip(company_.SIRKETUNVANI2));
            !st)
            return st;
        if (!matbu_) {
            if (auto st = w_.write("Y E V M İ Y E  D E F T E R İ"); !st) return st;
            LineBuffer h;
            h.place(1, "HESAP KODU");
            h.place(20, "HESAP ADI");
            h.place(69, "AÇIKLAMA");
            h.place(105, "      BORÇ          ALACAK");
            if (auto st = w_.write(h.str()); !st) return st;
            LineBuffer r;
            r.place(1, std::string(18, '='));
            r.place(20, std::string(48, '='));
            r.place(69, std::string(35, '='));
            r.place(105, std::string(28, '='));
            Line rule = Line::text(r.str());
            rule.addControl(off);
            if (auto st = w_.write(std::move(rule)); !st) return st;
        } else {
            if (auto st = w_.write(Line::control(off)); !st) return st;
            for (int i = 0; i < 2; ++i)
                if (auto st = w_.write(""); !st) return st;
        }
        if (debit != 0 || credit != 0) {
            LineBuffer d;
            if (!matbu_) d.place(1, kCarriedTitle);
            d.place(106, pic::format(debit, "n20.2"), 20);
            if (auto st = w_.write(w_.emphasised(d.str())); !st) return st;
            LineBuffer c;
            c.place(112, pic::format(credit, "n20.2"), 20);
            if (auto st = w_.write(w_.emphasised(c.str())); !st) return st;
        } else {
            for (int i = 0; i < 2; ++i)
                if (auto st = w_.write(""); !st) return st;
        }
        return w_.write("");
    }

    std::string debitTotalLine() const {
        LineBuffer b;
        if (!matbu_) b.place(1, kPageEndTitle);
        b.place(106, pic::format(debit, "n20.2b"), 20);
        return b.str();
    }
    std::string creditTotalLine() const {
        LineBuffer b;
        b.place(112, pic::format(credit, "n20.2b"), 20);
        return b.str();
    }
    static void placeName(LineBuffer& b, bool debitSide, const std::string& name) {
        if (debitSide)
            b.place(20, name, 48);
        else
            b.place(25, name, 43);
    }
    static void placeAmount(LineBuffer& b, bool debitSide, double amount, const char* picture) {
        b.place(debitSide ? 106 : 112, pic::format(amount, picture), 20);
    }

    PrinterKind kind_;
    int lpp_;
    const data::Yasal& company_;
    output::PageWriter& w_;
    bool matbu_ = false;
};

// The voucher's lines in groups: consecutive lines of one main account on one side.
std::vector<Group> groupLines(const std::vector<data::FisDet>& lines) {
    std::vector<Group> groups;
    for (const auto& l : lines) {
        const std::string code = groupCode(l.HESAPKODU);
        const bool debit = isDebit(l);
        if (groups.empty() || groups.back().code != code || groups.back().debit != debit)
            groups.push_back(Group{code, debit, 0, {}});
        groups.back().amount += sideAmount(l);
        groups.back().lines.push_back(l);
    }
    return groups;
}

} // namespace

Result<ReportResult> YevmiyeRaporu(data::DataSet& ds, app::Ui& ui, const RunOptions& o,
                                   PrinterKind kind, output::PageSink& sink) {
    auto files = Files::open(ds);
    if (!files) return files.error();
    Files& f = *files;
    auto company = readCompany(f.company);
    if (!company) return company.error();
    auto range = checkRun(*company, o);
    if (!range) return range.error();
    if (auto st = checkEarlierMonths(f, ui, o, *range); !st) return st.error();

    // Reprints, page counts and uncertified runs are read-only: only a certified first
    // printing writes numbers and state.
    const bool store = o.certified && !o.reprint && !o.pageCount;
    const JournalState stored = JournalState::of(*company);
    JournalState state = stored;
    if (o.reprint) {
        // A reprint starts from the totals carried into the month, not from totals that
        // already include it.
        auto before = stateBefore(f, stored, range->start);
        if (!before) return before.error();
        state.debit = before->debit;
        state.credit = before->credit;
    }

    const int lpp = linesPerPage(kind, o.pageCount);
    output::PageWriter w({kind, lpp - 1, std::max(1, o.firstPage)}, sink);
    Printer p(kind, lpp, *company, w);
    p.debit = state.debit;
    p.credit = state.credit;
    AccountNames names(f.plan);
    ReportResult result;

    data::FisBas from;
    from.FISTRH = range->start;
    if (auto st = f.headers.set("MFB:KeyMuavin", data::Seek::AtOrAfter, from); !st)
        return st.error();
    for (;;) {
        auto h = f.headers.next();
        if (!h) {
            if (data::is(h.error(), data::ErrorCode::NoRecord)) break;
            return h.error();
        }
        if (h->FISTRH > range->end) break;
        if (!takes(o, *h)) continue;
        double number = h->YEVMIYENO;
        if (!o.reprint) {
            if (h->YEVMIYENO != 0) continue;
            number = state.lastNumber + 1;
        }
        ui.progress(pic::format(static_cast<double>(h->YEVMIYENO), "n_5") + " - " +
                        pic::format(h->FISTRH, "d06.b"),
                    -1);
        if (ui.cancelled()) return Error::refused("Yevmiye raporu kullanıcı isteğiyle durduruldu.");
        if (auto st = p.entryHeading(*h, number); !st) return st.error();
        auto lines = voucherLines(f, h->KEYSTR);
        if (!lines) return lines.error();
        for (const auto& g : groupLines(*lines))
            if (auto st = p.group(g, names, o.mainOnly); !st) return st.error();
        ++result.entries;
        if (o.reprint) continue;
        state.lastNumber = number;
        state.lastMonth = range->month;
        state.lastDate = h->FISTRH;
        state.debit = p.debit;
        state.credit = p.credit;
        if (store) {
            data::Transaction tx{ds.data()};
            if (!tx.started()) return tx.started().error();
            data::FisBas numbered = *h;
            numbered.YEVMIYENO = static_cast<std::int32_t>(number);
            if (auto st = f.headers.put(numbered); !st) return st.error();
            if (auto st = storeState(f.company, state); !st) return st.error();
            if (auto st = tx.commit(); !st) return st.error();
        }
    }
    if (!o.reprint) {
        // A month without a voucher to number still counts as printed, or it would stop
        // every later month for good.
        if (state.lastMonth < range->month) state.lastMonth = range->month;
        if (store && result.entries == 0 && stored.lastMonth < range->month)
            if (auto st = storeState(f.company, state); !st) return st.error();
    }
    if (auto st = p.finish(); !st) return st.error();
    if (auto st = w.finish(); !st) return st.error();
    ui.progressDone();
    result.pages = p.lastPage;
    result.state = o.reprint ? stored : state;
    if (o.pageCount)
        ui.message(
            pic::format(range->start, "d6") + " - " + pic::format(range->end, "d6") +
                " Arası Sayfa Adedi: " + pic::format(static_cast<double>(result.pages), "n10"),
            "Yevmiye Raporu", app::Icon::Information, "&Tamam", 1);
    return result;
}

} // namespace hk::journal
