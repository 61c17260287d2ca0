// Menu items through the procedure registry: registered procedures run with their argument,
// unbuilt ones raise message 24, items with a question run only on "&Evet", and a failure is
// shown once by its kind.
#include "app/catalogue.h"
#include "support/procedure_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace hk::app;

namespace {

// A registry with one procedure of that name recording what it ran with.
ProcedureRegistry recording(const std::string& name, std::vector<std::string>& ran) {
    ProcedureRegistry r;
    ProcedureSpec spec;
    spec.name = name;
    spec.run = [&ran, name](ProcedureContext&, const Options& o) -> hk::core::Status {
        ran.push_back(name + "(" + o.argument + ")");
        return {};
    };
    r.add(std::move(spec));
    return r;
}

} // namespace

TEST(Catalogue, RegisteredProcedureRunsWithItsArgument) {
    std::vector<std::string> ran;
    ProcedureRegistry r = recording("TnmRaporlar", ran);
    hk::test::ProcedureFixture f;
    const MenuEntry* muavin = findMenuEntry(2030);
    ASSERT_NE(muavin, nullptr);
    EXPECT_TRUE(runMenuEntry(*muavin, r, f.ctx));
    EXPECT_EQ(ran, std::vector<std::string>{"TnmRaporlar(2)"});
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(Catalogue, UnbuiltProcedureRaisesMessage24WithItsName) {
    ProcedureRegistry r;
    hk::test::ProcedureFixture f;
    EXPECT_FALSE(runRegistered(r, "KebirRapFiltre", "", f.ctx));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, "Program KebirRapFiltre henüz tanımlanmamış.");
    EXPECT_EQ(f.ui.messages[0].caption, "Tanımlanmamış Program.");
    EXPECT_EQ(f.ui.messages[0].buttons, "&Tamam");
}

TEST(Catalogue, MizanSilAsksFirstAndRunsOnlyOnYes) {
    std::vector<std::string> ran;
    ProcedureRegistry r = recording("MizanSifirla", ran);
    const MenuEntry* e = findMenuEntry(5010);
    ASSERT_NE(e, nullptr);
    hk::test::ProcedureFixture f;
    f.ui.answers = {2, 1};
    EXPECT_FALSE(runMenuEntry(*e, r, f.ctx)); // "&Hayır"
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(runMenuEntry(*e, r, f.ctx)); // "&Evet"
    EXPECT_EQ(ran.size(), 1u);
    ASSERT_EQ(f.ui.messages.size(), 2u);
    EXPECT_EQ(f.ui.messages[0].text, "12 Aylık Mizan SilinsinMi?");
    EXPECT_EQ(f.ui.messages[0].caption, "12 Aylık Mizan SilinsinMi?");
    EXPECT_EQ(f.ui.messages[0].buttons, "&Evet|&Hayır");
    EXPECT_EQ(f.ui.messages[0].defaultButton, 2);
}

// A failure reaches the user once, through one path: a storage error as the message it names
// (with the file), a refusal as its own text, one already shown not again.
TEST(Catalogue, AFailedProcedureIsShownOnceByItsKind) {
    struct Case {
        const char* what;
        hk::core::Error error;
        std::size_t shown;
        const char* caption;
        const char* text;
    };
    hk::core::Error storage = hk::core::Error::of(5, "disk I/O error", "FisDet", 25);
    storage.kind = hk::core::ErrorKind::Storage;
    const Case cases[] = {
        {"storage", storage, 1, "Kayıt değiştirilimedi.",
         "(disk I/O error) hatası FisDet dosyasında kayıt değiştirlirken oluştu."},
        {"refused", hk::core::Error::refused("Bu ay kapalı."), 1, "Hatalı işlem", "Bu ay kapalı."},
        {"bad input", hk::core::Error::badInput("--month 1..12 olmalı"), 1, "Hatalı işlem",
         "--month 1..12 olmalı"},
        {"already shown", hk::core::Error::refused("Hayır dendi.", true), 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProcedureRegistry r;
        ProcedureSpec spec;
        spec.name = "YMizanDuzelt";
        spec.run = [&c](ProcedureContext&, const Options&) -> hk::core::Status { return c.error; };
        r.add(std::move(spec));
        hk::test::ProcedureFixture f;
        EXPECT_FALSE(runRegistered(r, "YMizanDuzelt", "0", f.ctx));
        ASSERT_EQ(f.ui.messages.size(), c.shown);
        if (c.shown) {
            EXPECT_EQ(f.ui.messages[0].caption, c.caption);
            EXPECT_EQ(f.ui.messages[0].text, c.text);
        }
    }
}

TEST(Catalogue, EveryMenuItemNamesAKnownProcedureOrIsTheFramesOwn) {
    for (const auto& e : mainMenu()) {
        if (e.kind != MenuKind::Item) continue;
        if (e.mode == RunMode::Frame) {
            EXPECT_TRUE(e.number == 5128 || e.number == 5130) << e.number;
            continue;
        }
        EXPECT_FALSE(e.procedure.empty()) << e.number;
        EXPECT_TRUE(knownProcedures().count(e.procedure)) << e.procedure;
    }
    EXPECT_TRUE(knownProcedures().count("YilSonu"));
    EXPECT_TRUE(knownProcedures().count("FisSirala"));
}

TEST(Catalogue, MenuNumbersAreUniqueAndSeparatorsFollowTheirItem) {
    std::set<int> seen;
    const auto& m = mainMenu();
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (m[i].number == 0) continue;
        EXPECT_TRUE(seen.insert(m[i].number).second) << m[i].number;
        if (m[i].kind == MenuKind::Separator) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(m[i].number, m[i - 1].number + 1);
        }
    }
}
