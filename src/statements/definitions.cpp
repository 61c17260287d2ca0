#include "statements/definitions.h"

#include "core/text.h"
#include "data/errors.h"
#include "statements/json.h"

#include <algorithm>
#include <set>

namespace hk::statements {

namespace {

using data::FieldType;

bool holdsText(FieldType t) {
    return t == FieldType::STRING || t == FieldType::CSTRING || t == FieldType::DATE || t == FieldType::TIME;
}

bool skipped(std::string_view name, std::initializer_list<const char*> skip) {
    return std::any_of(skip.begin(), skip.end(), [&](const char* s) { return name == s; });
}

Json fieldValue(const data::Record& rec, std::uint32_t f, std::uint32_t element) {
    const data::FieldDef& fd = rec.def().fields[f];
    if (holdsText(fd.type)) {
        auto t = rec.textAt(f, element);
        return Json::string(t ? *t : std::string());
    }
    auto n = rec.numberAt(f, element);
    return Json::num(n ? *n : 0);
}

Json recordToJson(const data::Record& rec, std::initializer_list<const char*> skip) {
    Json o = Json::object();
    const auto& fields = rec.def().fields;
    for (std::uint32_t f = 0; f < fields.size(); ++f) {
        const data::FieldDef& fd = fields[f];
        if (fd.type == FieldType::GROUP || skipped(fd.name, skip)) continue;
        if (!fd.isArray()) {
            o.add(fd.name, fieldValue(rec, f, 1));
            continue;
        }
        Json a = Json::array();
        for (std::uint32_t e = 1; e <= fd.count; ++e) a.items.push_back(fieldValue(rec, f, e));
        o.add(fd.name, std::move(a));
    }
    return o;
}

core::Status setField(data::Record& rec, std::uint32_t f, std::uint32_t element, const Json& v,
                      const std::string& where) {
    const data::FieldDef& fd = rec.def().fields[f];
    core::Status st;
    if (v.type == Json::Type::String) st = rec.setTextAt(f, v.text, element);
    else if (v.type == Json::Type::Number) st = rec.setNumberAt(f, v.number, element);
    else return core::Error::badInput(where + ": " + fd.name + " must be a text or a number");
    if (!st) return core::Error::badInput(where + ": " + fd.name + ": " + st.error().text);
    return {};
}

// Fills rec from a JSON object; `children` names the member holding the child records (read by
// the caller), `skip` the link fields that come from the parent.
core::Status jsonToRecord(const Json& o, data::Record& rec, const char* children,
                          std::initializer_list<const char*> skip, const std::string& where) {
    if (o.type != Json::Type::Object) return core::Error::badInput(where + ": an object expected");
    rec.clear();
    for (const auto& [name, v] : o.members) {
        if (children && name == children) continue;
        const auto f = rec.def().field(name);
        if (!f || rec.def().fields[*f].type == FieldType::GROUP || skipped(name, skip))
            return core::Error::badInput(where + ": unknown field " + name);
        const data::FieldDef& fd = rec.def().fields[*f];
        if (!fd.isArray()) {
            if (auto st = setField(rec, *f, 1, v, where); !st) return st;
            continue;
        }
        if (v.type != Json::Type::Array || v.items.size() > fd.count)
            return core::Error::badInput(where + ": " + name + " must be a list of at most " +
                                         std::to_string(fd.count) + " values");
        for (std::uint32_t e = 0; e < v.items.size(); ++e)
            if (auto st = setField(rec, *f, e + 1, v.items[e], where); !st) return st;
    }
    return {};
}

std::string trimmed(const std::string& s) {
    return core::text::trim(s);
}

template <typename T> core::Result<std::vector<T>> readAll(data::DataSet& ds, const char* key) {
    auto t = ds.open<T>(true);
    if (!t) return t.error();
    std::vector<T> out;
    if (auto st = t->set(key); !st) return st.error();
    for (;;) {
        auto r = t->next();
        if (!r) {
            if (data::is(r.error(), data::ErrorCode::NoRecord)) break;
            return r.error();
        }
        out.push_back(std::move(*r));
    }
    return out;
}

std::string reportName(const data::Rapor& r) {
    return "Rapor " + trimmed(r.RAPKOD) + "/" + std::to_string(r.RAPNO);
}
std::string statementName(const data::Tablo& t) {
    return "Tablo " + std::to_string(t.RAPNO);
}

bool oneOf(const std::string& v, std::initializer_list<const char*> allowed) {
    return std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return v == a; });
}

} // namespace

core::Result<Definitions> readDefinitions(data::DataSet& ds) {
    auto heads = readAll<data::Rapor>(ds, "RAP:RapKodKey");
    if (!heads) return heads.error();
    auto cols = readAll<data::DRapor>(ds, "DRP:RapNoKey");
    if (!cols) return cols.error();
    auto tabs = readAll<data::Tablo>(ds, "BRAP:RapKodKey");
    if (!tabs) return tabs.error();
    auto lines = readAll<data::DTablo>(ds, "BDRP:RapNoKey");
    if (!lines) return lines.error();
    Definitions d;
    for (auto& h : *heads) {
        ReportDefinition r{h, {}};
        const std::string kind = trimmed(h.RAPKOD), no = std::to_string(h.RAPNO);
        for (const auto& c : *cols)
            if (trimmed(c.RAPKOD) == kind && trimmed(c.RAPNO) == no) r.columns.push_back(c);
        d.reports.push_back(std::move(r));
    }
    for (auto& h : *tabs) {
        StatementDefinition s{h, {}};
        const std::string no = std::to_string(h.RAPNO);
        for (const auto& l : *lines)
            if (trimmed(l.RAPNO) == no) s.lines.push_back(l);
        d.statements.push_back(std::move(s));
    }
    return d;
}

std::string toJson(const Definitions& defs) {
    Json root = Json::object();
    root.add("hesapkar", Json::string("definitions"));
    root.add("version", Json::num(1));
    Json& reports = root.add("Rapor", Json::array());
    for (const auto& r : defs.reports) {
        Json o = recordToJson(data::toRecord(r.header).value(), {});
        Json& cols = o.add("DRapor", Json::array());
        for (const auto& c : r.columns) cols.items.push_back(recordToJson(data::toRecord(c).value(), {"RAPKOD", "RAPNO"}));
        reports.items.push_back(std::move(o));
    }
    Json& tables = root.add("Tablo", Json::array());
    for (const auto& s : defs.statements) {
        Json o = recordToJson(data::toRecord(s.header).value(), {});
        Json& lines = o.add("DTablo", Json::array());
        for (const auto& l : s.lines) lines.items.push_back(recordToJson(data::toRecord(l).value(), {"RAPNO"}));
        tables.items.push_back(std::move(o));
    }
    return writeJson(root);
}

core::Result<Definitions> fromJson(std::string_view text) {
    if (text.size() > kMaxDefinitionFile) return core::Error::badInput("definition file too large");
    auto root = parseJson(text);
    if (!root) return root.error();
    const Json* tag = root->find("hesapkar");
    const Json* version = root->find("version");
    if (root->type != Json::Type::Object || !tag || tag->text != "definitions")
        return core::Error::badInput("not a definition file (\"hesapkar\": \"definitions\" missing)");
    if (!version || version->type != Json::Type::Number || version->number != 1)
        return core::Error::badInput("definition file version not supported (1 expected)");
    for (const auto& [name, v] : root->members)
        if (name != "hesapkar" && name != "version" && name != "Rapor" && name != "Tablo")
            return core::Error::badInput("unknown member " + name);
    Definitions d;
    const auto list = [&](const char* name) -> const Json* {
        const Json* l = root->find(name);
        return l && l->type == Json::Type::Array ? l : nullptr;
    };
    if (root->find("Rapor") && !list("Rapor")) return core::Error::badInput("Rapor must be a list");
    if (root->find("Tablo") && !list("Tablo")) return core::Error::badInput("Tablo must be a list");
    if (const Json* reports = list("Rapor")) {
        for (std::size_t i = 0; i < reports->items.size(); ++i) {
            const Json& o = reports->items[i];
            data::Record rec(data::Layout::Rapor);
            const std::string where = "Rapor #" + std::to_string(i + 1);
            if (auto st = jsonToRecord(o, rec, "DRapor", {}, where); !st) return st.error();
            ReportDefinition r{data::fromRecord<data::Rapor>(rec), {}};
            const Json* cols = o.find("DRapor");
            if (cols && cols->type != Json::Type::Array) return core::Error::badInput(where + ": DRapor must be a list");
            for (std::size_t k = 0; cols && k < cols->items.size(); ++k) {
                data::Record c(data::Layout::DRapor);
                const std::string w = reportName(r.header) + " column #" + std::to_string(k + 1);
                if (auto st = jsonToRecord(cols->items[k], c, nullptr, {"RAPKOD", "RAPNO"}, w); !st) return st.error();
                data::DRapor col = data::fromRecord<data::DRapor>(c);
                col.RAPKOD = r.header.RAPKOD;
                col.RAPNO = std::to_string(r.header.RAPNO);
                r.columns.push_back(std::move(col));
            }
            d.reports.push_back(std::move(r));
        }
    }
    if (const Json* tables = list("Tablo")) {
        for (std::size_t i = 0; i < tables->items.size(); ++i) {
            const Json& o = tables->items[i];
            data::Record rec(data::Layout::Tablo);
            const std::string where = "Tablo #" + std::to_string(i + 1);
            if (auto st = jsonToRecord(o, rec, "DTablo", {}, where); !st) return st.error();
            StatementDefinition s{data::fromRecord<data::Tablo>(rec), {}};
            const Json* lines = o.find("DTablo");
            if (lines && lines->type != Json::Type::Array) return core::Error::badInput(where + ": DTablo must be a list");
            for (std::size_t k = 0; lines && k < lines->items.size(); ++k) {
                data::Record l(data::Layout::DTablo);
                const std::string w = statementName(s.header) + " line #" + std::to_string(k + 1);
                if (auto st = jsonToRecord(lines->items[k], l, nullptr, {"RAPNO"}, w); !st) return st.error();
                data::DTablo line = data::fromRecord<data::DTablo>(l);
                line.RAPNO = std::to_string(s.header.RAPNO);
                s.lines.push_back(std::move(line));
            }
            d.statements.push_back(std::move(s));
        }
    }
    return d;
}

core::Status checkDefinitions(Definitions& defs, std::string* shownMessage) {
    const auto shown = [&](const char* message, const std::string& detail) {
        if (shownMessage) *shownMessage = message;
        return core::Error::refused(detail + ": " + message);
    };
    std::set<std::pair<std::string, int>> reportNumbers;
    for (auto& r : defs.reports) {
        const std::string name = reportName(r.header);
        const std::string kind = trimmed(r.header.RAPKOD);
        if (!oneOf(kind, {"1", "2"})) return core::Error::badInput(name + ": report kind must be 1 or 2");
        if (r.header.RAPNO <= 0) return core::Error::badInput(name + ": report number must be above 0");
        if (!reportNumbers.insert({kind, r.header.RAPNO}).second) return shown(kReportNumberUsed, name);
        std::set<int> columns;
        for (auto& c : r.columns) {
            const std::string where = name + " column " + std::to_string(c.SIRANO);
            if (c.SIRANO <= 0) return core::Error::badInput(where + ": column number must be above 0");
            if (!columns.insert(c.SIRANO).second) return core::Error::badInput(where + ": column number used twice");
            if (!oneOf(trimmed(c.NTLK), {"S", "D", "F"})) return core::Error::badInput(where + ": kind (NTLK) must be S, D or F");
            if (!oneOf(trimmed(c.YAZ), {"E", "H", ""})) return core::Error::badInput(where + ": YAZ must be E or H");
            if (!oneOf(trimmed(c.TOPLA), {"E", "H", ""})) return core::Error::badInput(where + ": TOPLA must be E or H");
            if (c.UZUNLUK < 0) return core::Error::badInput(where + ": width below 0");
        }
        std::sort(r.columns.begin(), r.columns.end(), [](const auto& a, const auto& b) { return a.SIRANO < b.SIRANO; });
    }
    std::set<int> statementNumbers;
    for (auto& s : defs.statements) {
        const std::string name = statementName(s.header);
        const std::string type = trimmed(s.header.RAPORTIPI);
        if (s.header.RAPNO <= 0) return core::Error::badInput(name + ": statement number must be above 0");
        if (type.empty()) return shown(kReportTypeBlank, name);
        if (!oneOf(type, {"B", "G"})) return core::Error::badInput(name + ": statement type must be B or G");
        if (!statementNumbers.insert(s.header.RAPNO).second) return shown(kStatementNumberUsed, name);
        std::set<std::pair<int, std::string>> lines;
        for (auto& l : s.lines) {
            const std::string side = trimmed(l.AKTIFPASIF);
            const std::string where = name + " line " + std::to_string(l.SIRANO) + side;
            if (l.SIRANO <= 0) return core::Error::badInput(where + ": line number must be above 0");
            if (!oneOf(side, {"A", "P"})) return core::Error::badInput(where + ": side must be A or P");
            if (type == "G" && side == "P") return core::Error::badInput(where + ": an income statement has no liabilities side");
            if (!lines.insert({l.SIRANO, side}).second) return core::Error::badInput(where + ": line number used twice on that side");
            if (!oneOf(trimmed(l.NITELIK), {"D", "F", ""})) return core::Error::badInput(where + ": kind (NITELIK) must be D or F");
            if (!oneOf(trimmed(l.YAZILSINMI), {"E", "H", ""})) return core::Error::badInput(where + ": YAZILSINMI must be E or H");
            if (l.BOSLUK < 0) return core::Error::badInput(where + ": margin below 0");
            if (l.BOSLUK > 3) l.BOSLUK = 3; // as the line editor sets it
        }
    }
    return {};
}

core::Status importDefinitions(data::DataSet& ds, app::Ui& ui, Definitions defs) {
    std::string message;
    if (auto st = checkDefinitions(defs, &message); !st) {
        if (!message.empty()) ui.message(message, kWarningCaption, app::Icon::Warning, "&Tamam", 1);
        return st;
    }
    auto rapor = ds.open<data::Rapor>(true);
    if (!rapor) return rapor.error();
    auto drapor = ds.open<data::DRapor>(true);
    if (!drapor) return drapor.error();
    auto tablo = ds.open<data::Tablo>(true);
    if (!tablo) return tablo.error();
    auto dtablo = ds.open<data::DTablo>(true);
    if (!dtablo) return dtablo.error();
    // A number already used in this company is refused as the editors refuse it.
    for (const auto& r : defs.reports) {
        auto found = rapor->get("RAP:RapKodKey", r.header);
        if (found) {
            ui.message(kReportNumberUsed, kWarningCaption, app::Icon::Warning, "&Tamam", 1);
            return core::Error::refused(reportName(r.header) + " already exists; nothing imported");
        }
        if (!data::is(found.error(), data::ErrorCode::NotFound)) return found.error();
    }
    for (const auto& s : defs.statements) {
        auto found = tablo->get("BRAP:RapKodKey", s.header);
        if (found) {
            ui.message(kStatementNumberUsed, kWarningCaption, app::Icon::Warning, "&Tamam", 1);
            return core::Error::refused(statementName(s.header) + " already exists; nothing imported");
        }
        if (!data::is(found.error(), data::ErrorCode::NotFound)) return found.error();
    }
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started().error();
    std::size_t columns = 0, lines = 0;
    for (const auto& r : defs.reports) {
        if (auto st = rapor->add(r.header); !st) return st;
        for (const auto& c : r.columns) {
            if (auto st = drapor->add(c); !st) return st;
            ++columns;
        }
    }
    for (const auto& s : defs.statements) {
        if (auto st = tablo->add(s.header); !st) return st;
        for (const auto& l : s.lines) {
            if (auto st = dtablo->add(l); !st) return st;
            ++lines;
        }
    }
    if (auto st = tx.commit(); !st) return st;
    ui.tell(std::to_string(defs.reports.size()) + " rapor tanımı (" + std::to_string(columns) + " sütun), " +
            std::to_string(defs.statements.size()) + " tablo tanımı (" + std::to_string(lines) + " satır) alındı.");
    return {};
}

} // namespace hk::statements
