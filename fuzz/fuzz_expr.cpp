// Report definitions are typed by users and travel between companies: the expression compiler and
// evaluator must refuse or evaluate any text without crashing, hanging or recursing without
// bound. The input is one expression; a few names of every variable type are bound, and the
// compiled expression is evaluated twice (the second run reuses the value stack).

#include "expr/expression.h"
#include "expr/rewrite.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hk;
    const std::string text(reinterpret_cast<const char*>(data), size);
    double amount = 1234.56;
    std::int32_t count = 7;
    std::string kind = "M";
    core::Date day{29, 2, 2016};
    expr::Bindings b;
    b.bind("A", &amount);
    b.bind("N", &count);
    b.bind("HSP:NTLK", &kind);
    b.bind("D", &day);

    auto e = expr::Expression::compile(text, b);
    if (e) {
        std::string first, second;
        const bool ok = e->evaluate(first);
        // A failure always carries its reason, a success never.
        if (ok == !e->lastError().empty()) std::abort();
        const bool again = e->evaluate(second);
        // GETINI, RANDOM, CLOCK, TODAY and MEMORY may legitimately differ between runs.
        if ((again != ok || first != second) && text.find_first_of("gGrRcCtTmM") == std::string::npos)
            std::abort();
    }
    (void)expr::rewriteStatementTokens(text, expr::StatementField::Saha);
    (void)expr::rewriteLineReferences(text, [](int n) -> std::optional<std::string> {
        if (n % 2) return std::nullopt;
        return n % 4 ? "-1.5" : "2";
    });
    return 0;
}
