#include "app/params.h"

#include "core/picture.h"
#include "core/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace hk::app {

using core::Error;
using core::Status;
namespace text = core::text;

namespace param {

namespace {
Param make(std::string name, ParamKind kind, std::string meaning, std::string fallback = {}) {
    Param p;
    p.name = std::move(name);
    p.kind = kind;
    p.meaning = std::move(meaning);
    p.defaultValue = std::move(fallback);
    return p;
}
} // namespace

Param month(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::Month, std::move(meaning));
}
Param monthRange(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::MonthRange, std::move(meaning));
}
Param monthList(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::MonthList, std::move(meaning));
}
Param date(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::Date, std::move(meaning));
}
Param dateRange(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::DateRange, std::move(meaning));
}
Param yesNo(std::string name, std::string meaning, std::string fallback) {
    return make(std::move(name), ParamKind::YesNo, std::move(meaning), std::move(fallback));
}
Param account(std::string name, std::string meaning, bool detailOnly) {
    Param p = make(std::move(name), ParamKind::Account, std::move(meaning));
    p.detailOnly = detailOnly;
    return p;
}
Param integer(std::string name, std::string meaning, long long min, long long max,
              std::string fallback) {
    Param p = make(std::move(name), ParamKind::Integer, std::move(meaning), std::move(fallback));
    p.min = min;
    p.max = max;
    return p;
}
Param number(std::string name, std::string meaning, long long min, long long max,
             std::string fallback) {
    Param p = make(std::move(name), ParamKind::Number, std::move(meaning), std::move(fallback));
    p.min = min;
    p.max = max;
    return p;
}
Param text(std::string name, std::string meaning, int maxLength, std::string fallback) {
    Param p = make(std::move(name), ParamKind::Text, std::move(meaning), std::move(fallback));
    p.maxLength = maxLength;
    return p;
}
Param letter(std::string name, std::string meaning, const std::string& choices,
             std::string fallback) {
    Param p = make(std::move(name), ParamKind::Letter, std::move(meaning), std::move(fallback));
    std::size_t start = 0;
    while (start <= choices.size()) {
        const auto bar = choices.find('|', start);
        const std::string w = choices.substr(start, bar == std::string::npos ? bar : bar - start);
        if (!w.empty()) p.choices.push_back(w);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return p;
}
Param inputFile(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::InputFile, std::move(meaning));
}
Param outputFolder(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::OutputFolder, std::move(meaning));
}
Param outputFile(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::OutputFile, std::move(meaning));
}
Param flag(std::string name, std::string meaning) {
    return make(std::move(name), ParamKind::Switch, std::move(meaning));
}

} // namespace param

std::string kindWord(const Param& p) {
    switch (p.kind) {
    case ParamKind::Month: return "AY";
    case ParamKind::MonthRange: return "A-B";
    case ParamKind::MonthList: return "AYLAR";
    case ParamKind::Date: return "gg.aa.yyyy";
    case ParamKind::DateRange: return "T1-T2";
    case ParamKind::YesNo: return "E|H";
    case ParamKind::Account: return "KOD";
    case ParamKind::Integer: return "N";
    case ParamKind::Number: return "SAYI";
    case ParamKind::Text: return "METİN";
    case ParamKind::Letter: {
        std::string s;
        for (const auto& c : p.choices) s += (s.empty() ? "" : "|") + c;
        return s;
    }
    case ParamKind::InputFile: return "DOSYA";
    case ParamKind::OutputFolder: return "KLASÖR";
    case ParamKind::OutputFile: return "DOSYA";
    case ParamKind::Switch: return "";
    }
    return "";
}

namespace {

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A month number "1".."12", else -1.
int monthNumber(const std::string& s) {
    const std::string t = text::trim(s);
    if (t.size() > 2 || !allDigits(t)) return -1;
    const int m = std::stoi(t);
    return m >= 1 && m <= 12 ? m : -1;
}

std::optional<core::Date> parseDate(const std::string& s) {
    auto d = core::picture::deformatDate(text::trim(s), "d6");
    if (!d || !d->isSet() || !d->isValid()) return std::nullopt;
    return *d;
}

std::optional<long long> parseInteger(const std::string& s) {
    const std::string t = text::trim(s);
    std::size_t i = (!t.empty() && (t[0] == '-' || t[0] == '+')) ? 1 : 0;
    if (t.size() > 18 || !allDigits(std::string_view(t).substr(i))) return std::nullopt;
    return std::stoll(t);
}

std::optional<double> parseNumber(const std::string& s) {
    std::string t = text::trim(s);
    std::replace(t.begin(), t.end(), ',', '.');
    if (t.empty() || t.size() > 40) return std::nullopt;
    std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    bool dot = false, digit = false;
    for (; i < t.size(); ++i) {
        if (t[i] == '.') {
            if (dot) return std::nullopt;
            dot = true;
        } else if (t[i] >= '0' && t[i] <= '9') {
            digit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    return std::strtod(t.c_str(), nullptr);
}

// The months of a list "1,2,5", "1-3", "1-3,7"; empty when it cannot be read.
std::vector<int> parseMonthList(const std::string& v, std::string* why) {
    std::vector<int> months;
    std::size_t start = 0;
    const std::string s = text::trim(v);
    if (s.empty()) {
        if (why) *why = "boş";
        return {};
    }
    while (true) {
        const auto comma = s.find(',', start);
        const std::string item = s.substr(start, comma == std::string::npos ? comma : comma - start);
        const auto dash = item.find('-');
        const int a = monthNumber(item.substr(0, dash));
        const int b = dash == std::string::npos ? a : monthNumber(item.substr(dash + 1));
        if (a < 0 || b < 0) {
            if (why) *why = "ay";
            return {};
        }
        if (a > b) {
            if (why) *why = "aralık";
            return {};
        }
        for (int m = a; m <= b; ++m) {
            if (std::find(months.begin(), months.end(), m) != months.end()) {
                if (why) *why = "tekrar";
                return {};
            }
            months.push_back(m);
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(months.begin(), months.end());
    return months;
}

std::string quoted(const std::string& v) { return "\"" + v + "\""; }

} // namespace

const std::string* choiceOf(const Param& p, const std::string& v) {
    const std::string t = text::upperTr(text::trim(v));
    for (const auto& c : p.choices)
        if (text::upperTr(c) == t) return &c;
    return nullptr;
}

Status checkValue(const Param& p, const std::string& v) {
    const std::string flag = "--" + p.name;
    switch (p.kind) {
    case ParamKind::Month:
        if (monthNumber(v) < 0)
            return Error::badInput(flag + " 1 ile 12 arasında bir ay olmalı: " + quoted(v));
        return {};
    case ParamKind::MonthRange: {
        const auto dash = v.find('-');
        const int a = monthNumber(v.substr(0, dash));
        const int b = dash == std::string::npos ? a : monthNumber(v.substr(dash + 1));
        if (a < 0 || b < 0)
            return Error::badInput(flag + " 1 ile 12 arasında A-B olmalı: " + quoted(v));
        if (a > b) return Error::badInput(flag + " boş bir aralık: " + quoted(v));
        return {};
    }
    case ParamKind::MonthList: {
        std::string why;
        if (parseMonthList(v, &why).empty())
            return Error::badInput(flag + " 1 ile 12 arasında aylar olmalı (3,4 ya da 1-12; her ay "
                                   "bir kez): " + quoted(v));
        return {};
    }
    case ParamKind::Date:
        if (!parseDate(v))
            return Error::badInput(flag + " gg.aa.yyyy biçiminde bir tarih olmalı: " + quoted(v));
        return {};
    case ParamKind::DateRange: {
        const auto dash = v.find('-');
        auto a = parseDate(v.substr(0, dash));
        auto b = dash == std::string::npos ? a : parseDate(v.substr(dash + 1));
        if (!a || !b)
            return Error::badInput(flag + " gg.aa.yyyy biçiminde bir tarih olmalı: " + quoted(v));
        if (a->dayNumber() > b->dayNumber())
            return Error::badInput(flag + " boş bir aralık: " + quoted(v));
        return {};
    }
    case ParamKind::YesNo: {
        const std::string t = text::upperTr(text::trim(v));
        if (t != "E" && t != "H") return Error::badInput(flag + " E ya da H olmalı: " + quoted(v));
        return {};
    }
    case ParamKind::Account: {
        const std::string t = text::trim(v);
        if (!text::isCp1254(t) || text::length(t) > 18)
            return Error::badInput("Hesap kodu en çok 18 karakter olmalı: " + quoted(t));
        return {};
    }
    case ParamKind::Integer: {
        auto n = parseInteger(v);
        if (!n) return Error::badInput(flag + " bir tam sayı olmalı: " + quoted(v));
        if ((p.min != 0 || p.max != 0) && (*n < p.min || *n > p.max))
            return Error::badInput(flag + " " + std::to_string(p.min) + " ile " +
                                   std::to_string(p.max) + " arasında olmalı: " + v);
        return {};
    }
    case ParamKind::Number: {
        auto n = parseNumber(v);
        if (!n) return Error::badInput(flag + " bir sayı olmalı: " + quoted(v));
        if ((p.min != 0 || p.max != 0) && (*n < double(p.min) || *n > double(p.max)))
            return Error::badInput(flag + " " + std::to_string(p.min) + " ile " +
                                   std::to_string(p.max) + " arasında olmalı: " + v);
        return {};
    }
    case ParamKind::Text:
        if (!text::isCp1254(v))
            return Error::badInput(flag + " Türkçe kod sayfasında olmayan bir karakter içeriyor: " +
                                   quoted(v));
        if (p.maxLength > 0 && text::length(v) > std::size_t(p.maxLength))
            return Error::badInput(flag + " en çok " + std::to_string(p.maxLength) +
                                   " karakter olmalı: " + quoted(v));
        return {};
    case ParamKind::Letter: {
        if (!choiceOf(p, v)) {
            std::string list;
            for (std::size_t i = 0; i < p.choices.size(); ++i)
                list += (i == 0 ? "" : i + 1 == p.choices.size() ? " ya da " : ", ") + p.choices[i];
            return Error::badInput(flag + " " + list + " olmalı: " + quoted(v));
        }
        return {};
    }
    case ParamKind::InputFile: {
        std::error_code ec;
        if (v.empty() || !std::filesystem::is_regular_file(v, ec))
            return Error::badInput(flag + " dosyası bulunamadı: " + v, v);
        return {};
    }
    case ParamKind::OutputFolder: {
        std::error_code ec;
        if (v.empty()) return Error::badInput(flag + " bir klasör adı ister");
        if (std::filesystem::exists(v, ec) && !std::filesystem::is_directory(v, ec))
            return Error::badInput(flag + " bir klasör olmalı: " + v, v);
        return {};
    }
    case ParamKind::OutputFile: {
        if (v.empty()) return Error::badInput(flag + " bir dosya adı ister");
        std::error_code ec;
        if (v != "-" && std::filesystem::is_directory(v, ec))
            return Error::badInput(flag + " bir klasör; bir dosya adı verin: " + v, v);
        return {};
    }
    case ParamKind::Switch: return {};
    }
    return {};
}

int monthOf(const std::string& v) { return std::max(0, monthNumber(v)); }

std::pair<int, int> monthRangeOf(const std::string& v) {
    const auto dash = v.find('-');
    const int a = monthNumber(v.substr(0, dash));
    const int b = dash == std::string::npos ? a : monthNumber(v.substr(dash + 1));
    if (a < 0 || b < 0 || a > b) return {0, 0};
    return {a, b};
}

std::vector<int> monthListOf(const std::string& v) { return parseMonthList(v, nullptr); }

core::Date dateOf(const std::string& v) {
    auto d = parseDate(v);
    return d ? *d : core::Date{};
}

std::pair<core::Date, core::Date> dateRangeOf(const std::string& v) {
    const auto dash = v.find('-');
    auto a = parseDate(v.substr(0, dash));
    auto b = dash == std::string::npos ? a : parseDate(v.substr(dash + 1));
    if (!a || !b) return {};
    return {*a, *b};
}

bool yesNoOf(const std::string& v) { return text::upperTr(text::trim(v)) == "E"; }

long long integerOf(const std::string& v) {
    auto n = parseInteger(v);
    return n ? *n : 0;
}

double numberOf(const std::string& v) {
    auto n = parseNumber(v);
    return n ? *n : 0.0;
}

std::vector<Param> outputParams(Outputs outs) {
    std::vector<Param> ps;
    if (outs & Pdf) ps.push_back(param::outputFile("pdf", "PDF dosyasına yaz"));
    if (outs & Txt) {
        ps.push_back(param::outputFile("txt", "metin dosyasına yaz (\"-\": standart çıktıya, UTF-8)"));
        ps.push_back(param::letter("encoding", "metin çıktısının kod sayfası", "cp1254|utf8"));
    }
    if (outs & Raw) ps.push_back(param::outputFile("raw", "yazıcıya gidecek baytları dosyaya yaz"));
    if (outs & Queue) ps.push_back(param::text("queue", "baskı kuyruğuna gönder", 0));
    if (outs & (Raw | Queue))
        ps.push_back(param::letter("kind", "yazıcı türü (--raw, --queue ile)", "NPQ|LPQ"));
    if (outs & Xlsx) ps.push_back(param::outputFile("xlsx", "Excel çalışma kitabına yaz"));
    return ps;
}

} // namespace hk::app
