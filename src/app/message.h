#pragma once
// Raising the data-operation messages through the Ui port.
//
// A fatal message (and every start-up step that ends the program) throws ProgramEnd after the box
// was shown. Only the top level of a program catches it (main of hesapkar and hesapkar-cli, and
// the runner of a procedure thread): it closes what is open and ends with the exit code. Deep code
// never calls exit(), so tests can assert that a step ends the program.

#include "app/ui.h"
#include "core/messages.h"
#include "core/result.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace hk::app {

using MessageArgs = core::messages::MessageArgs;

class ProgramEnd : public std::runtime_error {
  public:
    // reason: what ended it (for logs and tests; empty when the program ends silently, e.g. a
    // refused login or conversion). exitCode: the process exit code (0 = an orderly end asked
    // for by the user).
    explicit ProgramEnd(std::string reason, int exitCode = 1)
        : std::runtime_error(reason), reason_(std::move(reason)), exitCode_(exitCode) {}
    const std::string& reason() const { return reason_; }
    int exitCode() const { return exitCode_; }

  private:
    std::string reason_;
    int exitCode_;
};

enum class Answer { Ok, Yes, No };

Icon iconOf(core::messages::Severity s);

// Shows message `number` with its placeholders filled. Questions return Yes or No; other
// messages return Ok; a fatal message throws ProgramEnd once the user has seen it. A number
// outside the table is shown as such with a warning (the caller's fault, but never a crash).
Answer raise(Ui& ui, int number, const MessageArgs& args = {});

// An engine error as its message: the number the engine chose (Error::message) or `fallback`,
// with %File, %ErrorText and %ErrorCode taken from the error unless set in `args`.
Answer raiseError(Ui& ui, const core::Error& error, int fallback, MessageArgs args = {});

// The error with `number` as the data-operation message to raise for it, unless it names one
// already (a file that cannot be opened: 23; a record that cannot be read: 1).
inline core::Error withMessage(core::Error e, int number) {
    if (e.message == 0) e.message = number;
    return e;
}

// The one way a failure reaches the user, for the desktop program and the command line alike:
// nothing when it was shown already; a rule's refusal or bad input as its own text (caption
// "Hatalı işlem"); a storage failure as the data-operation message it names, else `fallback`,
// with the duplicated key's name for message 13 and the field and the file looked in for 14.
void reportFailure(Ui& ui, const core::Error& error, int fallback = 1);

// The data-operation message a failure is shown as and its filled placeholders; nullopt when it
// is shown as its own text (a refusal, bad input, or an error that names no storage failure).
struct FailureMessage {
    int number = 0;
    MessageArgs args;
};
std::optional<FailureMessage> failureMessage(const core::Error& error, int fallback = 1);

// A storage error met by the program's own code: "<code> <text>" with the failed operation as
// the caption, for example "Set(HPlan)".
void showStorageError(Ui& ui, const core::Error& error, const std::string& operation);

} // namespace hk::app
