// A bulk import writes what its file says and posts exactly what posting its lines one at a time
// would: checked on a seeded random book, with every attribute, extra descriptions, quantities
// and currency amounts. And a file refused late in its reading leaves nothing behind.
#include "fixture.h"
#include "vouchers/csv.h"
#include "vouchers/exchange.h"
#include "vouchers/numbering.h"
#include "vouchers/posting.h"
#include "vouchers/rebuild.h"

#include <fstream>
#include <map>
#include <random>
#include <sstream>

using namespace hk;
using namespace hk::vouchers;
namespace fs = std::filesystem;

namespace {

struct Line {
    std::string account, description;
    double debit = 0, credit = 0, quantity = 0, currency = 0;
    bool extra = false;
};
struct Voucher {
    std::string id, type, attribute, docNo;
    core::Date date;
    std::vector<Line> lines;
};

std::string money(double v) {
    if (v == 0) return {};
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", v);
    return b;
}

// A seeded random book over the whole year; amounts in cents, so the file says them exactly.
std::vector<Voucher> randomBook(unsigned seed, int count) {
    std::mt19937 rng(seed);
    const std::vector<std::string> codes = {"120 01 005", "120 01 006", "600 01", "320 01",
                                            "100 01",     "191 01",     "391 01"};
    const std::vector<std::string> attributes = {"N", "N", "N", "IPT", "ACF", "KPF", "YAN"};
    const std::vector<std::string> types = {"M", "A", "E"};
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    auto cents = [&] { return static_cast<double>(1 + rng() % 900000) / 100.0; };
    std::vector<Voucher> book;
    for (int i = 0; i < count; ++i) {
        Voucher v;
        v.id = "v" + std::to_string(i);
        v.type = pick(types);
        v.attribute = pick(attributes);
        v.date = core::Date::make(1 + static_cast<int>(rng() % 12),
                                  1 + static_cast<int>(rng() % 28), 2015);
        if (rng() % 3 == 0) v.docNo = "B-" + std::to_string(rng() % 1000);
        const int n = 2 + static_cast<int>(rng() % 5);
        long total = 0;
        for (int k = 0; k + 1 < n; ++k) {
            Line l;
            l.account = pick(codes);
            const double a = cents();
            total += std::lround(a * 100);
            l.debit = a;
            if (rng() % 8 == 0) l.quantity = static_cast<double>(1 + rng() % 50);
            if (rng() % 10 == 0) l.currency = cents();
            l.description = rng() % 2 ? "satır " + std::to_string(k) : "";
            v.lines.push_back(l);
            if (rng() % 6 == 0) {
                Line e;
                e.extra = true;
                e.description = "ek açıklama " + std::to_string(k);
                v.lines.push_back(e);
            }
        }
        Line last;
        last.account = pick(codes);
        last.credit = static_cast<double>(total) / 100.0;
        v.lines.push_back(last);
        book.push_back(std::move(v));
    }
    return book;
}

std::string csvOf(const std::vector<Voucher>& book) {
    std::ostringstream o;
    o << "voucher,date,type,attribute,account,description,debit,credit,quantity,"
         "currency_amount,document_no\n";
    for (const auto& v : book)
        for (const auto& l : v.lines) {
            o << v.id << ',' << csv::formatDate(v.date) << ',' << v.type << ',' << v.attribute
              << ',' << l.account << ',' << csv::quote(l.description, ',') << ','
              << money(l.debit) << ',' << money(l.credit) << ','
              << (l.quantity != 0 ? std::to_string(static_cast<int>(l.quantity)) : "") << ','
              << money(l.currency) << ',' << (l.extra ? "" : v.docNo) << '\n';
        }
    return o.str();
}

class ImportProperty : public hk::vouchers::testing::Company {
  protected:
    core::Result<ImportSummary> import(const fs::path& p, bool dry = false) {
        Env e = env();
        return importVouchers(e, p, dry);
    }
    std::map<std::string, AccountTotals> totals() {
        std::map<std::string, AccountTotals> out;
        auto b = Books::open(*ds_);
        EXPECT_TRUE(b->plan.set("HSP:KeyHesap"));
        while (auto h = b->plan.next()) out[h->HESAPKODU] = totalsOf(*h);
        return out;
    }
};

TEST_F(ImportProperty, StoresTheFileAndPostsAsLineByLinePostingWould) {
    const auto book = randomBook(20151231, 400);
    const fs::path file = put("book.csv", csvOf(book));

    // A dry run counts the same and writes nothing.
    auto dry = import(file, true);
    ASSERT_TRUE(dry) << dry.error().text;
    EXPECT_EQ(count(true), 0);
    auto r = import(file);
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_TRUE(r->written);
    EXPECT_EQ(r->vouchers, 400);
    EXPECT_EQ(dry->vouchers, r->vouchers);
    EXPECT_EQ(dry->rows, r->rows);

    // Every voucher of the file, in the file's order, has its header and lines as written.
    auto b = Books::open(*ds_);
    ASSERT_TRUE(b->heads.setPhysical());
    std::vector<data::FisBas> heads;
    while (auto h = b->heads.next()) heads.push_back(*h);
    ASSERT_EQ(heads.size(), book.size());
    for (std::size_t i = 0; i < book.size(); ++i) {
        const Voucher& v = book[i];
        const data::FisBas& h = heads[i];
        EXPECT_EQ(h.FISTRH, v.date) << v.id;
        EXPECT_EQ(h.FISTUR, v.type) << v.id;
        EXPECT_EQ(h.FISNTLK, v.attribute) << v.id;
        EXPECT_EQ(keyMonth(h.KEYSTR), fiscalMonthOfDate(storedCompany(), v.date)) << v.id;
        auto lines = b->linesOf(h.KEYSTR);
        ASSERT_TRUE(lines);
        ASSERT_EQ(lines->size(), v.lines.size()) << v.id;
        double debit = 0;
        for (std::size_t k = 0; k < v.lines.size(); ++k) {
            const Line& want = v.lines[k];
            const data::FisDet& got = (*lines)[k];
            EXPECT_EQ(got.FISACK, want.description) << v.id << " " << k;
            EXPECT_EQ(isAmountLine(got), !want.extra) << v.id << " " << k;
            if (want.extra) continue;
            debit += want.debit;
            EXPECT_EQ(got.HESAPKODU, want.account) << v.id << " " << k;
            EXPECT_EQ(got.TLBORC, want.debit) << v.id << " " << k;
            EXPECT_EQ(got.TLALACAK, want.credit) << v.id << " " << k;
            EXPECT_EQ(got.ALTBIRIMBORC + got.ALTBIRIMALACAK, want.quantity) << v.id;
            EXPECT_EQ(got.DOVIZBORC + got.DOVIZALACAK, want.currency) << v.id;
            EXPECT_EQ(got.BELGENO, v.docNo) << v.id;
            EXPECT_EQ(got.HESAPADI1, "Hesap " + want.account);
        }
        EXPECT_DOUBLE_EQ(h.BTOPLAM, debit) << v.id;
    }

    // The totals are exactly those of posting each stored line on its own, in the order the
    // lines were written, into a chart of the same accounts with nothing posted yet.
    const fs::path other = dir_ / "other";
    fs::create_directories(other);
    auto ds2 = data::DataSet::open(data::Locations::resolve(other.string(), other));
    ASSERT_TRUE(ds2);
    auto b2 = Books::open(*ds2);
    ASSERT_TRUE(b2);
    ASSERT_TRUE(b->plan.set("HSP:KeyHesap"));
    while (auto h = b->plan.next()) {
        data::HsPlan clean;
        clean.HESAPKODU = h->HESAPKODU;
        clean.NTLK = h->NTLK;
        ASSERT_TRUE(b2->plan.add(clean));
    }
    std::map<std::string, std::string> attributeOf;
    for (const auto& h : heads) attributeOf[h.KEYSTR] = h.FISNTLK;
    ASSERT_TRUE(b->lines.setPhysical());
    while (auto l = b->lines.next())
        ASSERT_TRUE(MizanaIsle(b2->plan, *l, attributeOf.at(l->KEYSTR), keyMonth(l->KEYSTR)));
    const auto imported = totals();
    ASSERT_TRUE(b2->plan.set("HSP:KeyHesap"));
    long compared = 0;
    while (auto h = b2->plan.next()) {
        const AccountTotals one = totalsOf(*h);
        const AccountTotals& got = imported.at(h->HESAPKODU);
        EXPECT_EQ(got.opening, one.opening) << h->HESAPKODU;
        EXPECT_EQ(got.months, one.months) << h->HESAPKODU;
        EXPECT_EQ(got.closing, one.closing) << h->HESAPKODU;
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<long>(imported.size()));
    // Something was posted in every place.
    EXPECT_NE(imported.at("120").opening[0], 0);
    EXPECT_NE(imported.at("120").closing[0], 0);
    EXPECT_NE(imported.at("120").months[5][0], 0);

    // And the full rebuild agrees with them.
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    for (const auto& [code, t] : totals()) {
        const AccountTotals& got = imported.at(code);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_NEAR(got.opening[i], t.opening[i], 1e-6) << code;
            EXPECT_NEAR(got.closing[i], t.closing[i], 1e-6) << code;
            for (std::size_t m = 0; m < 12; ++m)
                EXPECT_NEAR(got.months[m][i], t.months[m][i], 1e-6) << code << " " << m;
        }
    }
}

TEST_F(ImportProperty, ARowFailingLateInTheFileLeavesTheBooksAsTheyWere) {
    ASSERT_TRUE(saveNew(5, {hk::vouchers::testing::line("120 01 005", 70, 0),
                            hk::vouchers::testing::line("600 01", 0, 70)}));
    const auto before = totals();
    const data::Yasal company = storedCompany();
    const long heads = count(true), lines = count(false);

    const std::string good = csvOf(randomBook(7, 300));
    struct Case {
        const char* why;
        std::string tail;
        const char* want;
    } cases[] = {
        {"unknown account in the last row", "zz,10.03.2015,M,N,999 99,,5,,,,\n"
                                            "zz,10.03.2015,M,N,600 01,,,5,,,\n",
         "hesap planında yok: \"999 99\""},
        {"unbalanced last voucher", "zz,10.03.2015,M,N,120 01 005,,5,,,,\n"
                                    "zz,10.03.2015,M,N,600 01,,,4,,,\n",
         "\"zz\" fişi dengesiz"},
        {"a voucher's rows apart", "v3,10.03.2015,M,N,120 01 005,,5,,,,\n"
                                   "v3,10.03.2015,M,N,600 01,,,5,,,\n",
         "\"v3\" fişinin satırları art arda değil"},
        {"a broken quote at the end", "zz,10.03.2015,M,N,120 01 005,\"açık,5,,,,\n", ""},
    };
    for (const auto& c : cases) {
        auto r = import(put("late.csv", good + c.tail));
        ASSERT_FALSE(r) << c.why;
        EXPECT_EQ(r.error().kind, core::ErrorKind::BadInput) << c.why;
        EXPECT_NE(r.error().text.find(c.want), std::string::npos) << c.why << "\n"
                                                                  << r.error().text;
        EXPECT_NE(r.error().text.find("hiçbir şey yazılmadı"), std::string::npos) << c.why;
        EXPECT_EQ(count(true), heads) << c.why;
        EXPECT_EQ(count(false), lines) << c.why;
        const data::Yasal now = storedCompany();
        EXPECT_EQ(now.MAHSUPNUMARATOR, company.MAHSUPNUMARATOR) << c.why;
        EXPECT_EQ(now.TAHSILNUMARATOR, company.TAHSILNUMARATOR) << c.why;
        const auto after = totals();
        for (const auto& [code, t] : before) {
            EXPECT_EQ(after.at(code).months, t.months) << c.why << " " << code;
            EXPECT_EQ(after.at(code).opening, t.opening) << c.why << " " << code;
        }
    }
    // The same file without the failing rows goes in whole.
    auto r = import(put("good.csv", good));
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(count(true), heads + 300);
}


TEST_F(ImportProperty, AnImportIntoAFilledBookStepsOverTakenKeysAndPostsOnTop) {
    ASSERT_TRUE(saveNew(5, {hk::vouchers::testing::line("120 01 005", 70, 0),
                            hk::vouchers::testing::line("600 01", 0, 70)}));
    const auto first = randomBook(11, 250);
    ASSERT_TRUE(import(put("first.csv", csvOf(first))));
    std::map<std::string, std::vector<data::FisDet>> before;
    {
        auto b = Books::open(*ds_);
        for (const auto& h : heads()) before[h.KEYSTR] = *b->linesOf(h.KEYSTR);
    }
    // Counters set back to nothing, as after a careless edit of the company: every key the
    // second file draws first is taken, and the import must step over each of them.
    changeCompany([](data::Yasal& y) {
        for (auto* counters : {&y.MAHSUPNUMARATOR, &y.TAHSILNUMARATOR, &y.TEDIYENUMARATOR})
            for (auto& c : *counters) c = 0;
    });
    const auto second = randomBook(12, 250);
    auto r = import(put("second.csv", csvOf(second)));
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(count(true), static_cast<long>(before.size() + second.size()));

    // The vouchers stored before are as they were.
    auto b = Books::open(*ds_);
    for (const auto& [key, lines] : before) {
        auto now = b->linesOf(key);
        ASSERT_TRUE(now) << key;
        ASSERT_EQ(now->size(), lines.size()) << key;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ((*now)[i].HESAPKODU, lines[i].HESAPKODU) << key;
            EXPECT_EQ((*now)[i].TLBORC, lines[i].TLBORC) << key;
            EXPECT_EQ((*now)[i].FISACK, lines[i].FISACK) << key;
        }
    }
    // The second file's vouchers follow them in its order, each with its own lines.
    ASSERT_TRUE(b->heads.setPhysical());
    std::vector<data::FisBas> all;
    while (auto h = b->heads.next()) all.push_back(*h);
    ASSERT_EQ(all.size(), before.size() + second.size());
    for (std::size_t i = 0; i < second.size(); ++i) {
        const Voucher& v = second[i];
        const data::FisBas& h = all[before.size() + i];
        EXPECT_FALSE(before.count(h.KEYSTR)) << v.id << " " << h.KEYSTR;
        EXPECT_EQ(h.FISTRH, v.date) << v.id;
        auto lines = b->linesOf(h.KEYSTR);
        ASSERT_TRUE(lines);
        ASSERT_EQ(lines->size(), v.lines.size()) << v.id;
        for (std::size_t k = 0; k < v.lines.size(); ++k) {
            EXPECT_EQ((*lines)[k].FISACK, v.lines[k].description) << v.id << " " << k;
            if (!v.lines[k].extra) {
                EXPECT_EQ((*lines)[k].HESAPKODU, v.lines[k].account) << v.id << " " << k;
            }
            EXPECT_EQ((*lines)[k].TLBORC, v.lines[k].debit) << v.id << " " << k;
        }
    }

    // The totals, posted on top of what was there, are those of the full rebuild.
    const auto imported = totals();
    ASSERT_TRUE(YMizanDuzelt(*ds_, ui_, false));
    for (const auto& [code, t] : totals()) {
        const AccountTotals& got = imported.at(code);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_NEAR(got.opening[i], t.opening[i], 1e-6) << code;
            EXPECT_NEAR(got.closing[i], t.closing[i], 1e-6) << code;
            for (std::size_t m = 0; m < 12; ++m)
                EXPECT_NEAR(got.months[m][i], t.months[m][i], 1e-6) << code << " " << m;
        }
    }
}

} // namespace
