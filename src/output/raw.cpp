#include "output/raw.h"

#include "core/codepages.h"
#include "core/text.h"
#include "output/atomic_file.h"
#include "output/printer_list.h"

#include <cups/cups.h>

#include <memory>
#include <sys/socket.h>

namespace hk::output {

using core::Error;
using core::Result;
using core::Status;

std::string rawBytes(const Line& line) {
    std::string out;
    for (const auto& p : line.parts)
        out += p.control ? p.bytes : core::text::toCp857Lossy(p.bytes);
    if (line.newline) out += "\r\n";
    return out;
}

std::string rawBytes(const Page& page) {
    std::string out;
    for (const auto& line : page.lines)
        out += rawBytes(line);
    if (page.formFeed) out += '\x0C';
    return out;
}

namespace {

class FileTarget final : public RawTarget {
  public:
    explicit FileTarget(AtomicFile file) : file_(std::move(file)) {}
    Status write(std::string_view bytes) override { return file_.write(bytes); }
    Status close() override { return file_.commit(); }

  private:
    AtomicFile file_;
};

// One job on a CUPS connection of its own. The thread's default connection would tie the job to
// the thread that opened it (pages written from a report thread went nowhere), and any other
// CUPS call on that thread while the document is open (the printer list, a second job) would
// take the connection over and lose the document.
class CupsTarget final : public RawTarget {
  public:
    using Connection = std::unique_ptr<http_t, decltype(&httpClose)>;

    CupsTarget(Connection http, std::string queue, int job)
        : http_(std::move(http)), queue_(std::move(queue)), job_(job) {}
    ~CupsTarget() override {
        if (job_ != 0) cupsCancelJob2(http_.get(), queue_.c_str(), job_, 1);
    }
    CupsTarget(const CupsTarget&) = delete;
    CupsTarget& operator=(const CupsTarget&) = delete;

    Status write(std::string_view bytes) override {
        if (job_ == 0) return Error::of(0, "Yazdırma işi açık değil.", queue_);
        if (bytes.empty()) return {};
        if (cupsWriteRequestData(http_.get(), bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE)
            return failure("Yazıcıya gönderilemedi");
        return {};
    }

    Status close() override {
        if (job_ == 0) return Error::of(0, "Yazdırma işi açık değil.", queue_);
        if (cupsFinishDocument(http_.get(), queue_.c_str()) > IPP_STATUS_OK_CONFLICTING)
            return failure("Yazdırma işi tamamlanamadı");
        job_ = 0;
        return {};
    }

  private:
    Error failure(const std::string& what) {
        Error e = Error::of(static_cast<int>(cupsLastError()),
                            what + " (" + queue_ + "): " + cupsLastErrorString(), queue_);
        cupsCancelJob2(http_.get(), queue_.c_str(), job_, 1);
        job_ = 0;
        return e;
    }

    Connection http_;
    std::string queue_;
    int job_ = 0;
};

} // namespace

Result<std::unique_ptr<RawTarget>> openRawQueue(const std::string& queue) {
    if (!isInstalledPrinter(queue))
        return Error::of(0, "\"" + queue + "\" adlı yazıcı bulunamadı.", queue);
    // The server and encryption this thread's default connection would use.
    CupsTarget::Connection http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                             cupsEncryption(), 1, 30000, nullptr),
                                &httpClose);
    if (!http)
        return Error::of(
            static_cast<int>(cupsLastError()),
            "Yazıcı sunucusuna bağlanılamadı (" + queue + "): " + cupsLastErrorString(), queue);
    const std::string title(kRawDocumentName);
    const int job = cupsCreateJob(http.get(), queue.c_str(), title.c_str(), 0, nullptr);
    if (job == 0)
        return Error::of(static_cast<int>(cupsLastError()),
                         "Yazdırma işi açılamadı (" + queue + "): " + cupsLastErrorString(), queue);
    http_t* connection = http.get();
    auto target = std::make_unique<CupsTarget>(std::move(http), queue, job);
    if (cupsStartDocument(connection, queue.c_str(), job, title.c_str(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE)
        return Error::of(static_cast<int>(cupsLastError()),
                         "Yazdırma işi başlatılamadı (" + queue + "): " + cupsLastErrorString(),
                         queue);
    return std::unique_ptr<RawTarget>(std::move(target));
}

Result<std::unique_ptr<RawTarget>> openRawFile(const std::filesystem::path& path) {
    auto file = AtomicFile::create(path);
    if (!file) return file.error();
    return std::unique_ptr<RawTarget>(std::make_unique<FileTarget>(std::move(*file)));
}

namespace {
constexpr std::size_t kBlock = 64 * 1024;
}

Status RawSink::flush() {
    if (pending_.empty()) return {};
    Status st = target_->write(pending_);
    pending_.clear();
    return st;
}

Status RawSink::beginPage(int) {
    if (!target_) return Error::of(0, "Yazıcı çıkışı kapalı.");
    return {};
}

Status RawSink::line(const Line& line) {
    if (!target_) return Error::of(0, "Yazıcı çıkışı kapalı.");
    for (const auto& p : line.parts) {
        if (p.control)
            pending_ += p.bytes;
        else // DOS Turkish, a character it lacks as '?' (as core::text::toCp857Lossy gives it)
            core::codepages::appendEncoded(pending_, p.bytes, core::codepages::toCp857Byte, '?');
    }
    if (line.newline) pending_ += "\r\n";
    if (pending_.size() >= kBlock) return flush();
    return {};
}

Status RawSink::endPage(bool formFeed) {
    if (!target_) return Error::of(0, "Yazıcı çıkışı kapalı.");
    if (formFeed) pending_ += '\x0C';
    if (pending_.size() >= kBlock) return flush();
    return {};
}

Status RawSink::page(const Page& page) {
    if (auto st = beginPage(page.number); !st) return st;
    for (const auto& l : page.lines)
        if (auto st = line(l); !st) return st;
    return endPage(page.formFeed);
}

Status RawSink::finish() {
    if (!target_) return Error::of(0, "Yazıcı çıkışı kapalı.");
    Status st = flush();
    if (st) st = target_->close();
    target_.reset();
    return st;
}

} // namespace hk::output
