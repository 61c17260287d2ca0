// The trial balance and the subsidiary ledger on a synthetic company: the books are written
// into a data folder (one transaction) and the totals rebuilt from the vouchers, then each report
// runs with the standard TL definition into a sink that discards its lines (printed routes) or
// into a text file. Prints CPU and wall time per run and the peak resident memory.
//
//     hk_reports_bench [vouchers] [folder] [--reuse] [--only tb|dates|one|all] [--repeat N]
//                      [--from CODE --to CODE] [--months A-B] [--reads index|pass]
//
// 10 lines a voucher, default 100000 vouchers. --reuse runs the reports on a folder an earlier
// run of the same size wrote (writing a million lines takes minutes on a loaded machine, and two
// builds compare best on the very same file); --only runs one report (for a profiler); --repeat
// runs each report N times, each timed on its own. --from/--to narrow the "every account" run to
// a range of accounts, --months to a period (fiscal months A to B), and --reads makes it read the lines one way (through the account index
// or in one pass) instead of the way the run chooses, to see where the rule's line lies.

#include "app/testing/fake_ui.h"
#include "data/database.h"
#include "data/dataset.h"
#include "generator.h"
#include "measure.h"
#include "output/textfile.h"
#include "reports/run.h"
#include "vouchers/rebuild.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace hk;
using Clock = std::chrono::steady_clock;

namespace {

using bench::cpuNow;
using bench::must;
using bench::NullSink;
using bench::peakKb;
using bench::Timer;

} // namespace

int main(int argc, char** argv) {
    bench::CompanySize size;
    std::vector<std::string> positional;
    bool reuse = false;
    std::string only;
    int repeat = 1;
    std::string from, to, reads;
    int firstMonth = 1, lastMonth = 12;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--reuse")
            reuse = true;
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (a == "--from" && i + 1 < argc)
            from = argv[++i];
        else if (a == "--to" && i + 1 < argc)
            to = argv[++i];
        else if (a == "--reads" && i + 1 < argc)
            reads = argv[++i];
        else if (a == "--months" && i + 1 < argc &&
                 std::sscanf(argv[i + 1], "%d-%d", &firstMonth, &lastMonth) == 2)
            ++i;
        else
            positional.push_back(a);
    }
    size.vouchers = !positional.empty() ? std::atoi(positional[0].c_str()) : 100000;
    const std::filesystem::path dir =
        positional.size() > 1 ? std::filesystem::path(positional[1])
                              : std::filesystem::temp_directory_path() / "hk_reports_bench";
    const auto wanted = [&](const char* what) { return only.empty() || only == what; };
    if (!reuse) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    app::testing::FakeUi ui;
    auto ds = must(data::DataSet::open(data::Locations::resolve(dir.string(), dir)), "open");
    // Reusing a folder for the all-accounts or trial balance runs alone needs no books in memory.
    const bench::Company c =
        !reuse || wanted("one") ? bench::generate(size) : bench::Company{};
    const auto [busy, most] = bench::busiestAccount(c);
    if (reuse) {
        std::printf("reusing %s; busiest account %s with %ld lines\n", dir.string().c_str(),
                    busy.c_str(), most);
    } else {
        {
            Timer t("write the books (one transaction)");
            must(bench::writeBooks(ds, c), "write the books");
        }
        std::printf("%zu accounts, %zu vouchers, %zu lines; busiest account %s with %ld lines\n",
                    c.accounts.size(), c.headers.size(), c.lines.size(), busy.c_str(), most);
    }
    if (!reuse) {
        Timer t("rebuild of the totals (YMizanDuzelt)");
        must(vouchers::YMizanDuzelt(ds, ui, false), "rebuild");
    }
    reports::DefinitionChoice def;
    auto tb = [&](const char* what, reports::TrialBalanceRun run) {
        for (int i = 0; i < repeat; ++i) {
            NullSink sink;
            reports::Route r;
            r.sink = &sink;
            {
                Timer t(what);
                must(reports::runTrialBalance(ds, ui, def, run, r), what);
            }
            std::printf("    %ld lines\n", sink.lines);
        }
    };
    reports::TrialBalanceRun months;
    months.options.startMonth = 1;
    months.options.endMonth = 6;
    months.options.status = 'T';
    if (wanted("tb")) tb("trial balance, months 1-6", months);
    reports::TrialBalanceRun dates = months;
    dates.options.startMonth = dates.options.endMonth = 0;
    dates.options.startDate = core::Date{1, 3, 2024};
    dates.options.endDate = core::Date{30, 6, 2024};
    if (wanted("dates")) tb("trial balance, dates 01.03-30.06", dates);

    reports::LedgerOptions one;
    one.startMonth = 1;
    one.endMonth = 12;
    one.accountStart = one.accountEnd = busy;
    for (int i = 0; i < repeat && wanted("one"); ++i) {
        NullSink sink;
        reports::Route r;
        r.sink = &sink;
        {
            Timer t("subsidiary ledger, busiest account, months 1-12");
            must(reports::runLedger(ds, ui, def, one, r), "ledger one");
        }
        std::printf("    %ld lines\n", sink.lines);
    }
    reports::LedgerOptions all = one;
    all.accountStart = from;
    all.accountEnd = to;
    all.startMonth = firstMonth;
    all.endMonth = lastMonth;
    if (reads == "index")
        all.reads = reports::LedgerOptions::Reads::ByAccount;
    else if (reads == "pass")
        all.reads = reports::LedgerOptions::Reads::OnePass;
    if (!wanted("all")) return 0;
    for (int i = 0; i < repeat; ++i) {
        auto sink = must(output::TextFileSink::open(dir / "RMua000.Txt"), "text file");
        reports::Route r;
        r.sink = sink.get();
        r.textFile = true;
        Timer t("subsidiary ledger, every account, text file");
        must(reports::runLedger(ds, ui, def, all, r), "ledger all");
    }
    std::printf("text file: %ju bytes\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(dir / "RMua000.Txt")));
    return 0;
}
