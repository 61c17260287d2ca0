#pragma once
// Helpers every test program needs and each used to write again: a temporary folder removed at
// the end of the test, reading and writing a whole file, running a shell command.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace hk::test {

// A fresh empty folder under the system's temporary folder, removed (even when a test took
// permissions away) when the object goes.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& tag = "t") {
        path = std::filesystem::temp_directory_path() /
               ("hk_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    // Every file and folder below the folder, relative to it, in name order.
    std::vector<std::string> list() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path))
            names.push_back(std::filesystem::relative(e.path(), path).string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

inline void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell command; its exit code (-1 when it did not end normally) and its output with
// standard error mixed in.
inline std::pair<int, std::string> sh(const std::string& cmd) {
    std::string out;
    FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return {-1, {}};
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    const int rc = ::pclose(p);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out};
}

} // namespace hk::test
