// Throughput of the keyed-record engine on a synthetic company, each measured operation inside
// one transaction: FisDet inserts (both keys), HsPlan updates by primary key (get + put),
// ordered FisDet scans, and the same scan through the memory engine. Prints records per second
// and the peak resident memory.
//
//     hk_data_bench [vouchers] [folder]

#include "data/database.h"
#include "data/table.h"
#include "generator.h"

#include <sys/resource.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define HK_PHASE_DONE(what) CALLGRIND_DUMP_STATS_AT(what)
#else
#define HK_PHASE_DONE(what) ((void)(what))
#endif

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

using namespace hk;
using Clock = std::chrono::steady_clock;

namespace {

// Time is process CPU time: the machine is shared, and wall time says more about the neighbours
// than about the engine. Wall time is printed beside it.
struct Stamp {
    Clock::time_point wall;
    double cpu;
};
double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
Stamp now() { return {Clock::now(), cpuNow()}; }

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Under callgrind every phase ends with a dump of its own, so instruction counts per operation
// can be compared (valgrind --tool=callgrind hk_data_bench 2000; callgrind_annotate per dump);
// outside valgrind the request costs nothing.
void report(const char* what, std::size_t n, const Stamp& from) {
    HK_PHASE_DONE(what);
    const Stamp to = now();
    const double cpu = to.cpu - from.cpu;
    const double wall = std::chrono::duration<double>(to.wall - from.wall).count();
    std::printf("%-40s %8zu rec  cpu %7.3f s %10.0f rec/s  (wall %7.3f s)  peak %ld MB\n", what, n, cpu,
                static_cast<double>(n) / cpu, wall, peakKb() / 1024);
}

[[noreturn]] void die(const char* what, const core::Error& e) {
    std::fprintf(stderr, "%s: %s (%s)\n", what, e.describe().c_str(), e.file.c_str());
    std::exit(1);
}

template <typename T> T must(core::Result<T> r, const char* what) {
    if (!r.ok()) die(what, r.error());
    return std::move(r).value();
}
void must(const core::Status& s, const char* what) {
    if (!s.ok()) die(what, s.error());
}

} // namespace

int main(int argc, char** argv) {
    bench::CompanySize size;
    if (argc > 1) size.vouchers = std::atoi(argv[1]);
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "hk_data_bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    auto t0 = now();
    const bench::Company co = bench::generate(size);
    report("generate company (lines)", co.lines.size(), t0);

    data::Database db = must(data::Database::open(folder / "Hesapkar.db"), "open");
    data::TypedTable<data::HsPlan> plan(must(db.table(data::fileDef(data::Layout::HsPlan)), "HsPlan"));
    data::TypedTable<data::FisDet> det(must(db.table(data::fileDef(data::Layout::FisDet)), "FisDet"));

    {
        t0 = now();
        data::Transaction tx(db);
        for (const auto& a : co.accounts) must(plan.add(a), "add account");
        must(tx.commit(), "commit");
        report("HsPlan inserts", co.accounts.size(), t0);
    }
    {
        t0 = now();
        data::Transaction tx(db);
        for (const auto& l : co.lines) must(det.add(l), "add line");
        must(tx.commit(), "commit");
        report("FisDet inserts (2 keys)", co.lines.size(), t0);
    }
    {
        const std::size_t n = std::min<std::size_t>(co.lines.size(), 400000);
        t0 = now();
        data::Transaction tx(db);
        data::Table& t = plan.table();
        for (std::size_t i = 0; i < n; ++i) {
            t.clear();
            must(t.buffer().setText("HESAPKODU", co.lines[i].HESAPKODU), "key");
            must(t.get("KeyHesap"), "get account");
        }
        must(tx.commit(), "commit");
        report("HsPlan gets by key (generic record)", n, t0);
    }
    {
        // Posting: every line's amount into its account's month, by primary key.
        const std::size_t n = std::min<std::size_t>(co.lines.size(), 400000);
        t0 = now();
        data::Transaction tx(db);
        data::HsPlan key;
        for (std::size_t i = 0; i < n; ++i) {
            const auto& l = co.lines[i];
            key.HESAPKODU = l.HESAPKODU;
            auto h = must(plan.get("KeyHesap", key), "get account");
            data::month(h.TLBORC, l.FISTRH.month) += l.TLBORC;
            data::month(h.TLALACAK, l.FISTRH.month) += l.TLALACAK;
            must(plan.put(h), "put account");
        }
        must(tx.commit(), "commit");
        report("HsPlan updates by key (get + put)", n, t0);
    }
    for (const char* key : {"KeyFisDet", "KeyFisSiraNo"}) {
        t0 = now();
        data::Transaction tx(db);
        data::Table& t = det.table();
        must(t.set(key, data::Seek::First), "set");
        std::size_t n = 0;
        double sum = 0;
        while (t.next().ok()) {
            sum += t.buffer().slot(4).real;
            ++n;
        }
        must(tx.commit(), "commit");
        if (n != co.lines.size()) std::fprintf(stderr, "scan saw %zu of %zu\n", n, co.lines.size());
        const std::string what = std::string("FisDet ordered scan ") + key;
        report(what.c_str(), n, t0);
        std::printf("  (debit total %.2f)\n", sum);
    }
    {
        t0 = now();
        data::Transaction tx(db);
        std::size_t n = 0;
        must(det.set("KeyFisSiraNo"), "set");
        while (det.next().ok()) ++n;
        must(tx.commit(), "commit");
        report("FisDet ordered scan, typed records", n, t0);
    }
    {
        data::TypedTable<data::FisDet> work(data::Table::memory(data::fileDef(data::Layout::Tmp), "Hk1.Tmp"));
        const std::size_t n = std::min<std::size_t>(co.lines.size(), 200000);
        t0 = now();
        for (std::size_t i = 0; i < n; ++i) must(work.add(co.lines[i]), "memory add");
        report("memory work file inserts", n, t0);
        t0 = now();
        must(work.set("KeyFisDet"), "set");
        std::size_t m = 0;
        while (work.table().next().ok()) ++m;
        report("memory work file ordered scan", m, t0);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
