#include "app/message.h"

#include "data/errors.h"

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

std::optional<FailureMessage> failureMessage(const core::Error& e, int fallback) {
    if (e.kind == core::ErrorKind::Refused || e.kind == core::ErrorKind::BadInput) return {};
    // Without a storage code or a message number there is nothing to fill a data message with:
    // the text is all there is to show.
    if (e.code == 0 && e.message == 0) return {};
    FailureMessage m;
    m.number = e.message != 0 ? e.message : fallback;
    switch (m.number) {
    case 13: m.args.message = data::errorDetail(e); break; // the key name
    case 14:
        m.args.field = e.text; // the field in the text, the file looked in as the file
        m.args.message = e.file;
        break;
    default: break;
    }
    if (m.args.file.empty()) m.args.file = e.file;
    if (m.args.errorText.empty()) m.args.errorText = e.text;
    if (m.args.errorCode.empty()) m.args.errorCode = std::to_string(e.code);
    return m;
}

void reportFailure(Ui& ui, const core::Error& e, int fallback) {
    if (e.shown) return;
    auto m = failureMessage(e, fallback);
    if (!m) {
        ui.message(e.text, "Hatalı işlem", Icon::Warning, core::messages::kOkButton, 1);
        return;
    }
    raise(ui, m->number, m->args);
}

void showStorageError(Ui& ui, const core::Error& error, const std::string& operation) {
    ui.message(error.describe(), operation, Icon::Critical, core::messages::kOkButton, 1);
}

} // namespace hk::app
