// hesapkar-cli: the engine without windows.
#include "cli/commands.h"
#include "cli/procedure_cmd.h"
#include "procedures/all.h"
#ifdef HK_HAVE_RENDER
#include "ui/render/pdf_writer.h"

#include <QGuiApplication>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace hk::cli;

static void usage(FILE* out, const hk::app::ProcedureRegistry& registry) {
    std::fputs("usage: hesapkar-cli COMMAND [ARGS]\n\ncommands:\n", out);
    for (const auto& c : commands()) std::fprintf(out, "  %-8s %s\n", c.name, c.usage);
    for (const auto& p : registry.all())
        if (!p.command.empty())
            std::fprintf(out, "  %s %s\n", commandName(p).c_str(), p.usage.c_str());
}

int main(int argc, char** argv) {
    hk::app::ProcedureRegistry registry;
    hk::app::PdfOpener pdf;
#ifdef HK_HAVE_RENDER
    // A PDF needs fonts and a paint engine but no screen: the application object is made only
    // when a command asks for a PDF, and outlives every page sink.
    int guiArgc = 1;
    char guiName[] = "hesapkar-cli";
    char* guiArgv[] = {guiName, nullptr};
    std::unique_ptr<QGuiApplication> gui;
    pdf = [&gui, &guiArgc, &guiArgv, render = hk::ui::render::pdfOpener()](
              const std::string& path, const hk::output::PageStyle& style) {
        if (!QCoreApplication::instance()) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
            gui = std::make_unique<QGuiApplication>(guiArgc, guiArgv);
        }
        return render(path, style);
    };
#endif
    hk::procedures::registerAll(registry, pdf);
    if (argc > 2 && (!std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help"))) {
        // help COMMAND: the command's usage and its parameters.
        const Args words(argv + 2, argv + argc);
        std::size_t used = 0;
        if (const auto* spec = registry.findCommand(words, used); spec && used == words.size()) {
            std::fputs(hk::app::helpText(commandName(*spec), *spec).c_str(), stdout);
            return 0;
        }
        for (const auto& c : commands())
            if (words.size() == 1 && words[0] == c.name) {
                std::printf("kullanım: hesapkar-cli %s %s\n", c.name, c.usage);
                return 0;
            }
        std::fprintf(stderr, "hesapkar-cli: bilinmeyen komut \"%s\" (bkz. hesapkar-cli help)\n",
                     argv[2]);
        return 2;
    }
    if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help")) {
        usage(argc < 2 ? stderr : stdout, registry);
        return argc < 2 ? 2 : 0;
    }
    const Args words(argv + 1, argv + argc);
    std::size_t used = 0;
    if (const auto* spec = registry.findCommand(words, used))
        return runProcedure(*spec, Args(words.begin() + static_cast<std::ptrdiff_t>(used), words.end()));
    Args args(argv + 2, argv + argc);
    for (const auto& c : commands())
        if (!std::strcmp(c.name, argv[1])) return c.run(args);
    std::fprintf(stderr, "hesapkar-cli: unknown command \"%s\" (see hesapkar-cli help)\n", argv[1]);
    return 2;
}
