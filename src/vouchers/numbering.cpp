#include "vouchers/numbering.h"

#include "core/text.h"

#include <cstdio>

namespace hk::vouchers {

namespace text = core::text;

int ayFarki(const data::Yasal& y) {
    return y.MALIDONEMBAS.month == 0 ? 11 : y.MALIDONEMBAS.month - 1;
}

int fiscalMonthOfCalendar(int c, int af) {
    int m = c - af;
    if (m <= 0) m += 12;
    return m;
}

int calendarMonthOfFiscal(int m, int af) {
    int c = m + af;
    if (c > 12) c -= 12;
    return c;
}

int fiscalMonthOfDate(const data::Yasal& y, core::Date d) {
    if (!d.isSet() || !d.isValid() || d < y.MALIDONEMBAS || d > y.MALIDONEMSON) return 0;
    return fiscalMonthOfCalendar(d.month, ayFarki(y));
}

core::Date dateInFiscalMonth(const data::Yasal& y, int m, int day) {
    const int c = calendarMonthOfFiscal(m, ayFarki(y));
    const int year = c >= y.MALIDONEMBAS.month ? y.MALIDONEMBAS.year : y.MALIDONEMSON.year;
    return core::Date::make(c, day, year);
}

int daySlot(const data::Yasal& y, int m, int d) {
    // As the numbering has always counted it: the fiscal month number stands in the month place
    // of DATE(). For a January start this is the day of the year; for other starts each (m, d)
    // pair still gets its own slot.
    const int year = m >= y.MALIDONEMBAS.month ? y.MALIDONEMBAS.year : y.MALIDONEMSON.year;
    return core::Date::make(m, d, year).dayNumber() - y.MALIDONEMBAS.dayNumber() + 1;
}

char typeLetter(std::string_view fistur) {
    const std::string t = text::trim(fistur);
    return t.empty() ? ' ' : t[0];
}

std::string typeName(char letter) {
    switch (letter) {
    case 'M': return "Mahsup";
    case 'A': return "Tahsil";
    case 'E': return "Tediye";
    default: return {};
    }
}

namespace {
std::string digits(long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*ld", width, v);
    return buf;
}
bool monthly(const data::Yasal& y) {
    return text::clip(y.FISNOSIRASI) == "A";
}
bool daily(const data::Yasal& y) {
    return text::clip(y.FISNOSIRASI) == "G";
}
bool together(const data::Yasal& y) {
    return text::clip(y.FISNUMARALAMADUZENI) == "B";
}
bool apart(const data::Yasal& y) {
    return text::clip(y.FISNUMARALAMADUZENI) == "A";
}
} // namespace

std::string composeKey(const data::Yasal& y, int m, int slot, char type, int number) {
    if (monthly(y) && together(y)) return digits(m, 2) + digits(number, 8);
    if (monthly(y) && apart(y)) return digits(m, 2) + std::string(1, type) + digits(number, 7);
    if (daily(y) && together(y)) return digits(m, 2) + digits(slot, 3) + digits(number, 5);
    if (daily(y) && apart(y))
        return digits(m, 2) + digits(slot, 3) + std::string(1, type) + digits(number, 4);
    return {};
}

int keyMonth(std::string_view key) {
    if (key.size() < 2 || key[0] < '0' || key[0] > '9' || key[1] < '0' || key[1] > '9') return 0;
    return (key[0] - '0') * 10 + (key[1] - '0');
}

core::Result<Drawn> FisNoAl(data::Yasal& y, int day, int m, std::string_view type,
                            int* badSlot) {
    if (!(monthly(y) || daily(y)) || !(together(y) || apart(y)))
        return core::Error::refused(std::string(kNumberingUnset));
    if (m < 1 || m > 12)
        return core::Error::refused("Fiş ayı 1 ile 12 arasında olmalı: " + std::to_string(m));
    int slot = m;
    if (daily(y)) {
        slot = daySlot(y, m, day);
        if (slot < 1 || slot > 366) {
            // The slot lies outside the counters (a day before the period's first day): no
            // number can be given for that date, so the save is refused.
            if (badSlot) *badSlot = slot;
            return core::Error::refused(
                "Fiş tarihi mali dönemin numaralanan günleri dışında (gün sırası " +
                std::to_string(slot) + "): fiş numarası verilemez.");
        }
    }
    const char letter = typeLetter(type);
    std::array<std::int16_t, 366>* counter = &y.MAHSUPNUMARATOR;
    if (apart(y)) {
        switch (letter) {
        case 'M': counter = &y.MAHSUPNUMARATOR; break;
        case 'A': counter = &y.TAHSILNUMARATOR; break;
        case 'E': counter = &y.TEDIYENUMARATOR; break;
        default:
            return core::Error::refused("Fiş türü Mahsup, Tahsil ya da Tediye olmalı: \"" +
                                        std::string(type) + "\"");
        }
    }
    auto& c = data::element(*counter, slot);
    if (c >= kMaxVoucherNumber)
        // The counters and the voucher number are SHORT: one more number would wrap.
        return core::Error::refused("Bu dönemde fiş numarası " +
                                    std::to_string(kMaxVoucherNumber) +
                                    " sınırına ulaştı: yeni fiş numarası verilemez.");
    if (c < 0) c = 0;
    ++c;
    Drawn d;
    d.number = c;
    d.key = composeKey(y, m, slot, letter, c);
    return d;
}

bool isCancelled(std::string_view attribute) {
    return text::clip(attribute) == "IPT";
}

Place placeOf(std::string_view attribute) {
    const std::string a = text::clip(attribute);
    if (a == "ACF") return Place::Opening;
    if (a == "KPF") return Place::Closing;
    return Place::Monthly;
}

} // namespace hk::vouchers
