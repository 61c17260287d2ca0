#pragma once
// What the report benchmarks share: the process's CPU time and peak memory, a timer that prints
// a named step with both beside its wall time, a page sink that only counts lines (a report's own
// cost without a renderer), and a stop on a failed step.

#include "core/result.h"
#include "output/page.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace hk::bench {

inline double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
inline long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Prints "what  cpu  wall  peak" when it goes out of scope.
struct Timer {
    const char* what;
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = cpuNow();
    ~Timer() {
        const double w =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        std::printf("%-52s cpu %9.1f ms   wall %9.1f ms   peak %ld kB\n", what,
                    (cpuNow() - cpu) * 1000, w * 1000, peakKb());
        std::fflush(stdout);
    }
};

// Counts lines and forgets them.
class NullSink final : public output::PageSink {
  public:
    long lines = 0;
    core::Status page(const output::Page& p) override {
        lines += static_cast<long>(p.lines.size());
        return {};
    }
    core::Status finish() override { return {}; }
    bool streamsLines() const override { return true; }
    core::Status line(const output::Line&) override {
        ++lines;
        return {};
    }
};

template <typename T> T must(core::Result<T> r, const char* what) {
    if (!r) {
        std::fprintf(stderr, "%s: %s\n", what, r.error().describe().c_str());
        std::exit(1);
    }
    return std::move(*r);
}
inline void must(core::Status s, const char* what) {
    if (!s) {
        std::fprintf(stderr, "%s: %s\n", what, s.error().describe().c_str());
        std::exit(1);
    }
}

} // namespace hk::bench
