#pragma once
// Display pictures: FORMAT(value, picture) and DEFORMAT(text, picture). A picture may carry a
// leading '@' (as report definitions store it); letters are case-insensitive.
//
// Numbers  n[sign][fill]width[grouping][decimal-mark decimals][sign][b]
//   sign      '-' leading minus (also the default), '(' ... ')' parentheses, a trailing '-' after
//             the decimals puts the minus behind the number. Positions for ')' or a trailing '-'
//             stay blank on values that are not negative, so digits line up in a column.
//   fill      '0' zero-filled, '_' blank-filled, '*' asterisk-filled; any fill drops the
//             thousands grouping unless a grouping character is given; no fill = blanks with
//             grouping.
//   grouping  ',' by default; a grouping character after the width ('.', '-', '_' = blank)
//             replaces it. A '.' grouping turns the decimal mark into ','.
//   decimals  '.' mark and count ("n18.2"); '`' gives a ',' mark; 'v' an implied mark (digits
//             only).
//   b         blank (the picture's width in blanks) when the value rounds to zero.
//   Amounts therefore print as 1,234,567.89 in "n18.2" and 1234567.89 in "n_14.2".
//   A value that does not fit the width shows the whole width as '#', never a cut number.
// Dates    d[0]style[separator][b] — the value is a day number; a date that is not set is blank.
//   style 1 mm/dd/yy, 2 mm/dd/yyyy, 5 dd/mm/yy, 6 dd/mm/yyyy, 9 yy/mm/dd, 10 yyyy/mm/dd,
//   11 yymmdd, 12 yyyymmdd, 13 mm/yy, 14 mm/yyyy, 15 yy/mm, 16 yyyy/mm, 17 the Turkish short date
//   dd.mm.yyyy, 18 the Turkish long date ("29 Şubat 2016 Pazartesi").
//   separator '.' (the default, as Turkish dates are written), '/', '-', ',' or '_' for a blank.
//   Without the '0' the leading zero of the first day or month part becomes a blank, so the text
//   keeps its width (" 5.03.2016"); with it the part is zero-filled ("05.03.2016").
// Times    t[0]style[b] — the value is a clock value (hundredths since midnight + 1):
//   1 hh:mm, 2 hhmm, 3 hh:mmAM, 4 hh:mm:ss, 5 hhmmss, 6 hh:mm:ssAM.
// Texts    s width — cut or padded with blanks to width characters.
// Patterns p...p[b] — '#' a digit, '<' a digit shown blank while only zeros stand before it,
//   everything else literal; the value's integer digits fill the digit places from the right
//   ("P(###)-#######PB").

#include "core/date.h"
#include "core/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hk::core::picture {

enum class Kind { number, date, time, text, pattern };

struct Picture {
    Kind kind = Kind::text;
    int width = 0; // characters of the formatted text (0 for a text picture without width)
    bool blankWhenZero = false;
    // numbers
    int decimals = 0;
    char fill = ' ';        // ' ', '0' or '*'
    char grouping = 0;      // 0 = none
    char decimalMark = '.'; // 0 = implied
    enum class Sign { leading, parentheses, trailing } sign = Sign::leading;
    // dates and times
    int style = 0;
    bool zeroFilled = false;
    char separator = '.';
    // patterns
    std::string pattern;
};

// Parses a picture; refuses an unknown or malformed one with an error naming it.
Result<Picture> parse(std::string_view picture);

// FORMAT of a number (for a date or time picture: a day number or clock value).
Result<std::string> formatChecked(double value, std::string_view picture);
// FORMAT of a text: a text picture cuts or pads it; other pictures read it as a plain number
// (blank = 0) and refuse anything else.
Result<std::string> formatChecked(std::string_view text, std::string_view picture);

// Convenience forms for pictures the program itself supplies. An invalid picture gives "???",
// a text that is not a number under a number picture gives '#' across the width: never a
// plausible-looking wrong value.
std::string format(double value, std::string_view picture);
std::string format(const Date& date, std::string_view picture);
std::string format(std::string_view text, std::string_view picture);
// The same with a picture parsed once, for code that formats many values with one picture.
std::string format(double value, const Picture& picture);
std::string format(std::string_view text, const Picture& picture);
// FORMAT of the exact decimal units / 10^scale (scale 0..18) under a number picture, without a
// binary round trip: the digits are those of the decimal itself, rounded to the picture's
// decimals with halves away from zero. Equal to format(double) of the same value whenever the
// value has at most 15 significant digits (every such decimal reads back from its double
// unchanged). "???" for a picture that is not a number picture.
std::string formatScaled(std::int64_t units, int scale, const Picture& picture);
// The same appended to `out`, for code that lays out a line of many amounts.
void appendScaled(std::string& out, std::int64_t units, int scale, const Picture& picture);

// DEFORMAT: the value behind a formatted text. Numbers accept what the picture prints (grouping
// only in the integer part, the picture's decimal mark, '-' or parentheses) and plain decimal
// text; dates accept the picture's own layout (blank = no date, 0); texts come back unchanged.
// The result is the plain value as text: "-1234.56", a day number "78590", a clock value, or the
// text itself. Digits typed beyond the picture's decimals are kept: rounding a typed amount is the
// caller's decision, not a side effect of reading it.
Result<std::string> deformat(std::string_view text, std::string_view picture);
// Typed forms: a number (day number for a date picture, clock value for a time picture).
Result<double> deformatNumber(std::string_view text, std::string_view picture);
Result<Date> deformatDate(std::string_view text, std::string_view picture);

} // namespace hk::core::picture
