// HkrFiSOku: groups of rows of the expense-voucher workbook become balanced Mahsup vouchers;
// every group the books cannot post is refused whole, by name, and the import goes on; a row
// before the last journal date ends the import.
#include "fixture.h"
#include "core/numeric.h"
#include "core/text.h"
#include "output/sheet.h"
#include "output/xlsx_writer.h"
#include "vouchers/numbering.h"
#include "vouchers/sheet_import.h"

#include <fstream>
#include <optional>

using namespace hk;
using namespace hk::vouchers;

namespace {

struct Row {
    std::string date, key;
    std::string d4, d5, d6;
    std::string a1;
    std::optional<double> m1;
    std::string a2;
    std::optional<double> m2;
    std::string a3;
    std::optional<double> m3;
};

class SheetImport : public hk::vouchers::testing::Company {
  protected:
    std::string book(const std::vector<Row>& rows, const std::string& name = "masraf.xlsx") {
        output::Sheet s;
        s.row();
        for (const char* h : {"Tarih", "Fiş", "-", "A1", "A2", "A3", "Hesap1", "Tutar1", "Hesap2",
                              "Tutar2", "Hesap3", "Tutar3"})
            s.text(h);
        auto amount = [&](const std::optional<double>& v) {
            if (v) s.number(*v);
            else s.empty();
        };
        for (const auto& r : rows) {
            s.row().text(r.date).text(r.key).empty().text(r.d4).text(r.d5).text(r.d6);
            s.text(r.a1);
            amount(r.m1);
            s.text(r.a2);
            amount(r.m2);
            s.text(r.a3);
            amount(r.m3);
        }
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(output::writeXlsx(s, path));
        return path;
    }
    core::Result<SheetImportResult> import(const std::string& file, SheetImportChoices c = {}) {
        c.file = file;
        Env e = env();
        return HkrFiSOku(e, c);
    }
    std::vector<data::FisDet> linesOf(const std::string& key) {
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b);
        auto l = b->linesOf(key);
        EXPECT_TRUE(l);
        return l ? *l : std::vector<data::FisDet>{};
    }
    void addKind(const std::string& code) {
        auto n = ds_->open<data::Nitelik>();
        ASSERT_TRUE(n);
        ASSERT_TRUE(n->add(data::Nitelik{code, code}));
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : ui_.messages) out.push_back(m.text);
        return out;
    }
};

TEST_F(SheetImport, GroupsEndedByAKeyChangeAndByAnEmptyKey) {
    const std::string f = book({
        {"05.03.2015", "F1", "Kira", "Mart", "", "120 01 005", 100, "", {}, "", {}},
        {"05.03.2015", "F1", "Kira", "", "", "120 01 006", 50, "", {}, "", {}},
        {"06.03.2015", "F1", "Ödeme", "", "", "", {}, "", {}, "320 01", 150},
        {"07.03.2015", "F2", "Yakıt", "", "", "120 01 005", 40, "", {}, "320 01", 40},
        {"07.03.2015", "F2", "", "", "", "120 01 006", 10, "", {}, "320 01", 10},
        {"", "", "", "", "", "", {}, "", {}, "", {}},
        {"08.03.2015", "F3", "Sonra", "", "", "120 01 005", 1, "", {}, "320 01", 1},
    });
    SheetImportChoices c;
    c.documentType = "Fatura";
    c.documentDescription = "Masraf faturaları ve diğer belgeler için açıklama";
    c.paymentType = "Nakit";
    auto r = import(f, c);
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(r->saved, 2);
    EXPECT_TRUE(ui_.messages.empty()) << texts().front();
    const auto h = heads();
    ASSERT_EQ(h.size(), 2u);
    // F1 takes the date of its last row.
    EXPECT_EQ(h[0].FISTRH, (core::Date{6, 3, 2015}));
    EXPECT_EQ(h[0].FISTUR, "M");
    EXPECT_EQ(h[0].FISNTLK, "N");
    EXPECT_DOUBLE_EQ(h[0].BTOPLAM, 150);
    EXPECT_DOUBLE_EQ(h[0].ATOPLAM, 150);
    EXPECT_EQ(h[0].KPERSONEL, session_->AktifKullanici.substr(0, 10));
    const auto l = linesOf(h[0].KEYSTR);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(core::text::clip(l[0].FISACK), "Kira Mart");
    EXPECT_EQ(l[2].HESAPKODU, "320 01");
    EXPECT_EQ(l[2].BORCALACAK, "A");
    EXPECT_DOUBLE_EQ(l[2].TLALACAK, 150);
    EXPECT_EQ(l[2].ACKNO, 300);
    EXPECT_EQ(l[0].HESAPADI1, "Hesap 120 01 005");
    EXPECT_EQ(l[0].BELGETIPI, "Fatura");
    EXPECT_EQ(l[0].BELGENO, "F1");
    EXPECT_EQ(l[0].BELGEACIKLAMASI, core::text::left(c.documentDescription, 30));
    EXPECT_EQ(l[0].BELGEACIKLAMASI2, "Nakit");
    EXPECT_EQ(linesOf(h[1].KEYSTR).size(), 4u);
    // Posted into fiscal month 3.
    EXPECT_DOUBLE_EQ(data::month(account("120").TLBORC, 3), 200);
    EXPECT_DOUBLE_EQ(data::month(account("320 01").TLALACAK, 3), 200);
}

TEST_F(SheetImport, OneRowWithADebitAndACreditAccount) {
    auto r = import(book({{"05.03.2015", "K", "x", "", "", "120 01 005", 100, "", {}, "600 01", 100}}));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->saved, 1);
    const auto l = linesOf(r->keys[0]);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_DOUBLE_EQ(l[0].TLBORC, 100);
    EXPECT_EQ(l[0].BORCALACAK, "B");
    EXPECT_DOUBLE_EQ(l[1].TLALACAK, 100);
}

TEST_F(SheetImport, UnbalancedGroupIsSkippedWithoutTakingANumber) {
    auto r = import(book({
        {"05.03.2015", "F1", "", "", "", "120 01 005", 150, "", {}, "320 01", 100},
        {"06.03.2015", "F2", "", "", "", "120 01 005", 5, "", {}, "320 01", 5},
    }));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->saved, 1);
    EXPECT_EQ(r->refused, 1);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "F1 No lu Fiş Toplamı Tutarsız...\nBu Fiş Kayıt Edilemedi!");
    EXPECT_EQ(ui_.messages[0].caption, "Onay Ekranı");
    EXPECT_EQ(ui_.messages[0].buttons, "Tamam");
    const auto h = heads();
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].FISNO, 1); // F2 took the first number
    EXPECT_EQ(data::month(account("320 01").TLALACAK, 3), 5);
}

TEST_F(SheetImport, RowDateDecidesTheMonthWhateverTheWorkingMonth) {
    ASSERT_EQ(session_->CalisilanAy(), 3);
    auto r = import(book({{"05.04.2015", "F1", "", "", "", "120 01 005", 1, "", {}, "320 01", 1}}));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->saved, 1);
    const auto h = heads();
    EXPECT_EQ(h[0].FISTRH, (core::Date{5, 4, 2015}));
    EXPECT_EQ(keyMonth(h[0].KEYSTR), 4);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 4), 1);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 3), 0);
}

TEST_F(SheetImport, OpeningAndCancelledAttributes) {
    addKind("ACF");
    addKind("IPT");
    const auto rows = std::vector<Row>{
        {"05.03.2015", "F1", "", "", "", "120 01 005", 7, "", {}, "320 01", 7}};
    SheetImportChoices c;
    c.attribute = "acf";
    ASSERT_TRUE(import(book(rows), c));
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 7);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 3), 0);
    c.attribute = "IPT";
    auto r = import(book(rows, "b.xlsx"), c);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->saved, 1);
    EXPECT_EQ(linesOf(r->keys[0]).size(), 2u);
    EXPECT_EQ(heads().back().FISNTLK, "IPT");
    EXPECT_DOUBLE_EQ(account("120 01 005").ACTLBORC, 7);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 3), 0);
}

TEST_F(SheetImport, ZeroAmountGivesNoLineAndEmptyMiddleDescriptionKeepsBothBlanks) {
    auto r = import(book(
        {{"05.03.2015", "F1", "A", "", "B", "120 01 005", 10, "120 01 006", 0, "320 01", 10}}));
    ASSERT_TRUE(r);
    const auto l = linesOf(r->keys.at(0));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].FISACK, "A  B");
    EXPECT_EQ(l[1].FISSIRANO, 2);
}

TEST_F(SheetImport, GroupsTheBooksCannotPostAreRefusedByName) {
    struct Case {
        Row bad;
        std::string says;
    } cases[] = {
        {{"05.03.2015", "G1", "", "", "", "999 01", 5, "", {}, "320 01", 5},
         "G1 No lu Fiş: 999 01 Hesap Kodu Hesap Planında Muavin Hesap Olarak Yok...\nBu Fiş Kayıt "
         "Edilemedi!"},
        {{"05.03.2015", "G1", "", "", "", "120 01", 5, "", {}, "320 01", 5},
         "G1 No lu Fiş: 120 01 Hesap Kodu Hesap Planında Muavin Hesap Olarak Yok...\nBu Fiş Kayıt "
         "Edilemedi!"},
        {{"05.03.2015", "G1", "", "", "", "120 01 005", -5, "120 01 006", 10, "320 01", 5},
         "G1 No lu Fiş: Satır 2: Eksi Tutar (-5)...\nBu Fiş Kayıt Edilemedi!"},
        {{"05.03.2015", "G1", "", "", "", "120 01 005", 5, "", {}, "320 01", {}},
         "G1 No lu Fiş Toplamı Tutarsız...\nBu Fiş Kayıt Edilemedi!"},
        {{"31.02.2015", "G1", "", "", "", "120 01 005", 5, "", {}, "320 01", 5},
         "G1 No lu Fiş: Satır 2: Tarih Geçersiz (\"31.02.2015\")...\nBu Fiş Kayıt Edilemedi!"},
        {{"05.03.2016", "G1", "", "", "", "120 01 005", 5, "", {}, "320 01", 5},
         "G1 No lu Fiş: Satır 2: Tarih Geçersiz (\"05.03.2016\")...\nBu Fiş Kayıt Edilemedi!"},
        {{"05.03.2015", "G1", "✓", "", "", "120 01 005", 5, "", {}, "320 01", 5},
         "G1 No lu Fiş: Satır 2: Türkçe kod sayfasında olmayan karakter var...\nBu Fiş Kayıt "
         "Edilemedi!"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ui_.messages.clear();
        const std::size_t stored = heads().size();
        auto r = import(book({c.bad, {"06.03.2015", "OK", "", "", "", "120 01 005", 1, "", {},
                                      "320 01", 1}},
                             "c" + std::to_string(n++) + ".xlsx"));
        ASSERT_TRUE(r) << r.error().text;
        EXPECT_EQ(r->refused, 1);
        EXPECT_EQ(r->saved, 1); // the next group is read and saved
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, c.says);
        EXPECT_EQ(ui_.messages[0].caption, "Onay Ekranı");
        ASSERT_EQ(heads().size(), stored + 1);
        // Only the good group drew a number: the numbers stay without a gap.
        int highest = 0;
        for (const auto& h : heads()) highest = std::max<int>(highest, h.FISNO);
        EXPECT_EQ(highest, static_cast<int>(stored) + 1);
        for (const auto& h : heads()) EXPECT_NE(linesOf(h.KEYSTR).front().BELGENO, "G1");
    }
    // No posting from any refused group: only the six good vouchers of 1 each.
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 3), 7);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 006").TLBORC, 3), 0);
}

TEST_F(SheetImport, DateBeforeTheJournalEndsTheImportKeepingEarlierVouchers) {
    changeCompany([](data::Yasal& y) { y.SONYEVMIYETARIH = core::Date{10, 3, 2015}; });
    auto r = import(book({
        {"12.03.2015", "F1", "", "", "", "120 01 005", 1, "", {}, "320 01", 1},
        {"12.03.2015", "F2", "", "", "", "120 01 005", 2, "", {}, "", {}},
        {"09.03.2015", "F2", "", "", "", "", {}, "", {}, "320 01", 2},
        {"12.03.2015", "F3", "", "", "", "120 01 005", 3, "", {}, "320 01", 3},
    }));
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->stoppedAtJournalDate);
    EXPECT_EQ(r->saved, 1);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "Yevmiyesi Çekilmiş Tarihe Fiş Girilemez.?");
    EXPECT_EQ(ui_.messages[0].caption, "Uyarı Ekranı");
    EXPECT_EQ(ui_.messages[0].buttons, "&Tamam");
    ASSERT_EQ(heads().size(), 1u);
    EXPECT_DOUBLE_EQ(data::month(account("120 01 005").TLBORC, 3), 1);
}

TEST_F(SheetImport, BadChoicesAndFilesImportNothing) {
    const auto rows = std::vector<Row>{
        {"05.03.2015", "F1", "", "", "", "120 01 005", 7, "", {}, "320 01", 7}};
    const std::string good = book(rows);
    const std::string junk = (dir_ / "bozuk.xlsx").string();
    std::ofstream(junk, std::ios::binary) << "PK\x03\x04 not really a workbook";
    struct Case {
        std::string file;
        SheetImportChoices c;
        std::string says;
        bool shown;
    } cases[] = {
        {(dir_ / "yok.xls").string(), {}, (dir_ / "yok.xls").string() + "\nDosyası Bulunamıyor.!",
         true},
        {good, {"", "", "Diğer", "", ""}, msg::kDigerNeedsText, true},
        {good, {"", "", "Çek", "", ""}, "Belge tipi şunlardan biri olmalı", false},
        {good, {"", "QQ", "", "", ""}, "fiş nitelikleri arasında yok", false},
        {good, {"", "", "", "", "✓"}, "Türkçe Windows kod sayfası", false},
        {junk, {}, "", false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.says);
        ui_.messages.clear();
        auto r = import(c.file, c.c);
        ASSERT_FALSE(r);
        EXPECT_NE(r.error().text.find(c.says), std::string::npos) << r.error().text;
        EXPECT_EQ(r.error().shown, c.shown);
        if (c.shown) {
            ASSERT_EQ(ui_.messages.size(), 1u);
            EXPECT_EQ(ui_.messages[0].text, c.says);
        }
        EXPECT_TRUE(heads().empty());
    }
}

} // namespace
