#include "ui/form_messages.h"

#include "core/messages.h"
#include "data/errors.h"

namespace hk::ui {
namespace {

app::Icon iconOf(core::messages::Severity s) {
    switch (s) {
    case core::messages::Severity::question: return app::Icon::Question;
    case core::messages::Severity::message: return app::Icon::Warning;
    case core::messages::Severity::programError:
    case core::messages::Severity::fatal: return app::Icon::Critical;
    }
    return app::Icon::None;
}

} // namespace

int raiseData(app::Ui& ui, int number, const MessageArgs& args) {
    core::messages::MessageArgs a;
    a.file = args.file;
    a.field = args.field;
    a.message = args.message;
    a.errorText = args.errorText;
    a.errorCode = args.errorCode ? std::to_string(args.errorCode) : std::string();
    auto m = core::messages::format(number, a);
    if (!m) return 0; // not a message of the table: a programming fault, nothing to show
    return ui.message(m->text, m->title, iconOf(m->severity), m->buttons, m->defaultButton);
}

void reportError(app::Ui& ui, const core::Error& e, int fallbackNumber) {
    MessageArgs a;
    a.file = e.file;
    a.errorText = e.text;
    a.errorCode = e.code;
    switch (e.message) {
    case 13:
        a.message = data::errorDetail(e); // the key name
        raiseData(ui, 13, a);
        return;
    case 14:
        // field in the text, the file looked in as the file
        a.field = e.text;
        a.message = e.file;
        raiseData(ui, 14, a);
        return;
    case 0:
        break;
    default:
        raiseData(ui, e.message, a);
        return;
    }
    // A refusal of the program's own rules carries its text and no storage code: show it as it
    // is. A storage failure goes through the message the operation names.
    if (e.code == 0) {
        ui.message(e.text, "Hatalı işlem", app::Icon::Warning, "&Tamam", 1);
        return;
    }
    raiseData(ui, fallbackNumber, a);
}

} // namespace hk::ui
