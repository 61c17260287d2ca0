#include "reports/standard.h"

#include "core/text.h"
#include "data/database.h"
#include "data/errors.h"

namespace hk::reports {

using core::Error;
using core::Status;
namespace text = core::text;

namespace {

const char* word(Measure m) {
    switch (m) {
    case Measure::Tl: return "Tl";
    case Measure::AltBirim: return "AltBirim";
    case Measure::Doviz: return "Doviz";
    }
    return "Tl";
}

Definition make(const char* kind, int number, const char* name, const char* title,
                const std::vector<ReadyColumn>& cols) {
    Definition d;
    d.header.RAPKOD = kind;
    d.header.RAPNO = static_cast<std::int16_t>(number);
    d.header.AD = name;
    d.header.RAPORTEXT = title;
    d.header.UZUNLUK = 200;
    addColumns(d, cols, std::to_string(number));
    return d;
}

} // namespace

void addColumns(Definition& d, const std::vector<ReadyColumn>& columns, const std::string& rapno) {
    auto no = static_cast<std::int16_t>(d.columns.size());
    for (const ReadyColumn& c : columns) {
        data::DRapor r;
        r.RAPKOD = d.header.RAPKOD;
        r.RAPNO = rapno;
        r.SIRANO = ++no;
        r.FIELDKOD = c.code;
        r.NTLK = c.kind;
        r.UZUNLUK = static_cast<std::int16_t>(c.width);
        r.AD[0] = c.h1;
        r.AD[1] = c.h2;
        r.FRML = c.picture;
        r.YAZ = "E";
        r.TOPLA = c.total;
        d.columns.push_back(std::move(r));
    }
}

std::optional<Measure> measureOf(std::string_view s) {
    const std::string u = text::upperTr(text::trim(s));
    if (u == "TL") return Measure::Tl;
    if (u == "ALTBIRIM" || u == "ALTBİRİM") return Measure::AltBirim;
    if (u == "DOVIZ" || u == "DÖVİZ") return Measure::Doviz;
    return std::nullopt;
}

Definition standardTrialBalance(Measure m, int number) {
    const std::string w = word(m);
    const std::string c3 = "Hsp:" + w + "Borc[Cr]", c4 = "Hsp:" + w + "Alacak[Cr]",
                      c5 = "Hsp:" + w + "Borc[Km]", c6 = "Hsp:" + w + "Alacak[Km]",
                      c7 = "Hsp:" + w + "Borc[Bk]", c8 = "Hsp:" + w + "Alacak[Bk]";
    const char* name = m == Measure::Tl         ? "MİZAN RAPORU"
                       : m == Measure::AltBirim ? "MİZAN RAPORU(AltBirim)"
                                                : "MİZAN RAPORU(Döviz)";
    const char* title = m == Measure::Tl         ? "MİZAN RAPORU"
                        : m == Measure::AltBirim ? "MİZAN RAPORU (ALTBİRİM)"
                                                 : "MİZAN RAPORU (DÖVİZ)";
    return make("1", number, name, title,
                {{"Hsp:HesapKodu", "S", 18, "HESAP", "KODU", "@s18", "H"},
                 {"Hsp:HesapAd1", "S", 50, "HESAP", "ADI", "@s50", "H"},
                 {c3.c_str(), "D", 18, "CARİ AY", "BORÇ", "@n18.2", "E"},
                 {c4.c_str(), "D", 18, "CARİ AY", "ALACAK", "@n18.2", "E"},
                 {c5.c_str(), "D", 18, "KÜMÜLATİF", "BORÇ", "@n18.2", "E"},
                 {c6.c_str(), "D", 18, "KÜMÜLATİF", "ALACAK", "@n18.2", "E"},
                 {c7.c_str(), "D", 18, "BORÇ", "BAKİYESİ", "@n18.2", "E"},
                 {c8.c_str(), "D", 18, "ALACAK", "BAKİYESİ", "@n18.2", "E"}});
}

Definition standardLedger(Measure m, int number) {
    const std::string w = word(m);
    const std::string c7 = "Mfd:" + w + "Borc", c8 = "Mfd:" + w + "Alacak",
                      c9 = "Mfd:" + w + "Borc[Bk]", c10 = "Mfd:" + w + "Alacak[Bk]";
    const char* title = m == Measure::Tl         ? "MUAVİN RAPORU"
                        : m == Measure::AltBirim ? "MUAVİN RAPORU (ALTBİRİM)"
                                                 : "MUAVİN RAPORU (DÖVİZ)";
    return make("2", number, title, title,
                {{"MFB:FisNo", "S", 3, "FİŞ", "NO", "@n3", "H"},
                 {"Format(MFB:FisTrh,@d6b)", "S", 10, "FİŞ", "TARİHİ", "@s10", "H"},
                 {"MFD:FisTur", "S", 1, "F", "T", "@s1", "H"},
                 {"Mfd:HesapKodu", "S", 18, "HESAP", "KODU", "@s18", "H"},
                 {"Hsp:HesapAd1", "S", 35, "HESAP", "ADI", "@s35", "H"},
                 {"MFD:FisAck", "S", 35, "FİŞ", "AÇIKLAMASI", "@s35", "H"},
                 {c7.c_str(), "D", 18, "BORÇ", "TUTARI", "@n18.2", "E"},
                 {c8.c_str(), "D", 18, "ALACAK", "TUTARI", "@n18.2", "E"},
                 {c9.c_str(), "D", 18, "BORÇ", "BAKİYESİ", "@n18.2", "E"},
                 {c10.c_str(), "D", 18, "ALACAK", "BAKİYESİ", "@n18.2", "E"}});
}

Status writeStandard(data::DataSet& ds, app::Ui& ui, const Definition& def) {
    if (def.header.RAPNO <= 0) return Error::badInput("Rapor numarası 0'dan büyük olmalı");
    auto heads = ds.open<data::Rapor>();
    if (!heads) return heads.error();
    auto cols = ds.open<data::DRapor>();
    if (!cols) return cols.error();
    data::Transaction tx(ds.data());
    if (!tx.started()) return tx.started();
    auto existing = heads->get("RAP:RapKodKey", def.header);
    if (existing) {
        ui.message("Aynı Rapor Kodu Zaten Kullanılmaktadır.!", "Uyarı Ekranı", app::Icon::Warning,
                   "&Tamam", 1);
        return Error::refused("Aynı Rapor Kodu Zaten Kullanılmaktadır.!", true);
    }
    if (!data::is(existing, data::ErrorCode::NotFound)) return existing.error();
    if (auto st = heads->add(def.header); !st) return st;
    for (const auto& c : def.columns)
        if (auto st = cols->add(c); !st) return st;
    return tx.commit();
}

} // namespace hk::reports
