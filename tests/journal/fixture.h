#pragma once
// A small company for the journal tests: a data folder with a short chart, the document types,
// and vouchers written the way voucher entry writes them (key = two-digit fiscal month and an
// eight-digit number, amount lines with ACKNO = line * 100, extra description lines holding
// only key, line number, ACKNO, description, account and side).

#include "app/testing/fake_ui.h"
#include "core/date.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/startup.h"
#include "journal/run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace hk::journal::test {

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

inline core::Date D(int d, int m, int y) {
    return core::Date{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                      static_cast<std::uint16_t>(y)};
}

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
};

class Company {
  public:
    explicit Company(core::Date start = D(1, 1, 2024), core::Date end = D(31, 12, 2024)) {
        std::random_device rd;
        dir_ = std::filesystem::path(::testing::TempDir()) /
               ("hk_journal_" + std::to_string(rd()) + "_" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        reopen();
        data::Yasal y;
        y.MALIDONEMBAS = start;
        y.MALIDONEMSON = end;
        y.FISNOSIRASI = "A";
        y.FISNUMARALAMADUZENI = "B";
        y.SIRKETUNVANI1 = "ÖRNEK TİCARET";
        y.SIRKETUNVANI2 = "A.Ş.";
        y.VERGIDAIRESINO = "1234567890";
        auto yt = must(ds().open<data::Yasal>());
        must(yt.add(y));
        auto bt = must(ds().open<data::BelgeTip>());
        for (const auto& t : data::startup::defaultDocumentTypes())
            must(bt.add(t));
        account("100", "KASA");
        account("100 01", "MERKEZ");
        account("100 01 001", "Merkez Kasa");
        account("100 01 002", "Şube Kasa");
        account("120", "ALICILAR");
        account("120 01", "YURT İÇİ ALICILAR");
        account("120 01 005", "Müşteri A", "Ltd.");
        account("320", "SATICILAR");
        account("600", "YURT İÇİ SATIŞLAR");
    }
    ~Company() {
        ds_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    const std::filesystem::path& dir() const { return dir_; }
    data::DataSet& ds() { return *ds_; }
    void close() { ds_.reset(); }
    void reopen() {
        ds_.reset();
        ds_.emplace(must(data::DataSet::open(data::Locations::resolve(dir_.string(), dir_))));
    }

    void account(const std::string& code, const std::string& name1, const std::string& name2 = {}) {
        auto t = must(ds().open<data::HsPlan>());
        data::HsPlan a;
        a.HESAPKODU = code;
        a.HESAPAD1 = name1;
        a.HESAPAD2 = name2;
        a.NTLK = code.size() == 3 ? "K" : (code.size() == 6 ? "G" : "M");
        must(t.add(a));
    }

    // A voucher of the fiscal month of its date (fiscal year starting in January unless the
    // company was made otherwise), numbered by month.
    std::string voucher(core::Date date, int no, const std::vector<L>& lines,
                        const std::string& attr = "N", const std::string& type = "M",
                        int journalNo = 0) {
        const data::Yasal y = company();
        int m = date.month - (y.MALIDONEMBAS.month - 1);
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
        h.KARSITNO = 100;
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
                must(dt.add(x));
            }
        }
        auto ht = must(ds().open<data::FisBas>());
        must(ht.add(h));
        return key;
    }

    data::Yasal company() {
        auto t = must(ds().open<data::Yasal>());
        return must(readCompany(t));
    }
    void setCompany(const data::Yasal& y) {
        auto t = must(ds().open<data::Yasal>());
        must(readCompany(t));
        must(t.put(y));
    }
    JournalState state() { return JournalState::of(company()); }

    std::vector<data::FisBas> headers() {
        auto t = must(ds().open<data::FisBas>());
        std::vector<data::FisBas> out;
        must(t.set("MFB:KeyMuavin"));
        for (auto h = t.next(); h; h = t.next())
            out.push_back(*h);
        return out;
    }
    std::int32_t journalNo(const std::string& key) {
        for (const auto& h : headers())
            if (h.KEYSTR == key) return h.YEVMIYENO;
        return -1;
    }

  private:
    std::filesystem::path dir_;
    std::optional<data::DataSet> ds_;
};

inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> splitLines(const std::string& s, const std::string& eol = "\r\n") {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t e = s.find(eol, pos);
        if (e == std::string::npos) {
            out.push_back(s.substr(pos));
            break;
        }
        out.push_back(s.substr(pos, e - pos));
        pos = e + eol.size();
    }
    return out;
}

inline std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        std::size_t e = line.find(';', pos);
        out.push_back(line.substr(pos, e == std::string::npos ? std::string::npos : e - pos));
        if (e == std::string::npos) break;
        pos = e + 1;
    }
    return out;
}

} // namespace hk::journal::test
