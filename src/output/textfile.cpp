#include "output/textfile.h"

#include "core/text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace hk::output {

using core::Error;
using core::Result;
using core::Status;

namespace {

std::string randomSuffix() {
    std::random_device rd;
    static constexpr char hex[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < 12; ++i)
        s += hex[rd() & 0xF];
    return s;
}

Error ioError(const std::string& what, const std::filesystem::path& path, int err) {
    return Error::of(err, what + ": " + std::strerror(err), path.string());
}

} // namespace

Result<AtomicFile> AtomicFile::create(const std::filesystem::path& target) {
    if (target.empty() || !target.has_filename())
        return Error::of(0, "Dosya adı boş.", target.string());
    const std::filesystem::path dir = target.parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path tmp =
            dir / ("." + target.filename().string() + "." + randomSuffix() + ".tmp");
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return AtomicFile(fd, std::move(tmp), target);
        if (errno != EEXIST)
            return ioError(target.string() + " dosyası oluşturulamadı", target, errno);
    }
    return Error::of(EEXIST, target.string() + " için geçici dosya oluşturulamadı.",
                     target.string());
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : fd_(other.fd_), tmp_(std::move(other.tmp_)), target_(std::move(other.target_)) {
    other.fd_ = -1;
    other.tmp_.clear();
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = other.fd_;
        tmp_ = std::move(other.tmp_);
        target_ = std::move(other.target_);
        other.fd_ = -1;
        other.tmp_.clear();
    }
    return *this;
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    tmp_.clear();
}

Status AtomicFile::fail(const std::string& what, int err) {
    Error e = ioError(target_.string() + " " + what, target_, err);
    discard();
    return e;
}

Status AtomicFile::write(std::string_view bytes) {
    if (fd_ < 0) return Error::of(EBADF, "Dosya yazmaya açık değil.", target_.string());
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("dosyasına yazılamadı", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

Status AtomicFile::commit() {
    if (fd_ < 0) return Error::of(EBADF, "Dosya yazmaya açık değil.", target_.string());
    if (::fsync(fd_) != 0) return fail("dosyası diske yazılamadı", errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail("dosyası kapatılamadı", errno);
    if (::rename(tmp_.c_str(), target_.c_str()) != 0) return fail("dosyası yazılamadı", errno);
    tmp_.clear();
    return {};
}

Status writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    auto file = AtomicFile::create(target);
    if (!file) return file.error();
    if (auto st = file->write(bytes); !st) return st;
    return file->commit();
}

Result<std::string> encodeTextLine(const Line& line, const TextFileOptions& options) {
    std::string out;
    for (const auto& p : line.parts) {
        if (p.control) {
            if (options.keepControlBytes) out += p.bytes;
            continue;
        }
        switch (options.encoding) {
        case TextEncoding::Utf8:
            out += p.bytes;
            break;
        case TextEncoding::Cp1254: {
            auto enc = core::text::toCp1254(p.bytes);
            if (!enc) return enc.error();
            out += *enc;
            break;
        }
        case TextEncoding::Cp857: {
            auto enc = core::text::toCp857(p.bytes);
            if (!enc) return enc.error();
            out += *enc;
            break;
        }
        }
    }
    if (line.newline) out += "\r\n";
    return out;
}

Result<std::unique_ptr<TextFileSink>> TextFileSink::open(const std::filesystem::path& target,
                                                         TextFileOptions options) {
    auto file = AtomicFile::create(target);
    if (!file) return file.error();
    return std::make_unique<TextFileSink>(std::move(*file), options);
}

Status TextFileSink::page(const Page& page) {
    std::string bytes;
    for (const auto& line : page.lines) {
        auto enc = encodeTextLine(line, options_);
        if (!enc) {
            file_.discard();
            return enc.error();
        }
        bytes += *enc;
    }
    if (options_.formFeeds && page.formFeed) bytes += '\x0C';
    return file_.write(bytes);
}

Status TextFileSink::finish() {
    return file_.commit();
}

} // namespace hk::output
