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
// over a device, a pipe or a folder would destroy it. A database is never replaced either: an
// output named after the books (a slip of the file dialog, a script's wrong argument) would
// destroy them, so a target that is a SQLite database, or the -wal, -shm or -journal file of
// one, is refused (kDatabaseTarget) before anything is written.
//
// An interrupted run leaves no temporary file behind: where the file system offers it the
// temporary file has no name at all until commit() (O_TMPFILE), so even a killed process leaves
// nothing; a temporary file that needs a name (written by name through temporary()) is removed
// by a handler of SIGINT, SIGTERM and SIGHUP, which then lets the signal do what it did before.

#include "core/result.h"

#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace hk::output {

// Error code of the refusal to replace something that is not an ordinary file.
inline constexpr int kNotAnOrdinaryFile = 501;
// Error code of the refusal to write over a database.
inline constexpr int kDatabaseTarget = 502;

// True when `path` is (or links to) a SQLite database, or is the -wal, -shm or -journal file
// beside one.
bool isDatabaseFile(const std::filesystem::path& path);

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
    // The temporary file's name, for libraries that write by name. A file that had no name yet
    // gets one here (empty when that fails).
    const std::filesystem::path& temporary() const;

  private:
    AtomicFile(int fd, mode_t mode, std::filesystem::path tmp, std::filesystem::path target)
        : fd_(fd), mode_(mode), tmp_(std::move(tmp)), target_(std::move(target)) {}
    core::Status fail(const std::string& what, int err);
    // Gives an unnamed temporary file its hidden name beside the target.
    core::Status name() const;
    void forget() const; // the temporary name no longer needs removing on a signal

    int fd_ = -1;
    mode_t mode_ = 0644; // what the file was created with: an ordinary document of the user
    // Unnamed (O_TMPFILE) until a name is needed; the name is given lazily from a const
    // accessor, hence mutable.
    mutable bool anonymous_ = false;
    mutable std::filesystem::path tmp_;
    mutable int slot_ = -1; // entry in the signal handler's table of names, -1 when none
    std::filesystem::path target_;
};

// The whole content in one go.
[[nodiscard]] core::Status writeFileAtomically(const std::filesystem::path& target,
                                               std::string_view bytes);

} // namespace hk::output
