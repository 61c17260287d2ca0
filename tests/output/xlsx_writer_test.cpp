#include "output/export.h"
#include "output/sheet_reader.h"
#include "output/xlsx_writer.h"

#include "zip_craft.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace hk::output;
using hk::core::Date;
using hk::core::Time;
using hk::test::failureReportedOnFullDisk;
using hk::test::run;
using hk::test::TempDir;

namespace {

bool haveOpenpyxl() {
    return run("/usr/bin/python3 -c 'import openpyxl'").first == 0;
}

// What openpyxl, an independent reader, sees in a workbook: one line per filled cell
// ("cell A1 str 'M.No' #,##0.00 True FFFF0000"), then sheet facts.
const char* kDump = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.active
print("sheet", ws.title)
print("zoom", ws.sheet_view.zoomScale)
print("selected", ws.sheet_view.selection[0].activeCell)
for row in ws.iter_rows():
    for c in row:
        if c.value is None:
            continue
        colour = c.font.color.rgb if c.font.color is not None and c.font.color.type == "rgb" else "none"
        print("cell", c.coordinate, type(c.value).__name__, repr(c.value), c.number_format, bool(c.font.b), colour)
for r, d in sorted(ws.row_dimensions.items()):
    if d.font is not None and d.font.b:
        print("rowstyle", r, d.font.color.rgb if d.font.color is not None else "none")
for k, d in sorted(ws.column_dimensions.items()):
    print("column", k, d.min, d.max, round(d.width, 2), d.number_format)
)PY";

std::map<std::string, std::string> dumpWithOpenpyxl(const std::string& path,
                                                    std::vector<std::string>& lines) {
    std::string script = path + ".py";
    std::ofstream(script) << kDump;
    auto [rc, out] = run("/usr/bin/python3 '" + script + "' '" + path + "'");
    EXPECT_EQ(rc, 0) << out;
    std::map<std::string, std::string> cells;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
        if (line.rfind("cell ", 0) == 0) {
            auto sp = line.find(' ', 5);
            cells[line.substr(5, sp - 5)] = line.substr(sp + 1);
        }
    }
    return cells;
}

bool hasLine(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) return true;
    return false;
}

// A small list the way an exporter builds it: a heading row with formats, rows of records, a
// formula line in the caption style.
Sheet sampleSheet() {
    Sheet s;
    s.headingRow({{"M.No", NumberFormat::Amount},
                  {"Menu Adı"},
                  {"Belge Tarihi", NumberFormat::Date},
                  {"KS aati", NumberFormat::Time},
                  {"Fiş No", NumberFormat::Whole}});
    s.row()
        .number(1000)
        .text("Fiş İşlemleri")
        .date(Date{5, 3, 2024})
        .time(Time{14, 30, 0, 0})
        .number(12345);
    s.row().number(2010.25).text("100").date(Date{}).time(Time{}).number(-7);
    s.row(RowStyle::Caption).text("Toplam").text("Kasa Hesabı   ");
    return s;
}

} // namespace

TEST(XlsxWriter, ReadBackByTheProjectReader) {
    TempDir dir("xlsx_write");
    const std::string path = (dir.path / "Liste.xlsx").string();
    ASSERT_TRUE(writeXlsx(sampleSheet(), path).ok());
    EXPECT_EQ(dir.list(), std::vector<std::string>{"Liste.xlsx"}) << "no temporary file left";

    auto wb = Workbook::open(path);
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->sheetName(), "Sayfa1");
    EXPECT_EQ(wb->rowCount(), 4u);
    EXPECT_EQ(wb->colCount(), 5u);
    const std::vector<std::tuple<int, int, std::string>> expected = {
        {1, 1, "M.No"},   {1, 2, "Menu Adı"}, {1, 3, "Belge Tarihi"},  {1, 4, "KS aati"},
        {1, 5, "Fiş No"}, {2, 1, "1000"},     {2, 2, "Fiş İşlemleri"}, {2, 3, "05.03.2024"},
        {2, 5, "12345"},  {3, 1, "2010.25"},  {3, 2, "100"},           {3, 3, ""},
        {3, 4, ""},       {3, 5, "-7"},       {4, 1, "Toplam"},        {4, 2, "Kasa Hesabı   "},
    };
    for (const auto& [r, c, text] : expected)
        EXPECT_EQ(wb->cellText(std::uint32_t(r), std::uint32_t(c)), text)
            << "row " << r << " col " << c;
    // 14:30 is 870 of the day's 1440 minutes.
    EXPECT_DOUBLE_EQ(std::stod(wb->cellText(2, 4)), 870.0 / 1440.0);
}

TEST(XlsxWriter, ReadBackByOpenpyxl) {
    if (!haveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    TempDir dir("xlsx_openpyxl");
    const std::string path = (dir.path / "Liste.xlsx").string();
    ASSERT_TRUE(writeXlsx(sampleSheet(), path).ok());
    std::vector<std::string> lines;
    auto cells = dumpWithOpenpyxl(path, lines);

    const std::map<std::string, std::string> expected = {
        {"A1", "str 'M.No' #,##0.00 True FFFF0000"},
        {"B1", "str 'Menu Adı' @ True FFFF0000"},
        {"C1", "str 'Belge Tarihi' dd.mm.yyyy True FFFF0000"},
        {"D1", "str 'KS aati' hh:mm True FFFF0000"},
        {"E1", "str 'Fiş No' #,##0 True FFFF0000"},
        {"A2", "int 1000 #,##0.00 False none"},
        {"B2", "str 'Fiş İşlemleri' @ False none"},
        {"C2", "datetime datetime.datetime(2024, 3, 5, 0, 0) dd.mm.yyyy False none"},
        {"D2", "time datetime.time(14, 30) hh:mm False none"},
        {"E2", "int 12345 #,##0 False none"},
        {"A3", "float 2010.25 #,##0.00 False none"},
        {"B3", "str '100' @ False none"}, // text stays text, without an apostrophe
        {"E3", "int -7 #,##0 False none"},
        {"A4", "str 'Toplam' #,##0.00 True FF0000FF"},
        {"B4", "str 'Kasa Hesabı   ' @ True FF0000FF"},
    };
    EXPECT_EQ(cells, expected);
    EXPECT_TRUE(hasLine(lines, "sheet Sayfa1"));
    EXPECT_TRUE(hasLine(lines, "zoom 75"));
    EXPECT_TRUE(hasLine(lines, "selected A1"));
    EXPECT_TRUE(hasLine(lines, "rowstyle 1 FFFF0000"));
    EXPECT_TRUE(hasLine(lines, "rowstyle 4 FF0000FF"));
    // Every column beyond the list stays text.
    EXPECT_TRUE(hasLine(lines, "column F 6 16384 ")) << "columns F.. formatted";
    bool restIsText = false, widthFits = false;
    for (const auto& l : lines) {
        if (l.rfind("column F 6 16384 ", 0) == 0)
            restIsText = l.size() > 2 && l.substr(l.size() - 2) == " @";
        if (l.rfind("column B 2 2 ", 0) == 0) {
            double w = std::stod(l.substr(13));
            widthFits =
                w >= 14 && w <= 20; // "Fiş İşlemleri" and "Kasa Hesabı   " are 14 characters
        }
    }
    EXPECT_TRUE(restIsText);
    EXPECT_TRUE(widthFits);
}

TEST(XlsxWriter, EmptyListStillHasItsHeadingRow) {
    TempDir dir("xlsx_empty");
    Sheet s;
    s.headingRow({{"M.No", NumberFormat::Amount}, {"Menu Adı"}});
    const std::string path = (dir.path / "Bos.xlsx").string();
    ASSERT_TRUE(writeXlsx(s, path).ok());
    auto wb = Workbook::open(path);
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->rowCount(), 1u);
    EXPECT_EQ(wb->cellText(1, 1), "M.No");
    EXPECT_EQ(wb->cellText(1, 2), "Menu Adı");
    EXPECT_EQ(wb->cells().size(), 2u);
}

TEST(XlsxWriter, ColumnWidthsFollowTheLongestShownText) {
    // Widths as the shown texts need them: amounts with grouping and two decimals.
    EXPECT_EQ(displayText(1234567.891, NumberFormat::Amount), "1,234,567.89");
    EXPECT_EQ(displayText(-1234.5, NumberFormat::Whole), "-1,235");
    EXPECT_EQ(displayText(-0.001, NumberFormat::Amount), "0.00");
    EXPECT_EQ(displayText(std::string("Açıklama"), NumberFormat::Text), "Açıklama");
    EXPECT_EQ(displayText(Date{}, NumberFormat::Date), "");
    EXPECT_EQ(displayText(Date{1, 2, 2024}, NumberFormat::Date).size(), 10u);
    EXPECT_GT(fittedWidth(20, true), fittedWidth(20, false));
    EXPECT_EQ(fittedWidth(1, false), 8.43); // never narrower than a default column
    EXPECT_EQ(fittedWidth(100000, false), 255.0);
}

TEST(XlsxWriter, DateSerials) {
    // Hand-checked against the spreadsheet: 1 = 1.1.1900, 59 = 28.2.1900, 61 = 1.3.1900,
    // 36526 = 1.1.2000, 45000 = 15.3.2023.
    const std::vector<std::pair<Date, double>> cases = {
        {Date{1, 1, 1900}, 1},     {Date{28, 2, 1900}, 59},    {Date{1, 3, 1900}, 61},
        {Date{1, 1, 2000}, 36526}, {Date{15, 3, 2023}, 45000}, {Date{31, 12, 9999}, 2958465},
    };
    for (const auto& [d, serial] : cases) {
        EXPECT_EQ(dateSerial(d), serial) << int(d.day) << "." << int(d.month) << "." << d.year;
        EXPECT_EQ(dateFromSerial(serial), d) << serial;
    }
    EXPECT_EQ(dateFromSerial(60), (Date{29, 2, 1900}));
    EXPECT_FALSE(dateFromSerial(0).isSet());
    EXPECT_FALSE(dateFromSerial(2958466).isSet());
    EXPECT_EQ(dateFromSerial(45000.75), (Date{15, 3, 2023}));
}

TEST(XlsxWriter, ValuesTheFormatCannotHoldAreRefusedWithTheirPlace) {
    TempDir dir("xlsx_refuse");
    struct Case {
        const char* label;
        Sheet sheet;
        const char* expect;
    };
    std::vector<Case> cases;
    {
        Sheet s;
        s.row().text("ok").number(std::numeric_limits<double>::quiet_NaN());
        cases.push_back({"nan", s, "row 1, column 2"});
    }
    {
        Sheet s;
        s.row().text("ok");
        s.row().text(std::string("\xff\xfe"));
        cases.push_back({"bad utf8", s, "row 2, column 1"});
    }
    {
        Sheet s;
        s.row().text(std::string("bell\x07"));
        cases.push_back({"control", s, "control character"});
    }
    {
        Sheet s;
        s.row().text(std::string(32768, 'x'));
        cases.push_back({"too long", s, "32767"});
    }
    {
        Sheet s;
        s.row().date(Date{31, 2, 2024});
        cases.push_back({"invalid date", s, "invalid date"});
    }
    {
        Sheet s;
        s.name = "bad[name]";
        s.row().text("x");
        cases.push_back({"sheet name after the file was begun", s, "bad[name]"});
    }
    for (const auto& c : cases) {
        const std::string path = (dir.path / "Liste.xlsx").string();
        auto st = writeXlsx(c.sheet, path);
        ASSERT_FALSE(st.ok()) << c.label;
        EXPECT_NE(st.error().text.find(c.expect), std::string::npos)
            << c.label << ": " << st.error().text;
        EXPECT_TRUE(dir.list().empty()) << c.label << ": no file, no temporary file";
    }
}

TEST(SheetExport, UnwritableTargetsLeaveNoFile) {
    TempDir dir("xlsx_unwritable");
    hk::test::writeFile(dir.path / "plainfile", "x");
    for (const std::string& target : {(dir.path / "missing/Liste.xlsx").string(),
                                      (dir.path / "plainfile/Liste.xlsx").string()}) {
        auto r = exportSheet(sampleSheet(), ExportTarget{target, false, {}});
        ASSERT_FALSE(r.ok()) << target;
        EXPECT_NE(r.error().text.find("cannot create"), std::string::npos) << r.error().text;
    }
    if (::geteuid() != 0) { // root writes into read-only folders
        fs::create_directory(dir.path / "ro");
        fs::permissions(dir.path / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        auto r = exportSheet(sampleSheet(),
                             ExportTarget{(dir.path / "ro/Liste.xlsx").string(), false, {}});
        EXPECT_FALSE(r.ok());
        fs::permissions(dir.path / "ro", fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(dir.path / "ro"));
    }
    // A folder nobody may write to, even the superuser.
    auto proc =
        exportSheet(sampleSheet(), ExportTarget{"/proc/hk_sheet_export_test.xlsx", false, {}});
    EXPECT_FALSE(proc.ok());
    EXPECT_FALSE(fs::exists("/proc/hk_sheet_export_test.xlsx"));
    // Something that is not an ordinary file is never replaced by an export.
    fs::create_directory(dir.path / "folder.xlsx");
    auto overFolder =
        exportSheet(sampleSheet(), ExportTarget{(dir.path / "folder.xlsx").string(), false, {}});
    ASSERT_FALSE(overFolder.ok());
    EXPECT_NE(overFolder.error().text.find("not an ordinary file"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir.path / "folder.xlsx"));
    fs::remove(dir.path / "folder.xlsx");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"plainfile"});
}

TEST(SheetExport, OpeningWithTheApplication) {
    TempDir dir("xlsx_open");
    const std::string path = (dir.path / "Liste.xlsx").string();
    auto opened = exportSheet(sampleSheet(), ExportTarget{path, true, "true"});
    ASSERT_TRUE(opened.ok()) << opened.error().text;
    EXPECT_EQ(*opened, path);

    for (const char* app : {"false", "/no/such/spreadsheet-app"}) {
        auto r = exportSheet(sampleSheet(), ExportTarget{path, true, app});
        ASSERT_FALSE(r.ok()) << app;
        EXPECT_EQ(r.error().code, kNoSpreadsheetApplication);
        EXPECT_NE(r.error().text.find("no spreadsheet application can open"), std::string::npos);
        EXPECT_EQ(r.error().file, path);
    }

    // The command comes from the environment when the caller names none.
    ::setenv("HK_SPREADSHEET_APP", "false", 1);
    auto fromEnv = exportSheet(sampleSheet(), ExportTarget{path, true, {}});
    ::unsetenv("HK_SPREADSHEET_APP");
    ASSERT_FALSE(fromEnv.ok());
    EXPECT_NE(fromEnv.error().text.find("(false "), std::string::npos) << fromEnv.error().text;

    // Without a path the workbook gets a folder of its own, like a new unsaved workbook.
    auto fresh = exportSheet(sampleSheet(), ExportTarget{{}, false, "true"});
    ASSERT_TRUE(fresh.ok()) << fresh.error().text;
    EXPECT_EQ(fs::path(*fresh).filename(), "Kitap1.xlsx");
    EXPECT_TRUE(Workbook::open(*fresh).ok());
    fs::remove_all(fs::path(*fresh).parent_path());
}

TEST(SheetExport, AFullDiskLeavesNoHalfWorkbook) {
    // The disk fills up while the workbook is being written: a child process whose files may not
    // grow past 16 KiB writes a workbook that needs more.
    TempDir dir("xlsx_full");
    Sheet big;
    big.headingRow({{"No", NumberFormat::Whole}, {"Açıklama"}});
    for (int i = 0; i < 12000; ++i)
        big.row().number(i).text("Satır " + std::to_string(i) + " açıklaması");
    const std::string path = (dir.path / "Buyuk.xlsx").string();
    EXPECT_TRUE(failureReportedOnFullDisk([&] { return !writeXlsx(big, path).ok(); }))
        << "the export must report the failure";
    EXPECT_TRUE(dir.list().empty()) << "no workbook and no temporary file";
    // The same sheet is fine with room to write it.
    ASSERT_TRUE(writeXlsx(big, path).ok());
    auto wb = Workbook::open(path);
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->rowCount(), 12001u);
    EXPECT_EQ(wb->cellText(12001, 2), "Satır 11999 açıklaması");
}
