#include "output/export.h"

#include "output/xlsx_writer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace hk::output {

namespace {

std::string chosenCommand(const std::string& command) {
    if (!command.empty()) return command;
    if (const char* env = std::getenv("HK_SPREADSHEET_APP"); env && *env) return env;
    return "xdg-open";
}

// A new folder for a workbook that has no name of its own yet, like the application's "Kitap1".
core::Result<std::string> freshWorkbookPath() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "hesapkar-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        return core::Error::of(errno, "cannot create a folder for the workbook in " +
                                          base.string() + ": " + std::strerror(errno));
    return std::string(buf.data()) + "/Kitap1.xlsx";
}

} // namespace

core::Status openWithApplication(const std::string& path, const std::string& command) {
    const std::string program = chosenCommand(command);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
                            nullptr};
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    auto cannotOpen = [&](const std::string& why) {
        return core::Error::of(
            kNoSpreadsheetApplication,
            "no spreadsheet application can open " + path + " (" + program + why + ")", path);
    };
    if (rc != 0) return cannotOpen(std::string(": ") + std::strerror(rc));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return cannotOpen(std::string(": ") + std::strerror(errno));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return cannotOpen(" ended with status " +
                          std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    return {};
}

core::Result<std::string> exportSheet(const Sheet& sheet, const ExportTarget& target) {
    std::string path = target.path;
    if (path.empty()) {
        auto fresh = freshWorkbookPath();
        if (!fresh) return fresh.error();
        path = *fresh;
    }
    if (auto st = writeXlsx(sheet, path); !st) {
        if (target.path.empty()) std::filesystem::remove(std::filesystem::path(path).parent_path());
        return st.error();
    }
    if (target.path.empty() || target.open)
        if (auto st = openWithApplication(path, target.openCommand); !st) return st.error();
    return path;
}

} // namespace hk::output
