#include "ui/form_messages.h"

#include "app/message.h"
#include "data/errors.h"

namespace hk::ui {

int raiseData(app::Ui& ui, int number, const MessageArgs& args) {
    app::MessageArgs a;
    a.file = args.file;
    a.field = args.field;
    a.message = args.message;
    a.errorText = args.errorText;
    a.errorCode = args.errorCode ? std::to_string(args.errorCode) : std::string();
    return app::raise(ui, number, a) == app::Answer::No ? 2 : 1;
}

void reportError(app::Ui& ui, const core::Error& e, int fallbackNumber) {
    app::MessageArgs a;
    switch (e.message) {
    case 13:
        a.message = data::errorDetail(e); // the key name
        break;
    case 14:
        // the field in the text, the file looked in as the file
        a.field = e.text;
        a.message = e.file;
        break;
    case 0:
        // A refusal of the program's own rules carries its text and no storage code: show it as
        // it is. A storage failure goes through the message the operation names.
        if (e.code == 0) {
            ui.message(e.text, "Hatalı işlem", app::Icon::Warning, "&Tamam", 1);
            return;
        }
        break;
    default:
        break;
    }
    app::raiseError(ui, e, fallbackNumber, a);
}

} // namespace hk::ui
