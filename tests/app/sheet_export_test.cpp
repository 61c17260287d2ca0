#include "app/menu_export.h"
#include "app/sheet_export.h"
#include "app/testing/fake_ui.h"
#include "core/text.h"
#include "output/sheet_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace hk;
using app::ExportOutcome;
using app::testing::FakeUi;

namespace {

struct Folder {
    fs::path path;
    Folder() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("hk_sheet_export_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
};

output::Sheet smallSheet() {
    output::Sheet s;
    s.headingRow({{"M.No", output::NumberFormat::Amount}, {"Menu Adı"}});
    s.row().number(1000).text("Fiş İşlemleri");
    return s;
}

void expectQuestion(const app::testing::ShownMessage& m) {
    EXPECT_EQ(m.text, "Liste Excele Aktarılsın Mı?");
    EXPECT_EQ(m.caption, "Excel Aktarımı");
    EXPECT_EQ(m.icon, app::Icon::Warning);
    EXPECT_EQ(m.buttons, "&Evet|&Hayır");
}

} // namespace

TEST(ListExport, HayirEndsBeforeAnythingIsBuiltOrWritten) {
    Folder dir;
    FakeUi ui;
    ui.answer(2);
    bool built = false;
    auto r = app::exportList(
        ui,
        [&]() -> core::Result<output::Sheet> {
            built = true;
            return smallSheet();
        },
        output::ExportTarget{(dir.path / "Liste.xlsx").string(), false, {}});
    EXPECT_EQ(r.outcome, ExportOutcome::Declined);
    EXPECT_FALSE(built);
    ASSERT_EQ(ui.messages.size(), 1u);
    expectQuestion(ui.messages[0]);
    EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST(ListExport, EvetWritesTheWorkbookWithoutFurtherMessages) {
    Folder dir;
    FakeUi ui;
    ui.answer(1);
    const std::string path = (dir.path / "Liste.xlsx").string();
    auto r = app::exportList(
        ui, [] { return core::Result<output::Sheet>(smallSheet()); },
        output::ExportTarget{path, false, {}});
    EXPECT_EQ(r.outcome, ExportOutcome::Written);
    EXPECT_EQ(r.path, path);
    ASSERT_EQ(ui.messages.size(), 1u);
    auto wb = output::Workbook::open(path);
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->cellText(2, 2), "Fiş İşlemleri");
}

TEST(ListExport, FailuresAreShownInAStopBox) {
    Folder dir;
    struct Case {
        const char* label;
        app::SheetBuilder build;
        output::ExportTarget target;
        const char* expect;
    };
    const std::vector<Case> cases = {
        {"unwritable folder", [] { return core::Result<output::Sheet>(smallSheet()); },
         output::ExportTarget{(dir.path / "no/such/Liste.xlsx").string(), false, {}},
         "cannot create"},
        {"no application", [] { return core::Result<output::Sheet>(smallSheet()); },
         output::ExportTarget{(dir.path / "Liste.xlsx").string(), true, "false"},
         "no spreadsheet application"},
        {"records unreadable",
         [] { return core::Result<output::Sheet>(core::Error::of(90, "disk I/O error")); },
         output::ExportTarget{(dir.path / "Other.xlsx").string(), false, {}}, "disk I/O error"},
    };
    for (const auto& c : cases) {
        FakeUi ui;
        ui.answer(1);
        auto r = app::exportList(ui, c.build, c.target);
        EXPECT_EQ(r.outcome, ExportOutcome::Failed) << c.label;
        ASSERT_EQ(ui.messages.size(), 2u) << c.label;
        expectQuestion(ui.messages[0]);
        EXPECT_EQ(ui.messages[1].caption, "Excel Aktarımı") << c.label;
        EXPECT_EQ(ui.messages[1].icon, app::Icon::Critical) << c.label;
        EXPECT_NE(ui.messages[1].text.find(c.expect), std::string::npos)
            << c.label << ": " << ui.messages[1].text;
    }
    EXPECT_FALSE(fs::exists(dir.path / "Other.xlsx"));
}

TEST(ReportExport, FailsWithoutAsking) {
    Folder dir;
    auto r = app::exportReport(smallSheet(),
                               output::ExportTarget{(dir.path / "no/R.xlsx").string(), false, {}});
    EXPECT_FALSE(r.ok());
    auto ok = app::exportReport(smallSheet(),
                                output::ExportTarget{(dir.path / "R.xlsx").string(), false, {}});
    ASSERT_TRUE(ok.ok()) << ok.error().text;
    EXPECT_TRUE(fs::exists(dir.path / "R.xlsx"));
}

TEST(MenuListExport, CatalogueInNumberOrder) {
    Folder dir;
    auto ds = data::DataSet::open(data::Locations::resolve(dir.path.string(), dir.path));
    ASSERT_TRUE(ds.ok()) << ds.error().text;
    {
        auto menu = ds->open<data::MenuList>(true);
        ASSERT_TRUE(menu.ok()) << menu.error().text;
        // Added out of order: the export follows the key, not the insertion.
        for (auto [no, name] : std::vector<std::pair<double, std::string>>{
                 {2010, "Hesap Planı"}, {1000, "Fiş İşlemleri"}, {5100, "Bilgi Ayrıştır"}})
            ASSERT_TRUE(menu->add(data::MenuList{no, name}).ok());
    }
    FakeUi ui;
    ui.answer(1);
    const std::string path = (dir.path / "Menu.xlsx").string();
    auto r = app::exportMenuList(ui, *ds, output::ExportTarget{path, false, {}});
    ASSERT_EQ(r.outcome, ExportOutcome::Written) << r.error.text;
    auto wb = output::Workbook::open(path);
    ASSERT_TRUE(wb.ok()) << wb.error().text;
    EXPECT_EQ(wb->rowCount(), 4u);
    EXPECT_EQ(wb->colCount(), 2u);
    const std::vector<std::tuple<int, int, std::string>> expected = {
        {1, 1, "M.No"}, {1, 2, "Menu Adı"}, {2, 1, "1000"}, {3, 1, "2010"}, {4, 1, "5100"},
    };
    for (const auto& [row, col, text] : expected)
        EXPECT_EQ(wb->cellText(std::uint32_t(row), std::uint32_t(col)), text);
    // Names as the record holds them (a STRING field may carry its blank padding).
    EXPECT_EQ(core::text::clip(wb->cellText(2, 2)), "Fiş İşlemleri");
    EXPECT_EQ(core::text::clip(wb->cellText(3, 2)), "Hesap Planı");
    EXPECT_EQ(core::text::clip(wb->cellText(4, 2)), "Bilgi Ayrıştır");
}

TEST(MenuListExport, EmptyCatalogueGivesTheHeadingRow) {
    Folder dir;
    auto ds = data::DataSet::open(data::Locations::resolve(dir.path.string(), dir.path));
    ASSERT_TRUE(ds.ok()) << ds.error().text;
    ASSERT_TRUE(ds->open<data::MenuList>(true).ok());
    auto sheet = app::menuListSheet(*ds);
    ASSERT_TRUE(sheet.ok()) << sheet.error().text;
    ASSERT_EQ(sheet->rows().size(), 1u);
    EXPECT_EQ(sheet->rows()[0].style, output::RowStyle::Heading);
    EXPECT_EQ(sheet->columnFormat(1), output::NumberFormat::Amount);
    EXPECT_EQ(sheet->columnFormat(2), output::NumberFormat::Text);
}
