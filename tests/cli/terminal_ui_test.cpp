#include "cli/options.h"
#include "cli/terminal_ui.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using hk::app::Icon;
using hk::cli::TerminalUi;

namespace {

// Everything a TerminalUi printed.
struct Captured {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f{std::tmpfile(), &std::fclose};
    std::string text() {
        std::fflush(f.get());
        std::rewind(f.get());
        std::string s;
        char buf[256];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, f.get())) s.append(buf, n);
        return s;
    }
};

} // namespace

TEST(TerminalUi, QuestionsAreAcceptedOnlyWithYes) {
    struct Case {
        bool yes;
        const char* buttons;
        int answer;
        const char* says;
    } cases[] = {
        {false, "&Convert Yap|Convert İ&ptal", 2, "Convert İptal: soru yanıtlanmadı"},
        {true, "&Convert Yap|Convert İ&ptal", 1, "-> Convert Yap (--yes)"},
        {false, "&Evet|&Hayır|&Vazgeç", 3, "-> Vazgeç"},
        {false, "&Tamam", 1, "UYARI: [Başlık] satır 1\n   satır 2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.buttons);
        Captured out;
        TerminalUi ui(c.yes, out.f.get());
        EXPECT_EQ(ui.message("satır 1\nsatır 2", "Başlık", Icon::Warning, c.buttons, 2), c.answer);
        EXPECT_NE(out.text().find(c.says), std::string::npos) << out.text();
        EXPECT_EQ(ui.refusals(), !c.yes && c.answer != 1 ? 1 : 0);
        EXPECT_EQ(ui.lastText(), "satır 1\nsatır 2");
    }
}

TEST(TerminalUi, ChoicesCannotBeMadeAtATerminal) {
    Captured out;
    TerminalUi ui(true, out.f.get());
    EXPECT_EQ(ui.chooseFile("Dosya Seç", "*.xls", false), "");
    EXPECT_EQ(ui.pick("Grup", {"1", "2"}), -1);
    EXPECT_EQ(ui.refusals(), 2);
    EXPECT_NE(out.text().find("[Dosya Seç]"), std::string::npos);
}

TEST(TerminalUi, ProgressPrintsEachTextOnce) {
    Captured out;
    TerminalUi ui(false, out.f.get());
    ui.progress("FisDet Dosyası Aktarılıyor. Bekleyiniz !", 0);
    ui.progress("FisDet Dosyası Aktarılıyor. Bekleyiniz !", 50);
    ui.progress("FisDet Dosyası Düzenleniyor. Bekleyiniz !", -1);
    ui.progressDone();
    EXPECT_EQ(out.text(), "... FisDet Dosyası Aktarılıyor. Bekleyiniz !\n"
                          "... FisDet Dosyası Düzenleniyor. Bekleyiniz !\n");
}

TEST(CommonOptions, ValuesAfterTheNameOrAfterEquals) {
    ::unsetenv("HESAPKAR_PASSWORD");
    auto o = hk::cli::parseCommonOptions(
        {"veri", "--user", "ALI", "--password=şifre", "--yes", "--program-dir", "/p", "FisDet"});
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(o->positional, (std::vector<std::string>{"veri", "FisDet"}));
    EXPECT_EQ(o->user, "ALI");
    EXPECT_EQ(o->password, "şifre");
    EXPECT_TRUE(o->yes);
    EXPECT_FALSE(o->aktar);
    EXPECT_EQ(o->programDir, "/p");
    EXPECT_EQ(o->ini, "/p/Hesapkar.INI");
}

TEST(CommonOptions, MistakesAreRefused) {
    EXPECT_FALSE(hk::cli::parseCommonOptions({"--user"}).ok());
    EXPECT_FALSE(hk::cli::parseCommonOptions({"--yes=1"}).ok());
    auto bad = hk::cli::parseCommonOptions({"--evet"});
    ASSERT_FALSE(bad.ok());
    EXPECT_NE(bad.error().text.find("--evet"), std::string::npos);
}
