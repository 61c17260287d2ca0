#include "expr/rewrite.h"

#include <algorithm>

namespace hk::expr {

namespace {

char fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t findFolded(std::string_view text, std::string_view code) {
    if (code.empty() || code.size() > text.size()) return std::string_view::npos;
    for (std::size_t i = 0; i + code.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < code.size() && fold(text[i + k]) == fold(code[k])) ++k;
        if (k == code.size()) return i;
    }
    return std::string_view::npos;
}

const char* const kMeasures[] = {"TL", "AltBirim", "Doviz"};
const char* const kSides[] = {"Borc", "Alacak"};

std::string upper(std::string s) {
    for (char& c : s) c = fold(c);
    return s;
}

CodeTable makeStatementTokens(bool previous) {
    CodeTable t;
    const std::string ac = previous ? "Ac" : "";
    const std::string o = previous ? "O" : "";
    for (const char* m : kMeasures)
        for (const char* s : kSides)
            t.emplace_back("HSP:" + ac + m + s + "[Bk]", upper(o + "BK" + m));
    for (const char* period : {"Cr", "Km"})
        for (const char* m : kMeasures)
            for (const char* s : kSides)
                t.emplace_back("HSP:" + ac + m + s + "[" + period + "]", upper(o + period + m + s));
    return t;
}

std::string rewriteReferences(std::string_view f, int digits, const ReferenceLookup& lookup) {
    std::string out;
    out.reserve(f.size());
    for (std::size_t i = 0; i < f.size();) {
        bool ref = f[i] == '$' && i + static_cast<std::size_t>(digits) < f.size();
        for (int k = 1; ref && k <= digits; ++k) ref = f[i + k] >= '0' && f[i + k] <= '9';
        if (!ref) {
            out.push_back(f[i++]);
            continue;
        }
        int n = 0;
        for (int k = 1; k <= digits; ++k) n = n * 10 + (f[i + k] - '0');
        const std::optional<std::string> v = lookup ? lookup(n) : std::nullopt;
        if (!v || v->empty()) out.push_back('0');
        else if ((*v)[0] == '-') out += "(" + *v + ")";
        else out += *v;
        i += static_cast<std::size_t>(digits) + 1;
    }
    return out;
}

} // namespace

std::string rewriteFirstOccurrences(std::string_view text, const CodeTable& table) {
    struct Hit {
        std::size_t pos, len;
        const std::string* with;
    };
    std::vector<Hit> hits;
    for (const auto& [code, with] : table) {
        const std::size_t p = findFolded(text, code);
        if (p != std::string_view::npos) hits.push_back(Hit{p, code.size(), &with});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.pos < b.pos; });
    std::string out;
    std::size_t at = 0;
    for (const Hit& h : hits) {
        if (h.pos < at) continue; // overlaps an earlier replacement
        out.append(text.substr(at, h.pos - at));
        out += *h.with;
        at = h.pos + h.len;
    }
    out.append(text.substr(at));
    return out;
}

const CodeTable& statementTokens(StatementField field) {
    static const CodeTable saha = makeStatementTokens(false);
    static const CodeTable osaha = makeStatementTokens(true);
    return field == StatementField::Saha ? saha : osaha;
}

std::string rewriteStatementTokens(std::string_view text, StatementField field) {
    return rewriteFirstOccurrences(text, statementTokens(field));
}

const CodeTable& trialBalanceCodes() {
    static const CodeTable t = [] {
        CodeTable c = {{"HSP:HesapKodu", "XHSP:HESAPKODU"},
                       {"HSP:Ntlk", "XHSP:NTLK"},
                       {"HSP:HesapAd1", "XHSP:HESAPAD1"},
                       {"HSP:HesapAd2", "XHSP:HESAPAD2"}};
        for (const char* period : {"CR", "Km", "Bk"})
            for (const char* m : kMeasures)
                for (const char* s : kSides)
                    c.emplace_back(std::string("HSP:") + m + s + "[" + period + "]",
                                   upper(std::string("XHSP:") + period + m + s));
        return c;
    }();
    return t;
}

std::string rewriteTrialBalanceCodes(std::string_view text) {
    return rewriteFirstOccurrences(text, trialBalanceCodes());
}

const CodeTable& ledgerBalanceCodes() {
    static const CodeTable t = [] {
        CodeTable c;
        for (const char* m : kMeasures)
            for (const char* s : kSides)
                c.emplace_back(std::string("MFD:") + m + s + "[Bk]", upper(std::string("BK") + m + s));
        return c;
    }();
    return t;
}

std::string rewriteLedgerBalanceCodes(std::string_view text) {
    return rewriteFirstOccurrences(text, ledgerBalanceCodes());
}

std::string rewriteLineReferences(std::string_view formula, const ReferenceLookup& lineValue) {
    return rewriteReferences(formula, 3, lineValue);
}

std::string rewriteColumnReferences(std::string_view formula, const ReferenceLookup& columnValue) {
    return rewriteReferences(formula, 2, columnValue);
}

} // namespace hk::expr
