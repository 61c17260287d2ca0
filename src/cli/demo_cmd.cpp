// hesapkar-cli demo DIR: what "./hk run" shows without a display. Creates the demo data folder
// (or reuses it) through the ordinary start-up and prints what it holds.
#include "cli/commands.h"
#include "cli/data_folder.h"
#include "vouchers/demo.h"

#include <cstdio>

namespace hk::cli {

namespace {
// The demo's vouchers are saved through voucher entry, whose per-line progress would only
// clutter the terminal: messages go through, progress lines do not.
class QuietProgress : public app::Ui {
  public:
    explicit QuietProgress(app::Ui& inner) : inner_(inner) {}
    int message(const std::string& t, const std::string& c, app::Icon i, const std::string& b,
                int d) override {
        return inner_.message(t, c, i, b, d);
    }
    void progress(const std::string&, int) override {}
    void progressDone() override {}
    bool cancelled() override { return inner_.cancelled(); }
    std::string chooseFile(const std::string& c, const std::string& f, bool s) override {
        return inner_.chooseFile(c, f, s);
    }
    int pick(const std::string& c, const std::vector<std::string>& items) override {
        return inner_.pick(c, items);
    }

  private:
    app::Ui& inner_;
};
} // namespace

int runInfo(const Args& args); // info_cmd.cpp

const char* demoUsage() {
    return "DIR [--program-dir DIR]: prepares (or reuses) a demo data folder with a chart and several "
           "months of vouchers, and shows what it holds";
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
        // A living book: sub-accounts and several months of vouchers, once.
        QuietProgress quiet(ui);
        vouchers::Env env{s, quiet, st->data};
        auto book = vouchers::addDemoBook(env);
        if (!book) return fail("demo", errorText(book.error()));
        for (const auto& line : *book) std::printf("  yeni %s\n", line.c_str());
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
