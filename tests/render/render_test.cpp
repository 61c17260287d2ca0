// Report pages painted headless: PDF files checked with poppler's pdfinfo and pdftotext.
#include "ui/render/page_render.h"
#include "ui/render/pdf_writer.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sys/stat.h>

using namespace hk;
using namespace hk::ui::render;
namespace fs = std::filesystem;

namespace {

QGuiApplication& gui() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "hk_render_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

std::string run(const std::string& cmd) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p.get()))
        out.append(buf, n);
    return out;
}

int pdfPages(const fs::path& pdf) {
    std::smatch m;
    const std::string info = run("pdfinfo '" + pdf.string() + "' 2>&1");
    static const std::regex re("Pages:\\s+(\\d+)");
    return std::regex_search(info, m, re) ? std::stoi(m[1]) : -1;
}

// Width and height of the first page in points.
std::pair<double, double> pdfPageSize(const fs::path& pdf) {
    std::smatch m;
    const std::string info = run("pdfinfo '" + pdf.string() + "' 2>&1");
    static const std::regex re("Page size:\\s+([0-9.]+) x ([0-9.]+) pts");
    if (!std::regex_search(info, m, re)) return {0, 0};
    return {std::stod(m[1]), std::stod(m[2])};
}

// Text of each page (pdftotext separates pages with form feeds).
std::vector<std::string> pdfText(const fs::path& pdf) {
    const std::string all = run("pdftotext -layout -enc UTF-8 '" + pdf.string() + "' - 2>&1");
    std::vector<std::string> pages(1);
    for (char c : all) {
        if (c == '\f')
            pages.emplace_back();
        else
            pages.back() += c;
    }
    if (pages.back().empty()) pages.pop_back();
    return pages;
}

struct RenderTest : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        gui();
        dir = fs::temp_directory_path() /
              ("hk_render_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static output::Document threePages() {
        output::Document doc;
        doc.title = "Deneme";
        doc.style.fontPoints = 9;
        doc.pages = {
            {1,
             {output::Line::text("ŞİRKET ÇĞÖÜ ığşçöü"), output::Line::text("100 KASA 1.234,56")},
             true},
            {2, {output::Line::text("İKİNCİ SAYFA")}, true},
            {3,
             {output::Line::control("\x1B\x47").addText("ÜÇÜNCÜ").addControl("\x1B\x48")},
             false},
        };
        return doc;
    }
};

TEST_F(RenderTest, CourierNewResolvesToAMonospaceFontWithTheSameMetrics) {
    const QString family = resolvedFamily(QStringLiteral("Courier New"));
    EXPECT_TRUE(family == QLatin1String("Courier New") ||
                family == QLatin1String("Liberation Mono"))
        << family.toStdString();
    output::PageStyle style;
    style.fontPoints = 6;
    const QFontInfo info(reportFont(style));
    EXPECT_EQ(info.family(), family);
    EXPECT_TRUE(info.fixedPitch());
    EXPECT_DOUBLE_EQ(info.pointSizeF(), 6.0);
}

TEST_F(RenderTest, PdfHasOnePagePerReportPageAndTheTurkishText) {
    const fs::path pdf = dir / "rapor.pdf";
    auto st = writePdf(threePages(), pdf.string());
    ASSERT_TRUE(st) << st.error().text;
    EXPECT_EQ(pdfPages(pdf), 3);
    const auto [w, h] = pdfPageSize(pdf);
    EXPECT_NEAR(w, 595.3, 1.0); // A4 in points: 210 mm x 297 mm
    EXPECT_NEAR(h, 841.9, 1.0);
    const auto pages = pdfText(pdf);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NE(pages[0].find("ŞİRKET ÇĞÖÜ ığşçöü"), std::string::npos) << pages[0];
    EXPECT_NE(pages[0].find("100 KASA 1.234,56"), std::string::npos) << pages[0];
    EXPECT_NE(pages[1].find("İKİNCİ SAYFA"), std::string::npos) << pages[1];
    EXPECT_NE(pages[2].find("ÜÇÜNCÜ"), std::string::npos) << pages[2];
    // Printer control bytes are not painted.
    EXPECT_EQ(pages[2].find('\x1B'), std::string::npos);
    EXPECT_EQ(pages[2].find("ÜÇÜNCÜG"), std::string::npos);
}

TEST_F(RenderTest, LandscapeAndCustomPaper) {
    struct Case {
        double wMm, hMm;
        bool landscape;
        double wPt, hPt;
    };
    const Case cases[] = {
        {210, 297, true, 841.9, 595.3},
        {279.4, 431.8, false, 792.0, 1224.0}, // 11 x 17 inches, the text printers' paper
    };
    for (const auto& c : cases) {
        auto doc = threePages();
        doc.style.paperWidthMm = c.wMm;
        doc.style.paperHeightMm = c.hMm;
        doc.style.landscape = c.landscape;
        const fs::path pdf = dir / "kagit.pdf";
        ASSERT_TRUE(writePdf(doc, pdf.string()));
        const auto [w, h] = pdfPageSize(pdf);
        EXPECT_NEAR(w, c.wPt, 1.5) << c.wMm;
        EXPECT_NEAR(h, c.hPt, 1.5) << c.hMm;
    }
}

TEST_F(RenderTest, WideAndLongPagesShrinkInsteadOfLosingText) {
    output::Document doc;
    doc.style.fontPoints = 12;
    output::Page page{1, {}, false};
    std::string wide = "BAŞ";
    while (wide.size() < 250)
        wide += "-";
    wide += "SON";
    page.lines.push_back(output::Line::text(wide));
    for (int i = 2; i <= 120; ++i)
        page.lines.push_back(output::Line::text("satır " + std::to_string(i)));
    doc.pages.push_back(page);

    const fs::path pdf = dir / "genis.pdf";
    ASSERT_TRUE(writePdf(doc, pdf.string()));
    ASSERT_EQ(pdfPages(pdf), 1);
    const auto text = pdfText(pdf);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_NE(text[0].find("SON"), std::string::npos);
    EXPECT_NE(text[0].find("satır 120"), std::string::npos);

    // 254 characters at 12 pt would need about 1829 pt; A4 portrait has about 539 pt between
    // the margins, so the font comes down to roughly 3.5 pt.
    QImage probe(10, 10, QImage::Format_RGB32);
    probe.setDotsPerMeterX(static_cast<int>(72 / 0.0254));
    probe.setDotsPerMeterY(static_cast<int>(72 / 0.0254));
    Extent extent;
    extent.add(page);
    const QFont f = fittedFont(doc.style, &probe, QSizeF(539, 785), extent);
    EXPECT_LT(f.pointSizeF(), 3.6);
    EXPECT_GT(f.pointSizeF(), 3.0);
}

TEST_F(RenderTest, StreamedPagesFromThePageWriter) {
    const fs::path pdf = dir / "akis.pdf";
    output::PageStyle style;
    style.fontPoints = 8;
    auto sink = PdfSink::open(pdf.string(), style, "Akış");
    ASSERT_TRUE(sink);
    output::PageWriter w({output::PrinterKind::Ordinary, 10, 2}, **sink);
    w.setPageHeader([](output::PageWriter& pw) {
        return pw.write("Sayfa No: " + std::to_string(pw.pageNumber()));
    });
    for (int i = 1; i <= 40; ++i)
        ASSERT_TRUE(w.write("Kayıt " + std::to_string(i)));
    EXPECT_FALSE(fs::exists(pdf)) << "the file appears only when complete";
    ASSERT_TRUE(w.finish());
    // 40 lines at 9 per page (one header line each) make 5 pages; page 1 is not output.
    EXPECT_EQ(pdfPages(pdf), 4);
    const auto text = pdfText(pdf);
    ASSERT_EQ(text.size(), 4u);
    EXPECT_NE(text[0].find("Sayfa No: 2"), std::string::npos);
    EXPECT_NE(text[0].find("Kayıt 10"), std::string::npos);
    EXPECT_EQ(text[0].find("Kayıt 9\n"), std::string::npos);
    EXPECT_NE(text[3].find("Kayıt 37"), std::string::npos);
    EXPECT_NE(text[3].find("Kayıt 40"), std::string::npos);
}

TEST_F(RenderTest, EmptyReportAndBadPathsLeaveNoFile) {
    const fs::path pdf = dir / "bos.pdf";
    output::Document empty;
    auto st = writePdf(empty, pdf.string());
    EXPECT_FALSE(st);
    EXPECT_FALSE(fs::exists(pdf));

    for (const fs::path& bad : {dir / "yok" / "rapor.pdf", fs::path()}) {
        auto st2 = writePdf(threePages(), bad.string());
        EXPECT_FALSE(st2) << bad;
    }
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(RenderTest, OnlyAnOrdinaryFileIsReplaced) {
    const fs::path pipe = dir / "kanal.pdf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path folder = dir / "klasor.pdf";
    fs::create_directory(folder);
    for (const fs::path& target : {pipe, folder})
        EXPECT_FALSE(writePdf(threePages(), target.string())) << target;
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);

    const fs::path old = dir / "eski.pdf";
    std::ofstream(old) << "eski";
    ASSERT_TRUE(writePdf(threePages(), old.string()));
    EXPECT_EQ(pdfPages(old), 3);
}

TEST_F(RenderTest, AbandonedPdfLeavesNoFile) {
    const fs::path pdf = dir / "yarim.pdf";
    {
        auto sink = PdfSink::open(pdf.string(), {});
        ASSERT_TRUE(sink);
        ASSERT_TRUE((*sink)->page(threePages().pages[0]));
    }
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(RenderTest, PreviewImageHasPaperSizeAndInkOnlyWhereTextIs) {
    auto doc = threePages();
    const QImage img = renderPage(doc, 0, 72);
    ASSERT_FALSE(img.isNull());
    EXPECT_NEAR(img.width(), 595, 2);
    EXPECT_NEAR(img.height(), 842, 2);
    auto darkIn = [&img](int x0, int y0, int x1, int y1) {
        int dark = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (qGray(img.pixel(x, y)) < 128) ++dark;
        return dark;
    };
    // Margins (10 mm = 28 pt) stay white; the first lines carry ink.
    EXPECT_EQ(darkIn(0, 0, img.width(), 27), 0);
    EXPECT_EQ(darkIn(0, 0, 27, img.height()), 0);
    EXPECT_GT(darkIn(28, 28, 300, 60), 20);
    EXPECT_EQ(darkIn(28, 100, img.width(), img.height()), 0);
    EXPECT_TRUE(renderPage(doc, 3, 72).isNull());
}

} // namespace
