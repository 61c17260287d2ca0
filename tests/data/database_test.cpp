#include "fixture.h"

#include "data/dataset.h"
#include "data/engine.h"
#include "data/errors.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>

namespace hk::data::test {
namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Database openDb(const std::filesystem::path& p, OpenOptions o = {}) {
    auto d = Database::open(p, o);
    EXPECT_TRUE(d.ok()) << (d.ok() ? "" : d.error().describe());
    return std::move(*d);
}

void addAccount(Table& t, const char* code) {
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", code).ok());
    ASSERT_TRUE(t.add().ok());
}

TEST(Database, RecordsSurviveClosingAndOpening) {
    ScratchDir dir;
    {
        Database db = openDb(dir.path() / "a.db");
        Table t = must(db.table(fileDef(Layout::HsPlan)));
        addAccount(t, "100");
        addAccount(t, "Çek");
    }
    Database db = openDb(dir.path() / "a.db");
    Table t = must(db.table(fileDef(Layout::HsPlan), false));
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"100", "Çek"}));
}

TEST(Database, TablesCanBeReadWithPlainSql) {
    ScratchDir dir;
    const auto p = dir.path() / "a.db";
    {
        Database db = openDb(p);
        TypedTable<HsPlan> plan(must(db.table(fileDef(Layout::HsPlan))));
        HsPlan h;
        h.HESAPKODU = "İş 01";
        month(h.TLBORC, 3) = 12.5;
        ASSERT_TRUE(plan.add(h).ok());
        TypedTable<FisBas> bas(must(db.table(fileDef(Layout::FisBas))));
        FisBas b;
        b.FISTRH = core::Date{29, 2, 2016};
        b.KSAATI = core::Time{13, 5, 9, 0};
        ASSERT_TRUE(bas.add(b).ok());
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(p.c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT HESAPKODU, TLBORC_3, TLBORC_4, typeof(KeyHesapAd) FROM HsPlan", -1, &s, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "İş 01");
    EXPECT_EQ(sqlite3_column_double(s, 1), 12.5);
    EXPECT_EQ(sqlite3_column_double(s, 2), 0.0);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 3)), "null");  // blank name: not indexed
    sqlite3_finalize(s);
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT FISTRH, KSAATI FROM FisBas", -1, &s, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int64(s, 0), 20160229);
    EXPECT_EQ(sqlite3_column_int64(s, 1), 13050900);
    sqlite3_finalize(s);
    sqlite3_close(raw);
}

// New databases get 16 KiB pages; one made with another page size keeps it and stays readable
// and writable.
TEST(Database, NewDatabasesGetLargePagesAndOldOnesKeepTheirs) {
    ScratchDir dir;
    auto pageSize = [](const std::filesystem::path& p) {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open(p.c_str(), &raw), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(raw, "PRAGMA page_size", -1, &s, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_step(s), SQLITE_ROW);
        const auto n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        sqlite3_close(raw);
        return n;
    };
    const auto fresh = dir.path() / "new.db";
    {
        Database db = openDb(fresh);
        Table t = must(db.table(fileDef(Layout::HsPlan)));
        addAccount(t, "100");
    }
    EXPECT_EQ(pageSize(fresh), 16384);

    // A database of 4 KiB pages, as earlier versions made them, with a table in it.
    const auto old = dir.path() / "old.db";
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(old.c_str(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw, "PRAGMA page_size = 4096; PRAGMA journal_mode = WAL", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
        Database db = openDb(old);
        Table t = must(db.table(fileDef(Layout::HsPlan)));
        for (int i = 0; i < 500; ++i) addAccount(t, ("A" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(pageSize(old), 4096);
    {
        Database db = openDb(old);
        Table t = must(db.table(fileDef(Layout::HsPlan), false));
        addAccount(t, "B");
        EXPECT_EQ(*t.count(), 501);
    }
    EXPECT_EQ(pageSize(old), 4096);
}

// A larger page cache lasts for its scope; a smaller one than the usual is never set.
TEST(Database, ALargeCacheLastsForItsScope) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "cache.db");
    auto cacheSize = [&db] {
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db.connection().db(), "PRAGMA cache_size", -1, &s, nullptr),
                  SQLITE_OK);
        EXPECT_EQ(sqlite3_step(s), SQLITE_ROW);
        const auto n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return n;
    };
    const auto usual = cacheSize();
    ASSERT_LT(usual, 0); // KiB
    {
        LargeCache big{db, std::int64_t{256} << 20};
        EXPECT_EQ(cacheSize(), -262144);
        LargeCache smaller{db, std::int64_t{1} << 20};
        EXPECT_EQ(cacheSize(), -262144);
    }
    EXPECT_EQ(cacheSize(), usual);
}

TEST(Database, MissingTableWithoutCreateIsMessage23) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    auto t = db.table(fileDef(Layout::FisAck), false);
    ASSERT_FALSE(t.ok());
    EXPECT_TRUE(is(t.error(), ErrorCode::FileNotFound));
    EXPECT_EQ(t.error().message, 23);
    EXPECT_EQ(t.error().file, "FisAck");
}

TEST(Database, TableOfAnotherLayoutIsALayoutMismatch) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    ASSERT_TRUE(db.create("FisDet", fileDef(Layout::FisDetB)).ok());
    auto t = db.table(fileDef(Layout::FisDet));
    ASSERT_FALSE(t.ok());
    EXPECT_TRUE(is(t.error(), ErrorCode::LayoutMismatch));
    EXPECT_EQ(*db.layoutOf("FisDet"), "FisDetB");
    // under its own layout it opens
    EXPECT_TRUE(db.table("FisDet", fileDef(Layout::FisDetB), false).ok());

    // a table some other tool made, with no layout record, is not taken for ours
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((dir.path() / "a.db").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE \"HsPlan\" (x)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    auto h = db.table(fileDef(Layout::HsPlan));
    ASSERT_FALSE(h.ok());
    EXPECT_TRUE(is(h.error(), ErrorCode::LayoutMismatch));
}

TEST(Database, AFileThatIsNotADatabaseIsReportedAndLeftAlone) {
    ScratchDir dir;
    const auto p = dir.path() / "Hesapkar.db";
    std::string garbage;
    for (int i = 0; i < 8192; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
    {
        std::ofstream out(p, std::ios::binary);
        out << garbage;
    }
    auto d = Database::open(p);
    ASSERT_FALSE(d.ok());
    EXPECT_TRUE(is(d.error(), ErrorCode::NotADatabase)) << d.error().describe();
    EXPECT_EQ(d.error().file, p.string());
    EXPECT_EQ(d.error().message, 23);
    EXPECT_EQ(readFile(p), garbage);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Hesapkar.db-wal"));

    auto folder = Database::open(dir.path());
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.error().message, 23);
}

TEST(Database, ALockedDatabaseGivesFileLockedAndLosesNothing) {
    ScratchDir dir;
    const auto p = dir.path() / "a.db";
    Database mine = openDb(p, OpenOptions{true, false, 100});
    Table t = must(mine.table(fileDef(Layout::HsPlan)));
    addAccount(t, "100");

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(p.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "101").ok());
    auto st = t.add();
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::FileLocked)) << st.error().describe();
    Transaction tx(mine);
    ASSERT_FALSE(tx.started().ok());
    EXPECT_EQ(tx.started().error().message, 21);
    EXPECT_FALSE(tx.commit().ok());
    // reading still works while the other process writes
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"100"}));
    ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "101").ok());
    auto later = t.add();
    EXPECT_TRUE(later.ok()) << later.error().describe();
}

TEST(Transaction, RollbackLeavesNothing) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    Table bas = must(db.table(fileDef(Layout::FisBas)));
    Table det = must(db.table(fileDef(Layout::FisDet)));
    {
        Transaction tx(db);
        ASSERT_TRUE(tx.started().ok());
        bas.clear();
        ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0100000001").ok());
        ASSERT_TRUE(bas.add().ok());
        det.clear();
        ASSERT_TRUE(det.buffer().setText("KEYSTR", "0100000001").ok());
        ASSERT_TRUE(det.add().ok());
        EXPECT_EQ(*det.count(), 1);
        // no commit: the destructor rolls back
    }
    EXPECT_EQ(*bas.count(), 0);
    EXPECT_EQ(*det.count(), 0);
    ASSERT_TRUE(bas.set("KeyFis", Seek::First).ok());
    EXPECT_FALSE(bas.next().ok());
    {
        Transaction tx(db);
        bas.clear();
        ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0100000002").ok());
        ASSERT_TRUE(bas.add().ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    EXPECT_EQ(*bas.count(), 1);
}

TEST(Transaction, InnerUnitsNestInsideOuterOnes) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    Table t = must(db.table(fileDef(Layout::HsPlan)));
    {
        Transaction outer(db);
        addAccount(t, "1");
        {
            Transaction inner(db);
            ASSERT_TRUE(inner.started().ok());
            addAccount(t, "2");
        }  // inner rolled back
        {
            Transaction inner(db);
            addAccount(t, "3");
            ASSERT_TRUE(inner.commit().ok());
        }
        ASSERT_TRUE(outer.commit().ok());
    }
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"1", "3"}));
}

TEST(Database, ConversionStepsOnTables) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    // an old voucher-line table in layout A
    Table old = must(db.table("FisDet", fileDef(Layout::FisDetA)));
    for (int i = 1; i <= 3; ++i) {
        old.clear();
        ASSERT_TRUE(old.buffer().setText("KEYSTR", "0100000001").ok());
        ASSERT_TRUE(old.buffer().setNumber("ACKNO", (4 - i) * 100).ok());
        ASSERT_TRUE(old.buffer().setText("FISACK", "Satır " + std::to_string(i)).ok());
        ASSERT_TRUE(old.add().ok());
    }
    ASSERT_TRUE(db.create("FisDet.Tmp", fileDef(Layout::FisDetB)).ok());
    EXPECT_FALSE(db.create("FisDet.Tmp", fileDef(Layout::FisDetB)).ok());
    Table neu = must(db.table("FisDet.Tmp", fileDef(Layout::FisDetB), false));
    ASSERT_TRUE(old.setPhysical().ok());
    while (old.next().ok()) {
        neu.clear();
        neu.buffer().copyMatchingFields(old.buffer());
        ASSERT_TRUE(neu.append().ok());
    }
    // appended records are not in the keys until they are rebuilt
    ASSERT_TRUE(neu.set("KeyFisDet", Seek::First).ok());
    EXPECT_FALSE(neu.next().ok());
    ASSERT_TRUE(neu.rebuildKeys().ok());
    EXPECT_EQ(readAll(neu, "KeyFisDet", "FISACK"), (std::vector<std::string>{"Satır 3", "Satır 2", "Satır 1"}));

    ASSERT_TRUE(db.rename("FisDet", "FisDet.Esk").ok());
    ASSERT_TRUE(db.rename("FisDet.Tmp", "FisDet").ok());
    EXPECT_FALSE(db.rename("FisDet.Tmp", "FisDet").ok());
    EXPECT_EQ(*db.layoutOf("FisDet"), "FisDetB");
    EXPECT_EQ(*db.layoutOf("FisDet.Esk"), "FisDetA");
    Table again = must(db.table("FisDet", fileDef(Layout::FisDetB), false));
    EXPECT_EQ(readAll(again, "KeyFisSiraNo", "ACKNO"), (std::vector<std::string>{"100", "200", "300"}));
    ASSERT_TRUE(db.create("FisDet.Tmp", fileDef(Layout::FisDet)).ok());  // index names are free again

    ASSERT_TRUE(db.drop("FisDet.Esk").ok());
    EXPECT_FALSE(*db.exists("FisDet.Esk"));
    EXPECT_TRUE(db.drop("DataList").ok());  // nothing to drop is fine
}

TEST(Database, CheckFindsDamagedKeysAndOrphanLines) {
    ScratchDir dir;
    const auto p = dir.path() / "a.db";
    Database db = openDb(p);
    {
        Table h = must(db.table(fileDef(Layout::HsPlan)));
        addAccount(h, "100");
        Table bas = must(db.table(fileDef(Layout::FisBas)));
        bas.clear();
        ASSERT_TRUE(bas.buffer().setText("KEYSTR", "0100000001").ok());
        ASSERT_TRUE(bas.add().ok());
        Table det = must(db.table(fileDef(Layout::FisDet)));
        for (const char* k : {"0100000001", "0100000002"}) {
            det.clear();
            ASSERT_TRUE(det.buffer().setText("KEYSTR", k).ok());
            ASSERT_TRUE(det.add().ok());
        }
    }
    auto clean = db.check();
    ASSERT_TRUE(clean.ok());
    ASSERT_EQ(clean->size(), 1u);  // the line of voucher 2 has no header
    EXPECT_EQ((*clean)[0].table, "FisDet");

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(p.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "UPDATE \"HsPlan\" SET \"HESAPKODU\" = '999'", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    auto damaged = db.check();
    ASSERT_TRUE(damaged.ok());
    ASSERT_EQ(damaged->size(), 2u);
    EXPECT_EQ((*damaged)[0].table, "HsPlan");
    EXPECT_NE((*damaged)[0].text.find("HSP:KeyHesap"), std::string::npos);
}

TEST(Database, KeysStayRightWhenAnotherTableChangedTheRowMeanwhile) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    Table a = must(db.table(fileDef(Layout::HsPlan)));
    Table b = must(db.table(fileDef(Layout::HsPlan)));
    addAccount(a, "100");
    for (Table* t : {&a, &b}) {
        t->clear();
        ASSERT_TRUE(t->buffer().setText("HESAPKODU", "100").ok());
        ASSERT_TRUE(t->get("KeyHesap").ok());
    }
    ASSERT_TRUE(b.buffer().setText("HESAPKODU", "200").ok());
    ASSERT_TRUE(b.put().ok());
    // a still holds the record as it was and writes it back with a new name only
    ASSERT_TRUE(a.buffer().setText("HESAPAD1", "Kasa").ok());
    ASSERT_TRUE(a.put().ok());
    EXPECT_EQ(readAll(a, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"100"}));
    EXPECT_EQ(readAll(a, "KeyHesapAd", "HESAPAD1"), (std::vector<std::string>{"Kasa"}));
    auto problems = db.check();
    ASSERT_TRUE(problems.ok());
    EXPECT_TRUE(problems->empty()) << (*problems)[0].text;
}

TEST(Database, BackupCopiesALiveDatabase) {
    ScratchDir dir;
    Database db = openDb(dir.path() / "a.db");
    Table t = must(db.table(fileDef(Layout::HsPlan)));
    addAccount(t, "100");
    ASSERT_TRUE(db.backupTo(dir.path() / "copy.db").ok());
    Database copy = openDb(dir.path() / "copy.db");
    Table c = must(copy.table(fileDef(Layout::HsPlan), false));
    EXPECT_EQ(*c.count(), 1);
}

TEST(Database, ClosedTableSaysSo) {
    Table t;
    EXPECT_FALSE(t.isOpen());
    auto st = t.next();
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::NotOpen));
    EXPECT_EQ(st.error().message, 39);
}

} // namespace
} // namespace hk::data::test
