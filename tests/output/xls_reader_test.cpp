#include "output/sheet_reader.h"

#include "zip_craft.h"

#include <gtest/gtest.h>

using namespace hk::output;
using hk::test::TempDir;
using hk::test::writeFile;

namespace {
const std::string kFixtures = std::string(HK_TEST_DATA) + "/sheet/";
}

TEST(XlsReader, ReadsTheFirstSheetOfAnXlwtWorkbook) {
    auto wb = Workbook::open(kFixtures + "plan.xls");
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->sheetName(), "Plan");
    EXPECT_EQ(wb->rowCount(), 10u);
    EXPECT_EQ(wb->colCount(), 6u);
    // Expected texts written out by hand from make_fixtures.py.
    const std::vector<std::tuple<int, int, std::string>> expected = {
        {1, 1, "Hesap Kodu"}, {1, 2, "Hesap Adı"},          {1, 3, "Tutar"},  {1, 4, "Tarih"},
        {2, 1, "100"},        {2, 2, "Kasa ĞÜŞİÖÇ ğüşıöç"}, {2, 3, "1234.5"}, {2, 4, "05.03.2024"},
        {3, 1, "102 01"},     {3, 2, "Bankalar"},           {3, 3, "7"},      {10, 6, "corner"},
    };
    for (const auto& [r, c, text] : expected)
        EXPECT_EQ(wb->cellText(std::uint32_t(r), std::uint32_t(c)), text)
            << "row " << r << " col " << c;
    EXPECT_EQ(wb->cells().size(), expected.size());
}

TEST(XlsReader, DamagedFilesAreRefused) {
    TempDir dir("xls_bad");
    std::string good = hk::test::readFile(kFixtures + "plan.xls");
    ASSERT_GT(good.size(), 1024u);
    std::string garbage = good.substr(0, 8) + std::string(4000, '\x7f');
    std::string scrambled = good;
    for (std::size_t i = 512; i < scrambled.size(); i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5A);
    writeFile(dir.path / "half.xls", good.substr(0, good.size() / 2));
    writeFile(dir.path / "garbage.xls", garbage);
    writeFile(dir.path / "scrambled.xls", scrambled);
    for (const char* name : {"half.xls", "garbage.xls", "scrambled.xls"}) {
        auto wb = Workbook::open((dir.path / name).string());
        ASSERT_FALSE(wb.ok()) << name;
        EXPECT_NE(wb.error().text.find(name), std::string::npos) << wb.error().text;
    }
}

// A workbook whose cell records FreeXL does not recognise reads as a sheet without cells; that
// is a damaged workbook, not an empty list for the importers.
TEST(XlsReader, ASheetWithoutReadableCellsIsDamaged) {
    TempDir dir("xls_nocells");
    std::string bytes = hk::test::readFile(kFixtures + "plan.xls");
    // The workbook stream starts at the first sector (offset 512); its BIFF records follow each
    // other: id (2 bytes), length (2 bytes), data. Cell records get an id no reader knows.
    int renamed = 0, ends = 0;
    for (std::size_t p = 512; p + 4 <= bytes.size();) {
        const unsigned id = std::uint8_t(bytes[p]) | std::uint8_t(bytes[p + 1]) << 8;
        const unsigned len = std::uint8_t(bytes[p + 2]) | std::uint8_t(bytes[p + 3]) << 8;
        if (id == 0x00FD || id == 0x027E || id == 0x00BD || id == 0x0203 || id == 0x0204) {
            bytes[p] = 0x01;
            bytes[p + 1] = 0x01;
            ++renamed;
        }
        if (id == 0x000A && ++ends == 2) break; // the end of the globals, then of the worksheet
        p += 4 + len;
    }
    ASSERT_GT(renamed, 3);
    writeFile(dir.path / "bos.xls", bytes);
    auto wb = Workbook::open((dir.path / "bos.xls").string());
    ASSERT_FALSE(wb.ok());
    EXPECT_EQ(wb.error().code, kSheetDamaged);
    EXPECT_NE(wb.error().text.find("no cell can be read"), std::string::npos) << wb.error().text;
    EXPECT_NE(wb.error().text.find("bos.xls"), std::string::npos);
}

// Regression: a fuzzed file on which FreeXL reads past a stack buffer while converting a string.
// The reader runs FreeXL in a child process, so the program only sees a damaged workbook.
TEST(XlsReader, AFileThatTripsFreeXlIsADamagedWorkbook) {
    const std::string path = kFixtures + "freexl_overread.xls";
    auto wb = Workbook::open(path);
    ASSERT_FALSE(wb.ok());
    EXPECT_EQ(wb.error().code, kSheetDamaged);
    EXPECT_NE(wb.error().text.find("freexl_overread.xls"), std::string::npos) << wb.error().text;
    // The process is unharmed and the next workbook reads normally.
    auto good = Workbook::open(kFixtures + "plan.xls");
    ASSERT_TRUE(good.ok()) << good.error().text;
    EXPECT_EQ(good->cellText(2, 1), "100");
}
