// The general ledger and the cash book on a synthetic company with every voucher journalised.
// The books are written into a data folder (one transaction); every tenth voucher is made a
// tahsil or tediye voucher, and every voucher gets its journal number in date order. The reports
// are generated and written by a child process, and the reports then run in this one, so their
// peak memory is their own and not that of the generated books:
//
//   - the general ledger of the whole year to a raw printer file ("NPQ") and to a text file;
//   - the cash book of the busiest detail account for the year to a text file.
//
//     hk_ledger_book_bench [vouchers] [folder]     (10 lines a voucher; default 100000 vouchers)
//     hk_ledger_book_bench --run folder CASHACCOUNT (the second half alone)
//     hk_ledger_book_bench --sort folder            (KebirAyir alone, for a profiler)
//     hk_ledger_book_bench --cash folder CASHACCOUNT (the cash book alone, for a profiler)

#include "app/testing/fake_ui.h"
#include "data/database.h"
#include "data/dataset.h"
#include "generator.h"
#include "measure.h"
#include "output/raw.h"
#include "output/textfile.h"
#include "reports/cash_book.h"
#include "reports/general_ledger.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>

using namespace hk;
using Clock = std::chrono::steady_clock;

namespace {

using bench::cpuNow;
using bench::must;
using bench::NullSink;
using bench::peakKb;
using bench::Timer;

std::uintmax_t sizeOf(const std::filesystem::path& p) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(p, ec);
    return ec ? 0 : n;
}

// Writes the books; returns the busiest detail account.
std::string write(int vouchers, const std::filesystem::path& dir) {
    bench::CompanySize size;
    size.vouchers = vouchers;
    bench::Company c = bench::generate(size);
    // Every tenth voucher a tahsil or a tediye: its lines move the cash account by mirror image.
    for (std::size_t i = 0; i < c.headers.size(); ++i)
        if (i % 10 == 0) c.headers[i].FISTUR.assign(1, i % 20 == 0 ? 'A' : 'E');
    std::vector<std::size_t> order(c.headers.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& x = c.headers[a];
        const auto& y = c.headers[b];
        return x.FISTRH != y.FISTRH ? x.FISTRH < y.FISTRH : x.FISNO < y.FISNO;
    });
    for (std::size_t n = 0; n < order.size(); ++n)
        c.headers[order[n]].YEVMIYENO = static_cast<std::int32_t>(n + 1);

    auto ds = must(data::DataSet::open(data::Locations::resolve(dir.string(), dir)), "open");
    {
        Timer t("write the books (one transaction)");
        must(bench::writeBooks(ds, c), "write the books");
    }
    const auto [busy, most] = bench::busiestAccount(c);
    std::printf("%zu accounts, %zu vouchers, %zu lines, all journalised; cash account %s "
                "(%ld lines of its own)\n",
                c.accounts.size(), c.headers.size(), c.lines.size(), busy.c_str(), most);
    return busy;
}

// The cash book of `cash` for the year into a text file.
void timeCashBook(data::DataSet& ds, app::Ui& ui, const std::filesystem::path& dir,
                 const std::string& cash) {
    reports::CashBookOptions k;
    k.account = cash;
    k.startDate = core::Date{1, 1, 2024};
    k.endDate = core::Date{31, 12, 2024};
    k.reportDate = core::Date{31, 12, 2024};
    auto sink = must(output::TextFileSink::open(dir / "kasa.txt"), "text file");
    reports::Route route;
    route.sink = sink.get();
    route.textFile = true;
    Timer t("cash book, busiest account, whole year, text file");
    auto r = must(reports::runCashBook(ds, ui, k, route), "cash book");
    std::printf("    %ld movement lines, %ju bytes\n", r.lines, sizeOf(dir / "kasa.txt"));
}

int runReports(const std::filesystem::path& dir, const std::string& cash) {
    app::testing::FakeUi ui;
    auto ds = must(data::DataSet::open(data::Locations::resolve(dir.string(), dir)), "open");
    std::printf("reports in a process of their own (peak before: %ld kB)\n", peakKb());
    reports::GeneralLedgerOptions o;
    o.firstJournal = 1;
    o.storeState = false;
    {
        // The two stages apart: the work file, then the book into a sink that keeps nothing.
        auto work = reports::newGeneralLedgerWork();
        const std::size_t heapBefore = mallinfo2().uordblks;
        {
            Timer t("general ledger, whole year: KebirAyir (work file)");
            must(reports::KebirAyir(ds, ui, o, work), "KebirAyir");
        }
        // What the filled work file holds on the heap (KebirAyir's own lists are gone by now;
        // SQLite's page cache and mapped file are not counted).
        const double heap = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(heapBefore);
        const auto records = must(work.count(), "count");
        std::printf("    %lld work records, %.1f MB of heap for the work file (%.0f bytes a record)\n",
                    static_cast<long long>(records), heap / 1e6,
                    records ? heap / static_cast<double>(records) : 0.0);
        NullSink sink;
        Timer t("general ledger, whole year: KebirRaporu (no output)");
        must(reports::KebirRaporu(ds, ui, o, work, output::PrinterKind::Npq, sink), "KebirRaporu");
    }
    {
        auto target = must(output::openRawFile(dir / "kebir.prn"), "raw file");
        output::RawSink sink(std::move(target));
        Timer t("general ledger, whole year, raw (NPQ)");
        auto r = must(reports::runGeneralLedger(ds, ui, o, output::PrinterKind::Npq, sink),
                      "general ledger raw");
        std::printf("    %ld accounts, %ld lines, %d pages, %ju bytes\n", r->accounts, r->lines,
                    r->pages, sizeOf(dir / "kebir.prn"));
    }
    {
        auto sink = must(output::TextFileSink::open(dir / "kebir.txt"), "text file");
        Timer t("general ledger, whole year, text file");
        auto r = must(reports::runGeneralLedger(ds, ui, o, output::PrinterKind::Ordinary, *sink),
                      "general ledger text");
        std::printf("    %ld lines, %d pages, %ju bytes\n", r->lines, r->pages,
                    sizeOf(dir / "kebir.txt"));
    }
    timeCashBook(ds, ui, dir, cash);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--sort") {
        // The work file alone, for a profiler.
        app::testing::FakeUi ui;
        auto ds = must(data::DataSet::open(data::Locations::resolve(argv[2], argv[2])), "open");
        reports::GeneralLedgerOptions o;
        o.firstJournal = 1;
        auto work = reports::newGeneralLedgerWork();
        Timer t("KebirAyir");
        must(reports::KebirAyir(ds, ui, o, work), "KebirAyir");
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--run") return runReports(argv[2], argv[3]);
    if (argc == 4 && std::string(argv[1]) == "--cash") {
        // The cash book alone, for a profiler.
        app::testing::FakeUi ui;
        auto ds = must(data::DataSet::open(data::Locations::resolve(argv[2], argv[2])), "open");
        timeCashBook(ds, ui, argv[2], argv[3]);
        return 0;
    }
    const int vouchers = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::filesystem::path dir =
        argc > 2 ? std::filesystem::path(argv[2])
                 : std::filesystem::temp_directory_path() / "hk_ledger_book_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    // The books are generated and written by a child process: the generated books never count
    // against the reports' peak memory, which is then this process's own.
    const std::filesystem::path note = dir / "cash-account.txt";
    const pid_t child = fork();
    if (child == 0) {
        const std::string cash = write(vouchers, dir);
        std::fflush(stdout);
        std::FILE* f = std::fopen(note.c_str(), "w");
        if (!f) _exit(1);
        std::fputs(cash.c_str(), f);
        std::fclose(f);
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "writing the books failed\n");
        return 1;
    }
    std::string cash;
    if (std::FILE* f = std::fopen(note.c_str(), "r")) {
        char buf[64] = {};
        if (std::fgets(buf, sizeof buf, f)) cash = buf;
        std::fclose(f);
    }
    return runReports(dir, cash);
}
