// The e-ledger tools: the document-type check and the description clean-up.
#include "fixture.h"
#include "journal/tools.h"

namespace hk::journal::test {
namespace {

TEST(BelgeTipiKontrol, ListsOnceEachUnjournalisedVoucherWithMixedTypes) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 1, "Kasa", {"Ek satır"}, "Fatura"},
               {"600", 'A', 1, "Satış", {}, "Fatura"}});
    c.voucher(D(6, 1, 2024), 2,
              {{"100 01 001", 'B', 2, "Kasa", {}, "Fatura"},
               {"320", 'A', 1, "Çek ödemesi", {}, "Çek"},
               {"600", 'A', 1, "Makbuz", {}, "Makbuz"}});
    c.voucher(D(7, 1, 2024), 3,
              {{"100 01 001", 'B', 2, "", {}, "Fatura"}, {"600", 'A', 2, "", {}, "Senet"}}, "N",
              "M", 5); // already in the journal
    app::testing::FakeUi ui;
    auto list = must(belgeTipiKontrol(c.ds(), ui));
    // Lines are read by account code: 100 01 001 (Fatura) first, then 320 (Çek) differs.
    EXPECT_EQ(list, std::string("HATA LİSTESİ;\n 6.01.2024 2 320 Çek ödemesi Fiş İçinde Belge "
                                "Tipi Farklı Olamaz."));
    ASSERT_GE(ui.progressTexts.size(), 2u);
    EXPECT_EQ(ui.progressTexts[0], " 5.01.2024 1 Kontrol Ediliyor.");
    EXPECT_EQ(ui.progressTexts.back(), "İşlem Tamamlandı.");
}

TEST(OtherAckBosalt, BlanksDescriptionsExceptOnDigerLinesAfterTheQuestion) {
    Company c;
    c.voucher(D(5, 1, 2024), 1,
              {{"100 01 001", 'B', 1, "Kasa", {}, "Fatura", "F1", "Fatura açıklaması"},
               {"600", 'A', 1, "Satış", {}, "Diğer", "D1", "Diğer açıklaması"}});
    auto descriptions = [&] {
        std::vector<std::string> out;
        auto t = must(c.ds().open<data::FisDet>());
        must(t.set("MFD:KeyFisSiraNo"));
        for (auto l = t.next(); l; l = t.next())
            out.push_back(core::text::clip(l->BELGEACIKLAMASI));
        return out;
    };
    {
        app::testing::FakeUi ui;
        ui.answer(2); // Hayır
        EXPECT_FALSE(OtherAckBosalt(c.ds(), ui));
        EXPECT_EQ(ui.messages[0].text,
                  "EDefter Bilgileri, Belge Tipi Other ise Belge Açıklama bilgisini boşalt.");
        EXPECT_EQ(ui.messages[0].caption, "Uyarı Ekranı");
        EXPECT_EQ(ui.messages[0].buttons, "Evet|Hayır");
        EXPECT_EQ(descriptions(),
                  (std::vector<std::string>{"Fatura açıklaması", "Diğer açıklaması"}));
    }
    app::testing::FakeUi ui;
    ui.answer(1);
    EXPECT_EQ(must(OtherAckBosalt(c.ds(), ui)), 1);
    EXPECT_EQ(descriptions(), (std::vector<std::string>{"", "Diğer açıklaması"}));
    EXPECT_EQ(ui.progressTexts.back(), "100% Completed");
}

} // namespace
} // namespace hk::journal::test
