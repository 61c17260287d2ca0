#include "data/startup.h"

#include "core/text.h"
#include "data/errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace hk::data;
namespace su = hk::data::startup;
using hk::core::Date;

namespace {

class StartupData : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("hk_startup_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "prog");
        fs::create_directories(root_ / "data");
    }
    void TearDown() override { fs::remove_all(root_); }

    void copyResources() {
        for (const char* f : {"Hsplan.txt", "CsPlan.txt"})
            fs::copy_file(fs::path(HK_RESOURCE_DIR) / f, root_ / "prog" / f);
    }
    void writeText(const std::string& name, const std::string& bytes) {
        std::ofstream(root_ / "prog" / name, std::ios::binary) << bytes;
    }
    DataSet open() {
        auto ds = DataSet::open(Locations::resolve((root_ / "data").string(), root_ / "prog"));
        EXPECT_TRUE(ds.ok()) << (ds.ok() ? "" : ds.error().describe());
        return std::move(*ds);
    }
    su::Options options(bool aktar = false) {
        su::Options o;
        o.textFolder = root_ / "prog";
        o.aktar = aktar;
        o.today = Date{9, 12, 2026};
        return o;
    }
    template <RecordStruct T> std::vector<T> all(DataSet& ds) {
        auto t = ds.open<T>();
        EXPECT_TRUE(t.ok());
        std::vector<T> out;
        EXPECT_TRUE(t->setPhysical().ok());
        for (auto r = t->next(); r.ok(); r = t->next()) out.push_back(*r);
        return out;
    }
    // Lines of a resource file that carry a code (independent of the loader).
    static int codeLines(const char* file) {
        std::ifstream in(fs::path(HK_RESOURCE_DIR) / file, std::ios::binary);
        std::string line;
        int n = 0;
        while (std::getline(in, line))
            if (!line.empty() && line[0] != ' ' && line[0] != '\r') ++n;
        return n;
    }
    fs::path root_;
};

} // namespace

TEST_F(StartupData, EmptyFolderGetsEveryReferenceFile) {
    copyResources();
    DataSet ds = open();
    auto rep = su::prepare(ds, options());
    ASSERT_TRUE(rep.ok()) << rep.error().describe();
    EXPECT_TRUE(rep->notices.empty());
    EXPECT_TRUE(rep->companyCreated);

    // Field catalogue: HsPlan 24 fields, FisBas 13, FisDet 26 under kinds 1 and 2, HsPlan under 3.
    auto dl = all<DataList>(ds);
    EXPECT_EQ(dl.size(), 24u + 13 + 26 + 24 + 13 + 26 + 24);
    std::set<int> numbers;
    bool kasaArray = false, bkArray = false;
    for (const auto& r : dl) {
        numbers.insert(r.NO);
        if (r.KOD == 1 && r.AD == "HSP:TLBORC[Ay]") {
            kasaArray = true;
            EXPECT_EQ(r.CINS, "REAL");
            EXPECT_EQ(r.UZUNLUK, 8);
        }
        if (r.KOD == 3 && r.AD == "HSP:TLBORC[BK]") bkArray = true;
        if (r.AD == "MFD:FISACK") {
            EXPECT_EQ(r.UZUNLUK, 50);
        }
        // The first row in (kind, label) order.
        if (r.KOD == 1 && r.AD == "HSP:ACALTBIRIMALACAK") {
            EXPECT_EQ(r.NO, 1);
        }
    }
    EXPECT_TRUE(kasaArray);
    EXPECT_TRUE(bkArray);
    EXPECT_EQ(numbers.size(), dl.size());
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), static_cast<int>(dl.size()));

    auto ver = all<Version>(ds);
    ASSERT_EQ(ver.size(), 1u);
    EXPECT_EQ(ver[0].VERSION, "302008");

    auto plan = all<HsPlan>(ds);
    EXPECT_EQ(static_cast<int>(plan.size()), codeLines("Hsplan.txt"));
    auto find = [&](const std::string& code) {
        for (const auto& h : plan)
            if (h.HESAPKODU == code) return h;
        return HsPlan{};
    };
    EXPECT_EQ(find("100").HESAPAD1, "KASA");
    EXPECT_EQ(find("100").NTLK, "K");
    EXPECT_EQ(find("191").HESAPAD1, "İNDİRİLECEK KATMA DEĞER VERGİSİ");
    EXPECT_EQ(find("590").HESAPAD1, "DÖNEM NET KÂRI");

    auto cs = all<CsPlan>(ds);
    EXPECT_EQ(static_cast<int>(cs.size()), codeLines("CsPlan.txt"));
    bool hazir = false;
    for (const auto& c : cs) hazir |= c.HESAPKODU == "10" && c.HESAPAD1 == "HAZIR DEĞERLER";
    EXPECT_TRUE(hazir);

    auto ya = all<Yasal>(ds);
    ASSERT_EQ(ya.size(), 1u);
    EXPECT_EQ(ya[0].SIRKETUNVANI1, "Deneme");
    EXPECT_EQ(ya[0].MALIDONEMBAS, (Date{1, 1, 2026}));
    EXPECT_EQ(ya[0].MALIDONEMSON, (Date{31, 12, 2026}));
    EXPECT_EQ(ya[0].FISNUMARALAMADUZENI, "B");
    EXPECT_EQ(ya[0].FISNOSIRASI, "A");
    EXPECT_EQ(ya[0].CALISILANAYNO, 1);
    EXPECT_EQ(rep->company.SIRKETUNVANI1, "Deneme");

    auto kinds = all<Nitelik>(ds);
    std::set<std::string> codes;
    for (const auto& k : kinds) codes.insert(k.FISNTLK + "=" + k.ACK);
    EXPECT_EQ(codes, (std::set<std::string>{"ACF=Açılış Fişi", "KPF=Kapanış Fişi", "N=Normal Fiş",
                                            "YAN=Yansıtma Fişi", "IPT=İptal Fişi"}));

    auto docs = all<BelgeTip>(ds);
    ASSERT_EQ(docs.size(), 8u);
    EXPECT_EQ(docs[2].BELGETIPI, "Müşteri siparişi");
    EXPECT_EQ(docs[2].BELGETIPI_XML, "order-customer");

    auto menu = all<MenuList>(ds);
    ASSERT_EQ(menu.size(), 43u);
    for (const auto& m : menu) {
        if (m.MENUNO == 1000) {
            EXPECT_EQ(m.MENUADI, "=Fiş İşlemleri" + std::string(36, '='));
            EXPECT_EQ(hk::core::text::length(m.MENUADI), 50u);
        }
        if (m.MENUNO == 3010) {
            EXPECT_EQ(m.MENUADI, "HEsap Planı 12 Aylık Mizan");
        }
        if (m.MENUNO == 110) {
            EXPECT_EQ(m.MENUADI, "=Tanımlanabilir Tablo Bilanço Raporları" + std::string(11, '='));
        }
    }
}

TEST_F(StartupData, SecondStartAddsNothing) {
    copyResources();
    DataSet ds = open();
    ASSERT_TRUE(su::prepare(ds, options()).ok());
    auto again = su::prepare(ds, options());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again->created.empty());
    EXPECT_FALSE(again->companyCreated);
    EXPECT_EQ(all<MenuList>(ds).size(), 43u);
    EXPECT_EQ(all<Nitelik>(ds).size(), 5u);
    EXPECT_EQ(all<Yasal>(ds).size(), 1u);
}

TEST_F(StartupData, MissingTextFilesAreReportedAndStartGoesOn) {
    DataSet ds = open();
    auto rep = su::prepare(ds, options());
    ASSERT_TRUE(rep.ok());
    ASSERT_EQ(rep->notices.size(), 2u);
    EXPECT_EQ(rep->notices[0].text.rfind("HsPlan.Txt ", 0), 0u);
    EXPECT_GT(rep->notices[0].text.size(), std::string("HsPlan.Txt ").size());
    EXPECT_EQ(rep->notices[1].text.rfind("CsPlan.Txt ", 0), 0u);
    EXPECT_TRUE(all<HsPlan>(ds).empty());
    EXPECT_TRUE(all<CsPlan>(ds).empty());
    EXPECT_EQ(all<MenuList>(ds).size(), 43u);
    EXPECT_EQ(all<Version>(ds).size(), 1u);
}

TEST_F(StartupData, ChartLinesThatCannotBeStoredAreSkippedWithOneNotice) {
    // cp857: 0x9E = Ş, 0x9A = Ü; 0xB3 is a box-drawing line that cp1254 has no code for.
    writeText("Hsplan.txt", "100 K KASA\r\n"
                            "101 K \x9e\x9a"
                            "KR\x9a\r\n"
                            "102 K BAD\xb3NAME\r\n"
                            "100 K AGAIN\r\n"
                            "\r\n");
    writeText("CsPlan.txt", "1               D\x99NEN\r\n"); // 0x99 = Ö
    DataSet ds = open();
    auto rep = su::prepare(ds, options());
    ASSERT_TRUE(rep.ok());
    auto plan = all<HsPlan>(ds);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[1].HESAPKODU, "101");
    EXPECT_EQ(plan[1].HESAPAD1, "ŞÜKRÜ");
    ASSERT_EQ(rep->notices.size(), 1u);
    EXPECT_NE(rep->notices[0].text.find("2 satır alınamadı"), std::string::npos);
    EXPECT_NE(rep->notices[0].text.find("3. satır"), std::string::npos);
}

TEST_F(StartupData, ImportOnRequestReadsPlan00Records) {
    copyResources();
    auto record = [](const std::string& code, char kind, const std::string& nameCp857) {
        std::string r(su::kImportRecordLength, ' ');
        r.replace(8, code.size(), code);
        r[26] = kind;
        r.replace(27, nameCp857.size(), nameCp857);
        return r;
    };
    writeText("Plan00.txt", record("120", 'K', "ALICILAR") + record("120 01", 'G', "YURT\x8a\x80\x8a") +
                                record("120 01 001", 'M', "MUSTERI") + record("999", 'X', "SKIP") +
                                "TAIL");
    DataSet ds = open();
    auto rep = su::prepare(ds, options(true));
    ASSERT_TRUE(rep.ok());
    auto plan = all<HsPlan>(ds);
    ASSERT_EQ(plan.size(), 3u); // the default chart is not loaded over an imported one
    EXPECT_EQ(plan[1].HESAPKODU, "120 01");
    EXPECT_EQ(plan[1].NTLK, "G");
    EXPECT_EQ(plan[1].HESAPAD1, "YURTèÇè");
    ASSERT_EQ(rep->notices.size(), 1u);
    EXPECT_NE(rep->notices[0].text.find("eksik (4 bayt)"), std::string::npos);
}

TEST_F(StartupData, ImportIsSkippedWhenTheChartHasAccounts) {
    copyResources();
    DataSet ds = open();
    ASSERT_TRUE(su::prepare(ds, options()).ok());
    const auto before = all<HsPlan>(ds).size();
    auto rep = su::prepare(ds, options(true)); // no Plan00.txt: it is not even opened
    ASSERT_TRUE(rep.ok());
    EXPECT_TRUE(rep->notices.empty());
    EXPECT_EQ(all<HsPlan>(ds).size(), before);
}

TEST_F(StartupData, ImportFileMissingIsReportedByItsName) {
    copyResources();
    DataSet ds = open();
    auto rep = su::prepare(ds, options(true));
    ASSERT_TRUE(rep.ok());
    ASSERT_FALSE(rep->notices.empty());
    EXPECT_EQ(rep->notices[0].text.rfind("Plan00.txt  ", 0), 0u);
    EXPECT_FALSE(all<HsPlan>(ds).empty()); // the default chart follows
}

TEST_F(StartupData, CompanyRecordChecks) {
    copyResources();
    struct Case {
        const char* name;
        int records;
        int kapananAy;
        const char* sira;
        const char* duzen;
        std::vector<std::string> notices;
        int kapananAfter;
    } cases[] = {
        {"valid", 1, 3, "A", "B", {}, 3},
        {"closed month above 12 is reset", 1, 69, "G", "A", {}, 0},
        {"numbering unset",
         1,
         0,
         "X",
         "",
         {"Yasal Tanımlarda, Fiş No Sırası Tanımlanmalıdır.!",
          "Yasal Tanımlarda, Fiş Numaralama Düzeni Tanımlanmalıdır.!"},
         0},
        {"two records", 2, 0, "A", "B",
         {"Yasal Dosyasında 1 den Fazla Kayıt Var\nYasal Dosyası Yeniden Düzenlenmeli"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root_ / "data");
        DataSet ds = open();
        {
            auto y = ds.open<Yasal>();
            ASSERT_TRUE(y.ok());
            for (int i = 0; i < c.records; ++i) {
                Yasal r;
                r.SIRKETUNVANI1 = i == 0 ? "Birinci" : "İkinci";
                r.MALIDONEMBAS = Date{1, 7, 2014};
                r.KAPANANAY = static_cast<std::uint8_t>(c.kapananAy);
                r.FISNOSIRASI = c.sira;
                r.FISNUMARALAMADUZENI = c.duzen;
                ASSERT_TRUE(y->add(r).ok());
            }
        }
        auto rep = su::prepare(ds, options());
        ASSERT_TRUE(rep.ok());
        std::vector<std::string> texts;
        for (const auto& n : rep->notices) texts.push_back(n.text);
        EXPECT_EQ(texts, c.notices);
        EXPECT_FALSE(rep->companyCreated);
        EXPECT_EQ(rep->company.SIRKETUNVANI1, "Birinci");
        EXPECT_EQ(rep->company.KAPANANAY, c.kapananAfter);
        EXPECT_EQ(all<Yasal>(ds)[0].KAPANANAY, c.kapananAfter);
        EXPECT_EQ(all<Yasal>(ds).size(), static_cast<std::size_t>(c.records));
    }
}

TEST_F(StartupData, CancelledKindIsAddedToAnExistingList) {
    copyResources();
    DataSet ds = open();
    {
        auto n = ds.open<Nitelik>();
        ASSERT_TRUE(n.ok());
        ASSERT_TRUE(n->add(Nitelik{"N", "Normal"}).ok());
    }
    ASSERT_TRUE(su::prepare(ds, options()).ok());
    auto kinds = all<Nitelik>(ds);
    ASSERT_EQ(kinds.size(), 2u);
    EXPECT_EQ(kinds[0].ACK, "Normal");
    EXPECT_EQ(kinds[1].FISNTLK, "IPT");
    EXPECT_EQ(kinds[1].ACK, "İptal Fişi");
}
