// Voucher tools on a big company: the voucher list's first screen and totals of a month of
// 30,000 vouchers, renumbering that month, and the account transfer of a busy account.
//
//   hk_voucher_tools_bench [vouchers] [folder] [--reuse DIR] [--only list|renumber|transfer]
//
// The company holds `vouchers` vouchers of ten lines (default 100,000: a million lines); 30% of
// them lie in fiscal month 3, the rest spread over the year. Each step prints its wall time and
// the process's CPU time beside it (the machine may be shared).
//
// --reuse DIR: when DIR holds a company saved by an earlier run, it is copied into the folder
// instead of being written (writing a million lines takes minutes on a loaded machine); else the
// company is written and rebuilt as usual and saved into DIR before the steps change it. Two
// builds compare best on the very same file. --only runs one step (for a profiler).
#include "app/testing/fake_ui.h"
#include "data/database.h"
#include "data/dataset.h"
#include "vouchers/account_transfer.h"
#include "vouchers/books.h"
#include "vouchers/numbering.h"
#include "vouchers/rebuild.h"
#include "vouchers/renumber.h"
#include "vouchers/voucher_lists.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <ctime>

using namespace hk;
namespace fs = std::filesystem;

namespace {

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Start {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = cpuNow();
};

// "W ms (cpu C ms)" since `t`.
std::string since(const Start& t) {
    const double w =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t.wall)
            .count();
    char b[64];
    std::snprintf(b, sizeof b, "%.1f ms (cpu %.1f ms)", w, cpuNow() - t.cpu);
    return b;
}

// A chart of 20 detail accounts under 120 01 and 600 01, the busy one "120 01 001".
void fill(data::DataSet& ds, int vouchers) {
    auto b = vouchers::Books::open(ds);
    data::Transaction tx{*b->db};
    data::Yasal y;
    y.MALIDONEMBAS = {1, 1, 2026};
    y.MALIDONEMSON = {31, 12, 2026};
    y.FISNUMARALAMADUZENI = "B";
    y.FISNOSIRASI = "A";
    (void)b->company.add(y);
    auto account = [&](const std::string& code, const char* kind) {
        data::HsPlan h;
        h.HESAPKODU = code;
        h.NTLK = kind;
        h.HESAPAD1 = "Hesap " + code;
        (void)b->plan.add(h);
    };
    account("120", "K");
    account("120 01", "G");
    account("600", "K");
    account("600 01", "G");
    char code[32];
    for (int i = 1; i <= 20; ++i) {
        std::snprintf(code, sizeof code, "120 01 %03d", i);
        account(code, "M");
        std::snprintf(code, sizeof code, "600 01 %03d", i);
        account(code, "M");
    }
    std::mt19937 rng(2026);
    std::array<int, 13> counter{};
    for (int v = 0; v < vouchers; ++v) {
        const int m = v % 10 < 3 ? 3 : 1 + static_cast<int>(rng() % 12);
        const int no = ++counter[static_cast<std::size_t>(m)];
        data::FisBas h;
        h.FISTRH = core::Date::make(m, 1 + static_cast<int>(rng() % 28), 2026);
        h.FISNO = static_cast<std::int16_t>(no % 32000 + 1);
        h.KEYSTR = vouchers::composeKey(y, m, 0, 'M', no);
        h.FISTUR = "M";
        h.FISNTLK = "N";
        for (int k = 1; k <= 10; ++k) {
            data::FisDet l;
            l.KEYSTR = h.KEYSTR;
            l.FISSIRANO = static_cast<std::int16_t>(k);
            l.ACKNO = k * 100;
            const double amount = static_cast<double>(1 + rng() % 100000) / 100.0;
            if (k <= 5) {
                // One line in four on the busy account.
                std::snprintf(code, sizeof code, "120 01 %03d",
                              rng() % 4 == 0 ? 1 : 2 + static_cast<int>(rng() % 19));
                l.TLBORC = amount;
                l.BORCALACAK = "B";
                h.BTOPLAM += amount;
            } else {
                std::snprintf(code, sizeof code, "600 01 %03d", 1 + static_cast<int>(rng() % 20));
                l.TLALACAK = amount;
                l.BORCALACAK = "A";
                h.ATOPLAM += amount;
            }
            l.HESAPKODU = code;
            l.FISTRH = h.FISTRH;
            l.FISNO = h.FISNO;
            l.FISTUR = "M";
            l.FISNTLK = "N";
            (void)b->lines.add(l);
        }
        (void)b->heads.add(h);
    }
    (void)tx.commit();
}

// The marker of a complete saved company: written last, after the files are copied.
constexpr const char* kSaved = "saved.done";

data::DataSet openFolder(const fs::path& dir) {
    auto ds = data::DataSet::open(data::Locations::resolve(dir.string(), dir));
    if (!ds) {
        std::fprintf(stderr, "%s\n", ds.error().text.c_str());
        std::exit(1);
    }
    return std::move(*ds);
}

// A copy of a closed folder (no connection open on it, so no write-ahead log pending).
void copyFolder(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.path().filename() != kSaved)
            fs::copy(e.path(), to / e.path().filename(), fs::copy_options::recursive);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> plain;
    fs::path reuse;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--reuse" && i + 1 < argc)
            reuse = argv[++i];
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else
            plain.push_back(a);
    }
    auto wanted = [&](const char* step) { return only.empty() || only == step; };
    const int n = !plain.empty() ? std::atoi(plain[0].c_str()) : 100000;
    const fs::path dir =
        plain.size() > 1 ? fs::path(plain[1]) : fs::temp_directory_path() / "hk_voucher_tools_bench";
    app::testing::FakeUi ui;
    auto t = Start{};
    if (!reuse.empty() && fs::exists(reuse / kSaved)) {
        copyFolder(reuse, dir);
        std::printf("company: copied from %s in %s\n", reuse.c_str(), since(t).c_str());
    } else {
        fs::remove_all(dir);
        fs::create_directories(dir);
        {
            auto ds = openFolder(dir);
            fill(ds, n);
            std::printf("company: %d vouchers, %d lines written in %s\n", n, n * 10,
                        since(t).c_str());
            t = Start{};
            (void)vouchers::YMizanDuzelt(ds, ui, false);
            std::printf("full rebuild: %s\n", since(t).c_str());
        }
        if (!reuse.empty()) {
            copyFolder(dir, reuse);
            std::FILE* f = std::fopen((reuse / kSaved).c_str(), "w");
            if (f) std::fclose(f);
        }
    }
    auto opened = openFolder(dir);
    data::DataSet* ds = &opened;

    vouchers::ListQuery q;
    q.month = 3;
    q.from = {1, 3, 2026};
    q.to = {31, 3, 2026};
    if (wanted("list")) {
        // The list's first screen: one page of 60 rows in date order.
        t = Start{};
        auto b = vouchers::Books::open(*ds);
        data::FisBas from;
        from.FISTRH = q.from;
        (void)b->heads.set("MFB:KeyTarih", data::Seek::AtOrAfter, from);
        int rows = 0;
        while (rows < 60 && b->heads.next()) ++rows;
        std::printf("list first screen (%d rows): %s\n", rows, since(t).c_str());
    }
    if (wanted("list")) {
        t = Start{};
        auto all = vouchers::listVouchers(*ds, q);
        const auto totals = vouchers::listTotals(*all);
        std::printf("list totals of month 3 (%ld vouchers): %s\n", totals.count,
                    since(t).c_str());
    }

    if (wanted("renumber")) {
        t = Start{};
        auto st = vouchers::FisSirala(*ds, ui, 3);
        std::printf("renumbering month 3: %s %s\n", since(t).c_str(),
                    st ? "" : st.error().text.c_str());
    }
    if (!wanted("transfer")) return 0;

    t = Start{};
    vouchers::TransferRange r;
    r.fromMonth = 1;
    r.toMonth = 12;
    auto moved = vouchers::accountTransfer(*ds, ui, "120 01 001", "120 01 002", r);
    if (moved)
        std::printf("account transfer of 120 01 001: %ld lines in %ld vouchers, %s\n",
                    moved->lines, moved->vouchers, since(t).c_str());
    else
        std::printf("account transfer failed: %s\n", moved.error().text.c_str());
    return 0;
}
