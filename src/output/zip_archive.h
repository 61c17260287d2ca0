#pragma once
// Reading zip archives that come from outside (workbooks, transfer archives). An archive is read
// into memory and its central directory is checked before libzip decompresses anything:
//
//   | check                          | why                                                     |
//   |--------------------------------|---------------------------------------------------------|
//   | archive size, entry count      | bounded memory before any parsing                       |
//   | declared sizes, ratio, total   | zip bombs announce themselves in the directory          |
//   | entries may not overlap        | overlapping-entry bombs reuse one compressed stream     |
//   | local name = directory name    | no entry that reads differently to different tools      |
//   | stored or deflate, unencrypted | nothing we cannot read honestly                          |
//   | actual output size             | a lying directory is caught while inflating             |
//
// Entry names are reported as UTF-8; whether a name is safe to extract is decided by the
// extraction step (zip.h), not here, so a workbook with odd names can still be read.

#include "core/result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace hk::output {

struct ArchiveLimits {
    std::uint64_t maxArchiveBytes = 256ull << 20; // the archive file itself
    std::size_t maxEntries = 10000;
    std::uint64_t maxEntryBytes = 128ull << 20; // one entry, uncompressed
    std::uint64_t maxTotalBytes = 512ull << 20; // all entries, uncompressed
    // Uncompressed / compressed, checked for entries above ratioFloorBytes only: a small file of
    // blanks compresses extremely well and is harmless.
    std::uint64_t maxRatio = 1000;
    std::uint64_t ratioFloorBytes = 1ull << 20;
};

struct ArchiveEntry {
    std::string name;       // UTF-8
    std::string rawName;    // the bytes of the archive (old archives: DOS code page)
    std::uint64_t size = 0; // uncompressed, as declared (and verified on reading)
    std::uint64_t compressedSize = 0;
    bool directory = false;
    bool symlink = false;
};

// Error codes of the archive layer (Error::code). Values above 100 so they never collide with
// libzip's own error numbers, which are passed through unchanged.
enum ArchiveError : int {
    kArchiveNotFound = 101,
    kArchiveTooLarge = 102,
    kArchiveCorrupt = 103,
    kArchiveUnsupported = 104,
    kArchiveLimit = 105,
    kArchiveUnsafeName = 106,
    kArchiveWriteFailed = 107,
};

class ZipReader {
  public:
    static core::Result<ZipReader> openFile(const std::string& path,
                                            const ArchiveLimits& limits = {});
    static core::Result<ZipReader> openBytes(std::string bytes, const ArchiveLimits& limits = {},
                                             const std::string& label = "archive");

    ZipReader(ZipReader&&) noexcept;
    ZipReader& operator=(ZipReader&&) noexcept;
    ~ZipReader();

    const std::vector<ArchiveEntry>& entries() const;
    // Index of the entry with exactly this name, or -1.
    int find(std::string_view name) const;
    // The whole uncompressed entry, refused when it outgrows its declared size or the limits.
    core::Result<std::string> read(int index) const;
    // Stream an entry in chunks (extraction writes straight to disk); sink(const char*, size_t)
    // returns false to stop with an error.
    template <typename Sink> core::Status forEachChunk(int index, Sink&& sink) const;

  private:
    struct Impl;
    explicit ZipReader(std::unique_ptr<Impl> impl);
    core::Status readChunks(int index, void* ctx,
                            bool (*sink)(void*, const char*, std::size_t)) const;
    std::unique_ptr<Impl> impl_;
};

template <typename Sink> core::Status ZipReader::forEachChunk(int index, Sink&& sink) const {
    return readChunks(index, &sink, [](void* ctx, const char* p, std::size_t n) {
        return (*static_cast<std::remove_reference_t<Sink>*>(ctx))(p, n);
    });
}

} // namespace hk::output
