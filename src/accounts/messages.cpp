#include "accounts/messages.h"

#include "app/message.h"
#include "data/errors.h"

namespace hk::accounts {

core::Error raiseStored(app::Ui& ui, const core::Error& e, int fallback) {
    if (e.shown) return e;
    app::MessageArgs a;
    if (e.message == 13) a.message = data::errorDetail(e);
    if (e.code == 0 && e.message == 0) {
        ui.message(e.text, "Hatalı işlem", app::Icon::Warning, "&Tamam", 1);
    } else {
        app::raiseError(ui, e, fallback, a);
    }
    core::Error out = e;
    out.shown = true;
    return out;
}

core::Error refuse(app::Ui& ui, const std::string& text, const std::string& caption) {
    ui.message(text, caption, app::Icon::Warning, "&Tamam", 1);
    return core::Error::refused(text, true);
}

core::Error refuseInput(app::Ui& ui, const core::Error& e) {
    if (e.shown) return e;
    ui.message(e.text, "Hatalı giriş", app::Icon::Warning, "&Tamam", 1);
    core::Error out = e;
    out.shown = true;
    return out;
}

} // namespace hk::accounts
