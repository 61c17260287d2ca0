#include "vouchers/procedures.h"

#include "core/numeric.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/errors.h"
#include "vouchers/books.h"
#include "vouchers/csv.h"
#include "vouchers/exchange.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"
#include "vouchers/voucher.h"

namespace hk::vouchers {

namespace text = core::text;

namespace {

Env envOf(app::ProcedureContext& ctx) {
    return Env{ctx.session, ctx.ui, ctx.data};
}

core::Result<int> monthOption(const app::Options& o, bool required) {
    auto m = o.integer("month");
    if (!m) return m.error();
    if (!*m) {
        if (required) return core::Error::badInput("--month gerekli (1..12)");
        return 0;
    }
    if (**m < 1 || **m > 12) return core::Error::badInput("--month 1 ile 12 arasında olmalı");
    return static_cast<int>(**m);
}

core::Status needPositional(const app::Options& o, std::size_t n, const char* usage) {
    if (o.positional.size() != n) return core::Error::badInput(std::string("kullanım: ") + usage);
    return {};
}

std::string amount(double v) {
    return core::picture::format(v, "n15.2");
}

core::Status runImport(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1, "voucher import DIR FILE.csv [--dry-run]"); !st) return st;
    Env env = envOf(ctx);
    auto s = importVouchers(env, o.positional[0], o.flag("dry-run"));
    if (!s) return s.error();
    ctx.ui.message(std::to_string(s->vouchers) + " fiş, " + std::to_string(s->rows) + " satır " +
                       (s->written ? "aktarıldı." : "denetlendi; --dry-run: hiçbir şey yazılmadı."),
                   {}, app::Icon::Information, "&Tamam", 1);
    return {};
}

core::Status runExport(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1, "voucher export DIR [--month M] FILE.csv"); !st) return st;
    auto m = monthOption(o, false);
    if (!m) return m.error();
    Env env = envOf(ctx);
    auto n = exportVouchers(env, o.positional[0], *m);
    if (!n) return n.error();
    ctx.ui.message(std::to_string(*n) + " fiş yazıldı: " + o.positional[0], {},
                   app::Icon::Information, "&Tamam", 1);
    return {};
}

core::Status runList(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 0, "voucher list DIR [--month M]"); !st) return st;
    auto m = monthOption(o, false);
    if (!m) return m.error();
    auto b = Books::open(ctx.data);
    if (!b) return b.error();
    data::FisBas from;
    from.KEYSTR = *m > 0 ? core::picture::format(static_cast<double>(*m), "n02") : "";
    if (auto st = b->heads.set("MFB:KeyFis", *m > 0 ? data::Seek::AtOrAfter : data::Seek::First,
                               from);
        !st)
        return st;
    std::string t = "Key Str     Tarih       No     Tür     Nitelik  Borç            Alacak";
    long n = 0;
    while (auto h = b->heads.next()) {
        if (*m > 0 && keyMonth(h->KEYSTR) != *m) break;
        ++n;
        t += "\n" + text::pad(h->KEYSTR, 11) + " " + csv::formatDate(h->FISTRH) + "  " +
             text::pad(std::to_string(h->FISNO), 6) + " " +
             text::pad(typeName(typeLetter(h->FISTUR)), 7) + " " + text::pad(h->FISNTLK, 8) +
             amount(h->BTOPLAM) + " " + amount(h->ATOPLAM);
    }
    t += "\n" + std::to_string(n) + " fiş";
    ctx.ui.message(t, "Fiş Listesi", app::Icon::Information, "&Tamam", 1);
    return {};
}

core::Status runShow(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1, "voucher show DIR KEY"); !st) return st;
    auto b = Books::open(ctx.data);
    if (!b) return b.error();
    auto h = b->head(o.positional[0]);
    if (!h) {
        if (data::is(h.error(), data::ErrorCode::NotFound))
            return core::Error::badInput("fiş yok: " + o.positional[0]);
        return h.error();
    }
    auto lines = b->linesOf(h->KEYSTR);
    if (!lines) return lines.error();
    std::string t = typeName(typeLetter(h->FISTUR)) + " fişi " + h->KEYSTR + ", no " +
                    std::to_string(h->FISNO) + ", " + csv::formatDate(h->FISTRH) + ", nitelik " +
                    h->FISNTLK + (h->YEVMIYENO ? ", yevmiye " + std::to_string(h->YEVMIYENO) : "");
    for (const auto& l : *lines) {
        t += "\n" + text::pad(std::to_string(l.FISSIRANO), 4) + text::pad(std::to_string(l.ACKNO), 6);
        if (isAmountLine(l))
            t += text::pad(l.HESAPKODU, 19) + text::pad(l.FISACK, 36) + amount(l.TLBORC) + " " +
                 amount(l.TLALACAK);
        else
            t += "    " + l.FISACK;
    }
    t += "\nToplam" + std::string(59, ' ') + amount(h->BTOPLAM) + " " + amount(h->ATOPLAM);
    ctx.ui.message(t, "Fiş", app::Icon::Information, "&Tamam", 1);
    return {};
}

core::Status runDelete(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1, "voucher delete DIR KEY"); !st) return st;
    Env env = envOf(ctx);
    {
        auto b = Books::open(ctx.data);
        if (!b) return b.error();
        auto h = b->head(o.positional[0]);
        if (!h && data::is(h.error(), data::ErrorCode::NotFound))
            return core::Error::badInput("fiş yok: " + o.positional[0]);
    }
    return deleteVoucher(env, o.positional[0], true);
}

core::Status runRebuild(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 0, "rebuild DIR [--month M] [--leave-out-yan] [--headers]");
        !st)
        return st;
    auto m = monthOption(o, false);
    if (!m) return m.error();
    if (o.flag("headers"))
        if (auto st = FisBaslikYarat(ctx.data, ctx.ui); !st) return st;
    if (*m > 0) return MizanDuzelt(ctx.data, ctx.ui, *m);
    return YMizanDuzelt(ctx.data, ctx.ui, o.flag("leave-out-yan"));
}

} // namespace

void registerProcedures(app::ProcedureRegistry& r) {
    using app::Runs;
    r.add({.name = {},
           .command = {"voucher", "import"},
           .usage = "DIR FILE.csv [--dry-run]: vouchers from a CSV file, checked whole first",
           .runs = Runs::Worker,
           .run = runImport,
           .flags = {},
           .switches = {"dry-run"}});
    r.add({.name = {},
           .command = {"voucher", "export"},
           .usage = "DIR [--month M] FILE.csv: vouchers to a CSV file in the import format",
           .runs = Runs::Worker,
           .run = runExport,
           .flags = {"month"},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "list"},
           .usage = "DIR [--month M]: the voucher headers in key order",
           .runs = Runs::Here,
           .run = runList,
           .flags = {"month"},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "show"},
           .usage = "DIR KEY: one voucher with its lines",
           .runs = Runs::Here,
           .run = runShow,
           .flags = {},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "delete"},
           .usage = "DIR KEY [--yes]: deletes a voucher and takes it out of the totals",
           .runs = Runs::Here,
           .run = runDelete,
           .flags = {},
           .switches = {}});
    r.add({.name = {},
           .command = {"rebuild"},
           .usage = "DIR [--month M] [--leave-out-yan] [--headers]: rebuilds the account totals "
                    "(one month, or all) and with --headers the voucher header totals first",
           .runs = Runs::Worker,
           .run = runRebuild,
           .flags = {"month"},
           .switches = {"leave-out-yan", "headers"}});

    // Menu procedures.
    r.add({.name = "MizanSifirla",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options&) {
               return MizanSifirla(ctx.data, ctx.ui, 1, 12, true, true);
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "YMizanDuzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options& o) {
               return YMizanDuzelt(ctx.data, ctx.ui, o.argument == "1" || o.flag("leave-out-yan"));
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "MizanDuzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options& o) -> core::Status {
               auto m = monthOption(o, false);
               if (!m) return m.error();
               return MizanDuzelt(ctx.data, ctx.ui, *m > 0 ? *m : ctx.session.SeciliAy());
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "FisBaslikYarat",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options&) {
               return FisBaslikYarat(ctx.data, ctx.ui);
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "FisKeyStrDuzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options&) {
               return FisKeyStrDuzelt(ctx.data, ctx.ui);
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "FisNumaratorDuzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options& o) {
               return FisNumaratorDuzelt(ctx.data, ctx.ui, o.get("month", o.argument));
           },
           .flags = {},
           .switches = {}});
}

} // namespace hk::vouchers
