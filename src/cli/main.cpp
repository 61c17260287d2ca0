// hesapkar-cli: the engine without windows.
#include "cli/commands.h"

#include <cstdio>
#include <cstring>

using namespace hk::cli;

static void usage(FILE* out) {
    std::fputs("usage: hesapkar-cli COMMAND [ARGS]\n\ncommands:\n", out);
    for (const auto& c : commands()) std::fprintf(out, "  %-8s %s\n", c.name, c.usage);
}

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    Args args(argv + 2, argv + argc);
    for (const auto& c : commands())
        if (!std::strcmp(c.name, argv[1])) return c.run(args);
    std::fprintf(stderr, "hesapkar-cli: unknown command \"%s\" (see hesapkar-cli help)\n", argv[1]);
    return 2;
}
