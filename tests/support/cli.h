#pragma once
// Running the built hesapkar-cli from a test as a script would: a folder of the test's own with a
// program folder holding the chart resources, each argument quoted for the shell, the exit code
// and the two output streams apart (messages of the terminal go to the error stream).

#include "support/files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace hk::test {

// One shell word, whatever the text holds.
inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct CliRun {
    int code = -1;
    std::string out, err;
};

inline std::string cliBinary() { return std::string(HK_BINARY_DIR) + "/src/cli/hesapkar-cli"; }

// The fixture of the command-line tests: root_ is fresh for every test and holds "prog" (the
// program folder with Hsplan.txt and CsPlan.txt); the tests log in with a blank password.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("hk_" + std::string(info->test_suite_name()) + "_" +
                 std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "prog");
        for (const char* f : {"Hsplan.txt", "CsPlan.txt"})
            std::filesystem::copy_file(std::filesystem::path(HK_RESOURCE_DIR) / f,
                                       root_ / "prog" / f);
        ::unsetenv("HESAPKAR_PASSWORD");
    }
    // Removes the folder even where a test took permissions away.
    void TearDown() override {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }

    // Runs hesapkar-cli with `args` and the test's program folder (unless withProgramDir is
    // false); `prefix_` goes before the program (a folder to run in, the environment).
    CliRun cli(const std::vector<std::string>& args, bool withProgramDir = true) const {
        std::string cmd = prefix_ + shellQuote(cliBinary());
        for (const auto& a : args)
            cmd += " " + shellQuote(a);
        if (withProgramDir) cmd += " --program-dir " + shellQuote((root_ / "prog").string());
        cmd += " >" + shellQuote((root_ / "out").string()) + " 2>" +
               shellQuote((root_ / "err").string());
        CliRun r;
        const int status = std::system(cmd.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readFile(root_ / "out");
        r.err = readFile(root_ / "err");
        return r;
    }
    // A data folder of the test ("data" unless named).
    std::string dir(const std::string& name = "data") const { return (root_ / name).string(); }

    std::filesystem::path root_;
    std::string prefix_;
};

} // namespace hk::test
