// hesapkar-cli eval EXPR [--bind NAME=VALUE ...] [--type NAME=TYPE ...]: evaluates one expression
// of the report definitions, for trying an expression before it goes into a definition. Needs no
// data folder. The result goes to stdout; an empty result (the expression cannot be evaluated)
// exits with 1 and the reason on stderr.
#include "cli/commands.h"
#include "cli/options.h"
#include "core/numeric.h"
#include "core/picture.h"
#include "expr/expression.h"

#include <cstdio>
#include <deque>
#include <map>

namespace hk::cli {

const char* evalUsage() {
    return "EXPR [--bind NAME=VALUE ...] [--type NAME=int|decimal|real|date|text]: evaluates an "
           "expression of the report definitions with the given names bound (no data folder)";
}

namespace {

// Holds the bound values for as long as the expression is evaluated.
struct Store {
    std::deque<std::int64_t> ints;
    std::deque<expr::Number> numbers;
    std::deque<double> reals;
    std::deque<core::Date> dates;
    std::deque<std::string> texts;
};

bool splitPair(const std::string& s, std::string& name, std::string& value) {
    const auto eq = s.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    name = s.substr(0, eq);
    value = s.substr(eq + 1);
    return true;
}

// Binds one value under its type; an empty string on success, the reason otherwise. Without a
// type a plain decimal number is bound as a decimal, anything else as text.
std::string bindValue(expr::Bindings& b, Store& st, const std::string& name, const std::string& value,
                      std::string type) {
    expr::Number n;
    const bool isNumber = expr::Number::parse(value, n);
    if (type.empty()) type = isNumber ? "decimal" : "text";
    bool ok = true;
    if (type == "int") {
        std::int64_t v = 0;
        if (!isNumber || !n.isInteger() || !n.toInt64(v)) return "\"" + value + "\" is not a whole number (" + name + ")";
        st.ints.push_back(v);
        ok = b.bind(name, &st.ints.back());
    } else if (type == "decimal") {
        if (!isNumber) return "\"" + value + "\" is not a decimal number (" + name + ")";
        st.numbers.push_back(n);
        ok = b.bind(name, &st.numbers.back());
    } else if (type == "real") {
        auto d = core::numeric::parse(value);
        if (!d) return "\"" + value + "\" is not a number (" + name + ")";
        st.reals.push_back(*d);
        ok = b.bind(name, &st.reals.back());
    } else if (type == "date") {
        // dd.mm.yyyy, or a day number.
        core::Date d;
        std::int64_t day = 0;
        if (isNumber && n.isInteger() && n.toInt64(day) && day >= 0 && day <= core::kLastDayNumber) {
            d = core::Date::fromDayNumber(static_cast<std::int32_t>(day));
        } else {
            auto r = core::picture::deformatDate(value, "@d17");
            if (!r || !r->isValid()) return "\"" + value + "\" is not a date dd.mm.yyyy (" + name + ")";
            d = *r;
        }
        st.dates.push_back(d);
        ok = b.bind(name, &st.dates.back());
    } else if (type == "text") {
        st.texts.push_back(value);
        ok = b.bind(name, &st.texts.back());
    } else {
        return "unknown type \"" + type + "\" for " + name + " (int, decimal, real, date or text)";
    }
    if (!ok) return "\"" + name + "\" is not a valid name";
    return {};
}

} // namespace

int runEval(const Args& args) {
    std::vector<std::pair<std::string, std::string>> binds;
    std::map<std::string, std::string> types;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i], value;
        const bool isBind = a == "--bind" || a.rfind("--bind=", 0) == 0;
        const bool isType = a == "--type" || a.rfind("--type=", 0) == 0;
        if (!isBind && !isType) {
            if (a.size() > 2 && a.rfind("--", 0) == 0) return fail("eval", "unknown option " + a, 2);
            positional.push_back(a);
            continue;
        }
        const auto eq = a.find('=');
        if (eq != std::string::npos) value = a.substr(eq + 1);
        else if (i + 1 < args.size()) value = args[++i];
        else return fail("eval", a + " needs NAME=VALUE", 2);
        std::string name, v;
        if (!splitPair(value, name, v)) return fail("eval", a + " needs NAME=VALUE, not \"" + value + "\"", 2);
        if (isBind) binds.emplace_back(name, v);
        else types[expr::Bindings::key(name)] = v;
    }
    if (positional.size() != 1) return fail("eval", std::string("kullanım: eval ") + evalUsage(), 2);

    expr::Bindings b;
    Store st;
    for (const auto& [name, value] : binds) {
        auto t = types.find(expr::Bindings::key(name));
        const std::string why = bindValue(b, st, name, value, t == types.end() ? "" : t->second);
        if (!why.empty()) return fail("eval", why, 2);
        if (t != types.end()) types.erase(t);
    }
    if (!types.empty()) return fail("eval", "--type for a name that is not bound: " + types.begin()->first, 2);

    auto e = expr::Expression::compile(positional[0], b);
    if (!e) return fail("eval", "empty result: " + e.error().text);
    std::string result;
    if (!e->evaluate(result)) return fail("eval", "empty result: " + e->lastError());
    // The definitions read an empty text as "cannot be evaluated"; say so here as well.
    if (result.empty()) return fail("eval", "empty result: the expression gives an empty text");
    std::printf("%s\n", result.c_str());
    return 0;
}

} // namespace hk::cli
