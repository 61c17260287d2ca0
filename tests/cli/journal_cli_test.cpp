// The journal commands of hesapkar-cli on a prepared data folder: state, print, xml, csv and
// check, with the refusals that must leave the data as they were.
#include "data/database.h"
#include "data/records.h"

#include "support/cli.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace hk::data;

namespace {

using hk::test::CliRun;

class JournalCli : public hk::test::CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        ASSERT_EQ(cli({"init", dir()}).code, 0);
        auto db = Database::open(fs::path(dir()) / "Hesapkar.db");
        ASSERT_TRUE(db.ok());
        auto yt = db->table(fileDef(Layout::Yasal), false);
        ASSERT_TRUE(yt.ok()) << yt.error().describe();
        auto y = TypedTable<Yasal>(std::move(*yt));
        ASSERT_TRUE(y.setPhysical().ok());
        auto company = y.next();
        ASSERT_TRUE(company.ok());
        year_ = company->MALIDONEMBAS.year;
        company->VERGIDAIRESINO = "9876543210";
        ASSERT_TRUE(y.put(*company).ok());
        auto h = TypedTable<FisBas>(std::move(db->table(fileDef(Layout::FisBas)).value()));
        auto l = TypedTable<FisDet>(std::move(db->table(fileDef(Layout::FisDet)).value()));
        FisBas b;
        b.KEYSTR = "0100000001";
        b.FISTRH = hk::core::Date{10, 1, static_cast<std::uint16_t>(year_)};
        b.FISNO = 1;
        b.FISTUR = "M";
        b.FISNTLK = "N";
        b.BTOPLAM = b.ATOPLAM = 125.5;
        ASSERT_TRUE(h.add(b).ok());
        int k = 0;
        for (auto [code, side] : {std::pair{"100", "B"}, std::pair{"600", "A"}}) {
            FisDet d;
            d.KEYSTR = b.KEYSTR;
            d.FISSIRANO = static_cast<std::int16_t>(++k);
            d.ACKNO = k * 100;
            d.HESAPKODU = code;
            d.BORCALACAK = side;
            (std::string(side) == "B" ? d.TLBORC : d.TLALACAK) = 125.5;
            d.FISTRH = b.FISTRH;
            d.FISNO = 1;
            d.FISACK = "Peşin satış";
            ASSERT_TRUE(l.add(d).ok());
        }
    }

    std::string yyyymm() const { return std::to_string(year_) + "01"; }

    int year_ = 0;
};

TEST_F(JournalCli, StatePrintAndExportsOfTheFirstMonth) {
    auto st = cli({"journal", "state", dir()});
    ASSERT_EQ(st.code, 0) << st.err;
    EXPECT_NE(st.out.find("Yevmiye Çekilecek Dönem: 1\n"), std::string::npos) << st.out;

    auto xml = cli({"journal", "xml", dir(), "--month", "1", "--recorder", "Ayşe"});
    ASSERT_EQ(xml.code, 0) << xml.err;
    const fs::path xmlFile = fs::path(dir()) / ("Yevmiye-" + yyyymm() + ".Xml");
    EXPECT_EQ(xml.out, xmlFile.string() + "\n");
    EXPECT_NE(hk::test::readFile(xmlFile).find("<h5>1</h5>"), std::string::npos);

    auto csv = cli({"journal", "csv", dir(), "--month", "1", "--recorder", "Ayşe", "--branch", "3",
                    "--out-dir", root_.string()});
    ASSERT_EQ(csv.code, 0) << csv.err;
    EXPECT_EQ(csv.out, (root_ / ("9876543210_0003_" + yyyymm() + "_1.zip")).string() + "\n");

    const fs::path raw = root_ / "journal.prn";
    auto pr = cli({"journal", "print", dir(), "--month", "1", "--certified", "--raw", raw.string(),
                   "--kind", "NPQ"});
    ASSERT_EQ(pr.code, 0) << pr.err;
    const std::string bytes = hk::test::readFile(raw);
    EXPECT_EQ(bytes.rfind("\x1B@\x1B"
                          "CB\x1BP\x0F\x1BG\r\n",
                          0),
              0u);
    EXPECT_NE(bytes.find("MADDE NO:     1 ]"), std::string::npos);

    auto after = cli({"journal", "state", dir()});
    EXPECT_NE(after.out.find("Yevmiyesi Çekilen Son Dönem:  1\n"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("Devreden Borç Tutarı:             125.50\n"), std::string::npos)
        << after.out;

    auto txt = cli({"journal", "print", dir(), "--month", "1", "--reprint", "--txt",
                    (root_ / "j.txt").string()});
    ASSERT_EQ(txt.code, 0) << txt.err;
    EXPECT_NE(hk::test::readFile(root_ / "j.txt").find("MADDE NO:     1 ]"), std::string::npos);

    // The PDF route draws through the program's renderer; pdftotext reads it back on its own.
    const fs::path pdf = root_ / "j.pdf";
    auto pd = cli({"journal", "print", dir(), "--month", "1", "--reprint", "--pdf", pdf.string()});
    ASSERT_EQ(pd.code, 0) << pd.err;
    ASSERT_EQ(std::system(("pdftotext " + hk::test::shellQuote(pdf.string()) + " " +
                           hk::test::shellQuote((root_ / "j.pdf.txt").string()))
                              .c_str()),
              0);
    EXPECT_NE(hk::test::readFile(root_ / "j.pdf.txt").find("MADDE NO:"), std::string::npos);

    auto check = cli({"journal", "check", dir()});
    ASSERT_EQ(check.code, 0) << check.err;
    EXPECT_EQ(check.out, "HATA LİSTESİ;\n");
}

TEST_F(JournalCli, RefusedRunsExitNonZeroAndWriteNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"journal", "xml", dir(), "--month", "1"}, "Eski fişlerde kayıt eden isim"},
        {{"journal", "csv", dir(), "--month", "1", "--branch", "1"},
         "Edefter Kayıt Eden Kişi adı Girilmelidir."},
        {{"journal", "csv", dir(), "--month", "1", "--recorder", "A"}, "--branch"},
        {{"journal", "xml", dir(), "--month", "2", "--recorder", "A"},
         "Yevmiye çekilecek dönem 1 olmalıdır"},
        {{"journal", "print", dir(), "--month", "1", "--end-date", "05.02." + std::to_string(year_),
          "--txt", (root_ / "x.txt").string()},
         "Farklı Dönem Tarihi Girdiniz.!"},
        {{"journal", "print", dir(), "--month", "1", "--raw", (root_ / "x.prn").string()},
         "--kind"},
        {{"journal", "print", dir(), "--month", "1", "--opening", "X", "--txt",
          (root_ / "x.txt").string()},
         "--opening"},
    };
    for (const auto& c : cases) {
        auto r = cli(c.args);
        EXPECT_NE(r.code, 0) << c.args[1];
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(root_ / "x.txt"));
    EXPECT_FALSE(fs::exists(root_ / "x.prn"));
    EXPECT_FALSE(fs::exists(fs::path(dir()) / ("Yevmiye-" + yyyymm() + ".Xml")));
    auto st = cli({"journal", "state", dir()});
    EXPECT_NE(st.out.find("Yevmiyesi Çekilen Son Dönem:  0\n"), std::string::npos) << st.out;
}

} // namespace
