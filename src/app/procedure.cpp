#include "app/procedure.h"

#include <algorithm>
#include <stdexcept>

namespace hk::app {

std::string Options::get(const std::string& name, const std::string& fallback) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
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

core::Result<Options> parseCommandLine(const std::vector<std::string>& words,
                                       const ProcedureSpec& spec) {
    auto listed = [](const std::vector<std::string>& list, const std::string& n) {
        return std::find(list.begin(), list.end(), n) != list.end();
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
        if (name == "yes" || listed(spec.switches, name)) {
            if (value) return core::Error::badInput("--" + name + " değer almaz");
            o.set(name, "1");
        } else if (listed(spec.flags, name)) {
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
    return o;
}

} // namespace hk::app
