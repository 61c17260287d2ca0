#pragma once
// A synthetic company of any size: a three-level chart, vouchers with balanced lines spread over
// the fiscal year, and daily rates for a few currencies. Deterministic for a given seed.

#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hk::bench {

struct CompanySize {
    int mainAccounts = 60;     // "100" .. : kebir accounts
    int groupsPerMain = 5;     // "100 01" ..
    int detailsPerGroup = 20;  // "100 01 001" ..
    int vouchers = 10000;
    int linesPerVoucher = 10;
    int rateDays = 365;
    std::uint32_t seed = 2024;
};

struct Company {
    std::vector<data::HsPlan> accounts;   // every level, in code order
    std::vector<data::FisBas> headers;
    std::vector<data::FisDet> lines;
    std::vector<data::DDoviz> rates;
    std::vector<std::size_t> detailIndex;  // indexes of the detail accounts in `accounts`
};

Company generate(const CompanySize& size);

// Writes the company record (fiscal year 2024), the chart, the headers and the lines into an
// empty data folder in one unit of work.
core::Status writeBooks(data::DataSet& ds, const Company& c);

// The detail account with the most lines, and their number.
struct Busiest {
    std::string code;
    long lines = 0;
};
Busiest busiestAccount(const Company& c);

} // namespace hk::bench
