// The command "voucher print": one voucher, a key range and the bulk selection into a raw file,
// and the refusals of its options (nothing is written for them).
#include "fixture.h"
#include "app/procedure.h"
#include "app/rights.h"
#include "vouchers/sheet_procedures.h"

#include <fstream>
#include <sstream>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class SheetCommands : public hk::vouchers::testing::Company {
  protected:
    void SetUp() override {
        Company::SetUp();
        registerSheetProcedures(registry_);
    }
    core::Status run(const std::vector<std::string>& words, std::vector<std::string> args) {
        std::size_t used = 0;
        const app::ProcedureSpec* spec = registry_.findCommand(words, used);
        EXPECT_NE(spec, nullptr);
        if (!spec) return core::Error::badInput("no command");
        auto o = app::parseCommandLine(args, *spec);
        if (!o) return o.error();
        app::RightsService rights("SUPERVISOR", true, {});
        app::ProcedureContext ctx{*session_, ui_, rights, *ds_};
        return spec->run(ctx, *o);
    }
    core::Status print(std::vector<std::string> args) { return run({"voucher", "print"}, args); }
    std::string out() const { return (dir_ / "out.prn").string(); }
    std::string slurp() const {
        std::ifstream in(out(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    int sheets() const {
        const std::string s = slurp();
        int n = 0;
        for (std::size_t at = 0; (at = s.find("\x1B@", at)) != std::string::npos; ++at) ++n;
        return n;
    }
    std::string saved(int day, const std::string& type = "M") {
        AskCash cash = [](CashChoice&) { return true; };
        auto k = type == "M" ? saveNew(day, {line("120 01 005", 1, 0), line("600 01", 0, 1)})
                             : saveNew(day, {line("120 01 005", 0, 1)}, type, "N", cash);
        EXPECT_TRUE(k);
        return k ? *k : std::string();
    }
    app::ProcedureRegistry registry_;
};

TEST_F(SheetCommands, OneVoucherAKeyRangeAndTheBulkSelection) {
    const std::string a = saved(5), b = saved(6), t = saved(6, "A"), c = saved(20);
    ASSERT_TRUE(print({a, "--raw", out(), "--kind", "NPQ"}));
    EXPECT_EQ(sheets(), 1);
    ASSERT_TRUE(print({a, "--to", c, "--raw", out(), "--kind", "npq"}));
    EXPECT_EQ(sheets(), 4);
    ASSERT_TRUE(print({"--type", "M", "--dates", "05.03.2015-06.03.2015", "--raw", out(),
                       "--kind", "NPQ"}));
    EXPECT_EQ(sheets(), 2);
    ASSERT_TRUE(print({"--type", "m", "--dates", "05.03.2015-", "--numbers", "2-", "--raw",
                       out(), "--kind", "NPQ"}));
    EXPECT_EQ(sheets(), 2); // numbers 2 and 3 of the Mahsup vouchers
    ASSERT_TRUE(print({"--type", "A", "--dates", "06.03.2015", "--txt", out()}));
    EXPECT_NE(slurp().find("T A H S"), std::string::npos);
    (void)b;
    (void)t;
}

TEST_F(SheetCommands, BadChoicesAreRefusedAndWriteNothing) {
    const std::string a = saved(5);
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{a}, "--raw, --pdf ve --txt"},
        {{a, "--raw", out()}, "--kind NPQ ya da LPQ"},
        {{a, "--txt", out(), "--kind", "NPQ"}, "--kind yalnız --raw"},
        {{a, "--pdf", out()}, "PDF çıkışı yok"},
        {{"--txt", out()}, "fiş anahtarı"},
        {{a, "--type", "M", "--dates", "05.03.2015", "--txt", out()}, "birlikte"},
        {{"--type", "X", "--dates", "05.03.2015", "--txt", out()}, "--type M, A ya da E"},
        {{"--type", "M", "--txt", out()}, "--dates gerekli"},
        {{"--type", "M", "--dates", "32.03.2015", "--txt", out()}, "gg.aa.yyyy"},
        {{"--type", "M", "--dates", "06.03.2015-05.03.2015", "--txt", out()}, "bitiş tarihi"},
        {{"--type", "M", "--dates", "05.03.2015", "--numbers", "x", "--txt", out()}, "--numbers"},
        {{"--type", "M", "--dates", "05.03.2015", "--numbers", "5-2", "--txt", out()}, "son numara"},
        {{"--type", "M", "--dates", "05.03.2015", "--attribute", "QQ", "--txt", out()},
         "fiş nitelikleri"},
        {{"--type", "M", "--dates", "05.03.2015", "--to", a, "--txt", out()}, "--to yalnız"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& w : c.args) joined += w + " ";
        SCOPED_TRACE(joined);
        const core::Status st = print(c.args);
        ASSERT_FALSE(st);
        EXPECT_NE(st.error().text.find(c.says), std::string::npos) << st.error().text;
        EXPECT_FALSE(std::filesystem::exists(out()));
    }
}

TEST_F(SheetCommands, ImportSheetCommand) {
    const std::string missing = (dir_ / "yok.xlsx").string();
    const core::Status st = run({"voucher", "import-sheet"}, {missing, "--payment-type", "Nakit"});
    ASSERT_FALSE(st);
    EXPECT_TRUE(st.error().shown);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, missing + "\nDosyası Bulunamıyor.!");
    const core::Status none = run({"voucher", "import-sheet"}, {});
    ASSERT_FALSE(none);
    EXPECT_NE(none.error().text.find("FILE"), std::string::npos);
}

} // namespace
