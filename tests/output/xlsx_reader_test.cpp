#include "output/sheet_reader.h"

#include "zip_craft.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using namespace hk::output;
using hk::test::craftZip;
using hk::test::TempDir;
using hk::test::writeFile;

namespace {

const std::string kFixtures = std::string(HK_TEST_DATA) + "/sheet/";

// A minimal workbook package; parts can be replaced to build damaged ones.
std::map<std::string, std::string> minimalParts(const std::string& sheetData,
                                                const std::string& sharedStrings = {}) {
    std::map<std::string, std::string> p;
    p["_rels/.rels"] =
        R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
    p["xl/workbook.xml"] =
        R"(<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    p["xl/_rels/workbook.xml.rels"] =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
        R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="/xl/sharedStrings.xml"/></Relationships>)";
    p["xl/worksheets/sheet1.xml"] =
        R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" +
        sheetData + "</sheetData></worksheet>";
    p["xl/sharedStrings.xml"] =
        R"(<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
        sharedStrings + "</sst>";
    return p;
}

std::string pack(const std::map<std::string, std::string>& parts) {
    std::vector<hk::test::CraftEntry> entries;
    for (const auto& [name, data] : parts)
        entries.push_back({name, data});
    return craftZip(entries);
}

} // namespace

TEST(XlsxReader, ReadsTheActiveSheetOfAnOpenpyxlWorkbook) {
    auto wb = Workbook::open(kFixtures + "accounts.xlsx");
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->sheetName(), "Hesaplar");
    EXPECT_EQ(wb->rowCount(), 100u);
    EXPECT_EQ(wb->colCount(), 26u);
    // Expected texts written out by hand from make_fixtures.py.
    const std::vector<std::tuple<int, int, std::string>> expected = {
        {1, 1, "Hesap Kodu"},
        {1, 2, "Tutar"},
        {2, 1, "100"},
        {2, 2, "1234.5"},
        {2, 3, "05.03.2024"},
        {2, 4, "1"},
        {2, 5, "Kasa Hesabı ĞÜŞİÖÇ ğüşıöç"},
        {3, 1, "120 01 005"},
        {3, 2, "42"},
        {3, 3, "31.12.1999"}, // custom "d mmmm yyyy"
        {3, 4, "0.5"},        // "mm:ss" is a duration, not a date
        {3, 5, "0"},
        {4, 1, "  blanks kept  "},
        {4, 2, "-0.1"},
        {4, 3, "15.03.2023"}, // serial 45000 with built-in format 14
        {100, 26, "far corner"},
    };
    for (const auto& [r, c, text] : expected)
        EXPECT_EQ(wb->cellText(std::uint32_t(r), std::uint32_t(c)), text)
            << "row " << r << " col " << c;
    EXPECT_EQ(wb->cells().size(), expected.size());
    EXPECT_EQ(wb->cellText(1, 3), "");
    EXPECT_EQ(wb->cellText(500, 1), "");
    EXPECT_EQ(wb->cellText(0, 0), "");
}

TEST(XlsxReader, InlineRichAndFormulaStringsAnd1904Dates) {
    auto parts = minimalParts(
        R"(<row r="2"><c r="A2" t="inlineStr"><is><t>inline</t></is></c>)"
        R"(<c r="B2" t="s"><v>0</v></c><c r="C2" t="str"><f>A2</f><v>formula</v></c>)"
        R"(<c r="D2" t="e"><v>#N/A</v></c><c r="E2" s="1"><v>0</v></c><c r="F2" s="1"><v>1</v></c></row>)"
        R"(<row><c><v>7</v></c><c><v>8</v></c><c t="inlineStr"><is><t xml:space="preserve">   </t></is></c></row>)",
        R"(<si><r><t>Rich </t></r><r><rPr><b/></rPr><t>text</t></r><rPh><t>x</t></rPh></si>)");
    parts["xl/workbook.xml"] =
        R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><workbookPr date1904="1"/>)"
        R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    parts["xl/_rels/workbook.xml.rels"] =
        R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/sheet1.xml"/>)"
        R"(<Relationship Id="rId2" Type="x/sharedStrings" Target="sharedStrings.xml"/>)"
        R"(<Relationship Id="rId3" Type="x/styles" Target="styles.xml"/></Relationships>)";
    parts["xl/styles.xml"] =
        R"(<styleSheet><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/></cellXfs></styleSheet>)";
    auto wb = Workbook::fromXlsxBytes(pack(parts));
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->cellText(2, 1), "inline");
    EXPECT_EQ(wb->cellText(2, 2), "Rich text");
    EXPECT_EQ(wb->cellText(2, 3), "formula");
    EXPECT_EQ(wb->cellText(2, 4), "#N/A");
    EXPECT_EQ(wb->cellText(2, 5), "01.01.1904"); // 1904 system: serial 0 is its first day
    EXPECT_EQ(wb->cellText(2, 6), "02.01.1904");
    EXPECT_EQ(wb->cellText(3, 1), "7"); // rows and cells without references
    EXPECT_EQ(wb->cellText(3, 2), "8");
    EXPECT_EQ(wb->cellText(3, 3), "   "); // blanks only, kept as written
}

// Damaged and hostile workbooks: each refused with its reason, none read in part.
struct BadWorkbook {
    const char* label;
    std::map<std::string, std::string> parts;
    const char* expect;
};

std::vector<BadWorkbook> badWorkbooks() {
    std::vector<BadWorkbook> v;
    auto doctype = minimalParts("");
    doctype["xl/workbook.xml"] =
        R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;">]>)"
        R"(<workbook><sheets><sheet name="&lol2;" r:id="rId1"/></sheets></workbook>)";
    v.push_back({"doctype", doctype, "DOCTYPE"});
    v.push_back({"shared string index",
                 minimalParts(R"(<row r="1"><c r="A1" t="s"><v>5</v></c></row>)"),
                 "shared string"});
    v.push_back({"bad reference", minimalParts(R"(<row r="1"><c r="AAAA1"><v>1</v></c></row>)"),
                 "reference"});
    v.push_back({"cell outside row", minimalParts(R"(<row r="1"><c r="A2"><v>1</v></c></row>)"),
                 "outside"});
    v.push_back(
        {"row out of range", minimalParts(R"(<row r="2000000"><c><v>1</v></c></row>)"), "row"});
    v.push_back({"twice",
                 minimalParts(R"(<row r="1"><c r="A1"><v>1</v></c><c r="A1"><v>2</v></c></row>)"),
                 "twice"});
    auto noSheet = minimalParts("");
    noSheet.erase("xl/worksheets/sheet1.xml");
    v.push_back({"missing sheet", noSheet, "missing"});
    auto notXml = minimalParts("");
    notXml["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row>";
    v.push_back({"broken xml", notXml, "damaged"});
    return v;
}

TEST(XlsxReader, DamagedAndHostileWorkbooksAreRefused) {
    for (const auto& c : badWorkbooks()) {
        auto wb = Workbook::fromXlsxBytes(pack(c.parts), {}, "bad.xlsx");
        ASSERT_FALSE(wb.ok()) << c.label;
        EXPECT_NE(wb.error().text.find(c.expect), std::string::npos)
            << c.label << ": " << wb.error().text;
        EXPECT_NE(wb.error().text.find("bad.xlsx"), std::string::npos) << c.label;
    }
}

TEST(XlsxReader, LimitsOnStringsAndCells) {
    ReadLimits strict;
    strict.maxSharedStrings = 3;
    strict.maxCells = 2;
    std::string strings;
    for (int i = 0; i < 4; ++i)
        strings += "<si><t>s" + std::to_string(i) + "</t></si>";
    auto manyStrings = Workbook::fromXlsxBytes(pack(minimalParts("", strings)), strict);
    ASSERT_FALSE(manyStrings.ok());
    EXPECT_EQ(manyStrings.error().code, kSheetLimit);
    EXPECT_NE(manyStrings.error().text.find("shared strings"), std::string::npos);

    auto manyCells = Workbook::fromXlsxBytes(
        pack(minimalParts(R"(<row r="1"><c><v>1</v></c><c><v>2</v></c><c><v>3</v></c></row>)")),
        strict);
    ASSERT_FALSE(manyCells.ok());
    EXPECT_EQ(manyCells.error().code, kSheetLimit);
    EXPECT_NE(manyCells.error().text.find("filled cells"), std::string::npos);

    // Two cells are within the limit.
    auto fine = Workbook::fromXlsxBytes(
        pack(minimalParts(R"(<row r="1"><c><v>1</v></c><c><v>2</v></c></row>)")), strict);
    ASSERT_TRUE(fine.ok()) << fine.error().text;
    EXPECT_EQ(fine->colCount(), 2u);

    ReadLimits tinyXml;
    tinyXml.maxXmlBytes = 100;
    auto big = Workbook::fromXlsxBytes(pack(minimalParts(std::string(200, ' '))), tinyXml);
    ASSERT_FALSE(big.ok());
    EXPECT_EQ(big.error().code, kSheetLimit);
}

TEST(WorkbookOpen, RefusesWhatIsNotAWorkbook) {
    TempDir dir("sheet_open");
    writeFile(dir.path / "notes.xlsx", "just text");
    std::string good = hk::test::readFile(kFixtures + "accounts.xlsx");
    writeFile(dir.path / "half.xlsx", good.substr(0, good.size() / 2));
    writeFile(dir.path / "empty.xlsx", "");
    const std::vector<std::pair<std::string, int>> cases = {
        {"missing.xlsx", kSheetNotFound},
        {"notes.xlsx", kSheetUnknownFormat},
        {"half.xlsx", kSheetDamaged},
        {"empty.xlsx", kSheetUnknownFormat},
    };
    for (const auto& [name, code] : cases) {
        auto wb = Workbook::open((dir.path / name).string());
        ASSERT_FALSE(wb.ok()) << name;
        EXPECT_EQ(wb.error().code, code) << name << ": " << wb.error().text;
        EXPECT_NE(wb.error().text.find(name), std::string::npos) << wb.error().text;
    }
    ReadLimits small;
    small.maxFileBytes = 100;
    auto tooBig = Workbook::open(kFixtures + "accounts.xlsx", small);
    ASSERT_FALSE(tooBig.ok());
    EXPECT_EQ(tooBig.error().code, kSheetLimit);
}

namespace {

std::string relsWith(const std::string& extra) {
    return R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/sheet1.xml"/>)" +
           extra + "</Relationships>";
}

} // namespace

// Workbooks built to make the reader pass memory or time: each refused within the workbook's
// budgets, whatever the relationships and repetitions say.
TEST(XlsxReader, AmplifyingWorkbooksAreBoundedPerWorkbook) {
    // One large shared string shown by many cells counts once per cell.
    std::string cells;
    for (int i = 1; i <= 200; ++i)
        cells += "<row r=\"" + std::to_string(i) + "\"><c t=\"s\"><v>0</v></c></row>";
    ReadLimits limits;
    limits.maxCellTextBytes = 10u << 20;
    const std::string big = "<si><t>" + std::string(100000, 'x') + "</t></si>";
    auto amplified = Workbook::fromXlsxBytes(pack(minimalParts(cells, big)), limits, "a.xlsx");
    ASSERT_FALSE(amplified.ok());
    EXPECT_EQ(amplified.error().code, kSheetLimit);
    EXPECT_NE(amplified.error().text.find("bytes of text"), std::string::npos)
        << amplified.error().text;
    // The same workbook within the budget reads.
    limits.maxCellTextBytes = 21u << 20;
    auto within = Workbook::fromXlsxBytes(pack(minimalParts(cells, big)), limits, "a.xlsx");
    ASSERT_TRUE(within.ok()) << within.error().text;
    EXPECT_EQ(within->cells().size(), 200u);

    // Shared strings and styles named by a hundred relationships are each parsed once: the
    // parse budget holds a little more than the workbook itself.
    auto repeated = minimalParts(R"(<row r="1"><c r="A1" t="s" s="1"><v>0</v></c></row>)",
                                 "<si><t>" + std::string(4000, 'y') + "</t></si>");
    std::string extra;
    for (int i = 0; i < 100; ++i) {
        extra += "<Relationship Id=\"s" + std::to_string(i) +
                 "\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        extra += "<Relationship Id=\"t" + std::to_string(i) +
                 "\" Type=\"x/styles\" Target=\"styles.xml\"/>";
    }
    repeated["xl/_rels/workbook.xml.rels"] = relsWith(extra);
    repeated["xl/styles.xml"] =
        "<styleSheet><cellXfs>" + std::string(20, ' ') + R"(<xf numFmtId="0"/><xf numFmtId="0"/></cellXfs></styleSheet>)";
    ReadLimits tight;
    tight.maxTotalXmlBytes = 0; // every part once, and not a byte more
    for (const auto& [name, data] : repeated)
        tight.maxTotalXmlBytes += data.size();
    auto once = Workbook::fromXlsxBytes(pack(repeated), tight, "r.xlsx");
    ASSERT_TRUE(once.ok()) << once.error().text;
    EXPECT_EQ(once->cellText(1, 1), std::string(4000, 'y'));
}

TEST(XlsxReader, MarkupBeyondTheBudgetIsRefusedBeforeParsing) {
    struct Case {
        const char* label;
        std::string sheetData;
    };
    std::string deep, flat;
    for (int i = 0; i < 3000000; ++i)
        deep += "<a>";
    for (int i = 0; i < 5000000; ++i)
        flat += "<a/>";
    const Case cases[] = {{"nesting", deep}, {"empty elements", flat}};
    for (const auto& c : cases) {
        auto wb = Workbook::fromXlsxBytes(pack(minimalParts(c.sheetData)), {}, "m.xlsx");
        ASSERT_FALSE(wb.ok()) << c.label;
        EXPECT_EQ(wb.error().code, kSheetLimit) << c.label << ": " << wb.error().text;
        EXPECT_NE(wb.error().text.find("elements"), std::string::npos) << wb.error().text;
    }
}

TEST(XlsxReader, CellValuesThatCannotBeTrueAreRefused) {
    struct Case {
        const char* cell;
        const char* expect;
    };
    const Case cases[] = {
        {R"(<c r="B1"><v>NaN</v></c>)", "B1"},
        {R"(<c r="B1"><v>INF</v></c>)", "not a finite number"},
        {R"(<c r="B1"><v>-infinity</v></c>)", "not a finite number"},
        {R"(<c r="B1"><v>1e400</v></c>)", "not a finite number"},
        {R"(<c r="B1" t="d"><v>9999-99-99</v></c>)", "impossible date"},
        {R"(<c r="B1" t="d"><v>2023-02-29</v></c>)", "impossible date"},
        {R"(<c r="B1" t="d"><v>0000-00-00</v></c>)", "impossible date"},
        {"<c r=\"B1\" t=\"inlineStr\"><is><t>a\xFF\xFE</t></is></c>", "not valid UTF-8"},
        {"<c r=\"B1\" t=\"inlineStr\"><is><t>\xC3\x28</t></is></c>", "B1"},
    };
    for (const auto& c : cases) {
        auto wb = Workbook::fromXlsxBytes(
            pack(minimalParts(std::string(R"(<row r="1">)") + c.cell + "</row>")), {}, "v.xlsx");
        ASSERT_FALSE(wb.ok()) << c.cell;
        EXPECT_EQ(wb.error().code, kSheetDamaged) << c.cell;
        EXPECT_NE(wb.error().text.find(c.expect), std::string::npos) << c.cell << ": " << wb.error().text;
    }
    // Invalid text in a shared string is caught where a cell shows it.
    auto shared = Workbook::fromXlsxBytes(
        pack(minimalParts(R"(<row r="3"><c r="C3" t="s"><v>0</v></c></row>)", "<si><t>\xE0\x80</t></si>")),
        {}, "v.xlsx");
    ASSERT_FALSE(shared.ok());
    EXPECT_NE(shared.error().text.find("C3"), std::string::npos) << shared.error().text;
    // The edges that are true stay readable.
    auto fine = Workbook::fromXlsxBytes(
        pack(minimalParts(R"(<row r="1"><c r="A1"><v>1.7976931348623157e308</v></c><c r="B1" t="d"><v>2024-02-29</v></c></row>)")));
    ASSERT_TRUE(fine.ok()) << fine.error().text;
    EXPECT_EQ(fine->cellText(1, 1), "1.7976931348623157e+308");
    EXPECT_EQ(fine->cellText(1, 2), "29.02.2024");
}

TEST(XlsxReader, SheetPointingAtAnotherPartIsDamagedNotEmpty) {
    struct Case {
        const char* label;
        const char* target;
        const char* expect;
    };
    const Case cases[] = {
        {"workbook part", "/xl/workbook.xml", "more than one role"},
        {"shared strings part", "sharedStrings.xml", "more than one role"},
        {"other part", "/docProps/app.xml", "holds no worksheet"},
    };
    for (const auto& c : cases) {
        auto parts = minimalParts(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
        parts["docProps/app.xml"] = "<Properties/>";
        parts["xl/_rels/workbook.xml.rels"] =
            std::string(R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target=")") +
            c.target +
            R"("/><Relationship Id="rId2" Type="x/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";
        auto wb = Workbook::fromXlsxBytes(pack(parts), {}, "p.xlsx");
        ASSERT_FALSE(wb.ok()) << c.label;
        EXPECT_EQ(wb.error().code, kSheetDamaged) << c.label;
        EXPECT_NE(wb.error().text.find(c.expect), std::string::npos) << c.label << ": " << wb.error().text;
    }
}
