// The rights lookup over a real user-rights file: rows by (user, menu number), IDs compared
// without regard to case, and the trimming computed from stored rows.
#include "app/rights_data.h"
#include "app/users.h"

#include <gtest/gtest.h>

using namespace hk::app;

namespace {

hk::data::KLDUsers rightsRow(const char* id, double menuNo, const char* goster, const char* izle = "H",
                             const char* yeni = "H", const char* degis = "H", const char* sil = "H") {
    hk::data::KLDUsers r;
    r.ID = id;
    r.MENUNO = menuNo;
    r.GOSTER = goster;
    r.IZLE = izle;
    r.YENIGIR = yeni;
    r.DEGISTIR = degis;
    r.SIL = sil;
    return r;
}

} // namespace

TEST(RightsLookupOverFile, ReadsTheRowOfUserAndNumber) {
    auto f = users::openInMemory();
    ASSERT_TRUE(f.userRights.add(rightsRow("ALI", 3000, "E", "E")).ok());
    ASSERT_TRUE(f.userRights.add(rightsRow("ALI", 2020, "H")).ok());
    ASSERT_TRUE(f.userRights.add(rightsRow("VELİ", 1000, "E", "E", "E", "E", "E")).ok());

    RightsService ali("ALI", false, userRightsLookup(f.userRights));
    EXPECT_TRUE(ali.shows(3000));
    EXPECT_FALSE(ali.shows(2020));
    EXPECT_FALSE(ali.shows(1000)); // VELİ's row
    ListRights l = ali.list(3000);
    EXPECT_TRUE(l.change && l.changeIsView);
    EXPECT_FALSE(l.insert || l.remove);
    EXPECT_FALSE(ali.formCanSave(3000));
    EXPECT_TRUE(ali.lastError().text.empty());

    // The key is case-insensitive with the Turkish pairs: "veli" is "VELİ".
    RightsService veli("veli", false, userRightsLookup(f.userRights));
    EXPECT_TRUE(veli.shows(1000));
}

TEST(RightsLookupOverFile, TrimsTheMenuFromStoredRows) {
    auto f = users::openInMemory();
    ASSERT_TRUE(f.userRights.add(rightsRow("ALI", 2000, "E")).ok());
    ASSERT_TRUE(f.userRights.add(rightsRow("ALI", 2100, "E")).ok());
    RightsService ali("ALI", false, userRightsLookup(f.userRights));
    auto hidden = hiddenMenuNumbers(ali, true);
    EXPECT_FALSE(hidden.count(2000));
    EXPECT_FALSE(hidden.count(2100));
    EXPECT_FALSE(hidden.count(2091));
    for (int no : {1000, 2010, 2011, 2020, 2041, 2051, 2061, 3000, 4000, 5000}) EXPECT_TRUE(hidden.count(no)) << no;
}
