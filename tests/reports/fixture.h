#pragma once
// A small company for the report tests: a data folder with a short chart, vouchers written the
// way voucher entry writes them (key = two-digit fiscal month and an eight-digit number, amount
// lines with ACKNO = line * 100, extra description lines after them), and the account totals
// rebuilt from the vouchers by the rebuild of the voucher module. Reports are run into memory:
// the printed pages, or the spreadsheet rows.

#include "app/testing/fake_ui.h"
#include "core/date.h"
#include "core/text.h"
#include "data/dataset.h"
#include "data/records.h"
#include "output/page.h"
#include "output/sheet.h"
#include "reports/run.h"
#include "vouchers/books.h"
#include "vouchers/rebuild.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace hk::reports::test {

template <typename T> T must(core::Result<T> r) {
    if (!r.ok()) {
        ADD_FAILURE() << r.error().describe() << " " << r.error().file;
        std::abort();
    }
    return std::move(r).value();
}
inline void must(core::Status s) {
    if (!s.ok()) {
        ADD_FAILURE() << s.error().describe() << " " << s.error().file;
        std::abort();
    }
}

inline core::Date D(int d, int m, int y = 2024) {
    return core::Date{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                      static_cast<std::uint16_t>(y)};
}

struct L {
    std::string code;
    char side = 'B';
    double amount = 0;
    std::string desc = {};
    std::vector<std::string> extra = {}; // extra description lines after this one
    double quantity = 0;
};

class Company {
  public:
    explicit Company(core::Date start = D(1, 1, 2024), core::Date end = D(31, 12, 2024)) {
        std::random_device rd;
        dir_ = std::filesystem::path(::testing::TempDir()) /
               ("hk_reports_" + std::to_string(rd()) + "_" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        ds_.emplace(must(data::DataSet::open(data::Locations::resolve(dir_.string(), dir_))));
        data::Yasal y;
        y.MALIDONEMBAS = start;
        y.MALIDONEMSON = end;
        y.FISNOSIRASI = "A";
        y.FISNUMARALAMADUZENI = "B";
        y.SIRKETUNVANI1 = "ÖRNEK TİCARET";
        y.SIRKETUNVANI2 = "A.Ş.";
        auto yt = must(ds().open<data::Yasal>());
        must(yt.add(y));
    }
    ~Company() {
        ds_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    data::DataSet& ds() { return *ds_; }
    const std::filesystem::path& dir() const { return dir_; }

    // Kind from the code's shape unless given: no blank "K", one blank "G", more "M".
    void account(const std::string& code, const std::string& name, std::string kind = {}) {
        auto t = must(ds().open<data::HsPlan>());
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = name;
        if (kind.empty()) {
            const auto blanks = std::count(code.begin(), code.end(), ' ');
            kind = blanks == 0 ? "K" : blanks == 1 ? "G" : "M";
        }
        a.NTLK = kind;
        must(t.add(a));
    }
    void frameClass(const std::string& code, const std::string& name) {
        auto t = must(ds().open<data::CsPlan>());
        data::CsPlan c;
        c.HESAPKODU = code;
        c.HESAPAD1 = name;
        must(t.add(c));
    }

    // A voucher of the fiscal month of its date, numbered `no`.
    std::string voucher(core::Date date, int no, const std::vector<L>& lines,
                        const std::string& attr = "N") {
        int m = date.month - (company().MALIDONEMBAS.month - 1);
        if (m <= 0) m += 12;
        char key[16];
        std::snprintf(key, sizeof key, "%02d%08d", m, no);
        data::FisBas h;
        h.KEYSTR = key;
        h.FISTRH = date;
        h.FISNO = static_cast<std::int16_t>(no);
        h.FISTUR = "M";
        h.FISNTLK = attr;
        auto dt = must(ds().open<data::FisDet>());
        int k = 0;
        for (const auto& l : lines) {
            ++k;
            data::FisDet d;
            d.KEYSTR = key;
            d.FISSIRANO = static_cast<std::int16_t>(k);
            d.ACKNO = k * 100;
            d.HESAPKODU = l.code;
            d.FISACK = l.desc;
            d.BORCALACAK = std::string(1, l.side);
            (l.side == 'B' ? d.TLBORC : d.TLALACAK) = l.amount;
            (l.side == 'B' ? d.ALTBIRIMBORC : d.ALTBIRIMALACAK) = l.quantity;
            (l.side == 'B' ? h.BTOPLAM : h.ATOPLAM) += l.amount;
            d.FISTRH = date;
            d.FISNO = h.FISNO;
            d.FISTUR = "M";
            d.FISNTLK = attr;
            must(dt.add(d));
            int j = 0;
            for (const auto& e : l.extra) {
                data::FisDet x;
                x.KEYSTR = key;
                x.FISSIRANO = static_cast<std::int16_t>(k);
                x.ACKNO = k * 100 + ++j;
                x.FISACK = e;
                x.HESAPKODU = l.code;
                x.BORCALACAK = std::string(1, l.side);
                // An amount on a description line must never be counted.
                x.TLBORC = 999;
                must(dt.add(x));
            }
        }
        auto ht = must(ds().open<data::FisBas>());
        must(ht.add(h));
        return key;
    }

    // The account totals from the vouchers.
    void rebuild() {
        app::testing::FakeUi ui;
        must(vouchers::YMizanDuzelt(ds(), ui, false));
    }

    template <typename F> void changeAccount(const std::string& code, F&& f) {
        auto b = must(vouchers::Books::open(ds()));
        data::HsPlan a = must(b.account(code));
        f(a);
        must(b.plan.put(a));
    }

    data::Yasal company() {
        auto b = must(vouchers::Books::open(ds()));
        return must(b.readCompany());
    }

  private:
    std::filesystem::path dir_;
    std::optional<data::DataSet> ds_;
};

// The printed pages of a run, as text lines (control bytes left out).
struct Printed {
    output::Document doc;
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& p : doc.pages)
            for (const auto& l : p.lines) out.push_back(l.visibleText());
        return out;
    }
    std::string text() const {
        std::string s;
        for (const auto& l : lines()) s += l + "\n";
        return s;
    }
};

inline Route printRoute(output::PageSink& sink, bool textFile = false) {
    Route r;
    r.sink = &sink;
    r.textFile = textFile;
    return r;
}

// The line that starts with `prefix` (first one), or "" when none does.
inline std::string lineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) return l;
    return {};
}

// Characters [from, from + n) of a line (1-based, counted in characters).
inline std::string field(const std::string& line, std::size_t from, std::size_t n) {
    return core::text::trim(core::text::sub(line, from, n));
}

// Compares a report's text with its golden file under fixtures/reports. With HK_UPDATE_GOLDEN
// set, the file is written instead (review the diff before committing it).
inline void expectGolden(const std::string& actual, const std::string& name) {
    const std::filesystem::path p = std::filesystem::path(HK_TEST_DATA) / "reports" / name;
    if (std::getenv("HK_UPDATE_GOLDEN")) {
        std::ofstream(p, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(p, std::ios::binary);
    const std::string golden((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(actual, golden) << "golden file " << name;
}

} // namespace hk::reports::test
