#include "reports/procedures.h"

#include "app/sheet_export.h"
#include "core/picture.h"
#include "core/text.h"
#include "output/raw.h"
#include "output/textfile.h"
#include "vouchers/books.h"
#include "reports/cash_book.h"
#include "reports/general_ledger.h"
#include "reports/run.h"

#include <cstdio>

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;
namespace pic = core::picture;
namespace text = core::text;

namespace {

Result<bool> yesNo(const app::Options& o, const char* name, bool fallback) {
    if (!o.has(name)) return fallback;
    const std::string v = text::upperTr(text::trim(o.get(name)));
    if (v == "E") return true;
    if (v == "H") return false;
    return Error::badInput(std::string("--") + name + " E ya da H olmalı: \"" + o.get(name) + "\"");
}

Result<core::Date> date(const std::string& flag, const std::string& v) {
    auto d = pic::deformatDate(text::trim(v), "d6");
    if (!d || !d->isSet() || !d->isValid())
        return Error::badInput("--" + flag + " gg.aa.yyyy biçiminde bir tarih olmalı: \"" + v +
                               "\"");
    return *d;
}

int parseMonth(const std::string& s) {
    const std::string t = text::trim(s);
    if (t.empty() || t.size() > 2) return -1;
    for (char c : t)
        if (c < '0' || c > '9') return -1;
    return std::stoi(t);
}

// --months A-B (or A), --dates D1-D2 (or D); without either, the working month.
struct Period {
    int m1 = 0, m2 = 0;
    core::Date d1, d2;
};
Result<Period> period(app::ProcedureContext& ctx, const app::Options& o) {
    Period p;
    if (o.has("months") && o.has("dates"))
        return Error::badInput("--months ve --dates birlikte verilemez");
    if (o.has("months")) {
        const std::string v = o.get("months");
        const auto dash = v.find('-');
        p.m1 = parseMonth(v.substr(0, dash));
        p.m2 = dash == std::string::npos ? p.m1 : parseMonth(v.substr(dash + 1));
        if (p.m1 < 1 || p.m1 > 12 || p.m2 < 1 || p.m2 > 12)
            return Error::badInput("--months 1 ile 12 arasında A-B olmalı: \"" + v + "\"");
        if (p.m1 > p.m2)
            return Error::badInput("--months boş bir aralık: \"" + v + "\"");
        return p;
    }
    if (o.has("dates")) {
        const std::string v = o.get("dates");
        const auto dash = v.find('-');
        auto a = date("dates", v.substr(0, dash));
        if (!a) return a.error();
        auto b = dash == std::string::npos ? a : date("dates", v.substr(dash + 1));
        if (!b) return b.error();
        if (a->dayNumber() > b->dayNumber())
            return Error::badInput("--dates boş bir aralık: \"" + v + "\"");
        p.d1 = *a;
        p.d2 = *b;
        return p;
    }
    p.m1 = p.m2 = ctx.session.SeciliAy();
    if (p.m1 < 1 || p.m1 > 12) p.m1 = p.m2 = 1;
    return p;
}

Result<DefinitionChoice> definition(const app::Options& o) {
    DefinitionChoice c;
    auto n = o.integer("definition");
    if (!n) return n.error();
    if (*n) {
        if (**n < 1 || **n > 32767)
            return Error::badInput("--definition 1 ile 32767 arasında olmalı: " +
                                   o.get("definition"));
        if (o.has("measure"))
            return Error::badInput("--measure yalnız --definition verilmediğinde kullanılır");
        c.number = static_cast<int>(**n);
    }
    if (o.has("measure")) {
        auto m = measureOf(o.get("measure"));
        if (!m) return Error::badInput("--measure TL, ALTBIRIM ya da DOVIZ olmalı");
        c.measure = *m;
    }
    return c;
}

struct Common {
    core::Date reportDate = core::Date::today();
    int fontSize = 6;
    std::string from, to;
};
Result<Common> common(const app::Options& o) {
    Common c;
    if (o.has("report-date")) {
        auto d = date("report-date", o.get("report-date"));
        if (!d) return d.error();
        c.reportDate = *d;
    }
    auto f = o.integer("font-size");
    if (!f) return f.error();
    if (*f) {
        if (**f < 4 || **f > 72)
            return Error::badInput("--font-size 4 ile 72 arasında olmalı: " + o.get("font-size"));
        c.fontSize = static_cast<int>(**f);
    }
    c.from = text::trim(o.get("from"));
    // Choosing the start also sets the end, as in the filter windows.
    c.to = o.has("to") ? text::trim(o.get("to")) : c.from;
    for (const std::string* s : {&c.from, &c.to})
        if (!text::isCp1254(*s) || text::length(*s) > 18)
            return Error::badInput("Hesap kodu en çok 18 karakter olmalı: \"" + *s + "\"");
    return c;
}

// A page sink that prints the lines on standard output (the text route with "-").
class StdoutSink final : public output::PageSink {
  public:
    Status page(const output::Page& p) override {
        for (const auto& l : p.lines) std::printf("%s\n", l.visibleText().c_str());
        return {};
    }
    Status finish() override {
        std::fflush(stdout);
        return {};
    }
    bool streamsLines() const override { return true; }
    Status line(const output::Line& l) override {
        std::printf("%s\n", l.visibleText().c_str());
        return {};
    }
};

// The output of a run: exactly one of --pdf, --xlsx, --txt, --raw.
struct Output {
    std::unique_ptr<output::PageSink> sink;
    std::optional<output::Sheet> sheet;
    std::string xlsx;
    output::PrinterKind kind = output::PrinterKind::Ordinary;
    bool textFile = false;
    // Taken where the Output finally lives: it is moved on its way out of openOutput().
    Route route() {
        Route r;
        r.sink = sink.get();
        r.sheet = sheet ? &*sheet : nullptr;
        r.kind = kind;
        r.textFile = textFile;
        return r;
    }
};
Result<Output> openOutput(const app::Options& o, const PdfOpener& pdf, std::size_t width,
                          int fontSize, std::optional<output::PageStyle> pdfStyle = {}) {
    const int routes = o.has("pdf") + o.has("xlsx") + o.has("txt") + o.has("raw");
    if (routes != 1)
        return Error::badInput("--pdf, --xlsx, --txt ve --raw seçeneklerinden tam biri gerekli");
    Output out;
    if (o.has("raw")) {
        const std::string k = text::upperTr(o.get("kind"));
        if (k == "NPQ")
            out.kind = output::PrinterKind::Npq;
        else if (k == "LPQ")
            out.kind = output::PrinterKind::Lpq;
        else
            return Error::badInput("--raw için --kind NPQ ya da LPQ gerekli");
        auto target = output::openRawFile(o.get("raw"));
        if (!target) return target.error();
        out.sink = std::make_unique<output::RawSink>(std::move(*target));
    } else if (o.has("kind")) {
        return Error::badInput("--kind yalnız --raw ile verilir");
    } else if (o.has("txt")) {
        out.textFile = true;
        if (o.get("txt") == "-") {
            out.sink = std::make_unique<StdoutSink>();
        } else {
            auto s = output::TextFileSink::open(o.get("txt"));
            if (!s) return s.error();
            out.sink = std::move(*s);
        }
    } else if (o.has("xlsx")) {
        out.xlsx = o.get("xlsx");
        if (out.xlsx.empty()) return Error::badInput("--xlsx bir dosya adı ister");
        out.sheet.emplace();
    } else {
        if (!pdf)
            return Error::badInput("Bu programda PDF çıkışı yok; --txt, --xlsx ya da --raw "
                                   "kullanın.");
        auto s = pdf(o.get("pdf"),
                     pdfStyle ? *pdfStyle
                              : reportPageStyle(output::PrinterKind::Ordinary, width, fontSize));
        if (!s) return s.error();
        out.sink = std::move(*s);
    }
    return out;
}

Status saveSheet(Output& out) {
    if (!out.sheet) return {};
    auto p = app::exportReport(*out.sheet, {out.xlsx, false, {}});
    if (!p) return p.error();
    return {};
}

std::size_t widthOf(data::DataSet& ds, const std::string& kind, const DefinitionChoice& c) {
    auto d = chooseDefinition(ds, kind, c);
    if (!d) return 200;
    ListingReport r(std::move(*d));
    return r.width();
}

Status runTrialBalanceCmd(app::ProcedureContext& ctx, const app::Options& o,
                          const PdfOpener& pdf) {
    auto def = definition(o);
    if (!def) return def.error();
    auto per = period(ctx, o);
    if (!per) return per.error();
    auto com = common(o);
    if (!com) return com.error();
    TrialBalanceRun run;
    TrialBalanceOptions& t = run.options;
    t.startMonth = per->m1;
    t.endMonth = per->m2;
    t.startDate = per->d1;
    t.endDate = per->d2;
    t.accountStart = com->from;
    t.accountEnd = com->to;
    t.reportDate = com->reportDate;
    t.fontSize = com->fontSize;
    t.frame = o.flag("frame");
    const std::string level = text::upperTr(text::trim(o.get("level", "8")));
    if (level.size() != 1) return Error::badInput("--level C, S ya da 1..8 olmalı");
    t.level = level[0];
    // Ticking the frame classes sets the double balance style, as the window does.
    const std::string style = text::upperTr(text::trim(o.get("style", t.frame ? "C" : "T")));
    if (style != "T" && style != "C") return Error::badInput("--style T ya da C olmalı");
    t.style = style[0];
    const std::string status = text::upperTr(text::trim(o.get("status", "C")));
    if (status != "C" && status != "B" && status != "T")
        return Error::badInput("--status C, B ya da T olmalı");
    t.status = status[0];
    auto opening = yesNo(o, "opening", true);
    if (!opening) return opening.error();
    t.opening = *opening;
    auto closing = yesNo(o, "closing", false);
    if (!closing) return closing.error();
    t.closing = *closing;
    run.leaveOutYan = o.flag("no-yan");
    run.rebuild = o.flag("rebuild") || run.leaveOutYan;
    if (auto st = checkOptions(t); !st) return st;
    auto out = openOutput(o, pdf, widthOf(ctx.data, "1", *def), t.fontSize);
    if (!out) return out.error();
    auto r = runTrialBalance(ctx.data, ctx.ui, *def, run, out->route());
    if (!r) return r.error();
    if (!*r) return Error::refused("İptal edildi", true);
    return saveSheet(*out);
}

Status runLedgerCmd(app::ProcedureContext& ctx, const app::Options& o, const PdfOpener& pdf) {
    auto def = definition(o);
    if (!def) return def.error();
    auto per = period(ctx, o);
    if (!per) return per.error();
    auto com = common(o);
    if (!com) return com.error();
    LedgerOptions l;
    l.startMonth = per->m1;
    l.endMonth = per->m2;
    l.startDate = per->d1;
    l.endDate = per->d2;
    l.accountStart = com->from;
    l.accountEnd = com->to;
    l.reportDate = com->reportDate;
    l.fontSize = com->fontSize;
    struct YN {
        const char* name;
        bool* target;
        bool fallback;
    };
    auto kebir = yesNo(o, "kebir", false);
    if (!kebir) return kebir.error();
    l.kebir = *kebir;
    // "Evet" unticks the working-accounts check and "Hayır" ticks it, as in the window.
    for (const YN& y : {YN{"month-totals", &l.monthTotals, true}, YN{"opening", &l.opening, true},
                        YN{"closing", &l.closing, false}, YN{"cancelled", &l.cancelled, false},
                        YN{"page-per-account", &l.pagePerAccount, true},
                        YN{"only-active", &l.onlyActive, !l.kebir},
                        YN{"cumulative", &l.cumulativeEachMonth, true}}) {
        auto v = yesNo(o, y.name, y.fallback);
        if (!v) return v.error();
        *y.target = *v;
    }
    auto out = openOutput(o, pdf, widthOf(ctx.data, "2", *def), l.fontSize);
    if (!out) return out.error();
    auto r = runLedger(ctx.data, ctx.ui, *def, l, out->route());
    if (!r) return r.error();
    return saveSheet(*out);
}

Status runStandardCmd(app::ProcedureContext& ctx, const app::Options& o) {
    const std::string kind = text::trim(o.get("kind"));
    if (kind != "1" && kind != "2") return Error::badInput("--kind 1 (mizan) ya da 2 (muavin) olmalı");
    auto m = measureOf(o.get("measure", "TL"));
    if (!m) return Error::badInput("--measure TL, ALTBIRIM ya da DOVIZ olmalı");
    auto n = o.integer("number");
    if (!n) return n.error();
    if (!*n || **n < 1 || **n > 32767)
        return Error::badInput("--number 1 ile 32767 arasında gerekli");
    const int no = static_cast<int>(**n);
    return kind == "1" ? StdMizanRapor(ctx.data, ctx.ui, *m, no)
                       : StdMuavinRapor(ctx.data, ctx.ui, *m, no);
}

// A whole number flag of at least `min`; `fallback` when the flag is not given.
Result<std::int32_t> wholeNumber(const app::Options& o, const char* name, std::int32_t min,
                                 std::int32_t fallback) {
    auto n = o.integer(name);
    if (!n) return n.error();
    if (!*n) return fallback;
    if (**n < min || **n > 2147483647)
        return Error::badInput(std::string("--") + name + " " + std::to_string(min) +
                               " ya da daha büyük bir tam sayı olmalı: " + o.get(name));
    return static_cast<std::int32_t>(**n);
}

Status runGeneralLedgerCmd(app::ProcedureContext& ctx, const app::Options& o,
                           const PdfOpener& pdf) {
    auto books = vouchers::Books::open(ctx.data);
    if (!books) return books.error();
    auto company = books->readCompany();
    if (!company) return company.error();
    // Without flags the run is what the filter window proposes.
    GeneralLedgerOptions g = generalLedgerDefaults(*company);
    g.accountStart = text::trim(o.get("from"));
    g.accountEnd = text::trim(o.get("to"));
    for (const std::string* s : {&g.accountStart, &g.accountEnd})
        if (!text::isCp1254(*s) || text::length(*s) > 18)
            return Error::badInput("Hesap kodu en çok 18 karakter olmalı: \"" + *s + "\"");
    if (o.has("months") || o.has("dates")) {
        auto per = period(ctx, o);
        if (!per) return per.error();
        g.startMonth = per->m1;
        g.endMonth = per->m2;
        g.startDate = per->d1;
        g.endDate = per->d2;
    }
    auto first = wholeNumber(o, "journal-from", 0, g.firstJournal);
    if (!first) return first.error();
    g.firstJournal = *first;
    auto last = wholeNumber(o, "journal-to", 0, 0);
    if (!last) return last.error();
    g.lastJournal = *last;
    auto page = wholeNumber(o, "first-page", 1, 1);
    if (!page) return page.error();
    g.firstPage = *page;
    g.pageCount = o.flag("page-count");
    g.storeState = o.flag("store-state");
    if (g.pageCount && g.storeState)
        return Error::badInput("--page-count ile --store-state birlikte verilemez");
    // Every refusal comes before the output is opened, so a refused run leaves no file.
    if (auto st = checkGeneralLedger(ctx.data, g); !st) return st;
    auto out = openOutput(o, pdf, 150, g.fontSize,
                          generalLedgerPageStyle(output::PrinterKind::Ordinary, g.fontSize));
    if (!out) return out.error();
    auto r = runGeneralLedger(ctx.data, ctx.ui, g, out->kind, *out->sink);
    if (!r) return r.error();
    if (!*r) return Error::refused("İptal edildi", true);
    return {};
}

Status runCashBookCmd(app::ProcedureContext& ctx, const app::Options& o, const PdfOpener& pdf) {
    CashBookOptions c;
    c.account = text::trim(o.get("account"));
    if (c.account.empty()) return Error::badInput("--account gerekli: kasa hesap kodu");
    if (!text::isCp1254(c.account) || text::length(c.account) > 18)
        return Error::badInput("Hesap kodu en çok 18 karakter olmalı: \"" + c.account + "\"");
    if (!o.has("dates")) return Error::badInput("--dates D1-D2 gerekli");
    auto per = period(ctx, o);
    if (!per) return per.error();
    c.startDate = per->d1;
    c.endDate = per->d2;
    c.reportDate = core::Date::today();
    if (auto st = checkCashBook(ctx.data, c); !st) return st;
    auto out = openOutput(o, pdf, cashBookWidth(), c.fontSize);
    if (!out) return out.error();
    auto r = runCashBook(ctx.data, ctx.ui, c, out->route());
    if (!r) return r.error();
    return saveSheet(*out);
}

const std::vector<std::string> kCommonFlags = {
    "definition", "measure", "months", "dates",     "from", "to",  "report-date",
    "font-size",  "opening", "closing", "pdf",      "xlsx", "txt", "raw", "kind"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

void registerProcedures(app::ProcedureRegistry& registry, PdfOpener pdf) {
    {
        app::ProcedureSpec s;
        s.command = {"report", "trial-balance"};
        s.usage = "DIR [--definition N | --measure TL|ALTBIRIM|DOVIZ] [--months A-B | --dates "
                  "D1-D2] [--from CODE] [--to CODE] [--level C|S|1..8] [--style T|C] [--status "
                  "C|B|T] [--opening E|H] [--closing E|H] [--frame] [--rebuild] [--no-yan] "
                  "[--report-date D] [--font-size N] (--pdf FILE | --xlsx FILE | --txt FILE|- | "
                  "--raw FILE --kind NPQ|LPQ): the trial balance";
        s.runs = app::Runs::Worker;
        s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
            return runTrialBalanceCmd(ctx, o, pdf);
        };
        s.flags = with(kCommonFlags, {"level", "style", "status"});
        s.switches = {"frame", "rebuild", "no-yan"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"report", "ledger"};
        s.usage = "DIR [--definition N | --measure TL|ALTBIRIM|DOVIZ] [--months A-B | --dates "
                  "D1-D2] [--from CODE] [--to CODE] [--kebir E|H] [--month-totals E|H] "
                  "[--opening E|H] [--closing E|H] [--cancelled E|H] [--page-per-account E|H] "
                  "[--only-active E|H] [--cumulative E|H] [--report-date D] [--font-size N] "
                  "(--pdf FILE | --xlsx FILE | --txt FILE|- | --raw FILE --kind NPQ|LPQ): the "
                  "subsidiary ledger";
        s.runs = app::Runs::Worker;
        s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
            return runLedgerCmd(ctx, o, pdf);
        };
        s.flags = with(kCommonFlags, {"kebir", "month-totals", "cancelled", "page-per-account",
                                      "only-active", "cumulative"});
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"report", "general-ledger"};
        s.usage = "DIR [--from CODE --to CODE] [--months A-B | --dates D1-D2] [--journal-from N] "
                  "[--journal-to N] [--first-page N] [--page-count] [--store-state] (--raw FILE "
                  "--kind NPQ|LPQ | --pdf FILE | --txt FILE|-): the general ledger";
        s.runs = app::Runs::Worker;
        s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
            return runGeneralLedgerCmd(ctx, o, pdf);
        };
        s.flags = {"from", "to",         "months", "dates", "journal-from", "journal-to",
                   "first-page", "raw", "kind",   "pdf",   "txt"};
        s.switches = {"page-count", "store-state"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"report", "cash-book"};
        s.usage = "DIR --account CODE --dates D1-D2 (--pdf FILE | --xlsx FILE | --txt FILE|- | "
                  "--raw FILE --kind NPQ|LPQ): the cash book of one cash account";
        s.runs = app::Runs::Worker;
        s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
            return runCashBookCmd(ctx, o, pdf);
        };
        s.flags = {"account", "dates", "pdf", "xlsx", "txt", "raw", "kind"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"report", "standard"};
        s.usage = "DIR --kind 1|2 --number N [--measure TL|ALTBIRIM|DOVIZ]: writes a standard "
                  "trial-balance (1) or subsidiary-ledger (2) definition";
        s.run = runStandardCmd;
        s.flags = {"kind", "number", "measure"};
        registry.add(std::move(s));
    }
}

} // namespace hk::reports
