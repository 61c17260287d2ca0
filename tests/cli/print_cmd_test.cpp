// hesapkar-cli print: text files laid out into raw printer bytes and PDFs.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int code = -1;
    std::string output; // stdout and stderr
};

CliRun cli(const std::string& args) {
    const std::string cmd = std::string("QT_QPA_PLATFORM=offscreen ") + HK_BINARY_DIR +
                            "/src/cli/hesapkar-cli print " + args + " 2>&1";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        r.output.append(buf, n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string sh(const std::string& cmd) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p.get()))
        out.append(buf, n);
    return out;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct PrintCmd : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("hk_print_" + std::to_string(::getpid()) + "_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string input(const std::string& content, const std::string& name = "girdi.txt") {
        std::ofstream(dir / name, std::ios::binary) << content;
        return "'" + (dir / name).string() + "'";
    }
    std::string out(const std::string& name) const { return "'" + (dir / name).string() + "'"; }
};

TEST_F(PrintCmd, RawBytesForADotMatrixQueue) {
    // CR LF or LF line ends, a tab to column 8, a form feed starting page 2.
    const std::string in = input("ŞİRKET\r\n1\tKASA\n\fçığ\n\nSON");
    CliRun r = cli(in + " --raw " + out("npq.prn") + " --kind NPQ");
    ASSERT_EQ(r.code, 0) << r.output;
    // Ş=9E İ=98 ç=87 ı=8D ğ=A7 in the DOS Turkish code page.
    const std::string expected = "\x9E\x98RKET\r\n"
                                 "1       KASA\r\n"
                                 "\x0C"
                                 "\x87\x8D\xA7\r\n"
                                 "\r\n"
                                 "SON\r\n";
    EXPECT_EQ(readFile(dir / "npq.prn"), expected);
}

TEST_F(PrintCmd, RawPagesByLineCount) {
    const std::string in = input("a\nb\nc\nd\ne\n");
    CliRun r = cli(in + " --raw " + out("lpq.prn") + " --kind lpq --lines 2");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(readFile(dir / "lpq.prn"), "a\r\nb\r\n\x0C"
                                         "c\r\nd\r\n\x0C"
                                         "e\r\n");
}

TEST_F(PrintCmd, PdfPagesAndText) {
    std::string text;
    for (int i = 1; i <= 25; ++i)
        text += "Satır " + std::to_string(i) + " ğüşiöç ĞÜŞİÖÇ\n";
    text += "\fSon sayfa\n";
    const std::string in = input(text);
    CliRun r = cli(in + " --pdf " + out("r.pdf") + " --lines 10 --font-size 8");
    ASSERT_EQ(r.code, 0) << r.output;
    const std::string pdf = (dir / "r.pdf").string();
    // 25 lines at 10 a page make 3 pages, the form feed a 4th.
    EXPECT_NE(sh("pdfinfo '" + pdf + "'").find("Pages:           4"), std::string::npos);
    const std::string txt = sh("pdftotext -enc UTF-8 '" + pdf + "' -");
    EXPECT_NE(txt.find("Satır 1 ğüşiöç ĞÜŞİÖÇ"), std::string::npos) << txt;
    EXPECT_NE(txt.find("Satır 25 ğüşiöç ĞÜŞİÖÇ"), std::string::npos);
    EXPECT_NE(txt.find("Son sayfa"), std::string::npos);
}

TEST_F(PrintCmd, PdfLandscapeAndDefaultPaging) {
    std::string text;
    for (int i = 1; i <= 200; ++i)
        text += "satır " + std::to_string(i) + "\n";
    const std::string in = input(text);
    CliRun r = cli(in + " --pdf " + out("y.pdf") + " --landscape --font-size 10");
    ASSERT_EQ(r.code, 0) << r.output;
    const std::string info = sh("pdfinfo '" + (dir / "y.pdf").string() + "'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+)")));
    EXPECT_GT(std::stod(m[1]), std::stod(m[2]));
    // A4 landscape between 10 mm margins is 190 mm = 538 pt high; a 10 pt monospace line takes
    // about 11.3 pt, so some 47 lines fit: 200 lines need five pages.
    ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")));
    EXPECT_EQ(std::stoi(m[1]), 5);
}

TEST_F(PrintCmd, BadInputIsRefusedAndWritesNothing) {
    std::string longLine = "ilk\n" + std::string(256, 'x') + "\n";
    struct Case {
        std::string args;
        const char* message; // part of the error text
    };
    const Case cases[] = {
        {input("\xDE\xDD\r\n", "cp1254.txt") + " --raw " + out("o") + " --kind NPQ", "UTF-8"},
        {input(longLine, "uzun.txt") + " --raw " + out("o") + " --kind NPQ", "satır 2"},
        {input("a\x1B"
               "Gb\n",
               "esc.txt") +
             " --pdf " + out("o"),
         "satır 1"},
        {input("a\n") + " --raw " + out("o"), "--kind"},
        {input("a\n") + " --raw " + out("o") + " --kind XPQ", "XPQ"},
        {input("a\n") + " --pdf " + out("o") + " --font-size 0", "--font-size"},
        {input("a\n") + " --pdf " + out("o") + " --lines -3", "--lines"},
        {input("a\n") + " --pdf " + out("o") + " --raw " + out("p") + " --kind NPQ", "tam biri"},
        {input("a\n") + " --pdf " + out("o") + " --renk", "--renk"},
        {out("olmayan.txt") + " --pdf " + out("o"), "olmayan.txt"},
        {input("", "bos.txt") + " --pdf " + out("o"), "sayfa yok"},
        {input("a\n") + " --pdf " + out("yok/o.pdf"), "yok/o.pdf"},
        {input("a\n") + " --queue NPQ_hk_test_olmayan_yazici", "NPQ_hk_test_olmayan_yazici"},
        // A file without line ends is no report: refused before it fills the memory.
        {input("ilk\n" + std::string(100000, 'x'), "tek_satir.txt") + " --raw " + out("o") +
             " --kind NPQ",
         "satır 2"},
    };
    for (const auto& c : cases) {
        CliRun r = cli(c.args);
        EXPECT_NE(r.code, 0) << c.args;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
        EXPECT_FALSE(fs::exists(dir / "o")) << c.args;
        EXPECT_FALSE(fs::exists(dir / "p")) << c.args;
    }
    // Only the inputs remain: no half-written or temporary output.
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

} // namespace
