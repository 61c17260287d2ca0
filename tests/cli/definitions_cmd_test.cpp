// hesapkar-cli definitions export|import on temporary data folders: a round trip between two
// companies, and the refusal of a number already used, which writes nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class DefinitionsCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("hk_defcmd_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "prog");
        for (const char* f : {"Hsplan.txt", "CsPlan.txt"})
            fs::copy_file(fs::path(HK_RESOURCE_DIR) / f, root_ / "prog" / f);
        ::unsetenv("HESAPKAR_PASSWORD");
    }
    void TearDown() override { fs::remove_all(root_); }

    int cli(const std::vector<std::string>& args, std::string* err = nullptr) {
        std::string cmd = quoted(std::string(HK_BINARY_DIR) + "/src/cli/hesapkar-cli");
        for (const auto& a : args) cmd += " " + quoted(a);
        cmd += " --program-dir " + quoted((root_ / "prog").string());
        cmd += " >/dev/null 2>" + quoted((root_ / "err").string());
        const int status = std::system(cmd.c_str());
        if (err) *err = readFile(root_ / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path root_;
};

TEST_F(DefinitionsCommand, MovesDefinitionsBetweenCompaniesAndRefusesAUsedNumber) {
    const std::string a = (root_ / "a").string(), b = (root_ / "b").string();
    ASSERT_EQ(cli({"init", a}), 0);
    ASSERT_EQ(cli({"init", b}), 0);
    const fs::path in = root_ / "in.json";
    std::ofstream(in) << R"({"hesapkar": "definitions", "version": 1,
      "Rapor": [{"RAPKOD": "2", "RAPNO": 8, "AD": "MUAVİN RAPORU",
                 "DRapor": [{"SIRANO": 1, "FIELDKOD": "MFB:FisNo", "NTLK": "S", "UZUNLUK": 3}]}],
      "Tablo": [{"RAPNO": 2, "AD": "GELİR TABLOSU", "RAPORTIPI": "G",
                 "DTablo": [{"SIRANO": 1, "AKTIFPASIF": "A", "SAHA": "HSP:TlBorc[Bk]", "NITELIK": "D"}]}]})";
    std::string err;
    ASSERT_EQ(cli({"definitions", "import", a, in.string()}, &err), 0) << err;
    const fs::path out = root_ / "out.json";
    ASSERT_EQ(cli({"definitions", "export", a, out.string()}, &err), 0) << err;
    ASSERT_EQ(cli({"definitions", "import", b, out.string()}, &err), 0) << err;
    const fs::path again = root_ / "again.json";
    ASSERT_EQ(cli({"definitions", "export", b, again.string()}, &err), 0) << err;
    EXPECT_EQ(readFile(again), readFile(out));
    EXPECT_NE(readFile(out).find("\"FIELDKOD\": \"MFB:FisNo\""), std::string::npos);

    EXPECT_EQ(cli({"definitions", "import", b, in.string()}, &err), 1);
    EXPECT_NE(err.find("Aynı Rapor Kodu Zaten Kullanılmaktadır.!"), std::string::npos) << err;
    ASSERT_EQ(cli({"definitions", "export", b, again.string()}, &err), 0) << err;
    EXPECT_EQ(readFile(again), readFile(out));

    std::ofstream(root_ / "bad.json") << "{\"hesapkar\": \"definitions\"";
    EXPECT_EQ(cli({"definitions", "import", b, (root_ / "bad.json").string()}, &err), 1);
    EXPECT_NE(err.find("JSON"), std::string::npos) << err;
    EXPECT_EQ(cli({"definitions", "import", b}, &err), 1);
    EXPECT_NE(err.find("FILE.json"), std::string::npos) << err;
}

} // namespace
