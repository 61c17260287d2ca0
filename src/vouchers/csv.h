#pragma once
// The voucher exchange file: CSV as RFC 4180 describes it (quoted fields may hold separators,
// doubled quotes and line breaks), UTF-8 with an optional BOM, a header row. The separator is ","
// or ";", whichever the header row uses. The reader streams: a file of millions of rows is read
// in fixed-size blocks, never whole.

#include "core/date.h"
#include "core/result.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hk::vouchers::csv {

class Reader {
  public:
    static core::Result<Reader> open(const std::filesystem::path& file);
    Reader(Reader&&) noexcept = default;
    Reader& operator=(Reader&&) noexcept = default;
    ~Reader();

    // Reads the header row and settles the separator from it.
    core::Result<std::vector<std::string>> header();
    // The next row; false at the end of the file. `line` is the line number the row starts on.
    // An unterminated quote or a stray quote inside an unquoted field is an error.
    core::Result<bool> next(std::vector<std::string>& fields, long& line);
    char separator() const { return sep_; }

  private:
    Reader() = default;
    int get();
    int peek();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f_{nullptr, &std::fclose};
    std::vector<char> buf_;
    std::size_t pos_ = 0, len_ = 0;
    long line_ = 1;
    char sep_ = ',';
};

// One field as written: quoted when it holds the separator, a quote or a line break.
std::string quote(std::string_view field, char sep);

// "dd.mm.yyyy" or "yyyy-mm-dd"; an error for anything else or for a date that does not exist.
core::Result<core::Date> parseDate(std::string_view text);
std::string formatDate(core::Date d); // dd.mm.yyyy, "" for no date

// An amount: with "," as separator a plain decimal ("1234.56", "-5"); with ";" also the Turkish
// form, "." grouping thousands and "," the decimal comma ("1.234,56", "1234,5"). A text with a
// "." but no "," reads "." as grouping only when it groups digits by three ("1.234" = 1234).
core::Result<double> parseAmount(std::string_view text, char sep);

} // namespace hk::vouchers::csv
