#pragma once
// The files of the books that voucher work touches, opened together from one data set: the
// chart (HsPlan), voucher headers (FisBas) and lines (FisDet), and the company record (Yasal).
// All four live in the data folder's one database, so one Transaction covers them.

#include "core/result.h"
#include "data/dataset.h"
#include "data/records.h"
#include "data/table.h"

#include <string>
#include <string_view>
#include <vector>

namespace hk::vouchers {

struct Books {
    data::Database* db = nullptr;
    data::TypedTable<data::HsPlan> plan;
    data::TypedTable<data::FisBas> heads;
    data::TypedTable<data::FisDet> lines;
    data::TypedTable<data::Yasal> company;

    static core::Result<Books> open(data::DataSet& ds);

    // The company record: the first record in physical order. It stays the current record of
    // `company`, so writeCompany() writes over it.
    core::Result<data::Yasal> readCompany();
    core::Status writeCompany(const data::Yasal& y);

    // Exact read of a header by key; NotFound when there is none.
    core::Result<data::FisBas> head(std::string_view key);
    core::Result<bool> headExists(std::string_view key);
    // The lines of a voucher in line-number order (FISSIRANO, ACKNO).
    core::Result<std::vector<data::FisDet>> linesOf(std::string_view key);
    // Deletes every line of the voucher (the caller un-posts them first).
    core::Status eraseLines(std::string_view key);
    // The account with that code, NotFound when there is none.
    core::Result<data::HsPlan> account(std::string_view code);
};

// "Next(HkYasal)"-style storage message text: code, blank, text.
std::string storageText(const core::Error& e);

} // namespace hk::vouchers
