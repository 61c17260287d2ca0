#include "expr/expression.h"

#include "core/text.h"
#include "expr/detail.h"

#include <cstring>

// Grammar, loosest first; every binary rank groups from the left:
//
//   or      := and   { ("OR" | "XOR") and }
//   and     := not   { "AND" not }
//   not     := "NOT" not | compare
//   compare := concat { ("=" | "<>" | "<" | ">" | "<=" | ">=") concat }
//   concat  := sum   { "&" sum }
//   sum     := product { ("+" | "-") product }
//   product := unary { ("*" | "/" | "%") unary }
//   unary   := ("-" | "+") unary | power
//   power   := primary { "^" exponent }      exponent := "-" exponent | primary
//   primary := number | 'text' | @picture | name | name "(" [or {"," or}] ")" | "(" or ")"
//
// A minus directly after "^" is taken as the exponent's sign (2 ^ -1 = 0.5) although unary minus
// otherwise binds looser than "^" (-2 ^ 2 = -4). A picture written without quotes, as the column
// definitions do ("Format(MFB:FisTrh,@d6b)"), is a text constant running from "@" to the next
// blank, comma or unmatched ")".

namespace hk::expr {

using detail::FunctionDef;
using Op = Instr::Op;

namespace {

enum class Tok : std::uint8_t {
    End, Number, Text, Name, LParen, RParen, Comma,
    Caret, Star, Slash, Percent, Plus, Minus, Amp, Eq, Ne, Lt, Gt, Le, Ge, Not, And, Or, Xor
};

struct Token {
    Tok kind = Tok::End;
    std::size_t pos = 0;
    std::string_view text; // Name: the name; Number: the digits; Text: raw
    std::string value;     // Text: the literal's value
};

bool nameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool namePart(unsigned char c) {
    return nameStart(c) || (c >= '0' && c <= '9') || c == ':';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool iequals(std::string_view a, const char* b) {
    const std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i]) return false;
    }
    return true;
}

class Lexer {
  public:
    explicit Lexer(std::string_view s) : s_(s) {}

    // False with `err` on a malformed token.
    bool next(Token& t, std::string& err) {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
            ++i_;
        t.pos = i_;
        t.value.clear();
        if (i_ >= s_.size()) {
            t.kind = Tok::End;
            return true;
        }
        const char c = s_[i_];
        const auto one = [&](Tok k) {
            t.kind = k;
            t.text = s_.substr(i_, 1);
            ++i_;
            return true;
        };
        if (isDigit(c) || (c == '.' && i_ + 1 < s_.size() && isDigit(s_[i_ + 1]))) {
            const std::size_t b = i_;
            while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
            if (i_ < s_.size() && s_[i_] == '.') {
                ++i_;
                while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
            }
            t.kind = Tok::Number;
            t.text = s_.substr(b, i_ - b);
            return true;
        }
        if (c == '\'') {
            ++i_;
            for (;;) {
                if (i_ >= s_.size()) {
                    err = "unterminated text literal";
                    return false;
                }
                if (s_[i_] == '\'') {
                    if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
                        t.value.push_back('\'');
                        i_ += 2;
                        continue;
                    }
                    ++i_;
                    break;
                }
                t.value.push_back(s_[i_++]);
            }
            t.kind = Tok::Text;
            return true;
        }
        if (c == '@') {
            const std::size_t b = i_;
            int depth = 0;
            while (i_ < s_.size()) {
                const char d = s_[i_];
                if (d == ' ' || d == ',' || d == '\t') break;
                if (d == '(') ++depth;
                if (d == ')') {
                    if (depth == 0) break;
                    --depth;
                }
                ++i_;
            }
            t.kind = Tok::Text;
            t.value.assign(s_.substr(b, i_ - b));
            return true;
        }
        if (nameStart(static_cast<unsigned char>(c))) {
            const std::size_t b = i_;
            while (i_ < s_.size() && namePart(static_cast<unsigned char>(s_[i_]))) ++i_;
            if (i_ < s_.size() && s_[i_] == '[') {
                std::size_t j = i_ + 1;
                while (j < s_.size() && s_[j] != ']' && (isDigit(s_[j]) || nameStart(static_cast<unsigned char>(s_[j])))) ++j;
                if (j < s_.size() && s_[j] == ']' && j > i_ + 1) i_ = j + 1;
            }
            t.text = s_.substr(b, i_ - b);
            t.kind = Tok::Name;
            if (iequals(t.text, "AND")) t.kind = Tok::And;
            else if (iequals(t.text, "OR")) t.kind = Tok::Or;
            else if (iequals(t.text, "XOR")) t.kind = Tok::Xor;
            else if (iequals(t.text, "NOT")) t.kind = Tok::Not;
            return true;
        }
        switch (c) {
        case '(': return one(Tok::LParen);
        case ')': return one(Tok::RParen);
        case ',': return one(Tok::Comma);
        case '^': return one(Tok::Caret);
        case '*': return one(Tok::Star);
        case '/': return one(Tok::Slash);
        case '%': return one(Tok::Percent);
        case '+': return one(Tok::Plus);
        case '-': return one(Tok::Minus);
        case '&': return one(Tok::Amp);
        case '=': return one(Tok::Eq);
        case '<':
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '>') { t.kind = Tok::Ne; i_ += 2; return true; }
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '=') { t.kind = Tok::Le; i_ += 2; return true; }
            return one(Tok::Lt);
        case '>':
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '=') { t.kind = Tok::Ge; i_ += 2; return true; }
            return one(Tok::Gt);
        default:
            err = "unexpected character '" + std::string(1, c) + "'";
            return false;
        }
    }

    // True when the next non-blank character is '('.
    bool parenFollows() const {
        std::size_t j = i_;
        while (j < s_.size() && (s_[j] == ' ' || s_[j] == '\t')) ++j;
        return j < s_.size() && s_[j] == '(';
    }

  private:
    std::string_view s_;
    std::size_t i_ = 0;
};

} // namespace

class Compiler {
  public:
    Compiler(std::string_view text, const Bindings& b, Expression& e) : lex_(text), b_(b), e_(e) {}

    bool run(std::string& err) {
        if (!advance()) return fail(err);
        if (!parseOr()) return fail(err);
        if (tok_.kind != Tok::End) {
            error_ = "unexpected '" + tokenText() + "'";
            return fail(err);
        }
        return true;
    }

  private:
    bool fail(std::string& err) {
        err = error_ + " at position " + std::to_string(tok_.pos + 1);
        return false;
    }
    std::string tokenText() const {
        if (tok_.kind == Tok::Text) return "'" + tok_.value + "'";
        return std::string(tok_.text);
    }
    bool advance() { return lex_.next(tok_, error_); }

    void emit(Op op, std::uint16_t index = 0, std::uint8_t argc = 0) {
        e_.code_.push_back(Instr{op, argc, index});
        // Stack height: Const/Var push one; binary operators pop one; a call pops argc-1
        // (argc 0 pushes one); Neg and Not leave it.
        switch (op) {
        case Op::Const:
        case Op::Var: ++height_; break;
        case Op::Neg:
        case Op::Not: break;
        case Op::Call: height_ += 1 - argc; break;
        default: --height_; break;
        }
        if (height_ > maxHeight_) maxHeight_ = height_;
    }

    bool enter() {
        if (++depth_ > kMaxDepth) {
            error_ = "expression nested too deeply";
            return false;
        }
        return true;
    }
    void leave() { --depth_; }

    bool binary(bool (Compiler::*operand)(), std::initializer_list<std::pair<Tok, Op>> ops) {
        if (!(this->*operand)()) return false;
        for (;;) {
            const std::pair<Tok, Op>* hit = nullptr;
            for (const auto& p : ops)
                if (tok_.kind == p.first) hit = &p;
            if (!hit) return true;
            const Op op = hit->second;
            if (!advance() || !(this->*operand)()) return false;
            emit(op);
        }
    }

    bool parseOr() { return binary(&Compiler::parseAnd, {{Tok::Or, Op::Or}, {Tok::Xor, Op::Xor}}); }
    bool parseAnd() { return binary(&Compiler::parseNot, {{Tok::And, Op::And}}); }
    bool parseNot() {
        if (tok_.kind == Tok::Not && !lex_.parenFollows()) {
            if (!enter() || !advance() || !parseNot()) return false;
            leave();
            emit(Op::Not);
            return true;
        }
        return parseCompare();
    }
    bool parseCompare() {
        return binary(&Compiler::parseConcat, {{Tok::Eq, Op::Eq}, {Tok::Ne, Op::Ne}, {Tok::Lt, Op::Lt},
                                               {Tok::Gt, Op::Gt}, {Tok::Le, Op::Le}, {Tok::Ge, Op::Ge}});
    }
    bool parseConcat() { return binary(&Compiler::parseSum, {{Tok::Amp, Op::Concat}}); }
    bool parseSum() { return binary(&Compiler::parseProduct, {{Tok::Plus, Op::Add}, {Tok::Minus, Op::Sub}}); }
    bool parseProduct() {
        return binary(&Compiler::parseUnary, {{Tok::Star, Op::Mul}, {Tok::Slash, Op::Div}, {Tok::Percent, Op::Mod}});
    }
    bool parseUnary() {
        if (tok_.kind == Tok::Minus || tok_.kind == Tok::Plus) {
            const bool neg = tok_.kind == Tok::Minus;
            if (!enter() || !advance() || !parseUnary()) return false;
            leave();
            if (neg) emit(Op::Neg);
            return true;
        }
        return parsePower();
    }
    bool parsePower() {
        if (!parsePrimary()) return false;
        while (tok_.kind == Tok::Caret) {
            if (!advance() || !parseExponent()) return false;
            emit(Op::Pow);
        }
        return true;
    }
    bool parseExponent() {
        if (tok_.kind == Tok::Minus || tok_.kind == Tok::Plus) {
            const bool neg = tok_.kind == Tok::Minus;
            if (!enter() || !advance() || !parseExponent()) return false;
            leave();
            if (neg) emit(Op::Neg);
            return true;
        }
        return parsePrimary();
    }

    bool constant(Value v) {
        if (e_.constants_.size() >= 0xFFFF) {
            error_ = "too many constants";
            return false;
        }
        e_.constants_.push_back(std::move(v));
        emit(Op::Const, static_cast<std::uint16_t>(e_.constants_.size() - 1));
        return true;
    }

    bool parsePrimary() {
        switch (tok_.kind) {
        case Tok::Number: {
            Value v;
            if (!Number::parse(tok_.text, v.num)) {
                error_ = "number out of range: " + std::string(tok_.text);
                return false;
            }
            return constant(std::move(v)) && advance();
        }
        case Tok::Text: {
            Value v;
            if (core::text::length(tok_.value) > kMaxText) {
                error_ = "text literal too long";
                return false;
            }
            v.setText(tok_.value);
            return constant(std::move(v)) && advance();
        }
        case Tok::LParen: {
            if (!enter() || !advance() || !parseOr()) return false;
            leave();
            if (tok_.kind != Tok::RParen) {
                error_ = "')' expected";
                return false;
            }
            return advance();
        }
        case Tok::Name:
        case Tok::And:
        case Tok::Or:
        case Tok::Xor:
        case Tok::Not: {
            const std::string name(tok_.text);
            const std::size_t pos = tok_.pos;
            if (!advance()) return false;
            if (tok_.kind == Tok::LParen) return call(name, pos);
            if (const Variable* v = b_.find(name)) {
                if (e_.variables_.size() >= 0xFFFF) {
                    error_ = "too many names";
                    return false;
                }
                e_.variables_.push_back(*v);
                emit(Op::Var, static_cast<std::uint16_t>(e_.variables_.size() - 1));
                return true;
            }
            // A function without arguments may be written without its parentheses (TODAY).
            int index = 0;
            const FunctionDef* f = detail::findFunction(Bindings::key(name), index);
            if (f && f->minArgs == 0) {
                emit(Op::Call, static_cast<std::uint16_t>(index), 0);
                return true;
            }
            error_ = "unknown name " + name;
            tok_.pos = pos;
            return false;
        }
        case Tok::End: error_ = "operand expected at the end"; return false;
        default: error_ = "operand expected before '" + tokenText() + "'"; return false;
        }
    }

    bool call(const std::string& name, std::size_t pos) {
        int index = 0;
        const FunctionDef* f = detail::findFunction(Bindings::key(name), index);
        if (!f) {
            error_ = "unknown function " + name;
            tok_.pos = pos;
            return false;
        }
        if (!enter() || !advance()) return false;
        int argc = 0;
        if (tok_.kind != Tok::RParen) {
            for (;;) {
                if (++argc > kMaxArgs) {
                    error_ = "too many arguments for " + name;
                    return false;
                }
                if (!parseOr()) return false;
                if (tok_.kind == Tok::Comma) {
                    if (!advance()) return false;
                    continue;
                }
                break;
            }
        }
        if (tok_.kind != Tok::RParen) {
            error_ = "')' expected after the arguments of " + name;
            return false;
        }
        leave();
        if (argc < f->minArgs || argc > f->maxArgs) {
            error_ = "wrong number of arguments for " + std::string(f->name) + ": " + std::to_string(argc);
            tok_.pos = pos;
            return false;
        }
        emit(Op::Call, static_cast<std::uint16_t>(index), static_cast<std::uint8_t>(argc));
        return advance();
    }

  public:
    int maxHeight() const { return maxHeight_; }

  private:
    Lexer lex_;
    const Bindings& b_;
    Expression& e_;
    Token tok_;
    std::string error_;
    int depth_ = 0;
    int height_ = 0;
    int maxHeight_ = 0;
};

core::Result<Expression> Expression::compile(std::string_view text, const Bindings& bindings) {
    if (text.size() > kMaxLength)
        return core::Error::badInput("expression longer than " + std::to_string(kMaxLength) + " characters");
    Expression e;
    Compiler c(text, bindings, e);
    std::string err;
    if (!c.run(err)) return core::Error::badInput(err);
    e.stack_.resize(static_cast<std::size_t>(c.maxHeight() > 0 ? c.maxHeight() : 1));
    return e;
}

namespace {

bool numbers(const Value& a, const Value& b, Number& x, Number& y, std::string& err) {
    return detail::toNumber(a, x, err) && detail::toNumber(b, y, err);
}

} // namespace

bool Expression::run() const {
    error_.clear();
    if (code_.empty()) {
        error_ = "empty expression";
        return false;
    }
    Value* const base = stack_.data();
    Value* top = base - 1; // the topmost value
    Number x, y, r;
    for (const Instr& in : code_) {
        switch (in.op) {
        case Op::Const: {
            const Value& c = constants_[in.index];
            ++top;
            if (c.kind == Value::Kind::Number) top->setNumber(c.num);
            else top->setText(c.text);
            break;
        }
        case Op::Var: {
            const Variable& v = variables_[in.index];
            ++top;
            switch (v.type) {
            case VarType::Int32: top->setNumber(Number::fromInt(*static_cast<const std::int32_t*>(v.address))); break;
            case VarType::DayNumber: top->setNumber(Number::fromInt(*static_cast<const std::int32_t*>(v.address))); break;
            case VarType::Int64: top->setNumber(Number::fromInt(*static_cast<const std::int64_t*>(v.address))); break;
            case VarType::Number: top->setNumber(*static_cast<const Number*>(v.address)); break;
            case VarType::Decimal: {
                const auto u = static_cast<const core::numeric::Decimal*>(v.address)->units();
                top->setNumber(Number::fromUnits(u * (Number::kScale / 100)));
                break;
            }
            case VarType::Real:
                if (!Number::fromDouble(*static_cast<const double*>(v.address), r)) {
                    error_ = "real value out of range";
                    return false;
                }
                top->setNumber(r);
                break;
            case VarType::Date:
                top->setNumber(Number::fromInt(static_cast<const core::Date*>(v.address)->dayNumber()));
                break;
            case VarType::Text: top->setText(*static_cast<const std::string*>(v.address)); break;
            }
            break;
        }
        case Op::Neg:
            if (!detail::toNumber(*top, x, error_)) return false;
            top->setNumber(x.negated());
            break;
        case Op::Not: top->setNumber(Number::fromInt(detail::truth(*top) ? 0 : 1)); break;
        case Op::Call: {
            const FunctionDef& f = detail::functionAt(in.index);
            Value* args = top + 1 - in.argc;
            if (!f.fn(args, in.argc, error_)) {
                if (error_.empty()) error_ = std::string(f.name) + " failed";
                return false;
            }
            if (args->isText() && args->text.size() > kMaxText && core::text::length(args->text) > kMaxText) {
                error_ = "text result too long";
                return false;
            }
            top = args;
            break;
        }
        default: {
            Value& a = top[-1];
            const Value& b = *top;
            --top;
            bool ok = true;
            switch (in.op) {
            case Op::Pow: ok = numbers(a, b, x, y, error_) && Number::pow(x, y, r); break;
            case Op::Mul: ok = numbers(a, b, x, y, error_) && Number::mul(x, y, r); break;
            case Op::Div:
                ok = numbers(a, b, x, y, error_);
                if (ok && y.isZero()) {
                    error_ = "division by zero";
                    return false;
                }
                ok = ok && Number::div(x, y, r);
                break;
            case Op::Mod:
                ok = numbers(a, b, x, y, error_);
                if (ok && y.isZero()) {
                    error_ = "division by zero";
                    return false;
                }
                ok = ok && Number::mod(x, y, r);
                break;
            case Op::Add: ok = numbers(a, b, x, y, error_) && Number::add(x, y, r); break;
            case Op::Sub: ok = numbers(a, b, x, y, error_) && Number::sub(x, y, r); break;
            case Op::Concat: {
                std::string scratch;
                if (!a.isText()) {
                    a.text.clear();
                    a.num.appendTo(a.text);
                    a.kind = Value::Kind::Text;
                }
                a.text.append(detail::toText(b, scratch));
                if (a.text.size() > kMaxText && core::text::length(a.text) > kMaxText) {
                    error_ = "text result too long";
                    return false;
                }
                continue;
            }
            case Op::Eq: r = Number::fromInt(detail::equal(a, b) ? 1 : 0); break;
            case Op::Ne: r = Number::fromInt(detail::equal(a, b) ? 0 : 1); break;
            case Op::Lt: r = Number::fromInt(detail::compare(a, b) < 0 ? 1 : 0); break;
            case Op::Gt: r = Number::fromInt(detail::compare(a, b) > 0 ? 1 : 0); break;
            case Op::Le: r = Number::fromInt(detail::compare(a, b) <= 0 ? 1 : 0); break;
            case Op::Ge: r = Number::fromInt(detail::compare(a, b) >= 0 ? 1 : 0); break;
            case Op::And: r = Number::fromInt(detail::truth(a) && detail::truth(b) ? 1 : 0); break;
            case Op::Or: r = Number::fromInt(detail::truth(a) || detail::truth(b) ? 1 : 0); break;
            case Op::Xor: r = Number::fromInt(detail::truth(a) != detail::truth(b) ? 1 : 0); break;
            default: break;
            }
            if (!ok) {
                if (error_.empty()) error_ = "arithmetic overflow";
                return false;
            }
            a.setNumber(r);
            break;
        }
        }
    }
    return true;
}

bool Expression::evaluate(std::string& out) const {
    out.clear();
    if (!run()) return false;
    const Value& v = stack_[0];
    if (v.isText()) out.append(v.text);
    else v.num.appendTo(out);
    return true;
}

std::string Expression::evaluate() const {
    std::string s;
    (void)evaluate(s);
    return s;
}

bool Expression::evaluateNumber(Number& out) const {
    if (!run()) return false;
    return detail::toNumber(stack_[0], out, error_);
}

Truth Expression::evaluateTruth() const {
    if (!run()) return Truth::Failed;
    const Value& v = stack_[0];
    if (!v.isText()) return v.num.isZero() ? Truth::False : Truth::True;
    if (v.text.empty()) return Truth::Failed;
    return v.text == "0" ? Truth::False : Truth::True;
}

std::string IfadeHesapla(std::string_view text, const Bindings& bindings) {
    auto e = Expression::compile(text, bindings);
    if (!e) return {};
    return e->evaluate();
}

} // namespace hk::expr
