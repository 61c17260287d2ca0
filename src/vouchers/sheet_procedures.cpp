#include "vouchers/sheet_procedures.h"

#include "core/picture.h"
#include "core/text.h"
#include "output/raw.h"
#include "output/textfile.h"
#include "vouchers/sheet_import.h"
#include "vouchers/sheet_print.h"

#include <cstdio>

namespace hk::vouchers {

using core::Error;
using core::Result;
using core::Status;
namespace pic = core::picture;
namespace text = core::text;

namespace {

Result<core::Date> dateArg(const std::string& s, const char* flag) {
    auto d = pic::deformatDate(text::trim(s), "d6");
    if (!d || !d->isSet() || !d->isValid())
        return Error::badInput(std::string("--") + flag + " gg.aa.yyyy biçiminde tarih olmalı: \"" +
                               s + "\"");
    return *d;
}

// "A-B", "A-" (no end) or "A" (the window copies the start into the end).
struct Range {
    std::string from, to;
    bool open = false;
};
Range splitRange(const std::string& v) {
    const std::size_t dash = v.find('-');
    if (dash == std::string::npos) return {text::trim(v), text::trim(v), false};
    Range r{text::trim(v.substr(0, dash)), text::trim(v.substr(dash + 1)), false};
    r.open = r.to.empty();
    return r;
}

Result<int> numberArg(const std::string& s) {
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
        return Error::badInput("--numbers 0 ile 32767 arasında fiş numaraları olmalı: \"" + s +
                               "\"");
    const int n = std::stoi(s);
    if (n > 32767)
        return Error::badInput("--numbers 0 ile 32767 arasında fiş numaraları olmalı: \"" + s +
                               "\"");
    return n;
}

Result<BulkSelection> bulkSelection(app::ProcedureContext& ctx, const app::Options& o) {
    BulkSelection s;
    const std::string type = text::upperTr(text::trim(o.get("type")));
    if (type != "M" && type != "A" && type != "E")
        return Error::badInput("--type M, A ya da E olmalı (Mahsup, Tahsil, Tediye)");
    s.type = type[0];
    if (!o.has("dates") || text::trim(o.get("dates")).empty())
        return Error::badInput("--dates gerekli (gg.aa.yyyy-gg.aa.yyyy)");
    const Range d = splitRange(o.get("dates"));
    auto start = dateArg(d.from, "dates");
    if (!start) return start.error();
    s.startDate = *start;
    if (!d.open) {
        auto end = dateArg(d.to, "dates");
        if (!end) return end.error();
        if (*end < *start) return Error::badInput("--dates: bitiş tarihi başlangıçtan önce");
        s.endDate = *end;
    }
    if (o.has("numbers")) {
        const Range n = splitRange(o.get("numbers"));
        auto a = numberArg(n.from);
        if (!a) return a.error();
        s.startNumber = *a;
        if (!n.open) {
            auto b = numberArg(n.to);
            if (!b) return b.error();
            if (*b != 0 && *b < *a)
                return Error::badInput("--numbers: son numara ilk numaradan küçük");
            s.endNumber = *b;
        }
    }
    s.attribute = text::upperTr(text::trim(o.get("attribute")));
    if (!s.attribute.empty()) {
        // The window accepts only a code of the attribute file.
        auto kinds = ctx.data.open<data::Nitelik>();
        if (!kinds) return kinds.error();
        data::Nitelik k;
        k.FISNTLK = s.attribute;
        if (!kinds->get("MFN:KeyNtlk", k))
            return Error::badInput("--attribute: \"" + s.attribute + "\" fiş nitelikleri arasında yok");
    }
    return s;
}

Status runPrint(app::ProcedureContext& ctx, const app::Options& o, const SheetPdfOpener& pdf) {
    const bool bulk = o.has("type") || o.has("dates") || o.has("numbers") || o.has("attribute");
    if (bulk && !o.positional.empty())
        return Error::badInput("Fiş anahtarı ile --type/--dates/--numbers/--attribute birlikte "
                               "verilemez");
    if (!bulk && o.positional.size() != 1)
        return Error::badInput("Bir fiş anahtarı (KEY) ya da --type ve --dates gerekli");
    if (bulk && o.has("to")) return Error::badInput("--to yalnız fiş anahtarı ile verilir");

    const int routes = o.has("raw") + o.has("pdf") + o.has("txt");
    if (routes != 1) return Error::badInput("--raw, --pdf ve --txt seçeneklerinden tam biri gerekli");
    SheetOptions so;
    so.lines33 = ctx.session.Fis33Satir || o.flag("short");
    if (o.has("raw")) {
        const std::string k = text::upperTr(o.get("kind"));
        if (k == "NPQ")
            so.kind = output::PrinterKind::Npq;
        else if (k == "LPQ")
            so.kind = output::PrinterKind::Lpq;
        else
            return Error::badInput("--raw için --kind NPQ ya da LPQ gerekli");
    } else if (o.has("kind")) {
        return Error::badInput("--kind yalnız --raw ile verilir");
    }

    // Everything the choice needs is checked before an output file is created.
    std::optional<BulkSelection> selection;
    if (bulk) {
        auto s = bulkSelection(ctx, o);
        if (!s) return s.error();
        selection = *s;
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
        if (!pdf) return Error::badInput("Bu programda PDF çıkışı yok; --raw ya da --txt kullanın.");
        auto s = pdf(o.get("pdf"), sheetPageStyle(so.kind));
        if (!s) return s.error();
        sink = std::move(*s);
    }
    Result<SheetResult> r = SheetResult{};
    if (selection) {
        r = TopluFisYaz(ctx.data, *selection, so, *sink);
    } else {
        const std::string first = o.positional.front();
        const std::string last = o.has("to") ? o.get("to") : first;
        r = YFisRaporu(ctx.data, first, last, so, *sink);
    }
    if (!r) return r.error();
    std::printf("%d fiş, %d sayfa\n", r->vouchers, r->pages);
    return {};
}

Status runImport(app::ProcedureContext& ctx, const app::Options& o) {
    if (o.positional.size() != 1) return Error::badInput("Bir çalışma kitabı dosyası (FILE) gerekli");
    SheetImportChoices c;
    c.file = o.positional.front();
    c.attribute = o.get("attribute");
    c.documentType = o.get("document-type");
    c.documentDescription = o.get("document-description");
    c.paymentType = o.get("payment-type");
    Env env{ctx.session, ctx.ui, ctx.data};
    auto r = HkrFiSOku(env, c);
    if (!r) return r.error();
    std::printf("%d fiş kaydedildi, %d fiş kaydedilemedi\n", r->saved, r->refused);
    for (const auto& k : r->keys) std::printf("%s\n", k.c_str());
    if (r->stoppedAtJournalDate)
        return Error::refused("İçe aktarma yevmiyesi çekilmiş bir tarihte durdu; " +
                                  std::to_string(r->saved) + " fiş kaydedildi.",
                              true);
    return {};
}

} // namespace

void registerSheetProcedures(app::ProcedureRegistry& registry, SheetPdfOpener pdf) {
    app::ProcedureSpec s;
    s.command = {"voucher", "print"};
    s.usage = "DIR (KEY [--to KEY] | --type M|A|E --dates D1-D2 [--numbers N1-N2] "
              "[--attribute X]) [--short] (--raw FILE --kind NPQ|LPQ | --pdf FILE | --txt FILE): "
              "fiş yazdırma (tek fiş, anahtar aralığı ya da Toplu Fiş Yaz seçimi)";
    s.runs = app::Runs::Worker;
    s.run = [pdf](app::ProcedureContext& ctx, const app::Options& o) {
        return runPrint(ctx, o, pdf);
    };
    s.flags = {"to", "type", "dates", "numbers", "attribute", "raw", "kind", "pdf", "txt"};
    s.switches = {"short"};
    registry.add(std::move(s));

    app::ProcedureSpec i;
    i.command = {"voucher", "import-sheet"};
    i.usage = "DIR FILE [--attribute X] [--document-type T] [--document-description T] "
              "[--payment-type T]: masraf fişi çalışma kitabından (.xls, .xlsx) Mahsup fişleri";
    i.runs = app::Runs::Worker;
    i.run = runImport;
    i.flags = {"attribute", "document-type", "document-description", "payment-type"};
    registry.add(std::move(i));
}

} // namespace hk::vouchers
