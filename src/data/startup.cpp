#include "data/startup.h"

#include "core/text.h"
#include "data/errors.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace hk::data::startup {

namespace text = core::text;

namespace {

template <RecordStruct T> core::Result<TypedTable<T>> openTable(Database& db) {
    auto t = db.table(fileDef(T::kLayout));
    if (!t) return t.error();
    return TypedTable<T>(std::move(*t));
}

// Reads a whole file; the error text is the system's.
core::Result<std::string> readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        const int err = errno;
        return core::Error::of(err ? err : ENOENT, std::strerror(err ? err : ENOENT), p.string());
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return core::Error::of(EIO, std::strerror(EIO), p.string());
    return ss.str();
}

// Lines of a DOS text file (CR LF or LF), converted to UTF-8.
std::vector<std::string> dosLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        std::size_t end = nl == std::string::npos ? bytes.size() : nl;
        std::size_t bodyEnd = end;
        if (bodyEnd > pos && bytes[bodyEnd - 1] == '\r') --bodyEnd;
        // A DOS end-of-file mark ends the text.
        std::string body = bytes.substr(pos, bodyEnd - pos);
        if (auto eof = body.find('\x1a'); eof != std::string::npos) {
            body.resize(eof);
            lines.push_back(text::fromCp857(body));
            break;
        }
        lines.push_back(text::fromCp857(body));
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return lines;
}

// Failed lines of a text file are skipped; the user hears of them once, with the first reason.
struct Skipped {
    int count = 0;
    std::string first;
    void note(const std::string& where, const core::Error& e) {
        if (count++ == 0) first = where + ": " + e.text;
    }
    void report(const std::string& file, std::vector<Notice>& notices) const {
        if (count == 0) return;
        notices.push_back(
            {file + ": " + std::to_string(count) + " satır alınamadı (ilk: " + first + ")", file});
    }
};

template <RecordStruct T> core::Result<bool> isEmpty(TypedTable<T>& t) {
    auto n = t.count();
    if (!n) return n.error();
    return *n == 0;
}

std::string menuHeader(const std::string& title) {
    std::string s = "=" + title;
    const std::size_t len = text::length(s);
    if (len < 50) s += std::string(50 - len, '=');
    return s;
}

} // namespace

const std::vector<MenuRow>& defaultMenuCatalogue() {
    static const std::vector<MenuRow> rows = {
        {1000, menuHeader("Fiş İşlemleri")},
        {1010, "Fiş İşlemleri Fiş Listesi Excel"},
        {1020, "Fiş İşlemleri Yaz"},
        {1030, "Fiş İşlemleri Toplu Yaz"},
        {1040, "Fiş İşlemleri Transfer"},
        {1050, "Fiş İşlemleri Yevmiye No Kaldır"},
        {1060, "Fiş İşlemleri Mizan Düzenle"},
        {1070, "Fiş İşlemleri Fiş Sırala"},
        {2000, menuHeader("Raporlar")},
        {2010, "Raporlar Hesap Planı Raporu"},
        {2020, "Raporlar Mizan Raporları"},
        {2030, "Raporlar Muavin Raporları"},
        {2040, "Raporlar Muavin Maliyet Raporu"},
        {2050, "Raporlar Yevmiye Raporu"},
        {2060, "Raporlar Kebir Defteri"},
        {2070, "Raporlar Tablo Bilanço"},
        {2080, "Raporlar Muhtasar Beyannamesi"},
        {2090, "Raporlar KDV Beyannamesi"},
        {2100, "Raporlar Özel Raporlar"},
        {3000, menuHeader("Hesap Planı Listesi")},
        {3010, "HEsap Planı 12 Aylık Mizan"},
        {3020, "Hesap Planı Transfer"},
        {3030, "Hesap Planı Çerçeve Sınıf"},
        {4000, menuHeader("Genel Tanımlamalar")},
        {4010, "Şirket Tanımları"},
        {4020, "Özel Fiş Açıklamaları"},
        {4030, "Döviz İşlemleri"},
        {5000, menuHeader("Düzenleme İşlemleri")},
        {5010, "Mizan Sil"},
        {5020, "Mizan Düzenle"},
        {5030, "Kapanış Fişi Oluştur"},
        {5040, "Açılış Fişi Oluştur"},
        {5050, "Fiş Numaratör Düzelt"},
        {5060, "Fiş KeyStr Düzelt"},
        {5070, "Fiş Sırala Düzelt"},
        {5080, "Fiş İçi Sırala"},
        {5090, "Döviz Değerleri Yeniden Yarat"},
        {5100, "Bilgi Ayrıştır"},
        {5110, "Bilgi Birleştir"},
        {5120, "Fiş Listesi"},
        {100, menuHeader("Tanımlanabilir Raporlar")},
        {110, menuHeader("Tanımlanabilir Tablo Bilanço Raporları")},
        {120, menuHeader("Tanımlanabilir Özel Raporlar")},
    };
    return rows;
}

const std::vector<Nitelik>& defaultVoucherKinds() {
    static const std::vector<Nitelik> kinds = {{"ACF", "Açılış Fişi"},
                                               {"KPF", "Kapanış Fişi"},
                                               {"N", "Normal Fiş"},
                                               {"YAN", "Yansıtma Fişi"}};
    return kinds;
}

const Nitelik& cancelledVoucherKind() {
    static const Nitelik ipt{"IPT", "İptal Fişi"};
    return ipt;
}

const std::vector<BelgeTip>& defaultDocumentTypes() {
    static const std::vector<BelgeTip> types = {{"Çek", "check"},
                                                {"Fatura", "invoice"},
                                                {"Müşteri siparişi", "order-customer"},
                                                {"Satıcı siparişi", "order-vendor"},
                                                {"Senet", "voucher"},
                                                {"Navlun", "shipment"},
                                                {"Makbuz", "receipt"},
                                                {"Diğer", "other"}};
    return types;
}

core::Result<int> buildFieldCatalogue(Database& db) {
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto dl = openTable<DataList>(db);
    if (!dl) return dl.error();
    auto empty = isEmpty(*dl);
    if (!empty) return empty.error();
    if (!*empty) return 0;

    struct Part {
        std::uint8_t kind;
        Layout layout;
        const char* arraySuffix;
    };
    const Part parts[] = {
        {1, Layout::HsPlan, "[Ay]"}, {1, Layout::FisBas, "[Ay]"}, {1, Layout::FisDet, "[Yil]"},
        {2, Layout::HsPlan, "[Ay]"}, {2, Layout::FisBas, "[Ay]"}, {2, Layout::FisDet, "[Yil]"},
        {3, Layout::HsPlan, "[BK]"},
    };
    int rows = 0;
    for (const Part& p : parts)
        for (const CatalogueField& f : catalogueFields(p.layout)) {
            if (f.label.empty()) break; // the catalogue ends at the first field without a label
            DataList r;
            r.KOD = p.kind;
            r.AD = f.isArray ? f.label + p.arraySuffix : f.label;
            r.CINS = f.type;
            r.UZUNLUK = static_cast<std::int16_t>(f.size);
            if (auto st = dl->add(r); !st) return st.error();
            ++rows;
        }
    // Running numbers in key order (kind, then label).
    if (auto st = dl->set("KeyKod", Seek::First); !st) return st.error();
    std::int16_t no = 0;
    for (;;) {
        auto r = dl->next();
        if (!r) {
            if (is(r, ErrorCode::NoRecord)) break;
            return r.error();
        }
        r->NO = ++no;
        if (auto st = dl->put(*r); !st) return st.error();
    }
    if (auto st = tx.commit(); !st) return st.error();
    return rows;
}

namespace {

// Reads a DOS-code-page text file line by line into one table in one transaction. parse turns a
// converted line into a record, or nothing for a line that carries none (blank lines). A missing
// or unreadable file is one notice (prefix + error text) and adds nothing; lines the table refuses
// are skipped and reported together.
template <typename Rec, typename Parse>
core::Result<int> loadTextLines(Database& db, const std::filesystem::path& file,
                                const std::string& missingPrefix, std::vector<Notice>& notices,
                                Parse parse) {
    auto bytes = readAll(file);
    if (!bytes) {
        notices.push_back({missingPrefix + bytes.error().text, {}});
        return 0;
    }
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto table = openTable<Rec>(db);
    if (!table) return table.error();
    int added = 0;
    Skipped skipped;
    int lineNo = 0;
    for (const std::string& line : dosLines(*bytes)) {
        ++lineNo;
        std::optional<Rec> rec = parse(line);
        if (!rec) continue;
        if (auto st = table->add(*rec); !st) {
            skipped.note(std::to_string(lineNo) + ". satır", st.error());
            continue;
        }
        ++added;
    }
    if (auto st = tx.commit(); !st) return st.error();
    skipped.report(file.filename().string(), notices);
    return added;
}

} // namespace

core::Result<int> loadChartText(Database& db, const std::filesystem::path& file,
                                std::vector<Notice>& notices) {
    return loadTextLines<HsPlan>(db, file, "HsPlan.Txt ", notices,
                                 [](const std::string& line) -> std::optional<HsPlan> {
                                     HsPlan h;
                                     h.HESAPKODU = text::clip(text::sub(line, 1, 3));
                                     if (text::trim(h.HESAPKODU).empty()) return std::nullopt;
                                     h.NTLK = text::clip(text::sub(line, 5, 1));
                                     h.HESAPAD1 = text::clip(text::sub(line, 7, 50));
                                     return h;
                                 });
}

core::Result<int> loadFrameText(Database& db, const std::filesystem::path& file,
                                std::vector<Notice>& notices) {
    return loadTextLines<CsPlan>(db, file, "CsPlan.Txt ", notices,
                                 [](const std::string& line) -> std::optional<CsPlan> {
                                     CsPlan c;
                                     c.HESAPKODU = text::clip(text::sub(line, 1, 16));
                                     if (text::trim(c.HESAPKODU).empty()) return std::nullopt;
                                     c.HESAPAD1 = text::clip(text::sub(line, 17, 50));
                                     return c;
                                 });
}

core::Result<int> importPlan00(Database& db, const std::filesystem::path& file,
                               std::vector<Notice>& notices) {
    auto bytes = readAll(file);
    if (!bytes) {
        // The file read is Plan00.txt, so that is the name the message gives.
        notices.push_back({"Plan00.txt  " + bytes.error().text, {}});
        return 0;
    }
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto plan = openTable<HsPlan>(db);
    if (!plan) return plan.error();
    int added = 0;
    Skipped skipped;
    const std::string& b = *bytes;
    const std::size_t records = b.size() / kImportRecordLength;
    for (std::size_t i = 0; i < records; ++i) {
        const std::string rec =
            text::fromCp857(b.substr(i * kImportRecordLength, kImportRecordLength));
        const std::string kind = text::sub(rec, 27, 1);
        if (kind != "K" && kind != "G" && kind != "M") continue;
        HsPlan h;
        h.HESAPKODU = text::clip(text::sub(rec, 9, 11));
        h.NTLK = kind;
        h.HESAPAD1 = text::clip(text::sub(rec, 28, 50));
        if (text::trim(h.HESAPKODU).empty()) {
            skipped.note(std::to_string(i + 1) + ". kayıt", core::Error::of(0, "hesap kodu boş"));
            continue;
        }
        if (auto st = plan->add(h); !st) {
            skipped.note(std::to_string(i + 1) + ". kayıt", st.error());
            continue;
        }
        ++added;
    }
    if (auto st = tx.commit(); !st) return st.error();
    if (const std::size_t tail = b.size() % kImportRecordLength; tail != 0)
        notices.push_back(
            {"Plan00.txt: son kayıt eksik (" + std::to_string(tail) + " bayt), alınmadı.", {}});
    skipped.report("Plan00.txt", notices);
    return added;
}

namespace {

core::Status prepareCompany(Database& db, const Options& o, Report& rep) {
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto yasal = openTable<Yasal>(db);
    if (!yasal) return yasal.error();
    auto n = yasal->count();
    if (!n) return n.error();
    if (*n == 0) {
        Yasal y;
        y.SIRKETUNVANI1 = "Deneme";
        y.CALISILANAYNO = 1;
        y.MALIDONEMBAS = core::Date{1, 1, o.today.year};
        y.MALIDONEMSON = core::Date{31, 12, o.today.year};
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        if (auto st = yasal->add(y); !st) return st;
        rep.company = y;
        rep.companyCreated = true;
        rep.created.push_back("Yasal: şirket kaydı \"Deneme\" " + std::to_string(o.today.year) +
                              " yılı için");
        return tx.commit();
    }
    if (*n > 1)
        rep.notices.push_back(
            {"Yasal Dosyasında 1 den Fazla Kayıt Var\nYasal Dosyası Yeniden Düzenlenmeli", {}});
    if (auto st = yasal->setPhysical(); !st) return st;
    auto first = yasal->next();
    if (!first) return first.error();
    Yasal y = *first;
    if (y.KAPANANAY > 12) {
        y.KAPANANAY = 0;
        if (auto st = yasal->put(y); !st) return st;
        rep.created.push_back("Yasal: kapanan ay 0 yapıldı");
    }
    const std::string sira = text::clip(y.FISNOSIRASI);
    if (sira != "A" && sira != "G")
        rep.notices.push_back({"Yasal Tanımlarda, Fiş No Sırası Tanımlanmalıdır.!", {}});
    const std::string duzen = text::clip(y.FISNUMARALAMADUZENI);
    if (duzen != "B" && duzen != "A")
        rep.notices.push_back({"Yasal Tanımlarda, Fiş Numaralama Düzeni Tanımlanmalıdır.!", {}});
    rep.company = y;
    return tx.commit();
}

core::Status prepareKinds(Database& db, Report& rep) {
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto nit = openTable<Nitelik>(db);
    if (!nit) return nit.error();
    auto empty = isEmpty(*nit);
    if (!empty) return empty.error();
    int added = 0;
    if (*empty)
        for (const Nitelik& k : defaultVoucherKinds()) {
            if (auto st = nit->add(k); !st) return st;
            ++added;
        }
    auto ipt = nit->get("KeyNtlk", cancelledVoucherKind());
    if (!ipt) {
        if (!isMissing(ipt.error())) return ipt.error();
        if (auto st = nit->add(cancelledVoucherKind()); !st) return st;
        ++added;
    }
    if (added) rep.created.push_back("Nitelik: " + std::to_string(added) + " fiş niteliği");
    return tx.commit();
}

template <RecordStruct T, typename Rows>
core::Status fillWhenEmpty(Database& db, const Rows& rows, const std::string& what, Report& rep) {
    Transaction tx{db};
    if (!tx.started().ok()) return tx.started().error();
    auto t = openTable<T>(db);
    if (!t) return t.error();
    auto empty = isEmpty(*t);
    if (!empty) return empty.error();
    if (!*empty) return {};
    for (const auto& r : rows)
        if (auto st = t->add(r); !st) return st;
    rep.created.push_back(what + ": " + std::to_string(rows.size()));
    return tx.commit();
}

} // namespace

core::Result<Report> prepare(DataSet& ds, const Options& o) {
    Database& db = ds.data();
    Report rep;

    // 1. Field catalogue.
    auto rows = buildFieldCatalogue(db);
    if (!rows) return rows.error();
    if (*rows) rep.created.push_back("DataList: " + std::to_string(*rows) + " alan");

    auto planEmpty = [&]() -> core::Result<bool> {
        auto plan = openTable<HsPlan>(db);
        if (!plan) return plan.error();
        return isEmpty(*plan);
    };

    // 2. Chart import on request.
    if (o.aktar) {
        auto e = planEmpty();
        if (!e) return e.error();
        if (*e) {
            auto n = importPlan00(db, o.textFolder / kImportText, rep.notices);
            if (!n) return n.error();
            if (*n)
                rep.created.push_back("HsPlan: " + std::to_string(*n) + " hesap " + kImportText +
                                      " dosyasından");
        }
    }

    // 3. Version record.
    {
        Transaction tx{db};
        if (!tx.started().ok()) return tx.started().error();
        auto v = openTable<Version>(db);
        if (!v) return v.error();
        auto e = isEmpty(*v);
        if (!e) return e.error();
        if (*e) {
            if (auto st = v->add(Version{std::string(kProgramVersion)}); !st) return st.error();
            rep.created.push_back("Version: " + std::string(kProgramVersion));
        }
        if (auto st = tx.commit(); !st) return st.error();
    }

    // 4. Default chart.
    {
        auto e = planEmpty();
        if (!e) return e.error();
        if (*e) {
            auto n = loadChartText(db, o.textFolder / kChartText, rep.notices);
            if (!n) return n.error();
            if (*n)
                rep.created.push_back("HsPlan: " + std::to_string(*n) + " hesap " + kChartText +
                                      " dosyasından");
        }
    }

    // 5. Default frame-class list.
    {
        auto cs = openTable<CsPlan>(db);
        if (!cs) return cs.error();
        auto e = isEmpty(*cs);
        if (!e) return e.error();
        if (*e) {
            auto n = loadFrameText(db, o.textFolder / kFrameText, rep.notices);
            if (!n) return n.error();
            if (*n)
                rep.created.push_back("CsPlan: " + std::to_string(*n) + " sınıf ve grup " +
                                      kFrameText + " dosyasından");
        }
    }

    // 6. Company record.
    if (auto st = prepareCompany(db, o, rep); !st) return st.error();
    // 7. Voucher kinds.
    if (auto st = prepareKinds(db, rep); !st) return st.error();
    // 8. Document types.
    if (auto st = fillWhenEmpty<BelgeTip>(db, defaultDocumentTypes(), "BelgeTip", rep); !st)
        return st.error();
    // 9. Menu catalogue.
    std::vector<MenuList> menu;
    for (const MenuRow& r : defaultMenuCatalogue())
        menu.push_back(MenuList{static_cast<double>(r.number), text::left(r.name, 50)});
    if (auto st = fillWhenEmpty<MenuList>(db, menu, "MenuList", rep); !st) return st.error();
    return rep;
}

} // namespace hk::data::startup
