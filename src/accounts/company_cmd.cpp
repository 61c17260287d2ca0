// hesapkar-cli company show|set: the company record (Yasal) from a script, under the company
// window's rules (app/company): a valid period of at most twelve months, the numbering letters,
// and no change of the period or the numbering once a voucher number was issued.
#include "accounts/messages.h"
#include "accounts/procedures.h"
#include "accounts/rates.h"
#include "app/company.h"
#include "core/text.h"
#include "data/record.h"

#include <cstdio>

namespace hk::accounts {

namespace {

using core::Error;
using core::Status;

void out(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// The voucher numerators are issued by voucher entry alone; a script never sets them.
bool isNumerator(const std::string& field) {
    return field == "MAHSUPNUMARATOR" || field == "TAHSILNUMARATOR" || field == "TEDIYENUMARATOR";
}

Status companyShow(app::ProcedureContext& ctx, const app::Options& o) {
    if (!o.positional.empty()) return Error::badInput("kullanım: company show DIR");
    auto file = ctx.data.open<data::Yasal>();
    if (!file) return file.error();
    auto y = app::company::loadOrCreate(*file);
    if (!y) return y.error();
    auto rec = data::toRecord(*y);
    if (!rec) return rec.error();
    for (const auto& f : rec->def().fields) {
        if (f.type == data::FieldType::GROUP || isNumerator(f.name)) continue;
        for (std::uint32_t e = 1; e <= f.count; ++e) {
            auto t = rec->text(f.name, e);
            if (!t) return t.error();
            out(f.name + (f.count > 1 ? "." + std::to_string(e) : std::string()) + "=" + *t);
        }
    }
    return {};
}

// "NAME=VALUE" or "NAME.n=VALUE" (element n of an array field) into the record.
Status setField(data::Record& rec, const std::string& assignment) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0)
        return Error::badInput("ALAN=DEĞER bekleniyordu: \"" + assignment + "\"");
    std::string name = core::text::upperTr(assignment.substr(0, eq));
    if (name.rfind("MYA:", 0) == 0) name.erase(0, 4);
    std::uint32_t element = 1;
    if (const auto dot = name.find('.'); dot != std::string::npos) {
        const std::string n = name.substr(dot + 1);
        if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos)
            return Error::badInput("dizi elemanı numarası hatalı: \"" + assignment + "\"");
        element = static_cast<std::uint32_t>(std::stoul(n));
        name.resize(dot);
    }
    const data::FieldDef* def = nullptr;
    for (const auto& f : rec.def().fields)
        if (f.name == name && f.type != data::FieldType::GROUP) def = &f;
    if (!def) return Error::badInput("şirket kaydında böyle bir alan yok: " + name);
    if (isNumerator(name))
        return Error::badInput(name + " fiş girişinin verdiği numaradır; komutla değiştirilemez.");
    if (element < 1 || element > def->count)
        return Error::badInput(name + " alanının " + std::to_string(def->count) + " elemanı var");
    auto st = rec.setText(name, assignment.substr(eq + 1), element);
    if (!st) return Error::badInput(name + ": " + st.error().text);
    return {};
}

Status companySet(app::ProcedureContext& ctx, const app::Options& o) {
    auto file = ctx.data.open<data::Yasal>();
    if (!file) return file.error();
    // Read, edited and written under the write lock: every named field is written back from
    // this copy, so it must be the file's current record.
    data::Transaction tx{ctx.data.data()};
    if (!tx.started()) return raiseStored(ctx.ui, tx.started().error(), 21);
    auto y = app::company::loadOrCreate(*file);
    if (!y) return y.error();
    data::Yasal edited = *y;
    if (o.has("name")) edited.SIRKETUNVANI1 = o.get("name");
    if (o.has("period-start")) {
        auto d = parseDate(o.get("period-start"));
        if (!d) return refuseInput(ctx.ui, d.error());
        edited.MALIDONEMBAS = *d;
        // As the window does on leaving the start date: the end follows unless given too.
        if (!o.has("period-end")) edited.MALIDONEMSON = app::company::proposeEndDate(*d);
    }
    if (o.has("period-end")) {
        auto d = parseDate(o.get("period-end"));
        if (!d) return refuseInput(ctx.ui, d.error());
        edited.MALIDONEMSON = *d;
    }
    if (o.has("numbering")) edited.FISNOSIRASI = core::text::upperTr(o.get("numbering"));
    if (o.has("scheme")) edited.FISNUMARALAMADUZENI = core::text::upperTr(o.get("scheme"));
    auto rec = data::toRecord(edited);
    if (!rec) return refuseInput(ctx.ui, Error::badInput(rec.error().text));
    for (const auto& a : o.positional)
        if (auto st = setField(*rec, a); !st) return refuseInput(ctx.ui, st.error());
    edited = data::fromRecord<data::Yasal>(*rec);
    if (auto st = app::company::validate(edited); !st) return refuse(ctx.ui, st.error().text);
    auto saved = app::company::save(*file, edited, app::company::copyAllButNumerators);
    if (!saved) {
        if (saved.error().code == 0) return refuse(ctx.ui, saved.error().text);
        return raiseStored(ctx.ui, saved.error(), 1);
    }
    if (auto st = tx.commit(); !st) return raiseStored(ctx.ui, st.error(), 21);
    ctx.session.setCompany(*saved);
    return {};
}

} // namespace

void registerCompanyProcedures(app::ProcedureRegistry& registry) {
    app::ProcedureSpec show;
    show.command = {"company", "show"};
    show.usage = "DIR: every field of the company record, NAME=VALUE";
    show.run = companyShow;
    registry.add(std::move(show));
    app::ProcedureSpec set;
    set.command = {"company", "set"};
    set.usage = "DIR [--name T] [--period-start D] [--period-end D] [--numbering A|G] "
                "[--scheme A|B] [FIELD=VALUE ...]: sets the company record";
    set.run = companySet;
    set.flags = {"name", "period-start", "period-end", "numbering", "scheme"};
    registry.add(std::move(set));
}

} // namespace hk::accounts
