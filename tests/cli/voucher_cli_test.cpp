// hesapkar-cli voucher commands on a real data folder: import, list, show, delete, rebuild, and
// an import killed at random moments, which must leave the books whole.
#include "data/database.h"
#include "data/records.h"

#include "chart_cli.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;
using namespace hk::data;

namespace {

using hk::test::CliRun;

const int kYear = hk::core::Date::today().year;

class VoucherCli : public ChartCli {
  protected:
    // A balanced company file: `vouchers` vouchers of 2..6 lines over the year.
    fs::path makeFile(int vouchers, std::uint32_t seed) {
        std::mt19937 rng(seed);
        const fs::path p = root_ / "big.csv";
        std::ofstream out(p);
        out << "voucher,date,account,description,debit,credit\n";
        const char* groups[] = {"120 01", "320 01", "600 01"};
        for (int v = 1; v <= vouchers; ++v) {
            const int month = 1 + static_cast<int>(rng() % 12);
            char date[16];
            std::snprintf(date, sizeof date, "%02d.%02d.%04d", 1 + static_cast<int>(rng() % 28),
                          month, kYear);
            const int n = 2 + static_cast<int>(rng() % 5);
            long total = 0;
            for (int i = 0; i < n; ++i) {
                const std::string acc = std::string(groups[rng() % 3]) + " 00" +
                                        std::to_string(1 + rng() % 9);
                if (i + 1 < n) {
                    const long cents = 1 + static_cast<long>(rng() % 100000);
                    total += cents;
                    out << v << "," << date << "," << acc << ",satır " << i << ","
                        << cents / 100 << "." << (cents % 100 < 10 ? "0" : "") << cents % 100
                        << ",\n";
                } else {
                    out << v << "," << date << "," << acc << ",karşı,," << total / 100 << "."
                        << (total % 100 < 10 ? "0" : "") << total % 100 << "\n";
                }
            }
        }
        return p;
    }

    // What the books must hold: the chart's totals equal the lines summed along every level, no
    // header without lines, no line without a header, and the engine's integrity check is clean.
    void expectWhole(long& headerCount) {
        auto db = Database::open(fs::path(dir()) / "Hesapkar.db");
        ASSERT_TRUE(db);
        auto problems = db->check();
        ASSERT_TRUE(problems);
        for (const auto& p : *problems) ADD_FAILURE() << p.table << ": " << p.text;
        auto th = db->table(fileDef(Layout::FisBas));
        auto tl = db->table(fileDef(Layout::FisDet));
        auto tp = db->table(fileDef(Layout::HsPlan));
        ASSERT_TRUE(th && tl && tp);
        TypedTable<FisBas> heads(std::move(*th));
        TypedTable<FisDet> lines(std::move(*tl));
        TypedTable<HsPlan> plan(std::move(*tp));
        std::map<std::string, int> perHead;
        ASSERT_TRUE(heads.setPhysical());
        for (auto h = heads.next(); h; h = heads.next()) perHead[h->KEYSTR] = 0;
        std::map<std::string, std::array<double, 24>> want;
        ASSERT_TRUE(lines.setPhysical());
        for (auto l = lines.next(); l; l = lines.next()) {
            ASSERT_TRUE(perHead.count(l->KEYSTR)) << "line without header " << l->KEYSTR;
            ++perHead[l->KEYSTR];
            const int m = std::stoi(l->KEYSTR.substr(0, 2));
            std::string code = l->HESAPKODU;
            for (std::size_t p = 0; p <= code.size(); ++p)
                if (p == code.size() || code[p] == ' ') {
                    auto& w = want[code.substr(0, p)];
                    w[static_cast<std::size_t>(m - 1)] += l->TLBORC;
                    w[static_cast<std::size_t>(12 + m - 1)] += l->TLALACAK;
                }
        }
        for (const auto& [k, n] : perHead) EXPECT_GT(n, 0) << "header without lines " << k;
        headerCount = static_cast<long>(perHead.size());
        ASSERT_TRUE(plan.setPhysical());
        for (auto h = plan.next(); h; h = plan.next()) {
            const auto w = want[h->HESAPKODU];
            for (int m = 1; m <= 12; ++m) {
                EXPECT_NEAR(month(h->TLBORC, m), w[static_cast<std::size_t>(m - 1)], 1e-6)
                    << h->HESAPKODU << " month " << m;
                EXPECT_NEAR(month(h->TLALACAK, m), w[static_cast<std::size_t>(12 + m - 1)], 1e-6)
                    << h->HESAPKODU << " month " << m;
            }
        }
    }
};

TEST_F(VoucherCli, ImportListShowDeleteAndRebuild) {
    const fs::path f = root_ / "in.csv";
    std::ofstream(f) << "voucher,date,account,description,amount\n"
                     << "1,05.03." << kYear << ",120 01 001,satış,100.50\n"
                     << "1,05.03." << kYear << ",600 01 001,,-100.50\n"
                     << "2,06.03." << kYear << ",320 01 002,alış,-7\n"
                     << "2,06.03." << kYear << ",120 01 003,,7\n";
    auto dry = cli({"voucher", "import", dir(), f.string(), "--dry-run"});
    ASSERT_EQ(dry.code, 0) << dry.out << dry.err;
    EXPECT_NE((dry.out + dry.err).find("2 fiş, 4 satır denetlendi"), std::string::npos) << dry.out;
    auto list0 = cli({"voucher", "list", dir()});
    EXPECT_NE((list0.out + list0.err).find("0 fiş"), std::string::npos) << list0.out;

    auto imp = cli({"voucher", "import", dir(), f.string()});
    ASSERT_EQ(imp.code, 0) << imp.out << imp.err;
    auto list = cli({"voucher", "list", dir(), "--month", "3"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE((list.out + list.err).find("0300000001  05.03." + std::to_string(kYear)), std::string::npos)
        << list.out;
    EXPECT_NE((list.out + list.err).find("2 fiş"), std::string::npos);
    auto show = cli({"voucher", "show", dir(), "0300000001"});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_NE((show.out + show.err).find("120 01 001"), std::string::npos) << show.out;
    EXPECT_NE((show.out + show.err).find("satış"), std::string::npos);

    // A bad file: exit code 1, the row named, nothing written.
    const fs::path bad = root_ / "bad.csv";
    std::ofstream(bad) << "voucher,date,account,amount\n9,05.03." << kYear << ",120 01,5\n";
    auto refused = cli({"voucher", "import", dir(), bad.string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE((refused.out + refused.err).find("satır 2: muavin hesap değil"), std::string::npos)
        << refused.out << refused.err;
    auto unknownFlag = cli({"voucher", "import", dir(), f.string(), "--wet"});
    EXPECT_EQ(unknownFlag.code, 2);

    // Deleting asks; without --yes nothing happens.
    auto no = cli({"voucher", "delete", dir(), "0300000001"});
    EXPECT_NE(no.code, 0);
    long heads = 0;
    expectWhole(heads);
    EXPECT_EQ(heads, 2);
    auto yes = cli({"voucher", "delete", dir(), "0300000001", "--yes"});
    ASSERT_EQ(yes.code, 0) << yes.out << yes.err;
    expectWhole(heads);
    EXPECT_EQ(heads, 1);
    auto missing = cli({"voucher", "show", dir(), "0399999999"});
    EXPECT_EQ(missing.code, 1);

    auto rebuild = cli({"rebuild", dir(), "--headers"});
    ASSERT_EQ(rebuild.code, 0) << rebuild.out << rebuild.err;
    auto month = cli({"rebuild", dir(), "--month", "3"});
    ASSERT_EQ(month.code, 0) << month.out << month.err;
    expectWhole(heads);
    auto badMonth = cli({"rebuild", dir(), "--month", "13"});
    EXPECT_NE(badMonth.code, 0);
}

TEST_F(VoucherCli, ImportKilledAtRandomMomentsLeavesTheBooksWhole) {
    const fs::path f = makeFile(12000, 7);
    std::mt19937 rng(20261210);
    int killedMidway = 0;
    for (int round = 0; round < 5; ++round) {
        const std::string b = hk::test::cliBinary(), progDir = (root_ / "prog").string(), d = dir(),
                          file = f.string(), log = (root_ / "killed.log").string();
        std::vector<std::string> args = {b,         "voucher", "import", d,
                                         file,      "--program-dir", progDir};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, b.c_str(), &fa, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&fa);
        const int ms = 200 + static_cast<int>(rng() % 6000);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (WIFSIGNALED(status)) ++killedMidway;
        long heads = 0;
        expectWhole(heads);
        // Either nothing of the file is there, or all of it (when the run had finished).
        EXPECT_TRUE(heads == 0 || heads == 12000 || heads % 12000 == 0) << heads;
        if (HasFailure()) return;
    }
    EXPECT_GT(killedMidway, 0);
    // A complete run afterwards brings the file in whole.
    auto done = cli({"voucher", "import", dir(), f.string()});
    ASSERT_EQ(done.code, 0) << done.out << done.err;
    long heads = 0;
    expectWhole(heads);
    EXPECT_EQ(heads % 12000, 0);
    EXPECT_GT(heads, 0);
}

} // namespace
