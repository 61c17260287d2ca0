#pragma once
// Typed parameters of procedures. A procedure declares each choice it takes once, in its
// ProcedureSpec: name (the command-line flag without dashes), kind, meaning, default, whether it
// is required, and the caption an option window shows. From the declarations
//   - the command line parses and checks every value before the procedure runs (one wording per
//     kind, naming the flag), and refuses an unknown flag;
//   - `hesapkar-cli help COMMAND` lists them;
//   - option windows take their defaults and checks from them;
//   - the procedure reads values already checked: o.month("month"), o.yesNo("empty"), ...
//
// Report destinations are one parameter kind of their own (Outputs, below): --pdf, --txt,
// --raw with --kind, --queue, --xlsx, --encoding are parsed, checked and opened in one place.

#include "core/date.h"
#include "core/result.h"
#include "output/printer.h"
#include "output/textfile.h"

#include <string>
#include <utility>
#include <vector>

namespace hk::app {

enum class ParamKind {
    Month,        // fiscal month 1..12
    MonthRange,   // A-B (or A), 1 <= A <= B <= 12
    MonthList,    // 1,2,5 or 1-3 or 1-3,7: fiscal months, each once, in ascending order
    Date,         // gg.aa.yyyy
    DateRange,    // D1-D2 (or D), D1 <= D2
    YesNo,        // E or H
    Account,      // an account code of the chart (checked against it when the data set is open)
    Integer,      // whole number within [min, max]
    Number,       // decimal number ("12.5" or "12,5") within [min, max] when a range is set
    Text,         // at most maxLength characters of the Turkish code page
    Letter,       // one word out of `choices` (letters or short words such as NPQ|LPQ)
    InputFile,    // a file that exists
    OutputFolder, // a folder (made when it does not exist)
    OutputFile,   // a file to write (its folder must exist)
    Switch,       // a flag without a value
};

struct Param {
    std::string name;    // flag without dashes: "month"
    ParamKind kind = ParamKind::Text;
    std::string meaning; // one line for `help COMMAND`
    std::string defaultValue; // as it would be typed; empty = none
    bool required = false;
    std::string caption; // the option window's label
    long long min = 0, max = 0;       // Integer, Number: range (min == max == 0: any)
    int maxLength = 0;                // Text: most characters (0: any)
    std::vector<std::string> choices; // Letter: the accepted words, matched without regard to case
    bool detailOnly = false;          // Account: only a detail ("M") account
    bool mustExist = true;            // Account: must be in the chart

    Param& requiredParam() {
        required = true;
        return *this;
    }
    Param& withDefault(std::string v) {
        defaultValue = std::move(v);
        return *this;
    }
    Param& withCaption(std::string c) {
        caption = std::move(c);
        return *this;
    }
    Param& anyCode() { // Account: a code that need not be in the chart (a range's end)
        mustExist = false;
        return *this;
    }
};

// Declarations, one per kind.
namespace param {
Param month(std::string name, std::string meaning);
Param monthRange(std::string name, std::string meaning);
Param monthList(std::string name, std::string meaning);
Param date(std::string name, std::string meaning);
Param dateRange(std::string name, std::string meaning);
Param yesNo(std::string name, std::string meaning, std::string fallback = {});
Param account(std::string name, std::string meaning, bool detailOnly = false);
Param integer(std::string name, std::string meaning, long long min, long long max,
              std::string fallback = {});
Param number(std::string name, std::string meaning, long long min = 0, long long max = 0,
             std::string fallback = {});
Param text(std::string name, std::string meaning, int maxLength, std::string fallback = {});
// `choices` separated by "|": "T|D|A", "TL|ALTBIRIM|DOVIZ".
Param letter(std::string name, std::string meaning, const std::string& choices,
             std::string fallback = {});
Param inputFile(std::string name, std::string meaning);
Param outputFolder(std::string name, std::string meaning);
Param outputFile(std::string name, std::string meaning);
Param flag(std::string name, std::string meaning);
} // namespace param

// The word `help` shows for a kind ("ay", "A-B", "gg.aa.yyyy", ...).
std::string kindWord(const Param& p);

// Checks one value against its declaration: the one message of the kind, naming the flag. The
// account's presence in the chart is checked later, against the data set (checkAccounts).
[[nodiscard]] core::Status checkValue(const Param& p, const std::string& value);

// The declared choice a Letter value matches (case aside), or null.
const std::string* choiceOf(const Param& p, const std::string& value);

// Parsed forms of checked values (the value is assumed to have passed checkValue; an unreadable
// one gives the zero of its type).
int monthOf(const std::string& v);
std::pair<int, int> monthRangeOf(const std::string& v);
std::vector<int> monthListOf(const std::string& v);
core::Date dateOf(const std::string& v);
std::pair<core::Date, core::Date> dateRangeOf(const std::string& v);
bool yesNoOf(const std::string& v);
long long integerOf(const std::string& v);
double numberOf(const std::string& v);

// ----- Report destinations -----------------------------------------------------------------

// Which destinations a report offers (a bit set). Preview is the desktop program's; the command
// line offers the others.
enum Output : unsigned {
    Preview = 1u << 0,
    Pdf = 1u << 1,
    Txt = 1u << 2,   // --txt FILE|-
    Raw = 1u << 3,   // --raw FILE --kind NPQ|LPQ
    Queue = 1u << 4, // --queue NAME [--kind NPQ|LPQ]
    Xlsx = 1u << 5,
};
using Outputs = unsigned;
// What most printed reports offer.
constexpr Outputs kPrintOutputs = Preview | Pdf | Txt | Raw | Queue;

enum class Destination { None, Preview, Pdf, Txt, Raw, Queue, Xlsx };

// The destination a run was given, checked.
struct OutputChoice {
    Destination destination = Destination::None;
    std::string path;  // Pdf, Txt ("-" = standard output), Raw, Xlsx
    std::string queue; // Queue
    output::PrinterKind kind = output::PrinterKind::Ordinary; // Raw, Queue: NPQ or LPQ
    // Txt: a file keeps the text files' own code page (cp1254, CR LF); standard output is UTF-8
    // so a terminal shows Turkish letters; --encoding chooses explicitly.
    output::TextEncoding encoding = output::TextEncoding::Cp1254;
    bool toStdout() const { return destination == Destination::Txt && path == "-"; }
};

// The flags of the destinations `outs` offers, as parseCommandLine takes them.
std::vector<Param> outputParams(Outputs outs);

} // namespace hk::app
