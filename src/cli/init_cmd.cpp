// hesapkar-cli init DIR: prepares a data folder the way the program's start does, and says what
// it created.
#include "cli/commands.h"
#include "cli/data_folder.h"

#include <cstdio>

namespace hk::cli {

const char* initUsage() {
    return "DIR [--yes] [--aktar] [--user ID --password PW] [--program-dir DIR] [--ini FILE]: "
           "prepares the data folder DIR (created when missing) and lists what was created";
}

int runInit(const Args& args) {
    auto o = parseCommonOptions(args);
    if (!o) return fail("init", o.error().text, 2);
    if (o->positional.size() != 1) return fail("init", std::string("kullanım: init ") + initUsage(), 2);
    const auto dir = absoluteFolder(o->positional[0]);
    app::Session s(o->ini);
    TerminalUi ui(o->yes);
    int code = 0;
    auto st = startOn("init", *o, dir, s, ui, code);
    if (!st) return code;
    std::printf("Veri klasörü: %s\n", dir.string().c_str());
    if (!st->versionBefore.empty() && st->versionBefore != data::kProgramVersion)
        std::printf("Sürüm %s -> %s dönüştürüldü\n", st->versionBefore.c_str(),
                    std::string(data::kProgramVersion).c_str());
    if (!st->users.movedAsideTo.empty())
        std::printf("KLUsers: eski düzendeki kullanıcı dosyası %s olarak saklandı\n",
                    st->users.movedAsideTo.c_str());
    if (st->users.defaultUserAdded) std::printf("KLUsers: ana kullanıcı HESAPKAR\n");
    for (const auto& line : st->prepared.created) std::printf("%s\n", line.c_str());
    if (st->prepared.created.empty() && !st->users.defaultUserAdded)
        std::printf("Eksik bir şey yok, bir şey eklenmedi.\n");
    std::printf("Şirket: %s, mali yıl %s, çalışılan ay %d\n", s.company().SIRKETUNVANI1.c_str(),
                s.CalismaYili().c_str(), s.CalisilanAy());
    return 0;
}

} // namespace hk::cli
