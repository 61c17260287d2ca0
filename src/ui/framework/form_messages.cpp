#include "ui/framework/form_messages.h"

#include "app/message.h"

namespace hk::ui {

int raiseData(app::Ui& ui, int number, const app::MessageArgs& args) {
    return app::raise(ui, number, args) == app::Answer::No ? 2 : 1;
}

void reportError(app::Ui& ui, const core::Error& e, int fallbackNumber) {
    app::reportFailure(ui, e, fallbackNumber);
}

} // namespace hk::ui
