#include "app/catalogue.h"

#include "app/message.h"
#include "core/messages.h"

#include <algorithm>

namespace hk::app {

void raiseNotBuilt(Ui& ui, const std::string& procedure) {
    core::messages::MessageArgs args;
    args.message = procedure;
    args.procedure = procedure;
    const auto m = core::messages::format(24, args);
    if (m) ui.message(m->text, m->title, Icon::Warning, m->buttons, m->defaultButton);
}

namespace {

MenuEntry menu(int number, const char* text) {
    return MenuEntry{MenuKind::Menu, number, 0, text, {}, {}, RunMode::Frame, {}};
}
MenuEntry start(int parent, int number, const char* text, const char* proc, const char* arg = "") {
    return MenuEntry{MenuKind::Item, number, parent, text, proc, arg, RunMode::Start, {}};
}
MenuEntry call(int parent, int number, const char* text, const char* proc, const char* arg = "") {
    return MenuEntry{MenuKind::Item, number, parent, text, proc, arg, RunMode::Call, {}};
}
MenuEntry sep(int parent, int number = 0) {
    return MenuEntry{MenuKind::Separator, number, parent, {}, {}, {}, RunMode::Frame, {}};
}
MenuEntry frame(int number, const char* text) {
    return MenuEntry{MenuKind::Item, number, 0, text, {}, {}, RunMode::Frame, {}};
}

std::vector<MenuEntry> buildMenu() {
    std::vector<MenuEntry> m;
    m.push_back(start(0, 1000, "Fiş İşlemleri", "FisListesi"));

    m.push_back(menu(2000, "&Raporlar"));
    m.push_back(start(2000, 2010, "Hesap Planı Raporu", "HesapPlaniFiltreEkrani"));
    m.push_back(sep(2000, 2011));
    m.push_back(start(2000, 2020, "Mizan Raporları", "TnmRaporlar", "1"));
    m.push_back(start(2000, 2030, "Muavin Raporları", "TnmRaporlar", "2"));
    m.push_back(start(2000, 2040, "Muavin Maliyet Raporu", "MuavinMaliyetFiltreEkrani"));
    m.push_back(sep(2000, 2041));
    m.push_back(start(2000, 2050, "Yevmiye Raporu", "YevmiyeRapFiltre"));
    m.push_back(sep(2000, 2051));
    m.push_back(start(2000, 2060, "Kebir Defteri", "KebirRapFiltre"));
    m.push_back(sep(2000, 2061));
    m.push_back(start(2000, 2070, "Tablo Bilanço", "TabloRapor"));
    m.push_back(sep(2000, 2071));
    m.push_back(start(2000, 2080, "Muhtasar Beyannamesi", "Muhtasar"));
    m.push_back(start(2000, 2090, "KDV Beyannamesi", "Kdv"));
    m.push_back(sep(2000, 2091));
    m.push_back(start(2000, 2100, "Özel Raporlar", "TnmORaporlar", "9"));
    m.push_back(sep(2000));
    m.push_back(start(2000, 2101, "Kasa Raporu", "KasaDefteriFiltre"));

    m.push_back(start(0, 3000, "Hesap Planı Listesi", "HsPlan"));

    m.push_back(menu(4000, "Genel Tanımlamalar"));
    m.push_back(call(4000, 4010, "Şirket Tanımları", "Yasal"));
    m.push_back(call(4000, 4020, "Özel Fiş Açıklamaları", "FisAck"));
    m.push_back(start(4000, 4030, "Döviz İşlemleri", "DovizListesi"));
    m.push_back(sep(4000, 4031));
    m.push_back(start(4000, 4910, "Kullanıcı Tanımları", "KulUserList"));
    m.push_back(start(4000, 4900, "Kullanıcı Grup Tanımları", "KulGrupList"));

    m.push_back(menu(5000, "Düzenleme İşlemleri"));
    MenuEntry mizanSil = call(5000, 5010, "Mizan Sil", "MizanSifirla");
    mizanSil.question = "12 Aylık Mizan SilinsinMi?";
    m.push_back(mizanSil);
    m.push_back(call(5000, 5020, "Mizan Düzenle", "YMizanDuzelt", "0"));
    m.push_back(sep(5000, 5021));
    m.push_back(call(5000, 5030, "Kapanış Fişi Oluştur", "KapanisFisYarat"));
    m.push_back(call(5000, 5040, "Açılış Fişi Oluştur", "AcilisFisYarat"));
    m.push_back(sep(5000, 5041));
    m.push_back(call(5000, 5050, "Fiş Numaratör Düzelt", "FisNumaratorDuzeltEkrani"));
    m.push_back(start(5000, 5060, "Fiş KeyStr Düzelt", "FisKeyStrDuzelt"));
    m.push_back(call(5000, 5070, "Fiş Sırala Düzelt", "FisSiralaDüzelt"));
    m.push_back(start(5000, 5080, "Fiş İçi Sırala", "FisIciSirala"));
    m.push_back(sep(5000, 5081));
    m.push_back(start(5000, 5090, "Döviz Değerleri Yeniden Yarat", "FisDovizDüzelt"));
    m.push_back(sep(5000, 5091));
    m.push_back(start(5000, 5100, "Bilgi Ayrıştır", "Ayristir"));
    m.push_back(start(5000, 5110, "Bilgi Birleştir", "Birlestir"));
    m.push_back(sep(5000, 5111));
    m.push_back(start(5000, 5120, "Fiş Listesi", "Fisdetlistesi"));
    m.push_back(start(5000, 5121, "Fiş Başlık Dosyasını yeniden Oluştur", "FisBaslikYarat"));
    m.push_back(sep(5000));
    m.push_back(start(5000, 5122, "Edefter Other Belge Açıklaması sil", "OtherAckBosalt"));
    m.push_back(start(5000, 5123, "Excel Hesap Planı Oku", "ExcelHsPlanOku"));
    m.push_back(start(5000, 5124, "Fiş Yılını Döneme Göre Düzenle", "TarihAyarla"));
    m.push_back(start(5000, 5125, "Duzenle", "duzenle"));
    m.push_back(start(5000, 5126, "Fiş Detay Listesini Excel Aktar", "ExcelFisDetayAktar"));
    m.push_back(sep(5000));
    // The program gives this item no caption of its own; it names what the item does.
    m.push_back(call(5000, 5127, "Excel'den Masraf Fişi Oku", "HkrFiSOku"));

    m.push_back(frame(5128, "&Yazıcı Ayarları"));
    MenuEntry windows = menu(5129, "&Pencere");
    m.push_back(windows);
    m.push_back(frame(5130, "Çı&kış"));
    return m;
}

} // namespace

const std::vector<MenuEntry>& mainMenu() {
    static const std::vector<MenuEntry> entries = buildMenu();
    return entries;
}

const MenuEntry* findMenuEntry(int number) {
    if (number == 0) return nullptr;
    const auto& m = mainMenu();
    auto it = std::find_if(m.begin(), m.end(), [&](const MenuEntry& e) { return e.number == number; });
    return it == m.end() ? nullptr : &*it;
}

bool menuEntryShown(const MenuEntry& entry, const std::set<int>& hidden) {
    if (entry.number != 0 && hidden.count(entry.number)) return false;
    return entry.parent == 0 || hidden.count(entry.parent) == 0;
}

bool runRegistered(const ProcedureRegistry& registry, const std::string& name,
                   const std::string& argument, ProcedureContext& ctx) {
    const ProcedureSpec* spec = registry.find(name);
    if (!spec || !spec->run) {
        raiseNotBuilt(ctx.ui, name);
        return false;
    }
    Options o;
    o.argument = argument;
    if (auto st = spec->run(ctx, o); !st) {
        reportFailure(ctx.ui, st.error());
        return false;
    }
    return true;
}

bool confirmMenuEntry(const MenuEntry& entry, Ui& ui) {
    return entry.question.empty() ||
           ui.message(entry.question, entry.question, Icon::Warning, "&Evet|&Hayır", 2) == 1;
}

bool runMenuEntry(const MenuEntry& entry, const ProcedureRegistry& registry,
                  ProcedureContext& ctx) {
    if (entry.kind != MenuKind::Item || entry.procedure.empty()) return false;
    if (!confirmMenuEntry(entry, ctx.ui)) return false;
    return runRegistered(registry, entry.procedure, entry.argument, ctx);
}

const std::set<std::string>& knownProcedures() {
    static const std::set<std::string> names = [] {
        std::set<std::string> s{kYearEndProcedure, kRenumberProcedure, kRebuildProcedure};
        for (const auto& e : mainMenu())
            if (!e.procedure.empty()) s.insert(e.procedure);
        return s;
    }();
    return names;
}

} // namespace hk::app
