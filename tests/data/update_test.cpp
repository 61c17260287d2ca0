// Updating a record in place, on both engines: a put writes what changed and leaves the rest of
// the record, and every other record, exactly as they were; a changed key field moves the record
// in the keys made of it (and in FisDet's account index) and in no other. The SQLite engine leaves
// out the columns of unchanged key fields and keys, so each way it can learn what changed is
// tried: the record read just before (get), read and then stale (another write came in between),
// and seated from a scan without being read.
#include "data/records.h"
#include "data/seat.h"
#include "data/sqlite_table.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace hk::data::test {
namespace {

FisDet lineOf(const char* key, int no, const char* account, int ackno) {
    FisDet l;
    l.KEYSTR = key;
    l.FISSIRANO = static_cast<std::int16_t>(no);
    l.ACKNO = ackno;
    l.HESAPKODU = account;
    l.FISACK = "Satır " + std::to_string(no);
    l.TLBORC = 10.25 * no;
    l.BORCALACAK = "B";
    l.BELGENO = "F-" + std::to_string(no);
    return l;
}

class Update : public EngineFixture {
  protected:
    void SetUp() override {
        lines_ = TypedTable<FisDet>(open(Layout::FisDet));
        fill();
    }
    // The four lines as first stored, and nothing else.
    void fill() {
        ASSERT_TRUE(lines_.table().empty().ok());
        stored_ = {lineOf("0300000001", 1, "120 01 001", 100),
                   lineOf("0300000001", 2, "120 01 002", 200),
                   lineOf("0300000002", 1, "120 01 001", 100),
                   lineOf("0400000001", 1, "120 01 002", 100)};
        for (const FisDet& l : stored_) ASSERT_TRUE(lines_.add(l).ok());
    }
    // key/line number/account in the order of `key`.
    std::string order(std::string_view key) {
        std::string out;
        EXPECT_TRUE(lines_.set(key).ok());
        while (auto l = lines_.next())
            out += (out.empty() ? "" : " ") + l->KEYSTR + "/" + std::to_string(l->FISSIRANO) +
                   "/" + l->HESAPKODU.substr(7);
        return out;
    }
    // Every record as stored, in the order they were added.
    std::vector<FisDet> all() {
        std::vector<FisDet> out;
        EXPECT_TRUE(lines_.table().setPhysical().ok());
        while (auto l = lines_.next()) out.push_back(*l);
        return out;
    }
    std::vector<std::string> keysOfAccount(const char* account) {
        std::vector<std::string> out;
        auto found = lines_.collectWhere("MFD:KeyFisDet", "HESAPKODU", account);
        EXPECT_TRUE(found.ok());
        if (found.ok())
            for (const auto& [mark, l] : *found)
                out.push_back(l.KEYSTR + "/" + std::to_string(l.FISSIRANO));
        return out;
    }
    // Every stored key column holds the key its record makes.
    void expectKeyColumnsMatch() {
        if (!db_) return; // the memory engine keeps no key columns
        std::vector<std::pair<std::string, std::string>> problems;
        ASSERT_TRUE(checkKeyColumns(db_->connection(), "FisDet", fileDef(Layout::FisDet), problems)
                        .ok());
        for (const auto& [table, text] : problems) ADD_FAILURE() << table << ": " << text;
    }
    TypedTable<FisDet> lines_;
    std::vector<FisDet> stored_;
};

enum class Reached { ReadJustBefore, ReadThenStale, SeatedFromAScan };

struct Change {
    const char* name;
    std::function<void(FisDet&)> apply;
    const char* byLine;    // order of MFD:KeyFisSiraNo afterwards
    const char* byAccount; // order of MFD:KeyFisDet afterwards
};

const char* const kByLine =
    "0300000001/1/001 0300000001/2/002 0300000002/1/001 0400000001/1/002";
const char* const kByAccount = kByLine;

const std::vector<Change>& changes() {
    static const std::vector<Change> c = {
        {"nothing", [](FisDet&) {}, kByLine, kByAccount},
        {"fields of no key",
         [](FisDet& l) {
             l.FISACK = "Düzeltildi";
             l.TLBORC = 0;
             l.TLALACAK = 99.5;
             l.BORCALACAK = "A";
             l.BELGENO = "";
         },
         kByLine, kByAccount},
        {"the account",
         [](FisDet& l) { l.HESAPKODU = "120 01 000"; },
         "0300000001/1/001 0300000001/2/000 0300000002/1/001 0400000001/1/002",
         "0300000001/2/000 0300000001/1/001 0300000002/1/001 0400000001/1/002"},
        {"the line number",
         [](FisDet& l) { l.FISSIRANO = 0; },
         "0300000001/0/002 0300000001/1/001 0300000002/1/001 0400000001/1/002",
         "0300000001/1/001 0300000001/0/002 0300000002/1/001 0400000001/1/002"},
        {"the voucher key and a field of no key",
         [](FisDet& l) {
             l.KEYSTR = "0500000001";
             l.FISACK = "Taşındı";
         },
         "0300000001/1/001 0300000002/1/001 0400000001/1/002 0500000001/2/002",
         "0300000001/1/001 0300000002/1/001 0400000001/1/002 0500000001/2/002"},
        {"the number in both keys",
         [](FisDet& l) { l.ACKNO = 50; },
         kByLine, kByAccount},
    };
    return c;
}

TEST_P(Update, APutChangesWhatChangedAndNothingElse) {
    for (const Reached how :
         {Reached::ReadJustBefore, Reached::ReadThenStale, Reached::SeatedFromAScan}) {
        for (const Change& c : changes()) {
            SCOPED_TRACE(std::string(c.name) + ", reached " +
                         std::to_string(static_cast<int>(how)));
            fill();
            FisDet want = stored_[1];
            c.apply(want);
            if (how == Reached::SeatedFromAScan) {
                Bookmark mark;
                FisDet prefix;
                prefix.KEYSTR = "0300000001";
                ASSERT_TRUE(lines_
                                .scanPrefix("MFD:KeyFisSiraNo", prefix, 1,
                                            [&](const FisDet& l) {
                                                if (l.FISSIRANO == 2)
                                                    mark = lines_.table().bookmark();
                                            })
                                .ok());
                ASSERT_TRUE(seat(lines_.table(), mark).ok());
            } else {
                ASSERT_TRUE(lines_.get("MFD:KeyFisSiraNo", stored_[1]).ok());
                if (how == Reached::ReadThenStale) {
                    // Another table of the same store writes in between.
                    TypedTable<FisDet> other(open(Layout::FisDet));
                    if (db_) {
                        ASSERT_TRUE(other.get("MFD:KeyFisSiraNo", stored_[3]).ok());
                        FisDet o = stored_[3];
                        o.FISACK = "Başka";
                        ASSERT_TRUE(other.put(o).ok());
                        stored_[3] = o;
                    }
                }
            }
            ASSERT_TRUE(lines_.put(want).ok());
            std::vector<FisDet> expected = stored_;
            expected[1] = want;
            EXPECT_EQ(all(), expected);
            EXPECT_EQ(order("MFD:KeyFisSiraNo"), c.byLine);
            EXPECT_EQ(order("MFD:KeyFisDet"), c.byAccount);
            std::vector<std::string> inAccount;
            for (const FisDet& l : expected)
                if (l.HESAPKODU == want.HESAPKODU)
                    inAccount.push_back(l.KEYSTR + "/" + std::to_string(l.FISSIRANO));
            std::sort(inAccount.begin(), inAccount.end());
            EXPECT_EQ(keysOfAccount(want.HESAPKODU.c_str()), inAccount);
            expectKeyColumnsMatch();
        }
    }
}

// Puts one after another without a read between them: each starts from what the one before it
// wrote, not from the record as first read.
TEST_P(Update, PutsInARowEachStartFromTheOneBefore) {
    ASSERT_TRUE(lines_.get("MFD:KeyFisSiraNo", stored_[0]).ok());
    FisDet l = stored_[0];
    l.HESAPKODU = "120 01 009";
    ASSERT_TRUE(lines_.put(l).ok());
    l.HESAPKODU = "120 01 001"; // back to the value first read
    l.FISSIRANO = 7;
    ASSERT_TRUE(lines_.put(l).ok());
    l.FISACK = "Üçüncü";
    ASSERT_TRUE(lines_.put(l).ok());
    std::vector<FisDet> expected = stored_;
    expected[0] = l;
    EXPECT_EQ(all(), expected);
    EXPECT_EQ(order("MFD:KeyFisSiraNo"),
              "0300000001/2/002 0300000001/7/001 0300000002/1/001 0400000001/1/002");
    EXPECT_EQ(order("MFD:KeyFisDet"),
              "0300000001/7/001 0300000001/2/002 0300000002/1/001 0400000001/1/002");
    EXPECT_TRUE(keysOfAccount("120 01 009").empty());
    expectKeyColumnsMatch();
}

// A record added and changed at once: the put starts from what the add wrote.
TEST_P(Update, APutRightAfterTheAddMovesTheNewRecord) {
    FisDet l = lineOf("0300000001", 3, "120 01 003", 300);
    ASSERT_TRUE(lines_.add(l).ok());
    l.KEYSTR = "0200000001";
    l.HESAPKODU = "120 01 004";
    ASSERT_TRUE(lines_.put(l).ok());
    EXPECT_EQ(order("MFD:KeyFisDet"), "0200000001/3/004 " + std::string(kByAccount));
    EXPECT_TRUE(keysOfAccount("120 01 003").empty());
    EXPECT_EQ(keysOfAccount("120 01 004"), std::vector<std::string>{"0200000001/3"});
    expectKeyColumnsMatch();
}

// The fields the putChanges tests read: those the changes above touch and every key part.
const std::initializer_list<std::string_view> kRead = {
    "KEYSTR", "FISSIRANO", "HESAPKODU", "FISACK", "TLBORC", "TLALACAK", "ACKNO", "BORCALACAK",
    "BELGENO"};

// Reads the record of `line` narrowed to `fields` and gives its bookmark and the record as read.
std::pair<Bookmark, FisDet> readNarrowed(TypedTable<FisDet>& t, const FisDet& line,
                                         std::initializer_list<std::string_view> fields) {
    NarrowReads few(t, fields);
    EXPECT_TRUE(few.ok());
    auto r = t.get("MFD:KeyFisSiraNo", line);
    EXPECT_TRUE(r.ok());
    return {t.table().bookmark(), r.ok() ? *r : FisDet{}};
}

// A record read narrowed and changed with putChanges ends up exactly as the whole record read,
// changed the same way and put, would: the same fields, keys, key columns and account index,
// and its unread fields as they were stored.
TEST_P(Update, PutChangesOfANarrowedReadEqualsAWholePut) {
    for (const Change& c : changes()) {
        SCOPED_TRACE(c.name);
        fill();
        // A field the narrowed read leaves out holds something that must survive.
        ASSERT_TRUE(lines_.get("MFD:KeyFisSiraNo", stored_[1]).ok());
        stored_[1].HESAPADI1 = "Alıcılar";
        stored_[1].KPERSONEL = "AYŞE";
        ASSERT_TRUE(lines_.put(stored_[1]).ok());
        auto [mark, was] = readNarrowed(lines_, stored_[1], kRead);
        if (db_) {
            EXPECT_TRUE(was.HESAPADI1.empty()); // not read (memory reads whole records)
        }
        FisDet now = was;
        c.apply(now);
        {
            NarrowReads few(lines_, kRead);
            auto done = lines_.putChanges(mark, was, now);
            ASSERT_TRUE(done.ok()) << done.error().describe();
            EXPECT_TRUE(*done);
        }
        std::vector<FisDet> expected = stored_;
        c.apply(expected[1]);
        EXPECT_EQ(all(), expected);
        EXPECT_EQ(order("MFD:KeyFisSiraNo"), c.byLine);
        EXPECT_EQ(order("MFD:KeyFisDet"), c.byAccount);
        std::vector<std::string> inAccount;
        for (const FisDet& l : expected)
            if (l.HESAPKODU == expected[1].HESAPKODU)
                inAccount.push_back(l.KEYSTR + "/" + std::to_string(l.FISSIRANO));
        std::sort(inAccount.begin(), inAccount.end());
        EXPECT_EQ(keysOfAccount(expected[1].HESAPKODU.c_str()), inAccount);
        expectKeyColumnsMatch();
    }
}

// Update if still as read: a record changed since in a field that was read, or deleted, is not
// written (false, and everything stays as the other write left it); a change in a field that
// was not read does not stop it, and survives it.
TEST_P(Update, PutChangesWritesOnlyWhileTheReadFieldsAreAsRead) {
    struct Meanwhile {
        const char* name;
        std::function<void(FisDet&)> change; // null: the record is deleted
        bool written;
    };
    const std::vector<Meanwhile> cases = {
        {"nothing", [](FisDet&) {}, true},
        {"a field not read", [](FisDet& l) { l.HESAPADI2 = "Başka program"; }, true},
        {"an amount read", [](FisDet& l) { l.TLBORC += 0.01; }, false},
        {"a text read", [](FisDet& l) { l.FISACK = "Satır 2b"; }, false},
        {"the account read", [](FisDet& l) { l.HESAPKODU = "120 01 005"; }, false},
        {"the record deleted", nullptr, false},
    };
    for (const Meanwhile& m : cases) {
        for (const bool changesSomething : {true, false}) {
            SCOPED_TRACE(std::string(m.name) + (changesSomething ? ", moved" : ", as read"));
            fill();
            auto [mark, was] = readNarrowed(lines_, stored_[1], kRead);
            // Another write to the record in between, whole, through the same table.
            ASSERT_TRUE(lines_.get("MFD:KeyFisSiraNo", stored_[1]).ok());
            std::vector<FisDet> expected = stored_;
            if (m.change) {
                m.change(expected[1]);
                ASSERT_TRUE(lines_.put(expected[1]).ok());
            } else {
                ASSERT_TRUE(lines_.erase().ok());
                expected.erase(expected.begin() + 1);
            }
            FisDet now = was;
            if (changesSomething) now.HESAPKODU = "120 01 009";
            {
                NarrowReads few(lines_, kRead);
                auto done = lines_.putChanges(mark, was, now);
                ASSERT_TRUE(done.ok()) << done.error().describe();
                EXPECT_EQ(*done, m.written);
            }
            if (m.written && changesSomething) expected[1].HESAPKODU = "120 01 009";
            EXPECT_EQ(all(), expected);
            expectKeyColumnsMatch();
        }
    }
}

// What putChanges cannot write without reading the record is refused, and nothing is written:
// a changed field that was not read, a changed key with a part that was not read, a record of
// another layout.
TEST_P(Update, PutChangesRefusesWhatItCannotKnow) {
    auto [mark, was] = readNarrowed(lines_, stored_[1], {"KEYSTR", "HESAPKODU", "FISSIRANO"});
    NarrowReads few(lines_, {"KEYSTR", "HESAPKODU", "FISSIRANO"});
    FisDet unread = was;
    unread.FISACK = "Okunmadı";
    auto r = lines_.putChanges(mark, was, unread);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(is(r.error(), ErrorCode::BadValue));
    FisDet keyPart = was; // MFD:KeyFisDet needs ACKNO, which was not read
    keyPart.HESAPKODU = "120 01 009";
    r = lines_.putChanges(mark, was, keyPart);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(is(r.error(), ErrorCode::BadValue));
    Record other(Layout::FisBas);
    r = lines_.table().putChanges(mark, other, other);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(is(r.error(), ErrorCode::BadValue));
    lines_.widen();
    EXPECT_EQ(all(), stored_);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Update, ::testing::Values(Engine::Sqlite, Engine::Memory),
                         engineName);

} // namespace
} // namespace hk::data::test
