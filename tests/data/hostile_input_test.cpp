// Files that are not what they claim: another program's database, text with control characters.
#include "data/database.h"
#include "data/errors.h"
#include "data/records.h"
#include "data/startup.h"
#include "fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <sstream>

namespace hk::data {
namespace {

using test::ScratchDir;

std::string bytesOf(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A database written by another program through the engine directly.
void writeWithSqlite(const std::filesystem::path& file, const std::vector<std::string>& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    for (const auto& s : sql)
        ASSERT_EQ(sqlite3_exec(db, s.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << s;
    sqlite3_close(db);
}

std::vector<std::string> entries(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(ForeignDatabase, IsRefusedAndLeftByteIdentical) {
    struct Case {
        const char* label;
        std::vector<std::string> sql;
        const char* reason;
    };
    const Case cases[] = {
        {"another program's tables",
         {"CREATE TABLE musteri (id INTEGER PRIMARY KEY, ad TEXT)",
          "INSERT INTO musteri VALUES (1, 'Ayşe')"},
         "düzen tablosu yok"},
        {"our layout table beside a table of its own",
         {"CREATE TABLE hk_layout (name TEXT PRIMARY KEY, layout TEXT NOT NULL, signature TEXT "
          "NOT NULL)",
          "CREATE TABLE notlar (x)"},
         "notlar"},
        {"a layout this program does not know",
         {"CREATE TABLE hk_layout (name TEXT PRIMARY KEY, layout TEXT NOT NULL, signature TEXT "
          "NOT NULL)",
          "CREATE TABLE HsPlan (x)", "INSERT INTO hk_layout VALUES ('HsPlan', 'Baska', 'x')"},
         "Baska"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const auto file = dir.path() / "Hesapkar.db";
        writeWithSqlite(file, c.sql);
        const std::string before = bytesOf(file);
        auto db = Database::open(file);
        ASSERT_FALSE(db.ok()) << c.label;
        EXPECT_TRUE(is(db.error(), ErrorCode::NotADatabase)) << c.label << db.error().describe();
        EXPECT_EQ(db.error().message, 23);
        EXPECT_NE(db.error().text.find(c.reason), std::string::npos) << db.error().text;
        EXPECT_EQ(db.error().file, file.string());
        EXPECT_TRUE(bytesOf(file) == before) << c.label << ": the file was changed";
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"Hesapkar.db"})
            << c.label << ": no journal, WAL or shared-memory file is left";
        // Reading it is still allowed: that writes nothing.
        OpenOptions ro;
        ro.readOnly = true;
        ro.create = false;
        EXPECT_TRUE(Database::open(file, ro).ok()) << c.label;
        EXPECT_TRUE(bytesOf(file) == before) << c.label;
    }
}

TEST(ForeignDatabase, EmptyFileAndOwnDatabaseStillOpen) {
    ScratchDir dir;
    const auto empty = dir.path() / "bos.db";
    std::ofstream(empty).close();
    ASSERT_TRUE(Database::open(empty).ok());
    const auto own = dir.path() / "Hesapkar.db";
    {
        auto db = Database::open(own);
        ASSERT_TRUE(db.ok());
        ASSERT_TRUE(db->table(fileDef(Layout::HsPlan)).ok());
    }
    auto again = Database::open(own);
    ASSERT_TRUE(again.ok()) << again.error().describe();
}

// A line of the chart text carrying a terminal escape sequence is refused like a character
// outside the code page: it is reported and not stored, the other lines are.
TEST(ChartText, LinesWithControlCharactersAreRefused) {
    ScratchDir dir;
    const auto file = dir.path() / "HsPlan.txt";
    std::ofstream(file, std::ios::binary) << "100 K KASA\r\n"
                                             "101 K ALINAN \x01\x02\x1b[31mCEKLER\r\n"
                                             "102 K BANKALAR\r\n";
    auto db = Database::open(dir.path() / "Hesapkar.db");
    ASSERT_TRUE(db.ok());
    std::vector<startup::Notice> notices;
    auto added = startup::loadChartText(*db, file, notices);
    ASSERT_TRUE(added.ok()) << added.error().describe();
    EXPECT_EQ(*added, 2);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].text.find("2. satır"), std::string::npos) << notices[0].text;
    EXPECT_NE(notices[0].text.find("kontrol karakteri"), std::string::npos) << notices[0].text;
    auto t = db->table(fileDef(Layout::HsPlan), false);
    ASSERT_TRUE(t.ok());
    auto n = t->count();
    ASSERT_TRUE(n.ok());
    EXPECT_EQ(*n, 2);
}

} // namespace
} // namespace hk::data
