// The e-ledger exports: the XML elements and CSV fields of a voucher, the file names by month,
// numbering shared with the printed journal, and what a failed or repeated export leaves.
#include "fixture.h"
#include "journal/eledger.h"
#include "journal/report.h"
#include "output/zip_archive.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hk::journal::test {
namespace {

ExportOptions options(Company& c, int m, bool certified = false) {
    ExportOptions o;
    o.run.month = m;
    o.run.certified = certified;
    o.recorder = "Ayşe Yılmaz";
    o.branch = 1;
    o.folder = c.dir();
    return o;
}

std::vector<std::string> xmlLines(Company& c, const ExportOptions& o) {
    app::testing::FakeUi ui;
    auto r = must(YevmiyeRaporuXML(c.ds(), ui, o));
    return splitLines(readFile(r.file));
}

// Value of element `tag` on its line, e.g. "<d1>120</d1>" -> "120".
std::string value(const std::string& line) {
    const auto a = line.find('>');
    const auto b = line.rfind("</");
    return line.substr(a + 1, b - a - 1);
}

TEST(EledgerXml, OneVoucherOfTwoLinesIsThirtyEightLines) {
    Company c;
    c.voucher(D(5, 3, 2024), 12,
              {{"120 01 005", 'B', 1500, "Satış faturası"}, {"320", 'A', 1500, "A&B <test>"}});
    data::Yasal y = c.company();
    y.SONYEVMIYEAY = 2;
    y.SONYEVMIYENO = 6;
    c.setCompany(y);
    const auto l = xmlLines(c, options(c, 3));
    ASSERT_EQ(l.size(), 38u);
    const std::vector<std::string> head = {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                           "<xml>",
                                           "<Header>",
                                           "<h1>Ayşe Yılmaz</h1>",
                                           "<h2>05.03.2024</h2>",
                                           "<h3>12</h3>",
                                           "<h4>[ YEVMİYE MADDE NO:     7 ]      [ FİŞ TARİHİ : "
                                           "05.03.2024, FİŞ NO: MAHSUP    12 ]</h4>",
                                           "<h5>7</h5>",
                                           "<Detail>",
                                           "<d1>120</d1>",
                                           "<d2>ALICILAR</d2>",
                                           "<d3>Müşteri A</d3>",
                                           "<d4>120.01.005</d4>",
                                           "<d5>1500</d5>",
                                           "<d6>D</d6>",
                                           "<d7>other</d7>",
                                           "<d8>Satış faturası</d8>",
                                           "<d9>12</d9>",
                                           "<d10>05.03.2024</d10>",
                                           "<d11></d11>",
                                           "<d12>Satış faturası</d12>",
                                           "</Detail>"};
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 22), head);
    EXPECT_EQ(l[23], "<d1>320</d1>");
    EXPECT_EQ(l[26], "<d4>320</d4>");
    EXPECT_EQ(l[28], "<d6>C</d6>");
    EXPECT_EQ(l[34], "<d12>A B  test</d12>");
    EXPECT_EQ(l[36], "</Header>");
    EXPECT_EQ(l[37], "</xml>");
}

TEST(EledgerXml, LineValuesDocumentDataAndExtraDescriptionLines) {
    Company c;
    c.voucher(D(5, 1, 2024), 4,
              {{"100 01 001",
                'B',
                250.75,
                "Kasa",
                {"Ek açıklama"},
                "Fatura",
                "F-19",
                "Fatura açk",
                D(2, 1, 2024)},
               {"999", 'A', 250.75, "Yok hesap"}},
              "N", "E");
    auto o = options(c, 1);
    o.recorder = "Kayıt";
    const auto l = xmlLines(c, o);
    ASSERT_EQ(l.size(), 8u + 3 * 14 + 2);
    // First line: its own document data.
    EXPECT_EQ(l[13], "<d5>250.75</d5>");
    EXPECT_EQ(l[15], "<d7>invoice</d7>");
    EXPECT_EQ(l[16], "<d8>Fatura açk</d8>");
    EXPECT_EQ(l[17], "<d9>F-19</d9>");
    EXPECT_EQ(l[18], "<d10>02.01.2024</d10>");
    // The extra description line: a block of its own with amount 0.
    EXPECT_EQ(l[22], "<Detail>");
    EXPECT_EQ(l[23], "<d1>100</d1>");
    EXPECT_EQ(l[27], "<d5>0</d5>");
    EXPECT_EQ(l[29], "<d7>other</d7>");
    EXPECT_EQ(l[34], "<d12>Ek açıklama</d12>");
    // An account missing from the chart: names and dotted code empty.
    EXPECT_EQ(l[37], "<d1>999</d1>");
    EXPECT_EQ(l[38], "<d2></d2>");
    EXPECT_EQ(l[40], "<d4></d4>");
    EXPECT_EQ(l[41], "<d5>250.75</d5>");
    EXPECT_EQ(l[42], "<d6>C</d6>");
    EXPECT_NE(value(l[6]).find(", FİŞ NO: TEDİYE     4"), std::string::npos);
}

TEST(EledgerXml, TheVoucherRecorderWinsOverTheTypedOne) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 1}, {"600", 'A', 1}});
    auto hs = c.headers();
    auto t = must(c.ds().open<data::FisBas>());
    must(t.get("MFB:KeyFis", hs[0]));
    hs[0].KPERSONEL = "ALI<&>";
    must(t.put(hs[0]));
    EXPECT_EQ(xmlLines(c, options(c, 1))[3], "<h1>ALI</h1>");
}

TEST(EledgerXml, ABlankRecorderIsRefusedAndNothingIsWritten) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 1}, {"600", 'A', 1}});
    app::testing::FakeUi ui;
    auto o = options(c, 1, true);
    o.recorder = "  ";
    auto r = YevmiyeRaporuXML(c.ds(), ui, o);
    ASSERT_FALSE(r);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "XML doküman oluştururken Eski fişlerde kayıt eden isim hanesi "
                                   "dolu olması gereklidir.");
    EXPECT_EQ(ui.messages[0].caption, "Eksik Bilgi");
    EXPECT_FALSE(std::filesystem::exists(xmlFileName(c.dir(), c.company(), 1)));
    EXPECT_EQ(c.state().lastMonth, 0);
}

TEST(EledgerXml, FilesAreNamedByTheMonthExported) {
    Company c(D(1, 7, 2024), D(30, 6, 2025));
    c.voucher(D(5, 7, 2024), 1, {{"100 01 001", 'B', 1}, {"600", 'A', 1}});
    c.voucher(D(5, 8, 2024), 1, {{"100 01 001", 'B', 2}, {"600", 'A', 2}});
    app::testing::FakeUi ui;
    auto july = must(YevmiyeRaporuXML(c.ds(), ui, options(c, 1, true)));
    auto august = must(YevmiyeRaporuXML(c.ds(), ui, options(c, 2, true)));
    EXPECT_EQ(july.file.filename(), "Yevmiye-202407.Xml");
    EXPECT_EQ(august.file.filename(), "Yevmiye-202408.Xml");
    EXPECT_TRUE(std::filesystem::exists(july.file));
    EXPECT_TRUE(std::filesystem::exists(august.file));
    EXPECT_EQ(ui.messages.back().text, "XML Doküman hazırlandı.\n" + august.file.string());
    EXPECT_EQ(ui.messages.back().caption, "İşlem Tamamlandı");
    EXPECT_EQ(csvFileName(c.dir(), c.company(), 1, 2, "zip").filename(),
              "1234567890_0001_202408_1.zip");
    EXPECT_EQ(csvFileName(c.dir(), c.company(), 23, 8, "zip").filename(),
              "1234567890_0023_202502_1.zip");
}

TEST(EledgerXml, AnAlreadyJournalisedMonthIsExportedWithItsNumbersAndNothingChanges) {
    Company c;
    const auto a = c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 3}, {"600", 'A', 3}});
    const auto b = c.voucher(D(6, 1, 2024), 2, {{"100 01 001", 'B', 4}, {"600", 'A', 4}});
    app::testing::FakeUi ui;
    output::Document doc;
    output::DocumentSink sink(doc);
    RunOptions printed;
    printed.month = 1;
    printed.certified = true;
    must(YevmiyeRaporu(c.ds(), ui, printed, output::PrinterKind::Ordinary, sink));
    const auto stored = c.company();
    const auto l = xmlLines(c, options(c, 1, true));
    EXPECT_EQ(l.size(), 2u + 2 * (6 + 2 * 14 + 1) + 1);
    EXPECT_EQ(l[7], "<h5>1</h5>");
    EXPECT_EQ(l[7 + 35], "<h5>2</h5>");
    EXPECT_EQ(c.company(), stored);
    EXPECT_EQ(c.journalNo(a), 1);
    EXPECT_EQ(c.journalNo(b), 2);
    // A voucher added afterwards gets the next number; only its lines join the totals.
    const auto late = c.voucher(D(3, 1, 2024), 9, {{"100 01 001", 'B', 10}, {"600", 'A', 10}});
    must(YevmiyeRaporuXML(c.ds(), ui, options(c, 1, true)));
    EXPECT_EQ(c.journalNo(late), 3);
    EXPECT_DOUBLE_EQ(c.state().debit, 17);
    EXPECT_DOUBLE_EQ(c.state().lastNumber, 3);
}

TEST(EledgerXml, CertifiedExportNumbersAndAdvancesUncertifiedChangesNothing) {
    Company c;
    const auto a = c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 3}, {"600", 'A', 3}});
    c.voucher(D(6, 1, 2024), 2, {{"100 01 001", 'B', 4}, {"600", 'A', 4}}, "IPT");
    app::testing::FakeUi ui;
    const auto before = c.company();
    auto yearCount = options(c, 1, true);
    yearCount.run.pageCount = true; // reads to the year end: never stores
    must(YevmiyeRaporuCSV(c.ds(), ui, yearCount));
    EXPECT_EQ(c.company(), before);
    auto draft = must(YevmiyeRaporuXML(c.ds(), ui, options(c, 1)));
    EXPECT_EQ(draft.vouchers, 1);
    EXPECT_EQ(c.company(), before);
    EXPECT_EQ(c.journalNo(a), 0);
    auto real = must(YevmiyeRaporuXML(c.ds(), ui, options(c, 1, true)));
    EXPECT_EQ(readFile(real.file), readFile(draft.file));
    EXPECT_EQ(c.journalNo(a), 1);
    EXPECT_EQ(c.state().lastMonth, 1);
    EXPECT_DOUBLE_EQ(c.state().credit, 3);
    // The printed journal of the month then finds nothing left to number.
    output::Document doc;
    output::DocumentSink sink(doc);
    RunOptions o;
    o.month = 1;
    o.certified = true;
    auto p = must(YevmiyeRaporu(c.ds(), ui, o, output::PrinterKind::Ordinary, sink));
    EXPECT_EQ(p.entries, 0);
}

TEST(EledgerXml, AnEmptyMonthAdvancesTheStateSoLaterMonthsCanRun) {
    Company c;
    c.voucher(D(5, 3, 2024), 1, {{"100 01 001", 'B', 3}, {"600", 'A', 3}});
    app::testing::FakeUi ui;
    must(YevmiyeRaporuXML(c.ds(), ui, options(c, 1, true)));
    EXPECT_EQ(c.state().lastMonth, 1);
    must(YevmiyeRaporuCSV(c.ds(), ui, options(c, 2, true)));
    EXPECT_EQ(c.state().lastMonth, 2);
    EXPECT_DOUBLE_EQ(c.state().lastNumber, 0);
    auto mar = must(YevmiyeRaporuXML(c.ds(), ui, options(c, 3, true)));
    EXPECT_EQ(mar.numbered, 1);
}

// Runs `run` in a child process whose files may not grow past 8 KiB, as on a full disk; the
// data set is opened before the limit, as a running program has it open.
template <typename F> int onFullDisk(Company& c, F run) {
    c.close();
    pid_t pid = ::fork();
    if (pid == 0) {
        c.reopen();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8 * 1024, 8 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(run());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    c.reopen();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EledgerFailure, AFullDiskLeavesNoFileAndNoStoredNumbers) {
    for (bool csv : {false, true}) {
        Company c;
        for (int i = 1; i <= 40; ++i)
            c.voucher(D(1 + i % 28, 1, 2024), i,
                      {{"120 01 005", 'B', 10.0 * i, "Satış faturası numara " + std::to_string(i)},
                       {"600", 'A', 10.0 * i, "Yurt içi satış"}});
        const auto before = c.company();
        const int rc = onFullDisk(c, [&] {
            app::testing::FakeUi ui;
            auto o = options(c, 1, true);
            auto r = csv ? YevmiyeRaporuCSV(c.ds(), ui, o) : YevmiyeRaporuXML(c.ds(), ui, o);
            if (r || ui.messages.size() != 1) return 1;
            const auto& m = ui.messages[0];
            const std::string who = csv ? "eFinans" : "Idea";
            if (m.caption != "Dosya Yazma Hatası") return 2;
            if (m.text.rfind(who + " dosyasına yazarken ", 0) != 0) return 3;
            if (m.text.find(". satırda hata oluştu. Lütfen tekrar deneyiniz.\nHata (") ==
                std::string::npos)
                return 4;
            return 0;
        });
        EXPECT_EQ(rc, 0) << (csv ? "csv" : "xml");
        for (const auto& e : std::filesystem::directory_iterator(c.dir())) {
            const auto n = e.path().filename().string();
            EXPECT_TRUE(n.rfind("Hesapkar", 0) == 0) << n;
        }
        EXPECT_EQ(c.company(), before);
        for (const auto& h : c.headers())
            EXPECT_EQ(h.YEVMIYENO, 0);
    }
}

std::vector<std::string> csvLines(Company& c, const ExportOptions& o, app::testing::FakeUi& ui) {
    auto r = must(YevmiyeRaporuCSV(c.ds(), ui, o));
    auto zip = must(output::ZipReader::openFile(r.file.string()));
    EXPECT_EQ(zip.entries().size(), 1u);
    auto bytes = must(zip.read(0));
    return splitLines(bytes);
}
std::vector<std::string> csvLines(Company& c, const ExportOptions& o) {
    app::testing::FakeUi ui;
    return csvLines(c, o, ui);
}

TEST(EledgerCsv, OneVoucherOfTwoLinesIsAHeaderAndTwoLines) {
    Company c;
    c.voucher(D(5, 3, 2024), 12,
              {{"120 01 005", 'B', 250.75, "Satış; peşin"}, {"320", 'A', 250.75, "Karşılık"}}, "N",
              "A");
    data::Yasal y = c.company();
    y.SONYEVMIYEAY = 2;
    y.SONYEVMIYENO = 6;
    c.setCompany(y);
    app::testing::FakeUi ui;
    const auto l = csvLines(c, options(c, 3), ui);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], ";;20240301;20240331;TR;TRY;20240101;20241231;1234567890");
    const auto a = fields(l[1]);
    const auto b = fields(l[2]);
    ASSERT_EQ(a.size(), 21u);
    ASSERT_EQ(b.size(), 21u);
    EXPECT_EQ(std::vector<std::string>(a.begin(), a.begin() + 7),
              std::vector<std::string>(b.begin(), b.begin() + 7));
    const std::vector<std::string> first = {
        "7",
        "Ayşe Yılmaz",
        "20240305",
        "12",
        "[YEVMİYE MADDE NO: 7] [FİŞ TARİHİ: 05.03.2024, FİŞ NO: TAHSİL 12]",
        "250.75",
        "250.75",
        "120",
        "ALICILAR",
        "Müşteri A Ltd.",
        "120 01 005",
        "250.75",
        "D",
        "20240305",
        "12",
        "Satış, peşin",
        "",
        "",
        "",
        "        ",
        ""};
    EXPECT_EQ(a, first);
    EXPECT_EQ(b[7], "320");
    EXPECT_EQ(b[10], "320");
    EXPECT_EQ(b[11], "250.75");
    EXPECT_EQ(b[12], "C");
    const std::string zip = c.dir() / "1234567890_0001_202403_1.zip";
    EXPECT_EQ(ui.messages.back().text, "ZIP dosyası hazırlandı.\n" + zip);
    // Only the archive remains.
    EXPECT_FALSE(std::filesystem::exists(c.dir() / "1234567890_0001_202403_1.Csv"));
    EXPECT_FALSE(std::filesystem::exists(c.dir() / "1234567890_0001_202403_1.Tmp"));
}

TEST(EledgerCsv, DocumentDataComeFromTheFirstLineAndDefaultsOnlyWhenAsked) {
    Company c;
    c.voucher(D(5, 1, 2024), 4,
              {{"100 01 001", 'B', 20, "Peşin satış tahsilatı yapıldı"},
               {"600", 'A', 20, "Satış", {}, "Fatura", "F-1", "Fatura 1", D(4, 1, 2024)}});
    auto off = csvLines(c, options(c, 1));
    auto withDefaults = options(c, 1);
    withDefaults.fillDefaults = true;
    auto on = csvLines(c, withDefaults);
    ASSERT_EQ(off.size(), 3u);
    ASSERT_EQ(on.size(), 3u);
    for (int i : {1, 2}) {
        const auto f = fields(off[i]);
        EXPECT_EQ(std::vector<std::string>(f.begin() + 16, f.end()),
                  (std::vector<std::string>{"", "", "", "        ", ""}));
        const auto g = fields(on[i]);
        EXPECT_EQ(std::vector<std::string>(g.begin() + 16, g.end()),
                  (std::vector<std::string>{"other", "Peşin satış tahsilatı yapıldı", "4",
                                            "20240105", ""}));
    }
    // The voucher lines on file keep their blanks.
    auto t = must(c.ds().open<data::FisDet>());
    must(t.set("MFD:KeyFisSiraNo"));
    auto first = must(t.next());
    EXPECT_EQ(core::text::clip(first.BELGETIPI), "");
}

TEST(EledgerCsv, ABlankRecorderIsRefused) {
    Company c;
    c.voucher(D(5, 1, 2024), 1, {{"100 01 001", 'B', 1}, {"600", 'A', 1}});
    app::testing::FakeUi ui;
    auto o = options(c, 1, true);
    o.recorder = "";
    ASSERT_FALSE(YevmiyeRaporuCSV(c.ds(), ui, o));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Edefter Kayıt Eden Kişi adı Girilmelidir.");
    EXPECT_EQ(ui.messages[0].caption, "Uyarı Ekranı");
    EXPECT_EQ(c.headers()[0].YEVMIYENO, 0);
    for (const auto& e : std::filesystem::directory_iterator(c.dir()))
        EXPECT_TRUE(e.path().filename().string().rfind("Hesapkar", 0) == 0);
}

TEST(EledgerText, SanitisingAndCsvFields) {
    EXPECT_EQ(sanitise("A&B <test>   "), "A B  test");
    EXPECT_EQ(core::text::length(sanitise(std::string(600, 'x'))), 500u);
    EXPECT_EQ(csvField("a;b;c  "), "a,b,c");
}

} // namespace
} // namespace hk::journal::test
