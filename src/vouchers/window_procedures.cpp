#include "vouchers/window_procedures.h"

#include "app/sheet_export.h"
#include "vouchers/account_transfer.h"
#include "vouchers/csv.h"
#include "vouchers/renumber.h"
#include "vouchers/voucher_lists.h"

namespace hk::vouchers {

namespace {

// A whole-number option; absent or blank gives `fallback`.
core::Result<int> whole(const app::Options& o, const std::string& name, int fallback) {
    if (o.get(name).empty()) return fallback;
    auto v = o.integer(name);
    if (!v) return v.error();
    return static_cast<int>(**v);
}

core::Result<core::Date> dateOption(const app::Options& o, const std::string& name) {
    const std::string t = o.get(name);
    if (t.empty()) return core::Date{};
    auto d = csv::parseDate(t);
    if (!d) return core::Error::badInput("Geçersiz tarih: " + t);
    return *d;
}

core::Status exportDone(const app::ListExportResult& r) {
    switch (r.outcome) {
    case app::ExportOutcome::Written: return {};
    case app::ExportOutcome::Declined: return core::Error::refused("", true);
    case app::ExportOutcome::Failed: break;
    }
    core::Error e = r.error;
    e.shown = true; // the export protocol showed it
    return e;
}

core::Status runAccountTransfer(app::ProcedureContext& ctx, const app::Options& o) {
    TransferRange r;
    auto from = whole(o, "from-month", 0);
    auto to = whole(o, "to-month", 0);
    if (!from) return from.error();
    if (!to) return to.error();
    r.fromMonth = *from;
    r.toMonth = *to;
    if (r.fromMonth == 0) {
        auto d1 = dateOption(o, "from-date");
        auto d2 = dateOption(o, "to-date");
        if (!d1) return d1.error();
        if (!d2) return d2.error();
        r.fromDate = *d1;
        r.toDate = *d2;
    }
    auto res = accountTransfer(ctx.data, ctx.ui, o.get("source"), o.get("target"), r);
    if (!res) return res.error();
    return {};
}

core::Status runSortMonths(app::ProcedureContext& ctx, const app::Options& o) {
    auto from = whole(o, "from", 1);
    auto to = whole(o, "to", 12);
    if (!from) return from.error();
    if (!to) return to.error();
    auto n = FisIciSirala(ctx.data, ctx.ui, *from, *to, ctx.session.FisIciSirala);
    if (!n) return n.error();
    return {};
}

output::ExportTarget targetOf(const app::Options& o) {
    return output::ExportTarget{o.get("xlsx"), false, {}};
}

core::Status runLineExport(app::ProcedureContext& ctx, const app::Options& o) {
    auto m = whole(o, "month", 1);
    if (!m) return m.error();
    const int month = *m;
    return exportDone(app::exportList(
        ctx.ui, [&]() { return fisDetaySheet(ctx.data, ctx.ui, month); }, targetOf(o)));
}

core::Status runJournalExport(app::ProcedureContext& ctx, const app::Options& o) {
    const bool full = o.flag("full");
    return exportDone(app::exportList(
        ctx.ui, [&]() { return yevmiyeSheet(ctx.data, ctx.ui, full); }, targetOf(o),
        app::kJournalExportQuestion));
}

core::Status runVoucherListExport(app::ProcedureContext& ctx, const app::Options& o) {
    auto m = whole(o, "month", ctx.session.SeciliAy());
    if (!m) return m.error();
    if (*m < 1 || *m > 12) return core::Error::badInput("Ay 1 ile 12 arasında olmalı");
    ListQuery q;
    q.month = *m;
    q.wholeYear = o.flag("whole-year");
    q.from = ctx.session.AyBaslangic(q.wholeYear ? 1 : q.month);
    q.to = ctx.session.AyBitis(q.wholeYear ? 12 : q.month);
    q.order = o.get("order") == "key" ? ListOrder::ByKey : ListOrder::ByDate;
    const std::string type = o.get("type");
    q.type = type.empty() ? ' ' : type[0];
    return exportDone(app::exportList(
        ctx.ui,
        [&]() -> core::Result<output::Sheet> {
            auto l = listVouchers(ctx.data, q);
            if (!l) return l.error();
            return voucherListSheet(*l);
        },
        targetOf(o)));
}

} // namespace

void registerWindowToolProcedures(app::ProcedureRegistry& r) {
    using app::Runs;
    auto add = [&r](const char* name, app::ProcedureFn fn) {
        app::ProcedureSpec s;
        s.name = name;
        s.runs = Runs::Worker;
        s.run = std::move(fn);
        r.add(std::move(s));
    };
    add("HesapTransferi", runAccountTransfer);
    add("FisIciSiralaAylar", runSortMonths);
    add("FisDetayExcelYaz", runLineExport);
    add("YevmiyeExcelYaz", runJournalExport);
    add("FisListesiExcelYaz", runVoucherListExport);
}

} // namespace hk::vouchers
