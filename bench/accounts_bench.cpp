// Chart benchmark: importing a chart of about 20,000 accounts from CSV, and opening the chart
// list's first screen on it. Usage: hk_accounts_bench [details-per-group] (default 19: 100 main,
// 1,000 group and 19,000 detail accounts). Wall time of each step, best of three list openings.
#include "accounts/import.h"
#include "app/rights.h"
#include "app/session.h"
#include "data/dataset.h"
#include "generator.h"
#include "ui/accounts/accounts_windows.h"

#include <QApplication>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class QuietUi final : public hk::app::Ui {
  public:
    int message(const std::string& text, const std::string&, hk::app::Icon, const std::string&,
                int) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return 1;
    }
    void progress(const std::string&, int) override {}
    void progressDone() override {}
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string&, const std::string&, bool) override { return {}; }
    int pick(const std::string&, const std::vector<std::string>&) override { return -1; }
};

double since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// Process CPU time in ms: the machine is shared, so wall time alone says little.
double cpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    hk::bench::CompanySize size;
    size.mainAccounts = 100;
    size.groupsPerMain = 10;
    size.detailsPerGroup = argc > 1 ? std::atoi(argv[1]) : 19;
    size.vouchers = 0;
    size.rateDays = 0;
    const auto company = hk::bench::generate(size);

    const auto dir = std::filesystem::temp_directory_path() / "hk_accounts_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto csv = dir / "plan.csv";
    {
        std::ofstream out(csv, std::ios::binary);
        out << "code,name,attr\n";
        for (const auto& a : company.accounts)
            out << a.HESAPKODU << ",\"" << a.HESAPAD1 << "\"," << a.NTLK << "\n";
    }
    auto ds = hk::data::DataSet::open(hk::data::Locations::resolve(dir.string(), dir));
    if (!ds) {
        std::fprintf(stderr, "%s\n", ds.error().describe().c_str());
        return 1;
    }
    QuietUi ui;
    auto t0 = std::chrono::steady_clock::now();
    double c0 = cpuMs();
    auto counts = hk::accounts::importCsv(*ds, csv, ui);
    const double importMs = since(t0), importCpu = cpuMs() - c0;
    if (!counts) return 1;
    std::printf("import of %zu accounts from CSV: %.0f ms wall, %.0f ms CPU (%d added)\n",
                company.accounts.size(), importMs, importCpu, counts->added);

    hk::app::Session session((dir / "Hesapkar.INI").string());
    hk::app::RightsService rights("HESAPKAR", true, {});
    hk::accounts::CopyBuffer copy;
    hk::ui::AccountsContext ctx;
    ctx.data = &*ds;
    ctx.session = &session;
    ctx.ui = &ui;
    ctx.rights = &rights;
    ctx.copy = &copy;
    double best = 1e9, bestCpu = 1e9, scroll = 1e9;
    for (int i = 0; i < 3; ++i) {
        t0 = std::chrono::steady_clock::now();
        c0 = cpuMs();
        hk::ui::HsPlanList list(ctx, hk::ui::ChartListKind::Chart, false);
        list.resize(900, 600);
        list.show();
        QApplication::processEvents();
        best = std::min(best, since(t0));
        bestCpu = std::min(bestCpu, cpuMs() - c0);
        // the next page as the view scrolls past the first
        auto* m = list.panel()->model();
        t0 = std::chrono::steady_clock::now();
        if (m->canFetchMore({})) m->fetchMore({});
        scroll = std::min(scroll, since(t0));
    }
    std::printf("chart list first screen: %.1f ms wall, %.1f ms CPU; next page: %.1f ms\n", best,
                bestCpu, scroll);
    std::filesystem::remove_all(dir);
    return 0;
}
