// Raw printer output: DOS code page text, control bytes untouched, form feeds, queue refusal.
#include "output/printer_list.h"
#include "output/raw.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace hk::output;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("hk_raw_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), {}));
    }
};

TEST(RawBytes, TurkishTextGoesOutInTheDosCodePage) {
    struct Case {
        const char* utf8;
        std::string cp857;
    };
    // Bytes from the DOS Turkish code page table (IBM 857).
    const Case cases[] = {
        {"ÇçĞğİıÖöŞşÜü", "\x80\x87\xA6\xA7\x98\x8D\x99\x94\x9E\x9F\x9A\x81"},
        {"GENEL TOPLAM 1.234,56", "GENEL TOPLAM 1.234,56"},
        {"", ""},
        // The euro sign has no DOS code: it prints as a question mark, the job goes on.
        {"5 €", "5 ?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rawBytes(Line::text(c.utf8)), c.cp857 + "\r\n") << c.utf8;
}

TEST(RawBytes, ControlBytesPassUnconverted) {
    // 0x89/0x8A are the text printer's emphasis codes; converted as text they would be lost.
    Line l = Line::control("\x89").addText("Ş").addControl("\x8A");
    EXPECT_EQ(rawBytes(l), "\x89\x9E\x8A\r\n");
    l.newline = false;
    EXPECT_EQ(rawBytes(l), "\x89\x9E\x8A");
}

TEST(RawBytes, PageEndsWithFormFeedOnlyAfterABreak) {
    Page p;
    p.lines = {Line::text("a"), Line::text("b")};
    EXPECT_EQ(rawBytes(p), "a\r\nb\r\n");
    p.formFeed = true;
    EXPECT_EQ(rawBytes(p), "a\r\nb\r\n\x0C");
}

TEST(RawFile, ReceivesExactlyTheQueueBytes) {
    TempDir dir;
    const fs::path out = dir.path / "yazici.prn";
    auto target = openRawFile(out);
    ASSERT_TRUE(target) << target.error().text;
    RawSink sink(std::move(*target));
    PageWriter w({PrinterKind::Lpq, 2, 1}, sink);
    ASSERT_TRUE(w.writeEmphasised("İş"));
    ASSERT_TRUE(w.write("ğ"));
    ASSERT_TRUE(w.write("son"));
    EXPECT_FALSE(fs::exists(out)) << "nothing appears before the job is complete";
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(readFile(out), std::string("\x89\x98\x9F\x8A\r\n\xA7\r\n\x0Cson\r\n"));
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(RawFile, AbandonedJobLeavesNoFile) {
    TempDir dir;
    const fs::path out = dir.path / "yarim.prn";
    {
        auto target = openRawFile(out);
        ASSERT_TRUE(target);
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 1, 1}, sink);
        ASSERT_TRUE(w.write("ilk sayfa"));
        // The report fails here and never finishes.
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(dir.entries(), 0u);
}

TEST(RawQueue, UnknownPrinterIsRefused) {
    auto target = openRawQueue("NPQ_hk_test_yok_boyle_bir_yazici");
    ASSERT_FALSE(target);
    EXPECT_NE(target.error().text.find("NPQ_hk_test_yok_boyle_bir_yazici"), std::string::npos);
    EXPECT_FALSE(isInstalledPrinter("NPQ_hk_test_yok_boyle_bir_yazici"));
}

TEST(PrinterList, DefaultPrinterIsOneOfTheList) {
    const auto printers = installedPrinters();
    const std::string def = defaultPrinter();
    if (printers.empty()) {
        EXPECT_TRUE(def.empty()) << "a default printer among none: " << def;
        GTEST_SKIP() << "no printer installed: there is no list to find the default in";
    }
    if (def.empty()) {
        for (const auto& p : printers)
            EXPECT_FALSE(p.isDefault) << p.name;
    } else {
        EXPECT_TRUE(isInstalledPrinter(def));
    }
}

} // namespace
