#pragma once
// The expression language of the report definitions (IfadeHesapla), compiled once and evaluated
// many times.
//
//   Expression e = Expression::compile("Round(A*B/100,0.01)+C", bindings).value();
//   for (each record) { ...set A, B, C...; std::string r = e.evaluate(); }
//
// compile() lexes and parses the text once into postfix code whose names are already resolved
// to the bound variables; evaluate() runs that code on a value stack owned by the expression, so
// an evaluation neither parses nor (for numbers and short texts) allocates. An expression object
// is therefore not safe to evaluate from two threads at once; each run compiles its own.
//
// Results are text: numbers in plain decimal notation, truth values as "1" and "0". Any failure
// (syntax error, unknown name or function, wrong argument count, division by zero, overflow,
// text that is not a number in arithmetic) gives the empty result; the reason is kept for the
// caller that wants to show it. Nothing here throws.
//
// Bounds against hostile definitions: at most kMaxLength bytes of text, kMaxDepth levels of
// nesting (parentheses, calls, prefix operators), kMaxArgs arguments per call, kMaxText
// characters in any text value. Parsing recurses at most kMaxDepth levels; evaluation does not
// recurse at all.

#include "core/result.h"
#include "expr/bindings.h"
#include "expr/number.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hk::expr {

inline constexpr std::size_t kMaxLength = 4096;
inline constexpr int kMaxDepth = 64;
inline constexpr int kMaxArgs = 25;
inline constexpr std::size_t kMaxText = 65535;

// One value on the evaluation stack: a number or a text.
struct Value {
    enum class Kind : std::uint8_t { Number, Text };
    Kind kind = Kind::Number;
    Number num;
    std::string text;

    bool isText() const { return kind == Kind::Text; }
    void setNumber(Number n) {
        kind = Kind::Number;
        num = n;
    }
    void setText(std::string_view t) {
        kind = Kind::Text;
        text.assign(t.data(), t.size());
    }
};

// What a condition (a filter) came to: failed = empty result, zero = "0", true otherwise.
enum class Truth : std::uint8_t { Failed, False, True };

struct Instr {
    enum class Op : std::uint8_t {
        Const, Var, Neg, Pow, Mul, Div, Mod, Add, Sub, Concat,
        Eq, Ne, Lt, Gt, Le, Ge, Not, And, Or, Xor, Call
    };
    Op op;
    std::uint8_t argc = 0;   // Call: number of arguments
    std::uint16_t index = 0; // Const: constant, Var: variable, Call: function number
};

class Expression {
  public:
    // Compiles against the names bound now. An Error (kind BadInput) says what is wrong and where.
    static core::Result<Expression> compile(std::string_view text, const Bindings& bindings);

    // The result as text; empty on failure.
    std::string evaluate() const;
    // The same into `out` (its capacity is reused); false on failure, out then empty.
    bool evaluate(std::string& out) const;
    // The result as a number (text results converted; blank text counts 0); false on failure.
    bool evaluateNumber(Number& out) const;
    // The result as a condition: "0" is False, empty (failure) is Failed, anything else True.
    Truth evaluateTruth() const;
    // Why the last evaluation failed ("division by zero", ...); empty after a success.
    const std::string& lastError() const { return error_; }

    // The bound variables the expression reads (a caller that fills records per evaluation can
    // leave the others alone).
    const std::vector<Variable>& variables() const { return variables_; }

    // The value of the last successful run, before it was turned into text.
    const Value& lastValue() const { return stack_[0]; }

  private:
    friend class Compiler;
    bool run() const;

    std::vector<Instr> code_;
    std::vector<Value> constants_;
    std::vector<Variable> variables_;
    mutable std::vector<Value> stack_;
    mutable std::string error_;
};

// IfadeHesapla: compile and evaluate once. Empty on any failure.
std::string IfadeHesapla(std::string_view text, const Bindings& bindings);

} // namespace hk::expr
