#pragma once
// Hand-made zip archives for the tests: libzip refuses to write most of the damage a hostile
// archive carries, so these are assembled byte by byte (stored entries, or deflated data the
// caller takes from a real archive). Also the full-disk child the spreadsheet and zip tests
// share; files, folders and shell commands come from tests/support.

#include "support/files.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <algorithm>
#include <unistd.h>

namespace hk::test {

struct CraftEntry {
    std::string name;
    std::string data; // stored bytes as they appear in the archive
    std::uint32_t declaredSize =
        0xFFFFFFFFu;                   // uncompressed size in the directory; default = data.size()
    std::uint16_t method = 0;          // 0 stored, 8 deflate (data must then be raw deflate)
    std::uint32_t uncompressedCrc = 0; // used with method 8
    bool unixSymlink = false;
    std::int64_t pointAt = -1; // >= 0: the directory entry points at this entry's local header
    std::uint32_t cdExtra = 0; // added to both sizes in the directory only (overlapping data)
    bool badCrc = false;       // a checksum that does not match the data
};

inline void put16(std::string& s, std::uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
inline void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += char((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t crcOf(const std::string& data) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : data) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

inline std::string craftZip(const std::vector<CraftEntry>& entries) {
    std::string out;
    std::vector<std::uint32_t> offsets;
    for (const auto& e : entries) {
        offsets.push_back(std::uint32_t(out.size()));
        std::uint32_t crc =
            (e.method == 8 ? e.uncompressedCrc : crcOf(e.data)) ^ (e.badCrc ? 1u : 0u);
        std::uint32_t usize =
            e.declaredSize != 0xFFFFFFFFu ? e.declaredSize : std::uint32_t(e.data.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, e.method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, std::uint32_t(e.data.size()));
        put32(out, usize);
        put16(out, std::uint16_t(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += e.data;
    }
    std::uint32_t cdStart = std::uint32_t(out.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        std::uint32_t crc =
            (e.method == 8 ? e.uncompressedCrc : crcOf(e.data)) ^ (e.badCrc ? 1u : 0u);
        std::uint32_t usize =
            e.declaredSize != 0xFFFFFFFFu ? e.declaredSize : std::uint32_t(e.data.size());
        put32(out, 0x02014b50);
        put16(out, std::uint16_t((3 << 8) | 20)); // made by unix
        put16(out, 20);
        put16(out, 0);
        put16(out, e.method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, std::uint32_t(e.data.size()) + e.cdExtra);
        put32(out, usize + e.cdExtra);
        put16(out, std::uint16_t(e.name.size()));
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put16(out, 0);
        put32(out, (e.unixSymlink ? 0120777u : 0100644u) << 16);
        put32(out, e.pointAt >= 0 ? offsets[std::size_t(e.pointAt)] : offsets[i]);
        out += e.name;
    }
    std::uint32_t cdSize = std::uint32_t(out.size()) - cdStart;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, std::uint16_t(entries.size()));
    put16(out, std::uint16_t(entries.size()));
    put32(out, cdSize);
    put32(out, cdStart);
    put16(out, 0);
    return out;
}

// Output and exit status of a shell command (-1 when it did not end normally).
inline std::pair<int, std::string> run(const std::string& cmd) {
    return sh(cmd);
}

// Runs `reportsFailure` in a child process whose files may not grow past 16 KiB, as on a full
// disk; true when the child ended normally and `reportsFailure` returned true.
template <typename F> bool failureReportedOnFullDisk(F&& reportsFailure) {
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(reportsFailure() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace hk::test
