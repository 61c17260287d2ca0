#include "accounts/import.h"

#include "accounts/chart.h"
#include "accounts/rates.h"
#include "fixture.h"
#include "output/xlsx_writer.h"

#include <fstream>

namespace hk::accounts {
namespace {

using test::must;

class Import : public test::Folder {
  protected:
    std::filesystem::path workbook(const std::vector<std::vector<std::string>>& rows,
                                   const std::string& name = "HsPlan.xlsx") {
        output::Sheet s;
        for (const auto& r : rows) {
            s.row();
            for (const auto& c : r) c.empty() ? s.empty() : s.text(c);
        }
        const auto path = dir() / name;
        must(output::writeXlsx(s, path.string()));
        return path;
    }
    std::filesystem::path file(const std::string& name, const std::string& text) {
        const auto path = dir() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::vector<std::string> codes() {
        auto plan = must(data().open<data::HsPlan>());
        std::vector<std::string> out;
        must(forEachAccount(plan, "", "", [&](const data::HsPlan& a) {
            out.push_back(a.HESAPKODU + "/" + a.NTLK + "/" + a.HESAPAD1);
            return true;
        }));
        return out;
    }
};

TEST_F(Import, WorkbookRowsAreTakenAsTheyStandUpToTheFirstEmptyCode) {
    data::HsPlan kept;
    kept.HESAPKODU = "100";
    kept.HESAPAD1 = "Eski Kasa";
    kept.NTLK = "K";
    data::month(kept.TLBORC, 1) = 5;
    putRecord(kept);
    workbook({{"100", "K", "Kasa"},        // in the chart: skipped, unchanged
              {"120 01", "M", "Alıcı"},    // no parent: taken as it stands
              {"600", "Q", "Satışlar"},    // any letter
              {"601", "Muavin", "Uzun"},   // first character only
              {"", "K", "Beşinci satır boş"},
              {"700", "K", "Okunmaz"}});
    auto counts = must(runExcelHsPlanOku(data(), ui));
    EXPECT_EQ(counts.added, 3);
    EXPECT_EQ(counts.skipped, 1);
    EXPECT_EQ(codes(), (std::vector<std::string>{"100/K/Eski Kasa", "120 01/M/Alıcı",
                                                 "600/Q/Satışlar", "601/M/Uzun"}));
    EXPECT_EQ(data::month(must(findAccount(data(), "100"))->TLBORC, 1), 5);
    EXPECT_EQ(ui.progressTexts.front(), kImportProgress);

    counts = must(runExcelHsPlanOku(data(), ui)); // the same workbook again adds nothing
    EXPECT_EQ(counts.added, 0);
    EXPECT_EQ(counts.skipped, 4);
    EXPECT_EQ(accountCount(), 4);
}

TEST_F(Import, WorkbookFaultsRefuseTheWholeFile) {
    const auto missing = dir() / "HsPlan.xls";
    EXPECT_FALSE(runExcelHsPlanOku(data(), ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{missing.string() + "\nDosyası Bulunamıyor.!"});

    struct Case {
        std::vector<std::vector<std::string>> rows;
        const char* says;
    } cases[] = {
        {{{"100", "K", "Kasa"}, {"1234567890123456789", "M", "Uzun kod"}},
         "satır 2: Hesap Kodu en çok 18 karakter olabilir"},
        {{{"100", "K", std::string(51, 'x')}}, "satır 1: Hesap Adı en çok 50 karakter olabilir"},
        {{{"100", "K", "Kasa"}, {"120  01", "M", "İki boşluk"}},
         "satır 2: Hesap Kodunun seviyeleri tek boşlukla"},
        {{{"100 Ж", "K", "Kasa"}}, "satır 1: Hesap Kodu Türkçe kod sayfasında olmayan"},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        const auto path = workbook(c.rows, "bad.xlsx");
        EXPECT_FALSE(importWorkbook(data(), path, ui));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find(c.says), std::string::npos) << ui.messages[0].text;
        EXPECT_EQ(accountCount(), 0);
    }
    ui.messages.clear();
    EXPECT_FALSE(importWorkbook(data(), file("fake.xlsx", "code,name,attr\n100,Kasa,K\n"), ui));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(accountCount(), 0);
}

TEST_F(Import, CsvFollowsTheEntryRulesInFileOrder) {
    must(addCurrency(data(), {"USD", "Dolar"}, ui));
    put("100", "K", "Kasa");
    const auto path = file("plan.csv", "\xEF\xBB\xBF"
                                       "code;name;attr;name2;unit;currency\r\n"
                                       "100;Kasa yine;K;;;\r\n"
                                       "120;Alıcılar;M;;;\r\n"
                                       "120 01;\"Yurt içi; alıcılar\";G;\"ikinci \"\"satır\"\"\";;\r\n"
                                       "120 01 001;Dolar alıcı;m;;KG;USD\r\n");
    auto counts = must(importCsv(data(), path, ui));
    EXPECT_EQ(counts.added, 3);
    EXPECT_EQ(counts.skipped, 1);
    EXPECT_EQ(codes(), (std::vector<std::string>{"100/K/Kasa", "120/K/Alıcılar",
                                                 "120 01/G/Yurt içi; alıcılar",
                                                 "120 01 001/M/Dolar alıcı"}));
    const auto a = *must(findAccount(data(), "120 01 001"));
    EXPECT_EQ(a.DOVIZKODU, "USD");
    EXPECT_EQ(a.ALTBIRIM, "KG");
    EXPECT_EQ(must(findAccount(data(), "120 01"))->HESAPAD2, "ikinci \"satır\"");
    EXPECT_EQ(must(importCsv(data(), path, ui)).added, 0); // twice adds nothing
}

TEST_F(Import, CsvFaultsAreListedByLineAndNothingIsWritten) {
    put("120", "K");
    put("120 01", "M");
    struct Case {
        std::string text;
        const char* says;
    } cases[] = {
        {"code,name,attr\n300,A,K\n300 01 01,B,M\n", "satır 3: Öncelikle 300 01 Hesap Kodu"},
        {"code,name,attr\n120 01 01,A,M\n", "satır 2: Muavin Hesap Kodu Zaten Tanımlanmıştır"},
        {"code,name,attr\n120 02,A,K\n", "satır 2: Kebir ya da Grup hesabın alt hesabı"},
        {"code,name,attr\n300,A,K\n300,B,K\n", "satır 3: 300 kodu 2. satırda da var"},
        {"code,name,attr,name2,unit,currency\n300,A,K,,,\n300 01,B,M,,,EUR\n",
         "satır 3: EUR Döviz Kodu Tanımlı Değil."},
        {"code,name,attr\n300,A\n", "satır 2: 3 alan bekleniyordu, 2 alan var"},
        {"code,name,attr\n300,A,K\n\"300 01,B,M\n", "tırnak kapanmamış"},
        {"kod,ad,nitelik\n300,A,K\n", "başlık satırı code,name,attr"},
        {"code,name,attr\n300,A,Z\n", "satır 2: Hesap Niteliği K (Kebir)"},
        {std::string("code,name,attr\n300,A\xff,K\n"), "bir UTF-8 CSV dosyası değil"},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        EXPECT_FALSE(importCsv(data(), file("bad.csv", c.text), ui)) << c.says;
        ASSERT_EQ(ui.messages.size(), 1u) << c.says;
        EXPECT_NE(ui.messages[0].text.find(c.says), std::string::npos) << ui.messages[0].text;
        EXPECT_EQ(accountCount(), 2) << c.says;
    }
}

} // namespace
} // namespace hk::accounts
