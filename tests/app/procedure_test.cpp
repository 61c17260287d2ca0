#include "app/procedure.h"

#include <gtest/gtest.h>

namespace hk::app {
namespace {

ProcedureSpec spec(std::vector<std::string> words, std::string name = {}) {
    ProcedureSpec s;
    s.name = std::move(name);
    s.command = std::move(words);
    s.flags = {"month", "kind"};
    s.switches = {"dry-run"};
    s.run = [](ProcedureContext&, const Options&) { return core::Status{}; };
    return s;
}

TEST(ProcedureRegistry, CommandWordsMatchTheLongestPrefix) {
    ProcedureRegistry r;
    r.add(spec({"voucher"}, "FisListesi"));
    r.add(spec({"voucher", "import"}));
    std::size_t used = 0;
    const auto* p = r.findCommand({"voucher", "import", "DIR", "f.csv"}, used);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->command.size(), 2u);
    EXPECT_EQ(used, 2u);
    p = r.findCommand({"voucher", "DIR"}, used);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(r.findCommand({"rebuild", "DIR"}, used), nullptr);
    EXPECT_EQ(r.find("FisListesi"), &r.all()[0]);
    EXPECT_EQ(r.find("Yok"), nullptr);
}

TEST(ProcedureRegistry, ASecondRegistrationIsAProgrammingFault) {
    ProcedureRegistry r;
    r.add(spec({"a"}, "A"));
    EXPECT_THROW(r.add(spec({"b"}, "A")), std::logic_error);
    EXPECT_THROW(r.add(spec({"a"}, "B")), std::logic_error);
}

TEST(ProcedureCommandLine, FlagsSwitchesAndWords) {
    auto o = parseCommandLine({"f.csv", "--month", "3", "--kind=NPQ", "--dry-run", "-", "--yes"},
                              spec({"x"}));
    ASSERT_TRUE(o) << o.error().text;
    EXPECT_EQ(o->positional, (std::vector<std::string>{"f.csv", "-"}));
    EXPECT_EQ(o->get("month"), "3");
    EXPECT_EQ(o->get("kind"), "NPQ");
    EXPECT_TRUE(o->flag("dry-run"));
    EXPECT_TRUE(o->flag("yes"));
    EXPECT_FALSE(o->flag("month-x"));
    auto m = o->integer("month");
    ASSERT_TRUE(m);
    EXPECT_EQ(**m, 3);
}

TEST(ProcedureCommandLine, RefusesWhatTheProcedureDoesNotTake) {
    struct Case {
        std::vector<std::string> words;
        const char* says;
    };
    const Case cases[] = {
        {{"--monthh", "3"}, "--monthh"},
        {{"--month"}, "--month"},
        {{"--dry-run=1"}, "--dry-run"},
        {{"-m", "3"}, "-m"},
    };
    for (const auto& c : cases) {
        auto o = parseCommandLine(c.words, spec({"x"}));
        ASSERT_FALSE(o) << c.says;
        EXPECT_NE(o.error().text.find(c.says), std::string::npos) << o.error().text;
        EXPECT_EQ(o.error().kind, core::ErrorKind::BadInput) << c.says;
    }
    Options bad;
    bad.set("month", "3a");
    auto n = bad.integer("month");
    ASSERT_FALSE(n);
    EXPECT_EQ(n.error().kind, core::ErrorKind::BadInput);
}

} // namespace
} // namespace hk::app
