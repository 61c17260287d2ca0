// The trial balance and subsidiary ledger commands of hesapkar-cli on a data folder filled
// through the voucher import: the text route on standard output, files for each route, and the
// refusals that must leave no output file behind.
#include "support/cli.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using hk::test::CliRun;

class ReportsCli : public hk::test::CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        ASSERT_EQ(cli({"init", dir()}).code, 0);
        for (auto [code, attr] : {std::pair{"100 01", "G"}, std::pair{"100 01 001", "M"},
                                  std::pair{"600 01", "G"}, std::pair{"600 01 001", "M"}}) {
            auto r = cli({"accounts", "add", dir(), code, std::string("Hesap ") + code, "--attr",
                          attr});
            ASSERT_EQ(r.code, 0) << r.err;
        }
        auto y = cli({"info", dir()});
        std::ofstream(root_ / "v.csv")
            << "voucher,date,account,description,debit,credit\n"
            << "1,10.01." << year() << ",100 01 001,Peşin satış,125.50,0\n"
            << "1,,600 01 001,Peşin satış,0,125.50\n"
            << "2,12.03." << year() << ",100 01 001,İkinci satış,74.50,0\n"
            << "2,,600 01 001,İkinci satış,0,74.50\n";
        auto imp = cli({"voucher", "import", dir(), (root_ / "v.csv").string()});
        ASSERT_EQ(imp.code, 0) << imp.err << imp.out;
    }

    // The fiscal year of a fresh folder: the current year.
    std::string year() const {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        gmtime_r(&t, &tm);
        return std::to_string(tm.tm_year + 1900);
    }
};

std::string lineWith(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(start, 0) == 0) return l;
    return {};
}

TEST_F(ReportsCli, TrialBalanceAndLedgerAgreeWithTheVouchers) {
    auto tb = cli({"report", "trial-balance", dir(), "--months", "1-3", "--txt", "-"});
    ASSERT_EQ(tb.code, 0) << tb.err;
    const std::string total = lineWith(tb.out, "GENEL TOPLAM");
    ASSERT_NE(total, "") << tb.out;
    EXPECT_NE(total.find("200.00"), std::string::npos) << total;
    EXPECT_NE(lineWith(tb.out, "100 01 001").find("200.00"), std::string::npos);

    auto march = cli({"report", "trial-balance", dir(), "--months", "3", "--level", "1", "--txt",
                      "-"});
    ASSERT_EQ(march.code, 0) << march.err;
    EXPECT_EQ(lineWith(march.out, "100 01"), "");
    const std::string m = lineWith(march.out, "100 ");
    EXPECT_NE(m.find("74.50"), std::string::npos) << m;
    EXPECT_NE(m.find("200.00"), std::string::npos) << m;

    auto led = cli({"report", "ledger", dir(), "--months", "3-3", "--from", "100 01 001",
                    "--txt", "-"});
    ASSERT_EQ(led.code, 0) << led.err;
    const std::string devir = lineWith(led.out, "Devir");
    EXPECT_NE(devir.find("125.50"), std::string::npos) << led.out;
    EXPECT_NE(lineWith(led.out, "MART AYI TOPLAMI").find("74.50"), std::string::npos);
    EXPECT_NE(lineWith(led.out, "KÜMÜLATİF TOPLAM").find("200.00"), std::string::npos);
}

TEST_F(ReportsCli, EachRouteWritesItsFile) {
    const fs::path txt = root_ / "mizan.txt", xlsx = root_ / "mizan.xlsx", raw = root_ / "m.prn";
    ASSERT_EQ(cli({"report", "trial-balance", dir(), "--months", "1-12", "--txt", txt.string()}).code, 0);
    EXPECT_NE(hk::test::readFile(txt).find("GENEL TOPLAM"), std::string::npos);
    auto x = cli({"report", "ledger", dir(), "--months", "1-12", "--xlsx", xlsx.string()});
    ASSERT_EQ(x.code, 0) << x.err;
    EXPECT_EQ(hk::test::readFile(xlsx).rfind("PK", 0), 0u);
    auto r = cli({"report", "trial-balance", dir(), "--months", "1-1", "--raw", raw.string(),
                  "--kind", "NPQ"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = hk::test::readFile(raw);
    EXPECT_EQ(bytes.rfind("\x1B@\x1BM\x0F\x1BG", 0), 0u);
    EXPECT_NE(bytes.find('\x0C'), std::string::npos);
}

TEST_F(ReportsCli, StoredDefinitionsAndTheirRefusals) {
    ASSERT_EQ(cli({"report", "standard", dir(), "--kind", "1", "--number", "4", "--measure",
                   "DOVIZ"}).code, 0);
    auto dup = cli({"report", "standard", dir(), "--kind", "1", "--number", "4"});
    EXPECT_NE(dup.code, 0);
    EXPECT_NE((dup.out + dup.err).find("Aynı Rapor Kodu Zaten Kullanılmaktadır.!"),
              std::string::npos);
    auto ok = cli({"report", "trial-balance", dir(), "--definition", "4", "--months", "1-1",
                   "--txt", "-"});
    ASSERT_EQ(ok.code, 0) << ok.err;
    EXPECT_NE(ok.out.find("MİZAN RAPORU (DÖVİZ)"), std::string::npos);

    const fs::path out = root_ / "never.txt";
    const std::vector<std::vector<std::string>> refused = {
        {"report", "trial-balance", dir(), "--definition", "9", "--txt", out.string()},
        {"report", "trial-balance", dir(), "--months", "5-3", "--txt", out.string()},
        {"report", "trial-balance", dir(), "--months", "13", "--txt", out.string()},
        {"report", "trial-balance", dir(), "--dates", "20.03.2024-10.03.2024", "--txt", out.string()},
        {"report", "trial-balance", dir(), "--level", "9", "--txt", out.string()},
        {"report", "trial-balance", dir(), "--months", "1", "--txt", out.string(), "--xlsx", "x"},
        {"report", "ledger", dir(), "--dates", "01.01.1999-02.01.1999", "--txt", out.string()},
        {"report", "ledger", dir(), "--kebir", "X", "--txt", out.string()},
        {"report", "ledger", dir(), "--from", "600", "--to", "100", "--txt", out.string()},
    };
    for (const auto& args : refused) {
        auto r = cli(args);
        EXPECT_NE(r.code, 0) << args[3] << " " << r.out;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(fs::exists(out)) << args[3];
    }
}

// The general ledger prints journalised vouchers only: the journal numbers months 1-3 first.
TEST_F(ReportsCli, GeneralLedgerAndCashBook) {
    for (const char* m : {"1", "2", "3"}) {
        auto j = cli({"journal", "print", dir(), "--month", m, "--certified", "--txt",
                      (root_ / "j.txt").string()});
        ASSERT_EQ(j.code, 0) << j.err;
    }
    auto g = cli({"report", "general-ledger", dir(), "--months", "1-3", "--store-state", "--txt",
                  "-"});
    ASSERT_EQ(g.code, 0) << g.err;
    EXPECT_NE(g.out.find("KEBİR HESAP KODU      :100 "), std::string::npos) << g.out;
    const std::string end = lineWith(g.out, "S A Y F A   S O N U");
    EXPECT_NE(end.find("200.00"), std::string::npos) << g.out;
    // The stored state moves the proposal past the printed entries: nothing is left to print.
    auto again = cli({"report", "general-ledger", dir(), "--months", "1-3", "--txt", "-"});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out.find("KEBİR HESAP KODU"), std::string::npos) << again.out;
    auto raw = root_ / "kebir.prn";
    auto r = cli({"report", "general-ledger", dir(), "--journal-from", "1", "--from", "600",
                  "--to", "600", "--raw", raw.string(), "--kind", "NPQ"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = hk::test::readFile(raw);
    EXPECT_EQ(bytes.rfind("\x1B@\x1B" "CB\x1BP\x0F\x1BG", 0), 0u);
    EXPECT_NE(bytes.find("\x1BGS A Y F A"), std::string::npos);

    auto k = cli({"report", "cash-book", dir(), "--account", "100 01 001", "--dates",
                  "01.03." + year() + "-31.03." + year(), "--txt", "-"});
    ASSERT_EQ(k.code, 0) << k.err;
    EXPECT_NE(lineWith(k.out, "Devir").find("125.50"), std::string::npos) << k.out;
    EXPECT_NE(lineWith(k.out, "12.03.").find("200.00"), std::string::npos) << k.out;
    EXPECT_NE(lineWith(k.out, "Genel Toplam").find("200.00"), std::string::npos) << k.out;
    const fs::path xlsx = root_ / "kasa.xlsx";
    ASSERT_EQ(cli({"report", "cash-book", dir(), "--account", "100 01 001", "--dates",
                   "01.01." + year() + "-31.12." + year(), "--xlsx", xlsx.string()})
                  .code,
              0);
    EXPECT_EQ(hk::test::readFile(xlsx).rfind("PK", 0), 0u);
}

TEST_F(ReportsCli, BookRefusalsLeaveNoFile) {
    const fs::path out = root_ / "never.txt";
    const std::string dates = "01.01." + year() + "-31.12." + year();
    const std::vector<std::vector<std::string>> refused = {
        {"report", "general-ledger", dir(), "--from", "100 01", "--txt", out.string()},
        {"report", "general-ledger", dir(), "--from", "600", "--to", "100", "--txt", out.string()},
        {"report", "general-ledger", dir(), "--from", "999", "--raw", out.string(), "--kind", "NPQ"},
        {"report", "general-ledger", dir(), "--months", "3-1", "--txt", out.string()},
        {"report", "general-ledger", dir(), "--journal-from", "9", "--journal-to", "2", "--txt",
         out.string()},
        {"report", "general-ledger", dir(), "--first-page", "0", "--txt", out.string()},
        {"report", "general-ledger", dir(), "--raw", out.string()},
        {"report", "cash-book", dir(), "--account", "999 01", "--dates", dates, "--txt",
         out.string()},
        {"report", "cash-book", dir(), "--dates", dates, "--xlsx", out.string()},
        {"report", "cash-book", dir(), "--account", "100 01 001", "--txt", out.string()},
        {"report", "cash-book", dir(), "--account", "100 01 001", "--dates",
         "31.12." + year() + "-01.01." + year(), "--pdf", out.string()},
    };
    for (const auto& args : refused) {
        auto r = cli(args);
        EXPECT_NE(r.code, 0) << args[1] << " " << args[3] << " " << r.out;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(fs::exists(out)) << args[1] << " " << args[3];
    }
}

} // namespace
