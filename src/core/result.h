#pragma once
// Errors are values. A storage or input failure travels up as an Error inside Result<T> until a
// window or the command-line program turns it into the user's message once.

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace hk::core {

// What kind of failure an Error is: the storage engine failed, a business rule refused the
// operation, or the input (a file, a flag, a typed value) was not acceptable.
enum class ErrorKind : std::uint8_t { Unspecified, Storage, Refused, BadInput };

struct Error {
    int code = 0;     // engine or program error number (0 = unspecified)
    std::string text; // the engine's or program's error text
    std::string file; // the data file or path concerned, when there is one
    int message = 0;  // data-operation message number to raise for it, 0 = none chosen
    ErrorKind kind = ErrorKind::Unspecified;
    // The user has already been told (the procedure showed its own message box, or the user
    // answered "Hayır"): whoever receives it shows nothing more.
    bool shown = false;

    static Error of(int code, std::string text, std::string file = {}, int message = 0) {
        return Error{code, std::move(text), std::move(file), message};
    }
    // A business rule refused; `shown` when its message box was already raised.
    static Error refused(std::string text, bool shown = false) {
        Error e{0, std::move(text), {}, 0};
        e.kind = ErrorKind::Refused;
        e.shown = shown;
        return e;
    }
    static Error badInput(std::string text, std::string file = {}) {
        Error e{0, std::move(text), std::move(file), 0};
        e.kind = ErrorKind::BadInput;
        return e;
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

    T& value() & {
        assert(ok());
        return std::get<T>(v_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<T>(v_);
    }
    T&& value() && {
        assert(ok());
        return std::get<T>(std::move(v_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const {
        assert(!ok());
        return std::get<Error>(v_);
    }

  private:
    std::variant<T, Error> v_;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error e) : err_(std::move(e)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const {
        assert(!ok_);
        return err_;
    }

  private:
    Error err_;
    bool ok_ = true;
};

using Status = Result<void>;

} // namespace hk::core
