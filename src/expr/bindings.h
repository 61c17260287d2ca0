#pragma once
// Bound variables (DegiskenBagla): the names an expression may use, each tied to a variable of
// the caller. A binding holds the variable's address, not its value: the caller binds once, then
// changes the variable per record and evaluates again, and the expression sees the new value.
// Names are matched without regard to case (ASCII letters; the field names are ASCII). The caller
// keeps every bound variable alive while expressions compiled against the table are evaluated.
//
// A window saves the table when it opens and restores it when it closes (BindingScope), so names
// bound by one report never leak into another.

#include "core/date.h"
#include "core/numeric.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hk::expr {

class Number;

// The variable types of the bindings: integer, decimal, real, date or text.
enum class VarType : std::uint8_t { Int32, Int64, Decimal, Number, Real, Date, DayNumber, Text };

struct Variable {
    VarType type = VarType::Int64;
    const void* address = nullptr;

    Variable() = default;
    Variable(const std::int32_t* v) : type(VarType::Int32), address(v) {}
    Variable(const std::int64_t* v) : type(VarType::Int64), address(v) {}
    Variable(const core::numeric::Decimal* v) : type(VarType::Decimal), address(v) {}
    Variable(const Number* v) : type(VarType::Number), address(v) {}
    Variable(const double* v) : type(VarType::Real), address(v) {}
    Variable(const core::Date* v) : type(VarType::Date), address(v) {}
    Variable(const std::string* v) : type(VarType::Text), address(v) {}
    // A day number held in a LONG (dates the way the expressions compute with them).
    static Variable dayNumber(const std::int32_t* v) {
        Variable r(v);
        r.type = VarType::DayNumber;
        return r;
    }
};

class Bindings {
  public:
    struct Entry {
        std::string key; // upper-cased name
        Variable var;
    };
    using Snapshot = std::vector<Entry>;

    // Binds (or rebinds) a name. False when the name is not a valid expression name.
    bool bind(std::string_view name, Variable var);
    void unbind(std::string_view name);
    const Variable* find(std::string_view name) const;
    std::size_t size() const { return entries_.size(); }

    Snapshot save() const { return entries_; }
    void restore(Snapshot s) { entries_ = std::move(s); }
    void clear() { entries_.clear(); }

    // The name as expressions see it: ASCII letters upper-cased, everything else as written.
    static std::string key(std::string_view name);
    // Letters, digits, '_', ':' and non-ASCII letters, starting with a letter or '_', optionally
    // followed by one "[...]" suffix of letters and digits ("HSP:TLBORC[3]").
    static bool validName(std::string_view name);

  private:
    std::vector<Entry> entries_;
};

// DegiskenBagla: binds `name` to a variable of the caller in `table`. False for a name the
// expressions could not write.
inline bool DegiskenBagla(Bindings& table, std::string_view name, Variable var) {
    return table.bind(name, var);
}

// Saves the table on construction and restores it on destruction.
class BindingScope {
  public:
    explicit BindingScope(Bindings& b) : b_(b), saved_(b.save()) {}
    ~BindingScope() { b_.restore(std::move(saved_)); }
    BindingScope(const BindingScope&) = delete;
    BindingScope& operator=(const BindingScope&) = delete;

  private:
    Bindings& b_;
    Bindings::Snapshot saved_;
};

} // namespace hk::expr
