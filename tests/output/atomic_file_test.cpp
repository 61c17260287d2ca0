// Outputs never land on the books, and an interrupted run leaves no temporary file.
#include "output/atomic_file.h"
#include "output/raw.h"
#include "output/sheet.h"
#include "output/textfile.h"
#include "output/xlsx_writer.h"
#include "output/zip.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <sstream>
#include <sys/wait.h>
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

struct OutputTarget : ::testing::Test {
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("hk_atomic_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // The first page of a SQLite database as the engine writes it, enough to be one.
    fs::path database(const std::string& name) const {
        std::string page(4096, '\0');
        page.replace(0, 16, std::string("SQLite format 3\0", 16));
        page[16] = 0x10; // page size 4096
        std::ofstream(dir / name, std::ios::binary) << page;
        return dir / name;
    }
};

// Every route by which a file is written, each over the target given.
using Route = std::function<hk::core::Status(const fs::path&)>;

std::vector<std::pair<const char*, Route>> routes(const fs::path& dir) {
    return {
        {"atomic", [](const fs::path& t) { return writeFileAtomically(t, "rapor"); }},
        {"raw",
         [](const fs::path& t) -> hk::core::Status {
             auto target = openRawFile(t);
             if (!target) return target.error();
             RawSink sink(std::move(*target));
             PageWriter w({PrinterKind::Npq, 0, 1}, sink);
             if (auto st = w.write("satır"); !st) return st;
             return w.finish();
         }},
        {"text",
         [](const fs::path& t) -> hk::core::Status {
             auto sink = TextFileSink::open(t);
             if (!sink) return sink.error();
             PageWriter w({PrinterKind::Ordinary, 0, 1}, **sink);
             if (auto st = w.write("satır"); !st) return st;
             return w.finish();
         }},
        {"xlsx",
         [](const fs::path& t) -> hk::core::Status {
             Sheet s;
             s.row().text("Hesap");
             return writeXlsx(s, t.string());
         }},
        {"zip",
         [dir](const fs::path& t) -> hk::core::Status {
             std::ofstream(dir / "icerik.txt") << "x";
             ZipResult r = packFile((dir / "icerik.txt").string(), t.string());
             if (r.code != 0) return hk::core::Error::of(r.code, r.text);
             return {};
         }},
    };
}

TEST_F(OutputTarget, DatabasesAndTheirCompanionFilesAreNeverReplaced) {
    const fs::path db = database("Hesapkar.db");
    std::ofstream(dir / "Hesapkar.db-wal", std::ios::binary) << std::string("\x37\x7f\x06\x82", 4);
    const fs::path other = database("baska.sqlite");
    fs::create_symlink(db, dir / "kisayol.txt");
    const std::string before = readFile(db);
    const std::string walBefore = readFile(dir / "Hesapkar.db-wal");
    // The -shm and -journal of the books refuse even before they exist: a stray one would be
    // taken for the books' own.
    const fs::path targets[] = {db, dir / "Hesapkar.db-wal", dir / "Hesapkar.db-shm",
                                dir / "Hesapkar.db-journal", other, dir / "kisayol.txt"};
    for (const auto& [name, write] : routes(dir)) {
        for (const auto& t : targets) {
            auto st = write(t);
            ASSERT_FALSE(st) << name << " " << t;
            // The zip route reports in its own archive codes; the words say the same.
            if (std::string(name) != "zip") {
                EXPECT_EQ(st.error().code, kDatabaseTarget) << name << " " << t << st.error().text;
            }
            EXPECT_NE(st.error().text.find("veritabanı dosyası"), std::string::npos)
                << st.error().text;
            EXPECT_NE(st.error().text.find(t.filename().string()), std::string::npos)
                << st.error().text;
        }
    }
    EXPECT_EQ(readFile(db), before);
    EXPECT_EQ(readFile(dir / "Hesapkar.db-wal"), walBefore);
    EXPECT_FALSE(fs::exists(dir / "Hesapkar.db-shm"));
    EXPECT_FALSE(fs::exists(dir / "Hesapkar.db-journal"));
    EXPECT_TRUE(fs::is_symlink(dir / "kisayol.txt"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Hesapkar.db", "Hesapkar.db-wal", "baska.sqlite",
                                                 "icerik.txt", "kisayol.txt"}));
}

TEST_F(OutputTarget, OrdinaryFilesNamedLikeDatabasesAreWritten) {
    // Only the content says what a database is: a report called "x.db", or the -wal of a file
    // that is no database, is an ordinary output.
    std::ofstream(dir / "rapor.db") << "eski rapor";
    std::ofstream(dir / "not") << "metin";
    for (const fs::path& t : {dir / "rapor.db", dir / "not-wal", dir / "yeni.db"}) {
        ASSERT_TRUE(writeFileAtomically(t, "yeni")) << t;
        EXPECT_EQ(readFile(t), "yeni");
    }
}

TEST_F(OutputTarget, DatabaseAppearingWhileWritingIsNotReplaced) {
    auto file = AtomicFile::create(dir / "cikti.txt");
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->write("rapor"));
    const std::string books = readFile(database("cikti.txt"));
    auto st = file->commit();
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, kDatabaseTarget);
    EXPECT_EQ(readFile(dir / "cikti.txt"), books);
    EXPECT_EQ(names(), std::vector<std::string>{"cikti.txt"});
}

// A child process writes outputs and is stopped half-way; its folder must hold nothing of them.
// Both kinds of temporary file are open: one written through the descriptor, one given a name for
// a library that writes by name.
void interruptedWriter(const fs::path& dir, int sig) {
    auto a = AtomicFile::create(dir / "metin.txt");
    auto b = AtomicFile::create(dir / "kitap.xlsx");
    if (!a || !b) ::_exit(3);
    if (!a->write(std::string(1 << 20, 'x'))) ::_exit(4);
    if (b->temporary().empty()) ::_exit(5);
    std::ofstream(b->temporary(), std::ios::binary) << "PK";
    ::kill(::getpid(), sig);
    ::_exit(0); // not reached when the signal ends the process
}

TEST_F(OutputTarget, InterruptedRunLeavesNoTemporaryFiles) {
    struct Case {
        int sig;
        bool named; // whether a by-name temporary can be cleaned (SIGKILL cannot be caught)
    };
    for (const Case c : {Case{SIGTERM, true}, Case{SIGINT, true}, Case{SIGHUP, true}}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) interruptedWriter(dir, c.sig);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), c.sig) << "the signal still ends the run";
        EXPECT_TRUE(names().empty()) << c.sig << ": " << (names().empty() ? "" : names()[0]);
    }
}

TEST_F(OutputTarget, KilledRunLeavesNothingOfAnUnnamedFile) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto a = AtomicFile::create(dir / "metin.txt");
        if (!a || !a->write(std::string(1 << 20, 'x'))) ::_exit(3);
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(names().empty());
}

} // namespace
