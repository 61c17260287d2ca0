#pragma once
// Errors are values. A storage or input failure travels up as an Error inside Result<T> until a
// window or the command-line program turns it into the user's message once.

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace hk::core {

struct Error {
    int code = 0;          // engine or program error number (0 = unspecified)
    std::string text;      // the engine's or program's error text
    std::string file;      // the data file or path concerned, when there is one
    int message = 0;       // data-operation message number to raise for it, 0 = none chosen

    static Error of(int code, std::string text, std::string file = {}, int message = 0) {
        return Error{code, std::move(text), std::move(file), message};
    }
    // "code text", the form the program shows storage errors in.
    std::string describe() const { return std::to_string(code) + " " + text; }
};

template <typename T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(std::move(e)) {}

    bool ok() const { return std::holds_alternative<T>(v_); }
    explicit operator bool() const { return ok(); }

    T& value() & { assert(ok()); return std::get<T>(v_); }
    const T& value() const& { assert(ok()); return std::get<T>(v_); }
    T&& value() && { assert(ok()); return std::get<T>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { assert(!ok()); return std::get<Error>(v_); }

  private:
    std::variant<T, Error> v_;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error e) : err_(std::move(e)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { assert(!ok_); return err_; }

  private:
    Error err_;
    bool ok_ = true;
};

using Status = Result<void>;

} // namespace hk::core
