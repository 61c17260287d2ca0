// hesapkar-cli sheet and export, run as the program itself.
#include "data/dataset.h"
#include "output/sheet_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace hk;

namespace {

const std::string kCli = std::string(HK_BINARY_DIR) + "/src/cli/hesapkar-cli";
const std::string kFixtures = std::string(HK_TEST_DATA) + "/sheet/";

struct CliRun {
    int rc = -1;
    std::string out, err;
};

// Runs the program in `cwd` (the program folder, where its program-wide database lives).
CliRun cli(const std::string& args, const std::string& cwd = ".") {
    static int n = 0;
    const std::string errFile =
        (fs::temp_directory_path() /
         ("hk_cli_err_" + std::to_string(::getpid()) + "_" + std::to_string(n++)))
            .string();
    CliRun r;
    FILE* p = ::popen(("cd '" + cwd + "' && " + kCli + " " + args + " 2>" + errFile).c_str(), "r");
    if (!p) return r;
    char buf[1024];
    while (std::fgets(buf, sizeof buf, p))
        r.out += buf;
    int status = ::pclose(p);
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    fs::remove(errFile);
    return r;
}

struct Folder {
    fs::path path;
    Folder() {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("hk_cli_sheet_" + std::to_string(::getpid()) + "_" + std::to_string(n++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
};

} // namespace

TEST(CliSheet, PrintsTheCellsAsTheImportersReadThem) {
    CliRun r = cli("sheet '" + kFixtures + "plan.xls'");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, "1\t1\tHesap Kodu\n1\t2\tHesap Adı\n1\t3\tTutar\n1\t4\tTarih\n"
                     "2\t1\t100\n2\t2\tKasa ĞÜŞİÖÇ ğüşıöç\n2\t3\t1234.5\n2\t4\t05.03.2024\n"
                     "3\t1\t102 01\n3\t2\tBankalar\n3\t3\t7\n"
                     "10\t6\tcorner\n");
}

TEST(CliSheet, RefusesWhatTheReadersRefuse) {
    Folder dir;
    std::ofstream(dir.path / "notes.xlsx") << "not a workbook";
    std::string good;
    {
        std::ifstream in(kFixtures + "accounts.xlsx", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream(dir.path / "half.xlsx", std::ios::binary) << good.substr(0, good.size() / 2);
    for (const std::string name : {"notes.xlsx", "half.xlsx", "missing.xlsx"}) {
        CliRun r = cli("sheet '" + (dir.path / name).string() + "'");
        EXPECT_EQ(r.rc, 1) << name;
        EXPECT_TRUE(r.out.empty()) << name;
        EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
    }
    EXPECT_EQ(cli("sheet").rc, 2);
    EXPECT_EQ(cli("sheet a b").rc, 2);
}

TEST(CliExport, MenuCatalogueToAWorkbook) {
    Folder dir;
    {
        auto ds = data::DataSet::open(data::Locations::resolve(dir.path.string(), dir.path));
        ASSERT_TRUE(ds.ok()) << ds.error().text;
        auto menu = ds->open<data::MenuList>(true);
        ASSERT_TRUE(menu.ok()) << menu.error().text;
        ASSERT_TRUE(menu->add(data::MenuList{5100, "Bilgi Ayrıştır"}).ok());
        ASSERT_TRUE(menu->add(data::MenuList{1000, "Fiş İşlemleri"}).ok());
    }
    const std::string out = (dir.path / "menu.xlsx").string();
    CliRun r = cli("export menu '" + dir.path.string() + "' --xlsx '" + out + "' --program-dir '" +
                   dir.path.string() + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, out + "\n");

    CliRun shown = cli("sheet '" + out + "'");
    ASSERT_EQ(shown.rc, 0) << shown.err;
    // The names may carry the field's blank padding; compare the trimmed lines.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = shown.out.find('\n', start)) != std::string::npos; start = nl + 1) {
        std::string l = shown.out.substr(start, nl - start);
        while (!l.empty() && l.back() == ' ')
            l.pop_back();
        lines.push_back(l);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"1\t1\tM.No", "1\t2\tMenu Adı", "2\t1\t1000",
                                               "2\t2\tFiş İşlemleri", "3\t1\t5100",
                                               "3\t2\tBilgi Ayrıştır"}));
}

TEST(CliExport, Refusals) {
    Folder dir;
    struct Case {
        std::string args;
        int rc;
        const char* expect;
    };
    const std::vector<Case> cases = {
        {"export menu '" + (dir.path / "none").string() + "' --xlsx '" +
             (dir.path / "m.xlsx").string() + "'",
         1, "none"},
        {"export menu '" + dir.path.string() + "' --xlsx '" + (dir.path / "m.xlsx").string() + "'",
         1, "init"},
        {"export menu '" + dir.path.string() + "'", 2, "usage"},
        {"export nosuchlist '" + dir.path.string() + "' --xlsx x.xlsx", 2, "usage"},
        {"export menu '" + dir.path.string() + "' --xlsx x.xlsx --bogus", 2, "usage"},
    };
    for (const auto& c : cases) {
        CliRun r = cli(c.args);
        EXPECT_EQ(r.rc, c.rc) << c.args;
        EXPECT_NE(r.err.find(c.expect), std::string::npos) << c.args << ": " << r.err;
    }
    EXPECT_TRUE(fs::is_empty(dir.path)) << "a refused export creates nothing, not even a database";
}
