#include "data/convert.h"

#include "data/errors.h"
#include "data/records.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace hk::data;
namespace cv = hk::data::convert;
using hk::core::Date;

namespace {

class Conversion : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("hk_convert_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        auto db = Database::open(dir_ / "Hesapkar.db");
        ASSERT_TRUE(db.ok()) << db.error().describe();
        db_.emplace(std::move(*db));
    }
    void TearDown() override {
        db_.reset();
        fs::remove_all(dir_);
    }
    Database& db() { return *db_; }

    template <RecordStruct T> void put(const std::string& table, const std::vector<T>& rows) {
        auto t = db().table(table, fileDef(T::kLayout));
        ASSERT_TRUE(t.ok()) << t.error().describe();
        TypedTable<T> tt(std::move(*t));
        for (const T& r : rows) ASSERT_TRUE(tt.add(r).ok());
    }
    template <RecordStruct T> std::vector<T> rows(const std::string& table) {
        auto t = db().table(table, fileDef(T::kLayout), false);
        EXPECT_TRUE(t.ok()) << table << ": " << (t.ok() ? "" : t.error().describe());
        std::vector<T> out;
        if (!t.ok()) return out;
        TypedTable<T> tt(std::move(*t));
        EXPECT_TRUE(tt.setPhysical().ok());
        for (auto r = tt.next(); r.ok(); r = tt.next()) out.push_back(*r);
        return out;
    }
    std::string version() {
        auto v = rows<Version>("Version");
        return v.empty() ? std::string() : v[0].VERSION;
    }
    std::string layout(const std::string& table) {
        auto l = db().layoutOf(table);
        return l.ok() ? *l : "-";
    }

    // A data set as version 301001 left it: voucher lines in layout A, the old company record and
    // the old voucher headers.
    void build301001() {
        put<Version>("Version", {Version{"301001"}});
        FisDetA a;
        a.KEYSTR = "0100000001";
        a.FISSIRANO = 1;
        a.HESAPKODU = "100";
        a.FISACK = std::string(35, 'x').replace(0, 5, "Kasa ");
        a.TLBORC = 1234.5;
        a.ALTBIRIMBORC = 2;
        a.DOVIZBORC = 0.25;
        a.FISTRH = Date{15, 1, 2015};
        a.FISNO = 1;
        a.FISTUR = "M";
        a.FISNTLK = "N";
        a.ACKNO = 100;
        a.BORCALACAK = "B";
        FisDetA b = a;
        b.FISSIRANO = 2;
        b.HESAPKODU = "600";
        b.FISACK = "Satış";
        b.TLBORC = 0;
        b.ALTBIRIMBORC = 0;
        b.DOVIZBORC = 0;
        b.TLALACAK = 1234.5;
        b.ACKNO = 200;
        b.BORCALACAK = "A";
        put<FisDetA>("FisDet", {a, b});
        YasalOld y;
        y.MALIDONEMBAS = Date{1, 1, 2015};
        y.MALIDONEMSON = Date{31, 12, 2015};
        y.FISNUMARALAMADUZENI = "B";
        y.FISNOSIRASI = "A";
        y.SIRKETUNVANI1 = "Örnek Ticaret";
        y.KAPANANAY = 'E';
        element(y.MAHSUPNUMARATOR, 1) = 7;
        element(y.MAHSUPNUMARATOR, 366) = 9;
        y.TAHSILTEDIYEOTOMATIKKAPA = 1;
        put<YasalOld>("Yasal", {y});
        FisBasOld h;
        h.KEYSTR = "0100000001";
        h.FISTRH = Date{15, 1, 2015};
        h.FISNO = 1;
        h.FISTUR = "M";
        h.FISNTLK = "N";
        h.BTOPLAM = 1234.5;
        h.ATOPLAM = 1234.5;
        h.YEVMIYENO = 12;
        h.KARSITNO = 3;
        h.ENTEGRENO = 4;
        put<FisBasOld>("FisBas", {h});
        put<DataList>("DataList", {DataList{1, "HSP:HESAPKODU", "STRING", 18, 1}});
        oldLines_ = {a, b};
        oldCompany_ = y;
        oldHeader_ = h;
    }

    fs::path dir_;
    std::optional<Database> db_;
    std::vector<FisDetA> oldLines_;
    YasalOld oldCompany_;
    FisBasOld oldHeader_;
};

} // namespace

TEST_F(Conversion, VersionStates) {
    struct Case {
        const char* stored;
        cv::State state;
    } cases[] = {{nullptr, cv::State::New},
                 {"302008", cv::State::Current},
                 {"301001", cv::State::Older},
                 {"204001", cv::State::Older},
                 {"302009", cv::State::Newer},
                 {"400000", cv::State::Newer}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        ASSERT_TRUE(db().drop("Version").ok());
        if (c.stored) put<Version>("Version", {Version{c.stored}});
        auto r = cv::check(db());
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r->state, c.state);
        EXPECT_EQ(r->dataVersion, c.stored ? c.stored : "");
    }
}

TEST_F(Conversion, From301001EveryRecordIsCarriedOverAndOldFilesAreKept) {
    build301001();
    std::vector<std::string> texts;
    auto r = cv::convertAll(db(), [&](const std::string& t, int) {
        if (texts.empty() || texts.back() != t) texts.push_back(t);
    });
    ASSERT_EQ(r.outcome, cv::StepOutcome::Done) << r.error.describe();
    EXPECT_EQ(r.version, "302008");
    EXPECT_EQ(version(), "302008");

    // Voucher lines: layout A -> B -> current; every field of A arrives unchanged, the new
    // ones are blank.
    EXPECT_EQ(layout("FisDet"), "FisDet");
    auto lines = rows<FisDet>("FisDet");
    ASSERT_EQ(lines.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FisDetA& a = oldLines_[i];
        const FisDet& d = lines[i];
        EXPECT_EQ(d.KEYSTR, a.KEYSTR);
        EXPECT_EQ(d.FISSIRANO, a.FISSIRANO);
        EXPECT_EQ(d.HESAPKODU, a.HESAPKODU);
        EXPECT_EQ(d.FISACK, a.FISACK);
        EXPECT_EQ(d.TLBORC, a.TLBORC);
        EXPECT_EQ(d.TLALACAK, a.TLALACAK);
        EXPECT_EQ(d.ALTBIRIMBORC, a.ALTBIRIMBORC);
        EXPECT_EQ(d.ALTBIRIMALACAK, a.ALTBIRIMALACAK);
        EXPECT_EQ(d.DOVIZBORC, a.DOVIZBORC);
        EXPECT_EQ(d.DOVIZALACAK, a.DOVIZALACAK);
        EXPECT_EQ(d.FISTRH, a.FISTRH);
        EXPECT_EQ(d.FISNO, a.FISNO);
        EXPECT_EQ(d.FISTUR, a.FISTUR);
        EXPECT_EQ(d.FISNTLK, a.FISNTLK);
        EXPECT_EQ(d.ACKNO, a.ACKNO);
        EXPECT_EQ(d.BORCALACAK, a.BORCALACAK);
        EXPECT_EQ(d.HESAPADI1, "");
        EXPECT_EQ(d.BELGETIPI, "");
        EXPECT_EQ(d.BELGETARIHI, Date{});
        EXPECT_EQ(d.KPERSONEL, "");
    }

    // Company record: the old 2919 bytes kept, the closed-month byte carried over as it was.
    EXPECT_EQ(layout("Yasal"), "Yasal");
    auto ya = rows<Yasal>("Yasal");
    ASSERT_EQ(ya.size(), 1u);
    EXPECT_EQ(ya[0].SIRKETUNVANI1, "Örnek Ticaret");
    EXPECT_EQ(ya[0].MALIDONEMBAS, oldCompany_.MALIDONEMBAS);
    EXPECT_EQ(ya[0].MALIDONEMSON, oldCompany_.MALIDONEMSON);
    EXPECT_EQ(ya[0].KAPANANAY, 'E');
    EXPECT_EQ(element(ya[0].MAHSUPNUMARATOR, 1), 7);
    EXPECT_EQ(element(ya[0].MAHSUPNUMARATOR, 366), 9);
    EXPECT_EQ(ya[0].TAHSILTEDIYEOTOMATIKKAPA, 1);
    EXPECT_EQ(ya[0].MERSISNO, "");
    EXPECT_EQ(ya[0].EDEFTER, "");

    // Voucher headers.
    EXPECT_EQ(layout("FisBas"), "FisBas");
    auto hs = rows<FisBas>("FisBas");
    ASSERT_EQ(hs.size(), 1u);
    EXPECT_EQ(hs[0].KEYSTR, oldHeader_.KEYSTR);
    EXPECT_EQ(hs[0].FISTRH, oldHeader_.FISTRH);
    EXPECT_EQ(hs[0].BTOPLAM, oldHeader_.BTOPLAM);
    EXPECT_EQ(hs[0].YEVMIYENO, 12);
    EXPECT_EQ(hs[0].KARSITNO, 3);
    EXPECT_EQ(hs[0].ENTEGRENO, 4);
    EXPECT_EQ(hs[0].KPERSONEL, "");

    // Old files kept: FisDet twice (layout B from the second step, layout A from the first).
    EXPECT_EQ(layout("FisDet.Esk"), "FisDetB");
    EXPECT_EQ(layout("FisDet.Esk2"), "FisDetA");
    EXPECT_EQ(layout("Yasal.Esk"), "YasalOld");
    EXPECT_EQ(layout("FisBas.Esk"), "FisBasOld");
    EXPECT_EQ(rows<FisDetA>("FisDet.Esk2").size(), 2u);
    EXPECT_FALSE(*db().exists("FisDet.Tmp"));
    // The field catalogue is dropped for start-up to rebuild.
    EXPECT_FALSE(*db().exists("DataList"));

    EXPECT_EQ(texts, (std::vector<std::string>{
                         "FisDet Dosyası Aktarılıyor. Bekleyiniz !",
                         "FisDet Dosyası Index Düzenleniyor. Bekleyiniz !",
                         "FisDet Dosyası Düzenleniyor. Bekleyiniz !",
                         "Yasal Dosyası Aktarılıyor. Bekleyiniz !",
                         "FisDet Dosyası Aktarılıyor. Bekleyiniz !",
                         "FisDet Dosyası Index Düzenleniyor. Bekleyiniz !",
                         "FisDet Dosyası Düzenleniyor. Bekleyiniz !",
                         "FisBas Dosyası Aktarılıyor. Bekleyiniz !",
                         "FisBas Dosyası Index Düzenleniyor. Bekleyiniz !",
                         "FisBas Dosyası Düzenleniyor. Bekleyiniz !",
                     }));
}

TEST_F(Conversion, NewAndNewerDataSetsAreLeftAlone) {
    auto fresh = cv::convertAll(db(), {});
    EXPECT_EQ(fresh.outcome, cv::StepOutcome::Done);
    EXPECT_FALSE(*db().exists("Version"));
    put<Version>("Version", {Version{"302009"}});
    auto newer = cv::convertAll(db(), {});
    EXPECT_EQ(newer.outcome, cv::StepOutcome::Failed);
    EXPECT_EQ(newer.error.text, cv::kNewerText);
    EXPECT_EQ(version(), "302009");
}

TEST_F(Conversion, OldestVersionFirstAdvancesWithoutFileChanges) {
    put<Version>("Version", {Version{"204001"}});
    auto v = cv::convertStep(db(), "204001", {});
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(*v, "301001");
    EXPECT_EQ(version(), "301001");
}

TEST_F(Conversion, MissingFileHasNothingToConvert) {
    put<Version>("Version", {Version{"302005"}});
    auto r = cv::convertAll(db(), {});
    ASSERT_EQ(r.outcome, cv::StepOutcome::Done) << r.error.describe();
    EXPECT_EQ(version(), "302008");
    EXPECT_FALSE(*db().exists("Yasal"));
}

TEST_F(Conversion, UnknownVersionStopsWithoutChanges) {
    put<Version>("Version", {Version{"300000"}});
    auto r = cv::convertAll(db(), {});
    EXPECT_EQ(r.outcome, cv::StepOutcome::UnknownVersion);
    EXPECT_EQ(r.version, "300000");
    EXPECT_EQ(version(), "300000");
    auto s = cv::convertStep(db(), "300000", {});
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().text, cv::kUnknownText);
}

TEST_F(Conversion, FileInAnotherLayoutFailsAndLeavesTheStepUndone) {
    put<Version>("Version", {Version{"301001"}});
    put<FisDetB>("FisDet", {FisDetB{}});
    auto r = cv::convertAll(db(), {});
    EXPECT_EQ(r.outcome, cv::StepOutcome::Failed);
    EXPECT_TRUE(is(r.error, ErrorCode::LayoutMismatch)) << r.error.describe();
    EXPECT_EQ(version(), "301001");
    EXPECT_EQ(layout("FisDet"), "FisDetB");
    EXPECT_FALSE(*db().exists("FisDet.Esk"));
    EXPECT_FALSE(*db().exists("FisDet.Tmp"));
}

TEST_F(Conversion, FailureInALaterStepKeepsTheEarlierStepsAndUndoesItsOwn) {
    build301001();
    // A damaged old header file holding one key twice (appended past the key check): the unique
    // key of the new layout refuses it, so the last step fails after its records were copied.
    {
        auto t = db().table("FisBas", fileDef(Layout::FisBasOld), false);
        ASSERT_TRUE(t.ok());
        ASSERT_TRUE(toRecord(oldHeader_, t->buffer()).ok());
        ASSERT_TRUE(t->append().ok());
    }
    auto r = cv::convertAll(db(), {});
    ASSERT_EQ(r.outcome, cv::StepOutcome::Failed);
    EXPECT_EQ(r.version, "302007");
    EXPECT_EQ(version(), "302007");
    EXPECT_EQ(layout("FisDet"), "FisDet");
    EXPECT_EQ(layout("FisBas"), "FisBasOld");
    EXPECT_EQ(rows<FisBasOld>("FisBas").size(), 2u);
    EXPECT_FALSE(*db().exists("FisBas.Esk"));
    EXPECT_FALSE(*db().exists("FisBas.Tmp"));
}

TEST_F(Conversion, TarihAyarlaMovesVouchersIntoTheFiscalYear) {
    Yasal y;
    y.MALIDONEMBAS = Date{1, 1, 2014};
    y.MALIDONEMSON = Date{31, 12, 2014};
    put<Yasal>("Yasal", {y});
    HsPlan kasa;
    kasa.HESAPKODU = "100";
    kasa.HESAPAD1 = "KASA";
    kasa.HESAPAD2 = "MERKEZ";
    put<HsPlan>("HsPlan", {kasa});
    FisBas h1;
    h1.KEYSTR = "0300000001";
    h1.FISTRH = Date{15, 3, 2013};
    FisBas h2;
    h2.KEYSTR = "0200000001";
    h2.FISTRH = Date{29, 2, 2016};
    FisBas h3;
    h3.KEYSTR = "0400000001";
    h3.FISTRH = Date{1, 4, 2014}; // already in the year
    put<FisBas>("FisBas", {h1, h2, h3});
    FisDet l1;
    l1.KEYSTR = h1.KEYSTR;
    l1.FISSIRANO = 1;
    l1.HESAPKODU = "100";
    l1.FISTRH = h1.FISTRH;
    l1.HESAPADI1 = "ESKİ AD";
    FisDet l2 = l1;
    l2.FISSIRANO = 2;
    l2.HESAPKODU = "999"; // not in the chart: names stay
    FisDet l3 = l1;
    l3.KEYSTR = h2.KEYSTR;
    l3.FISTRH = h2.FISTRH;
    put<FisDet>("FisDet", {l1, l2, l3});

    std::vector<int> percents;
    auto n = cv::TarihAyarla(db(), [&](const std::string&, int p) { percents.push_back(p); });
    ASSERT_TRUE(n.ok()) << n.error().describe();
    EXPECT_EQ(*n, 2);
    auto hs = rows<FisBas>("FisBas");
    ASSERT_EQ(hs.size(), 3u);
    EXPECT_EQ(hs[0].FISTRH, (Date{15, 3, 2014}));
    EXPECT_EQ(hs[0].KEYSTR, "0300000001");
    EXPECT_EQ(hs[1].FISTRH, (Date{28, 2, 2014}));
    EXPECT_EQ(hs[2].FISTRH, (Date{1, 4, 2014}));
    auto ls = rows<FisDet>("FisDet");
    ASSERT_EQ(ls.size(), 3u);
    EXPECT_EQ(ls[0].FISTRH, (Date{15, 3, 2014}));
    EXPECT_EQ(ls[0].HESAPADI1, "KASA");
    EXPECT_EQ(ls[0].HESAPADI2, "MERKEZ");
    EXPECT_EQ(ls[1].FISTRH, (Date{15, 3, 2014}));
    EXPECT_EQ(ls[1].HESAPADI1, "ESKİ AD");
    EXPECT_EQ(ls[2].FISTRH, (Date{28, 2, 2014}));
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
}
