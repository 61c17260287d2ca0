#include "vouchers/worklines.h"

#include "core/numeric.h"
#include "core/text.h"
#include "vouchers/numbering.h"

#include <algorithm>

namespace hk::vouchers {

void orderLines(Lines& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
        return a.FISSIRANO != b.FISSIRANO ? a.FISSIRANO < b.FISSIRANO : a.ACKNO < b.ACKNO;
    });
}

void insertLine(Lines& lines, data::FisDet line, int current, bool keepAckNo) {
    const int no = current + 1;
    line.FISSIRANO = static_cast<std::int16_t>(no);
    if (!keepAckNo) line.ACKNO = no * 100;
    const bool taken = std::any_of(lines.begin(), lines.end(),
                                   [&](const auto& l) { return l.FISSIRANO == no; });
    if (taken)
        for (auto& l : lines)
            if (l.FISSIRANO >= no) {
                ++l.FISSIRANO;
                l.ACKNO = l.FISSIRANO * 100 + l.ACKNO % 100;
            }
    lines.push_back(std::move(line));
    orderLines(lines);
}

void removeLine(Lines& lines, int fissirano) {
    std::erase_if(lines, [&](const auto& l) { return l.FISSIRANO == fissirano; });
}

std::array<std::string, 10> descriptionsOf(const Lines& lines, std::int32_t ackno) {
    std::array<std::string, 10> out;
    for (const auto& l : lines) {
        const int j = static_cast<int>(l.ACKNO - ackno);
        if (j >= 1 && j <= 10 && l.ACKNO / 100 == ackno / 100)
            out[static_cast<std::size_t>(j - 1)] = l.FISACK;
    }
    return out;
}

void setDescriptions(Lines& lines, std::int32_t ackno, const std::array<std::string, 10>& slots) {
    auto base = std::find_if(lines.begin(), lines.end(),
                             [&](const auto& l) { return l.ACKNO == ackno; });
    if (base == lines.end()) return;
    const data::FisDet amount = *base;
    std::erase_if(lines, [&](const auto& l) {
        return l.ACKNO != ackno && l.ACKNO / 100 == ackno / 100 && l.FISSIRANO == amount.FISSIRANO;
    });
    for (int j = 1; j <= 10; ++j) {
        const std::string& t = slots[static_cast<std::size_t>(j - 1)];
        if (core::text::clip(t).empty()) continue;
        data::FisDet d;
        d.KEYSTR = amount.KEYSTR;
        d.FISSIRANO = amount.FISSIRANO;
        d.ACKNO = ackno + j;
        d.FISACK = core::text::clip(t);
        d.HESAPKODU = amount.HESAPKODU;
        d.BORCALACAK = amount.TLBORC != 0 ? "B" : "A";
        lines.push_back(std::move(d));
    }
    orderLines(lines);
}

void sortLines(Lines& lines, bool debitDescending) {
    Lines debit, credit, extra;
    for (auto& l : lines) {
        if (!isAmountLine(l)) extra.push_back(l);
        else if (l.TLBORC != 0) debit.push_back(l);
        else credit.push_back(l);
    }
    auto byCode = [](bool desc) {
        return [desc](const data::FisDet& a, const data::FisDet& b) {
            const int c = core::text::compare(a.HESAPKODU, b.HESAPKODU, true);
            return desc ? c > 0 : c < 0;
        };
    };
    std::stable_sort(debit.begin(), debit.end(), byCode(debitDescending));
    std::stable_sort(credit.begin(), credit.end(), byCode(false));
    Lines out;
    int k = 0;
    auto emit = [&](const Lines& list) {
        for (const auto& a : list) {
            ++k;
            data::FisDet n = a;
            n.FISSIRANO = static_cast<std::int16_t>(k);
            n.ACKNO = k * 100;
            out.push_back(n);
            for (const auto& e : extra)
                if (e.ACKNO / 100 == a.ACKNO / 100) {
                    data::FisDet d = e;
                    d.FISSIRANO = static_cast<std::int16_t>(k);
                    d.ACKNO = k * 100 + e.ACKNO % 100;
                    out.push_back(d);
                }
        }
    };
    emit(debit);
    emit(credit);
    orderLines(out);
    lines = std::move(out);
}

LineTotals totalsOf(const Lines& lines) {
    LineTotals t;
    for (const auto& l : lines) {
        t.tlDebit += l.TLBORC;
        t.tlCredit += l.TLALACAK;
        t.fxDebit += l.DOVIZBORC;
        t.fxCredit += l.DOVIZALACAK;
        if (isAmountLine(l)) ++t.count;
    }
    return t;
}

VatSplit splitVat(double gross, double rate) {
    VatSplit s;
    s.net = core::numeric::roundToStep(gross / (1.0 + rate / 100.0), 0.01);
    s.vat = core::numeric::round(gross - s.net, 2);
    return s;
}

int lastLineNumber(const Lines& lines) {
    int n = 0;
    for (const auto& l : lines) n = std::max<int>(n, l.FISSIRANO);
    return n;
}

} // namespace hk::vouchers
