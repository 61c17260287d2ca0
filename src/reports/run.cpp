#include "reports/run.h"

#include "vouchers/rebuild.h"

namespace hk::reports {

using core::Error;
using core::Result;
using core::Status;

Result<Definition> chooseDefinition(data::DataSet& ds, const std::string& kind,
                                    const DefinitionChoice& c) {
    if (c.number > 0) return loadDefinition(ds, kind, c.number);
    return kind == "1" ? standardTrialBalance(c.measure, 0) : standardLedger(c.measure, 0);
}

namespace {

// Runs `body` with a page writer over the route's sink, or with the spreadsheet, and finishes
// the sink only when the body succeeded and wrote at least one line. A run that selects nothing
// prints no header either (the header comes with the first line), so finishing it would leave an
// empty text or raw file, or send an empty job to the printer: the user is told instead, and the
// unfinished sink discards what it had opened.
template <typename F>
Status withOutput(app::Ui& ui, const Route& route, std::size_t width, int fontSize, F&& body) {
    if (route.sheet) {
        ListingOutput out(*route.sheet);
        return body(out);
    }
    if (!route.sink) return Error::badInput("Rapor çıktısı seçilmedi");
    output::PageSetup setup;
    setup.kind = route.kind;
    setup.linesPerPage = route.textFile
                             ? 0
                             : reportLinesPerPage(route.kind,
                                                  reportPageStyle(route.kind, width, fontSize));
    output::PageWriter w(setup, *route.sink);
    ListingOutput out(w);
    if (auto st = body(out); !st) return st;
    if (w.pagesOutput() == 0 && w.atPageStart()) {
        ui.message(kNothingToOutput, "Uyarı", app::Icon::Information, "&Tamam", 1);
        return {};
    }
    return w.finish();
}

} // namespace

Result<bool> runTrialBalance(data::DataSet& ds, app::Ui& ui, const DefinitionChoice& def,
                             const TrialBalanceRun& run, const Route& route) {
    if (auto st = checkOptions(run.options); !st) return st.error();
    auto d = chooseDefinition(ds, "1", def);
    if (!d) return d.error();
    if (run.rebuild)
        if (auto st = vouchers::YMizanDuzelt(ds, ui, run.leaveOutYan); !st) return st.error();
    // The work file lives in memory and goes with this scope, whatever happens.
    auto work = newWorkFile();
    auto done = TnmMizanIslemi(ds, ui, run.options, work);
    if (!done) return done.error();
    if (!*done) return false;
    ListingReport report(std::move(*d));
    auto st = withOutput(ui, route, report.width(), run.options.fontSize, [&](ListingOutput& out) {
        auto r = TnmMizanRaporu(ds, ui, report, run.options, work, out, route.kind);
        if (!r) return Status(r.error());
        return Status();
    });
    if (!st) return st.error();
    return true;
}

Result<LedgerStats> runLedger(data::DataSet& ds, app::Ui& ui, const DefinitionChoice& def,
                              const LedgerOptions& o, const Route& route) {
    auto d = chooseDefinition(ds, "2", def);
    if (!d) return d.error();
    ListingReport report(std::move(*d));
    LedgerOptions opts = o;
    opts.fileRoute = opts.fileRoute || route.textFile;
    LedgerStats stats;
    auto st = withOutput(ui, route, report.width(), opts.fontSize, [&](ListingOutput& out) {
        auto r = TnmMuavinRaporu(ds, ui, report, opts, out, route.kind);
        if (!r) return Status(r.error());
        stats = *r;
        return Status();
    });
    if (!st) return st.error();
    return stats;
}

} // namespace hk::reports
