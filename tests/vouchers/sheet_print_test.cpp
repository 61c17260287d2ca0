// Voucher sheets: blocks of main accounts, group entries, columns, the heading of every page,
// the 33-line sheet, the signature block, the bulk selection, and the bytes a dot-matrix queue
// receives for a sheet of each voucher type.
#include "fixture.h"
#include "core/text.h"
#include "output/raw.h"
#include "vouchers/sheet_print.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace hk;
using namespace hk::vouchers;
using hk::vouchers::testing::line;
using output::PrinterKind;

namespace {

std::vector<std::string> visible(const output::Document& d) {
    std::vector<std::string> out;
    for (const auto& p : d.pages)
        for (const auto& l : p.lines) out.push_back(l.visibleText());
    return out;
}

// Column (1-based, in characters) where `part` starts; 0 when absent.
std::size_t col(const std::string& s, const std::string& part) {
    return core::text::find(part, s);
}
// Column of the last character of `part`.
std::size_t endCol(const std::string& s, const std::string& part) {
    const std::size_t c = col(s, part);
    return c == 0 ? 0 : c + core::text::length(part) - 1;
}

std::string readable(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out += "|\n";
            ++i;
        } else if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "{%02X}", b);
            out += hex;
        }
    }
    return out;
}

// HK_WRITE_GOLDEN=1 rewrites the file from the output (read the diff before committing it).
std::string golden(const std::string& name, const std::string& actual) {
    const auto path = std::filesystem::path(HK_TEST_DATA) / "vouchers" / name;
    if (std::getenv("HK_WRITE_GOLDEN")) std::ofstream(path, std::ios::binary) << actual;
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Sheets : public hk::vouchers::testing::Company {
  protected:
    output::Document print(const std::string& first, const std::string& last,
                           SheetOptions o = {}) {
        output::Document doc;
        output::DocumentSink sink(doc);
        auto r = YFisRaporu(*ds_, first, last, o, sink);
        EXPECT_TRUE(r) << (r ? "" : r.error().text);
        return doc;
    }
    output::Document one(const std::string& key, SheetOptions o = {}) {
        return print(key, key, o);
    }
    std::string raw(const std::string& key, PrinterKind kind) {
        output::Document doc = one(key, {kind, false});
        std::string bytes;
        for (const auto& p : doc.pages) bytes += output::rawBytes(p);
        return readable(bytes);
    }
    std::string saved(int day, std::initializer_list<data::FisDet> lines,
                      const std::string& type = "M", const std::string& attribute = "N") {
        AskCash cash = [](CashChoice& c) {
            c.description = "Kasa";
            return true;
        };
        auto k = saveNew(day, lines, type, attribute, cash);
        EXPECT_TRUE(k) << (k ? "" : k.error().text);
        return k ? *k : std::string();
    }
    // The entry lines of a one-page sheet: between the heading rule and the total rule.
    static std::vector<std::string> body(const output::Document& d) {
        std::vector<std::string> all = visible(d), out;
        bool in = false;
        for (const auto& l : all) {
            if (!in) {
                in = l.rfind("======================", 0) == 0;
                continue;
            }
            if (l.find("GENEL TOPLAM") != std::string::npos) break;
            out.push_back(l);
        }
        if (!out.empty()) out.pop_back(); // the "=" rule above the total
        return out;
    }
};

TEST_F(Sheets, MainEntriesCarryBlockSumsAndDetailsTheirOwnAmounts) {
    const std::string key = saved(5, {line("120 01 005", 100, 0, "Satış A"),
                                      line("120 01 006", 50.25, 0, "Satış B"),
                                      line("600 01", 0, 150.25, "Gelir")});
    const auto b = body(one(key));
    ASSERT_EQ(b.size(), 5u);
    // Debit main entry: code at 1, sum under "BORÇ" ("n18.2" from column 117).
    EXPECT_EQ(col(b[0], "120"), 1u);
    EXPECT_EQ(col(b[0], "Hesap 120"), 24u);
    EXPECT_EQ(endCol(b[0], "150.25"), 134u);
    // Details: code at 3, name at 26, description at 61, amount "n16.2" from column 98.
    EXPECT_EQ(col(b[1], "120 01 005"), 3u);
    EXPECT_EQ(col(b[1], "Hesap 120 01 005"), 26u);
    EXPECT_EQ(col(b[1], "Satış A"), 61u);
    EXPECT_EQ(endCol(b[1], "100.00"), 113u);
    EXPECT_EQ(endCol(b[2], "50.25"), 113u);
    // Credit main entry: code at 4, name at 27, sum under "ALACAK" ("n18.2" from column 137).
    EXPECT_EQ(col(b[3], "600"), 4u);
    EXPECT_EQ(col(b[3], "Hesap 600"), 27u);
    EXPECT_EQ(endCol(b[3], "150.25"), 154u);
    // Credit detail: code at 6, name at 31, description at 64, amount "n16.2" from column 100.
    EXPECT_EQ(col(b[4], "600 01"), 6u);
    EXPECT_EQ(col(b[4], "Hesap 600 01"), 31u);
    EXPECT_EQ(col(b[4], "Gelir"), 64u);
    EXPECT_EQ(endCol(b[4], "150.25"), 115u);

    const auto all = visible(one(key));
    const auto total = std::find_if(all.begin(), all.end(), [](const std::string& s) {
        return s.find("GENEL TOPLAM ") != std::string::npos;
    });
    ASSERT_NE(total, all.end());
    EXPECT_EQ(endCol(*total, "150.25"), 134u);
    EXPECT_EQ(core::text::find("150.25", *total, 136) + 5, 154u);
}

TEST_F(Sheets, BlocksBreakOnAnotherMainAccountOrSide) {
    const std::string key = saved(5, {line("120 01 005", 10, 0), line("320 01", 5, 0),
                                      line("120 01 006", 20, 0), line("120 01 005", 0, 35)});
    const auto b = body(one(key));
    // 120 debit, 320 debit, 120 debit again, 120 credit: four blocks, four main entries.
    std::vector<std::pair<std::string, std::size_t>> mains;
    for (const auto& l : b)
        if (core::text::trim(core::text::left(l, 22)).find(' ') == std::string::npos)
            mains.push_back({core::text::trim(core::text::left(l, 22)), endCol(l, ".00")});
    ASSERT_EQ(mains.size(), 4u);
    EXPECT_EQ(mains[0], (std::pair<std::string, std::size_t>{"120", 134u}));
    EXPECT_EQ(mains[1], (std::pair<std::string, std::size_t>{"320", 134u}));
    EXPECT_EQ(mains[2], (std::pair<std::string, std::size_t>{"120", 134u}));
    EXPECT_EQ(mains[3], (std::pair<std::string, std::size_t>{"120", 154u}));
    EXPECT_NE(b[0].find("10.00"), std::string::npos);
    EXPECT_NE(b[4].find("20.00"), std::string::npos);
}

TEST_F(Sheets, GroupEntriesOnlyWhenTheCompanyPrintsGroups) {
    const std::string key = saved(5, {line("120 01 005", 100, 0), line("120 01 006", 50, 0),
                                      line("600 01", 0, 150)});
    EXPECT_EQ(body(one(key)).size(), 5u);
    changeCompany([](data::Yasal& y) { y.FISGRUBYAZ = "E"; });
    const auto b = body(one(key));
    ASSERT_EQ(b.size(), 6u); // 600 01 is a detail account, so only 120 01 gets a group entry
    EXPECT_EQ(col(b[1], "120 01"), 1u);
    EXPECT_EQ(col(b[1], "Hesap 120 01"), 24u);
    EXPECT_EQ(endCol(b[1], "150.00"), 113u);
    EXPECT_EQ(col(b[2], "120 01 005"), 3u);
}

TEST_F(Sheets, LinesOfAGroupMetAgainJoinItsEntry) {
    addAccount("120 02");
    addAccount("120 02 001");
    changeCompany([](data::Yasal& y) { y.FISGRUBYAZ = "E"; });
    // 120 02 is a detail account in this fixture (only "120 01" is a group), so make it a group.
    {
        auto p = ds_->open<data::HsPlan>();
        ASSERT_TRUE(p);
        data::HsPlan k;
        k.HESAPKODU = "120 02";
        auto h = p->get("HSP:KeyHesap", k);
        ASSERT_TRUE(h);
        h->NTLK = "G";
        ASSERT_TRUE(p->put(*h));
    }
    const std::string key = saved(5, {line("120 01 005", 1, 0), line("120 02 001", 2, 0),
                                      line("120 01 006", 4, 0), line("600 01", 0, 7)});
    const auto b = body(one(key));
    std::vector<std::string> codes;
    for (const auto& l : b) codes.push_back(core::text::trim(core::text::left(l, 22)));
    EXPECT_EQ(codes, (std::vector<std::string>{"120", "120 01", "120 01 005", "120 01 006",
                                               "120 02", "120 02 001", "600", "600 01"}));
    EXPECT_NE(b[1].find("5.00"), std::string::npos);
}

TEST_F(Sheets, ExtraDescriptionLineShowsOnlyItsText) {
    Draft d = newDraft(*session_);
    d.header.FISTRH = core::Date{6, 3, 2015};
    insertLine(d.lines, line("120 01 005", 10, 0, "Ana"), 0);
    insertLine(d.lines, line("600 01", 0, 10, "Karşı"), 1);
    setDescriptions(d.lines, 100, {"Ek satır"});
    Env e = env();
    auto key = save(e, d, {});
    ASSERT_TRUE(key) << key.error().text;
    const auto b = body(one(*key));
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(core::text::trim(b[2]), "Ek satır");
    EXPECT_EQ(col(b[2], "Ek satır"), 61u);
}

TEST_F(Sheets, HeadingNamesTheCompanyTypeAndAttribute) {
    changeCompany([](data::Yasal& y) {
        y.SIRKETUNVANI1 = "Örnek Ticaret";
        y.SIRKETUNVANI2 = "A.Ş.";
        y.SIRKETADRESI1 = "Cadde 1";
        y.SIRKETADRESI2 = "İstanbul";
        y.VERGIDAIRESIADI = "Kadıköy";
        y.VERGIDAIRESINO = "1234567890";
        y.TICARETSICILNO = "55";
        y.MERSISNO = "0123";
        y.WEB = "www.ornek.com.tr";
    });
    {
        auto n = ds_->open<data::Nitelik>();
        ASSERT_TRUE(n);
        ASSERT_TRUE(n->add(data::Nitelik{"YAN", "Yansıtma"}));
    }
    const std::string key = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)}, "M", "YAN");
    const auto all = visible(one(key));
    ASSERT_GE(all.size(), 12u);
    EXPECT_EQ(all[0], "");
    EXPECT_EQ(all[3].rfind("Örnek Ticaret A.Ş.", 0), 0u);
    EXPECT_EQ(col(all[3], "Fiş Tarihi 05.03.2015"), 100u);
    EXPECT_EQ(col(all[3], "Sayfa No:      1"), 140u);
    EXPECT_EQ(all[4].rfind("Cadde 1 İstanbul", 0), 0u);
    EXPECT_EQ(col(all[4], "Fiş No:       1"), 100u);
    EXPECT_EQ(all[5], "Kadıköy 1234567890  Tic.Sic.No:55");
    EXPECT_EQ(all[6], "Mersis No:0123");
    EXPECT_EQ(all[7], "www.ornek.com.tr");
    EXPECT_EQ(col(all[8], "( M A H S U P )"), 50u);
    EXPECT_EQ(col(all[8], "Nitelik: Yansıtma"), 100u);
    EXPECT_EQ(all[9], "");
    EXPECT_EQ(col(all[10], "HESAP ADI"), 24u);
    EXPECT_EQ(col(all[10], "İÇERİK"), 101u);
    EXPECT_EQ(core::text::find("ALACAK", all[10], 100), 141u);
}

TEST_F(Sheets, MissingAttributeAndAccountsPrintBlanks) {
    const std::string key = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)}, "M", "ZZZ");
    removeAccount("120 01 005");
    const auto all = visible(one(key));
    EXPECT_EQ(all[8].substr(all[8].size() - std::string("Nitelik:").size()), "Nitelik:");
    const auto b = body(one(key));
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[1].find("Hesap"), std::string::npos);
    EXPECT_EQ(col(b[1], "120 01 005"), 3u);
}

TEST_F(Sheets, SignatureBlockWhenAnyNameIsGiven) {
    const std::string key = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    auto last = [&] { return visible(one(key)).back(); };
    EXPECT_NE(last().find("GENEL TOPLAM"), std::string::npos);
    changeCompany([](data::Yasal& y) {
        data::element(y.UNVAN, 1) = "Hazırlayan";
        data::element(y.UNVAN, 3) = "Onaylayan";
        data::element(y.IMZAADSOYAD, 3) = "Ayşe Yılmaz";
    });
    const auto all = visible(one(key));
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[all.size() - 3], "");
    const std::string& titles = all[all.size() - 2];
    const std::string& names = all.back();
    // Centred within 35 characters from columns 1, 35 and 70.
    EXPECT_EQ(col(titles, "Hazırlayan"), 1u + (35 - 10) / 2);
    EXPECT_EQ(col(titles, "Onaylayan"), 70u + (35 - 9) / 2);
    EXPECT_EQ(col(names, "Ayşe Yılmaz"), 70u + (35 - 11) / 2);
}

TEST_F(Sheets, ShortSheetStartsPageTwoAfterTwentyEightLines) {
    std::vector<data::FisDet> lines;
    Draft d = newDraft(*session_);
    d.header.FISTRH = core::Date{6, 3, 2015};
    for (int i = 0; i < 20; ++i) insertLine(d.lines, line("120 01 005", 1, 0), i);
    insertLine(d.lines, line("600 01", 0, 20), 20);
    Env e = env();
    auto key = save(e, d, {});
    ASSERT_TRUE(key);
    const auto doc = one(*key, {PrinterKind::Npq, true});
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[0].lines.size(), 28u);
    EXPECT_TRUE(doc.pages[0].formFeed);
    EXPECT_TRUE(doc.pages[1].formFeed);
    EXPECT_EQ(output::rawBytes(doc.pages[1].lines[0]), "\x1B@\x1B" "C!\x1BM\x0F\x1BG\r\n");
    EXPECT_NE(doc.pages[1].lines[1].visibleText().find("Sayfa No:      2"), std::string::npos);
    // The full sheet holds 56 lines: one page.
    EXPECT_EQ(one(*key, {PrinterKind::Npq, false}).pages.size(), 1u);
    // Page numbers start again with the next voucher.
    const std::string second = saved(7, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    const auto both = print(*key, second, {PrinterKind::Npq, true});
    ASSERT_EQ(both.pages.size(), 3u);
    EXPECT_NE(both.pages[2].lines[1].visibleText().find("Sayfa No:      1"), std::string::npos);
}

TEST_F(Sheets, KeyRangeAndOpenEnd) {
    const std::string a = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    const std::string b = saved(6, {line("120 01 005", 2, 0), line("600 01", 0, 2)});
    const std::string c = saved(7, {line("120 01 005", 3, 0), line("600 01", 0, 3)});
    EXPECT_EQ(print(a, a).pages.size(), 1u);
    EXPECT_EQ(print(a, b).pages.size(), 2u);
    EXPECT_EQ(print(b, "").pages.size(), 2u);
    EXPECT_EQ(print(a, "").pages.size(), 3u);
    (void)c;
}

TEST_F(Sheets, BulkSelectionRules) {
    {
        auto n = ds_->open<data::Nitelik>();
        ASSERT_TRUE(n);
        ASSERT_TRUE(n->add(data::Nitelik{"YAN", "Yansıtma"}));
    }
    const std::string m1 = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    const std::string m2 = saved(6, {line("120 01 005", 1, 0), line("600 01", 0, 1)}, "M", "YAN");
    const std::string m3 = saved(9, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    const std::string t1 = saved(6, {line("120 01 005", 0, 1)}, "A");
    const std::string m4 = saved(20, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    auto sel = [&](BulkSelection s) {
        auto r = selectVouchers(*ds_, s);
        EXPECT_TRUE(r);
        return r ? *r : std::vector<std::string>{};
    };
    using K = std::vector<std::string>;
    BulkSelection s;
    EXPECT_EQ(sel(s), K{}); // no start date: nothing
    s.startDate = core::Date{5, 3, 2015};
    EXPECT_EQ(sel(s), (K{m1, m2, m3, m4}));
    s.endDate = core::Date{9, 3, 2015};
    EXPECT_EQ(sel(s), (K{m1, m2, m3}));
    s.attribute = "yan";
    EXPECT_EQ(sel(s), (K{m2}));
    s.attribute.clear();
    s.startNumber = 2;
    s.endNumber = 3;
    EXPECT_EQ(sel(s), (K{m2, m3}));
    s.type = 'A';
    s.startNumber = 0;
    s.endNumber = 0;
    EXPECT_EQ(sel(s), (K{t1}));

    output::Document doc;
    output::DocumentSink sink(doc);
    BulkSelection all;
    all.startDate = core::Date{1, 3, 2015};
    auto r = TopluFisYaz(*ds_, all, {}, sink);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->vouchers, 4);
    EXPECT_EQ(doc.pages.size(), 4u);
}

struct GoldenCase {
    const char* type;
    const char* file;
};

TEST_F(Sheets, DotMatrixBytesOfEachVoucherType) {
    changeCompany([](data::Yasal& y) {
        y.SIRKETUNVANI1 = "ÖRNEK TİCARET";
        y.SIRKETUNVANI2 = "A.Ş.";
        y.SIRKETADRESI1 = "Bağdat Cad. 5";
        y.VERGIDAIRESIADI = "Göztepe";
        y.VERGIDAIRESINO = "1234567890";
        data::element(y.UNVAN, 1) = "Muhasebe";
        data::element(y.IMZAADSOYAD, 1) = "Ali Şen";
    });
    for (const GoldenCase& c : {GoldenCase{"M", "npq_mahsup.txt"},
                                GoldenCase{"A", "npq_tahsil.txt"},
                                GoldenCase{"E", "npq_tediye.txt"}}) {
        SCOPED_TRACE(c.type);
        std::string key;
        if (std::string(c.type) == "M")
            key = saved(5, {line("120 01 005", 1234.5, 0, "Fatura 12"),
                            line("120 01 006", 100, 0, "Fatura 13"),
                            line("600 01", 0, 1334.5, "Satış geliri")});
        else if (std::string(c.type) == "A")
            key = saved(6, {line("120 01 005", 0, 250, "Tahsilat")}, "A");
        else
            key = saved(7, {line("320 01", 75.25, 0, "Ödeme")}, "E");
        const std::string actual = raw(key, PrinterKind::Npq);
        EXPECT_EQ(actual, golden(c.file, actual));
    }
}

TEST_F(Sheets, TextPrinterControlBytes) {
    const std::string key = saved(5, {line("120 01 005", 1, 0), line("600 01", 0, 1)});
    const std::string full = raw(key, PrinterKind::Lpq);
    EXPECT_EQ(full.rfind("{82}{8B}{84}{85}{89}|\n", 0), 0u) << full;
    EXPECT_NE(full.find("=================={8A}|\n"), std::string::npos);
    output::Document doc = one(key, {PrinterKind::Lpq, true});
    EXPECT_EQ(output::rawBytes(doc.pages[0].lines[0]), "\x82\x88\x84\x85\x89\r\n");
}

} // namespace
