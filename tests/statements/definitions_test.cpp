#include "app/testing/fake_ui.h"
#include "statements/definitions.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace hk;
using namespace hk::statements;

namespace {

class DefinitionFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("hk_defs_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "prog");
    }
    void TearDown() override { fs::remove_all(root_); }

    data::DataSet open(const char* name) {
        auto ds = data::DataSet::open(data::Locations::resolve((root_ / name).string(), root_ / "prog"));
        EXPECT_TRUE(ds.ok()) << (ds.ok() ? "" : ds.error().text);
        return std::move(*ds);
    }

    // One trial-balance definition with two columns and one balance sheet with a line per side.
    static Definitions sample() {
        Definitions d;
        ReportDefinition r;
        r.header.RAPKOD = "1";
        r.header.RAPNO = 7;
        r.header.AD = "MİZAN RAPORU";
        r.header.RAPORTEXT = "MİZAN RAPORU";
        r.header.UZUNLUK = 200;
        r.header.FILTRE1 = "HSP:Ntlk='M'";
        data::DRapor c1;
        c1.RAPKOD = "1";
        c1.RAPNO = "7";
        c1.SIRANO = 1;
        c1.FIELDKOD = "Hsp:HesapKodu";
        c1.NTLK = "S";
        c1.UZUNLUK = 18;
        c1.AD = {"HESAP", "KODU", ""};
        c1.FRML = "@s18";
        c1.YAZ = "E";
        c1.TOPLA = "H";
        data::DRapor c2 = c1;
        c2.SIRANO = 2;
        c2.FIELDKOD = "Hsp:TlBorc[Cr]";
        c2.NTLK = "D";
        c2.AD = {"CARİ AY", "BORÇ", ""};
        c2.FRML = "@n18.2";
        c2.TOPLA = "E";
        r.columns = {c2, c1}; // out of order: written in number order
        d.reports.push_back(r);
        StatementDefinition s;
        s.header.RAPNO = 3;
        s.header.AD = "BİLANÇO TABLOSU";
        s.header.RAPORTEXT = "İŞLETME AYRINTILI BİLANÇO";
        s.header.RAPORTIPI = "B";
        data::DTablo a;
        a.RAPNO = "3";
        a.SIRANO = 1;
        a.AKTIFPASIF = "A";
        a.SAHAADI = "1.Kasa";
        a.SAHA = "HSP:TlBorc[Bk]";
        a.OSAHA = "HSP:AcTlBorc[Bk]";
        a.HSKOD = "100";
        a.NITELIK = "D";
        a.YAZILSINMI = "E";
        a.BOSLUK = 3;
        data::DTablo p = a;
        p.AKTIFPASIF = "P";
        p.SAHAADI = "TOPLAM \"tırnak\"";
        p.NITELIK = "F";
        p.FORMUL = "$001+$002";
        p.BOSLUK = 0;
        s.lines = {a, p};
        d.statements.push_back(s);
        return d;
    }

    fs::path root_;
};

TEST_F(DefinitionFiles, ExportedDefinitionsImportIntoAnotherCompanyUnchanged) {
    app::testing::FakeUi ui;
    {
        auto from = open("a");
        ASSERT_TRUE(importDefinitions(from, ui, sample()).ok());
    }
    auto from = open("a");
    auto defs = readDefinitions(from);
    ASSERT_TRUE(defs.ok());
    const std::string json = toJson(*defs);
    EXPECT_NE(json.find("\"FIELDKOD\": \"Hsp:TlBorc[Cr]\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"SAHAADI\": \"TOPLAM \\\"tırnak\\\"\""), std::string::npos) << json;

    auto parsed = fromJson(json);
    ASSERT_TRUE(parsed.ok()) << parsed.error().text;
    auto to = open("b");
    ASSERT_TRUE(importDefinitions(to, ui, *parsed).ok());
    auto back = readDefinitions(to);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back->reports.size(), 1u);
    ASSERT_EQ(back->reports[0].columns.size(), 2u);
    const Definitions want = sample();
    EXPECT_EQ(back->reports[0].header.RAPORTEXT, "MİZAN RAPORU");
    EXPECT_EQ(back->reports[0].header.FILTRE1, "HSP:Ntlk='M'");
    EXPECT_EQ(back->reports[0].columns[0].FIELDKOD, "Hsp:HesapKodu");
    EXPECT_EQ(back->reports[0].columns[1].AD[0], "CARİ AY");
    EXPECT_EQ(back->reports[0].columns[1].RAPNO, "7");
    ASSERT_EQ(back->statements.size(), 1u);
    ASSERT_EQ(back->statements[0].lines.size(), 2u);
    EXPECT_EQ(back->statements[0].lines[1].SAHAADI, "TOPLAM \"tırnak\"");
    EXPECT_EQ(back->statements[0].lines[1].FORMUL, "$001+$002");
    EXPECT_EQ(back->statements[0].lines[0].BOSLUK, 3);
    EXPECT_EQ(toJson(*back), json);
}

// Every refusal names its cause, shows the editors' message where they show one, and writes
// nothing at all.
TEST_F(DefinitionFiles, BadDefinitionsAreRefusedAndNothingIsWritten) {
    struct Row {
        const char* what;
        void (*spoil)(Definitions&);
        const char* error;
        const char* box; // message box text, or nullptr
    };
    const Row rows[] = {
        {"report twice", [](Definitions& d) { d.reports.push_back(d.reports[0]); }, "Rapor 1/7", kReportNumberUsed},
        {"statement twice", [](Definitions& d) { d.statements.push_back(d.statements[0]); }, "Tablo 3", kStatementNumberUsed},
        {"blank type", [](Definitions& d) { d.statements[0].header.RAPORTIPI = ""; }, "Tablo 3", kReportTypeBlank},
        {"type X", [](Definitions& d) { d.statements[0].header.RAPORTIPI = "X"; }, "type must be B or G", nullptr},
        {"kind 3", [](Definitions& d) { d.reports[0].header.RAPKOD = "3"; }, "kind must be 1 or 2", nullptr},
        {"number 0", [](Definitions& d) { d.reports[0].header.RAPNO = 0; }, "above 0", nullptr},
        {"column kind", [](Definitions& d) { d.reports[0].columns[0].NTLK = "X"; }, "S, D or F", nullptr},
        {"column twice", [](Definitions& d) { d.reports[0].columns[1].SIRANO = 2; }, "used twice", nullptr},
        {"side", [](Definitions& d) { d.statements[0].lines[0].AKTIFPASIF = "X"; }, "side must be A or P", nullptr},
        {"line twice", [](Definitions& d) { d.statements[0].lines[1].AKTIFPASIF = "A"; }, "used twice", nullptr},
        {"income with liabilities", [](Definitions& d) { d.statements[0].header.RAPORTIPI = "G"; }, "no liabilities", nullptr},
        {"negative margin", [](Definitions& d) { d.statements[0].lines[0].BOSLUK = -1; }, "margin below 0", nullptr},
    };
    for (const Row& row : rows) {
        Definitions d = sample();
        row.spoil(d);
        auto ds = open(row.what);
        app::testing::FakeUi ui;
        auto st = importDefinitions(ds, ui, d);
        ASSERT_FALSE(st.ok()) << row.what;
        EXPECT_NE(st.error().text.find(row.error), std::string::npos) << row.what << ": " << st.error().text;
        if (row.box) {
            ASSERT_EQ(ui.messages.size(), 1u) << row.what;
            EXPECT_EQ(ui.messages[0].text, row.box);
            EXPECT_EQ(ui.messages[0].caption, kWarningCaption);
            EXPECT_EQ(ui.messages[0].buttons, "&Tamam");
        } else {
            EXPECT_TRUE(ui.messages.empty()) << row.what;
        }
        auto back = readDefinitions(ds);
        ASSERT_TRUE(back.ok());
        EXPECT_TRUE(back->reports.empty() && back->statements.empty()) << row.what;
    }
}

TEST_F(DefinitionFiles, ANumberUsedInTheCompanyRefusesTheWholeImport) {
    app::testing::FakeUi ui;
    auto ds = open("a");
    Definitions first = sample();
    first.reports.clear();
    ASSERT_TRUE(importDefinitions(ds, ui, first).ok()); // statement 3 only
    ui.messages.clear();
    auto st = importDefinitions(ds, ui, sample());
    ASSERT_FALSE(st.ok());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kStatementNumberUsed);
    auto back = readDefinitions(ds);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back->reports.empty()); // the report of the refused file was not written either
    EXPECT_EQ(back->statements.size(), 1u);
}

TEST_F(DefinitionFiles, AMarginAboveThreeIsImportedAsThree) {
    Definitions d = sample();
    d.statements[0].lines[0].BOSLUK = 7;
    auto ds = open("a");
    app::testing::FakeUi ui;
    ASSERT_TRUE(importDefinitions(ds, ui, d).ok());
    auto back = readDefinitions(ds);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->statements[0].lines[0].BOSLUK, 3);
}

TEST(DefinitionJson, MalformedFilesAreRefusedWithTheirCause) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "value expected"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1", "expected"},
        {"[1, 2]", "not a definition file"},
        {"{\"hesapkar\": \"other\", \"version\": 1}", "not a definition file"},
        {"{\"hesapkar\": \"definitions\", \"version\": 2}", "version"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Extra\": []}", "unknown member Extra"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": {}}", "Rapor must be a list"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": [{\"NOPE\": 1}]}", "unknown field NOPE"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": [{\"RAPNO\": 99999}]}", "RAPNO"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": [{\"RAPNO\": true}]}", "text or a number"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Tablo\": [{\"AD\": \"\\u4e2d\"}]}", "AD"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Tablo\": [{\"RAPORTIPI\": \"BB\"}]}", "RAPORTIPI"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": [{\"RAPNO\": 1, \"DRapor\": [{\"AD\": [\"a\",\"b\",\"c\",\"d\"]}]}]}", "at most 3"},
        {"{\"hesapkar\": \"definitions\", \"version\": 1, \"Rapor\": [{\"RAPNO\": 1, \"DRapor\": [{\"RAPKOD\": \"2\"}]}]}", "unknown field RAPKOD"},
        {"{\"a\": \"\\ud800\"}", "surrogate"},
        {"{\"a\": \"x\ny\"}", "control character"},
    };
    for (auto [text, why] : rows) {
        auto d = fromJson(text);
        ASSERT_FALSE(d.ok()) << text;
        EXPECT_NE(d.error().text.find(why), std::string::npos) << text << ": " << d.error().text;
    }
    std::string deep(100, '[');
    auto d = fromJson(deep);
    ASSERT_FALSE(d.ok());
    EXPECT_NE(d.error().text.find("nested too deeply"), std::string::npos);
}

} // namespace
