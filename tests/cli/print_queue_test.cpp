// hesapkar-cli print --queue: a text file printed through a real CUPS server (a private cupsd,
// see private_cups.h), checked at the queue's device and in the server's job records.
#include "../output/private_cups.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using hk::test::PrivateCups;
using hk::test::RunResult;

namespace {

struct PrintQueueCli : ::testing::Test {
    PrivateCups cups;

    void SetUp() override {
        if (const std::string why = PrivateCups::unavailable(); !why.empty()) GTEST_SKIP() << why;
        const std::string err = cups.start();
        ASSERT_TRUE(err.empty()) << err;
        ASSERT_EQ(cups.addRawQueue("HKRAW", device()), "") << cups.log();
        cups.useAsClient(); // the program started below inherits CUPS_SERVER
    }
    void TearDown() override { cups.stop(); }

    fs::path device() const { return cups.dir() / "HKRAW.prn"; }

    std::string input(const std::string& content, const std::string& name = "girdi.txt") {
        const fs::path p = cups.dir() / "tmp" / name;
        std::ofstream(p, std::ios::binary) << content;
        return p.string();
    }

    RunResult print(std::vector<std::string> args) {
        args.insert(args.begin(), {std::string(HK_BINARY_DIR) + "/src/cli/hesapkar-cli", "print"});
        return hk::test::runBounded(args, cups.dir() / "log" / "cli.out");
    }
};

TEST_F(PrintQueueCli, TextFileReachesTheDeviceAsRawJob) {
    const RunResult r = print({input("ŞİRKET\r\n1\tKASA\nçığ\n\fSON\n"), "--queue", "HKRAW",
                               "--kind", "NPQ", "--lines", "2"});
    ASSERT_EQ(r.code, 0) << r.output;

    const auto jobs = cups.jobsWhenEnded("HKRAW", 1);
    ASSERT_TRUE(jobs) << cups.log();
    EXPECT_EQ(jobs->front().title, "Receipt Printer");
    EXPECT_EQ(jobs->front().format, "application/vnd.cups-raw");
    EXPECT_EQ(jobs->front().state, IPP_JSTATE_COMPLETED) << cups.log();
    // Two lines a page; the tab reaches column 8; the form feed in the text ends page 2 early.
    // DOS Turkish code page: Ş=9E İ=98 ç=87 ı=8D ğ=A7.
    EXPECT_EQ(hk::test::readWhole(device()), "\x9E\x98RKET\r\n"
                                             "1       KASA\r\n"
                                             "\x0C"
                                             "\x87\x8D\xA7\r\n"
                                             "\x0C"
                                             "SON\r\n");
}

TEST_F(PrintQueueCli, RefusalsLeaveNoJobAndNoPrint) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string tooLong = "ilk satır\n" + std::string(256, 'x') + "\n";
    const Case cases[] = {
        {{input("a\n", "a.txt"), "--queue", "NPQ_YOK", "--kind", "NPQ"},
         "\"NPQ_YOK\" adlı yazıcı bulunamadı."},
        // Not UTF-8: refused before a job is opened.
        {{input("\xDE\xDD\n", "cp1254.txt"), "--queue", "HKRAW", "--kind", "NPQ"}, "UTF-8"},
        // The first page has gone to the queue when line 2 is refused: the job is withdrawn.
        {{input(tooLong, "uzun.txt"), "--queue", "HKRAW", "--kind", "NPQ", "--lines", "1"},
         "satır 2"},
    };
    for (const auto& c : cases) {
        const RunResult r = print(c.args);
        EXPECT_EQ(r.code, 1) << c.message << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    }
    EXPECT_TRUE(cups.jobs("HKRAW").empty()) << cups.log();
    EXPECT_FALSE(fs::exists(device()));
}

} // namespace
