#include "output/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
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

// Something other than an ordinary file or a link stands at `target`.
bool occupiedByOther(const std::filesystem::path& target) {
    struct stat st {};
    return ::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode);
}

Error notAnOrdinaryFile(const std::filesystem::path& target) {
    return Error::of(kNotAnOrdinaryFile,
                     target.string() + " sıradan bir dosya değil; yerine dosya yazılmaz.",
                     target.string());
}

} // namespace

Result<AtomicFile> AtomicFile::create(const std::filesystem::path& target) {
    if (target.empty() || !target.has_filename())
        return Error::of(0, "Dosya adı boş.", target.string());
    if (occupiedByOther(target)) return notAnOrdinaryFile(target);
    const std::filesystem::path dir = target.parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path tmp =
            dir / ("." + target.filename().string() + "." + randomSuffix() + ".tmp");
        // Created as any new file of the user is (0666 less the umask), not private as a
        // mkstemp file would be: the result is an ordinary document.
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            mode_t mode = ::fstat(fd, &st) == 0 ? (st.st_mode & 07777) : 0644;
            return AtomicFile(fd, mode, std::move(tmp), target);
        }
        if (errno != EEXIST)
            return ioError(target.string() + " dosyası oluşturulamadı", target, errno);
    }
    return Error::of(EEXIST, target.string() + " için geçici dosya oluşturulamadı.",
                     target.string());
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : fd_(other.fd_), mode_(other.mode_), tmp_(std::move(other.tmp_)),
      target_(std::move(other.target_)) {
    other.fd_ = -1;
    other.tmp_.clear();
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = other.fd_;
        mode_ = other.mode_;
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

Status AtomicFile::close() {
    if (fd_ < 0) return {};
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail("dosyası kapatılamadı", errno);
    return {};
}

Status AtomicFile::commit() {
    if (tmp_.empty()) return Error::of(EBADF, "Dosya yazmaya açık değil.", target_.string());
    if (auto st = close(); !st) return st;
    // Reopened by name: a library that wrote by name may have put a file of its own in place
    // of the one made here (libzip does), and that is the one to flush.
    const int fd = ::open(tmp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("dosyası diske yazılamadı", errno);
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return fail("dosyası diske yazılamadı", err);
    }
    // Such a file may also have come with other permissions than a new file of the user gets.
    (void)::fchmod(fd, mode_);
    ::close(fd);
    // Checked again: something may have been put at the target while the file was written.
    if (occupiedByOther(target_)) {
        Error e = notAnOrdinaryFile(target_);
        discard();
        return e;
    }
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

} // namespace hk::output
