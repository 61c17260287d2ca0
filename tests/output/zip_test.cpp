#include "output/zip.h"

#include "zip_craft.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace hk::output;
using hk::test::CraftEntry;
using hk::test::craftZip;
using hk::test::failureReportedOnFullDisk;
using hk::test::readFile;
using hk::test::run;
using hk::test::TempDir;
using hk::test::writeFile;

namespace {

bool haveUnzip() {
    return run("command -v unzip").first == 0;
}

// A real archive made by libzip, one deflated entry.
std::string libzipArchive(const std::string& name, const std::string& data) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    zip_source_t* in = zip_source_buffer(z, data.data(), data.size(), 0);
    zip_file_add(z, name.c_str(), in, 0);
    zip_close(z);
    zip_source_open(out);
    zip_source_seek(out, 0, SEEK_END);
    zip_int64_t size = zip_source_tell(out);
    zip_source_seek(out, 0, SEEK_SET);
    std::string bytes(std::size_t(size), '\0');
    zip_source_read(out, bytes.data(), zip_uint64_t(size));
    zip_source_close(out);
    zip_source_free(out);
    zip_error_fini(&err);
    return bytes;
}

// Overwrites the uncompressed size of the only entry in both headers.
void patchDeclaredSize(std::string& zipBytes, std::uint32_t size) {
    auto set32 = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i)
            zipBytes[at + std::size_t(i)] = char((size >> (8 * i)) & 0xFF);
    };
    set32(22);
    auto cd = zipBytes.find(std::string("PK\x01\x02", 4));
    ASSERT_NE(cd, std::string::npos);
    set32(cd + 24);
}

} // namespace

TEST(ZipPack, RoundTripThroughUnzipAndExtract) {
    TempDir dir("zip_pack");
    std::string content;
    for (int i = 0; i < 400; ++i)
        content += "HSP120 01 005       Kasa Hesabı  " + std::to_string(i) + "\n";
    writeFile(dir.path / "AKTAR01", content);
    const std::string archive = (dir.path / "AKTAR01.Zip").string();

    hk::core::Status r = packFile((dir.path / "AKTAR01").string(), archive);
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_TRUE(fs::exists(dir.path / "AKTAR01")) << "the packed file stays where it is";
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"AKTAR01", "AKTAR01.Zip"}));

    if (haveUnzip()) {
        auto [rc, out] = run("unzip -t '" + archive + "'");
        EXPECT_EQ(rc, 0) << out;
        EXPECT_NE(out.find("testing: AKTAR01"), std::string::npos) << out;
        // Level 9 is what unzip calls maximum compression.
        auto [rc2, verbose] = run("unzip -v '" + archive + "'");
        EXPECT_EQ(rc2, 0);
        EXPECT_NE(verbose.find("Defl:X"), std::string::npos) << verbose;
    }

    TempDir target("zip_target");
    hk::core::Status x = extractAll(archive, target.path.string());
    ASSERT_TRUE(x.ok()) << x.error().text;
    EXPECT_EQ(target.list(), std::vector<std::string>{"AKTAR01"});
    EXPECT_EQ(readFile(target.path / "AKTAR01"), content);
}

TEST(ZipPack, ReplacesAnOlderArchiveAndExtractionReplacesTheOldFile) {
    TempDir dir("zip_replace");
    writeFile(dir.path / "DOSYA", "new contents");
    writeFile(dir.path / "DOSYA.Zip", "an old archive that is not even a zip");
    hk::core::Status r = packFile((dir.path / "DOSYA").string(), (dir.path / "DOSYA.Zip").string());
    ASSERT_TRUE(r.ok()) << r.error().text;
    // Extracting beside the original replaces it, as the merge after a split does.
    writeFile(dir.path / "DOSYA", "stale");
    hk::core::Status x = extractAll((dir.path / "DOSYA.Zip").string(), dir.path.string());
    ASSERT_TRUE(x.ok()) << x.error().text;
    EXPECT_EQ(readFile(dir.path / "DOSYA"), "new contents");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"DOSYA", "DOSYA.Zip"}));
}

TEST(ZipPack, FailuresGiveACodeAndLeaveNoArchive) {
    TempDir dir("zip_fail");
    hk::core::Status missing = packFile((dir.path / "NONE").string(), (dir.path / "NONE.Zip").string());
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().text.find("not found"), std::string::npos) << missing.error().text;

    writeFile(dir.path / "DATA", "x");
    hk::core::Status noFolder =
        packFile((dir.path / "DATA").string(), (dir.path / "no/such/DATA.Zip").string());
    ASSERT_FALSE(noFolder.ok());
    EXPECT_FALSE(noFolder.error().text.empty());
    EXPECT_EQ(noFolder.error().kind, hk::core::ErrorKind::Storage); // the place written to

    if (::geteuid() != 0) { // root writes into read-only folders
        fs::create_directory(dir.path / "ro");
        fs::permissions(dir.path / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        hk::core::Status ro = packFile((dir.path / "DATA").string(), (dir.path / "ro/DATA.Zip").string());
        ASSERT_FALSE(ro.ok());
        fs::permissions(dir.path / "ro", fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(dir.path / "ro"));
    }
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"DATA"}));
}

// Each hostile archive is refused with a message naming the problem, and nothing is written.
struct HostileCase {
    const char* label;
    std::vector<CraftEntry> entries;
    const char* expect; // part of the error text
};

class ZipHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(ZipHostile, RefusedAndNothingWritten) {
    const HostileCase& c = GetParam();
    TempDir dir("zip_hostile");
    fs::create_directory(dir.path / "in");
    fs::create_directory(dir.path / "out");
    writeFile(dir.path / "in/evil.zip", craftZip(c.entries));

    hk::core::Status r = extractAll((dir.path / "in/evil.zip").string(), (dir.path / "out").string());
    ASSERT_FALSE(r.ok()) << c.label;
    EXPECT_NE(r.error().text.find(c.expect), std::string::npos) << c.label << ": " << r.error().text;
    EXPECT_EQ(r.error().kind, hk::core::ErrorKind::BadInput) << c.label; // the archive's fault
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"in", "in/evil.zip", "out"})) << c.label;
    EXPECT_FALSE(fs::exists("/tmp/hk_evil_abs")) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipHostile,
    ::testing::Values(
        HostileCase{"parent", {{"../evil", "x"}}, "\"..\""},
        HostileCase{"parent after a folder", {{"ok.txt", "fine"}, {"a/../../evil", "x"}}, "\"..\""},
        HostileCase{"backslash parent", {{"a\\..\\..\\evil", "x"}}, "\"..\""},
        HostileCase{"absolute", {{"/tmp/hk_evil_abs", "x"}}, "absolute"},
        HostileCase{"drive letter", {{"C:evil", "x"}}, "drive"},
        HostileCase{"symlink", {{"link", "/etc/passwd", 0xFFFFFFFFu, 0, 0, true}}, "link"},
        HostileCase{"control character",
                    {{std::string("a\x01"
                                  "b"),
                      "x"}},
                    "control"},
        HostileCase{"twice", {{"same", "a"}, {"same", "b"}}, "twice"},
        HostileCase{"overlap",
                    {{"one", "aaaa", 0xFFFFFFFFu, 0, 0, false, -1, 20}, {"two", "bbbb"}},
                    "overlap"},
        HostileCase{"declared huge", {{"big", "x", 0xFFFFFFF0u, 8}}, "zip bomb"},
        HostileCase{"stored sizes differ", {{"odd", "abc", 10}}, "damaged"}),
    [](const auto& info) {
        std::string n = info.param.label;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(ZipReaderLimits, BombsAndLiesAreCaughtWithoutInflatingEverything) {
    const std::string zeros(4 << 20, '\0');
    std::string bomb = libzipArchive("zeros.bin", zeros);
    ASSERT_LT(bomb.size(), 64u * 1024u) << "deflate should squeeze zeros hard";

    ArchiveLimits strict;
    strict.maxRatio = 100;
    auto r = ZipReader::openBytes(bomb, strict, "bomb.zip");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, kArchiveLimit);
    EXPECT_NE(r.error().text.find("zip bomb"), std::string::npos) << r.error().text;

    ArchiveLimits small;
    small.maxTotalBytes = 1 << 20;
    auto t = ZipReader::openBytes(bomb, small, "bomb.zip");
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.error().code, kArchiveLimit);

    ArchiveLimits few;
    few.maxEntries = 2;
    auto many =
        ZipReader::openBytes(craftZip({{"a", "1"}, {"b", "2"}, {"c", "3"}}), few, "many.zip");
    ASSERT_FALSE(many.ok());
    EXPECT_NE(many.error().text.find("entries"), std::string::npos) << many.error().text;

    // A directory that understates the size: reading stops at the declared size.
    std::string liar = libzipArchive("liar.txt", std::string(10000, 'a'));
    patchDeclaredSize(liar, 100);
    auto l = ZipReader::openBytes(liar, {}, "liar.zip");
    if (l.ok()) { // libzip may already refuse it on opening; either way nothing past 100 bytes
        auto data = l->read(0);
        ASSERT_FALSE(data.ok());
        EXPECT_NE(data.error().text.find("liar.txt"), std::string::npos) << data.error().text;
    }
}

TEST(ZipReaderLimits, NotAnArchiveOrTruncated) {
    for (const std::string& bytes : {std::string("plain text, no zip"), std::string(),
                                     libzipArchive("a.txt", "hello").substr(0, 40)}) {
        auto r = ZipReader::openBytes(bytes, {}, "x.zip");
        ASSERT_FALSE(r.ok());
        EXPECT_NE(r.error().text.find("x.zip"), std::string::npos);
    }
    TempDir dir("zip_none");
    hk::core::Status missing = extractAll((dir.path / "none.zip").string(), dir.path.string());
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, kArchiveNotFound);
    hk::core::Status noFolder = extractAll((dir.path / "none.zip").string(), (dir.path / "nope").string());
    ASSERT_FALSE(noFolder.ok());
}

TEST(ZipExtract, SubfoldersAreCreatedInsideTheTarget) {
    TempDir dir("zip_sub");
    fs::create_directory(dir.path / "out");
    writeFile(dir.path / "a.zip",
              craftZip({{"docs/", ""}, {"docs/readme.txt", "hi"}, {"./top.txt", "t"}}));
    hk::core::Status r = extractAll((dir.path / "a.zip").string(), (dir.path / "out").string());
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(readFile(dir.path / "out/docs/readme.txt"), "hi");
    EXPECT_EQ(readFile(dir.path / "out/top.txt"), "t");
}

TEST(ZipExtract, ADamagedEntryLeavesTheFolderAsItWas) {
    TempDir dir("zip_undo");
    fs::create_directory(dir.path / "out");
    writeFile(dir.path / "out/keep.txt", "mine");
    CraftEntry broken{"sub2/deep/b.txt", "these bytes do not match their checksum"};
    broken.badCrc = true;
    writeFile(dir.path / "a.zip",
              craftZip({{"sub/a.txt", "fine"}, {"keep.txt", "theirs"}, broken}));
    hk::core::Status r = extractAll((dir.path / "a.zip").string(), (dir.path / "out").string());
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().text.find("b.txt"), std::string::npos) << r.error().text;
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.zip", "out", "out/keep.txt"}));
    EXPECT_EQ(readFile(dir.path / "out/keep.txt"), "mine");
}

TEST(ZipPack, AFullDiskGivesACodeAndNoArchive) {
    TempDir dir("zip_full");
    std::string noise(200000, '\0');
    std::uint32_t x = 12345;
    for (char& c : noise)
        c = char((x = x * 1103515245u + 12345u) >> 24); // does not compress
    writeFile(dir.path / "AKTAR", noise);
    EXPECT_TRUE(failureReportedOnFullDisk([&] {
        hk::core::Status r = packFile((dir.path / "AKTAR").string(), (dir.path / "AKTAR.Zip").string());
        return !r.ok() && !r.error().text.empty();
    })) << "the failure must be reported";
    EXPECT_EQ(dir.list(), std::vector<std::string>{"AKTAR"});
}

TEST(ZipExtract, AFullDiskLeavesTheFolderAsItWas) {
    TempDir dir("zip_extract_full");
    fs::create_directory(dir.path / "out");
    writeFile(dir.path / "a.zip",
              craftZip({{"small.txt", "fits"}, {"big/AKTAR", std::string(100000, 'x')}}));
    EXPECT_TRUE(failureReportedOnFullDisk([&] {
        return extractAll((dir.path / "a.zip").string(), (dir.path / "out").string()).ok() == false;
    })) << "the failure must be reported";
    EXPECT_TRUE(fs::is_empty(dir.path / "out"));
}
