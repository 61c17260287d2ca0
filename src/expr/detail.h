#pragma once
// Shared by the evaluator and the built-in functions; not for use outside src/expr.

#include "expr/expression.h"

#include <string>
#include <string_view>

namespace hk::expr::detail {

// A value as a number: numbers as they are, texts read as plain decimals (blank = 0). False,
// with `err` set, for a text that is not a number.
bool toNumber(const Value& v, Number& out, std::string& err);
// A value as text (numbers in plain decimal notation). Returns a view into v or into `scratch`.
std::string_view toText(const Value& v, std::string& scratch);
// A value as a condition: numbers are true when not zero; texts when they read as a non-zero
// number, or, when they are no number, when they are not blank.
bool truth(const Value& v);
// Compares two values: texts with texts as texts (trailing blanks ignored, Turkish collation for
// order), otherwise as numbers; a text that is no number compared with a number compares as
// text against the number's plain notation. <0, 0, >0.
int compare(const Value& a, const Value& b);
bool equal(const Value& a, const Value& b);

struct FunctionDef {
    const char* name;
    int minArgs;
    int maxArgs;
    // Reads args[0..n-1], leaves the result in args[0]. False (with err) on failure.
    bool (*fn)(Value* args, int n, std::string& err);
};

// The built-in function named `upperName`, or nullptr; `index` receives its number.
const FunctionDef* findFunction(std::string_view upperName, int& index);
const FunctionDef& functionAt(int index);

} // namespace hk::expr::detail
