#pragma once
// A small company for the journal tests (the shared one of support/books.h) with the document
// types and a short chart; its vouchers' headers carry KARSITNO 100.

#include "app/testing/fake_ui.h"
#include "core/date.h"
#include "core/picture.h"
#include "core/text.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/startup.h"
#include "journal/run.h"
#include "support/books.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace hk::journal::test {

using hk::test::books::D;
using hk::test::books::L;
using hk::test::books::must;

class Company : public hk::test::books::SmallCompany {
  public:
    explicit Company(core::Date start = D(1, 1, 2024), core::Date end = D(31, 12, 2024))
        : SmallCompany("journal", start, end) {
        headerKarsitNo_ = 100;
        data::Yasal y = company();
        y.VERGIDAIRESINO = "1234567890";
        setCompany(y);
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

    void account(const std::string& code, const std::string& name1, const std::string& name2 = {}) {
        addAccount(code, name1, name2, code.size() == 3 ? "K" : (code.size() == 6 ? "G" : "M"));
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
