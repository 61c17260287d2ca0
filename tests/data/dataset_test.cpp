#include "fixture.h"

#include "data/dataset.h"
#include "data/errors.h"

namespace hk::data::test {
namespace {

TEST(Locations, DataFolderFromPathOrDat) {
    const auto cur = std::filesystem::path("/prog");
    const auto withPath = Locations::resolve("/veri/2024", cur);
    EXPECT_TRUE(withPath.hasDataFolder());
    EXPECT_EQ(withPath.dataFolder(), "/veri/2024");
    const auto relative = Locations::resolve("Sirket", cur);
    EXPECT_EQ(relative.dataFolder(), "/prog/Sirket");
    const auto none = Locations::resolve("  ", cur);
    EXPECT_FALSE(none.hasDataFolder());
    EXPECT_EQ(none.dataFolder(), "/prog/Dat");
}

TEST(Locations, FileNamesAndStores) {
    const auto cur = std::filesystem::path("/prog");
    const auto l = Locations::resolve("/veri", cur);
    const struct {
        const char* file;
        const char* name;
        Store store;
    } cases[] = {
        {"HsPlan", "/veri/HsPlan.Hkr", Store::Data},     {"FisDet", "/veri/FisDet.Hkr", Store::Data},
        {"KLUsers", "/veri/KLUsers.Men", Store::Data},   {"MenuList", "/veri/MenuList.Men", Store::Data},
        {"BelgeTip", "/veri/BelgeTip.Men", Store::Data}, {"Doviz", "/prog/Doviz.Men", Store::Program},
        {"DDoviz", "/prog/DDoviz.Men", Store::Program},  {"XKebir", "/veri/XKebir.Tmp", Store::Work},
        {"Version", "/veri/Version.Hkr", Store::Data},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(l.fileName(c.file), c.name) << c.file;
        EXPECT_EQ(l.storeOf(c.file), c.store) << c.file;
    }
    EXPECT_EQ(l.databaseOf(Store::Data), "/veri/Hesapkar.db");
    EXPECT_EQ(l.databaseOf(Store::Program), "/prog/Hesapkar.Men.db");
    const auto dat = Locations::resolve("", cur);
    EXPECT_EQ(dat.fileName("Doviz"), "/prog/Dat/Doviz.Hkr");
    EXPECT_EQ(dat.storeOf("DDoviz"), Store::Data);
    EXPECT_EQ(l.workFileName(Layout::Tmp, 42), "/veri/Hk42.Tmp");
    EXPECT_EQ(l.workFileName(Layout::XHsp, 99999), "/veri/XHs99999.Tmp");
}

TEST(Locations, RandomWorkNumbersStayInRange) {
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        const auto t = Locations::randomWorkNumber(Layout::Tmp, rng);
        EXPECT_GE(t, 1u);
        EXPECT_LE(t, 999999u);
        const auto x = Locations::randomWorkNumber(Layout::XHsp, rng);
        EXPECT_GE(x, 1u);
        EXPECT_LE(x, 99999u);
    }
}

TEST(DataSet, CurrenciesGoToTheProgramFolder) {
    ScratchDir dir;
    const auto l = Locations::resolve((dir.path() / "veri").string(), dir.path() / "prog");
    auto ds = DataSet::open(l);
    ASSERT_TRUE(ds.ok()) << ds.error().describe();
    auto dov = ds->open<Doviz>();
    ASSERT_TRUE(dov.ok());
    Doviz d;
    d.DOVIZKODU = "USD";
    ASSERT_TRUE(dov->add(d).ok());
    auto plan = ds->open(Layout::HsPlan);
    ASSERT_TRUE(plan.ok());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "prog" / "Hesapkar.Men.db"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "veri" / "Hesapkar.db"));
    EXPECT_TRUE(*ds->program().exists("Doviz"));
    EXPECT_FALSE(*ds->data().exists("Doviz"));
    EXPECT_TRUE(*ds->data().exists("HsPlan"));

    Table work = ds->workFile(Layout::Tmp);
    EXPECT_EQ(work.name().substr(0, 2), "Hk");
    EXPECT_EQ(work.name().substr(work.name().size() - 4), ".Tmp");
    auto x = ds->open(Layout::XKebir);
    ASSERT_TRUE(x.ok());
    EXPECT_FALSE(*ds->data().exists("XKebir"));  // work files live in memory
}

TEST(DataSet, OpenErrorsNameTheFileAsShown) {
    ScratchDir dir;
    const auto l = Locations::resolve((dir.path() / "veri").string(), dir.path());
    auto ds = DataSet::open(l);
    ASSERT_TRUE(ds.ok());
    auto t = ds->open(Layout::FisAck, false);
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.error().message, 23);
    EXPECT_EQ(t.error().file, (dir.path() / "veri" / "FisAck.Hkr").string());
}

TEST(DataSet, ReadOnlyOpenOfAMissingFolderFails) {
    ScratchDir dir;
    const auto l = Locations::resolve((dir.path() / "yok").string(), dir.path());
    auto ds = DataSet::open(l, Access::ReadOnly);
    ASSERT_FALSE(ds.ok());
    EXPECT_TRUE(is(ds.error(), ErrorCode::FileNotFound));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "yok"));
}

TEST(DataSet, LocalFoldersAreAcceptedForWriting) {
    ScratchDir dir;
    EXPECT_TRUE(checkLocalFolder(dir.path()).ok());
}

} // namespace
} // namespace hk::data::test
