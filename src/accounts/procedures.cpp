// Command-line procedures of the chart, currencies and rates. Each applies the same rules and
// shows the same messages as the windows; what a command lists goes to standard output, one
// record per line, fields separated by " | ".
#include "accounts/procedures.h"

#include "accounts/chart.h"
#include "accounts/import.h"
#include "accounts/messages.h"
#include "accounts/rates.h"
#include "accounts/report.h"
#include "app/sheet_export.h"
#include "core/picture.h"
#include "core/text.h"
#include "output/raw.h"
#include "output/textfile.h"

#include <cstdio>

namespace hk::accounts {

namespace {

using app::Options;
using app::ProcedureContext;
using core::Error;
using core::Status;

void out(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

Status needWords(const Options& o, std::size_t n, const char* usage) {
    if (o.positional.size() != n)
        return Error::badInput(std::string("kullanım: ") + usage);
    return {};
}

std::string rateText(double r) {
    return core::text::trim(core::picture::format(r, "n20.4"));
}

// ---- accounts ---------------------------------------------------------------------------------

constexpr const char* kAddUsage =
    "DIR CODE NAME [--name2 T] [--attr K|G|M] [--unit U] [--currency C]: adds an account";

Status accountsAdd(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 2, kAddUsage); !st) return st;
    data::HsPlan a;
    a.HESAPKODU = o.positional[0];
    a.HESAPAD1 = o.positional[1];
    a.HESAPAD2 = o.get("name2");
    a.NTLK = core::text::upperTr(o.get("attr"));
    a.ALTBIRIM = o.get("unit");
    a.DOVIZKODU = o.get("currency");
    // The form keeps the sub-unit and the currency for detail accounts only.
    if ((!a.ALTBIRIM.empty() || !a.DOVIZKODU.empty()) && a.NTLK != "M")
        return refuseInput(ctx.ui, Error::badInput("Alt Birim ve Doviz Kodu yalnız Muavin (--attr "
                                                   "M) hesaplara girilir."));
    if (auto st = addAccount(ctx.data, a, ctx.ui); !st) return st;
    auto stored = findAccount(ctx.data, a.HESAPKODU);
    if (stored && *stored) out((*stored)->HESAPKODU + " | " + (*stored)->NTLK);
    return {};
}

Status accountsDelete(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 1, "DIR CODE"); !st) return st;
    return deleteAccount(ctx.data, o.positional[0], ctx.ui);
}

Status accountsList(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 0, "DIR [--from C] [--to C]"); !st) return st;
    auto plan = ctx.data.open<data::HsPlan>();
    if (!plan) return plan.error();
    return forEachAccount(*plan, o.get("from"), o.get("to"), [](const data::HsPlan& a) {
        out(a.HESAPKODU + " | " + a.HESAPAD1 + " | " + a.HESAPAD2 + " | " + a.NTLK + " | " +
            a.ALTBIRIM + " | " + a.DOVIZKODU);
        return true;
    });
}

Status accountsImport(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 1, "DIR FILE"); !st) return st;
    const std::filesystem::path file = o.positional[0];
    const std::string ext = core::text::lowerTr(file.extension().string());
    core::Result<ImportCounts> counts = ImportCounts{};
    if (ext == ".csv")
        counts = importCsv(ctx.data, file, ctx.ui);
    else if (ext == ".xls" || ext == ".xlsx")
        counts = importWorkbook(ctx.data, file, ctx.ui);
    else
        return Error::badInput(file.string() + ": .csv, .xls ya da .xlsx bir dosya bekleniyordu");
    if (!counts) return counts.error();
    out("eklenen: " + std::to_string(counts->added) + ", atlanan: " +
        std::to_string(counts->skipped));
    return {};
}

// ---- currencies and rates ---------------------------------------------------------------------

Status currenciesAdd(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 2, "DIR CODE NAME"); !st) return st;
    return addCurrency(ctx.data, {o.positional[0], o.positional[1]}, ctx.ui);
}

Status currenciesList(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 0, "DIR"); !st) return st;
    auto all = listCurrencies(ctx.data);
    if (!all) return all.error();
    for (const auto& c : *all) out(c.DOVIZKODU + " | " + c.DOVIZADI);
    return {};
}

Status currenciesDelete(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 1, "DIR CODE"); !st) return st;
    return deleteCurrency(ctx.data, o.positional[0], ctx.ui);
}

Status ratesAdd(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 3, "DIR CURRENCY DATE RATE"); !st) return st;
    auto d = parseDate(o.positional[1]);
    if (!d) return refuseInput(ctx.ui, d.error());
    auto r = parseRate(o.positional[2]);
    if (!r) return refuseInput(ctx.ui, r.error());
    return addRate(ctx.data, {o.positional[0], *d, *r}, ctx.ui);
}

Status ratesList(ProcedureContext& ctx, const Options& o) {
    if (o.positional.size() > 1) return Error::badInput("kullanım: DIR [CURRENCY]");
    auto all = listRates(ctx.data, o.positional.empty() ? std::string() : o.positional[0]);
    if (!all) return all.error();
    for (const auto& r : *all)
        out(r.DOVIZKODU + " | " + core::picture::format(r.DOVIZKURTARIHI, "d6") + " | " +
            rateText(r.DOVIZKURTUTARI));
    return {};
}

Status ratesDelete(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 2, "DIR CURRENCY DATE"); !st) return st;
    auto d = parseDate(o.positional[1]);
    if (!d) return refuseInput(ctx.ui, d.error());
    return deleteRate(ctx.data, o.positional[0], *d, ctx.ui);
}

// ---- chart report -----------------------------------------------------------------------------

constexpr const char* kReportUsage =
    "DIR [--from C] [--to C] [--date dd.mm.yyyy] (--txt FILE | --xlsx FILE | --raw FILE --kind "
    "NPQ|LPQ): the chart report";

Status reportChart(ProcedureContext& ctx, const Options& o) {
    if (auto st = needWords(o, 0, kReportUsage); !st) return st;
    ChartReportOptions r;
    r.from = o.get("from");
    r.to = o.get("to");
    r.date = core::Date::today();
    if (o.has("date")) {
        auto d = parseDate(o.get("date"));
        if (!d) return d.error();
        r.date = *d;
    }
    const int routes = o.has("txt") + o.has("xlsx") + o.has("raw") + o.has("pdf");
    if (routes != 1) return Error::badInput(std::string("kullanım: ") + kReportUsage);
    if (o.has("pdf"))
        return Error::badInput("Hesap planı raporu komut satırından --txt, --xlsx ya da --raw "
                               "ile yazılır; PDF masaüstü programının önizlemesinden alınır.");
    if (o.has("xlsx")) {
        auto sheet = chartSheet(ctx.data, r);
        if (!sheet) return sheet.error();
        auto path = app::exportReport(*sheet, {o.get("xlsx"), false, {}});
        if (!path) return path.error();
        return {};
    }
    if (o.has("txt")) {
        auto sink = output::TextFileSink::open(o.get("txt"), {output::TextEncoding::Utf8});
        if (!sink) return sink.error();
        output::PageWriter w({output::PrinterKind::Ordinary, 0, 1}, **sink);
        return writeChartReport(ctx.data, r, w);
    }
    const std::string kind = core::text::upperTr(o.get("kind"));
    if (kind != "NPQ" && kind != "LPQ") return Error::badInput("--raw için --kind NPQ|LPQ gerekli");
    auto target = output::openRawFile(o.get("raw"));
    if (!target) return target.error();
    output::RawSink sink(std::move(*target));
    output::PageWriter w({output::printerKind(kind), kRawLinesPerPage, 1}, sink);
    return writeChartReport(ctx.data, r, w);
}

app::ProcedureSpec command(std::vector<std::string> words, std::string usage,
                           app::ProcedureFn run, std::vector<std::string> flags = {}) {
    app::ProcedureSpec s;
    s.command = std::move(words);
    s.usage = std::move(usage);
    s.run = std::move(run);
    s.flags = std::move(flags);
    return s;
}

} // namespace

void registerProcedures(app::ProcedureRegistry& registry) {
    registry.add(command({"accounts", "add"}, kAddUsage, accountsAdd,
                         {"name2", "attr", "unit", "currency"}));
    registry.add(command({"accounts", "delete"}, "DIR CODE: deletes an account", accountsDelete));
    registry.add(command({"accounts", "list"}, "DIR [--from C] [--to C]: the chart in code order",
                         accountsList, {"from", "to"}));
    registry.add(command({"accounts", "import"},
                         "DIR FILE(.csv|.xls|.xlsx): adds the accounts not yet in the chart",
                         accountsImport));
    registry.add(command({"currencies", "add"}, "DIR CODE NAME: adds a currency", currenciesAdd));
    registry.add(command({"currencies", "list"}, "DIR: the currencies", currenciesList));
    registry.add(command({"currencies", "delete"}, "DIR CODE: deletes a currency without rates",
                         currenciesDelete));
    registry.add(command({"rates", "add"}, "DIR CURRENCY dd.mm.yyyy RATE: adds a rate", ratesAdd));
    registry.add(command({"rates", "list"}, "DIR [CURRENCY]: rates, newest first", ratesList));
    registry.add(command({"rates", "delete"}, "DIR CURRENCY dd.mm.yyyy: deletes a rate",
                         ratesDelete));
    registry.add(command({"report", "chart"}, kReportUsage, reportChart,
                         {"from", "to", "date", "txt", "xlsx", "raw", "kind", "pdf"}));
    registerCompanyProcedures(registry);
}

} // namespace hk::accounts
