#include "accounts/report.h"

#include "core/text.h"
#include "fixture.h"

namespace hk::accounts {
namespace {

using test::must;

class Report : public test::Folder {
  protected:
    void SetUp() override {
        data::HsPlan a;
        a.HESAPKODU = "120 01 001";
        a.HESAPAD1 = "Dolar alıcı";
        a.HESAPAD2 = "İkinci";
        a.NTLK = "M";
        a.ALTBIRIM = "KG";
        a.DOVIZKODU = "USD";
        putRecord(a);
        put("120", "K", "Alıcılar");
        put("120 01", "G", "Yurt içi");
        put("600", "K", "Satışlar");
    }
    ChartReportOptions range{"120 01", "599", {5, 3, 2024}};
};

TEST_F(Report, PrintedLinesCarryTheHeadingAndOneLinePerAccount) {
    output::Document doc;
    output::DocumentSink sink(doc);
    output::PageWriter w({output::PrinterKind::Ordinary, 0, 1}, sink);
    must(writeChartReport(data(), range, w));
    ASSERT_EQ(doc.pages.size(), 1u);
    std::vector<std::string> lines;
    for (const auto& l : doc.pages[0].lines) lines.push_back(l.visibleText());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], std::string("HESAP PLANI LİSTESİ") + std::string(41, ' ') +
                            "Tarih : 05.03.2024");
    EXPECT_EQ(core::text::left(lines[3], 30), "Hesap Kodu         Hesap Adı 1");
    EXPECT_NE(lines[3].find("Ntlk Alt Birim Döviz Kodu"), std::string::npos);
    EXPECT_EQ(lines[5], "120 01             Yurt içi" + std::string(42 + 1 + 50 + 1, ' ') +
                            "G");
    EXPECT_EQ(core::text::left(lines[6], 30), "120 01 001         Dolar alıcı");
    EXPECT_NE(lines[6].find("İkinci"), std::string::npos);
    EXPECT_EQ(lines[6].substr(lines[6].size() - 18), "M    KG        USD");
}

TEST_F(Report, NpqPagesStartWithTheInitialisationAndEndWithAFormFeed) {
    output::Document doc;
    output::DocumentSink sink(doc);
    output::PageWriter w({output::PrinterKind::Npq, kRawLinesPerPage, 1}, sink);
    must(writeChartReport(data(), {"", "", {5, 3, 2024}}, w));
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_TRUE(doc.pages[0].formFeed);
    EXPECT_EQ(doc.pages[0].lines[0].parts[0].bytes, "\x1B@\x1BM\x0F");
    EXPECT_EQ(doc.pages[0].lines.size(), 5u + 4u); // header lines, accounts
}

TEST_F(Report, SpreadsheetRows) {
    const auto s = must(chartSheet(data(), range));
    ASSERT_EQ(s.rows().size(), 4u);
    EXPECT_EQ(std::get<std::string>(s.rows()[0].cells[0]),
              "HESAP PLANI LİSTESİ                  Rapor Tarihi 05.03.2024");
    EXPECT_EQ(s.rows()[1].style, output::RowStyle::Caption);
    EXPECT_EQ(std::get<std::string>(s.rows()[1].cells[3]), "NTlk");
    EXPECT_EQ(std::get<std::string>(s.rows()[3].cells[5]), "USD");
    EXPECT_EQ(std::get<std::string>(s.rows()[3].cells[0]), "120 01 001");
}

} // namespace
} // namespace hk::accounts
