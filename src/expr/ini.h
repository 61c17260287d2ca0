#pragma once
// GETINI(section, entry, default, file) of the expression language: reads one value from a
// settings file. Only files named *.INI are read (any case), so a report definition cannot read
// other files through it; a missing or unreadable file, section or entry gives the default.

#include "core/result.h"

#include <string>
#include <string_view>

namespace hk::expr {

// Files above this size are not read (the default is returned).
inline constexpr std::size_t kMaxIniBytes = 1 << 20;

// An Error only for a file name that is not a settings file.
core::Result<std::string> readIniValue(std::string_view file, std::string_view section,
                                       std::string_view entry, std::string_view fallback);

} // namespace hk::expr
