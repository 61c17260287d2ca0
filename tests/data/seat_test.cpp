// Writing records back by their bookmarks without reading them again, on both engines: the rows
// of a range scan rewritten under new keys are found under those keys and no longer under the
// old ones, and a record deleted meanwhile is reported, not written.
#include "data/records.h"
#include "data/seat.h"
#include "fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace hk::data::test {
namespace {

class Seat : public EngineFixture {
  protected:
    void SetUp() override {
        lines_ = TypedTable<FisDet>(open(Layout::FisDet));
        for (const auto& [key, no] : std::vector<std::pair<std::string, int>>{
                 {"0300000001", 1}, {"0300000001", 2}, {"0300000002", 1}, {"0400000001", 1}}) {
            FisDet l;
            l.KEYSTR = key;
            l.FISSIRANO = static_cast<std::int16_t>(no);
            l.ACKNO = no * 100;
            l.HESAPKODU = "120 01 00" + std::to_string(no);
            ASSERT_TRUE(lines_.add(l).ok());
        }
    }
    // key/line number in the order of `key`.
    std::string order(std::string_view key) {
        std::string out;
        EXPECT_TRUE(lines_.set(key).ok());
        while (auto l = lines_.next())
            out += (out.empty() ? "" : " ") + l->KEYSTR + "/" + std::to_string(l->FISSIRANO);
        return out;
    }
    TypedTable<FisDet> lines_;
};

TEST_P(Seat, RowsOfAScanRewrittenUnderNewKeysMoveInEveryKey) {
    std::vector<std::pair<Bookmark, FisDet>> read;
    FisDet prefix;
    prefix.KEYSTR = "0300000001";
    ASSERT_TRUE(lines_
                    .scanPrefix("MFD:KeyFisSiraNo", prefix, 1,
                                [&](const FisDet& l) {
                                    read.emplace_back(lines_.table().bookmark(), l);
                                })
                    .ok());
    ASSERT_EQ(read.size(), 2u);
    for (auto& [mark, l] : read) {
        l.KEYSTR = "8300000001";
        ASSERT_TRUE(seat(lines_.table(), mark).ok());
        ASSERT_TRUE(lines_.put(l).ok());
    }
    const char* expected =
        "0300000002/1 0400000001/1 8300000001/1 8300000001/2";
    EXPECT_EQ(order("MFD:KeyFisSiraNo"), expected);
    EXPECT_EQ(order("MFD:KeyFisDet"), expected);
    auto found = lines_.collectWhere("MFD:KeyFisDet", "HESAPKODU", "120 01 002");
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ((*found)[0].second.KEYSTR, "8300000001");
}

TEST_P(Seat, ARecordDeletedMeanwhileIsReportedAndNothingIsWritten) {
    FisDet key;
    key.KEYSTR = "0300000002";
    key.FISSIRANO = 1;
    key.ACKNO = 100;
    auto l = lines_.get("MFD:KeyFisSiraNo", key);
    ASSERT_TRUE(l.ok());
    const Bookmark mark = lines_.table().bookmark();
    ASSERT_TRUE(lines_.erase().ok());
    l->KEYSTR = "8300000002";
    ASSERT_TRUE(seat(lines_.table(), mark).ok());
    auto st = lines_.put(*l);
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(is(st.error(), ErrorCode::NoRecord));
    EXPECT_EQ(order("MFD:KeyFisSiraNo"), "0300000001/1 0300000001/2 0400000001/1");
    EXPECT_FALSE(seat(lines_.table(), Bookmark{}).ok());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Seat, ::testing::Values(Engine::Sqlite, Engine::Memory),
                         engineName);

} // namespace
} // namespace hk::data::test
