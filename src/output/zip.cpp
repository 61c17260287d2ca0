#include "output/zip.h"

#include "output/atomic_file.h"

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hk::output {

namespace {

// What the archive holds is the input's fault; a file that cannot be read or written is the
// storage's.
core::Error fail(int code, std::string text) {
    core::Error e = core::Error::of(code, std::move(text));
    e.kind = code == kArchiveWriteFailed || code < kArchiveNotFound ? core::ErrorKind::Storage
                                                                     : core::ErrorKind::BadInput;
    return e;
}
core::Error fail(const core::Error& e) {
    return fail(e.code == 0 ? kArchiveCorrupt : e.code, e.text);
}

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};

// Splits an entry name into its folder components; refuses what could land outside the target.
core::Result<std::vector<std::string>> safeComponents(const std::string& name) {
    auto refuse = [&](const std::string& why) {
        return core::Error::of(kArchiveUnsafeName, "unsafe entry name \"" + name + "\": " + why);
    };
    if (name.empty()) return refuse("empty");
    for (unsigned char c : name)
        if (c < 0x20) return refuse("control character");
    if (name[0] == '/' || name[0] == '\\') return refuse("absolute path");
    if (name.size() >= 2 && name[1] == ':') return refuse("drive letter");
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&]() -> bool {
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
        return true;
    };
    for (char c : name) {
        // Archives made on Windows may use backslashes; they separate folders there, so they
        // must be checked as separators here too.
        if (c == '/' || c == '\\') {
            if (!flush()) return refuse("\"..\" component");
        } else {
            part += c;
        }
    }
    if (!flush()) return refuse("\"..\" component");
    if (parts.empty()) return refuse("no file name");
    return parts;
}

bool isRealDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

ArchiveLimits extractionLimits() {
    ArchiveLimits l;
    l.maxArchiveBytes = 512ull << 20;
    l.maxEntryBytes = 0xFFFFFFFEull; // the largest entry a zip without zip64 can describe
    l.maxTotalBytes = 8ull << 30;
    return l;
}

core::Status packFile(const std::string& file, const std::string& archive) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail(kArchiveNotFound, file + ": file not found");
    auto temp = AtomicFile::create(archive);
    if (!temp) return fail(kArchiveWriteFailed, temp.error().text);

    int err = 0;
    std::unique_ptr<zip_t, ZipDiscard> z(zip_open(temp->temporary().c_str(), ZIP_TRUNCATE, &err));
    if (!z) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, err);
        core::Error r = fail(err, archive + ": " + zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return r;
    }
    zip_source_t* src = zip_source_file_create(file.c_str(), 0, -1, nullptr);
    if (!src)
        return fail(zip_error_code_zip(zip_get_error(z.get())),
                    file + ": " + zip_strerror(z.get()));
    zip_int64_t idx = zip_file_add(z.get(), std::filesystem::path(file).filename().c_str(), src,
                                   ZIP_FL_ENC_GUESS);
    if (idx < 0) {
        zip_source_free(src);
        return fail(zip_error_code_zip(zip_get_error(z.get())),
                    archive + ": " + zip_strerror(z.get()));
    }
    if (zip_set_file_compression(z.get(), zip_uint64_t(idx), ZIP_CM_DEFLATE, 9) != 0)
        return fail(zip_error_code_zip(zip_get_error(z.get())),
                    archive + ": " + zip_strerror(z.get()));
    if (zip_close(z.get()) != 0)
        return fail(zip_error_code_zip(zip_get_error(z.get())),
                    archive + ": " + zip_strerror(z.get()));
    z.release(); // zip_close freed it
    auto st2 = temp->commit();
    if (!st2) return fail(kArchiveWriteFailed, st2.error().text);
    return {};
}

core::Status extractAll(const std::string& archive, const std::string& folder,
                     const ArchiveLimits& limits) {
    if (!isRealDirectory(folder)) return fail(kArchiveWriteFailed, folder + ": folder not found");
    auto reader = ZipReader::openFile(archive, limits);
    if (!reader) return fail(reader.error());

    // Check every name before writing anything.
    struct Plan {
        int index;
        std::vector<std::string> parts;
        bool directory;
    };
    std::vector<Plan> plan;
    std::set<std::string> seen;
    const auto& entries = reader->entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& e = entries[i];
        if (e.symlink)
            return fail(kArchiveUnsafeName, archive + ": entry \"" + e.name + "\" is a link");
        // Control bytes are looked for in the raw name: the DOS code page turns them into glyphs.
        for (unsigned char ch : e.rawName)
            if (ch < 0x20)
                return fail(kArchiveUnsafeName,
                            archive + ": unsafe entry name \"" + e.name + "\": control character");
        auto parts = safeComponents(e.name);
        if (!parts) return fail(parts.error().code, archive + ": " + parts.error().text);
        std::string joined;
        for (const auto& p : *parts)
            joined += "/" + p;
        if (!e.directory && !seen.insert(joined).second)
            return fail(kArchiveUnsafeName, archive + ": entry \"" + e.name + "\" appears twice");
        plan.push_back(Plan{int(i), std::move(*parts), e.directory});
    }

    // Folders we create are removed again when the extraction fails.
    std::vector<std::string> created;
    auto undo = [&]() {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            ::rmdir(it->c_str());
    };
    auto ensureFolder = [&](const std::vector<std::string>& parts, std::size_t count,
                            std::string& out) -> core::Status {
        out = folder;
        for (std::size_t k = 0; k < count; ++k) {
            out += "/" + parts[k];
            if (isRealDirectory(out)) continue;
            if (::mkdir(out.c_str(), 0755) != 0)
                // An existing link or file here would redirect or block the entry.
                return core::Error::of(kArchiveWriteFailed, out + ": cannot create the folder (" +
                                                                std::strerror(errno) + ")");
            created.push_back(out);
        }
        return {};
    };

    std::vector<AtomicFile> written;
    for (const Plan& p : plan) {
        std::string dir;
        std::size_t folderParts = p.directory ? p.parts.size() : p.parts.size() - 1;
        if (auto st = ensureFolder(p.parts, folderParts, dir); !st) {
            written.clear();
            undo();
            return fail(st.error());
        }
        if (p.directory) continue;
        std::string target = dir + "/" + p.parts.back();
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            written.clear();
            undo();
            return fail(kArchiveUnsafeName, target + ": exists and is not a plain file");
        }
        auto temp = AtomicFile::create(target);
        if (!temp) {
            written.clear();
            undo();
            return fail(kArchiveWriteFailed, temp.error().text);
        }
        core::Status wrote;
        auto copied = reader->forEachChunk(p.index, [&](const char* data, std::size_t n) {
            wrote = temp->write(std::string_view(data, n));
            return bool(wrote);
        });
        if (wrote) wrote = temp->close();
        if (!copied || !wrote) {
            temp->discard(); // its folder can only go once it is empty
            written.clear();
            undo();
            return copied ? fail(kArchiveWriteFailed,
                                 target + ": cannot write the file (" + wrote.error().text + ")")
                          : fail(copied.error());
        }
        written.push_back(std::move(*temp));
    }
    for (auto& t : written)
        if (auto st = t.commit(); !st) return fail(kArchiveWriteFailed, st.error().text);
    return {};
}

} // namespace hk::output
