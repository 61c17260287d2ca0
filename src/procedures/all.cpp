#include "procedures/all.h"

#include "journal/procedures.h"

namespace hk::procedures {

void registerAll(app::ProcedureRegistry& registry) {
    // One line per domain module, lowest first: accounts::registerProcedures(registry); ...
    journal::registerProcedures(registry);
}

} // namespace hk::procedures
