// The listing engine's line builder against the plain way of laying out a line (pad and cut each
// column's formatted value, one picture parsed per value), on random records with Turkish texts,
// amounts beyond 15 digits, pictures narrower and wider than their columns, an invalid picture
// and a line over the length limit; total-line captions; and the record bindings narrowed to
// what a definition reads.
#include "app/testing/fake_ui.h"
#include "core/picture.h"
#include "core/text.h"
#include "expr/bindings.h"
#include "reports/binding.h"
#include "reports/listing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace hk::reports::test {
namespace {

namespace text = core::text;
namespace pic = core::picture;

struct ColumnCase {
    const char* code;
    const char* kind;
    int width;
    const char* picture;
};

const std::vector<ColumnCase> kColumns = {
    {"T1", "S", 18, "@s18"},  {"T1", "S", 10, "@s30"},  {"T2", "S", 20, "@s5"},
    {"N1", "S", 6, "@n3"},    {"T2", "S", 12, ""},      {"A", "D", 18, "@n18.2"},
    {"B", "D", 14, "@n_14.2"}, {"A", "D", 12, "@n(12)b"}, {"B", "D", 25, ""},
    {"A", "D", 10, "@x9"},    {"B", "D", 8, "@n8.2"},   {"N1", "S", 8, "@d6"},
    {"A", "D", 9, "@n18.2-"}, {"B", "D", 20, "@n*15.1"},
    {"T1", "S", 90, "@s90"},  {"A", "D", 14, "@n14"},
};

Definition definition() {
    Definition d;
    d.header.RAPKOD = "1";
    d.header.RAPNO = 1;
    std::int16_t no = 0;
    for (const auto& s : kColumns) {
        data::DRapor r;
        r.SIRANO = ++no;
        r.FIELDKOD = s.code;
        r.NTLK = s.kind;
        r.UZUNLUK = static_cast<std::int16_t>(s.width);
        r.FRML = s.picture;
        r.YAZ = "E";
        r.TOPLA = std::string(s.kind) == "D" ? "E" : "H";
        r.AD[0] = "SÜTUN " + std::to_string(no);
        d.columns.push_back(std::move(r));
    }
    return d;
}

std::string fit(std::string_view s, std::size_t w) {
    return text::left(text::pad(s, w), w);
}
std::string picture(const ColumnCase& s) {
    std::string p = s.picture;
    if (!p.empty() && p[0] == '@') p.erase(0, 1);
    return p;
}

// The line as laid out value by value with the general functions.
std::string plainLine(ListingReport& report, int level) {
    std::string line;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const ColumnCase& s = kColumns[i];
        const Column& c = report.columns()[i];
        const auto w = static_cast<std::size_t>(s.width);
        const std::string p = picture(s);
        if (std::string(s.kind) == "S") {
            line += level == 1 ? fit(p.empty() ? c.text : pic::format(c.text, p), w)
                               : std::string(w, ' ');
        } else {
            const Decimal& d = c.at(level);
            line += fit(p.empty() ? d.toString() : pic::format(d.toDouble(), p), w);
        }
        line += ' ';
    }
    if (text::length(line) > output::kMaxLineChars) line = text::left(line, output::kMaxLineChars);
    return line;
}

std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {"a", "Z", " ", "9", "ç", "Ğ", "İ", "ı", "ş",
                                                    "Ö", "ü", "-", ".", "Müşteri ", "ÇAĞRI"};
    std::string s;
    const int n = static_cast<int>(rng() % 70);
    for (int i = 0; i < n; ++i) s += pieces[rng() % pieces.size()];
    return s;
}

double randomAmount(std::mt19937& rng) {
    // Up to 19 integer digits, two or three decimals (the third is rounded when the column
    // takes it), both signs, and zero now and then.
    if (rng() % 9 == 0) return 0;
    const int digits = 1 + static_cast<int>(rng() % 19);
    double v = 0;
    for (int i = 0; i < digits; ++i) v = v * 10 + static_cast<double>(rng() % 10);
    v = v / (rng() % 2 ? 100.0 : 1000.0);
    return rng() % 2 ? -v : v;
}

TEST(ListingLines, EveryColumnIsLaidOutAsItsFormattedValue) {
    for (bool cells : {false, true}) {
        ListingReport report(definition());
        expr::Bindings b;
        std::string t1, t2, n1;
        double a = 0, bv = 0;
        b.bind("T1", expr::Variable(&t1));
        b.bind("T2", expr::Variable(&t2));
        b.bind("N1", expr::Variable(&n1));
        b.bind("A", expr::Variable(&a));
        b.bind("B", expr::Variable(&bv));
        report.compile(b, nullptr);
        report.setCellsWanted(cells);
        std::mt19937 rng(cells ? 77 : 78);
        std::vector<Decimal> sums(kColumns.size());
        for (int r = 0; r < 400; ++r) {
            t1 = randomText(rng);
            t2 = randomText(rng);
            n1 = rng() % 3 ? std::to_string(rng() % 100000) : randomText(rng);
            a = randomAmount(rng);
            bv = randomAmount(rng);
            app::testing::FakeUi ui;
            ASSERT_TRUE(report.evaluate(ui).ok());
            for (std::size_t i = 0; i < kColumns.size(); ++i) {
                const Column& c = report.columns()[i];
                if (c.numeric()) {
                    EXPECT_EQ(c.text, c.at(1).toString());
                    sums[i] = *sums[i].add(c.at(1));
                } else {
                    EXPECT_EQ(c.text, text::left(c.text, kTextValueChars));
                }
            }
            EXPECT_EQ(report.columns()[0].text, text::left(t1, kTextValueChars));
            const std::string want = plainLine(report, 1);
            auto line = report.build(Mode::Detail, 1);
            ASSERT_TRUE(line);
            ASSERT_EQ(line->text, want) << "record " << r;
            ASSERT_EQ(line->cells.size(), cells ? kColumns.size() : 0u);
            if (cells) {
                for (std::size_t i = 0; i < kColumns.size(); ++i) {
                    const Column& c = report.columns()[i];
                    if (!c.numeric()) continue;
                    if (auto d = std::get_if<double>(&line->cells[i]))
                        EXPECT_EQ(*d, c.at(1).toDouble());
                    else
                        EXPECT_TRUE(c.at(1).isZero());
                }
            }
        }
        // The totals line of the level the details were added into.
        for (std::size_t i = 0; i < kColumns.size(); ++i) {
            if (report.columns()[i].numeric()) {
                EXPECT_EQ(report.columns()[i].at(2), sums[i]);
            }
        }
        const std::string want = plainLine(report, 2);
        auto total = report.build(Mode::Detail, 2);
        ASSERT_TRUE(total);
        EXPECT_EQ(total->text, want);
    }
}

// A total line's caption takes the first n characters of the line, whatever their bytes; the
// characters after them stay as they were.
TEST(ListingLines, ACaptionReplacesTheFirstCharactersOfTheLine) {
    struct Case {
        const char* line;
        const char* caption;
        std::size_t n;
        const char* want;
    };
    const Case cases[] = {
        {"ÇĞİÖŞÜ abc  12,50", "Devir", 6, "Devir  abc  12,50"},
        {"abcdef Işık", "GENEL TOPLAM", 5, "GENELf Işık"},
        {"ab", "Toplam", 8, "Toplam  "},
        {"çok uzun açıklama", "Ay", 3, "Ay  uzun açıklama"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.line);
        BuiltLine l;
        l.text = k.line;
        l.label(k.caption, k.n);
        EXPECT_EQ(l.text, k.want);
    }
}

TEST(ListingLines, NarrowedBindingsCopyWhatTheDefinitionReads) {
    expr::Bindings b;
    RecordBinding<data::FisDet> mfd(b);
    RecordBinding<data::HsPlan> hsp(b);
    auto e = expr::Expression::compile("MFD:TLBORC + MFD:FISNO", b);
    auto t = expr::Expression::compile("MFD:FISACK", b);
    ASSERT_TRUE(e);
    ASSERT_TRUE(t);
    std::vector<const void*> read;
    for (const auto* x : {&*e, &*t})
        for (const auto& v : x->variables()) read.push_back(v.address);
    EXPECT_TRUE(mfd.narrowTo(read));
    EXPECT_FALSE(hsp.narrowTo(read)); // nothing of the chart is read: it need not be fetched

    data::FisDet l;
    l.FISACK = "Satış faturası";
    l.TLBORC = 12.5;
    l.FISNO = 7; // a SHORT, read through its 32-bit mirror
    l.HESAPKODU = "120 01 001";
    mfd.set(l);
    EXPECT_EQ(e->evaluate(), "19.5");
    EXPECT_EQ(t->evaluate(), "Satış faturası");
    l.FISACK = "İade";
    l.TLBORC = 1;
    l.FISNO = 2;
    mfd.set(l);
    EXPECT_EQ(e->evaluate(), "3");
    EXPECT_EQ(t->evaluate(), "İade");

    // A binding left whole copies every field; a narrowed one no longer copies the others.
    expr::Bindings whole;
    RecordBinding<data::FisDet> all(whole);
    all.set(l);
    EXPECT_EQ(all.record().HESAPKODU, "120 01 001");
    EXPECT_EQ(mfd.record().HESAPKODU, "");
}

} // namespace
} // namespace hk::reports::test
