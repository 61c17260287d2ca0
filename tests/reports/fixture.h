#pragma once
// A small company for the report tests (the shared one of support/books.h), with frame classes
// and the account totals rebuilt from the vouchers by the rebuild of the voucher module. Reports are run into memory:
// the printed pages, or the spreadsheet rows.

#include "app/testing/fake_ui.h"
#include "core/date.h"
#include "core/text.h"
#include "data/dataset.h"
#include "data/records.h"
#include "output/page.h"
#include "output/sheet.h"
#include "reports/run.h"
#include "support/books.h"
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

using hk::test::books::D;
using hk::test::books::L;
using hk::test::books::must;

class Company : public hk::test::books::SmallCompany {
  public:
    explicit Company(core::Date start = D(1, 1, 2024), core::Date end = D(31, 12, 2024))
        : SmallCompany("reports", start, end) {
        // An amount on a description line must never be counted.
        descriptionLineAmount_ = 999;
    }

    // Kind from the code's shape unless given: no blank "K", one blank "G", more "M".
    void account(const std::string& code, const std::string& name, std::string kind = {}) {
        if (kind.empty()) {
            const auto blanks = std::count(code.begin(), code.end(), ' ');
            kind = blanks == 0 ? "K" : blanks == 1 ? "G" : "M";
        }
        addAccount(code, name, {}, kind);
    }
    void frameClass(const std::string& code, const std::string& name) {
        auto t = must(ds().open<data::CsPlan>());
        data::CsPlan c;
        c.HESAPKODU = code;
        c.HESAPAD1 = name;
        must(t.add(c));
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
