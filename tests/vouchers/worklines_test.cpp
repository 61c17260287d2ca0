// Work-line numbering: inserting, extra descriptions, sorting, the VAT split.
#include "vouchers/worklines.h"

#include <gtest/gtest.h>

using namespace hk;
using namespace hk::vouchers;

namespace {

data::FisDet amount(const std::string& code, double debit, double credit) {
    data::FisDet l;
    l.HESAPKODU = code;
    l.TLBORC = debit;
    l.TLALACAK = credit;
    return l;
}

std::vector<std::pair<int, int>> numbers(const Lines& ls) {
    std::vector<std::pair<int, int>> out;
    for (const auto& l : ls) out.emplace_back(l.FISSIRANO, l.ACKNO);
    return out;
}

TEST(WorkLines, NewLineAfterTheHighlightedOneMovesTheRestWithTheirDescriptions) {
    Lines ls;
    for (int i = 0; i < 4; ++i) insertLine(ls, amount("120 01 00" + std::to_string(i + 1), 1, 0), i);
    std::array<std::string, 10> slots{};
    slots[0] = "birinci";
    slots[2] = "üçüncü";
    setDescriptions(ls, 300, slots);
    insertLine(ls, amount("600 01", 0, 4), 2); // line 2 highlighted
    const std::vector<std::pair<int, int>> want = {{1, 100}, {2, 200}, {3, 300}, {4, 400},
                                                   {4, 401}, {4, 403}, {5, 500}};
    EXPECT_EQ(numbers(ls), want);
    EXPECT_EQ(ls[2].HESAPKODU, "600 01");
    EXPECT_EQ(ls[3].HESAPKODU, "120 01 003");
    EXPECT_EQ(ls[5].FISACK, "üçüncü");
    EXPECT_EQ(ls[5].HESAPKODU, "120 01 003");
    EXPECT_EQ(ls[5].BORCALACAK, "B");
    EXPECT_EQ(descriptionsOf(ls, 400)[2], "üçüncü");
    // Removing a line takes its descriptions along.
    removeLine(ls, 4);
    EXPECT_EQ(ls.size(), 4u);
}

TEST(WorkLines, SortPutsDebitsFirstAndKeepsDescriptionsBehindTheirLine) {
    Lines ls;
    insertLine(ls, amount("600 01", 0, 10), 0);
    insertLine(ls, amount("320 01", 0, 5), 1);
    insertLine(ls, amount("120 01 006", 7, 0), 2);
    insertLine(ls, amount("120 01 005", 8, 0), 3);
    std::array<std::string, 10> slots{};
    slots[1] = "açıklama";
    setDescriptions(ls, 100, slots);
    for (bool desc : {false, true}) {
        Lines s = ls;
        sortLines(s, desc);
        std::vector<std::string> codes;
        for (const auto& l : s) codes.push_back(l.HESAPKODU);
        const std::vector<std::string> want =
            desc ? std::vector<std::string>{"120 01 006", "120 01 005", "320 01", "600 01", "600 01"}
                 : std::vector<std::string>{"120 01 005", "120 01 006", "320 01", "600 01", "600 01"};
        EXPECT_EQ(codes, want);
        EXPECT_EQ(s.back().ACKNO, 402);
        EXPECT_EQ(s.back().FISACK, "açıklama");
    }
}

TEST(WorkLines, VatSplitAndTotals) {
    const auto v = splitVat(118.00, 18);
    EXPECT_DOUBLE_EQ(v.net, 100.00);
    EXPECT_DOUBLE_EQ(v.vat, 18.00);
    const auto w = splitVat(100.00, 8);
    EXPECT_DOUBLE_EQ(w.net, 92.59);
    EXPECT_DOUBLE_EQ(w.vat, 7.41);
    Lines ls;
    insertLine(ls, amount("120 01 005", 10.10, 0), 0);
    insertLine(ls, amount("600 01", 0, 10), 1);
    const auto t = totalsOf(ls);
    EXPECT_EQ(t.count, 2);
    EXPECT_NEAR(t.difference(), 0.10, 1e-9);
}

} // namespace
