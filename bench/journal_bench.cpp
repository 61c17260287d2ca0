// The journal of one busy month of a generated company: printed to a raw dot-matrix file and to
// a text file, then the e-ledger XML and the zipped CSV of the same month, each uncertified (the
// company stays as generated, so the runs are repeatable), and a certified XML last. Prints CPU
// and wall time and the peak memory of each run alone (the peak is reset between runs), which
// should be bounded by a page, not by the month.
//
//     hk_journal_bench [vouchers=100000] [folder]   (10 lines per voucher: 1,000,000 lines)

#include "app/ui.h"
#include "data/database.h"
#include "data/dataset.h"
#include "generator.h"
#include "journal/eledger.h"
#include "journal/report.h"
#include "output/raw.h"
#include "output/textfile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

using namespace hk;
using Clock = std::chrono::steady_clock;

namespace {

struct QuietUi final : app::Ui {
    int message(const std::string& text, const std::string& caption, app::Icon, const std::string&,
                int) override {
        if (caption != "İşlem Tamamlandı")
            std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return 1;
    }
    void progress(const std::string&, int) override {}
    void progressDone() override {}
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string&, const std::string&, bool) override { return {}; }
    int pick(const std::string&, const std::vector<std::string>&) override { return -1; }
};

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

// Resets the peak resident size to the current one, so each run's peak is its own.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

template <typename F> void measure(const char* what, F run) {
    resetPeak();
    const long before = statusKb("VmRSS:");
    const double c0 = cpuNow();
    const auto w0 = Clock::now();
    const std::string detail = run();
    const double cpu = cpuNow() - c0;
    const double wall = std::chrono::duration<double>(Clock::now() - w0).count();
    std::printf("%-34s cpu %6.2f s  wall %6.2f s  peak +%5ld MB  %s\n", what, cpu, wall,
                (statusKb("VmHWM:") - before) / 1024, detail.c_str());
    std::fflush(stdout);
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

void load(data::DataSet& ds, const bench::CompanySize& size) {
    const bench::Company co = bench::generate(size);
    data::Transaction tx(ds.data());
    auto plan = must(ds.open<data::HsPlan>(), "HsPlan");
    for (const auto& a : co.accounts)
        must(plan.add(a), "account");
    auto heads = must(ds.open<data::FisBas>(), "FisBas");
    for (const auto& h : co.headers)
        must(heads.add(h), "header");
    auto lines = must(ds.open<data::FisDet>(), "FisDet");
    for (const auto& l : co.lines)
        must(lines.add(l), "line");
    auto y = must(ds.open<data::Yasal>(), "Yasal");
    data::Yasal company;
    company.MALIDONEMBAS = core::Date{1, 1, 2024};
    company.MALIDONEMSON = core::Date{31, 12, 2024};
    company.SIRKETUNVANI1 = "Deneme Ticaret";
    company.VERGIDAIRESINO = "1234567890";
    must(y.add(company), "company");
    must(tx.commit(), "commit");
    std::printf("loaded %zu accounts, %zu vouchers, %zu lines\n", co.accounts.size(),
                co.headers.size(), co.lines.size());
}

} // namespace

int main(int argc, char** argv) {
    bench::CompanySize size;
    size.vouchers = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::filesystem::path folder =
        argc > 2 ? std::filesystem::path(argv[2])
                 : std::filesystem::temp_directory_path() /
                       ("hk_journal_bench_" + std::to_string(size.vouchers));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    auto ds = must(data::DataSet::open(data::Locations::resolve(folder.string(), folder)), "open");
    {
        const auto t0 = Clock::now();
        load(ds, size);
        std::printf("generated and stored in %.1f s\n",
                    std::chrono::duration<double>(Clock::now() - t0).count());
    }
    QuietUi ui;
    journal::RunOptions month1;
    month1.month = 1;

    measure("journal month 1 -> raw NPQ file", [&] {
        output::RawSink sink(must(output::openRawFile(folder / "journal.prn"), "raw"));
        auto r =
            must(journal::YevmiyeRaporu(ds, ui, month1, output::PrinterKind::Npq, sink), "run");
        return std::to_string(r.entries) + " entries, " + std::to_string(r.pages) + " pages";
    });
    measure("journal month 1 -> text file", [&] {
        auto sink = must(output::TextFileSink::open(folder / "journal.txt"), "text");
        auto r = must(journal::YevmiyeRaporu(ds, ui, month1, output::PrinterKind::Ordinary, *sink),
                      "run");
        return std::to_string(r.entries) + " entries, " + std::to_string(r.pages) + " pages";
    });
    journal::ExportOptions e;
    e.run = month1;
    e.recorder = "Deneme";
    e.branch = 1;
    e.folder = folder;
    measure("e-ledger XML month 1", [&] {
        auto r = must(journal::YevmiyeRaporuXML(ds, ui, e), "xml");
        return std::to_string(r.vouchers) + " vouchers, " +
               std::to_string(std::filesystem::file_size(r.file) >> 20) + " MB";
    });
    measure("e-ledger CSV month 1 (zipped)", [&] {
        auto r = must(journal::YevmiyeRaporuCSV(ds, ui, e), "csv");
        return std::to_string(r.vouchers) + " vouchers, " +
               std::to_string(std::filesystem::file_size(r.file) >> 20) + " MB zip";
    });
    {
        // Certified: every number and the state in one transaction after the file is complete.
        journal::ExportOptions c = e;
        c.run.certified = true;
        measure("e-ledger XML month 1, certified", [&] {
            auto r = must(journal::YevmiyeRaporuXML(ds, ui, c), "xml");
            return std::to_string(r.numbered) + " numbered";
        });
        // The printed journal stores each voucher with the state in a transaction of its own.
        journal::RunOptions month2 = month1;
        month2.month = 2;
        month2.certified = true;
        measure("journal month 2, certified -> raw", [&] {
            output::RawSink sink(must(output::openRawFile(folder / "journal2.prn"), "raw"));
            auto r =
                must(journal::YevmiyeRaporu(ds, ui, month2, output::PrinterKind::Npq, sink), "run");
            return std::to_string(r.entries) + " entries numbered";
        });
    }
    std::filesystem::remove_all(folder);
    return 0;
}
