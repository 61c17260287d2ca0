#include "accounts/code.h"

#include <gtest/gtest.h>

namespace hk::accounts {
namespace {

TEST(AccountCode, LevelsAndParent) {
    struct Case {
        const char* code;
        std::vector<std::string> levels;
        const char* parent;
    };
    const Case cases[] = {
        {"120 01 005", {"120", "120 01", "120 01 005"}, "120 01"},
        {"120 01 005     ", {"120", "120 01", "120 01 005"}, "120 01"},
        {"120", {"120"}, ""},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(levelCodes(c.code), c.levels) << c.code;
        EXPECT_EQ(parentCode(c.code), c.parent) << c.code;
        EXPECT_EQ(levelCount(c.code), static_cast<int>(c.levels.size())) << c.code;
    }
}

} // namespace
} // namespace hk::accounts
