// Any bytes as a zip archive: the directory checks and the bounded reads must hold whatever the
// bytes claim.
#include "output/zip_archive.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hk::output::ArchiveLimits limits;
    limits.maxTotalBytes = 16u << 20;
    limits.maxEntryBytes = 8u << 20;
    auto zip = hk::output::ZipReader::openBytes(
        std::string(reinterpret_cast<const char*>(data), size), limits);
    if (!zip.ok()) return 0;
    for (std::size_t i = 0; i < zip->entries().size(); ++i) {
        auto bytes = zip->read(int(i));
        if (bytes.ok() && bytes->size() != zip->entries()[i].size) __builtin_trap();
    }
    return 0;
}
