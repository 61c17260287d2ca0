#pragma once
// A file that appears under its final name only when it is complete. Exports and extracted
// files are written to a temporary name in the target folder (same file system, so the final
// rename is atomic) and renamed by commit(); a TempFile destroyed without commit removes its
// temporary file, so a failed write never leaves half a file behind.

#include "core/result.h"

#include <string>

namespace hk::output {

class TempFile {
  public:
    // Creates an empty, uniquely named temporary file beside `target`. Refused when `target`
    // exists and is neither an ordinary file nor a link (a link is replaced, not followed).
    static core::Result<TempFile> beside(const std::string& target);

    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    const std::string& path() const { return temp_; }
    const std::string& target() const { return target_; }
    // Flushes the temporary file to disk, gives it ordinary file permissions and renames it to
    // the target, replacing an existing file of that name.
    core::Status commit();

  private:
    TempFile(std::string temp, std::string target)
        : temp_(std::move(temp)), target_(std::move(target)) {}
    void discard();
    std::string temp_, target_;
};

// Folder part of a path ("." when the path has none) and the bare file name.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);

} // namespace hk::output
