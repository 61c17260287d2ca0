#include "statements/definitions.h"
#include "statements/editors.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace hk;
using namespace hk::statements;

namespace {

class Editors : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("hk_editors_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "prog");
        auto ds = data::DataSet::open(data::Locations::resolve((root_ / "data").string(), root_ / "prog"));
        ASSERT_TRUE(ds.ok());
        ds_.emplace(std::move(*ds));
        report_.RAPKOD = "1";
        report_.RAPNO = 4;
        report_.AD = "DENEME";
        ASSERT_TRUE(saveReport(*ds_, report_, true).ok());
        for (int n = 1; n <= 3; ++n) {
            data::DRapor c = newColumn(report_);
            c.SIRANO = static_cast<std::int16_t>(n);
            c.FIELDKOD = "C" + std::to_string(n);
            ASSERT_TRUE(saveColumn(*ds_, c, std::nullopt).ok());
        }
    }
    void TearDown() override {
        ds_.reset();
        fs::remove_all(root_);
    }
    std::string order() {
        auto cols = reportColumns(*ds_, report_);
        EXPECT_TRUE(cols.ok());
        std::string s;
        for (const auto& c : *cols) s += std::to_string(c.SIRANO) + ":" + c.FIELDKOD + " ";
        return s;
    }
    data::DRapor column(int n) {
        auto cols = reportColumns(*ds_, report_);
        for (const auto& c : *cols)
            if (c.SIRANO == n) return c;
        ADD_FAILURE() << "no column " << n;
        return {};
    }

    fs::path root_;
    std::optional<data::DataSet> ds_;
    data::Rapor report_;
};

TEST_F(Editors, MovingAColumnSwapsItWithItsNeighbourAndTheEndsStayPut) {
    EXPECT_EQ(order(), "1:C1 2:C2 3:C3 ");
    auto first = moveColumn(*ds_, column(1), Move::Up); // no column 0
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(*first, 1);
    EXPECT_EQ(order(), "1:C1 2:C2 3:C3 ");
    auto last = moveColumn(*ds_, column(3), Move::Down);
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(*last, 3);
    EXPECT_EQ(order(), "1:C1 2:C2 3:C3 ");
    auto down = moveColumn(*ds_, column(1), Move::Down);
    ASSERT_TRUE(down.ok());
    EXPECT_EQ(*down, 2);
    EXPECT_EQ(order(), "1:C2 2:C1 3:C3 ");
    auto up = moveColumn(*ds_, column(3), Move::Up);
    ASSERT_TRUE(up.ok());
    EXPECT_EQ(*up, 2);
    EXPECT_EQ(order(), "1:C2 2:C3 3:C1 ");
}

// A report that numbers a column 99 (the number the old editors parked a moving column at) moves
// its columns like any other.
TEST_F(Editors, AColumnNumbered99DoesNotDisturbAMove) {
    data::DRapor c = newColumn(report_);
    c.SIRANO = 99;
    c.FIELDKOD = "C99";
    ASSERT_TRUE(saveColumn(*ds_, c, std::nullopt).ok());
    ASSERT_TRUE(moveColumn(*ds_, column(2), Move::Up).ok());
    EXPECT_EQ(order(), "1:C2 2:C1 3:C3 99:C99 ");
}

TEST_F(Editors, ColumnLookUpSetsDefaultsByFieldType) {
    struct Row {
        const char* name;
        const char* type;
        int size;
        const char* start;
        const char* fieldkod;
        const char* kind;
        int width;
        const char* picture;
    };
    const Row rows[] = {
        {"MFB:FISTRH", "DATE", 4, "", "Format(MFB:FISTRH,@d17b)", "S", 10, "@s10"},
        {"HSP:HESAPAD1", "STRING", 50, "CLIP(  ", "CLIP(HSP:HESAPAD1", "S", 50, "@s50"},
        {"MFD:FISACK", "CSTRING", 8, "", "MFD:FISACK", "S", 8, "@s08"},
        {"HSP:TLBORC[Ay]", "REAL", 8, "", "HSP:TLBORC[Ay]", "D", 15, "@n15.2"},
    };
    for (const Row& r : rows) {
        data::DRapor c = newColumn(report_);
        EXPECT_EQ(c.YAZ, "E");
        EXPECT_EQ(c.NTLK, "D");
        EXPECT_EQ(c.FRML, "@");
        EXPECT_EQ(c.RAPNO, "4");
        c.FIELDKOD = r.start;
        data::DataList f;
        f.AD = r.name;
        f.CINS = r.type;
        f.UZUNLUK = static_cast<std::int16_t>(r.size);
        chooseColumnField(c, f);
        EXPECT_EQ(c.FIELDKOD, r.fieldkod) << r.name;
        EXPECT_EQ(c.NTLK, r.kind) << r.name;
        EXPECT_EQ(c.UZUNLUK, r.width) << r.name;
        EXPECT_EQ(c.FRML, r.picture) << r.name;
    }
    EXPECT_EQ(appendName("HSP:Ntlk='M' AND   ", "HSP:TLBORC"), "HSP:Ntlk='M' ANDHSP:TLBORC");
}

TEST_F(Editors, ColumnsAreRefusedWithoutANumberOrAKindAndNotTwice) {
    data::DRapor c = newColumn(report_);
    c.SIRANO = 0;
    EXPECT_FALSE(saveColumn(*ds_, c, std::nullopt).ok());
    c.SIRANO = 5;
    c.NTLK = "X";
    EXPECT_FALSE(saveColumn(*ds_, c, std::nullopt).ok());
    c.NTLK = "S";
    c.SIRANO = 2;
    auto dup = saveColumn(*ds_, c, std::nullopt);
    ASSERT_FALSE(dup.ok());
    EXPECT_EQ(dup.error().message, 13);
    auto renumber = saveColumn(*ds_, c, 3); // column 3 renumbered onto 2
    ASSERT_FALSE(renumber.ok());
    EXPECT_EQ(order(), "1:C1 2:C2 3:C3 ");
    auto next = nextColumnNumber(*ds_, report_);
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(*next, 4);
}

TEST_F(Editors, DeletingAReportTakesItsColumns) {
    ASSERT_TRUE(deleteReport(*ds_, report_).ok());
    auto defs = readDefinitions(*ds_);
    ASSERT_TRUE(defs.ok());
    EXPECT_TRUE(defs->reports.empty());
    EXPECT_EQ(order(), "");
}

TEST_F(Editors, StatementLinesMoveWithinTheirSideAndMarginsAreCapped) {
    data::Tablo t;
    t.RAPNO = 2;
    t.AD = "BİLANÇO";
    t.RAPORTIPI = "";
    auto blank = saveStatement(*ds_, t, true);
    ASSERT_FALSE(blank.ok());
    EXPECT_EQ(blank.error().text, kReportTypeBlank);
    t.RAPORTIPI = "B";
    ASSERT_TRUE(saveStatement(*ds_, t, true).ok());
    for (const char* side : {"A", "P"})
        for (int n = 1; n <= 2; ++n) {
            data::DTablo l = newLine(2, side);
            EXPECT_EQ(l.NITELIK, "D");
            EXPECT_EQ(l.YAZILSINMI, "E");
            l.SIRANO = static_cast<std::int16_t>(n);
            l.SAHAADI = std::string(side) + std::to_string(n);
            l.BOSLUK = 5;
            ASSERT_TRUE(saveLine(*ds_, l, std::nullopt).ok());
        }
    const auto captions = [&](const char* side) {
        auto lines = statementLines(*ds_, 2, side);
        EXPECT_TRUE(lines.ok());
        std::string s;
        for (const auto& l : *lines) s += l.SAHAADI + "/" + std::to_string(l.BOSLUK) + " ";
        return s;
    };
    EXPECT_EQ(captions("A"), "A1/3 A2/3 ");
    auto lines = statementLines(*ds_, 2, "P");
    ASSERT_TRUE(lines.ok());
    auto moved = moveLine(*ds_, (*lines)[1], Move::Up);
    ASSERT_TRUE(moved.ok());
    EXPECT_EQ(*moved, 1);
    EXPECT_EQ(captions("P"), "P2/3 P1/3 ");
    EXPECT_EQ(captions("A"), "A1/3 A2/3 ");
    EXPECT_EQ(capMargin(9), 3);
    EXPECT_EQ(capMargin(2), 2);
    data::DTablo bad = newLine(2, "X");
    bad.SIRANO = 9;
    EXPECT_FALSE(saveLine(*ds_, bad, std::nullopt).ok());
    ASSERT_TRUE(deleteStatement(*ds_, t).ok());
    EXPECT_EQ(captions("A"), "");
    EXPECT_EQ(captions("P"), "");
}

TEST_F(Editors, TheFieldListOffersOnlyTheCurrentKind) {
    auto t = ds_->open<data::DataList>(true);
    ASSERT_TRUE(t.ok());
    int no = 0;
    for (auto [kod, ad] : {std::pair{1, "HSP:HESAPKODU"}, {2, "MFB:FISNO"}, {3, "HSP:TLBORC[BK]"}, {1, "HSP:NTLK"}}) {
        data::DataList d;
        d.KOD = static_cast<std::uint8_t>(kod);
        d.AD = ad;
        d.CINS = "STRING";
        d.NO = static_cast<std::int16_t>(++no);
        ASSERT_TRUE(t->add(d).ok());
    }
    const auto names = [&](const char* kind) {
        auto l = fieldList(*ds_, kind);
        EXPECT_TRUE(l.ok());
        std::string s;
        for (const auto& d : *l) s += d.AD + " ";
        return s;
    };
    EXPECT_EQ(names("1"), "HSP:HESAPKODU HSP:NTLK ");
    EXPECT_EQ(names("2"), "MFB:FISNO ");
    EXPECT_EQ(names("3"), "HSP:TLBORC[BK] ");
    EXPECT_EQ(names("9"), "");
}

} // namespace
