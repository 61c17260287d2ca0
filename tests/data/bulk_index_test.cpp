// A bulk load that sets the account index of the lines aside and builds it again at the end:
// afterwards the index answers exactly as one kept up line by line, it can only be set aside
// within a unit of work, and a unit of work rolled back brings it back untouched.
#include "fixture.h"

#include "data/records.h"

#include <sqlite3.h>

#include <map>
#include <random>

using namespace hk::data;
using namespace hk::data::test;

namespace {

constexpr const char* kIndex = "FisDet/HESAPKODU,KeyFisDet";

class BulkIndex : public ::testing::Test {
  protected:
    // Whether the account index exists in the file (read through a connection of its own).
    bool hasIndex(const std::filesystem::path& p) {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open(p.c_str(), &raw), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(raw,
                                     "SELECT 1 FROM sqlite_master WHERE type = 'index' AND "
                                     "name = ?1",
                                     -1, &s, nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(s, 1, kIndex, -1, SQLITE_STATIC);
        const bool found = sqlite3_step(s) == SQLITE_ROW;
        sqlite3_finalize(s);
        sqlite3_close(raw);
        return found;
    }
    static std::vector<FisDet> randomLines(unsigned seed, int n) {
        std::mt19937 rng(seed);
        std::vector<FisDet> out;
        for (int i = 0; i < n; ++i) {
            FisDet l;
            char key[16];
            std::snprintf(key, sizeof key, "%02u%08u", static_cast<unsigned>(1 + rng() % 12),
                          static_cast<unsigned>(rng() % 500));
            l.KEYSTR = key;
            l.HESAPKODU = "120 0" + std::to_string(rng() % 4) + " 00" + std::to_string(rng() % 7);
            l.ACKNO = static_cast<int>(100 * (1 + rng() % 6));
            l.TLBORC = i;
            out.push_back(l);
        }
        return out;
    }
    // Every account's lines as the account index reads them, with their rowids' order.
    static std::map<std::string, std::string> byAccount(TypedTable<FisDet>& t) {
        std::map<std::string, std::string> out;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 7; ++b) {
                const std::string code = "120 0" + std::to_string(a) + " 00" + std::to_string(b);
                auto r = t.collectWhere("MFD:KeyFisDet", "HESAPKODU", code);
                EXPECT_TRUE(r.ok());
                for (const auto& [mark, l] : *r)
                    out[code] += l.KEYSTR + "/" + std::to_string(l.ACKNO) + "/" +
                                 std::to_string(static_cast<int>(l.TLBORC)) + " ";
            }
        return out;
    }
    ScratchDir dir_;
};

TEST_F(BulkIndex, TheRebuiltIndexAnswersAsOneKeptUpLineByLine) {
    const auto old = randomLines(1, 200), fresh = randomLines(2, 1500);
    auto plainDb = must(Database::open(dir_.path() / "plain.db"));
    auto bulkDb = must(Database::open(dir_.path() / "bulk.db"));
    TypedTable<FisDet> plain(must(plainDb.table(fileDef(Layout::FisDet))));
    TypedTable<FisDet> bulk(must(bulkDb.table(fileDef(Layout::FisDet))));
    {
        Transaction a{plainDb}, b{bulkDb};
        for (const auto& l : old) {
            ASSERT_TRUE(plain.add(l).ok());
            ASSERT_TRUE(bulk.add(l).ok());
        }
        for (const auto& l : fresh) ASSERT_TRUE(plain.add(l).ok());
        ASSERT_TRUE(a.commit().ok());
        ASSERT_TRUE(b.commit().ok());
    }
    {
        Transaction tx{bulkDb};
        ASSERT_TRUE(tx.started().ok());
        ASSERT_TRUE(bulk.table().deferIndexes().ok());
        // Other connections go on reading the file as it was, index and all.
        EXPECT_TRUE(hasIndex(dir_.path() / "bulk.db"));
        for (const auto& l : fresh) ASSERT_TRUE(bulk.add(l).ok());
        ASSERT_TRUE(bulk.table().restoreIndexes().ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    EXPECT_TRUE(hasIndex(dir_.path() / "bulk.db"));
    const auto want = byAccount(plain);
    EXPECT_EQ(byAccount(bulk), want);
    EXPECT_GT(want.size(), 20u);
    // The engine's own check finds the rebuilt index whole (lines without a voucher header are
    // reported as such in both files alike).
    auto problems = bulkDb.check();
    auto plainProblems = plainDb.check();
    ASSERT_TRUE(problems.ok() && plainProblems.ok());
    std::string got, expected;
    for (const auto& p : *problems) got += p.table + ": " + p.text + "\n";
    for (const auto& p : *plainProblems) expected += p.table + ": " + p.text + "\n";
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.find("ndex"), std::string::npos) << got;
}

TEST_F(BulkIndex, OnlyWithinAUnitOfWorkAndARollbackBringsItBack) {
    const auto p = dir_.path() / "a.db";
    auto db = must(Database::open(p));
    TypedTable<FisDet> lines(must(db.table(fileDef(Layout::FisDet))));
    for (const auto& l : randomLines(3, 50)) ASSERT_TRUE(lines.add(l).ok());
    const auto before = byAccount(lines);

    // Outside a unit of work the drop would stand on its own: refused, nothing dropped.
    EXPECT_FALSE(lines.table().deferIndexes().ok());
    EXPECT_FALSE(lines.table().restoreIndexes().ok());
    EXPECT_TRUE(hasIndex(p));

    {
        Transaction tx{db};
        ASSERT_TRUE(tx.started().ok());
        ASSERT_TRUE(lines.table().deferIndexes().ok());
        for (const auto& l : randomLines(4, 50)) ASSERT_TRUE(lines.add(l).ok());
        // the unit of work fails before the index is built again
    }
    EXPECT_TRUE(hasIndex(p));
    EXPECT_EQ(byAccount(lines), before);
    EXPECT_EQ(*lines.count(), 50);

    // A memory work file has nothing to set aside.
    TypedTable<FisDet> work(Table::memory(fileDef(Layout::FisDet), "Tmp"));
    EXPECT_TRUE(work.table().deferIndexes().ok());
    EXPECT_TRUE(work.table().restoreIndexes().ok());
}

} // namespace
