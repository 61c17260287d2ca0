#include "app/rights.h"

#include <initializer_list>
#include <utility>

namespace hk::app {

bool grants(std::string_view right) {
    while (!right.empty() && right.back() == ' ') right.remove_suffix(1);
    return right == "E";
}

RightsService::RightsService(std::string user, bool master, RightsLookup lookup)
    : user_(std::move(user)), master_(master), lookup_(std::move(lookup)) {}

std::optional<RightsRow> RightsService::row(int menuNo) const {
    if (master_ || !lookup_) return std::nullopt;
    auto r = lookup_(user_, menuNo);
    if (!r) {
        lastError_ = r.error();
        return std::nullopt;
    }
    return *r;
}

bool RightsService::shows(int menuNo) const {
    if (master_) return true;
    auto r = row(menuNo);
    return r && grants(r->GOSTER);
}

ListRights RightsService::list(int menuNo, bool viewCaption) const {
    if (master_) return ListRights{true, true, true, false};
    ListRights out;
    auto r = row(menuNo);
    if (!r) return out;
    out.insert = grants(r->YENIGIR);
    if (grants(r->DEGISTIR)) {
        out.change = true;
    } else if (viewCaption && grants(r->IZLE)) {
        out.change = true;
        out.changeIsView = true;
    }
    out.remove = grants(r->SIL);
    return out;
}

bool RightsService::formCanSave(int menuNo) const {
    if (master_) return true;
    auto r = row(menuNo);
    return r && (grants(r->YENIGIR) || grants(r->DEGISTIR) || grants(r->SIL));
}

const std::set<int>& attributeHiddenItems() {
    static const std::set<int> items{2071, 2080, 2090, 5123, 5125};
    return items;
}

namespace {

// The rights trimming of the main menu for a non-master user, in the order the start-up applies
// it. A separator is hidden when every item of the group below it that is checked here was
// hidden. Items 2101 and 5121-5130 are deliberately absent: every user keeps them.
void trimForUser(const RightsService& rights, std::set<int>& hidden) {
    auto check = [&](int no) {
        bool shown = rights.shows(no);
        if (!shown) hidden.insert(no);
        return shown;
    };
    auto group = [&](std::initializer_list<int> items, int separator) {
        bool any = false;
        for (int no : items) any = check(no) || any;
        if (!any) hidden.insert(separator);
    };
    check(1000);
    check(2000);
    check(2010);
    group({2020, 2030, 2040}, 2011);
    group({2050}, 2041);
    group({2060}, 2051);
    group({2070}, 2061);
    group({2080, 2090}, 2071);
    group({2100}, 2091);
    for (int no : {3000, 4000, 4010, 4020, 4030}) check(no);
    for (int no : {5000, 5010, 5020}) check(no);
    group({5030, 5040}, 5021);
    group({5050, 5060, 5070, 5080}, 5041);
    group({5090}, 5081);
    group({5100, 5110}, 5091);
    group({5120}, 5111);
    // User and group administration belongs to master users whatever rows a user holds.
    hidden.insert({4910, 4900, 4031});
}

} // namespace

std::set<int> hiddenMenuNumbers(const RightsService& rights, bool kovan) {
    std::set<int> hidden = attributeHiddenItems();
    if (!kovan) hidden.insert(5120);
    if (!rights.master()) trimForUser(rights, hidden);
    return hidden;
}

} // namespace hk::app
