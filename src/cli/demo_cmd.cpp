// hesapkar-cli demo DIR: what "./hk run" shows without a display. Creates the demo data folder
// (or reuses it) through the ordinary start-up and prints what it holds.
#include "cli/commands.h"
#include "cli/data_folder.h"

#include <cstdio>

namespace hk::cli {

int runInfo(const Args& args); // info_cmd.cpp

const char* demoUsage() {
    return "DIR [--program-dir DIR]: prepares (or reuses) a demo data folder and shows what it holds";
}

int runDemo(const Args& args) {
    auto o = parseCommonOptions(args);
    if (!o) return fail("demo", o.error().text, 2);
    if (o->positional.size() != 1) return fail("demo", std::string("kullanım: demo ") + demoUsage(), 2);
    const auto dir = absoluteFolder(o->positional[0]);
    {
        app::Session s(o->ini);
        TerminalUi ui(o->yes);
        int code = 0;
        auto st = startOn("demo", *o, dir, s, ui, code);
        if (!st) return code;
        std::printf("Hesapkar demo: %s\n", dir.string().c_str());
        for (const auto& line : st->prepared.created) std::printf("  yeni %s\n", line.c_str());
        std::printf("Şirket: %s, mali yıl %s (%02d.%02d.%04d - %02d.%02d.%04d), çalışılan ay %s\n",
                    s.company().SIRKETUNVANI1.c_str(), s.CalismaYili().c_str(),
                    s.company().MALIDONEMBAS.day, s.company().MALIDONEMBAS.month,
                    s.company().MALIDONEMBAS.year, s.company().MALIDONEMSON.day,
                    s.company().MALIDONEMSON.month, s.company().MALIDONEMSON.year,
                    app::ayAdi(s.CalisilanAy()).c_str());
    }
    Args infoArgs{dir.string(), "--program-dir", o->programDir.string()};
    return runInfo(infoArgs);
}

} // namespace hk::cli
