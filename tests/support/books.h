#pragma once
// A small company in a temporary data folder, for the tests of the books read from the vouchers
// (journal, reports): the company record, accounts, and vouchers written the way voucher entry
// writes them (key = two-digit fiscal month and an eight-digit number, amount lines with ACKNO =
// line * 100, extra description lines after them with ACKNO = line * 100 + n).

#include "core/date.h"
#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace hk::test::books {

// The value of a step the test cannot go on without.
template <typename T> T must(core::Result<T> r) {
    if (!r.ok()) {
        ADD_FAILURE() << r.error().describe() << " " << r.error().file;
        std::abort();
    }
    return std::move(r).value();
}
inline void must(core::Status s) {
    if (!s.ok()) {
        ADD_FAILURE() << s.error().describe() << " " << s.error().file;
        std::abort();
    }
}

inline core::Date D(int d, int m, int y = 2024) {
    return core::Date{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                      static_cast<std::uint16_t>(y)};
}

// One amount line of a voucher.
struct L {
    std::string code;
    char side = 'B';
    double amount = 0;
    std::string desc = {};
    std::vector<std::string> extra = {}; // extra description lines after this one
    std::string docType = {};
    std::string docNo = {};
    std::string docDesc = {};
    core::Date docDate = {};
    double quantity = 0; // on the line's side
};

class SmallCompany {
  public:
    // A company of the period start..end numbering monthly ("A"), all types in one sequence.
    SmallCompany(const std::string& tag, core::Date start, core::Date end) {
        std::random_device rd;
        dir_ = std::filesystem::path(::testing::TempDir()) /
               ("hk_" + tag + "_" + std::to_string(rd()) + "_" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        reopen();
        data::Yasal y;
        y.MALIDONEMBAS = start;
        y.MALIDONEMSON = end;
        y.FISNOSIRASI = "A";
        y.FISNUMARALAMADUZENI = "B";
        y.SIRKETUNVANI1 = "ÖRNEK TİCARET";
        y.SIRKETUNVANI2 = "A.Ş.";
        auto yt = must(ds().open<data::Yasal>());
        must(yt.add(y));
    }
    ~SmallCompany() {
        ds_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    SmallCompany(const SmallCompany&) = delete;
    SmallCompany& operator=(const SmallCompany&) = delete;

    data::DataSet& ds() { return *ds_; }
    const std::filesystem::path& dir() const { return dir_; }
    void close() { ds_.reset(); }
    void reopen() {
        ds_.reset();
        ds_.emplace(must(data::DataSet::open(data::Locations::resolve(dir_.string(), dir_))));
    }

    data::Yasal company() {
        auto t = must(ds().open<data::Yasal>());
        must(t.setPhysical());
        return must(t.next());
    }
    void setCompany(const data::Yasal& y) {
        auto t = must(ds().open<data::Yasal>());
        must(t.setPhysical());
        must(t.next());
        must(t.put(y));
    }

    void addAccount(const std::string& code, const std::string& name1, const std::string& name2,
                    const std::string& kind) {
        auto t = must(ds().open<data::HsPlan>());
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = name1;
        a.HESAPAD2 = name2;
        a.NTLK = kind;
        must(t.add(a));
    }

    // A voucher of the fiscal month of its date, numbered `no`; its key.
    std::string voucher(core::Date date, int no, const std::vector<L>& lines,
                        const std::string& attr = "N", const std::string& type = "M",
                        int journalNo = 0) {
        int m = date.month - (company().MALIDONEMBAS.month - 1);
        if (m <= 0) m += 12;
        char key[16];
        std::snprintf(key, sizeof key, "%02d%08d", m, no);
        data::FisBas h;
        h.KEYSTR = key;
        h.FISTRH = date;
        h.FISNO = static_cast<std::int16_t>(no);
        h.FISTUR = type;
        h.FISNTLK = attr;
        h.YEVMIYENO = journalNo;
        h.KARSITNO = headerKarsitNo_;
        auto dt = must(ds().open<data::FisDet>());
        int k = 0;
        for (const auto& l : lines) {
            ++k;
            data::FisDet d;
            d.KEYSTR = key;
            d.FISSIRANO = static_cast<std::int16_t>(k);
            d.ACKNO = k * 100;
            d.HESAPKODU = l.code;
            d.FISACK = l.desc;
            d.BORCALACAK = std::string(1, l.side);
            (l.side == 'B' ? d.TLBORC : d.TLALACAK) = l.amount;
            (l.side == 'B' ? d.ALTBIRIMBORC : d.ALTBIRIMALACAK) = l.quantity;
            (l.side == 'B' ? h.BTOPLAM : h.ATOPLAM) += l.amount;
            d.FISTRH = date;
            d.FISNO = h.FISNO;
            d.FISTUR = type;
            d.FISNTLK = attr;
            d.BELGETIPI = l.docType;
            d.BELGENO = l.docNo;
            d.BELGEACIKLAMASI = l.docDesc;
            d.BELGETARIHI = l.docDate;
            must(dt.add(d));
            int j = 0;
            for (const auto& e : l.extra) {
                data::FisDet x;
                x.KEYSTR = key;
                x.FISSIRANO = static_cast<std::int16_t>(k);
                x.ACKNO = k * 100 + ++j;
                x.FISACK = e;
                x.HESAPKODU = l.code;
                x.BORCALACAK = std::string(1, l.side);
                x.TLBORC = descriptionLineAmount_;
                must(dt.add(x));
            }
        }
        auto ht = must(ds().open<data::FisBas>());
        must(ht.add(h));
        return key;
    }

  protected:
    // What the headers carry as KARSITNO, and the amount written on extra description lines (a
    // non-zero one proves a book never counts them).
    int headerKarsitNo_ = 0;
    double descriptionLineAmount_ = 0;

  private:
    std::filesystem::path dir_;
    std::optional<data::DataSet> ds_;
};

} // namespace hk::test::books
