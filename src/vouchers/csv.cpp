#include "vouchers/csv.h"

#include "core/numeric.h"
#include "core/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace hk::vouchers::csv {

core::Result<Reader> Reader::open(const std::filesystem::path& file) {
    Reader r;
    r.f_.reset(std::fopen(file.c_str(), "rb"));
    if (!r.f_)
        return core::Error::badInput(file.string() + ": " + std::strerror(errno), file.string());
    r.buf_.resize(1 << 20);
    return r;
}

Reader::~Reader() = default;

int Reader::get() {
    if (pos_ == len_) {
        len_ = std::fread(buf_.data(), 1, buf_.size(), f_.get());
        pos_ = 0;
        if (len_ == 0) return EOF;
    }
    const int c = static_cast<unsigned char>(buf_[pos_++]);
    if (c == '\n') ++line_;
    return c;
}

int Reader::peek() {
    if (pos_ == len_) {
        len_ = std::fread(buf_.data(), 1, buf_.size(), f_.get());
        pos_ = 0;
        if (len_ == 0) return EOF;
    }
    return static_cast<unsigned char>(buf_[pos_]);
}

core::Result<std::vector<std::string>> Reader::header() {
    // A byte-order mark is skipped.
    if (peek() == 0xEF) {
        get();
        if (get() != 0xBB || get() != 0xBF)
            return core::Error::badInput("satır 1: dosya UTF-8 değil");
    }
    // The separator is whichever of "," and ";" the header row holds outside quotes.
    std::size_t p = pos_;
    bool inQuote = false;
    int commas = 0, semis = 0;
    for (; p < len_ && buf_[p] != '\n'; ++p) {
        if (buf_[p] == '"') inQuote = !inQuote;
        else if (!inQuote && buf_[p] == ',') ++commas;
        else if (!inQuote && buf_[p] == ';') ++semis;
    }
    sep_ = semis > commas ? ';' : ',';
    std::vector<std::string> fields;
    long line = 0;
    auto r = next(fields, line);
    if (!r) return r.error();
    if (!*r) return core::Error::badInput("dosya boş: başlık satırı yok");
    return fields;
}

core::Result<bool> Reader::next(std::vector<std::string>& fields, long& line) {
    fields.clear();
    int c = peek();
    // Blank lines between rows are skipped.
    while (c == '\n' || c == '\r') {
        get();
        c = peek();
    }
    if (c == EOF) return false;
    line = line_;
    std::string field;
    for (;;) {
        c = get();
        if (c == '"' && field.empty()) {
            for (;;) {
                c = get();
                if (c == EOF)
                    return core::Error::badInput("satır " + std::to_string(line) +
                                                 ": kapanmayan tırnak");
                if (c == '"') {
                    if (peek() == '"') {
                        get();
                        field += '"';
                        continue;
                    }
                    break;
                }
                field += static_cast<char>(c);
            }
            c = peek();
            if (c != sep_ && c != '\n' && c != '\r' && c != EOF)
                return core::Error::badInput("satır " + std::to_string(line_) +
                                             ": tırnaktan sonra ayırıcı bekleniyor");
            continue;
        }
        if (c == sep_) {
            fields.push_back(std::move(field));
            field.clear();
            continue;
        }
        if (c == '\r' && peek() == '\n') continue;
        if (c == '\n' || c == '\r' || c == EOF) {
            fields.push_back(std::move(field));
            return true;
        }
        if (c == '"')
            return core::Error::badInput("satır " + std::to_string(line_) +
                                         ": tırnaksız alanın içinde tırnak");
        field += static_cast<char>(c);
    }
}

std::string quote(std::string_view f, char sep) {
    if (f.find_first_of(std::string{sep, '"', '\n', '\r'}) == std::string_view::npos &&
        (f.empty() || (f.front() != ' ' && f.back() != ' ')))
        return std::string(f);
    std::string q = "\"";
    for (char c : f) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

namespace {
bool digits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}
} // namespace

core::Result<core::Date> parseDate(std::string_view t) {
    int d = 0, m = 0, y = 0;
    if (t.size() == 10 && t[2] == '.' && t[5] == '.' && digits(t.substr(0, 2)) &&
        digits(t.substr(3, 2)) && digits(t.substr(6, 4))) {
        d = std::stoi(std::string(t.substr(0, 2)));
        m = std::stoi(std::string(t.substr(3, 2)));
        y = std::stoi(std::string(t.substr(6, 4)));
    } else if (t.size() == 10 && t[4] == '-' && t[7] == '-' && digits(t.substr(0, 4)) &&
               digits(t.substr(5, 2)) && digits(t.substr(8, 2))) {
        y = std::stoi(std::string(t.substr(0, 4)));
        m = std::stoi(std::string(t.substr(5, 2)));
        d = std::stoi(std::string(t.substr(8, 2)));
    } else {
        return core::Error::badInput("tarih gg.aa.yyyy ya da yyyy-aa-gg olmalı: \"" +
                                     std::string(t) + "\"");
    }
    core::Date date{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(m),
                    static_cast<std::uint16_t>(y)};
    if (d < 1 || m < 1 || m > 12 || y < 1801 || !date.isValid())
        return core::Error::badInput("böyle bir tarih yok: \"" + std::string(t) + "\"");
    return date;
}

std::string formatDate(core::Date d) {
    if (!d.isSet()) return {};
    char b[16];
    std::snprintf(b, sizeof b, "%02d.%02d.%04d", d.day, d.month, d.year);
    return b;
}

core::Result<double> parseAmount(std::string_view raw, char sep) {
    const std::string t = core::text::trim(raw);
    auto bad = [&] {
        return core::Error::badInput("tutar sayı değil: \"" + std::string(raw) + "\"");
    };
    if (t.empty()) return 0.0;
    std::string plain = t;
    if (sep == ';') {
        const bool comma = t.find(',') != std::string::npos;
        const auto dot = t.find('.');
        bool grouped = false;
        if (dot != std::string::npos) {
            // Grouping dots: every group after the first has three digits, up to the comma.
            const std::string intPart = comma ? t.substr(0, t.find(',')) : t;
            std::size_t start = intPart[0] == '-' || intPart[0] == '+' ? 1 : 0;
            std::size_t first = intPart.find('.', start);
            grouped = first != std::string::npos && first > start && first - start <= 3;
            for (std::size_t p = first; grouped && p != std::string::npos;) {
                const std::size_t n = intPart.find('.', p + 1);
                const std::size_t end = n == std::string::npos ? intPart.size() : n;
                grouped = end - p - 1 == 3;
                p = n;
            }
            if (comma && !grouped) return bad();
        }
        if (grouped) std::erase(plain, '.');
        if (comma) {
            if (std::count(plain.begin(), plain.end(), ',') != 1) return bad();
            plain[plain.find(',')] = '.';
        }
    }
    for (char c : plain)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) return bad();
    auto v = core::numeric::parse(plain);
    if (!v) return bad();
    return *v;
}

} // namespace hk::vouchers::csv
