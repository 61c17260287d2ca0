#pragma once
// The two zip steps of the program: pack one file into a new archive, and extract every file of
// an archive into a folder. Both give back a Status; a failure's Error::code is libzip's own
// error number (1..32) when libzip fails, or an ArchiveError code of zip_archive.h (101..) for
// what this layer refuses; the callers show it as "Hata Oluştu: " + code. An archive refused for
// its contents (unsafe names, limits, damage) is ErrorKind::BadInput; a file that cannot be read
// or written is ErrorKind::Storage.

#include "core/result.h"
#include "output/zip_archive.h"

#include <string>

namespace hk::output {

// Packs `file` into a new archive `archive` (an existing archive of that name is replaced) under
// its bare file name, deflated at level 9. The archive is built under a temporary name beside
// the target and renamed when complete, so a failure leaves no half archive.
core::Status packFile(const std::string& file, const std::string& archive);

// Extraction serves transfer files of a whole data set, which may be far larger than a workbook.
ArchiveLimits extractionLimits();

// Extracts every file of `archive` into `folder` (which must exist). Names are checked first:
// absolute names, drive letters, ".." components, links and entries other than plain files and
// folders are refused, as is any archive beyond the limits. Files are written under temporary
// names and renamed into place only when every entry has been read completely, so a refused or
// damaged archive leaves the folder as it was. Existing files of the same names are replaced.
core::Status extractAll(const std::string& archive, const std::string& folder,
                     const ArchiveLimits& limits = extractionLimits());

} // namespace hk::output
