#pragma once
// How a window starts a registered procedure and hears that it ended. In the program the frame
// runs it (a Runs::Worker procedure on a thread of its own with the progress window, so the
// frame stays usable); `done` is then called on the GUI thread. Tests and windows without a
// frame run it at once on the calling thread with runHere, through the same registry entry.

#include "app/catalogue.h"
#include "app/message.h"
#include "app/procedure.h"

#include <functional>
#include <string>

namespace hk::ui {

class MainFrame;

using RunProcedure = std::function<void(const std::string& name, app::Options options,
                                        std::function<void(bool ok)> done)>;

// The frame's runner (MainFrame::runProcedure).
RunProcedure frameRunner(MainFrame& frame);

// Runs the procedure to its end on the calling thread; a failure is reported once through the
// context's Ui, a missing procedure raises message 24.
inline RunProcedure runHere(const app::ProcedureRegistry& registry, app::ProcedureContext& ctx) {
    return [&registry, &ctx](const std::string& name, app::Options o,
                             std::function<void(bool)> done) {
        const app::ProcedureSpec* spec = registry.find(name);
        bool ok = false;
        if (!spec || !spec->run) {
            app::raiseNotBuilt(ctx.ui, name);
        } else if (auto st = spec->run(ctx, o); !st) {
            app::reportFailure(ctx.ui, st.error());
        } else {
            ok = true;
        }
        if (done) done(ok);
    };
}

} // namespace hk::ui
