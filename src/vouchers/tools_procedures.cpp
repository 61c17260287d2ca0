#include "vouchers/tools_procedures.h"

#include "core/text.h"
#include "data/convert.h"
#include "output/export.h"
#include "vouchers/account_transfer.h"
#include "vouchers/csv.h"
#include "vouchers/numbering.h"
#include "vouchers/renumber.h"
#include "vouchers/revalue.h"
#include "vouchers/tools.h"
#include "vouchers/voucher_lists.h"

#include <cstdlib>

namespace hk::vouchers {

namespace text = core::text;

namespace {

core::Status needPositional(const app::Options& o, std::size_t n, const char* usage) {
    if (o.positional.size() != n) return core::Error::badInput(std::string("kullanım: ") + usage);
    return {};
}

core::Result<int> monthOf(const app::Options& o, const char* name, bool required) {
    auto m = o.integer(name);
    if (!m) return m.error();
    if (!*m) {
        if (required) return core::Error::badInput(std::string("--") + name + " gerekli (1..12)");
        return 0;
    }
    if (**m < 1 || **m > 12)
        return core::Error::badInput(std::string("--") + name + " 1 ile 12 arasında olmalı");
    return static_cast<int>(**m);
}

core::Result<core::Date> dateOf(const std::string& text, const char* what) {
    auto d = csv::parseDate(text);
    if (!d) return core::Error::badInput(std::string(what) + ": geçersiz tarih \"" + text + "\"");
    return *d;
}

void tell(app::Ui& ui, const std::string& text) {
    ui.message(text, {}, app::Icon::Information, "&Tamam", 1);
}

core::Status runCopy(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1, "voucher copy DIR KEY --date D"); !st) return st;
    core::Date date;
    if (o.has("date")) {
        auto d = dateOf(o.get("date"), "--date");
        if (!d) return d.error();
        date = *d;
    }
    auto h = FisKopyala(ctx.ui, ctx.data, o.positional[0], date);
    if (!h) return h.error();
    tell(ctx.ui, h->KEYSTR);
    return {};
}

core::Status runTransfer(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 1,
                                 "voucher transfer DIR KEY --date D [--attribute A] [--number N] "
                                 "[--type M|A|E]");
        !st)
        return st;
    auto t = openTransfer(ctx.ui, ctx.data, o.positional[0]);
    if (!t) return t.error();
    if (o.has("date")) {
        auto d = dateOf(o.get("date"), "--date");
        if (!d) return d.error();
        t->day = d->day;
        t->month = d->month;
    }
    if (o.has("attribute")) t->attribute = text::upperTr(o.get("attribute"));
    if (o.has("type")) {
        const std::string ty = text::upperTr(o.get("type"));
        if (ty.size() != 1) return core::Error::badInput("--type M, A ya da E olmalı");
        t->type = ty[0];
    }
    if (o.has("number")) {
        auto n = o.integer("number");
        if (!n) return n.error();
        t->number = static_cast<int>(**n);
    }
    auto h = FisTransfer(ctx.ui, ctx.data, o.positional[0], *t);
    if (!h) return h.error();
    tell(ctx.ui, h->KEYSTR);
    return {};
}

core::Status runAttribute(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 2, "voucher attribute DIR KEY A"); !st) return st;
    auto h = changeAttribute(ctx.ui, ctx.data, o.positional[0], text::upperTr(o.positional[1]));
    if (!h) return h.error();
    tell(ctx.ui, h->KEYSTR + " " + h->FISNTLK);
    return {};
}

core::Status runRenumber(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 0, "voucher renumber DIR (--month M | --finish) [--yes]"); !st)
        return st;
    if (o.flag("finish")) {
        auto n = FisSiralaDuzelt(ctx.data, ctx.ui);
        if (!n) return n.error();
        tell(ctx.ui, std::to_string(*n) + " fiş sıralandı.");
        return {};
    }
    auto m = monthOf(o, "month", true);
    if (!m) return m.error();
    // Renumbering rewrites every key of the month; from a script it runs only when asked for
    // with --yes, otherwise it says what it would do.
    if (!o.flag("yes")) {
        ListQuery q;
        q.month = *m;
        q.order = ListOrder::ByKey;
        auto l = listVouchers(ctx.data, q);
        if (!l) return l.error();
        return core::Error::refused(std::to_string(l->size()) + " fiş yeniden numaralanacak; " +
                                    "yapmak için --yes verin. Hiçbir şey değiştirilmedi.");
    }
    if (auto st = FisSirala(ctx.data, ctx.ui, *m); !st) return st;
    tell(ctx.ui, std::to_string(*m) + ". ay fişleri sıralandı.");
    return {};
}

core::Status runSort(app::ProcedureContext& ctx, const app::Options& o) {
    const bool descending = ctx.session.FisIciSirala;
    if (o.has("month")) {
        if (auto st = needPositional(o, 0, "voucher sort DIR (KEY | --month M)"); !st) return st;
        auto m = monthOf(o, "month", true);
        if (!m) return m.error();
        auto n = FisIciSirala(ctx.data, ctx.ui, *m, *m, descending);
        if (!n) return n.error();
        tell(ctx.ui, std::to_string(*n) + " fiş sıralandı.");
        return {};
    }
    if (auto st = needPositional(o, 1, "voucher sort DIR (KEY | --month M)"); !st) return st;
    return FisIciSiralaOne(ctx.data, o.positional[0], descending);
}

// "A-B" with B optional ("3-" or "3": from month 3; "3-12").
core::Status parseRange(const std::string& s, bool dates, TransferRange& r) {
    const auto dash = s.find('-');
    const std::string a = text::trim(s.substr(0, dash));
    const std::string b = dash == std::string::npos ? std::string{} : text::trim(s.substr(dash + 1));
    if (dates) {
        if (!a.empty()) {
            auto d = dateOf(a, "--dates");
            if (!d) return d.error();
            r.fromDate = *d;
        }
        if (!b.empty()) {
            auto d = dateOf(b, "--dates");
            if (!d) return d.error();
            r.toDate = *d;
        }
        return {};
    }
    auto num = [](const std::string& t, int& out) -> core::Status {
        if (t.empty() || t.size() > 2 || t.find_first_not_of("0123456789") != std::string::npos)
            return core::Error::badInput("--months: ay 1 ile 12 arasında olmalı: \"" + t + "\"");
        out = std::atoi(t.c_str());
        if (out < 1 || out > 12)
            return core::Error::badInput("--months: ay 1 ile 12 arasında olmalı: \"" + t + "\"");
        return {};
    };
    if (auto st = num(a, r.fromMonth); !st) return st;
    if (!b.empty())
        if (auto st = num(b, r.toMonth); !st) return st;
    if (r.toMonth != 0 && r.toMonth < r.fromMonth)
        return core::Error::badInput("--months: başı sonundan büyük");
    return {};
}

core::Status runAccountTransfer(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 2, "account-transfer DIR FROM TO [--months A-B | --dates D1-D2]");
        !st)
        return st;
    if (o.has("months") && o.has("dates"))
        return core::Error::badInput("--months ile --dates birlikte verilemez");
    TransferRange r;
    if (o.has("dates")) {
        if (auto st = parseRange(o.get("dates"), true, r); !st) return st;
    } else if (o.has("months")) {
        if (auto st = parseRange(o.get("months"), false, r); !st) return st;
    } else {
        // As the window opens: the working month, both ends.
        r.fromMonth = r.toMonth = ctx.session.SeciliAy();
    }
    auto res = accountTransfer(ctx.data, ctx.ui, o.positional[0], o.positional[1], r);
    if (!res) return res.error();
    tell(ctx.ui, std::to_string(res->lines) + " satır, " + std::to_string(res->vouchers) +
                     " fiş aktarıldı.");
    return {};
}

// The terminal answers the first question with --yes; the second ("all lines?") comes from
// --all, so a script can choose either way.
class RevalueUi : public app::Ui {
  public:
    RevalueUi(app::Ui& inner, bool all) : inner_(inner), all_(all) {}
    int message(const std::string& t, const std::string& c, app::Icon i, const std::string& b,
                int d) override {
        if (t == revmsg::kAskAll) return all_ ? 1 : 2;
        return inner_.message(t, c, i, b, d);
    }
    void progress(const std::string& t, int p) override { inner_.progress(t, p); }
    void progressDone() override { inner_.progressDone(); }
    bool cancelled() override { return inner_.cancelled(); }
    std::string chooseFile(const std::string& c, const std::string& f, bool s) override {
        return inner_.chooseFile(c, f, s);
    }
    int pick(const std::string& c, const std::vector<std::string>& i) override {
        return inner_.pick(c, i);
    }

  private:
    app::Ui& inner_;
    bool all_;
};

core::Status runRevalue(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 0, "revalue DIR [--all] --yes"); !st) return st;
    RevalueUi ui(ctx.ui, o.flag("all"));
    auto n = FisDovizDuzelt(ctx.data, ui);
    if (!n) return n.error();
    tell(ctx.ui, std::to_string(*n) + " satırın döviz tutarı yeniden yazıldı.");
    return {};
}

core::Status runExportVouchers(app::ProcedureContext& ctx, const app::Options& o) {
    if (auto st = needPositional(o, 0, "export vouchers DIR --month M --xlsx FILE"); !st)
        return st;
    auto m = monthOf(o, "month", true);
    if (!m) return m.error();
    if (o.get("xlsx").empty()) return core::Error::badInput("--xlsx FILE gerekli");
    ListQuery q;
    q.month = *m;
    q.from = ctx.session.AyBaslangic(*m);
    q.to = ctx.session.AyBitis(*m);
    q.order = o.flag("by-key") ? ListOrder::ByKey : ListOrder::ByDate;
    if (o.has("type")) {
        const std::string t = text::upperTr(o.get("type"));
        if (t != "M" && t != "A" && t != "E") return core::Error::badInput("--type M, A ya da E");
        q.type = t[0];
    }
    auto l = listVouchers(ctx.data, q);
    if (!l) return l.error();
    auto written = output::exportSheet(voucherListSheet(*l), output::ExportTarget{o.get("xlsx"), false, {}});
    if (!written) return written.error();
    tell(ctx.ui, std::to_string(l->size()) + " fiş yazıldı: " + *written);
    return {};
}

core::Status runTarihAyarla(app::ProcedureContext& ctx, const app::Options&) {
    auto n = data::convert::TarihAyarla(ctx.data.data(), [&](const std::string& t, int p) {
        ctx.ui.progress(t, p);
    });
    ctx.ui.progressDone();
    if (!n) return n.error();
    return {};
}

} // namespace

void registerToolProcedures(app::ProcedureRegistry& r) {
    using app::Runs;
    r.add({.name = {},
           .command = {"voucher", "copy"},
           .usage = "DIR KEY --date D: a copy of the voucher on date D, numbered in D's month",
           .runs = Runs::Here,
           .run = runCopy,
           .flags = {"date"},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "transfer"},
           .usage = "DIR KEY [--date D] [--attribute A] [--number N] [--type M|A|E]: moves the "
                    "voucher to another date, attribute, number or type with its postings",
           .runs = Runs::Here,
           .run = runTransfer,
           .flags = {"date", "attribute", "number", "type"},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "attribute"},
           .usage = "DIR KEY A: gives the voucher the attribute A and moves its postings",
           .runs = Runs::Here,
           .run = runAttribute,
           .flags = {},
           .switches = {}});
    r.add({.name = {},
           .command = {"voucher", "renumber"},
           .usage = "DIR (--month M | --finish) [--yes]: renumbers a month's vouchers in date "
                    "order (--yes to run), or finishes an interrupted renumbering",
           .runs = Runs::Worker,
           .run = runRenumber,
           .flags = {"month"},
           .switches = {"finish"}});
    r.add({.name = {},
           .command = {"voucher", "sort"},
           .usage = "DIR (KEY | --month M): sorts the lines inside a voucher, or inside every "
                    "voucher of a month",
           .runs = Runs::Worker,
           .run = runSort,
           .flags = {"month"},
           .switches = {}});
    r.add({.name = {},
           .command = {"account-transfer"},
           .usage = "DIR FROM TO [--months A-B | --dates D1-D2]: moves the voucher lines of a "
                    "detail account to another with their postings",
           .runs = Runs::Worker,
           .run = runAccountTransfer,
           .flags = {"months", "dates"},
           .switches = {}});
    r.add({.name = {},
           .command = {"revalue"},
           .usage = "DIR [--all] --yes: recomputes currency amounts from the rates, then rebuilds "
                    "the totals (without --all only lines without a currency amount)",
           .runs = Runs::Worker,
           .run = runRevalue,
           .flags = {},
           .switches = {"all"}});
    r.add({.name = {},
           .command = {"export", "vouchers"},
           .usage = "DIR --month M --xlsx FILE [--type M|A|E] [--by-key]: the voucher list of a "
                    "month to a workbook",
           .runs = Runs::Worker,
           .run = runExportVouchers,
           .flags = {"month", "xlsx", "type"},
           .switches = {"by-key"}});

    // Menu procedures without a window of their own.
    r.add({.name = "FisSirala",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options& o) -> core::Status {
               const int m = o.argument.empty() ? ctx.session.SeciliAy()
                                                : std::atoi(o.argument.c_str());
               return FisSirala(ctx.data, ctx.ui, m);
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "FisSiralaDüzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options&) -> core::Status {
               auto n = FisSiralaDuzelt(ctx.data, ctx.ui);
               if (!n) return n.error();
               return {};
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "FisDovizDüzelt",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = [](app::ProcedureContext& ctx, const app::Options&) -> core::Status {
               auto n = FisDovizDuzelt(ctx.data, ctx.ui);
               if (!n) return n.error();
               return {};
           },
           .flags = {},
           .switches = {}});
    r.add({.name = "TarihAyarla",
           .command = {},
           .usage = {},
           .runs = Runs::Worker,
           .run = runTarihAyarla,
           .flags = {},
           .switches = {}});
}

} // namespace hk::vouchers
