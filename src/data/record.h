#pragma once
// A record buffer of any layout, addressed by field name or index: what version conversion
// copies field by field, what the command-line dump prints and what the expression evaluator
// reads. Domain code uses the generated structs of records.h instead.
//
// Each scalar field and each array element is one value ("slot"). Text is held as UTF-8 without
// the trailing blanks of the fixed-width image; a DATE as core::Date, a TIME as core::Time.
// Every text that enters a record is checked here: it must be valid UTF-8, consist of cp1254
// characters only and fit the field (STRING(n): n characters, CSTRING(n): n-1).

#include "core/date.h"
#include "core/result.h"
#include "data/dictionary.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hk::data {

struct Value {
    std::int64_t integer = 0; // BYTE, SHORT, LONG; DATE and TIME packed (see record.cpp)
    double real = 0;          // REAL
    std::string text;         // STRING, CSTRING (UTF-8, trailing blanks removed for STRING)
    friend bool operator==(const Value&, const Value&) = default;
};

class Record {
  public:
    explicit Record(const FileDef& def);
    explicit Record(Layout l) : Record(fileDef(l)) {}

    const FileDef& def() const { return *def_; }

    // Text fields to blanks, numbers, dates and times to zero.
    void clear();

    // Field access by name ("HESAPKODU" or "HSP:HESAPKODU") or index; element counts from 1.
    // Text form of any field: numbers in plain decimal ("12", "-3.5"), dates "dd.mm.yyyy" (blank
    // when unset), times "hh:mm:ss" (blank when unset).
    core::Result<std::string> text(std::string_view field, std::uint32_t element = 1) const;
    core::Result<double> number(std::string_view field, std::uint32_t element = 1) const;
    core::Result<core::Date> date(std::string_view field, std::uint32_t element = 1) const;
    core::Result<core::Time> time(std::string_view field, std::uint32_t element = 1) const;

    // A text into a text field is checked (cp1254, width); into a number field it must be a
    // number, into a DATE "dd.mm.yyyy" (or blank), into a TIME "hh:mm[:ss]". With cut = true a
    // text longer than a text field is cut to the width instead of refused (what layout
    // conversion does when a field gets narrower).
    core::Status setText(std::string_view field, std::string_view value, std::uint32_t element = 1,
                         bool cut = false);
    // A number into a number field (whole-number fields refuse fractions and out-of-range
    // values), or into a text field as its text form.
    core::Status setNumber(std::string_view field, double value, std::uint32_t element = 1);
    core::Status setDate(std::string_view field, core::Date value, std::uint32_t element = 1);
    core::Status setTime(std::string_view field, core::Time value, std::uint32_t element = 1);

    // The same by field index (FileDef::fields), for callers that resolved the name once.
    core::Result<std::string> textAt(std::uint32_t field, std::uint32_t element = 1) const;
    core::Result<double> numberAt(std::uint32_t field, std::uint32_t element = 1) const;
    core::Result<core::Date> dateAt(std::uint32_t field, std::uint32_t element = 1) const;
    core::Status setTextAt(std::uint32_t field, std::string_view value, std::uint32_t element = 1,
                           bool cut = false);
    core::Status setNumberAt(std::uint32_t field, double value, std::uint32_t element = 1);
    core::Status setDateAt(std::uint32_t field, core::Date value, std::uint32_t element = 1);

    // Raw slots, for the engine and generated code: slot(i) is FieldDef::slot + element - 1.
    const Value& slot(std::uint32_t i) const { return values_[i]; }
    Value& slot(std::uint32_t i) { return values_[i]; }
    std::uint32_t slotOf(std::uint32_t field, std::uint32_t element = 1) const;
    std::uint32_t fieldOfSlot(std::uint32_t slot) const;

    // Checks a text for a text field (cp1254, valid UTF-8, width) and returns it without
    // trailing blanks (STRING) or as it is (CSTRING).
    static core::Result<std::string> checkText(const FileDef& def, std::uint32_t field,
                                               std::string_view utf8, bool cut = false);

    // Checks every text slot (cp1254, width): what the engines do before writing a record, so
    // that text put straight into slots cannot bypass the check.
    core::Status validate() const;

    // The exact binary record image: def().recordLength bytes, little-endian numbers, cp1254
    // text padded with blanks (CSTRING zero-terminated, rest zero). Fails only for text that
    // cannot be written in cp1254.
    core::Result<std::string> toImage() const;
    // Reads a binary image of exactly def.recordLength bytes.
    static core::Result<Record> fromImage(const FileDef& def, std::string_view image);

    // Copies every field whose name exists in both layouts (texts padded or cut to the new
    // width, numbers and dates as they are); the other fields of *this are left as they are.
    void copyMatchingFields(const Record& from);

    friend bool operator==(const Record& a, const Record& b) {
        return a.def_ == b.def_ && a.values_ == b.values_;
    }

  private:
    core::Result<std::uint32_t> slotFor(std::string_view field, std::uint32_t element) const;

    const FileDef* def_;
    std::vector<Value> values_;
};

// Packing of DATE and TIME into Value::integer; ordered like the values themselves.
std::int64_t packDate(core::Date d);
core::Date unpackDate(std::int64_t v);
std::int64_t packTime(core::Time t);
core::Time unpackTime(std::int64_t v);

} // namespace hk::data
