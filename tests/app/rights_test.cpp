// Rights service: the per-number rules for buttons, lists and forms, and the trimming of the
// main menu for master and non-master users.
#include "app/catalogue.h"
#include "app/rights.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace hk::app;

namespace {

RightsRow allE() { return RightsRow{"E", "E", "E", "E", "E"}; }

// Rows of one user, as the user-rights file would hold them.
struct FakeRows {
    std::map<int, RightsRow> rows;
    std::vector<int> asked;
    bool fail = false;

    RightsLookup lookup(const std::string& forUser = "ALI") {
        return [this, forUser](std::string_view user, int no)
                   -> hk::core::Result<std::optional<RightsRow>> {
            asked.push_back(no);
            if (fail) return hk::core::Error::of(5, "Access denied", "KLDUsers");
            if (user != forUser) return std::optional<RightsRow>{};
            auto it = rows.find(no);
            if (it == rows.end()) return std::optional<RightsRow>{};
            return std::optional<RightsRow>{it->second};
        };
    }
};

// Texts of the entries of one menu that end up on screen, separators as "-" + number.
std::vector<std::string> shownIn(int menuNo, const std::set<int>& hidden) {
    std::vector<std::string> out;
    for (const auto& e : mainMenu()) {
        if (e.parent != menuNo || !menuEntryShown(e, hidden)) continue;
        out.push_back(e.kind == MenuKind::Separator ? "-" + std::to_string(e.number) : e.text);
    }
    return out;
}

} // namespace

TEST(Grants, OnlyTheLetterEGrants) {
    EXPECT_TRUE(grants("E"));
    EXPECT_TRUE(grants("E "));
    EXPECT_FALSE(grants("H"));
    EXPECT_FALSE(grants(""));
    EXPECT_FALSE(grants(" "));
    EXPECT_FALSE(grants("e"));
    EXPECT_FALSE(grants("EE"));
}

TEST(RightsService, ItemShownOnlyWithRowWhoseGosterIsE) {
    FakeRows f;
    f.rows[2020] = RightsRow{"E", "H", "H", "H", "H"};
    f.rows[2030] = RightsRow{"H", "E", "E", "E", "E"};
    RightsService r("ALI", false, f.lookup());
    EXPECT_TRUE(r.shows(2020));
    EXPECT_FALSE(r.shows(2030));
    EXPECT_FALSE(r.shows(2040)); // no row
}

TEST(RightsService, MasterNeverReadsARowAndGetsEverything) {
    FakeRows f; // no rows at all
    RightsService r("HESAPKAR", true, f.lookup("HESAPKAR"));
    EXPECT_TRUE(r.shows(1000));
    EXPECT_TRUE(r.formCanSave(3000));
    ListRights l = r.list(3000);
    EXPECT_TRUE(l.insert && l.change && l.remove);
    EXPECT_FALSE(l.changeIsView);
    EXPECT_FALSE(r.row(3000).has_value());
    hk::app::hiddenMenuNumbers(r, true);
    EXPECT_TRUE(f.asked.empty());
}

TEST(RightsService, RowsOfAnotherUserDoNotCount) {
    FakeRows f;
    f.rows[1000] = allE();
    RightsService r("VELI", false, f.lookup("ALI"));
    EXPECT_FALSE(r.shows(1000));
}

TEST(RightsService, StorageErrorRefusesAndIsKept) {
    FakeRows f;
    f.rows[1000] = allE();
    f.fail = true;
    RightsService r("ALI", false, f.lookup());
    EXPECT_FALSE(r.shows(1000));
    EXPECT_FALSE(r.formCanSave(1000));
    EXPECT_FALSE(r.list(1000).insert);
    EXPECT_EQ(r.lastError().file, "KLDUsers");
    EXPECT_EQ(r.lastError().code, 5);
}

struct ListCase {
    const char* name;
    bool hasRow;
    RightsRow row;
    bool viewCaption;
    ListRights want;
    bool formSaves;
};

class ListRule : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListRule, ActionsAndFormSave) {
    const ListCase& c = GetParam();
    FakeRows f;
    if (c.hasRow) f.rows[3000] = c.row;
    RightsService r("ALI", false, f.lookup());
    ListRights got = r.list(3000, c.viewCaption);
    EXPECT_EQ(got.insert, c.want.insert);
    EXPECT_EQ(got.change, c.want.change);
    EXPECT_EQ(got.remove, c.want.remove);
    EXPECT_EQ(got.changeIsView, c.want.changeIsView);
    EXPECT_EQ(r.formCanSave(3000), c.formSaves);
}

INSTANTIATE_TEST_SUITE_P(
    Rights, ListRule,
    ::testing::Values(
        ListCase{"NoRow", false, {}, true, {false, false, false, false}, false},
        ListCase{"AllGranted", true, {"E", "E", "E", "E", "E"}, true, {true, true, true, false}, true},
        // Shown and view only: "Izle" replaces "Değiştir", no insert, no delete, form read-only.
        ListCase{"ViewOnly", true, {"E", "E", "H", "H", "H"}, true, {false, true, false, true}, false},
        ListCase{"ViewOnlyNoCaption", true, {"E", "E", "H", "H", "H"}, false,
                 {false, false, false, false}, false},
        ListCase{"ChangeBeatsView", true, {"E", "E", "H", "E", "H"}, true,
                 {false, true, false, false}, true},
        ListCase{"NothingGranted", true, {"E", "H", "H", "H", "H"}, true,
                 {false, false, false, false}, false},
        ListCase{"InsertOnly", true, {"H", "H", "E", "", ""}, true, {true, false, false, false}, true},
        ListCase{"DeleteOnlySavesForm", true, {"E", "H", "H", "H", "E"}, true,
                 {false, false, true, false}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MenuTrim, NonMasterWithoutRowsKeepsOnlyPrinterWindowsAndExit) {
    FakeRows f;
    RightsService r("ALI", false, f.lookup());
    auto hidden = hiddenMenuNumbers(r, true);
    EXPECT_EQ(shownIn(0, hidden),
              (std::vector<std::string>{"&Yazıcı Ayarları", "&Pencere", "Çı&kış"}));
}

TEST(MenuTrim, RowsFor2000And2100LeaveSpecialAndCashReports) {
    FakeRows f;
    f.rows[2000] = allE();
    f.rows[2100] = allE();
    RightsService r("ALI", false, f.lookup());
    auto hidden = hiddenMenuNumbers(r, true);
    for (int sep : {2011, 2041, 2051, 2061}) EXPECT_TRUE(hidden.count(sep)) << sep;
    EXPECT_FALSE(hidden.count(2091));
    // 2091 above "Özel Raporlar", then the unnumbered line above "Kasa Raporu".
    EXPECT_EQ(shownIn(2000, hidden),
              (std::vector<std::string>{"-2091", "Özel Raporlar", "-0", "Kasa Raporu"}));
    EXPECT_EQ(shownIn(0, hidden),
              (std::vector<std::string>{"&Raporlar", "&Yazıcı Ayarları", "&Pencere", "Çı&kış"}));
}

TEST(MenuTrim, SeparatorStaysWhileOneItemOfItsGroupIsShown) {
    FakeRows f;
    f.rows[5000] = allE();
    f.rows[5070] = allE(); // third of the four items under 5041
    f.rows[5110] = allE(); // second of the two under 5091
    RightsService r("ALI", false, f.lookup());
    auto hidden = hiddenMenuNumbers(r, true);
    EXPECT_FALSE(hidden.count(5041));
    EXPECT_FALSE(hidden.count(5091));
    EXPECT_TRUE(hidden.count(5021));
    EXPECT_TRUE(hidden.count(5081));
    EXPECT_TRUE(hidden.count(5111));
    EXPECT_EQ(shownIn(5000, hidden),
              (std::vector<std::string>{"-5041", "Fiş Sırala Düzelt", "-5091", "Bilgi Birleştir",
                                        "Fiş Başlık Dosyasını yeniden Oluştur", "-0",
                                        "Edefter Other Belge Açıklaması sil",
                                        "Fiş Yılını Döneme Göre Düzenle",
                                        "Fiş Detay Listesini Excel Aktar", "-0",
                                        "Excel'den Masraf Fişi Oku"}));
}

TEST(MenuTrim, NonMasterNeverSeesUserAdministration) {
    FakeRows f;
    for (int no : {4000, 4010, 4020, 4030, 4031, 4900, 4910}) f.rows[no] = allE();
    RightsService r("ALI", false, f.lookup());
    auto hidden = hiddenMenuNumbers(r, true);
    EXPECT_EQ(shownIn(4000, hidden),
              (std::vector<std::string>{"Şirket Tanımları", "Özel Fiş Açıklamaları",
                                        "Döviz İşlemleri"}));
}

TEST(MenuTrim, UncheckedItemsAreNeverAskedFor) {
    FakeRows f;
    RightsService r("ALI", false, f.lookup());
    (void)hiddenMenuNumbers(r, true);
    for (int no : f.asked) {
        EXPECT_NE(no, 2101);
        EXPECT_FALSE(no >= 5121 && no <= 5130) << no;
    }
}

TEST(MenuTrim, MasterSeesAllButAttributeHiddenAndKovan) {
    FakeRows f;
    RightsService master("HESAPKAR", true, f.lookup("HESAPKAR"));
    for (bool kovan : {true, false}) {
        auto hidden = hiddenMenuNumbers(master, kovan);
        std::set<int> want{2071, 2080, 2090, 5123, 5125};
        if (!kovan) want.insert(5120);
        EXPECT_EQ(hidden, want);
    }
    auto hidden = hiddenMenuNumbers(master, true);
    EXPECT_EQ(shownIn(4000, hidden),
              (std::vector<std::string>{"Şirket Tanımları", "Özel Fiş Açıklamaları",
                                        "Döviz İşlemleri", "-4031", "Kullanıcı Tanımları",
                                        "Kullanıcı Grup Tanımları"}));
}

TEST(MenuTrim, AttributeHiddenItemsStayHiddenEvenWithRows) {
    FakeRows f;
    for (const auto& e : mainMenu())
        if (e.number) f.rows[e.number] = allE();
    RightsService r("ALI", false, f.lookup());
    auto hidden = hiddenMenuNumbers(r, true);
    for (int no : {2071, 2080, 2090, 5123, 5125, 4900, 4910, 4031}) EXPECT_TRUE(hidden.count(no)) << no;
    EXPECT_EQ(hidden.size(), 8u);
}
