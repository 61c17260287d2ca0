// Voucher form benchmark: opening FHkFisBas offscreen on a stored voucher of many lines (the
// lines read, copied into the work file, read back and shown). Usage:
// hk_voucher_form_bench [lines] [runs] (default 500 lines, best of 7). Wall and CPU time.
#include "app/rights.h"
#include "app/session.h"
#include "data/dataset.h"
#include "ui/vouchers/voucher_form.h"
#include "vouchers/voucher.h"
#include "vouchers/worklines.h"

#include <QApplication>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

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

double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 500;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "hk_voucher_form_bench";
    fs::remove_all(dir);
    fs::create_directories(dir);

    auto ds = hk::data::DataSet::open(hk::data::Locations::resolve(dir.string(), dir));
    if (!ds) {
        std::fprintf(stderr, "%s\n", ds.error().text.c_str());
        return 1;
    }
    hk::app::Session session(dir / "Hesapkar.INI");
    session.VeriYolu = dir.string();
    session.AktifKullanici = "BENCH";
    hk::data::Yasal y;
    y.MALIDONEMBAS = {1, 1, 2026};
    y.MALIDONEMSON = {31, 12, 2026};
    y.FISNUMARALAMADUZENI = "B";
    y.FISNOSIRASI = "A";
    {
        auto t = ds->open<hk::data::Yasal>();
        if (!t || !t->add(y)) return 1;
        auto p = ds->open<hk::data::HsPlan>();
        for (const char* code : {"120", "120 01", "600", "600 01"}) {
            hk::data::HsPlan h;
            h.HESAPKODU = code;
            h.NTLK = std::string(code).size() > 3 ? "M" : "K";
            h.HESAPAD1 = std::string("Hesap ") + code;
            if (!p || !p->add(h)) return 1;
        }
    }
    session.setCompany(y);
    if (!session.setCalisilanAy(3)) return 1;
    QuietUi ui;
    hk::vouchers::Draft d = hk::vouchers::newDraft(session);
    d.header.FISTRH = {10, 3, 2026};
    for (int i = 0; i < count; ++i) {
        hk::data::FisDet l;
        l.HESAPKODU = i % 2 == 0 ? "120 01" : "600 01";
        l.FISACK = "Satır " + std::to_string(i + 1);
        (i % 2 == 0 ? l.TLBORC : l.TLALACAK) = 100.0 + (i / 2);
        l.BORCALACAK = i % 2 == 0 ? "B" : "A";
        hk::vouchers::insertLine(d.lines, l, i);
    }
    hk::vouchers::Env env{session, ui, *ds};
    auto key = hk::vouchers::save(env, d, {});
    if (!key) {
        std::fprintf(stderr, "save: %s\n", key.error().text.c_str());
        return 1;
    }
    hk::app::RightsService rights("BENCH", true, {});
    hk::ui::EntryMemory memory;
    hk::ui::VoucherFormContext ctx;
    ctx.data = &*ds;
    ctx.session = &session;
    ctx.ui = &ui;
    ctx.rights = &rights;
    ctx.memory = &memory;

    double bestWall = 1e30, bestCpu = 1e30;
    std::size_t shown = 0;
    for (int r = 0; r < runs; ++r) {
        const double c0 = cpuMs();
        const auto t0 = std::chrono::steady_clock::now();
        hk::ui::FHkFisBas form(ctx, *key);
        form.show();
        QApplication::processEvents();
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        const double cpu = cpuMs() - c0;
        shown = form.lines().size();
        bestWall = std::min(bestWall, wall);
        bestCpu = std::min(bestCpu, cpu);
        form.hide();
    }
    std::printf("voucher form on %zu lines: best of %d  %.1f ms wall  %.1f ms CPU\n", shown, runs,
                bestWall, bestCpu);
    fs::remove_all(dir);
    return shown == static_cast<std::size_t>(count) ? 0 : 1;
}
