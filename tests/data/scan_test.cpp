// Range scans and units of work begun from a table, on both engines: the records of a key range
// or a key prefix, forwards and backwards, stopping early, changing records on the way, and a
// read error that ends a scan as an error instead of as the end of the records.
#include "data/database.h"
#include "data/dataset.h"
#include "data/records.h"
#include "fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <tuple>

#include <string>
#include <vector>

namespace hk::data::test {
namespace {

KLDUsers right(const std::string& id, double menu) {
    KLDUsers r;
    r.ID = id;
    r.MENUNO = menu;
    r.GOSTER = "E";
    return r;
}

class Scan : public EngineFixture {
  protected:
    void SetUp() override {
        table_ = TypedTable<KLDUsers>(open(Layout::KLDUsers));
        // "ALIB" begins with "ALI": a prefix scan of ALI must not take it for one of ALI's.
        for (const auto& [id, menu] : std::vector<std::pair<std::string, double>>{
                 {"VELI", 10}, {"ALI", 20}, {"ALIB", 1}, {"ALI", -5}, {"ALI", 30}, {"ALI", 10}, {"AHMET", 10}})
            ASSERT_TRUE(table_.add(right(id, menu)).ok());
    }
    std::string ids(const std::vector<KLDUsers>& rows) {
        std::string out;
        for (const auto& r : rows) out += (out.empty() ? "" : " ") + r.ID + ":" + std::to_string(static_cast<int>(r.MENUNO));
        return out;
    }
    TypedTable<KLDUsers> table_;
};

TEST_P(Scan, RangesAndPrefixesInBothDirections) {
    struct Case {
        const char* what;
        bool prefix;
        KLDUsers from, to;
        std::size_t parts;
        Direction d;
        const char* expected;
    };
    const Case cases[] = {
        {"one user's rows, a negative menu number first", true, right("ALI", 0), {}, 1,
         Direction::Forward, "ALI:-5 ALI:10 ALI:20 ALI:30"},
        {"the same backwards", true, right("ALI", 0), {}, 1, Direction::Backward,
         "ALI:30 ALI:20 ALI:10 ALI:-5"},
        {"whole key as the prefix", true, right("ALI", 20), {}, 2, Direction::Forward, "ALI:20"},
        {"no parts: every record", true, {}, {}, 0, Direction::Forward,
         "AHMET:10 ALI:-5 ALI:10 ALI:20 ALI:30 ALIB:1 VELI:10"},
        {"no parts backwards", true, {}, {}, 0, Direction::Backward,
         "VELI:10 ALIB:1 ALI:30 ALI:20 ALI:10 ALI:-5 AHMET:10"},
        {"a user nobody has", true, right("ZEKI", 0), {}, 1, Direction::Forward, ""},
        {"range, both ends included", false, right("ALI", 10), right("ALI", 20), 0,
         Direction::Forward, "ALI:10 ALI:20"},
        {"range backwards", false, right("ALI", 10), right("ALI", 20), 0, Direction::Backward,
         "ALI:20 ALI:10"},
        {"range across users", false, right("ALI", 25), right("VELI", 0), 0, Direction::Forward,
         "ALI:30 ALIB:1"},
        {"empty range", false, right("ALI", 21), right("ALI", 29), 0, Direction::Forward, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<KLDUsers> seen;
        auto visit = [&](const KLDUsers& r) { seen.push_back(r); };
        core::Status st = c.prefix ? table_.scanPrefix("IdKey", c.from, c.parts, visit, c.d)
                                   : table_.scan("IdKey", c.from, c.to, visit, c.d);
        ASSERT_TRUE(st.ok()) << st.error().describe();
        EXPECT_EQ(ids(seen), c.expected);
    }
}

TEST_P(Scan, VisitorStopsEarlyOrEndsWithItsError) {
    int visited = 0;
    ASSERT_TRUE(table_.scanPrefix("IdKey", right("ALI", 0), 1, [&](const KLDUsers&) {
        return ++visited < 2;
    }).ok());
    EXPECT_EQ(visited, 2);
    auto st = table_.scanPrefix("IdKey", right("ALI", 0), 1, [&](const KLDUsers& r) -> core::Status {
        if (r.MENUNO > 0) return core::Error::refused("dur");
        return {};
    });
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().text, "dur");
    EXPECT_EQ(st.error().kind, core::ErrorKind::Refused);
}

TEST_P(Scan, RecordsVisitedCanBeChangedAndDeletedOnTheWay) {
    // delete ALI's rows and mark AHMET's, in one pass over the whole key
    ASSERT_TRUE(table_.scanPrefix("IdKey", KLDUsers{}, 0, [&](const KLDUsers& r) -> core::Status {
        if (r.ID == "ALI") return table_.erase();
        if (r.ID == "AHMET") {
            KLDUsers changed = r;
            changed.GOSTER = "H";
            return table_.put(changed);
        }
        return {};
    }).ok());
    auto rest = table_.collect("IdKey", KLDUsers{}, 0);
    ASSERT_TRUE(rest.ok());
    EXPECT_EQ(ids(rest.value()), "AHMET:10 ALIB:1 VELI:10");
    EXPECT_EQ(rest.value()[0].GOSTER, "H");
}

// A prefix scan reads only its range, yet leaves the table where it stopped: next() after it
// reads on past the prefix, and a second scan of the same prefix sees a record added meanwhile.
TEST_P(Scan, AfterAPrefixScanReadsGoOnAndSeeNewRecords) {
    int seen = 0;
    ASSERT_TRUE(table_.scanPrefix("IdKey", right("ALI", 0), 1, [&](const KLDUsers&) { ++seen; }).ok());
    EXPECT_EQ(seen, 4);
    auto after = table_.next();
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(after->ID, "ALIB");
    ASSERT_TRUE(table_.next().ok());
    EXPECT_EQ(table_.current().ID, "VELI");
    EXPECT_FALSE(table_.next().ok());

    ASSERT_TRUE(table_.add(right("ALI", 40)).ok());
    auto again = table_.collect("IdKey", right("ALI", 0), 1);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(ids(again.value()), "ALI:-5 ALI:10 ALI:20 ALI:30 ALI:40");
    // Stopped inside the range, the reads go on from the record it stopped at.
    ASSERT_TRUE(table_.scanPrefix("IdKey", right("ALI", 0), 1, [&](const KLDUsers& r) {
        return r.MENUNO < 10;
    }).ok());
    auto next = table_.next();
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(next->MENUNO, 20);
}

TEST_P(Scan, UnknownKeyIsAnError) {
    auto st = table_.scanPrefix("YokKey", KLDUsers{}, 0, [](const KLDUsers&) {});
    EXPECT_FALSE(st.ok());
}

TEST_P(Scan, AUnitOfWorkFromTheTableCommitsOrRollsBack) {
    {
        auto tx = table_.begin();
        ASSERT_TRUE(tx.ok());
        ASSERT_TRUE(table_.add(right("ZEKI", 1)).ok());
        ASSERT_TRUE(tx->commit().ok());
    }
    {
        auto tx = table_.begin();
        ASSERT_TRUE(tx.ok());
        ASSERT_TRUE(table_.add(right("ZEKI", 2)).ok());
        // not committed: rolled back when it goes (a memory work file keeps what was written)
    }
    auto zeki = table_.collect("IdKey", right("ZEKI", 0), 1);
    ASSERT_TRUE(zeki.ok());
    EXPECT_EQ(ids(zeki.value()), isSqlite(GetParam()) ? "ZEKI:1" : "ZEKI:1 ZEKI:2");
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Scan, ::testing::Values(Engine::Sqlite, Engine::Memory,
                                           Engine::SqliteEscapedKeys),
                         engineName);

// The lines of one account in voucher-key order (the account's own index in a data file, the
// whole key read in a memory work file): same answer on both engines, and the bookmarks lead back
// to the lines so they can be changed.
class Where : public EngineFixture {
  protected:
    void SetUp() override {
        lines_ = TypedTable<FisDet>(open(Layout::FisDet));
        // Inserted out of key order; "120 01 0010" begins with "120 01 001" and must not match.
        const std::vector<std::tuple<const char*, const char*, int>> rows = {
            {"0300000002", "120 01 001", 200}, {"0100000001", "600 01 001", 100},
            {"0300000002", "120 01 001", 100}, {"0100000001", "120 01 001", 300},
            {"0200000005", "120 01 0010", 100}, {"0200000004", "100 01 001", 100}};
        for (const auto& [key, code, ackno] : rows) {
            FisDet l;
            l.KEYSTR = key;
            l.HESAPKODU = code;
            l.ACKNO = ackno;
            ASSERT_TRUE(lines_.add(l).ok());
        }
    }
    std::string of(const std::string& code) {
        auto r = lines_.collectWhere("MFD:KeyFisDet", "HESAPKODU", code);
        EXPECT_TRUE(r.ok());
        std::string out;
        if (!r.ok()) return out;
        for (const auto& [mark, l] : *r)
            out += (out.empty() ? "" : " ") + l.KEYSTR + "/" + std::to_string(l.ACKNO);
        return out;
    }
    TypedTable<FisDet> lines_;
};

TEST_P(Where, TheLinesOfOneAccountInKeyOrder) {
    struct Case {
        std::string code;
        const char* expected;
    } cases[] = {{"120 01 001", "0100000001/300 0300000002/100 0300000002/200"},
                 {"120 01 001   ", "0100000001/300 0300000002/100 0300000002/200"},
                 {"120 01 0010", "0200000005/100"},
                 {"120 01", ""},
                 {"999", ""}};
    for (const auto& k : cases) EXPECT_EQ(of(k.code), k.expected) << k.code;
}

TEST_P(Where, BookmarksLeadBackToTheLinesToChangeThem) {
    auto found = lines_.collectWhere("MFD:KeyFisDet", "HESAPKODU", "120 01 001");
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found->size(), 3u);
    for (auto& [mark, line] : *found) {
        ASSERT_TRUE(lines_.table().reget(mark).ok());
        line.HESAPKODU = "120 01 002";
        ASSERT_TRUE(lines_.put(line).ok());
    }
    EXPECT_EQ(of("120 01 001"), "");
    EXPECT_EQ(of("120 01 002"), "0100000001/300 0300000002/100 0300000002/200");
    EXPECT_EQ(of("600 01 001"), "0100000001/100");
}

// readWhere visits as it reads and stops when the visitor says so; scanWhere reads every match
// first, so its visitor may move each line out of the account without meeting one twice.
TEST_P(Where, ReadingStopsWhereTheVisitorSaysAndScanningLetsItWrite) {
    std::vector<std::string> seen;
    ASSERT_TRUE(lines_.table()
                    .readWhere("MFD:KeyFisDet", "HESAPKODU", "120 01 001",
                               [&](const Record& r, const Bookmark& b) -> core::Result<bool> {
                                   EXPECT_TRUE(b.valid());
                                   seen.push_back(*r.text("KEYSTR") + "/" + *r.text("ACKNO"));
                                   return seen.size() < 2;
                               })
                    .ok());
    EXPECT_EQ(seen, (std::vector<std::string>{"0100000001/300", "0300000002/100"}));

    int visits = 0;
    ASSERT_TRUE(lines_.table()
                    .scanWhere("MFD:KeyFisDet", "HESAPKODU", "120 01 001",
                               [&](const Record&, const Bookmark& b) -> core::Result<bool> {
                                   ++visits;
                                   if (auto st = lines_.table().reget(b); !st) return st.error();
                                   FisDet l = lines_.current();
                                   l.HESAPKODU = "120 01 001 A";
                                   if (auto st = lines_.put(l); !st) return st.error();
                                   return true;
                               })
                    .ok());
    EXPECT_EQ(visits, 3);
    EXPECT_EQ(of("120 01 001"), "");
    EXPECT_EQ(of("120 01 001 A"), "0100000001/300 0300000002/100 0300000002/200");
}

TEST_P(Where, UnknownKeysAndFieldsThatAreNotTextAreRefused) {
    EXPECT_FALSE(lines_.collectWhere("MFD:Yok", "HESAPKODU", "1").ok());
    EXPECT_FALSE(lines_.collectWhere("MFD:KeyFisDet", "YOK", "1").ok());
    EXPECT_FALSE(lines_.collectWhere("MFD:KeyFisDet", "ACKNO", "100").ok());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Where, ::testing::Values(Engine::Sqlite, Engine::Memory,
                                           Engine::SqliteEscapedKeys),
                         engineName);

// A data folder made before the account index existed gets it when FisDet is opened, and
// the lines of an account are then read through it.
TEST(WhereSqlite, AnOlderDataFileGetsTheAccountIndexOnOpen) {
    ScratchDir dir;
    const auto p = dir.path() / "a.db";
    {
        auto db = Database::open(p);
        ASSERT_TRUE(db.ok());
        ASSERT_TRUE(db->table(fileDef(Layout::FisDet)).ok());
    }
    // The texts of column `col` of every row of a plain SQL statement on the file.
    auto indexes = [&](const char* sql, int col = 0) {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open(p.c_str(), &raw), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(raw, sql, -1, &s, nullptr), SQLITE_OK);
        std::string out;
        while (sqlite3_step(s) == SQLITE_ROW)
            out += reinterpret_cast<const char*>(sqlite3_column_text(s, col)) + std::string(";");
        sqlite3_finalize(s);
        sqlite3_close(raw);
        return out;
    };
    const char* list = "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                       "'FisDet' AND name LIKE '%HESAPKODU%'";
    EXPECT_EQ(indexes(list), "FisDet/HESAPKODU,KeyFisDet;");
    indexes("DROP INDEX \"FisDet/HESAPKODU,KeyFisDet\"");
    EXPECT_EQ(indexes(list), "");
    auto db = Database::open(p);
    ASSERT_TRUE(db.ok());
    ASSERT_TRUE(db->table(fileDef(Layout::FisDet)).ok());
    EXPECT_EQ(indexes(list), "FisDet/HESAPKODU,KeyFisDet;");
    // The account's lines are read through the index, with no sort of their own.
    const std::string plan = indexes("EXPLAIN QUERY PLAN SELECT rowid FROM FisDet WHERE HESAPKODU "
                                     "= '1' AND KeyFisDet IS NOT NULL ORDER BY KeyFisDet, rowid",
                                     3);
    EXPECT_NE(plan.find("FisDet/HESAPKODU,KeyFisDet"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
}

TEST(ScanSqlite, AReadErrorEndsTheScanAsAnErrorNotAsTheEnd) {
    ScratchDir dir;
    auto db = must(Database::open(dir.path() / "test.db"));
    TypedTable<KLDUsers> t(must(db.table(fileDef(Layout::KLDUsers))));
    for (double m : {1.0, 2.0, 3.0}) ASSERT_TRUE(t.add(right("ALI", m)).ok());
    // The table disappears under the scan: the read that follows fails.
    int visited = 0;
    auto st = t.scanPrefix("IdKey", right("ALI", 0), 1, [&](const KLDUsers&) -> core::Status {
        ++visited;
        return db.drop("KLDUsers");
    });
    // the visitor's drop either fails (the table is in use) or the next read does: never a
    // quiet end after one record
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().code, 0);
    EXPECT_EQ(visited, 1);
}

TEST(ScanSqlite, AUnitOfWorkFromTheDataSetHoldsOffASecondWriter) {
    ScratchDir dir;
    auto where = Locations::resolve(dir.path().string(), dir.path());
    auto first = must(DataSet::open(where));
    OpenOptions quick;
    quick.busyTimeoutMs = 50;
    auto second = must(Database::open(first.data().path(), quick));
    auto tx = first.begin();
    ASSERT_TRUE(tx.ok());
    // BEGIN IMMEDIATE: the write lock is taken at the start, so the second writer waits and
    // gives up with message 21 rather than reading what is about to change.
    auto blocked = Transaction::begin(second);
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().message, 21);
    ASSERT_TRUE(tx->commit().ok());
    EXPECT_TRUE(Transaction::begin(second).ok());
}

} // namespace
} // namespace hk::data::test
