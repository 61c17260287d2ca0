// Users, groups and rights: "Otomatik Ekle", membership copying and removal, the first group
// deciding, password hashing and the refusals of bad input.
#include "app/users.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/errors.h"
#include "support/files.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <map>

namespace u = hk::app::users;
using hk::data::KLDGrups;
using hk::data::KLDUsers;
using hk::data::KLGrups;
using hk::data::KLUsers;
using hk::data::MenuList;

namespace {

class UsersTest : public ::testing::Test {
  protected:
    u::SecurityFiles f = u::openInMemory();

    void SetUp() override {
        for (auto [no, name] : std::initializer_list<std::pair<double, const char*>>{
                 {3000, "=Hesap Planı Listesi"},
                 {1000, "=Fiş İşlemleri"},
                 {2020, "Raporlar Mizan Raporları"}}) {
            MenuList m;
            m.MENUNO = no;
            m.MENUADI = name;
            ASSERT_TRUE(u::addMenu(f, m));
        }
        addGroup(1, "Muhasebe");
        addGroup(2, "Denetim");
        // group 1 refuses GOSTER on 2020, group 2 grants it; only group 2 has 3000
        groupRight(1, 2020, "H");
        groupRight(2, 2020, "E");
        groupRight(2, 3000, "E");
        KLUsers a;
        a.ID = "ALI";
        a.NAME = "Ali Veli";
        ASSERT_TRUE(u::addUser(f, a, ""));
    }

    void addGroup(double no, const char* name) {
        KLGrups g;
        g.GRUPNO = no;
        g.GRUPADI = name;
        ASSERT_TRUE(u::addGroup(f, g));
    }

    void groupRight(double g, double menu, const char* goster) {
        KLDGrups r;
        r.GRUPNO = g;
        r.MENUNO = menu;
        r.GOSTER = goster;
        r.IZLE = r.YENIGIR = r.DEGISTIR = r.SIL = "E";
        ASSERT_TRUE(u::addGroupRight(f, r));
    }

    // menu number -> (group, GOSTER)
    std::map<double, std::pair<double, std::string>> rightsOf(const std::string& id) {
        std::map<double, std::pair<double, std::string>> out;
        auto rows = u::userRights(f, id);
        EXPECT_TRUE(rows);
        for (const auto& r : rows.value())
            out[r.MENUNO] = {r.GRUPNO, r.GOSTER};
        return out;
    }
};

TEST_F(UsersTest, OtomatikEkleGrantsEveryCatalogueNumberOnceInNumberOrder) {
    auto first = u::grantAllToUser(f, "ALI");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.value(), 3);
    auto rows = u::userRights(f, "alı"); // IDs compare by the Turkish case pairs
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].MENUNO, 1000);
    EXPECT_EQ((*rows)[2].MENUNO, 3000);
    for (const auto& r : rows.value()) {
        EXPECT_EQ(r.GRUPNO, 0);
        EXPECT_EQ(r.GOSTER + r.IZLE + r.YENIGIR + r.DEGISTIR + r.SIL, "EEEEE");
    }
    EXPECT_EQ((*rows)[1].MENUADI, "Raporlar Mizan Raporları");

    auto second = u::grantAllToUser(f, "ALI");
    ASSERT_TRUE(second);
    EXPECT_EQ(second.value(), 0);
    EXPECT_EQ(u::userRights(f, "ALI")->size(), 3u);
}

TEST_F(UsersTest, OtomatikEkleOnAGroupIsIdempotentAndKeepsExistingRows) {
    auto n = u::grantAllToGroup(f, 1);
    ASSERT_TRUE(n);
    EXPECT_EQ(n.value(), 2); // 2020 existed already
    auto rows = u::groupRights(f, 1);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[1].MENUNO, 2020);
    EXPECT_EQ((*rows)[1].GOSTER, "H");
    EXPECT_EQ(u::grantAllToGroup(f, 1).value(), 0);
}

TEST_F(UsersTest, FirstGroupAddedDecidesAMenuNumber) {
    struct Case {
        double first, second;
        const char* goster2020;
    };
    for (const Case c : {Case{1, 2, "H"}, Case{2, 1, "E"}}) {
        SCOPED_TRACE(c.first);
        KLUsers x;
        x.ID = c.first == 1 ? "U12" : "U21";
        ASSERT_TRUE(u::addUser(f, x, ""));
        ASSERT_TRUE(u::addMembership(f, x.ID, c.first));
        ASSERT_TRUE(u::addMembership(f, x.ID, c.second));
        auto r = rightsOf(x.ID);
        EXPECT_EQ(r[2020].second, c.goster2020);
        EXPECT_EQ(r[2020].first, c.first);
        EXPECT_EQ(r[3000].first, 2); // only group 2 has 3000
    }
}

TEST_F(UsersTest, MembershipNeverOverwritesRowsEnteredByHand) {
    KLDUsers hand;
    hand.ID = "ALI";
    hand.MENUNO = 2020;
    hand.GOSTER = "H";
    hand.IZLE = "H";
    ASSERT_TRUE(u::addUserRight(f, hand));
    auto copied = u::addMembership(f, "ALI", 2);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied.value(), 1); // only 3000
    auto r = rightsOf("ALI");
    EXPECT_EQ(r[2020], (std::pair<double, std::string>{0, "H"}));
}

TEST_F(UsersTest, RemovingAMembershipDeletesExactlyThatGroupsRows) {
    KLDUsers hand;
    hand.ID = "ALI";
    hand.MENUNO = 1000;
    ASSERT_TRUE(u::addUserRight(f, hand));
    ASSERT_TRUE(u::addMembership(f, "ALI", 1)); // 2020 from group 1
    ASSERT_TRUE(u::addMembership(f, "ALI", 2)); // 3000 from group 2
    auto removed = u::removeMembership(f, "ALI", 1);
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed.value(), 1);
    auto r = rightsOf("ALI");
    EXPECT_EQ(r.size(), 2u);
    EXPECT_EQ(r.count(2020), 0u); // no fallback to group 2 ...
    EXPECT_EQ(r[3000].first, 2);
    EXPECT_EQ(r[1000].first, 0);
    auto groups = u::userGroups(f, "ALI");
    ASSERT_EQ(groups->size(), 1u);
    EXPECT_EQ((*groups)[0].GRUPNO, 2);
    // ... until group 2 is saved again
    ASSERT_TRUE(u::removeMembership(f, "ALI", 2));
    ASSERT_TRUE(u::addMembership(f, "ALI", 2));
    EXPECT_EQ(rightsOf("ALI")[2020], (std::pair<double, std::string>{2, "E"}));
}

TEST_F(UsersTest, MembershipRefusalsWriteNothing) {
    auto unknown = u::addMembership(f, "ALI", 7);
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message, 14);
    ASSERT_TRUE(u::addMembership(f, "ALI", 2));
    auto again = u::addMembership(f, "ALI", 2);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().message, 13);
    EXPECT_EQ(u::userGroups(f, "ALI")->size(), 1u);
    EXPECT_EQ(u::userRights(f, "ALI")->size(), 2u);
    for (double bad : {0.0, -1.0, 1.5})
        EXPECT_FALSE(u::addMembership(f, "ALI", bad)) << bad;
    EXPECT_FALSE(u::addMembership(f, "  ", 2));
}

TEST_F(UsersTest, RightFormsCheckTheCatalogueAndStoreOnlyEOrH) {
    KLDUsers r;
    r.ID = "ALI";
    r.MENUNO = 4242;
    auto missing = u::addUserRight(f, r);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message, 14);
    EXPECT_TRUE(u::userRights(f, "ALI")->empty());

    r.MENUNO = 3000;
    r.GOSTER = "E";
    r.IZLE = "e";
    r.YENIGIR = "x";
    ASSERT_TRUE(u::addUserRight(f, r));
    auto rows = u::userRights(f, "ALI");
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ((*rows)[0].MENUADI, "=Hesap Planı Listesi"); // name taken from the catalogue
    EXPECT_EQ((*rows)[0].GOSTER + (*rows)[0].IZLE + (*rows)[0].YENIGIR, "EHH");
    auto dup = u::addUserRight(f, r);
    ASSERT_FALSE(dup);
    EXPECT_EQ(dup.error().message, 13);
}

TEST_F(UsersTest, PasswordIsStoredOnlyAsTheHashOfItsUpperCasedForm) {
    KLUsers x;
    x.ID = "AYŞE";
    ASSERT_TRUE(u::addUser(f, x, "şifre1"));
    auto got = u::findUser(f, "ayşe");
    ASSERT_TRUE(got);
    ASSERT_TRUE(got.value());
    const KLUsers& s = *got.value();
    EXPECT_TRUE(s.PASSWORD.empty());
    EXPECT_EQ(s.PASSWORDHASH.find("şifre1"), std::string::npos);
    ASSERT_EQ(sodium_init() >= 0, true);
    const std::string upper = "ŞİFRE1"; // Turkish upper case of "şifre1", written by hand
    EXPECT_EQ(crypto_pwhash_str_verify(s.PASSWORDHASH.c_str(), upper.data(), upper.size()), 0);
    const std::string lower = "şifre1";
    EXPECT_NE(crypto_pwhash_str_verify(s.PASSWORDHASH.c_str(), lower.data(), lower.size()), 0);

    // a change without a new password keeps the hash; with one it replaces it
    KLUsers change = s;
    change.NAME = "Ayşe Kaya";
    ASSERT_TRUE(u::changeUser(f, change, std::nullopt));
    EXPECT_EQ(u::findUser(f, "AYŞE")->value().PASSWORDHASH, s.PASSWORDHASH);
    ASSERT_TRUE(u::changeUser(f, change, std::string("yeni")));
    const std::string yeni = "YENİ";
    EXPECT_EQ(crypto_pwhash_str_verify(u::findUser(f, "AYŞE")->value().PASSWORDHASH.c_str(),
                                       yeni.data(), yeni.size()),
              0);
}

TEST_F(UsersTest, BadUserInputIsRefusedAndNothingWritten) {
    struct Case {
        const char* id;
        const char* name;
        const char* password;
    };
    for (const Case c : {Case{"", "x", ""}, Case{"BOB中", "x", ""}, Case{"BOB", "Bob 中", ""},
                         Case{"BOB", "x", "pw中"}, Case{"BOB", "x", "123456789012345678901"},
                         Case{"ALI", "duplicate", ""}, Case{"BOB45678901", "too long", ""}}) {
        SCOPED_TRACE(c.id);
        KLUsers x;
        x.ID = c.id;
        x.NAME = c.name;
        EXPECT_FALSE(u::addUser(f, x, c.password));
    }
    EXPECT_FALSE(u::findUser(f, "BOB").value());
    EXPECT_EQ(u::findUser(f, "ALI").value()->NAME, "Ali Veli");
}

TEST_F(UsersTest, DeletingAUserTakesItsRowsAlongButNeverTheLastMaster) {
    KLUsers m;
    m.ID = "HESAPKAR";
    m.MASTERUSER = 1;
    ASSERT_TRUE(u::addUser(f, m, ""));
    ASSERT_TRUE(u::grantAllToUser(f, "ALI"));
    ASSERT_TRUE(u::addMembership(f, "ALI", 2));
    ASSERT_TRUE(u::deleteUser(f, "ALI"));
    EXPECT_FALSE(u::findUser(f, "ALI").value());
    // a user created later under the same ID starts without rights
    KLUsers again;
    again.ID = "ALI";
    ASSERT_TRUE(u::addUser(f, again, ""));
    EXPECT_TRUE(u::userRights(f, "ALI")->empty());
    EXPECT_TRUE(u::userGroups(f, "ALI")->empty());

    EXPECT_FALSE(u::deleteUser(f, "HESAPKAR"));
    KLUsers demote = m;
    demote.MASTERUSER = 0;
    EXPECT_FALSE(u::changeUser(f, demote, std::nullopt));
    EXPECT_EQ(u::findUser(f, "HESAPKAR").value()->MASTERUSER, 1);
    // with a second master both steps are allowed
    KLUsers m2;
    m2.ID = "ADMIN";
    m2.MASTERUSER = 1;
    ASSERT_TRUE(u::addUser(f, m2, ""));
    EXPECT_TRUE(u::changeUser(f, demote, std::nullopt));
    EXPECT_EQ(u::findUser(f, "HESAPKAR").value()->MASTERUSER, 0);
}

TEST_F(UsersTest, DeletingAGroupLeavesItsRowsAndMemberships) {
    ASSERT_TRUE(u::addMembership(f, "ALI", 2));
    ASSERT_TRUE(u::deleteGroup(f, 2));
    EXPECT_FALSE(u::findGroup(f, 2).value());
    EXPECT_EQ(u::groupRights(f, 2)->size(), 2u);
    EXPECT_EQ(u::groupMembers(f, 2)->size(), 1u);
    EXPECT_EQ(u::userRights(f, "ALI")->size(), 2u);
}

// A storage that fills up in the middle of a save (the database may not grow by a single page):
// the membership and the rights rows it copies are refused whole, nothing of it stays, the files
// pass their check, and once there is room the same save goes through.
TEST(UsersOnAFullDisk, AMembershipThatCannotBeWrittenWholeIsNotWrittenAtAll) {
    hk::test::TempDir dir("full");
    auto db = hk::data::Database::open(dir.path / "Hesapkar.db");
    ASSERT_TRUE(db);
    auto opened = u::open(*db);
    ASSERT_TRUE(opened);
    u::SecurityFiles& f = *opened;
    KLGrups g;
    g.GRUPNO = 1;
    g.GRUPADI = "Muhasebe";
    ASSERT_TRUE(u::addGroup(f, g));
    for (int no = 1; no <= 300; ++no) {
        MenuList m;
        m.MENUNO = no;
        m.MENUADI = "Menü satırı numarası " + std::to_string(no) + " uzun bir adla";
        ASSERT_TRUE(u::addMenu(f, m));
    }
    ASSERT_EQ(*u::grantAllToGroup(f, 1), 300);
    KLUsers ali;
    ali.ID = "ALİ";
    ASSERT_TRUE(u::addUser(f, ali, ""));

    // the limit cannot go below the current size: 1 pins the database at what it holds now
    ASSERT_TRUE(db->connection().exec("PRAGMA max_page_count = 1"));
    auto full = u::addMembership(f, "ALİ", 1);
    ASSERT_FALSE(full);
    EXPECT_EQ(full.error().kind, hk::core::ErrorKind::Storage);
    EXPECT_NE(full.error().text.find("full"), std::string::npos) << full.error().text;
    EXPECT_TRUE(u::userGroups(f, "ALİ")->empty());
    EXPECT_TRUE(u::userRights(f, "ALİ")->empty());
    auto problems = db->check();
    ASSERT_TRUE(problems);
    EXPECT_TRUE(problems->empty());

    ASSERT_TRUE(db->connection().exec("PRAGMA max_page_count = 1073741823"));
    auto room = u::addMembership(f, "ALİ", 1);
    ASSERT_TRUE(room) << room.error().describe();
    EXPECT_EQ(*room, 300);
    EXPECT_EQ(u::userRights(f, "ALİ")->size(), 300u);
}

} // namespace
