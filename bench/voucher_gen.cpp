// hk_voucher_gen: a synthetic company for the voucher import benchmark. Writes, from one seeded
// set of vouchers,
//   OUT/data/          a data folder holding the company record and a three-level chart
//   OUT/book.csv       the vouchers in the import format of `hesapkar-cli voucher import`
//   OUT/book.ledger    the same book as a plain-text journal for the `ledger` program
// Usage: hk_voucher_gen OUT [--lines N] [--seed S] [--mains M]
// Vouchers have 2..6 lines over the twelve months of 2025; about one line in eight carries a
// quantity, one in ten a currency amount. Amounts are two-decimal, vouchers balance.
#include "data/dataset.h"
#include "data/records.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace hk;

namespace {

void die(const std::string& why) {
    std::fprintf(stderr, "hk_voucher_gen: %s\n", why.c_str());
    std::exit(1);
}

std::string cents(long c) {
    char b[32];
    std::snprintf(b, sizeof b, "%ld.%02ld", c / 100, c % 100);
    return b;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) die("usage: hk_voucher_gen OUT [--lines N] [--seed S] [--mains M]");
    const fs::path out = argv[1];
    long lines = 1000000;
    std::uint32_t seed = 2025;
    int mains = 40;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string f = argv[i];
        if (f == "--lines") lines = std::atol(argv[i + 1]);
        else if (f == "--seed") seed = static_cast<std::uint32_t>(std::atol(argv[i + 1]));
        else if (f == "--mains") mains = std::atoi(argv[i + 1]);
        else die("unknown flag " + f);
    }
    fs::create_directories(out / "data");
    std::mt19937 rng(seed);

    // The chart: M main accounts, 5 groups each, 20 details per group.
    std::vector<std::string> details;
    {
        auto ds = data::DataSet::open(data::Locations::resolve((out / "data").string(), out));
        if (!ds) die(ds.error().text);
        data::Transaction tx{ds->data()};
        auto y = ds->open<data::Yasal>();
        auto p = ds->open<data::HsPlan>();
        if (!y || !p) die("cannot open the company files");
        data::Yasal company;
        company.SIRKETUNVANI1 = "Sentetik Şirket";
        company.MALIDONEMBAS = {1, 1, 2025};
        company.MALIDONEMSON = {31, 12, 2025};
        company.FISNOSIRASI = "A";
        company.FISNUMARALAMADUZENI = "B";
        company.KASAHESAPKODU = "100 01 001";
        company.CALISILANAYNO = 1;
        if (!y->add(company)) die("cannot write the company record");
        for (int m = 0; m < mains; ++m) {
            const std::string main = std::to_string(100 + m * 10);
            data::HsPlan h;
            h.HESAPKODU = main;
            h.HESAPAD1 = "Ana hesap " + main;
            h.NTLK = "K";
            if (!p->add(h)) die("cannot add " + main);
            for (int g = 1; g <= 5; ++g) {
                char gc[32];
                std::snprintf(gc, sizeof gc, "%s %02d", main.c_str(), g);
                h = {};
                h.HESAPKODU = gc;
                h.HESAPAD1 = std::string("Grup ") + gc;
                h.NTLK = "G";
                if (!p->add(h)) die(std::string("cannot add ") + gc);
                for (int d = 1; d <= 20; ++d) {
                    char dc[32];
                    std::snprintf(dc, sizeof dc, "%s %03d", gc, d);
                    h = {};
                    h.HESAPKODU = dc;
                    h.HESAPAD1 = std::string("Muavin ") + dc;
                    h.NTLK = "M";
                    if (d % 7 == 0) h.DOVIZKODU = "USD";
                    if (d % 8 == 0) h.ALTBIRIM = "AD";
                    if (!p->add(h)) die(std::string("cannot add ") + dc);
                    details.push_back(dc);
                }
            }
        }
        if (!tx.commit()) die("cannot commit the chart");
    }

    std::FILE* csv = std::fopen((out / "book.csv").c_str(), "w");
    std::FILE* led = std::fopen((out / "book.ledger").c_str(), "w");
    if (!csv || !led) die("cannot write the book files");
    std::fputs("voucher,date,account,description,debit,credit,quantity,currency_amount\n", csv);
    auto ledgerName = [](const std::string& code) {
        std::string n = "A";
        for (char c : code) n += c == ' ' ? ':' : c;
        return n;
    };
    long written = 0, vouchers = 0;
    while (written < lines) {
        ++vouchers;
        const int month = 1 + static_cast<int>(rng() % 12);
        const int day = 1 + static_cast<int>(rng() % 28);
        char date[16], ldate[16];
        std::snprintf(date, sizeof date, "%02d.%02d.2025", day, month);
        std::snprintf(ldate, sizeof ldate, "2025/%02d/%02d", month, day);
        const int n = std::min<long>(2 + static_cast<int>(rng() % 5), std::max(2L, lines - written));
        std::fprintf(led, "%s Fiş %ld\n", ldate, vouchers);
        long total = 0;
        for (int i = 0; i < n; ++i) {
            const std::string& acc = details[rng() % details.size()];
            const bool last = i + 1 == n;
            const long c = last ? total : 1 + static_cast<long>(rng() % 1000000);
            if (!last) total += c;
            std::string qty, fx;
            if (rng() % 8 == 0) qty = std::to_string(1 + rng() % 50);
            if (rng() % 10 == 0) fx = cents(c / 30 + 1);
            std::fprintf(csv, "%ld,%s,%s,Satır %d,%s,%s,%s,%s\n", vouchers, date, acc.c_str(), i + 1,
                         last ? "" : cents(c).c_str(), last ? cents(c).c_str() : "", qty.c_str(),
                         fx.c_str());
            std::fprintf(led, "    %-24s  %s%s TL\n", ledgerName(acc).c_str(), last ? "-" : "",
                         cents(c).c_str());
        }
        std::fputc('\n', led);
        written += n;
    }
    std::fclose(csv);
    std::fclose(led);
    std::printf("%ld vouchers, %ld lines, %zu detail accounts in %s\n", vouchers, written,
                details.size(), out.c_str());
    return 0;
}
