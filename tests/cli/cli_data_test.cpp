// Runs the built hesapkar-cli on temporary folders: init, info, dump, check, demo and the
// refusals of bad folders and unanswered questions.
#include "data/database.h"
#include "data/records.h"

#include "support/cli.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace hk::data;

namespace {

using hk::test::CliRun;

class CliDataFolder : public hk::test::CliTest {
  protected:
    template <RecordStruct T> std::vector<T> rows(const std::string& folder) {
        auto db = Database::open(fs::path(folder) / "Hesapkar.db");
        EXPECT_TRUE(db.ok());
        std::vector<T> out;
        if (!db.ok()) return out;
        auto t = db->table(fileDef(T::kLayout), false);
        EXPECT_TRUE(t.ok());
        if (!t.ok()) return out;
        TypedTable<T> tt(std::move(*t));
        EXPECT_TRUE(tt.setPhysical().ok());
        for (auto r = tt.next(); r.ok(); r = tt.next()) out.push_back(*r);
        return out;
    }
    static int codeLines(const char* file) {
        std::ifstream in(fs::path(HK_RESOURCE_DIR) / file, std::ios::binary);
        std::string line;
        int n = 0;
        while (std::getline(in, line)) n += !line.empty() && line[0] != '\r';
        return n;
    }
};

} // namespace

TEST_F(CliDataFolder, InitOnAnEmptyFolderCreatesACompleteDataSet) {
    auto r = cli({"init", dir()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("MenuList: 43"), std::string::npos) << r.out;

    EXPECT_EQ(rows<DataList>(dir()).size(), 150u);
    auto v = rows<Version>(dir());
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].VERSION, "302008");
    EXPECT_EQ(static_cast<int>(rows<HsPlan>(dir()).size()), codeLines("Hsplan.txt"));
    EXPECT_EQ(static_cast<int>(rows<CsPlan>(dir()).size()), codeLines("CsPlan.txt"));
    auto y = rows<Yasal>(dir());
    ASSERT_EQ(y.size(), 1u);
    EXPECT_EQ(y[0].SIRKETUNVANI1, "Deneme");
    EXPECT_EQ(y[0].MALIDONEMBAS, (hk::core::Date{1, 1, hk::core::Date::today().year}));
    EXPECT_EQ(rows<Nitelik>(dir()).size(), 5u);
    EXPECT_EQ(rows<BelgeTip>(dir()).size(), 8u);
    EXPECT_EQ(rows<MenuList>(dir()).size(), 43u);
    auto users = rows<KLUsers>(dir());
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].ID, "HESAPKAR");
    // The settings file of the program folder remembers the user and the first month.
    const std::string ini = hk::test::readFile(root_ / "prog" / "Hesapkar.INI");
    EXPECT_NE(ini.find("[User]\nName=HESAPKAR\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[CalisilanAy]\nAyNo=1\n"), std::string::npos) << ini;

    auto again = cli({"init", dir()});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find("bir şey eklenmedi"), std::string::npos) << again.out;
    EXPECT_EQ(rows<MenuList>(dir()).size(), 43u);
}

TEST_F(CliDataFolder, InfoDumpAndCheckReadAPreparedFolder) {
    ASSERT_EQ(cli({"init", dir()}).code, 0);
    auto info = cli({"info", dir()});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Veri sürümü: 302008"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("  MenuList             43\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("  Nitelik               5\n"), std::string::npos) << info.out;

    // Voucher kinds in key order: A < I < K < N < Y.
    auto dump = cli({"dump", dir(), "nitelik"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, "ACF | Açılış Fişi\nIPT | İptal Fişi\nKPF | Kapanış Fişi\n"
                        "N | Normal Fiş\nYAN | Yansıtma Fişi\n");
    auto ver = cli({"dump", dir(), "Version"});
    EXPECT_EQ(ver.out, "302008\n");
    auto docs = cli({"dump", dir(), "BelgeTip"});
    EXPECT_NE(docs.out.find("Müşteri siparişi | order-customer\n"), std::string::npos);

    auto check = cli({"check", dir()});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
    EXPECT_EQ(check.out, "Sorun yok.\n");
}

TEST_F(CliDataFolder, ReadingCommandsRefuseWhatIsNotThere) {
    ASSERT_EQ(cli({"init", dir()}).code, 0);
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"info", dir("missing")}, "veri klasörü yok"},
        {{"dump", dir(), "Yok"}, "\"Yok\" adlı bir dosya yok"},
        {{"check", dir("prog")}, "veri klasörü hazırlanmamış"},
        {{"dump", dir()}, "kullanım: dump"},
        {{"init", dir(), "--kullanici", "x"}, "tanınmayan seçenek \"--kullanici\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        auto r = cli(c.args);
        EXPECT_NE(r.code, 0);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(root_ / "missing"));
}

TEST_F(CliDataFolder, BadFoldersAreRefusedAndNothingIsDeleted) {
    std::ofstream(root_ / "afile") << "keep me";
    auto onFile = cli({"init", dir("afile")});
    EXPECT_NE(onFile.code, 0);
    EXPECT_NE(onFile.err.find("afile"), std::string::npos) << onFile.err;
    EXPECT_EQ(hk::test::readFile(root_ / "afile"), "keep me");

    fs::create_directories(root_ / "garbage");
    std::ofstream(root_ / "garbage" / "Hesapkar.db") << "this is no database";
    auto onGarbage = cli({"init", dir("garbage")});
    EXPECT_NE(onGarbage.code, 0);
    EXPECT_NE(onGarbage.err.find("Dosya ulaşım hatası"), std::string::npos) << onGarbage.err;
    EXPECT_NE(onGarbage.err.find("Hesapkar.db"), std::string::npos) << onGarbage.err;
    EXPECT_EQ(hk::test::readFile(root_ / "garbage" / "Hesapkar.db"), "this is no database");
}

TEST_F(CliDataFolder, FolderWithoutWriteAccessIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    fs::create_directories(root_ / "ro");
    fs::permissions(root_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    auto r = cli({"init", (root_ / "ro" / "data").string()});
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(r.err.empty());
    EXPECT_FALSE(fs::exists(root_ / "ro" / "data"));
}

TEST_F(CliDataFolder, LoginIsCheckedWithUserAndPassword) {
    ASSERT_EQ(cli({"init", dir()}).code, 0);
    auto unknown = cli({"init", dir(), "--user", "ALI"});
    EXPECT_NE(unknown.code, 0);
    EXPECT_NE(unknown.err.find("Geçersiz Kullanıcı"), std::string::npos) << unknown.err;
    auto wrong = cli({"init", dir(), "--password=gizli"});
    EXPECT_NE(wrong.code, 0);
    EXPECT_NE(wrong.err.find("Lütfen Şifreyi Yeniden Giriniz."), std::string::npos) << wrong.err;
    EXPECT_EQ(cli({"init", dir(), "--user", "hesapkar"}).code, 0);
    // The password may come from the environment instead of the command line.
    ::setenv("HESAPKAR_PASSWORD", "gizli", 1);
    auto fromEnv = cli({"init", dir()});
    ::unsetenv("HESAPKAR_PASSWORD");
    EXPECT_NE(fromEnv.code, 0);
    EXPECT_NE(fromEnv.err.find("Lütfen Şifreyi Yeniden Giriniz."), std::string::npos);
}

namespace {

void makeOldDataSet(const fs::path& folder, const std::string& version) {
    fs::create_directories(folder);
    auto db = Database::open(folder / "Hesapkar.db");
    ASSERT_TRUE(db.ok());
    {
        auto v = db->table(fileDef(Layout::Version));
        ASSERT_TRUE(v.ok());
        TypedTable<Version> tv(std::move(*v));
        ASSERT_TRUE(tv.add(Version{version}).ok());
        auto d = db->table("FisDet", fileDef(Layout::FisDetA));
        ASSERT_TRUE(d.ok());
        TypedTable<FisDetA> td(std::move(*d));
        FisDetA a;
        a.KEYSTR = "0100000001";
        a.FISSIRANO = 1;
        a.HESAPKODU = "100";
        a.FISACK = "Açılış";
        a.TLBORC = 10;
        a.BORCALACAK = "B";
        ASSERT_TRUE(td.add(a).ok());
    }
}

} // namespace

TEST_F(CliDataFolder, DumpListsRecordsOutsideTheirBlankOptionalKey) {
    ASSERT_EQ(cli({"init", dir()}).code, 0);
    {
        // A voucher kind without a code is not in Nitelik's optional key.
        auto db = Database::open(fs::path(dir()) / "Hesapkar.db");
        ASSERT_TRUE(db.ok());
        auto t = db->table(fileDef(Layout::Nitelik));
        ASSERT_TRUE(t.ok());
        TypedTable<Nitelik> tn(std::move(*t));
        Nitelik blank;
        blank.ACK = "Kodsuz";
        ASSERT_TRUE(tn.add(blank).ok());
    }
    auto dump = cli({"dump", dir(), "Nitelik"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out, "ACF | Açılış Fişi\nIPT | İptal Fişi\nKPF | Kapanış Fişi\n"
                        "N | Normal Fiş\nYAN | Yansıtma Fişi\n | Kodsuz\n");
}

TEST_F(CliDataFolder, OlderDataIsConvertedOnlyWithYes) {
    makeOldDataSet(root_ / "data", "301001");
    auto refused = cli({"init", dir()});
    EXPECT_NE(refused.code, 0);
    EXPECT_NE(refused.err.find("Hesapkar Datası Convert Edilecektir."), std::string::npos);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(rows<Version>(dir())[0].VERSION, "301001");

    auto accepted = cli({"init", dir(), "--yes"});
    ASSERT_EQ(accepted.code, 0) << accepted.err;
    EXPECT_NE(accepted.out.find("Sürüm 301001 -> 302008"), std::string::npos) << accepted.out;
    EXPECT_NE(accepted.err.find("FisDet Dosyası Aktarılıyor. Bekleyiniz !"), std::string::npos);
    EXPECT_EQ(rows<Version>(dir())[0].VERSION, "302008");
    // The field catalogue dropped by the conversion is built again by the same start.
    EXPECT_EQ(rows<DataList>(dir()).size(), 150u);
    auto lines = rows<FisDet>(dir());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].FISACK, "Açılış");
    EXPECT_EQ(lines[0].TLBORC, 10);
    auto dump = cli({"dump", dir(), "FisDet.Esk2"});
    EXPECT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out.rfind("0100000001 | 1 | 100 | Açılış | 10 |", 0), 0u) << dump.out;
}

TEST_F(CliDataFolder, NewerDataIsRefused) {
    makeOldDataSet(root_ / "data", "400001");
    auto r = cli({"init", dir(), "--yes"});
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find("Programın Yeni Versiyonu Yüklenmelidir."), std::string::npos) << r.err;
    EXPECT_EQ(rows<Version>(dir())[0].VERSION, "400001");
}

TEST_F(CliDataFolder, DemoPreparesOnceAndShowsWhatItHolds) {
    auto first = cli({"demo", dir("demo")});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.out.find("yeni MenuList: 43"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Şirket: Deneme"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("  HsPlan"), std::string::npos) << first.out;
    auto second = cli({"demo", dir("demo")});
    ASSERT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(second.out.find("yeni "), std::string::npos) << second.out;
}
