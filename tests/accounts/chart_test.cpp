#include "accounts/chart.h"

#include "accounts/rates.h"
#include "fixture.h"

namespace hk::accounts {
namespace {

using test::must;

class Chart : public test::Folder {
  protected:
    data::HsPlan account(const std::string& code, const std::string& ntlk = {},
                         const std::string& currency = {}) {
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = "Ad " + code;
        a.NTLK = ntlk;
        a.DOVIZKODU = currency;
        return a;
    }
    std::optional<data::HsPlan> find(const std::string& code) {
        return must(findAccount(data(), code));
    }
};

TEST_F(Chart, AMissingParentTakesTheCodesPlaceLevelByLevel) {
    auto plan = must(data().open<data::HsPlan>());
    auto c = must(checkNewCode(plan, "120 01 005", ui));
    EXPECT_EQ(c.outcome, NewCodeCheck::ParentMissing);
    EXPECT_EQ(c.code, "120 01");
    c = must(checkNewCode(plan, c.code, ui));
    EXPECT_EQ(c.outcome, NewCodeCheck::ParentMissing);
    EXPECT_EQ(c.code, "120");
    c = must(checkNewCode(plan, c.code, ui));
    EXPECT_EQ(c.outcome, NewCodeCheck::Ok);
    EXPECT_TRUE(c.topLevel);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Öncelikle 120 01 Hesap Kodu Tanımlanmalıdır.",
                                                    "Öncelikle 120 Hesap Kodu Tanımlanmalıdır."}));
    EXPECT_EQ(accountCount(), 0);
}

TEST_F(Chart, NewCodeRules) {
    put("120", "K");
    put("120 01", "G");
    put("120 01 005", "M");
    put("159", "X"); // an attribute read from a workbook: taken as it is
    must(addCurrency(data(), {"USD", "Dolar"}, ui));
    ui.messages.clear();
    struct Case {
        data::HsPlan a;
        const char* says;   // first message, "" = added
        const char* stored; // attribute stored when added
    } cases[] = {
        {account("600", "M"), "", "K"}, // a top-level code is always "K"
        {account("120 02", "G"), "", "G"},
        {account("120 01 006", "M", "USD"), "", "M"},
        {account("159 01", "K"), "", "K"},
        {account("120 03", "K"),
         "Kebir ya da Grup hesabın alt hesabı Kebir olamaz; Grup ya da Muavin seçin.", nullptr},
        {account("120 01 005 01", "M"), "Muavin Hesap Kodu Zaten Tanımlanmıştır", nullptr},
        {account("120 01"), "120 01 Hesap Kodu Zaten Tanımlıdır.", nullptr},
        {account("120  04"), "Hesap Kodunun seviyeleri tek boşlukla ayrılmalıdır", nullptr},
        {account(" 121"), "Hesap Kodu boşlukla başlayamaz ya da bitemez", nullptr},
        {account("121 "), "Hesap Kodu boşlukla başlayamaz ya da bitemez", nullptr},
        {account("1234567890123456789"), "Hesap Kodu en çok 18 karakter olabilir", nullptr},
        {account("120 Ж"), "Hesap Kodu Türkçe kod sayfasında olmayan", nullptr},
        {account("120 05", "Q"), "Hesap Niteliği K (Kebir), G (Grup) ya da M (Muavin)", nullptr},
        {account("120 01 007", "M", "EUR"), "EUR Döviz Kodu Tanımlı Değil.", nullptr},
        {[&] {
             auto a = account("120 06", "M");
             a.HESAPAD1 = std::string(51, 'a');
             return a;
         }(),
         "Hesap Adı en çok 50 karakter olabilir", nullptr},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        const auto before = accountCount();
        auto st = addAccount(data(), c.a, ui);
        if (c.stored) {
            ASSERT_TRUE(st) << c.a.HESAPKODU << ": " << st.error().text;
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(find(c.a.HESAPKODU)->NTLK, c.stored) << c.a.HESAPKODU;
        } else {
            ASSERT_FALSE(st) << c.a.HESAPKODU;
            EXPECT_TRUE(st.error().shown);
            ASSERT_EQ(ui.messages.size(), 1u) << c.a.HESAPKODU;
            EXPECT_EQ(ui.messages[0].text.rfind(c.says, 0), 0u) << ui.messages[0].text;
            EXPECT_EQ(accountCount(), before) << c.a.HESAPKODU;
        }
    }
}

TEST_F(Chart, DeletionChecks) {
    put("12", "K");
    put("120", "K");
    put("120 01", "M");
    put("121", "K");
    data::HsPlan closed;
    closed.HESAPKODU = "130";
    closed.NTLK = "K";
    closed.KPTLALACAK = 0.01; // the only total that is not zero
    putRecord(closed);
    data::HsPlan monthly;
    monthly.HESAPKODU = "131";
    data::month(monthly.DOVIZBORC, 12) = 5;
    putRecord(monthly);
    struct Case {
        const char* code;
        const char* says; // "" = deleted
    } cases[] = {
        {"120", "120 01 Alt Hesap Kodu Tanımlı Silemezsiniz.!"},
        {"12", ""}, // 120 beside 12 is no sub-account
        {"130", "130                Çalışmıştır SİLEMEZSİNİZ..!"},
        {"131", "131                Çalışmıştır SİLEMEZSİNİZ..!"},
        {"120 01", ""},
        {"120", ""}, // its sub-account is gone now
        {"999", "999 Hesap Kodu Bulunamıyor..."},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        auto st = deleteAccount(data(), c.code, ui);
        if (*c.says == 0) {
            EXPECT_TRUE(st) << c.code;
            EXPECT_FALSE(find(c.code)) << c.code;
        } else {
            EXPECT_FALSE(st) << c.code;
            EXPECT_EQ(ui.texts(), std::vector<std::string>{c.says}) << c.code;
        }
    }
    EXPECT_TRUE(find("121"));
    EXPECT_TRUE(find("130"));
}

TEST_F(Chart, TheCopyBufferStartsOneNewAccountWithZeroTotals) {
    data::HsPlan src = account("120 01 005", "M", "USD");
    src.HESAPAD2 = "İkinci";
    src.ALTBIRIM = "KG";
    data::month(src.TLBORC, 3) = 100;
    src.ACTLBORC = 7;
    CopyBuffer buffer;
    EXPECT_EQ(buffer.takeForInsert(), data::HsPlan{}); // empty: a cleared record
    buffer.put(src);
    EXPECT_FALSE(buffer.empty());
    const data::HsPlan start = buffer.takeForInsert();
    EXPECT_EQ(start.HESAPKODU, "120 01 005");
    EXPECT_EQ(start.HESAPAD2, "İkinci");
    EXPECT_EQ(start.ALTBIRIM, "KG");
    EXPECT_EQ(start.DOVIZKODU, "USD");
    EXPECT_EQ(start.NTLK, "M");
    EXPECT_FALSE(isWorked(start));
    EXPECT_TRUE(buffer.empty()); // used once
    EXPECT_EQ(buffer.takeForInsert(), data::HsPlan{});
}

TEST_F(Chart, ChangeKeepsTheTotals) {
    data::HsPlan a = account("120", "K");
    data::month(a.TLBORC, 2) = 50;
    putRecord(a);
    data::HsPlan edited = account("120", "K");
    edited.HESAPAD1 = "Alıcılar";
    data::month(edited.TLBORC, 2) = 0; // the form's copy never carries totals into the file
    must(changeAccount(data(), "120", edited, ui));
    const auto stored = *find("120");
    EXPECT_EQ(stored.HESAPAD1, "Alıcılar");
    EXPECT_EQ(data::month(stored.TLBORC, 2), 50);
}

TEST_F(Chart, RangeVisitsCodesInOrder) {
    for (const char* c : {"100", "120 01", "12", "120", "1200", "600"}) put(c, "K");
    auto plan = must(data().open<data::HsPlan>());
    std::vector<std::string> seen;
    must(forEachAccount(plan, "12", "120 99", [&](const data::HsPlan& a) {
        seen.push_back(a.HESAPKODU);
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"12", "120", "120 01"}));
}

} // namespace
} // namespace hk::accounts
