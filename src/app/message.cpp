#include "app/message.h"

namespace hk::app {

using core::messages::Severity;

Icon iconOf(Severity s) {
    switch (s) {
    case Severity::question: return Icon::Question;
    case Severity::message: return Icon::Warning;
    case Severity::programError:
    case Severity::fatal: return Icon::Critical;
    }
    return Icon::Warning;
}

Answer raise(Ui& ui, int number, const MessageArgs& args) {
    auto f = core::messages::format(number, args);
    if (!f) {
        ui.message("Mesaj " + std::to_string(number) + " tanımlı değil.", "Hatalı mesaj numarası",
                   Icon::Critical, core::messages::kOkButton, 1);
        return Answer::Ok;
    }
    const int chosen = ui.message(f->text, f->title, iconOf(f->severity), f->buttons,
                                  f->defaultButton);
    switch (f->severity) {
    case Severity::question: return chosen == 1 ? Answer::Yes : Answer::No;
    case Severity::fatal: throw ProgramEnd(f->text, 1);
    default: return Answer::Ok;
    }
}

Answer raiseError(Ui& ui, const core::Error& error, int fallback, MessageArgs args) {
    if (args.file.empty()) args.file = error.file;
    if (args.errorText.empty()) args.errorText = error.text;
    if (args.errorCode.empty()) args.errorCode = std::to_string(error.code);
    return raise(ui, error.message != 0 ? error.message : fallback, args);
}

void showStorageError(Ui& ui, const core::Error& error, const std::string& operation) {
    ui.message(error.describe(), operation, Icon::Critical, core::messages::kOkButton, 1);
}

} // namespace hk::app
