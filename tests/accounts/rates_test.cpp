#include "accounts/rates.h"

#include "fixture.h"

namespace hk::accounts {
namespace {

using test::must;

class Rates : public test::Folder {
  protected:
    void SetUp() override {
        must(addCurrency(data(), {"USD", "Amerikan Doları"}, ui));
        must(addRate(data(), {"USD", {14, 3, 2024}, 36.5}, ui));
        must(addRate(data(), {"USD", {16, 3, 2024}, 36.9}, ui));
        ui.messages.clear();
    }
    std::size_t rateCount() { return must(listRates(data())).size(); }
};

TEST_F(Rates, LookupTakesTheExactCurrencyAndDayWithoutFallingBack) {
    struct Case {
        const char* currency;
        core::Date date;
        std::optional<double> rate;
    } cases[] = {
        {"USD", {14, 3, 2024}, 36.5},
        {"usd", {16, 3, 2024}, 36.9}, // the code compares without case
        {"USD", {15, 3, 2024}, std::nullopt},
        {"USD", {17, 3, 2024}, std::nullopt},
        {"EUR", {14, 3, 2024}, std::nullopt},
        {"", {14, 3, 2024}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(must(rateOn(data(), c.currency, c.date)), c.rate) << c.currency;
}

TEST_F(Rates, BadRatesAreRefusedAndNothingIsWritten) {
    struct Case {
        data::DDoviz rate;
        const char* says;
    } cases[] = {
        {{"USD", {20, 3, 2024}, 0.0}, "Kur Tutarı sıfırdan büyük olmalıdır."},
        {{"USD", {20, 3, 2024}, -2.0}, "Kur Tutarı sıfırdan büyük olmalıdır."},
        {{"GBP", {20, 3, 2024}, 45.0}, "GBP Döviz Kodu Tanımlı Değil; önce dövizi tanımlayın."},
        {{"USD", {}, 45.0}, "Kur Tarihi geçerli bir tarih olmalıdır."},
        {{"USD", {14, 3, 2024}, 40.0}, "Eklemek istediğiniz kayıt dosyada mevcut."},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        auto st = addRate(data(), c.rate, ui);
        ASSERT_FALSE(st) << c.says;
        EXPECT_TRUE(st.error().shown);
        ASSERT_EQ(ui.messages.size(), 1u) << c.says;
        EXPECT_EQ(ui.messages[0].text.rfind(c.says, 0), 0u) << ui.messages[0].text;
        EXPECT_EQ(rateCount(), 2u) << c.says;
    }
    EXPECT_EQ(must(rateOn(data(), "USD", {14, 3, 2024})), 36.5); // the duplicate changed nothing
}

TEST_F(Rates, ACodeChangeCarriesTheRatesAndACurrencyWithRatesCannotBeDeleted) {
    auto st = deleteCurrency(data(), "USD", ui);
    ASSERT_FALSE(st);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Dosya bağlantı hatası"); // message 30
    EXPECT_EQ(must(listCurrencies(data())).size(), 1u);

    must(changeCurrency(data(), "USD", {"DLR", "Dolar"}, ui));
    EXPECT_EQ(must(rateOn(data(), "DLR", {16, 3, 2024})), 36.9);
    EXPECT_EQ(must(listRates(data(), "USD")).size(), 0u);
    const auto rates = must(listRates(data(), "DLR"));
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(rates[0].DOVIZKURTARIHI, (core::Date{16, 3, 2024})); // newest first

    for (const auto& r : rates) must(deleteRate(data(), "DLR", r.DOVIZKURTARIHI, ui));
    must(deleteCurrency(data(), "DLR", ui));
    EXPECT_TRUE(must(listCurrencies(data())).empty());
}

TEST_F(Rates, BadCurrenciesAreRefused) {
    const data::Doviz cases[] = {
        {"", "Boş"}, {"EURO", "Dört harf"}, {"E R", "Boşluklu"}, {"EUR", std::string(31, 'A')},
        {"ЖЖ", "Kod sayfası dışı"}, {"usd", "Aynı kod küçük harfle"}};
    for (const auto& c : cases) {
        ui.messages.clear();
        EXPECT_FALSE(addCurrency(data(), c, ui)) << c.DOVIZKODU;
        EXPECT_EQ(ui.messages.size(), 1u) << c.DOVIZKODU;
    }
    EXPECT_EQ(must(listCurrencies(data())).size(), 1u);
}

TEST(RateText, DatesAndRatesAsTyped) {
    EXPECT_EQ(must(parseDate("05.03.2024")), (core::Date{5, 3, 2024}));
    EXPECT_EQ(must(parseDate("5.3.2024")), (core::Date{5, 3, 2024}));
    for (const char* bad : {"31.02.2024", "2024-03-05", "05.03.24", "", "05/03/2024", "a.b.c"})
        EXPECT_FALSE(parseDate(bad)) << bad;
    EXPECT_DOUBLE_EQ(must(parseRate("36.5012")), 36.5012);
    for (const char* bad : {"36,50", "", "1e5x", "abc", "1.2.3"}) EXPECT_FALSE(parseRate(bad)) << bad;
}

} // namespace
} // namespace hk::accounts
