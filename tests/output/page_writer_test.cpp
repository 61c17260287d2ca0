// The page writer: paging, page headers, first page actually output, emphasis, refusals.
#include "output/page.h"
#include "output/raw.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

using namespace hk::output;
using hk::core::Error;
using hk::core::Status;

namespace {

// Visible text of every line of every page, "|" between lines, "#" between pages.
std::string layout(const Document& doc) {
    std::string out;
    for (const auto& p : doc.pages) {
        if (!out.empty()) out += "#";
        for (std::size_t i = 0; i < p.lines.size(); ++i) {
            if (i) out += "|";
            out += p.lines[i].visibleText();
        }
    }
    return out;
}

std::string rawStream(const Document& doc) {
    std::string out;
    for (const auto& p : doc.pages)
        out += rawBytes(p);
    return out;
}

struct Fixture : ::testing::Test {
    Document doc;
    DocumentSink sink{doc};

    static PageWriter::Header numberedHeader() {
        return [](PageWriter& w) { return w.write("Sayfa " + std::to_string(w.pageNumber())); };
    }
};

using PageWriterTest = Fixture;

TEST_F(PageWriterTest, BreaksPagesByLineCountWithHeaderOnEveryPage) {
    PageWriter w({PrinterKind::Ordinary, 3, 1}, sink);
    w.setPageHeader(numberedHeader());
    for (const char* s : {"a", "b", "c", "d", "e"})
        ASSERT_TRUE(w.write(s));
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(layout(doc), "Sayfa 1|a|b#Sayfa 2|c|d#Sayfa 3|e");
    ASSERT_EQ(doc.pages.size(), 3u);
    EXPECT_EQ(doc.pages[0].number, 1);
    EXPECT_EQ(doc.pages[2].number, 3);
    EXPECT_TRUE(doc.pages[0].formFeed);
    EXPECT_TRUE(doc.pages[1].formFeed);
    EXPECT_FALSE(doc.pages[2].formFeed) << "the last page is handed over without a page break";
}

TEST_F(PageWriterTest, CountsLinesAndPagesForTheReport) {
    PageWriter w({PrinterKind::Ordinary, 4, 1}, sink);
    EXPECT_TRUE(w.atPageStart());
    ASSERT_TRUE(w.write("a"));
    ASSERT_TRUE(w.write("b"));
    EXPECT_EQ(w.linesOnPage(), 2);
    EXPECT_EQ(w.pageNumber(), 1);
    ASSERT_TRUE(w.write("c"));
    ASSERT_TRUE(w.write("d")); // fills the page: the break comes at once
    EXPECT_EQ(w.pageNumber(), 2);
    EXPECT_TRUE(w.atPageStart());
    EXPECT_EQ(w.pagesOutput(), 1);
}

TEST_F(PageWriterTest, PagesBeforeTheFirstPageAreCountedNotOutput) {
    PageWriter w({PrinterKind::Ordinary, 3, 3}, sink);
    w.setPageHeader(numberedHeader());
    int headerCalls = 0;
    w.setPageHeader([&headerCalls](PageWriter& pw) {
        ++headerCalls;
        return pw.write("Sayfa " + std::to_string(pw.pageNumber()));
    });
    for (int i = 1; i <= 7; ++i)
        ASSERT_TRUE(w.write("satır " + std::to_string(i)));
    ASSERT_TRUE(w.finish());
    // Pages 1 and 2 hold lines 1-4; the header still ran for them so that running totals in
    // the report move exactly as in a full printout.
    EXPECT_EQ(headerCalls, 4);
    EXPECT_EQ(layout(doc), "Sayfa 3|satır 5|satır 6#Sayfa 4|satır 7");
    EXPECT_EQ(w.pagesOutput(), 2);
    EXPECT_EQ(doc.pages.front().number, 3);
}

TEST_F(PageWriterTest, FirstPageBeyondTheEndOutputsNothing) {
    PageWriter w({PrinterKind::Ordinary, 3, 9}, sink);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(w.write("x"));
    ASSERT_TRUE(w.finish());
    EXPECT_TRUE(doc.pages.empty());
}

TEST_F(PageWriterTest, NoLinesMeansNoHeaderAndNoPage) {
    PageWriter w({PrinterKind::Npq, 10, 1}, sink);
    bool called = false;
    w.setPageHeader([&called](PageWriter&) {
        called = true;
        return Status{};
    });
    ASSERT_TRUE(w.endPage());
    ASSERT_TRUE(w.finish());
    EXPECT_FALSE(called);
    EXPECT_TRUE(doc.pages.empty());
}

TEST_F(PageWriterTest, ForcedPageEndAndRepeatedEndGiveOneBreak) {
    PageWriter w({PrinterKind::Npq, 0, 1}, sink); // no automatic breaks
    ASSERT_TRUE(w.write("bir"));
    ASSERT_TRUE(w.endPage());
    ASSERT_TRUE(w.endPage()); // empty page: nothing to eject
    ASSERT_TRUE(w.write("iki"));
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(rawStream(doc), "bir\r\n\x0C"
                              "iki\r\n");
}

TEST_F(PageWriterTest, HeaderLongerThanThePageStillEnds) {
    PageWriter w({PrinterKind::Ordinary, 2, 1}, sink);
    w.setPageHeader([](PageWriter& pw) {
        for (const char* s : {"h1", "h2", "h3"})
            if (auto st = pw.write(s); !st) return st;
        return Status{};
    });
    ASSERT_TRUE(w.write("a"));
    ASSERT_TRUE(w.write("b"));
    ASSERT_TRUE(w.finish());
    // The header runs once per page start that a body line meets; lines flow on.
    EXPECT_EQ(layout(doc), "h1|h2#h3|a#h1|h2#h3|b");
}

TEST_F(PageWriterTest, HeaderErrorStopsTheLine) {
    PageWriter w({PrinterKind::Ordinary, 5, 1}, sink);
    w.setPageHeader([](PageWriter&) -> Status { return Error::of(7, "başlık yazılamadı"); });
    Status st = w.write("gövde");
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().text, "başlık yazılamadı");
    EXPECT_TRUE(w.atPageStart());
}

// Emphasis wraps the line without its trailing blanks in the kind's codes.
TEST(PageWriterEmphasis, BytesPerPrinterKind) {
    struct Case {
        PrinterKind kind;
        std::string expected;
    };
    const Case cases[] = {
        {PrinterKind::Npq, "\x1B\x47"
                           "TOPLAM\x1B\x48\r\n"},
        {PrinterKind::Lpq, "\x89TOPLAM\x8A\r\n"},
        {PrinterKind::Ordinary, "TOPLAM\r\n"},
    };
    for (const auto& c : cases) {
        Document doc;
        DocumentSink sink(doc);
        PageWriter w({c.kind, 0, 1}, sink);
        ASSERT_TRUE(w.writeEmphasised("TOPLAM    "));
        ASSERT_TRUE(w.finish());
        EXPECT_EQ(rawStream(doc), c.expected) << static_cast<int>(c.kind);
        EXPECT_EQ(doc.pages[0].lines[0].visibleText(), "TOPLAM");
    }
}

TEST(PageWriterRefusals, BadLinesAreRefusedAndNotCounted) {
    const std::string tooLong(256, 'x');
    const std::string badUtf8 = "ab\xC3";
    const std::string cases[] = {tooLong,
                                 "a\nb",
                                 "a\rb",
                                 "\x0C",
                                 "a\tb",
                                 "\x1BG",
                                 badUtf8,
                                 "a\xC2\x85"
                                 "b"};
    for (const auto& text : cases) {
        Document doc;
        DocumentSink sink(doc);
        PageWriter w({PrinterKind::Npq, 10, 1}, sink);
        Status st = w.write(text);
        EXPECT_FALSE(st) << text;
        if (!st) {
            EXPECT_FALSE(st.error().text.empty());
        }
        EXPECT_EQ(w.linesOnPage(), 0) << text;
        ASSERT_TRUE(w.finish());
        EXPECT_TRUE(doc.pages.empty());
    }
}

TEST(PageWriterRefusals, LengthCountsCharactersNotBytesOrControlParts) {
    Document doc;
    DocumentSink sink(doc);
    PageWriter w({PrinterKind::Npq, 0, 1}, sink);
    std::string turkish;
    for (int i = 0; i < 255; ++i)
        turkish += "ş"; // 510 bytes, 255 characters
    EXPECT_TRUE(w.write(turkish));
    EXPECT_FALSE(w.write(turkish + "ı"));
    // Emphasis codes do not take room on the line.
    EXPECT_TRUE(w.writeEmphasised(std::string(255, 'A')));
    EXPECT_TRUE(w.writeControl(std::string(300, '\x1B')));
    EXPECT_EQ(w.linesOnPage(), 3);
}

TEST(PageWriterRefusals, WhichFaultIsNamedAndWhere) {
    // Parts of a line (control parts marked), and the start of the refusal's text ("" = accepted).
    struct Case {
        std::vector<std::pair<bool, std::string>> parts;
        std::string refusal;
    };
    const std::string control = "Yazdırılacak satırda kontrol karakteri var";
    const std::string utf8 = "Yazdırılacak satır geçerli bir UTF-8 metni değil.";
    const Case cases[] = {
        {{{false, "ışık ÇĞÜ 120 01"}}, ""},
        {{{false, "a\x01" "b"}}, control + " (konum 1)."},
        {{{false, "a\x7F"}}, control + " (konum 1)."},
        {{{false, "\xC2\x9F"}}, control + " (konum 1)."},
        {{{false, "\xC2\xA0ş"}}, ""}, // U+00A0 is no control
        // A part that is not UTF-8 is named so, even past a control character.
        {{{false, "a\x01" "b\xC3"}}, utf8},
        {{{false, "\xC0\x81"}}, utf8}, // an over-long control character
        // The position is where the part starts, in characters; control parts take none.
        {{{false, "şöy"}, {true, "\x1B\x47"}, {false, "x\ty"}}, control + " (konum 4)."},
        {{{false, "a\x01"}, {false, "\xC3"}}, control + " (konum 1)."},
        {{{false, std::string(200, 'x')}, {true, "\x1B"}, {false, std::string(56, 'y')}},
         "Yazdırılacak satır 255 karakterden uzun (256 karakter)."},
        // Long runs of plain ASCII are taken eight bytes at a time: a fault anywhere in such a
        // run, at either end of a block or just past the last whole one, is still found.
        {{{false, "0123456789abcdef0123"}}, ""},
        {{{false, "0123456\x01" "89abcdef"}}, control + " (konum 1)."},
        {{{false, "01234567\x1F" "9abcdef"}}, control + " (konum 1)."},
        {{{false, "0123456789abcde\x7F"}}, control + " (konum 1)."},
        {{{false, "0123456789abcdef\x0A"}}, control + " (konum 1)."},
        {{{false, "0123456789\xC2\x85" "bcdef"}}, control + " (konum 1)."},
        {{{false, "0123456789abcd\xFF"}}, utf8},
        {{{false, " !~~~~~~~ !~~~~~~~"}}, ""}, // the printable ends: blank and tilde
        {{{false, std::string(250, 'x') + "şşşşş"}}, ""},
        {{{false, std::string(250, 'x') + "şşşşşş"}},
         "Yazdırılacak satır 255 karakterden uzun (256 karakter)."},
        {{{false, "şşş" + std::string(252, 'x')}, {false, "0123456\x01"}},
         control + " (konum 256)."},
    };
    for (const auto& c : cases) {
        Line l;
        for (const auto& [isControl, bytes] : c.parts)
            isControl ? l.addControl(bytes) : l.addText(bytes);
        const Status st = checkLine(l);
        SCOPED_TRACE(l.visibleText());
        if (c.refusal.empty()) {
            EXPECT_TRUE(st);
        } else {
            ASSERT_FALSE(st);
            EXPECT_EQ(st.error().text, c.refusal);
        }
    }
}

TEST(PagePaper, A4AndTextPrinterPaper) {
    const PageStyle a4 = a4Paper(true, 6);
    EXPECT_DOUBLE_EQ(a4.paperWidthMm, 210.0);
    EXPECT_DOUBLE_EQ(a4.paperHeightMm, 297.0);
    EXPECT_TRUE(a4.landscape);
    EXPECT_DOUBLE_EQ(a4.fontPoints, 6.0);
    // 10.25 x 17 inches and 10.25 x 28.74 inches.
    const PageStyle narrow = textPrinterPaper(135);
    EXPECT_NEAR(narrow.paperWidthMm, 260.35, 1e-9);
    EXPECT_NEAR(narrow.paperHeightMm, 431.8, 1e-9);
    EXPECT_NEAR(textPrinterPaper(136).paperHeightMm, 729.996, 1e-9);
    EXPECT_FALSE(narrow.landscape);
}

struct FailingSink final : PageSink {
    int pages = 0;
    Status page(const Page&) override {
        ++pages;
        return Error::of(28, "disk dolu");
    }
    Status finish() override { return {}; }
};

TEST(PageWriterSink, SinkFailureStopsTheReport) {
    FailingSink sink;
    PageWriter w({PrinterKind::Ordinary, 1, 1}, sink);
    Status st = w.write("a");
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, 28);
    EXPECT_FALSE(w.write("b"));
    EXPECT_FALSE(w.finish());
    EXPECT_EQ(sink.pages, 1);
}

TEST(PageWriterSink, NoLinesAfterFinish) {
    Document doc;
    DocumentSink sink(doc);
    PageWriter w({PrinterKind::Ordinary, 5, 1}, sink);
    ASSERT_TRUE(w.write("a"));
    ASSERT_TRUE(w.finish());
    EXPECT_FALSE(w.write("b"));
    EXPECT_EQ(layout(doc), "a");
}

// A journal-like run on a dot-matrix printer, every byte written out by hand: initialisation
// and company line in the page header, an emphasised heading, plain lines, a page break by count
// and a last line that carries its own page end without CR LF.
TEST(PageWriterGolden, DotMatrixJournalPages) {
    Document doc;
    DocumentSink sink(doc);
    PageWriter w({PrinterKind::Npq, 4, 1}, sink);
    w.setPageHeader([](PageWriter& pw) {
        using C = ControlCode;
        if (auto st = pw.writeControl(
                controlBytes(PrinterKind::Npq,
                             {C::Reset, C::PageLength66, C::Pica10, C::Condensed, C::EmphasisOn}));
            !st)
            return st;
        return pw.write(Line::text("ŞİRKET A.Ş.").addControl("\x1B\x48"));
    });
    ASSERT_TRUE(w.writeEmphasised("100 KASA"));
    ASSERT_TRUE(w.write("  Çığ"));
    ASSERT_TRUE(w.write("ÖĞÜ"));
    Line last = w.emphasised("SON");
    last.newline = false;
    ASSERT_TRUE(w.write(last));
    ASSERT_TRUE(w.endPage());
    ASSERT_TRUE(w.finish());

    const std::string init = "\x1B\x40\x1B\x43\x42\x1B\x50\x0F\x1B\x47\r\n";
    // "ŞİRKET A.Ş." in the DOS Turkish code page: Ş=9E, İ=98.
    const std::string company = "\x9E\x98RKET A.\x9E.\x1B\x48\r\n";
    const std::string expected = init + company +
                                 "\x1B\x47"
                                 "100 KASA\x1B\x48\r\n" +
                                 "  \x80\x8D\xA7\r\n" + "\x0C" + init + company +
                                 "\x99\xA6\x9A\r\n" + "\x1B\x47SON\x1B\x48" + "\x0C";
    EXPECT_EQ(rawStream(doc), expected);
    ASSERT_EQ(doc.pages.size(), 2u);
}

} // namespace

namespace {

// A sink that takes lines one by one and logs what it is handed, in order.
struct LineLog final : PageSink {
    std::vector<std::string> events;
    int lines = 0;
    bool streamsLines() const override { return true; }
    Status beginPage(int number) override {
        events.push_back("begin " + std::to_string(number));
        return {};
    }
    Status line(const Line& l) override {
        ++lines;
        events.push_back(l.visibleText());
        return {};
    }
    Status endPage(bool formFeed) override {
        events.push_back(formFeed ? "end FF" : "end");
        return {};
    }
    Status page(const Page&) override { return Error::of(1, "whole page handed to a line sink"); }
    Status finish() override { return {}; }
};

} // namespace

// A streaming sink gets every line the moment it is written, so a page without breaks never
// piles up in the writer; the counters the reports read still follow the page.
TEST(PageWriterStreaming, LinesReachTheSinkAsTheyAreWritten) {
    LineLog sink;
    PageWriter w({PrinterKind::Npq, 0, 1}, sink);
    for (int i = 1; i <= 10000; ++i) {
        ASSERT_TRUE(w.write("satır " + std::to_string(i)));
        ASSERT_EQ(sink.lines, i);
        ASSERT_EQ(w.linesOnPage(), i);
    }
    EXPECT_FALSE(w.atPageStart());
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(sink.events.front(), "begin 1");
    EXPECT_EQ(sink.events.back(), "end");
}

TEST(PageWriterStreaming, PagesHeadersAndFirstPageAsWithWholePages) {
    auto run = [](PageSink& sink) {
        PageWriter w({PrinterKind::Ordinary, 3, 2}, sink);
        w.setPageHeader([](PageWriter& pw) { return pw.write("S" + std::to_string(pw.pageNumber())); });
        for (const char* s : {"a", "b", "c", "d", "e", "f"})
            EXPECT_TRUE(w.write(s));
        EXPECT_TRUE(w.endPage());
        EXPECT_TRUE(w.endPage());
        EXPECT_TRUE(w.finish());
        return w.pagesOutput();
    };
    LineLog lines;
    EXPECT_EQ(run(lines), 2);
    // Page 1 (S1 a b) is counted, not output; page 3 ends by the explicit break.
    const std::vector<std::string> want = {"begin 2", "S2", "c", "d", "end FF",
                                           "begin 3", "S3", "e", "f", "end FF"};
    EXPECT_EQ(lines.events, want);
}

// A header of several lines, written while the line that brought it waits, reaches a streaming
// sink before that line and each header line as written; a refused line leaves the next one
// intact; lines of other lengths follow one another without traces of the longer ones.
TEST(PageWriterStreaming, HeaderLinesAndTheLineThatBringsThemStayApart) {
    LineLog sink;
    PageWriter w({PrinterKind::Npq, 5, 1}, sink);
    w.setPageHeader([](PageWriter& pw) -> Status {
        if (auto st = pw.writeControl("\x1B@"); !st) return st;
        if (auto st = pw.write("Başlık sayfa " + std::to_string(pw.pageNumber())); !st) return st;
        return pw.write("Sütunlar");
    });
    ASSERT_TRUE(w.write("uzun bir ilk satır ışık"));
    ASSERT_TRUE(w.write("b"));
    ASSERT_FALSE(w.write("kontrol \x01 karakteri"));
    ASSERT_TRUE(w.write("c"));
    ASSERT_TRUE(w.write("dddd"));
    ASSERT_TRUE(w.write(""));
    ASSERT_TRUE(w.finish());
    const std::vector<std::string> want = {
        "begin 1", "", "Başlık sayfa 1", "Sütunlar", "uzun bir ilk satır ışık", "b", "end FF",
        "begin 2", "", "Başlık sayfa 2", "Sütunlar", "c",                        "dddd", "end FF",
        "begin 3", "", "Başlık sayfa 3", "Sütunlar", "",                         "end"};
    EXPECT_EQ(sink.events, want);
}

TEST(PageWriterStreaming, RawFileTakesEveryCharacterAsTheDosCodePageConversionDoes) {
    // Characters the DOS code page lacks, malformed bytes and plain ASCII at either end of a part.
    const std::vector<std::string> texts = {"abc", "ş", "ışık ÇĞÜ", "€ 100", "Ж", "x\xC3", "\xFFy",
                                            "ab\xE2\x82", "İ€İ", "Ää ñ ß", ""};
    const auto out = std::filesystem::temp_directory_path() /
                     ("hk_raw_cp857_" + std::to_string(::getpid()) + ".prn");
    std::string want;
    {
        auto target = openRawFile(out);
        ASSERT_TRUE(target);
        RawSink raw(std::move(*target));
        ASSERT_TRUE(raw.beginPage(1));
        for (const auto& t : texts) {
            Line l = Line::text(t);
            l.addControl("\x1B\x45").addText(t + "!");
            ASSERT_TRUE(raw.line(l));
            want += hk::core::text::toCp857Lossy(t) + "\x1B\x45" +
                    hk::core::text::toCp857Lossy(t + "!") + "\r\n";
        }
        ASSERT_TRUE(raw.endPage(false));
        ASSERT_TRUE(raw.finish());
    }
    std::ifstream in(out, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got, want);
    std::filesystem::remove(out);
}

TEST(PageWriterStreaming, RawFileBytesEqualTheWholePageBytes) {
    const auto out = std::filesystem::temp_directory_path() /
                     ("hk_stream_raw_" + std::to_string(::getpid()) + ".prn");
    std::filesystem::remove(out);
    Document doc;
    DocumentSink pages(doc);
    auto target = openRawFile(out);
    ASSERT_TRUE(target);
    RawSink raw(std::move(*target));
    for (PageSink* sink : std::initializer_list<PageSink*>{&pages, &raw}) {
        PageWriter w({PrinterKind::Npq, 7, 1}, *sink);
        w.setPageHeader([](PageWriter& pw) { return pw.writeEmphasised("ŞİRKET ÇĞÜ"); });
        // Enough lines for several 64 KiB blocks, so block edges fall inside lines.
        for (int i = 0; i < 9000; ++i)
            ASSERT_TRUE(w.write(std::to_string(i) + " ışık çöğüş " + std::string(i % 37, '-')));
        ASSERT_TRUE(w.finish());
    }
    std::ifstream in(out, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(got.size(), rawStream(doc).size());
    EXPECT_TRUE(got == rawStream(doc));
    std::filesystem::remove(out);
}
