#include "output/atomic_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
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

Error databaseTarget(const std::filesystem::path& target) {
    return Error::of(kDatabaseTarget,
                     target.string() +
                         " bir veritabanı dosyası; üzerine çıktı yazılmaz, başka bir ad verin.",
                     target.string());
}

// The first bytes of an ordinary file (following links); empty for anything else, so that a
// pipe or a device is never opened just to look at it.
std::string fileHead(const std::filesystem::path& path, std::size_t n) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string head(n, '\0');
    const ssize_t got = ::pread(fd, head.data(), n, 0);
    ::close(fd);
    head.resize(got > 0 ? std::size_t(got) : 0);
    return head;
}

bool hasSqliteHeader(const std::filesystem::path& path) {
    static constexpr char kMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                        'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    const std::string head = fileHead(path, sizeof kMagic);
    return head.size() == sizeof kMagic && std::memcmp(head.data(), kMagic, sizeof kMagic) == 0;
}

// Temporary files that have a name are removed when SIGINT, SIGTERM or SIGHUP ends the run. The
// handler may only make async-signal-safe calls, so the names sit in a fixed table of C strings
// it can walk without locking or allocating; a run with more temporary names than the table
// holds leaves the surplus to the ordinary cleanup. This table is process-wide by nature: the
// signal is.
constexpr std::size_t kSignalSlots = 1024;
std::array<std::atomic<char*>, kSignalSlots> gTemporaryNames{};
constexpr std::array<int, 3> kCleanupSignals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, 3> gPreviousActions{};
std::once_flag gHandlerInstalled;

void removeTemporaries(int sig, siginfo_t* info, void* context) {
    for (auto& slot : gTemporaryNames)
        if (char* name = slot.exchange(nullptr)) ::unlink(name); // the string leaks: we are ending
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i) {
        if (kCleanupSignals[i] != sig) continue;
        const struct sigaction& prev = gPreviousActions[i];
        if (prev.sa_flags & SA_SIGINFO) {
            if (prev.sa_sigaction) prev.sa_sigaction(sig, info, context);
        } else if (prev.sa_handler != SIG_DFL && prev.sa_handler != SIG_IGN) {
            prev.sa_handler(sig);
        } else {
            // Back to what the signal did before (end the process); delivered when this returns.
            ::sigaction(sig, &prev, nullptr);
            ::raise(sig);
        }
    }
}

void installHandler() {
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i) {
        struct sigaction prev {};
        if (::sigaction(kCleanupSignals[i], nullptr, &prev) != 0) continue;
        gPreviousActions[i] = prev;
        if (!(prev.sa_flags & SA_SIGINFO) && prev.sa_handler == SIG_IGN) continue; // stays ignored
        struct sigaction act {};
        act.sa_sigaction = removeTemporaries;
        act.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&act.sa_mask);
        ::sigaction(kCleanupSignals[i], &act, nullptr);
    }
}

int rememberForSignals(const std::filesystem::path& name) {
    std::call_once(gHandlerInstalled, installHandler);
    char* copy = ::strdup(name.c_str());
    if (!copy) return -1;
    for (std::size_t i = 0; i < kSignalSlots; ++i) {
        char* expected = nullptr;
        if (gTemporaryNames[i].compare_exchange_strong(expected, copy)) return int(i);
    }
    std::free(copy);
    return -1;
}

std::filesystem::path hiddenName(const std::filesystem::path& target) {
    return target.parent_path() / ("." + target.filename().string() + "." + randomSuffix() + ".tmp");
}

} // namespace

bool isDatabaseFile(const std::filesystem::path& path) {
    if (hasSqliteHeader(path)) return true;
    const std::string name = path.filename().string();
    for (std::string_view tail : {"-wal", "-shm", "-journal"}) {
        if (name.size() > tail.size() && name.ends_with(tail)) {
            std::filesystem::path base = path;
            base.replace_filename(name.substr(0, name.size() - tail.size()));
            if (hasSqliteHeader(base)) return true;
        }
    }
    // A write-ahead log whose database has gone still holds its pages.
    const std::string head = fileHead(path, 4);
    return head == std::string("\x37\x7f\x06\x82", 4) || head == std::string("\x37\x7f\x06\x83", 4);
}

Result<AtomicFile> AtomicFile::create(const std::filesystem::path& target) {
    if (target.empty() || !target.has_filename())
        return Error::of(0, "Dosya adı boş.", target.string());
    if (occupiedByOther(target)) return notAnOrdinaryFile(target);
    if (isDatabaseFile(target)) return databaseTarget(target);
    const std::filesystem::path dir = target.parent_path();
    // Created as any new file of the user is (0666 less the umask), not private as a mkstemp
    // file would be: the result is an ordinary document.
#ifdef O_TMPFILE
    {
        const std::filesystem::path where = dir.empty() ? std::filesystem::path(".") : dir;
        const int fd = ::open(where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            const mode_t mode = ::fstat(fd, &st) == 0 ? (st.st_mode & 07777) : 0644;
            AtomicFile f(fd, mode, {}, target);
            f.anonymous_ = true;
            return f;
        }
        // Any failure here (a file system without unnamed files, an old kernel) is answered
        // by the named file below, which also reports a missing or unwritable folder.
    }
#endif
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path tmp = hiddenName(target);
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat st {};
            mode_t mode = ::fstat(fd, &st) == 0 ? (st.st_mode & 07777) : 0644;
            AtomicFile f(fd, mode, std::move(tmp), target);
            f.slot_ = rememberForSignals(f.tmp_);
            return f;
        }
        if (errno != EEXIST)
            return ioError(target.string() + " dosyası oluşturulamadı", target, errno);
    }
    return Error::of(EEXIST, target.string() + " için geçici dosya oluşturulamadı.",
                     target.string());
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : fd_(other.fd_), mode_(other.mode_), anonymous_(other.anonymous_), tmp_(std::move(other.tmp_)),
      slot_(other.slot_), target_(std::move(other.target_)) {
    other.fd_ = -1;
    other.anonymous_ = false;
    other.tmp_.clear();
    other.slot_ = -1;
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = other.fd_;
        mode_ = other.mode_;
        anonymous_ = other.anonymous_;
        tmp_ = std::move(other.tmp_);
        slot_ = other.slot_;
        target_ = std::move(other.target_);
        other.fd_ = -1;
        other.anonymous_ = false;
        other.tmp_.clear();
        other.slot_ = -1;
    }
    return *this;
}

void AtomicFile::forget() const {
    if (slot_ < 0) return;
    std::free(gTemporaryNames[std::size_t(slot_)].exchange(nullptr));
    slot_ = -1;
}

Status AtomicFile::name() const {
    if (!anonymous_) return {};
    if (fd_ < 0) return Error::of(EBADF, "Dosya yazmaya açık değil.", target_.string());
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::filesystem::path tmp = hiddenName(target_);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            tmp_ = std::move(tmp);
            anonymous_ = false;
            slot_ = rememberForSignals(tmp_);
            return {};
        }
        if (errno != EEXIST) return ioError(target_.string() + " dosyası oluşturulamadı", target_, errno);
    }
    return Error::of(EEXIST, target_.string() + " için geçici dosya oluşturulamadı.",
                     target_.string());
}

const std::filesystem::path& AtomicFile::temporary() const {
    (void)name(); // on failure the name stays empty, and writing by name fails with it
    return tmp_;
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    anonymous_ = false; // an unnamed file goes with its descriptor
    if (!tmp_.empty()) ::unlink(tmp_.c_str());
    tmp_.clear();
    forget();
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
    // An unnamed file would vanish with its descriptor.
    if (auto st = name(); !st) {
        discard();
        return st;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail("dosyası kapatılamadı", errno);
    return {};
}

Status AtomicFile::commit() {
    if (tmp_.empty() && !anonymous_)
        return Error::of(EBADF, "Dosya yazmaya açık değil.", target_.string());
    if (anonymous_ && ::fsync(fd_) != 0) return fail("dosyası diske yazılamadı", errno);
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
    if (isDatabaseFile(target_)) {
        Error e = databaseTarget(target_);
        discard();
        return e;
    }
    if (::rename(tmp_.c_str(), target_.c_str()) != 0) return fail("dosyası yazılamadı", errno);
    tmp_.clear();
    forget();
    return {};
}

Status writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    auto file = AtomicFile::create(target);
    if (!file) return file.error();
    if (auto st = file->write(bytes); !st) return st;
    return file->commit();
}

} // namespace hk::output
