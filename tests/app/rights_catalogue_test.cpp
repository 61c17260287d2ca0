// Procedure catalogue: registered procedures run with their argument, unbuilt ones raise
// message 24, and menu items with a question run only on "&Evet".
#include "app/catalogue.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace hk::app;

namespace {

struct Shown {
    std::string text, caption, buttons;
    int defaultButton;
};

class RecordingUi : public Ui {
  public:
    std::vector<Shown> shown;
    std::deque<int> answers;
    int message(const std::string& text, const std::string& caption, Icon, const std::string& buttons,
                int defaultButton) override {
        shown.push_back({text, caption, buttons, defaultButton});
        if (answers.empty()) return defaultButton;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    void progress(const std::string&, int) override {}
    void progressDone() override {}
    bool cancelled() override { return false; }
    std::string chooseFile(const std::string&, const std::string&, bool) override { return {}; }
    int pick(const std::string&, const std::vector<std::string>&) override { return -1; }
};

} // namespace

TEST(Catalogue, RegisteredProcedureRunsWithItsArgument) {
    Catalogue c;
    std::vector<std::string> ran;
    c.add("TnmRaporlar", [&](const std::string& a) { ran.push_back("TnmRaporlar(" + a + ")"); });
    RecordingUi ui;
    const MenuEntry* muavin = findMenuEntry(2030);
    ASSERT_NE(muavin, nullptr);
    EXPECT_TRUE(runMenuEntry(*muavin, c, ui));
    EXPECT_EQ(ran, std::vector<std::string>{"TnmRaporlar(2)"});
    EXPECT_TRUE(ui.shown.empty());
}

TEST(Catalogue, UnbuiltProcedureRaisesMessage24WithItsName) {
    Catalogue c;
    RecordingUi ui;
    EXPECT_FALSE(c.run("KebirRapFiltre", "", ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Program KebirRapFiltre henüz tanımlanmamış.");
    EXPECT_EQ(ui.shown[0].caption, "Tanımlanmamış Program.");
    EXPECT_EQ(ui.shown[0].buttons, "&Tamam");
}

TEST(Catalogue, MizanSilAsksFirstAndRunsOnlyOnYes) {
    Catalogue c;
    int runs = 0;
    c.add("MizanSifirla", [&](const std::string&) { ++runs; });
    const MenuEntry* e = findMenuEntry(5010);
    ASSERT_NE(e, nullptr);
    RecordingUi ui;
    ui.answers = {2, 1};
    EXPECT_FALSE(runMenuEntry(*e, c, ui)); // "&Hayır"
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(runMenuEntry(*e, c, ui)); // "&Evet"
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "12 Aylık Mizan SilinsinMi?");
    EXPECT_EQ(ui.shown[0].caption, "12 Aylık Mizan SilinsinMi?");
    EXPECT_EQ(ui.shown[0].buttons, "&Evet|&Hayır");
    EXPECT_EQ(ui.shown[0].defaultButton, 2);
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
