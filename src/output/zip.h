#pragma once
// The two zip steps of the program: pack one file into a new archive, and extract every file of
// an archive into a folder. Both give back a result code (0 = success) and an error text; the
// callers show a non-zero code as "Hata Oluştu: " + code.
//
// Result codes: 0 success; libzip's own error numbers (1..32) when libzip fails; the
// ArchiveError codes of zip_archive.h (101..) for what this layer refuses.

#include "output/zip_archive.h"

#include <string>

namespace hk::output {

struct ZipResult {
    int code = 0;
    std::string text;
    bool ok() const { return code == 0; }
};

// Packs `file` into a new archive `archive` (an existing archive of that name is replaced) under
// its bare file name, deflated at level 9. The archive is built under a temporary name beside
// the target and renamed when complete, so a failure leaves no half archive.
ZipResult packFile(const std::string& file, const std::string& archive);

// Extraction serves transfer files of a whole data set, which may be far larger than a workbook.
ArchiveLimits extractionLimits();

// Extracts every file of `archive` into `folder` (which must exist). Names are checked first:
// absolute names, drive letters, ".." components, links and entries other than plain files and
// folders are refused, as is any archive beyond the limits. Files are written under temporary
// names and renamed into place only when every entry has been read completely, so a refused or
// damaged archive leaves the folder as it was. Existing files of the same names are replaced.
ZipResult extractAll(const std::string& archive, const std::string& folder,
                     const ArchiveLimits& limits = extractionLimits());

} // namespace hk::output
