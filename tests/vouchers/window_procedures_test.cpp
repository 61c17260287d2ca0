// The long tools of the voucher windows as procedures: the options a window hands over are read
// and refused when they cannot be, the account transfer moves its lines, and a declined export
// question writes nothing and tells the window so.
#include "app/rights.h"
#include "fixture.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/window_procedures.h"

#include <filesystem>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;

namespace {

class WindowProcedures : public hk::vouchers::testing::Company {
  protected:
    app::ProcedureRegistry registry;
    app::RightsService rights{"SUPERVISOR", true, app::RightsLookup{}};

    void SetUp() override {
        Company::SetUp();
        registerWindowToolProcedures(registry);
    }
    core::Status run(const std::string& name, std::map<std::string, std::string> values) {
        const app::ProcedureSpec* spec = registry.find(name);
        EXPECT_TRUE(spec) << name;
        if (!spec) return core::Error::refused("yok");
        EXPECT_EQ(spec->runs, app::Runs::Worker) << name;
        app::Options o;
        for (auto& [k, val] : values) o.set(k, val);
        app::ProcedureContext ctx{*session_, ui_, rights, *ds_};
        return spec->run(ctx, o);
    }
    std::string saveIn(int m, int day, std::initializer_list<data::FisDet> lines) {
        Draft d = newDraft(*session_);
        d.fiscalMonth = m;
        d.header.FISTRH = dateInFiscalMonth(storedCompany(), m, day);
        int n = 0;
        for (auto l : lines) insertLine(d.lines, l, n++);
        Env e = env();
        auto k = save(e, d, [](CashChoice&) { return true; });
        EXPECT_TRUE(k) << k.error().text;
        return k ? *k : std::string{};
    }
    double march(const std::string& code) {
        auto b = Books::open(*ds_);
        return totalsOf(*b->account(code)).months[2][0];
    }
};

TEST_F(WindowProcedures, AccountTransferMovesByMonthsOrDatesAndRefusesABadDate) {
    saveIn(3, 2, {line("120 01 005", 40, 0), line("600 01", 0, 40)});
    ASSERT_TRUE(run("HesapTransferi", {{"source", "120 01 005"},
                                       {"target", "120 01 006"},
                                       {"from-month", "3"},
                                       {"to-month", "3"}}));
    EXPECT_EQ(march("120 01 006"), 40.0);
    EXPECT_EQ(march("120 01 005"), 0.0);
    ASSERT_TRUE(run("HesapTransferi", {{"source", "120 01 006"},
                                       {"target", "120 01 005"},
                                       {"from-date", "01.03.2015"},
                                       {"to-date", "31.03.2015"}}));
    EXPECT_EQ(march("120 01 005"), 40.0);
    struct Case {
        const char* option;
        const char* value;
    } bad[] = {{"from-date", "32.03.2015"}, {"from-month", "üç"}};
    for (const auto& c : bad) {
        auto st = run("HesapTransferi",
                      {{"source", "120 01 005"}, {"target", "120 01 006"}, {c.option, c.value}});
        ASSERT_FALSE(st) << c.option;
        EXPECT_EQ(march("120 01 005"), 40.0) << c.option;
    }
}

TEST_F(WindowProcedures, DeclinedExportWritesNothingAndReportsNoSuccess) {
    saveIn(3, 2, {line("120 01 005", 40, 0), line("600 01", 0, 40)});
    const std::filesystem::path book = std::filesystem::path(dir_) / "yevmiye.xlsx";
    ui_.answer(2);
    auto st = run("YevmiyeExcelYaz", {{"xlsx", book.string()}});
    ASSERT_FALSE(st);
    EXPECT_TRUE(st.error().shown); // the window adds no message of its own
    EXPECT_FALSE(std::filesystem::exists(book));
    EXPECT_EQ(ui_.messages.back().text, "Yevmiye Excele Aktarılsın Mı?");
    ui_.answer(1);
    ASSERT_TRUE(run("FisDetayExcelYaz", {{"xlsx", book.string()}, {"month", "3"}}));
    EXPECT_TRUE(std::filesystem::exists(book));
    EXPECT_EQ(ui_.messages.back().text, "Liste Excele Aktarılsın Mı?");
}

} // namespace
