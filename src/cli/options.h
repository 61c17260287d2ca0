#pragma once
// Options shared by the commands that open a data folder:
//   --program-dir DIR  the program's folder: the text files read at start (Hsplan.txt,
//                      CsPlan.txt, Plan00.txt), the program-wide currency files and the
//                      settings file. Default: the folder hesapkar-cli lies in, so the program
//                      behaves as if started in its own folder whatever the current folder is.
//   --ini FILE         the settings file (default Hesapkar.INI in the program's folder); an
//                      existing file that is not a settings file is refused, never rewritten
//   --user ID          log in as ID (default HESAPKAR)
//   --password PW      the password of that user (default: $HESAPKAR_PASSWORD, else blank)
//   --yes              accept the questions a procedure asks (the data conversion)
//   --aktar            the /AKTAR start: import Plan00.txt into an empty chart
// Options take their value as the next argument or after "=" (--user=ALI).

#include "core/result.h"
#include "cli/commands.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace hk::cli {

struct CommonOptions {
    std::filesystem::path programDir;
    std::filesystem::path ini;
    std::string user = "HESAPKAR";
    std::string password;
    bool yes = false;
    bool aktar = false;
    std::vector<std::string> positional;
};

// Takes the shared options out of args. Any other "--flag" is refused, unless keepOthers: then
// it stays among the positional words, in its place, for the command's own parser.
core::Result<CommonOptions> parseCommonOptions(const Args& args, bool keepOthers = false);

// The folder of the running executable (empty when it cannot be found).
std::filesystem::path executableFolder();

// A folder named on the command line, made absolute against the current folder.
std::filesystem::path absoluteFolder(const std::string& arg);

// An error as the user reads it: "<code> <text>" for engine errors, the text alone otherwise.
std::string errorText(const core::Error& e);

// Prints "hesapkar-cli <command>: <text>" to stderr and returns the exit code.
int fail(const char* command, const std::string& text, int code = 1);

// Text from a file or a database as it may go to a terminal: control characters (which would
// move the cursor, recolour the screen or start an escape sequence) and bytes that are not
// UTF-8 written as "\t", "\n", "\r" or "\xNN", and a backslash as "\\", so each value stays
// on its line and reads back unambiguously.
std::string printable(std::string_view text);

// Whether the file at `path` reads as a settings file: text of sections, "name=value" lines,
// comments and blank lines. Only such a file is ever written back as one.
bool looksLikeSettingsFile(const std::filesystem::path& path);

} // namespace hk::cli
