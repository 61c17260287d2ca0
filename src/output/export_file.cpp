#include "output/export_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hk::output {

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash); // byte cut at an ASCII '/', safe for UTF-8 paths
}

std::string fileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

core::Result<TempFile> TempFile::beside(const std::string& target) {
    // Only an ordinary file may be replaced: renaming over a device or a folder would destroy it.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return core::Error::of(EEXIST, target + " exists and is not an ordinary file", target);
    std::string folder = folderOf(target);
    std::string pattern = folder + "/." + fileNameOf(target) + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkstemp(buf.data());
    if (fd < 0)
        return core::Error::of(
            errno, "cannot create a file in the folder " + folder + ": " + std::strerror(errno),
            target);
    ::close(fd);
    return TempFile(std::string(buf.data()), target);
}

TempFile::TempFile(TempFile&& other) noexcept
    : temp_(std::move(other.temp_)), target_(std::move(other.target_)) {
    other.temp_.clear();
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        discard();
        temp_ = std::move(other.temp_);
        target_ = std::move(other.target_);
        other.temp_.clear();
    }
    return *this;
}

TempFile::~TempFile() {
    discard();
}

void TempFile::discard() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

core::Status TempFile::commit() {
    if (temp_.empty()) return core::Error::of(EINVAL, "file already committed", target_);
    int fd = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        int e = errno;
        if (fd >= 0) ::close(fd);
        return core::Error::of(e, "cannot write " + target_ + ": " + std::strerror(e), target_);
    }
    ::close(fd);
    // mkstemp makes the file private; an export is an ordinary document of the user.
    ::chmod(temp_.c_str(), 0644);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        int e = errno;
        return core::Error::of(e, "cannot write " + target_ + ": " + std::strerror(e), target_);
    }
    temp_.clear();
    return {};
}

} // namespace hk::output
