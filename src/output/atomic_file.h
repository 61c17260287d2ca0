#pragma once
// A file that appears under its final name only when it is complete.
//
// AtomicFile makes a hidden, uniquely named file in the target's folder (same file system, so
// the final rename is atomic). It is written either through write() or, for libraries that
// want a file name (the workbook and zip writers), by name through temporary(). commit()
// flushes it to disk and renames it over the target; until then the target is untouched. On
// any failure, and when the object goes away without commit(), the temporary file is removed,
// so a full disk or an unwritable folder never leaves half a file.
//
// Only an ordinary file (or a link, which is replaced, not followed) is ever replaced: renaming
// over a device, a pipe or a folder would destroy it.

#include "core/result.h"

#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace hk::output {

// Error code of the refusal to replace something that is not an ordinary file.
inline constexpr int kNotAnOrdinaryFile = 501;

class AtomicFile {
  public:
    [[nodiscard]] static core::Result<AtomicFile> create(const std::filesystem::path& target);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    [[nodiscard]] core::Status write(std::string_view bytes);
    // Ends the writing but keeps the file for a later commit(): whoever holds many files
    // until all of them are complete must not hold a descriptor for each.
    [[nodiscard]] core::Status close();
    // Flushes the temporary file to disk and renames it onto the target. Whoever wrote it by
    // name must have closed it first.
    [[nodiscard]] core::Status commit();
    // Drops what was written; the target stays as it was.
    void discard();

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return tmp_; }

  private:
    AtomicFile(int fd, mode_t mode, std::filesystem::path tmp, std::filesystem::path target)
        : fd_(fd), mode_(mode), tmp_(std::move(tmp)), target_(std::move(target)) {}
    core::Status fail(const std::string& what, int err);

    int fd_ = -1;
    mode_t mode_ = 0644; // what the file was created with: an ordinary document of the user
    std::filesystem::path tmp_;
    std::filesystem::path target_;
};

// The whole content in one go.
[[nodiscard]] core::Status writeFileAtomically(const std::filesystem::path& target,
                                               std::string_view bytes);

} // namespace hk::output
