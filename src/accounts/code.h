#pragma once
// Account codes: levels separated by single blanks ("120", "120 01", "120 01 005"). The parent of
// a code is the text before its last blank; a code without a blank is a top-level (main) code.
// Codes are handled clipped of trailing blanks; the stored field pads them.

#include <string>
#include <string_view>
#include <vector>

namespace hk::accounts {

// The code's levels from the top down: the prefixes that end just before a blank, then the code
// itself. "120 01 005" -> {"120", "120 01", "120 01 005"}; "" -> {}.
std::vector<std::string> levelCodes(std::string_view code);

// The text before the last blank; "" for a top-level code.
std::string parentCode(std::string_view code);

// Number of levels (1 for "120", 3 for "120 01 005"; 0 for a blank code).
int levelCount(std::string_view code);

} // namespace hk::accounts
