// Text-file output and files written whole or not at all.
#include "output/atomic_file.h"
#include "output/textfile.h"
#include "core/text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hk::output;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TextFileTest : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("hk_textfile_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::size_t entries(const fs::path& p) const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(p), {}));
    }
};

TEST_F(TextFileTest, LinesAsWrittenInTheWindowsCodePage) {
    const fs::path out = dir / "RMiz001.Txt";
    auto sink = TextFileSink::open(out);
    ASSERT_TRUE(sink) << sink.error().text;
    PageWriter w({PrinterKind::Npq, 2, 1}, **sink);
    ASSERT_TRUE(w.writeEmphasised("MİZAN")); // emphasis codes stay out of files
    ASSERT_TRUE(w.write("Şığ  "));
    ASSERT_TRUE(w.write(""));
    ASSERT_TRUE(w.finish());
    // cp1254: İ=DD, Ş=DE, ı=FD, ğ=F0. Trailing blanks of plain lines are kept as written.
    EXPECT_EQ(readFile(out), std::string("M\xDDZAN\r\n\xDE\xFD\xF0  \r\n\r\n"));
    EXPECT_EQ(entries(dir), 1u);
}

TEST_F(TextFileTest, OtherEncodingsAndOptions) {
    struct Case {
        TextFileOptions options;
        std::string expected;
    };
    const Case cases[] = {
        {{TextEncoding::Utf8, false, false}, "ş\r\n\r\nx\r\n"},
        {{TextEncoding::Cp857, false, false}, "\x9F\r\n\r\nx\r\n"},
        {{TextEncoding::Utf8, true, true}, "\x1B\x47ş\x1B\x48\r\n\r\n\x0Cx\r\n"},
    };
    for (const auto& c : cases) {
        const fs::path out = dir / "dosya.txt";
        auto sink = TextFileSink::open(out, c.options);
        ASSERT_TRUE(sink);
        PageWriter w({PrinterKind::Npq, 2, 1}, **sink);
        ASSERT_TRUE(w.writeEmphasised("ş"));
        ASSERT_TRUE(w.write(""));
        ASSERT_TRUE(w.write("x"));
        ASSERT_TRUE(w.finish());
        EXPECT_EQ(readFile(out), c.expected);
    }
}

TEST(TextFileEncoding, EveryTextAsTheCodePageConversionGivesItOrRefusesIt) {
    const std::vector<std::string> texts = {"abc",   "ş",     "ışık ÇĞÜ 120 01", "€ 100", "Ж",
                                            "a Ж b", "x\xC3", "\xFFy",           "İ€İ",   "Ää ñ ß",
                                            ""};
    using Convert = hk::core::Result<std::string> (*)(std::string_view);
    const std::pair<TextEncoding, Convert> pages[] = {{TextEncoding::Cp1254, hk::core::text::toCp1254},
                                                      {TextEncoding::Cp857, hk::core::text::toCp857}};
    for (const auto& [encoding, convert] : pages) {
        for (const auto& t : texts) {
            SCOPED_TRACE(t);
            Line l = Line::text("ön ");
            l.addControl("\x1B\x45").addText(t);
            auto got = encodeTextLine(l, {encoding, false, false});
            auto prefix = convert("ön ");
            auto want = convert(t);
            ASSERT_TRUE(prefix);
            if (!want) {
                ASSERT_FALSE(got);
                EXPECT_EQ(got.error().text, want.error().text); // the same position
            } else {
                ASSERT_TRUE(got) << got.error().text;
                EXPECT_EQ(*got, *prefix + *want + "\r\n");
            }
        }
    }
}

TEST_F(TextFileTest, TextOutsideTheCodePageIsRefusedAndNoFileIsLeft) {
    const fs::path out = dir / "rapor.txt";
    auto sink = TextFileSink::open(out);
    ASSERT_TRUE(sink);
    PageWriter w({PrinterKind::Ordinary, 1, 1}, **sink);
    ASSERT_TRUE(w.write("ilk sayfa"));
    EXPECT_FALSE(w.write("Ж")); // Cyrillic: no cp1254 code
    EXPECT_FALSE(w.finish());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(entries(dir), 0u);
}

TEST_F(TextFileTest, ExistingFileIsReplacedOnlyWhenTheNewOneIsComplete) {
    const fs::path out = dir / "rapor.txt";
    ASSERT_TRUE(writeFileAtomically(out, "eski"));
    {
        auto file = AtomicFile::create(out);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->write("yeni ama yarım"));
        EXPECT_EQ(readFile(out), "eski");
    } // dropped without commit
    EXPECT_EQ(readFile(out), "eski");
    EXPECT_EQ(entries(dir), 1u);
    ASSERT_TRUE(writeFileAtomically(out, "yeni"));
    EXPECT_EQ(readFile(out), "yeni");
    EXPECT_EQ(entries(dir), 1u);
}

TEST_F(TextFileTest, UnwritableLocationsAreRefused) {
    std::ofstream(dir / "dosya") << "bir dosya, klasör değil";
    const fs::path targets[] = {
        dir / "dosya" / "rapor.txt",   // the "folder" is a file
        dir / "olmayan" / "rapor.txt", // the folder does not exist
        "",                            // no name at all
    };
    for (const auto& t : targets) {
        auto st = writeFileAtomically(t, "x");
        EXPECT_FALSE(st) << t;
        if (!st) {
            EXPECT_FALSE(st.error().text.empty());
        }
    }
    EXPECT_EQ(entries(dir), 1u);
    EXPECT_EQ(readFile(dir / "dosya"), "bir dosya, klasör değil");
}

TEST_F(TextFileTest, TargetThatIsAFolderIsLeftAlone) {
    fs::create_directories(dir / "rapor.txt" / "icerik");
    auto st = writeFileAtomically(dir / "rapor.txt", "x");
    EXPECT_FALSE(st);
    EXPECT_TRUE(fs::is_directory(dir / "rapor.txt" / "icerik"));
    EXPECT_EQ(entries(dir), 1u);
}

TEST_F(TextFileTest, TargetThatIsAPipeIsNotReplaced) {
    const fs::path fifo = dir / "rapor.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto st = writeFileAtomically(fifo, "x");
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, kNotAnOrdinaryFile);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(entries(dir), 1u);
}

// Libraries that write by name may put a private file of their own in place of the temporary
// one; what takes the target's name still has the permissions of a new file of the user.
TEST_F(TextFileTest, FileWrittenByNameKeepsOrdinaryPermissions) {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    const fs::path out = dir / "Liste.xlsx";
    auto file = AtomicFile::create(out);
    ASSERT_TRUE(file);
    const fs::path other = dir / "kendi";
    std::ofstream(other) << "kitap";
    fs::permissions(other, fs::perms::owner_read | fs::perms::owner_write);
    fs::rename(other, file->temporary());
    ASSERT_TRUE(file->commit());
    EXPECT_EQ(readFile(out), "kitap");
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(entries(dir), 1u);
}

// A full disk, simulated with a file-size limit: the write fails part-way and no file, not even
// the temporary one, remains.
TEST_F(TextFileTest, FullDiskLeavesNoFile) {
    struct LimitGuard {
        rlimit saved{};
        void (*handler)(int) = nullptr;
        LimitGuard(rlim_t bytes) {
            getrlimit(RLIMIT_FSIZE, &saved);
            handler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~LimitGuard() {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
        }
    };
    const fs::path out = dir / "buyuk.txt";
    hk::core::Status finished;
    hk::core::Status written;
    {
        auto sink = TextFileSink::open(out);
        ASSERT_TRUE(sink);
        PageWriter w({PrinterKind::Ordinary, 10, 1}, **sink);
        LimitGuard limit(4096);
        for (int i = 0; i < 1000 && written; ++i)
            written = w.write(std::string(200, 'x'));
        finished = w.finish();
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(finished);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(entries(dir), 0u);
}

} // namespace
