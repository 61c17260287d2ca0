#include "app/procedure.h"

#include "core/text.h"
#include "data/records.h"

#include <algorithm>
#include <stdexcept>

namespace hk::app {

std::string Options::get(const std::string& name, const std::string& fallback) const {
    auto it = values_.find(name);
    if (it != values_.end()) return it->second;
    if (fallback.empty())
        if (const Param* p = declared(name)) return p->defaultValue;
    return fallback;
}

const Param* Options::declared(const std::string& name) const {
    for (const auto& p : declared_)
        if (p.name == name) return &p;
    return nullptr;
}

std::string Options::value(const std::string& name) const { return get(name); }

std::string Options::word(const std::string& name) const {
    const Param* p = declared(name);
    const std::string v = core::text::trim(value(name));
    if (p && p->kind == ParamKind::Letter)
        if (const std::string* c = choiceOf(*p, v)) return *c;
    return v;
}

OutputChoice Options::output() const {
    OutputChoice c;
    auto given = [&](const char* n) { return values_.count(n) != 0; };
    if (given("pdf")) {
        c.destination = Destination::Pdf;
        c.path = get("pdf");
    } else if (given("txt")) {
        c.destination = Destination::Txt;
        c.path = get("txt");
        c.encoding = c.path == "-" ? output::TextEncoding::Utf8 : output::TextEncoding::Cp1254;
        if (given("encoding"))
            c.encoding = core::text::upperTr(get("encoding")) == "UTF8"
                             ? output::TextEncoding::Utf8
                             : output::TextEncoding::Cp1254;
    } else if (given("raw")) {
        c.destination = Destination::Raw;
        c.path = get("raw");
    } else if (given("queue")) {
        c.destination = Destination::Queue;
        c.queue = get("queue");
    } else if (given("xlsx")) {
        c.destination = Destination::Xlsx;
        c.path = get("xlsx");
    }
    if (c.destination == Destination::Raw || c.destination == Destination::Queue) {
        const std::string k = core::text::upperTr(get("kind", "NPQ"));
        c.kind = k == "LPQ" ? output::PrinterKind::Lpq : output::PrinterKind::Npq;
    }
    return c;
}

bool Options::flag(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return false;
    const std::string& v = it->second;
    return v.empty() || v == "1" || v == "E" || v == "e" || v == "yes" || v == "true";
}

core::Result<std::optional<long long>> Options::integer(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::optional<long long>{};
    const std::string& v = it->second;
    std::size_t i = (!v.empty() && (v[0] == '-' || v[0] == '+')) ? 1 : 0;
    if (i == v.size() || v.size() > 18 ||
        !std::all_of(v.begin() + static_cast<std::ptrdiff_t>(i), v.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return core::Error::badInput("--" + name + " bir tam sayı olmalı: \"" + v + "\"");
    return std::optional<long long>{std::stoll(v)};
}

void ProcedureRegistry::add(ProcedureSpec spec) {
    for (const auto& s : specs_) {
        if (!spec.name.empty() && s.name == spec.name)
            throw std::logic_error("procedure registered twice: " + spec.name);
        if (!spec.command.empty() && s.command == spec.command)
            throw std::logic_error("command registered twice: " + spec.command.front());
    }
    specs_.push_back(std::move(spec));
}

const ProcedureSpec* ProcedureRegistry::find(const std::string& name) const {
    for (const auto& s : specs_)
        if (!name.empty() && s.name == name) return &s;
    return nullptr;
}

const ProcedureSpec* ProcedureRegistry::findCommand(const std::vector<std::string>& words,
                                                    std::size_t& used) const {
    const ProcedureSpec* best = nullptr;
    used = 0;
    for (const auto& s : specs_) {
        if (s.command.empty() || s.command.size() > words.size() || s.command.size() <= used)
            continue;
        if (std::equal(s.command.begin(), s.command.end(), words.begin())) {
            best = &s;
            used = s.command.size();
        }
    }
    return best;
}

namespace {

// Every parameter the spec takes: its declarations and the flags of its destinations.
std::vector<Param> allParams(const ProcedureSpec& spec) {
    std::vector<Param> ps = spec.params;
    for (auto& p : outputParams(spec.outputs)) {
        const bool taken = std::any_of(ps.begin(), ps.end(),
                                       [&](const Param& q) { return q.name == p.name; });
        if (!taken) ps.push_back(std::move(p));
    }
    return ps;
}

std::string offeredList(Outputs outs) {
    std::vector<std::string> names;
    if (outs & Pdf) names.push_back("--pdf");
    if (outs & Xlsx) names.push_back("--xlsx");
    if (outs & Txt) names.push_back("--txt");
    if (outs & Raw) names.push_back("--raw");
    if (outs & Queue) names.push_back("--queue");
    std::string s;
    for (std::size_t i = 0; i < names.size(); ++i)
        s += (i == 0 ? "" : i + 1 == names.size() ? " ve " : ", ") + names[i];
    return s;
}

} // namespace

core::Result<Options> parseCommandLine(const std::vector<std::string>& words,
                                       const ProcedureSpec& spec) {
    auto listed = [](const std::vector<std::string>& list, const std::string& n) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    const std::vector<Param> declared = allParams(spec);
    auto find = [&](const std::string& n) -> const Param* {
        for (const auto& p : declared)
            if (p.name == n) return &p;
        return nullptr;
    };
    Options o;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() < 2 || w[0] != '-') {
            o.positional.push_back(w);
            continue;
        }
        if (w.rfind("--", 0) != 0)
            return core::Error::badInput("bilinmeyen seçenek: " + w);
        std::string name = w.substr(2);
        std::optional<std::string> value;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        const Param* p = find(name);
        const bool isSwitch = name == "yes" || listed(spec.switches, name) ||
                              (p && p->kind == ParamKind::Switch);
        if (isSwitch) {
            if (value) return core::Error::badInput("--" + name + " değer almaz");
            o.set(name, "1");
        } else if (p || listed(spec.flags, name)) {
            if (!value) {
                if (i + 1 >= words.size())
                    return core::Error::badInput("--" + name + " için değer eksik");
                value = words[++i];
            }
            o.set(name, *value);
        } else {
            return core::Error::badInput("bilinmeyen seçenek: --" + name);
        }
    }
    o.declare(declared);
    if (auto st = checkOptions(spec, o); !st) return st.error();
    return o;
}

core::Status checkOptions(const ProcedureSpec& spec, const Options& o) {
    const std::vector<Param> ps = allParams(spec);
    for (const auto& p : ps) {
        if (!o.has(p.name)) {
            if (p.required) return core::Error::badInput("--" + p.name + " gerekli: " + p.meaning);
            continue;
        }
        if (auto st = checkValue(p, o.get(p.name)); !st) return st;
    }
    if (spec.outputs & ~Preview) {
        int given = 0;
        for (const char* n : {"pdf", "txt", "raw", "queue", "xlsx"})
            if (o.has(n) &&
                std::any_of(ps.begin(), ps.end(), [&](const Param& p) { return p.name == n; }))
                ++given;
        const Outputs cli = spec.outputs & ~Preview;
        if (given > 1 || (given == 0 && !spec.outputOptional))
            return core::Error::badInput(offeredList(cli) + " seçeneklerinden tam biri gerekli");
        if (o.has("kind") && (cli & (Raw | Queue)) && !o.has("raw") && !o.has("queue"))
            return core::Error::badInput("--kind yalnız --raw ya da --queue ile verilir");
        if (o.has("raw") && (cli & Raw) && !o.has("kind"))
            return core::Error::badInput("--raw için --kind NPQ ya da LPQ gerekli");
        if (o.has("encoding") && !o.has("txt"))
            return core::Error::badInput("--encoding yalnız --txt ile verilir");
    }
    return {};
}

core::Status checkAccounts(data::DataSet& ds, const ProcedureSpec& spec, const Options& o) {
    std::optional<data::TypedTable<data::HsPlan>> plan;
    for (const auto& p : spec.params) {
        if (p.kind != ParamKind::Account || !p.mustExist || !o.has(p.name)) continue;
        const std::string code = core::text::trim(o.get(p.name));
        if (code.empty()) continue;
        if (!plan) {
            auto t = ds.open<data::HsPlan>();
            if (!t) return t.error();
            plan.emplace(std::move(*t));
        }
        data::HsPlan key;
        key.HESAPKODU = code;
        auto r = plan->get("HSP:KeyHesap", key);
        if (!r) {
            if (data::isMissing(r.error()))
                return core::Error::badInput("--" + p.name + " hesap planında yok: \"" + code +
                                             "\"");
            return r.error();
        }
        if (p.detailOnly && core::text::trim(r->NTLK) != "M")
            return core::Error::badInput("--" + p.name + " bir muavin hesap olmalı: \"" + code +
                                         "\"");
    }
    return {};
}

std::string helpText(const std::string& commandName, const ProcedureSpec& spec) {
    std::string s = "kullanım: hesapkar-cli " + commandName + " " + spec.usage + "\n";
    if (!spec.help.empty()) s += "\n" + spec.help + "\n";
    const std::vector<Param> ps = allParams(spec);
    if (!ps.empty() || !spec.flags.empty() || !spec.switches.empty()) s += "\nseçenekler:\n";
    for (const auto& p : ps) {
        std::string head = "  --" + p.name;
        const std::string k = kindWord(p);
        if (!k.empty()) head += " " + k;
        std::string line = head;
        const std::size_t width = core::text::length(head);
        line += std::string(width < 28 ? 28 - width : 1, ' ') + p.meaning;
        if (!p.defaultValue.empty()) line += " (varsayılan: " + p.defaultValue + ")";
        if (p.required) line += " [gerekli]";
        s += line + "\n";
    }
    for (const auto& f : spec.flags)
        if (std::none_of(ps.begin(), ps.end(), [&](const Param& p) { return p.name == f; }))
            s += "  --" + f + " DEĞER\n";
    for (const auto& f : spec.switches)
        if (std::none_of(ps.begin(), ps.end(), [&](const Param& p) { return p.name == f; }))
            s += "  --" + f + "\n";
    s += "  --yes                       soruları evet ile yanıtla\n";
    return s;
}

} // namespace hk::app
