// hesapkar-cli voucher tools on a real data folder: copy, transfer, attribute, renumber, sort,
// account transfer, revaluation and the voucher list export, with their refusals.
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

class VoucherToolsCli : public ChartCli {
  protected:
    std::string all(const CliRun& r) const { return r.out + r.err; }
    std::string imported() {
        const fs::path f = root_ / "in.csv";
        std::ofstream(f) << "voucher,date,account,description,amount\n"
                         << "1,05.03." << kYear << ",120 01 001,satış,100.50\n"
                         << "1,05.03." << kYear << ",600 01 001,,-100.50\n"
                         << "2,02.03." << kYear << ",320 01 002,alış,-7\n"
                         << "2,02.03." << kYear << ",120 01 003,,7\n";
        auto imp = cli({"voucher", "import", dir(), f.string()});
        EXPECT_EQ(imp.code, 0) << imp.out << imp.err;
        return "0300000001";
    }
    std::string y() const { return std::to_string(kYear); }
};

TEST_F(VoucherToolsCli, CopyTransferAttributeAndTheirRefusals) {
    const std::string key = imported();
    auto copy = cli({"voucher", "copy", dir(), key, "--date", "20.05." + y()});
    ASSERT_EQ(copy.code, 0) << all(copy);
    EXPECT_NE(all(copy).find("Fiş 20.05." + y() + " Tarih 1 No Olarak Kopyalandı..."),
              std::string::npos) << all(copy);
    auto outside = cli({"voucher", "copy", dir(), key, "--date", "01.01." + std::to_string(kYear + 1)});
    EXPECT_NE(outside.code, 0);
    EXPECT_NE(all(outside).find("Tarih Mali Dönem Aralığında Değildir..."), std::string::npos);
    auto noDate = cli({"voucher", "copy", dir(), key});
    EXPECT_NE(noDate.code, 0);
    EXPECT_NE(all(noDate).find("Tarih Giriniz..."), std::string::npos);

    auto onto = cli({"voucher", "transfer", dir(), "0300000002", "--number", "1"});
    EXPECT_NE(onto.code, 0);
    EXPECT_NE(all(onto).find("1 Nolu Fiş Mevcut.!"), std::string::npos) << all(onto);
    auto moved = cli({"voucher", "transfer", dir(), key, "--date", "07.04." + y(), "--attribute", "acf"});
    ASSERT_EQ(moved.code, 0) << all(moved);
    EXPECT_NE(all(moved).find("0400000001"), std::string::npos);
    auto attr = cli({"voucher", "attribute", dir(), "0400000001", "N"});
    ASSERT_EQ(attr.code, 0) << all(attr);
    auto gone = cli({"voucher", "transfer", dir(), key});
    EXPECT_NE(gone.code, 0);
    EXPECT_NE(all(gone).find(key + " Transfer Edilecek Fiş Bulunamıyor.!"), std::string::npos);
    auto show = cli({"voucher", "show", dir(), "0400000001"});
    EXPECT_NE(all(show).find("07.04." + y() + ", nitelik N"), std::string::npos) << all(show);
}

TEST_F(VoucherToolsCli, RenumberSortAccountTransferRevalueAndExport) {
    imported();
    auto ask = cli({"voucher", "renumber", dir(), "--month", "3"});
    EXPECT_NE(ask.code, 0);
    EXPECT_NE(all(ask).find("2 fiş yeniden numaralanacak"), std::string::npos) << all(ask);
    auto run = cli({"voucher", "renumber", dir(), "--month", "3", "--yes"});
    ASSERT_EQ(run.code, 0) << all(run);
    auto list = cli({"voucher", "list", dir(), "--month", "3"});
    EXPECT_NE(all(list).find("0300000001  02.03." + y()), std::string::npos) << all(list);
    auto finish = cli({"voucher", "renumber", dir(), "--finish"});
    EXPECT_EQ(finish.code, 0) << all(finish);
    EXPECT_NE(all(finish).find("0 fiş sıralandı."), std::string::npos);
    EXPECT_NE(cli({"voucher", "renumber", dir(), "--month", "13", "--yes"}).code, 0);

    auto sort = cli({"voucher", "sort", dir(), "--month", "3"});
    EXPECT_EQ(sort.code, 0) << all(sort);
    auto show = cli({"voucher", "show", dir(), "0300000001"});
    EXPECT_LT(all(show).find("120 01 003"), all(show).find("320 01 002")) << all(show);

    auto same = cli({"account-transfer", dir(), "120 01 001", "120 01 001", "--months", "1-12"});
    EXPECT_NE(same.code, 0);
    EXPECT_NE(all(same).find("Aynı Hesap Kodu Transfer Edilemez."), std::string::npos);
    auto group = cli({"account-transfer", dir(), "120 01 001", "120 01", "--months", "1-12"});
    EXPECT_NE(all(group).find("Seçilen Hesap Kodu Muavin Kod Olmalı!"), std::string::npos);
    EXPECT_NE(cli({"account-transfer", dir(), "120 01 001", "120 01 002", "--months", "0-3"}).code, 0);
    auto moved = cli({"account-transfer", dir(), "120 01 001", "120 01 002", "--months", "3-"});
    ASSERT_EQ(moved.code, 0) << all(moved);
    EXPECT_NE(all(moved).find("1 satır, 1 fiş aktarıldı."), std::string::npos) << all(moved);
    auto byDate = cli({"account-transfer", dir(), "120 01 002", "120 01 001", "--dates",
                       "01.03." + y() + "-31.03." + y()});
    EXPECT_NE(all(byDate).find("1 satır, 1 fiş aktarıldı."), std::string::npos) << all(byDate);

    auto no = cli({"revalue", dir()});
    EXPECT_NE(no.code, 0);
    auto yes = cli({"revalue", dir(), "--all", "--yes"});
    EXPECT_EQ(yes.code, 0) << all(yes);

    const std::string xlsx = (root_ / "mart.xlsx").string();
    auto ex = cli({"export", "vouchers", dir(), "--month", "3", "--xlsx", xlsx});
    ASSERT_EQ(ex.code, 0) << all(ex);
    EXPECT_EQ(hk::test::readFile(xlsx).substr(0, 2), "PK");
    EXPECT_NE(cli({"export", "vouchers", dir(), "--month", "3", "--xlsx",
                   (fs::path(dir()) / "Hesapkar.db").string()}).code, 0);
}

} // namespace
