// The standard voucher-line descriptions: kept in Turkish collation order, one text per key
// whatever its case, and every refusal shown with its reason and nothing written.
#include "fixture.h"
#include "vouchers/descriptions.h"

using namespace hk;
using namespace hk::vouchers;

namespace {

class Descriptions : public hk::vouchers::testing::Company {
  protected:
    std::vector<std::string> stored() {
        auto d = descriptions(*ds_);
        EXPECT_TRUE(d);
        return d ? *d : std::vector<std::string>{};
    }
};

TEST_F(Descriptions, TextsListInTurkishOrderAndChangeAndDeleteByText) {
    for (const char* t : {"Şube Kirası", "Çek Tahsili", "Cari Ödeme", "İade", "Irsaliye"})
        ASSERT_TRUE(addDescription(*ds_, ui_, t));
    // Ç after C, I before İ, Ş after S.
    EXPECT_EQ(stored(), (std::vector<std::string>{"Cari Ödeme", "Çek Tahsili", "Irsaliye", "İade",
                                                  "Şube Kirası"}));
    ASSERT_TRUE(changeDescription(*ds_, ui_, "Cari Ödeme", "Avans Ödemesi"));
    ASSERT_TRUE(deleteDescription(*ds_, ui_, "İade"));
    EXPECT_EQ(stored(), (std::vector<std::string>{"Avans Ödemesi", "Çek Tahsili", "Irsaliye",
                                                  "Şube Kirası"}));
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Descriptions, BadTextsAreRefusedWithTheirReasonAndNothingIsWritten) {
    ASSERT_TRUE(addDescription(*ds_, ui_, "Kira Ödemesi"));
    struct Case {
        const char* typed;
        std::string message;
    } cases[] = {
        {"   ", ackmsg::kBlank},
        {"Bu açıklama otuz beş karakterden daha uzundur", ackmsg::kTooLong},
        {"Kira \xE2\x82\xAC" "uro", ""}, // the euro sign is in cp1254: accepted
        {"Kira \xE2\x88\x9A", ackmsg::kForeign},
    };
    for (const auto& c : cases) {
        ui_.messages.clear();
        const auto before = stored();
        auto st = addDescription(*ds_, ui_, c.typed);
        if (c.message.empty()) {
            EXPECT_TRUE(st) << c.typed;
            continue;
        }
        ASSERT_FALSE(st) << c.typed;
        EXPECT_TRUE(st.error().shown);
        ASSERT_EQ(ui_.messages.size(), 1u) << c.typed;
        EXPECT_EQ(ui_.messages[0].text, c.message);
        EXPECT_EQ(stored(), before);
    }
}

TEST_F(Descriptions, TheSameTextInAnotherCaseIsADuplicate) {
    ASSERT_TRUE(addDescription(*ds_, ui_, "Kira Ödemesi"));
    ASSERT_TRUE(addDescription(*ds_, ui_, "Maaş"));
    auto st = addDescription(*ds_, ui_, "KİRA ÖDEMESİ");
    ASSERT_FALSE(st);
    ASSERT_EQ(ui_.messages.size(), 1u);
    // message 13, naming the key that holds the text already
    EXPECT_NE(ui_.messages[0].text.find("ACK:KeyAck"), std::string::npos) << ui_.messages[0].text;
    // A change onto another stored text is refused the same way and keeps both.
    ui_.messages.clear();
    EXPECT_FALSE(changeDescription(*ds_, ui_, "Maaş", "kira ödemesi"));
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(stored(), (std::vector<std::string>{"Kira Ödemesi", "Maaş"}));
}

TEST_F(Descriptions, ChangingOrDeletingAMissingTextSaysSo) {
    for (int i = 0; i < 2; ++i) {
        ui_.messages.clear();
        auto st = i == 0 ? changeDescription(*ds_, ui_, "Yok", "Var") : deleteDescription(*ds_, ui_, "Yok");
        ASSERT_FALSE(st);
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, std::string("Yok") + ackmsg::kMissing);
    }
    EXPECT_TRUE(stored().empty());
}

} // namespace
