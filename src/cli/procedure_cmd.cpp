// A registered procedure run as a command: hesapkar-cli WORDS... DIR [ARGS] [--flags].
// The data folder is started the way the desktop program starts it (login, version check,
// start-up data), then the procedure runs with the terminal as its Ui: questions are answered
// by --yes or refused.
#include "cli/procedure_cmd.h"

#include "app/message.h"
#include "app/rights_data.h"
#include "app/users.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/terminal_ui.h"

#include <cstdio>

namespace hk::cli {

std::string commandName(const app::ProcedureSpec& spec) {
    std::string n;
    for (const auto& w : spec.command) n += (n.empty() ? "" : " ") + w;
    return n;
}

int runProcedure(const app::ProcedureSpec& spec, const Args& args) {
    const std::string name = commandName(spec);
    auto o = parseCommonOptions(args, true);
    if (!o) return fail(name.c_str(), o.error().text, 2);
    if (o->positional.empty() || o->positional.front().rfind("--", 0) == 0)
        return fail(name.c_str(), "kullanım: " + name + " " + spec.usage, 2);
    const auto dir = absoluteFolder(o->positional.front());
    auto opts = app::parseCommandLine(
        std::vector<std::string>(o->positional.begin() + 1, o->positional.end()), spec);
    if (!opts) return fail(name.c_str(), opts.error().text, 2);
    if (o->yes) opts->set("yes", "1");

    app::Session s(o->ini);
    TerminalUi ui(o->yes);
    int code = 0;
    auto started = startOn(name.c_str(), *o, dir, s, ui, code);
    if (!started) return code;
    auto security = app::users::open(started->data.data());
    if (!security) return fail(name.c_str(), errorText(security.error()));
    app::RightsService rights(s.AktifKullanici, s.AnaKullanici == 1,
                              app::userRightsLookup(security->userRights));
    if (auto st = app::checkAccounts(started->data, spec, *opts); !st)
        return fail(name.c_str(), st.error().text, 2);
    app::ProcedureContext ctx{s, ui, rights, started->data};
    try {
        core::Status st = spec.run(ctx, *opts);
        if (!st) {
            // The same message the desktop program shows, through the terminal; nothing when the
            // procedure showed it already.
            app::reportFailure(ui, st.error());
            return 1;
        }
    } catch (const app::ProgramEnd& end) {
        return end.exitCode() == 0 ? 1 : end.exitCode();
    }
    return 0;
}

} // namespace hk::cli
