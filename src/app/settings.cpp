#include "app/settings.h"

#include "core/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hk::app {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view trimView(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

struct Line {
    std::string_view body; // without its line end
    std::string_view end;  // "\r\n", "\n" or "" (last line without one)
};

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t nl = content.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({content.substr(pos), {}});
            break;
        }
        std::size_t bodyEnd = nl;
        if (bodyEnd > pos && content[bodyEnd - 1] == '\r') --bodyEnd;
        lines.push_back({content.substr(pos, bodyEnd - pos), content.substr(bodyEnd, nl + 1 - bodyEnd)});
        pos = nl + 1;
    }
    return lines;
}

// Section name of a "[name]" line, none for any other line.
std::optional<std::string_view> sectionOf(std::string_view body) {
    std::string_view t = trimView(body);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimView(t.substr(1, close - 1));
}

bool isComment(std::string_view body) {
    std::string_view t = trimView(body);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Key and value of a "key=value" line.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view body) {
    if (isComment(body)) return std::nullopt;
    std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(trimView(body.substr(0, eq)), trimView(body.substr(eq + 1)));
}

bool badName(std::string_view s) {
    if (trimView(s).empty() || trimView(s).size() != s.size()) return true;
    for (char c : s)
        if (c == '[' || c == ']' || c == '=' || c == '\r' || c == '\n' || c == '\0') return true;
    return false;
}

core::Result<std::string> readFile(const std::filesystem::path& p, bool& exists) {
    std::error_code ec;
    exists = std::filesystem::exists(p, ec);
    if (!exists) return std::string{};
    std::ifstream in(p, std::ios::binary);
    if (!in) return core::Error::of(errno, std::strerror(errno), p.string());
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return core::Error::of(EIO, "okunamadı", p.string());
    return ss.str();
}

core::Status writeAtomically(const std::filesystem::path& p, const std::string& content) {
    std::filesystem::path dir = p.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / (p.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return core::Error::of(errno, std::strerror(errno), p.string());
    const std::string tmp(name.data());
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            return core::Error::of(err, std::strerror(err), p.string());
        }
        done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return core::Error::of(err, std::strerror(err), p.string());
    }
    if (std::rename(tmp.c_str(), p.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return core::Error::of(err, std::strerror(err), p.string());
    }
    return {};
}

} // namespace

namespace ini {

std::optional<std::string> lookup(std::string_view content, std::string_view section,
                                  std::string_view key) {
    bool inSection = false;
    for (const Line& l : splitLines(content)) {
        if (auto s = sectionOf(l.body)) {
            inSection = equalNoCase(*s, section);
            continue;
        }
        if (!inSection) continue;
        if (auto e = entryOf(l.body); e && equalNoCase(e->first, key)) return std::string(e->second);
    }
    return std::nullopt;
}

std::string update(std::string_view content, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::vector<Line> lines = splitLines(content);
    const std::string_view eol =
        (!lines.empty() && lines.front().end == "\r\n") ? std::string_view("\r\n") : "\n";
    const std::string entry = std::string(key) + "=" + std::string(value);

    // First matching section; the key is looked for there only, as readers find it there first.
    std::size_t sectionLine = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (auto s = sectionOf(lines[i].body); s && equalNoCase(*s, section)) {
            sectionLine = i;
            break;
        }

    std::string out;
    out.reserve(content.size() + entry.size() + section.size() + 8);
    auto append = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            out += lines[i].body;
            out += lines[i].end;
        }
    };

    if (sectionLine == lines.size()) {
        out.assign(content);
        if (!out.empty() && out.back() != '\n') out += eol;
        if (!out.empty()) out += eol; // a blank line between sections reads better
        out += "[" + std::string(section) + "]";
        out += eol;
        out += entry;
        out += eol;
        return out;
    }

    std::size_t sectionEnd = lines.size();
    for (std::size_t i = sectionLine + 1; i < lines.size(); ++i)
        if (sectionOf(lines[i].body)) {
            sectionEnd = i;
            break;
        }

    for (std::size_t i = sectionLine + 1; i < sectionEnd; ++i) {
        auto e = entryOf(lines[i].body);
        if (!e || !equalNoCase(e->first, key)) continue;
        append(0, i);
        // Keep the key as it was spelled in the file.
        std::string_view body = lines[i].body;
        out += trimView(body.substr(0, body.find('=')));
        out += "=";
        out += value;
        out += lines[i].end.empty() ? std::string_view() : lines[i].end;
        append(i + 1, lines.size());
        return out;
    }

    // New key: after the last non-blank line of the section.
    std::size_t insertAfter = sectionLine;
    for (std::size_t i = sectionLine + 1; i < sectionEnd; ++i)
        if (!trimView(lines[i].body).empty()) insertAfter = i;
    append(0, insertAfter + 1);
    if (lines[insertAfter].end.empty()) out += eol;
    out += entry;
    out += eol;
    append(insertAfter + 1, lines.size());
    return out;
}

} // namespace ini

Settings::Settings(std::filesystem::path file) : path_(std::move(file)) {}

std::filesystem::path Settings::defaultPath() {
    std::error_code ec;
    auto cwd = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(kSettingsFileName) : cwd / kSettingsFileName;
}

std::optional<std::string> Settings::get(std::string_view section, std::string_view key) const {
    std::lock_guard lock(mutex_);
    bool exists = false;
    auto content = readFile(path_, exists);
    if (!content.ok() || !exists) return std::nullopt;
    auto v = ini::lookup(*content, section, key);
    // A settings file carried over from a Windows installation holds its texts in the Windows
    // Turkish code page; such a value is read as that, never handed on as broken UTF-8.
    if (v && !core::text::isValidUtf8(*v)) return core::text::fromCp1254(*v);
    return v;
}

std::string Settings::getText(std::string_view section, std::string_view key,
                              std::string_view fallback) const {
    auto v = get(section, key);
    return v ? *v : std::string(fallback);
}

int Settings::getInt(std::string_view section, std::string_view key, int fallback) const {
    auto v = get(section, key);
    if (!v) return fallback;
    const std::string& s = *v;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > 2147483647LL) return fallback; // not a number the program ever writes
    }
    return static_cast<int>(negative ? -n : n);
}

core::Status Settings::set(std::string_view section, std::string_view key, std::string_view value) {
    if (badName(section))
        return core::Error::of(0, "Geçersiz ayar bölümü adı: \"" + std::string(section) + "\"",
                               path_.string());
    if (badName(key))
        return core::Error::of(0, "Geçersiz ayar adı: \"" + std::string(key) + "\"", path_.string());
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return core::Error::of(0, "Ayar değeri satır sonu içeremez: [" + std::string(section) + "] " +
                                      std::string(key),
                               path_.string());
    std::lock_guard lock(mutex_);
    bool exists = false;
    auto content = readFile(path_, exists);
    if (!content.ok()) return content.error();
    if (auto old = ini::lookup(*content, section, key); old && *old == trimView(value)) return {};
    return writeAtomically(path_, ini::update(*content, section, key, value));
}

core::Status Settings::setInt(std::string_view section, std::string_view key, int value) {
    return set(section, key, std::to_string(value));
}

} // namespace hk::app
