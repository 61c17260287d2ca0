#include "expr/ini.h"

#include "core/text.h"

#include <fstream>
#include <sys/stat.h>

namespace hk::expr {

namespace {

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

} // namespace

core::Result<std::string> readIniValue(std::string_view file, std::string_view section,
                                       std::string_view entry, std::string_view fallback) {
    const std::string name = core::text::clip(file);
    if (name.size() < 5 || upperAscii(name.substr(name.size() - 4)) != ".INI")
        return core::Error::badInput("GETINI reads only settings files (.INI): " + name);
    struct stat st {};
    if (stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > kMaxIniBytes)
        return std::string(fallback);
    std::ifstream in(name, std::ios::binary);
    if (!in) return std::string(fallback);
    const std::string wantSection = upperAscii(trimmed(section));
    const std::string wantEntry = upperAscii(trimmed(entry));
    std::string line, current;
    std::size_t total = 0;
    while (std::getline(in, line)) {
        total += line.size() + 1;
        if (total > kMaxIniBytes) break;
        const std::string_view l = trimmed(line);
        if (l.empty() || l.front() == ';') continue;
        if (l.front() == '[') {
            const auto close = l.find(']');
            current = upperAscii(trimmed(l.substr(1, close == std::string_view::npos ? l.size() - 1 : close - 1)));
            continue;
        }
        if (current != wantSection) continue;
        const auto eq = l.find('=');
        if (eq == std::string_view::npos || upperAscii(trimmed(l.substr(0, eq))) != wantEntry) continue;
        const std::string_view v = trimmed(l.substr(eq + 1));
        // Settings files are UTF-8; an old one written in the Windows code page is read as such.
        return core::text::isValidUtf8(v) ? std::string(v) : core::text::fromCp1254(v);
    }
    return std::string(fallback);
}

} // namespace hk::expr
