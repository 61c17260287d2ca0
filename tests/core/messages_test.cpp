#include "core/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace ms = hk::core::messages;

TEST(Messages, EveryTitleAndTextAsPrinted) {
    struct Row { int number; const char* title; const char* text; };
    const Row rows[] = {
        {1, "Kayıt okuma sıra hatası", "Hata: (%ErrorText) tesbit edildi %File dosyasındaki kayıtlara ulaşırken.  Bir önceki ekrana dönüyor."},
        {2, "Ulaşım engellendi", "%File dosyasına ulaşım engellendi.Dosya sadece okuma işlemi için açılmış."},
        {3, "Kayıt eklendi", "Bu kayıt dosyaya eklendi. Başka bir kayıt eklemek istiyormusunuz?"},
        {4, "Kayıt ekleme hatası", "Yeni bir kayıt yaratılırken hata oluştu. Hata: %ErrorText."},
        {5, "Yeni kayıt ekliyecekmisiniz ?", "Bu kayıt bulunamadı, yeni bir kayıt eklemek istiyormusunuz ?"},
        {6, "Kayıt değiştirilemedi", "Bu kayıt başka bir kullanıcı tarafından açılmıştır."},
        {7, "Kayıt değiştirilemedi", "Bu kayıt başka bir kullanıcı tarafından değiştirildi. Yapılan değişiklikler ekrana getirilecektır.Kendi değişikliklerinizi görmek istiyorsanız Ctrl+' tuşlarına aynı anda basınız."},
        {8, "Yaptığınız değişiklikler kaybolacak!", "Yaptığınız işlemleri iptal etmek istediğinizden eminmisiniz ?"},
        {9, "Silme onayı", "Seçmiş olduğunuz kaydı silmek istediğinizden eminmisiniz?"},
        {10, "Dosya Yaratma hatası", "Hata: (%ErrorText) hatası oluştu %File dosyasını yaratırken."},
        {11, "Kayıt silinemiyor.", "(%ErrorText) hatası %File dosyasında kayıt silinirken oluştu."},
        {12, "Hatalı işlem", "Bu ekrandan kayıt silme işlemi yapamazsınız"},
        {13, "Çift kayıt yaratma hatası", "Eklemek istediğiniz kayıt dosyada mevcut.%Message key sahası için aynı değerleri taşıyan ikinci bir kayıt ekleyemezsiniz."},
        {14, "Saha değer hatası.", "%Field sahasına yapılan atama %Message dosyasında bulunamadı."},
        {15, "Değer hatası", "%Field sahasının değeri %Message değerlerinden biri olmalıdır."},
        {16, "Sınırlama hatası", "%Field sahasına yapmış olduğunuz giriş %Message değerleri arasında olmalı."},
        {17, "Sınırlama hatası", "%Field sahasına yapmış olduğunuz giriş %Message den küçük olmalı."},
        {18, "Sınırlama hatası", "%Field sahasına yapmış olduğunuz giriş %Message den büyük olmalı."},
        {19, "Dosya yükleme hatası.", "%File dosyası yüklenemedi.  Hata: %ErrorText."},
        {20, "Hatalı işlem", "Bu ekrandan kayıt giriş işlemi yapamazsınız."},
        {21, "Transaction cancelled", "Error: (%ErrorText) attempting to frame the transaction on %File."},
        {22, "Kayıt yok", "Seçmiş olduğunuz niteliklerde kayıt yok."},
        {23, "Dosya ulaşım hatası", "Dosya (%File) açılamadı.  Hata: %ErrorText."},
        {24, "Tanımlanmamış Program.", "Program %Message henüz tanımlanmamış."},
        {25, "Kayıt değiştirilimedi.", "(%ErrorText) hatası %File dosyasında kayıt değiştirlirken oluştu."},
        {26, "Ulaşım sahası yeniden düzenlenemiyor", "Hata: (%ErrorText) hatası, %File Dosyasında."},
        {27, "Hatalı Ulaşım Sahası", "%File Dosyasına Ulaşım sahası hatalı. Dosya düzenlenmeli."},
        {28, "Kayıt okunamıyor", "Bu kayıt başka bir kullanıcı tarafından tutulmaktadır."},
        {29, "Record Limit Exceeded", "Evaluation edition will not allow write-access to file %File. It will be opened for reading only."},
        {30, "Dosya bağlantı hatası", "Bu kayıt %File dosyası ile bağlantılıdır. Bağlantılı kayıtların silinmesi engellenmiştir. Bağlantılı kayıtlar olduğu sürece bu kaydı silemezsiniz."},
        {31, "Dosya bağlantı hatası", "Bu kayıt %File dosyası ile bağlantılıdır. Bağlantılı sahaların değiştirilmesi engellenmiştir.Saha değerleri orjinal değerlerine döndürülmektedir."},
        {32, "Otomatik Numara verme hatası", "Otomatik numara verilirken bir hata oluştu.  Hata: %ErrorText. Tekrar denemek istermisiniz ?"},
        {33, "Kayıt silme hatası", "Kayıt silinmeye çalışılırken bir hata oluştu. Kaydı silmeyi tekrar denemek istermisiniz ?"},
        {34, "Kayıt değiştirme hatası", "Kayıt değiştirilirken bir hata oluştu. Değişiklikleri yüklemeyi tekrar denemek istiyormusunuz ?"},
        {35, "Değiştirme onayı", "Yapmış olduğunuz değişiklikleri kaydetmek istiyormusunuz ?"},
        {36, "Dosya başlangıç hatası", "Dosya başlangıcına ulaşılamadı. Dosyanın sonundan tekrar başlamak istermisiniz ?"},
        {37, "Dosya sonu hatası", "Dosya sonuna ulaşılamadı.Dosyanın başından tekrar başlamak istermisiniz?"},
        {38, "Hatalı işlem", "Bu ekrandan kayıt değiştirme işlemi yapamazsınız."},
        {39, "Dosya kullanım hatası", "(%File) dosyasını kullanmak için önce açmalısınız."},
        {40, "View Open Error", "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
        {41, "Unsupported QBE Column", "The saved QBE column, %Field is not supported. It will be dropped from the query."},    };
    ASSERT_EQ(std::size(rows), 41u);
    for (const auto& r : rows) {
        const ms::Entry* e = ms::entry(r.number);
        ASSERT_NE(e, nullptr) << r.number;
        EXPECT_EQ(e->number, r.number);
        EXPECT_STREQ(e->title, r.title) << r.number;
        EXPECT_STREQ(e->text, r.text) << r.number;
    }
}

TEST(Messages, SeveritiesAndButtons) {
    const std::set<int> questions = {3, 8, 9, 32, 33, 34, 35, 36, 37};
    const std::set<int> fatals = {10, 23, 26};
    for (int n = 1; n <= 41; ++n) {
        auto f = ms::format(n);
        ASSERT_TRUE(f) << n;
        ms::Severity want = questions.count(n) ? ms::Severity::question
                            : fatals.count(n)  ? ms::Severity::fatal
                            : n == 39          ? ms::Severity::programError
                                               : ms::Severity::message;
        EXPECT_EQ(f->severity, want) << n;
        EXPECT_EQ(f->buttons, want == ms::Severity::question ? "&Evet|&Hayır" : "&Tamam") << n;
        EXPECT_EQ(f->defaultButton, 1);
        const bool endsFatal = f->text.size() > 34 && f->text.ends_with("  Press OK to end this application");
        EXPECT_EQ(endsFatal, want == ms::Severity::fatal) << n;
    }
    EXPECT_FALSE(ms::format(0));
    EXPECT_FALSE(ms::format(42));
    EXPECT_EQ(ms::entry(-1), nullptr);
}

TEST(Messages, PlaceholdersFilled) {
    ms::MessageArgs a;
    a.file = "HsPlan";
    a.errorText = "Disk dolu";
    a.field = "HSP:HESAPKODU";
    a.message = "HSP:KyHesapKodu";

    auto f23 = ms::format(23, a);
    EXPECT_EQ(f23->title, "Dosya ulaşım hatası");
    EXPECT_EQ(f23->text, "Dosya (HsPlan) açılamadı.  Hata: Disk dolu.  Press OK to end this application");

    auto f13 = ms::format(13, a);
    EXPECT_EQ(f13->text, "Eklemek istediğiniz kayıt dosyada mevcut.HSP:KyHesapKodu key sahası için aynı değerleri "
                         "taşıyan ikinci bir kayıt ekleyemezsiniz.");

    auto f14 = ms::format(14, a);
    EXPECT_EQ(f14->text, "HSP:HESAPKODU sahasına yapılan atama HSP:KyHesapKodu dosyasında bulunamadı.");

    ms::MessageArgs p;
    p.message = "FisListesi";
    EXPECT_EQ(ms::format(24, p)->text, "Program FisListesi henüz tanımlanmamış.");
    EXPECT_EQ(ms::format(24, p)->title, "Tanımlanmamış Program.");
}

TEST(Messages, FillIsSinglePassAndKnowsAllNames) {
    ms::MessageArgs a;
    a.file = "%Field";
    a.field = "F";
    a.errorCode = "35";
    a.procedure = "FisListesi";
    EXPECT_EQ(ms::fill("%File/%Field/%ErrorCode/%Procedure/%Other/%", a), "%Field/F/35/FisListesi/%Other/%");
    EXPECT_EQ(ms::fill("(%ErrorText)", {}), "()");
}

TEST(Messages, StandardButtonCaptions) {
    const std::vector<std::string> want = {"&Tamam", "&Evet", "&Hayır", "&Vazgeç", "&Yeniden Dene", "&Hatayı Geç",
                                           "&İptal"};
    EXPECT_EQ(ms::standardButtonCaptions(), want);
}
