#include "output/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace hk::output {

namespace {

using core::Error;

std::uint16_t u16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t u32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

constexpr std::uint32_t kLocalSig = 0x04034b50;
constexpr std::uint32_t kCentralSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::size_t kLocalFixed = 30;
constexpr std::size_t kCentralFixed = 46;
constexpr std::size_t kEndFixed = 22;

Error corrupt(const std::string& label, const std::string& what) {
    return Error::of(kArchiveCorrupt, label + ": damaged zip archive (" + what + ")");
}

struct RawEntry {
    ArchiveEntry entry;
    std::string rawName;
    std::uint64_t dataStart = 0, dataEnd = 0; // compressed bytes [start, end)
    std::uint64_t localOffset = 0;
};

// Walks the end record and the central directory and checks everything that can be checked
// without inflating a byte. Returns the entries in directory order.
core::Result<std::vector<RawEntry>> scanDirectory(const unsigned char* data, std::size_t size,
                                                  const ArchiveLimits& limits,
                                                  const std::string& label) {
    if (size < kEndFixed) return corrupt(label, "too short to be a zip archive");
    // The end record sits in the last 22 + 65535 bytes; take the last signature whose comment
    // length fits exactly, so a signature inside the comment cannot mislead us.
    std::size_t endPos = std::string::npos;
    std::size_t lowest = size > kEndFixed + 0xFFFF ? size - kEndFixed - 0xFFFF : 0;
    for (std::size_t p = size - kEndFixed + 1; p-- > lowest;) {
        if (u32(data + p) == kEndSig && p + kEndFixed + u16(data + p + 20) == size) {
            endPos = p;
            break;
        }
    }
    if (endPos == std::string::npos) return corrupt(label, "no end of central directory");
    const unsigned char* e = data + endPos;
    std::uint16_t disk = u16(e + 4), cdDisk = u16(e + 6);
    std::uint16_t countDisk = u16(e + 8), count = u16(e + 10);
    std::uint32_t cdSize = u32(e + 12), cdOffset = u32(e + 16);
    if (count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF)
        return Error::of(kArchiveUnsupported, label + ": zip64 archives are not supported");
    if (disk != 0 || cdDisk != 0 || countDisk != count)
        return Error::of(kArchiveUnsupported,
                         label + ": multi-part zip archives are not supported");
    if (count > limits.maxEntries)
        return Error::of(kArchiveLimit, label + ": the archive holds " + std::to_string(count) +
                                            " entries, more than the " +
                                            std::to_string(limits.maxEntries) + " allowed");
    if (std::uint64_t(cdOffset) + cdSize > endPos)
        return corrupt(label, "central directory outside the archive");

    std::vector<RawEntry> out;
    out.reserve(count);
    std::uint64_t total = 0;
    std::size_t pos = cdOffset;
    const std::size_t cdEnd = std::size_t(cdOffset) + cdSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (pos + kCentralFixed > cdEnd || u32(data + pos) != kCentralSig)
            return corrupt(label, "bad central directory entry");
        const unsigned char* c = data + pos;
        std::uint16_t madeBy = u16(c + 4), flags = u16(c + 8), method = u16(c + 10);
        std::uint32_t csize = u32(c + 20), usize = u32(c + 24);
        std::uint16_t nameLen = u16(c + 28), extraLen = u16(c + 30), commentLen = u16(c + 32);
        std::uint32_t external = u32(c + 38), localOffset = u32(c + 42);
        if (pos + kCentralFixed + nameLen + extraLen + commentLen > cdEnd)
            return corrupt(label, "central directory entry runs past its end");
        RawEntry r;
        r.rawName.assign(reinterpret_cast<const char*>(c + kCentralFixed), nameLen);
        pos += kCentralFixed + nameLen + extraLen + commentLen;

        if (csize == 0xFFFFFFFF || usize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
            return Error::of(kArchiveUnsupported, label + ": zip64 entries are not supported");
        if (flags & 0x0001)
            return Error::of(kArchiveUnsupported,
                             label + ": encrypted entry \"" + r.rawName + "\" cannot be read");
        if (method != ZIP_CM_STORE && method != ZIP_CM_DEFLATE)
            return Error::of(kArchiveUnsupported, label + ": entry \"" + r.rawName +
                                                      "\" uses an unsupported compression method");
        if (method == ZIP_CM_STORE && csize != usize)
            return corrupt(label, "stored entry with differing sizes");
        if (usize > limits.maxEntryBytes)
            return Error::of(kArchiveLimit, label + ": entry \"" + r.rawName +
                                                "\" is larger than " +
                                                std::to_string(limits.maxEntryBytes) + " bytes");
        if (usize > limits.ratioFloorBytes &&
            usize / std::max<std::uint64_t>(csize, 1) > limits.maxRatio)
            return Error::of(kArchiveLimit, label + ": entry \"" + r.rawName +
                                                "\" is compressed suspiciously well (zip bomb?)");
        total += usize;
        if (total > limits.maxTotalBytes)
            return Error::of(kArchiveLimit, label + ": the archive unpacks to more than " +
                                                std::to_string(limits.maxTotalBytes) + " bytes");

        // Local header: same name, and the compressed data must lie before the directory.
        if (std::uint64_t(localOffset) + kLocalFixed > cdOffset ||
            u32(data + localOffset) != kLocalSig)
            return corrupt(label, "bad local header");
        const unsigned char* l = data + localOffset;
        std::uint16_t lName = u16(l + 26), lExtra = u16(l + 28);
        r.dataStart = std::uint64_t(localOffset) + kLocalFixed + lName + lExtra;
        r.dataEnd = r.dataStart + csize;
        if (r.dataEnd > cdOffset) return corrupt(label, "entry data outside the archive");
        if (lName != nameLen || std::memcmp(l + kLocalFixed, r.rawName.data(), nameLen) != 0)
            return corrupt(label, "local and central names differ");
        r.localOffset = localOffset;

        unsigned host = madeBy >> 8;
        unsigned mode = external >> 16;
        r.entry.compressedSize = csize;
        r.entry.size = usize;
        r.entry.directory = !r.rawName.empty() && r.rawName.back() == '/';
        r.entry.symlink = host == 3 && (mode & 0170000) == 0120000;
        out.push_back(std::move(r));
    }

    // One name, one entry: tools disagree about which of two twins they read.
    std::vector<const std::string*> names;
    for (const auto& r : out)
        names.push_back(&r.rawName);
    std::sort(names.begin(), names.end(), [](auto* a, auto* b) { return *a < *b; });
    for (std::size_t i = 1; i < names.size(); ++i)
        if (*names[i] == *names[i - 1])
            return corrupt(label, "entry \"" + *names[i] + "\" appears twice");

    // No two entries may share compressed bytes (overlapping-entry bombs).
    std::vector<const RawEntry*> byOffset;
    for (const auto& r : out)
        byOffset.push_back(&r);
    std::sort(byOffset.begin(), byOffset.end(),
              [](auto* a, auto* b) { return a->localOffset < b->localOffset; });
    for (std::size_t i = 1; i < byOffset.size(); ++i)
        if (byOffset[i]->localOffset < byOffset[i - 1]->dataEnd)
            return corrupt(label, "entries overlap");
    return out;
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

} // namespace

struct ZipReader::Impl {
    std::unique_ptr<std::string> bytes; // libzip reads from this buffer; it must not move
    std::unique_ptr<zip_t, ZipCloser> zip;
    std::vector<ArchiveEntry> entries;
    ArchiveLimits limits;
    std::string label;
};

ZipReader::ZipReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZipReader::ZipReader(ZipReader&&) noexcept = default;
ZipReader& ZipReader::operator=(ZipReader&&) noexcept = default;
ZipReader::~ZipReader() = default;

core::Result<ZipReader> ZipReader::openFile(const std::string& path, const ArchiveLimits& limits) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error::of(kArchiveNotFound, path + ": file not found", path);
    if (std::uint64_t(st.st_size) > limits.maxArchiveBytes)
        return Error::of(kArchiveTooLarge,
                         path + ": file is larger than " + std::to_string(limits.maxArchiveBytes) +
                             " bytes",
                         path);
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::size_t(st.st_size), '\0');
    if (!in || !in.read(bytes.data(), std::streamsize(bytes.size())))
        return Error::of(kArchiveNotFound, path + ": cannot read the file", path);
    auto r = openBytes(std::move(bytes), limits, path);
    return r;
}

core::Result<ZipReader> ZipReader::openBytes(std::string bytes, const ArchiveLimits& limits,
                                             const std::string& label) {
    if (bytes.size() > limits.maxArchiveBytes)
        return Error::of(kArchiveTooLarge, label + ": archive is larger than " +
                                               std::to_string(limits.maxArchiveBytes) + " bytes");
    auto impl = std::make_unique<Impl>();
    impl->bytes = std::make_unique<std::string>(std::move(bytes));
    impl->limits = limits;
    impl->label = label;
    const auto* data = reinterpret_cast<const unsigned char*>(impl->bytes->data());
    auto scanned = scanDirectory(data, impl->bytes->size(), limits, label);
    if (!scanned) return scanned.error();

    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(impl->bytes->data(), impl->bytes->size(), 0, &err);
    if (!src) {
        Error e = Error::of(zip_error_code_zip(&err), label + ": " + zip_error_strerror(&err));
        zip_error_fini(&err);
        return e;
    }
    zip_t* z = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!z) {
        zip_source_free(src);
        Error e = corrupt(label, zip_error_strerror(&err));
        zip_error_fini(&err);
        return e;
    }
    zip_error_fini(&err);
    impl->zip.reset(z);
    if (zip_get_num_entries(z, 0) != zip_int64_t(scanned->size()))
        return corrupt(label, "entry count mismatch");
    for (std::size_t i = 0; i < scanned->size(); ++i) {
        auto& r = (*scanned)[i];
        const char* raw = zip_get_name(z, i, ZIP_FL_ENC_RAW);
        if (!raw || r.rawName != raw) return corrupt(label, "directory mismatch");
        const char* utf8 = zip_get_name(z, i, ZIP_FL_ENC_GUESS);
        r.entry.name = utf8 ? utf8 : r.rawName;
        r.entry.rawName = r.rawName;
        impl->entries.push_back(std::move(r.entry));
    }
    return ZipReader(std::move(impl));
}

const std::vector<ArchiveEntry>& ZipReader::entries() const {
    return impl_->entries;
}

int ZipReader::find(std::string_view name) const {
    for (std::size_t i = 0; i < impl_->entries.size(); ++i)
        if (impl_->entries[i].name == name) return int(i);
    return -1;
}

core::Status ZipReader::readChunks(int index, void* ctx,
                                   bool (*sink)(void*, const char*, std::size_t)) const {
    if (index < 0 || std::size_t(index) >= impl_->entries.size())
        return Error::of(kArchiveCorrupt, impl_->label + ": no such entry");
    const ArchiveEntry& entry = impl_->entries[std::size_t(index)];
    zip_file_t* f = zip_fopen_index(impl_->zip.get(), zip_uint64_t(index), 0);
    if (!f) return corrupt(impl_->label, zip_strerror(impl_->zip.get()));
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> guard(f, zip_fclose);
    std::array<char, 65536> buf{};
    std::uint64_t total = 0;
    for (;;) {
        zip_int64_t n = zip_fread(f, buf.data(), buf.size());
        if (n < 0) return corrupt(impl_->label, "\"" + entry.name + "\": " + zip_file_strerror(f));
        if (n == 0) break;
        total += std::uint64_t(n);
        // The declared size already passed the limits, so holding the entry to it bounds the
        // output even when the directory lies.
        if (total > entry.size)
            return corrupt(impl_->label, "\"" + entry.name + "\" is larger than declared");
        if (!sink(ctx, buf.data(), std::size_t(n)))
            return Error::of(kArchiveWriteFailed,
                             impl_->label + ": \"" + entry.name + "\" could not be stored");
    }
    if (total != entry.size)
        return corrupt(impl_->label, "\"" + entry.name + "\" is shorter than declared");
    return {};
}

core::Result<std::string> ZipReader::read(int index) const {
    std::string out;
    // The declared size is only a claim until the data are inflated: reserve a little of it.
    if (index >= 0 && std::size_t(index) < impl_->entries.size())
        out.reserve(std::size_t(
            std::min<std::uint64_t>(impl_->entries[std::size_t(index)].size, 1u << 20)));
    auto st = forEachChunk(index, [&](const char* p, std::size_t n) {
        out.append(p, n);
        return true;
    });
    if (!st) return st.error();
    return out;
}

} // namespace hk::output
