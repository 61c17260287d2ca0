// Evaluations per second of compiled report expressions, one core: a column with three bound
// names, a record filter, and the same column through IfadeHesapla (compiled each time) to show
// what compiling once saves. The bound variables change per evaluation, as a report's records do.
//
// Rates are per second of this thread's CPU time (one core).
//
//     hk_expr_bench [evaluations]

#include "expr/expression.h"

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace hk;

namespace {

// CPU time of this thread, so that other work on a shared machine does not count against us.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename F> double perSecond(long n, F&& f) {
    const double t0 = cpuSeconds();
    for (long i = 0; i < n; ++i) f(i);
    return static_cast<double>(n) / (cpuSeconds() - t0);
}

} // namespace

int main(int argc, char** argv) {
    const long n = argc > 1 ? std::atol(argv[1]) : 5'000'000;
    double a = 0, b = 18, c = 0.5;
    std::string kind = "M";
    expr::Bindings binds;
    binds.bind("A", &a);
    binds.bind("B", &b);
    binds.bind("C", &c);
    binds.bind("HSP:NTLK", &kind);

    auto column = expr::Expression::compile("Round(A*B/100,0.01)+C", binds);
    auto filter = expr::Expression::compile("HSP:Ntlk='M' AND A>0", binds);
    if (!column || !filter) {
        std::fprintf(stderr, "compile failed\n");
        return 1;
    }
    volatile long sink = 0;
    expr::Number value;
    const double col = perSecond(n, [&](long i) {
        a = 1000.0 + static_cast<double>(i % 1000) * 0.01;
        if (column->evaluateNumber(value)) sink = sink + 1;
    });
    std::string text;
    const double colText = perSecond(n, [&](long i) {
        a = 1000.0 + static_cast<double>(i % 1000) * 0.01;
        if (column->evaluate(text)) sink = sink + static_cast<long>(text.size());
    });
    const double flt = perSecond(n, [&](long i) {
        a = static_cast<double>(i % 3) - 1;
        kind[0] = (i & 1) ? 'M' : 'K';
        if (filter->evaluateTruth() == expr::Truth::True) sink = sink + 1;
    });
    const long m = n / 20;
    const double once = perSecond(m, [&](long i) {
        a = 1000.0 + static_cast<double>(i % 1000) * 0.01;
        sink = sink + static_cast<long>(expr::IfadeHesapla("Round(A*B/100,0.01)+C", binds).size());
    });
    std::printf("column Round(A*B/100,0.01)+C, number result : %12.0f per second\n", col);
    std::printf("column Round(A*B/100,0.01)+C, text result   : %12.0f per second\n", colText);
    std::printf("filter HSP:Ntlk='M' AND A>0                 : %12.0f per second\n", flt);
    std::printf("IfadeHesapla (compile + evaluate each time) : %12.0f per second\n", once);
    return sink == -1 ? 1 : 0;
}
