#include "procedures/all.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry) {
    // One line per domain module, lowest first: accounts::registerProcedures(registry); ...
    (void)registry;
}

} // namespace hk::procedures
