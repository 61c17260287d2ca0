#include "journal/procedures.h"

#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"
#include "journal/eledger.h"
#include "journal/report.h"
#include "journal/run.h"
#include "journal/tools.h"
#include "output/raw.h"
#include "output/textfile.h"

#include <cstdio>

namespace hk::journal {

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

// The run options shared by the three runs; --month is required.
Result<RunOptions> runOptions(const app::Options& o) {
    RunOptions r;
    auto m = o.integer("month");
    if (!m) return m.error();
    if (!*m) return Error::badInput("--month gerekli (yevmiye çekilecek dönem, 1..12)");
    if (**m < 1 || **m > 12)
        return Error::badInput("--month 1 ile 12 arasında olmalı: " + o.get("month"));
    r.month = static_cast<int>(**m);
    if (o.has("end-date")) {
        auto d = pic::deformatDate(o.get("end-date"), "d6");
        if (!d || !d->isSet() || !d->isValid())
            return Error::badInput("--end-date gg.aa.yyyy biçiminde bir tarih olmalı: \"" +
                                   o.get("end-date") + "\"");
        r.endDate = *d;
    }
    r.certified = o.flag("certified");
    auto opening = yesNo(o, "opening", true);
    if (!opening) return opening.error();
    r.includeOpening = *opening;
    auto closing = yesNo(o, "closing", false);
    if (!closing) return closing.error();
    r.includeClosing = *closing;
    r.mainOnly = o.flag("main-only");
    r.reprint = o.flag("reprint");
    r.pageCount = o.flag("page-count");
    auto first = o.integer("first-page");
    if (!first) return first.error();
    if (*first) {
        if (**first < 1 || **first > 99999)
            return Error::badInput("--first-page 1 ile 99999 arasında olmalı: " +
                                   o.get("first-page"));
        r.firstPage = static_cast<int>(**first);
    }
    auto font = o.integer("font-size");
    if (!font) return font.error();
    if (*font) {
        if (**font < 4 || **font > 72)
            return Error::badInput("--font-size 4 ile 72 arasında olmalı: " + o.get("font-size"));
        r.fontSize = static_cast<int>(**font);
    }
    return r;
}

Result<ExportOptions> exportOptions(app::ProcedureContext& ctx, const app::Options& o, bool csv) {
    auto run = runOptions(o);
    if (!run) return run.error();
    ExportOptions e;
    e.run = *run;
    e.recorder = o.get("recorder");
    if (!text::isCp1254(e.recorder))
        return Error::badInput("--recorder yalnız Türkçe Windows kod sayfasındaki harfleri "
                               "içerebilir.");
    e.recorder = text::left(e.recorder, 30);
    if (csv) {
        auto b = o.integer("branch");
        if (!b) return b.error();
        if (!*b) return Error::badInput("--branch gerekli (şube kodu)");
        if (**b < 0 || **b > 9999)
            return Error::badInput("--branch 0 ile 9999 arasında olmalı: " + o.get("branch"));
        e.branch = static_cast<int>(**b);
        e.fillDefaults = o.flag("fill-defaults");
    }
    e.folder = o.has("out-dir") ? std::filesystem::path(o.get("out-dir"))
                                : ctx.data.locations().dataFolder();
    std::error_code ec;
    if (!std::filesystem::is_directory(e.folder, ec))
        return Error::badInput("Klasör bulunamadı: " + e.folder.string(), e.folder.string());
    return e;
}

Status runState(app::ProcedureContext& ctx, const app::Options&) {
    auto files = Files::open(ctx.data);
    if (!files) return files.error();
    auto y = readCompany(files->company);
    if (!y) return y.error();
    const JournalState s = JournalState::of(*y);
    std::printf("Yevmiyesi Çekilen Son Dönem: %s\n", pic::format(s.lastMonth, "n2").c_str());
    std::printf("Son Yevmiye Numarası: %s\n", pic::format(s.lastNumber, "n_5").c_str());
    std::printf("Son Yevmiye Tarihi: %s\n", pic::format(s.lastDate, "d6").c_str());
    std::printf("Devreden Borç Tutarı: %s\n", pic::format(s.debit, "n18.2").c_str());
    std::printf("Devreden Alacak Tutarı: %s\n", pic::format(s.credit, "n18.2").c_str());
    std::printf("Yevmiye Çekilecek Dönem: %d\n", proposedMonth(s));
    return {};
}

Status runPrint(app::ProcedureContext& ctx, const app::Options& o, const PdfOpener& pdf) {
    auto run = runOptions(o);
    if (!run) return run.error();
    const int routes = o.has("raw") + o.has("pdf") + o.has("txt");
    if (routes != 1)
        return Error::badInput("--raw, --pdf ve --txt seçeneklerinden tam biri gerekli");
    output::PrinterKind kind = output::PrinterKind::Ordinary;
    if (o.has("raw")) {
        const std::string k = text::upperTr(o.get("kind"));
        if (k == "NPQ")
            kind = output::PrinterKind::Npq;
        else if (k == "LPQ")
            kind = output::PrinterKind::Lpq;
        else
            return Error::badInput("--raw için --kind NPQ ya da LPQ gerekli");
    } else if (o.has("kind")) {
        return Error::badInput("--kind yalnız --raw ile verilir");
    }
    std::unique_ptr<output::PageSink> sink;
    if (o.has("raw")) {
        auto target = output::openRawFile(o.get("raw"));
        if (!target) return target.error();
        sink = std::make_unique<output::RawSink>(std::move(*target));
    } else if (o.has("txt")) {
        output::TextFileOptions t;
        t.formFeeds = true;
        auto s = output::TextFileSink::open(o.get("txt"), t);
        if (!s) return s.error();
        sink = std::move(*s);
    } else {
        if (!pdf)
            return Error::badInput("Bu programda PDF çıkışı yok; --raw ya da --txt kullanın.");
        auto s = pdf(o.get("pdf"), pageStyle(kind, run->fontSize));
        if (!s) return s.error();
        sink = std::move(*s);
    }
    auto r = YevmiyeRaporu(ctx.data, ctx.ui, *run, kind, *sink);
    if (!r) return r.error();
    std::printf("%d sayfa, %d yevmiye maddesi\n", r->pages, r->entries);
    return {};
}

Status runXml(app::ProcedureContext& ctx, const app::Options& o) {
    auto e = exportOptions(ctx, o, false);
    if (!e) return e.error();
    auto r = YevmiyeRaporuXML(ctx.data, ctx.ui, *e);
    if (!r) return r.error();
    std::printf("%s\n", r->file.string().c_str());
    return {};
}

Status runCsv(app::ProcedureContext& ctx, const app::Options& o) {
    auto e = exportOptions(ctx, o, true);
    if (!e) return e.error();
    auto r = YevmiyeRaporuCSV(ctx.data, ctx.ui, *e);
    if (!r) return r.error();
    std::printf("%s\n", r->file.string().c_str());
    return {};
}

Status runCheck(app::ProcedureContext& ctx, const app::Options&) {
    auto r = belgeTipiKontrol(ctx.data, ctx.ui);
    if (!r) return r.error();
    std::printf("%s\n", r->c_str());
    return {};
}

Status runClean(app::ProcedureContext& ctx, const app::Options&) {
    auto r = OtherAckBosalt(ctx.data, ctx.ui);
    if (!r) return r.error();
    std::printf("%ld satır\n", *r);
    return {};
}

const std::vector<std::string> kRunFlags = {"month", "end-date", "opening", "closing"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

void registerProcedures(app::ProcedureRegistry& registry, PdfOpener pdf) {
    {
        app::ProcedureSpec s;
        s.command = {"journal", "state"};
        s.usage = "DIR: yevmiye durumu (son dönem, son numara, devreden tutarlar)";
        s.run = runState;
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"journal", "print"};
        s.usage = "DIR --month M [--end-date D] [--certified] [--opening E|H] [--closing E|H] "
                  "[--main-only] [--reprint] [--first-page N] [--page-count] [--font-size N] "
                  "(--raw FILE --kind NPQ|LPQ | --pdf FILE | --txt FILE): yevmiye defteri";
        s.runs = app::Runs::Worker;
        s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
            return runPrint(ctx, o, pdf);
        };
        s.flags = with(kRunFlags, {"first-page", "font-size", "raw", "kind", "pdf", "txt"});
        s.switches = {"certified", "main-only", "reprint", "page-count"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"journal", "xml"};
        s.usage = "DIR --month M --recorder NAME [--end-date D] [--certified] [--opening E|H] "
                  "[--closing E|H] [--out-dir FOLDER]: e-defter XML dosyası";
        s.runs = app::Runs::Worker;
        s.run = runXml;
        s.flags = with(kRunFlags, {"recorder", "out-dir"});
        s.switches = {"certified"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"journal", "csv"};
        s.usage = "DIR --month M --recorder NAME --branch N [--end-date D] [--fill-defaults] "
                  "[--certified] [--opening E|H] [--closing E|H] [--out-dir FOLDER]: e-defter "
                  "CSV dosyası (zip)";
        s.runs = app::Runs::Worker;
        s.run = runCsv;
        s.flags = with(kRunFlags, {"recorder", "branch", "out-dir"});
        s.switches = {"certified", "fill-defaults"};
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.command = {"journal", "check"};
        s.usage = "DIR: yevmiyesi çekilmemiş fişlerde belge tipi kontrolü";
        s.runs = app::Runs::Worker;
        s.run = runCheck;
        registry.add(std::move(s));
    }
    {
        app::ProcedureSpec s;
        s.name = "OtherAckBosalt";
        s.command = {"journal", "clear-descriptions"};
        s.usage = "DIR [--yes]: Diğer dışındaki belge tiplerinde belge açıklamalarını boşaltır";
        s.runs = app::Runs::Worker;
        s.run = runClean;
        registry.add(std::move(s));
    }
}

} // namespace hk::journal
