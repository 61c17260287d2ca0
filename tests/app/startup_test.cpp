#include "app/login.h"
#include "app/session.h"
#include "app/startup.h"
#include "app/testing/fake_ui.h"
#include "data/convert.h"
#include "data/errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace hk::app;
using hk::app::testing::FakeUi;
using hk::core::Date;
namespace data = hk::data;

namespace {

class StartupSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("hk_appstart_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "prog");
        for (const char* f : {"Hsplan.txt", "CsPlan.txt"})
            fs::copy_file(fs::path(HK_RESOURCE_DIR) / f, root_ / "prog" / f);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path ini() const { return root_ / "prog" / "Hesapkar.INI"; }
    start::HeadlessOptions options(const std::string& user = "HESAPKAR",
                                   const std::string& password = "") {
        start::HeadlessOptions o;
        o.cmd.path = (root_ / "data").string();
        o.cmd.hasPath = true;
        o.programFolder = root_ / "prog";
        o.user = user;
        o.password = password;
        o.today = Date{9, 12, 2026};
        return o;
    }
    data::DataSet openData() {
        auto ds = data::DataSet::open(
            data::Locations::resolve((root_ / "data").string(), root_ / "prog"));
        EXPECT_TRUE(ds.ok());
        return std::move(*ds);
    }
    fs::path root_;
};

} // namespace

TEST(CommandLine, PathAndSwitchesWithoutRegardToCase) {
    auto c = start::parseCommandLine({"path=C:/Veri 2014", "/kapat", "/Aktar"});
    ASSERT_TRUE(c.ok());
    EXPECT_TRUE(c->hasPath);
    EXPECT_EQ(c->path, "C:/Veri 2014");
    EXPECT_TRUE(c->kapat);
    EXPECT_TRUE(c->aktar);
    EXPECT_FALSE(c->duzenle);
    auto none = start::parseCommandLine({});
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none->hasPath);
}

TEST(CommandLine, UnknownArgumentIsRefused) {
    auto c = start::parseCommandLine({"Path=X", "/KAPA"});
    ASSERT_FALSE(c.ok());
    EXPECT_NE(c.error().text.find("/KAPA"), std::string::npos);
}

TEST_F(StartupSequence, FirstStartOnAnEmptyFolderLogsInAsDefaultUser) {
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(st.users.defaultUserAdded);
    EXPECT_EQ(st.versionBefore, "");
    EXPECT_EQ(s.AktifKullanici, "HESAPKAR");
    EXPECT_EQ(s.AnaKullanici, 1);
    EXPECT_EQ(s.CalismaYili(), "2026");
    EXPECT_EQ(s.AyFarki(), 0);
    EXPECT_EQ(s.CalisilanAy(), 1); // a new company starts in its first month
    EXPECT_EQ(s.settings().getInt("CalisilanAy", "AyNo"), 1);
    EXPECT_EQ(s.settings().getText("User", "Name"), "HESAPKAR");
    EXPECT_EQ(s.AyBitis(2), (Date{28, 2, 2026}));
    EXPECT_EQ(s.company().SIRKETUNVANI1, "Deneme");

    // The stored user: master, no plain password on disk, a blank password opens it.
    auto f = users::open(st.data.data());
    ASSERT_TRUE(f.ok());
    auto u = login::lookupUser(*f, "hesapkar");
    ASSERT_TRUE(u.ok());
    ASSERT_TRUE(u->has_value());
    EXPECT_EQ((*u)->NAME, "HESAPKAR");
    EXPECT_EQ((*u)->MASTERUSER, 1);
    EXPECT_EQ((*u)->PASSWORD, "");
    EXPECT_TRUE(login::passwordMatches(**u, ""));
    EXPECT_FALSE(login::passwordMatches(**u, "x"));
}

TEST_F(StartupSequence, SecondStartReadsTheWorkingMonthAndSettings) {
    {
        Session s(ini());
        FakeUi ui;
        start::startHeadless(s, ui, options());
    }
    {
        Settings ini(this->ini());
        ASSERT_TRUE(ini.setInt("CalisilanAy", "AyNo", 5).ok());
    }
    std::ofstream(ini(), std::ios::app) << "[Fis]\n33Satir=1\niciSirala=0\n"
                                           "[OZEL]\nKONTROL=1\n[Ozel]\nKovan=1\n[Printer]\nName=NPQ Epson\n";
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    EXPECT_FALSE(st.users.defaultUserAdded);
    EXPECT_EQ(st.versionBefore, "302008");
    EXPECT_EQ(s.CalisilanAy(), 5);
    EXPECT_EQ(s.SeciliAy(), 5);
    EXPECT_TRUE(s.Fis33Satir);
    EXPECT_FALSE(s.FisIciSirala);
    EXPECT_EQ(s.OzelKontrol, 1);
    EXPECT_EQ(s.OzelKovan, 1);
    EXPECT_EQ(s.YaziciAdi(), "NPQ Epson");
}

TEST_F(StartupSequence, MissingWorkingMonthIsTodaysMonth) {
    Session s(ini());
    s.loadCalisilanAy(Date{9, 12, 2026});
    EXPECT_EQ(s.CalisilanAy(), 12);
    ASSERT_TRUE(s.settings().setInt("CalisilanAy", "AyNo", 0).ok());
    s.loadCalisilanAy(Date{3, 4, 2026});
    EXPECT_EQ(s.CalisilanAy(), 4);
}

TEST_F(StartupSequence, ChosenFiscalMonthMovesTheWorkingMonthAndIsWrittenBack) {
    Session s(ini());
    data::Yasal y;
    y.MALIDONEMBAS = Date{1, 7, 2014};
    s.setCompany(y);
    EXPECT_EQ(s.AyFarki(), 6);
    EXPECT_EQ(s.CalismaYili(), "2014");
    ASSERT_TRUE(s.setSeciliAy(7).ok());
    EXPECT_EQ(s.CalisilanAy(), 1);
    EXPECT_EQ(s.SeciliAy(), 7);
    EXPECT_EQ(s.settings().getInt("CalisilanAy", "AyNo"), 1);
    EXPECT_FALSE(s.setSeciliAy(13).ok());
    EXPECT_EQ(s.CalisilanAy(), 1);
    EXPECT_EQ(s.AyBaslangic(6), (Date{1, 12, 2014}));
    EXPECT_EQ(s.AyBitis(12), (Date{30, 6, 2015}));
}

TEST_F(StartupSequence, JournalValuesAreKeptAsOneCopy) {
    Session s(ini());
    EXPECT_EQ(s.edefter().SubeKodu, 0);
    s.setEdefter({"Ayşe Yılmaz", 3, "/veri/Yevmiye-201401.tmp"});
    const auto e = s.edefter();
    EXPECT_EQ(e.EdefterKayitEden, "Ayşe Yılmaz");
    EXPECT_EQ(e.SubeKodu, 3);
    EXPECT_EQ(e.EdefterDosyasi, "/veri/Yevmiye-201401.tmp");
}

TEST_F(StartupSequence, UnknownUserAndWrongPasswordEndTheStart) {
    {
        Session s(ini());
        FakeUi ui;
        start::startHeadless(s, ui, options());
    }
    struct Case {
        const char* user;
        const char* password;
        const char* text;
    } cases[] = {{"ALI", "", "Geçersiz Kullanıcı"},
                 {"", "", "Geçersiz Kullanıcı"},
                 {"HESAPKAR", "yanlış", "  Lütfen Şifreyi Yeniden Giriniz."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user);
        Session s(ini());
        FakeUi ui;
        EXPECT_THROW(start::startHeadless(s, ui, options(c.user, c.password)), ProgramEnd);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.text);
    }
}

TEST_F(StartupSequence, PasswordsCompareWithoutRegardToTurkishCase) {
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    auto f = users::open(st.data.data());
    ASSERT_TRUE(f.ok());
    data::KLUsers u;
    u.ID = "AYŞE";
    u.NAME = "Ayşe";
    ASSERT_TRUE(users::addUser(*f, u, "Işık").ok());

    login::LoginAttempts a;
    EXPECT_EQ(*a.tryLogin(*f, "ayşe", "IŞIK"), login::Attempt::Accepted);
    EXPECT_EQ(*a.tryLogin(*f, "AYŞE", "ışık"), login::Attempt::Accepted);
    // "i" upper-cases to "İ", not to "I": a different password.
    EXPECT_EQ(*a.tryLogin(*f, "AYŞE", "isik"), login::Attempt::WrongPassword);
    EXPECT_EQ(a.user().ID, "AYŞE");
    // Trailing blanks do not count, typed or stored (a fixed-width field holds none); leading
    // ones do.
    data::KLUsers b;
    b.ID = "BORA";
    ASSERT_TRUE(users::addUser(*f, b, "kapı  ").ok());
    login::LoginAttempts blanks;
    EXPECT_EQ(*blanks.tryLogin(*f, "AYŞE", "ışık  "), login::Attempt::Accepted);
    EXPECT_EQ(*blanks.tryLogin(*f, "BORA", "KAPI"), login::Attempt::Accepted);
    EXPECT_EQ(*blanks.tryLogin(*f, "BORA", "kapı "), login::Attempt::Accepted);
    EXPECT_EQ(*blanks.tryLogin(*f, "AYŞE", " ışık"), login::Attempt::WrongPassword);

    // The hash is all that is stored.
    auto stored = login::lookupUser(*f, "AYŞE");
    ASSERT_TRUE(stored.ok() && stored->has_value());
    EXPECT_EQ((*stored)->PASSWORD, "");
    EXPECT_EQ((*stored)->PASSWORDHASH.rfind("$argon2id$", 0), 0u);
    EXPECT_EQ((*stored)->PASSWORDHASH.find("IŞIK"), std::string::npos);
}

TEST_F(StartupSequence, FourthWrongPasswordEndsThreeDoNot) {
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    auto f = users::open(st.data.data());
    ASSERT_TRUE(f.ok());
    login::LoginAttempts three;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(*three.tryLogin(*f, "HESAPKAR", "x"), login::Attempt::WrongPassword);
    EXPECT_EQ(*three.tryLogin(*f, "HESAPKAR", ""), login::Attempt::Accepted);
    login::LoginAttempts four;
    for (int i = 0; i < 3; ++i) (void)four.tryLogin(*f, "HESAPKAR", "x");
    EXPECT_EQ(*four.tryLogin(*f, "HESAPKAR", "x"), login::Attempt::TooManyFailures);
    EXPECT_EQ(*four.tryLogin(*f, "NOBODY", "x"), login::Attempt::UnknownUser);
    EXPECT_EQ(*four.tryLogin(*f, " ", "x"), login::Attempt::BlankUser);
}

TEST_F(StartupSequence, PasswordChangeNeedsTheCurrentOneAndTwoEqualEntries) {
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    auto f = users::open(st.data.data());
    ASSERT_TRUE(f.ok());
    using login::Change;
    EXPECT_EQ(*login::changePassword(*f, "HESAPKAR", "x", "yeni", "yeni"), Change::WrongPassword);
    EXPECT_EQ(*login::changePassword(*f, "HESAPKAR", "", "yeni", ""), Change::BlankEntry);
    EXPECT_EQ(*login::changePassword(*f, "HESAPKAR", "", "yeni", "yenı"), Change::Mismatch);
    // Nothing was written by the refusals: the blank password still opens.
    EXPECT_TRUE(login::passwordMatches(**login::lookupUser(*f, "HESAPKAR"), ""));
    EXPECT_EQ(*login::changePassword(*f, "HESAPKAR", "", "gizli", "gizli"), Change::Changed);
    auto u = login::lookupUser(*f, "HESAPKAR");
    EXPECT_TRUE(login::passwordMatches(**u, "GİZLİ"));
    EXPECT_FALSE(login::passwordMatches(**u, ""));
    EXPECT_EQ(*login::initialUser(*f, "hesapkar"), "HESAPKAR");
    EXPECT_EQ(*login::initialUser(*f, "NOBODY"), "HESAPKAR");
}

TEST_F(StartupSequence, UserFileOfAnotherLayoutIsMovedAsideAndReplaced) {
    {
        auto ds = openData();
        // A user file written under another layout (here the group layout stands in for it).
        ASSERT_TRUE(ds.data().create("KLUsers", data::fileDef(data::Layout::KLGrups)).ok());
    }
    auto ds = openData();
    auto r = start::ensureUserFile(ds.data());
    ASSERT_TRUE(r.ok()) << r.error().describe();
    EXPECT_EQ(r->movedAsideTo, "KLUsers.Esk");
    EXPECT_TRUE(r->defaultUserAdded);
    EXPECT_EQ(*ds.data().layoutOf("KLUsers.Esk"), "KLGrups");
    EXPECT_EQ(*ds.data().layoutOf("KLUsers"), "KLUsers");
}

namespace {

// Puts a data set at a version with the given old files.
void stampVersion(data::Database& db, const std::string& v) {
    auto t = db.table(data::fileDef(data::Layout::Version));
    ASSERT_TRUE(t.ok());
    data::TypedTable<data::Version> tt(std::move(*t));
    ASSERT_TRUE(tt.empty().ok());
    ASSERT_TRUE(tt.add(data::Version{v}).ok());
}

} // namespace

TEST_F(StartupSequence, OlderDataAsksFirstAndConvertsOnConvertYap) {
    auto ds = openData();
    stampVersion(ds.data(), "301001");
    ASSERT_TRUE(ds.data().create("FisDet", data::fileDef(data::Layout::FisDetA)).ok());
    FakeUi ui;
    ui.answer(1);
    start::checkVersion(ds.data(), ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Uyarı Ekranı");
    EXPECT_EQ(ui.messages[0].text, "Hesapkar Datası Convert Edilecektir.\n"
                                   "Bilgilerin Yedeklerini MUTLAKA ALINIZ.!\n"
                                   "Bilgi Kaybından KOVAN Bilgisayar Sorumlu Tutulamaz.?");
    EXPECT_EQ(ui.messages[0].buttons, "&Convert Yap|Convert İ&ptal");
    EXPECT_EQ(ui.messages[0].defaultButton, 2);
    EXPECT_EQ(ui.messages[0].icon, Icon::Warning);
    EXPECT_EQ(ui.progressTexts.front(), "FisDet Dosyası Aktarılıyor. Bekleyiniz !");
    EXPECT_EQ(ui.progressDoneCount, 1);
    EXPECT_EQ(data::convert::check(ds.data())->dataVersion, "302008");
}

TEST_F(StartupSequence, RefusedConversionEndsSilentlyAndChangesNothing) {
    auto ds = openData();
    stampVersion(ds.data(), "301001");
    ASSERT_TRUE(ds.data().create("FisDet", data::fileDef(data::Layout::FisDetA)).ok());
    FakeUi ui;
    ui.answer(2);
    EXPECT_THROW(start::checkVersion(ds.data(), ui), ProgramEnd);
    EXPECT_EQ(ui.messages.size(), 1u); // the question only
    EXPECT_EQ(data::convert::check(ds.data())->dataVersion, "301001");
    EXPECT_EQ(*ds.data().layoutOf("FisDet"), "FisDetA");
}

TEST_F(StartupSequence, NewerUnknownAndFailedVersionsEndWithTheirMessage) {
    struct Case {
        const char* version;
        bool asks;
        const char* text;
    } cases[] = {{"302009", false, "Programın Yeni Versiyonu Yüklenmelidir."},
                 {"299999", true, "Hatalı Versiyon Convert Yapılamadı.!"},
                 {"302006", true, "Convert Yapılamadı Çalışan Olabilir"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        fs::remove_all(root_ / "data");
        auto ds = openData();
        stampVersion(ds.data(), c.version);
        // For the failing step: voucher lines in layout A where layout B is due.
        ASSERT_TRUE(ds.data().create("FisDet", data::fileDef(data::Layout::FisDetA)).ok());
        FakeUi ui;
        if (c.asks) ui.answer(1);
        EXPECT_THROW(start::checkVersion(ds.data(), ui), ProgramEnd);
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().text, c.text);
        EXPECT_EQ(ui.messages.size(), c.asks ? 2u : 1u);
        EXPECT_EQ(data::convert::check(ds.data())->dataVersion, c.version);
    }
}

TEST_F(StartupSequence, PreparationMessagesAreShownInOrder) {
    {
        auto ds = openData();
        auto y = ds.open<data::Yasal>();
        ASSERT_TRUE(y.ok());
        data::Yasal a;
        a.SIRKETUNVANI1 = "Bir";
        a.MALIDONEMBAS = Date{1, 7, 2014};
        a.FISNOSIRASI = "A";
        a.FISNUMARALAMADUZENI = "B";
        data::Yasal b = a;
        b.SIRKETUNVANI1 = "İki";
        ASSERT_TRUE(y->add(a).ok());
        ASSERT_TRUE(y->add(b).ok());
    }
    fs::remove(root_ / "prog" / "CsPlan.txt");
    Session s(ini());
    FakeUi ui;
    auto st = start::startHeadless(s, ui, options());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text.rfind("CsPlan.Txt ", 0), 0u);
    EXPECT_EQ(ui.messages[1].text,
              "Yasal Dosyasında 1 den Fazla Kayıt Var\nYasal Dosyası Yeniden Düzenlenmeli");
    EXPECT_EQ(s.company().SIRKETUNVANI1, "Bir");
    EXPECT_EQ(s.AyFarki(), 6);
    EXPECT_EQ(s.CalisilanAy(), 12); // no [CalisilanAy]: today's month
}

TEST_F(StartupSequence, DatabaseThatCannotBeOpenedIsFatalAndKept) {
    fs::create_directories(root_ / "data");
    {
        std::ofstream(root_ / "data" / "Hesapkar.db", std::ios::binary) << "not a database at all";
    }
    Session s(ini());
    FakeUi ui;
    EXPECT_THROW(start::startHeadless(s, ui, options()), ProgramEnd);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Dosya ulaşım hatası");
    EXPECT_NE(ui.messages[0].text.find("Press OK to end this application"), std::string::npos);
    std::ifstream in(root_ / "data" / "Hesapkar.db", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "not a database at all");
}
