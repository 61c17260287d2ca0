// Raw printing through a real CUPS server: a private cupsd with raw queues (private_cups.h).
// What the queue's device receives must be exactly the bytes of the report, the job must carry
// the raw document name and format, and refused or abandoned jobs must leave nothing printed.
#include "output/printer_list.h"
#include "output/raw.h"
#include "private_cups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace hk::output;
using hk::test::CupsJob;
using hk::test::PrivateCups;
namespace fs = std::filesystem;

namespace {

struct RawCups : ::testing::Test {
    PrivateCups cups;

    void SetUp() override {
        if (const std::string why = PrivateCups::unavailable(); !why.empty()) GTEST_SKIP() << why;
        const std::string err = cups.start();
        ASSERT_TRUE(err.empty()) << err;
        ASSERT_EQ(cups.addRawQueue("HKRAW", device("HKRAW")), "") << cups.log();
        cups.useAsClient();
    }
    void TearDown() override { cups.stop(); }

    fs::path device(const std::string& queue) const { return cups.dir() / (queue + ".prn"); }
};

bool listed(const std::vector<PrinterInfo>& printers, const std::string& name) {
    return std::any_of(printers.begin(), printers.end(),
                       [&](const PrinterInfo& p) { return p.name == name; });
}

TEST_F(RawCups, QueueListedAndTheDefaultKnown) {
    ASSERT_EQ(cups.addRawQueue("NPQ_MUHASEBE", device("NPQ_MUHASEBE")), "");
    ASSERT_EQ(cups.lpadmin({"-d", "NPQ_MUHASEBE"}), "");
    // The default must come from the server, not from the environment.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* v : {"LPDEST", "PRINTER"})
        if (const char* old = std::getenv(v)) saved.emplace_back(v, old);
    for (const auto& [name, value] : saved)
        ::unsetenv(name.c_str());
    const auto printers = installedPrinters();
    const std::string def = defaultPrinter();
    for (const auto& [name, value] : saved)
        ::setenv(name.c_str(), value.c_str(), 1);

    EXPECT_TRUE(listed(printers, "HKRAW"));
    EXPECT_TRUE(listed(printers, "NPQ_MUHASEBE"));
    EXPECT_EQ(printers.size(), 2u);
    EXPECT_EQ(def, "NPQ_MUHASEBE");
    EXPECT_TRUE(isInstalledPrinter("HKRAW"));
    EXPECT_FALSE(isInstalledPrinter("HKRA"));
    EXPECT_FALSE(isInstalledPrinter("hkraw2"));
}

TEST_F(RawCups, DeviceReceivesExactlyTheReportBytes) {
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    {
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 3, 1}, sink);
        ASSERT_TRUE(w.writeControl("\x1B@"));
        ASSERT_TRUE(w.writeEmphasised("ŞİRKET A.Ş.  "));
        ASSERT_TRUE(w.write("çığ öü ÇĞÖÜ 5 €"));
        // The page is full after three lines: the next line starts page 2.
        ASSERT_TRUE(w.write("SON"));
        ASSERT_TRUE(w.finish());
    }
    // ESC @ reset; ESC G / ESC H around the emphasised text; IBM 857: Ş=9E İ=98 ç=87 ı=8D
    // ğ=A7 ö=94 ü=81 Ç=80 Ğ=A6 Ö=99 Ü=9A; the euro sign has no DOS code and prints as "?".
    const std::string expected = "\x1B@\r\n"
                                 "\x1BG\x9E\x98RKET A.\x9E.\x1BH\r\n"
                                 "\x87\x8D\xA7 \x94\x81 \x80\xA6\x99\x9A 5 ?\r\n"
                                 "\x0C"
                                 "SON\r\n";

    const auto jobs = cups.jobsWhenEnded("HKRAW", 1);
    ASSERT_TRUE(jobs) << "the job did not end in time\n" << cups.log();
    const CupsJob& job = jobs->front();
    EXPECT_EQ(job.title, "Receipt Printer");
    EXPECT_EQ(job.format, "application/vnd.cups-raw");
    EXPECT_EQ(job.state, IPP_JSTATE_COMPLETED) << cups.log();
    EXPECT_EQ(hk::test::readWhole(device("HKRAW")), expected);
}

TEST_F(RawCups, LongJobArrivesWhole) {
    // Some 150 KB, far more than one write to the server carries.
    std::string expected;
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    {
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 60, 1}, sink);
        for (int i = 1; i <= 6000; ++i) {
            const std::string n = std::to_string(i);
            ASSERT_TRUE(w.write("Satır " + n + " ğüşİ"));
            expected += "Sat\x8Dr " + n + " \xA7\x81\x9F\x98\r\n";
            if (i % 60 == 0) expected += '\x0C'; // a full page is ejected at once
        }
        ASSERT_TRUE(w.finish());
    }
    const auto jobs = cups.jobsWhenEnded("HKRAW", 1);
    ASSERT_TRUE(jobs) << cups.log();
    EXPECT_EQ(jobs->front().state, IPP_JSTATE_COMPLETED);
    const std::string got = hk::test::readWhole(device("HKRAW"));
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the device received other bytes";
}

TEST_F(RawCups, UnknownOrRefusingQueueGetsNoJob) {
    auto unknown = openRawQueue("NPQ_YOK");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().text, "\"NPQ_YOK\" adlı yazıcı bulunamadı.");

    // An installed queue that rejects jobs refuses with the server's reason.
    ASSERT_EQ(cups.addRawQueue("NPQ_RED", device("NPQ_RED")), "");
    const auto reject =
        hk::test::runBounded({hk::test::findProgram("cupsreject"), "-h", cups.socket(), "NPQ_RED"},
                             cups.dir() / "log" / "reject.out");
    ASSERT_EQ(reject.code, 0) << reject.output;
    auto refused = openRawQueue("NPQ_RED");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().text.find("Yazdırma işi açılamadı (NPQ_RED)"), std::string::npos)
        << refused.error().text;

    EXPECT_TRUE(cups.jobs("NPQ_RED").empty());
    EXPECT_TRUE(cups.jobs("HKRAW").empty());
    EXPECT_FALSE(fs::exists(device("NPQ_RED")));

    // The refusals leave the client usable: the next job prints.
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    RawSink sink(std::move(*target));
    PageWriter w({PrinterKind::Npq, 0, 1}, sink);
    ASSERT_TRUE(w.write("tamam"));
    ASSERT_TRUE(w.finish());
    ASSERT_TRUE(cups.jobsWhenEnded("HKRAW", 1)) << cups.log();
    EXPECT_EQ(hk::test::readWhole(device("HKRAW")), "tamam\r\n");
}

TEST_F(RawCups, AbandonedReportPrintsNothingAndTheNextJobPrints) {
    {
        auto target = openRawQueue("HKRAW");
        ASSERT_TRUE(target) << target.error().text;
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 1, 1}, sink);
        ASSERT_TRUE(w.write("yarım kalan sayfa")); // handed to the queue: the page is full
        // The report fails here and never finishes.
    }
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    {
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 0, 1}, sink);
        ASSERT_TRUE(w.write("ikinci iş"));
        ASSERT_TRUE(w.finish());
    }
    // The abandoned job (number 1) was cancelled and purged before its document was complete;
    // the server keeps only the second.
    const auto jobs = cups.jobsWhenEnded("HKRAW", 1);
    ASSERT_TRUE(jobs) << cups.log();
    EXPECT_EQ(jobs->front().id, 2);
    EXPECT_EQ(jobs->front().state, IPP_JSTATE_COMPLETED) << cups.log();
    // Only the second job reached the device.
    EXPECT_EQ(hk::test::readWhole(device("HKRAW")), "ikinci i\x9F\r\n");
}

TEST_F(RawCups, ServerGoneBeforeTheEndIsAnError) {
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    RawSink sink(std::move(*target));
    PageWriter w({PrinterKind::Npq, 1, 1}, sink);
    ASSERT_TRUE(w.write("ilk sayfa"));
    cups.endServer();
    // Whichever step meets the closed connection, the report must not end as printed.
    auto st = w.write("ikinci sayfa");
    if (st) st = w.finish();
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().text.find("(HKRAW)"), std::string::npos) << st.error().text;
    EXPECT_FALSE(fs::exists(device("HKRAW")));
}

// Other CUPS calls while a report is printing: the printer list and a second job on the same
// thread must leave the open job whole.
TEST_F(RawCups, OtherCupsCallsLeaveAnOpenJobWhole) {
    ASSERT_EQ(cups.addRawQueue("NPQ_IKINCI", device("NPQ_IKINCI")), "");
    auto first = openRawQueue("HKRAW");
    ASSERT_TRUE(first) << first.error().text;
    RawSink sink(std::move(*first));
    PageWriter w({PrinterKind::Npq, 1, 1}, sink);
    ASSERT_TRUE(w.write("bir"));

    EXPECT_TRUE(isInstalledPrinter("NPQ_IKINCI"));
    {
        auto second = openRawQueue("NPQ_IKINCI");
        ASSERT_TRUE(second) << second.error().text;
        RawSink other(std::move(*second));
        PageWriter w2({PrinterKind::Npq, 0, 1}, other);
        ASSERT_TRUE(w2.write("öteki"));
        ASSERT_TRUE(w2.finish());
    }

    ASSERT_TRUE(w.write("iki"));
    const auto st = w.finish();
    ASSERT_TRUE(st) << st.error().text;
    for (const char* queue : {"HKRAW", "NPQ_IKINCI"}) {
        const auto jobs = cups.jobsWhenEnded(queue, 1);
        ASSERT_TRUE(jobs) << queue << "\n" << cups.log();
        EXPECT_EQ(jobs->front().state, IPP_JSTATE_COMPLETED) << queue;
        EXPECT_EQ(jobs->front().title, "Receipt Printer") << queue;
    }
    EXPECT_EQ(hk::test::readWhole(device("HKRAW")), "bir\r\n\x0Ciki\r\n\x0C");
    EXPECT_EQ(hk::test::readWhole(device("NPQ_IKINCI")), "\x94teki\r\n");
}

// A report may run on a thread of its own while the job was opened where the printer was
// chosen.
TEST_F(RawCups, JobOpenedOnOneThreadIsWrittenOnAnother) {
    auto target = openRawQueue("HKRAW");
    ASSERT_TRUE(target) << target.error().text;
    hk::core::Status written;
    std::thread report([&] {
        RawSink sink(std::move(*target));
        PageWriter w({PrinterKind::Npq, 0, 1}, sink);
        written = w.write("rapor satırı");
        if (written) written = w.finish();
    });
    report.join();
    ASSERT_TRUE(written) << written.error().text;
    const auto jobs = cups.jobsWhenEnded("HKRAW", 1);
    ASSERT_TRUE(jobs) << cups.log();
    EXPECT_EQ(jobs->front().state, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(hk::test::readWhole(device("HKRAW")), "rapor sat\x8Dr\x8D\r\n");
}

} // namespace
