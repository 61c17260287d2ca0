// hk_voucher_bench DIR: voucher entry timings on a data folder made by hk_voucher_gen (after the
// import): saving a 10-line voucher (sync included: every save is a durable commit) and opening
// a 500-line voucher for change. Prints the median and the worst of the runs.
#include "app/session.h"
#include "app/testing/fake_ui.h"
#include "data/dataset.h"
#include "vouchers/books.h"
#include "vouchers/voucher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace hk;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> t) {
    std::sort(t.begin(), t.end());
    std::printf("%-44s median %8.2f ms, worst %8.2f ms (%zu runs)\n", what, t[t.size() / 2],
                t.back(), t.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hk_voucher_bench DATADIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    auto ds = data::DataSet::open(data::Locations::resolve(dir.string(), dir.parent_path()));
    if (!ds) {
        std::fprintf(stderr, "%s\n", ds.error().text.c_str());
        return 1;
    }
    app::Session s(dir / "bench.INI");
    s.AktifKullanici = "BENCH";
    auto books = vouchers::Books::open(*ds);
    auto y = books->readCompany();
    s.setCompany(*y);
    (void)s.setCalisilanAy(6);
    app::testing::FakeUi ui;
    vouchers::Env env{s, ui, *ds};

    // Detail accounts to post on.
    std::vector<std::string> codes;
    if (!books->plan.set("HSP:KeyHesap")) return 1;
    while (auto h = books->plan.next())
        if (h->NTLK == "M" && codes.size() < 600) codes.push_back(h->HESAPKODU);

    auto draft = [&](int lines) {
        vouchers::Draft d = vouchers::newDraft(s);
        d.header.FISTRH = {15, 6, 2025};
        for (int i = 0; i < lines; ++i) {
            data::FisDet l;
            l.HESAPKODU = codes[static_cast<std::size_t>(i) % codes.size()];
            l.FISACK = "Bench";
            (i % 2 == 0 ? l.TLBORC : l.TLALACAK) = 100.25;
            vouchers::insertLine(d.lines, l, i);
        }
        return d;
    };

    std::vector<double> saves;
    for (int r = 0; r < 30; ++r) {
        auto d = draft(10);
        const auto t0 = Clock::now();
        auto k = vouchers::save(env, d, {});
        saves.push_back(ms(Clock::now() - t0));
        if (!k) {
            std::fprintf(stderr, "save: %s\n", k.error().text.c_str());
            return 1;
        }
    }
    report("save a 10-line voucher (2 durable commits)", saves);

    auto big = draft(500);
    auto key = vouchers::save(env, big, {});
    if (!key) return 1;
    std::vector<double> opens;
    for (int r = 0; r < 20; ++r) {
        const auto t0 = Clock::now();
        auto b = vouchers::Books::open(*ds);
        auto d = vouchers::openForChange(*b, *y, *key);
        opens.push_back(ms(Clock::now() - t0));
        if (!d || d->lines.size() != 500) return 1;
    }
    report("open a 500-line voucher for change", opens);
    return 0;
}
