#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using hk::app::Settings;
namespace ini = hk::app::ini;

namespace {

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hk_settings_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    fs::path file() const { return dir_ / "Hesapkar.INI"; }
    void write(const std::string& s) { std::ofstream(file(), std::ios::binary) << s; }
    std::string read() const {
        std::ifstream in(file(), std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
};

} // namespace

TEST(IniText, LookupIgnoresCaseOfSectionAndKeyAndTrimsValue) {
    const std::string content = "[Fis]\n33Satir = 1 \n[OZEL]\nKONTROL=1\n[Ozel]\nKovan=0\n";
    EXPECT_EQ(ini::lookup(content, "fis", "33SATIR"), "1");
    EXPECT_EQ(ini::lookup(content, "ozel", "kontrol"), "1");
    // [Ozel] is the same section as [OZEL]; its key is found in the second block too.
    EXPECT_EQ(ini::lookup(content, "OZEL", "Kovan"), "0");
    EXPECT_EQ(ini::lookup(content, "Fis", "Sirala"), std::nullopt);
    EXPECT_EQ(ini::lookup(content, "Printer", "Name"), std::nullopt);
}

TEST(IniText, KeysOutsideTheirSectionAndCommentsAreNotFound) {
    const std::string content = "Name=top\n; Name=comment\n[User]\n;Name=x\n#Name=y\n";
    EXPECT_EQ(ini::lookup(content, "User", "Name"), std::nullopt);
}

TEST(IniText, UpdateChangesOnlyTheValueAndKeepsEverythingElse) {
    const std::string before =
        "; ayarlar\r\n[User]\r\nname=ALI\r\n\r\n[Printer]\r\nName=HP\r\n[KulGrupList]\r\nX=1\r\n";
    const std::string after =
        "; ayarlar\r\n[User]\r\nname=HESAPKAR\r\n\r\n[Printer]\r\nName=HP\r\n[KulGrupList]\r\nX=1\r\n";
    EXPECT_EQ(ini::update(before, "USER", "Name", "HESAPKAR"), after);
}

TEST(IniText, UpdateAddsKeyAtTheEndOfItsSectionAndNewSectionsAtTheEnd) {
    const std::string before = "[User]\nName=A\n\n[Printer]\nName=HP\n";
    EXPECT_EQ(ini::update(before, "user", "Extra", "1"),
              "[User]\nName=A\nExtra=1\n\n[Printer]\nName=HP\n");
    EXPECT_EQ(ini::update(before, "CalisilanAy", "AyNo", "1"),
              "[User]\nName=A\n\n[Printer]\nName=HP\n\n[CalisilanAy]\nAyNo=1\n");
    EXPECT_EQ(ini::update("", "CalisilanAy", "AyNo", "1"), "[CalisilanAy]\nAyNo=1\n");
    // Last line without a line end.
    EXPECT_EQ(ini::update("[A]\nk=1", "A", "j", "2"), "[A]\nk=1\nj=2\n");
    EXPECT_EQ(ini::update("[A]\nk=1", "A", "k", "2"), "[A]\nk=2");
}

TEST_F(SettingsFile, MissingFileReadsAsEmptyAndIsCreatedOnFirstWrite) {
    Settings s(file());
    EXPECT_EQ(s.get("User", "Name"), std::nullopt);
    EXPECT_EQ(s.getInt("CalisilanAy", "AyNo", 0), 0);
    ASSERT_TRUE(s.set("User", "Name", "HESAPKAR").ok());
    EXPECT_EQ(read(), "[User]\nName=HESAPKAR\n");
    EXPECT_EQ(s.getText("user", "name"), "HESAPKAR");
}

TEST_F(SettingsFile, WritesKeepOtherSectionsCommentsAndOrder) {
    write("[Printer]\nName=Epson LQ\n; pencere\n[FisListesi]\nX=10\nY=20\n[CalisilanAy]\nAyNo=3\n");
    Settings s(file());
    ASSERT_TRUE(s.setInt("calisilanay", "ayno", 7).ok());
    ASSERT_TRUE(s.set("FisListesi", "W", "640").ok());
    EXPECT_EQ(read(),
              "[Printer]\nName=Epson LQ\n; pencere\n[FisListesi]\nX=10\nY=20\nW=640\n"
              "[CalisilanAy]\nAyNo=7\n");
    EXPECT_EQ(s.getInt("CalisilanAy", "AyNo"), 7);
    // No temporary file is left behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir_)) files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(SettingsFile, NumbersAreReadByTheirLeadingDigits) {
    write("[Fis]\n33Satir=1\niciSirala=abc\nSirala=12x\n[Ozel]\nKovan=-2\n");
    Settings s(file());
    EXPECT_EQ(s.getInt("Fis", "33Satir", 5), 1);
    EXPECT_EQ(s.getInt("Fis", "iciSirala", 5), 0);
    EXPECT_EQ(s.getInt("Fis", "Sirala", 5), 12);
    EXPECT_EQ(s.getInt("Ozel", "Kovan", 5), -2);
    EXPECT_EQ(s.getInt("Ozel", "Missing", 5), 5);
}

TEST_F(SettingsFile, TurkishValuesRoundTrip) {
    Settings s(file());
    ASSERT_TRUE(s.set("User", "Name", "ŞÜKRÜ").ok());
    EXPECT_EQ(s.getText("User", "Name"), "ŞÜKRÜ");
}

TEST_F(SettingsFile, WindowsCodePageValuesAreReadAsTurkish) {
    // "ŞÜKRÜ" in cp1254: Ş = 0xDE, Ü = 0xDC.
    write("[User]\r\nName=\xde\xdcKR\xdc\r\n");
    Settings s(file());
    EXPECT_EQ(s.getText("User", "Name"), "ŞÜKRÜ");
}

TEST_F(SettingsFile, BadNamesAndValuesAreRefusedAndNothingIsWritten) {
    write("[User]\nName=A\n");
    Settings s(file());
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } bad[] = {{"", "Name", "x"},       {"Us]er", "Name", "x"}, {"User", "", "x"},
               {"User", "Na=me", "x"},  {"User", " Name", "x"}, {"User", "Name", "a\nb"},
               {"User", "Name", "a\rb"}};
    for (const auto& b : bad) {
        SCOPED_TRACE(std::string(b.section) + "/" + b.key);
        auto st = s.set(b.section, b.key, b.value);
        EXPECT_FALSE(st.ok());
        if (!st.ok()) {
            EXPECT_FALSE(st.error().text.empty());
        }
    }
    EXPECT_EQ(read(), "[User]\nName=A\n");
}

TEST_F(SettingsFile, UnwritableFolderGivesAnErrorAndKeepsTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    write("[User]\nName=A\n");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    Settings s(file());
    auto st = s.set("User", "Name", "B");
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(s.getText("User", "Name"), "A");
}
