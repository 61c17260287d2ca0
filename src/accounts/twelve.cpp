#include "accounts/twelve.h"

#include "core/text.h"

namespace hk::accounts {

std::string fiscalMonthLabel(int k, const std::array<std::string, 12>& monthNames, int ayFarki) {
    int cal = ayFarki + k;
    while (cal > 12) cal -= 12;
    while (cal < 1) cal += 12;
    const std::string& name = monthNames[static_cast<std::size_t>(cal - 1)];
    if (ayFarki % 12 == 0) return std::to_string(k) + "." + name;
    return name;
}

std::string twelveMonthTitle(const data::HsPlan& a) {
    return "12 Aylık Mizan   [" + core::text::clip(a.HESAPKODU) + " " +
           core::text::clip(a.HESAPAD1) + " " + core::text::clip(a.HESAPAD2) + "]";
}

std::vector<TwelveMonthRow> twelveMonths(const data::HsPlan& a, Measure m,
                                         const std::array<std::string, 12>& monthNames,
                                         int ayFarki) {
    double openD = 0, openC = 0, closeD = 0, closeC = 0;
    const std::array<double, 12>*monthD = nullptr, *monthC = nullptr;
    switch (m) {
    case Measure::TL:
        openD = a.ACTLBORC, openC = a.ACTLALACAK, closeD = a.KPTLBORC, closeC = a.KPTLALACAK;
        monthD = &a.TLBORC, monthC = &a.TLALACAK;
        break;
    case Measure::Currency:
        openD = a.ACDOVIZBORC, openC = a.ACDOVIZALACAK, closeD = a.KPDOVIZBORC,
        closeC = a.KPDOVIZALACAK;
        monthD = &a.DOVIZBORC, monthC = &a.DOVIZALACAK;
        break;
    case Measure::SubUnit:
        openD = a.ACALTBIRIMBORC, openC = a.ACALTBIRIMALACAK, closeD = a.KPALTBIRIMBORC,
        closeC = a.KPALTBIRIMALACAK;
        monthD = &a.ALTBIRIMBORC, monthC = &a.ALTBIRIMALACAK;
        break;
    }
    std::vector<TwelveMonthRow> rows;
    double cumD = 0, cumC = 0;
    auto add = [&](std::string label, double d, double c) {
        cumD += d;
        cumC += c;
        rows.push_back({std::move(label), d, c, d - c, cumD, cumC, cumD - cumC});
    };
    add("Açılış", openD, openC);
    for (int k = 1; k <= 12; ++k)
        add(fiscalMonthLabel(k, monthNames, ayFarki), data::month(*monthD, k),
            data::month(*monthC, k));
    add("Kapanış", closeD, closeC);
    return rows;
}

} // namespace hk::accounts
