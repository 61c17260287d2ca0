#pragma once
// Voucher identity: fiscal month, day slot, the four key layouts, the company counters that give
// voucher numbers, voucher types and attributes, and the line numbering inside a voucher.
//
// Invariants kept here:
//  - the first two characters of every key are the voucher's fiscal month (01..12);
//  - a counter element only grows through FisNoAl, and no element outside 1..366 is touched;
//  - a number above 32767 is never given (counters and FISNO are SHORT).

#include "core/date.h"
#include "core/result.h"
#include "data/records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hk::vouchers {

inline constexpr int kMaxVoucherNumber = 32767;
inline constexpr std::string_view kNumberingUnset =
    "Yasal Tanımlarda Fiş Numaralama Düzeni Tanımları Yapılmalı..!";

// MONTH(MALIDONEMBAS) - 1 (11 when the period start is not set).
int ayFarki(const data::Yasal& y);
// Fiscal month 1..12 of calendar month 1..12.
int fiscalMonthOfCalendar(int calendarMonth, int ayFarki);
// Calendar month of fiscal month m.
int calendarMonthOfFiscal(int m, int ayFarki);
// Fiscal month of a date inside the company's period, 0 outside it.
int fiscalMonthOfDate(const data::Yasal& y, core::Date d);
// The date of day `day` in fiscal month m (year chosen as the period dictates). Not checked.
core::Date dateInFiscalMonth(const data::Yasal& y, int m, int day);

// Day slot n of (fiscal month m, day d) for daily numbering; may fall outside 1..366.
int daySlot(const data::Yasal& y, int m, int d);

// The voucher type letter ('M', 'A', 'E') of MFB:FISTUR; other letters come back as they are.
char typeLetter(std::string_view fistur);
std::string typeName(char letter); // "Mahsup", "Tahsil", "Tediye"; "" for another letter

// Composes the key by the company's numbering settings. The day slot is used only by daily
// numbering. Empty when the settings are not set.
std::string composeKey(const data::Yasal& y, int m, int slot, char type, int number);
// The fiscal month in the key's first two characters; 0 when they are not digits.
int keyMonth(std::string_view key);

struct Drawn {
    std::int16_t number = 0;
    std::string key;
};
// FisNoAl on the company record held by the caller: advances one counter and composes the key.
// The caller writes the record back. Refusals (nothing counted): numbering settings not set, a
// type letter without a counter, a day slot outside 1..366 (`badSlot` receives it), a counter
// that has reached 32767.
core::Result<Drawn> FisNoAl(data::Yasal& y, int day, int m, std::string_view type,
                            int* badSlot = nullptr);

// Attribute helpers (MFB:FISNTLK). Posting place of a line's attribute.
enum class Place { Opening, Monthly, Closing };
bool isCancelled(std::string_view attribute); // "IPT"
Place placeOf(std::string_view attribute);    // "ACF" opening, "KPF" closing, else monthly

// Line identity: an amount line has ACKNO a multiple of 100.
inline bool isAmountLine(const data::FisDet& l) {
    return l.ACKNO % 100 == 0;
}

} // namespace hk::vouchers
