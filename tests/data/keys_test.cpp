// Key behaviour, the same on both engines.

#include "fixture.h"

#include "data/errors.h"

#include <algorithm>

namespace hk::data::test {
namespace {

class Keys : public EngineFixture {};

core::Status addAccount(Table& t, const std::string& code, const std::string& name = "Ad") {
    t.clear();
    EXPECT_TRUE(t.buffer().setText("HESAPKODU", code).ok());
    EXPECT_TRUE(t.buffer().setText("HESAPAD1", name).ok());
    return t.add();
}

TEST_P(Keys, TextKeysFollowTheTurkishAlphabet) {
    // A key that is not case-insensitive, so every letter keeps its own place.
    Table t = open(Layout::BelgeTip);
    const std::vector<std::string> expected = {"A", "a", "B", "b", "C", "c", "Ç", "ç", "D", "d", "G", "g",
                                               "Ğ", "ğ", "H", "h", "I", "ı", "İ", "i", "J", "j", "O", "o",
                                               "Ö", "ö", "S", "s", "Ş", "ş", "U", "u", "Ü", "ü", "Z", "z"};
    std::vector<std::string> shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::rotate(shuffled.begin(), shuffled.begin() + 7, shuffled.end());
    for (const auto& s : shuffled) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("BELGETIPI", s).ok());
        ASSERT_TRUE(t.add().ok()) << s;
    }
    EXPECT_EQ(readAll(t, "KyBelgeTiplari", "BELGETIPI"), expected);
    std::vector<std::string> back = expected;
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(readAllBackwards(t, "KyBelgeTiplari", "BELGETIPI"), back);
}

TEST_P(Keys, ShorterTextSortsBeforeLongerAndTrailingBlanksDoNotCount) {
    Table t = open(Layout::HsPlan);
    for (const char* c : {"120 01", "120", "12", "120 01 005", "121", "1"}) ASSERT_TRUE(addAccount(t, c).ok());
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"),
              (std::vector<std::string>{"1", "12", "120", "120 01", "120 01 005", "121"}));
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "120   ").ok());
    ASSERT_TRUE(t.get("KeyHesap").ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "120");
}

TEST_P(Keys, UniqueKeyRefusesADuplicateWithMessage13AndTheKeyName) {
    Table t = open(Layout::HsPlan);
    ASSERT_TRUE(addAccount(t, "100", "Kasa").ok());
    auto st = addAccount(t, "100", "Başka kasa");
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::DuplicateKey));
    EXPECT_EQ(st.error().message, 13);
    EXPECT_EQ(errorDetail(st.error()), "HSP:KeyHesap");
    EXPECT_EQ(*t.count(), 1);
    // the name key allows duplicates
    ASSERT_TRUE(addAccount(t, "101", "Kasa").ok());
    EXPECT_EQ(*t.count(), 2);
}

TEST_P(Keys, UpdateToAnExistingUniqueValueIsRefused) {
    Table t = open(Layout::HsPlan);
    ASSERT_TRUE(addAccount(t, "100").ok());
    ASSERT_TRUE(addAccount(t, "101").ok());
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "100").ok());
    auto st = t.put();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, 13);
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"100", "101"}));
}

TEST_P(Keys, CaseInsensitiveKeysUseTheTurkishPairs) {
    Table t = open(Layout::HsPlan);
    ASSERT_TRUE(addAccount(t, "ilk").ok());
    ASSERT_TRUE(addAccount(t, "ılık").ok());
    const struct {
        const char* probe;
        const char* found;  // nullptr: not found
    } cases[] = {{"İLK", "ilk"}, {"ILIK", "ılık"}, {"İlk", "ilk"}, {"ILK", nullptr}, {"İLİK", nullptr}};
    for (const auto& c : cases) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", c.probe).ok());
        auto st = t.get("KeyHesap");
        if (c.found) {
            ASSERT_TRUE(st.ok()) << c.probe;
            EXPECT_EQ(*t.buffer().text("HESAPKODU"), c.found);
        } else {
            ASSERT_FALSE(st.ok()) << c.probe;
            EXPECT_TRUE(is(st.error(), ErrorCode::NotFound));
        }
    }
    auto dup = addAccount(t, "İLK");
    ASSERT_FALSE(dup.ok());
    EXPECT_EQ(dup.error().message, 13);
}

TEST_P(Keys, DuplicatesKeepTheirOrderOfEntry) {
    Table t = open(Layout::HsPlan);
    ASSERT_TRUE(addAccount(t, "3", "Aynı").ok());
    ASSERT_TRUE(addAccount(t, "1", "Aynı").ok());
    ASSERT_TRUE(addAccount(t, "2", "Aynı").ok());
    ASSERT_TRUE(addAccount(t, "0", "Önce").ok());
    EXPECT_EQ(readAll(t, "KeyHesapAd", "HESAPKODU"), (std::vector<std::string>{"3", "1", "2", "0"}));
    EXPECT_EQ(readAllBackwards(t, "KeyHesapAd", "HESAPKODU"), (std::vector<std::string>{"0", "2", "1", "3"}));
    // an exact get finds the first of them, and reading on gives the others in order
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPAD1", "aynı").ok());
    ASSERT_TRUE(t.get("KeyHesapAd").ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "3");
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "1");
}

TEST_P(Keys, BlankOptionalKeysAreNotIndexed) {
    Table t = open(Layout::HsPlan);
    ASSERT_TRUE(addAccount(t, "100", "").ok());
    ASSERT_TRUE(addAccount(t, "101", "Banka").ok());
    ASSERT_TRUE(addAccount(t, "102", "   ").ok());
    EXPECT_EQ(readAll(t, "KeyHesapAd", "HESAPKODU"), (std::vector<std::string>{"101"}));
    EXPECT_EQ(*t.count(), 3);
    // two blank codes do not collide in the unique key either
    ASSERT_TRUE(addAccount(t, "", "Kodsuz 1").ok());
    ASSERT_TRUE(addAccount(t, "", "Kodsuz 2").ok());
    t.clear();
    EXPECT_FALSE(t.get("KeyHesap").ok());
    // a key that is not optional indexes blank values
    Table b = open(Layout::FisBas);
    b.clear();
    ASSERT_TRUE(b.add().ok());
    ASSERT_TRUE(b.set("KeyMuavin", Seek::First).ok());
    EXPECT_TRUE(b.next().ok());
    ASSERT_TRUE(b.set("KeyTarih", Seek::First).ok());
    EXPECT_FALSE(b.next().ok());
}

TEST_P(Keys, DescendingComponentGivesTheNewestRateFirst) {
    Table t = open(Layout::DDoviz);
    const struct {
        const char* code;
        core::Date date;
        double rate;
    } rates[] = {{"USD", {2, 1, 2024}, 29.5}, {"EUR", {1, 1, 2024}, 32.6}, {"USD", {15, 3, 2024}, 32.1},
                 {"USD", {1, 1, 2024}, 29.4}, {"usd", {9, 2, 2024}, 30.8}};
    for (const auto& r : rates) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("DOVIZKODU", r.code).ok());
        ASSERT_TRUE(t.buffer().setDate("DOVIZKURTARIHI", r.date).ok());
        ASSERT_TRUE(t.buffer().setNumber("DOVIZKURTUTARI", r.rate).ok());
        ASSERT_TRUE(t.add().ok()) << r.code;
    }
    std::vector<double> order;
    ASSERT_TRUE(t.set("KyDoviz", Seek::First).ok());
    while (t.next().ok()) order.push_back(*t.buffer().number("DOVIZKURTUTARI"));
    EXPECT_EQ(order, (std::vector<double>{32.6, 32.1, 30.8, 29.5, 29.4}));

    // The rate in force on 10.02.2024: position at (USD, 10.02.2024) and read forwards.
    t.clear();
    ASSERT_TRUE(t.buffer().setText("DOVIZKODU", "USD").ok());
    ASSERT_TRUE(t.buffer().setDate("DOVIZKURTARIHI", {10, 2, 2024}).ok());
    ASSERT_TRUE(t.set("KyDoviz", Seek::AtOrAfter).ok());
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(*t.buffer().number("DOVIZKURTUTARI"), 30.8);
    // same currency in another case is the same key value
    t.clear();
    ASSERT_TRUE(t.buffer().setText("DOVIZKODU", "usd").ok());
    ASSERT_TRUE(t.buffer().setDate("DOVIZKURTARIHI", {15, 3, 2024}).ok());
    EXPECT_FALSE(t.add().ok());
}

TEST_P(Keys, NumbersAndDatesOrderByValue) {
    Table t = open(Layout::FisBas);
    const struct {
        const char* key;
        core::Date date;
        int no;
    } rows[] = {{"a", {1, 2, 2024}, 3}, {"b", {31, 1, 2024}, 10}, {"c", {1, 2, 2024}, -1},
                {"d", {1, 2, 2024}, 300}, {"e", {1, 1, 2025}, 1}};
    for (const auto& r : rows) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("KEYSTR", r.key).ok());
        ASSERT_TRUE(t.buffer().setDate("FISTRH", r.date).ok());
        ASSERT_TRUE(t.buffer().setNumber("FISNO", r.no).ok());
        ASSERT_TRUE(t.add().ok());
    }
    EXPECT_EQ(readAll(t, "KeyMuavin", "KEYSTR"), (std::vector<std::string>{"b", "c", "a", "d", "e"}));

    // REAL components: the group numbers
    Table g = open(Layout::KLGrups);
    for (double n : {10.0, -2.5, 3.0, 0.5, 1000.0}) {
        g.clear();
        ASSERT_TRUE(g.buffer().setNumber("GRUPNO", n).ok());
        ASSERT_TRUE(g.add().ok());
    }
    EXPECT_EQ(readAll(g, "KyGrup", "GRUPNO"), (std::vector<std::string>{"-2.5", "0.5", "3", "10", "1000"}));
}

TEST_P(Keys, PositioningForwardsAndBackwardsFromAValue) {
    Table t = open(Layout::HsPlan);
    for (const char* c : {"100", "102", "104", "106"}) ASSERT_TRUE(addAccount(t, c).ok());
    auto from = [&](const char* v, Seek s, bool forward) {
        t.clear();
        EXPECT_TRUE(t.buffer().setText("HESAPKODU", v).ok());
        EXPECT_TRUE(t.set("KeyHesap", s).ok());
        std::vector<std::string> out;
        while ((forward ? t.next() : t.previous()).ok()) out.push_back(*t.buffer().text("HESAPKODU"));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(from("102", Seek::AtOrAfter, true), (V{"102", "104", "106"}));
    EXPECT_EQ(from("103", Seek::AtOrAfter, true), (V{"104", "106"}));
    EXPECT_EQ(from("102", Seek::AtOrAfter, false), (V{"100"}));
    EXPECT_EQ(from("104", Seek::AtOrBefore, false), (V{"104", "102", "100"}));
    EXPECT_EQ(from("103", Seek::AtOrBefore, false), (V{"102", "100"}));
    EXPECT_EQ(from("104", Seek::AtOrBefore, true), (V{"106"}));
    EXPECT_EQ(from("999", Seek::AtOrAfter, true), V{});
    // turning round in the middle
    ASSERT_TRUE(t.set("KeyHesap", Seek::First).ok());
    ASSERT_TRUE(t.next().ok());
    ASSERT_TRUE(t.next().ok());
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "104");
    ASSERT_TRUE(t.previous().ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "102");
    // the end leaves the buffer as it was
    ASSERT_TRUE(t.set("KeyHesap", Seek::Last).ok());
    ASSERT_TRUE(t.previous().ok());
    auto end = t.next();
    ASSERT_FALSE(end.ok());
    EXPECT_TRUE(is(end.error(), ErrorCode::NoRecord));
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "106");
}

TEST_P(Keys, WritesDuringAScanAreSeen) {
    Table t = open(Layout::HsPlan);
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(addAccount(t, std::to_string(100 + i)).ok());
    // Rename every account while walking the name key: each one must be visited exactly once.
    ASSERT_TRUE(t.set("KeyHesap", Seek::First).ok());
    int seen = 0;
    while (t.next().ok()) {
        ++seen;
        ASSERT_TRUE(t.buffer().setText("HESAPAD1", "Yeni").ok());
        ASSERT_TRUE(t.put().ok());
        if (seen == 5) {
            t.clear();
            ASSERT_TRUE(t.buffer().setText("HESAPKODU", "999").ok());
            ASSERT_TRUE(t.add().ok());  // beyond the position: will be seen
            t.clear();
            ASSERT_TRUE(t.buffer().setText("HESAPKODU", "104").ok());
            ASSERT_TRUE(t.get("KeyHesap").ok());  // moves the position back to 104
        }
    }
    EXPECT_EQ(seen, 5 + 35 + 1);
    EXPECT_EQ(readAll(t, "KeyHesapAd", "HESAPAD1").size(), 41u);
}

TEST_P(Keys, EraseAndPutActOnTheCurrentRecord) {
    Table t = open(Layout::HsPlan);
    for (const char* c : {"1", "2", "3"}) ASSERT_TRUE(addAccount(t, c).ok());
    t.clear();
    ASSERT_TRUE(t.buffer().setText("HESAPKODU", "2").ok());
    ASSERT_TRUE(t.get("KeyHesap").ok());
    ASSERT_TRUE(t.erase().ok());
    EXPECT_FALSE(t.erase().ok());  // no current record any more
    EXPECT_FALSE(t.put().ok());
    ASSERT_TRUE(t.next().ok());    // continues after the deleted one
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "3");
    EXPECT_EQ(readAll(t, "KeyHesap", "HESAPKODU"), (std::vector<std::string>{"1", "3"}));
    ASSERT_TRUE(t.empty().ok());
    EXPECT_EQ(*t.count(), 0);
}

TEST_P(Keys, KeylessFilesReadInPhysicalOrder) {
    Table t = open(Layout::Yasal);
    for (const char* n : {"Birinci", "İkinci", "Üçüncü"}) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("SIRKETUNVANI1", n).ok());
        ASSERT_TRUE(t.buffer().setNumber("MAHSUPNUMARATOR", 5, 366).ok());
        ASSERT_TRUE(t.add().ok());
    }
    ASSERT_TRUE(t.setPhysical().ok());
    std::vector<std::string> out;
    while (t.next().ok()) out.push_back(*t.buffer().text("SIRKETUNVANI1"));
    EXPECT_EQ(out, (std::vector<std::string>{"Birinci", "İkinci", "Üçüncü"}));
    EXPECT_EQ(*t.buffer().number("MAHSUPNUMARATOR", 366), 5);
    ASSERT_TRUE(t.setPhysical().ok());
    ASSERT_TRUE(t.next().ok());
    ASSERT_TRUE(t.buffer().setNumber("MAHSUPNUMARATOR", -7, 200).ok());
    ASSERT_TRUE(t.put().ok());
    ASSERT_TRUE(t.setPhysical().ok());
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(*t.buffer().number("MAHSUPNUMARATOR", 200), -7);
    EXPECT_EQ(*t.buffer().number("MAHSUPNUMARATOR", 366), 5);
}

TEST_P(Keys, TextOutsideCp1254NeverReachesTheFile) {
    Table t = open(Layout::HsPlan);
    TypedTable<HsPlan> plan(std::move(t));
    HsPlan h;
    h.HESAPKODU = "100";
    h.HESAPAD1 = "Ωmega";
    auto st = plan.add(h);
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::BadValue));
    // also when the slot is written directly
    plan.table().clear();
    plan.table().buffer().slot(0).text = "Ω";
    EXPECT_FALSE(plan.table().add().ok());
    EXPECT_EQ(*plan.count(), 0);
}

TEST_P(Keys, TypedAccess) {
    TypedTable<HsPlan> plan(open(Layout::HsPlan));
    HsPlan h;
    h.HESAPKODU = "320 01";
    h.HESAPAD1 = "Satıcılar";
    month(h.TLALACAK, 4) = 250.75;
    ASSERT_TRUE(plan.add(h).ok());
    HsPlan key;
    key.HESAPKODU = "320 01";
    auto got = plan.get("KeyHesap", key);
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(*got, h);
    month(got->TLALACAK, 4) += 10;
    ASSERT_TRUE(plan.put(*got).ok());
    EXPECT_EQ(month(plan.get("KeyHesap", key)->TLALACAK, 4), 260.75);

    // a work file that repeats FisDet's layout is read through the FisDet struct
    TypedTable<FisDet> lines(open(Layout::Tmp));
    FisDet d;
    d.KEYSTR = "0100000001";
    d.ACKNO = 200;
    ASSERT_TRUE(lines.add(d).ok());
    d.ACKNO = 100;
    ASSERT_TRUE(lines.add(d).ok());
    ASSERT_TRUE(lines.set("KeyFisDet").ok());
    EXPECT_EQ(lines.next()->ACKNO, 100);
    EXPECT_EQ(lines.next()->ACKNO, 200);
    EXPECT_FALSE(lines.next().ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, Keys, ::testing::Values(Engine::Sqlite, Engine::Memory,
                                           Engine::SqliteEscapedKeys), engineName);

} // namespace
} // namespace hk::data::test

namespace hk::data::test {
namespace {

class Bookmarks : public EngineFixture {};

TEST_P(Bookmarks, ResumeExactlyAmongEqualKeys) {
    Table t = open(Layout::HsPlan);
    for (const char* c : {"1", "2", "3", "4"}) {
        t.clear();
        ASSERT_TRUE(t.buffer().setText("HESAPKODU", c).ok());
        ASSERT_TRUE(t.buffer().setText("HESAPAD1", "Aynı ad").ok());
        ASSERT_TRUE(t.add().ok());
    }
    ASSERT_TRUE(t.set("KeyHesapAd", Seek::First).ok());
    ASSERT_TRUE(t.next().ok());
    ASSERT_TRUE(t.next().ok());
    const Bookmark second = t.bookmark();
    ASSERT_TRUE(second.valid());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "2");
    ASSERT_TRUE(t.set("KeyHesap", Seek::Last).ok());  // wander off
    ASSERT_TRUE(t.previous().ok());
    ASSERT_TRUE(t.restore(second).ok());
    ASSERT_TRUE(t.next().ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "3");
    ASSERT_TRUE(t.restore(second).ok());
    ASSERT_TRUE(t.previous().ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "1");
    ASSERT_TRUE(t.reget(second).ok());
    EXPECT_EQ(*t.buffer().text("HESAPKODU"), "2");
    ASSERT_TRUE(t.erase().ok());
    auto gone = t.reget(second);
    ASSERT_FALSE(gone.ok());
    EXPECT_TRUE(is(gone.error(), ErrorCode::NotFound));
    EXPECT_FALSE(t.restore(Bookmark{}).ok());
}

INSTANTIATE_TEST_SUITE_P(Engines, Bookmarks, ::testing::Values(Engine::Sqlite, Engine::Memory,
                                           Engine::SqliteEscapedKeys), engineName);

} // namespace
} // namespace hk::data::test
