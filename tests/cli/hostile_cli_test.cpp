// hesapkar-cli against hostile input: outputs named after the books, another program's database,
// text that would drive the terminal, empty names and files that are not settings files.
#include "../output/zip_craft.h"

#include "support/cli.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using hk::test::CliRun;

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

void sql(const fs::path& file, const std::string& text) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << text;
    sqlite3_close(db);
}

class HostileCli : public hk::test::CliTest {
  protected:
    // Runs in a folder of its own, so that nothing can land in the test's folder unseen.
    void SetUp() override {
        CliTest::SetUp();
        fs::create_directories(root_ / "cwd");
        prefix_ = "cd " + hk::test::shellQuote((root_ / "cwd").string()) +
                  " && QT_QPA_PLATFORM=offscreen ";
    }
    std::string path(const std::string& name) const { return (root_ / name).string(); }
};

} // namespace

TEST_F(HostileCli, OutputsNamedAfterTheBooksAreRefused) {
    ASSERT_EQ(cli({"init", path("data")}).code, 0);
    const fs::path books = root_ / "data" / "Hesapkar.db";
    const std::string before = hk::test::readFile(books);
    const auto filesBefore = entries(root_ / "data");
    std::ofstream(root_ / "rapor.txt") << "Mizan\n";
    struct Case {
        std::vector<std::string> args;
        bool programDir;
    };
    const Case cases[] = {
        {{"export", "menu", path("data"), "--xlsx", books.string()}, true},
        {{"print", path("rapor.txt"), "--raw", books.string(), "--kind", "NPQ"}, false},
        {{"print", path("rapor.txt"), "--raw", books.string() + "-wal", "--kind", "LPQ"}, false},
        {{"print", path("rapor.txt"), "--pdf", books.string()}, false},
        {{"print", path("rapor.txt"), "--pdf", books.string() + "-shm"}, false},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        CliRun r = cli(c.args, c.programDir);
        EXPECT_NE(r.code, 0) << r.out;
        EXPECT_NE(r.err.find("veritabanı dosyası"), std::string::npos) << r.err;
        EXPECT_TRUE(hk::test::readFile(books) == before) << "the books were changed";
        // Reading the books may leave the engine's -wal and -shm beside them; nothing else may
        // appear, not even a temporary file.
        auto now = entries(root_ / "data");
        std::erase_if(now, [](const std::string& n) {
            return n == "Hesapkar.db-wal" || n == "Hesapkar.db-shm";
        });
        EXPECT_EQ(now, filesBefore);
    }
    CliRun info = cli({"info", path("data")});
    EXPECT_EQ(info.code, 0) << info.err;
}

TEST_F(HostileCli, InitOnAnotherProgramsDatabaseLeavesItByteIdentical) {
    fs::create_directories(root_ / "data");
    const fs::path file = root_ / "data" / "Hesapkar.db";
    sql(file, "CREATE TABLE fatura (no INTEGER PRIMARY KEY, tutar REAL);"
              "INSERT INTO fatura VALUES (1, 99.5);");
    const std::string before = hk::test::readFile(file);
    CliRun r = cli({"init", path("data"), "--yes"});
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find("bu programın veritabanı değil"), std::string::npos) << r.err << r.out;
    EXPECT_NE(r.err.find("Hesapkar.db"), std::string::npos) << r.err;
    EXPECT_TRUE(hk::test::readFile(file) == before);
    EXPECT_EQ(entries(root_ / "data"), std::vector<std::string>{"Hesapkar.db"});
}

TEST_F(HostileCli, TextFromFilesCannotDriveTheTerminal) {
    ASSERT_EQ(cli({"init", path("data")}).code, 0);
    // Put there behind the program's back, as another tool could.
    sql(root_ / "data" / "Hesapkar.db",
        "UPDATE HsPlan SET HESAPAD1 = 'KASA' || char(27) || '[31m' || char(1) || '\\' "
        "WHERE rowid = (SELECT min(rowid) FROM HsPlan)");
    CliRun dump = cli({"dump", path("data"), "HsPlan"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(dump.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(dump.out.find('\x01'), std::string::npos);
    EXPECT_NE(dump.out.find("KASA\\x1b[31m\\x01\\\\ |"), std::string::npos) << dump.out.substr(0, 400);

    std::vector<hk::test::CraftEntry> parts = {
        {"_rels/.rels",
         R"(<Relationships><Relationship Id="r" Type="x/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml", R"(<workbook><sheets><sheet name="S" id="s"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="s" Type="x/worksheet" Target="sheet.xml"/></Relationships>)"},
        {"xl/sheet.xml",
         R"(<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a&#27;]0;ele geçirildi&#7;&#x9B;2Jb</t></is></c></row></sheetData></worksheet>)"},
    };
    hk::test::writeFile(root_ / "kotu.xlsx", hk::test::craftZip(parts));
    CliRun sheet = cli({"sheet", path("kotu.xlsx")}, false);
    ASSERT_EQ(sheet.code, 0) << sheet.err;
    EXPECT_EQ(sheet.out, "1\t1\ta\\x1b]0;ele geçirildi\\x07\\xc2\\x9b2Jb\n");
}

TEST_F(HostileCli, EmptyNamesAndForeignSettingsFilesAreRefused) {
    CliRun empty = cli({"init", ""});
    EXPECT_NE(empty.code, 0);
    EXPECT_NE(empty.err.find("boş"), std::string::npos) << empty.err;
    EXPECT_TRUE(fs::is_empty(root_ / "cwd")) << "nothing is prepared in the current folder";

    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"notlar.txt", "Toplantı notları\nyarın saat 10\n"},
        {"ikili.bin", std::string("ab\0cd=1\n", 8)},
        {"kitap.ini", "PK\x03\x04"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(root_ / c.name, std::ios::binary) << c.content;
        CliRun r = cli({"init", path("data"), "--ini", path(c.name)});
        EXPECT_NE(r.code, 0);
        EXPECT_NE(r.err.find("ayar dosyası değil"), std::string::npos) << r.err;
        EXPECT_EQ(hk::test::readFile(root_ / c.name), c.content);
        EXPECT_FALSE(fs::exists(root_ / "data"));
    }
    // A settings file of its own, with comments and blank lines, is taken and kept.
    std::ofstream(root_ / "ayar.ini") << "; Hesapkar\n\n[User]\nName=HESAPKAR\n";
    CliRun ok = cli({"init", path("data"), "--ini", path("ayar.ini")});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_NE(hk::test::readFile(root_ / "ayar.ini").find("[CalisilanAy]"), std::string::npos);
}
