#include "cli/options.h"

#include "core/text.h"
#include "core/utf8.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace hk::cli {

namespace fs = std::filesystem;

std::filesystem::path executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

std::filesystem::path absoluteFolder(const std::string& arg) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(arg), ec);
    return ec ? fs::path(arg) : p.lexically_normal();
}

std::string errorText(const core::Error& e) {
    std::string t = e.code ? e.describe() : e.text;
    if (!e.file.empty() && t.find(e.file) == std::string::npos) t += " (" + e.file + ")";
    return t;
}

int fail(const char* command, const std::string& text, int code) {
    std::fprintf(stderr, "hesapkar-cli %s: %s\n", command, text.c_str());
    return code;
}

std::string printable(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    auto escapeByte = [&](unsigned char b) {
        out += "\\x";
        out += hex[b >> 4];
        out += hex[b & 0xF];
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            switch (b) {
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (b < 0x20 || b == 0x7F)
                    escapeByte(b);
                else
                    out += char(b);
            }
            ++i;
            continue;
        }
        const auto st = core::utf8::decode(text, i);
        if (st.cp == core::utf8::kInvalid) {
            escapeByte(b);
            ++i;
            continue;
        }
        if (st.cp >= 0x80 && st.cp <= 0x9F) // C1 controls: CSI and friends on some terminals
            for (std::size_t k = 0; k < st.len; ++k)
                escapeByte(static_cast<unsigned char>(text[i + k]));
        else
            out.append(text.substr(i, st.len));
        i += st.len;
    }
    return out;
}

bool looksLikeSettingsFile(const fs::path& path) {
    constexpr std::uintmax_t kMaxSettingsBytes = 4u << 20;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    if (fs::file_size(path, ec) > kMaxSettingsBytes || ec) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find('\0') != std::string::npos) return false;
        const std::string t = core::text::trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.find(']') != std::string::npos) continue;
        if (t.find('=') != std::string::npos && t[0] != '=') continue;
        return false;
    }
    return !in.bad();
}

core::Result<CommonOptions> parseCommonOptions(const Args& args, bool keepOthers) {
    CommonOptions o;
    bool passwordGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0 || a == "--") {
            // An empty word is a variable that was not set ("init $DIR"), not the current folder.
            if (a.empty() && !keepOthers) return core::Error::of(0, "boş bir klasör adı verildi");
            o.positional.push_back(a);
            continue;
        }
        std::string name = a, value;
        bool hasValue = false;
        if (auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = true;
        }
        auto take = [&]() -> core::Result<std::string> {
            if (hasValue) return value;
            if (i + 1 >= args.size()) return core::Error::of(0, name + " bir değer ister");
            return args[++i];
        };
        if (name == "--yes" && !hasValue) {
            o.yes = true;
        } else if (name == "--aktar" && !hasValue) {
            o.aktar = true;
        } else if (name == "--program-dir") {
            auto v = take();
            if (!v) return v.error();
            o.programDir = absoluteFolder(*v);
        } else if (name == "--ini") {
            auto v = take();
            if (!v) return v.error();
            if (v->empty()) return core::Error::of(0, "--ini için dosya adı boş");
            o.ini = absoluteFolder(*v);
            std::error_code ec;
            if (fs::exists(o.ini, ec) && !looksLikeSettingsFile(o.ini))
                return core::Error::of(0, o.ini.string() +
                                              " bir ayar dosyası değil; üzerine ayar yazılmaz");
        } else if (name == "--user") {
            auto v = take();
            if (!v) return v.error();
            o.user = *v;
        } else if (name == "--password") {
            auto v = take();
            if (!v) return v.error();
            o.password = *v;
            passwordGiven = true;
        } else if (keepOthers) {
            o.positional.push_back(a);
        } else {
            return core::Error::of(0, "tanınmayan seçenek \"" + a + "\"");
        }
    }
    // A password given on the command line shows in the process list; scripts can pass it in
    // the environment instead.
    if (!passwordGiven)
        if (const char* env = std::getenv("HESAPKAR_PASSWORD")) o.password = env;
    if (o.programDir.empty()) o.programDir = executableFolder();
    if (o.programDir.empty()) o.programDir = fs::current_path();
    if (o.ini.empty()) o.ini = o.programDir / "Hesapkar.INI";
    return o;
}

} // namespace hk::cli
