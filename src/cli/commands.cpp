#include "cli/commands.h"

namespace hk::cli {

// Each command lives in its own file; add its declaration and one row here.

const std::vector<Command>& commands() {
    static const std::vector<Command> all = {
    };
    return all;
}

} // namespace hk::cli
