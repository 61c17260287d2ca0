#include "cli/options.h"

#include <cstdio>
#include <cstdlib>

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

core::Result<CommonOptions> parseCommonOptions(const Args& args, bool keepOthers) {
    CommonOptions o;
    bool passwordGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0 || a == "--") {
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
            o.ini = absoluteFolder(*v);
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
