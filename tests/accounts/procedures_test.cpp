#include "accounts/procedures.h"

#include "accounts/chart.h"
#include "accounts/rates.h"
#include "app/company.h"
#include "fixture.h"

namespace hk::accounts {
namespace {

using test::must;

class Commands : public test::Folder {
  protected:
    Commands()
        : session((dir() / "Hesapkar.INI").string()),
          rights("HESAPKAR", true, {}) {
        registerProcedures(registry);
    }
    core::Status run(std::vector<std::string> words) {
        std::size_t used = 0;
        const auto* spec = registry.findCommand(words, used);
        EXPECT_NE(spec, nullptr);
        auto o = app::parseCommandLine(
            std::vector<std::string>(words.begin() + static_cast<std::ptrdiff_t>(used),
                                     words.end()),
            *spec);
        if (!o) return o.error();
        app::ProcedureContext ctx{session, ui, rights, data()};
        return spec->run(ctx, *o);
    }
    data::Yasal company() {
        auto f = must(data().open<data::Yasal>());
        return must(app::company::loadOrCreate(f));
    }
    app::Session session;
    app::RightsService rights;
    app::ProcedureRegistry registry;
};

TEST_F(Commands, CompanySetAppliesTheWindowsChecks) {
    must(run({"company", "set", "--period-start", "01.07.2024", "--name", "Deneme A.Ş.", "--scheme", "B", "--numbering", "A",
              "SIRKETUNVANI2=Ltd", "UNVAN.2=Müdür", "YEVMIYEMATBU=1"}));
    auto y = company();
    EXPECT_EQ(y.MALIDONEMSON, (core::Date{30, 6, 2025})); // proposed from the start
    EXPECT_EQ(y.SIRKETUNVANI1, "Deneme A.Ş.");
    EXPECT_EQ(y.SIRKETUNVANI2, "Ltd");
    EXPECT_EQ(data::element(y.UNVAN, 2), "Müdür");
    EXPECT_EQ(y.YEVMIYEMATBU, 1);
    EXPECT_EQ(session.AyFarki(), 6);

    const std::vector<std::vector<std::string>> refused = {
        {"company", "set", "--period-end", "01.08.2025"},     // longer than twelve months
        {"company", "set", "--numbering", "X"},               // not A or G
        {"company", "set", "YOKALAN=1"},                      // no such field
        {"company", "set", "MAHSUPNUMARATOR.1=5"},            // issued by voucher entry only
        {"company", "set", "UNVAN.4=x"},                      // the array has three
        {"company", "set", "SIRKETUNVANI2=" + std::string(26, 'x')}, // wider than the field
        {"company", "set", "--period-start", "31.02.2024"},
    };
    for (const auto& words : refused) {
        ui.messages.clear();
        EXPECT_FALSE(run(words)) << words.back();
        EXPECT_EQ(ui.messages.size(), 1u) << words.back();
        EXPECT_EQ(company(), y) << words.back();
    }
}

TEST_F(Commands, AccountAndRateCommandsRefuseBadInput) {
    must(run({"currencies", "add", "USD", "Dolar"}));
    must(run({"accounts", "add", "120", "Alıcılar"}));
    must(run({"accounts", "add", "120 01", "Dolar", "--attr", "M", "--currency", "USD"}));
    must(run({"rates", "add", "USD", "14.03.2024", "36.5"}));
    EXPECT_EQ(must(rateOn(data(), "USD", {14, 3, 2024})), 36.5);
    const std::vector<std::vector<std::string>> refused = {
        {"accounts", "add", "121 01", "Yok", "--attr", "M"},
        {"accounts", "add", "121", "Birim", "--unit", "KG"},
        {"accounts", "add", "120 02", "Yok", "--attr", "M", "--currency", "EUR"},
        {"rates", "add", "USD", "2024-03-15", "36.5"},
        {"rates", "add", "USD", "15.03.2024", "36,5"},
        {"rates", "add", "EUR", "15.03.2024", "36.5"},
        {"rates", "add", "USD", "15.03.2024", "0"},
        {"currencies", "delete", "USD"},
        {"accounts", "delete", "120"},
    };
    for (const auto& words : refused) {
        ui.messages.clear();
        auto st = run(words);
        EXPECT_FALSE(st) << words[2];
        EXPECT_EQ(ui.messages.size(), 1u) << words[2] << " " << (st ? "" : st.error().text);
    }
    EXPECT_EQ(accountCount(), 2);
    EXPECT_EQ(must(listRates(data())).size(), 1u);
    EXPECT_FALSE(run({"accounts", "add", "122"})) << "a name is required";
}

} // namespace
} // namespace hk::accounts
