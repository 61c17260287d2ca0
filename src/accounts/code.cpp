#include "accounts/code.h"

#include "core/text.h"

namespace hk::accounts {

std::vector<std::string> levelCodes(std::string_view code) {
    const std::string c = core::text::clip(code);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < c.size(); ++i)
        if (c[i] == ' ') out.push_back(c.substr(0, i));
    if (!c.empty()) out.push_back(c);
    return out;
}

std::string parentCode(std::string_view code) {
    const std::string c = core::text::clip(code);
    const auto blank = c.rfind(' ');
    return blank == std::string::npos ? std::string() : c.substr(0, blank);
}

int levelCount(std::string_view code) { return static_cast<int>(levelCodes(code).size()); }

} // namespace hk::accounts
