// The memory engine against the SQLite engine: the same random sequence of operations (runs of
// adds, gets, positioned reads in both directions, updates that move records between key values,
// deletes while reading, emptying) on a work file of each engine, every result and every record
// read compared. The SQLite engine is the reference for order and outcome; the layouts chosen
// carry a unique key, duplicate keys, optional keys, case-insensitive Turkish text, a
// descending date and numeric keys.
#include "data/database.h"
#include "data/records.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <deque>
#include <string>
#include <vector>

namespace hk::data::test {
namespace {

// Every field of the buffer as text, element by element: what both engines must agree on.
std::string show(const Record& r) {
    std::string out;
    const FileDef& d = r.def();
    for (std::uint32_t f = 0; f < d.fields.size(); ++f) {
        if (d.fields[f].type == FieldType::GROUP) continue;
        for (std::uint32_t e = 1; e <= d.fields[f].count; ++e) {
            auto t = r.textAt(f, e);
            out += t.ok() ? *t : "<" + t.error().describe() + ">";
            out += '|';
        }
    }
    return out;
}

std::string outcome(const core::Status& st) {
    return st.ok() ? "ok" : "error " + std::to_string(st.error().code);
}

using Filler = std::function<void(Record&, std::mt19937&)>;

template <typename T> const T& pick(const std::vector<T>& v, std::mt19937& rng) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
}

int between(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// Few distinct values, so that equal keys, duplicates and case variants meet often.
const std::vector<std::string> kCodes = {"",       "100",    "120",       "120 01",    "120 01 005",
                                         "120 1",  "12",     "320 ÇEK",   "320 çek",   "İŞ 1",
                                         "is 1",   "IŞ 1",   "ığdır",     "600 01 01", "600 01 001",
                                         "153",    "153 ab", "153 AB",    "770 Ş",     "770 s"};
const std::vector<std::string> kNames = {"",        "Kasa",   "KASA",     "kasa",  "Çek",
                                         "çek",     "Şirket", "şirket",   "Ilık",  "ılık",
                                         "İzmir",   "izmir",  "Öğrenci",  "z",     "Banka 2"};

void fillHsPlan(Record& r, std::mt19937& rng) {
    (void)r.setText("HESAPKODU", pick(kCodes, rng));
    (void)r.setText("HESAPAD1", pick(kNames, rng));
    (void)r.setText("NTLK", between(rng, 0, 1) ? "M" : "G");
    (void)r.setNumber("ACTLBORC", between(rng, -500000, 500000) / 100.0);
    (void)r.setNumber("KPDOVIZALACAK", between(rng, 0, 3) == 0 ? 0 : between(rng, 1, 99) * 1e9);
}

void fillDDoviz(Record& r, std::mt19937& rng) {
    static const std::vector<std::string> codes = {"USD", "EUR", "usd", "", "ŞİK", "şik", "GBP"};
    (void)r.setText("DOVIZKODU", pick(codes, rng));
    core::Date d;
    if (between(rng, 0, 5) != 0) d = core::Date{static_cast<std::uint8_t>(between(rng, 1, 28)),
                                                static_cast<std::uint8_t>(between(rng, 1, 3)),
                                                2024};
    (void)r.setDate("DOVIZKURTARIHI", d);
    (void)r.setNumber("DOVIZKURTUTARI", between(rng, -3, 40) / 7.0);
}

void fillXKebir(Record& r, std::mt19937& rng) {
    (void)r.setText("HESAPKODU", pick(kCodes, rng));
    core::Date d;
    if (between(rng, 0, 7) != 0) d = core::Date{static_cast<std::uint8_t>(between(rng, 1, 4)), 1, 2024};
    (void)r.setDate("FISTRH", d);
    (void)r.setNumber("FISNO", between(rng, -3, 3));
    (void)r.setNumber("YEVMIYENO", between(rng, 0, 1) ? between(rng, -2, 6) : between(rng, -2000000000, 2000000000));
    (void)r.setNumber("TLBORC", between(rng, 0, 100000) / 100.0);
    (void)r.setNumber("TLALACAK", -between(rng, 0, 100000) / 100.0);
    (void)r.setText("FISTUR", between(rng, 0, 1) ? "M" : "Tahsil");
    (void)r.setText("DURUM", between(rng, 0, 1) ? "B" : "X");
}

// A pair of tables, one per engine, driven alike.
struct Pair {
    Table sqlite, memory;
    void both(const std::function<void(Table&)>& f) {
        f(sqlite);
        f(memory);
    }
};

class MemoryAgainstSqlite : public ::testing::TestWithParam<std::tuple<Layout, unsigned>> {
  protected:
    Filler filler() const {
        switch (std::get<0>(GetParam())) {
        case Layout::HsPlan: return fillHsPlan;
        case Layout::DDoviz: return fillDDoviz;
        default: return fillXKebir;
        }
    }
    ScratchDir dir_;
};

TEST_P(MemoryAgainstSqlite, SameOutcomesAndOrderForARandomSequenceOfOperations) {
    const Layout layout = std::get<0>(GetParam());
    const FileDef& def = fileDef(layout);
    std::mt19937 rng(std::get<1>(GetParam()));
    auto db = must(Database::open(dir_.path() / "ref.db"));
    Pair p{must(db.table(def)), Table::memory(def, "Work.Tmp")};
    Transaction tx{db}; // the reference runs in one unit of work, never committed
    ASSERT_TRUE(tx.started().ok());
    const Filler fill = filler();
    const auto keyCount = static_cast<std::uint32_t>(def.keys.size());
    std::deque<std::string> recent; // the last operations, shown with a difference
    struct Log {
        std::deque<std::string>& to;
        std::string line;
        ~Log() {
            to.push_back(line);
            if (to.size() > 12) to.pop_front();
        }
        Log& operator<<(const std::string& s) { line += s; return *this; }
        Log& operator<<(std::uint32_t n) { line += std::to_string(n); return *this; }
        Log& operator<<(int n) { line += std::to_string(n); return *this; }
    };
    auto history = [&] {
        std::string out;
        for (const auto& l : recent) out += l;
        return out;
    };

    auto same = [&](const core::Status& a, const core::Status& b, const char* what) {
        ASSERT_EQ(outcome(a), outcome(b)) << what << "\n" << history();
        if (a.ok()) {
            ASSERT_EQ(show(p.sqlite.buffer()), show(p.memory.buffer())) << what << "\n" << history();
        }
    };
    auto load = [&](Record& from) {
        p.both([&](Table& t) { t.buffer() = from; });
    };
    auto randomRecord = [&] {
        Record r(def);
        fill(r, rng);
        return r;
    };
    // SQLite hands out the highest rowid + 1 again, so its rowids part from the memory engine's
    // (never reused) when the newest record is deleted or the file emptied; equal key values
    // would then order differently. The sequence keeps the newest record and repositions after
    // emptying, so that only the engines' own behaviour is compared.
    std::int64_t lastAdded = 0;
    p.both([&](Table& t) { ASSERT_TRUE(t.set(0u, Seek::First).ok()); });
    auto add = [&] {
        Record r = randomRecord();
        load(r);
        Log{recent, {}} << "add " << show(r) << "\n";
        const auto a = p.sqlite.add(), b = p.memory.add();
        same(a, b, "add");
        if (a.ok()) lastAdded = p.memory.bookmark().row;
    };
    auto steps = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const bool fwd = between(rng, 0, 3) != 0;
            Log{recent, {}} << (fwd ? "next\n" : "previous\n");
            if (fwd)
                same(p.sqlite.next(), p.memory.next(), "next");
            else
                same(p.sqlite.previous(), p.memory.previous(), "previous");
        }
    };

    for (int op = 0; op < 1500 && !::testing::Test::HasFatalFailure(); ++op) {
        const int what = between(rng, 0, 99);
        if (what < 25) {
            add();
        } else if (what < 27) {
            const int n = between(rng, 100, 700); // a run of adds, as a report fills its file
            for (int i = 0; i < n && !::testing::Test::HasFatalFailure(); ++i) add();
        } else if (what < 48) {
            const auto key = static_cast<std::uint32_t>(between(rng, 0, static_cast<int>(keyCount) - 1));
            const auto seek = static_cast<Seek>(between(rng, 0, 3));
            Record from = randomRecord();
            load(from);
            Log{recent, {}} << "set " << key << " " << static_cast<int>(seek) << " " << show(from) << "\n";
            same(p.sqlite.set(key, seek), p.memory.set(key, seek), "set");
            steps(between(rng, 1, 25));
        } else if (what < 52) {
            Log{recent, {}} << "setPhysical\n";
            same(p.sqlite.setPhysical(), p.memory.setPhysical(), "setPhysical");
            steps(between(rng, 1, 10));
        } else if (what < 62) {
            steps(between(rng, 1, 8));
        } else if (what < 70) {
            const auto key = static_cast<std::uint32_t>(between(rng, 0, static_cast<int>(keyCount) - 1));
            Record r = randomRecord();
            load(r);
            Log{recent, {}} << "get " << key << " " << show(r) << "\n";
            same(p.sqlite.get(key), p.memory.get(key), "get");
        } else if (what < 82) {
            // Change some fields of the current record (its keys among them) and write it.
            Record r = randomRecord();
            const auto changed = static_cast<std::uint32_t>(between(rng, 0, static_cast<int>(def.slotCount) - 1));
            p.both([&](Table& t) { t.buffer().slot(changed) = r.slot(changed); });
            if (between(rng, 0, 1))
                p.both([&](Table& t) { t.buffer().slot(0) = r.slot(0); });
            Log{recent, {}} << "put slot " << changed << "\n";
            same(p.sqlite.put(), p.memory.put(), "put");
        } else if (what < 92) {
            if (p.memory.bookmark().row == lastAdded) continue;
            Log{recent, {}} << "erase\n";
            const auto a = p.sqlite.erase(), b = p.memory.erase();
            ASSERT_EQ(outcome(a), outcome(b)) << "erase\n" << history();
        } else if (what < 95) {
            ASSERT_EQ(must(p.sqlite.count()), must(p.memory.count())) << history();
        } else if (what < 99) {
            // Where a read left off is where the next read resumes, also after other reads.
            const Bookmark a = p.sqlite.bookmark(), b = p.memory.bookmark();
            ASSERT_EQ(a.valid(), b.valid()) << history();
            if (!a.valid()) continue;
            Log{recent, {}} << "bookmark\n";
            steps(between(rng, 0, 6));
            Log{recent, {}} << "reget\n";
            same(p.sqlite.reget(a), p.memory.reget(b), "reget");
            steps(between(rng, 1, 4));
        } else {
            Log{recent, {}} << "empty\n";
            same(p.sqlite.empty(), p.memory.empty(), "empty");
            const auto key = static_cast<std::uint32_t>(between(rng, 0, static_cast<int>(keyCount) - 1));
            p.both([&](Table& t) { ASSERT_TRUE(t.set(key, Seek::First).ok()); });
        }
    }
    // Every key read whole in both directions, and the physical order.
    for (std::uint32_t k = 0; k < keyCount; ++k)
        for (bool fwd : {true, false}) {
            p.both([&](Table& t) { ASSERT_TRUE(t.set(k, fwd ? Seek::First : Seek::Last).ok()); });
            for (;;) {
                const auto a = fwd ? p.sqlite.next() : p.sqlite.previous();
                const auto b = fwd ? p.memory.next() : p.memory.previous();
                same(a, b, "final read");
                if (!a.ok() || ::testing::Test::HasFatalFailure()) break;
            }
        }
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Layout, unsigned>>& i) {
    return fileDef(std::get<0>(i.param)).layoutName + "_" + std::to_string(std::get<1>(i.param));
}

INSTANTIATE_TEST_SUITE_P(RandomSequences, MemoryAgainstSqlite,
                         ::testing::Combine(::testing::Values(Layout::XKebir, Layout::HsPlan,
                                                              Layout::DDoviz),
                                            ::testing::Values(1u, 2u, 3u)),
                         caseName);

// A bulk load read back: a record keeps every member of every slot as it was written, and
// equal key values keep the order of entry.
TEST(MemoryEngine, RecordsComeBackExactlyAndEqualKeysInOrderOfEntry) {
    Table t = Table::memory(fileDef(Layout::XKebir), "XKebir.Tmp");
    for (int i = 0; i < 3000; ++i) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", i % 2 ? "120" : "100").ok());
        ASSERT_TRUE(t.buffer().setNumber("YEVMIYENO", -i).ok());
        ASSERT_TRUE(t.buffer().setNumber("TLBORC", i == 7 ? -0.0 : i * 0.01).ok());
        ASSERT_TRUE(t.buffer().setNumber("FISNO", 3000 - i).ok()); // not in the key
        ASSERT_TRUE(t.add().ok());
    }
    ASSERT_TRUE(t.set("XKE:KeyKod", Seek::First).ok());
    std::vector<int> journal;
    int seven = 0;
    while (t.next().ok()) {
        journal.push_back(static_cast<int>(*t.buffer().number("YEVMIYENO")));
        if (journal.back() == -7) {
            const double v = *t.buffer().number("TLBORC");
            seven = std::signbit(v) && v == 0 ? 1 : -1;
        }
    }
    ASSERT_EQ(journal.size(), 3000u);
    // "100" first, journal numbers descending within a code (they are negative), so -2998 first.
    EXPECT_EQ(journal.front(), -2998);
    EXPECT_EQ(journal[1499], 0);
    EXPECT_EQ(journal[1500], -2999);
    EXPECT_EQ(journal.back(), -1);
    EXPECT_EQ(seven, 1) << "-0 must come back as -0";
}

TEST(MemoryEngine, DuplicateOfAUniqueKeyIsRefusedAtAddAndAtPut) {
    Table t = Table::memory(fileDef(Layout::HsPlan), "XHs1.Tmp");
    for (const char* code : {"120", "121"}) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", code).ok());
        ASSERT_TRUE(t.add().ok());
    }
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "120").ok());
    auto dup = t.add();
    ASSERT_FALSE(dup.ok());
    EXPECT_TRUE(is(dup.error(), ErrorCode::DuplicateKey));
    EXPECT_EQ(dup.error().message, 13);
    EXPECT_EQ(errorDetail(dup.error()), "HSP:KeyHesap");
    // Moving 121 onto 120 is refused and leaves both as they were.
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "121").ok());
    ASSERT_TRUE(t.get("HSP:KeyHesap").ok());
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "120").ok());
    auto moved = t.put();
    ASSERT_FALSE(moved.ok());
    EXPECT_TRUE(is(moved.error(), ErrorCode::DuplicateKey));
    EXPECT_EQ(*t.count(), 2);
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "121").ok());
    EXPECT_TRUE(t.get("HSP:KeyHesap").ok());
    // Once 121 is gone its value is free again.
    ASSERT_TRUE(t.erase().ok());
    ASSERT_TRUE(t.add().ok());
    EXPECT_EQ(*t.count(), 2);
}

} // namespace
} // namespace hk::data::test
