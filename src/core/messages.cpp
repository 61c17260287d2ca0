#include "core/messages.h"

#include <array>
#include <utility>

namespace hk::core::messages {

namespace {

constexpr std::array<Entry, 41> kTable = {{
    {1, Severity::message, "Kayıt okuma sıra hatası",
     "Hata: (%ErrorText) tesbit edildi %File dosyasındaki kayıtlara ulaşırken.  Bir önceki ekrana "
     "dönüyor."},
    {2, Severity::message, "Ulaşım engellendi",
     "%File dosyasına ulaşım engellendi.Dosya sadece okuma işlemi için açılmış."},
    {3, Severity::question, "Kayıt eklendi",
     "Bu kayıt dosyaya eklendi. Başka bir kayıt eklemek istiyormusunuz?"},
    {4, Severity::message, "Kayıt ekleme hatası",
     "Yeni bir kayıt yaratılırken hata oluştu. Hata: %ErrorText."},
    {5, Severity::message, "Yeni kayıt ekliyecekmisiniz ?",
     "Bu kayıt bulunamadı, yeni bir kayıt eklemek istiyormusunuz ?"},
    {6, Severity::message, "Kayıt değiştirilemedi",
     "Bu kayıt başka bir kullanıcı tarafından açılmıştır."},
    {7, Severity::message, "Kayıt değiştirilemedi",
     "Bu kayıt başka bir kullanıcı tarafından değiştirildi. Yapılan değişiklikler ekrana "
     "getirilecektır.Kendi değişikliklerinizi görmek istiyorsanız Ctrl+' tuşlarına aynı anda "
     "basınız."},
    {8, Severity::question, "Yaptığınız değişiklikler kaybolacak!",
     "Yaptığınız işlemleri iptal etmek istediğinizden eminmisiniz ?"},
    {9, Severity::question, "Silme onayı",
     "Seçmiş olduğunuz kaydı silmek istediğinizden eminmisiniz?"},
    {10, Severity::fatal, "Dosya Yaratma hatası",
     "Hata: (%ErrorText) hatası oluştu %File dosyasını yaratırken."},
    {11, Severity::message, "Kayıt silinemiyor.",
     "(%ErrorText) hatası %File dosyasında kayıt silinirken oluştu."},
    {12, Severity::message, "Hatalı işlem", "Bu ekrandan kayıt silme işlemi yapamazsınız"},
    {13, Severity::message, "Çift kayıt yaratma hatası",
     "Eklemek istediğiniz kayıt dosyada mevcut.%Message key sahası için aynı değerleri taşıyan "
     "ikinci bir kayıt ekleyemezsiniz."},
    {14, Severity::message, "Saha değer hatası.",
     "%Field sahasına yapılan atama %Message dosyasında bulunamadı."},
    {15, Severity::message, "Değer hatası",
     "%Field sahasının değeri %Message değerlerinden biri olmalıdır."},
    {16, Severity::message, "Sınırlama hatası",
     "%Field sahasına yapmış olduğunuz giriş %Message değerleri arasında olmalı."},
    {17, Severity::message, "Sınırlama hatası",
     "%Field sahasına yapmış olduğunuz giriş %Message den küçük olmalı."},
    {18, Severity::message, "Sınırlama hatası",
     "%Field sahasına yapmış olduğunuz giriş %Message den büyük olmalı."},
    {19, Severity::message, "Dosya yükleme hatası.",
     "%File dosyası yüklenemedi.  Hata: %ErrorText."},
    {20, Severity::message, "Hatalı işlem", "Bu ekrandan kayıt giriş işlemi yapamazsınız."},
    {21, Severity::message, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {22, Severity::message, "Kayıt yok", "Seçmiş olduğunuz niteliklerde kayıt yok."},
    {23, Severity::fatal, "Dosya ulaşım hatası", "Dosya (%File) açılamadı.  Hata: %ErrorText."},
    {24, Severity::message, "Tanımlanmamış Program.", "Program %Message henüz tanımlanmamış."},
    {25, Severity::message, "Kayıt değiştirilimedi.",
     "(%ErrorText) hatası %File dosyasında kayıt değiştirlirken oluştu."},
    {26, Severity::fatal, "Ulaşım sahası yeniden düzenlenemiyor",
     "Hata: (%ErrorText) hatası, %File Dosyasında."},
    {27, Severity::message, "Hatalı Ulaşım Sahası",
     "%File Dosyasına Ulaşım sahası hatalı. Dosya düzenlenmeli."},
    {28, Severity::message, "Kayıt okunamıyor",
     "Bu kayıt başka bir kullanıcı tarafından tutulmaktadır."},
    {29, Severity::message, "Record Limit Exceeded",
     "Evaluation edition will not allow write-access to file %File. It will be opened for reading "
     "only."},
    {30, Severity::message, "Dosya bağlantı hatası",
     "Bu kayıt %File dosyası ile bağlantılıdır. Bağlantılı kayıtların silinmesi engellenmiştir. "
     "Bağlantılı kayıtlar olduğu sürece bu kaydı silemezsiniz."},
    {31, Severity::message, "Dosya bağlantı hatası",
     "Bu kayıt %File dosyası ile bağlantılıdır. Bağlantılı sahaların değiştirilmesi "
     "engellenmiştir.Saha değerleri orjinal değerlerine döndürülmektedir."},
    {32, Severity::question, "Otomatik Numara verme hatası",
     "Otomatik numara verilirken bir hata oluştu.  Hata: %ErrorText. Tekrar denemek istermisiniz "
     "?"},
    {33, Severity::question, "Kayıt silme hatası",
     "Kayıt silinmeye çalışılırken bir hata oluştu. Kaydı silmeyi tekrar denemek istermisiniz ?"},
    {34, Severity::question, "Kayıt değiştirme hatası",
     "Kayıt değiştirilirken bir hata oluştu. Değişiklikleri yüklemeyi tekrar denemek "
     "istiyormusunuz ?"},
    {35, Severity::question, "Değiştirme onayı",
     "Yapmış olduğunuz değişiklikleri kaydetmek istiyormusunuz ?"},
    {36, Severity::question, "Dosya başlangıç hatası",
     "Dosya başlangıcına ulaşılamadı. Dosyanın sonundan tekrar başlamak istermisiniz ?"},
    {37, Severity::question, "Dosya sonu hatası",
     "Dosya sonuna ulaşılamadı.Dosyanın başından tekrar başlamak istermisiniz?"},
    {38, Severity::message, "Hatalı işlem", "Bu ekrandan kayıt değiştirme işlemi yapamazsınız."},
    {39, Severity::programError, "Dosya kullanım hatası",
     "(%File) dosyasını kullanmak için önce açmalısınız."},
    {40, Severity::message, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {41, Severity::message, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
}};

} // namespace

std::vector<std::string> standardButtonCaptions() {
    std::vector<std::string> out;
    std::string_view all(kStandardButtonCaptions);
    for (std::size_t start = 0;;) {
        const std::size_t comma = all.find(',', start);
        out.emplace_back(all.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                           : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

const Entry* entry(int number) {
    if (number < kFirstMessage || number > kLastMessage) return nullptr;
    return &kTable[static_cast<std::size_t>(number - 1)];
}

std::string fill(std::string_view text, const MessageArgs& args) {
    const std::array<std::pair<std::string_view, const std::string*>, 6> names = {{
        {"%ErrorText", &args.errorText},
        {"%ErrorCode", &args.errorCode},
        {"%Procedure", &args.procedure},
        {"%Message", &args.message},
        {"%Field", &args.field},
        {"%File", &args.file},
    }};
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '%') {
            for (const auto& [name, value] : names) {
                if (text.substr(i, name.size()) == name) {
                    out += *value;
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out.push_back(text[i++]);
    }
    return out;
}

std::optional<Formatted> format(int number, const MessageArgs& args) {
    const Entry* e = entry(number);
    if (!e) return std::nullopt;
    Formatted f;
    f.number = e->number;
    f.severity = e->severity;
    f.title = e->title;
    f.text = fill(e->text, args);
    if (e->severity == Severity::fatal) f.text += kFatalSuffix;
    f.buttons = e->severity == Severity::question ? kQuestionButtons : kOkButton;
    f.defaultButton = 1;
    return f;
}

} // namespace hk::core::messages
