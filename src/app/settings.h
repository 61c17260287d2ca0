#pragma once
// The settings file "Hesapkar.INI": [section] and key=value lines.
//
// Where it lives: the program names the file without a folder, so it is taken from the current
// folder at start (the desktop program is started in its own folder). Both programs accept another
// path (the command-line program through --ini).
//
// Write-back: every change is written to disk at once, by re-reading the file, changing the one
// line and replacing the file atomically (a temporary file in the same folder renamed over it).
// So a crash never leaves half a file, two programs sharing the file do not undo each other's
// keys, and nothing has to be flushed on leaving. Lines the program does not touch (other
// sections and keys, comments, blank lines, their order and line ends) are kept byte for byte.
//
// Sections and keys are compared without regard to ASCII case ([OZEL] and [Ozel] are one
// section). Values are UTF-8 text, surrounding blanks removed when read; a value that is not valid
// UTF-8 (a file written on Windows) is read as Windows Turkish (cp1254).

#include "core/result.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace hk::app {

inline constexpr const char* kSettingsFileName = "Hesapkar.INI";

class Settings {
  public:
    explicit Settings(std::filesystem::path file);

    // "Hesapkar.INI" in the current folder.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }

    // The value of a key; none when the file, the section or the key is missing or the file
    // cannot be read.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::string getText(std::string_view section, std::string_view key,
                        std::string_view fallback = {}) const;
    // A whole number read the way the program always read them: an optional sign and the leading
    // digits of the value ("12abc" gives 12, "abc" gives 0); fallback only when the key is
    // missing.
    int getInt(std::string_view section, std::string_view key, int fallback = 0) const;

    // Writes one key (adding the section and key when missing). Refuses section and key names
    // that cannot be written as such ([, ], =, line ends, blank names) and values with line
    // ends; nothing is written then.
    core::Status set(std::string_view section, std::string_view key, std::string_view value);
    core::Status setInt(std::string_view section, std::string_view key, int value);

  private:
    std::filesystem::path path_;
    mutable std::mutex mutex_;
};

namespace ini {
// The pure text operations behind Settings, exposed for tests and for the window geometry code.
std::optional<std::string> lookup(std::string_view content, std::string_view section,
                                  std::string_view key);
// The content with the key set; line ends follow the content ("\r\n" when its first line ends
// so, else "\n").
std::string update(std::string_view content, std::string_view section, std::string_view key,
                   std::string_view value);
} // namespace ini

} // namespace hk::app
