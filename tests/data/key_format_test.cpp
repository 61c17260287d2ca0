// The two forms of key values (compact, and the escaped one of databases made earlier), how a
// database keeps the form it was made with, and bulk writes outside the write-ahead log.

#include "fixture.h"

#include "core/codepages.h"
#include "core/text.h"
#include "core/utf8.h"
#include "data/engine.h"
#include "data/keycodec.h"

#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace hk::data::test {
namespace {

int sign(int c) {
    return (c > 0) - (c < 0);
}

int compareBytes(const std::string& a, const std::string& b) {
    return sign(a.compare(b));
}

// Every character a record's text may hold, one UTF-8 string each.
std::vector<std::string> recordCharacters() {
    std::vector<std::string> out;
    Record probe(fileDef(Layout::BelgeTip));
    for (int b = 0x20; b < 256; ++b) {
        const char32_t cp = core::codepages::fromCp1254Byte(static_cast<unsigned char>(b));
        std::string s;
        core::utf8::append(s, cp);
        if (probe.setText("BELGETIPI", s).ok()) out.push_back(s);
    }
    return out;
}

std::string randomText(std::mt19937& rng, const std::vector<std::string>& chars) {
    // Few distinct first characters, so that many texts share a beginning.
    std::string s;
    const int n = static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i) {
        const std::size_t pool = i == 0 ? 6 : chars.size();
        s += chars[rng() % pool];
    }
    if (rng() % 4 == 0) s += "  "; // trailing blanks do not count
    return s;
}

struct KeyCase {
    Layout layout;
    const char* key;
    const char* text;     // the text component the test varies
    const char* second;   // another component varied, or nullptr
};

TEST(KeyForms, BothFormsGiveEveryKeyTheSameOrderAndTheCompactOneIsShorter) {
    const auto chars = recordCharacters();
    ASSERT_GT(chars.size(), 200u);
    // exact text; case-insensitive text; text then a descending date
    const KeyCase cases[] = {{Layout::BelgeTip, "KyBelgeTiplari", "BELGETIPI", nullptr},
                             {Layout::HsPlan, "KeyHesap", "HESAPKODU", nullptr},
                             {Layout::DDoviz, "KyDoviz", "DOVIZKODU", "DOVIZKURTARIHI"}};
    std::mt19937 rng(20261210);
    for (const KeyCase& c : cases) {
        const FileDef& def = fileDef(c.layout);
        const KeyDef& key = def.keys.at(*def.key(c.key));
        std::vector<Record> recs;
        std::vector<std::string> texts;
        for (int i = 0; i < 300; ++i) {
            Record r(def);
            std::string t = randomText(rng, chars);
            // A text wider than the field is refused: shorten it until it fits.
            while (!r.setText(c.text, t).ok()) {
                ASSERT_FALSE(t.empty());
                t.pop_back();
                while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80)
                    t.pop_back();
                if (!t.empty() && static_cast<unsigned char>(t.back()) >= 0xC0) t.pop_back();
            }
            if (c.second) {
                const core::Date d{static_cast<std::uint8_t>(1 + rng() % 3), 1, 2026};
                ASSERT_TRUE(r.setDate(c.second, d).ok());
            }
            recs.push_back(std::move(r));
            texts.push_back(t);
        }
        for (std::size_t i = 0; i < recs.size(); ++i) {
            const std::string ci = encodeKeyAlways(recs[i], key, KeyFormat::Compact);
            const std::string ei = encodeKeyAlways(recs[i], key, KeyFormat::Escaped);
            EXPECT_LE(ci.size(), ei.size());
            if (c.second) {
                // The first component alone begins the whole value.
                const std::string p = encodeKeyPrefix(recs[i], key, 1, KeyFormat::Compact);
                EXPECT_EQ(ci.compare(0, p.size(), p), 0) << texts[i];
            }
            for (std::size_t j = 0; j < recs.size(); ++j) {
                const std::string cj = encodeKeyAlways(recs[j], key, KeyFormat::Compact);
                const std::string ej = encodeKeyAlways(recs[j], key, KeyFormat::Escaped);
                ASSERT_EQ(compareBytes(ci, cj), compareBytes(ei, ej))
                    << c.key << ": \"" << texts[i] << "\" against \"" << texts[j] << "\"";
                if (!c.second) {
                    ASSERT_EQ(compareBytes(ci, cj),
                              core::text::compare(texts[i], texts[j], key.caseInsensitive))
                        << c.key << ": \"" << texts[i] << "\" against \"" << texts[j] << "\"";
                }
            }
        }
    }
}

TEST(KeyForms, TheHighestRanksTakeTwoBytesAndStillSortLast) {
    // ÿ, û and ú stand last in the order (after every letter); they are the characters the
    // compact form writes in two bytes.
    const FileDef& def = fileDef(Layout::BelgeTip);
    const KeyDef& key = def.keys.at(*def.key("KyBelgeTiplari"));
    const auto value = [&](const std::string& t) {
        Record r(def);
        EXPECT_TRUE(r.setText("BELGETIPI", t).ok()) << t;
        return encodeKeyAlways(r, key, KeyFormat::Compact);
    };
    for (const char* last : {"ÿ", "û", "ú"}) {
        const std::string v = value(last);
        ASSERT_EQ(v.size(), 3u) << last;
        EXPECT_EQ(static_cast<unsigned char>(v[0]), 0xFE) << last;
        for (const char* before : {"z", "Z", "ü", "Ş", "ş", "é", "~"})
            EXPECT_LT(value(before), v) << before << " against " << last;
        EXPECT_LT(v, value(std::string(last) + "a"));
    }
    EXPECT_LT(value("ú"), value("û"));
    EXPECT_LT(value("û"), value("ÿ"));
    // One byte a character otherwise, and one to end the text.
    EXPECT_EQ(value("Çağ").size(), 4u);
}

// The user version in a database file's header (where the key form is kept), read directly.
int userVersion(const std::filesystem::path& file) {
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, "PRAGMA user_version", -1, &s, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(s), SQLITE_ROW);
    const int v = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(raw);
    return v;
}

void setUserVersion(const std::filesystem::path& file, int v) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, ("PRAGMA user_version = " + std::to_string(v)).c_str(), nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
}

void addAccounts(Database& db, const std::vector<std::string>& codes) {
    Table t = must(db.table(fileDef(Layout::HsPlan)));
    for (const auto& c : codes) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", c).ok());
        ASSERT_TRUE(t.buffer().setText("HESAPAD1", "Ad " + c).ok());
        ASSERT_TRUE(t.add().ok()) << c;
    }
}

// Gets by key, reads in order and checks the database: what every form must answer alike.
void expectBooks(Database& db, const std::vector<std::string>& sorted) {
    Table t = must(db.table(fileDef(Layout::HsPlan), false));
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), sorted);
    for (const auto& c : sorted) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", c).ok());
        ASSERT_TRUE(t.get("KeyHesap").ok()) << c;
        EXPECT_EQ(*t.buffer().text("HESAPAD1"), "Ad " + c);
    }
    auto problems = db.check();
    ASSERT_TRUE(problems.ok());
    EXPECT_TRUE(problems->empty()) << (problems->empty() ? "" : problems->front().text);
}

TEST(KeyForms, ADatabaseKeepsTheFormItWasMadeWith) {
    const std::vector<std::string> codes = {"120 01", "100", "İş 01", "çay", "Çay 2", "ÿ 1", "120"};
    std::vector<std::string> sorted = codes;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return core::text::compare(a, b, true) < 0;
    });
    const struct {
        KeyFormat made;
        int version;
    } forms[] = {{KeyFormat::Compact, 1}, {KeyFormat::Escaped, 0}};
    for (const auto& f : forms) {
        ScratchDir dir;
        const auto file = dir.path() / "books.db";
        {
            OpenOptions o;
            o.newKeys = f.made;
            Database db = must(Database::open(file, o));
            addAccounts(db, codes);
            EXPECT_EQ(must(db.table(fileDef(Layout::HsPlan))).keyFormat(), f.made);
        }
        EXPECT_EQ(userVersion(file), f.version);
        {
            // Opened again by this version (which makes compact databases): the stored form holds.
            Database db = must(Database::open(file));
            EXPECT_EQ(must(db.table(fileDef(Layout::HsPlan), false)).keyFormat(), f.made);
            addAccounts(db, {"121", "İz"});
            std::vector<std::string> all = sorted;
            all.insert(std::find(all.begin(), all.end(), "120 01") + 1, "121");
            all.insert(std::find(all.begin(), all.end(), "İş 01") + 1, "İz");
            expectBooks(db, all);
        }
        EXPECT_EQ(userVersion(file), f.version);
        OpenOptions ro;
        ro.readOnly = true;
        Database db = must(Database::open(file, ro));
        Table t = must(db.table(fileDef(Layout::HsPlan), false));
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", "iş 01").ok());
        EXPECT_TRUE(t.get("KeyHesap").ok()) << "read-only, form " << f.version;
    }
}

TEST(KeyForms, AnEmptyDatabaseTakesTheCompactFormAndAnUnknownFormIsRefused) {
    ScratchDir dir;
    const auto file = dir.path() / "books.db";
    {
        sqlite3* raw = nullptr; // an empty database file, as a crash right after making it leaves
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(raw, "PRAGMA user_version = 0", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }
    {
        Database db = must(Database::open(file));
        addAccounts(db, {"100"});
    }
    EXPECT_EQ(userVersion(file), 1);
    setUserVersion(file, 7);
    const auto before = std::filesystem::file_size(file);
    auto refused = Database::open(file);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, 23);
    EXPECT_TRUE(is(refused.error(), ErrorCode::NotADatabase));
    EXPECT_EQ(userVersion(file), 7);
    EXPECT_EQ(std::filesystem::file_size(file), before);
}

std::string journalMode(Database& db) {
    auto s = db.connection().prepare("PRAGMA journal_mode");
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(sqlite3_step(*s), SQLITE_ROW);
    std::string m = reinterpret_cast<const char*>(sqlite3_column_text(*s, 0));
    sqlite3_reset(*s);
    return m;
}

TEST(BulkWrite, RunsOutsideTheLogOnlyWhenAloneAndReturnsToIt) {
    ScratchDir dir;
    const auto file = dir.path() / "books.db";
    Database db = must(Database::open(file));
    addAccounts(db, {"100"});
    {
        BulkWrite bulk(db);
        EXPECT_TRUE(bulk.active());
        EXPECT_EQ(journalMode(db), "delete");
        Transaction tx(db);
        addAccounts(db, {"101", "102"});
        ASSERT_TRUE(tx.commit().ok());
    }
    EXPECT_EQ(journalMode(db), "wal");
    {
        // Another connection has the database open: the work stays in the log, at once.
        Database other = must(Database::open(file));
        BulkWrite bulk(db);
        EXPECT_FALSE(bulk.active());
        EXPECT_EQ(journalMode(db), "wal");
        Transaction tx(db);
        addAccounts(db, {"103"});
        ASSERT_TRUE(tx.commit().ok());
        expectBooks(other, {"100", "101", "102", "103"});
    }
    {
        // Inside a unit of work the mode cannot change.
        Transaction tx(db);
        BulkWrite bulk(db);
        EXPECT_FALSE(bulk.active());
    }
    expectBooks(db, {"100", "101", "102", "103"});
}

TEST(BulkWrite, AKilledBulkLoadLeavesTheBooksAsTheyWere) {
    ScratchDir dir;
    const auto file = dir.path() / "books.db";
    {
        Database db = must(Database::open(file));
        addAccounts(db, {"100", "200"});
    }
    const auto sizeBefore = std::filesystem::file_size(file);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child: a bulk load whose pages go into the file before it is killed (a tiny page
        // cache makes it write them out as it goes).
        auto db = Database::open(file);
        if (!db) ::_exit(2);
        BulkWrite bulk(*db);
        if (!bulk.active()) ::_exit(3);
        (void)db->connection().exec("PRAGMA cache_size = 2");
        Transaction tx(*db);
        auto t = db->table(fileDef(Layout::HsPlan));
        if (!t) ::_exit(4);
        for (int i = 0; i < 3000; ++i) {
            t->clear();
            (void)t->buffer().setText("HESAPKODU", "300 " + std::to_string(10000 + i));
            (void)t->buffer().setText("HESAPAD1", std::string(40, 'x'));
            if (!t->add()) ::_exit(5);
        }
        // The file has grown under the uncommitted unit of work.
        if (std::filesystem::file_size(file) < sizeBefore + 100 * 1024) ::_exit(6);
        ::kill(::getpid(), SIGKILL);
        ::_exit(7);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child ended with " << WEXITSTATUS(status);
    std::filesystem::path journal = file;
    journal += "-journal";
    EXPECT_TRUE(std::filesystem::exists(journal));
    Database db = must(Database::open(file));
    expectBooks(db, {"100", "200"});
    EXPECT_EQ(journalMode(db), "wal");
}

} // namespace
} // namespace hk::data::test
